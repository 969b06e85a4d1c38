#include "backend/list_model.h"

#include <QSet>

#include <algorithm>

namespace qv::ui {
namespace {

const QString kIdKey = QStringLiteral("id");

QString rowId(const QVariantMap& row) {
    return row.value(kIdKey).toString();
}

} // namespace

ListModel::ListModel(const QStringList& roles, QObject* parent)
    : QAbstractListModel(parent), m_roles(roles) {
    if (!m_roles.contains(kIdKey))
        m_roles.prepend(kIdKey);
    m_sortedRoles.reserve(m_roles.size());
    for (qsizetype k = 0; k < m_roles.size(); ++k)
        m_sortedRoles.append({m_roles[k], kFirstRole + int(k)});
    // QMap orders its keys with QString's operator<; sort the same way for the side-by-side walk.
    std::sort(m_sortedRoles.begin(), m_sortedRoles.end(),
              [](const SortedRole& a, const SortedRole& b) { return a.key < b.key; });
}

QVariantMap ListModel::get(int row) const {
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_rows[row];
}

int ListModel::indexOf(const QString& id) const {
    return int(m_ids.indexOf(id));
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return {};
    const int k = role - kFirstRole;
    if (k < 0 || k >= m_roles.size())
        return {};
    return m_rows[index.row()].value(m_roles[k]);
}

QHash<int, QByteArray> ListModel::roleNames() const {
    QHash<int, QByteArray> names;
    for (qsizetype k = 0; k < m_roles.size(); ++k)
        names.insert(kFirstRole + int(k), m_roles[k].toUtf8());
    return names;
}

// Appends to `out` the numbers of the roles whose values differ between the two rows, in role
// order. A key missing from a row compares as an invalid QVariant.
void ListModel::changedRoles(const QVariantMap& stored, const QVariantMap& next,
                             QList<int>& out) const {
    out.clear();
    if (stored.isSharedWith(next))
        return;
    static const QVariant kMissing;
    auto a = stored.constBegin();
    auto b = next.constBegin();
    for (const SortedRole& role : m_sortedRoles) {
        while (a != stored.constEnd() && a.key() < role.key)
            ++a;
        while (b != next.constEnd() && b.key() < role.key)
            ++b;
        const QVariant& va = (a != stored.constEnd() && a.key() == role.key) ? a.value() : kMissing;
        const QVariant& vb = (b != next.constEnd() && b.key() == role.key) ? b.value() : kMissing;
        if (va != vb)
            out.append(role.number);
    }
    std::sort(out.begin(), out.end());
}

// The diff runs in three steps: drop the rows whose id is gone (last to first), then walk the
// new list and bring each row into place by a single insert or move, then compare roles.
// A row already at its place is checked first, so the usual rebuild (nothing moved) and single
// inserts, removes or moves cost one pass; only a wholesale reordering searches further.
void ListModel::setRows(const QList<QVariantMap>& next) {
    const qsizetype oldCount = m_rows.size();

    QList<QString> nextIds;
    nextIds.reserve(next.size());
    for (const QVariantMap& row : next)
        nextIds.append(rowId(row));

    // Fast test: same ids in the same order means no structural change at all.
    const bool sameOrder = nextIds == m_ids;
    if (!sameOrder) {
        const QSet<QString> keep(nextIds.cbegin(), nextIds.cend());
        for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
            if (keep.contains(m_ids[i]))
                continue;
            beginRemoveRows({}, int(i), int(i));
            m_rows.removeAt(i);
            m_ids.removeAt(i);
            endRemoveRows();
        }
    }

    QList<int> roles;
    roles.reserve(m_roles.size());
    for (qsizetype i = 0; i < next.size(); ++i) {
        const QString& id = nextIds[i];
        if (!sameOrder) {
            qsizetype j = i;
            while (j < m_ids.size() && m_ids[j] != id)
                ++j;
            if (j == m_ids.size()) {
                beginInsertRows({}, int(i), int(i));
                m_rows.insert(i, next[i]);
                m_ids.insert(i, id);
                endInsertRows();
                continue; // a new row has nothing to compare against
            }
            if (j != i) {
                beginMoveRows({}, int(j), int(j), {}, int(i));
                m_rows.move(j, i);
                m_ids.move(j, i);
                endMoveRows();
            }
        }
        changedRoles(m_rows[i], next[i], roles);
        if (roles.isEmpty())
            continue; // differences outside the roles leave the stored row alone
        m_rows[i] = next[i];
        const QModelIndex at = index(int(i));
        emit dataChanged(at, at, roles);
    }

    // Rows past the end can only remain when an id was repeated (an old duplicate outlived a
    // single new occurrence); they must go too, or the model would not equal the new list.
    for (qsizetype i = m_rows.size() - 1; i >= next.size(); --i) {
        beginRemoveRows({}, int(i), int(i));
        m_rows.removeAt(i);
        m_ids.removeAt(i);
        endRemoveRows();
    }

    if (m_rows.size() != oldCount)
        emit countChanged();
}

} // namespace qv::ui
