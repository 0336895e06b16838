// CTiffWriter: one image as a single-image TIFF in strips, in the host's
// byte order ("II"). 1-bit images are bilevel (WhiteIsZero when palette
// entry 0 is the lighter one, so white stays white), 4- and 8-bit images
// grey or palette, 12- to 32-bit images 8-bit RGB. The IFD is sorted by tag
// and word-aligned; values of at most four bytes stand in their entries.
// Every failure throws ETiffError.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct TiffWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed();  // ETiffError "Fehler beim Erzeugen der Datei"
    [[noreturn]] static void WriteFailed();   // ETiffError "Fehler beim Schreiben"
    [[noreturn]] static void EmptyImage();    // ETiffError
};

class CTiffWriter : public CFormatWriter<TiffWriterErrors> {
public:
    CTiffWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;

    // Pixels per metre written as the resolution (none when either is 0).
    int32_t m_xPelsPerMeter = 2835;
    int32_t m_yPelsPerMeter = 2835;

private:
    // The library always writes uncompressed strips without alpha; the LZW
    // and PackBits strip writers and the alpha sample are reached only
    // through CTiffWriterSeam.
    friend struct CTiffWriterSeam;
    uint32_t m_compression = 1;
    bool m_alpha = false;
};
