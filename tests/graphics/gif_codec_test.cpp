// CGifReader on streams built here byte by byte, hostile LZW among them (a
// plain LZW coder of the test's own: roots only, a clear before the codes
// would widen); CGifWriter read back, its bytes and its errors.
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/gif_reader.h"
#include "graphics/formats/gif_writer.h"
#include "graphics/image.h"
#include "tests/graphics/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace codec_test;

namespace {

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Colour i of every table is (3i, 5i, 7i).
Bytes Screen(int width, int height, int tableBits = 2, const char* signature = "GIF89a")
{
    Bytes b = Bytes(signature, signature + 6) + Bytes{uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                                                       uint8_t(height >> 8), uint8_t(tableBits ? 0x7F + tableBits : 0), 0, 0};
    for (int i = 0; i < (tableBits ? 1 << tableBits : 0); ++i)
        b = b + Bytes{uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7)};
    return b;
}

// The minimum code size, then (code, width) pairs packed LSB first in
// sub-blocks, then the terminator unless cut.
Bytes Codes(int rootBits, const std::vector<std::pair<int, int>>& codes, bool cut = false)
{
    Bytes data, out{uint8_t(rootBits)};
    uint32_t bits = 0, count = 0;
    for (auto [code, width] : codes)
        for (bits |= uint32_t(code) << count, count += uint32_t(width); count >= 8; count -= 8, bits >>= 8)
            data.push_back(uint8_t(bits));
    if (count)
        data.push_back(uint8_t(bits));
    for (size_t i = 0; i < data.size(); i += 255) {
        out.push_back(uint8_t(std::min<size_t>(255, data.size() - i)));
        out.insert(out.end(), data.begin() + long(i), data.begin() + long(i + out.back()));
    }
    return cut ? out : out + Bytes{0};
}

Bytes Plain(int rootBits, const Bytes& indices, bool endCode = true)
{
    const int clear = 1 << rootBits, width = rootBits + 1;
    std::vector<std::pair<int, int>> codes;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % size_t(clear - 2) == 0)
            codes.push_back({clear, width});
        codes.push_back({indices[i], width});
    }
    if (endCode)
        codes.push_back({clear + 1, width});
    return Codes(rootBits, codes);
}

Bytes Frame(int width, int height, const Bytes& data, uint8_t packed = 0, const Bytes& local = {})
{
    return Bytes{0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
                 packed} + local + data;
}

Bytes Control(bool transparent, int index)
{
    return {0x21, 0xF9, 4, uint8_t(transparent), 0, 0, uint8_t(index), 0};
}

Bytes IndicesOf(const CGraphicsImage& image)
{
    Bytes out;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x)
            out.push_back(uint8_t(image.m_pfnGetPixel(image.RowAt(y), x)));
    return out;
}

size_t Count(const Bytes& file, const Bytes& what)
{
    size_t n = 0;
    for (auto it = file.begin(); (it = std::search(it, file.end(), what.begin(), what.end())) != file.end(); ++it)
        ++n;
    return n;
}

const Bytes kTrailer{0x3B};
const Bytes kSix{1, 2, 3, 0, 1, 2};
const Bytes kHead = Screen(3, 2);
const Bytes kFrame = Frame(3, 2, Plain(2, kSix));
constexpr char kRead[] = "<nothing thrown>";
constexpr char kCorrupt[] = "Gif stream is corrupt";

struct ReadCase {
    const char* name;
    Bytes file;
    const char* error;
    Bytes indices = kSix;  // of the 3 x 2 image, after the read or the error
    int32_t transparent = -1;
};

