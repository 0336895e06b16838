// Lines through the pixel writer, a pixel plot function or a row plot
// function. All three step alike (draw_line_steps.h); they differ in where
// they clip and in what they hand out.
#include "graphics/draw_line_steps.h"
#include "graphics/draw_row_address.h"
#include "graphics/image.h"
#include "graphics/plot.h"

using graphics_detail::LineSteps;
using graphics_detail::WalkSteps;

namespace {

constexpr int64_t kPrefetchSteps = 16;

// Both end points beyond the same edge of the minor axis, which spans
// [lo, hi]: nothing of the line can be inside.
bool MinorOutside(const LineSteps& s, int64_t v2, int64_t lo, int64_t hi)
{
    return (s.v1 < lo && v2 < lo) || (s.v1 > hi && v2 > hi);
}

int64_t MinorEnd(int64_t x2, int64_t y2, const LineSteps& s) { return s.xMajor ? y2 : x2; }

// Extent of the image along the line's major and minor axis.
int64_t MajorSize(const CGraphicsImage& image, const LineSteps& s)
{
    return s.xMajor ? image.m_nWidth : image.m_nHeight;
}
int64_t MinorSize(const CGraphicsImage& image, const LineSteps& s)
{
    return s.xMajor ? image.m_nHeight : image.m_nWidth;
}

// Steps of a line drawn inside the image, pixel by pixel tests replaced by
// the minor-axis range. False when the line is rejected (wholly outside on
// the minor axis, or no step of the count inside on the major); visible is
// then left false too.
bool InsideSteps(const CGraphicsImage& image, const LineSteps& s, int64_t v2, uint64_t count, uint64_t& first,
                 uint64_t& last, bool& visible)
{
    visible = false;
    const int64_t m = MajorSize(image, s), n = MinorSize(image, s);
    if (!image.m_pBits || m == 0 || n == 0 || MinorOutside(s, v2, 0, n - 1))
        return false;
    if (!s.MajorRange(0, m - 1, count, first, last))
        return false;
    uint64_t minorFirst, minorLast;
    if (s.MinorRange(0, n - 1, minorFirst, minorLast)) {
        first = std::max(first, minorFirst);
        last = std::min(last, minorLast);
        visible = first <= last;
    }
    return true;
}

// Walks the steps of a line inside the image. A steep line meets a new row at
// every step, which the hardware does not see coming: the row a few steps
// ahead is fetched early (a plot may read and blend its neighbourhood there).
template <class Visit>
void WalkPrefetched(const CGraphicsImage& image, const LineSteps& s, uint64_t first, uint64_t last, Visit&& visit)
{
    if (s.xMajor) {
        WalkSteps(s, first, last, visit);
        return;
    }
    const int64_t ahead = kPrefetchSteps * s.su, bytes = (image.m_nBitCount + 7) / 8;
    WalkSteps(s, first, last, [&](int64_t x, int64_t y) {
        if (uint64_t(y + ahead) < image.m_nHeight)
            __builtin_prefetch(graphics_detail::RowAddress(image, y + ahead) + (x * bytes & ~int64_t(63)));
        visit(x, y);
    });
}

}  // namespace

bool CGraphicsImage::DrawLine(int x1, int y1, int x2, int y2, uint32_t value)
{
    const LineSteps s = LineSteps::Make(x1, y1, x2, y2);
    uint64_t first, last;
    bool visible;
    if (!InsideSteps(*this, s, MinorEnd(x2, y2, s), s.major + 1, first, last, visible))
        return false;
    if (visible) {
        const SetPixelFn set = m_pfnSetPixel;
        WalkPrefetched(*this, s, first, last, [&](int64_t x, int64_t y) { set(RowAt(int(y)), int(x), value); });
    }
    return true;
}

bool CGraphicsImage::DrawLineWithPlot(int x1, int y1, int x2, int y2, uint32_t colour, PixelPlotFn plot, int last)
{
    if (!plot)
        return false;
    plot = ResolveSoftPlot(this, plot);
    const LineSteps s = LineSteps::Make(x1, y1, x2, y2);
    uint64_t firstStep, lastStep;
    bool visible;
    if (!InsideSteps(*this, s, MinorEnd(x2, y2, s), last ? s.major + 1 : s.major, firstStep, lastStep, visible))
        return false;
    if (visible)
        WalkPrefetched(*this, s, firstStep, lastStep,
                       [&](int64_t x, int64_t y) { plot(this, int(x), int(y), colour); });
    return true;
}

bool CGraphicsImage::DrawLineWithRowPlot(int x1, int y1, int x2, int y2, uint32_t colour, RowPlotFn plot, int last)
{
    const LineSteps s = LineSteps::Make(x1, y1, x2, y2);
    const int64_t m = MajorSize(*this, s), n = MinorSize(*this, s);
    if (!plot || !m_pBits || m == 0 || n == 0 || MinorOutside(s, MinorEnd(x2, y2, s), 0, n - 1))
        return false;
    // Row plots may paint around their pixel (the soft ones a 3 × 3 block),
    // so the line starts two pixels before the image on its major axis.
    constexpr int64_t kLeadIn = 2;
    const int64_t lo = s.su > 0 ? -kLeadIn : 0, hi = s.su > 0 ? m - 1 : m - 1 + kLeadIn;
    uint64_t first, lastStep;
    if (!s.MajorRange(lo, hi, last ? s.major + 1 : s.major, first, lastStep))
        return false;
    WalkSteps(s, first, lastStep, [&](int64_t x, int64_t y) {
        plot(this, graphics_detail::RowAddress(*this, y), int(x), int(y), colour);
    });
    return true;
}
