// CGifReader on streams built here byte by byte (with a plain LZW coder of
// their own: roots only, a clear before the codes would widen), hostile LZW
// among them; CGifWriter read back by CGifReader, its bytes and its errors;
// transparency through the dispatchers.
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/gif_reader.h"
#include "graphics/formats/gif_writer.h"
#include "graphics/image.h"
#include "tests/graphics/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace codec_test;

namespace {

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Screen(int width, int height, int tableBits = 2, const char* signature = "GIF89a")
{
    Bytes b(signature, signature + 6);
    b = b + Bytes{uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
                  uint8_t(tableBits ? 0x80 | (tableBits - 1) : 0), 0, 0};
    for (int i = 0; i < (tableBits ? 1 << tableBits : 0); ++i)
        b = b + Bytes{uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7)};
    return b;
}

// Codes packed LSB first at the given widths, in sub-blocks, after the
// minimum code size.
Bytes Codes(int rootBits, const std::vector<std::pair<int, int>>& codes, bool terminate = true)
{
    Bytes data;
    uint32_t bits = 0, count = 0;
    for (auto [code, width] : codes) {
        bits |= uint32_t(code) << count;
        for (count += uint32_t(width); count >= 8; count -= 8, bits >>= 8)
            data.push_back(uint8_t(bits));
    }
    if (count)
        data.push_back(uint8_t(bits));
    Bytes out{uint8_t(rootBits)};
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + long(i), data.begin() + long(i + n));
    }
    if (terminate)
        out.push_back(0);
    return out;
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

const Bytes kTrailer{0x3B};

Bytes Indices(size_t n, int colours, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    Bytes out(n);
    for (uint8_t& v : out)
        v = uint8_t(rng.Next() % uint32_t(colours));
    return out;
}

// A 3 x 2 image of 4 colours.
const Bytes kSix{1, 2, 3, 0, 1, 2};
const Bytes kSmall = Screen(3, 2) + Frame(3, 2, Plain(2, kSix)) + kTrailer;

constexpr char kRead[] = "<nothing thrown>";

std::string ReadResult(const Bytes& file, CGraphicsImage& image, CGifReader& reader)
{
    return ThrownText<EGraphicsException>([&] { ReadFromMemory(reader, file, image); });
}

Bytes IndicesOf(const CGraphicsImage& image)
{
    Bytes out;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x)
            out.push_back(uint8_t(image.m_pfnGetPixel(image.RowAt(y), x)));
    return out;
}

constexpr char kCorrupt[] = "Gif stream is corrupt";

struct ReadCase {
    const char* name;
    Bytes file;
    const char* error;  // kRead for success
};

