// CBmpReader and CBmpWriter: header variants, depths, RLE, hostile headers
// (each with the text it must raise), round trips and the written bytes.
#include "graphics/formats/bmp_reader.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/bmp_test_files.h"

#include <gtest/gtest.h>

#include <functional>

using namespace bmp_test;
using codec_test::CountDifferentPixels;
using codec_test::MakeRandomImage;
using Rows = std::vector<std::vector<uint32_t>>;

namespace {

const std::string kOk;
const std::string kRead = EBmpFileReadError::kText;
const std::string kCorrupt = EBmpCorruptFile::kText;
const std::string kNotSupported = EBmpNotSupported::kText;
const std::string kUnknown = EBmpUnknownError::kText;
const std::string kNotBmp = EBmpNotABmpFile::kText;

const Rows kIndices = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 200}};
const Rows kColours = {{0x102030, 0xFFFFFF, 0x000001}, {0x800000, 0x008000, 0x000080}};
const Rows kColoursAlpha = {{0x80102030, 0xFFFFFFFF, 0x00000001}, {0x01800000, 0x7F008000, 0x000080}};

Bytes Le32s(std::initializer_list<uint32_t> values)
{
    Bytes out;
    for (uint32_t v : values)
        out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    return out;
}

std::vector<uint32_t> GreyPalette(int n)
{
    std::vector<uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back(uint32_t(i) * 0x010101u);
    return p;
}

// An uncompressed file of rows at a depth (palette depths with a grey palette).
BmpSpec Plain(const Rows& rows, uint16_t bits)
{
    BmpSpec s;
    s.width = int32_t(rows[0].size());
    s.height = int32_t(rows.size());
    s.bits = bits;
    if (bits <= 8)
        s.palette = GreyPalette(1 << bits);
    s.pixels = PackRows(rows, bits);
    return s;
}

Bytes Changed(BmpSpec s, const std::function<void(BmpSpec&)>& change)
{
    change(s);
    return MakeBmp(s);
}

// 4 x 3 RLE8 or 5 x 2 RLE4 data.
BmpSpec Rle(uint16_t bits, const Bytes& data, int32_t width = 4, int32_t height = 3)
{
    BmpSpec s;
    s.width = width;
    s.height = height;
    s.bits = bits;
    s.compression = bits == 8 ? kBmpRle8 : kBmpRle4;
    s.palette = GreyPalette(1 << bits);
    s.pixels = data;
    return s;
}

struct ReadCase {
    const char* name;
    Bytes file;
    std::string error;
    Rows pixels;  // top-down; checked when not empty
};

