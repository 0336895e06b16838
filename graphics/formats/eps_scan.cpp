#include "graphics/formats/eps_scan.h"

#include <algorithm>

namespace {

// Characters are looked at in blocks of this size (the stream's buffer).
constexpr int32_t kScanBlock = 32768;
constexpr int8_t kSpace = -2;
constexpr int8_t kOther = -1;

struct HexTable {
    int8_t value[256];
    constexpr HexTable() : value()
    {
        for (int i = 0; i < 256; ++i)
            value[i] = kOther;
        for (int i = 0; i < 10; ++i)
            value['0' + i] = int8_t(i);
        for (int i = 0; i < 6; ++i)
            value['a' + i] = value['A' + i] = int8_t(10 + i);
        for (const uint8_t c : {' ', '\t', '\r', '\n'})
            value[c] = kSpace;
    }
};
constexpr HexTable kHex;

bool IsSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

CEpsScanner::CEpsScanner(CReadCursor& in, int64_t end)
    : m_in(in), m_end(std::min(end, in.Length())), m_base(in.Position())
{
}

void CEpsScanner::MoveTo(int64_t position)
{
    m_base = std::min(position, m_end);
    m_block = m_p = m_q = nullptr;
    m_highNibble = -1;
}

bool CEpsScanner::Fill()
{
    const int64_t at = Position();
    if (at >= m_end)
        return false;
    m_in.SeekTo(at);
    const uint8_t* data = nullptr;
    const int32_t want = int32_t(std::min<int64_t>(kScanBlock, m_end - at));
    const int32_t got = m_in.Look(&data, want);
    if (got <= 0)
        return false;
    m_base = at;
    m_block = m_p = data;
    m_q = data + got;
    return true;
}

bool CEpsScanner::Line(std::string* text, size_t keep)
{
    text->clear();
    int c = Get();
    if (c < 0)
        return false;
    while (c >= 0 && c != '\r' && c != '\n') {
        if (text->size() < keep)
            text->push_back(char(c));
        c = Get();
    }
    while ((c = Peek()) == '\r' || c == '\n')
        ++m_p;
    return true;
}

void CEpsScanner::SkipSpace()
{
    while (IsSpace(Peek()))
        ++m_p;
}

bool CEpsScanner::Unsigned(int64_t* value, int64_t max)
{
    int c = Peek();
    if (c < '0' || c > '9')
        return false;
    int64_t v = 0;
    while ((c = Peek()) >= '0' && c <= '9') {
        v = v * 10 + (c - '0');
        if (v > max)
            return false;
        ++m_p;
    }
    *value = v;
    return true;
}

bool CEpsScanner::Word(const char* word)
{
    const int64_t mark = Position();
    for (const char* w = word; *w; ++w)
        if (Get() != static_cast<unsigned char>(*w)) {
            MoveTo(mark);
            return false;
        }
    return true;
}

int64_t CEpsScanner::Hex(uint8_t* out, int64_t n)
{
    int64_t made = 0;
    while (made < n) {
        if (m_p == m_q && !Fill())
            break;
        const uint8_t* p = m_p;
        const uint8_t* q = m_q;
        int high = m_highNibble;
        while (p < q && made < n) {
            const int v = kHex.value[*p++];
            if (v < 0) {
                if (v == kSpace)
                    continue;
                m_p = p;
                m_in.ThrowCorrupt();
            }
            if (high < 0) {
                high = v;
            } else {
                out[made++] = uint8_t(high << 4 | v);
                high = -1;
            }
        }
        m_p = p;
        m_highNibble = high;
    }
    return made;
}
