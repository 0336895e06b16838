// The text counterpart of CReadCursor: byte, number and line reads over a
// CBufferedStream for the text image formats, through a block buffer of its
// own so that per-character parsing costs no stream call. Numbers saturate
// instead of overflowing, lines have a cap, and the data ending where the
// format needs more throws the format's read error.
#pragma once

#include "graphics/formats/format_framework.h"
#include "system/buffered_stream.h"

#include <cstdint>
#include <string>
#include <vector>

class CTextReader {
public:
    // Numbers with more digits read as this value, above every format limit.
    static constexpr int64_t kSaturated = int64_t(1) << 40;

    // Starts at the stream's current position; `readError` is thrown by the
    // Require... reads when the data ends.
    CTextReader(CBufferedStream& stream, FormatErrorThrower readError);

    // The next byte 0..255 without consuming it, -1 at the end of the data.
    int Peek()
    {
        if (m_next == m_end && !Refill()) return -1;
        return *m_next;
    }
    // The next byte, consumed; -1 at the end.
    int Get()
    {
        if (m_next == m_end && !Refill()) return -1;
        return *m_next++;
    }
    // As Get, but the end of the data throws the read error.
    uint8_t RequireByte();

    // Decimal digits from the position: -1 when no digit is there, else the
    // value, kSaturated when it is larger.
    int64_t Decimal();

    // One line without its terminator (CR, LF, CR LF or LF CR) into `line`;
    // false at the end of the data. A line longer than maxLength throws the
    // read error.
    bool Line(std::string& line, size_t maxLength);

    // Bytes consumed from the stream's position at construction on.
    int64_t Consumed() const { return m_consumed + (m_next - m_buffer.data()); }

    [[noreturn]] void ThrowRead() const;

private:
    bool Refill();

    CBufferedStream& m_stream;
    FormatErrorThrower m_readError;
    std::vector<uint8_t> m_buffer;
    const uint8_t* m_next;
    const uint8_t* m_end;
    int64_t m_consumed = 0;  // bytes of the blocks before the current one
};

// White space of the text formats: space, tab, CR, LF, vertical tab, form feed.
inline bool IsTextBlank(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool IsTextDigit(int c)
{
    return c >= '0' && c <= '9';
}
