// Elliptic arcs: points from the fixed-point sine, joined by line segments
// (DrawArc, DrawArcWithPlot) or by anti-aliased spans (DrawArcSmooth).
#include <algorithm>
#include <cstdlib>

#include "graphics/colour_weight.h"
#include "graphics/fixed_trig.h"
#include "graphics/image.h"
#include "graphics/plot.h"
#include "graphics/shapes_arc.h"

namespace {

constexpr uint32_t kMaxPaletteBits = 8;
constexpr int64_t kFineRadius = 13280;  // radius from which arcs step 128 units
constexpr int64_t kFinestStep = 128;
constexpr int64_t kCoarsestStep = 16384;
constexpr int64_t kOne = 65536;  // 1.0 of the sines and of 16.16 points

struct Point {
    int64_t x, y;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// Centre, radii and rotation of an arc.
class ArcFrame {
public:
    ArcFrame(int cx, int cy, int rx, int ry, int32_t rotation)
        : m_cx(cx), m_cy(cy), m_rx(rx), m_ry(ry), m_radius(std::max(std::llabs(rx), std::llabs(ry)))
    {
        const int32_t theta = rotation & FIXED_ANGLE_MASK;
        m_rotate = theta != 0 && std::llabs(rx) != std::llabs(ry);
        m_cos = FixedCos(theta) / 16;
        m_sin = FixedSin(theta) / 16;
    }

