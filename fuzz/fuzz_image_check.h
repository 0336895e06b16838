// What every reader's fuzz target demands of an image it read: pixels, a
// size, and every row readable (its first and last bytes).
#pragma once

#include "graphics/image.h"

#include <cstdint>
#include <cstdlib>

inline void CheckWholeImage(const CGraphicsImage& image)
{
    if (!image.m_pBits || image.m_nWidth == 0 || image.m_nHeight == 0)
        std::abort();
    volatile uint8_t sink = 0;
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        sink = uint8_t(sink ^ image.RowAt(int(y))[0] ^ image.RowAt(int(y))[image.m_nStride - 1]);
}
