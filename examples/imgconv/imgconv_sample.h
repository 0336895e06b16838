// The sample image of imgconv's round-trip table, drawn in code.
#pragma once

class CGraphicsImage;

// A 24-bit picture with gradients, filled shapes and lines; false when the
// image cannot be made.
bool MakeSampleImage(CGraphicsImage& image);
