// CPnmWriter: 1-bit images as raw bitmaps (P4, a 1 bit for the darker of the
// two palette colours), every other depth as raw 8-bit pixmaps (P6). Both
// headers end in one blank, without a line feed.
#pragma once

#include "graphics/formats/format_framework.h"

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct PnmWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed() { throw EPnmFileOpenError(); }
    [[noreturn]] static void WriteFailed() { throw EPnmFileWriteError(); }
    [[noreturn]] static void EmptyImage() { throw EPnmDataError(); }
};

class CPnmWriter : public CFormatWriter<PnmWriterErrors> {
public:
    CPnmWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;
};
