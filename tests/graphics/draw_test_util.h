// Helpers of the line, text and shape tests: pixel access, image comparison
// and the plain step-by-step line walk that the clipped lines must match.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "graphics/image.h"
#include "graphics/plot.h"

namespace draw_test {

inline uint32_t Get(const CGraphicsImage& image, int x, int y) { return image.m_pfnGetPixel(image.RowAt(y), x); }
inline void Set(CGraphicsImage& image, int x, int y, uint32_t v) { image.m_pfnSetPixel(image.RowAt(y), x, v); }

inline CGraphicsImage Make(uint32_t bits, int width, int height, uint32_t fill = 0)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(bits, width, height, fill));
    return image;
}

typedef std::set<std::pair<int, int>> PixelSet;

// Pixels whose value differs from background.
inline PixelSet Painted(const CGraphicsImage& image, uint32_t background = 0)
{
    PixelSet out;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x)
            if (Get(image, x, y) != background)
                out.insert({x, y});
    return out;
}

// Plot functions that record their calls and plot as the plain ones do, the
// row plot clipping as every row plot must.
struct PlotRecorder {
    static inline std::vector<std::pair<int, int>> calls;
    static void Plot(CGraphicsImage* image, int x, int y, uint32_t colour)
    {
        calls.push_back({x, y});
        PlotPixel(image, x, y, colour);
    }
    static void RowPlot(CGraphicsImage* image, uint8_t* row, int x, int y, uint32_t colour)
    {
        calls.push_back({x, y});
        if (uint32_t(x) < image->m_nWidth && uint32_t(y) < image->m_nHeight) {
            EXPECT_EQ(row, image->RowAt(y));
            image->m_pfnSetPixel(row, x, colour);
        }
    }
    // The points called, each exactly once.
    static PixelSet Once()
    {
        std::map<std::pair<int, int>, int> hits;
        for (const auto& p : calls)
            ++hits[p];
        PixelSet out;
        for (const auto& [p, n] : hits) {
            EXPECT_EQ(n, 1) << p.first << "," << p.second;
            out.insert(p);
        }
        return out;
    }
};

// Bounding rows and columns of a set of pixels.
struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    std::vector<int> Sides() const { return {left, top, right, bottom}; }
};
inline Box BoxOf(const PixelSet& pixels)
{
    Box b;
    for (const auto& [x, y] : pixels) {
        b.left = std::min(b.left, x), b.right = std::max(b.right, x);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
    }
    return b;
}

typedef std::map<std::pair<int, int>, uint32_t> PixelValues;

// Pixels whose value differs from background, with their values.
inline PixelValues PaintedValues(const CGraphicsImage& image, uint32_t background = 0)
{
    PixelValues out;
    for (const auto& p : Painted(image, background))
        out[p] = Get(image, p.first, p.second);
    return out;
}

inline int CountValue(const CGraphicsImage& image, uint32_t value)
{
    int n = 0;
    for (int y = 0; y < int(image.m_nHeight); ++y)
        for (int x = 0; x < int(image.m_nWidth); ++x)
            n += Get(image, x, y) == value;
    return n;
}

// The window of big at (ox, oy) equals clipped, pixel for pixel.
inline ::testing::AssertionResult WindowEquals(const CGraphicsImage& big, int ox, int oy, const CGraphicsImage& clipped)
{
    for (int y = 0; y < int(clipped.m_nHeight); ++y)
        for (int x = 0; x < int(clipped.m_nWidth); ++x)
            if (Get(big, ox + x, oy + y) != Get(clipped, x, y))
                return ::testing::AssertionFailure() << "differs at " << x << "," << y << ": big "
                                                     << Get(big, ox + x, oy + y) << " clipped " << Get(clipped, x, y);
    return ::testing::AssertionSuccess();
}

// The line walked step by step exactly as documented, unclipped.
inline std::vector<std::pair<int64_t, int64_t>> WalkLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, bool last)
{
    const int64_t dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
    const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
    const bool xMajor = dx >= dy;
    const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    int64_t e = (major - minor + 1) / 2, x = x1, y = y1;
    std::vector<std::pair<int64_t, int64_t>> out;
    const int64_t count = last ? major + 1 : major;
    for (int64_t i = 0; i < count; ++i) {
        out.push_back({x, y});
        if (e > 0) {
            e -= minor;
            (xMajor ? x : y) += xMajor ? sx : sy;
        } else {
            x += sx;
            y += sy;
            e += major - minor;
        }
    }
    return out;
}

}  // namespace draw_test
