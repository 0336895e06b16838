#include "system/safe_save.h"

#include "system/buffered_stream.h"
#include "system/file_io.h"

#include <atomic>
#include <cstdio>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A few tries past names another save holds at the same moment.
constexpr int kTemporaryAttempts = 16;

std::atomic<unsigned long> g_serial{0};

// "~lt<process>-<serial>.tmp" in hex: at most 26 characters whatever the
// target's name, unique among the saves of all threads and processes.
std::string TemporaryName(unsigned long process)
{
    char name[40];
    std::snprintf(name, sizeof name, "~lt%lx-%lx.tmp", process, g_serial.fetch_add(1) + 1);
    return name;
}

template <class Path>
Path FolderOf(const Path& path, const char* separators)
{
    const Path seps(separators, separators + std::char_traits<char>::length(separators));
    const size_t slash = path.find_last_of(seps);
    if (slash == Path::npos)
        return Path();
    return path.substr(0, slash + 1);
}

}  // namespace

CSafeSave::~CSafeSave()
{
    RemoveTemporary();
}

void CSafeSave::Abandon(CBufferedStream& stream)
{
    stream.Close();
    RemoveTemporary();
}

bool CSafeSave::OpenStream(CBufferedStream& stream)
{
    if (OpenFile(stream, InPlace() ? m_target : m_temporary))
        return true;
    RemoveTemporary();
    return false;
}

CSafeSave::Result CSafeSave::Commit(CBufferedStream& stream)
{
    const bool synced = stream.Sync();
    if (!stream.Close() || !synced) {
        RemoveTemporary();
        return Result::WriteFailed;
    }
    if (InPlace())
        return Result::Ok;
    if (!Replace()) {
        RemoveTemporary();
        return Result::ReplaceFailed;
    }
    m_temporary.clear();
    return Result::Ok;
}

#ifdef _WIN32

namespace {

// ReplaceFileW wants whole paths (Wine refuses bare names).
std::wstring FullPath(const std::wstring& path)
{
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    const DWORD got = n ? GetFullPathNameW(path.c_str(), n, &full[0], nullptr) : 0;
    if (got == 0 || got >= n)
        return path;
    full.resize(got);
    return full;
}

// Whether the caller may write the existing file: a new file in its place
// must not get round a protection a direct write would meet.
bool MayWrite(const std::wstring& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return false;
    // Opening for writing changes nothing; only a refused access counts (a
    // file another program holds is the replace's to judge, as before).
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() != ERROR_ACCESS_DENIED;
    CloseHandle(h);
    return true;
}

std::wstring Widen(const char* path)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], n);
    wide.resize(size_t(n - 1));
    return wide;
}

}  // namespace

bool CSafeSave::OpenA(const char* path, CBufferedStream& stream)
{
    return path && *path && Open(Widen(path), stream);
}

bool CSafeSave::OpenW(const WCHAR* path, CBufferedStream& stream)
{
    return path && *path && Open(reinterpret_cast<const wchar_t*>(path), stream);
}

bool CSafeSave::Open(Path target, CBufferedStream& stream)
{
    RemoveTemporary();
    if (target.empty())
        return false;
    m_target = FullPath(target);
    const DWORD attributes = GetFileAttributesW(m_target.c_str());
    m_targetExists = attributes != INVALID_FILE_ATTRIBUTES;
    if (m_targetExists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    m_mode = m_targetExists ? attributes : 0;
    if (m_targetExists && !MayWrite(m_target, attributes))
        return false;
    const Path folder = FolderOf(m_target, "\\/:");
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        const std::string name = TemporaryName(GetCurrentProcessId());
        const Path temporary = folder + Path(name.begin(), name.end());
        HANDLE h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            m_temporary = temporary;
            break;
        }
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (m_temporary.empty() && !(m_targetExists && error == ERROR_ACCESS_DENIED))
        return false;
    return OpenStream(stream);
}

bool CSafeSave::OpenFile(CBufferedStream& stream, const Path& file)
{
    return stream.OpenW(reinterpret_cast<const WCHAR*>(file.c_str()), CBufferedStream::kModeCreate, nullptr);
}

