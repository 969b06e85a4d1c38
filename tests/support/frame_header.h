#pragma once
// The 4-byte little-endian length header of the engine channel's frames, written by hand so that
// tests can also write the lengths the framing refuses (0, over the limit) and check the
// framing's own header against it.

#include <cstdint>
#include <string>

namespace qv::test {

inline std::string frameHeader(uint32_t length) {
    return std::string{char(length & 0xFF), char((length >> 8) & 0xFF), char((length >> 16) & 0xFF),
                       char((length >> 24) & 0xFF)};
}

} // namespace qv::test
