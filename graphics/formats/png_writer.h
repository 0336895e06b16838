// CPngWriter: writes one image as PNG through libpng.
//
// 1, 2, 4 and 8 bits per pixel become palette PNGs of that bit depth; a
// 32-bit image with kPngOptionAlpha becomes 8-bit RGBA with its fourth
// bytes as alpha; every other depth 8-bit RGB. The comment of m_info becomes
// an uncompressed "Comment" text. Failures throw EGraphicsException.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// Option word bit: write a 32-bit image as RGBA.
constexpr uint32_t kPngOptionAlpha = 1;

// Save by path keeps the framework's errors; an image without pixels throws
// "Ungültiges Bild".
struct PngWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void EmptyImage() { throw EGraphicsException("Ungültiges Bild"); }
};

class CPngWriter : public CFormatWriter<PngWriterErrors> {
public:
    CPngWriter() = default;
    // The base operations write with the stored option word, through
    // WriteWithAlpha and SaveWithAlphaW / SaveWithAlphaA.
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;
    void SaveW(const WCHAR* path, CGraphicsImage& image) override;
    void SaveA(const char* path, CGraphicsImage& image) override;

    virtual void WriteWithAlpha(CBufferedStream& stream, CGraphicsImage& image, uint32_t options);
    // Save by path ("Fehler beim Erzeugen der Datei" when the file cannot be
    // created) with the given option word.
    virtual void SaveWithAlphaA(const char* path, CGraphicsImage& image, uint32_t options);
    virtual void SaveWithAlphaW(const WCHAR* path, CGraphicsImage& image, uint32_t options);

    // The stream of the running write; null outside it.
    CBufferedStream* m_stream = nullptr;
    uint32_t m_options = 0;
};
