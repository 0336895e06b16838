// Glyph lookup in a font blob whose header the text state has read.
#pragma once

#include <cstdint>

#include "graphics/pixel_access.h"

namespace graphics_detail {

// Glyph of table entry index (character code minus the first code).
inline const uint8_t* FontGlyph(const uint8_t* font, uint32_t headerSize, uint32_t index)
{
    return font + Load32(font + headerSize + 4 * index);
}

}  // namespace graphics_detail