    int64_t Radius() const { return m_radius; }
    // False when the whole ellipse lies beyond an edge of the image.
    bool Reaches(const CGraphicsImage& image) const
    {
        return image.m_pBits && m_cx + m_radius >= -1 && m_cy + m_radius >= -1 &&
               m_cx - m_radius <= int64_t(image.m_nWidth) && m_cy - m_radius <= int64_t(image.m_nHeight);
    }
    // The point at angle a in 16.16 fixed point, centre included.
    Point Fixed(int64_t a) const
    {
        const int64_t c = FixedCos(int32_t(a & FIXED_ANGLE_MASK)), s = FixedSin(int32_t(a & FIXED_ANGLE_MASK));
        if (!m_rotate)
            return {c * m_rx + m_cx * kOne, s * m_ry + m_cy * kOne};
        const int64_t px = c * m_rx / 4096, py = s * m_ry / 4096;
        return {m_cos * px - m_sin * py + m_cx * kOne, m_cos * py + m_sin * px + m_cy * kOne};
    }
    // The pixel at angle a; every division truncates toward zero.
    Point Pixel(int64_t a) const
    {
        const int64_t c = FixedCos(int32_t(a & FIXED_ANGLE_MASK)), s = FixedSin(int32_t(a & FIXED_ANGLE_MASK));
        if (!m_rotate)
            return {c * m_rx / kOne + m_cx, s * m_ry / kOne + m_cy};
        const int64_t px = c * m_rx / 4096, py = s * m_ry / 4096;
        return {(m_cos * px - m_sin * py) / kOne + m_cx, (m_cos * py + m_sin * px) / kOne + m_cy};
    }

private:
    int64_t m_cx, m_cy, m_rx, m_ry, m_radius;
    bool m_rotate;
    int64_t m_cos, m_sin;
};

// The step ladder: 128 at and above the fine radius, doubling while the
// limit, divided by 4 each time, stays at or (inclusive) above the radius.
int64_t StepFor(int64_t radius, bool inclusive)
{
    radius = std::max<int64_t>(radius, 1);
    if (inclusive ? radius > kFineRadius : radius >= kFineRadius)
        return kFinestStep;
    int64_t step = kFinestStep;
    for (int64_t limit = kFineRadius; inclusive ? limit >= radius : limit > radius; limit /= 4)
        step *= 2;
    return std::min(step, kCoarsestStep);
}

int ToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Walks the arc's points from start to end and hands each segment to draw
// (from, to, final): whole steps while one fits short of the end, then the
// segment to the end point itself, so a partial arc never overshoots.
template <class Segment>
void WalkArc(const ArcFrame& frame, int32_t start, int32_t end, Segment&& draw)
{
    const bool backward = int64_t(end) - int64_t(start) < 0;
    int64_t sweep = (backward ? uint32_t(start) - uint32_t(end) : uint32_t(end) - uint32_t(start)) & FIXED_ANGLE_MASK;
    if (sweep == 0 && start != end)
        sweep = FIXED_FULL_TURN;
    const int64_t step = graphics_detail::ArcStep(frame.Radius());
    Point p = frame.Pixel(start);
    for (int64_t done = step; done < sweep; done += step) {
        const Point q = frame.Pixel(int64_t(start) + (backward ? -done : done));
        if (!(q == p)) {
            draw(p, q, false);
            p = q;
        }
    }
    draw(p, frame.Pixel(end), true);
}

// Blends colour into a pixel with weight a of 256, red, green and blue; the
// other bits stay. Pixels outside the image are neither read nor written.
void BlendPixel(CGraphicsImage& image, int64_t x, int64_t y, uint32_t colour, uint32_t a)
{
    if (x < 0 || y < 0 || x >= int64_t(image.m_nWidth) || y >= int64_t(image.m_nHeight) || a == 0)
        return;
    uint8_t* row = image.RowAt(int(y));
    image.m_pfnSetPixel(row, int(x), graphics_detail::WeightColour(image.m_pfnGetPixel(row, int(x)), colour, a));
}

// delta × slope / 65536 with |slope| <= 65536, split so that no product
// leaves 64 bits however far the arc's points lie.
int64_t ScaleBySlope(int64_t delta, int64_t slope) { return delta / kOne * slope + delta % kOne * slope / kOne; }

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t RoundFixed(int64_t v) { return FloorDiv(v + kOne / 2, kOne); }

// One anti-aliased segment between 16.16 points: at each whole major
// coordinate the exact minor coordinate falls between two pixels, which share
// the colour by its fraction. The end pixel is drawn only when withEnd.
void SmoothSegment(CGraphicsImage& image, Point p, Point q, uint32_t colour, bool withEnd)
{
    const bool xMajor = std::llabs(q.x - p.x) >= std::llabs(q.y - p.y);
    const int64_t u0 = xMajor ? p.x : p.y, u1 = xMajor ? q.x : q.y;
    const int64_t v0 = xMajor ? p.y : p.x, v1 = xMajor ? q.y : q.x;
    const int64_t size = xMajor ? image.m_nWidth : image.m_nHeight;
    const int64_t du = u1 - u0;
    // Minor change per whole major step in 16.16; |slope| <= 1.
    const int64_t slope = du ? int64_t(double(v1 - v0) * double(kOne) / double(du)) : 0;
    const int dir = du < 0 ? -1 : 1;
    int64_t first = RoundFixed(u0), last = RoundFixed(u1);
    if (!withEnd) {
        if (first == last)
            return;
        last -= dir;
    }
    // Only the part within one pixel of the image matters.
    const int64_t lo = std::max<int64_t>(std::min(first, last), -1);
    const int64_t hi = std::min<int64_t>(std::max(first, last), size);
    for (int64_t u = lo; u <= hi; ++u) {
        const int64_t v = v0 + ScaleBySlope(u * kOne - u0, slope);
        const int64_t whole = FloorDiv(v, kOne);
        const uint32_t frac = uint32_t((v - whole * kOne) >> 8);
        if (xMajor) {
            BlendPixel(image, u, whole, colour, 256 - frac);
            BlendPixel(image, u, whole + 1, colour, frac);
        } else {
            BlendPixel(image, whole, u, colour, 256 - frac);
            BlendPixel(image, whole + 1, u, colour, frac);
        }
    }
}

}  // namespace

int64_t graphics_detail::ArcStep(int64_t radius) { return StepFor(radius, true); }
int64_t graphics_detail::SmoothArcStep(int64_t radius) { return StepFor(radius, false); }

bool CGraphicsImage::DrawArc(int cx, int cy, int rx, int ry, uint32_t colour, int32_t start, int32_t end,
                             int32_t rotation)
{
    const ArcFrame frame(cx, cy, rx, ry, rotation);
    if (!frame.Reaches(*this))
        return false;
    WalkArc(frame, start, end, [&](Point p, Point q, bool) {
        DrawLine(ToInt(p.x), ToInt(p.y), ToInt(q.x), ToInt(q.y), colour);
    });
    return true;
}

bool CGraphicsImage::DrawArcWithPlot(int cx, int cy, int rx, int ry, uint32_t colour, PixelPlotFn plot,
                                     int32_t start, int32_t end, int32_t rotation, int last)
{
    const ArcFrame frame(cx, cy, rx, ry, rotation);
    if (!plot || !frame.Reaches(*this))
        return false;
    plot = ResolveSoftPlot(this, plot);
    WalkArc(frame, start, end, [&](Point p, Point q, bool final) {
        DrawLineWithPlot(ToInt(p.x), ToInt(p.y), ToInt(q.x), ToInt(q.y), colour, plot, final ? last : 0);
    });
    return true;
}

bool CGraphicsImage::DrawArcSmooth(int cx, int cy, int rx, int ry, uint32_t colour, int32_t start, int32_t end,
                                   int32_t rotation)
{
    if (m_nBitCount <= kMaxPaletteBits)
        return DrawArc(cx, cy, rx, ry, colour, start, end, rotation);
    const ArcFrame frame(cx, cy, rx, ry, rotation);
    if (!frame.Reaches(*this))
        return false;
    // Always from the smaller to the larger angle.
    const int64_t from = start & FIXED_ANGLE_MASK;
    int64_t to = end & FIXED_ANGLE_MASK;
    if (start != end && to <= from)
        to += FIXED_FULL_TURN;
    if (to == from)
        return true;
    const bool closed = to - from == FIXED_FULL_TURN;
    const int64_t step = graphics_detail::SmoothArcStep(frame.Radius());
    Point p = frame.Fixed(from);
    int64_t a = from;
    for (; a + step < to; a += step) {
        const Point q = frame.Fixed(a + step);
        SmoothSegment(*this, p, q, colour, false);
        p = q;
    }
    SmoothSegment(*this, p, frame.Fixed(to), colour, !closed);
    return true;
}
