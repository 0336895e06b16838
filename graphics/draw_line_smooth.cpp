// Anti-aliased lines: each step blends the line pixel and its neighbour on
// the minor axis by the error term; diagonals get a fixed soft fringe.
#include "graphics/colour_weight.h"
#include "graphics/draw_line_steps.h"
#include "graphics/image.h"

using graphics_detail::LineSteps;
using graphics_detail::WeightColour;

namespace {

constexpr uint32_t kMaxPaletteBits = 8;
constexpr int64_t kFractionOne = 0x10000000;  // the blend fraction's 1.0
constexpr int kWeightShift = 20;              // fraction >> 20: weight 0 .. 256
constexpr uint32_t kFringeWeight = 32;        // diagonal fringe: 1/8 colour

class SmoothPixels {
public:
    SmoothPixels(CGraphicsImage& image, uint32_t colour) : m_image(image), m_colour(colour) {}

    // old × (256 - w) + colour × w per red, green and blue; the other bits
    // of the pixel stay.
    void Blend(int64_t x, int64_t y, uint32_t w) const
    {
        if (!Inside(x, y))
            return;
        uint8_t* row = m_image.RowAt(int(y));
        m_image.m_pfnSetPixel(row, int(x), WeightColour(m_image.m_pfnGetPixel(row, int(x)), m_colour, w));
    }
    // (old × 7 + colour) >> 3 per channel, the same as weight 32.
    void Fringe(int64_t x, int64_t y) const { Blend(x, y, kFringeWeight); }
    void Set(int64_t x, int64_t y) const
    {
        if (Inside(x, y))
            m_image.m_pfnSetPixel(m_image.RowAt(int(y)), int(x), m_colour);
    }

private:
    bool Inside(int64_t x, int64_t y) const
    {
        return x >= 0 && y >= 0 && x < int64_t(m_image.m_nWidth) && y < int64_t(m_image.m_nHeight);
    }

    CGraphicsImage& m_image;
    uint32_t m_colour;
};

bool SteppedSmooth(CGraphicsImage& image, int x1, int y1, int x2, int y2, uint32_t colour, bool last)
{
    const LineSteps s = LineSteps::Make(x1, y1, x2, y2);
    const int64_t m = s.xMajor ? image.m_nWidth : image.m_nHeight;
    const int64_t n = s.xMajor ? image.m_nHeight : image.m_nWidth;
    const int64_t v2 = s.xMajor ? y2 : x2;
    // The neighbour pixel reaches one further on both axes.
    if ((s.v1 < -1 && v2 < -1) || (s.v1 > n && v2 > n))
        return false;
    const uint64_t count = last ? s.major + 1 : s.major;
    if (count == 0)
        return true;
    uint64_t first, lastStep;
    if (!s.MajorRange(-1, m, count, first, lastStep))
        return false;
    const SmoothPixels px(image, colour);
    const int64_t k = kFractionOne / int64_t(s.major);
    const int64_t d = int64_t(s.minor), up = int64_t(s.major - s.minor);
    int64_t e = s.ErrorAfter(first);
    int64_t f = (e + d) * k;  // follows the error term: always (e + d) × k
    int64_t u = s.U(first), v = s.V(first);
    for (uint64_t i = first;; ++i) {
        const uint32_t w = uint32_t(f >> kWeightShift);
        if (s.xMajor) {
            px.Blend(u, v, w);
            px.Blend(u, v + s.sv, 256 - w);
        } else {
            px.Blend(v, u, w);
            px.Blend(v + s.sv, u, 256 - w);
        }
        if (i == lastStep)
            break;
        if (e > 0) {
            e -= d;
            f -= d * k;
        } else {
            v += s.sv;
            e += up;
            f += up * k;
        }
        u += s.su;
    }
    return true;
}

// Moves a start that lies beyond -1 or size on axis a along the diagonal onto
// that bound; false when it lies there and runs away from the image.
bool MoveOnto(int64_t& a, int64_t& b, int sa, int sb, int64_t size, int64_t& remaining)
{
    int64_t t = 0;
    if (a < -1) {
        if (sa < 0)
            return false;
        t = -1 - a;
    } else if (a > size) {
        if (sa > 0)
            return false;
        t = a - size;
    }
    a += sa * t;
    b += sb * t;
    remaining -= t;
    return true;
}

// Pixels left on an axis until the line lies one beyond the image: up to
// -1 running toward 0, up to size running the other way. The pixel beyond
// is never written, but its fringe one row back may be inside (stopping at
// row 0 would lose the fringe that row 0 gets from row -1).
int64_t AxisLimit(int64_t a, int sa, int64_t size) { return sa < 0 ? a + 2 : size - a + 1; }

bool DiagonalSmooth(CGraphicsImage& image, int x1, int y1, int x2, int y2, uint32_t colour, bool last)
{
    const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
    const int64_t w = image.m_nWidth, h = image.m_nHeight;
    int64_t x = x1, y = y1, remaining = x2 >= x1 ? int64_t(x2) - x1 : int64_t(x1) - x2;
    if (!MoveOnto(x, y, sx, sy, w, remaining) || !MoveOnto(y, x, sy, sx, h, remaining) || remaining < 0)
        return false;
    int64_t count = remaining + (last ? 1 : 0);
    count = std::min({count, AxisLimit(x, sx, w), AxisLimit(y, sy, h)});
    // count is the number of line pixels, the start included: a count of 1
    // draws the start alone, never a pixel past the end.
    if (count <= 0)
        return true;
    const SmoothPixels px(image, colour);
    px.Set(x, y);
    px.Fringe(x, y + sy);
    for (int64_t k = 1; k < count; ++k) {
        const int64_t cx = x + k * sx, cy = y + k * sy;
        px.Set(cx, cy);
        px.Fringe(cx, cy - sy);
        if (k != count - 1)
            px.Fringe(cx, cy + sy);
    }
    return true;
}

}  // namespace

bool CGraphicsImage::DrawLineSmooth(int x1, int y1, int x2, int y2, uint32_t colour, int last)
{
    if (m_nBitCount <= kMaxPaletteBits || x1 == x2 || y1 == y2)
        return DrawLine(x1, y1, x2, y2, colour);
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    if (dx == dy || dx == -dy)
        return DiagonalSmooth(*this, x1, y1, x2, y2, colour, last != 0);
    return SteppedSmooth(*this, x1, y1, x2, y2, colour, last != 0);
}
