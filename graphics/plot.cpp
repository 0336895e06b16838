#include "graphics/plot.h"

#include "graphics/image.h"

namespace {

bool Inside(const CGraphicsImage* image, int x, int y)
{
    return image->m_pBits && uint32_t(x) < image->m_nWidth && uint32_t(y) < image->m_nHeight;
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
    if (Inside(image, x, y))
        image->m_pfnSetPixel(image->RowAt(y), x, colour);
}

void PlotDotted(CGraphicsImage* image, int x, int y, uint32_t colour)
{
    if (StepPattern(image->m_nDotPattern))
        PlotPixel(image, x, y, colour);
}

void PlotDashed(CGraphicsImage* image, int x, int y, uint32_t colour)
{
    if (StepPattern(image->m_nDashPattern))
        PlotPixel(image, x, y, colour);
}
