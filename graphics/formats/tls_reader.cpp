#include "graphics/formats/tls_reader.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstring>

namespace {

// Any index above the most a file can hold can only fail the index test.
constexpr uint32_t kIndexCeiling = 256;

// Sets a value for the length of a scope and puts the old one back.
class IndexScope {
public:
    IndexScope(uint32_t& value, uint32_t temporary) : m_value(value), m_old(value) { value = temporary; }
    ~IndexScope() { m_value = m_old; }
    IndexScope(const IndexScope&) = delete;
    IndexScope& operator=(const IndexScope&) = delete;

private:
    uint32_t& m_value;
    uint32_t m_old;
};

// Reads n bytes into `out` and adds them to the CRC.
void ReadChecked(CReadCursor& in, void* out, int64_t n, uint16_t& crc)
{
    in.Bytes(out, n);
    crc = TlsCrc16(crc, out, size_t(n));
}

// Adds n bytes to the CRC and skips them, in pieces the stream's buffer can show.
void SkipChecked(CReadCursor& in, int64_t n, uint16_t& crc)
{
    while (n > 0) {
        const BYTE* data = nullptr;
        const int32_t got = in.LookAhead(&data, n);
        if (got <= 0)
            in.ThrowRead();
        crc = TlsCrc16(crc, data, size_t(got));
        in.Skip(got);
        n -= got;
    }
}

}  // namespace

void CTlsReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    ReadIndex(stream, image, m_defaultIndex);
}

void CTlsReader::LoadW(const WCHAR* path, CGraphicsImage& image)
{
    LoadIndexW(path, image, m_defaultIndex);
}

void CTlsReader::LoadA(const char* path, CGraphicsImage& image)
{
    LoadIndexA(path, image, m_defaultIndex);
}

// Load by path runs Read, which reads the default index: the given index
// stands in for it during the load.
void CTlsReader::LoadIndexA(const char* path, CGraphicsImage& image, uint32_t index)
{
    IndexScope scope(m_defaultIndex, index);
    CFormatReader::LoadA(path, image);
}

void CTlsReader::LoadIndexW(const WCHAR* path, CGraphicsImage& image, uint32_t index)
{
    IndexScope scope(m_defaultIndex, index);
    CFormatReader::LoadW(path, image);
}

void CTlsReader::GetSequenceInfo(uint32_t* duration, uint32_t* next) const
{
    if (duration)
        *duration = m_record.duration;
    if (next)
        *next = m_record.next;
}

void CTlsReader::GetAttributes(uint32_t block[16]) const
{
    std::memcpy(block, m_attributes.words, sizeof m_attributes.words);
}

void CTlsReader::ReadIndex(CBufferedStream& stream, CGraphicsImage& image, uint32_t index)
{
    if (index > kIndexCeiling)
        index = kIndexCeiling;
    m_stream = &stream;
    struct StreamReset {
        CTlsReader* reader;
        ~StreamReset() { reader->m_stream = nullptr; }
    } reset{this};

    uint8_t raw[kTlsHeaderSize];
    CReadCursor(stream, ThrowFormatError<ETlsFileReadError>, ThrowFormatError<ETlsCorruptFile>).Bytes(raw, sizeof raw);
    CReadCursor in(stream, ThrowFormatError<ETlsCorruptFile>, ThrowFormatError<ETlsCorruptFile>);
    TlsHeader header;
    if (!TlsUnpackHeader(raw, &header))
        throw ETlsNotATlsFile();
    const uint32_t bits = header.bytesPerPixel == 1 ? 8 : header.bytesPerPixel == 4 ? 32 : 0;
    in.Require(bits != 0);
    in.Require(header.width >= 1 && header.width <= kTlsMaxSide && header.height >= 1 && header.height <= kTlsMaxSide);
    if (index > header.lastIndex)
        throw ETlsNotFound();

    const uint32_t images = uint32_t(header.lastIndex) + 1;
    const bool sequence = header.lastIndex > 0;
    const int64_t stride = TlsStride(header.width, bits);
    const int64_t imageBytes = kTlsAttributeBlockSize + header.height * stride + (sequence ? kTlsSequenceRecordSize : 0);
    // The whole file is read in any case: refuse a short one before allocating.
    if (!in.Fits(in.Product(images, imageBytes)))
        in.ThrowRead();

    uint8_t raw64[kTlsAttributeBlockSize];
    in.Bytes(raw64, sizeof raw64);
    TlsUnpackBlock(raw64, &m_attributes);
    m_header = header;
    const uint16_t expected = header.crc;
    m_header.crc = 0;
    header.crc = 0;
    Progress(0);
    if (!image.Create(bits, header.width, header.height, CGraphicsImage::NO_FILL, CGraphicsImage::OWN_MEMORY))
        throw ETlsUnknownError();

    TlsPackHeader(header, raw);
    uint16_t crc = TlsCrc16(0, raw, sizeof raw);
    crc = TlsCrc16(crc, raw64, sizeof raw64);
    const int64_t rows = int64_t(images) * header.height;
    const int64_t first = int64_t(index) * header.height;
    for (int64_t r = 0; r < rows; ++r) {
        Progress(int(r * 100 / rows));
        if (r >= first && r < first + header.height)
            ReadChecked(in, image.RowAt(int(r - first)), stride, crc);
        else
            SkipChecked(in, stride, crc);
        if ((r + 1) % header.height != 0 || !sequence)
            continue;
        // After each image of a sequence: its record, then the next block.
        const uint32_t k = uint32_t(r / header.height);
        uint8_t record[kTlsSequenceRecordSize];
        ReadChecked(in, record, sizeof record, crc);
        if (k == index)
            TlsUnpackRecord(record, &m_record);
        if (k + 1 < images) {
            ReadChecked(in, raw64, sizeof raw64, crc);
            if (k + 1 == index)
                TlsUnpackBlock(raw64, &m_attributes);
        }
    }
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    if (crc != expected)
        throw ETlsCrcError();
#else
    (void)expected;
#endif
    Progress(100);
    TlsPutAttributes(image, m_attributes);
}
