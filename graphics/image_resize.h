// Internals of Resize: the averaging scaler, kept apart from the dispatch and
// the nearest-pixel paths.
#pragma once

#include <cstdint>

#include "graphics/image.h"

namespace graphics_detail {

// Fills target (24 or 32 bits, already created at its size) with the
// truncated averages of the source areas its pixels cover. averageFourth:
// average the fourth byte of 32-bit results, else store uniformFourth.
void ResizeSmooth(const CGraphicsImage& source, CGraphicsImage& target, bool averageFourth, uint8_t uniformFourth);

}  // namespace graphics_detail
