#include "graphics/formats/xpm_reader.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/formats/text_reader.h"
#include "graphics/formats/xpm_colour_names.h"
#include "graphics/image.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace {

constexpr char kReadError[] = "Fehler beim Lesen aus der Datei";
constexpr char kUnknownFormat[] = "Unbekantes Format";
constexpr char kColourFormat[] = "Nicht unterstütztes Farbformat";

[[noreturn]] void Fail(const char* text)
{
    throw EXpmError(text);
}

[[noreturn]] void ThrowReadError()
{
    Fail(kReadError);
}

}  // namespace

void XpmReaderErrors::OpenFailed()
{
    Fail("Fehler beim Öffnen der Datei");
}

namespace {

// The lines of the file with a position in the current one; comments
// ("/* */" also across lines, "//" to the line's end) count as blanks.
class CXpmScanner {
public:
    explicit CXpmScanner(CBufferedStream& stream) : m_text(stream, ThrowReadError) {}

    bool NextLine()
    {
        m_pos = 0;
        return m_text.Line(m_line, size_t(kReadMaxTextBytes));
    }
    int At(size_t i) const { return i < m_line.size() ? (unsigned char)m_line[i] : -1; }
    int Here() const { return At(m_pos); }
    bool Starts(const char* word) const { return m_line.compare(m_pos, std::strlen(word), word) == 0; }
    void SkipBlanks()
    {
        while (IsTextBlank(Here())) ++m_pos;
    }

    // Skips blanks and comments within the line; the next character or -1.
    int SkipFillInLine()
    {
        for (;;) {
            SkipBlanks();
            if (Starts("//")) m_pos = m_line.size();
            if (!Starts("/*")) return Here();
            const size_t close = m_line.find("*/", m_pos + 2);
            if (close == std::string::npos) {
                m_inComment = true;
                m_pos = m_line.size();
                return -1;
            }
            m_pos = close + 2;
        }
    }
    // As SkipFillInLine, across lines; -1 at the end of the data.
    int SkipFill()
    {
        for (;;) {
            if (m_inComment) {
                const size_t close = m_line.find("*/", m_pos);
                if (close == std::string::npos) {
                    if (!NextLine()) return -1;
                    continue;
                }
                m_inComment = false;
                m_pos = close + 2;
            }
            const int c = SkipFillInLine();
            if (c >= 0) return c;
            if (!m_inComment && !NextLine()) return -1;
        }
    }
    // The next line holding more than blanks and comments, positioned at its
    // first other character; false at the end of the data.
    bool NextContentLine()
    {
        if (!NextLine()) return false;
        return SkipFill() >= 0;
    }
    // Bytes taken from the stream so far, this line included.
    int64_t Consumed() const { return m_text.Consumed(); }
    // Decimal number after blanks within the line; -1 when none is there.
    int64_t Number()
    {
        SkipBlanks();
        if (!IsTextDigit(Here())) return -1;
        int64_t value = 0;
        for (; IsTextDigit(Here()); ++m_pos)
            value = std::min(value * 10 + (Here() - '0'), CTextReader::kSaturated);
        return value;
    }

