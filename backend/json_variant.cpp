#include "backend/json_variant.h"

#include <QJSValue>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <cmath>
#include <limits>

namespace qv::ui {

using nlohmann::json;

namespace {

json fromDouble(double d) {
    // JSON has no infinity or NaN; nlohmann would write them as null anyway, but the local
    // mirror must see the same "not given" as the engine, so it is null from the start.
    if (!std::isfinite(d))
        return nullptr;
    return d;
}

json convert(const QVariant& v, int depth) {
    if (depth > kMaxJsonDepth || !v.isValid() || v.isNull())
        return nullptr;
    const int type = v.metaType().id();
    switch (type) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return static_cast<int64_t>(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return static_cast<uint64_t>(v.toULongLong());
    case QMetaType::Char:
        return std::string(1, v.value<char>());
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(v.toDouble());
    case QMetaType::QString:
        return v.toString().toStdString();
    case QMetaType::QByteArray:
        return v.toByteArray().toStdString();
    case QMetaType::QStringList: {
        json arr = json::array();
        for (const QString& s : v.toStringList())
            arr.push_back(s.toStdString());
        return arr;
    }
    case QMetaType::QVariantList: {
        json arr = json::array();
        for (const QVariant& item : v.toList())
            arr.push_back(convert(item, depth + 1));
        return arr;
    }
    case QMetaType::QVariantMap: {
        json obj = json::object();
        const QVariantMap map = v.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            obj[it.key().toStdString()] = convert(it.value(), depth + 1);
        return obj;
    }
    case QMetaType::QVariantHash: {
        json obj = json::object();
        const QVariantHash hash = v.toHash();
        for (auto it = hash.constBegin(); it != hash.constEnd(); ++it)
            obj[it.key().toStdString()] = convert(it.value(), depth + 1);
        return obj;
    }
    case QMetaType::QJsonValue:
        return convert(v.toJsonValue().toVariant(), depth + 1);
    case QMetaType::QJsonObject:
        return convert(v.toJsonObject().toVariantMap(), depth + 1);
    case QMetaType::QJsonArray:
        return convert(v.toJsonArray().toVariantList(), depth + 1);
    case QMetaType::QJsonDocument:
        return convert(v.toJsonDocument().toVariant(), depth + 1);
    case QMetaType::Nullptr:
        return nullptr;
    default:
        break;
    }
    if (type == qMetaTypeId<QJSValue>()) {
        const QJSValue js = v.value<QJSValue>();
        if (js.isUndefined() || js.isNull() || js.isCallable())
            return nullptr;
        return convert(js.toVariant(), depth + 1);
    }
    if (v.canConvert<QString>())
        return v.toString().toStdString();
    return nullptr;
}

QVariant back(const json& j, int depth) {
    if (depth > kMaxJsonDepth)
        return {};
    switch (j.type()) {
    case json::value_t::boolean:
        return j.get<bool>();
    case json::value_t::number_integer: {
        const auto n = j.get<int64_t>();
        if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
            return int(n);
        return qint64(n);
    }
    case json::value_t::number_unsigned: {
        const auto n = j.get<uint64_t>();
        if (n <= uint64_t(std::numeric_limits<int>::max()))
            return int(n);
        return quint64(n);
    }
    case json::value_t::number_float:
        return j.get<double>();
    case json::value_t::string:
        return QString::fromStdString(j.get_ref<const std::string&>());
    case json::value_t::array: {
        QVariantList list;
        list.reserve(qsizetype(j.size()));
        for (const json& item : j)
            list.append(back(item, depth + 1));
        return list;
    }
    case json::value_t::object: {
        QVariantMap map;
        for (auto it = j.begin(); it != j.end(); ++it)
            map.insert(QString::fromStdString(it.key()), back(it.value(), depth + 1));
        return map;
    }
    default: // null, discarded, binary
        return {};
    }
}

} // namespace

json variantToJson(const QVariant& value) {
    return convert(value, 0);
}

QVariant jsonToVariant(const json& value) {
    return back(value, 0);
}

QByteArray dumpCompact(const json& value) {
    const std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace qv::ui
