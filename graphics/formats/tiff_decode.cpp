#include "graphics/formats/tiff_decode.h"

#include "graphics/formats/tiff_format.h"

#include <algorithm>
#include <cstring>

namespace {

// Mirrored strip data is copied in blocks of this size (other blocks are
// the stream's own memory), so memory stays at the image, one row and this
// block whatever a strip's byte count says.
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
    m_looked = 0;
    m_total = m_left = std::min(bytes, m_in.Remaining());
    m_p = m_end = m_block.get();
    m_mirror = mirror;
}

void CTiffStripSource::Release()
{
    if (m_looked > 0)
        m_in.Skip(m_looked);
    m_looked = 0;
}

bool CTiffStripSource::Refill()
{
    Release();
    if (m_left == 0)
        return false;
    if (m_mirror) {
        const int64_t part = std::min(m_left, kStripBlock);
        uint8_t* block = m_block.get();
        m_in.Bytes(block, part);
        for (int64_t i = 0; i < part; ++i)
            block[i] = kMirror.bytes[block[i]];
        m_p = block;
        m_end = block + part;
        m_left -= part;
        return true;
    }
    // What the stream holds in memory: nothing is moved to make more of
    // the strip contiguous.
    const BYTE* data = nullptr;
    const int64_t got = std::min<int64_t>(m_in.LookBuffered(&data), m_left);
    if (got <= 0)
        m_in.ThrowRead();
    m_looked = got;
    m_left -= got;
    m_p = data;
    m_end = data + got;
    return true;
}

void CTiffStripSource::Convert(uint8_t* out, int64_t n, int32_t unit, CReadCursor::UnitConvertFn convert)
{
    while (n > 0) {
        if (m_p == m_end) {
            // Rows past the current block go straight from the stream.
            if (!m_mirror && n <= m_left) {
                Release();
                m_in.Convert(out, n, unit, convert);
                m_left -= n;
                return;
            }
            if (!Refill())
                ThrowTiffReadFailed();
        }
        const int64_t whole = std::min<int64_t>(n, (m_end - m_p) / unit * unit);
        if (whole > 0) {
            convert(m_p, out, int(whole / unit));
            m_p += whole;
            out += whole;
            n -= whole;
            continue;
        }
        // A unit across the block's end.
        uint8_t one[kMaxConvertUnit];
        Bytes(one, unit);
        convert(one, out, 1);
        out += unit;
        n -= unit;
    }
}

