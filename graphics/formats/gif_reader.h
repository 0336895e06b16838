// CGifReader: reads the first image of a GIF87a or GIF89a stream into an
// 8-bit palette image and keeps the transparent colour index of that image's
// graphic control block.
//
// The image has the frame's own size with its rows from row 0 (the frame's
// offsets are ignored) and starts filled with index 0, so an early end code
// leaves defined pixels. Failures throw EGifNotAGifFile, EGifFileReadError
// (the header ends early), EGifCorruptFile (anything wrong after it; the rows
// decoded so far stay) or EGifNoMoreImages, or the image's creation error.
// Once the first image is complete, whatever follows it (the next frame,
// the trailer, junk or nothing) ends the read successfully. A cancel from the
// progress callback ends the image quietly with the rows decoded so far.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>
#include <memory>

class CReadCursor;

// What load by path throws when the path cannot be opened.
struct GifReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed();  // EGifError "Fehler beim Öffnen der Datei"
};

class CGifReader : public CFormatReader<GifReaderErrors> {
public:
    CGifReader() = default;
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;

    // The global colour table: entry count and RGB triples (null when the
    // stream has none, and after a read unless another image is pending or
    // m_keepOpen is set).
    uint32_t m_globalColours = 0;
    std::unique_ptr<uint8_t[]> m_globalTable;
    // The stream of the running Read; null outside it.
    CBufferedStream* m_stream = nullptr;
    uint8_t m_imagePending = 0;
    uint8_t m_interlaced = 0;
    uint8_t m_keepOpen = 0;
    uint16_t m_screenWidth = 0;
    uint16_t m_screenHeight = 0;
    // The current image's descriptor.
    uint16_t m_left = 0;
    uint16_t m_top = 0;
    uint16_t m_width = 0;
    uint16_t m_height = 0;
    // The transparent index of the image read, -1 for none.
    int32_t m_transparentIndex = -1;

private:
    void ReadHeader(CReadCursor& in);
    // Reads blocks up to the next image separator (image pending) or the
    // trailer, taking graphic control blocks into m_controlIndex.
    void ScanBlocks(CReadCursor& in);
    void ReadExtension(CReadCursor& in);
    void ReadImage(CReadCursor& in, CGraphicsImage& image);

    // The transparent index of the last graphic control block scanned: the
    // one in force for the next image.
    int32_t m_controlIndex = -1;
};
