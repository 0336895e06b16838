// CIconReader: hand-built .ico/.cur files and PE/NE images for the rules and
// refusals, the walk's budget, and cross-checks with icotool, ImageMagick,
// Pillow and mingw's windres (natively) or Wine's decoder (Windows build).
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/icon_decode.h"
#include "graphics/formats/icon_reader.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/graphics/formats/icon_test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace icon_test;
using namespace icon_detail;
using codec_test::ColourAt;

namespace {

// "" or the EIconError text of reading `file` from a memory stream.
std::string Read(const Bytes& file, CGraphicsImage& image, CGraphicsImage* mask = nullptr, int32_t selector = -1,
                 int32_t group = 0)
{
    return codec_test::ThrownText<EIconError>([&] {
        CBufferedStream stream(4096);
        ASSERT_TRUE(stream.OpenMemory(file.data(), int32_t(file.size()), CBufferedStream::kModeRead, nullptr));
        CIconReader().ReadIcon(stream, image, mask, selector, group);
        throw EIconError("", 0);
    });
}

// Pixels as 0xAARRGGBB (below 32 bits opaque), top-down; masked pixels
// (mask bit 1) and alpha 0 as 0.
std::vector<uint32_t> Pixels(const CGraphicsImage& image, const CGraphicsImage* mask = nullptr)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x) {
            const uint32_t c = ColourAt(image, x, y) | (image.m_nBitCount == 32 ? 0 : 0xFF000000);
            out.push_back(mask && (mask->RowAt(y)[x / 8] >> (7 - x % 8) & 1) ? 0 : c >> 24 ? c : 0);
        }
    return out;
}

int32_t Enum(const Bytes& file, IconEntryInfo* records, int32_t n, uint32_t kinds)
{
    CBufferedStream stream(4096);
    return stream.OpenMemory(file.data(), int32_t(file.size()), 0, nullptr) ? CIconReader().EnumIcons(stream, records, n, kinds) : -2;
}

// A w x h DIB of the depth: index/colour i * 37 + seed, every third pixel masked.
Dib Pattern(uint32_t w, uint32_t h, uint32_t bits, uint32_t seed = 0)
{
    Dib d;
    d.width = w, d.height = h, d.bits = bits;
    for (uint32_t i = 0; i < (bits <= 8 ? 1u << bits : 0); ++i)
        d.palette.push_back((i * 0x2F1D37 + seed) & 0xFFFFFF);
    for (uint32_t i = 0; i < w * h; ++i) {
        const uint32_t v = i * 37 + seed;
        d.pixels.push_back(bits <= 8 ? v % (1u << bits) : bits == 24 ? v * 0x10305 & 0xFFFFFF : v * 0x1030507 | 0x80000000);
        d.mask.push_back(i % 3 == 0);
    }
    return d;
}

Entry IconEntry(const Dib& d, uint16_t id = 1)
{
    return Entry{d.width, d.height, d.bits, MakeDib(d), id};
}

const Bytes kThree = MakeIco(1, {IconEntry(Pattern(16, 16, 32)), IconEntry(Pattern(32, 32, 8)), IconEntry(Pattern(32, 32, 32))});

TEST(IconReader, ChoosesBySelector)
{
    struct Case {
        uint32_t selector, width, bits;  // width 0: not found
    } const cases[] = {
        {0xFFFFFFFF, 32, 32}, {0x80FF2020, 32, 32}, {0x80082020, 32, 8}, {0x80182020, 0, 0},
        {3, 0, 0},            {0x01000001, 32, 8},  {0x80FF1010, 16, 32}, {0x80000000, 0, 0},
    };
    for (const Case& c : cases) {
        CGraphicsImage image, mask;
        EXPECT_EQ(Read(kThree, image, &mask, int32_t(c.selector)), c.width ? "" : EIconNotFound::kText) << std::hex << c.selector;
        if (c.width) {
            EXPECT_EQ(std::make_pair(image.m_nWidth, image.m_nBitCount), std::make_pair(c.width, c.bits));
        }
    }
    // A size request never matches a 256-pixel entry; the largest does.
    const Bytes big = MakeIco(1, {IconEntry(Pattern(256, 256, 1)), IconEntry(Pattern(255, 255, 1))});
    CGraphicsImage image;
    EXPECT_EQ(Read(big, image, nullptr, int32_t(0x80FF0000)), EIconNotFound::kText);
    EXPECT_EQ(Read(big, image), "");
    EXPECT_EQ(image.m_nWidth, 256u);
    IconEntryInfo first{};
    EXPECT_EQ(std::make_tuple(Enum(kThree, nullptr, 0, 0), Enum(kThree, &first, 1, 0), first.width, first.bitCount),
              std::make_tuple(3, 3, uint16_t(16), uint16_t(32)));
    EXPECT_EQ(Enum(Bytes{'A', 'B', 1, 0, 1, 0}, nullptr, 0, 0), -1);
    EXPECT_EQ(CIconReader().EnumIconsA("/nonexistent/x.ico", nullptr, 0, 0), -1);
}

