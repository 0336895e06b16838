// The portable side of the UI utilities: path shortening and width tables,
// sizing-border hit tests, disabled greys and system-colour replacement, the
// GDI cache's key search, the paths the icon lookup reads.
#include "ui/utils/gdi_cache_table.h"
#include "ui/utils/icon_path.h"
#include "ui/utils/path_shorten.h"
#include "ui/utils/sizing_border.h"
#include "ui/utils/sys_color_dib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Letters 6, '.' 2, '\' 3, 'ä' (0xE4) 9; everything else 5.
std::vector<uint8_t> Widths()
{
    std::vector<uint8_t> widths(256, 5);
    for (int c = 'a'; c <= 'z'; ++c)
        widths[size_t(c)] = 6;
    widths['.'] = 2;
    widths['\\'] = 3;
    widths[0xE4] = 9;
    return widths;
}

struct ShortenCase {
    const char* path;
    int width;
    bool table;
    int keepFirst;
    int size;
    const char* out;
};

TEST(ShortenPath, Cases)
{
    const std::string many = [] {
        std::string p = "C:";
        for (int i = 0; i < 40; ++i)
            p += "\\d" + std::to_string(i);
        return p + "\\last.txt";
    }();
    const ShortenCase cases[] = {
        {"C:\\a\\b\\c\\d\\file.txt", 40, false, 0, 64, "C:\\a\\b\\c\\d\\file.txt"},
        {"C:\\a\\b\\c\\d\\file.txt", 15, false, 0, 64, "C:\\...\\file.txt"},
        {"C:\\a\\b\\c\\d\\file.txt", 17, false, 1, 64, "C:\\a\\...\\file.txt"},
        {"C:\\a\\b\\c\\d\\file.txt", 17, false, 0, 64, "C:\\...\\d\\file.txt"},
        {"C:\\a\\b\\c\\d\\file.txt", 3, false, 2, 64, "C:\\...\\file.txt"},  // the last part stays
        {"\\\\srv\\share\\x\\y\\z.txt", 14, false, 0, 64, "\\\\srv\\...\\z.txt"},
        {"C:\\a\\b\\c\\d\\file.txt", 40, false, 0, 5, "C:\\a"},
        {"C:\\a\\b\\c\\d\\file.txt", 5, false, 0, 5, "C:\\."},
        {many.c_str(), 18, false, 0, 255, "C:\\...\\last.txt"},
        {many.c_str(), 20, false, 0, 255, "C:\\...\\d39\\last.txt"},
        // Table: root "x:\\" 14, ellipsis 3 x 2 + 3, "f" 6; "ä" counts 9 (no negative index).
        {"x:\\ä\\bb\\f", 47, true, 0, 64, "x:\\ä\\bb\\f"},
        {"x:\\ä\\bb\\f", 44, true, 0, 64, "x:\\...\\bb\\f"},
        {"x:\\ä\\bb\\f", 43, true, 0, 64, "x:\\...\\f"},
        {"x:\\ä\\bb\\f", 40, true, 1, 64, "x:\\...\\f"},
        {"x:\\ä\\bb\\f", 46, true, 1, 64, "x:\\ä\\...\\f"},  // the front first, then the back
        {"name.txt", 2, false, 0, 64, "name.txt"},
    };
    const std::vector<uint8_t> widths = Widths();
    for (const ShortenCase& c : cases) {
        char out[256];
        std::memset(out, 'Z', sizeof out);
        const int length = ShortenPath(c.path, out, c.size, c.width, c.table ? widths.data() : nullptr, c.keepFirst);
        EXPECT_STREQ(out, c.out) << c.path << " " << c.width;
        EXPECT_EQ(length, int(std::strlen(c.out)));
        EXPECT_EQ(out[c.size], 'Z');  // nothing written beyond the buffer
    }
}

