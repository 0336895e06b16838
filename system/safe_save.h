// Saving a file so that a failed save leaves the old one as it was, and a
// good one changes nothing but its contents.
//
// The data goes into a temporary file beside the target, which replaces the
// target only once everything reached the disk. The target is the file a
// symbolic link names (the link stays a link); the new file keeps the old
// one's permission bits and, where the process may set it, its owner (on
// Windows ReplaceFileW keeps attributes and security). The temporary's name
// is short, so that names near the file system's limit still save. Where no
// temporary can be made beside the target (a writable file in a read-only
// folder) or the target is no regular file (a device), the target itself is
// written, as a plain writer would. A target the caller may not write (the
// effective user's write permission; on Windows the read-only attribute or a
// refused access) is refused before anything is written, as a direct write
// would be: the folder's rights must not get round the file's.
#pragma once

#include "platform/win32/win.h"

#include <string>

class CBufferedStream;

class CSafeSave {
public:
    enum class Result {
        Ok,
        WriteFailed,    // the data did not reach the disk
        ReplaceFailed,  // the new file could not take the target's place
    };

    CSafeSave() = default;
    // Removes a temporary that was not committed.
    ~CSafeSave();
    CSafeSave(const CSafeSave&) = delete;
    CSafeSave& operator=(const CSafeSave&) = delete;

    // Opens `stream` (kModeCreate) on the file the data goes to. False when
    // nothing could be created or the target may not be written; the stream
    // is then closed.
    bool OpenA(const char* path, CBufferedStream& stream);
    bool OpenW(const WCHAR* path, CBufferedStream& stream);
    // Writes the stream through to the disk, closes it and puts the file in
    // the target's place (folder entry synchronised too). On failure the
    // temporary is removed and an existing target is left as it was.
    Result Commit(CBufferedStream& stream);
    // Closes the stream and removes the temporary (a failed write).
    void Abandon(CBufferedStream& stream);

    // True when the data goes straight into the target.
    bool InPlace() const { return m_temporary.empty(); }

private:
#ifdef _WIN32
    using Path = std::wstring;
#else
    using Path = std::string;
#endif
    bool Open(Path target, CBufferedStream& stream);
    // The stream on the temporary (or the target in place); false removes it.
    bool OpenStream(CBufferedStream& stream);
    static bool OpenFile(CBufferedStream& stream, const Path& file);
    // The written temporary takes the target's place, keeping what the old
    // file had; false leaves the target as it was.
    bool Replace();
    void RemoveTemporary();

    Path m_target;
    Path m_temporary;  // empty when writing in place
    bool m_targetExists = false;
    unsigned m_mode = 0;  // the old file's permission bits (attributes on Windows), owner and group
    long m_owner = -1;
    long m_group = -1;
};
