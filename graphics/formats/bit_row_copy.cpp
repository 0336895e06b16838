#include "graphics/formats/bit_row_copy.h"

namespace {

struct BitRow {
    const uint8_t* bytes;
    int64_t limit;  // bits [0, limit) exist

    // Source bits [32k, 32k + 32) as a big-endian word, bits outside the row
    // zero. Reads only the bytes holding row bits.
    uint32_t Word(int64_t k) const
    {
        const int64_t first = k * 32;
        if (k < 0 || first >= limit)
            return 0;
        const uint8_t* p = bytes + k * 4;
        if (first + 32 <= limit)
            return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
        const int bits = int(limit - first);  // 1..31
        uint32_t word = 0;
        for (int i = 0; i * 8 < bits; ++i)
            word |= uint32_t(p[i]) << (24 - 8 * i);
        return word & ~(0xFFFFFFFFu >> bits);
    }
};

void StoreBigEndian(uint32_t* destination, int64_t i, uint32_t word)
{
    uint8_t* p = reinterpret_cast<uint8_t*>(destination) + i * 4;
    p[0] = uint8_t(word >> 24);
    p[1] = uint8_t(word >> 16);
    p[2] = uint8_t(word >> 8);
    p[3] = uint8_t(word);
}

int64_t FloorDiv32(int64_t bit)
{
    return bit >= 0 ? bit / 32 : -((-bit + 31) / 32);
}

uint32_t Join(uint32_t high, uint32_t low, int shift)
{
    return shift == 0 ? high : (high << shift) | (low >> (32 - shift));
}

}  // namespace

void CopyBitsForward(int32_t startBit, int32_t wordCount, const uint32_t* source, uint32_t* destination,
                     int32_t bitLimit)
{
    if (wordCount < 1)
        return;
    const BitRow row{reinterpret_cast<const uint8_t*>(source), bitLimit};
    int64_t k = FloorDiv32(startBit);
    const int shift = int(startBit - k * 32);
    uint32_t high = row.Word(k);
    for (int64_t i = 0; i < wordCount; ++i, ++k) {
        const uint32_t low = row.Word(k + 1);
        StoreBigEndian(destination, i, Join(high, low, shift));
        high = low;
    }
}

void CopyBitsBackward(int32_t startBit, int32_t wordCount, const uint32_t* source, uint32_t* destination,
                      int32_t bitLimit)
{
    if (wordCount < 1)
        return;
    const BitRow row{reinterpret_cast<const uint8_t*>(source), bitLimit};
    const int64_t k0 = FloorDiv32(startBit);
    const int shift = int(startBit - k0 * 32);
    for (int64_t i = int64_t(wordCount) - 1; i >= 0; --i) {
        // Both source words are read before the store that may overlap them.
        const uint32_t high = row.Word(k0 + i);
        const uint32_t low = row.Word(k0 + i + 1);
        StoreBigEndian(destination, i, Join(high, low, shift));
    }
}
