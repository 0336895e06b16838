// CTlsReader: reads one image of a TLS file (see tls_format.h) and keeps
// the file's option word, that image's attribute block and its sequence
// record for the caller. The whole file is read and its CRC checked whatever
// image is wanted; images not wanted are looked at in the stream's buffer,
// never copied.
//
// A one-image file has no sequence record: the duration and next index then
// keep what the previous file gave (0 in a new reader).
#pragma once

#include "graphics/formats/format_framework.h"
#include "graphics/formats/tls_format.h"

#include <cstdint>

// What load by path throws when the path cannot be opened.
struct TlsReaderErrors : GraphicsFileErrors {
    [[noreturn]] static void OpenFailed() { throw ETlsFileOpenError(); }  // "Fehler beim Öffnen der TLS-Datei !"
};

class CTlsReader : public CFormatReader<TlsReaderErrors> {
public:
    CTlsReader() = default;
    // Read and load by path take image m_defaultIndex, through
    // ReadIndex and LoadIndexW / LoadIndexA.
    void Read(CBufferedStream& stream, CGraphicsImage& image) override;
    void LoadW(const WCHAR* path, CGraphicsImage& image) override;
    void LoadA(const char* path, CGraphicsImage& image) override;

    // Image number `index` (0-based) of the TLS data at the stream's position.
    virtual void ReadIndex(CBufferedStream& stream, CGraphicsImage& image, uint32_t index);
    // Load by path; "Fehler beim Öffnen der TLS-Datei !" when it cannot be opened.
    virtual void LoadIndexA(const char* path, CGraphicsImage& image, uint32_t index);
    virtual void LoadIndexW(const WCHAR* path, CGraphicsImage& image, uint32_t index);

    void SetDefaultIndex(uint32_t index) { m_defaultIndex = index; }
    uint32_t GetOptionWord() const { return m_header.optionWord; }
    void GetSequenceInfo(uint32_t* duration, uint32_t* next) const;
    void GetAttributes(uint32_t block[16]) const;

    CBufferedStream* m_stream = nullptr;
    TlsHeader m_header;  // of the file last read, its CRC field 0
    TlsAttributeBlock m_attributes;
    TlsSequenceRecord m_record;
    uint32_t m_defaultIndex = 0;
};
