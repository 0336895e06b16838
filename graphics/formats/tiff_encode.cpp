#include "graphics/formats/tiff_encode.h"

#include <algorithm>

namespace {

constexpr int kLzwClear = 256;
constexpr int kLzwEnd = 257;
constexpr int kLzwFirstFree = 258;
constexpr int kLzwMinWidth = 9;
// The table is cleared when the next code would be 4094, as TIFF readers
// expect: a decoder one code behind never passes 4096 entries.
constexpr int kLzwLastCode = 4093;
constexpr int kHashStep = 2039;
constexpr uint32_t kEmpty = 0xFFFFFFFF;
constexpr int kPackBitsMaxRun = 128;

}  // namespace

void CTiffLzwEncoder::ResetTable()
{
    std::fill(std::begin(m_keys), std::end(m_keys), kEmpty);
    m_next = kLzwFirstFree;
    m_width = kLzwMinWidth;
    m_limit = (1 << kLzwMinWidth) - 1;
}

void CTiffLzwEncoder::Put(int code, std::vector<uint8_t>& out)
{
    m_accumulator = m_accumulator << m_width | uint32_t(code);
    m_bits += m_width;
    while (m_bits >= 8) {
        m_bits -= 8;
        out.push_back(uint8_t(m_accumulator >> m_bits));
    }
}

void CTiffLzwEncoder::Advance(std::vector<uint8_t>& out)
{
    const int code = m_next++;
    if (code < m_limit)
        return;
    if (code >= kLzwLastCode) {
        Put(kLzwClear, out);
        ResetTable();
        return;
    }
    ++m_width;
    m_limit = std::min((1 << m_width) - 1, kLzwLastCode);
}

void CTiffLzwEncoder::BeginStrip(std::vector<uint8_t>& out)
{
    m_prefix = -1;
    m_accumulator = 0;
    m_bits = 0;
    ResetTable();
    Put(kLzwClear, out);
}

void CTiffLzwEncoder::EncodeRow(const uint8_t* row, int64_t n, std::vector<uint8_t>& out)
{
    int64_t i = 0;
    if (m_prefix < 0 && n > 0)
        m_prefix = row[i++];
    for (; i < n; ++i) {
        const uint32_t byte = row[i];
        const uint32_t key = uint32_t(m_prefix) << 8 | byte;
        int h = int(((byte << 8) ^ uint32_t(m_prefix)) % kHashSize);
        bool found = false;
        while (m_keys[h] != kEmpty) {
            if (m_keys[h] == key) {
                m_prefix = m_codes[h];
                found = true;
                break;
            }
            h += kHashStep;
            if (h >= kHashSize)
                h -= kHashSize;
        }
        if (found)
            continue;
        Put(m_prefix, out);
        m_keys[h] = key;
        m_codes[h] = uint16_t(m_next);
        Advance(out);
        m_prefix = int(byte);
    }
}

void CTiffLzwEncoder::EndStrip(std::vector<uint8_t>& out)
{
    if (m_prefix >= 0) {
        Put(m_prefix, out);
        // A decoder enters a string for this code too, which may widen the
        // end code that follows.
        Advance(out);
        m_prefix = -1;
    }
    Put(kLzwEnd, out);
    if (m_bits > 0)
        out.push_back(uint8_t(m_accumulator << (8 - m_bits)));
    m_bits = 0;
}

void EncodePackBitsRow(const uint8_t* row, int64_t n, std::vector<uint8_t>& out)
{
    int64_t i = 0;
    while (i < n) {
        int64_t differ = 0;
        while (i + differ + 1 < n && row[i + differ] != row[i + differ + 1])
            ++differ;
        if (differ > 0) {
            while (differ > 0) {
                const int64_t part = std::min<int64_t>(differ, kPackBitsMaxRun);
                out.push_back(uint8_t(part - 1));
                out.insert(out.end(), row + i, row + i + part);
                i += part;
                differ -= part;
            }
            continue;
        }
        int64_t equal = 1;
        while (i + equal < n && equal < kPackBitsMaxRun && row[i + equal] == row[i])
            ++equal;
        out.push_back(uint8_t(int8_t(1 - equal)));
        out.push_back(row[i]);
        i += equal;
    }
}
