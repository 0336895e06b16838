// QuantizeFrom: exact palettes for few colours, palette sources, a bounded
// error on a gradient, the split order's tie rules, progress and cancel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

#include "graphics/image.h"
#include "tests/support/test_support.h"

namespace {

struct Pixel {
    uint32_t colour;
    uint32_t count;
};

// A 24-bit image of one row: each colour repeated count times.
CGraphicsImage Row24(const std::vector<Pixel>& pixels)
{
    uint32_t width = 0;
    for (const Pixel& p : pixels)
        width += p.count;
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(24, width, 1));
    int x = 0;
    for (const Pixel& p : pixels)
        for (uint32_t i = 0; i < p.count; ++i)
            image.m_pfnSetPixel(image.RowAt(0), x++, p.colour);
    return image;
}

uint32_t PaletteColour(const CGraphicsImage& image, int x, int y)
{
    return image.GetPaletteRGB(image.m_pfnGetPixel(image.RowAt(y), x), nullptr, nullptr, nullptr) & 0xFFFFFF;
}

uint32_t DefaultEntry(uint32_t index)
{
    CGraphicsImage reference;
    reference.Create(8, 1, 1);
    return reference.GetPaletteRGB(index, nullptr, nullptr, nullptr);
}

// Every pixel of the 8-bit result shows its source colour exactly; entries
// past the colours used keep the default palette.
void ExpectExact(const CGraphicsImage& result, const CGraphicsImage& source, uint32_t colours)
{
    ASSERT_EQ(result.m_nBitCount, 8u);
    ASSERT_EQ(result.m_nWidth, source.m_nWidth);
    for (uint32_t y = 0; y < source.m_nHeight; ++y)
        for (uint32_t x = 0; x < source.m_nWidth; ++x)
            ASSERT_EQ(PaletteColour(result, int(x), int(y)), source.m_pfnGetPixel(source.RowAt(int(y)), int(x)))
                << x << "," << y;
    for (uint32_t i = colours; i < 256; ++i)
        EXPECT_EQ(result.GetPaletteRGB(i, nullptr, nullptr, nullptr), DefaultEntry(i)) << i;
}

struct ExactCase {
    const char* name;
    std::vector<Pixel> pixels;
    std::vector<uint32_t> paletteOrder;  // empty: any order
};

std::vector<Pixel> RandomColours(uint32_t n)
{
    lindar_test::Rng rng(n);
    std::set<uint32_t> seen;
    std::vector<Pixel> out;
    while (out.size() < n) {
        const uint32_t c = rng.Next() & 0xFFFFFF;
        if (seen.insert(c).second)
            out.push_back({c, 1 + rng.Next() % 5});
    }
    return out;
}

class QuantizeExact : public testing::TestWithParam<ExactCase> {};

TEST_P(QuantizeExact, ReproducesEveryColour)
{
    const ExactCase& c = GetParam();
    const CGraphicsImage source = Row24(c.pixels);
    CGraphicsImage result;
    ASSERT_TRUE(result.QuantizeFrom(source));
    ExpectExact(result, source, uint32_t(c.pixels.size()));
    for (size_t i = 0; i < c.paletteOrder.size(); ++i)
        EXPECT_EQ(result.GetPaletteRGB(uint32_t(i), nullptr, nullptr, nullptr), c.paletteOrder[i]) << i;
    EXPECT_EQ(result.m_pQuantHistogram, nullptr);
    EXPECT_EQ(result.m_pQuantBoxes, nullptr);
    EXPECT_EQ(result.m_nQuantBoxCount, 0u);
}

// The tie rows: after the first split the box of X and Y is as wide in green
// as in blue, so blue splits it (Y first); with all reds equal the red split
// falls through to blue, and a box as wide in red as in green tries red
// before green (P first).
INSTANTIATE_TEST_SUITE_P(
    Cases, QuantizeExact,
    testing::Values(ExactCase{"one", {{0x123456, 5}}, {0x123456}},
                    ExactCase{"three", {{0xFF0000, 3}, {0x00FF00, 2}, {0x0000FF, 4}}, {}},
                    ExactCase{"blue_before_green",
                              {{0x0A14C8, 1}, {0x0AC814, 1}, {0xFA6464, 2}},
                              {0x0AC814, 0xFA6464, 0x0A14C8}},
                    ExactCase{"red_before_green",
                              {{0x32C800, 1}, {0x320064, 1}, {0x3264FA, 2}},
                              {0x32C800, 0x3264FA, 0x320064}},
                    // The box order leaves single-colour boxes before boxes
                    // of several: splitting goes on until none is left.
                    ExactCase{"256_random", RandomColours(256), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuantizePalette, PaletteSourcesKeepIndicesAndPalette)
{
    for (uint32_t bits : {1u, 2u, 4u, 8u}) {
        CGraphicsImage source;
        ASSERT_TRUE(source.Create(bits, 13, 3));
        lindar_test::Rng rng(bits);
        for (uint32_t i = 0; i < 256; ++i)
            source.SetPaletteEntry(i, rng.Next() & 0xFFFFFF);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 13; ++x)
                source.m_pfnSetPixel(source.RowAt(y), x, rng.Next());
        CGraphicsImage result;
        ASSERT_TRUE(result.QuantizeFrom(source)) << bits;
        ASSERT_EQ(result.m_nBitCount, 8u);
        EXPECT_EQ(std::memcmp(result.m_pPalette, source.m_pPalette, 4 * source.m_nPaletteSize), 0) << bits;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 13; ++x)
                EXPECT_EQ(result.m_pfnGetPixel(result.RowAt(y), x), source.m_pfnGetPixel(source.RowAt(y), x));
    }
}

