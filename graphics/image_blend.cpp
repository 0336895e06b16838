// Alpha compositing: BlendImage, the translucent and callback fills and the
// flattening of 32-bit pixels onto a background.
#include <algorithm>
#include <cstring>
#include <optional>

#include "graphics/image.h"
#include "graphics/image_blit.h"
#include "graphics/pixel_access.h"
#include "graphics/rect.h"

using namespace graphics_detail;

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColourBytes = 0x00FFFFFF;
constexpr int kMaxAlpha = 255;
constexpr int kMaxCheckerShift = 30;  // squares of 2^30 pixels already exceed any image

inline uint32_t PaletteColour(const CGraphicsImage& image, uint32_t index)
{
    uint32_t v;
    std::memcpy(&v, &image.m_pPalette[index & image.m_nPixelMask], 4);
    return v;
}

// How a source pixel of a depth blends: whether alpha 0 leaves the target
// untouched and which fourth byte the written pixel carries.
struct BlendKind {
    bool skipTransparent;
    uint32_t fourth;
};

BlendKind BlendKindOf(const CGraphicsImage& source)
{
    if (source.m_nBitCount == 32)
        return {true, kOpaque};
    if (source.m_bTrueColor)
        return {true, 0};  // alpha is 0, or 0x80 for a 15-bit pixel's flag bit
    // A palette entry with alpha 0 still writes the target, made opaque.
    return {false, kOpaque};
}

void BlendGeneral(const BlitJob& job)
{
    const CGraphicsImage& s = *job.source;
    CGraphicsImage& t = *job.target;
    const BlendKind kind = BlendKindOf(s);
    for (int row = 0; row < job.height; ++row) {
        const uint8_t* src = s.RowAt(job.sy + row);
        uint8_t* dst = t.RowAt(job.ty + row);
        for (int i = 0; i < job.width; ++i) {
            uint32_t v = s.m_pfnGetPixel(src, job.sx + i);
            if (!s.m_bTrueColor)
                v = PaletteColour(s, v);
            const uint32_t a = v >> 24;
            if (a == 0 && kind.skipTransparent)
                continue;
            const int tx = job.tx + i;
            t.m_pfnSetPixel(dst, tx, BlendChannels(v, t.m_pfnGetPixel(dst, tx), a) | kind.fourth);
        }
    }
}

}  // namespace

bool CGraphicsImage::BlendImage(const CGraphicsImage& source, int x, int y)
{
    if (!m_pBits || !source.m_pBits || m_nBitCount < 12)
        return false;
    BlitJob job;
    std::optional<CGraphicsImage> copy;
    if (!PrepareBlit(source, *this, x, y, job, copy))
        return false;
    // The one fast path; it declines without SSE2.
    const bool fast = source.m_nBitCount == 32 && m_nBitCount == 32 && !GeneralPathOnly() && Blend32Sse2(job);
    if (!fast)
        BlendGeneral(job);
    return true;
}

bool CGraphicsImage::FillRectAlpha(int x, int y, int width, int height, uint32_t colour, int alpha)
{
    if (alpha < 1)
        return true;
    if (alpha >= kMaxAlpha)
        return FillRect(x, y, width, height, colour);
    Span span;
    if (!m_pBits || m_nBitCount < 12 || width < 1 || !ClipRect(x, y, width, height, m_nWidth, m_nHeight, span))
        return false;
    for (int row = span.y0; row < span.y1; ++row) {
        uint8_t* p = RowAt(row);
        for (int px = span.x0; px < span.x1; ++px) {
            const uint32_t old = m_pfnGetPixel(p, px);
            m_pfnSetPixel(p, px, BlendChannels(colour, old, uint32_t(alpha)) | (old & ~kColourBytes));
        }
    }
    return true;
}

bool CGraphicsImage::FillRectWithPlot(int x, int y, int width, int height, uint32_t value, RowPlotFn plot)
{
    Span span;
    if (!m_pBits || !plot || !ClipRect(x, y, width, height, m_nWidth, m_nHeight, span))
        return false;
    for (int row = span.y0; row < span.y1; ++row) {
        uint8_t* p = RowAt(row);
        for (int px = span.x0; px < span.x1; ++px)
            plot(this, p, px, row, value);
    }
    return true;
}

namespace {

// Each channel (pixel × a + background × (255 - a)) / 255, rounded to the
// nearest: equal colours stay exactly as they are at every alpha. Alpha 255
// keeps the pixel, alpha 0 gives the background; the alpha byte stays.
inline uint32_t Flatten(uint32_t pixel, uint32_t background)
{
    const uint32_t a = pixel >> 24, na = 255 - a;
    uint32_t out = pixel & kOpaque;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = (pixel >> shift) & 255, bg = (background >> shift) & 255;
        out |= ((c * a + bg * na + 127) / 255) << shift;
    }
    return out;
}

// The rectangle as given, normalised but not clipped: the checkerboard is
// anchored at its corner, so a partly visible rectangle shows the same squares.
void RectOrigin(int64_t x, int64_t y, int64_t w, int64_t h, int64_t& left, int64_t& top)
{
    left = w < 0 ? x + w + 1 : x;
    top = h < 0 ? y + h + 1 : y;
}

}  // namespace

bool CGraphicsImage::FlattenAlphaRect(int x, int y, int width, int height, uint32_t colour)
{
    Span span;
    if (!m_pBits || m_nBitCount != 32 || !ClipRect(x, y, width, height, m_nWidth, m_nHeight, span))
        return false;
    for (int row = span.y0; row < span.y1; ++row) {
        uint8_t* p = RowAt(row) + 4 * size_t(span.x0);
        for (int i = 0; i < span.Width(); ++i)
            Store32(p + 4 * i, Flatten(Load32(p + 4 * i), colour));
    }
    return true;
}

bool CGraphicsImage::FlattenAlphaChecker(int x, int y, int width, int height, uint32_t colour1, uint32_t colour2,
                                         int n)
{
    Span span;
    if (!m_pBits || m_nBitCount != 32 || !ClipRect(x, y, width, height, m_nWidth, m_nHeight, span))
        return false;
    const int shift = std::clamp(n, 0, kMaxCheckerShift);
    int64_t left, top;
    RectOrigin(x, y, width, height, left, top);
    for (int row = span.y0; row < span.y1; ++row) {
        uint8_t* p = RowAt(row);
        const int64_t rowCounter = row - top;
        for (int px = span.x0; px < span.x1; ++px) {
            const bool second = (((px - left) ^ rowCounter) >> shift) & 1;
            Store32(p + 4 * size_t(px), Flatten(Load32(p + 4 * size_t(px)), second ? colour2 : colour1));
        }
    }
    return true;
}
