// CPnmReader: the portable any-maps P1 to P6, plain (text) and raw (binary).
//
// Bitmaps (P1, P4) become 1-bit images with palette 0 white, 1 black, as the
// format means its bits; grey maps (P2, P5) 8-bit images over a grey ramp;
// pixmaps (P3, P6) 24-bit images. Samples are scaled from the file's maximum
// value (1..65535; raw samples above 255 take two big-endian bytes) to
// 0..255; a sample above the maximum is a corrupt file.
#pragma once

#include "graphics/formats/format_framework.h"

// What load by path throws when the path cannot be opened.
struct PnmReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed() { throw EPnmFileOpenError(); }
};

class CPnmReader : public CFormatReader<PnmReaderErrors> {
public:
    CPnmReader() = default;
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;
};
