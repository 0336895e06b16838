// CXwdWriter: images of up to 8 bits per pixel as 8-bit PseudoColor dumps
// with a 256-entry colormap, deeper ones as TrueColor dumps of 32 bits per
// pixel; rows are padded to 32 bits as the header says.
#pragma once

#include "graphics/formats/format_framework.h"

class CXwdWriter : public CGraphicsWriter {
public:
    CXwdWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;
    void SaveW(const WCHAR* path, CGraphicsImage& image) override;
    void SaveA(const char* path, CGraphicsImage& image) override;
};
