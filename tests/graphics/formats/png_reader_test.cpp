// CPngReader: every colour type and bit depth, interlaced or not, palette
// transparency and grey palettes, the comment, and damaged files.
#include "graphics/formats/png_palette.h"
#include "graphics/formats/png_reader.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <iterator>
#include <vector>

using namespace codec_test;

namespace {

// Sample i of a PNG row (big-endian 16-bit samples, packed small ones).
uint32_t Sample(const PngSpec& spec, uint32_t x, uint32_t y, size_t channel)
{
    const uint8_t* row = spec.rows.data() + y * PngRowBytes(spec);
    const size_t index = size_t(x) * PngChannels(spec.colorType) + channel;
    if (spec.bitDepth == 16)
        return uint32_t(row[2 * index]) << 8 | row[2 * index + 1];
    const size_t bit = index * size_t(spec.bitDepth);
    return (row[bit / 8] >> (8 - spec.bitDepth - int(bit % 8))) & ((1u << spec.bitDepth) - 1);
}

uint32_t To8(uint32_t v, int bitDepth)
{
    return bitDepth == 16 ? (v * 255 + 32767) / 65535 : v * 255 / ((1u << bitDepth) - 1);
}

// The colour a pixel of the file must read as (0xAARRGGBB for alpha types).
uint32_t Expected(const PngSpec& spec, uint32_t x, uint32_t y)
{
    auto s = [&](size_t c) { return To8(Sample(spec, x, y, c), spec.bitDepth); };
    switch (spec.colorType) {
    case PNG_COLOR_TYPE_GRAY: return s(0) * 0x010101;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return s(1) << 24 | s(0) * 0x010101;
    case PNG_COLOR_TYPE_RGB: return s(0) << 16 | s(1) << 8 | s(2);
    case PNG_COLOR_TYPE_RGB_ALPHA: return s(3) << 24 | s(0) << 16 | s(1) << 8 | s(2);
    default: {
        const PngRgb& e = spec.palette[Sample(spec, x, y, 0)];
        return uint32_t(e.red) << 16 | uint32_t(e.green) << 8 | e.blue;
    }
    }
}

std::vector<PngRgb> RandomPalette(size_t n, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    std::vector<PngRgb> palette(n);
    for (auto& e : palette)
        e = {uint8_t(rng.Next()), uint8_t(rng.Next()), uint8_t(rng.Next())};
    return palette;
}

struct LayoutCase {
    int colorType;
    int bitDepth;
    uint32_t bits;  // of the image read
};

const LayoutCase kLayouts[] = {
    {PNG_COLOR_TYPE_GRAY, 1, 1},       {PNG_COLOR_TYPE_GRAY, 2, 2},       {PNG_COLOR_TYPE_GRAY, 4, 4},
    {PNG_COLOR_TYPE_GRAY, 8, 8},       {PNG_COLOR_TYPE_GRAY, 16, 24},     {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 32},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 32}, {PNG_COLOR_TYPE_RGB, 8, 24},     {PNG_COLOR_TYPE_RGB_ALPHA, 8, 32},
    {PNG_COLOR_TYPE_PALETTE, 1, 1},    {PNG_COLOR_TYPE_PALETTE, 2, 2},    {PNG_COLOR_TYPE_PALETTE, 4, 4},
    {PNG_COLOR_TYPE_PALETTE, 8, 8},
};

TEST(PngReader, EveryColourTypeAndDepthInterlacedOrNot)
{
    uint64_t seed = 1;
    for (const LayoutCase& c : kLayouts)
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(testing::Message() << "type " << c.colorType << " depth " << c.bitDepth
                                            << (interlace ? " interlaced" : ""));
            PngSpec spec;
            spec.width = 13;  // odd: packed rows end inside a byte
            spec.height = 11;
            spec.colorType = c.colorType;
            spec.bitDepth = c.bitDepth;
            spec.interlace = interlace;
            if (c.colorType == PNG_COLOR_TYPE_PALETTE)
                spec.palette = RandomPalette(size_t(1) << c.bitDepth, seed);
            FillRandomRows(spec, ++seed);

            CPngReader reader;
            CGraphicsImage image;
            ReadFromMemory(reader, EncodePng(spec), image);
            ASSERT_EQ(image.m_nBitCount, c.bits);
            ASSERT_EQ(image.m_nWidth, spec.width);
            ASSERT_EQ(image.m_nHeight, spec.height);
            EXPECT_EQ(reader.m_colorType, uint32_t(c.colorType));
            const uint32_t mask = c.bits == 32 ? 0xFFFFFFFF : 0xFFFFFF;
            int wrong = 0;
            for (uint32_t y = 0; y < spec.height; ++y)
                for (uint32_t x = 0; x < spec.width; ++x)
                    wrong += (ColourAt(image, int(x), int(y)) & mask) != Expected(spec, x, y);
            EXPECT_EQ(wrong, 0);
        }
}