TEST(GifReader, AcceptsWhatIsSoundAndRefusesTheRest)
{
    const Bytes none(6, 0), firstRow{1, 2, 3, 0, 0, 0};
    const Bytes plainData = Plain(2, kSix);
    const Bytes unterminated(plainData.begin(), plainData.end() - 1), eightColours = Screen(3, 2, 3);
    const ReadCase cases[] = {
        {"plain", kHead + kFrame + kTrailer, kRead},
        {"GIF87a", Screen(3, 2, 2, "GIF87a") + kFrame + kTrailer, kRead},
        {"GIF88a", Screen(3, 2, 2, "GIF88a") + kTrailer, "Stream is not in GIF format", none},
        {"short header", Bytes{'G', 'I', 'F', '8'}, "Error reading from GIF file", none},
        {"short global table", Bytes(eightColours.begin(), eightColours.begin() + 20), "Error reading from GIF file", none},
        {"only a trailer", kHead + kTrailer, "No more images in the GIF stream", none},
        {"no end", kHead, kCorrupt, none},
        {"junk block", kHead + Bytes{0x99} + kFrame, kCorrupt, none},
        {"width 0", kHead + Frame(0, 2, plainData), kCorrupt, none},
        {"height 0", kHead + Frame(3, 0, plainData), kCorrupt, none},
        {"no colour table", Screen(3, 2, 0) + kFrame, kCorrupt, none},
        {"wider than an image can be", kHead + Frame(40000, 1, plainData), "Das Bild ist zu groß", {}},
        {"65535 x 65535 from a few bytes", kHead + Frame(65535, 65535, plainData), kCorrupt, none},
        {"code size 0", kHead + Frame(3, 2, Codes(0, {{1, 1}, {0, 1}, {2, 2}})), kCorrupt, none},
        {"code size 9", kHead + Frame(3, 2, Codes(9, {{512, 10}, {1, 10}})), kCorrupt, none},
        {"code size 12", kHead + Frame(3, 2, Codes(12, {{4096, 13}, {1, 13}})), kCorrupt, none},
        {"code size 13", kHead + Frame(3, 2, Codes(13, {{1, 14}})), kCorrupt, none},
        {"code above the next free", kHead + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {7, 3}})), kCorrupt, none},
        {"string code after a clear", kHead + Frame(3, 2, Codes(2, {{4, 3}, {6, 3}})), kCorrupt, none},
        {"sub-block cut short", kHead + Frame(3, 2, Bytes{2, 9, 1}), kCorrupt, none},
        // Codes widen to 4 bits once entry 7 is defined; a partial row is not stored.
        {"data ends in the second row", kHead + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}}, true)),
         kCorrupt, firstRow},
        {"end code in the second row", kHead + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}, {5, 4}})),
         kRead, firstRow},
        // A complete first image is kept whatever follows or lacks.
        {"no trailer", kHead + kFrame, kRead},
        {"junk after the image", kHead + kFrame + Bytes{0x99, 0x12}, kRead},
        {"no end code", kHead + Frame(3, 2, Plain(2, kSix, false)) + kTrailer, kRead},
        {"sub-blocks after the end code", kHead + Frame(3, 2, unterminated + Bytes{2, 0x2C, 0x3B, 0}) + kTrailer, kRead},
        {"plain text with sub-blocks", kHead + Bytes{0x21, 1, 12} + Bytes(12, 0) + Bytes{2, 0x2C, 0x2C, 1, 0x3B, 0} + kFrame,
         kRead},
        {"unknown label with sub-blocks", kHead + Bytes{0x21, 0x99, 3, 0x2C, 0x21, 0x3B, 0} + kFrame, kRead},
        {"application block", kHead + Bytes{0x21, 0xFF, 11} + Bytes(11, 'N') + Bytes{3, 1, 0, 0, 0} + kFrame, kRead},
        {"application block of 10", kHead + Bytes{0x21, 0xFF, 10} + Bytes(10, 'N') + Bytes{0}, kCorrupt, none},
        {"transparent 5", kHead + Control(true, 5) + kFrame + kTrailer, kRead, kSix, 5},
        {"control without transparency", kHead + Control(false, 5) + kFrame + kTrailer, kRead},
        {"the next frame's control", kHead + Control(true, 5) + kFrame + Control(false, 0) + kFrame, kRead, kSix, 5},
        {"control only before frame 2", kHead + kFrame + Control(true, 3) + kFrame + kTrailer, kRead},
    };
    for (const ReadCase& c : cases) {
        CGraphicsImage image;
        image.Create(8, 3, 2, 0);
        CGifReader reader;
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { ReadFromMemory(reader, c.file, image); }), c.error) << c.name;
        EXPECT_EQ(IndicesOf(image), c.indices) << c.name;
        EXPECT_EQ(reader.m_nTransparentIndex, c.transparent) << c.name;
    }
}

