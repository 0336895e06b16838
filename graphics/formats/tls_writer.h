// CTlsWriter: writes one image, or a sequence of images of one size, as a
// TLS file (see tls_format.h).
//
// A sequence is written by WriteImage with index 0, 1, ... count - 1 on one
// stream through one writer (or by WriteSequence): index 0 remembers where
// the file starts, every image is placed from there, and the last one puts
// the CRC into the header and leaves the stream at the end of the data.
//
// The settings (bit count, sequence and attribute modes, option word, the
// caller's block and sequence values) stay in force for every following
// image and file until changed; only ResetOptions (run by the constructor)
// clears bit count, modes and option word.
#pragma once

#include "graphics/formats/format_framework.h"
#include "graphics/formats/tls_format.h"

#include <cstdint>
#include <vector>

// What save by path throws when the file cannot be created or written,
// and what an image without pixels throws.
struct TlsWriterErrors : GraphicsFileErrors {
    [[noreturn]] static void CreateFailed() { throw ETlsFileOpenError(); }
    [[noreturn]] static void WriteFailed() { throw ETlsFileWriteError(); }
    [[noreturn]] static void EmptyImage() { throw ETlsDataError(); }
};

class CTlsWriter : public CFormatWriter<TlsWriterErrors> {
public:
    // Sequence modes.
    static constexpr uint32_t kSequenceDefault = 0;  // duration 5000, automatic next index
    static constexpr uint32_t kSequenceCaller = 1;   // caller's duration and next index
    static constexpr uint32_t kSequenceDuration = 2; // caller's duration, automatic next index

    CTlsWriter() { ResetOptions(); }
    // WriteImage (stream, image, 0, 1).
    void Write(CBufferedStream& stream, CGraphicsImage& image) override;

    // Image number `index` of a file of `count` (1 .. 255) images; see above.
    virtual void WriteImage(CBufferedStream& stream, CGraphicsImage& image, uint32_t index, uint32_t count);
    // `count` images; blocks, durations and nexts are null or hold count entries.
    virtual void WriteSequence(CBufferedStream& stream, CGraphicsImage* images, uint32_t count,
                               const TlsAttributeBlock* blocks, const uint32_t* durations, const uint8_t* nexts);
    // A count of 0 or above 255 throws before the file is created.
    virtual void SaveSequenceA(const char* path, CGraphicsImage* images, uint32_t count,
                               const TlsAttributeBlock* blocks, const uint32_t* durations, const uint8_t* nexts);
    virtual void SaveSequenceW(const WCHAR* path, CGraphicsImage* images, uint32_t count,
                               const TlsAttributeBlock* blocks, const uint32_t* durations, const uint8_t* nexts);

    void ResetOptions();
    // 8 or 32; any other value means automatic (8 up to 8 bits per pixel, else 32).
    void SetBitCount(uint32_t bits) { m_bitCount = bits == 8 || bits == 32 ? bits : 0; }
    // Returns the previous option word.
    uint32_t SetOptionWord(uint32_t value);
    // Duration (above 65535 stored as 65535) and next index for the following
    // images; a negative next means automatic.
    void SetSequenceInfo(uint32_t duration, int32_t next);
    // The caller's block for the following images.
    void SetAttributes(const uint32_t block[16]);

    uint32_t m_bitCount = 0;
    uint32_t m_sequenceMode = kSequenceDefault;
    uint32_t m_attributeMode = 0;  // 0 from each image, 1 the caller's block
    uint32_t m_optionWord = 0;
    uint16_t m_crc = 0;
    TlsSequenceRecord m_record;
    TlsHeader m_header;
    TlsAttributeBlock m_attributes;

private:
    // The steps of WriteImage.
    void CheckSequencePlace(uint32_t index, uint32_t count) const;
    void TakeImageValues(const CGraphicsImage& image, uint32_t index, uint32_t count);
    uint32_t StartHeader(const CGraphicsImage& image, uint32_t count);
    uint32_t HeaderBits(const CGraphicsImage& image) const;
    void PlaceImage(CBufferedStream& stream, uint32_t index, int64_t record);
    void WriteImageData(CBufferedStream& stream, const CGraphicsImage& image, uint32_t bits, uint32_t index,
                        uint32_t count);
    void FinishFile(CBufferedStream& stream);

    int64_t m_fileStart = 0;   // stream position of the header
    uint32_t m_nextIndex = 0;  // the index the open file expects next; 0: none open
    std::vector<uint8_t> m_row;
};
