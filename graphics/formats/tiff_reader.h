// CTiffReader: one image of a baseline TIFF file in strips, either byte
// order: bilevel (uncompressed, modified Huffman, LZW, PackBits), 4- and
// 8-bit grey or palette and 24-bit RGB (three or more 8-bit samples, 32-bit
// with a fourth) uncompressed, LZW (with the horizontal predictor on 8-bit
// samples) or PackBits. Offsets count from the stream position at which Read
// begins, so a TIFF inside another file (an EPS preview) is read in place.
//
// Of a file with several images only the first is read, or, when that is a
// reduced-resolution copy, the first full-resolution image after it. Every
// failure throws ETiffError; the image keeps what was read.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// What load by path throws when the path cannot be opened.
struct TiffReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed();  // ETiffError "Fehler beim Öffnen der Datei"
};

class CTiffReader : public CFormatReader<TiffReaderErrors> {
public:
    CTiffReader() = default;
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;

    // Set by every Read: the last file's byte order is big-endian ("MM").
    bool m_byteSwap = false;
};
