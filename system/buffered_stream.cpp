#include "system/buffered_stream.h"

#include "text/format_output.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr char kResourcePrefix[] = "RES:";
constexpr int kResourcePrefixLength = 4;
constexpr int32_t kZeroChunk = 4096;

const BYTE kEmptyBlock[1] = {0};

template <class Char>
bool HasResourcePrefix(const Char* path)
{
    for (int i = 0; i < kResourcePrefixLength; ++i)
        if (path[i] != Char(kResourcePrefix[i]))
            return false;
    return true;
}

int StreamSink(void* ctx, const char* data, int n)
{
    return static_cast<CBufferedStream*>(ctx)->Write(data, n);
}

#ifdef _WIN32
constexpr char kResourceSeparator = '/';

// "type/name" after the prefix; FindResource itself reads "#123" as id 123.
template <class Char>
bool SplitResourcePath(const Char* spec, std::basic_string<Char>& type, std::basic_string<Char>& name)
{
    const std::basic_string<Char> all(spec);
    const size_t cut = all.find(Char(kResourceSeparator));
    if (cut == std::basic_string<Char>::npos || cut == 0 || cut + 1 == all.size())
        return false;
    type = all.substr(0, cut);
    name = all.substr(cut + 1);
    return true;
}
#endif

}  // namespace

CBufferedStream::CBufferedStream(int32_t bufferSize)
    : m_eof(1), m_capacity(std::max(bufferSize, kMinBufferSize))
{
}

CBufferedStream::~CBufferedStream()
{
    Close();
}

// ---------------------------------------------------------------- opening --

bool CBufferedStream::OpenA(const char* path, int mode, const void* filter)
{
    return OpenFile(false, path, mode, filter);
}

bool CBufferedStream::OpenW(const WCHAR* path, int mode, const void* filter)
{
    return OpenFile(true, path, mode, filter);
}

bool CBufferedStream::OpenFile(bool wide, const void* path, int mode, const void* filter)
{
    Close();
    m_eof = 1;
    if (!path || filter || (mode != kModeRead && mode != kModeCreate))
        return false;
    const bool resource = wide ? HasResourcePrefix(static_cast<const WCHAR*>(path))
                               : HasResourcePrefix(static_cast<const char*>(path));
    if (resource)
        return OpenResource(wide, path, mode);
    if (!m_buffer) {
        m_buffer.reset(new (std::nothrow) BYTE[size_t(m_capacity)]);
        if (!m_buffer)
            return false;
    }
    const auto access = mode == kModeRead ? CSystemFile::Access::Read : CSystemFile::Access::Create;
    const bool opened = wide ? m_file.OpenW(static_cast<const WCHAR*>(path), access)
                             : m_file.OpenA(static_cast<const char*>(path), access);
    if (!opened)
        return false;
    m_kind = Kind::File;
    m_writable = mode == kModeCreate;
    m_data = m_buffer.get();
    m_eof = 0;
    return true;
}

bool CBufferedStream::OpenResource(bool wide, const void* path, int mode)
{
#ifdef _WIN32
    if (mode != kModeRead)
        return false;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = nullptr;
    if (wide) {
        std::wstring type, name;
        if (!SplitResourcePath(static_cast<const WCHAR*>(path) + kResourcePrefixLength, type, name))
            return false;
        found = FindResourceW(module, name.c_str(), type.c_str());
    } else {
        std::string type, name;
        if (!SplitResourcePath(static_cast<const char*>(path) + kResourcePrefixLength, type, name))
            return false;
        found = FindResourceA(module, name.c_str(), type.c_str());
    }
    if (!found)
        return false;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    // Resource data stays mapped for the life of the module: read in place.
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size > DWORD(kMaxStreamLength))
        return false;
    return OpenMemory(data, int32_t(size), kModeRead, nullptr);
#else
    (void)wide;
    (void)path;
    (void)mode;
    return false;  // the native build has no program resources
#endif
}

bool CBufferedStream::OpenMemory(const void* block, int32_t size, int mode, const void* filter)
{
    Close();
    m_eof = 1;
    if (filter || mode != kModeRead || size < 0 || (!block && size > 0))
        return false;
    m_kind = Kind::Memory;
    m_writable = false;
    m_data = block ? static_cast<const BYTE*>(block) : kEmptyBlock;
    m_dataStart = 0;
    m_dataLength = size;
    m_pos = 0;
    m_eof = 0;
    return true;
}

bool CBufferedStream::Close()
{
    if (m_kind == Kind::None)
        return false;
    bool ok = true;
    if (Writable())
        ok = Flush();
    if (m_kind == Kind::File)
        ok = m_file.Close() && ok;
    m_kind = Kind::None;
    m_writable = false;
    m_dirty = false;
    m_writeFailed = false;
    m_data = nullptr;
    m_dataStart = 0;
    m_dataLength = 0;
    m_pos = 0;
    m_fileLength = 0;
    return ok;
}

// ---------------------------------------------------------------- reading --