TEST(PngReader, GreyImagesAndEqualPalettesGetGreyRamps)
{
    // Steps between entries: 1 bit 255, 2 bits 85, 4 bits 17, 8 bits 1; a
    // palette of 256 equal entries is an 8-bit grey ramp too.
    const struct {
        int type, depth;
        uint32_t step;
    } cases[] = {{PNG_COLOR_TYPE_GRAY, 1, 255}, {PNG_COLOR_TYPE_GRAY, 2, 85}, {PNG_COLOR_TYPE_GRAY, 4, 17},
                 {PNG_COLOR_TYPE_GRAY, 8, 1},   {PNG_COLOR_TYPE_PALETTE, 8, 1}};
    for (const auto& c : cases) {
        PngSpec spec;
        spec.colorType = c.type;
        spec.bitDepth = c.depth;
        if (c.type == PNG_COLOR_TYPE_PALETTE)
            spec.palette.assign(256, PngRgb{10, 200, 30});
        FillRandomRows(spec, 3);
        CPngReader reader;
        CGraphicsImage image;
        ReadFromMemory(reader, EncodePng(spec), image);
        ASSERT_EQ(image.m_nBitCount, uint32_t(c.depth));
        for (uint32_t i = 0; i < (1u << c.depth); ++i)
            EXPECT_EQ(image.GetPaletteRGB(i, nullptr, nullptr, nullptr) & 0xFFFFFF, i * c.step * 0x010101)
                << "type " << c.type << " depth " << c.depth << " entry " << i;
    }
}

// ---------------------------------------------------------- palettes --

struct PaletteCase {
    const char* name;
    int bitDepth;
    std::vector<PngRgb> palette;
    std::vector<uint8_t> alpha;  // tRNS
    std::vector<uint8_t> pixels; // indexes, row by row (width 4, height 2)
    uint32_t bits;               // of the result
    uint32_t colourType;         // reader's colour type afterwards
    std::vector<uint32_t> colours;  // expected pixels (0xAARRGGBB at 32 bits)
};

const PngRgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{128, 128, 128};