TEST(GifReader, PlainCodesAtEveryCodeSizeAndWidthInterlacedOrNot)
{
    for (int rootBits = 2; rootBits <= 8; ++rootBits)
        for (int width = 1; width <= 17; ++width) {
            const int height = 1 + (width + rootBits) % 10;
            lindar_test::Rng rng(uint64_t(rootBits * 100 + width));
            Bytes indices(size_t(width * height));
            for (uint8_t& v : indices)
                v = uint8_t(rng.Next() % (1u << rootBits));
            const bool interlaced = width % 2;
            CGraphicsImage image;
            CGifReader reader;
            ReadFromMemory(reader, Screen(width, height, rootBits) +
                                       Frame(width, height, Plain(rootBits, indices), interlaced ? 0x40 : 0), image);
            // The picture row of each stream row: interlaced every 8th from 0,
            // every 8th from 4, every 4th from 2, every 2nd from 1.
            std::vector<int> rows;
            for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int y = interlaced ? start : int(rows.size()); y < height; y += interlaced ? step : 1)
                    rows.push_back(y);
            for (int k = 0; k < height; ++k)
                EXPECT_EQ(Bytes(image.RowAt(rows[size_t(k)]), image.RowAt(rows[size_t(k)]) + width),
                          Bytes(indices.begin() + k * width, indices.begin() + (k + 1) * width))
                    << rootBits << " " << width << " " << k;
        }
}

TEST(GifReader, TenInterlacedRowsAndLocalOverGlobalTable)
{
    Bytes indices;
    for (int row = 0; row < 10; ++row)
        indices.insert(indices.end(), {uint8_t(row), uint8_t(row)});
    const Bytes local{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2};
    CGraphicsImage image;
    CGifReader reader;
    ReadFromMemory(reader, Screen(2, 10, 8) + Frame(2, 10, Plain(4, indices), 0xC1, local), image);
    const Bytes streamRows{0, 5, 3, 6, 2, 7, 4, 8, 1, 9};  // 0, 8, 4, 2, 6, 1, 3, 5, 7, 9 inverted
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(image.RowAt(y)[0], streamRows[size_t(y)]) << y;
    for (uint32_t i = 0; i < 256; ++i) {
        const RGBQUAD& p = image.m_pPalette[i];
        EXPECT_EQ(Bytes({p.rgbRed, p.rgbGreen, p.rgbBlue}),
                  i < 4 ? Bytes(local.begin() + i * 3, local.begin() + i * 3 + 3)
                        : Bytes({uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7)})) << i;
    }
}

TEST(GifReader, CancelKeepsTheRowsReadAndReturns)
{
    CGraphicsImage image;
    CGifReader reader;
    reader.m_info.proc = [](void*, uintptr_t, int, int, int percent, unsigned char* cancel) { *cancel = percent >= 50; };
    ReadFromMemory(reader, Screen(3, 4) + Frame(3, 4, Plain(2, kSix + kSix)) + kTrailer, image);
    EXPECT_EQ(IndicesOf(image), kSix + Bytes(6, 0));
}

// ------------------------------------------------------------- writer --

TEST(GifWriter, RoundTripsIndicesAndPaletteAtEveryDepth)
{
    for (uint32_t bits : {1u, 2u, 4u, 8u, 24u})
        for (uint32_t width = 1; width <= 17; ++width) {
            CGraphicsImage image, indexed, back;
            MakeRandomImage(image, bits, width, 1 + width % 7, bits * 100 + width);
            ASSERT_TRUE(indexed.QuantizeFrom(image));  // keeps 1 to 8-bit indices
            CGifWriter writer;
            CGifReader reader;
            ReadFromMemory(reader, WriteToBytes(writer, image, "rt.gif"), back);
            EXPECT_EQ(Differences(ColoursOf(indexed), ColoursOf(back)), 0) << bits << " " << width;
        }
}

TEST(GifWriter, SmallestTableAndCodeSize)
{
    const struct {
        uint32_t bits;
        uint8_t highest, packed, codeSize;
    } cases[] = {{8, 1, 0x80, 8}, {8, 200, 0xF7, 8}, {8, 127, 0xE6, 8}, {4, 3, 0xB3, 4}, {1, 1, 0x80, 2}};
    for (const auto& c : cases) {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(c.bits, 5, 3, 0));
        image.m_pfnSetPixel(image.RowAt(2), 4, c.highest);
        CGifWriter writer;
        const Bytes file = WriteToBytes(writer, image, "t.gif");
        const size_t table = size_t(3) << ((c.packed & 7) + 1);
        EXPECT_EQ(file[10], c.packed) << c.bits << " " << int(c.highest);
        EXPECT_EQ(file[13 + table], 0x2C);  // no control block for one opaque image
        EXPECT_EQ(file[13 + table + 10], c.codeSize);
    }
}

