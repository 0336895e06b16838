// CBmpWriter: writes one image as an uncompressed BMP file with a 40-byte
// info header, bottom-up. Images of 1, 4 and 8 bits keep their depth and
// palette unless a true-colour bit count is set; all others are written at
// the set bit count (24 or 32; 24 when none is set). 2-bit images are refused.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// Option flag: write an 8-bit image with the shortest palette that covers
// its pixels.
constexpr uint32_t kBmpOptionShortPalette = 1;
// WriteWithAlpha flag: a 32-bit image is written with its fourth bytes.
constexpr uint32_t kBmpWithAlpha = 1;

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct BmpWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed() { throw EBmpFileOpenError(); }
    [[noreturn]] static void WriteFailed() { throw EBmpFileWriteError(); }
    [[noreturn]] static void EmptyImage() { throw EBmpDataError(); }
};

class CBmpWriter : public CFormatWriter<BmpWriterErrors> {
public:
    CBmpWriter() = default;
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;

    // With kBmpWithAlpha and a 32-bit image the bit count becomes 32 (and
    // stays so); then the base operation.
    virtual void WriteWithAlpha(CBufferedStream& stream, CGraphicsImage& image, uint32_t flags);
    virtual void SaveWithAlphaA(const char* path, CGraphicsImage& image, uint32_t flags);
    virtual void SaveWithAlphaW(const WCHAR* path, CGraphicsImage& image, uint32_t flags);

    // 24 or 32; any other value stores 0 (the default). Returns the stored value.
    uint32_t SetBitCount(uint32_t bits);
    // flags = (flags & ~mask) | (value & mask); returns the flags.
    uint32_t SetOptions(uint32_t value, uint32_t mask);
    void SetResolution(int32_t x, int32_t y);

    int32_t m_xPelsPerMeter = 0;
    int32_t m_yPelsPerMeter = 0;
    uint32_t m_bitCount = 0;  // true-colour output: 0 default, 24 or 32
    uint32_t m_options = 0;
};