const PaletteCase kPaletteCases[] = {
    {"unused transparent entry: palette kept, no alpha", 8, {kRed, kGreen, kBlue}, {255, 255, 0},
     {0, 1, 0, 1, 1, 0, 1, 0}, 8, 3,
     {0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000}},
    {"used transparent entry: 32-bit with alpha", 8, {kRed, kGreen, kBlue}, {255, 128, 0},
     {0, 1, 2, 0, 2, 2, 1, 0}, 32, 7,
     {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFF0000, 0x000000FF, 0x000000FF, 0x8000FF00, 0xFFFF0000}},
    {"uniform tile of a transparent entry keeps colour and alpha", 4, {kRed, kGreen, kBlue}, {255, 255, 0},
     {2, 2, 2, 2, 2, 2, 2, 2}, 32, 7,
     {0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF}},
    {"uniform tile of entry 0 transparent", 8, {kGreen, kRed}, {0}, {0, 0, 0, 0, 0, 0, 0, 0}, 32, 7,
     {0x0000FF00, 0x0000FF00, 0x0000FF00, 0x0000FF00, 0x0000FF00, 0x0000FF00, 0x0000FF00, 0x0000FF00}},
    {"uniform coloured tile without tRNS keeps its colour", 2, {kBlue, kRed, kGreen}, {},
     {0, 0, 0, 0, 0, 0, 0, 0}, 2, 3,
     {0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF}},
    {"uniform coloured tile with unused transparency keeps its colour", 8, {kRed, kBlue}, {255, 0},
     {0, 0, 0, 0, 0, 0, 0, 0}, 8, 3,
     {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}},
    {"all entries equal: grey ramp", 1, {kGrey, kGrey}, {}, {0, 1, 1, 0, 0, 0, 1, 1}, 1, 3,
     {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
};

TEST(PngReader, PaletteTransparencyAndGreyPalettes)
{
    for (const PaletteCase& c : kPaletteCases) {
        SCOPED_TRACE(c.name);
        PngSpec spec;
        spec.width = 4;
        spec.height = 2;
        spec.colorType = PNG_COLOR_TYPE_PALETTE;
        spec.bitDepth = c.bitDepth;
        spec.palette = c.palette;
        spec.alpha = c.alpha;
        spec.rows.assign(PngRowBytes(spec) * 2, 0);
        for (size_t i = 0; i < c.pixels.size(); ++i) {
            const size_t bit = (i % 4) * size_t(c.bitDepth);
            spec.rows[(i / 4) * PngRowBytes(spec) + bit / 8] |= uint8_t(c.pixels[i] << (8 - c.bitDepth - bit % 8));
        }
        CPngReader reader;
        CGraphicsImage image;
        ReadFromMemory(reader, EncodePng(spec), image);
        ASSERT_EQ(image.m_nBitCount, c.bits);
        EXPECT_EQ(reader.m_colorType, c.colourType);
        for (size_t i = 0; i < c.colours.size(); ++i)
            EXPECT_EQ(ColourAt(image, int(i % 4), int(i / 4)), c.colours[i]) << "pixel " << i;
    }
}

TEST(PngPalette, GreyPaletteDetection)
{
    const struct {
        std::vector<PngRgb> palette;
        uint32_t bits;
        bool grey;
    } cases[] = {
        {{{0, 0, 0}, {255, 255, 255}}, 1, true},
        {{{0, 0, 0}, {85, 85, 85}, {170, 170, 170}, {255, 255, 255}}, 2, true},
        {{{0, 0, 0}, {85, 85, 85}, {170, 170, 170}}, 2, true},  // a ramp's first entries
        {{{0, 0, 0}, {17, 17, 17}}, 4, true},
        {{{0, 0, 0}, {17, 17, 18}}, 4, false},
        {{{9, 9, 9}, {9, 9, 9}, {9, 9, 9}}, 8, true},
        {{{255, 0, 0}, {255, 0, 0}}, 8, true},  // all equal, colour or not
        {{{255, 255, 255}, {0, 0, 0}}, 1, false},
        {{{0, 0, 0}}, 8, false},  // one entry says nothing
        {{}, 8, false},
    };
    for (const auto& c : cases) {
        std::vector<PngPaletteEntry> p;
        for (const PngRgb& e : c.palette)
            p.push_back({e.red, e.green, e.blue});
        EXPECT_EQ(IsGreyPalette(p.data(), int(p.size()), c.bits), c.grey) << "entries " << p.size();
    }
}

TEST(PngPalette, PaddingBitsAreNoPixels)
{
    uint8_t alpha[256];
    std::fill(std::begin(alpha), std::end(alpha), uint8_t(255));
    alpha[5] = 0;
    for (uint32_t bits : {1u, 2u, 4u}) {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(bits, 3, 2, 0xFF));  // every index bit set, padding too
        const uint32_t transparent = bits == 4 ? 5 : 1;
        std::fill(std::begin(alpha), std::end(alpha), uint8_t(255));
        alpha[transparent] = 0;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                image.m_pfnSetPixel(image.RowAt(y), x, 0);
        // The padding still holds the transparent index's bits: no pixel.
        EXPECT_FALSE(UsesTransparentEntry(image, alpha)) << bits << " bits";
        image.m_pfnSetPixel(image.RowAt(1), 2, transparent);
        EXPECT_TRUE(UsesTransparentEntry(image, alpha)) << bits << " bits";
    }
}

// ---------------------------------------------------------- comments --

TEST(PngReader, CommentIsTheLastCommentTextElseTheFirstText)
{
    using Texts = std::vector<std::pair<std::string, std::string>>;
    const struct {
        Texts texts;
        const char* comment;
    } cases[] = {
        {{}, nullptr},
        {{{"Title", "Karte"}, {"Author", "Velk"}}, "Karte"},
        {{{"Comment", "N 48 E 11"}}, "N 48 E 11"},
        {{{"A", "a"}, {"Comment", "c1"}, {"B", "b"}, {"Comment", "c2"}}, "c2"},
        {{{"Comment", "first"}, {"Title", "t"}}, "first"},
        {{{"comment", "lower"}, {"Title", "t"}}, "lower"},  // exact key only: the first text
        {{{"Title", ""}}, ""},
    };
    for (const auto& c : cases) {
        PngSpec spec;
        spec.texts = c.texts;
        FillRandomRows(spec, 7);
        CPngReader reader;
        reader.m_info.SetCommentA("old");
        CGraphicsImage image;
        ReadFromMemory(reader, EncodePng(spec), image);
        ExpectComment(reader.m_info.comment, c.comment);
    }
}

// ---------------------------------------------------- damaged files --

Bytes SmallPng()
{
    PngSpec spec;
    spec.width = 40;
    spec.height = 30;
    spec.colorType = PNG_COLOR_TYPE_RGB;
    FillRandomRows(spec, 11);  // random: IDAT stays long
    return EncodePng(spec);
}

TEST(PngReader, DamagedFilesFailWithTheirMessages)
{
    const Bytes good = SmallPng();
    const size_t idat = FindPngChunk(good, "IDAT");
    ASSERT_GT(idat, 0u);
    const uint32_t idatLength = uint32_t(good[idat]) << 24 | uint32_t(good[idat + 1]) << 16 |
                                uint32_t(good[idat + 2]) << 8 | good[idat + 3];
    auto flipped = [&](size_t at) {
        Bytes b = good;
        b[at] ^= 0x55;
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;
        const char* message;
        bool imageMade;
    } cases[] = {
        {"empty", {}, "Fehler beim Lesen", false},
        {"signature only", Bytes(good.begin(), good.begin() + 8), "Fehler beim Lesen", false},
        {"not a PNG", flipped(1), "Not a PNG file", false},
        {"IHDR CRC flipped", flipped(29), "IHDR: CRC error", false},
        {"IDAT CRC flipped", flipped(idat + 8 + idatLength), "IDAT: CRC error", true},
        {"cut in IDAT", Bytes(good.begin(), good.begin() + long(idat + 8 + idatLength / 2)), "Fehler beim Lesen",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPngReader reader;
        CGraphicsImage image;
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { ReadFromMemory(reader, c.bytes, image); }), c.message);
        // What was read stays in the image.
        EXPECT_EQ(image.m_nWidth, c.imageMade ? 40u : 0u);
    }
}

