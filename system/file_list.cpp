#include "system/file_list.h"

#include "system/path_text.h"
#include "system/shell_icons.h"
#include "text/text_services.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr char kDriveListPath[] = ":";
constexpr DWORD kShareBufferBytes = 16384;

uint64_t FileTimeValue(const FILETIME& time)
{
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A search or network enumeration handle, closed on every way out of the
// listing, an allocation that throws too.
template <class Close>
using ScopedHandle = std::unique_ptr<void, Close>;

std::string Extension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace

HANDLE FindFirstEntry(const char* path, WIN32_FIND_DATAA* entry, DWORD* error)
{
    if (error != nullptr)
        *error = 0;
    if (path == nullptr || entry == nullptr) {
        if (error != nullptr)
            *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    HANDLE search = FindFirstFileA(path, entry);
    if (search == INVALID_HANDLE_VALUE) {
        if (error != nullptr)
            *error = GetLastError();
        return nullptr;
    }
    return search;
}

int FindCloseEntry(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && FindClose(handle) ? 0 : -1;
}

char* ResolveNetworkPath(const char* path, char* buffer, int size)
{
    if (buffer == nullptr || size < 1)
        return buffer;
    buffer[0] = 0;
    if (path == nullptr)
        return buffer;
    int n = 0;
    for (; path[n] != 0 && n < size - 1; ++n)
        buffer[n] = path[n] == '/' ? '\\' : path[n];
    buffer[n] = 0;
    const bool network = buffer[0] == '\\' && buffer[1] == '\\' && buffer[2] != 0;
    if (!network || GetFileAttributesA(buffer) != INVALID_FILE_ATTRIBUTES)
        return buffer;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return buffer;
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, buffer, -1, wide, MAX_PATH) > 0) {
        LPITEMIDLIST item = nullptr;
        if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &item, nullptr))) {
            char resolved[MAX_PATH];
            if (SHGetPathFromIDListA(item, resolved) && resolved[0] != 0)
                lstrcpynA(buffer, resolved, size);
            CoTaskMemFree(item);
        }
    }
    desktop->Release();
    return buffer;
}

CFileList::CFileList(const char* path, unsigned flags, const char* include, const char* exclude)
    : m_flags((flags & (kListFiles | kListFolders)) ? flags : flags | kListFiles | kListFolders),
      m_include(include != nullptr ? include : ""), m_exclude(exclude != nullptr ? exclude : ""),
      m_hasInclude(include != nullptr && include[0] != 0)
{
    if (path == nullptr)
        return;
    if (std::strcmp(path, kDriveListPath) == 0) {
        ListDrives();
        return;
    }
    char resolved[MAX_PATH + 1];
    ResolveNetworkPath(path, resolved, sizeof resolved);
    std::string base = resolved;
    RemoveTrailingSlashStr(base);
    const size_t root = PathRootLength(base.c_str());
    // "\\server" alone: its shares.
    if (base.size() > 2 && base[0] == '\\' && base[1] == '\\' && root == base.size() &&
        base.find('\\', 2) == std::string::npos) {
        ListShares(base);
        return;
    }
    if (base.empty())
        return;
    AppendBackslashStr(base);
    m_base = base;
    m_folders.push_back(std::string());
    ListFolder(0, 0);
}