bool CSafeSave::Replace()
{
    // ReplaceFileW gives the new file the old one's attributes and security;
    // where there is no old file (or it cannot), a write-through move.
    const bool replaced =
        (m_targetExists && ReplaceFileW(m_target.c_str(), m_temporary.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
        MoveFileExW(m_temporary.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    // The attributes once more: Wine's ReplaceFileW and the move drop them.
    if (replaced && m_targetExists)
        SetFileAttributesW(m_target.c_str(), DWORD(m_mode));
    return replaced;
}

void CSafeSave::RemoveTemporary()
{
    if (!m_temporary.empty())
        DeleteFileW(m_temporary.c_str());
    m_temporary.clear();
}

#else  // POSIX

namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit before ELOOP
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as fopen does
constexpr mode_t kPermissionBits = 07777;

// The path of the file a chain of symbolic links names (it need not exist).
std::string FollowLinks(std::string path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string link(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = readlink(path.c_str(), &link[0], link.size());
        if (n < 0 || size_t(n) >= link.size())
            return path;
        link.resize(size_t(n));
        path = link[0] == '/' ? link : FolderOf(path, "/") + link;
    }
    return path;  // a loop: creating the file fails on it
}

void SyncFolder(const std::string& file)
{
    const std::string folder = FolderOf(file, "/");
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool CSafeSave::OpenA(const char* path, CBufferedStream& stream)
{
    return path && *path && Open(path, stream);
}

bool CSafeSave::OpenW(const WCHAR* path, CBufferedStream& stream)
{
    std::string narrow;
    return path && *path && Utf8Path(path, narrow) && Open(narrow, stream);
}

bool CSafeSave::Open(Path target, CBufferedStream& stream)
{
    RemoveTemporary();
    m_target = FollowLinks(std::move(target));
    struct stat st;
    m_targetExists = ::stat(m_target.c_str(), &st) == 0;
    m_mode = m_targetExists ? unsigned(st.st_mode & kPermissionBits) : 0;
    m_owner = m_targetExists ? long(st.st_uid) : -1;
    m_group = m_targetExists ? long(st.st_gid) : -1;
    // A folder cannot take a file's place; a FIFO would block the save.
    if (m_targetExists && (S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)))
        return false;
    // A file the effective user may not write is not replaced either: the
    // folder's rights alone would let a new file take its place (and owner).
    if (m_targetExists && ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    // A device or FIFO is written, never replaced by a file.
    const bool regular = !m_targetExists || S_ISREG(st.st_mode);
    int error = 0;
    for (int attempt = 0; regular && attempt < kTemporaryAttempts; ++attempt) {
        const std::string temporary = FolderOf(m_target, "/") + "." + TemporaryName(static_cast<unsigned long>(getpid()));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0) {
            ::close(fd);
            m_temporary = temporary;
            break;
        }
        error = errno;
        if (error != EEXIST && error != EINTR)
            break;
    }
    // Without the right to add a file beside the target, the target itself;
    // never after other failures (a full device), which would cost the old
    // file.
    const bool noRight = error == EACCES || error == EPERM || error == EROFS;
    if (m_temporary.empty() && regular && !(m_targetExists && noRight))
        return false;
    return OpenStream(stream);
}

bool CSafeSave::OpenFile(CBufferedStream& stream, const Path& file)
{
    return stream.OpenA(file.c_str(), CBufferedStream::kModeCreate, nullptr);
}

bool CSafeSave::Replace()
{
    if (m_targetExists) {
        // The owner only where the process may give it; chown clears set-id
        // bits, so the mode comes after.
        if (::chown(m_temporary.c_str(), uid_t(m_owner), gid_t(m_group)) != 0) {
        }
        ::chmod(m_temporary.c_str(), mode_t(m_mode));
    }
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return false;
    SyncFolder(m_target);
    return true;
}

void CSafeSave::RemoveTemporary()
{
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

#endif
