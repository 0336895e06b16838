// CEpsReader: the raster image an EPS file carries, without interpreting
// PostScript: the TIFF preview of a DOS EPS file, a hexadecimal image read
// by "image" or "colorimage" (as the EPS writer makes it), or the private
// form announced by a line ending in "@BMP". Images are 1-bit, 8-bit grey
// or 24-bit; rows the data does not reach stay 0. The DOS header's offsets
// count from the stream position at which Read begins.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// What load by path throws when the path cannot be opened.
struct EpsReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed() { throw EEpsFileOpenError(); }
};

class CEpsReader : public CFormatReader<EpsReaderErrors> {
public:
    CEpsReader() = default;
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;

    // Pixels per metre of the last private-form image (also given to it).
    int32_t m_nXResolution = 2835;
    int32_t m_nYResolution = 2835;
};
