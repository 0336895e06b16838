#include "graphics/formats/read_cursor.h"

#include "graphics/formats/byte_order.h"

#include <algorithm>
#include <cstring>
#include <limits>

// ------------------------------------------------------------ CReadLimits --

void CReadLimits::ThrowRead() const
{
    m_readError();
    // A thrower that returns is a programming fault; never read on.
    throw EGraphicsException("read error");
}

void CReadLimits::ThrowCorrupt() const
{
    m_corrupt();
    throw EGraphicsException("corrupt data");
}

int64_t CReadLimits::Product(std::initializer_list<int64_t> factors, int64_t max) const
{
    int64_t product = 1;
    for (const int64_t f : factors) {
        if (f < 0) ThrowCorrupt();
        if (f != 0 && product > max / f) ThrowCorrupt();
        product *= f;
    }
    if (product > max) ThrowCorrupt();
    return product;
}

// ------------------------------------------------------------ CReadCursor --

CReadCursor::CReadCursor(CBufferedStream& stream, FormatErrorThrower readError, FormatErrorThrower corrupt)
    : CReadLimits(readError, corrupt), m_stream(stream), m_length(stream.GetLength())
{
    if (m_length < 0) ThrowRead();
}

uint8_t CReadCursor::U8()
{
    const int v = m_stream.ReadU8();
    if (v < 0) ThrowRead();
    return uint8_t(v);
}

uint16_t CReadCursor::U16LE()
{
    const int v = m_stream.ReadU16();
    if (v < 0) ThrowRead();
    return uint16_t(v);
}

uint32_t CReadCursor::U32LE()
{
    const int64_t v = m_stream.ReadU32();
    if (v < 0) ThrowRead();
    return uint32_t(v);
}

uint16_t CReadCursor::U16BE()
{
    BYTE b[2];
    Bytes(b, 2);
    return uint16_t(b[0] << 8 | b[1]);
}

uint32_t CReadCursor::U32BE()
{
    BYTE b[4];
    Bytes(b, 4);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

void CReadCursor::Bytes(void* out, int64_t n)
{
    if (n < 0) ThrowCorrupt();
    BYTE* to = static_cast<BYTE*>(out);
    while (n > 0) {
        const int32_t part = int32_t(n < INT32_MAX ? n : INT32_MAX);
        if (m_stream.Read(to, part) != part) ThrowRead();
        to += part;
        n -= part;
    }
}

void CReadCursor::Skip(int64_t n)
{
    if (n < 0) ThrowCorrupt();
    if (!Fits(n)) ThrowRead();
    if (n > 0 && m_stream.Seek(int32_t(n), 1) < 0) ThrowRead();
}

int32_t CReadCursor::Look(const BYTE** data, int32_t n)
{
    const int32_t got = m_stream.Peek(0, data, n);
    if (got < 0) ThrowRead();
    return got;
}

int32_t CReadCursor::LookAhead(const BYTE** data, int64_t n)
{
    if (n <= 0)
        return 0;
    for (;;) {
        const int32_t want = int32_t(n < m_lookLimit ? n : m_lookLimit);
        const int32_t got = m_stream.Peek(0, data, want);
        if (got >= 0)
            return got;
        // Too large for a file stream's buffer: halve down to the least any
        // stream has.
        if (m_lookLimit <= CBufferedStream::kMinBufferSize)
            ThrowRead();
        m_lookLimit /= 2;
    }
}

int32_t CReadCursor::LookBuffered(const BYTE** data)
{
    const int32_t got = m_stream.PeekBuffered(data);
    if (got < 0) ThrowRead();
    return got;
}

void CReadCursor::Convert(uint8_t* out, int64_t n, int32_t unit, UnitConvertFn convert)
{
    if (n < 0 || unit <= 0 || n % unit != 0) ThrowCorrupt();
    while (n > 0) {
        const BYTE* data = nullptr;
        int32_t got = LookBuffered(&data);
        // A unit across the end of the buffer is made contiguous alone.
        if (got < unit && Look(&data, unit) < unit) ThrowRead();
        if (got < unit) got = unit;
        const int64_t bytes = std::min<int64_t>(got - got % unit, n);
        convert(data, out, int(bytes / unit));
        Skip(bytes);
        out += bytes;
        n -= bytes;
    }
}

int64_t CReadCursor::Position() const
{
    return m_stream.Tell();
}

int64_t CReadCursor::Remaining() const
{
    const int64_t left = m_length - Position();
    return left > 0 ? left : 0;
}

void CReadCursor::SeekTo(int64_t position)
{
    if (position < 0 || position > m_length) ThrowRead();
    if (m_stream.Seek(int32_t(position), 0) < 0) ThrowRead();
}

// ------------------------------------------------------------ CSpanCursor --

CSpanCursor::CSpanCursor(const void* data, int64_t size, FormatErrorThrower readError, FormatErrorThrower corrupt)
    : CReadLimits(readError, corrupt), m_data(static_cast<const uint8_t*>(data)), m_size(data && size > 0 ? size : 0)
{
}

uint16_t CSpanCursor::U16LE()
{
    return GetLe16(Take(2));
}

uint32_t CSpanCursor::U32LE()
{
    return GetLe32(Take(4));
}

void CSpanCursor::Bytes(void* out, int64_t n)
{
    const uint8_t* from = Take(n);
    if (n > 0) std::memcpy(out, from, size_t(n));
}

const uint8_t* CSpanCursor::Take(int64_t n)
{
    const uint8_t* at = BytesAt(m_position, n);
    m_position += n;
    return at;
}

CSpanCursor CSpanCursor::TakeSpan(int64_t n)
{
    const CSpanCursor span = SpanAt(m_position, n);
    m_position += n;
    return span;
}

uint16_t CSpanCursor::U16LEAt(int64_t offset) const
{
    return GetLe16(BytesAt(offset, 2));
}

uint32_t CSpanCursor::U32LEAt(int64_t offset) const
{
    return GetLe32(BytesAt(offset, 4));
}

const uint8_t* CSpanCursor::BytesAt(int64_t offset, int64_t n) const
{
    if (n < 0) ThrowCorrupt();
    if (!FitsAt(offset, n)) ThrowRead();
    return m_data + offset;
}

CSpanCursor CSpanCursor::SpanAt(int64_t offset, int64_t n) const
{
    CSpanCursor span = *this;
    span.m_data = BytesAt(offset, n);
    span.m_size = n;
    span.m_position = 0;
    return span;
}

void CSpanCursor::SeekTo(int64_t position)
{
    if (position < 0 || position > m_size) ThrowRead();
    m_position = position;
}
