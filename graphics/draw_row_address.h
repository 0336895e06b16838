// Row addresses for row plot functions, also of rows outside the image.
#pragma once

#include <cstdint>

#include "graphics/image.h"

namespace graphics_detail {

// Start of picture row y: m_pRow0 - y × stride as a signed difference,
// computed on addresses so that a row far outside the image yields a value
// (never to be dereferenced: row plots test y first) rather than overflow.
inline uint8_t* RowAddress(const CGraphicsImage& image, int64_t y)
{
    const uintptr_t offset = uintptr_t(y) * uintptr_t(image.m_nStride);
    return reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(image.m_pRow0) - offset);
}

}  // namespace graphics_detail
