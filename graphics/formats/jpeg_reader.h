// CJpegReader: reads one JPEG image through libjpeg into a 24-bit image
// (grey files too, each sample in all three bytes). CMYK and other colour
// spaces are refused. Failures throw EJpegError "Fehler <code> beim Laden der
// Jpeg Datei" with libjpeg's message code (120 for a stream that ends before
// the image does or is too short for the declared size, the warning's code
// for missing or corrupt entropy data, kJpegErrorTooManyScans beyond
// kJpegMaxScans scans), EJpegAbort when the progress callback cancels, or the
// image's creation error.
#pragma once

#include "graphics/formats/format_framework.h"

// What load by path throws when the path cannot be opened.
struct JpegReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed() { throw EJpegOpenError(); }
};

class CJpegReader : public CFormatReader<JpegReaderErrors> {
public:
    CJpegReader() = default;
    // The data of the file's comment markers, joined in file order, becomes
    // m_info's comment; it is cleared when the file has none or the read fails.
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;
};
