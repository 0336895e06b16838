// CPnmWriter: 1-bit images as raw bitmaps (P4, a 1 bit for the darker of the
// two palette colours), every other depth as raw 8-bit pixmaps (P6). Both
// headers end in one blank, without a line feed.
#pragma once

#include "graphics/formats/format_framework.h"

class CPnmWriter : public CGraphicsWriter {
public:
    CPnmWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;
    void SaveW(const WCHAR* path, CGraphicsImage& image) override;
    void SaveA(const char* path, CGraphicsImage& image) override;
};
