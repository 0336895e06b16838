// Pixel plot functions of the PixelPlotFn shape, installed by the line, text
// and shape drawing. Every one of them ignores points outside the image.
#pragma once

#include <cstdint>

#include "graphics/graphics_types.h"

// Sets pixel x, y through the image's pixel writer.
void PlotPixel(CGraphicsImage* image, int x, int y, uint32_t colour);
// Rotate the image's dot or dash pattern right by one bit per call and set the
// pixel when the bit rotated out is 0, so a line keeps its rhythm across calls.
void PlotDotted(CGraphicsImage* image, int x, int y, uint32_t colour);
void PlotDashed(CGraphicsImage* image, int x, int y, uint32_t colour);
