// CBmpReader and CBmpWriter: header variants, depths, RLE, hostile headers
// (each with the text it must raise), round trips and the written bytes.
// Natively also cross-checks made at test time: files that netpbm and
// ImageMagick write decode here to the pixels they were made from, a
// hand-built RLE4 file with deltas decodes like ImageMagick's decode, and our
// files decode in netpbm and Pillow to our pixels (a missing peer skips).
#include "graphics/formats/bmp_reader.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

using namespace codec_test;
using Rows = std::vector<std::vector<uint32_t>>;

namespace {

// A BMP file built byte by byte.
struct BmpSpec {
    bool fileHeader = true;
    uint32_t headerSize = 40;  // 12: core header
    int32_t width = 4, height = 3;
    uint16_t bits = 8;
    uint32_t compression = 0, coloursUsed = 0;
    int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
    std::vector<uint32_t> palette;  // written as stored: 4 bytes (3 for the core header)
    Bytes afterHeader;              // bit-field masks of a 40-byte header, header tails
    Bytes pixels;
    int32_t offsetShift = 0;  // added to the file header's pixel offset
};

void Put(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

Bytes MakeBmp(const BmpSpec& s)
{
    Bytes info;
    Put(info, s.headerSize, 4);
    if (s.headerSize == 12) {
        for (uint32_t v : {uint32_t(s.width), uint32_t(s.height), 1u, uint32_t(s.bits)})
            Put(info, v, 2);
    } else {
        for (uint32_t v : {uint32_t(s.width), uint32_t(s.height)})
            Put(info, v, 4);
        Put(info, 1, 2);
        Put(info, s.bits, 2);
        for (uint32_t v : {s.compression, 0u, uint32_t(s.xPelsPerMeter), uint32_t(s.yPelsPerMeter), s.coloursUsed, 0u})
            Put(info, v, 4);
    }
    info.insert(info.end(), s.afterHeader.begin(), s.afterHeader.end());
    for (uint32_t entry : s.palette)
        Put(info, entry, s.headerSize == 12 ? 3 : 4);
    Bytes out;
    if (s.fileHeader) {
        out = {'B', 'M'};
        Put(out, uint32_t(14 + info.size() + s.pixels.size()), 4);
        Put(out, 0, 4);
        Put(out, uint32_t(14 + int64_t(info.size()) + s.offsetShift), 4);
    }
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

Bytes PackRows(const Rows& topDown, int bits)
{
    Bytes out;
    for (auto row = topDown.rbegin(); row != topDown.rend(); ++row) {
        Bytes packed(((row->size() * size_t(bits) + 31) / 32) * 4, 0);
        for (size_t x = 0; x < row->size(); ++x) {
            const uint32_t v = (*row)[x];
            if (bits >= 24)
                for (int i = 0; i < bits / 8; ++i)
                    packed[x * size_t(bits / 8) + size_t(i)] = uint8_t(v >> (8 * i));
            else
                packed[x * size_t(bits) / 8] |= uint8_t(v << (8 - bits - int(x * size_t(bits) % 8)));
        }
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

std::string ReadBmp(const Bytes& bytes, CGraphicsImage& image)
{
    CBmpReader reader;
    try {
        ReadFromMemory(reader, bytes, image);
    } catch (const EGraphicsException& e) {
        return e.text;
    }
    return "";
}

Rows Pixels(const CGraphicsImage& image)
{
    Rows rows(image.m_nHeight);
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            rows[y].push_back(image.m_pfnGetPixel(image.RowAt(int(y)), int(x)));
    return rows;
}

const std::string kOk, kRead = EBmpFileReadError::kText, kCorrupt = EBmpCorruptFile::kText,
                   kNotSupported = EBmpNotSupported::kText, kUnknown = EBmpUnknownError::kText,
                   kNotBmp = EBmpNotABmpFile::kText;

const Rows kIndices = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 200}};
const Rows kColours = {{0x102030, 0xFFFFFF, 0x000001}, {0x800000, 0x008000, 0x000080}};
const Rows kColoursAlpha = {{0x80102030, 0xFFFFFFFF, 0x00000001}, {0x01800000, 0x7F008000, 0x000080}};

Bytes Le32s(std::initializer_list<uint32_t> values)
{
    Bytes out;
    for (uint32_t v : values)
        Put(out, v, 4);
    return out;
}

// Palette depths get a grey palette.
BmpSpec Spec(int32_t width, int32_t height, uint16_t bits, uint32_t compression, const Bytes& pixels)
{
    BmpSpec s;
    s.width = width, s.height = height, s.bits = bits, s.compression = compression, s.pixels = pixels;
    for (uint32_t i = 0; bits <= 8 && i < 1u << bits; ++i)
        s.palette.push_back(i * 0x010101u);
    return s;
}

// An uncompressed file of top-down rows; 4 x 3 RLE8 or 5 x 2 RLE4 data.
BmpSpec Plain(const Rows& rows, uint16_t bits)
{
    return Spec(int32_t(rows[0].size()), int32_t(rows.size()), bits, 0, PackRows(rows, bits));
}

BmpSpec Rle(uint16_t bits, const Bytes& data, int32_t width = 4, int32_t height = 3)
{
    return Spec(width, height, bits, bits == 8 ? kBmpRle8 : kBmpRle4, data);
}

Bytes Changed(BmpSpec s, const std::function<void(BmpSpec&)>& change)
{
    change(s);
    return MakeBmp(s);
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
        // 32-bit masks other than the standard ones, each channel by its mask
        // (alpha 0 without an alpha mask); a mask of two runs, or other
        // 24-bit masks, stay refused.
        {"other masks: X8B8G8R8",
         Changed(argb, [](BmpSpec& s) { s.compression = 3, s.afterHeader = Le32s({0xFF, 0xFF00, 0xFF0000}); }), kOk,
         {{0x302010, 0xFFFFFF, 0x010000}, {0x000080, 0x008000, 0x800000}}},
        {"A8B8G8R8 in a V4 header", Changed(argb, [&](BmpSpec& s) {
             s.headerSize = 108, s.compression = 3, s.afterHeader = Le32s({0xFF, 0xFF00, 0xFF0000, 0xFF000000});
             s.afterHeader.resize(68, 0);
         }),
         kOk, {{0x80302010, 0xFFFFFFFF, 0x00010000}, {0x01000080, 0x7F008000, 0x00800000}}},
        {"R8G8B8A8, compression 6",
         Changed(argb, [](BmpSpec& s) { s.compression = 6, s.afterHeader = Le32s({0xFF000000, 0xFF0000, 0xFF00, 0xFF}); }),
         kOk, {{0x30801020, 0xFFFFFFFF, 0x01000000}, {0x00018000, 0x007F0080, 0x80000000}}},
        {"5-6-5 in 32 bits widened", Changed(Plain({{0xFFFF, 0x8410, 0x0001}}, 32), [](BmpSpec& s) {
             s.compression = 3, s.afterHeader = Le32s({0xF800, 0x7E0, 0x1F});
         }),
         kOk, {{0xFFFFFF, 0x848284, 0x000008}}},
        {"10-bit channels keep their top 8 bits", Changed(Plain({{0x3FF00155}}, 32), [](BmpSpec& s) {
             s.compression = 3, s.afterHeader = Le32s({0x3FF00000, 0xFFC00, 0x3FF});
         }),
         kOk, {{0xFF0055}}},
        {"red mask of two runs",
         Changed(argb, [](BmpSpec& s) { s.compression = 3, s.afterHeader = Le32s({0xF0F00000, 0xFF00, 0xFF}); }),
         kNotSupported, {}},
        {"24 bits, other masks",
         Changed(rgb, [](BmpSpec& s) { s.compression = 3, s.afterHeader = Le32s({0xFF, 0xFF00, 0xFF0000}); }),
         kNotSupported, {}},
        {"24 bits, compression 6",
         Changed(rgb, [&](BmpSpec& s) { s.compression = 6, s.afterHeader = Le32s({0xFF0000, 0xFF00, 0xFF, 0}); }),
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
    EXPECT_EQ(ColourAt(image, 3, 2), 0xAB123456u);
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
        const Bytes file = WriteToBytes(writer, image, "round.bmp");
        ASSERT_EQ(ReadBmp(file, back), kOk);
        EXPECT_EQ(file[28], c.fileBits);
        EXPECT_EQ(back.m_nBitCount, c.fileBits);
        EXPECT_EQ(Differences(ColoursOf(image, c.withFourth), ColoursOf(back, c.withFourth)), 0);
    }
}

// Rows go out in bands of about 256 KB: straight from the image where its
// rows are the file's rows (no padding, whole bytes), else through a band
// with zero padding and zero bits after the last pixel. Either way the file
// is the rows bottom-up as the format lays them out.
TEST(BmpWriter, BandsOfRowsAreTheFileLayout)
{
    const struct {
        uint32_t bits, width, height;
    } cases[] = {
        {24, 1000, 300}, {24, 1001, 300}, {32, 700, 300}, {8, 1000, 300}, {8, 1001, 300},
        {4, 2000, 300},  {1, 8192, 300},  {1, 8191, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.width << " wide");
        CGraphicsImage image;
        MakeRandomImage(image, c.bits, c.width, c.height, c.width + c.bits);
        for (uint32_t i = 0; c.bits <= 8 && i < 1u << c.bits; ++i)
            image.SetPaletteRGB(i, uint8_t(i), uint8_t(i), uint8_t(i));
        CBmpWriter writer;
        writer.SetBitCount(c.bits == 32 ? 32 : 0);
        EXPECT_EQ(WriteToBytes(writer, image, "bands.bmp"), MakeBmp(Plain(Pixels(image), uint16_t(c.bits))));
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
    EXPECT_EQ(WriteToBytes(writer, image, "short.bmp"), expected);
    image.m_pfnSetPixel(image.RowAt(0), 0, 15);  // indices 0-15: 16 entries, pixels at 118
    EXPECT_EQ(WriteToBytes(writer, image, "short16.bmp")[10], 118);

    // Bits after the last pixel of a packed row and the padding are 0.
    ASSERT_TRUE(image.Create(1, 9, 2, 0xFFFFFFFF));
    const Bytes packed = WriteToBytes(writer, image, "ones.bmp");
    EXPECT_EQ(Bytes(packed.end() - 8, packed.end()), Bytes({0xFF, 0x80, 0, 0, 0xFF, 0x80, 0, 0}));
}

TEST(BmpWriter, AlphaRefusalsAndSaveTransparency)
{
    CGraphicsImage image, back, twoBits, empty;
    MakeRandomImage(image, 32, 6, 4, 5);
    CBmpWriter writer;
    EXPECT_EQ(writer.SetBitCount(16), 0u);
    writer.SaveWithAlphaA(TempFile("alpha.bmp").c_str(), image, kBmpWithAlpha);
    EXPECT_EQ(writer.m_bitCount, 32u);  // and it stays so
    ASSERT_EQ(ReadBmp(ReadFile(TempFile("alpha.bmp")), back), kOk);
    EXPECT_EQ(Differences(ColoursOf(image, true), ColoursOf(back, true)), 0);

    ASSERT_TRUE(twoBits.Create(2, 3, 3, 0));
    EXPECT_THROW(writer.SaveA(TempFile("2.bmp").c_str(), twoBits), EBmpNotSupported);
    EXPECT_THROW(writer.SaveA(TempFile("0.bmp").c_str(), empty), EBmpDataError);

    const std::string path = TempFile("dispatch.bmp");
    for (const auto& [setting, bits] : {std::pair{kSaveTransparencyDefault, 24}, {0, 32}, {kSaveTransparencyNone, 24}}) {
        SetGraphicsSaveTransparency(setting);
        ASSERT_EQ(SaveGraphicsFile(path.c_str(), image, nullptr), 0);
        EXPECT_EQ(ReadFile(path)[28], bits) << setting;
    }
    SetGraphicsSaveTransparency(kSaveTransparencyDefault);
#ifndef _WIN32
    CBufferedStream full(kFormatStreamBufferSize);
    ASSERT_TRUE(full.OpenA("/dev/full", CBufferedStream::kModeCreate, nullptr));
    MakeRandomImage(image, 24, 200, 200, 1);
    EXPECT_THROW(CBmpWriter().Write(full, image), EBmpFileWriteError);
#endif
}

#ifndef _WIN32
// Debian's interpreter, which has Pillow.
const std::string kPillow = "/usr/bin/python3 -c 'import PIL'";
const std::string kMagick = "convert -version | grep -q ImageMagick";
const std::string kNetpbm = "command -v ppmtobmp bmptopnm >/dev/null";

bool Shell(const std::string& command)
{
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

#define REQUIRE_PEER(check) \
    if (!Shell(check))        \
    GTEST_SKIP() << check << " failed: peer not installed"

using Colours = std::vector<uint32_t>;  // 0x00RRGGBB, top-down

Colours FromRgb(const Bytes& rgb)
{
    Colours out;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        out.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return out;
}

Colours ColoursOf(const CGraphicsImage& image)
{
    Colours out;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x)
            out.push_back(ColourAt(image, x, y) & 0xFFFFFF);
    return out;
}

// Pillow's RGB decode of any file it reads (BMP, or netpbm's PPM).
Colours PillowRgb(const std::string& path)
{
    EXPECT_TRUE(Shell("/usr/bin/python3 -c \"import sys; from PIL import Image; open(sys.argv[2], 'wb')"
                    ".write(Image.open(sys.argv[1]).convert('RGB').tobytes())\" '" + path + "' '" + path + ".rgb'"));
    return FromRgb(ReadFile(path + ".rgb"));
}

// A P6 file of 37 x 11 random pixels drawn from `count` colours.
Colours WritePpm(const std::string& path, int count)
{
    lindar_test::Rng rng{uint64_t(count)};
    std::ofstream out(path, std::ios::binary);
    out << "P6\n37 11\n255\n";
    Colours pixels;
    for (int i = 0; i < 37 * 11; ++i) {
        const uint32_t index = rng.Next() % uint32_t(count);  // the colour of index i is i * 0x9E3779 % 2^24
        pixels.push_back(index * 0x9E3779u & 0xFFFFFF);
        out.put(char(pixels.back() >> 16)).put(char(pixels.back() >> 8)).put(char(pixels.back()));
    }
    return pixels;
}

TEST(BmpPeers, NetpbmAndImageMagickFilesDecodeToTheirSource)
{
    REQUIRE_PEER(kNetpbm);
    struct Case {
        std::string command;  // source and target paths follow
        int colours;
        uint32_t bits;
    } const cases[] = {
        {"ppmtobmp -bpp 1", 2, 1},          {"ppmtobmp -bpp 4", 16, 4},         {"ppmtobmp -bpp 8", 200, 8},
        {"ppmtobmp -bpp 24", 300, 24},       {"ppmtobmp -windows -bpp 8", 40, 8}, {"ppmtobmp -os2 -bpp 4", 9, 4},
        {"ppmtobmp -os2 -bpp 24", 50, 24},   {"RLE8", 100, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const bool rle = c.command == "RLE8";
        if (rle && !Shell(kMagick))
            continue;
        const std::string source = TempFile("peer.ppm"), bmp = TempFile("peer.bmp");
        const Colours pixels = WritePpm(source, c.colours);
        ASSERT_TRUE(Shell(rle ? "convert " + source + " -type Palette -compress RLE bmp3:" + bmp
                            : c.command + " " + source + " > " + bmp));
        const Bytes file = ReadFile(bmp);
        CGraphicsImage image;
        ASSERT_EQ(ReadBmp(file, image), "");
        EXPECT_TRUE(!rle || file[30] == kBmpRle8);
        EXPECT_EQ(image.m_nBitCount, c.bits);
        EXPECT_EQ(ColoursOf(image), pixels);
    }
}

TEST(BmpPeers, HandBuiltRle4WithDeltasDecodesLikeImageMagick)
{
    // Pillow 9.4 drops RLE4 deltas and the last nibble of odd literals, and
    // bmptopnm refuses deltas: ImageMagick is the peer here.
    REQUIRE_PEER(kMagick);
    BmpSpec s;
    s.width = 9, s.height = 4, s.bits = 4, s.compression = 2;
    for (uint32_t i = 0; i < 16; ++i)
        s.palette.push_back(i * 0x0F0D0B);
    // Runs, an odd literal, end of line, deltas within and across rows, end of bitmap.
    s.pixels = {9, 0x1F, 0, 0, 0, 5, 0x23, 0x45, 0x60, 0, 0, 2, 1, 1, 3, 0xAB, 0, 0, 0, 2, 4, 0, 2, 0xCD, 0, 1};
    const std::string path = TempFile("rle4.bmp");
    WriteFile(path, MakeBmp(s));
    CGraphicsImage image;
    ASSERT_EQ(ReadBmp(ReadFile(path), image), "");
    // ImageMagick warns of bytes missing after the end of bitmap (exit
    // status 1) but writes its decode.
    Shell("convert " + path + " -depth 8 rgb:" + path + ".im");
    EXPECT_EQ(FromRgb(ReadFile(path + ".im")), ColoursOf(image));
}

TEST(BmpPeers, OurFilesDecodeInNetpbmAndPillow)
{
    REQUIRE_PEER(kPillow);
    REQUIRE_PEER(kNetpbm);
    for (const uint32_t bits : {1u, 4u, 8u, 24u, 32u}) {
        SCOPED_TRACE(bits);
        CGraphicsImage image;
        MakeRandomImage(image, bits, 29, 13, bits);
        const std::string path = TempFile("ours.bmp");
        CBmpWriter writer;
        writer.SetBitCount(bits == 32 ? 32 : 0);
        writer.SaveA(path.c_str(), image);
        EXPECT_EQ(PillowRgb(path), ColoursOf(image));
        ASSERT_TRUE(Shell("bmptopnm " + path + " > " + path + ".ppm"));
        EXPECT_EQ(PillowRgb(path + ".ppm"), ColoursOf(image));
    }
}

#endif  // _WIN32

}  // namespace