TEST(GifReader, AcceptsWhatIsSoundAndRefusesTheRest)
{
    const Bytes head = Screen(3, 2);
    const Bytes unterminated(kSmall.begin() + 25 + 10, kSmall.end() - 2);
    const ReadCase cases[] = {
        {"plain", kSmall, kRead},
        {"GIF87a", Screen(3, 2, 2, "GIF87a") + Frame(3, 2, Plain(2, kSix)) + kTrailer, kRead},
        {"GIF88a", Screen(3, 2, 2, "GIF88a") + kTrailer, "Stream is not in GIF format"},
        {"short header", Bytes{'G', 'I', 'F', '8'}, "Error reading from GIF file"},
        {"short global table", Bytes(kSmall.begin(), kSmall.begin() + 20), "Error reading from GIF file"},
        {"only a trailer", head + kTrailer, "No more images in the GIF stream"},
        {"no end", head, kCorrupt},
        {"junk block", head + Bytes{0x99} + Frame(3, 2, Plain(2, kSix)), kCorrupt},
        {"width 0", head + Frame(0, 2, Plain(2, kSix)), kCorrupt},
        {"height 0", head + Frame(3, 0, Plain(2, kSix)), kCorrupt},
        {"no colour table", Screen(3, 2, 0) + Frame(3, 2, Plain(2, kSix)), kCorrupt},
        {"wider than an image can be", head + Frame(40000, 1, Plain(2, kSix)), "Das Bild ist zu groß"},
        {"65535 x 65535 from a few bytes", head + Frame(65535, 65535, Plain(2, kSix)), kCorrupt},
        {"code size 0", head + Frame(3, 2, Codes(0, {{1, 1}, {0, 1}, {2, 2}})), kCorrupt},
        {"code size 9", head + Frame(3, 2, Codes(9, {{512, 10}, {1, 10}, {513, 10}})), kCorrupt},
        {"code size 12", head + Frame(3, 2, Codes(12, {{4096, 13}, {1, 13}, {4097, 13}})), kCorrupt},
        {"code size 13", head + Frame(3, 2, Codes(13, {{1, 14}})), kCorrupt},
        {"code above the next free", head + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {7, 3}})), kCorrupt},
        {"string code after a clear", head + Frame(3, 2, Codes(2, {{4, 3}, {6, 3}})), kCorrupt},
        {"data ends inside the image", head + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {2, 3}})), kCorrupt},
        {"sub-block cut short", head + Frame(3, 2, Bytes{2, 9, 1}), kCorrupt},
        // A first image complete is kept whatever follows or lacks.
        {"no trailer", head + Frame(3, 2, Plain(2, kSix)), kRead},
        {"junk after the image", head + Frame(3, 2, Plain(2, kSix)) + Bytes{0x99, 0x12}, kRead},
        {"no end code", head + Frame(3, 2, Plain(2, kSix, false)) + kTrailer, kRead},
        {"end code early", head + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {5, 3}})) + kTrailer, kRead},
        {"sub-blocks after the end code",
         head + Frame(3, 2, unterminated + Bytes{2, 0x2C, 0x3B, 0}) + kTrailer,
         kRead},
        {"plain text with sub-blocks",
         head + Bytes{0x21, 0x01, 12} + Bytes(12, 0) + Bytes{2, 0x2C, 0x2C, 1, 0x3B, 0} + Frame(3, 2, Plain(2, kSix)),
         kRead},
        {"unknown label with sub-blocks", head + Bytes{0x21, 0x99, 3, 0x2C, 0x21, 0x3B, 0} + Frame(3, 2, Plain(2, kSix)),
         kRead},
        {"application block", head + Bytes{0x21, 0xFF, 11} + Bytes(11, 'N') + Bytes{3, 1, 0, 0, 0} + Frame(3, 2, Plain(2, kSix)),
         kRead},
        {"application block of 10", head + Bytes{0x21, 0xFF, 10} + Bytes(10, 'N') + Bytes{0}, kCorrupt},
    };
    for (const ReadCase& c : cases) {
        CGraphicsImage image;
        CGifReader reader;
        EXPECT_EQ(ReadResult(c.file, image, reader), c.error) << c.name;
        if (c.error == kRead) {
            EXPECT_TRUE(image.m_nBitCount == 8 && image.m_nWidth == 3 && image.m_nHeight == 2) << c.name;
        }
    }
}

TEST(GifReader, DecodesPlainCodesAtEveryCodeSizeAndWidth)
{
    for (int rootBits = 2; rootBits <= 8; ++rootBits)
        for (int width = 1; width <= 17; ++width) {
            const int height = 1 + width % 5;
            const Bytes indices = Indices(size_t(width * height), 1 << rootBits, uint64_t(rootBits * 100 + width));
            CGraphicsImage image;
            CGifReader reader;
            ReadFromMemory(reader, Screen(width, height, rootBits) + Frame(width, height, Plain(rootBits, indices)) + kTrailer,
                           image);
            EXPECT_EQ(IndicesOf(image), indices) << rootBits << " " << width;
        }
}

TEST(GifReader, KeepsEarlyRowsAndFillsTheRestWithZero)
{
    CGraphicsImage image;
    CGifReader reader;
    // An end code after four indices (a row and a part); then data that
    // ends after five. Codes widen to 4 bits once entry 7 is defined.
    ReadFromMemory(reader, Screen(3, 2) + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}, {5, 4}})), image);
    EXPECT_EQ(IndicesOf(image), (Bytes{1, 2, 3, 0, 0, 0}));
    const Bytes cut = Screen(3, 2) + Frame(3, 2, Codes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}}, false));
    EXPECT_EQ(ReadResult(cut, image, reader), kCorrupt);
    EXPECT_EQ(IndicesOf(image), (Bytes{1, 2, 3, 0, 0, 0}));
}

TEST(GifReader, StoresInterlacedRowsInPassOrder)
{
    Bytes indices;
    for (int row = 0; row < 10; ++row)
        indices.insert(indices.end(), 2, uint8_t(row));
    CGraphicsImage image;
    CGifReader reader;
    ReadFromMemory(reader, Screen(2, 10, 4) + Frame(2, 10, Plain(4, indices), 0x40) + kTrailer, image);
    const int streamRowOf[10] = {0, 5, 3, 6, 2, 7, 4, 8, 1, 9};  // image row y came as stream row
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(image.RowAt(y)[0], streamRowOf[y]) << y;
}