void CTiffStripSource::Bytes(uint8_t* out, int64_t n)
{
    while (n > 0) {
        if (m_p == m_end) {
            // Long uncompressed rows go straight from the stream.
            if (n >= kStripBlock && n <= m_left) {
                Release();
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

namespace {

// Copies a string that lies wholly before `to` in 8-byte steps; the last
// step may write up to 7 bytes past the string. A step may overlap the
// bytes it writes (a string ending less than 8 bytes before `to`), so it
// moves rather than copies; the string's own bytes are never written over.
inline void CopyEarlierString(uint8_t* to, const uint8_t* from, int length)
{
    for (int i = 0; i < length; i += 8)
        std::memmove(to + i, from + i, 8);
}

// PackBits runs are at most 128 bytes. A literal run is copied as 128
// bytes whatever its length (the bytes past it are written over by the runs
// that follow): no branch on the length, which varies from run to run. Fills
// go in steps of 16 bytes, passing the run's end by up to 15.
constexpr int kRunStep = 16;
constexpr int64_t kLongestRun = 128;

inline void CopyLongestRun(uint8_t* to, const uint8_t* from)
{
    for (int64_t i = 0; i < kLongestRun; i += kRunStep)
        std::memcpy(to + i, from + i, kRunStep);
}

inline void FillRun(uint8_t* to, uint8_t value, int64_t count)
{
    uint8_t step[kRunStep];
    std::memset(step, value, kRunStep);
    for (int64_t i = 0; i < count; i += kRunStep)
        std::memcpy(to + i, step, kRunStep);
}

}  // namespace

void CTiffLzwDecoder::BeginStrip()
{
    if (!m_tableReady) {
        for (int i = 0; i < 256; ++i)
            m_table[i] = {0, 1, uint8_t(i), uint8_t(i)};
        m_tableReady = true;
    }
    m_next = kLzwFirstFree;
    m_width = kLzwMinWidth;
    m_previous = -1;
    m_previousAt = 0;
    m_rowAt = 0;
    m_waiting = m_waitingAt = 0;
    m_accumulator = 0;
    m_bits = 0;
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
    // The state lives in locals for the row: the compiler would otherwise
    // reload the members after every byte stored through the row pointer.
    Entry* const table = m_table;
    int64_t* const at = m_at;
    const int64_t rowAt = m_rowAt;
    uint32_t accumulator = m_accumulator;
    int bits = m_bits;
    int width = m_width;
    int next = m_next;
    int previous = m_previous;
    int64_t previousAt = m_previousAt;
    const uint8_t* p = source.Cursor();
    const uint8_t* end = source.BlockEnd();

    while (pos < n) {
        // Codes come 16 bits at a time while the block holds two bytes,
        // else byte by byte across blocks.
        if (bits < width) {
            if (end - p >= 2) {
                accumulator = accumulator << 16 | uint32_t(p[0]) << 8 | p[1];
                p += 2;
                bits += 16;
            } else {
                source.MoveTo(p);
                do {
                    const int b = source.Next();
                    // The end of the data before the row is full.
                    if (b < 0)
                        ThrowTiffReadFailed();
                    accumulator = accumulator << 8 | uint32_t(b);
                    bits += 8;
                } while (bits < width);
                p = source.Cursor();
                end = source.BlockEnd();
            }
        }
        bits -= width;
        const int code = int((accumulator >> bits) & ((1u << width) - 1));

        // The end of the information before the row is full.
        if (code == kLzwEnd)
            ThrowTiffReadFailed();
        if (code == kLzwClear) {
            next = kLzwFirstFree;
            width = kLzwMinWidth;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            // After a Clear (or at the strip's start) only a literal can come.
            if (code >= 256)
                ThrowTiffReadFailed();
            previousAt = rowAt + pos;
            row[pos++] = uint8_t(code);
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= kTableSize))
            ThrowTiffReadFailed();
        const bool repeatsPrevious = code == next;  // the string the previous code makes plus its first byte
        if (next < kTableSize) {
            const Entry& before = table[previous];
            const uint8_t first = repeatsPrevious ? before.first : table[code].first;
            table[next] = {uint16_t(previous), uint16_t(before.length + 1), first, before.first};
            at[next] = previousAt;
            ++next;
            // Early change: the width grows one code before the table needs it.
            if (next + 1 >= (1 << width) && width < kLzwMaxWidth)
                ++width;
        }
        previous = code;
        previousAt = rowAt + pos;

        if (code < 256 && pos < n) {
            row[pos++] = uint8_t(code);
            continue;
        }
        const int length = table[code].length;
        if (length <= n - pos) {
            uint8_t* out = row + pos;
            const int64_t seen = at[code] - rowAt;
            if (seen >= 0) {
                // The string lies earlier in this row; the newest entry's
                // string ends with the byte it is about to write.
                const uint8_t* from = row + seen;
                if (repeatsPrevious) {
                    CopyEarlierString(out, from, length - 1);
                    out[length - 1] = from[0];
                } else {
                    CopyEarlierString(out, from, length);
                }
            } else {
                int c = code;
                for (int i = length - 1; i > 0; --i) {
                    out[i] = table[c].suffix;
                    c = table[c].prefix;
                }
                out[0] = uint8_t(c);
            }
            pos += length;
            continue;
        }
        // Longer than the rest of the row: the remainder waits.
        int c = code;
        for (int i = length - 1; i > 0; --i) {
            m_string[i] = table[c].suffix;
            c = table[c].prefix;
        }
        m_string[0] = uint8_t(c);
        const int64_t take = n - pos;
        std::memcpy(row + pos, m_string, size_t(take));
        m_waitingAt = int(take);
        m_waiting = length - int(take);
        pos = n;
    }

    source.MoveTo(p);
    m_accumulator = accumulator;
    m_bits = bits;
    m_width = width;
    m_next = next;
    m_previous = previous;
    m_previousAt = previousAt;
    m_rowAt = rowAt + n;
}

// ---------------------------------------------------------------- PackBits --

void DecodePackBitsRow(CTiffStripSource& source, uint8_t* row, int64_t n)
{
    const uint8_t* p = source.Cursor();
    const uint8_t* end = source.BlockEnd();
    // The next byte of the strip, refilling at a block's end.
    const auto next = [&]() -> int {
        if (p == end) {
            source.MoveTo(p);
            if (!source.Refill())
                ThrowTiffReadFailed();
            p = source.Cursor();
            end = source.BlockEnd();
        }
        return *p++;
    };
    int64_t pos = 0;
    while (pos < n) {
        const int header = int(int8_t(next()));
        if (header == -128)
            continue;
        if (header < 0) {
            const int b = next();
            const int64_t count = std::min<int64_t>(1 - header, n - pos);
            FillRun(row + pos, uint8_t(b), count);
            pos += count;
            continue;
        }
        const int64_t count = header + 1;
        if (pos + count <= n && end - p >= count) {
            // A literal run inside the row and inside the block: one copy,
            // of the longest run while the block holds its bytes.
            if (end - p >= kLongestRun)
                CopyLongestRun(row + pos, p);
            else
                std::memcpy(row + pos, p, size_t(count));
            p += count;
            pos += count;
            continue;
        }
        const int64_t take = std::min(count, n - pos);
        source.MoveTo(p);
        source.Bytes(row + pos, take);
        source.Skip(count - take);
        p = source.Cursor();
        end = source.BlockEnd();
        pos += take;
    }
    source.MoveTo(p);
}
