// CGifReader on byte-built streams (hostile LZW too; the test's own LZW sends
// roots only, clearing before codes would widen); CGifWriter's bytes, errors
// and round trips. Natively, peer files decode to Pillow's colours and ours
// pass giftext (strict), gif2rgb and Pillow; a missing peer skips.
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/gif_reader.h"
#include "graphics/formats/gif_writer.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
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
    bool cancelAtSecondRow = false;  // a cancel ends the read quietly
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
        // Minimum code sizes up to 12 are allowed; their roots above 255 are not.
        {"code size 11", kHead + Frame(3, 2, Plain(11, kSix)) + kTrailer, kRead},
        {"code size 12, 13-bit codes", kHead + Frame(3, 2, Plain(12, kSix)) + kTrailer, kRead},
        {"code size 11 with strings", kHead + Frame(3, 2, Codes(11, {{2048, 12}, {1, 12}, {2, 12}, {3, 12}, {0, 12},
                                                                   {2050, 12}, {2049, 12}})), kRead, {1, 2, 3, 0, 1, 2}},
        {"code size 11, index 256", kHead + Frame(3, 2, Codes(11, {{2048, 12}, {1, 12}, {256, 12}})), kCorrupt, none},
        {"code size 9, index 255", kHead + Frame(3, 2, Plain(9, {1, 2, 3, 0, 1, 255})), kRead, {1, 2, 3, 0, 1, 255}},
        {"code size 12, code past the table", kHead + Frame(3, 2, Codes(12, {{4096, 13}, {1, 13}, {4098, 13}})), kCorrupt,
         none},
        {"code size 13", kHead + Frame(3, 2, Codes(13, {{8192, 14}, {1, 14}})), kCorrupt, none},
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
        {"control terminator not 0", kHead + Bytes{0x21, 0xF9, 4, 1, 0, 0, 5, 1, 0} + kFrame + kTrailer, kCorrupt, none},
        {"the next frame's control", kHead + Control(true, 5) + kFrame + Control(false, 0) + kFrame, kRead, kSix, 5},
        {"control only before frame 2", kHead + kFrame + Control(true, 3) + kFrame + kTrailer, kRead},
        {"cancel", kHead + kFrame + kTrailer, kRead, {1, 2, 3, 0, 0, 0}, -1, true},
    };
    for (const ReadCase& c : cases) {
        CGraphicsImage image;
        image.Create(8, 3, 2, 0);
        CGifReader reader;
        if (c.cancelAtSecondRow)
            reader.m_info.proc = [](void*, uintptr_t, int, int, int percent, unsigned char* cancel) { *cancel = percent == 50; };
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { ReadFromMemory(reader, c.file, image); }), c.error) << c.name;
        EXPECT_EQ(IndicesOf(image), c.indices) << c.name;
        EXPECT_EQ(reader.m_transparentIndex, c.transparent) << c.name;
    }
}

TEST(GifReader, PlainCodesAtEveryCodeSizeAndWidth)
{
    for (int rootBits = 2; rootBits <= 12; ++rootBits)
        for (int width = 1; width <= 17; ++width) {
            const int height = 1 + (width + rootBits) % 10;
            const int tableBits = std::min(rootBits, 8);
            lindar_test::Rng rng(uint64_t(rootBits * 100 + width));
            Bytes indices(size_t(width * height));
            for (uint8_t& v : indices)
                v = uint8_t(rng.Next() % (1u << tableBits));
            CGraphicsImage image;
            CGifReader reader;
            ReadFromMemory(reader, Screen(width, height, tableBits) + Frame(width, height, Plain(rootBits, indices)), image);
            EXPECT_EQ(IndicesOf(image), indices) << rootBits << " " << width;
        }
}

