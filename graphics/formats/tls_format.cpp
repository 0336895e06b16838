#include "graphics/formats/tls_format.h"

#include "graphics/formats/byte_order.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"

#include <array>
#include <cstring>

namespace {

constexpr uint16_t kPolynomial = 0x1021;
constexpr uint32_t kAttributeWords = 16;
// Colour bits of an 8-bit pixel; a channel is "on" from this value up.
constexpr uint8_t kRedBit = 0x40, kGreenBit = 0x20, kBlueBit = 0x10;
constexpr uint8_t kChannelOn = 64;

// kCrcTables[0] is the CRC table (entry n: the register after shifting
// n << 8 through eight steps); kCrcTables[k][n] is byte n followed by k zero
// bytes, so eight bytes fold into the register with eight independent
// lookups instead of a chain of eight.
constexpr int kSlices = 8;
using CrcTables = std::array<std::array<uint16_t, 256>, kSlices>;

constexpr CrcTables MakeCrcTables()
{
    CrcTables t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint16_t crc = uint16_t(n << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ kPolynomial : crc << 1);
        t[0][n] = crc;
    }
    for (int k = 1; k < kSlices; ++k)
        for (uint32_t n = 0; n < 256; ++n)
            t[k][n] = uint16_t(t[k - 1][n] << 8 ^ t[0][t[k - 1][n] >> 8]);
    return t;
}
constexpr CrcTables kCrcTables = MakeCrcTables();

// A header, block or record the reader has read whole: its fields lie inside.
CSpanCursor FixedBlock(const uint8_t* bytes, uint32_t size)
{
    return CSpanCursor(bytes, size, ThrowFormatError<ETlsCorruptFile>, ThrowFormatError<ETlsCorruptFile>);
}

// Pixel i of the attribute carriers counts left to right from the top-left;
// false when it lies outside the image.
bool CarrierPixel(const CGraphicsImage& image, uint32_t i, uint8_t** at)
{
    const uint32_t x = i % image.m_nWidth, y = i / image.m_nWidth;
    if (y >= image.m_nHeight)
        return false;
    *at = image.RowAt(int(y)) + 4 * size_t(x);
    return true;
}

}  // namespace

uint16_t TlsCrc16(uint16_t crc, const void* data, size_t n)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    const auto& t = kCrcTables;
    for (; n >= kSlices; n -= kSlices, p += kSlices)
        crc = uint16_t(t[7][p[0] ^ (crc >> 8)] ^ t[6][p[1] ^ (crc & 0xFF)] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                       t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
    for (; n > 0; --n, ++p)
        crc = uint16_t(t[0][*p ^ (crc >> 8)] ^ ((crc & 0xFF) << 8));
    return crc;
}

void TlsPackHeader(const TlsHeader& header, uint8_t out[kTlsHeaderSize])
{
    std::memcpy(out + kTlsMagic, header.magic, sizeof header.magic);
    PutLe16(out + kTlsWidth, header.width);
    PutLe16(out + kTlsHeight, header.height);
    out[kTlsBytesPerPixel] = header.bytesPerPixel;
    out[kTlsLastIndex] = header.lastIndex;
    PutLe16(out + kTlsCrc, header.crc);
    PutLe32(out + kTlsOptionWord, header.optionWord);
}

bool TlsUnpackHeader(const uint8_t in[kTlsHeaderSize], TlsHeader* header)
{
    const CSpanCursor h = FixedBlock(in, kTlsHeaderSize);
    if (std::memcmp(h.BytesAt(kTlsMagic, sizeof header->magic), TlsHeader().magic, sizeof header->magic) != 0)
        return false;
    header->width = h.U16LEAt(kTlsWidth);
    header->height = h.U16LEAt(kTlsHeight);
    header->bytesPerPixel = h.U8At(kTlsBytesPerPixel);
    header->lastIndex = h.U8At(kTlsLastIndex);
    header->crc = h.U16LEAt(kTlsCrc);
    header->optionWord = h.U32LEAt(kTlsOptionWord);
    return true;
}

void TlsPackBlock(const TlsAttributeBlock& block, uint8_t out[kTlsAttributeBlockSize])
{
    for (uint32_t w = 0; w < kAttributeWords; ++w)
        PutLe32(out + 4 * w, block.words[w]);
}

void TlsUnpackBlock(const uint8_t in[kTlsAttributeBlockSize], TlsAttributeBlock* block)
{
    CSpanCursor words = FixedBlock(in, kTlsAttributeBlockSize);
    for (uint32_t& word : block->words)
        word = words.U32LE();
}

