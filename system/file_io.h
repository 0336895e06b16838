// Positional access to one file through the platform's own calls: the wide
// API on Windows, POSIX descriptors elsewhere (UTF-16 paths become UTF-8).
#pragma once

#include "platform/win32/win.h"

#include <cstdint>
#include <string>

class CSystemFile {
public:
    enum class Access {
        Read,    // an existing file, read only
        Create,  // a new or truncated file, write only
    };

    CSystemFile() = default;
    ~CSystemFile();
    CSystemFile(const CSystemFile&) = delete;
    CSystemFile& operator=(const CSystemFile&) = delete;

    // False when the file cannot be opened or created: also for a directory,
    // for reading anything but a regular file (a FIFO or device fails
    // without blocking), and natively for a UTF-16 path with an unpaired
    // surrogate, which names no file.
    bool OpenA(const char* path, Access access);
    bool OpenW(const WCHAR* path, Access access);
    bool IsOpen() const;

    // Reads up to n bytes at offset; returns the count (0 at the end) or -1
    // on an error.
    int32_t ReadAt(int64_t offset, void* data, int32_t n);
    // Writes all n bytes at offset; false on any error (a full device too).
    bool WriteAt(int64_t offset, const void* data, int32_t n);
    // Makes the written data durable (fsync, FlushFileBuffers). True also
    // for a file that cannot be synchronised (a device); false when the
    // platform reports a failed write-back.
    bool Sync();
    // The file's size, -1 on an error.
    int64_t Size();
    // False when the platform reports an error on closing or nothing was open.
    bool Close();

private:
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#else
    int m_fd = -1;
#endif
};

// Replaces `to` by `from` (renaming, an existing `to` is overwritten).
bool RenameReplacingA(const char* from, const char* to);
bool RenameReplacingW(const WCHAR* from, const WCHAR* to);
// Deletes a file; false when it could not be removed.
bool RemoveFileA(const char* path);
bool RemoveFileW(const WCHAR* path);
#ifndef _WIN32
// The UTF-8 name of a UTF-16 path; false for null and for an unpaired
// surrogate, which no UTF-8 name holds.
bool Utf8Path(const WCHAR* path, std::string& out);
#endif