std::vector<ReadCase> ReadCases()
{
    const BmpSpec b8 = Plain(kIndices, 8);
    const BmpSpec rgb = Plain(kColours, 24), argb = Plain(kColoursAlpha, 32);
    const Bytes masks = Le32s({0xFF0000, 0xFF00, 0xFF});
    return {
        {"8 bits", MakeBmp(b8), kOk, kIndices},
        {"bare DIB", Changed(b8, [&](BmpSpec& s) { s.fileHeader = false; }), kOk, kIndices},
        {"core header", Changed(b8, [&](BmpSpec& s) { s.headerSize = 12; }), kOk, kIndices},
        {"V5 header", Changed(b8, [&](BmpSpec& s) { s.headerSize = 124, s.afterHeader = Bytes(84, 0); }), kOk,
         kIndices},
        {"colours used 16", Changed(b8, [&](BmpSpec& s) { s.coloursUsed = 16, s.palette.resize(16); }), kOk,
         {}},
        {"1 bit", MakeBmp(Plain({{1, 0, 1, 1, 0, 0, 0, 1, 1}, {0, 1, 0, 0, 1, 1, 1, 0, 0}}, 1)), kOk,
         {{1, 0, 1, 1, 0, 0, 0, 1, 1}, {0, 1, 0, 0, 1, 1, 1, 0, 0}}},
        {"4 bits", MakeBmp(Plain({{1, 15, 3, 4, 5}, {9, 8, 7, 6, 0}}, 4)), kOk, {{1, 15, 3, 4, 5}, {9, 8, 7, 6, 0}}},
        {"24 bits", MakeBmp(rgb), kOk, kColours},
        {"32 bits", MakeBmp(argb), kOk, kColoursAlpha},
        {"24 bits with a skipped table", Changed(rgb, [](BmpSpec& s) { s.coloursUsed = 2, s.palette = {1, 2}; }), kOk,
         kColours},
        {"bare 24 bits with a skipped table",
         Changed(rgb, [](BmpSpec& s) { s.fileHeader = false, s.coloursUsed = 2, s.palette = {1, 2}; }), kOk, kColours},
        {"bit fields after a 40-byte header", Changed(argb, [&](BmpSpec& s) { s.compression = 3, s.afterHeader = masks; }),
         kOk, kColoursAlpha},
        {"bare bit-field DIB: masks skipped, pixels not shifted",
         Changed(rgb, [&](BmpSpec& s) { s.fileHeader = false, s.compression = 3, s.afterHeader = masks; }), kOk,
         kColours},
        {"V4 header with masks and an alpha mask inside", Changed(argb, [&](BmpSpec& s) {
             s.headerSize = 108, s.compression = 3, s.afterHeader = Le32s({0xFF0000, 0xFF00, 0xFF, 0xFF000000});
             s.afterHeader.resize(68, 0);
         }),
         kOk, kColoursAlpha},
        {"other masks", Changed(argb, [](BmpSpec& s) { s.compression = 3, s.afterHeader = Le32s({0xFF, 0xFF00, 0xFF0000}); }),
         kNotSupported, {}},
        {"JPEG inside", Changed(rgb, [&](BmpSpec& s) { s.compression = 4; }), kNotSupported, {}},
        {"PNG inside", Changed(argb, [&](BmpSpec& s) { s.compression = 5; }), kNotSupported, {}},
        {"RLE8 on 24 bits", Changed(rgb, [&](BmpSpec& s) { s.compression = 1; }), kNotSupported, {}},
        {"16 bits", Changed(b8, [&](BmpSpec& s) { s.bits = 16; }), kNotSupported, {}},
        {"2 bits", Changed(b8, [&](BmpSpec& s) { s.bits = 2; }), kNotSupported, {}},
        {"4 bits with compression 1", Changed(b8, [&](BmpSpec& s) { s.bits = 4, s.compression = 1; }),
         kNotSupported, {}},
        {"top-down", Changed(b8, [&](BmpSpec& s) { s.height = -3; }), kUnknown, {}},
        {"width 40000", Changed(b8, [&](BmpSpec& s) { s.width = 40000; }), kUnknown, {}},
        {"width 0", Changed(b8, [&](BmpSpec& s) { s.width = 0; }), kCorrupt, {}},
        {"header size 20", Changed(b8, [&](BmpSpec& s) { s.headerSize = 20; }), kCorrupt, {}},
        {"colours used 300", Changed(b8, [&](BmpSpec& s) { s.coloursUsed = 300; }), kCorrupt, {}},
        {"colours used 100000", Changed(b8, [&](BmpSpec& s) { s.coloursUsed = 100000; }), kCorrupt, {}},
        {"colours used 17 at 4 bits", Changed(Plain({{1, 2}}, 4), [&](BmpSpec& s) { s.coloursUsed = 17; }),
         kCorrupt, {}},
        {"true colour with 257 colours", Changed(rgb, [&](BmpSpec& s) { s.coloursUsed = 257; }),
         kCorrupt, {}},
        {"pixel offset inside the palette", Changed(b8, [&](BmpSpec& s) { s.offsetShift = -8; }), kCorrupt, {}},
        {"not a bitmap", Bytes(64, 'X'), kNotBmp, {}},
        {"13 bytes", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kRead, {}},
        {"pixels cut short", [&] { Bytes f = MakeBmp(b8); f.pop_back(); return f; }(), kRead, {}},
        {"absurd size with a few bytes", Changed(b8, [&](BmpSpec& s) { s.width = s.height = 32768; }), kRead, {}},
        {"absurd RLE size", Changed(Rle(8, {0, 1}), [&](BmpSpec& s) { s.width = s.height = 30000; }), kRead, {}},
        // RLE8: 7777 / literal 1 2 3 and a run of one 9 / delta 2 then 55.
        {"RLE8", MakeBmp(Rle(8, {4, 7, 0, 0, 0, 3, 1, 2, 3, 0, 1, 9, 0, 0, 0, 2, 2, 0, 2, 5, 0, 1})), kOk,
         {{0, 0, 5, 5}, {1, 2, 3, 9}, {7, 7, 7, 7}}},
        {"RLE8 ending early leaves zeros", MakeBmp(Rle(8, {2, 7, 0, 1})), kOk, {{0, 0, 0, 0}, {0, 0, 0, 0}, {7, 7, 0, 0}}},
        {"RLE8 end of line after the last row", MakeBmp(Rle(8, {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 0, 1})), kOk,
         {{3, 3, 3, 3}, {2, 2, 2, 2}, {1, 1, 1, 1}}},
        {"RLE8 without end of bitmap", MakeBmp(Rle(8, {4, 7, 0, 0})), kRead, {}},
        {"RLE8 run past the row", MakeBmp(Rle(8, {5, 7, 0, 1})), kRead, {}},
        {"RLE8 literal past the row", MakeBmp(Rle(8, {2, 7, 0, 3, 1, 2, 3, 0, 0, 1})), kRead, {}},
        {"RLE8 delta past the width", MakeBmp(Rle(8, {0, 2, 5, 0, 0, 1})), kRead, {}},
        {"RLE8 run above the top", MakeBmp(Rle(8, {0, 2, 0, 3, 1, 7, 0, 1})), kRead, {}},
        {"RLE8 delta above the top", MakeBmp(Rle(8, {0, 2, 0, 4, 0, 1})), kRead, {}},
        // RLE4: 1 2 1 2 1 / literal 3 4 5 then a run 6 7.
        {"RLE4", MakeBmp(Rle(4, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x67, 0, 1}, 5, 2)), kOk,
         {{3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}}},
        {"RLE4 literal of 3 bytes padded", MakeBmp(Rle(4, {0, 4, 0x9A, 0xBC, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1}, 5, 2)),
         kOk, {{1, 2, 3, 4, 5}, {9, 10, 11, 12, 0}}},
        {"RLE4 run into the padding", MakeBmp(Rle(4, {8, 0x12, 0, 1}, 5, 2)), kOk, {{0, 0, 0, 0, 0}, {1, 2, 1, 2, 1}}},
        {"RLE4 run past the padding", MakeBmp(Rle(4, {9, 0x12, 0, 1}, 5, 2)), kRead, {}},
        {"RLE8 literal into the padding", MakeBmp(Rle(8, {0, 3, 4, 5, 6, 0, 0, 1}, 3, 1)), kOk, {{4, 5, 6}}},
    };
}

