// The bounded read cursor every image reader reads through.
//
// It wraps the reader's CBufferedStream and knows the stream's length, so a
// reader can refuse what cannot fit the data before it allocates, and every
// read that comes up short throws the format's own read error instead of
// returning a count the caller may forget to test. Limits that a header
// breaks (a width above the named limit, an entry count that does not fit
// what is left, a size product that overflows) throw the format's corrupt
// error.
//
// A reader names its two errors once:
//
//     void CXyzReader::Read(CBufferedStream& stream, CGraphicsImage& image)
//     {
//         CReadCursor in(stream, ThrowFormatError<EXyzFileReadError>,
//                        ThrowFormatError<EXyzCorruptFile>);
//         if (in.U32BE() != kXyzMagic) throw EXyzNotAXyzFile();
//         const uint32_t width = in.Limit(in.U32BE(), 1, kReadMaxSide);
//         const uint32_t height = in.Limit(in.U32BE(), 1, kReadMaxSide);
//         const uint32_t colours = in.Limit(in.U16LE(), 0, 256);
//         in.Require(in.Fits(int64_t(colours) * 3));      // before any table
//         const int64_t rowBytes = in.Product(width, 3);  // overflow-checked
//         in.Require(in.Fits(rowBytes * height));         // before Create
//         if (!image.Create(width, height, 24, 0)) ThrowCreateError(image);
//         for (uint32_t y = 0; y < height; ++y) in.Bytes(image.GetRow(y), rowBytes);
//     }
//
// Positions are 64-bit; a stream never holds more than
// CBufferedStream::kMaxStreamLength bytes.
#pragma once

#include "graphics/formats/format_framework.h"
#include "system/buffered_stream.h"

#include <cstdint>
#include <initializer_list>

// Throws E(); gives a fixed-text exception class as a FormatErrorThrower.
template <class E>
[[noreturn]] void ThrowFormatError()
{
    throw E();
}

// Named limits shared by the readers. A format with a tighter limit of its
// own names it beside its reader.
constexpr int64_t kReadMaxSide = 32768;                 // CGraphicsImage::MAX_DIMENSION
constexpr int64_t kReadMaxPixels = int64_t(1) << 30;    // 32768 x 32768
constexpr int64_t kReadMaxPaletteEntries = 256;
constexpr int64_t kReadMaxTextBytes = 1 << 20;          // comments, names, descriptions
// First look size of LookAhead: a file stream's buffer may be smaller, a
// memory stream shows any amount.
constexpr int32_t kReadLookStart = 1 << 16;

// A format's two read errors and the limit checks that throw them, shared by
// both forms of the cursor.
class CReadLimits {
public:
    // `readError` is thrown when the data ends early, `corrupt` when a value
    // breaks a limit.
    CReadLimits(FormatErrorThrower readError, FormatErrorThrower corrupt) : m_readError(readError), m_corrupt(corrupt)
    {
    }

    // Require throws the corrupt error when `ok` is false; Limit returns
    // `value` when lo <= value <= hi, else throws it.
    void Require(bool ok) const
    {
        if (!ok) ThrowCorrupt();
    }
    int64_t Limit(int64_t value, int64_t lo, int64_t hi) const
    {
        Require(value >= lo && value <= hi);
        return value;
    }
    // The product of non-negative factors, or the corrupt error when it
    // exceeds `max` (by default what a stream can hold) or a factor is negative.
    int64_t Product(std::initializer_list<int64_t> factors,
                    int64_t max = CBufferedStream::kMaxStreamLength) const;
    int64_t Product(int64_t a, int64_t b) const { return Product({a, b}); }

    [[noreturn]] void ThrowRead() const;
    [[noreturn]] void ThrowCorrupt() const;

private:
    FormatErrorThrower m_readError;
    FormatErrorThrower m_corrupt;
};

class CReadCursor : public CReadLimits {
public:
    // The errors as CReadLimits takes them. The cursor starts at the
    // stream's current position.
    CReadCursor(CBufferedStream& stream, FormatErrorThrower readError, FormatErrorThrower corrupt);

    CBufferedStream& Stream() { return m_stream; }

    // Fixed-size fields; each throws the read error when the data ends.
    uint8_t U8();
    uint16_t U16LE();
    uint16_t U16BE();
    uint32_t U32LE();
    uint32_t U32BE();
    int32_t S32LE() { return int32_t(U32LE()); }
    int32_t S32BE() { return int32_t(U32BE()); }
    uint16_t U16(bool bigEndian) { return bigEndian ? U16BE() : U16LE(); }
    uint32_t U32(bool bigEndian) { return bigEndian ? U32BE() : U32LE(); }

