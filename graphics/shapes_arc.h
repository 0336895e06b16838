// Angle steps of the arcs: coarser for smaller radii, so that a small arc
// costs few segments.
#pragma once

#include <cstdint>

namespace graphics_detail {

// DrawArc and DrawArcWithPlot: 1-3 -> 16384, 4-12 -> 8192, ... 3321-13280 ->
// 256, above -> 128 (radius at least 1).
int64_t ArcStep(int64_t radius);
// DrawArcSmooth: the same ladder with the bounds taken one lower.
int64_t SmoothArcStep(int64_t radius);

}  // namespace graphics_detail
