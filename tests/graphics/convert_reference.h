// Per-pixel references of the conversion and scaling operations, written
// straight from their definitions through m_pfnGetPixel and m_pfnSetPixel,
// and helpers to build and compare test images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "tests/support/test_support.h"

namespace convert_test {

constexpr uint32_t kAllDepths[] = {1, 2, 4, 8, 12, 15, 16, 24, 32};
constexpr uint32_t kTrueColourDepths[] = {12, 15, 16, 24, 32};

// Random pixel bytes (padding included) and, for palette depths, a random
// palette with random fourth bytes.
inline void MakeRandom(CGraphicsImage& image, uint32_t bits, uint32_t width, uint32_t height, uint64_t seed)
{
    ASSERT_TRUE(image.Create(bits, width, height, CGraphicsImage::NO_FILL, 0));
    lindar_test::Rng rng(seed);
    for (uint32_t i = 0; i < image.m_nImageSize; ++i)
        image.m_pBits[i] = uint8_t(rng.Next());
    if (bits <= 8)
        for (uint32_t i = 0; i < 256; ++i)
            image.SetPaletteEntry(i, rng.Next());
}

inline uint32_t PixelAt(const CGraphicsImage& image, int x, int y)
{
    return image.m_pfnGetPixel(image.RowAt(y), x);
}

inline void SetAt(CGraphicsImage& image, int x, int y, uint32_t value)
{
    image.m_pfnSetPixel(image.RowAt(y), x, value);
}

inline uint32_t PaletteAt(const CGraphicsImage& image, uint32_t index)
{
    uint32_t v;
    std::memcpy(&v, &image.m_pPalette[index & 255], 4);
    return v;
}

// One row's pixel values, and the first n palette entries: one comparer each.
inline std::vector<uint32_t> Row(const CGraphicsImage& image, int y)
{
    std::vector<uint32_t> out;
    for (int x = 0; x < int(image.m_nWidth); ++x)
        out.push_back(PixelAt(image, x, y));
    return out;
}

inline std::vector<uint32_t> Palette(const CGraphicsImage& image, uint32_t n)
{
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < n; ++i)
        out.push_back(PaletteAt(image, i));
    return out;
}

// An image of the given depth whose first row holds the values.
inline CGraphicsImage RowImage(uint32_t bits, const std::vector<uint32_t>& values)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(bits, uint32_t(values.size()), 1, 0, 0));
    for (size_t x = 0; x < values.size(); ++x)
        SetAt(image, int(x), 0, values[x]);
    return image;
}

// The colour of a pixel: palette sources through their palette, all four bytes.
inline uint32_t ColourAt(const CGraphicsImage& image, int x, int y)
{
    const uint32_t v = PixelAt(image, x, y);
    return image.m_bTrueColor ? v : PaletteAt(image, v);
}

// Same depth, size and pixel values; palettes too when asked.
inline void ExpectSamePixels(const CGraphicsImage& actual, const CGraphicsImage& expected, bool palette = false)
{
    ASSERT_EQ(actual.m_nBitCount, expected.m_nBitCount);
    ASSERT_EQ(actual.m_nWidth, expected.m_nWidth);
    ASSERT_EQ(actual.m_nHeight, expected.m_nHeight);
    for (uint32_t y = 0; y < expected.m_nHeight; ++y)
        for (uint32_t x = 0; x < expected.m_nWidth; ++x)
            ASSERT_EQ(PixelAt(actual, int(x), int(y)), PixelAt(expected, int(x), int(y))) << "at " << x << "," << y;
    if (!palette)
        return;
    for (uint32_t i = 0; i < expected.m_nPaletteSize; ++i)
        ASSERT_EQ(PaletteAt(actual, i), PaletteAt(expected, i)) << "palette " << i;
}

// ConvertFrom by its definition (bits already 12 or more, other than the source's).
inline void ReferenceConvert(const CGraphicsImage& source, uint32_t bits, CGraphicsImage& out)
{
    ASSERT_TRUE(out.Create(bits, source.m_nWidth, source.m_nHeight, 0, 0));
    for (uint32_t y = 0; y < source.m_nHeight; ++y)
        for (uint32_t x = 0; x < source.m_nWidth; ++x)
            SetAt(out, int(x), int(y), ColourAt(source, int(x), int(y)));
}

// The source interval one target cell covers, in 1/256 pixel.
struct Interval {
    uint64_t a, b;
};

inline Interval Cover(uint64_t d, uint64_t source, uint64_t target)
{
    const uint64_t end = source * 256;
    uint64_t a = d * end / target, b = (d + 1) * end / target;
    if (b - a < 256) {
        b = std::min(a + 256, end);
        a = b - 256;
    }
    return {a, b};
}

inline uint64_t Overlap(const Interval& iv, uint64_t pixel)
{
    const uint64_t lo = std::max(iv.a, pixel * 256), hi = std::min(iv.b, pixel * 256 + 256);
    return hi > lo ? hi - lo : 0;
}

// Resize by its definition: nearest picks, or every covered source pixel
// weighted by its covered area (2D, 64-bit), the sum divided once.
inline void ReferenceResize(const CGraphicsImage& source, uint32_t width, uint32_t height, uint32_t flags,
                            CGraphicsImage& out)
{
    const bool smooth = flags & 1, to32 = flags & 2;
    const uint32_t bits = (to32 || source.m_nBitCount == 32) ? 32 : smooth ? 24 : source.m_nBitCount;
    ASSERT_TRUE(out.Create(bits, width, height, 0, 0));
    for (uint32_t i = 0; i < source.m_nPaletteSize; ++i)
        out.SetPaletteEntry(i, PaletteAt(source, i));
    const uint32_t mode = source.GetAlphaMode();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            if (!smooth) {
                const int sx = int(uint64_t(x) * source.m_nWidth / width);
                const int sy = int(uint64_t(y) * source.m_nHeight / height);
                const bool lookUp = !source.m_bTrueColor && out.m_bTrueColor;
                SetAt(out, int(x), int(y), lookUp ? ColourAt(source, sx, sy) : PixelAt(source, sx, sy));
                continue;
            }
            const Interval ix = Cover(x, source.m_nWidth, width), iy = Cover(y, source.m_nHeight, height);
            uint64_t sum[4] = {}, total = 0;
            for (uint64_t sy = iy.a / 256; sy * 256 < iy.b; ++sy)
                for (uint64_t sx = ix.a / 256; sx * 256 < ix.b; ++sx) {
                    const uint64_t weight = Overlap(ix, sx) * Overlap(iy, sy);
                    const uint32_t c = ColourAt(source, int(sx), int(sy));
                    for (int k = 0; k < 4; ++k)
                        sum[k] += weight * ((c >> (8 * k)) & 255);
                    total += weight;
                }
            uint32_t v = 0;
            for (int k = 0; k < 3; ++k)
                v |= uint32_t(sum[k] / total) << (8 * k);
            if (bits == 32)
                v |= (mode == 2 ? uint32_t(sum[3] / total) : mode == 1 ? 255u : 0u) << 24;
            SetAt(out, int(x), int(y), v);
        }
}

}  // namespace convert_test
