// QuantizeFrom: exact palettes for few colours and the split order's tie
// rules, palette sources, a gradient's bounded error, progress and cancel.
#include <set>
#include <tuple>

#include "tests/graphics/dib_blocks.h"

namespace {

using namespace dib_test;

uint32_t Entry(const CGraphicsImage& image, uint32_t i) { return image.GetPaletteRGB(i, 0, 0, 0); }

struct ExactCase {
    const char* name;
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> palette;  // the first entries, in order
};

// Every colour exactly; entries past the colours keep the default palette.
class QuantizeExact : public testing::TestWithParam<ExactCase> {};

TEST_P(QuantizeExact, ReproducesEveryColour)
{
    const ExactCase& c = GetParam();
    CGraphicsImage source, result, defaults;
    ASSERT_TRUE(source.Create(24, uint32_t(c.pixels.size()), 1) && defaults.Create(8, 1, 1));
    for (size_t x = 0; x < c.pixels.size(); ++x)
        source.m_pfnSetPixel(source.m_pRow0, int(x), c.pixels[x]);
    ASSERT_TRUE(result.QuantizeFrom(source));
    EXPECT_EQ(result.m_nBitCount, 8u);
    ExpectSameColours(result, source);
    const size_t colours = std::set<uint32_t>(c.pixels.begin(), c.pixels.end()).size();
    for (uint32_t i = 0; i < 256; ++i)
        if (i < c.palette.size() || i >= colours) {
            EXPECT_EQ(Entry(result, i), i < c.palette.size() ? c.palette[i] : Entry(defaults, i)) << i;
        }
    EXPECT_TRUE(!result.m_pQuantHistogram && !result.m_pQuantBoxes && !result.m_nQuantBoxCount);
}

// Half the pixels red 254, the rest 200 colours of red 255: box 0 keeps the
// lone colour with wide ranges, scoring above every box of several colours.
std::vector<uint32_t> LoneColourFirst()
{
    std::vector<uint32_t> pixels(200, 0xFE0000);
    for (lindar_test::Rng rng(7); pixels.size() < 400;)
        if (uint32_t c = 0xFF0000 | (rng.Next() & 0xFFFF); std::count(pixels.begin(), pixels.end(), c) == 0)
            pixels.push_back(c);
    return pixels;
}

// blue_before_green: after the red split the box of the first two colours
// is as wide in green as in blue, so blue splits it. red_before_green: equal
// reds make the first split fall through to blue; then a box as wide in red
// as in green tries red (falling to blue) before green.
INSTANTIATE_TEST_SUITE_P(
    Cases, QuantizeExact,
    testing::Values(
        ExactCase{"one", {0x123456, 0x123456}, {0x123456}},
        ExactCase{"three", {0xFF0000, 0x00FF00, 0x0000FF, 0x0000FF}, {}},
        ExactCase{"blue_before_green", {0x0A14C8, 0x0AC814, 0xFA6464, 0xFA6464}, {0x0AC814, 0xFA6464, 0x0A14C8}},
        ExactCase{"red_before_green", {0x32C800, 0x320064, 0x3264FA, 0x3264FA}, {0x32C800, 0x3264FA, 0x320064}},
        // Splitting goes on while any box holds two colours.
        ExactCase{"lone_colour_first", LoneColourFirst(), {0xFE0000}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuantizePalette, PaletteSourcesKeepIndicesAndPalette)
{
    for (uint32_t bits : {1u, 2u, 4u, 8u}) {
        const CGraphicsImage source = RandomImage(bits, 16, 3, bits);
        CGraphicsImage result, want;
        ASSERT_TRUE(result.QuantizeFrom(source) && want.Create(8, 16, 3));
        std::memcpy(want.m_pPalette, source.m_pPalette, 1024);
        ASSERT_TRUE(want.DrawImage(source, 0, 0));
        ExpectSameImage(result, want);
    }
}

CGraphicsImage Gradient(uint32_t height)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(32, 64, height));
    for (uint32_t i = 0, x = 0, y = 0; i < 64 * height; ++i, x = i % 64, y = i / 64)
        image.m_pfnSetPixel(image.RowAt(int(y)), int(x), x * 4 << 16 | y * 4 << 8 | (x + y) * 2);
    return image;
}

TEST(QuantizeGradient, BoundedErrorDeterministicAndSafeInPlace)
{
    const CGraphicsImage source = Gradient(64), before = source;
    CGraphicsImage a, b, inPlace = source;
    ASSERT_TRUE(a.QuantizeFrom(source) && b.QuantizeFrom(source) && inPlace.QuantizeFrom(inPlace));
    ExpectSameImage(b, a);
    ExpectSameImage(inPlace, a);
    ExpectSameImage(source, before);
    std::set<uint8_t> used(a.m_pBits, a.m_pBits + a.m_nImageSize);
    EXPECT_EQ(used.size(), 256u);
    // 4096 colours in 256 boxes: a box spans a few gradient steps per
    // channel and its mean lies inside it.
    for (int i = 0; i < 64 * 64 * 3; ++i) {
        const int shift = 8 * (i % 3), x = i / 3 % 64, y = i / 192;
        ASSERT_NEAR(ColourAt(a, x, y) >> shift & 255, ColourAt(source, x, y) >> shift & 255, 24) << x << "," << y;
    }
}

struct ProgressLog {
    std::vector<std::tuple<int, int, int>> calls;
    size_t cancelAt;
};

void Record(void*, uintptr_t user, int a, int b, int percent, unsigned char* cancel)
{
    auto* log = reinterpret_cast<ProgressLog*>(user);
    log->calls.emplace_back(percent, a, b);
    *cancel = log->calls.size() == log->cancelAt;
}

// Four rows: (row * 100 / 4, phase, 2) after each row, then (100, phase, 2).
// A cancel at any call of either phase leaves the image empty and every
// buffer and node freed (the sanitizer build checks for leaks).
TEST(QuantizeProgress, TwoPhasesAndCancelAtAnyCall)
{
    for (size_t cancelAt : {0, 1, 3, 5, 6, 10}) {
        CGraphicsImage source = Gradient(4), result = source;
        ProgressLog log{{}, cancelAt};
        source.SetUserData(Record, reinterpret_cast<uintptr_t>(&log));
        EXPECT_EQ(result.QuantizeFrom(source), cancelAt == 0);
        std::vector<std::tuple<int, int, int>> want;
        for (int i = 0; i < 10 && (!cancelAt || want.size() < cancelAt); ++i)
            want.emplace_back(i % 5 * 25, 1 + i / 5, 2);
        EXPECT_EQ(log.calls, want);
        EXPECT_EQ(result.m_pBits == nullptr, cancelAt != 0);
        EXPECT_TRUE(!result.m_pQuantHistogram && !result.m_pQuantBoxes && !result.m_nQuantBoxCount);
    }
    CGraphicsImage empty, result = Gradient(2);
    EXPECT_FALSE(result.QuantizeFrom(empty));
    EXPECT_EQ(result.m_pBits, nullptr);
}

}  // namespace