TEST(GifReader, TenInterlacedRowsAndLocalOverGlobalTable)
{
    Bytes rows;  // stream row k holds k
    for (uint8_t k = 0; k < 10; ++k)
        rows.insert(rows.end(), {k, k});
    const Bytes local{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2};
    CGraphicsImage image;
    CGifReader reader;
    ReadFromMemory(reader, Screen(2, 10, 8) + Frame(2, 10, Plain(4, rows), 0xC1, local), image);
    EXPECT_EQ(IndicesOf(image), Bytes({0, 0, 5, 5, 3, 3, 6, 6, 2, 2, 7, 7, 4, 4, 8, 8, 1, 1, 9, 9}));  // 0, 8, 4, 2, 6, 1...
    for (uint32_t i = 0; i < 256; ++i) {
        const RGBQUAD& p = image.m_pPalette[i];
        const Bytes global{uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7)};
        EXPECT_EQ(Bytes({p.rgbRed, p.rgbGreen, p.rgbBlue}), i < 4 ? Bytes(&local[i * 3], &local[i * 3 + 3]) : global);
    }
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
        image.Create(c.bits, 5, 3, 0);
        image.m_pfnSetPixel(image.RowAt(2), 4, c.highest);
        CGifWriter writer;
        const Bytes file = WriteToBytes(writer, image, "t.gif");
        const size_t descriptor = 13 + (size_t(3) << ((c.packed & 7) + 1));  // no control block before it
        EXPECT_EQ(Bytes({file[10], file[descriptor], file[descriptor + 10]}), Bytes({c.packed, 0x2C, c.codeSize}));
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
        const Bytes file = ReadFile(path);
        EXPECT_EQ(Count(file, {0x21, 0xF9, 4, 1, 50, 0, 5, 0}) + Count(file, {0x21, 0xF9}), setting == 5 ? 2u : 0u);
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
    writer.transparentIndex = 7;
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

TEST(GifWriter, ErrorsLeaveNoListBehind)
{
    CGraphicsImage a, none;
    MakeRandomImage(a, 8, 4, 4, 1);
    CGraphicsImage* hole[] = {&a, nullptr};
    const std::string path = TempFile("e.gif");
    CGifWriter w;
    EXPECT_EQ(ThrownText<EGifError>([&] { WriteToBytes(w, none, "e.gif"); }), "Das Bils ist leer");
    EXPECT_EQ(ThrownText<EGifError>([&] { w.SaveSequenceA(path.c_str(), nullptr, 2); }), "Es wurden keine Bilder angegeben");
    EXPECT_EQ(ThrownText<EGifError>([&] { w.SaveSequenceA(path.c_str(), hole, 2); }), "Ein Bild Fehlt in der Liste");
    EXPECT_EQ(w.images, nullptr);
    w.m_info.proc = [](void*, uintptr_t, int, int, int, unsigned char* cancel) { *cancel = 1; };
    EXPECT_EQ(ThrownText<EGraphicsAbort>([&] { WriteToBytes(w, a, "e.gif"); }), "Benutzer Abbruch");
}

#ifndef _WIN32  // the peers are Linux programs

const std::string kPython = "/usr/bin/python3";  // Debian's, with Pillow
const std::string kMagick = "/usr/bin/convert";

