#include "config/json_text.h"

namespace qv {

ParsedJson parseJsonText(std::string_view text, int maxDepth) {
    using json = nlohmann::json;
    ParsedJson out;
    // The callback's depth counts the containers around the event's value, 0 for the outermost.
    const auto keep = [&out, maxDepth](int depth, json::parse_event_t event, json&) {
        const bool opens =
            event == json::parse_event_t::object_start || event == json::parse_event_t::array_start;
        if (opens && depth >= maxDepth) {
            out.tooDeep = true;
            return false;
        }
        return true;
    };
    out.value = json::parse(text.begin(), text.end(), keep, /*allow_exceptions=*/false);
    return out;
}

} // namespace qv
