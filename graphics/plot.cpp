#include "graphics/plot.h"

#include "graphics/image.h"
#include "graphics/pixel_access.h"

namespace {

// Coordinates are 64-bit inside: a brush or soft plot at INT_MAX reaches one
// past it.
bool Inside(const CGraphicsImage* image, int64_t x, int64_t y)
{
    return image->m_pBits && uint64_t(x) < image->m_nWidth && uint64_t(y) < image->m_nHeight;
}

void PlotAt(CGraphicsImage* image, int64_t x, int64_t y, uint32_t colour)
{
    if (Inside(image, x, y))
        image->m_pfnSetPixel(image->RowAt(int(y)), int(x), colour);
}

// Rotates the pattern right by one and answers whether the bit rotated out was 0.
bool StepPattern(uint32_t& pattern)
{
    const uint32_t out = pattern & 1;
    pattern = (pattern >> 1) | (out << 31);
    return out == 0;
}

}  // namespace

void PlotPixel(CGraphicsImage* image, int x, int y, uint32_t colour)
{
    PlotAt(image, x, y, colour);
}

void PlotDotted(CGraphicsImage* image, int x, int y, uint32_t colour)
{
    if (StepPattern(image->m_dotPattern))
        PlotPixel(image, x, y, colour);
}

void PlotDashed(CGraphicsImage* image, int x, int y, uint32_t colour)
{
    if (StepPattern(image->m_dashPattern))
        PlotPixel(image, x, y, colour);
}

namespace {

constexpr int kSoftShift = 5;  // weights are in 1/32
constexpr uint32_t kMaxPaletteBits = 8;
constexpr int kSoftWeights[3][3] = {{1, 2, 1}, {2, 20, 2}, {1, 2, 1}};

uint32_t BlendSoftChannel(uint32_t old, uint32_t colour, int shift, int w)
{
    const uint32_t o = (old >> shift) & 255, c = (colour >> shift) & 255;
    return ((o * uint32_t(32 - w) + c * uint32_t(w)) >> kSoftShift) << shift;
}

// The same blend on two channels at once: red and blue, or green and the
// fourth byte, in 16-bit lanes (255 × 32 cannot carry into the next lane).
uint32_t BlendSoftLanes(uint32_t old, uint32_t colour, uint32_t w)
{
    return (((old & 0x00FF00FF) * (32 - w) + (colour & 0x00FF00FF) * w) >> kSoftShift) & 0x00FF00FF;
}

uint32_t BlendSoftPixel(uint32_t old, uint32_t colour, uint32_t w, uint32_t keepMask)
{
    return BlendSoftLanes(old, colour, w) | ((BlendSoftLanes(old >> 8, colour >> 8, w) << 8) & keepMask);
}

// 24- and 32-bit images with the whole neighbourhood inside: pixels read and
// written in place.
template <int Bytes>
void PlotSoftDirect(CGraphicsImage* image, int x, int y, uint32_t colour, bool alpha)
{
    const uint32_t keep = alpha ? 0xFFFFFF00 : 0x0000FF00;
    for (int dy = -1; dy <= 1; ++dy) {
        uint8_t* p = image->RowAt(y + dy) + Bytes * (x - 1);
        for (int dx = 0; dx < 3; ++dx, p += Bytes) {
            const uint32_t w = uint32_t(kSoftWeights[dy + 1][dx]);
            if (Bytes == 4)
                graphics_detail::Store32(p, BlendSoftPixel(graphics_detail::Load32(p), colour, w, keep));
            else
                graphics_detail::Store24(p, BlendSoftPixel(graphics_detail::Load24(p), colour, w, keep));
        }
    }
}

void PlotSoftWith(CGraphicsImage* image, int x, int y, uint32_t colour, bool alpha)
{
    if (!image->m_pBits)
        return;
    if (x >= 1 && y >= 1 && uint32_t(x) + 1 < image->m_nWidth && uint32_t(y) + 1 < image->m_nHeight) {
        if (image->m_nBitCount == 32)
            return PlotSoftDirect<4>(image, x, y, colour, alpha);
        if (image->m_nBitCount == 24)
            return PlotSoftDirect<3>(image, x, y, colour, alpha);
    }
    for (int dy = -1; dy <= 1; ++dy) {
        const int64_t py = int64_t(y) + dy;
        if (uint64_t(py) >= image->m_nHeight)
            continue;
        uint8_t* row = image->RowAt(int(py));
        for (int dx = -1; dx <= 1; ++dx) {
            const int64_t px = int64_t(x) + dx;
            if (uint64_t(px) >= image->m_nWidth)
                continue;
            const int w = kSoftWeights[dy + 1][dx + 1];
            uint32_t old = image->m_pfnGetPixel(row, int(px));
            if (!image->m_bTrueColor)
                old = image->GetPaletteRGBA(old, nullptr, nullptr, nullptr, nullptr);
            uint32_t v = BlendSoftChannel(old, colour, 16, w) | BlendSoftChannel(old, colour, 8, w) |
                         BlendSoftChannel(old, colour, 0, w);
            if (alpha)
                v |= BlendSoftChannel(old, colour, 24, w);
            image->m_pfnSetPixel(row, int(px), v);
        }
    }
}

}  // namespace

