#pragma once
// The icon of a Windows program, without Qt: the first large icon that the shell shows for an
// executable (or an .ico file), as pixels with their alpha.

#include <cstdint>
#include <string>
#include <vector>

namespace qv::appicon {

struct IconPixels {
    int width = 0;
    int height = 0;
    // 0xAARRGGBB, straight (not premultiplied) alpha, the top row first.
    std::vector<std::uint32_t> argb;

    bool empty() const { return argb.empty(); }
};

// Empty when the file is missing or holds no icon. Icons without an alpha channel take their
// transparency from the icon's mask; monochrome icons are black and white.
IconPixels extractFirstIcon(const std::wstring& path);

} // namespace qv::appicon
