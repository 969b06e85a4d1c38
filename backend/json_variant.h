#pragma once
// Conversions between the values QML hands to the Backend (QVariant, possibly holding a
// QJSValue) and the JSON of engine messages.
//
//   variantToJson(v)   null for an invalid or null variant; bool; integers as JSON integers;
//                      floating-point numbers as JSON numbers (a non-finite one becomes null,
//                      which JSON cannot carry, so the local mirror and the engine both read the
//                      field as not given); strings as UTF-8; lists and string lists as arrays;
//                      maps and hashes as objects; a QJSValue through its variant form. Any
//                      other type becomes its string form when it has one, else null. Nesting
//                      deeper than kMaxDepth is cut off as null. Never throws.
//   jsonToVariant(j)   the reverse: null -> invalid QVariant, integers -> qint64 (int when it
//                      fits), floats -> double, strings -> QString, arrays -> QVariantList,
//                      objects -> QVariantMap.
//   dumpCompact(j)     compact UTF-8 text with non-ASCII characters written as they are;
//                      invalid UTF-8 inside strings is replaced instead of thrown on.

#include <QByteArray>
#include <QVariant>

#include <nlohmann/json.hpp>

namespace qv::ui {

inline constexpr int kMaxJsonDepth = 64;

nlohmann::json variantToJson(const QVariant& value);
QVariant jsonToVariant(const nlohmann::json& value);
QByteArray dumpCompact(const nlohmann::json& value);

} // namespace qv::ui
