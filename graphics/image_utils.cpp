// Colour distances and the resolution fields of the bitmap header.
#include <cstdlib>

#include "graphics/image.h"

namespace {

int32_t Delta(uint32_t a, uint32_t b, int shift) { return int32_t((a >> shift) & 255) - int32_t((b >> shift) & 255); }

// An empty image's header is all zeros.
bool HasHeader(const CGraphicsImage& image) { return image.Header()->biSize != 0; }

}  // namespace

int32_t ColorDistance(uint32_t a, uint32_t b)
{
    return std::abs(Delta(a, b, 16)) + std::abs(Delta(a, b, 8)) + std::abs(Delta(a, b, 0));
}

int32_t ColorDistanceSquared(uint32_t a, uint32_t b)
{
    const int32_t r = Delta(a, b, 16), g = Delta(a, b, 8), bl = Delta(a, b, 0);
    return r * r + g * g + bl * bl;
}

bool CGraphicsImage::GetResolution(int32_t* x, int32_t* y) const
{
    const bool has = HasHeader(*this);
    if (x)
        *x = has ? Header()->biXPelsPerMeter : 0;
    if (y)
        *y = has ? Header()->biYPelsPerMeter : 0;
    return has;
}

bool CGraphicsImage::SetResolution(int32_t x, int32_t y)
{
    if (!HasHeader(*this))
        return false;
    Header()->biXPelsPerMeter = x;
    Header()->biYPelsPerMeter = y;
    return true;
}
