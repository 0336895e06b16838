// The weighted colour of the smooth lines, arcs and ellipses.
#pragma once

#include <cstdint>

namespace graphics_detail {

// old × (256 - w) + colour × w, shifted back by 8, per red, green and blue;
// old's fourth byte stays. w runs from 0 to 256.
inline uint32_t WeightColour(uint32_t old, uint32_t colour, uint32_t w)
{
    uint32_t v = old & 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t o = (old >> shift) & 255, c = (colour >> shift) & 255;
        v |= ((o * (256 - w) + c * w) >> 8) << shift;
    }
    return v;
}

}  // namespace graphics_detail
