#include "graphics/formats/png_palette.h"

#include "graphics/formats/graphics_exceptions.h"
#include "graphics/image.h"

#include <cstring>

namespace {

// Grey value of entry i of a ramp of 2^bits steps from 0 to 255.
uint8_t RampValue(uint32_t index, uint32_t bits)
{
    return uint8_t(index * 255 / ((1u << bits) - 1));
}

}  // namespace

void SetGreyRampPalette(CGraphicsImage& image)
{
    const uint32_t bits = image.m_nBitCount;
    if (bits < 1 || bits > 8)
        return;
    for (uint32_t i = 0; i < (1u << bits); ++i) {
        const uint8_t v = RampValue(i, bits);
        image.SetPaletteRGB(i, v, v, v);
    }
}

bool IsGreyPalette(const PngPaletteEntry* palette, int count, uint32_t bits)
{
    if (count < 2 || bits < 1 || bits > 8 || count > (1 << bits))
        return false;
    bool ramp = true;
    bool uniform = true;
    for (int i = 0; i < count; ++i) {
        const PngPaletteEntry& e = palette[i];
        const uint8_t v = RampValue(uint32_t(i), bits);
        ramp = ramp && e.red == v && e.green == v && e.blue == v;
        uniform = uniform && e.red == palette[0].red && e.green == palette[0].green && e.blue == palette[0].blue;
    }
    return ramp || uniform;
}

bool UsesTransparentEntry(const CGraphicsImage& image, const uint8_t* alpha)
{
    const int width = int(image.m_nWidth);
    for (uint32_t y = 0; y < image.m_nHeight; ++y) {
        // The 8-bit row function unpacks 1, 2 and 4 bits per pixel up to the
        // width only: the padding bits of a row are no pixels.
        const uint8_t* indexes = image.m_pfnRowTo8(image.RowAt(int(y)), &image);
        for (int x = 0; x < width; ++x)
            if (alpha[indexes[x]] < 255)
                return true;
    }
    return false;
}

void ExpandPaletteAlpha(CGraphicsImage& image, const uint8_t* alpha)
{
    for (uint32_t i = 0; i < image.m_nPaletteSize; ++i) {
        uint8_t r, g, b;
        image.GetPaletteRGB(i, &r, &g, &b);
        image.SetPaletteRGBA(i, r, g, b, alpha[i]);
    }
    // The indexes move to a copy and the image itself is re-created, so that
    // what the caller set on it (progress callback, font) stays.
    CGraphicsImage indexes;
    if (!indexes.Assign(image))
        ThrowCreateError(indexes.m_nError);
    if (!image.Create(32, indexes.m_nWidth, indexes.m_nHeight))
        ThrowCreateError(image.m_nError);
    const size_t rowBytes = size_t(image.m_nWidth) * 4;
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        std::memcpy(image.RowAt(int(y)), indexes.m_pfnRowTo32(indexes.RowAt(int(y)), &indexes), rowBytes);
}
