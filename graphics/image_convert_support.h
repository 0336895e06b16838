// Helpers shared by the operations that make an image from another one:
// reading a source that may be the image being remade, and packing rows of
// colour words into a true-colour depth.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/image.h"

namespace graphics_detail {

// Pixels and a non-zero size: what every "from source" operation needs.
inline bool HasPicture(const CGraphicsImage& image) { return image.m_pBits && image.m_nWidth && image.m_nHeight; }

// The source an operation that first empties its target may read. When the
// source is the target itself it is copied first, so that the operation
// builds from the copy while the target is re-created; text state and
// progress callback of the target stay where they are.
class StableSource {
public:
    StableSource(const CGraphicsImage& source, const CGraphicsImage& target);
    // Null when the source had to be copied and the copy failed.
    const CGraphicsImage* get() const { return m_source; }

private:
    std::unique_ptr<CGraphicsImage> m_copy;
    const CGraphicsImage* m_source;
};

// Writes width colour words (32-bit little-endian, as the RowTo32 functions
// produce them) into a row of a true-colour depth; the same pixels as
// m_pfnSetPixel of that depth would write, bytes outside them untouched.
void StoreColourRow(uint32_t bits, const uint8_t* words, uint8_t* row, int width);

// A row conversion written straight into the target row: width pixels of
// the source's layout to the target depth, the same pixels as the source's
// row function for that depth gives.
typedef void (*DirectRowFn)(const uint8_t* from, uint8_t* to, int width, const CGraphicsImage& source);

// The direct conversion between two depths, or null where ConvertFrom goes
// through the row functions.
DirectRowFn FindDirectRow(uint32_t fromBits, uint32_t toBits);

}  // namespace graphics_detail