void TlsPackRecord(const TlsSequenceRecord& record, uint8_t out[kTlsSequenceRecordSize])
{
    PutLe16(out + kTlsDuration, record.duration);
    out[kTlsNext] = record.next;
    out[kTlsReserved] = record.reserved;
}

void TlsUnpackRecord(const uint8_t in[kTlsSequenceRecordSize], TlsSequenceRecord* record)
{
    const CSpanCursor r = FixedBlock(in, kTlsSequenceRecordSize);
    record->duration = r.U16LEAt(kTlsDuration);
    record->next = r.U8At(kTlsNext);
    record->reserved = r.U8At(kTlsReserved);
}

uint32_t TlsGetAttribute(const TlsAttributeBlock& block, uint32_t i)
{
    return block.words[i % kAttributeWords] >> (3 * (i / kAttributeWords)) & 7;
}

void TlsSetAttribute(TlsAttributeBlock& block, uint32_t i, uint32_t value)
{
    // At bit 30 the mask and value lose their third bit to the word's end.
    const uint32_t shift = 3 * (i / kAttributeWords);
    const uint32_t mask = uint32_t(uint64_t(7) << shift);
    uint32_t& word = block.words[i % kAttributeWords];
    word = (word & ~mask) | (uint32_t(uint64_t(value & 7) << shift) & mask);
}

uint32_t TlsStride(uint32_t width, uint32_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

void TlsPutAttributes(CGraphicsImage& image, const TlsAttributeBlock& block)
{
    if (image.m_nBitCount == 8) {
        for (uint32_t i = 0; i < 256; ++i) {
            const uint32_t attribute = i < kTlsAttributeCount ? TlsGetAttribute(block, i) : 0;
            image.SetPaletteRGBA(i, i & kRedBit ? 255 : 0, i & kGreenBit ? 255 : 0, i & kBlueBit ? 255 : 0,
                                 uint8_t((i & kTlsTagBits) | attribute << 4));
        }
        return;
    }
    for (uint32_t i = 0; i < kTlsSignatureEnd; ++i) {
        uint8_t* at = nullptr;
        if (!CarrierPixel(image, i, &at))
            break;
        const uint32_t value = i < kTlsAttributeCount ? TlsGetAttribute(block, i) : i % 8;
        uint32_t pixel;
        std::memcpy(&pixel, at, 4);
        pixel = (pixel & ~kTlsAttributeBits) | value << kTlsAttributeShift;
        std::memcpy(at, &pixel, 4);
    }
}

TlsAttributeBlock TlsTakeAttributes(const CGraphicsImage& image)
{
    TlsAttributeBlock block;
    if (image.m_nBitCount <= 8) {
        // The palette signature: every carrier entry keeps its index's tag bits.
        for (uint32_t i = 0; i < kTlsAttributeCount; ++i) {
            const uint8_t fourth = image.m_pPalette[i].rgbReserved;
            if ((fourth & kTlsTagBits) != (i & kTlsTagBits))
                return TlsAttributeBlock();
            TlsSetAttribute(block, i, fourth >> 4 & 7);
        }
        return block;
    }
    if (image.m_nBitCount != 32)
        return block;
    for (uint32_t i = 0; i < kTlsSignatureEnd; ++i) {
        uint8_t* at = nullptr;
        uint32_t pixel = 0;
        if (CarrierPixel(image, i, &at))
            std::memcpy(&pixel, at, 4);
        const uint32_t value = (pixel & kTlsAttributeBits) >> kTlsAttributeShift;
        if (i < kTlsAttributeCount)
            TlsSetAttribute(block, i, value);
        else if (value != i % 8)
            return TlsAttributeBlock();
    }
    return block;
}

void TlsConvertRow(const uint8_t* row32, uint32_t width, uint32_t sourceBits, uint32_t bits, uint8_t* out)
{
    const uint32_t stride = TlsStride(width, bits);
    if (bits == 32) {
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, row32 + 4 * x, 4);
            pixel &= ~kTlsAttributeBits;
            std::memcpy(out + 4 * x, &pixel, 4);
        }
        return;
    }
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t* p = row32 + 4 * x;  // blue, green, red, fourth
        uint8_t colour;
        if (sourceBits == 1)
            colour = p[0] >= kChannelOn || p[1] >= kChannelOn || p[2] >= kChannelOn ? kRedBit | kGreenBit | kBlueBit : 0;
        else
            colour = uint8_t((p[2] >= kChannelOn ? kRedBit : 0) | (p[1] >= kChannelOn ? kGreenBit : 0) |
                             (p[0] >= kChannelOn ? kBlueBit : 0));
        out[x] = uint8_t(colour | (p[3] & kTlsTagBits));
    }
    std::memset(out + width, 0, stride - width);
}
