// The TIFF reader's strip decoders: the bounded byte source of one strip and
// the LZW, PackBits and modified Huffman (fax) row decoders over it. Every
// decoder fills exactly one row per call or throws "Fehler beim Lesen".
#pragma once

#include "graphics/formats/read_cursor.h"

#include <cstdint>
#include <memory>

// The bytes of one strip, seen in blocks through the cursor and never past
// the strip's byte count or the end of the data. A block is what the
// stream holds in memory, looked at in place and consumed when the next is
// needed, so the decoders read the stream's bytes without a copy.
class CTiffStripSource {
public:
    explicit CTiffStripSource(CReadCursor& in);

    // Starts a strip at the cursor's position holding `bytes` bytes (cut at
    // the end of the data). With `mirror` every byte comes bit-reversed
    // (FillOrder 2 describes the stored bytes, so they are mirrored before
    // any decoder sees them).
    void Begin(int64_t bytes, bool mirror);
    // Bytes of the strip handed out so far.
    int64_t Consumed() const { return m_total - m_left - (m_end - m_p); }
    bool Exhausted() const { return m_p == m_end && m_left == 0; }

    // The next byte, -1 at the end of the strip.
    int Next()
    {
        if (m_p == m_end && !Refill())
            return -1;
        return *m_p++;
    }
    // The next n bytes when the block holds them all (consumed), else null
    // (nothing consumed): uncompressed rows read in place.
    const uint8_t* Contiguous(int64_t n)
    {
        if (m_end - m_p < n)
            return nullptr;
        const uint8_t* p = m_p;
        m_p += n;
        return p;
    }
    // Exactly n bytes, else the read error.
    void Bytes(uint8_t* out, int64_t n);
    // Skips n bytes, else the read error.
    void Skip(int64_t n);
    // Exactly n bytes through a row converter (units of at most
    // kMaxConvertUnit bytes), from the stream's memory where it can, else
    // the read error.
    static constexpr int32_t kMaxConvertUnit = 16;
    void Convert(uint8_t* out, int64_t n, int32_t unit, CReadCursor::UnitConvertFn convert);

    // The unread bytes of the current block, for decoders that walk them
    // with a pointer of their own and hand it back with MoveTo. At the
    // block's end Refill brings the next block (false at the strip's end).
    const uint8_t* Cursor() const { return m_p; }
    const uint8_t* BlockEnd() const { return m_end; }
    void MoveTo(const uint8_t* p) { m_p = p; }
    bool Refill();

private:
    // Consumes the block looked at in the stream's buffer.
    void Release();

    CReadCursor& m_in;
    std::unique_ptr<uint8_t[]> m_block;  // mirrored bytes
    const uint8_t* m_p = nullptr;
    const uint8_t* m_end = nullptr;
    int64_t m_left = 0;    // strip bytes not yet looked at
    int64_t m_total = 0;   // the strip's byte count
    int64_t m_looked = 0;  // bytes of the stream's buffer in the current block
    bool m_mirror = false;
};

// The LZW and PackBits decoders copy in fixed steps that may write past a
// row's n bytes (a PackBits literal run is copied as 128 bytes): their rows
// need this many bytes more.
constexpr int64_t kTiffRowSpare = 128;

// TIFF LZW (most significant bit first, early width change). The state runs
// on from row to row within a strip; a string that does not fit the row
// waits for the next one.
class CTiffLzwDecoder {
public:
    static constexpr int kTableSize = 4096;

    // The state at the start of a strip.
    void BeginStrip();
    void DecodeRow(CTiffStripSource& source, uint8_t* row, int64_t n);
    // True when the next row may come without another byte of the strip: a
    // string runs on into it, or a whole code waits in the bit buffer.
    bool Pending() const { return m_waiting > 0 || m_bits >= m_width; }

private:
    // One entry per code, together so that a string walk touches one line.
    struct Entry {
        uint16_t prefix;
        uint16_t length;
        uint8_t suffix;
        uint8_t first;
    };
    Entry m_table[kTableSize];
    // Where in the strip's output each entry's string was last written: a
    // string still in the current row is copied from there instead of
    // being walked back through its prefixes.
    int64_t m_at[kTableSize];
    uint8_t m_string[kTableSize];  // a string longer than the rest of a row
    int m_waitingAt = 0;
    int m_waiting = 0;
    int m_previous = -1;
    int64_t m_previousAt = 0;  // output position of the previous code's string
    int64_t m_rowAt = 0;       // output position of the current row's first byte
    int m_next = 0;
    int m_width = 0;
    uint32_t m_accumulator = 0;
    int m_bits = 0;
    bool m_tableReady = false;
};

// One row of PackBits; a run that passes the row's end is dropped there.
void DecodePackBitsRow(CTiffStripSource& source, uint8_t* row, int64_t n);

// TIFF compression 2: T.4 modified Huffman, one dimension, no EOL codes.
// Each row starts on a byte boundary and starts white; decoded rows hold 1
// for black and 0 for white, as in a WhiteIsZero image.
class CTiffFaxDecoder {
public:
    void BeginStrip();
    void DecodeRow(CTiffStripSource& source, uint8_t* row, int64_t rowBytes, int64_t width);
    // True when bits of the strip wait for the next row: the look-ahead may
    // hold a short last row after the source has handed out its last byte.
    bool Pending() const { return m_realBits > (m_bits & 7); }

private:
    // The next 13 bits of the strip, as many as the longest code has, looked
    // at without taking them.
    int PeekWindow(CTiffStripSource& source);

    uint32_t m_accumulator = 0;
    int m_bits = 0;
    int m_realBits = 0;  // bits of m_bits that came from the data (the rest are padding)
};
