// The TIFF writer's strip encoders: LZW (the string table an open-addressed
// hash of 8192 slots, each holding a string's key and code in one word) and
// PackBits. Both append to a byte buffer that the writer puts into the
// stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Encoded bytes. An encoder makes room for the most a row can take, writes
// through a plain pointer and then says where its bytes end.
class CTiffStripBuffer {
public:
    // At least n bytes of room after the data; the first of them.
    uint8_t* Room(size_t n);
    // The data now ends at `end` (inside the last room made).
    void EndAt(const uint8_t* end) { m_size = size_t(end - m_bytes.get()); }
    const uint8_t* Data() const { return m_bytes.get(); }
    size_t Size() const { return m_size; }
    void Clear() { m_size = 0; }

private:
    std::unique_ptr<uint8_t[]> m_bytes;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

class CTiffLzwEncoder {
public:
    static constexpr int kHashBits = 13;
    static constexpr int kHashSize = 1 << kHashBits;

    // Starts a strip: a fresh table and a Clear code.
    void BeginStrip(CTiffStripBuffer& out);
    void EncodeRow(const uint8_t* row, int64_t n, CTiffStripBuffer& out);
    // The pending string, the end code at the width a decoder then expects,
    // and the last bits padded to a byte.
    void EndStrip(CTiffStripBuffer& out);

private:
    void ResetTable();

    // (prefix << 8 | byte) << 12 | code, kEmpty when free.
    uint32_t m_slots[kHashSize];
    int m_next = 0;
    int m_width = 0;
    int m_limit = 0;
    int m_prefix = -1;
    uint32_t m_accumulator = 0;
    int m_bits = 0;
};

// One row: runs of bytes that differ from their successor as literals of
// at most 128 bytes, else runs of equal bytes of at most 128.
void EncodePackBitsRow(const uint8_t* row, int64_t n, CTiffStripBuffer& out);
