#pragma once
// Reading JSON text that arrives from outside the program: engine messages, requests to the
// stand-in engine, stored documents.
//
// Parsing itself is iterative, but copying, comparing and writing a value recurse once per level
// of nesting, so a value nested a few hundred thousand levels deep (a few hundred kilobytes of
// brackets) would exhaust the stack long after it was read. Such values are cut off while they
// are parsed: the containers below the limit are never built.

#include <nlohmann/json.hpp>

#include <string_view>

namespace qv {

// Levels of arrays and objects accepted in one message. The program's own messages nest about
// ten levels; a document's scenes may keep up to 64 (see parseConfig), inside an envelope of a
// few more.
inline constexpr int kMaxMessageDepth = 100;

struct ParsedJson {
    nlohmann::json value; // discarded when the text is not JSON
    bool tooDeep = false; // containers below `maxDepth` levels were left out of `value`
};

// Parses without exceptions. Containers nested deeper than `maxDepth` levels (the outermost
// value is level 1) are left out and reported through `tooDeep`; what is left stays readable, so
// a caller can still answer a request by its id.
ParsedJson parseJsonText(std::string_view text, int maxDepth = kMaxMessageDepth);

} // namespace qv
