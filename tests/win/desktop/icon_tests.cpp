// The first large icon of a file as pixels, on Wine: .ico files written here, with and without
// an alpha channel, read back pixel for pixel; files without an icon give nothing.

#include "tests/win/win_test_support.h"

#include "desktop/app_icon_win32.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qv::wintest {
namespace {

constexpr int kSize = 32; // the system's large icon size, so nothing is scaled

#pragma pack(push, 2)
struct IconFileHeader { // ICONDIR with its one ICONDIRENTRY
    WORD reserved = 0, type = 1, count = 1;
    BYTE width = kSize, height = kSize, colours = 0, reserved2 = 0;
    WORD planes = 1, bits = 32;
    DWORD bytes = 0, offset = 22;
};
#pragma pack(pop)

// One kSize x kSize image in an .ico file, `pixels` top row first. 32 bits keep the alpha;
// 24 bits drop it, and a pixel with alpha 0 is marked transparent in the AND mask.
void writeIcon(const std::filesystem::path& file, const std::vector<std::uint32_t>& pixels,
               int bits) {
    std::string colour, mask;
    for (int y = kSize - 1; y >= 0; --y) { // the rows bottom up, as in any bitmap
        std::uint32_t maskRow = 0;
        for (int x = 0; x < kSize; ++x) {
            const std::uint32_t pixel = pixels[std::size_t(y * kSize + x)];
            colour.append(reinterpret_cast<const char*>(&pixel), std::size_t(bits / 8)); // BGR(A)
            if (pixel >> 24 == 0)
                maskRow |= 0x80000000u >> x;
        }
        for (int i = 3; i >= 0; --i) // the leftmost pixel is the highest bit
            mask += char(maskRow >> (8 * i));
    }
    BITMAPINFOHEADER bitmap{}; // its height counts the colour and the mask rows
    bitmap.biSize = sizeof bitmap;
    bitmap.biWidth = kSize;
    bitmap.biHeight = 2 * kSize;
    bitmap.biPlanes = 1;
    bitmap.biBitCount = WORD(bits);
    IconFileHeader header;
    header.bits = WORD(bits);
    header.bytes = DWORD(sizeof bitmap + colour.size() + mask.size());
    static_assert(sizeof header == 22);
    std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(&header), sizeof header)
            .write(reinterpret_cast<const char*>(&bitmap), sizeof bitmap)
        << colour << mask;
}

TEST(WinAppIcon, ReadsTheIconTopRowFirstWithItsTransparency) {
    // Opaque red top left, half transparent blue bottom right, nothing elsewhere: a picture
    // read bottom up or with red and blue swapped shows.
    std::vector<std::uint32_t> picture(kSize * kSize, 0);
    picture.front() = 0xFFFF0000u;
    picture.back() = 0x800000FFu;
    struct Case {
        int bits;
        std::uint32_t bottomRight; // without alpha, what the mask leaves visible is opaque
    } const cases[] = {{32, 0x800000FFu}, {24, 0xFF0000FFu}};

    ScratchFolder folder(L"qv icons");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const std::filesystem::path file = folder.path() / (std::to_wstring(c.bits) + L".ico");
        writeIcon(file, picture, c.bits);
        const appicon::IconPixels icon = appicon::extractFirstIcon(file.wstring());
        ASSERT_EQ(icon.width, kSize);
        ASSERT_EQ(icon.height, kSize);
        std::vector<std::uint32_t> expected = picture;
        expected.back() = c.bottomRight;
        EXPECT_EQ(icon.argb, expected);
    }

    // A file that is no program, a missing one, and the test program itself: a real
    // executable without an icon resource.
    const std::filesystem::path text = folder.path() / L"program.exe";
    std::ofstream(text, std::ios::binary) << "MZ but nothing else";
    for (const std::filesystem::path& file :
         {text, folder.path() / L"missing.exe", programFolder() / L"win_desktop_icon_tests.exe"}) {
        SCOPED_TRACE(narrow(file.wstring()));
        EXPECT_TRUE(appicon::extractFirstIcon(file.wstring()).empty());
    }
}

} // namespace
} // namespace qv::wintest