TEST(BmpReader, HeadersDepthsRleAndHostileInput)
{
    for (const ReadCase& c : ReadCases()) {
        SCOPED_TRACE(c.name);
        CGraphicsImage image;
        EXPECT_EQ(ReadBmp(c.file, image), c.error);
        if (!c.pixels.empty()) {
            EXPECT_EQ(Pixels(image), c.pixels);
        }
    }
}

TEST(BmpReader, FourthBytesResolutionAndBareDibThroughTheDispatcher)
{
    BmpSpec s = Plain(kIndices, 8);
    s.fileHeader = false;
    s.palette[200] = 0xAB123456;  // the fourth byte is kept
    s.xPelsPerMeter = 2835, s.yPelsPerMeter = 1417;
    const Bytes dib = MakeBmp(s);
    CGraphicsImage image;
    ASSERT_EQ(LoadGraphicsFromMemory(dib.data(), uint32_t(dib.size()), image), 0);
    EXPECT_EQ(Pixels(image), kIndices);
    EXPECT_EQ(codec_test::ColourAt(image, 3, 2), 0xAB123456u);
    int32_t x = 0, y = 0;
    EXPECT_TRUE(image.GetResolution(&x, &y));
    EXPECT_EQ(x * 10000 + y, 2835 * 10000 + 1417);
}

