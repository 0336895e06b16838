#include "graphics/formats/gif_lzw_decoder.h"

#include "graphics/formats/read_cursor.h"

#include <cstring>

CGifLzwDecoder::CGifLzwDecoder(CReadCursor& in, int rootBits, uint32_t width)
    : m_in(in), m_rootBits(rootBits), m_clear(1 << rootBits), m_end(m_clear + 1), m_width(width)
{
    for (int code = 0; code < m_clear; ++code) {
        m_prefix[code] = 0;
        m_length[code] = 1;
        m_suffix[code] = uint8_t(code);
        m_first[code] = uint8_t(code);
    }
    // A row, plus the longest string (kGifMaxCodes) that may start at its
    // last pixel.
    m_run.resize(size_t(width) + kGifMaxCodes);
    Reset();
}

void CGifLzwDecoder::Reset()
{
    m_codeBits = m_rootBits + 1;
    m_free = m_end + 1;
}

bool CGifLzwDecoder::NextBlock()
{
    if (m_terminated)
        return false;
    m_blockLength = m_in.U8();
    m_blockPos = 0;
    if (m_blockLength == 0) {
        m_terminated = true;
        return false;
    }
    m_in.Bytes(m_block, m_blockLength);
    return true;
}

// The next code, or -1 when the sub-blocks end first.
int CGifLzwDecoder::NextCode()
{
    while (m_bitCount < m_codeBits) {
        if (m_blockPos == m_blockLength && !NextBlock())
            return -1;
        m_bits |= uint64_t(m_block[m_blockPos++]) << m_bitCount;
        m_bitCount += 8;
    }
    const int code = int(m_bits & ((1u << m_codeBits) - 1));
    m_bits >>= m_codeBits;
    m_bitCount -= m_codeBits;
    return code;
}

void CGifLzwDecoder::Decode(RowSink& sink, uint32_t rows)
{
    uint8_t* const run = m_run.data();
    size_t filled = 0;  // indices in run
    int previous = -1;  // no string yet since the last clear
    while (rows > 0) {
        const int code = NextCode();
        if (code < 0)
            m_in.ThrowCorrupt();  // the data ends inside the image
        if (code == m_clear) {
            Reset();
            previous = -1;
            continue;
        }
        if (code == m_end)
            return;
        // A root above 255 (minimum code sizes 9 to 12) is an index no
        // 8-bit image holds; every string is made of roots, so this check
        // covers every index decoded.
        if (code < m_clear && code >= kGifMaxColours)
            m_in.ThrowCorrupt();
        if (previous < 0) {
            if (code > m_clear)
                m_in.ThrowCorrupt();  // a string code with no string before it
        } else {
            // With 13-bit codes (minimum code size 12) a code can name an
            // entry past the table, which never grows there.
            if (code > m_free || code >= kGifMaxCodes)
                m_in.ThrowCorrupt();
            if (m_free < kGifMaxCodes) {
                // Defined before it is written: code == m_free (the string
                // before it and its own first index) reads this entry.
                const int f = m_free++;
                m_prefix[f] = uint16_t(previous);
                m_suffix[f] = m_first[code == f ? previous : code];
                m_first[f] = m_first[previous];
                m_length[f] = uint16_t(m_length[previous] + 1);
                if (m_free == 1 << m_codeBits && m_codeBits < kGifMaxCodeBits)
                    ++m_codeBits;
            }
        }
        previous = code;

        // The string, backwards from its end.
        int k = code;
        uint8_t* out = run + filled + m_length[code];
        for (int n = m_length[code]; n > 0; --n) {
            *--out = m_suffix[k];
            k = m_prefix[k];
        }
        filled += m_length[code];

        size_t start = 0;
        while (filled - start >= m_width && rows > 0) {
            sink.Row(run + start);
            start += m_width;
            --rows;
        }
        if (start > 0) {
            filled -= start;
            std::memmove(run, run + start, filled);
        }
    }
}

void CGifLzwDecoder::SkipRest()
{
    m_blockPos = m_blockLength;
    while (NextBlock())
        m_blockPos = m_blockLength;
}