bool Shell(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_GIF_PEERS()                                                                                   \
    if (!Shell(kPython + " -c 'import PIL' && command -v giftext gif2rgb gifbuild && " + kMagick + " -version")) \
    GTEST_SKIP() << "Pillow, ImageMagick or giflib-tools missing"

// Pillow runs `body` with d (the test folder) and random seeded.
void Pillow(const std::string& body)
{
    const std::string script = TempFile("peer.py");
    std::ofstream(script) << "import random\nfrom PIL import Image\nrandom.seed(5)\nd = '" << TempFile("")
                          << "'\n" << body;
    ASSERT_TRUE(Shell(kPython + " " + script));
}

// Pillow's colours of the last frame of each file into <file>.rgb.
void PillowToRgb(const std::vector<std::string>& files)
{
    std::string list;
    for (const std::string& f : files)
        list += "'" + f + "', ";
    Pillow("for f in [" + list + "]:\n    im = Image.open(f)\n    im.seek(im.n_frames - 1)\n"
           "    open(f + '.rgb', 'wb').write(im.convert('RGB').tobytes())\n");
}

// The image's colours must be the RGB triples of the file.
void ExpectColours(const CGraphicsImage& image, const std::string& rgbFile)
{
    const Bytes rgb = ReadFile(rgbFile);
    Colours expected;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        expected.push_back(0xFF000000u | uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    EXPECT_EQ(Differences(ColoursOf(image, false), expected), 0) << rgbFile;
}

TEST(GifPeer, PeerFilesDecodeToThePeersColours)
{
    REQUIRE_GIF_PEERS();
    // Pillow: tables of 2^1..2^8 colours (code sizes 2..8), widths 1..17;
    // giflib's encoder on each; ImageMagick: interlaced heights 1..10.
    Pillow("def img(w, h, n):\n    im = Image.new('P', (w, h))\n"
           "    im.putpalette([random.randrange(256) for i in range(3 * n)])\n"
           "    im.putdata([random.randrange(n) for i in range(w * h)])\n    return im\n"
           "for b in range(1, 9):\n    for w in range(1, 18, 4):\n"
           "        img(w, 1 + (w + b) % 10, 1 << b).save('%s/p%d-%d.gif' % (d, b, w))\n");
    std::vector<std::string> files;
    for (int b = 1; b <= 8; ++b)
        for (int w = 1; w <= 17; w += 4) {
            files.push_back(TempFile("p" + std::to_string(b) + "-" + std::to_string(w) + ".gif"));
            files.push_back(files.back() + ".giflib.gif");
            ASSERT_TRUE(Shell("gifbuild -d '" + files[files.size() - 2] + "' | gifbuild > '" + files.back() + "'"));
        }
    for (int h = 1; h <= 10; ++h) {
        files.push_back(TempFile("m" + std::to_string(h) + ".gif"));
        ASSERT_TRUE(Shell(kMagick + " -size " + std::to_string(18 - h - h / 2) + "x" + std::to_string(h) +
                          " xc: +noise Random -colors " + std::to_string(1 << (h % 8 + 1)) + " -interlace GIF '" +
                          files.back() + "'"));
    }
    PillowToRgb(files);
    for (const std::string& f : files) {
        CGraphicsImage image;
        CGifReader().LoadA(f.c_str(), image);
        ExpectColours(image, f + ".rgb");
    }
}

TEST(GifPeer, OurFilesPassGiflibAndPillow)
{
    REQUIRE_GIF_PEERS();
    const int kCount = 21;
    std::vector<CGraphicsImage> images(kCount), indexed(kCount);
    for (int i = 0; i < 17; ++i)
        MakeRandomImage(images[size_t(i)], i % 4 == 3 ? 4 : 8, uint32_t(i + 1), uint32_t(1 + i % 9), uint64_t(i));
    MakeRandomImage(images[17], 1, 1, 1, 17);
    MakeRandomImage(images[18], 24, 33, 21, 18);
    MakeRandomImage(images[19], 8, 1024, 1024, 19);  // table-full clears, 12-bit codes
    MakeRandomImage(images[20], 24, 33, 21, 20);     // after images[18] in a sequence
    std::vector<std::string> files;
    for (int i = 0; i < kCount; ++i) {
        files.push_back(TempFile("ours" + std::to_string(i) + ".gif"));
        CGifWriter writer;
        writer.m_info.SetCommentA("Kommentar");
        CGraphicsImage* sequence[] = {&images[18], &images[20]};  // Pillow checks the last frame
        if (i == 20)
            writer.SaveSequenceA(files.back().c_str(), sequence, 2);
        else
            writer.SaveA(files.back().c_str(), images[size_t(i)]);
        ASSERT_TRUE(indexed[size_t(i)].QuantizeFrom(images[size_t(i)]));
    }
    PillowToRgb(files);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string q = "'" + files[i] + "'";
        EXPECT_TRUE(Shell("giftext " + q)) << q;
        ExpectColours(indexed[i], files[i] + ".rgb");
        if (i < 20) {  // gif2rgb shows the first frame
            ASSERT_TRUE(Shell("gif2rgb -1 -o " + q + ".g2r " + q)) << q;
            ExpectColours(indexed[i], files[i] + ".g2r");
        }
    }
}

#endif

}  // namespace
