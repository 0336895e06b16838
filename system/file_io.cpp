#include "system/file_io.h"

#include <string>

#ifndef _WIN32
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

CSystemFile::~CSystemFile()
{
    Close();
}

#ifdef _WIN32

namespace {

constexpr DWORD kShareForRead = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareForWrite = FILE_SHARE_READ;

bool IsDirectoryHandle(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

OVERLAPPED AtOffset(int64_t offset)
{
    OVERLAPPED ov = {};
    ov.Offset = DWORD(uint64_t(offset));
    ov.OffsetHigh = DWORD(uint64_t(offset) >> 32);
    return ov;
}

// CreateFileA or CreateFileW with the sharing and disposition of `access`.
template <class Char, class CreateFn>
HANDLE OpenHandle(CreateFn create, const Char* path, CSystemFile::Access access)
{
    if (!path)
        return INVALID_HANDLE_VALUE;
    HANDLE h = access == CSystemFile::Access::Read
        ? create(path, GENERIC_READ, kShareForRead, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
        : create(path, GENERIC_WRITE, kShareForWrite, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    // Only a file on disk holds image data: a directory, a device (NUL, COM1)
    // or a pipe is closed again.
    if (h != INVALID_HANDLE_VALUE &&
        (IsDirectoryHandle(h) || (access == CSystemFile::Access::Read && GetFileType(h) != FILE_TYPE_DISK))) {
        CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
    return h;
}

}  // namespace

bool CSystemFile::OpenA(const char* path, Access access)
{
    Close();
    m_handle = OpenHandle(CreateFileA, path, access);
    return IsOpen();
}

bool CSystemFile::OpenW(const WCHAR* path, Access access)
{
    Close();
    m_handle = OpenHandle(CreateFileW, path, access);
    return IsOpen();
}

bool CSystemFile::IsOpen() const
{
    return m_handle != INVALID_HANDLE_VALUE;
}

int32_t CSystemFile::ReadAt(int64_t offset, void* data, int32_t n)
{
    if (!IsOpen() || offset < 0 || n < 0)
        return -1;
    OVERLAPPED ov = AtOffset(offset);
    DWORD got = 0;
    if (!ReadFile(m_handle, data, DWORD(n), &got, &ov))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return int32_t(got);
}

bool CSystemFile::WriteAt(int64_t offset, const void* data, int32_t n)
{
    if (!IsOpen() || offset < 0 || n < 0)
        return false;
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        OVERLAPPED ov = AtOffset(offset);
        DWORD put = 0;
        if (!WriteFile(m_handle, p, DWORD(n), &put, &ov) || put == 0)
            return false;
        p += put;
        offset += put;
        n -= int32_t(put);
    }
    return true;
}

bool CSystemFile::Sync()
{
    if (!IsOpen())
        return false;
    return FlushFileBuffers(m_handle) != 0 || GetFileType(m_handle) != FILE_TYPE_DISK;
}

int64_t CSystemFile::Size()
{
    LARGE_INTEGER size;
    if (!IsOpen() || !GetFileSizeEx(m_handle, &size))
        return -1;
    return size.QuadPart;
}

bool CSystemFile::Close()
{
    if (!IsOpen())
        return false;
    const bool ok = CloseHandle(m_handle) != 0;
    m_handle = INVALID_HANDLE_VALUE;
    return ok;
}

bool RenameReplacingA(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RenameReplacingW(const WCHAR* from, const WCHAR* to)
{
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveFileA(const char* path)
{
    return DeleteFileA(path) != 0;
}

bool RemoveFileW(const WCHAR* path)
{
    return DeleteFileW(path) != 0;
}

#else  // POSIX

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as fopen does

// UTF-16 to UTF-8; false for an unpaired surrogate, which no UTF-8 name holds.
bool Utf16ToUtf8(const WCHAR* text, std::string& out)
{
    out.clear();
    for (const WCHAR* p = text; *p; ++p) {
        uint32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (p[1] < 0xDC00 || p[1] > 0xDFFF)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(p[1]) - 0xDC00);
            ++p;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return true;
}

}  // namespace

bool Utf8Path(const WCHAR* path, std::string& out)
{
    return path && Utf16ToUtf8(path, out);
}

bool CSystemFile::OpenA(const char* path, Access access)
{
    Close();
    if (!path)
        return false;
    // A FIFO or device opened for reading would block or stream endless
    // data: O_NONBLOCK keeps the open from waiting, and only a regular file
    // stays open.
    do {
        m_fd = access == Access::Read ? ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                                      : ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    } while (m_fd < 0 && errno == EINTR);
    struct stat st;
    if (m_fd >= 0 && access == Access::Read && (fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)))
        Close();
    return IsOpen();
}

bool CSystemFile::OpenW(const WCHAR* path, Access access)
{
    Close();
    std::string narrow;
    return Utf8Path(path, narrow) && OpenA(narrow.c_str(), access);
}

bool CSystemFile::IsOpen() const
{
    return m_fd >= 0;
}

int32_t CSystemFile::ReadAt(int64_t offset, void* data, int32_t n)
{
    if (!IsOpen() || offset < 0 || n < 0)
        return -1;
    ssize_t got;
    do {
        got = ::pread(m_fd, data, size_t(n), off_t(offset));
    } while (got < 0 && errno == EINTR);
    return got < 0 ? -1 : int32_t(got);
}

bool CSystemFile::WriteAt(int64_t offset, const void* data, int32_t n)
{
    if (!IsOpen() || offset < 0 || n < 0)
        return false;
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t put = ::pwrite(m_fd, p, size_t(n), off_t(offset));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        p += put;
        offset += put;
        n -= int32_t(put);
    }
    return true;
}

bool CSystemFile::Sync()
{
    if (!IsOpen())
        return false;
    int rc;
    do {
        rc = ::fsync(m_fd);
    } while (rc < 0 && errno == EINTR);
    // Devices and some file systems have nothing to write back.
    return rc == 0 || errno == EINVAL || errno == EROFS;
}

int64_t CSystemFile::Size()
{
    struct stat st;
    if (!IsOpen() || fstat(m_fd, &st) != 0)
        return -1;
    return int64_t(st.st_size);
}

bool CSystemFile::Close()
{
    if (!IsOpen())
        return false;
    // close() is not retried on EINTR: the descriptor is gone either way.
    const bool ok = ::close(m_fd) == 0;
    m_fd = -1;
    return ok;
}

bool RenameReplacingA(const char* from, const char* to)
{
    return from && to && std::rename(from, to) == 0;
}

bool RenameReplacingW(const WCHAR* from, const WCHAR* to)
{
    std::string a, b;
    return Utf8Path(from, a) && Utf8Path(to, b) && std::rename(a.c_str(), b.c_str()) == 0;
}

bool RemoveFileA(const char* path)
{
    return path && ::unlink(path) == 0;
}

bool RemoveFileW(const WCHAR* path)
{
    std::string narrow;
    return Utf8Path(path, narrow) && ::unlink(narrow.c_str()) == 0;
}

#endif
