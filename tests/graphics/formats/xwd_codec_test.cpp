// CXwdReader and CXwdWriter: dumps built here in each pixel layout, byte and
// bit order, X10 dumps, refusals with their texts, and the writer's forms.
#include "graphics/formats/xwd_reader.h"
#include "graphics/formats/xwd_writer.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/xformats_test_util.h"

#include <gtest/gtest.h>

#include <map>

using namespace codec_test;
using namespace xformats_test;

namespace {

enum Field { kHeaderSize, kVersion, kFormat, kDepth, kWidth, kHeight, kByteOrder = 7, kUnit, kBitOrder,
             kBitsPerPixel = 11, kBytesPerLine, kRed = 14, kGreen, kBlue, kColours = 19 };

// A version 7 dump of a width x 1 image: the header with its fields changed,
// the colormap entries (pixel, 16-bit red, green, blue) and the row bytes.
Bytes Dump(std::map<Field, uint32_t> fields, const std::vector<std::array<uint32_t, 4>>& colours, const Bytes& row)
{
    uint32_t header[25] = {100, 7, 2, 24, 1, 1, 0, 0, 32, 0, 32, 32, 4, 4, 0xFF0000, 0xFF00, 0xFF, 8, 0, 0};
    header[kColours] = uint32_t(colours.size());
    for (const auto& [field, value] : fields) header[field] = value;
    Bytes out;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
    };
    for (uint32_t v : header) put(v, 4);
    for (const auto& c : colours) {
        put(c[0], 4), put(c[1], 2), put(c[2], 2), put(c[3], 2), put(7, 2);
    }
    out.insert(out.end(), row.begin(), row.end());
    return out;
}

struct LayoutCase {
    const char* name;
    Bytes dump;
    uint32_t bits;
    Colours pixels;  // 0x00RRGGBB (with the fourth byte at 32 bits)
};

const LayoutCase kLayouts[] = {
    {"32 bpp, red in the low byte", Dump({{kRed, 0xFF}, {kBlue, 0xFF0000}}, {}, {1, 2, 3, 4}), 32, {0x00010203}},
    {"24 bpp stored in 32", Dump({{kBitsPerPixel, 24}}, {}, {1, 2, 3, 4}), 32, {0x04030201}},
    {"32 bpp MSB first", Dump({{kByteOrder, 1}}, {}, {9, 1, 2, 3}), 32, {0x00010203}},
    {"24 bpp MSB first", Dump({{kByteOrder, 1}, {kBitsPerPixel, 24}, {kBytesPerLine, 3}}, {}, {1, 2, 3}), 24,
     {0x010203}},
    {"16 bpp 5-5-5", Dump({{kBitsPerPixel, 16}, {kBytesPerLine, 2}, {kRed, 0x7C00}, {kGreen, 0x3E0}, {kBlue, 0x1F}}, {},
                          {0x1F, 0x7C}), 15, {0xF800F8}},
    {"16 bpp 5-6-5 MSB first", Dump({{kBitsPerPixel, 16}, {kBytesPerLine, 2}, {kByteOrder, 1}, {kRed, 0xF800},
                                     {kGreen, 0x7E0}, {kBlue, 0x1F}}, {}, {0xF8, 0x00}), 16, {0xF80000}},
    {"8 bpp width 1 padded to 4, colormap high byte", Dump({{kBitsPerPixel, 8}, {kDepth, 8}},
                                                           {{1, 0xFF00, 0x1200, 0x0034}}, {1, 0, 0, 0}), 8, {0xFF1200}},
    {"1 bpp LSB first", Dump({{kWidth, 9}, {kBitsPerPixel, 1}, {kDepth, 1}, {kBytesPerLine, 4}, {kBitOrder, 0},
                              {kFormat, 0}}, {{0, 0, 0, 0}, {1, 0xFFFF, 0xFFFF, 0xFFFF}}, {0x01, 0x01, 0, 0}), 1,
     {0xFFFFFF, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF}},
    {"1 bpp MSB bits in LSB-first units", Dump({{kWidth, 9}, {kBitsPerPixel, 1}, {kDepth, 1}, {kBytesPerLine, 4},
                                               {kBitOrder, 1}}, {{0, 0, 0, 0}, {1, 0xFFFF, 0xFFFF, 0xFFFF}},
                                              {0, 0, 0x80, 0x80}), 1, {0xFFFFFF, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF}},
    {"8 bpp colormap pixel 0x103 names entry 3", Dump({{kBitsPerPixel, 8}, {kDepth, 8}},
                                                      {{0x103, 0x1200, 0x3400, 0x5600}}, {3, 0, 0, 0}), 8, {0x123456}},
    {"4 bpp LSB first", Dump({{kWidth, 2}, {kBitsPerPixel, 4}, {kDepth, 4}, {kBytesPerLine, 1}},
                             {{1, 0xFF00, 0, 0}}, {0x01}), 4, {0xFF0000, 0}},
};

