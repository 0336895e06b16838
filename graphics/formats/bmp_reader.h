// CBmpReader: reads Windows bitmap files and bare DIBs (a BITMAPINFOHEADER
// without file header, as on the clipboard) into an image of the file's depth.
//
// Accepted: core (12-byte) and info (40 bytes or more; V4/V5 tails skipped)
// headers; 1 bit; 4 bits plain or RLE4; 8 bits plain or RLE8; 24 and 32 bits
// plain or as bit fields with the standard masks (any alpha mask); 32 bits as
// bit fields (also with an alpha mask, compression 6) of other contiguous
// masks, each channel widened to 8 bits. Refused with "nicht unterstützt":
// other depths (2, 16...), other compressions, masks that are not one run of
// bits, other 24-bit masks. Bottom-up rows only: a top-down file (negative height) cannot be
// created and fails with EBmpUnknownError. The file's pixels per metre go into
// the image. Every failure throws one of the EBmp classes; a failed pixel read
// leaves the rows read so far in the image.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// Compression values of the info header.
constexpr uint32_t kBmpRgb = 0;
constexpr uint32_t kBmpRle8 = 1;
constexpr uint32_t kBmpRle4 = 2;
constexpr uint32_t kBmpBitFields = 3;
constexpr uint32_t kBmpAlphaBitFields = 6;

class CBmpReader : public CGraphicsReader {
public:
    CBmpReader() = default;
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;
    // Load by path; "Fehler beim Öffnen der BMP-Datei !" when it cannot be opened.
    void LoadW(const WCHAR* path, CGraphicsImage& image) override;
    void LoadA(const char* path, CGraphicsImage& image) override;

    // The stream of the running Read; null outside it.
    CBufferedStream* m_pStream = nullptr;
    // Of the last file read.
    uint32_t m_nBitCount = 0;
    int32_t m_nXPelsPerMeter = 0;
    int32_t m_nYPelsPerMeter = 0;
};