void PlotSoft(CGraphicsImage* image, int x, int y, uint32_t colour) { PlotSoftWith(image, x, y, colour, false); }

void PlotSoftAlpha(CGraphicsImage* image, int x, int y, uint32_t colour) { PlotSoftWith(image, x, y, colour, true); }

PixelPlotFn ResolveSoftPlot(const CGraphicsImage* image, PixelPlotFn plot)
{
    if (plot != PlotSoft)
        return plot;
    if (image->m_nBitCount <= kMaxPaletteBits)
        return PlotPixel;
    if (image->m_nBitCount == 32)
        return PlotSoftAlpha;
    return plot;
}

// ---- Brushes ---------------------------------------------------------------

namespace {

struct BrushPoint {
    int dx, dy;
};

// Points of each brush, in plotting order.
constexpr BrushPoint kDot[] = {{0, 0}};
constexpr BrushPoint kSquare2[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
constexpr BrushPoint kPlus[] = {{0, 0}, {0, -1}, {-1, 0}, {0, 1}, {1, 0}};
// The 4 x 4 block from (-2, -2) to (1, 1) without its corners.
constexpr BrushPoint kRound4[] = {{0, 0},  {0, -1},  {-1, 0},  {0, 1},   {1, 0},  {1, -1},
                                  {0, -2}, {-1, -1}, {-1, -2}, {-2, -1}, {-2, 0}, {-1, 1}};
constexpr BrushPoint kRound3Rim[] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}, {0, -2}, {-2, 0}, {0, 2}, {2, 0}};
constexpr BrushPoint kBlock3[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
constexpr BrushPoint kRound5Rim[] = {{-2, -1}, {-2, 0}, {-2, 1}, {-1, 2}, {0, 2},  {1, 2},
                                     {2, 1},   {2, 0},  {2, -1}, {1, -2}, {0, -2}, {-1, -2}};

constexpr uint32_t kQuarterMask = 0x3F3F3F;  // each colour byte >> 2

template <size_t N>
void PlotPoints(CGraphicsImage* image, int x, int y, uint32_t colour, const BrushPoint (&points)[N])
{
    for (const BrushPoint& p : points)
        PlotAt(image, int64_t(x) + p.dx, int64_t(y) + p.dy, colour);
}

// Three quarters old plus one quarter new in each colour byte, the fourth
// byte kept. A palette pixel is an index with no colour to mix, so it takes
// the colour plainly.
template <size_t N>
void BlendPoints(CGraphicsImage* image, int x, int y, uint32_t colour, const BrushPoint (&points)[N])
{
    if (!image->m_bTrueColor) {
        PlotPoints(image, x, y, colour, points);
        return;
    }
    const uint32_t quarter = (colour >> 2) & kQuarterMask;
    for (const BrushPoint& p : points) {
        const int64_t px = int64_t(x) + p.dx, py = int64_t(y) + p.dy;
        if (!Inside(image, px, py))
            continue;
        uint8_t* row = image->RowAt(int(py));
        const uint32_t old = image->m_pfnGetPixel(row, int(px));
        image->m_pfnSetPixel(row, int(px), old - ((old >> 2) & kQuarterMask) + quarter);
    }
}

}  // namespace

void PlotPixelCopy(CGraphicsImage* image, int x, int y, uint32_t colour) { PlotPoints(image, x, y, colour, kDot); }

void PlotSquare2(CGraphicsImage* image, int x, int y, uint32_t colour) { PlotPoints(image, x, y, colour, kSquare2); }

void PlotPlus(CGraphicsImage* image, int x, int y, uint32_t colour) { PlotPoints(image, x, y, colour, kPlus); }

void PlotRound4(CGraphicsImage* image, int x, int y, uint32_t colour) { PlotPoints(image, x, y, colour, kRound4); }

void PlotSoftRound3(CGraphicsImage* image, int x, int y, uint32_t colour)
{
    PlotPoints(image, x, y, colour, kPlus);
    BlendPoints(image, x, y, colour, kRound3Rim);
}

void PlotSoftRound5(CGraphicsImage* image, int x, int y, uint32_t colour)
{
    PlotPoints(image, x, y, colour, kBlock3);
    BlendPoints(image, x, y, colour, kRound5Rim);
}
