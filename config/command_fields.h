#pragma once
// Field reading and storing rules shared by every command of the configuration model.
// Internal to the config library.

#include "config/commands.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::fields {

using nlohmann::json;

// A text field that is missing or not a string reads as empty.
inline std::string text(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    if (it == obj.end() || !it->is_string())
        return {};
    return it->get_ref<const std::string&>();
}

// A bool field that is missing, null or not a bool is not given.
inline std::optional<bool> boolean(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    if (it == obj.end() || !it->is_boolean())
        return std::nullopt;
    return it->get<bool>();
}

// A number field that is missing, null or not a number is not given; booleans read as 1/0.
inline std::optional<double> number(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    if (it == obj.end())
        return std::nullopt;
    if (it->is_boolean())
        return it->get<bool>() ? 1.0 : 0.0;
    if (it->is_number())
        return it->get<double>();
    return std::nullopt;
}

// The member `key` when it is an object, else nullptr.
inline const json* object(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    if (it == obj.end() || !it->is_object())
        return nullptr;
    return &*it;
}

// Clamped to [lo, hi]; a non-finite number becomes the lower bound.
inline float clamp(double v, float lo, float hi) {
    if (!std::isfinite(v))
        return lo;
    return static_cast<float>(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi)));
}

// Stores `value` into `field`; true when the stored value differs afterwards.
template <typename T> bool store(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

inline bool storeNumber(float& field, const std::optional<double>& v, float lo, float hi) {
    return v ? store(field, clamp(*v, lo, hi)) : false;
}

inline bool storeBool(bool& field, const std::optional<bool>& v) {
    return v ? store(field, *v) : false;
}

// Result helpers.
inline CommandResult refused(std::string message) {
    CommandResult r;
    r.ok = false;
    r.error = std::move(message);
    return r;
}

inline CommandResult accepted(bool changed, json reply = nullptr) {
    CommandResult r;
    r.changed = changed;
    r.reply = std::move(reply);
    return r;
}

// «…» quoting of a name or id inside a message.
inline std::string quoted(std::string_view s) {
    return std::string("«").append(s).append("»");
}

// The JSON writer recurses once per nesting level, so a value nested tens of thousands deep
// (a few hundred kilobytes of brackets) would overflow the stack when written. Values of free
// shape (the scenes, a whole document in setConfig) are checked with this before writing; a
// real document nests about ten levels deep.
inline constexpr int kMaxNesting = 64;

// True when `value` nests deeper than `limit` levels; walks without recursion.
inline bool nestedDeeperThan(const json& value, int limit) {
    std::vector<std::pair<const json*, int>> pending{{&value, 1}};
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth > limit)
            return true;
        if (!node->is_structured())
            continue;
        for (const json& child : *node)
            if (child.is_structured())
                pending.emplace_back(&child, depth + 1);
    }
    return false;
}

} // namespace qv::fields
