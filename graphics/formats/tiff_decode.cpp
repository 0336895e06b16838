#include "graphics/formats/tiff_decode.h"

#include "graphics/formats/tiff_format.h"

#include <algorithm>
#include <cstring>

namespace {

// Strip data is read in blocks of this size, so memory stays at the image,
// one row and this block whatever a strip's byte count says.
constexpr int64_t kStripBlock = 1 << 16;

constexpr int kLzwClear = 256;
constexpr int kLzwEnd = 257;
constexpr int kLzwFirstFree = 258;
constexpr int kLzwMinWidth = 9;
constexpr int kLzwMaxWidth = 12;

struct MirrorTable {
    uint8_t bytes[256];
    constexpr MirrorTable() : bytes()
    {
        for (int i = 0; i < 256; ++i) {
            int m = 0;
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b))
                    m |= 0x80 >> b;
            bytes[i] = uint8_t(m);
        }
    }
};
constexpr MirrorTable kMirror;

}  // namespace

// ------------------------------------------------------------ strip source --

CTiffStripSource::CTiffStripSource(CReadCursor& in) : m_in(in), m_block(new uint8_t[kStripBlock]) {}

void CTiffStripSource::Begin(int64_t bytes, bool mirror)
{
    m_total = m_left = std::min(bytes, m_in.Remaining());
    m_p = m_end = m_block.get();
    m_mirror = mirror;
}

bool CTiffStripSource::Refill()
{
    if (m_left == 0)
        return false;
    const int64_t part = std::min(m_left, kStripBlock);
    m_in.Bytes(m_block.get(), part);
    if (m_mirror)
        for (int64_t i = 0; i < part; ++i)
            m_block[i] = kMirror.bytes[m_block[i]];
    m_left -= part;
    m_p = m_block.get();
    m_end = m_p + part;
    return true;
}

void CTiffStripSource::Bytes(uint8_t* out, int64_t n)
{
    while (n > 0) {
        if (m_p == m_end) {
            // Long uncompressed rows go straight from the stream.
            if (n >= kStripBlock && n <= m_left) {
                m_in.Bytes(out, n);
                if (m_mirror)
                    for (int64_t i = 0; i < n; ++i)
                        out[i] = kMirror.bytes[out[i]];
                m_left -= n;
                return;
            }
            if (!Refill())
                ThrowTiffReadFailed();
        }
        const int64_t part = std::min<int64_t>(n, m_end - m_p);
        std::memcpy(out, m_p, size_t(part));
        m_p += part;
        out += part;
        n -= part;
    }
}

void CTiffStripSource::Skip(int64_t n)
{
    while (n > 0) {
        if (m_p == m_end && !Refill())
            ThrowTiffReadFailed();
        const int64_t part = std::min<int64_t>(n, m_end - m_p);
        m_p += part;
        n -= part;
    }
}

// --------------------------------------------------------------------- LZW --

void CTiffLzwDecoder::ResetTable()
{
    m_next = kLzwFirstFree;
    m_width = kLzwMinWidth;
    m_previous = -1;
}

void CTiffLzwDecoder::BeginStrip()
{
    if (!m_tableReady) {
        for (int i = 0; i < 256; ++i)
            m_table[i] = {0, 1, uint8_t(i), uint8_t(i)};
        m_tableReady = true;
    }
    ResetTable();
    m_waiting = m_waitingAt = 0;
    m_accumulator = 0;
    m_bits = 0;
}

int CTiffLzwDecoder::ReadCode(CTiffStripSource& source)
{
    if (m_bits < m_width) {
        if (const uint8_t* p = source.Contiguous(2)) {
            m_accumulator = m_accumulator << 16 | uint32_t(p[0]) << 8 | p[1];
            m_bits += 16;
        }
    }
    while (m_bits < m_width) {
        const int b = source.Next();
        if (b < 0)
            return -1;
        m_accumulator = m_accumulator << 8 | uint32_t(b);
        m_bits += 8;
    }
    m_bits -= m_width;
    return int((m_accumulator >> m_bits) & ((1u << m_width) - 1));
}

void CTiffLzwDecoder::DecodeRow(CTiffStripSource& source, uint8_t* row, int64_t n)
{
    int64_t pos = 0;
    if (m_waiting > 0) {
        const int take = int(std::min<int64_t>(m_waiting, n));
        std::memcpy(row, m_string + m_waitingAt, size_t(take));
        m_waitingAt += take;
        m_waiting -= take;
        pos = take;
    }
    while (pos < n) {
        const int code = ReadCode(source);
        // The end of the data or of the information before the row is full.
        if (code < 0 || code == kLzwEnd)
            ThrowTiffReadFailed();
        if (code == kLzwClear) {
            ResetTable();
            continue;
        }
        if (m_previous < 0) {
            // After a Clear (or at the strip's start) only a literal can come.
            if (code >= 256)
                ThrowTiffReadFailed();
            row[pos++] = uint8_t(code);
            m_previous = code;
            continue;
        }
        if (code > m_next || (code == m_next && m_next >= kTableSize))
            ThrowTiffReadFailed();
        if (m_next < kTableSize) {
            const Entry& previous = m_table[m_previous];
            const uint8_t first = code == m_next ? previous.first : m_table[code].first;
            m_table[m_next] = {uint16_t(m_previous), uint16_t(previous.length + 1), first, previous.first};
            ++m_next;
            // Early change: the width grows one code before the table needs it.
            if (m_next + 1 >= (1 << m_width) && m_width < kLzwMaxWidth)
                ++m_width;
        }
        m_previous = code;

        const int length = m_table[code].length;
        uint8_t* out;
        if (length <= n - pos) {
            out = row + pos;
        } else {
            out = m_string;
        }
        int c = code;
        for (int i = length - 1; i > 0; --i) {
            out[i] = m_table[c].suffix;
            c = m_table[c].prefix;
        }
        out[0] = uint8_t(c);
        if (out == m_string) {
            const int64_t take = n - pos;
            std::memcpy(row + pos, m_string, size_t(take));
            m_waitingAt = int(take);
            m_waiting = length - int(take);
            pos = n;
        } else {
            pos += length;
        }
    }
}

// ---------------------------------------------------------------- PackBits --

void DecodePackBitsRow(CTiffStripSource& source, uint8_t* row, int64_t n)
{
    int64_t pos = 0;
    while (pos < n) {
        const int h = source.Next();
        if (h < 0)
            ThrowTiffReadFailed();
        const int header = int(int8_t(h));
        if (header == -128)
            continue;
        if (header >= 0 && pos + header + 1 <= n) {
            // A literal run inside the row and inside the block: one copy.
            if (const uint8_t* p = source.Contiguous(header + 1)) {
                std::memcpy(row + pos, p, size_t(header + 1));
                pos += header + 1;
                continue;
            }
        }
        if (header < 0) {
            const int b = source.Next();
            if (b < 0)
                ThrowTiffReadFailed();
            const int64_t count = std::min<int64_t>(1 - header, n - pos);
            std::memset(row + pos, b, size_t(count));
            pos += count;
        } else {
            const int64_t count = header + 1;
            const int64_t take = std::min(count, n - pos);
            source.Bytes(row + pos, take);
            source.Skip(count - take);
            pos += take;
        }
    }
}
