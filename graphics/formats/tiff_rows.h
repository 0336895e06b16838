// Row conversions of the TIFF reader and writer: the horizontal predictor
// (each byte stored as its difference to the same sample of the pixel
// before) together with the exchange of TIFF's RGB(A) order and the
// image's BGR(A). The SSE2 loops do both in one pass; without SSE2 the
// plain loops run one after the other, and the tests hold the two to each
// other.
#pragma once

#include <cstdint>

// The plain loops: differences to values in place, and values to
// differences from `row` into `out`.
void TiffUndoPredictor(uint8_t* row, int64_t n, uint32_t samples);
void TiffApplyPredictor(const uint8_t* row, uint8_t* out, int64_t n, uint32_t samples);

// A decoded row of `width` RGB(A) pixels (3 or 4 samples) with the
// predictor into image order in `out`; `row` is left undefined.
void TiffStorePredictedRgb(uint8_t* row, uint8_t* out, uint32_t width, uint32_t samples);
// An image row of BGR(A) pixels into predicted RGB(A) in `out`, using
// `scratch` (as long as the row) on the way.
void TiffPredictRgb(const uint8_t* bgr, uint8_t* scratch, uint8_t* out, uint32_t width, uint32_t samples);
