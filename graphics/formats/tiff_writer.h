// CTiffWriter: one image as a single-image TIFF in strips, in the host's
// byte order ("II"). 1-bit images are bilevel (WhiteIsZero when palette
// entry 0 is the lighter one, so white stays white), 4- and 8-bit images
// grey or palette, 12- to 32-bit images 8-bit RGB. The IFD is sorted by tag
// and word-aligned; values of at most four bytes stand in their entries.
// Every failure throws ETiffError.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

class CTiffWriter : public CGraphicsWriter {
public:
    CTiffWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;
    // "Fehler beim Erzeugen der Datei" when the file cannot be created,
    // "Fehler beim Schreiben" when its data cannot be written.
    void SaveW(const WCHAR* path, CGraphicsImage& image) override;
    void SaveA(const char* path, CGraphicsImage& image) override;

    // Pixels per metre written as the resolution (none when either is 0).
    int32_t m_nXPelsPerMeter = 2835;
    int32_t m_nYPelsPerMeter = 2835;

private:
    // The library always writes uncompressed strips without alpha; the LZW
    // and PackBits strip writers and the alpha sample are reached only
    // through CTiffWriterSeam.
    friend struct CTiffWriterSeam;
    uint32_t m_nCompression = 1;
    bool m_bAlpha = false;
};
