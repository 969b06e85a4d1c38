.pragma library

// Depth-first search through an item's visual children for the first one that satisfies pred.
function find(item, pred) {
    if (!item)
        return null
    const kids = item.children || []
    for (let i = 0; i < kids.length; ++i) {
        const k = kids[i]
        if (pred(k))
            return k
        const deeper = find(k, pred)
        if (deeper)
            return deeper
    }
    return null
}

// The first descendant showing exactly this text (a Text, or a Btn by its text property).
function byText(item, text) {
    return find(item, k => k.text === text)
}

function byName(item, name) {
    return find(item, k => k.objectName === name)
}
