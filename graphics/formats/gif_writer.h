// CGifWriter: writes one image, or a list of images as a looping animation,
// as a GIF89a stream.
//
// Images above 8 bits per pixel are quantized to 256 colours first. The
// global colour table is as small as the first image's indices allow; a
// later frame whose palette differs from it gets a local table of its own.
// All frames take the first image's size (pixels outside a smaller frame are
// 0). Animations get a NETSCAPE2.0 loop block and a graphic control block
// per frame; a single image gets one only when it has a transparent index.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// What save by path throws when the file cannot be created (a failed write
// keeps the framework's error), and what an image without pixels throws.
struct GifWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed();  // EGifError "Fehler beim Erzeugen der Datei"
    [[noreturn]] static void EmptyImage();    // EGifError "Das Bils ist leer"
};

class CGifWriter : public CFormatWriter<GifWriterErrors> {
public:
    static constexpr uint32_t kNoTransparency = 256;  // this or above: none
    static constexpr uint16_t kDefaultDelay = 50;    // 1/100 s
    static constexpr int kMaxCommentBytes = 239;

    CGifWriter() = default;
    // One image, or the list that WriteSequence / SaveSequence set for this
    // write. The list is forgotten when the write ends, however it ends.
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;

    // Write `count` images (0 counts as 1) of the list as an animation;
    // EGifError "Es wurden keine Bilder angegeben" without a list or first image.
    virtual void WriteSequence(CBufferedStream& stream, CGraphicsImage** images, uint32_t count);
    virtual void SaveSequenceA(const char* path, CGraphicsImage** images, uint32_t count);
    virtual void SaveSequenceW(const WCHAR* path, CGraphicsImage** images, uint32_t count);

    // The stream of the running write; null outside it.
    CBufferedStream* stream = nullptr;
    CGraphicsImage** images = nullptr;
    uint32_t imageCount = 1;
    uint8_t background = 0;
    // The transparent palette index; kNoTransparency or above (-1 too): none.
    uint32_t transparentIndex = kNoTransparency;
    uint16_t delay = kDefaultDelay;
};