TEST(IconReader, MasksBecomeMarkersOrMaskImage)
{
    for (const uint32_t bits : {1u, 4u, 8u, 24u, 32u}) {
        SCOPED_TRACE(bits);
        Dib d = Pattern(7, 5, bits);
        const Bytes file = MakeIco(1, {IconEntry(d)});
        CGraphicsImage withMask, mask, plain;
        ASSERT_EQ(Read(file, withMask, &mask), "");
        ASSERT_EQ(Read(file, plain), "");
        EXPECT_EQ(withMask.m_nBitCount, bits);
        EXPECT_EQ(plain.m_nBitCount, std::max(bits, 8u));
        const uint32_t allOnes = bits <= 8 ? (1u << bits) - 1 : 0;
        for (uint32_t i = 0; i < 35; ++i) {
            const int x = int(i % 7), y = int(i / 7);
            const bool masked = mask.RowAt(y)[x / 8] >> (7 - x % 8) & 1;
            ASSERT_EQ(masked, bool(d.mask[i]));
            const uint32_t source = bits <= 8 ? d.palette[d.pixels[i]] : d.pixels[i];
            EXPECT_EQ(ColourAt(withMask, x, y), source);  // the 32-bit alpha byte kept
            const uint32_t index = plain.m_pfnGetPixel(plain.RowAt(y), x);
            const uint32_t expected = !masked ? source & 0xFFFFFF : bits > 8 ? 0x40C0C0u : 0;
            if (masked && bits <= 8) {
                EXPECT_EQ(index, d.pixels[i] == allOnes ? 254u : 255u);
            } else {
                EXPECT_EQ(ColourAt(plain, x, y) & (masked ? ~0u : 0xFFFFFFu), expected);
            }
        }
        if (bits == 4 || bits == 8) {
            d.clrUsed = 3;  // a short colour table: the pixels follow it
            for (uint32_t& p : d.pixels)
                p %= 3;
            ASSERT_EQ(Read(MakeIco(1, {IconEntry(d)}), withMask, &mask), "");
            EXPECT_EQ(ColourAt(withMask, 1, 0), d.palette[d.pixels[1]]);
        }
        if (bits <= 8) {
            EXPECT_EQ(ColourAt(plain, 0, 0) & 0xFFFFFF, 0x40C0C0u);  // pixel 0 is masked
            const RGBQUAD inverse = plain.m_pPalette[254];
            EXPECT_EQ(uint32_t(inverse.rgbRed << 16 | inverse.rgbGreen << 8 | inverse.rgbBlue), 0xC040C0u);
        }
    }
}