    // Exactly n bytes into `out`, or the read error (n < 0 is corrupt).
    void Bytes(void* out, int64_t n);
    // Skips exactly n bytes, or the read error.
    void Skip(int64_t n);
    // Up to n bytes (n at most the stream's buffer size) made contiguous
    // without consuming them; *data is valid until the next read. Returns the
    // count available, fewer only at the end of the data.
    int32_t Look(const BYTE** data, int32_t n);
    // Up to n bytes (any n) made contiguous without consuming them, as many
    // as the stream's buffer can show at once; *data is valid until the next
    // read. Returns the count, 0 only at the end of the data (or n <= 0).
    int32_t LookAhead(const BYTE** data, int64_t n);
    // The bytes the stream holds in memory from the position on (read into
    // its buffer first when it holds none), not consumed and never moved to
    // make them contiguous; *data is valid until the next read. Returns the
    // count, 0 only at the end of the data.
    int32_t LookBuffered(const BYTE** data);

    // A row converter: `count` units from `from` into `to`.
    typedef void (*UnitConvertFn)(const uint8_t* from, uint8_t* to, int count);
    // Exactly n bytes, whole units of `unit` bytes, through `convert` from
    // the stream's memory into `out` (no copy in between), or the read
    // error; n must be a multiple of the unit.
    void Convert(uint8_t* out, int64_t n, int32_t unit, UnitConvertFn convert);

    // The current position and the stream's length, both from its start.
    int64_t Position() const;
    int64_t Length() const { return m_length; }
    // Bytes from the position to the end (0 past the end).
    int64_t Remaining() const;
    // True when n more bytes exist from the position on.
    bool Fits(int64_t n) const { return n >= 0 && n <= Remaining(); }
    // Moves to an absolute position inside the data (the end included);
    // beyond it is the read error.
    void SeekTo(int64_t position);

private:
    CBufferedStream& m_stream;
    int64_t m_length;
    int32_t m_lookLimit = kReadLookStart;  // largest look the stream allowed so far
};

// The cursor's memory-span form: the same bounded reads over a block that is
// already in memory (an icon's image data, a resource section, a header read
// whole). Nothing passes the block's end: a read that would is the read
// error. Besides reading on from the position, fields are read at named
// offsets from the block's start without moving it:
//
//     CSpanCursor dib(data, size, FailFormat, FailFormat);
//     const int32_t width = dib.S32LEAt(kDibWidth);
//     const uint8_t* rows = dib.BytesAt(pixelStart, rowBytes * height);
class CSpanCursor : public CReadLimits {
public:
    CSpanCursor(const void* data, int64_t size, FormatErrorThrower readError, FormatErrorThrower corrupt);

    // Fixed-size fields from the position on.
    uint8_t U8() { return *Take(1); }
    uint16_t U16LE();
    uint32_t U32LE();
    int32_t S32LE() { return int32_t(U32LE()); }
    // Exactly n bytes into `out`; n bytes skipped; n bytes handed out where
    // they lie (valid as long as the block). Each consumes them.
    void Bytes(void* out, int64_t n);
    void Skip(int64_t n) { Take(n); }
    const uint8_t* Take(int64_t n);
    // The next n bytes as a cursor of their own (a record of a table), consumed.
    CSpanCursor TakeSpan(int64_t n);

    // Fields at `offset` from the block's start; the position stays.
    uint8_t U8At(int64_t offset) const { return *BytesAt(offset, 1); }
    uint16_t U16LEAt(int64_t offset) const;
    uint32_t U32LEAt(int64_t offset) const;
    int32_t S32LEAt(int64_t offset) const { return int32_t(U32LEAt(offset)); }
    // The n bytes at `offset` where they lie, and a cursor over them (with
    // the same errors).
    const uint8_t* BytesAt(int64_t offset, int64_t n) const;
    CSpanCursor SpanAt(int64_t offset, int64_t n) const;

    int64_t Position() const { return m_position; }
    int64_t Length() const { return m_size; }
    int64_t Remaining() const { return m_size - m_position; }
    // True when n more bytes exist from the position on, or at `offset`.
    bool Fits(int64_t n) const { return FitsAt(m_position, n); }
    bool FitsAt(int64_t offset, int64_t n) const
    {
        return offset >= 0 && n >= 0 && offset <= m_size && n <= m_size - offset;
    }
    // Moves to a position inside the block (its end included).
    void SeekTo(int64_t position);

private:
    const uint8_t* m_data;
    int64_t m_size;
    int64_t m_position = 0;
};
