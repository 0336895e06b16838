// CJpegWriter: writes one image as a baseline JPEG through libjpeg, in colour
// (any depth through its 24-bit row function; the fourth byte of 32-bit
// pixels is dropped) or, on request, in grey. The comment of m_info becomes
// one comment marker of commentLength bytes, its NUL included. Failures throw
// EJpegBadData for an image without pixels, EJpegError "Fehler <code> beim
// Laden der Jpeg Datei" for libjpeg's errors (37 when the stream refuses
// data) and EJpegOpenError when a path cannot be created.
#pragma once

#include "graphics/formats/format_framework.h"

#include <cstdint>

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct JpegWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed() { throw EJpegOpenError(); }
    [[noreturn]] static void WriteFailed();  // EJpegError with libjpeg's code 37
    [[noreturn]] static void EmptyImage() { throw EJpegBadData(); }
};

class CJpegWriter : public CFormatWriter<JpegWriterErrors> {
public:
    static constexpr uint32_t kMinQuality = 1;
    static constexpr uint32_t kMaxQuality = 100;
    static constexpr uint32_t kDefaultQuality = 75;

    CJpegWriter() = default;
    // Copies take quality, grey flag and a copy of the comment.
    CJpegWriter(const CJpegWriter& other) = default;
    CJpegWriter& operator=(const CJpegWriter& other) = default;

    void Write(CBufferedStream& stream, CGraphicsImage& image) override;

    // Keeps the quality in kMinQuality..kMaxQuality; returns the stored value.
    uint32_t SetQuality(uint32_t value);
    uint32_t GetQuality() const { return quality; }
    // Non-zero: write greyscale. Returns the flag.
    uint8_t SetGrey(uint8_t value);
    uint8_t GetGrey() const { return grey; }

    uint32_t quality = kDefaultQuality;
    uint8_t grey = 0;
};