TEST(IconReader, FreeMarkerIndicesMovesTheMarkerColours)
{
    // Index 255 has 10 pixels; 200 and 100 have 3 (the higher index is taken),
    // every other index of 16..253 has 5. 200's own pixels go to the nearest
    // other colour: 7 and 9 are equally near, the higher index wins.
    std::vector<uint8_t> pixels(10, 255);
    for (int i = 16; i < 254; ++i)
        pixels.insert(pixels.end(), i == 200 || i == 100 ? 3 : 5, uint8_t(i));
    pixels.push_back(7);
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, uint32_t(pixels.size()), 1, 0));
    for (int i = 0; i < 256; ++i)
        image.m_pPalette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    image.m_pPalette[200] = RGBQUAD{30, 20, 10, 0};
    image.m_pPalette[7] = RGBQUAD{31, 20, 10, 0};
    image.m_pPalette[9] = RGBQUAD{29, 20, 10, 0};
    std::copy(pixels.begin(), pixels.end(), image.RowAt(0));
    CIconReader::FreeMarkerIndices(image);
    std::vector<uint8_t> expected = pixels;
    for (uint8_t& p : expected)
        p = p == 255 ? 200 : p == 200 ? 9 : p;
    EXPECT_EQ(std::vector<uint8_t>(image.RowAt(0), image.RowAt(0) + pixels.size()), expected);
    EXPECT_EQ(image.m_pPalette[200].rgbBlue, 255);
    EXPECT_EQ(image.m_pPalette[255].rgbBlue, 30);
}

TEST(IconReader, CursorsAndPngEntries)
{
    // .cur files store their DIBs like icons; a 1-bit one without mask
    // holds bitmap and mask stacked.
    Dib stacked = Pattern(8, 8, 1);
    stacked.heightFactor = 1;
    for (const uint32_t bits : {1u, 8u, 32u}) {
        const Dib d = Pattern(6, 4, bits);
        CGraphicsImage icon, cursor, iconMask, cursorMask;
        ASSERT_EQ(Read(MakeIco(1, {IconEntry(d)}), icon, &iconMask), "");
        ASSERT_EQ(Read(MakeIco(2, {IconEntry(d)}), cursor, &cursorMask), "") << bits;
        EXPECT_EQ(Pixels(cursor, &cursorMask), Pixels(icon, &iconMask));
        IconEntryInfo info{};
        EXPECT_EQ(Enum(MakeIco(2, {IconEntry(d)}), &info, 1, 0), 1);
        EXPECT_EQ(info.bitCount, bits);
    }
    CGraphicsImage image, mask;
    ASSERT_EQ(Read(MakeIco(2, {Entry{8, 8, 1, MakeDib(stacked)}}), image, &mask), "");
    EXPECT_EQ(std::make_pair(image.m_nHeight, mask.m_nHeight), std::make_pair(4u, 4u));

    // A PNG entry whose directory bit count is 0, with transparent pixels.
    codec_test::PngSpec png;
    png.width = 3, png.height = 2, png.colorType = 6;
    png.rows = {1, 2, 3, 0, 4, 5, 6, 255, 7, 8, 9, 128, 10, 11, 12, 0, 13, 14, 15, 255, 16, 17, 18, 9};
    Bytes file = MakeIco(1, {Entry{3, 2, 0, codec_test::EncodePng(png)}});
    ASSERT_EQ(Read(file, image, &mask), "");
    EXPECT_EQ(Pixels(image, &mask), (std::vector<uint32_t>{0, 0xFF040506, 0x80070809, 0, 0xFF0D0E0F, 0x09101112}));
    file[file.size() - 20] ^= 0xFF;  // a broken IEND CRC: the PNG reader's text as an icon error
    const std::string text = Read(file, image);
    EXPECT_TRUE(!text.empty() && text != "<other exception>") << text;
}