TEST(ShortenPath, WidthsAndPrefix)
{
    const std::vector<uint8_t> widths = Widths();
    EXPECT_EQ(TextWidthFromTable("aä.", widths.data()), 17);
    EXPECT_EQ(TextWidthFromTable("ab\rcd", widths.data()), 12);
    EXPECT_EQ(TextWidthFromTable("ab\ncd", nullptr), 2);
    EXPECT_EQ(TextWidthFromTable("abcd", nullptr, 3), 3);
    EXPECT_EQ(TextWidthFromTable(nullptr, nullptr), 0);

    // The prefix already in the buffer and the suffix take their width off.
    char out[64] = "Kopiere ";
    const int length = ShortenPathEx("C:\\a\\b\\c\\d\\file.txt", out, sizeof out, 8 + 15 + 5, nullptr, 0, out,
                                     " ... ok", 5);
    EXPECT_STREQ(out, "Kopiere C:\\...\\file.txt ... ");
    EXPECT_EQ(length, int(std::strlen(out)));
}

struct HitCase {
    RECT rect;
    int x, y, border, mask;
    int edges;
    int cursor;
};

TEST(SizingBorder, HitTest)
{
    const RECT low = {0, 0, 100, 30}, tall = {10, 10, 110, 70};
    const HitCase cases[] = {
        {low, 0, 14, 4, 15, 5, kCursorSizeNWSE},   // a 30-pixel side: corner zones of 15
        {low, 0, 16, 4, 15, 9, kCursorSizeNESW},
        {tall, 10, 31, 4, 15, 1, kCursorSizeWE},
        {tall, 29, 10, 4, 15, 5, kCursorSizeNWSE},
        {tall, 31, 10, 4, 15, 4, kCursorSizeNS},
        {tall, 109, 69, 4, 15, 10, kCursorSizeNWSE},
        {tall, 109, 11, 4, 15, 6, kCursorSizeNESW},
        {tall, 50, 50, 4, 15, 0, 0},               // inside, off the band
        {tall, 9, 50, 4, 15, 0, 0},                // outside
        {tall, 9, 40, -2, 15, 1, kCursorSizeWE},   // negative: the band reaches out
        {tall, 109, 11, 4, 3, 2, kCursorSizeWE},   // mask 3: left and right only
        {tall, 50, 10, 4, 3, 0, 0},
        {tall, 10, 40, 4, 0, 0, 0},
        {tall, 10, 40, 0, 15, 0, 0},               // no band
    };
    for (const HitCase& c : cases) {
        int cursor = -1;
        EXPECT_EQ(HitTestSizingBorder(c.rect, c.x, c.y, c.border, c.mask, &cursor), c.edges) << c.x << "," << c.y;
        EXPECT_EQ(cursor, c.cursor) << c.x << "," << c.y;
    }
}

TEST(SysColorDib, DisabledGrey)
{
    const struct {
        uint8_t r, g, b, grey;
    } cases[] = {{255, 255, 255, 208}, {0, 0, 0, 144}, {192, 192, 192, 191}, {191, 191, 191, 191}, {255, 0, 0, 162}};
    for (const auto& c : cases)
        EXPECT_EQ(DisabledGrey(c.r, c.g, c.b), c.grey) << int(c.r);
}

// A packed DIB with a 40-byte header and the given colours as palette or pixels.
std::vector<uint8_t> MakeDib(int bits, const std::vector<uint32_t>& colours)
{
    const int width = bits <= 8 ? 1 : int(colours.size());
    BITMAPINFOHEADER header = {};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = uint16_t(bits);
    header.biClrUsed = bits <= 8 ? uint32_t(colours.size()) : 0;
    std::vector<uint8_t> dib(sizeof header);
    std::memcpy(dib.data(), &header, sizeof header);
    const int step = bits <= 8 ? 4 : bits / 8;
    for (uint32_t c : colours)
        for (int i = 0; i < step; ++i)
            dib.push_back(i < 3 ? uint8_t(c >> (8 * i)) : 0);
    while ((dib.size() - 40) % 4 != 0 || (bits <= 8 && dib.size() < 40 + colours.size() * 4 + 4))
        dib.push_back(0);
    return dib;
}

