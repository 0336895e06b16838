#include "system/path_text.h"

#include "text/char_class.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include "platform/win32/win.h"
#else
#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The end of the part that starts at i (the next separator or the end).
size_t PartEnd(const char* path, size_t i)
{
    while (path[i] != 0 && !IsPathSeparator(path[i]))
        ++i;
    return i;
}

// A heap copy (free()) of a folder text of at most kMaxPathText characters.
char* HeapFolderText(const std::string& folder, int* length)
{
    if (folder.empty() || folder.size() > size_t(kMaxPathText))
        return nullptr;
    char* out = static_cast<char*>(std::malloc(folder.size() + 1));
    if (out == nullptr)
        return nullptr;
    std::memcpy(out, folder.c_str(), folder.size() + 1);
    if (length != nullptr)
        *length = int(folder.size());
    return out;
}

}  // namespace

size_t PathRootLength(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return 0;
    if (IsDriveLetter(path[0]) && path[1] == ':')
        return IsPathSeparator(path[2]) ? 3 : 2;
    if (IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        size_t i = 2;
        while (IsPathSeparator(path[i]))
            ++i;
        i = PartEnd(path, i);  // the server
        if (path[i] == 0)
            return i;
        i = PartEnd(path, i + 1);  // the share
        return path[i] != 0 ? i + 1 : i;
    }
    return IsPathSeparator(path[0]) ? 1 : 0;
}

std::vector<std::string> CollapsedLevels(const std::string& text, size_t from)
{
    std::vector<std::string> kept;
    for (size_t at = from; at < text.size();) {
        size_t end = at;
        while (end < text.size() && !IsPathSeparator(text[end]))
            ++end;
        const std::string level = text.substr(at, end - at);
        if (level == "..") {
            if (!kept.empty())
                kept.pop_back();
        } else if (!level.empty() && level != ".") {
            kept.push_back(level);
        }
        at = end + 1;
    }
    return kept;
}

size_t AppendBackslashStr(std::string& text)
{
    if (text.empty() || !IsPathSeparator(text.back()))
        text += '\\';
    return text.size();
}

size_t RemoveTrailingSlashStr(std::string& text)
{
    if (!text.empty() && IsPathSeparator(text.back()) && text.size() > PathRootLength(text.c_str()))
        text.pop_back();
    return text.size();
}

size_t RemoveFileNameStr(std::string& text)
{
    const size_t root = PathRootLength(text.c_str());
    RemoveTrailingSlashStr(text);
    size_t cut = text.size();
    while (cut > root && !IsPathSeparator(text[cut - 1]))
        --cut;
    text.resize(cut < root ? root : cut);
    return text.size();
}

size_t JoinPathStr(std::string& out, const char* folder, const char* name)
{
    if (name == nullptr)
        name = "";
    while (IsPathSeparator(*name))
        ++name;
    std::string joined = folder != nullptr ? folder : "";
    if (!joined.empty() && !IsPathSeparator(joined.back()) && !(joined.size() == 2 && joined[1] == ':'))
        joined += '\\';
    joined += name;
    out.swap(joined);
    return out.size();
}

const char* FindFileNameA(int length, const char* path, int* nameLength)
{
    if (path == nullptr) {
        if (nameLength != nullptr)
            *nameLength = 0;
        return nullptr;
    }
    const size_t n = length < 0 ? std::strlen(path) : strnlen(path, size_t(length));
    size_t start = n;
    while (start > 0 && !IsPathSeparator(path[start - 1]) && path[start - 1] != ':')
        --start;
    if (nameLength != nullptr)
        *nameLength = int(n - start);
    return path + start;
}

bool MatchWildcard(const char* pattern, size_t patternLength, const char* name)
{
    // Greedy match with one backtrack point: linear in practice, never
    // exponential on many stars.
    size_t p = 0, star = size_t(-1);
    const char* starName = nullptr;
    while (*name != 0) {
        if (p < patternLength && pattern[p] == '*') {
            star = p++;
            starName = name;
        } else if (p < patternLength &&
                   (pattern[p] == '?' || CharToLower(static_cast<unsigned char>(pattern[p])) ==
                                             CharToLower(static_cast<unsigned char>(*name)))) {
            ++p;
            ++name;
        } else if (star != size_t(-1)) {
            p = star + 1;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (p < patternLength && pattern[p] == '*')
        ++p;
    return p == patternLength;
}

bool MatchPatternList(const char* patterns, const char* name, bool emptyMatches)
{
    if (patterns == nullptr || patterns[0] == 0)
        return emptyMatches;
    bool any = false;
    for (const char* part = patterns;;) {
        const char* end = std::strchr(part, ';');
        if (end == nullptr)
            end = part + std::strlen(part);
        const char* a = part;
        const char* b = end;
        while (a < b && *a == ' ')
            ++a;
        while (b > a && b[-1] == ' ')
            --b;
        if (b > a) {
            any = true;
            if (MatchWildcard(a, size_t(b - a), name))
                return true;
        }
        if (*end == 0)
            break;
        part = end + 1;
    }
    return !any && emptyMatches;
}

#ifdef _WIN32

int GetPathTypeA(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return kPathMissing;
    std::string root(path);
    RemoveTrailingSlashStr(root);
    if (root.size() >= 2 && PathRootLength(root.c_str()) == root.size()) {
        AppendBackslashStr(root);
        const UINT type = GetDriveTypeA(root.c_str());
        if (type != DRIVE_NO_ROOT_DIR && type != DRIVE_UNKNOWN)
            return kPathDriveRoot;
        return GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES ? kPathDriveRoot : kPathMissing;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return kPathMissing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kPathFolder : kPathFile;
}

char* AllocFullDirectoryA(const char* path, int* length)
{
    if (length != nullptr)
        *length = 0;
    if (path == nullptr || path[0] == 0)
        return nullptr;
    char full[kMaxPathText + 1];
    char* filePart = nullptr;
    const DWORD n = GetFullPathNameA(path, sizeof full, full, &filePart);
    if (n == 0 || n >= sizeof full)
        return nullptr;
    int nameLength = 0;
    const char* name = FindFileNameA(int(n), full, &nameLength);
    std::string folder(full, size_t(name - full));
    if (!folder.empty())
        AppendBackslashStr(folder);
    return HeapFolderText(folder, length);
}

static bool MakeFolder(const std::string& path)
{
    if (CreateDirectoryA(path.c_str(), nullptr))
        return true;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

#else

int GetPathTypeA(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return kPathMissing;
    if (std::strcmp(path, "/") == 0)
        return kPathDriveRoot;
    struct stat st;
    if (stat(path, &st) != 0)
        return kPathMissing;
    return S_ISDIR(st.st_mode) ? kPathFolder : kPathFile;
}

char* AllocFullDirectoryA(const char* path, int* length)
{
    if (length != nullptr)
        *length = 0;
    if (path == nullptr || path[0] == 0)
        return nullptr;
    std::string full;
    if (path[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == nullptr)
            return nullptr;
        full = cwd;
        full += '/';
    }
    full += path;
    const char* name = FindFileNameA(-1, full.c_str());
    full.resize(size_t(name - full.c_str()));
    return HeapFolderText(full, length);
}

static bool MakeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

#endif

int CreateDirectoryTreeA(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return 0;
    const size_t root = PathRootLength(path);
    const std::string all(path);
    for (size_t i = root; i <= all.size(); ++i) {
        if (i < all.size() && !IsPathSeparator(all[i]))
            continue;
        if (i > root && !IsPathSeparator(all[i - 1]) && !MakeFolder(all.substr(0, i)))
            return 0;
    }
    return 1;
}