TEST(IconReader, FilesAndExecutablesReadOrRefuse)
{
    // Icon group 100 in two languages (the second with a 4-bit and a 32-bit
    // image) and cursor group 200 with a 32-bit colour cursor.
    const Dib a = Pattern(5, 3, 4), b = Pattern(9, 9, 32, 1), c = Pattern(8, 6, 32, 2);
    Bytes cursorData = {3, 0, 4, 0}, cd = MakeDib(c);
    cursorData.insert(cursorData.end(), cd.begin(), cd.end());
    const std::vector<Resource> res = {{3, 1, 0x409, MakeDib(a)}, {3, 2, 0x409, MakeDib(b)}, {1, 7, 0x409, cursorData},
                                       {14, 100, 0x407, MakeGroup(false, {IconEntry(a, 1)})},
                                       {14, 100, 0x409, MakeGroup(false, {IconEntry(a, 1), IconEntry(b, 2)})},
                                       {12, 200, 0x409, MakeGroup(true, {IconEntry(c, 7)})}};
    const Bytes pe = MakePe(res);
    CGraphicsImage image, mask, ico, icoMask;
    ASSERT_EQ(Read(MakeIco(1, {IconEntry(b)}), ico, &icoMask), "");
    EXPECT_EQ(Read(pe, image, &mask, -1, 1), "");  // the second language version
    EXPECT_EQ(Pixels(image, &mask), Pixels(ico, &icoMask));
    ASSERT_EQ(Read(MakeIco(1, {IconEntry(c)}), ico, &icoMask), "");
    EXPECT_EQ(Read(pe, image, &mask, 0x02000000 | 0, -200), "");  // a colour cursor
    EXPECT_EQ(Pixels(image, &mask), Pixels(ico, &icoMask));

    Bytes many = MakeIco(1, std::vector<Entry>(33, IconEntry(Pattern(2, 2, 1))));
    Dib compressed = Pattern(4, 4, 8), wide = Pattern(4, 4, 8), planes = Pattern(4, 4, 8);
    compressed.compression = 1;
    wide.bits = 16;
    planes.planes = 2;
    Dib widePlanes = wide, planes4 = Pattern(5, 3, 4), planes32 = Pattern(9, 9, 32, 1);
    widePlanes.planes = planes4.planes = planes32.planes = 2;
    // Executables take planes other than 1 at 4 and 8 bits only.
    const auto peOf = [](const Dib& d) {
        return MakePe({{3, 2, 0x409, MakeDib(d)}, {14, 100, 0x409, MakeGroup(false, {IconEntry(d, 2)})}});
    };
    Bytes capped = MakeIco(1, {IconEntry(Pattern(4, 4, 8))}), deep = capped, cut = capped, shortDib = capped;
    PutAt(capped, 14, kIconMaxEntryBytes + 1, 4);
    PutAt(deep, 12, 16, 2);
    cut.resize(cut.size() - 1);
    PutAt(shortDib, 14, 60, 4);
    Bytes mz = MzHeader(), mzLow = mz;
    PutAt(mzLow, 0x3C, 0x38, 4);
    std::vector<Resource> overCount = res, bigEntry = res, noHotSpot = res;
    PutAt(overCount[4].data, 4, 3, 2);
    PutAt(bigEntry[4].data, 6 + 14 + 8, 100000, 4);
    PutAt(noHotSpot[5].data, 6 + 8, 3, 4);  // the cursor's image: 3 bytes, short of its hot spot
    Bytes selfLoop = MakeResourceSection(res, 0x1000);
    PutAt(selfLoop, 16 + 8 * 3 + 4, 0x80000000u, 4);  // the cursor groups' type entry points at the root
    const std::vector<Resource> ne = {{0x8003, 1, 0, MakeDib(a)}, {0x800E, 5, 0, MakeGroup(false, {IconEntry(a, 1)})}};
    std::vector<Resource> neBig = ne, neNoGroup = {ne[0]};
    neBig[1].data.resize(300);
    Bytes hugeSection = pe, neShift = MakeNe(ne);
    PutAt(hugeSection, 0x40 + 24 + 16, 0x7FFFFFF0, 4);  // raw size of .rsrc
    PutAt(neShift, 0x80, 40, 2);
    struct Case {
        const char* name;
        Bytes file;
        int32_t selector, group;
        const char* text;
        uint32_t width;  // of the image read
    } const cases[] = {
        {"33 entries", many, -1, 0, EIconNotFound::kText, 0},
        {"group of a file", kThree, -1, 1, EIconNotFound::kText, 0},
        {"5 bytes", Bytes(kThree.begin(), kThree.begin() + 5), -1, 0, EIconFileOpenError::kText, 0},
        {"unknown header", Bytes{'A', 'B', 1, 0, 1, 0}, -1, 0, EIconNotFound::kText, 0},
        {"over the size cap", capped, -1, 0, EIconCorruptFile::kText, 0},
        {"data cut short", cut, -1, 0, EIconFileReadError::kText, 0},
        {"DIB shorter than declared", shortDib, -1, 0, EIconCorruptFile::kText, 0},
        {"compressed", MakeIco(1, {IconEntry(compressed)}), -1, 0, EIconCompressed::kText, 0},
        {"directory depth 16", deep, -1, 0, EIconWrongColor::kText, 0},
        {"DIB depth 16, planes 1", MakeIco(1, {Entry{4, 4, 8, MakeDib(wide)}}), -1, 0, EIconWrongColor::kText, 0},
        {"DIB planes 2", MakeIco(1, {IconEntry(planes)}), -1, 0, "", 4},
        {"DIB planes 2, depth 16", MakeIco(1, {Entry{4, 4, 8, MakeDib(widePlanes)}}), -1, 0, EIconWrongColor::kText, 0},
        {"PE DIB planes 2 at 4 bits", peOf(planes4), -1, 0, "", 5},
        {"PE DIB planes 2 at 32 bits", peOf(planes32), -1, 0, EIconWrongColor::kText, 0},
        {"MZ header offset 0x38", mzLow, -1, 0, EIconNotFound::kText, 0},
        {"MZ without header offset", Bytes(mz.begin(), mz.begin() + 0x3D), -1, 0, EIconFileOpenError::kText, 0},
        {"MZ header offset past the end", mz, -1, 0, EIconFileOpenError::kText, 0},
        {"PE group -100", pe, -1, -100, "", 5},
        {"PE section beyond the file", hugeSection, -1, 0, EIconExeReadError::kText, 0},
        {"PE 17 sections", MakePe(res, 16), -1, 0, EIconNotFound::kText, 0},
        {"PE 16 sections", MakePe(res, 15), -1, -100, "", 5},
        {"PE missing id", pe, -1, -5, EIconNotFound::kText, 0},
        {"PE cursors only, no icon group asked", pe, 0x02000000, -100, EIconNotFound::kText, 0},
        {"PE count beyond its group", MakePe(overCount), int32_t(0xFDFFFFFF), 1, EIconNotFound::kText, 0},
        {"PE entry larger than its image", MakePe(bigEntry), 1, 1, EIconCorruptFile::kText, 0},
        {"PE cursor shorter than its hot spot", MakePe(noHotSpot), 0x02000000, -200, EIconCorruptFile::kText, 0},
        {"PE self-referencing root", MakePe(selfLoop), -1, 0, "", 5},
        {"NE group 5", MakeNe(ne), -1, -5, "", 5},
        {"NE ignores kind bits", MakeNe(ne), 0x02000000, 0, "", 5},
        {"NE missing id", MakeNe(ne), -1, -6, EIconExeReadError::kText, 0},
        {"NE group ordinal 1", MakeNe(ne), -1, 1, EIconNotFound::kText, 0},
        {"NE no group type", MakeNe(neNoGroup), -1, 0, EIconNotFound::kText, 0},
        {"NE group over 264 bytes", MakeNe(neBig), -1, 0, EIconTooBig::kText, 0},
        {"NE shift 40", neShift, -1, 0, EIconCorruptFile::kText, 0},
    };
    for (const Case& k : cases) {
        CGraphicsImage out;
        EXPECT_EQ(Read(k.file, out, nullptr, k.selector, k.group), k.text) << k.name;
        if (k.width) {
            EXPECT_EQ(out.m_nWidth, k.width) << k.name;
        }
    }

    // Enumeration: an "MZ" file without a "PE" or "NE" header is no
    // executable (-1), whatever its header offset says.
    Bytes dos = mz;
    dos.insert(dos.end(), {'L', 'E', 0, 0});
    for (const auto& [name, file] : {std::pair{"MZ header offset 0x38", mzLow}, std::pair{"MZ header offset past the end", mz},
                                     std::pair{"MZ without header offset", Bytes(mz.begin(), mz.begin() + 0x3D)},
                                     std::pair{"MZ with an LE header", dos}})
        EXPECT_EQ(Enum(file, nullptr, 0, 0), -1) << name;
    IconEntryInfo info[8] = {};
    EXPECT_EQ(Enum(pe, info, 8, 0x03000000), 4);
    EXPECT_EQ((std::vector<uint32_t>{info[2].resourceId, info[2].group, info[2].index, info[3].kind, info[3].height}),
              (std::vector<uint32_t>{100, 1, 1, 2, 12}));
}