TEST(BmpWriter, RoundTripsAtEveryDepth)
{
    struct Case {
        uint32_t bits, setBits, fileBits;  // image depth, SetBitCount, biBitCount written
        bool withFourth;                   // fourth bytes survive
    } const cases[] = {
        {1, 0, 1, true},    {4, 0, 4, true},    {8, 0, 8, true},    {12, 0, 24, false}, {15, 0, 24, false},
        {16, 0, 24, false}, {24, 0, 24, false}, {32, 0, 24, false}, {32, 32, 32, true}, {8, 24, 24, false},
        {4, 32, 32, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, set " << c.setBits);
        CGraphicsImage image, back;
        MakeRandomImage(image, c.bits, 13, 7, c.bits * 100 + c.setBits);
        CBmpWriter writer;
        writer.SetBitCount(c.setBits);
        const Bytes file = codec_test::WriteToBytes(writer, image, "round.bmp");
        ASSERT_EQ(ReadBmp(file, back), kOk);
        EXPECT_EQ(file[28], c.fileBits);
        EXPECT_EQ(back.m_nBitCount, c.fileBits);
        EXPECT_EQ(CountDifferentPixels(image, back, c.withFourth), 0);
    }
}

TEST(BmpWriter, HeaderFieldsShortPaletteAndPadding)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, 5, 2, 0));
    for (int x = 0; x < 5; ++x)
        image.m_pfnSetPixel(image.RowAt(1), x, uint32_t(x * 3));  // highest index 12
    CBmpWriter writer;
    EXPECT_EQ(writer.SetOptions(kBmpOptionShortPalette, kBmpOptionShortPalette), kBmpOptionShortPalette);
    writer.SetResolution(3780, 3779);
    BmpSpec s = Plain({{0, 0, 0, 0, 0}, {0, 3, 6, 9, 12}}, 8);
    s.palette.clear();
    for (int i = 0; i < 13; ++i)
        s.palette.push_back(image.m_pPalette[i].rgbBlue | image.m_pPalette[i].rgbGreen << 8 | image.m_pPalette[i].rgbRed << 16);
    s.coloursUsed = 13, s.xPelsPerMeter = 3780, s.yPelsPerMeter = 3779;
    Bytes expected = MakeBmp(s);
    expected[50] = 13;  // colours important = colours used
    EXPECT_EQ(codec_test::WriteToBytes(writer, image, "short.bmp"), expected);
    image.m_pfnSetPixel(image.RowAt(0), 0, 15);  // indices 0-15: 16 entries, pixels at 118
    EXPECT_EQ(codec_test::WriteToBytes(writer, image, "short16.bmp")[10], 118);

    // Bits after the last pixel of a packed row and the padding are 0.
    ASSERT_TRUE(image.Create(1, 9, 2, 0xFFFFFFFF));
    const Bytes packed = codec_test::WriteToBytes(writer, image, "ones.bmp");
    EXPECT_EQ(Bytes(packed.end() - 8, packed.end()), Bytes({0xFF, 0x80, 0, 0, 0xFF, 0x80, 0, 0}));
}

TEST(BmpWriter, AlphaRefusalsAndSaveTransparency)
{
    CGraphicsImage image, back, twoBits, empty;
    MakeRandomImage(image, 32, 6, 4, 5);
    CBmpWriter writer;
    EXPECT_EQ(writer.SetBitCount(16), 0u);
    writer.SaveWithAlphaA(codec_test::TempFile("alpha.bmp").c_str(), image, kBmpWithAlpha);
    EXPECT_EQ(writer.m_nBitCount, 32u);  // and it stays so
    ASSERT_EQ(ReadBmp(codec_test::ReadFile(codec_test::TempFile("alpha.bmp")), back), kOk);
    EXPECT_EQ(CountDifferentPixels(image, back, true), 0);

    ASSERT_TRUE(twoBits.Create(2, 3, 3, 0));
    EXPECT_THROW(writer.SaveA(codec_test::TempFile("2.bmp").c_str(), twoBits), EBmpNotSupported);
    EXPECT_THROW(writer.SaveA(codec_test::TempFile("0.bmp").c_str(), empty), EBmpDataError);

    const std::string path = codec_test::TempFile("dispatch.bmp");
    for (const auto& [setting, bits] : {std::pair{kSaveTransparencyDefault, 24}, {0, 32}, {kSaveTransparencyNone, 24}}) {
        SetGraphicsSaveTransparency(setting);
        ASSERT_EQ(SaveGraphicsFile(path.c_str(), image, nullptr), 0);
        EXPECT_EQ(codec_test::ReadFile(path)[28], bits) << setting;
    }
    SetGraphicsSaveTransparency(kSaveTransparencyDefault);
}

#ifndef _WIN32
TEST(BmpWriter, FullDiskIsAWriteError)
{
    CGraphicsImage image;
    MakeRandomImage(image, 24, 200, 200, 1);
    CBufferedStream stream(kFormatStreamBufferSize);
    ASSERT_TRUE(stream.OpenA("/dev/full", CBufferedStream::kModeCreate, nullptr));
    EXPECT_THROW(CBmpWriter().Write(stream, image), EBmpFileWriteError);
}
#endif

}  // namespace
