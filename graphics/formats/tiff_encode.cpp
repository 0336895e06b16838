#include "graphics/formats/tiff_encode.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kLzwClear = 256;
constexpr int kLzwEnd = 257;
constexpr int kLzwFirstFree = 258;
constexpr int kLzwMinWidth = 9;
// The table is cleared when the next code would be 4094, as TIFF readers
// expect: a decoder one code behind never passes 4096 entries.
constexpr int kLzwLastCode = 4093;
constexpr uint32_t kEmpty = 0xFFFFFFFF;  // its key part is no prefix-and-byte pair
constexpr int kKeyShift = 12;
constexpr uint32_t kCodeMask = (1u << kKeyShift) - 1;
constexpr uint32_t kHashMask = CTiffLzwEncoder::kHashSize - 1;
constexpr int kPackBitsMaxRun = 128;
// Room for one row's codes: at most one code of 12 bits per byte, a Clear
// now and then, the end code and the last byte.
constexpr size_t kLzwSpare = 16;

// Writes codes MSB first through a pointer; the state is the caller's.
struct CodeWriter {
    uint8_t* out;
    uint32_t accumulator;
    int bits;

    void Put(uint32_t code, int width)
    {
        accumulator = accumulator << width | code;
        bits += width;
        while (bits >= 8) {
            bits -= 8;
            *out++ = uint8_t(accumulator >> bits);
        }
    }
};

// Counts one more code and widens as a decoder will when it meets the same
// code; at the table's end writes a Clear instead and returns true: the
// table starts over.
inline bool CountCode(int& next, int& width, int& limit, CodeWriter& w)
{
    const int code = next++;
    if (code < limit)
        return false;
    if (code >= kLzwLastCode) {
        w.Put(kLzwClear, width);
        return true;
    }
    ++width;
    limit = std::min((1 << width) - 1, kLzwLastCode);
    return false;
}

}  // namespace

uint8_t* CTiffStripBuffer::Room(size_t n)
{
    if (m_capacity - m_size < n) {
        const size_t capacity = std::max(m_size + n, 2 * m_capacity);
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[capacity]);
        if (m_size)
            std::memcpy(bytes.get(), m_bytes.get(), m_size);
        m_bytes = std::move(bytes);
        m_capacity = capacity;
    }
    return m_bytes.get() + m_size;
}

void CTiffLzwEncoder::ResetTable()
{
    std::fill(std::begin(m_slots), std::end(m_slots), kEmpty);
    m_next = kLzwFirstFree;
    m_width = kLzwMinWidth;
    m_limit = (1 << kLzwMinWidth) - 1;
}

void CTiffLzwEncoder::BeginStrip(CTiffStripBuffer& out)
{
    m_prefix = -1;
    ResetTable();
    CodeWriter w{out.Room(kLzwSpare), 0, 0};
    w.Put(kLzwClear, m_width);
    out.EndAt(w.out);
    m_accumulator = w.accumulator;
    m_bits = w.bits;
}

void CTiffLzwEncoder::EncodeRow(const uint8_t* row, int64_t n, CTiffStripBuffer& out)
{
    int64_t i = 0;
    if (m_prefix < 0 && n > 0)
        m_prefix = row[i++];
    if (i >= n)
        return;
    // The state lives in locals for the row, the table and the output
    // behind plain pointers.
    CodeWriter w{out.Room(size_t(2 * (n - i)) + kLzwSpare), m_accumulator, m_bits};
    uint32_t* const slots = m_slots;
    uint32_t prefix = uint32_t(m_prefix);
    int next = m_next, width = m_width, limit = m_limit;
    for (; i < n; ++i) {
        const uint32_t byte = row[i];
        const uint32_t key = prefix << 8 | byte;
        // Distinct bytes after one prefix never share a first slot; the
        // prefix times 5 spreads neighbouring codes (a plain xor of the
        // prefix left six times the collisions on map pictures).
        uint32_t h = ((byte << (kHashBits - 8)) ^ (prefix * 5)) & kHashMask;
        uint32_t slot = slots[h];
        while (slot >> kKeyShift != key && slot != kEmpty) {
            h = (h + 1) & kHashMask;
            slot = slots[h];
        }
        if (slot != kEmpty) {
            prefix = slot & kCodeMask;
            continue;
        }
        w.Put(prefix, width);
        slots[h] = key << kKeyShift | uint32_t(next);
        if (CountCode(next, width, limit, w)) {
            ResetTable();
            next = m_next;
            width = m_width;
            limit = m_limit;
        }
        prefix = byte;
    }
    out.EndAt(w.out);
    m_accumulator = w.accumulator;
    m_bits = w.bits;
    m_prefix = int(prefix);
    m_next = next;
    m_width = width;
    m_limit = limit;
}

void CTiffLzwEncoder::EndStrip(CTiffStripBuffer& out)
{
    CodeWriter w{out.Room(kLzwSpare), m_accumulator, m_bits};
    if (m_prefix >= 0) {
        w.Put(uint32_t(m_prefix), m_width);
        // A decoder enters a string for this code too, which may widen the
        // end code that follows.
        if (CountCode(m_next, m_width, m_limit, w))
            ResetTable();
        m_prefix = -1;
    }
    w.Put(kLzwEnd, m_width);
    if (w.bits > 0)
        *w.out++ = uint8_t(w.accumulator << (8 - w.bits));
    out.EndAt(w.out);
    m_accumulator = 0;
    m_bits = 0;
}

void EncodePackBitsRow(const uint8_t* row, int64_t n, CTiffStripBuffer& out)
{
    // No run gives more than two bytes per byte.
    uint8_t* o = out.Room(size_t(2 * n + 2));
    int64_t i = 0;
    while (i < n) {
        int64_t differ = 0;
        while (i + differ + 1 < n && row[i + differ] != row[i + differ + 1])
            ++differ;
        if (differ > 0) {
            while (differ > 0) {
                const int64_t part = std::min<int64_t>(differ, kPackBitsMaxRun);
                *o++ = uint8_t(part - 1);
                std::memcpy(o, row + i, size_t(part));
                o += part;
                i += part;
                differ -= part;
            }
            continue;
        }
        int64_t equal = 1;
        while (i + equal < n && equal < kPackBitsMaxRun && row[i + equal] == row[i])
            ++equal;
        *o++ = uint8_t(int8_t(1 - equal));
        *o++ = row[i];
        i += equal;
    }
    out.EndAt(o);
}