TEST(IconReader, ResourceWalkIsLinear)
{
    // 500 groups with one language each: type, id and language entries are
    // each visited once.
    std::vector<Resource> res;
    for (uint32_t i = 0; i < 500; ++i)
        res.push_back({14, i + 1, 0x409, MakeGroup(false, {})});
    std::vector<ResourceLeaf> leaves;
    const Bytes section = MakeResourceSection(res, 0x1000);
    EXPECT_EQ(WalkResourceSection(section.data(), int64_t(section.size()), 0x1000, leaves), 1 + 500 + 500);
    EXPECT_EQ(leaves.size(), 500u);
    // Every entry of the root and of one shared subdirectory pointing at that
    // subdirectory would be 200^2 visits; the budget holds it to size / 8.
    Bytes shared(16 + 8 * 200 + 16 + 8 * 200, 0);
    PutAt(shared, 14, 200, 2);
    PutAt(shared, 16 + 8 * 200 + 14, 200, 2);
    for (int i = 0; i < 200; ++i) {
        PutAt(shared, 16 + 8 * i + 4, 0x80000000u | (16 + 8 * 200), 4);
        PutAt(shared, 16 + 8 * 200 + 16 + 8 * i + 4, 0x80000000u | (16 + 8 * 200), 4);
    }
    EXPECT_LE(WalkResourceSection(shared.data(), int64_t(shared.size()), 0x1000, leaves), int64_t(shared.size() / 8));
}

