// CPnmReader and CPnmWriter: the header and raster forms, the maximum sample
// value, refusals with their texts, the writer's exact output and round trips.
#include "graphics/formats/pnm_reader.h"
#include "graphics/formats/pnm_writer.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/xformats_test_util.h"

#include <gtest/gtest.h>

using namespace codec_test;
using namespace xformats_test;

namespace {

struct ReadCase {
    const char* name;
    std::string data;
    uint32_t bits, width, height;
    Colours pixels;  // 0x00RRGGBB, rows from the top
};

constexpr uint32_t W = 0xFFFFFF, K = 0;

const ReadCase kReads[] = {
    {"P4 9x2, one line feed", Raw("P4\n9 2\n\xFF\x80\x01\x00"), 1, 9, 2,
     {K, K, K, K, K, K, K, K, K, W, W, W, W, W, W, W, K, W}},
    {"P1 digits without separators", "P1\n# c 12\n4 1\n0101", 1, 4, 1, {W, K, W, K}},
    {"P1 comment between width and height", "P1 3\n#9\n 1 1 0 1", 1, 3, 1, {K, W, K}},
    {"P2 maxval 15 scaled", "P2 3 1 15 0 15 8", 8, 3, 1, {0, W, 0x888888}},
    {"P3 samples over lines", "P3 2 1 255\n255 0\n0 0 0\n255", 24, 2, 1, {0xFF0000, 0x0000FF}},
    {"P3 maxval 1", "P3 1 1 1 1 0 1", 24, 1, 1, {0xFF00FF}},
    {"P5 first raster byte a digit", "P5 2 1 255\n57", 8, 2, 1, {0x353535, 0x373737}},
    {"P5 maxval 65535 two bytes", Raw("P5 2 1 65535 \xFF\xFF\x80\x00"), 8, 2, 1, {W, 0x808080}},
    // 17094 * 255 / 65535 is 66.51: rounded, not cut.
    {"P5 maxval 65535 rounds to nearest", Raw("P5 1 1 65535 \x42\xC6"), 8, 1, 1, {0x434343}},
    {"P6 maxval 255", "P6 1 1 255\rabc", 24, 1, 1, {0x616263}},
    {"P6 maxval 1000", Raw("P6 1 1 1000 \x03\xE8\x00\x00\x01\xF4"), 24, 1, 1, {0xFF0080}},
};

TEST(PnmReader, ReadsEachForm)
{
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.name);
        CGraphicsImage image;
        ASSERT_EQ(TryRead<CPnmReader>(Text(c.data), image), "");
        EXPECT_EQ(image.m_nBitCount, c.bits);
        ASSERT_EQ(image.m_nWidth, c.width);
        ASSERT_EQ(image.m_nHeight, c.height);
        EXPECT_EQ(ColoursOf(image, false), [&] {
            Colours expected;
            for (uint32_t p : c.pixels) expected.push_back(0xFF000000 | p);
            return expected;
        }());
    }
}

struct ErrorCase {
    const char* data;
    const char* text;
};

const char kRead[] = "Fehler beim Lesen der PNM-Datei !";
const char kNot[] = "Die Datei ist keine PNM-Datei !";
const char kCorrupt[] = "Besch\xE4" "digte PNM-Datei !";

const ErrorCase kErrors[] = {
    {"P", kRead},
    {"P7 1 1 255 x", kNot},
    {"Q6 1 1 255 x", kNot},
    {"P6 3", kCorrupt},
    {"P6 0 1 255 ", kCorrupt},
    {"P6 1 0 255 ", kCorrupt},
    {"P5 40000 1 255 ", kCorrupt},
    {"P5 99999999999999999999999 1 255 ", kCorrupt},
    {"P5 1 1 0 x", kCorrupt},
    {"P5 1 1 65536 xx", kCorrupt},
    {"P5 2 2 255 abc", kCorrupt},
    {"P5 2 2 65535 abcdef", kCorrupt},
    {"P5 30000 30000 255 x", kCorrupt},
    {"P5 1 1 255x", kCorrupt},
    {"P2 2 1 15 3 16", kCorrupt},
    {"P2 2 1 15 3", kCorrupt},
    {"P3 30000 30000 255 1 2 3", kCorrupt},
    {"P2 2 1 15 3 -1", kCorrupt},
    {"P1 2 1 12", kCorrupt},
    {"P3 1 1 255 1 2 x", kCorrupt},
};

