// CXwdReader: X Window dumps of file version 7 (X11) and 6 (X10).
//
// X11 dumps are read in Z format at 1, 4, 8 (with their colormap), 15/16
// (5-5-5 or 5-6-5 masks), 24 and 32 bits per pixel, and in XY format at depth
// 1; the byte order, the bitmap bit order and unit, and the channel masks are
// honoured. Other forms are refused as EGraphicsWrongColor; sizes that do
// not fit the data as EXwdFileReadError before the image is created.
#pragma once

#include "graphics/formats/format_framework.h"

// What load by path throws when the path cannot be opened.
struct XwdReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed() { throw EXwdFileOpenError(); }
};

class CXwdReader : public CFormatReader<XwdReaderErrors> {
public:
    CXwdReader() = default;
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;
};

// Header sizes above this are refused (the window name is part of the header).
constexpr int64_t kXwdMaxHeaderSize = 4096;
constexpr int64_t kXwdMaxSide = 32767;
