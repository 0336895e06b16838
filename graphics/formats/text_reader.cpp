#include "graphics/formats/text_reader.h"

namespace {
constexpr int32_t kBlockSize = 65536;
}  // namespace

CTextReader::CTextReader(CBufferedStream& stream, FormatErrorThrower readError)
    : m_stream(stream), m_readError(readError), m_buffer(kBlockSize)
{
    m_next = m_end = m_buffer.data();
}

void CTextReader::ThrowRead() const
{
    m_readError();
    throw EGraphicsException("read error");
}

bool CTextReader::Refill()
{
    m_consumed += m_end - m_buffer.data();
    const int32_t got = m_stream.Read(m_buffer.data(), kBlockSize);
    m_next = m_buffer.data();
    m_end = m_next + (got > 0 ? got : 0);
    return got > 0;
}

uint8_t CTextReader::RequireByte()
{
    const int c = Get();
    if (c < 0) ThrowRead();
    return uint8_t(c);
}

int64_t CTextReader::Decimal()
{
    if (!IsTextDigit(Peek())) return -1;
    int64_t value = 0;
    for (int c = Peek(); IsTextDigit(c); c = Peek()) {
        value = value * 10 + (c - '0');
        if (value > kSaturated) value = kSaturated;
        ++m_next;
    }
    return value;
}

bool CTextReader::Line(std::string& line, size_t maxLength)
{
    line.clear();
    if (Peek() < 0) return false;
    for (;;) {
        if (m_next == m_end && !Refill()) return true;
        const uint8_t* stop = m_next;
        while (stop < m_end && *stop != '\n' && *stop != '\r') ++stop;
        if (line.size() + size_t(stop - m_next) > maxLength) ThrowRead();
        line.append(reinterpret_cast<const char*>(m_next), size_t(stop - m_next));
        m_next = stop;
        if (stop < m_end) break;
    }
    const int first = Get();
    const int second = Peek();
    if ((second == '\n' || second == '\r') && second != first) ++m_next;
    return true;
}