TEST(PnmReader, RefusesWithItsTexts)
{
    for (const ErrorCase& c : kErrors) {
        CGraphicsImage image;
        EXPECT_EQ(TryRead<CPnmReader>(Text(c.data), image), c.text) << c.data;
    }
}

// A 1-bit image of the default palette (0 black, 1 white): the written 1 bits
// are black, so the stored bits come out inverted.
TEST(PnmWriter, WritesTheExactBitmap)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(1, 10, 2, 0));
    image.RowAt(0)[0] = 0xF0;
    image.RowAt(0)[1] = 0xFF;
    const Bytes written = TryWrite<CPnmWriter>(image);
    EXPECT_EQ(written, Text(Raw("P4 10 2 \x0F\x00\xFF\xC0")));
}

TEST(PnmWriter, DeeperImagesBecomeP6AndRoundTrip)
{
    for (uint32_t bits : {1u, 4u, 8u, 16u, 24u, 32u}) {
        SCOPED_TRACE(bits);
        CGraphicsImage image;
        MakeRandomImage(image, bits, 13, 7, bits);
        if (bits == 1) {
            image.SetPaletteRGB(0, 255, 255, 255);
            image.SetPaletteRGB(1, 0, 0, 0);
        }
        const Colours before = ColoursOf(image, false);
        const Bytes written = TryWrite<CPnmWriter>(image);
        EXPECT_EQ(ColoursOf(image, false), before);  // the source stays as it was
        const std::string header = bits == 1 ? "P4 13 7 " : "P6 13 7 255 ";
        ASSERT_GE(written.size(), header.size());
        EXPECT_EQ(std::string(written.begin(), written.begin() + long(header.size())), header);
        CGraphicsImage back;
        ASSERT_EQ(TryRead<CPnmReader>(written, back), "");
        EXPECT_EQ(Differences(ColoursOf(back, false), before), 0);
    }
}

// Rows go out in bands of about 256 KB; the raster is every row from the
// top, P6 as red, green, blue, P4 as the stored bits inverted (entry 0 is
// the darker) with zero bits after the last pixel.
TEST(PnmWriter, BandsOfRowsAreTheRaster)
{
    for (const uint32_t bits : {24u, 32u, 1u}) {
        SCOPED_TRACE(bits);
        const int width = bits == 1 ? 8001 : 1001, height = 300;
        CGraphicsImage image;
        MakeRandomImage(image, bits, uint32_t(width), uint32_t(height), bits + 35);
        if (bits == 1) {
            image.SetPaletteRGB(0, 0, 0, 0);
            image.SetPaletteRGB(1, 255, 255, 255);
        }
        std::string expected = (bits == 1 ? "P4 " : "P6 ") + std::to_string(width) + " " + std::to_string(height) +
                               (bits == 1 ? " " : " 255 ");
        for (int y = 0; y < height; ++y) {
            std::string bitRow(size_t(width + 7) / 8, '\0');
            for (int x = 0; x < width; ++x) {
                const uint32_t v = image.m_pfnGetPixel(image.RowAt(y), x);
                if (bits == 1) {
                    if (v == 0)
                        bitRow[size_t(x) / 8] = char(bitRow[size_t(x) / 8] | 0x80 >> (x % 8));
                    continue;
                }
                expected += {char(v >> 16), char(v >> 8), char(v)};
            }
            if (bits == 1)
                expected += bitRow;
        }
        EXPECT_EQ(TryWrite<CPnmWriter>(image), Text(expected));
    }
}

TEST(PnmWriter, RefusesEmptyImagesAndFailedWrites)
{
    CGraphicsImage empty;
    std::string error;
    TryWrite<CPnmWriter>(empty, &error);
    EXPECT_EQ(error, "Falsche Bild-Daten !");
#ifndef _WIN32
    // Everything fits the buffer: only the final flush can fail.
    CGraphicsImage image;
    MakeRandomImage(image, 24, 4, 4, 1);
    CBufferedStream stream(kFormatStreamBufferSize);
    ASSERT_TRUE(stream.OpenA("/dev/full", CBufferedStream::kModeCreate, nullptr));
    CPnmWriter writer;
    EXPECT_EQ(ThrownText<EPnmFileWriteError>([&] { writer.Write(stream, image); }),
              "Fehler beim Schreiben PNM-Datei !");
#endif
}

}  // namespace
