// DIBs in memory: the packed blocks other programs put on the clipboard, and
// the copy of an image at a depth GDI knows.
#pragma once

#include <cstdint>

#include "graphics/image.h"

namespace graphics_detail {

// Makes the image from a packed DIB of `size` bytes as the clipboard holds
// it (header of its own biSize, masks, colour table, pixels). False, with the
// image empty, unless every part lies inside the block; the table's fourth
// bytes are dropped and so are the alpha bytes of 32-bit pixels unless
// keepAlpha.
bool CreateFromClipboardDib(CGraphicsImage& image, const uint8_t* block, uint64_t size, bool keepAlpha);

// The image itself, or a copy in `scratch` at the depth GDI takes instead:
// 4 bits for 2, 24 for 12. Null when the copy fails.
const CGraphicsImage* GdiCompatible(const CGraphicsImage& image, CGraphicsImage& scratch);

}  // namespace graphics_detail