    std::string m_line;
    size_t m_pos = 0;

private:
    CTextReader m_text;
    bool m_inComment = false;
};

int HexDigit(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A colour value: "None", # and 3, 6, 9 or 12 hexadecimal digits (each channel
// scaled to 8 bits), or a colour name.
uint32_t ParseColour(const char* value, size_t length)
{
    if (length == 4) {
        static const char kNone[] = "none";
        bool none = true;
        for (size_t i = 0; i < 4; ++i)
            none = none && (value[i] | 0x20) == kNone[i];
        if (none) return kXpmNone;
    }
    if (length > 0 && value[0] == '#') {
        const size_t digits = length - 1;
        if (digits == 0 || digits % 3 != 0 || digits > 12) Fail(kColourFormat);
        const size_t per = digits / 3;
        uint32_t colour = 0;
        for (size_t channel = 0; channel < 3; ++channel) {
            uint32_t v = 0;
            for (size_t i = 0; i < per; ++i) {
                const int d = HexDigit((unsigned char)value[1 + channel * per + i]);
                if (d < 0) Fail(kColourFormat);
                v = v << 4 | uint32_t(d);
            }
            const uint32_t max = (1u << (4 * per)) - 1;
            v = uint32_t((uint64_t(v) * 255 + max / 2) / max);
            colour = colour << 8 | v;
        }
        return colour;
    }
    const int64_t named = length > 0 && length < 64 ? FindXpmColourName(value, int(length)) : -1;
    if (named < 0) Fail(kColourFormat);
    return uint32_t(named);
}

// The colour of one colour line's pairs after the key: c before g before g4
// before m; s names nothing.
uint32_t ParsePairs(const std::string& line, size_t pos, size_t end)
{
    static const char* const kTypes[] = {"c", "g", "g4", "m", "s"};
    constexpr int kSymbolic = 4;
    int best = kSymbolic;
    uint32_t colour = 0;
    auto token = [&](size_t& from, size_t& length) {
        while (from < end && IsTextBlank((unsigned char)line[from])) ++from;
        length = 0;
        while (from + length < end && !IsTextBlank((unsigned char)line[from + length])) ++length;
        return length > 0;
    };
    size_t typeLength = 0, valueLength = 0;
    while (token(pos, typeLength)) {
        int type = 0;
        while (type <= kSymbolic && line.compare(pos, typeLength, kTypes[type]) != 0) ++type;
        if (type > kSymbolic) Fail(kColourFormat);
        pos += typeLength;
        if (!token(pos, valueLength)) Fail(kColourFormat);
        if (type < best) {
            colour = ParseColour(line.data() + pos, valueLength);
            best = type;
        }
        pos += valueLength;
    }
    if (best == kSymbolic) Fail(kColourFormat);
    return colour;
}

// Key -> colour index + 1: a direct table for keys of one or two
// characters, a hash table for longer ones. The first colour of a key wins.
class CKeyTable {
public:
    explicit CKeyTable(int keyLength) : m_keyLength(keyLength), m_direct(keyLength <= 2 ? 65536 : 0) {}
    static uint32_t Key(const char* p, int length)
    {
        uint32_t key = 0;
        for (int i = 0; i < length; ++i)
            key |= uint32_t((unsigned char)p[i]) << (8 * i);
        return key;
    }
    void Add(uint32_t key, uint16_t index)
    {
        if (!m_direct.empty()) {
            if (!m_direct[key]) m_direct[key] = uint16_t(index + 1);
        } else {
            m_hashed.emplace(key, uint16_t(index + 1));
        }
    }
    int KeyLength() const { return m_keyLength; }
    // index + 1, 0 for no colour.
    uint32_t Find(const char* p) const
    {
        const uint32_t key = Key(p, m_keyLength);
        if (!m_direct.empty()) return m_direct[key];
        const auto it = m_hashed.find(key);
        return it == m_hashed.end() ? 0 : it->second;
    }

private:
    int m_keyLength;
    std::vector<uint16_t> m_direct;
    std::unordered_map<uint32_t, uint16_t> m_hashed;
};

// Opening comment, declaration and "{", each as the format has them.
void ReadPreamble(CXpmScanner& in)
{
    do {
        if (!in.NextLine()) Fail(kReadError);
        in.SkipBlanks();
    } while (in.Here() < 0 || in.Here() == '#');
    if (in.Starts("/*")) {
        in.m_pos += 2;
        in.SkipBlanks();
        if (!in.Starts("XPM")) Fail(kUnknownFormat);
        in.m_pos += 3;
        in.SkipBlanks();
        if (!in.Starts("*/")) Fail(kUnknownFormat);
        in.m_pos += 2;
    }
    for (int c = in.SkipFill(); c != '='; c = in.SkipFill()) {
        if (c < 0) Fail(kUnknownFormat);
        ++in.m_pos;
    }
    ++in.m_pos;
    if (in.SkipFill() != '{') Fail(kUnknownFormat);
    ++in.m_pos;
}

// The pixel rows from row y on; y is the row being read when this throws.
void ReadRows(CXpmScanner& in, CGraphicsImage& image, const CKeyTable& keys, const std::vector<uint32_t>& colours,
              CFormatInfo& info, int64_t& y)
{
    const int64_t width = image.m_nWidth, height = image.m_nHeight;
    const bool palette = image.m_nBitCount == 8;
    const int k = keys.KeyLength();
    for (; y < height; ++y) {
        if (!in.NextContentLine()) Fail(kReadError);
        if (in.Here() != '"') Fail("Fehler in der Datei");
        const char* p = in.m_line.data() + in.m_pos + 1;
        const char* end = in.m_line.data() + in.m_line.size();
        uint8_t* row = image.RowAt(int(y));
        int64_t x = 0;
        for (; x < width && end - p >= k; ++x, p += k) {
            const uint32_t found = keys.Find(p);
            if (!found) break;
            if (palette) {
                row[x] = uint8_t(found - 1);
            } else {
                const uint32_t colour = colours[found - 1];
                row[3 * x] = uint8_t(colour);
                row[3 * x + 1] = uint8_t(colour >> 8);
                row[3 * x + 2] = uint8_t(colour >> 16);
            }
        }
        // A row that ends early is 0 from there on.
        std::memset(row + x * (palette ? 1 : 3), 0, size_t(image.m_nStride - x * (palette ? 1 : 3)));
        ReportFormatProgress(info, int(y * 99 / height));
    }
}

}  // namespace

void CXpmReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    m_colours.clear();
    const CReadCursor data(stream, ThrowReadError, ThrowReadError);
    const int64_t start = data.Position();
    CXpmScanner in(stream);
    ReadPreamble(in);
    if (in.SkipFill() != '"') Fail(kUnknownFormat);
    ++in.m_pos;
    const int64_t width = in.Number(), height = in.Number(), count = in.Number(), keyLength = in.Number();
    if (width < 1 || width > kXpmMaxSide || height < 1 || height > kXpmMaxSide) Fail(kUnknownFormat);
    if (count < 1 || count > kXpmMaxColours) Fail("Zu viele Farben definiert");
    if (keyLength < 1 || keyLength > 4) Fail(kUnknownFormat);
    const int k = int(keyLength);

