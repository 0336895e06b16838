// CEpsWriter: an image as an EPSF-3.0 file that prints it on an A4 page: a
// fixed header (1-bit, 8-bit grey or RGB template), the pixels as lower-case
// hexadecimal read by "image" or "colorimage", and a fixed trailer that
// undefines every name the header defined. Numbers are written the same
// whatever the locale. Failures throw the EEps... exceptions.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct EpsWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed() { throw EEpsFileOpenError(); }
    [[noreturn]] static void WriteFailed() { throw EEpsFileWriteError(); }
    [[noreturn]] static void EmptyImage() { throw EEpsDataError(); }
};

class CEpsWriter : public CFormatWriter<EpsWriterErrors> {
public:
    CEpsWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;

    // Pixels per metre; either below 1 fits the image to the page.
    int32_t m_nXResolution = 0;
    int32_t m_nYResolution = 0;
};
