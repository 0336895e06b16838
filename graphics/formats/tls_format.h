// The TLS image format ("TLSP"): a 16-byte header, then per image a 64-byte
// attribute block, its rows (top row first, 8- or 32-bit pixels, each row
// padded to 4 bytes) and, in a sequence of more than one image, a 4-byte
// sequence record. A CRC-16 (XMODEM) over the whole file, computed with the
// header's CRC field as 0, sits in the header. All fields little-endian.
//
// 8-bit pixels: bit 6 red, bit 5 green, bit 4 blue (each on or off), bits 7
// and 0-3 free tag bits. 32-bit pixels: blue, green, red, fourth byte, with
// bits 28-30 always 0 in the file: a loaded image carries its attribute
// values there (and in the fourth bytes of its fixed palette), so that saving
// it again reproduces the block. Such "alpha" is no alpha.
#pragma once

#include <cstddef>
#include <cstdint>

class CGraphicsImage;

constexpr uint32_t kTlsHeaderSize = 16;
constexpr uint32_t kTlsAttributeBlockSize = 64;
constexpr uint32_t kTlsSequenceRecordSize = 4;
constexpr uint32_t kTlsMaxSide = 4096;
constexpr uint32_t kTlsMaxImages = 255;
constexpr uint32_t kTlsAttributeCount = 176;
// Pixels 176 .. 197 of a loaded 32-bit image carry i mod 8 in bits 28-30.
constexpr uint32_t kTlsSignatureEnd = 198;
constexpr uint32_t kTlsAttributeShift = 28;
constexpr uint32_t kTlsAttributeBits = 0x70000000;
// Tag bits of an 8-bit pixel (and of the fixed palette's fourth bytes).
constexpr uint8_t kTlsTagBits = 0x8F;
constexpr uint16_t kTlsDefaultDuration = 5000;
// The writer refuses files of more than this many 64 KiB units, counted as
// ceil(record / 65536) per image: such a file would not fit 2 GiB.
constexpr uint32_t kTlsMaxUnits = 30720;

// Offsets of the header's fields and of the sequence record's.
enum TlsHeaderField : uint32_t {
    kTlsMagic = 0,
    kTlsWidth = 4,
    kTlsHeight = 6,
    kTlsBytesPerPixel = 8,
    kTlsLastIndex = 9,
    kTlsCrc = 10,
    kTlsOptionWord = 12,
};
enum TlsRecordField : uint32_t { kTlsDuration = 0, kTlsNext = 2, kTlsReserved = 3 };

struct TlsHeader {
    uint8_t magic[4] = {'T', 'L', 'S', 'P'};
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bytesPerPixel = 0;
    uint8_t lastIndex = 0;
    uint16_t crc = 0;
    uint32_t optionWord = 0;
};

// 176 entries of 3 bits: entry i in word i mod 16 at bit 3 * (i div 16);
// entries 160 .. 175 keep only their two low bits.
struct TlsAttributeBlock {
    uint32_t words[16] = {};
};

struct TlsSequenceRecord {
    uint16_t duration = 0;
    uint8_t next = 0;
    uint8_t reserved = 0;
};

// CRC-16/XMODEM (polynomial 0x1021, start 0, MSB first, no final XOR),
// continued from `crc` over n bytes.
uint16_t TlsCrc16(uint16_t crc, const void* data, size_t n);

void TlsPackHeader(const TlsHeader& header, uint8_t out[kTlsHeaderSize]);
// False when the magic is not "TLSP".
bool TlsUnpackHeader(const uint8_t in[kTlsHeaderSize], TlsHeader* header);
void TlsPackBlock(const TlsAttributeBlock& block, uint8_t out[kTlsAttributeBlockSize]);
void TlsUnpackBlock(const uint8_t in[kTlsAttributeBlockSize], TlsAttributeBlock* block);
void TlsPackRecord(const TlsSequenceRecord& record, uint8_t out[kTlsSequenceRecordSize]);
void TlsUnpackRecord(const uint8_t in[kTlsSequenceRecordSize], TlsSequenceRecord* record);

uint32_t TlsGetAttribute(const TlsAttributeBlock& block, uint32_t i);
void TlsSetAttribute(TlsAttributeBlock& block, uint32_t i, uint32_t value);

// Bytes of one row of `bits` (8 or 32) pixels, padded to 4.
uint32_t TlsStride(uint32_t width, uint32_t bits);

// After a read: an 8-bit image gets the fixed palette (colour from bits 4-6
// of the index, fourth byte the index's tag bits with the attribute value in
// bits 4-6); a 32-bit image gets the attribute values and the pixel
// signature in bits 28-30 of its first 198 pixels.
void TlsPutAttributes(CGraphicsImage& image, const TlsAttributeBlock& block);
// Before a write: the block the image carries (see TlsPutAttributes), or
// zeros when its palette or pixels do not carry one.
TlsAttributeBlock TlsTakeAttributes(const CGraphicsImage& image);

// One row of 32-bit values (blue, green, red, fourth) of an image of
// `sourceBits` as file pixels of `bits` (8 or 32); `out` has room for the
// padded row, whose padding becomes 0.
void TlsConvertRow(const uint8_t* row32, uint32_t width, uint32_t sourceBits, uint32_t bits, uint8_t* out);
