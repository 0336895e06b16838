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

// Soft plots: blend the colour into the 3 × 3 neighbourhood of x, y with
// weights 1 2 1 / 2 20 2 / 1 2 1 (of 32), red, green and blue each; palette
// pixels are read through their palette. PlotSoftAlpha blends the fourth byte
// the same way, PlotSoft writes it as 0.
void PlotSoft(CGraphicsImage* image, int x, int y, uint32_t colour);
void PlotSoftAlpha(CGraphicsImage* image, int x, int y, uint32_t colour);
// The plot function an operation really installs: PlotSoft blends nothing
// useful into palette indices and would drop the alpha of 32-bit pixels, so
// it becomes PlotPixel at 8 bits or fewer and PlotSoftAlpha at 32 bits. Every
// other plot function is kept.
PixelPlotFn ResolveSoftPlot(const CGraphicsImage* image, PixelPlotFn plot);

// Brushes: a point widened into a small dot. PlotPixelCopy one pixel,
// PlotSquare2 the 2 x 2 square right and below, PlotPlus the pixel and its
// four neighbours, PlotRound4 a 4 x 4 block without corners ending at
// (x + 1, y + 1). The soft ones plot a plus (PlotSoftRound3) or the 3 x 3
// block (PlotSoftRound5) and blend a quarter of the colour into the ring
// around it; on palette images the ring takes the colour plainly.
void PlotPixelCopy(CGraphicsImage* image, int x, int y, uint32_t colour);
void PlotSquare2(CGraphicsImage* image, int x, int y, uint32_t colour);
void PlotPlus(CGraphicsImage* image, int x, int y, uint32_t colour);
void PlotRound4(CGraphicsImage* image, int x, int y, uint32_t colour);
void PlotSoftRound3(CGraphicsImage* image, int x, int y, uint32_t colour);
void PlotSoftRound5(CGraphicsImage* image, int x, int y, uint32_t colour);
