#include "graphics/formats/tls_writer.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstring>

namespace {

constexpr uint32_t kUnitBytes = 65536;
constexpr uint32_t kMaxDuration = 65535;

void WriteOrThrow(CBufferedStream& stream, const void* data, int64_t n)
{
    if (stream.Write(data, int32_t(n)) != n)
        throw ETlsFileWriteError();
}

// Seeks to an absolute position; the stream not standing there afterwards
// means the data before it is not ours.
void SeekOrThrow(CBufferedStream& stream, int64_t position)
{
    if (position > CBufferedStream::kMaxStreamLength)
        throw ETlsDataError();
    stream.Seek(int32_t(position), 0);
    if (stream.Tell() != position)
        throw ETlsCorruptFile();
}

struct SequenceArgs {
    CGraphicsImage* images;
    uint32_t count;
    const TlsAttributeBlock* blocks;
    const uint32_t* durations;
    const uint8_t* nexts;
};

void WriteSequenceTo(CGraphicsWriter& writer, CBufferedStream& stream, void* context)
{
    const SequenceArgs& a = *static_cast<SequenceArgs*>(context);
    static_cast<CTlsWriter&>(writer).WriteSequence(stream, a.images, a.count, a.blocks, a.durations, a.nexts);
}

void CheckSequenceCount(uint32_t count)
{
    if (count == 0 || count > kTlsMaxImages)
        throw ETlsDataError();
}

}  // namespace

void CTlsWriter::ResetOptions()
{
    m_bitCount = 0;
    m_sequenceMode = kSequenceDefault;
    m_attributeMode = 0;
    m_optionWord = 0;
}

uint32_t CTlsWriter::SetOptionWord(uint32_t value)
{
    const uint32_t old = m_optionWord;
    m_optionWord = value;
    return old;
}

void CTlsWriter::SetSequenceInfo(uint32_t duration, int32_t next)
{
    m_record.duration = uint16_t(duration > kMaxDuration ? kMaxDuration : duration);
    m_record.next = uint8_t(next);
    m_record.reserved = 0;
    m_sequenceMode = next < 0 ? kSequenceDuration : kSequenceCaller;
}

void CTlsWriter::SetAttributes(const uint32_t block[16])
{
    std::memcpy(m_attributes.words, block, sizeof m_attributes.words);
    m_attributeMode = 1;
}

void CTlsWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    WriteImage(stream, image, 0, 1);
}

void CTlsWriter::WriteImage(CBufferedStream& stream, CGraphicsImage& image, uint32_t index, uint32_t count)
{
    RequireImage(image);
    CheckSequencePlace(index, count);
    TakeImageValues(image, index, count);
    const uint32_t bits = index == 0 ? StartHeader(image, count) : HeaderBits(image);
    const uint32_t stride = TlsStride(image.m_nWidth, bits);
    const int64_t record = int64_t(image.m_nHeight) * stride + kTlsAttributeBlockSize + kTlsSequenceRecordSize;
    if (index == 0 && (record + kUnitBytes - 1) / kUnitBytes * count > kTlsMaxUnits)
        throw ETlsDataError();
    PlaceImage(stream, index, record);
    WriteImageData(stream, image, bits, index, count);
    m_nextIndex = index + 1;
    if (m_nextIndex == count)
        FinishFile(stream);
}

// Index 0 opens a file of 1 .. 255 images; every later call must be the next
// index of that file, with the same count.
void CTlsWriter::CheckSequencePlace(uint32_t index, uint32_t count) const
{
    if (index == 0 ? count == 0 || count > kTlsMaxImages
                   : index != m_nextIndex || count != uint32_t(m_header.lastIndex) + 1 || index >= count)
        throw ETlsDataError();
}

// The image's attribute block (unless the caller's is in force) and its
// sequence record: the default duration, and the next index the caller gave
// (which must lie in the file) or the automatic one.
void CTlsWriter::TakeImageValues(const CGraphicsImage& image, uint32_t index, uint32_t count)
{
    if (m_attributeMode == 0)
        m_attributes = TlsTakeAttributes(image);
    if (m_sequenceMode == kSequenceDefault) {
        m_record.duration = kTlsDefaultDuration;
        m_record.reserved = 0;
    }
    if (count <= 1)
        return;  // a single image has no record to check
    if (m_sequenceMode == kSequenceCaller) {
        if (m_record.next >= count)
            throw ETlsDataError();
    } else {
        m_record.next = uint8_t(index + 1 < count ? index + 1 : 0);
    }
}

// The header of a new file, made by its first image; returns the file's
// pixel bits.
uint32_t CTlsWriter::StartHeader(const CGraphicsImage& image, uint32_t count)
{
    if (image.m_nWidth > kTlsMaxSide || image.m_nHeight > kTlsMaxSide)
        throw ETlsDataError();
    const uint32_t bits = m_bitCount ? m_bitCount : image.m_nBitCount <= 8 ? 8 : 32;
    m_header = TlsHeader();
    m_header.width = uint16_t(image.m_nWidth);
    m_header.height = uint16_t(image.m_nHeight);
    m_header.bytesPerPixel = uint8_t(bits / 8);
    m_header.lastIndex = uint8_t(count - 1);
    m_header.optionWord = m_optionWord;
    return bits;
}