TEST(IconReader, DispatcherReadsLargestDeepest)
{
    CGraphicsImage image;
    ASSERT_EQ(LoadGraphicsFromMemory(kThree.data(), uint32_t(kThree.size()), image), 0);
    EXPECT_EQ(std::make_pair(image.m_nWidth, image.m_nBitCount), std::make_pair(32u, 32u));
}

#ifndef _WIN32
bool Shell(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// Pillow's RGBA decode as 0xAARRGGBB, alpha-0 pixels as 0.
std::vector<uint32_t> PillowRgba(const std::string& path, int size)
{
    const std::string out = path + ".rgba";
    EXPECT_TRUE(Shell("/usr/bin/python3 -c \"import sys; from PIL import Image; i = Image.open(sys.argv[1]); "
                      "setattr(i, 'size', (" + std::to_string(size) + ", " + std::to_string(size) + ")) if i.format == 'ICO' else 0; "
                      "open(sys.argv[2], 'wb').write(i.convert('RGBA').tobytes())\" '" + path + "' '" + out + "'"));
    const Bytes rgba = codec_test::ReadFile(out);
    std::vector<uint32_t> px;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        px.push_back(rgba[i + 3] ? uint32_t(rgba[i + 3]) << 24 | rgba[i] << 16 | rgba[i + 1] << 8 | rgba[i + 2] : 0);
    return px;
}

TEST(IconPeers, IcotoolMagickPillowAndMingwFiles)
{
    if (!Shell("command -v icotool convert && /usr/bin/python3 -c 'import PIL'"))
        GTEST_SKIP() << "icotool, ImageMagick or Pillow missing";
    const std::string dir = codec_test::TempFile("icons");
    ASSERT_TRUE(Shell("mkdir -p " + dir));
    const std::string makePngs = "cd " + dir + " && for s in 16 32 48 256; do p=plasma:fractal; [ $s = 256 ] && p=radial-gradient:yellow-blue; "
                                 "convert -seed 7 -size ${s}x$s $p "
                                 "-channel A -fx 'i%3==0?0:1' +channel -depth 8 -define png:color-type=6 p$s.png; done";
    ASSERT_TRUE(Shell(makePngs));
    // Commands writing x.ico or x.cur in dir, and the size of the largest image.
    const std::pair<const char*, int> cases[] = {
        {"icotool -c -o x.ico p16.png p32.png p48.png", 48},
        {"icotool -c -o x.ico p16.png -r p256.png", 256},
        {"icotool -c --cursor -X 1 -Y 2 -o x.cur p32.png", 32},
        {"convert p16.png p32.png p48.png x.ico", 48},
        {"convert p16.png -colors 16 -type Palette BMP3:x.bmp && convert x.bmp x.ico", 16},
        {"/usr/bin/python3 -c \"from PIL import Image; Image.open('p48.png').save('x.ico', sizes=[(16, 16), (48, 48)])\"", 48},
    };
    for (const auto& [command, size] : cases) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(Shell("cd " + dir + " && rm -f x.ico x.cur && " + command));
        const std::string path = dir + (Shell("test -e " + dir + "/x.cur") ? "/x.cur" : "/x.ico");
        CGraphicsImage image, mask;
        ASSERT_EQ(Read(codec_test::ReadFile(path), image, &mask), "");
        EXPECT_EQ(image.m_nWidth, uint32_t(size));
        // Pillow ignores a cursor's mask: icotool's own extraction is the peer there.
        const bool cursor = path.back() == 'r';
        ASSERT_TRUE(!cursor || Shell("icotool -x -o " + dir + "/x.png " + path));
        EXPECT_EQ(Pixels(image, &mask), PillowRgba(cursor ? dir + "/x.png" : path, size));
    }

    // The same icon and cursor linked into a program by the mingw toolchain.
    if (!Shell("command -v i686-w64-mingw32-windres i686-w64-mingw32-gcc"))
        GTEST_SKIP() << "mingw toolchain missing";
    ASSERT_TRUE(Shell("cd " + dir + " && icotool -c -o a.ico p16.png p32.png && icotool -c --cursor -o c.cur p32.png "
                      "&& printf '100 ICON \"a.ico\"\\n101 ICON \"a.ico\"\\n200 CURSOR \"c.cur\"\\n' > r.rc "
                      "&& i686-w64-mingw32-windres r.rc r.o && echo 'int main(void){return 0;}' > m.c "
                      "&& i686-w64-mingw32-gcc -s -o m.exe m.c r.o"));
    const Bytes exe = codec_test::ReadFile(dir + "/m.exe");
    for (const auto& [file, selector, group] : {std::tuple{"/a.ico", -1, -100}, std::tuple{"/a.ico", 0, 1},
                                                std::tuple{"/c.cur", 0x02000000 | 0, -200}}) {
        CGraphicsImage fromExe, exeMask, fromFile, fileMask;
        ASSERT_EQ(Read(exe, fromExe, &exeMask, selector, group), "") << file << group;
        ASSERT_EQ(Read(codec_test::ReadFile(dir + file), fromFile, &fileMask, selector == -1 ? -1 : 0, 0), "");
        EXPECT_EQ(Pixels(fromExe, &exeMask), Pixels(fromFile, &fileMask)) << file << group;
    }
}
#else
// Wine's decoder: CreateIconFromResourceEx over the same DIB, GetDIBits of
// its colour and mask bitmaps, against ours.
TEST(IconPeers, WineDecodesLikeUs)
{
    for (const uint32_t bits : {4u, 8u, 24u, 32u}) {  // 1-bit icons have no colour bitmap
        SCOPED_TRACE(bits);
        const Dib d = Pattern(16, 16, bits, bits);
        Bytes dib = MakeDib(d);
        CGraphicsImage image, mask;
        ASSERT_EQ(Read(MakeIco(1, {IconEntry(d)}), image, &mask), "");
        HICON icon = CreateIconFromResourceEx(dib.data(), DWORD(dib.size()), TRUE, 0x00030000, 16, 16, 0);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        HDC dc = GetDC(nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint32_t> colours(256), masks(256);
        ASSERT_EQ(GetDIBits(dc, info.hbmColor, 0, 16, colours.data(), &bi, DIB_RGB_COLORS), 16);
        ASSERT_EQ(GetDIBits(dc, info.hbmMask, 0, 16, masks.data(), &bi, DIB_RGB_COLORS), 16);
        ReleaseDC(nullptr, dc);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
        const std::vector<uint32_t> ours = Pixels(image, &mask);
        for (size_t i = 0; i < 256; ++i) {
            const bool masked = (masks[i] & 0xFFFFFF) != 0;
            EXPECT_EQ(ours[i] == 0, masked) << i;
            EXPECT_EQ(ours[i] & 0xFFFFFF, masked ? 0 : colours[i] & 0xFFFFFF) << i;
        }
    }
}
#endif

}  // namespace
