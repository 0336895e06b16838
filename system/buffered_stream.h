// One buffered byte stream over a file, a memory block or (on Windows) a
// resource of the program. Every image reader and writer does its input and
// output through one of these.
//
// Positions, offsets and counts are 32-bit: a stream holds at most
// kMaxStreamLength bytes (data of a longer file beyond that reads as the end;
// writing past it fails).
//
// Paths beginning with "RES:" name a resource of the program's executable on
// Windows: "RES:" type "/" name, where a type or name "#123" is the numeric
// id 123 (for example "RES:#10/#101" for RT_RCDATA 101, or "RES:PNG/LOGO").
// Resources open for reading only; natively no such path opens.
#pragma once

#include "platform/win32/win.h"
#include "system/file_io.h"

#include <cstdint>
#include <memory>

class CBufferedStream {
public:
    static constexpr int32_t kMinBufferSize = 512;
    static constexpr int32_t kMaxStreamLength = INT32_MAX;
    // Open modes.
    static constexpr int kModeRead = 0;    // existing file / block, read only
    static constexpr int kModeCreate = 2;  // new or truncated file, write only

    // A stream with nothing open; sizes below kMinBufferSize are raised to it.
    explicit CBufferedStream(int32_t bufferSize);
    // Closes a stream that is still open.
    ~CBufferedStream();
    CBufferedStream(const CBufferedStream&) = delete;
    CBufferedStream& operator=(const CBufferedStream&) = delete;

    // End-of-data flag: set on construction, when an open fails and whenever
    // a read delivers fewer bytes than asked or fails; cleared by a
    // successful open and by Seek.
    BYTE m_eof;

    // Opens a file (or resource) in kModeRead or kModeCreate; `filter` must be
    // null. An open stream is closed first. False when the file cannot be
    // opened or created; never throws.
    bool OpenA(const char* path, int mode, const void* filter);
    bool OpenW(const WCHAR* path, int mode, const void* filter);
    // Reads the caller's block of `size` bytes in place (kModeRead only): no
    // copy, no ownership; the block must outlive the stream's use of it.
    bool OpenMemory(const void* block, int32_t size, int mode, const void* filter);
    // Flushes a written stream and closes it. True when the stream was open
    // and everything written reached the file; false otherwise.
    bool Close();
    bool IsOpen() const { return m_kind != Kind::None; }

    // Copies up to n bytes and advances. Returns the count (fewer than n at
    // the end of the data, which sets m_eof), or -1 when the stream is not
    // readable, n is negative or the platform reports an error before any
    // byte was copied.
    int32_t Read(void* buffer, int32_t n);
    // The next byte 0..255; -1 at the end (setting m_eof) or when not readable.
    int ReadU8();
    // The next little-endian 16- or 32-bit value; -1 when fewer bytes remain
    // (they are consumed and m_eof is set) or when not readable.
    int ReadU16();
    int64_t ReadU32();
    // Reads one line up to CR or LF into a buffer of `size` characters
    // (size - 1 at most, terminated). The terminator - CR, LF, CR LF or LF CR
    // - is consumed; a longer line yields its first size - 1 characters and
    // leaves the rest for the next call. Returns the line's length, or -1 at
    // the end of the data, when not readable or for a size below 2. Reaching
    // the end before a terminator sets m_eof.
    int32_t ReadLineA(char* buffer, int32_t size);
    // Skips `skip` bytes, then makes up to n following bytes available
    // contiguously in the stream's memory without consuming them; *data (when
    // not null) points at them until the next operation on the stream.
    // Returns how many are available (fewer near the end, 0 at the end), or
    // -1 when not readable, skip or n is negative, or n exceeds the buffer
    // size of a file stream. A skip past the end stops at the end and sets
    // m_eof; looking alone never sets it.
    int32_t Peek(int32_t skip, const BYTE** data, int32_t n);
    // The bytes in memory from the position on, *data at them, without
    // moving any: a file stream whose buffer holds none from the position
    // is refilled first. Returns their count (0 at the end), or -1 when not
    // readable or the platform reports an error.
    int32_t PeekBuffered(const BYTE** data);

    // Writes n bytes at the current position through the buffer. Returns n,
    // a smaller count when the stream's length limit is reached, or -1 when
    // not writable or an earlier write to the file failed.
    int32_t Write(const void* buffer, int32_t n);
    bool WriteU8(BYTE value);
    bool WriteU16(WORD value);
    // Formatted output through the library's engine (text/format_output.h).
    // Returns the number of characters written, -1 on failure.
    int PrintfA(const char* format, ...)
#if defined(__clang__)
        __attribute__((format(printf, 2, 3)))
#elif defined(__GNUC__)
        __attribute__((format(gnu_printf, 2, 3)))  // mingw's printf would mean msvcrt's
#endif
        ;
    // Writes out a dirty buffer. False on failure or when nothing is open. A
    // failed write is sticky: later writes, flushes and Close fail too.
    bool Flush();
    // Flush, then the file's data written through to the disk (the data of
    // a save that is about to replace a file). False on any failure.
    bool Sync();

    // The position from the start; -1 when nothing is open.
    int32_t Tell() const;
    // Moves to offset from the start (origin 0), the current position (1) or
    // the end (2) and clears m_eof; a target inside the buffer keeps it.
    // Positions past the end are allowed (a written gap reads as zeros).
    // Returns the previous position, or -1 (nothing moved) when nothing is
    // open, the origin is unknown or the target lies outside 0..kMaxStreamLength.
    int32_t Seek(int32_t offset, int origin);
    // The stream's length, the position unchanged; for a writable stream the
    // largest of the written length and the position. -1 when nothing is open.
    int32_t GetLength();

private:
    enum class Kind { None, File, Memory };

    bool OpenFile(bool wide, const void* path, int mode, const void* filter);
    bool OpenResource(bool wide, const void* path, int mode);
    bool Readable() const { return m_kind != Kind::None && !m_writable; }
    bool Writable() const { return m_kind == Kind::File && m_writable; }
    // Bytes held in memory from the position on (0 when it lies outside).
    int32_t Buffered() const;
    // Moves the buffered bytes from the position on to the buffer's front
    // and fills the rest from the file; false on a platform error.
    bool Refill();
    int64_t FileLength();
    bool WriteGapZeros(int64_t end);

    std::unique_ptr<BYTE[]> m_buffer;
    int32_t m_capacity;
    Kind m_kind = Kind::None;
    bool m_writable = false;
    bool m_dirty = false;
    bool m_writeFailed = false;
    CSystemFile m_file;
    const BYTE* m_data = nullptr;  // the buffer, or the memory block read in place
    int64_t m_dataStart = 0;       // stream offset of m_data[0]
    int32_t m_dataLength = 0;      // valid bytes at m_data
    int64_t m_pos = 0;
    int64_t m_fileLength = 0;      // written streams: bytes that reached the file
};