// A later image of the open file: its size must be the file's.
uint32_t CTlsWriter::HeaderBits(const CGraphicsImage& image) const
{
    if (image.m_nWidth != m_header.width || image.m_nHeight != m_header.height)
        throw ETlsDataError();
    return m_header.bytesPerPixel * 8u;
}

// The first image writes the header where the file starts (its CRC still
// 0); a later one goes to its own place, `record` bytes per image on.
void CTlsWriter::PlaceImage(CBufferedStream& stream, uint32_t index, int64_t record)
{
    if (index != 0) {
        SeekOrThrow(stream, m_fileStart + kTlsHeaderSize + int64_t(index) * record);
        return;
    }
    m_nextIndex = 0;
    m_fileStart = stream.Tell();
    uint8_t raw[kTlsHeaderSize];
    TlsPackHeader(m_header, raw);
    WriteOrThrow(stream, raw, sizeof raw);
    m_crc = TlsCrc16(0, raw, sizeof raw);
    Progress(0);
}

// The attribute block, the rows and, in a sequence, the record; all counted
// into the CRC.
void CTlsWriter::WriteImageData(CBufferedStream& stream, const CGraphicsImage& image, uint32_t bits, uint32_t index,
                                uint32_t count)
{
    uint8_t block[kTlsAttributeBlockSize];
    TlsPackBlock(m_attributes, block);
    WriteOrThrow(stream, block, sizeof block);
    m_crc = TlsCrc16(m_crc, block, sizeof block);

    // Rows through the copying row function: a 32-bit image's own function
    // would hand back its pixels, which are not ours to change.
    const uint32_t stride = TlsStride(image.m_nWidth, bits);
    m_row.assign(stride, 0);
    const int64_t height = image.m_nHeight;
    for (int64_t y = 0; y < height; ++y) {
        Progress(int((index * height + y) * 100 / (int64_t(count) * height)));
        const uint8_t* row32 = image.m_pfnRowCopyTo32(image.RowAt(int(y)), &image);
        TlsConvertRow(row32, image.m_nWidth, image.m_nBitCount, bits, m_row.data());
        m_crc = TlsCrc16(m_crc, m_row.data(), stride);
        WriteOrThrow(stream, m_row.data(), stride);
    }
    if (count > 1) {
        uint8_t raw[kTlsSequenceRecordSize];
        TlsPackRecord(m_record, raw);
        WriteOrThrow(stream, raw, sizeof raw);
        m_crc = TlsCrc16(m_crc, raw, sizeof raw);
    }
}

// After the last image: the CRC into the header, then back to the end.
void CTlsWriter::FinishFile(CBufferedStream& stream)
{
    m_nextIndex = 0;
    const int64_t end = stream.Tell();
    m_header.crc = m_crc;
    uint8_t raw[kTlsHeaderSize];
    TlsPackHeader(m_header, raw);
    SeekOrThrow(stream, m_fileStart);
    WriteOrThrow(stream, raw, sizeof raw);
    SeekOrThrow(stream, end);
    Progress(100);
}

void CTlsWriter::WriteSequence(CBufferedStream& stream, CGraphicsImage* images, uint32_t count,
                               const TlsAttributeBlock* blocks, const uint32_t* durations, const uint8_t* nexts)
{
    if (count > kTlsMaxImages)
        throw ETlsDataError();
    for (uint32_t k = 0; k < count; ++k) {
        if (blocks)
            SetAttributes(blocks[k].words);
        if (durations)
            SetSequenceInfo(durations[k], nexts ? nexts[k] : -1);
        else if (nexts)
            SetSequenceInfo(kTlsDefaultDuration, nexts[k]);
        // Each image places itself from the file's start.
        WriteImage(stream, images[k], k, count);
    }
}

void CTlsWriter::SaveSequenceA(const char* path, CGraphicsImage* images, uint32_t count,
                               const TlsAttributeBlock* blocks, const uint32_t* durations, const uint8_t* nexts)
{
    CheckSequenceCount(count);
    SequenceArgs args{images, count, blocks, durations, nexts};
    SavePathWithA(path, WriteSequenceTo, &args, TlsWriterErrors::CreateFailed, TlsWriterErrors::WriteFailed);
}

void CTlsWriter::SaveSequenceW(const WCHAR* path, CGraphicsImage* images, uint32_t count,
                               const TlsAttributeBlock* blocks, const uint32_t* durations, const uint8_t* nexts)
{
    CheckSequenceCount(count);
    SequenceArgs args{images, count, blocks, durations, nexts};
    SavePathWithW(path, WriteSequenceTo, &args, TlsWriterErrors::CreateFailed, TlsWriterErrors::WriteFailed);
}
