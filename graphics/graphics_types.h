// Shapes shared by the image object, the drawing operations and the format
// classes.
#pragma once

#include <cstdint>

class CGraphicsImage;

// Progress callback: (owner, user value, 1, 1, percent 0..100, cancel flag).
// The owner is the reporting object (a format's CFormatInfo or an image); the
// callback sets *cancel non-zero to ask for a stop.
typedef void (*GraphicsProgressProc)(void* owner, uintptr_t user, int a, int b, int percent, unsigned char* cancel);

// Plot function shapes of the drawing operations. Every plot function ignores
// points outside the image.
typedef void (*PixelPlotFn)(CGraphicsImage* image, int x, int y, uint32_t colour);
typedef void (*RowPlotFn)(CGraphicsImage* image, uint8_t* row, int x, int y, uint32_t colour);
