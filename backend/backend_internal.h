#pragma once
// Shared by the Backend's row, state, diagnostics and derived-property files; not for the rest of
// the program.

#include "backend/backend.h"

#include <QString>
#include <QVariantMap>

#include <string>
#include <string_view>
#include <vector>

namespace qv::ui {

inline QString qstr(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Builds a QVariantMap from entries given in ascending key order (QString order: upper case
// before lower case). Each entry then goes in at the end of the tree after one comparison instead
// of a search, which is most of what building the rows would otherwise cost. An entry out of
// order still lands in its place, only slower.
class OrderedMap {
public:
    OrderedMap& add(const QString& key, const QVariant& value) {
        m_map.insert(m_map.cend(), key, value);
        return *this;
    }
    QVariantMap take() { return std::move(m_map); }

private:
    QVariantMap m_map;
};

// Fills a row whose keys are known in advance (a list model's roles). The row starts as a copy of
// a prototype that holds every key, and values given in key order are stored by walking it, with
// no tree search at all. A value given out of order is still stored under its key, only slower.
class RowFiller {
public:
    explicit RowFiller(const QVariantMap& prototype) : m_map(prototype), m_it(m_map.begin()) {}
    RowFiller& add(const QString& key, const QVariant& value) {
        if (m_it != m_map.end() && m_it.key() == key) {
            m_it.value() = value;
            ++m_it;
        } else {
            m_map.insert(key, value);
        }
        return *this;
    }
    QVariantMap take() { return std::move(m_map); }

private:
    QVariantMap m_map;
    QVariantMap::iterator m_it;
};

// A map holding every key of `keys` with an empty value: the prototype of a RowFiller.
inline QVariantMap rowPrototype(const QStringList& keys) {
    QVariantMap map;
    for (const QString& key : keys)
        map.insert(key, QVariant());
    return map;
}

// What one rebuild computes once and every row builder reads.
struct Backend::RowContext {
    qint64 now = 0;          // clock value for the "stopped playing a moment ago" rule
    WindowsDefaults windows; // Windows defaults, gathered before any row
    // Devices in device-row order (physical first, then the virtual microphone, each in
    // configuration order), with their ok flag alongside.
    std::vector<const Device*> deviceOrder;
    std::vector<bool> deviceOk;
    std::vector<QString> deviceIds; // converted once: every source row names the outputs
    std::vector<QString> deviceNames;
    // Routing: plays[i * deviceOrder.size() + j] says whether source i (document order) plays on
    // device j (device-row order), worked out once instead of per row.
    std::vector<char> plays;

    bool sourcePlaysOn(size_t source, size_t device) const {
        return plays[source * deviceOrder.size() + device] != 0;
    }

    // Inputs of the default-microphone diagnosis. When the virtual microphone is usable, the
    // voice goes to vmTargetId whatever the microphone; otherwise to the microphone itself.
    bool vmDecidesTarget = false;
    std::string vmTargetId;
    std::vector<const EndpointInfo*> activeRecording; // in list order
    std::string defaultRecordId;                      // active recording endpoint, isDefault
    std::string commRecordId;                         // active recording endpoint, isDefaultComm
};

} // namespace qv::ui