int32_t CBufferedStream::Buffered() const
{
    const int64_t offset = m_pos - m_dataStart;
    return offset >= 0 && offset < m_dataLength ? int32_t(m_dataLength - offset) : 0;
}

int64_t CBufferedStream::FileLength()
{
    const int64_t size = m_file.Size();
    return size < 0 ? -1 : std::min<int64_t>(size, kMaxStreamLength);
}

bool CBufferedStream::Refill()
{
    const int32_t keep = Buffered();
    BYTE* buffer = m_buffer.get();
    if (keep > 0 && m_pos != m_dataStart)
        std::memmove(buffer, buffer + (m_pos - m_dataStart), size_t(keep));
    m_dataStart = m_pos;
    m_dataLength = keep;
    const int64_t room = std::min<int64_t>(m_capacity - keep, kMaxStreamLength - (m_pos + keep));
    if (room <= 0)
        return true;
    const int32_t got = m_file.ReadAt(m_pos + keep, buffer + keep, int32_t(room));
    if (got < 0)
        return false;
    m_dataLength += got;
    return true;
}

int32_t CBufferedStream::Read(void* buffer, int32_t n)
{
    if (!Readable() || n < 0 || (n > 0 && !buffer))
        return -1;
    BYTE* out = static_cast<BYTE*>(buffer);
    int32_t done = 0;
    bool failed = false;
    while (done < n) {
        int32_t available = Buffered();
        if (available == 0) {
            if (m_kind != Kind::File)
                break;
            const int32_t want = n - done;
            if (want >= m_capacity) {
                // Large reads bypass the buffer.
                const int64_t room = kMaxStreamLength - m_pos;
                const int32_t got = room > 0 ? m_file.ReadAt(m_pos, out + done, int32_t(std::min<int64_t>(want, room))) : 0;
                failed = got < 0;
                if (got <= 0)
                    break;
                m_pos += got;
                done += got;
                continue;
            }
            if (!Refill()) {
                failed = true;
                break;
            }
            available = Buffered();
            if (available == 0)
                break;
        }
        const int32_t chunk = std::min(available, n - done);
        std::memcpy(out + done, m_data + (m_pos - m_dataStart), size_t(chunk));
        m_pos += chunk;
        done += chunk;
    }
    if (done < n)
        m_eof = 1;
    return failed && done == 0 ? -1 : done;
}

int CBufferedStream::ReadU8()
{
    if (Readable() && Buffered() > 0)
        return m_data[m_pos++ - m_dataStart];
    BYTE b;
    return Read(&b, 1) == 1 ? b : -1;
}

int CBufferedStream::ReadU16()
{
    BYTE b[2];
    if (Read(b, 2) != 2)
        return -1;
    return b[0] | (b[1] << 8);
}

int64_t CBufferedStream::ReadU32()
{
    BYTE b[4];
    if (Read(b, 4) != 4)
        return -1;
    return int64_t(b[0]) | (int64_t(b[1]) << 8) | (int64_t(b[2]) << 16) | (int64_t(b[3]) << 24);
}

int32_t CBufferedStream::ReadLineA(char* buffer, int32_t size)
{
    if (buffer && size == 1)
        buffer[0] = '\0';
    if (!Readable() || !buffer || size < 2)
        return -1;
    // The next byte without consuming it; -1 at the end (a platform error
    // counts as the end).
    auto peek = [this]() -> int {
        if (Buffered() == 0 && (m_kind != Kind::File || !Refill() || Buffered() == 0))
            return -1;
        return m_data[m_pos - m_dataStart];
    };
    auto consumeTerminator = [this, &peek](int first) {
        ++m_pos;
        const int next = peek();
        if ((first == '\r' && next == '\n') || (first == '\n' && next == '\r'))
            ++m_pos;
    };
    int32_t length = 0;
    for (;;) {
        const int c = peek();
        if (c < 0) {
            m_eof = 1;
            if (length == 0) {
                buffer[0] = '\0';
                return -1;
            }
            break;
        }
        if (c == '\r' || c == '\n') {
            consumeTerminator(c);
            break;
        }
        if (length == size - 1)
            break;  // cut: the rest of the line stays for the next call
        buffer[length++] = char(c);
        ++m_pos;
    }
    buffer[length] = '\0';
    return length;
}

int32_t CBufferedStream::Peek(int32_t skip, const BYTE** data, int32_t n)
{
    if (!Readable() || skip < 0 || n < 0 || (m_kind == Kind::File && n > m_capacity))
        return -1;
    if (skip > 0) {
        int64_t target = m_pos + skip;
        if (target > m_dataStart + m_dataLength) {
            const int64_t end = m_kind == Kind::File ? FileLength() : m_dataLength;
            if (end < 0)
                return -1;
            if (target > end) {
                target = std::max(m_pos, end);
                m_eof = 1;
            }
        }
        m_pos = target;
    }
    if (m_kind == Kind::File) {
        while (Buffered() < n) {
            const int32_t before = Buffered();
            if (!Refill())
                return -1;
            if (Buffered() == before)
                break;
        }
    }
    const int32_t available = std::min(Buffered(), n);
    if (data)
        *data = m_data + std::clamp<int64_t>(m_pos - m_dataStart, 0, m_dataLength);
    return available;
}

