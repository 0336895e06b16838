// Filled polygons, even-odd: on each row every edge contributes the run of
// pixels its walker visits there; runs of consecutive edges that go on in the
// same vertical direction count as one, and the sorted runs are filled in
// pairs. The edge table lives on the stack.
#include <algorithm>

#include "graphics/draw_line_steps.h"
#include "graphics/image.h"

using graphics_detail::LineSteps;

namespace {

struct Edge {
    LineSteps steps;  // walked from the upper end to the lower
    int64_t top, bottom;
    bool down;  // direction along the outline
};

struct Run {
    int64_t x0, x1;
};

class PolygonEdges {
public:
    PolygonEdges(const int32_t* points, int count) : m_count(count)
    {
        for (int i = 0; i < count; ++i) {
            const int j = (i + 1) % count;
            const int64_t ax = points[2 * i], ay = points[2 * i + 1], bx = points[2 * j], by = points[2 * j + 1];
            Edge& e = m_edges[i];
            e.steps = ay <= by ? LineSteps::Make(ax, ay, bx, by) : LineSteps::Make(bx, by, ax, ay);
            e.top = std::min(ay, by);
            e.bottom = std::max(ay, by);
            e.down = by > ay;
            m_flat[i] = ay == by;
        }
        // A horizontal edge goes the way of the next edge that is not.
        for (int i = 0; i < count; ++i) {
            if (!m_flat[i])
                continue;
            for (int k = 1; k < count; ++k) {
                const int j = (i + k) % count;
                if (!m_flat[j]) {
                    m_edges[i].down = m_edges[j].down;
                    break;
                }
            }
        }
    }

    // The row's runs after uniting, sorted by first x; returns their number.
    int Runs(int64_t y, Run* out) const
    {
        bool has[CGraphicsImage::MAX_POLYGON_POINTS];
        Run run[CGraphicsImage::MAX_POLYGON_POINTS];
        for (int i = 0; i < m_count; ++i) {
            const Edge& e = m_edges[i];
            has[i] = y >= e.top && y <= e.bottom && e.steps.RunOnRow(y, run[i].x0, run[i].x1);
        }
        auto joins = [&](int i) {  // edge i unites with the one before it
            const int p = (i + m_count - 1) % m_count;
            return has[i] && has[p] && m_edges[i].down == m_edges[p].down;
        };
        // Start at an edge that begins a group, so that groups wrapping round
        // the end of the outline stay whole.
        int start = 0;
        while (start < m_count && joins(start))
            ++start;
        if (start == m_count)
            start = 0;
        int n = 0;
        for (int k = 0; k < m_count; ++k) {
            const int i = (start + k) % m_count;
            if (!has[i])
                continue;
            if (k > 0 && joins(i)) {
                out[n - 1].x0 = std::min(out[n - 1].x0, run[i].x0);
                out[n - 1].x1 = std::max(out[n - 1].x1, run[i].x1);
            } else {
                out[n++] = run[i];
            }
        }
        std::sort(out, out + n, [](const Run& a, const Run& b) { return a.x0 < b.x0 || (a.x0 == b.x0 && a.x1 < b.x1); });
        return n;
    }

private:
    int m_count;
    Edge m_edges[CGraphicsImage::MAX_POLYGON_POINTS];
    bool m_flat[CGraphicsImage::MAX_POLYGON_POINTS];
};

struct Bounds {
    int64_t left, top, right, bottom;
};

Bounds BoundsOf(const int32_t* points, int count)
{
    Bounds b{points[0], points[1], points[0], points[1]};
    for (int i = 1; i < count; ++i) {
        b.left = std::min<int64_t>(b.left, points[2 * i]);
        b.right = std::max<int64_t>(b.right, points[2 * i]);
        b.top = std::min<int64_t>(b.top, points[2 * i + 1]);
        b.bottom = std::max<int64_t>(b.bottom, points[2 * i + 1]);
    }
    return b;
}

// What a polygon too thin to have an inside becomes instead.
struct Degenerate {
    virtual bool Point(int x, int y) = 0;
    virtual bool Line(int x1, int y1, int x2, int y2) = 0;
};

template <class Fill>
void FillClipped(int64_t x0, int64_t x1, int64_t y, int64_t width, Fill& fill)
{
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min(x1, width - 1);
    if (x0 <= x1)
        fill(int(x0), int(y), int(x1));
}

// Fills the polygon's rows inside the image through fill(x0, y, x1), columns
// inclusive and clipped.
template <class Fill>
bool FillPolygonRows(const CGraphicsImage& image, const int32_t* points, int count, Degenerate& thin, Fill&& fill)
{
    if (!image.m_pBits || !points || count < 1 || count > CGraphicsImage::MAX_POLYGON_POINTS)
        return false;
    if (count == 1)
        return thin.Point(points[0], points[1]);
    if (count == 2)
        return thin.Line(points[0], points[1], points[2], points[3]);
    const Bounds b = BoundsOf(points, count);
    const int64_t w = image.m_nWidth, h = image.m_nHeight;
    if (b.left >= w || b.top >= h || b.right < 0 || b.bottom < 0)
        return false;
    if (b.left == b.right || b.top == b.bottom)
        return thin.Line(int(b.left), int(b.top), int(b.right), int(b.bottom));
    const PolygonEdges edges(points, count);
    Run runs[CGraphicsImage::MAX_POLYGON_POINTS];
    const int64_t last = std::min(b.bottom, h - 1);
    for (int64_t y = std::max<int64_t>(b.top, 0); y <= last; ++y) {
        const int n = edges.Runs(y, runs);
        // A pair spans both its runs: where two runs overlap (at a vertex or
        // along a flat edge) the first may reach further than the second,
        // and its outline pixels still belong to the area. An unpaired last
        // run is outline too and is filled by itself. Pairs that overlap are
        // joined, so that no pixel is plotted twice.
        int64_t spanStart = 0, spanEnd = -1;
        bool open = false;
        for (int j = 0; j < n; j += 2) {
            const int64_t x0 = runs[j].x0;
            const int64_t x1 = j + 1 < n ? std::max(runs[j].x1, runs[j + 1].x1) : runs[j].x1;
            if (open && x0 <= spanEnd + 1) {
                spanEnd = std::max(spanEnd, x1);
                continue;
            }
            if (open)
                FillClipped(spanStart, spanEnd, y, w, fill);
            spanStart = x0;
            spanEnd = x1;
            open = true;
        }
        if (open)
            FillClipped(spanStart, spanEnd, y, w, fill);
    }
    return true;
}

}  // namespace