// ---------------------------------------------------------- progress --

struct ProgressLog {
    std::vector<int> percents;
    int cancelAt = -1;
};

void LogProgress(void*, uintptr_t user, int a, int b, int percent, unsigned char* cancel)
{
    ProgressLog& log = *reinterpret_cast<ProgressLog*>(user);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
    log.percents.push_back(percent);
    if (percent == log.cancelAt)
        *cancel = 1;
}

TEST(PngReader, ProgressRisesThroughAllPassesAndCancels)
{
    PngSpec spec;
    spec.width = 9;
    spec.height = 20;
    spec.interlace = true;
    FillRandomRows(spec, 13);
    const Bytes png = EncodePng(spec);

    ProgressLog log;
    CPngReader reader;
    reader.m_info.proc = LogProgress;
    reader.m_info.user = reinterpret_cast<uintptr_t>(&log);
    CGraphicsImage image;
    ReadFromMemory(reader, png, image);
    ASSERT_GE(log.percents.size(), 2u + 7 * 20);
    EXPECT_EQ(log.percents.front(), 0);
    EXPECT_EQ(log.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(log.percents.begin(), log.percents.end()));
    EXPECT_GT(log.percents[log.percents.size() / 2], 30);  // later passes report more

    ProgressLog cancel;
    cancel.cancelAt = 0;
    reader.m_info.user = reinterpret_cast<uintptr_t>(&cancel);
    EXPECT_EQ(ThrownText<EGraphicsAbort>([&] { ReadFromMemory(reader, png, image); }), "Benutzer Abbruch");
}

}  // namespace