TEST(GifWriter, TransparencyThroughTheDispatcher)
{
    CGraphicsImage image, back;
    MakeRandomImage(image, 8, 9, 4, 3);
    const std::string path = TempFile("transparent.gif");
    for (int32_t setting : {-2, 5, -1}) {
        SetGraphicsSaveTransparency(setting);
        ASSERT_EQ(SaveGraphicsFile(path.c_str(), image, nullptr), 0);
        EXPECT_EQ(Count(ReadFile(path), {0x21, 0xF9, 4, 1, 50, 0, 5, 0}), setting == 5 ? 1u : 0u);
        EXPECT_EQ(Count(ReadFile(path), {0x21, 0xF9}), setting == 5 ? 1u : 0u);
        ASSERT_EQ(LoadGraphicsFile(path.c_str(), back), 0);
        EXPECT_EQ(GetGraphicsTransparentIndex(), setting == 5 ? 5 : -1);
    }
    SetGraphicsSaveTransparency(-2);
}

TEST(GifWriter, SequenceBlocksLocalTablesCommentAndReuse)
{
    CGraphicsImage a, b;
    MakeRandomImage(a, 8, 6, 5, 1);
    MakeRandomImage(b, 8, 6, 5, 2);
    CGraphicsImage* list[] = {&a, &b};
    CGifWriter writer;
    writer.m_nTransparentIndex = 7;
    writer.m_info.SetCommentA(("Grüße " + std::string(300, 'a')).c_str());
    const std::string path = TempFile("seq.gif");
    writer.SaveSequenceA(path.c_str(), list, 2);
    const Bytes file = ReadFile(path);
    const Bytes loop{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 3, 0};
    EXPECT_EQ(Count(file, loop), 1u);
    EXPECT_EQ(Count(file, {0x21, 0xF9, 4, 0x0D, 50, 0, 7, 0}), 2u);
    // Bytes below 0x80, at most 239 (giftext checks the blocks in the peer tests).
    EXPECT_EQ(Count(file, Bytes{0x21, 0xFE, 239, 'G', 'r', 'e', ' '} + Bytes(235, 'a') + Bytes{0}), 1u);
    const Bytes descriptor{0x2C, 0, 0, 0, 0, 6, 0, 5, 0};
    EXPECT_EQ(std::find_end(file.begin(), file.end(), descriptor.begin(), descriptor.end())[9], 0x87);  // local table

    writer.m_info.SetCommentA("äöü");
    const Bytes single = WriteToBytes(writer, a, "single.gif");
    EXPECT_EQ(Count(single, loop) + Count(single, {0x21, 0xFE}), 0u);  // the list is forgotten
}

TEST(GifWriter, Errors)
{
    CGraphicsImage a, none;
    MakeRandomImage(a, 8, 4, 4, 1);
    CGraphicsImage* hole[] = {&a, nullptr};
    const std::string path = TempFile("e.gif");
    const struct {
        std::function<void(CGifWriter&)> write;
        const char* text;
    } cases[] = {
        {[&](CGifWriter& w) { WriteToBytes(w, none, "e.gif"); }, "Das Bils ist leer"},
        {[&](CGifWriter& w) { w.SaveSequenceA(path.c_str(), nullptr, 2); }, "Es wurden keine Bilder angegeben"},
        {[&](CGifWriter& w) { w.SaveSequenceA(path.c_str(), hole, 2); }, "Ein Bild Fehlt in der Liste"},
        {[&](CGifWriter& w) {
             w.m_info.proc = [](void*, uintptr_t, int, int, int, unsigned char* cancel) { *cancel = 1; };
             WriteToBytes(w, a, "e.gif");
         }, "Benutzer Abbruch"},
    };
    for (const auto& c : cases) {
        CGifWriter writer;
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { c.write(writer); }), c.text);
        EXPECT_EQ(writer.m_ppImages, nullptr);
    }
}

}  // namespace
