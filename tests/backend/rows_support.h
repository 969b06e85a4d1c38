#pragma once
// Helpers of the row and derived-property tests: reading rows by id, and building the engine's
// "state" and "endpoints" payloads compactly.

#include "backend/list_model.h"
#include "tests/backend/backend_fixture.h"

#include <QVariantMap>

#include <initializer_list>
#include <utility>

namespace qv::test {

// The row with this id; an empty map when the list has none.
inline QVariantMap rowById(QObject* model, const QString& id) {
    auto* m = qobject_cast<qv::ui::ListModel*>(model);
    return m ? m->get(m->indexOf(id)) : QVariantMap();
}

inline QStringList rowIds(QObject* model) {
    QStringList ids;
    if (auto* m = qobject_cast<qv::ui::ListModel*>(model))
        for (const QVariantMap& row : m->rows())
            ids.append(row.value("id").toString());
    return ids;
}

// The entry of a property list (inputsList, hidden, ...) whose `key` equals `value`.
inline QVariantMap entryWith(const QVariantList& list, const QString& key, const QString& value) {
    for (const QVariant& v : list)
        if (v.toMap().value(key).toString() == value)
            return v.toMap();
    return {};
}

inline QStringList valuesOf(const QVariantList& list, const QString& key) {
    QStringList out;
    for (const QVariant& v : list)
        out.append(v.toMap().value(key).toString());
    return out;
}

// One endpoint of the "endpoints" payload.
inline Json endpoint(const std::string& id, const std::string& name, bool render,
                     bool active = true, bool isDefault = false) {
    return {{"id", id},
            {"name", name},
            {"render", render},
            {"active", active},
            {"isDefault", isDefault}};
}

inline Json tagged(Json e, const std::string& tag) {
    e["quorvel"] = tag;
    return e;
}

inline Json deviceState(const std::string& id, bool available, const std::string& error = {}) {
    Json d = {{"id", id}, {"available", available}};
    if (!error.empty())
        d["error"] = error;
    return d;
}

inline Json stateWith(Json sources, Json devices) {
    return {{"sources", std::move(sources)}, {"devices", std::move(devices)}};
}

} // namespace qv::test
