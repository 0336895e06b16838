#include "graphics/formats/bmp_writer.h"

#include "graphics/formats/byte_order.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kHeadersSize = 14 + 40;
constexpr uint32_t kPaletteEntryBytes = 4;
constexpr uint32_t kInfoHeaderSize = 40;
// Rows are written in bands of about this many bytes: large enough that the
// stream passes them straight to the file instead of copying them through
// its buffer.
constexpr int64_t kBandBytes = 1 << 18;

void WriteOrThrow(CBufferedStream& stream, const void* data, int64_t n)
{
    if (stream.Write(data, int32_t(n)) != n)
        throw EBmpFileWriteError();
}

// The output depth: palette images keep theirs unless a true-colour bit
// count is set.
uint32_t OutputBits(const CGraphicsImage& image, uint32_t setBits)
{
    switch (image.m_nBitCount) {
    case 1:
    case 4:
    case 8:
        return setBits ? setBits : image.m_nBitCount;
    case 2:
        throw EBmpNotSupported();
    default:
        return setBits ? setBits : 24;
    }
}

// The highest palette index the pixels of an 8-bit image use, at least 1.
uint32_t HighestIndex(const CGraphicsImage& image)
{
    uint8_t highest = 1;
    for (int y = 0; y < int(image.m_nHeight); ++y) {
        const uint8_t* row = image.RowAt(y);
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            highest = row[x] > highest ? row[x] : highest;
    }
    return highest;
}

}  // namespace

uint32_t CBmpWriter::SetBitCount(uint32_t bits)
{
    m_bitCount = bits == 24 || bits == 32 ? bits : 0;
    return m_bitCount;
}

uint32_t CBmpWriter::SetOptions(uint32_t value, uint32_t mask)
{
    m_options = (m_options & ~mask) | (value & mask);
    return m_options;
}

void CBmpWriter::SetResolution(int32_t x, int32_t y)
{
    m_xPelsPerMeter = x;
    m_yPelsPerMeter = y;
}

void CBmpWriter::WriteWithAlpha(CBufferedStream& stream, CGraphicsImage& image, uint32_t flags)
{
    if ((flags & kBmpWithAlpha) && image.m_nBitCount == 32)
        m_bitCount = 32;
    Write(stream, image);
}

void CBmpWriter::SaveWithAlphaA(const char* path, CGraphicsImage& image, uint32_t flags)
{
    if ((flags & kBmpWithAlpha) && image.m_nBitCount == 32)
        m_bitCount = 32;
    SaveA(path, image);
}

void CBmpWriter::SaveWithAlphaW(const WCHAR* path, CGraphicsImage& image, uint32_t flags)
{
    if ((flags & kBmpWithAlpha) && image.m_nBitCount == 32)
        m_bitCount = 32;
    SaveW(path, image);
}

void CBmpWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    RequireImage(image);
    const uint32_t bits = OutputBits(image, m_bitCount);
    const bool indexed = bits <= 8;

    uint32_t entries = indexed ? image.m_nPaletteSize : 0;
    uint32_t coloursUsed = 0;
    if (indexed && bits == 8 && (m_options & kBmpOptionShortPalette)) {
        const uint32_t highest = HighestIndex(image);
        if (highest < 255)
            entries = coloursUsed = highest + 1;
    }

    const int64_t height = image.m_nHeight;
    const int64_t dataBytes = (int64_t(image.m_nWidth) * bits + 7) / 8;
    const int64_t rowBytes = (dataBytes + 3) & ~int64_t(3);
    const int64_t offset = kHeadersSize + int64_t(kPaletteEntryBytes) * entries;
    const int64_t fileSize = offset + rowBytes * height;
    // The header's size fields are 32 bits and no stream holds more.
    if (fileSize > CBufferedStream::kMaxStreamLength)
        throw EBmpFileWriteError();

    BYTE header[kHeadersSize] = {'B', 'M'};
    PutLe32(header + 2, uint32_t(fileSize));
    PutLe32(header + 10, uint32_t(offset));
    PutLe32(header + 14, kInfoHeaderSize);
    PutLe32(header + 18, image.m_nWidth);
    PutLe32(header + 22, image.m_nHeight);
    PutLe16(header + 26, 1);
    PutLe16(header + 28, bits);
    PutLe32(header + 38, uint32_t(m_xPelsPerMeter));
    PutLe32(header + 42, uint32_t(m_yPelsPerMeter));
    PutLe32(header + 46, coloursUsed);
    PutLe32(header + 50, coloursUsed);
    WriteOrThrow(stream, header, sizeof header);
    if (entries)
        WriteOrThrow(stream, image.m_pPalette, int64_t(kPaletteEntryBytes) * entries);

    // Rows go out in bands, each row with zero padding (and zero bits after
    // the last pixel of a packed row). Where the image's own rows are the
    // file's rows, whole, unpadded and in the file's bottom-up order, a band
    // is written straight from the image.
    const CGraphicsImage::RowFn convert = indexed ? nullptr : bits == 24 ? image.m_pfnRowTo24 : image.m_pfnRowTo32;
    const uint32_t usedBits = uint32_t(image.m_nWidth * bits % 8);
    const uint8_t lastMask = usedBits ? uint8_t(0xFF << (8 - usedBits)) : 0xFF;
    const bool asStored = bits == image.m_nBitCount && dataBytes == rowBytes && rowBytes == image.m_nStride &&
                          usedBits == 0 && image.RowAt(0) == image.m_pBits + (height - 1) * rowBytes;
    const int64_t bandRows = std::clamp<int64_t>(kBandBytes / rowBytes, 1, height);
    std::vector<uint8_t> band(asStored ? 0 : size_t(rowBytes * bandRows), 0);
    Progress(0);
    for (int64_t k = 0; k < height;) {
        const int64_t rows = std::min(bandRows, height - k), first = k;
        for (int64_t i = 0; i < rows; ++i, ++k) {
            Progress(int(k * 100 / height));
            if (asStored)
                continue;
            const uint8_t* row = image.RowAt(int(height - 1 - k));
            uint8_t* out = band.data() + i * rowBytes;
            std::memcpy(out, convert ? convert(row, &image) : row, size_t(dataBytes));
            out[dataBytes - 1] &= lastMask;
        }
        WriteOrThrow(stream, asStored ? image.m_pBits + first * rowBytes : band.data(), rows * rowBytes);
    }
    Progress(100);
}