TEST(SysColorDib, ReplacesInRgbQuadOrder)
{
    // Shadow red, face green, light blue as COLORREFs (0x00BBGGRR).
    const COLORREF system[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    const std::vector<uint32_t> in = {kArtShadow, kArtFace, kArtLight, 0x123456};
    const std::vector<uint32_t> replaced = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    const std::vector<uint32_t> greyed = {0xB0B0B0, kArtFace, 0xC8C8C8, 0x9B9B9B};
    for (int bits : {8, 24, 32}) {
        std::vector<uint8_t> dib = MakeDib(bits, in);
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
        EXPECT_EQ(SysColorDibSize(header), dib.size());
        std::vector<uint8_t> grey = dib;
        ASSERT_TRUE(ReplaceArtColours(header, system)) << bits;
        EXPECT_EQ(dib, MakeDib(bits, replaced)) << bits;
        ASSERT_TRUE(GreyDisabledDib(reinterpret_cast<BITMAPINFOHEADER*>(grey.data())));
        EXPECT_EQ(grey, MakeDib(bits, greyed)) << bits;
    }
    std::vector<uint8_t> core = MakeDib(24, in);
    reinterpret_cast<BITMAPINFOHEADER*>(core.data())->biSize = 12;
    EXPECT_FALSE(ReplaceArtColours(reinterpret_cast<BITMAPINFOHEADER*>(core.data()), system));
    EXPECT_EQ(SysColorDibSize(nullptr), 0u);
}

TEST(GdiCacheTable, AllFiveWordsCount)
{
    CGdiCacheTable table;
    int objects[40];
    // Many keys share the sorted last word; they differ in one other word.
    for (int i = 0; i < 40; ++i) {
        const GdiCacheKey key = {{uint32_t(i % 2), 1, 2, uint32_t(i), uint32_t(100 + i % 3)}};
        ASSERT_TRUE(table.Add(key, &objects[i]));
    }
    for (int i = 0; i < 40; ++i) {
        const GdiCacheKey key = {{uint32_t(i % 2), 1, 2, uint32_t(i), uint32_t(100 + i % 3)}};
        EXPECT_EQ(table.Find(key), &objects[i]) << i;
        EXPECT_FALSE(table.Add(key, &objects[0]));
    }
    EXPECT_EQ(table.Find({{0, 1, 2, 1, 101}}), nullptr);  // word 0 differs from entry 1's
    EXPECT_EQ(table.Count(), 40);
    EXPECT_EQ(table.TakeAll().size(), 40u);
    EXPECT_EQ(table.Find({{0, 1, 2, 0, 100}}), nullptr);
}

TEST(IconPath, ExtensionsAndDrives)
{
    const struct {
        const char* path;
        const char* extension;
        bool drive;
        bool ownIcon;
    } cases[] = {
        {"C:", nullptr, true, true},          {"c:\\", nullptr, true, true},
        {"C:\\x", nullptr, false, true},      {"C:\\a.b\\tour.GPX", "GPX", false, false},
        {"C:\\a.b\\README", nullptr, false, true}, {"x.exe", "exe", false, true},
        {"Start.LNK", "LNK", false, true},    {"a.tar.gz", "gz", false, false},
        {"C:\\ordner.", "", false, true},
    };
    for (const auto& c : cases) {
        const char* ext = IconExtension(c.path);
        EXPECT_STREQ(ext, c.extension) << c.path;
        EXPECT_EQ(IsDrivePath(c.path), c.drive) << c.path;
        EXPECT_EQ(HasOwnIcon(c.path), c.ownIcon) << c.path;
    }
}

}  // namespace
