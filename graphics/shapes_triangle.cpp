// Filled triangles: two walkers step the edges from the topmost vertex like
// lines, the first to run out continuing along the third edge; each row is
// filled between the extreme points the walkers visit on it.
#include <algorithm>

#include "graphics/draw_line_steps.h"
#include "graphics/image.h"

using graphics_detail::LineSteps;

namespace {

struct Vertex {
    int64_t x, y;
};

// The three directed edges the walkers step, and the rows they span.
class TriangleEdges {
public:
    explicit TriangleEdges(const int32_t* points)
    {
        Vertex v[3];
        for (int i = 0; i < 3; ++i)
            v[i] = {points[2 * i], points[2 * i + 1]};
        int start = 0;
        for (int i = 1; i < 3; ++i)
            if (v[i].y < v[start].y)
                start = i;
        const Vertex s = v[start], a = v[(start + 1) % 3], b = v[(start + 2) % 3];
        m_edges[0] = LineSteps::Make(s.x, s.y, a.x, a.y);
        m_edges[1] = LineSteps::Make(s.x, s.y, b.x, b.y);
        // The walker that runs out first (the first one on a tie) goes on
        // from its own end vertex to the other's.
        m_edges[2] = a.y <= b.y ? LineSteps::Make(a.x, a.y, b.x, b.y) : LineSteps::Make(b.x, b.y, a.x, a.y);
        m_top = s.y;
        m_bottom = std::max(a.y, b.y);
        m_left = std::min({s.x, a.x, b.x});
        m_right = std::max({s.x, a.x, b.x});
    }

    int64_t Top() const { return m_top; }
    int64_t Bottom() const { return m_bottom; }
    int64_t Left() const { return m_left; }
    int64_t Right() const { return m_right; }

    // Span of the row: from the smallest to the largest x visited on it.
    bool Span(int64_t y, int64_t& x0, int64_t& x1) const
    {
        bool any = false;
        for (const LineSteps& e : m_edges) {
            int64_t a, b;
            if (!e.RunOnRow(y, a, b))
                continue;
            x0 = any ? std::min(x0, a) : a;
            x1 = any ? std::max(x1, b) : b;
            any = true;
        }
        return any;
    }

private:
    LineSteps m_edges[3];
    int64_t m_top, m_bottom, m_left, m_right;
};

// Fills the triangle's rows inside the image through fill(x0, y, x1), columns
// inclusive and clipped; rows above the image are never stepped.
template <class Fill>
bool FillTriangleRows(const CGraphicsImage& image, const int32_t* points, Fill&& fill)
{
    if (!image.m_pBits || !points)
        return false;
    const TriangleEdges t(points);
    const int64_t w = image.m_nWidth, h = image.m_nHeight;
    if (t.Top() >= h || t.Bottom() < 0 || t.Left() >= w || t.Right() < 0)
        return false;
    const int64_t last = std::min(t.Bottom(), h - 1);
    for (int64_t y = std::max<int64_t>(t.Top(), 0); y <= last; ++y) {
        int64_t x0, x1;
        if (!t.Span(y, x0, x1))
            continue;
        x0 = std::max<int64_t>(x0, 0);
        x1 = std::min(x1, w - 1);
        if (x0 <= x1)
            fill(int(x0), int(y), int(x1));
    }
    return true;
}

}  // namespace

bool CGraphicsImage::FillTriangle(const int32_t* points, uint32_t colour)
{
    return FillTriangleRows(*this, points, [&](int x0, int y, int x1) { FillRect(x0, y, x1 - x0 + 1, 1, colour); });
}

bool CGraphicsImage::FillTriangleWithPlot(const int32_t* points, uint32_t colour, RowPlotFn plot)
{
    if (!plot)
        return false;
    return FillTriangleRows(*this, points, [&](int x0, int y, int x1) {
        uint8_t* row = RowAt(y);
        for (int x = x0; x <= x1; ++x)
            plot(this, row, x, y, colour);
    });
}