CGraphicsImage Gradient(uint32_t bits)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(bits, 64, 64));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.m_pfnSetPixel(image.RowAt(y), x, uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | uint32_t(x + y) * 2);
    return image;
}

TEST(QuantizeGradient, BoundedErrorDeterministicAndSafeInPlace)
{
    const CGraphicsImage source = Gradient(32);
    const CGraphicsImage before = source;
    CGraphicsImage a, b, inPlace = source;
    ASSERT_TRUE(a.QuantizeFrom(source));
    ASSERT_TRUE(b.QuantizeFrom(source));
    ASSERT_TRUE(inPlace.QuantizeFrom(inPlace));
    EXPECT_EQ(std::memcmp(source.m_pBits, before.m_pBits, source.m_nImageSize), 0);
    for (const CGraphicsImage* other : {&b, &inPlace}) {
        EXPECT_EQ(std::memcmp(a.m_pBitmapInfo, other->m_pBitmapInfo, CGraphicsImage::BITMAPINFO_SIZE), 0);
        EXPECT_EQ(std::memcmp(a.m_pBits, other->m_pBits, a.m_nImageSize), 0);
    }
    std::set<uint32_t> used;
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            used.insert(a.m_pfnGetPixel(a.RowAt(y), x));
            const uint32_t want = source.m_pfnGetPixel(source.RowAt(y), x), got = PaletteColour(a, x, y);
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int((want >> shift) & 255) - int((got >> shift) & 255)));
        }
    EXPECT_EQ(used.size(), 256u);
    // 4096 colours in 256 boxes of about 16: a box spans a few gradient
    // steps on each channel, and its mean lies inside it.
    EXPECT_LE(worst, 24);
}

struct ProgressLog {
    std::vector<std::tuple<int, int, int>> calls;
    size_t cancelAt = SIZE_MAX;
};

void Record(void*, uintptr_t user, int a, int b, int percent, unsigned char* cancel)
{
    auto* log = reinterpret_cast<ProgressLog*>(user);
    log->calls.emplace_back(percent, a, b);
    if (log->calls.size() == log->cancelAt)
        *cancel = 1;
}

TEST(QuantizeProgress, TwoPhasesPerRowThenHundred)
{
    CGraphicsImage source = Gradient(24);
    ASSERT_TRUE(source.Resize(source, 64, 4, 0));
    ProgressLog log;
    source.SetUserData(Record, reinterpret_cast<uintptr_t>(&log));
    CGraphicsImage result;
    ASSERT_TRUE(result.QuantizeFrom(source));
    std::vector<std::tuple<int, int, int>> want;
    for (int phase : {1, 2})
        for (int percent : {0, 25, 50, 75, 100})
            want.emplace_back(percent, phase, 2);
    EXPECT_EQ(log.calls, want);
}

// A cancel in either phase: false, empty, every buffer and node freed (the
// sanitizer build checks for leaks). A 64-row image reports 65 calls per
// phase: the first, a middle one, the hundred, and the same of the mapping.
TEST(QuantizeProgress, CancelInEitherPhaseEmptiesTheImage)
{
    for (size_t at : {1, 33, 65, 66, 98, 130}) {
        CGraphicsImage source = Gradient(32);
        ProgressLog log;
        log.cancelAt = at;
        source.SetUserData(Record, reinterpret_cast<uintptr_t>(&log));
        CGraphicsImage result;
        ASSERT_TRUE(result.Create(24, 3, 3));
        EXPECT_FALSE(result.QuantizeFrom(source)) << at;
        EXPECT_EQ(result.m_pBits, nullptr);
        EXPECT_EQ(result.m_pQuantHistogram, nullptr);
        EXPECT_EQ(result.m_pQuantBoxes, nullptr);
        EXPECT_EQ(result.m_nQuantBoxCount, 0u);
        EXPECT_EQ(log.calls.size(), at);
    }
}

TEST(QuantizeEmpty, EmptySourcesAnswerFalse)
{
    CGraphicsImage empty, zeroWide, result;
    ASSERT_TRUE(zeroWide.Create(24, 0, 5));
    for (const CGraphicsImage* source : {&empty, &zeroWide}) {
        ASSERT_TRUE(result.Create(8, 2, 2));
        EXPECT_FALSE(result.QuantizeFrom(*source));
        EXPECT_EQ(result.m_pBits, nullptr);
    }
}

}  // namespace