TEST(GifReader, LocalTableOverGlobalTable)
{
    const Bytes local{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2};
    CGraphicsImage image;
    CGifReader reader;
    ReadFromMemory(reader, Screen(3, 2, 8) + Frame(3, 2, Plain(2, kSix), 0x81, local) + kTrailer, image);
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t expected = i < 4 ? uint32_t(local[i * 3] << 16 | local[i * 3 + 1] << 8 | local[i * 3 + 2])
                                        : ((i * 3) & 255) << 16 | ((i * 5) & 255) << 8 | ((i * 7) & 255);
        EXPECT_EQ(image.m_pPalette[i].rgbRed << 16 | image.m_pPalette[i].rgbGreen << 8 | image.m_pPalette[i].rgbBlue,
                  expected) << i;
    }
}

TEST(GifReader, TransparentIndexOfTheImageRead)
{
    const Bytes head = Screen(3, 2), frame = Frame(3, 2, Plain(2, kSix));
    const struct {
        Bytes file;
        int32_t index;
    } cases[] = {
        {head + Control(true, 5) + frame + kTrailer, 5},
        {head + Control(false, 5) + frame + kTrailer, -1},
        {head + Control(true, 5) + frame + Control(false, 0) + frame + kTrailer, 5},
        {head + frame + Control(true, 3) + frame + kTrailer, -1},
    };
    for (const auto& c : cases) {
        CGraphicsImage image;
        EXPECT_EQ(LoadGraphicsFromMemory(c.file.data(), uint32_t(c.file.size()), image), 0);
        EXPECT_EQ(GetGraphicsTransparentIndex(), c.index);
    }
}

TEST(GifReader, CancelKeepsTheRowsReadAndReturns)
{
    CGraphicsImage image;
    CGifReader reader;
    reader.m_info.proc = [](void*, uintptr_t, int, int, int percent, unsigned char* cancel) {
        *cancel = percent >= 50;
    };
    ReadFromMemory(reader, Screen(3, 4) + Frame(3, 4, Plain(2, kSix + kSix)) + kTrailer, image);
    EXPECT_EQ(IndicesOf(image), (kSix + Bytes(6, 0)));
}

// ------------------------------------------------------------- writer --

TEST(GifWriter, RoundTripsIndicesAndPaletteAtEveryDepth)
{
    for (uint32_t bits : {1u, 2u, 4u, 8u})
        for (uint32_t width = 1; width <= 17; ++width) {
            CGraphicsImage image, back;
            MakeRandomImage(image, bits, width, 1 + width % 7, bits * 100 + width);
            CGifWriter writer;
            CGifReader reader;
            ReadFromMemory(reader, WriteToBytes(writer, image, "rt.gif"), back);
            EXPECT_EQ(Differences(ColoursOf(image), ColoursOf(back)), 0) << bits << " " << width;
        }
    CGraphicsImage colour, quantized, back;
    MakeRandomImage(colour, 24, 40, 30, 5);
    ASSERT_TRUE(quantized.QuantizeFrom(colour));
    CGifWriter writer;
    CGifReader reader;
    ReadFromMemory(reader, WriteToBytes(writer, colour, "q.gif"), back);
    EXPECT_EQ(Differences(ColoursOf(quantized), ColoursOf(back)), 0);
}

