// Per-depth constants and functions of the image object, one table row per
// supported depth, chosen once by Create.
#pragma once

#include <cstdint>

#include "graphics/image.h"

namespace graphics_detail {

struct DepthInfo {
    uint32_t bits;
    uint32_t subMask;
    uint32_t depthPattern;
    uint32_t unitBytes;
    uint32_t unitShift;
    uint32_t significantBits;
    CGraphicsImage::RowFn rowTo8, rowTo24, rowTo32;
    CGraphicsImage::RowFn rowCopyTo8, rowCopyTo24, rowCopyTo32;
    CGraphicsImage::GetPixelFn getPixel;
    CGraphicsImage::SetPixelFn setPixel;
    CGraphicsImage::ColorToPixelFn colorToPixel;
};

// The row for a depth, or null for an unsupported one.
const DepthInfo* FindDepth(uint32_t bits);

// The functions of an image without pixels.
extern const DepthInfo kEmptyDepth;

// Bytes per row, a multiple of 4; computed wide so no width wraps it.
uint64_t StrideFor(uint32_t bits, uint64_t width);

// Native pixel packing shared by fills and blits.
inline uint16_t Pack555(uint32_t c)
{
    return uint16_t(((c >> 9) & 0x7C00) | ((c >> 6) & 0x03E0) | ((c >> 3) & 0x001F) | ((c >> 16) & 0x8000));
}
inline uint16_t Pack565(uint32_t c)
{
    return uint16_t(((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F));
}
inline uint32_t Unpack555(uint32_t w)
{
    return ((w & 0x7C00) << 9) | ((w & 0x03E0) << 6) | ((w & 0x001F) << 3) | ((w & 0x8000) << 16);
}
inline uint32_t Unpack565(uint32_t w) { return ((w & 0xF800) << 8) | ((w & 0x07E0) << 5) | ((w & 0x001F) << 3); }

}  // namespace graphics_detail
