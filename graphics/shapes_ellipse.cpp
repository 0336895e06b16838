// Filled ellipses, row by row from the half-chord table.
#include <algorithm>
#include <cstdlib>

#include "graphics/colour_weight.h"
#include "graphics/fixed_trig.h"
#include "graphics/image.h"

using graphics_detail::kHalfChordTable;
using graphics_detail::WeightColour;

namespace {

constexpr uint32_t kMaxPaletteBits = 8;
constexpr uint32_t kAnchorCentre = 0, kAnchorStart = 1, kAnchorEnd = 2;

// Where the ellipse lies: its left column and full width, its centre row and
// height, and the row the lower half counts from.
struct EllipseFrame {
    int64_t left, width;
    int64_t centre, height;
    int64_t lowerStart;
    int64_t halfRows;  // rows above (and below) the centre: |hy|

    // Half chord of the rows at distance k from the centre, of 32768.
    int64_t HalfChord(int64_t k) const
    {
        const int64_t t = (k * 65536 - ((height & 1) ? 0 : 32768)) / height;
        const int64_t i = t >> 8, f = t & 255;
        return (kHalfChordTable[i] * (256 - f) + kHalfChordTable[i + 1] * f) >> 8;
    }
    // Width of the rows at distance k from the centre, and their left column.
    int64_t RowWidth(int64_t k) const { return (HalfChord(k) * width + 16383) >> 15; }
    // Row width in 1/256 pixel.
    int64_t RowWidth256(int64_t k) const { return (HalfChord(k) * width + 63) >> 7; }
    int64_t RowLeft(int64_t w) const { return left + ((width - w) >> 1); }
};

bool MakeFrame(int x, int y, int rx, int ry, uint32_t flags, EllipseFrame& f)
{
    int64_t hx, hy;
    if (flags & CGraphicsImage::ELLIPSE_FULL_SIZE) {
        f.width = std::llabs(rx);
        f.height = std::llabs(ry);
        if (f.width == 0 || f.height == 0)
            return false;
        hx = rx / 2;
        hy = ry / 2;
    } else {
        f.width = 2 * std::llabs(rx) + 1;
        f.height = 2 * std::llabs(ry) + 1;
        hx = rx;
        hy = ry;
    }
    switch ((flags >> 2) & 3) {
    case kAnchorCentre: f.left = x - (f.width >> 1); break;
    case kAnchorStart: f.left = hx < 0 ? x + 1 - f.width : x; break;
    case kAnchorEnd: f.left = hx >= 1 ? x + 1 - f.width : x; break;
    default: return false;
    }
    switch ((flags >> 4) & 3) {
    case kAnchorCentre: f.centre = y; break;
    case kAnchorStart: f.centre = hy >= 1 ? y + (f.height >> 1) : y - (f.height - 1) / 2; break;
    case kAnchorEnd: f.centre = hy >= 1 ? y - ((f.height - 1) >> 1) : y + f.height / 2; break;
    default: return false;
    }
    f.lowerStart = (f.height & 1) ? f.centre : f.centre - 1;
    f.halfRows = std::llabs(hy);
    return true;
}

// Calls row(y, k) for the centre row (k = 0, odd heights only) and for every
// row at distance k = 1 .. |hy| that lies inside the image, skipping the
// others arithmetically. Answers whether any row lay inside.
template <class Row>
bool ForEachRow(const CGraphicsImage& image, const EllipseFrame& f, Row&& row)
{
    const int64_t last = int64_t(image.m_nHeight) - 1;
    bool any = false;
    if ((f.height & 1) && f.centre >= 0 && f.centre <= last) {
        row(f.centre, 0);
        any = true;
    }
    // Upper rows centre - k and lower rows lowerStart + k inside [0, last];
    // far outside the image either range is empty.
    auto visit = [&](int64_t kLow, int64_t kHigh, int64_t base, int64_t sign) {
        for (int64_t k = std::max<int64_t>(kLow, 1); k <= std::min(kHigh, f.halfRows); ++k) {
            row(base + sign * k, k);
            any = true;
        }
    };
    visit(f.centre - last, f.centre, f.centre, -1);
    visit(-f.lowerStart, last - f.lowerStart, f.lowerStart, 1);
    return any;
}

// Columns [x0, x1) of a run clipped to the image; false when empty.
bool ClipRun(const CGraphicsImage& image, int64_t left, int64_t width, int& x0, int& x1)
{
    const int64_t a = std::max<int64_t>(left, 0), b = std::min<int64_t>(left + width, image.m_nWidth);
    if (a >= b)
        return false;
    x0 = int(a);
    x1 = int(b);
    return true;
}

// Fills the ellipse's rows, clipped to the image, through fill(x0, row,
// width); true when any fill drew.
template <class Fill>
bool FillRuns(const CGraphicsImage& image, const EllipseFrame& f, Fill&& fill)
{
    bool drawn = false;
    ForEachRow(image, f, [&](int64_t row, int64_t k) {
        const int64_t w = k ? f.RowWidth(k) : f.width;
        int x0, x1;
        if (ClipRun(image, f.RowLeft(w), w, x0, x1))
            drawn |= fill(x0, int(row), x1 - x0);
    });
    return drawn;
}

void BlendPixel(CGraphicsImage& image, uint8_t* row, int64_t x, uint32_t colour, int64_t a)
{
    if (x < 0 || x >= int64_t(image.m_nWidth) || a <= 0)
        return;
    const uint32_t w = uint32_t(std::min<int64_t>(a, 255));
    image.m_pfnSetPixel(row, int(x), WeightColour(image.m_pfnGetPixel(row, int(x)), colour, w));
}

}  // namespace