TEST(XwdReader, ReadsEachLayout)
{
    for (const LayoutCase& c : kLayouts) {
        SCOPED_TRACE(c.name);
        CGraphicsImage image;
        ASSERT_EQ(TryRead<CXwdReader>(c.dump, image), "");
        EXPECT_EQ(image.m_nBitCount, c.bits);
        Colours expected;
        for (uint32_t p : c.pixels) expected.push_back(c.bits == 32 ? p : 0xFF000000 | p);
        EXPECT_EQ(ColoursOf(image, c.bits == 32), expected);
    }
}

// An X10 dump: 40-byte header, 8-byte colormap entries; the depth follows
// from the colour count.
TEST(XwdReader, ReadsX10Dumps)
{
    for (const auto& [colours, bits] : {std::pair{3, 4u}, std::pair{17, 8u}, std::pair{2, 1u}}) {
        Bytes dump = {0, 0, 0, 40, 0, 0, 0, 6};
        dump.resize(20);
        dump.insert(dump.end(), {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(colours)});
        for (int i = 0; i < colours; ++i) dump.insert(dump.end(), {0, uint8_t(i), 0xAB, 0, 0, 0, 0, 0});
        dump.push_back(0x10);
        CGraphicsImage image;
        ASSERT_EQ(TryRead<CXwdReader>(dump, image), "") << colours;
        EXPECT_EQ(image.m_nBitCount, bits);
        EXPECT_EQ(ColourAt(image, 0, 0), 0xAB0000u);
    }
}

TEST(XwdReader, RefusesWithItsTexts)
{
    const char* kRead = "Fehler beim Lesen der XWD-Datei !";
    const char* kNot = "Die Datei ist keine XWD-Datei !";
    const std::pair<Bytes, const char*> cases[] = {
        {Dump({}, {}, {}), kRead},
        {Dump({{kVersion, 5}}, {}, {1, 2, 3, 4}), kNot},
        {Dump({{kHeaderSize, 50}}, {}, {1, 2, 3, 4}), kNot},
        {Dump({{kHeaderSize, 5000}}, {}, Bytes(5000)), kNot},
        {Dump({{kWidth, 0}}, {}, {1, 2, 3, 4}), kNot},
        {Dump({{kWidth, 32768}}, {}, {1, 2, 3, 4}), kNot},
        {Dump({{kHeight, 3}}, {}, Bytes(8)), kRead},
        {Dump({{kColours, 1000}}, {}, Bytes(8)), kRead},
        {Dump({{kBytesPerLine, 2}}, {}, Bytes(8)), kNot},
        {Dump({{kFormat, 1}, {kDepth, 8}}, {}, {1, 2, 3, 4}), "Falsches Farbformat"},
        {Dump({{kBitsPerPixel, 12}}, {}, {1, 2, 3, 4}), "Falsches Farbformat"},
        {Dump({{kBitsPerPixel, 16}, {kRed, 0xF00}}, {}, {1, 2, 3, 4}), "Falsches Farbformat"},
    };
    for (const auto& [dump, text] : cases) {
        CGraphicsImage image;
        EXPECT_EQ(TryRead<CXwdReader>(dump, image), text) << &dump - &cases[0].first;
    }
}

TEST(XwdWriter, WritesPaddedDumpsThatReadBack)
{
    for (uint32_t bits : {1u, 8u, 16u, 24u, 32u}) {
        SCOPED_TRACE(bits);
        CGraphicsImage image;
        MakeRandomImage(image, bits, 3, 5, bits);
        const Bytes written = TryWrite<CXwdWriter>(image);
        const uint32_t bytesPerLine = bits <= 8 ? 4 : 12;
        ASSERT_EQ(written.size(), 107u + (bits <= 8 ? 256 * 12 : 0) + 5 * bytesPerLine);
        EXPECT_EQ(written[4 * kBitsPerPixel + 3], bits <= 8 ? 8 : 32);
        EXPECT_EQ(written[4 * kBytesPerLine + 3], bytesPerLine);
        CGraphicsImage back;
        ASSERT_EQ(TryRead<CXwdReader>(written, back), "");
        EXPECT_EQ(Differences(ColoursOf(back, false), ColoursOf(image, false)), 0);
    }
    CGraphicsImage empty;
    std::string error;
    TryWrite<CXwdWriter>(empty, &error);
    EXPECT_EQ(error, "Falsche Bild-Daten !");
}

}  // namespace
