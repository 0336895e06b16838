// Directory listings: one folder (optionally with its subfolders), the
// drive list (the path ":") or the shares of a network server ("\\server").
// The listing is read whole by the constructor; ReadNext walks it.
#pragma once

#include "platform/win32/win.h"

#include <cstdint>
#include <string>
#include <vector>

// Attribute bit of a network entry (a share of a server).
constexpr DWORD kFileAttributeNetwork = 0x8000;

// The first directory entry of a search pattern; the search handle, or 0
// with the system's error code in *error.
HANDLE FindFirstEntry(const char* path, WIN32_FIND_DATAA* entry, DWORD* error);
// Ends a search; 0 on success, -1 on failure.
int FindCloseEntry(HANDLE handle);
// Copies the path into the buffer with '\' separators (cut to size - 1 and
// terminated); a network path that the file system does not know is looked
// up through the shell namespace. Returns the buffer.
char* ResolveNetworkPath(const char* path, char* buffer, int size);

class CFileList {
public:
    // Constructor flags; with neither kListFiles nor kListFolders both are
    // listed.
    static constexpr unsigned kListFiles = 0x1;
    static constexpr unsigned kListFolders = 0x2;
    static constexpr unsigned kListRecursive = 0x4;  // subfolders too
    static constexpr unsigned kListHidden = 0x8;     // hidden and system entries
    // ReadNext modes.
    static constexpr int kReadName = 0;
    static constexpr int kReadFullPath = 1;
    static constexpr int kReadRelative = 2;
    // Sort keys and flags.
    static constexpr int kSortName = 0;
    static constexpr int kSortExtension = 1;
    static constexpr int kSortSize = 2;
    static constexpr int kSortWriteTime = 4;
    static constexpr unsigned kSortDescending = 0x8000;
    // Bounds of one listing.
    static constexpr size_t kMaxEntries = 200000;
    static constexpr int kMaxDepth = 32;

    // Include and exclude: ';'-separated wildcard patterns (null: all,
    // none). Includes apply to files, excludes to files and folders.
    CFileList(const char* path, unsigned flags, const char* include = nullptr, const char* exclude = nullptr);
    ~CFileList() = default;
    CFileList(const CFileList&) = delete;
    CFileList& operator=(const CFileList&) = delete;

    // False when the path could not be listed at all.
    bool IsValid() const { return m_valid; }
    size_t Count() const { return m_entries.size(); }

    // Advances to the next entry and returns its text (valid until the next
    // call): mode 0 the name, 1 the full path, 2 the path relative to the
    // base folder. Null when the listing is finished.
    const char* ReadNext(int mode = kReadName, int* length = nullptr);
    // Of the entry ReadNext returned last: its folder (with a trailing
    // separator; empty for drives), attributes and small or large icon.
    const char* GetEntryFolder() const;
    DWORD GetEntryAttributes() const;
    int GetEntryIconIndex(unsigned iconFlags = 1);

    // Folders first, then by the key; kSortDescending reverses the order
    // within files and within folders. Starts ReadNext from the beginning.
    void Sort(int key, unsigned flags);

private:
    struct Entry {
        std::string name;
        int folder;  // index into m_folders
        DWORD attributes;
        uint64_t size;
        uint64_t writeTime;
        int icons[2];
    };

    void ListFolder(int folder, int depth);
    void ListDrives();
    void ListShares(const std::string& server);
    bool Wanted(const WIN32_FIND_DATAA& data) const;
    const Entry* Current() const;

    std::string m_base;                  // the listed folder with its separator
    std::vector<std::string> m_folders;  // relative folders, [0] = ""
    std::vector<Entry> m_entries;
    unsigned m_flags;
    std::string m_include;
    std::string m_exclude;
    bool m_hasInclude;
    bool m_valid = false;
    bool m_fullPaths = false;  // drives and shares: the name is the path
    size_t m_next = 0;
    std::string m_text;
    mutable std::string m_folderText;
};