bool CGraphicsImage::FillEllipse(int x, int y, int rx, int ry, uint32_t colour, uint32_t flags)
{
    EllipseFrame f;
    if (!m_pBits || !MakeFrame(x, y, rx, ry, flags, f))
        return false;
    return FillRuns(*this, f, [&](int x0, int row, int width) { return FillRect(x0, row, width, 1, colour); });
}

bool CGraphicsImage::FillEllipseWithPlot(int x, int y, int rx, int ry, uint32_t colour, RowPlotFn plot,
                                         uint32_t flags)
{
    EllipseFrame f;
    if (!m_pBits || !plot || !MakeFrame(x, y, rx, ry, flags, f))
        return false;
    return FillRuns(*this, f, [&](int x0, int row, int width) {
        return FillRectWithPlot(x0, row, width, 1, colour, plot);
    });
}

bool CGraphicsImage::FillEllipseSmooth(int x, int y, int rx, int ry, uint32_t colour, uint32_t flags)
{
    // Blending needs colours, not palette indices.
    if (m_nBitCount <= kMaxPaletteBits)
        return FillEllipse(x, y, rx, ry, colour, flags);
    EllipseFrame f;
    if (!m_pBits || !MakeFrame(x, y, rx, ry, flags, f))
        return false;
    bool drawn = false;
    // Rows are centred on the frame's middle, kept in 1/256 pixel.
    const int64_t middle = f.left * 256 + f.width * 128;
    ForEachRow(*this, f, [&](int64_t row, int64_t k) {
        int64_t w = k ? f.RowWidth256(k) : f.width * 256;
        if (k && k == f.halfRows)
            w /= 3;  // the outermost row only touches the curve
        const int64_t l = middle - w / 2, r = l + w;
        uint8_t* p = RowAt(int(row));
        const int64_t lp = l >> 8, rp = r >> 8;  // pixels holding the ends
        if (lp == rp) {
            BlendPixel(*this, p, lp, colour, r - l);
            drawn = true;
            return;
        }
        const int64_t fullFrom = (l & 255) ? lp + 1 : lp;
        int x0, x1;
        if (fullFrom < rp && ClipRun(*this, fullFrom, rp - fullFrom, x0, x1))
            FillRect(x0, int(row), x1 - x0, 1, colour);
        if (l & 255)
            BlendPixel(*this, p, lp, colour, 256 - (l & 255));
        BlendPixel(*this, p, rp, colour, r & 255);
        drawn = true;
    });
    return drawn;
}
