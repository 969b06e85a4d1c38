// The first large icon of a file as pixels, on Wine: .ico files written here, with and without
// an alpha channel, read back pixel for pixel; files without an icon give nothing.

#include "tests/win/win_test_support.h"

#include "desktop/app_icon_win32.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qv::wintest {
namespace {

constexpr int kSize = 32; // the system's large icon size, so nothing is scaled

void put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
}

// One kSize x kSize image in an .ico file, `pixels` top row first. 32 bits keep the alpha;
// 24 bits drop it, and a pixel with alpha 0 is marked transparent in the AND mask.
void writeIcon(const std::filesystem::path& file, const std::vector<std::uint32_t>& pixels,
               int bits) {
    std::string colour, mask;
    for (int y = kSize - 1; y >= 0; --y) { // the rows bottom up, as in any bitmap
        std::uint32_t maskRow = 0;
        for (int x = 0; x < kSize; ++x) {
            const std::uint32_t pixel = pixels[std::size_t(y * kSize + x)];
            put(colour, pixel, bits / 8); // B, G, R (, A)
            if (pixel >> 24 == 0)
                maskRow |= 0x80000000u >> x;
        }
        for (int i = 3; i >= 0; --i) // the leftmost pixel is the highest bit
            mask += char(maskRow >> (8 * i));
    }
    BITMAPINFOHEADER header{}; // its height counts the colour and the mask rows
    header.biSize = sizeof header;
    header.biWidth = kSize;
    header.biHeight = 2 * kSize;
    header.biPlanes = 1;
    header.biBitCount = WORD(bits);
    const std::string image =
        std::string(reinterpret_cast<const char*>(&header), sizeof header) + colour + mask;

    std::string icon;
    put(icon, 0, 2); // ICONDIR: one icon
    put(icon, 1, 2);
    put(icon, 1, 2);
    put(icon, kSize, 1); // ICONDIRENTRY
    put(icon, kSize, 1);
    put(icon, 0, 2);
    put(icon, 1, 2);
    put(icon, std::uint32_t(bits), 2);
    put(icon, std::uint32_t(image.size()), 4);
    put(icon, 6 + 16, 4);
    std::ofstream(file, std::ios::binary) << icon << image;
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
}

TEST(WinAppIcon, FilesWithoutAnIconGiveNothing) {
    ScratchFolder folder(L"qv icons");
    const std::filesystem::path text = folder.path() / L"program.exe";
    std::ofstream(text, std::ios::binary) << "MZ but nothing else";
    // The test program itself is a real executable without an icon resource.
    for (const std::filesystem::path& file :
         {text, folder.path() / L"missing.exe", programFolder() / L"win_desktop_icon_tests.exe"}) {
        SCOPED_TRACE(narrow(file.wstring()));
        EXPECT_TRUE(appicon::extractFirstIcon(file.wstring()).empty());
    }
}

} // namespace
} // namespace qv::wintest
