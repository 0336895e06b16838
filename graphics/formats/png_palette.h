// What the PNG reader does with palettes after the rows are in: grey ramps,
// palette transparency turned into 32-bit pixels with alpha.
#pragma once

#include <cstdint>

class CGraphicsImage;

// One PLTE entry.
struct PngPaletteEntry {
    uint8_t red, green, blue;
};

// Sets the image's palette to the grey ramp of its depth: 1 bit 0/255, 2 bits
// 0/85/170/255, 4 bits 17 i, 8 bits i. Images deeper than 8 bits are left.
void SetGreyRampPalette(CGraphicsImage& image);

// True when a palette of `count` entries (2 or more) carries no colour: every
// entry is the grey ramp's entry of `bits` at its index, or all entries are
// equal. Such palette images are read as grey images.
bool IsGreyPalette(const PngPaletteEntry* palette, int count, uint32_t bits);

// True when a pixel within the image's width uses an index whose alpha
// (alpha[index], 256 entries) is below 255.
bool UsesTransparentEntry(const CGraphicsImage& image, const uint8_t* alpha);

// Makes the palette image a 32-bit image whose pixels are their palette
// entries with alpha[index] as the fourth byte. Throws through
// ThrowCreateError when the new image cannot be made.
void ExpandPaletteAlpha(CGraphicsImage& image, const uint8_t* alpha);