bool CFileList::Wanted(const WIN32_FIND_DATAA& data) const
{
    const char* name = data.cFileName;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return false;
    if (!(m_flags & kListHidden) && (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        return false;
    if (MatchPatternList(m_exclude.c_str(), name, false))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return (m_flags & kListFolders) != 0;
    return (m_flags & kListFiles) && MatchPatternList(m_include.c_str(), name, true);
}

void CFileList::ListFolder(int folder, int depth)
{
    const std::string pattern = m_base + m_folders[size_t(folder)] + "*";
    WIN32_FIND_DATAA data;
    ScopedHandle<int (*)(HANDLE)> search(FindFirstEntry(pattern.c_str(), &data, nullptr), &FindCloseEntry);
    if (search == nullptr)
        return;
    if (folder == 0)
        m_valid = true;
    std::vector<std::string> subfolders;
    do {
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (Wanted(data) && m_entries.size() < kMaxEntries)
            m_entries.push_back({data.cFileName, folder, data.dwFileAttributes,
                                 (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                                 FileTimeValue(data.ftLastWriteTime), {-1, -1}});
        if (isFolder && (m_flags & kListRecursive) && std::strcmp(data.cFileName, ".") != 0 &&
            std::strcmp(data.cFileName, "..") != 0 && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            subfolders.push_back(data.cFileName);  // links are not followed: they may loop
    } while (m_entries.size() < kMaxEntries && FindNextFileA(search.get(), &data));
    search.reset();  // before the subfolders: one open search per level is enough
    if (depth + 1 >= kMaxDepth)
        return;
    for (const std::string& name : subfolders) {
        m_folders.push_back(m_folders[size_t(folder)] + name + "\\");
        ListFolder(int(m_folders.size() - 1), depth + 1);
    }
}

void CFileList::ListDrives()
{
    m_valid = true;
    m_fullPaths = true;
    m_folders.push_back(std::string());
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (drives & (1u << i))
            m_entries.push_back({std::string{char('A' + i), ':'}, 0, FILE_ATTRIBUTE_DIRECTORY, 0, 0, {-1, -1}});
}

void CFileList::ListShares(const std::string& server)
{
    m_fullPaths = true;
    m_folders.push_back(std::string());
    NETRESOURCEA resource = {};
    resource.dwScope = RESOURCE_GLOBALNET;
    resource.dwType = RESOURCETYPE_DISK;
    resource.dwUsage = RESOURCEUSAGE_CONTAINER;
    std::string name = server;
    resource.lpRemoteName = &name[0];
    HANDLE opened = nullptr;
    if (WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, &resource, &opened) != NO_ERROR)
        return;
    const ScopedHandle<decltype(&WNetCloseEnum)> enumeration(opened, &WNetCloseEnum);
    m_valid = true;
    std::vector<BYTE> buffer(kShareBufferBytes);
    for (;;) {
        DWORD count = DWORD(-1);
        DWORD bytes = DWORD(buffer.size());
        if (WNetEnumResourceA(enumeration.get(), &count, buffer.data(), &bytes) != NO_ERROR)
            break;
        const auto* shares = reinterpret_cast<const NETRESOURCEA*>(buffer.data());
        for (DWORD i = 0; i < count && m_entries.size() < kMaxEntries; ++i)
            if (shares[i].lpRemoteName != nullptr)
                m_entries.push_back({shares[i].lpRemoteName, 0, FILE_ATTRIBUTE_DIRECTORY | kFileAttributeNetwork, 0,
                                     0, {-1, -1}});
    }
}

const CFileList::Entry* CFileList::Current() const
{
    return m_next > 0 && m_next <= m_entries.size() ? &m_entries[m_next - 1] : nullptr;
}

const char* CFileList::ReadNext(int mode, int* length)
{
    if (length != nullptr)
        *length = 0;
    if (m_next >= m_entries.size()) {
        m_next = m_entries.size() + 1;  // past the end: no current entry
        return nullptr;
    }
    const Entry& entry = m_entries[m_next++];
    if (m_fullPaths || mode == kReadName)
        m_text = entry.name;
    else if (mode == kReadRelative)
        m_text = m_folders[size_t(entry.folder)] + entry.name;
    else
        m_text = m_base + m_folders[size_t(entry.folder)] + entry.name;
    if (length != nullptr)
        *length = int(m_text.size());
    return m_text.c_str();
}

const char* CFileList::GetEntryFolder() const
{
    const Entry* entry = Current();
    if (entry == nullptr || m_fullPaths)
        return "";
    m_folderText = m_base + m_folders[size_t(entry->folder)];
    return m_folderText.c_str();
}

DWORD CFileList::GetEntryAttributes() const
{
    const Entry* entry = Current();
    return entry != nullptr ? entry->attributes : 0;
}

int CFileList::GetEntryIconIndex(unsigned iconFlags)
{
    if (m_next == 0 || m_next > m_entries.size())
        return -1;
    Entry& entry = m_entries[m_next - 1];
    int& icon = entry.icons[iconFlags & kIconSmall];
    if (icon < 0) {
        if (m_fullPaths && entry.name.size() == 2 && entry.name[1] == ':') {
            icon = GetDriveIconIndex(entry.name[0], iconFlags);
        } else {
            const std::string path = m_fullPaths ? entry.name : m_base + m_folders[size_t(entry.folder)] + entry.name;
            SHFILEINFOA info = {};
            if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                               SHGFI_SYSICONINDEX | ((iconFlags & kIconSmall) ? SHGFI_SMALLICON : SHGFI_LARGEICON)))
                icon = info.iIcon;
        }
    }
    return icon;
}

void CFileList::Sort(int key, unsigned flags)
{
    const bool descending = (flags & kSortDescending) != 0;
    auto order = [&](const Entry& a, const Entry& b) {
        const bool folderA = (a.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool folderB = (b.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folderA != folderB)
            return folderA;
        int c = 0;
        if (key == kSortSize)
            c = a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
        else if (key == kSortWriteTime)
            c = a.writeTime < b.writeTime ? -1 : a.writeTime > b.writeTime ? 1 : 0;
        else if (key == kSortExtension)
            c = StrCompareNoCaseNA(Extension(a.name).c_str(), Extension(b.name).c_str(), -1);
        if (c == 0)
            c = StrCompareNoCaseNA(a.name.c_str(), b.name.c_str(), -1);
        if (c == 0)
            c = a.folder - b.folder;
        return descending ? c > 0 : c < 0;
    };
    std::stable_sort(m_entries.begin(), m_entries.end(), order);
    m_next = 0;
}
