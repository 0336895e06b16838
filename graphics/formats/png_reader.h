// CPngReader: reads one PNG image through libpng.
//
// Result depths: palette images keep their 1, 2, 4 or 8 bits per pixel (a
// palette with transparency that pixels use becomes 32-bit BGRA, a colourless
// palette a grey ramp); grey images of 1 to 8 bits become palette images
// over a grey ramp, 16-bit grey 24-bit, grey with alpha 32-bit; RGB 24-bit
// and RGBA 32-bit (BGR(A) in memory). 16 bits per channel colour is refused
// with EGraphicsWrongColor. Every failure throws EGraphicsException (libpng's
// own English message for errors it finds, "Fehler beim Lesen" when the
// stream ends early); the image keeps what was read so far.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// PNG colour type bits (IHDR).
constexpr uint32_t kPngColorPalette = 1;
constexpr uint32_t kPngColorColour = 2;
constexpr uint32_t kPngColorAlpha = 4;

// Load by path keeps the framework's open error.
class CPngReader : public CFormatReader<GraphicsFileErrors> {
public:
    CPngReader() = default;
    // The text chunk "Comment" (the last one when there are several), else the
    // first text chunk of any key, becomes m_info's comment.
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;

    // The stream of the running Read; null outside it.
    CBufferedStream* m_stream = nullptr;
    // Colour type of the last file read, with kPngColorAlpha added when its
    // palette transparency was turned into 32-bit pixels.
    uint32_t m_colorType = 0;
};
