#include <gtest/gtest.h>

#include "graphics/fixed_trig.h"
#include "graphics/image.h"
#include "tests/graphics/convert_reference.h"

using namespace convert_test;

namespace {

constexpr uint32_t kNearest = CGraphicsImage::ROTATE_NEAREST;
constexpr uint32_t kQuarterPixels = CGraphicsImage::ROTATE_QUARTER_PIXELS;

// RotateFrom per target pixel from the corner rule and the sampling grid:
// target centre (minX + 4 tx + 2, minY + 4 ty + 2) turned back; source
// pixel i centred at 4 i - pivot; 8-bit fractions; per-channel weights.
void ReferenceRotate(const CGraphicsImage& source, int32_t angle, uint32_t flags, int32_t pivotX, int32_t pivotY,
                     uint32_t background, CGraphicsImage& out)
{
    const int64_t scale = (flags & kQuarterPixels) ? 1 : 4;
    const int64_t px = pivotX * scale, py = pivotY * scale;
    const int64_t s = FixedSin(angle), c = FixedSin(0x8000 - angle);
    int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
    for (int64_t x : {-px - 2, -px - 2 + 4 * int64_t(source.m_nWidth)})
        for (int64_t y : {-py - 2, -py - 2 + 4 * int64_t(source.m_nHeight)}) {
            const int64_t X = (x * c + y * s) >> 16, Y = (-x * s + y * c) >> 16;
            minX = std::min(minX, X);
            maxX = std::max(maxX, X);
            minY = std::min(minY, Y);
            maxY = std::max(maxY, Y);
        }
    const uint32_t w = uint32_t((maxX - minX + 3) >> 2), h = uint32_t((maxY - minY + 3) >> 2);
    ASSERT_TRUE(out.Create(source.m_nBitCount, w, h, CGraphicsImage::NO_FILL, 0));
    out.FillRect(0, 0, int(w), int(h), background);
    for (uint32_t i = 0; i < source.m_nPaletteSize; ++i)
        out.SetPaletteEntry(i, PaletteAt(source, i));
    const uint32_t outside = source.HasAlpha() ? background & 0xFFFFFF : background;
    const bool blend = source.m_nBitCount > 8 && !(flags & kNearest);
    const int64_t sw = source.m_nWidth, sh = source.m_nHeight;
    for (int64_t ty = 0; ty < h; ++ty)
        for (int64_t tx = 0; tx < w; ++tx) {
            const int64_t X = minX + 4 * tx + 2, Y = minY + 4 * ty + 2;
            const int64_t u = (X * c - Y * s + px * 65536) >> 10, v = (X * s + Y * c + py * 65536) >> 10;
            if (!blend) {
                const int64_t i = (u + 128) >> 8, j = (v + 128) >> 8;
                if (i >= 0 && j >= 0 && i < sw && j < sh)
                    SetAt(out, int(tx), int(ty), PixelAt(source, int(i), int(j)));
                continue;
            }
            const int64_t i = u >> 8, j = v >> 8, fx = u & 255, fy = v & 255;
            uint64_t sum[4] = {};
            for (int k = 0; k < 4; ++k) {
                const int64_t si = i + (k & 1), sj = j + (k >> 1);
                const uint32_t p = (si >= 0 && sj >= 0 && si < sw && sj < sh) ? PixelAt(source, int(si), int(sj))
                                                                               : outside;
                const uint64_t weight = uint64_t((k & 1) ? fx : 256 - fx) * uint64_t((k >> 1) ? fy : 256 - fy);
                for (int b = 0; b < 4; ++b)
                    sum[b] += weight * ((p >> (8 * b)) & 255);
            }
            uint32_t v32 = 0;
            for (int b = 0; b < 4; ++b)
                v32 |= uint32_t(sum[b] >> 16) << (8 * b);
            SetAt(out, int(tx), int(ty), v32);
        }
}

TEST(RotateFrom, MatchesReferenceAtEveryDepth)
{
    const int32_t angles[] = {0, 1, 0x1555, 0x4000, 0x8000, 0x9A00, 0x10000, 0x18000, -0x3000, 0x7FFFF, 0x20000};
    uint64_t seed = 3;
    for (uint32_t bits : kAllDepths)
        for (int32_t angle : angles)
            for (uint32_t flags : {0u, kNearest, kQuarterPixels, kNearest | kQuarterPixels}) {
                SCOPED_TRACE(testing::Message() << bits << " bits, angle " << std::hex << angle << ", flags " << flags);
                CGraphicsImage source, actual, expected;
                MakeRandom(source, bits, 11, 6, seed++);
                const int32_t pivotX = int32_t(seed % 13) - 3, pivotY = int32_t(seed % 7) - 2;
                int32_t outX = pivotX, outY = pivotY;
                ASSERT_TRUE(actual.RotateFrom(source, angle, flags, &outX, &outY, 0x80C04020));
                ReferenceRotate(source, angle, flags, pivotX, pivotY, 0x80C04020, expected);
                ExpectSamePixels(actual, expected, true);
            }
}

// Wider 32-bit pictures: long inside spans (two pixels at a time), edges
// and outside spans in every direction.
TEST(RotateFrom, WideSpansMatchReference)
{
    for (int32_t angle = -0x10000; angle < 0x10000; angle += 0x0F37) {
        SCOPED_TRACE(testing::Message() << "angle " << std::hex << angle);
        CGraphicsImage source, actual, expected;
        MakeRandom(source, 32, 37, 23, uint64_t(angle + 0x10000));
        int32_t px = 18, py = 11;
        ASSERT_TRUE(actual.RotateFrom(source, angle, 0, &px, &py, 0x11223344));
        ReferenceRotate(source, angle, 0, 18, 11, 0x11223344, expected);
        ExpectSamePixels(actual, expected);
    }
}

// Angle 0 and quarter turns move whole pixels.
TEST(RotateFrom, ZeroAndQuarterTurnsArePermutations)
{
    CGraphicsImage source;
    MakeRandom(source, 32, 5, 3, 1);
    const struct {
        int32_t angle;
        uint32_t w, h;
    } cases[] = {{0, 5, 3}, {0x8000, 3, 5}, {0x10000, 5, 3}, {0x18000, 3, 5}, {0x20000, 5, 3}};
    for (const auto& c : cases) {
        for (uint32_t flags : {0u, kNearest}) {
            SCOPED_TRACE(testing::Message() << std::hex << c.angle << " flags " << flags);
            CGraphicsImage image;
            int32_t px = 2, py = 1;
            ASSERT_TRUE(image.RotateFrom(source, c.angle, flags, &px, &py, 0));
            ASSERT_EQ(image.m_nWidth, c.w);
            ASSERT_EQ(image.m_nHeight, c.h);
            for (int j = 0; j < 3; ++j)
                for (int i = 0; i < 5; ++i) {
                    // Counter-clockwise on the screen: a quarter turn takes
                    // the top-right pixel to the top left.
                    int tx = i, ty = j;
                    switch (c.angle) {
                    case 0x8000: tx = j, ty = 4 - i; break;
                    case 0x10000: tx = 4 - i, ty = 2 - j; break;
                    case 0x18000: tx = 2 - j, ty = i; break;
                    default: break;
                    }
                    ASSERT_EQ(PixelAt(image, tx, ty), PixelAt(source, i, j)) << i << "," << j;
                }
        }
    }
}

TEST(RotateFrom, PivotInPixelsAndQuarterPixels)
{
    CGraphicsImage source, image;
    ASSERT_TRUE(source.Create(24, 8, 4, 0, 0));
    int32_t px = 3, py = 1;
    ASSERT_TRUE(image.RotateFrom(source, 0, 0, &px, &py, 0));
    EXPECT_EQ(std::make_pair(px, py), std::make_pair(3, 1));
    px = 13, py = 6;  // quarter pixels: box minimum -15, -8
    ASSERT_TRUE(image.RotateFrom(source, 0, kQuarterPixels, &px, &py, 0));
    EXPECT_EQ(std::make_pair(px, py), std::make_pair(13, 6));
    // A quarter turn: the pivot's column becomes its row from the bottom
    // (row 7 - 3 of the result, -((-14 - 4 × 0) / 4) truncated).
    px = 3, py = 1;
    ASSERT_TRUE(image.RotateFrom(source, 0x8000, 0, &px, &py, 0));
    EXPECT_EQ(std::make_pair(image.m_nWidth, image.m_nHeight), std::make_pair(4u, 8u));
    EXPECT_EQ(std::make_pair(px, py), std::make_pair(1, 4));
}

// A uniform opaque picture stays its colour inside; the border fades into a
// transparent background, or the background's own fourth byte without alpha.
TEST(RotateFrom, BackgroundAtTheBorder)
{
    for (uint32_t fourth : {0xFFu, 0x00u}) {
        CGraphicsImage source, image;
        ASSERT_TRUE(source.Create(32, 40, 30, (fourth << 24) | 0x204060, 0));
        int32_t px = 20, py = 15;
        ASSERT_TRUE(image.RotateFrom(source, 0x1555, 0, &px, &py, 0x7F000000 | 0xA0A0A0));
        EXPECT_EQ(PixelAt(image, px, py), (fourth << 24) | 0x204060u);
        EXPECT_EQ(PixelAt(image, 0, 0), fourth ? 0x00A0A0A0u : 0x7FA0A0A0u);
        bool mixed = false;
        for (uint32_t x = 0; x < image.m_nWidth; ++x) {
            const uint32_t v = PixelAt(image, int(x), py);
            mixed |= v != PixelAt(image, 0, 0) && v != ((fourth << 24) | 0x204060u);
        }
        EXPECT_TRUE(mixed);
    }
}

TEST(RotateFrom, PaletteImagesTakeNearestAndKeepThePalette)
{
    CGraphicsImage source, image;
    MakeRandom(source, 4, 6, 6, 8);
    int32_t px = 0, py = 0;
    ASSERT_TRUE(image.RotateFrom(source, 0x3000, 0, &px, &py, 5));
    EXPECT_EQ(image.m_nBitCount, 4u);
    EXPECT_EQ(0, std::memcmp(image.m_pPalette, source.m_pPalette, 16 * 4));
    EXPECT_EQ(PixelAt(image, 0, 0), 5u);
}

TEST(RotateFrom, LimitsAliasingAndNullPivots)
{
    CGraphicsImage big, image, empty;
    ASSERT_TRUE(big.Create(8, 4097, 1, 0, 0));
    EXPECT_FALSE(image.RotateFrom(big, 0x1000, 0, nullptr, nullptr, 0));
    EXPECT_EQ(image.m_pBits, nullptr);
    ASSERT_TRUE(big.Create(8, 1, 4097, 0, 0));
    EXPECT_FALSE(image.RotateFrom(big, 0x1000, 0, nullptr, nullptr, 0));
    EXPECT_FALSE(image.RotateFrom(empty, 0, 0, nullptr, nullptr, 0));
    ASSERT_TRUE(big.Create(8, 4096, 2, 0, 0));
    EXPECT_TRUE(image.RotateFrom(big, 0x4000, 0, nullptr, nullptr, 0));

    CGraphicsImage self, expected;
    MakeRandom(self, 24, 9, 7, 12);
    int32_t px = 4, py = 3, ex = 4, ey = 3;
    ASSERT_TRUE(expected.RotateFrom(self, 0x2345, 0, &ex, &ey, 0x112233));
    ASSERT_TRUE(self.RotateFrom(self, 0x2345, 0, &px, &py, 0x112233));
    ExpectSamePixels(self, expected);
    EXPECT_EQ(std::make_pair(px, py), std::make_pair(ex, ey));

    // Pivots far outside: 64-bit corner arithmetic, same picture as a near one.
    CGraphicsImage distant, nearby;
    MakeRandom(self, 32, 9, 7, 13);
    px = 0x7FFFFFF0, py = -0x7FFFFFF0;
    ASSERT_TRUE(distant.RotateFrom(self, 0x8000, 0, &px, &py, 0));
    EXPECT_EQ(std::make_pair(distant.m_nWidth, distant.m_nHeight), std::make_pair(7u, 9u));
    int32_t nx = 0, ny = 0;
    ASSERT_TRUE(nearby.RotateFrom(self, 0x8000, 0, &nx, &ny, 0));
    ExpectSamePixels(distant, nearby);
}

}  // namespace
