// Rectangle outlines.
#include <algorithm>

#include "graphics/image.h"
#include "graphics/rect.h"

using graphics_detail::NormaliseExtent;

namespace {

// Left, top, right, bottom of a rectangle whose negative extents reach left
// or up from x, y. False when it has no width or height.
bool Corners(int64_t x, int64_t y, int64_t w, int64_t h, int64_t& l, int64_t& t, int64_t& r, int64_t& b)
{
    if (w == 0 || h == 0)
        return false;
    NormaliseExtent(x, w);
    NormaliseExtent(y, h);
    l = x;
    t = y;
    r = x + w - 1;
    b = y + h - 1;
    return true;
}

bool Misses(const CGraphicsImage& image, int64_t l, int64_t t, int64_t r, int64_t b)
{
    return !image.m_pBits || l >= int64_t(image.m_nWidth) || t >= int64_t(image.m_nHeight) || r < 0 || b < 0;
}

}  // namespace

bool CGraphicsImage::DrawRect(int x, int y, int width, int height, uint32_t value)
{
    int64_t l, t, r, b;
    if (!Corners(x, y, width, height, l, t, r, b) || Misses(*this, l, t, r, b))
        return false;
    const bool leftInside = l >= 0, rightInside = r < int64_t(m_nWidth);
    const int cl = int(std::max<int64_t>(l, 0)), cr = int(std::min<int64_t>(r, m_nWidth - 1));
    const int ct = int(std::max<int64_t>(t, 0)), cb = int(std::min<int64_t>(b, m_nHeight - 1));
    const SetPixelFn set = m_pfnSetPixel;
    auto row = [&](int64_t ry) {
        if (ry >= 0 && ry < int64_t(m_nHeight)) {
            uint8_t* p = RowAt(int(ry));
            for (int px = cl; px <= cr; ++px)
                set(p, px, value);
        }
    };
    row(t);
    for (int ry = std::max<int64_t>(t + 1, ct); ry < std::min<int64_t>(b, int64_t(cb) + 1); ++ry) {
        uint8_t* p = RowAt(ry);
        if (leftInside)
            set(p, int(l), value);
        if (rightInside)
            set(p, int(r), value);
    }
    if (b != t)
        row(b);
    return true;
}

bool CGraphicsImage::DrawRectWithPlot(int x, int y, int width, int height, uint32_t colour, PixelPlotFn plot)
{
    int64_t l, t, r, b;
    if (!plot || !Corners(x, y, width, height, l, t, r, b) || Misses(*this, l, t, r, b))
        return false;
    // The corners of a rectangle out of range of int lie far outside; pull
    // them in so the lines keep their visible part.
    const int64_t reach = int64_t(std::max(m_nWidth, m_nHeight)) + 2;
    const int L = int(std::max<int64_t>(l, -reach)), T = int(std::max<int64_t>(t, -reach));
    const int R = int(std::min<int64_t>(r, reach)), B = int(std::min<int64_t>(b, reach));
    // A one-pixel-wide or -high outline is a single line: four lines would
    // plot its pixels twice, doubling dashes and soft blends.
    if (L == R || T == B) {
        DrawLineWithPlot(L, T, R, B, colour, plot, 1);
        return true;
    }
    DrawLineWithPlot(L, T, L, B, colour, plot, 0);
    DrawLineWithPlot(L, B, R, B, colour, plot, 0);
    DrawLineWithPlot(R, B, R, T, colour, plot, 0);
    DrawLineWithPlot(R, T, L, T, colour, plot, 0);
    return true;
}