TEST(GifWriter, SmallestTableAndCodeSize)
{
    const struct {
        uint32_t bits;
        uint8_t highest;
        uint8_t packed;
        uint8_t codeSize;
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

size_t Count(const Bytes& file, const Bytes& what)
{
    size_t n = 0;
    for (auto it = file.begin(); (it = std::search(it, file.end(), what.begin(), what.end())) != file.end(); ++it)
        ++n;
    return n;
}

TEST(GifWriter, TransparencyThroughTheDispatcher)
{
    CGraphicsImage image, back;
    MakeRandomImage(image, 8, 9, 4, 3);
    const std::string path = TempFile("transparent.gif");
    const Bytes control{0x21, 0xF9, 4, 1, 50, 0, 5, 0};
    for (int32_t setting : {-2, 5, -1}) {
        SetGraphicsSaveTransparency(setting);
        ASSERT_EQ(SaveGraphicsFile(path.c_str(), image, nullptr), 0);
        EXPECT_EQ(Count(ReadFile(path), control), setting == 5 ? 1u : 0u);
        EXPECT_EQ(Count(ReadFile(path), {0x21, 0xF9}), setting == 5 ? 1u : 0u);
        ASSERT_EQ(LoadGraphicsFile(path.c_str(), back), 0);
        EXPECT_EQ(GetGraphicsTransparentIndex(), setting == 5 ? 5 : -1);
    }
    SetGraphicsSaveTransparency(-2);
}

TEST(GifWriter, SequenceBlocksAndLocalTables)
{
    CGraphicsImage a, b;
    MakeRandomImage(a, 8, 6, 5, 1);
    MakeRandomImage(b, 8, 6, 5, 2);
    CGraphicsImage* list[] = {&a, &b};
    CGifWriter writer;
    writer.m_nTransparentIndex = 7;
    const std::string path = TempFile("seq.gif");
    writer.SaveSequenceA(path.c_str(), list, 2);
    const Bytes file = ReadFile(path);
    const Bytes loop{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 3, 0};
    EXPECT_EQ(Count(file, loop), 1u);
    EXPECT_EQ(Count(file, {0x21, 0xF9, 4, 0x0D, 50, 0, 7, 0}), 2u);
    // The second frame's own palette comes as a local table (giftext checks
    // the blocks between the frames in the peer tests).
    const Bytes descriptor{0x2C, 0, 0, 0, 0, 6, 0, 5, 0};
    auto d = std::find_end(file.begin(), file.end(), descriptor.begin(), descriptor.end());
    EXPECT_EQ(d[9] & 0x80, 0x80);

    // The list is forgotten: a later write is one image only.
    EXPECT_EQ(Count(WriteToBytes(writer, a, "single.gif"), loop), 0u);
}

TEST(GifWriter, CommentKeepsSevenBitBytesUpTo239)
{
    const struct {
        std::string text;
        std::string stored;  // "" for no block
    } cases[] = {{"Grüße", "Gre"}, {std::string(300, 'a'), std::string(239, 'a')}, {"äöü", ""}};
    CGraphicsImage image;
    MakeRandomImage(image, 1, 3, 3, 1);
    for (const auto& c : cases) {
        CGifWriter writer;
        writer.m_info.SetCommentA(c.text.c_str());
        const Bytes file = WriteToBytes(writer, image, "c.gif");
        Bytes block{0x21, 0xFE, uint8_t(c.stored.size())};
        for (char ch : c.stored)
            block.push_back(uint8_t(ch));
        block.push_back(0);
        EXPECT_EQ(Count(file, c.stored.empty() ? Bytes{0x21, 0xFE} : block), c.stored.empty() ? 0u : 1u);
    }
}

TEST(GifWriter, Errors)
{
    CGraphicsImage a;
    MakeRandomImage(a, 8, 4, 4, 1);
    CGraphicsImage* withHole[] = {&a, nullptr};
    const struct {
        const char* name;
        void (*write)(CGifWriter&, CGraphicsImage&, CGraphicsImage**);
        const char* text;
    } cases[] = {
        {"empty", [](CGifWriter& w, CGraphicsImage&, CGraphicsImage**) {
             CGraphicsImage none;
             WriteToBytes(w, none, "e.gif");
         }, "Das Bils ist leer"},
        {"no list", [](CGifWriter& w, CGraphicsImage&, CGraphicsImage**) {
             w.SaveSequenceA(TempFile("n.gif").c_str(), nullptr, 2);
         }, "Es wurden keine Bilder angegeben"},
        {"hole", [](CGifWriter& w, CGraphicsImage&, CGraphicsImage** list) {
             w.SaveSequenceA(TempFile("h.gif").c_str(), list, 2);
         }, "Ein Bild Fehlt in der Liste"},
        {"cancel", [](CGifWriter& w, CGraphicsImage& image, CGraphicsImage**) {
             w.m_info.proc = [](void*, uintptr_t, int, int, int, unsigned char* flag) { *flag = 1; };
             WriteToBytes(w, image, "x.gif");
         }, "Benutzer Abbruch"},
    };
    for (const auto& c : cases) {
        CGifWriter writer;
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { c.write(writer, a, withHole); }), c.text) << c.name;
        EXPECT_EQ(writer.m_ppImages, nullptr);
    }
}

}  // namespace
