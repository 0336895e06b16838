// CXwdWriter: images of up to 8 bits per pixel as 8-bit PseudoColor dumps
// with a 256-entry colormap, deeper ones as TrueColor dumps of 32 bits per
// pixel; rows are padded to 32 bits as the header says.
#pragma once

#include "graphics/formats/format_framework.h"

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct XwdWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed() { throw EXwdFileOpenError(); }
    [[noreturn]] static void WriteFailed() { throw EXwdFileWriteError(); }
    [[noreturn]] static void EmptyImage() { throw EXwdDataError(); }
};

class CXwdWriter : public CFormatWriter<XwdWriterErrors> {
public:
    CXwdWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;
};