    CKeyTable keys(k);
    while (int64_t(m_colours.size()) < count) {
        if (!in.NextContentLine()) Fail("Zu wenige Farben definiert");
        if (in.Here() != '"') continue;
        const size_t start = in.m_pos + 1;
        size_t end = in.m_line.find('"', start);
        if (end == std::string::npos) end = in.m_line.size();
        if (end - start < size_t(k)) Fail(kColourFormat);
        keys.Add(CKeyTable::Key(in.m_line.data() + start, k), uint16_t(m_colours.size()));
        m_colours.push_back(ParsePairs(in.m_line, start + size_t(k), end));
    }

    // Each row holds at least width x k characters: a claim the data left
    // cannot hold is refused before the image is made, as a file cut short.
    if (data.Length() - start - in.Consumed() < width * k * height) Fail(kReadError);

    const bool palette = count <= 256;
    if (!image.Create(palette ? 8 : 24, uint32_t(width), uint32_t(height), CGraphicsImage::NO_FILL))
        ThrowCreateError(image.m_nError);
    if (palette)
        for (size_t i = 0; i < m_colours.size(); ++i)
            image.SetPaletteEntry(uint32_t(i), m_colours[i]);

    int64_t y = 0;
    try {
        ReadRows(in, image, keys, m_colours, m_info, y);
    } catch (...) {
        // Rows never reached are 0, as the image was made without a fill.
        for (; y < height; ++y) std::memset(image.RowAt(int(y)), 0, image.m_nStride);
        throw;
    }
    Progress(100);
}