int32_t CBufferedStream::PeekBuffered(const BYTE** data)
{
    if (!Readable())
        return -1;
    if (Buffered() == 0 && m_kind == Kind::File && !Refill())
        return -1;
    const int32_t available = Buffered();
    *data = m_data + (available > 0 ? m_pos - m_dataStart : 0);
    return available;
}

// ---------------------------------------------------------------- writing --

bool CBufferedStream::WriteGapZeros(int64_t end)
{
    static const BYTE zeros[kZeroChunk] = {};
    while (m_fileLength < end) {
        const int32_t chunk = int32_t(std::min<int64_t>(end - m_fileLength, kZeroChunk));
        if (!m_file.WriteAt(m_fileLength, zeros, chunk))
            return false;
        m_fileLength += chunk;
    }
    return true;
}

bool CBufferedStream::Flush()
{
    if (m_kind == Kind::None)
        return false;
    if (!Writable() || (!m_dirty && !m_writeFailed))
        return true;
    if (m_writeFailed)
        return false;
    if (!WriteGapZeros(m_dataStart) || !m_file.WriteAt(m_dataStart, m_buffer.get(), m_dataLength)) {
        m_writeFailed = true;
        return false;
    }
    m_fileLength = std::max(m_fileLength, m_dataStart + m_dataLength);
    m_dirty = false;
    return true;
}

bool CBufferedStream::Sync()
{
    if (!Flush())
        return false;
    if (!Writable())
        return true;
    if (m_file.Sync())
        return true;
    m_writeFailed = true;
    return false;
}

int32_t CBufferedStream::Write(const void* buffer, int32_t n)
{
    if (!Writable() || m_writeFailed || n < 0 || (n > 0 && !buffer))
        return -1;
    const BYTE* in = static_cast<const BYTE*>(buffer);
    const int32_t total = int32_t(std::min<int64_t>(n, kMaxStreamLength - m_pos));
    int32_t done = 0;
    while (done < total) {
        int64_t offset = m_pos - m_dataStart;
        if (offset < 0 || offset > m_dataLength || offset == m_capacity) {
            // The position left the buffered range: write it out, start anew.
            if (!Flush())
                return done > 0 ? done : -1;
            m_dataStart = m_pos;
            m_dataLength = 0;
            offset = 0;
        }
        const int32_t want = total - done;
        if (m_dataLength == 0 && want >= m_capacity) {
            // Large writes bypass the buffer.
            if (!WriteGapZeros(m_pos) || !m_file.WriteAt(m_pos, in + done, want)) {
                m_writeFailed = true;
                return done > 0 ? done : -1;
            }
            m_pos += want;
            m_fileLength = std::max(m_fileLength, m_pos);
            m_dataStart = m_pos;
            done += want;
            continue;
        }
        const int32_t chunk = std::min<int32_t>(want, int32_t(m_capacity - offset));
        std::memcpy(m_buffer.get() + offset, in + done, size_t(chunk));
        m_pos += chunk;
        done += chunk;
        m_dataLength = std::max<int32_t>(m_dataLength, int32_t(offset + chunk));
        m_dirty = true;
    }
    return done;
}

bool CBufferedStream::WriteU8(BYTE value)
{
    return Write(&value, 1) == 1;
}

bool CBufferedStream::WriteU16(WORD value)
{
    const BYTE b[2] = {BYTE(value), BYTE(value >> 8)};
    return Write(b, 2) == 2;
}

int CBufferedStream::PrintfA(const char* format, ...)
{
    if (!Writable())
        return -1;
    va_list args;
    va_start(args, format);
    const int written = FormatOutputA(&StreamSink, this, format, args);
    va_end(args);
    return written;
}

// ------------------------------------------------------------- positioning --

int32_t CBufferedStream::Tell() const
{
    return m_kind == Kind::None ? -1 : int32_t(m_pos);
}

int32_t CBufferedStream::Seek(int32_t offset, int origin)
{
    if (m_kind == Kind::None)
        return -1;
    int64_t base;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = m_pos; break;
    case 2: base = GetLength(); break;
    default: return -1;
    }
    const int64_t target = base + offset;
    if (base < 0 || target < 0 || target > kMaxStreamLength)
        return -1;
    const int32_t previous = int32_t(m_pos);
    m_pos = target;  // the buffer stays; reads and writes check their range
    m_eof = 0;
    return previous;
}

int32_t CBufferedStream::GetLength()
{
    switch (m_kind) {
    case Kind::None:
        return -1;
    case Kind::Memory:
        return m_dataLength;
    case Kind::File:
        break;
    }
    if (!m_writable)
        return int32_t(FileLength());
    int64_t length = std::max(m_fileLength, m_pos);
    if (m_dataLength > 0)
        length = std::max(length, m_dataStart + m_dataLength);
    return int32_t(length);
}
