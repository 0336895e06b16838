#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "graphics/image.h"
#include "graphics/plot.h"

namespace {

// The pixels a plot function sets when called once for each x of a row of a
// freshly made image, as a string of '#' and '.'.
std::string PlotRow(PixelPlotFn plot, int calls)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(8, calls, 1, 0, 0));
    for (int x = 0; x < calls; ++x)
        plot(&image, x, 0, 1);
    std::string row;
    for (int x = 0; x < calls; ++x)
        row += image.RowAt(0)[x] ? '#' : '.';
    return row;
}

TEST(Plot, Patterns)
{
    EXPECT_EQ(PlotRow(PlotPixel, 8), "########");
    EXPECT_EQ(PlotRow(PlotDashed, 16), "####....####....");  // pixels 1-4 and 9-12
    EXPECT_EQ(PlotRow(PlotDotted, 8), "#.#.#.#.");
    // 32 calls bring the pattern round to where it started.
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, 1, 1, 0, 0));
    for (int i = 0; i < 32; ++i)
        PlotDashed(&image, 0, 0, 0);
    EXPECT_EQ(image.m_dashPattern, CGraphicsImage::DASH_PATTERN);
}

TEST(Plot, PointsOutsideAreIgnoredButKeepTheRhythm)
{
    CGraphicsImage image, empty;
    ASSERT_TRUE(image.Create(24, 4, 3, 0, 0));
    const int outside[][2] = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT_MIN, INT_MAX}, {INT_MAX, 0}};
    for (const auto& p : outside) {
        PlotPixel(&image, p[0], p[1], 0xFFFFFF);
        PlotDotted(&image, p[0], p[1], 0xFFFFFF);
        PlotDashed(&image, p[0], p[1], 0xFFFFFF);
        PlotPixel(&empty, p[0], p[1], 0xFFFFFF);
    }
    for (uint32_t i = 0; i < image.m_nImageSize; ++i)
        ASSERT_EQ(image.m_pBits[i], 0) << i;
    // Six dotted calls went by outside: the next dot is drawn.
    PlotDotted(&image, 1, 1, 0xABCDEF);
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(1), 1), 0xABCDEFu);
    PlotPixel(&empty, 0, 0, 1);
}

}  // namespace
