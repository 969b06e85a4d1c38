#include "desktop/app_icon_win32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

#include <algorithm>

namespace qv::appicon {

namespace {

// The rows of a bitmap as 32-bit pixels, the top row first (a negative height asks for that).
std::vector<std::uint32_t> rowsOf(HDC dc, HBITMAP bitmap, int width, int rows) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(rows));
    if (GetDIBits(dc, bitmap, 0, UINT(rows), pixels.data(), &info, DIB_RGB_COLORS) != rows)
        return {};
    return pixels;
}

IconPixels pixelsOf(const ICONINFO& info) {
    BITMAP mask{};
    if (GetObjectW(info.hbmMask, sizeof mask, &mask) == 0 || mask.bmWidth <= 0)
        return {};
    // A monochrome icon has no colour bitmap: its mask is twice as high, the AND mask (1 is
    // transparent) above the XOR mask, which is the colour.
    const bool monochrome = info.hbmColor == nullptr;
    const int width = mask.bmWidth;
    const int height = monochrome ? mask.bmHeight / 2 : mask.bmHeight;
    const std::size_t count = std::size_t(width) * std::size_t(height);

    HDC dc = GetDC(nullptr);
    const std::vector<std::uint32_t> andMask = rowsOf(dc, info.hbmMask, width, mask.bmHeight);
    std::vector<std::uint32_t> colour;
    if (monochrome && andMask.size() == 2 * count)
        colour.assign(andMask.begin() + std::ptrdiff_t(count), andMask.end());
    else if (!monochrome)
        colour = rowsOf(dc, info.hbmColor, width, height);
    ReleaseDC(nullptr, dc);
    if (count == 0 || colour.size() != count || andMask.size() < count)
        return {};

    // Without an alpha channel (all alpha bytes 0), the AND mask tells what is transparent.
    const bool hasAlpha = std::any_of(colour.begin(), colour.end(),
                                      [](std::uint32_t pixel) { return pixel >> 24 != 0; });
    if (!hasAlpha) {
        for (std::size_t i = 0; i < count; ++i)
            colour[i] = (andMask[i] & 0xFFFFFFu) != 0 ? 0u : colour[i] | 0xFF000000u;
    }
    return {width, height, std::move(colour)};
}

} // namespace

IconPixels extractFirstIcon(const std::wstring& path) {
    HICON large = nullptr;
    const UINT count = ExtractIconExW(path.c_str(), 0, &large, nullptr, 1);
    IconPixels pixels;
    ICONINFO info{};
    if (count != 0 && count != UINT(-1) && large && GetIconInfo(large, &info)) {
        pixels = pixelsOf(info);
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
    if (large)
        DestroyIcon(large);
    return pixels;
}

} // namespace qv::appicon
