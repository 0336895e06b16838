// The TIFF writer's strip encoders: LZW (the string table an open-addressed
// hash of 9973 slots probed with the step 2039) and PackBits. Both append
// to a byte buffer that the writer puts into the stream.
#pragma once

#include <cstdint>
#include <vector>

class CTiffLzwEncoder {
public:
    static constexpr int kHashSize = 9973;  // a prime

    // Starts a strip: a fresh table and a Clear code.
    void BeginStrip(std::vector<uint8_t>& out);
    void EncodeRow(const uint8_t* row, int64_t n, std::vector<uint8_t>& out);
    // The pending string, the end code at the width a decoder then expects,
    // and the last bits padded to a byte.
    void EndStrip(std::vector<uint8_t>& out);

private:
    void Put(int code, std::vector<uint8_t>& out);
    void ResetTable();
    // Counts one more code; widens (or clears at the table's end) as the
    // decoder will when it meets the same code.
    void Advance(std::vector<uint8_t>& out);

    uint32_t m_keys[kHashSize];   // prefix << 8 | byte, kEmpty when free
    uint16_t m_codes[kHashSize];
    int m_next = 0;
    int m_width = 0;
    int m_limit = 0;
    int m_prefix = -1;
    uint32_t m_accumulator = 0;
    int m_bits = 0;
};

// One row: runs of bytes that differ from their successor as literals of
// at most 128 bytes, else runs of equal bytes of at most 128.
void EncodePackBitsRow(const uint8_t* row, int64_t n, std::vector<uint8_t>& out);