bool CGraphicsImage::FillPolygon(const int32_t* points, int count, uint32_t colour)
{
    struct Thin : Degenerate {
        CGraphicsImage& image;
        uint32_t colour;
        Thin(CGraphicsImage& i, uint32_t c) : image(i), colour(c) {}
        bool Point(int x, int y) override
        {
            if (uint32_t(x) >= image.m_nWidth || uint32_t(y) >= image.m_nHeight)
                return false;
            image.m_pfnSetPixel(image.RowAt(y), x, colour);
            return true;
        }
        bool Line(int x1, int y1, int x2, int y2) override { return image.DrawLine(x1, y1, x2, y2, colour); }
    } thin(*this, colour);
    return FillPolygonRows(*this, points, count, thin,
                           [&](int x0, int y, int x1) { FillRect(x0, y, x1 - x0 + 1, 1, colour); });
}

bool CGraphicsImage::FillPolygonWithPlot(const int32_t* points, int count, uint32_t colour, RowPlotFn plot)
{
    if (!plot)
        return false;
    struct Thin : Degenerate {
        CGraphicsImage& image;
        uint32_t colour;
        RowPlotFn plot;
        Thin(CGraphicsImage& i, uint32_t c, RowPlotFn p) : image(i), colour(c), plot(p) {}
        bool Point(int x, int y) override
        {
            if (uint32_t(x) >= image.m_nWidth || uint32_t(y) >= image.m_nHeight)
                return false;
            plot(&image, image.RowAt(y), x, y, colour);
            return true;
        }
        bool Line(int x1, int y1, int x2, int y2) override
        {
            return image.DrawLineWithRowPlot(x1, y1, x2, y2, colour, plot, 1);
        }
    } thin(*this, colour, plot);
    return FillPolygonRows(*this, points, count, thin, [&](int x0, int y, int x1) {
        uint8_t* row = RowAt(y);
        for (int x = x0; x <= x1; ++x)
            plot(this, row, x, y, colour);
    });
}
