#include "ui/filedlg/ofn_logic.h"

#include "platform/framework/work_area_fit.h"
#include "system/path_text.h"
#include "text/text_services.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Case-blind in the code page's own mapping, so "ÄRGER" and "ärger" are one.
bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && StrCompareNoCaseNA(a.c_str(), b.c_str(), int(a.size())) == 0;
}

// Where the root of an absolute path ends ("C:\\", "\\\\server\\share\\",
// "\\"); 0 for a path of no root (relative or drive-relative).
size_t RootLength(const std::string& p)
{
    if (p.size() >= 3 && p[1] == ':' && p[2] == '\\')
        return 3;
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        size_t server = p.find('\\', 2);
        if (server == std::string::npos)
            return p.size();
        size_t share = p.find('\\', server + 1);
        return share == std::string::npos ? p.size() : share + 1;
    }
    return !p.empty() && p[0] == '\\' ? 1 : 0;
}

bool IsAbsolute(const std::string& p)
{
    return (p.size() >= 2 && p[1] == ':') || (!p.empty() && IsSeparator(p[0]));
}

bool Exists(uint32_t a) { return a != kNoFile; }
bool IsFolder(uint32_t a) { return Exists(a) && (a & kDirectoryBit); }

}  // namespace

CaptionSplit SplitCaption(const char* filter)
{
    CaptionSplit split;
    if (!filter)
        return split;
    const char* at = std::strchr(filter, '@');
    if (!at) {
        split.caption = filter;
        return split;
    }
    split.caption.assign(filter, at);
    split.filterOffset = size_t(at - filter) + 1;
    return split;
}

std::string OfnListValueName(const std::string& profile)
{
    size_t cut = profile.find_last_of(".*?");
    std::string tail = cut == std::string::npos ? profile : profile.substr(cut + 1);
    tail.resize(std::min(tail.size(), kValueTailMax));
    for (size_t i = 0; i < tail.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(tail[i]);
        if (i == 0 && c >= 'a' && c <= 'z')
            tail[i] = char(c - 'a' + 'A');
        else if (i > 0 && c >= 'A' && c <= 'Z')
            tail[i] = char(c - 'A' + 'a');
    }
    return "OfnList" + tail;
}

std::string OfnListKey(const std::string& appKey, const std::string& profileName,
                       const std::function<bool(const std::string&)>& keyExists)
{
    std::string key = appKey;
    if (key.empty() && !profileName.empty() && keyExists && keyExists("Software\\Velk\\" + profileName))
        key = "Velk";
    if (key.empty() || profileName.empty())
        return "Software\\Velk\\Common\\OfnList";
    return "Software\\" + key + "\\" + profileName;
}

void SplitProfilePath(const std::string& profile, std::string* key, std::string* value)
{
    size_t cut = profile.rfind('\\');
    *key = cut == std::string::npos ? std::string() : profile.substr(0, std::min(cut, kProfileKeyMax));
    *value = profile.substr(cut == std::string::npos ? 0 : cut + 1);
    value->resize(std::min(value->size(), kProfileValueMax));
}

std::vector<char> BuildRecentList(const std::vector<std::string>& entries)
{
    std::vector<char> bytes;
    size_t taken = 0;
    for (const std::string& entry : entries) {
        if (taken == kRecentEntries)
            break;
        if (entry.empty())
            continue;
        if (bytes.size() + entry.size() + 1 + 1 > kRecentBytes)  // room for the final NUL
            break;
        bytes.insert(bytes.end(), entry.begin(), entry.end());
        bytes.push_back('\0');
        ++taken;
    }
    bytes.push_back('\0');
    if (bytes.size() == 1)
        bytes.push_back('\0');
    return bytes;
}

std::vector<std::string> ParseRecentList(const char* data, size_t size)
{
    std::vector<std::string> list;
    size_t at = 0;
    while (data && at < size && list.size() < kRecentRead) {
        size_t end = at;
        while (end < size && data[end] != '\0')
            ++end;
        if (end == at)
            break;
        list.emplace_back(data + at, end - at);
        at = end + 1;
    }
    return list;
}

std::string CollapsePath(const std::string& path)
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    const size_t root = RootLength(p);
    if (root == 0)
        return p;
    const std::vector<std::string> parts = CollapsedLevels(p, root);
    std::string out = p.substr(0, root);
    if (!parts.empty() && out.back() != '\\')
        out += '\\';  // "\\\\server\\share" followed by more
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? "\\" : "") + parts[i];
    if (!parts.empty() && p.back() == '\\')
        out += '\\';
    return out;
}

RememberDecision DecideRemember(const std::string& chosen, const std::string& folder, uint32_t mode, bool save,
                                const AttributesFn& attributes)
{
    RememberDecision d;
    std::string p = chosen;
    if (!p.empty() && !IsAbsolute(p) && !folder.empty())
        p = folder + (IsSeparator(folder.back()) ? "" : "\\") + p;
    p = CollapsePath(p);
    p.resize(std::min(p.size(), kPathChars));
    if (p.size() > 1 && IsSeparator(p.back()))
        p.pop_back();
    if (p.empty())
        return d;  // an empty entry is never added
    uint32_t a = attributes(p);
    bool folderPath = false;
    bool decided = false;
    if (!Exists(a)) {
        size_t cut = p.size() > 1 ? p.find_last_of("\\/", p.size() - 1) : std::string::npos;
        if (save || mode != 0) {
            decided = true;
        } else if (cut == std::string::npos || cut == 0) {
            return d;
        } else {
            std::string parent = p.substr(0, cut);
            uint32_t pa = attributes(parent);
            if (!Exists(pa)) {
                decided = true;
            } else {
                p = parent;
                a = pa;
            }
        }
    }
    if (!decided) {
        if (IsFolder(a)) {
            if (!IsSeparator(p.back()))
                p += '\\';
            folderPath = true;
        } else if (mode == 0) {
            size_t cut = p.find_last_of("\\/");
            p = cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
            folderPath = true;
        } else {
            folderPath = IsFolder(a);
        }
    }
    switch (mode) {
    case kOfnModeFolders: d.add = folderPath && (Exists(a) || save); break;
    case kOfnModePaths: d.add = Exists(a) || save; break;
    case kOfnModeOwnList: d.add = !folderPath && (Exists(a) || save); break;
    default: break;
    }
    d.isFile = !folderPath;
    d.path = p;
    if (d.path.empty())
        d.add = false;
    return d;
}

int FindRecentEntry(const std::vector<std::string>& entries, const std::string& path)
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (EqualNoCase(entries[i], path))
            return int(i);
    return -1;
}

bool ApplyRemember(std::vector<std::string>& entries, const std::string& path)
{
    int found = FindRecentEntry(entries, path);
    if (found == 0 || path.empty())
        return false;
    entries.insert(entries.begin(), path);
    if (found > 0)
        entries.erase(entries.begin() + found + 1);
    return true;
}

bool FolderChangeKeepsText(const std::string& listed, const std::string& folder)
{
    auto plain = [](const std::string& p) {
        std::string c = CollapsePath(p);
        if (c.size() > 3 && c.back() == '\\')
            c.pop_back();
        return c;
    };
    return listed.empty() || EqualNoCase(plain(listed), plain(folder));
}

bool NameBeginsWith(const std::string& name, const std::string& typed)
{
    return name.size() >= typed.size() && StrCompareNoCaseNA(name.c_str(), typed.c_str(), int(typed.size())) == 0;
}

bool IsListedName(const char* name)
{
    return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

long MatchStep(const std::vector<std::string>& names, const std::string& typed, MatchCursor& cursor, bool* matched)
{
    *matched = false;
    if (typed.empty() || cursor.position >= names.size() || cursor.posted >= kMaxMatches)
        return -1;
    long at = long(cursor.position);
    const std::string& name = names[cursor.position];
    *matched = NameBeginsWith(name, typed);
    if (!*matched)
        ++cursor.position;
    return at;
}

PopupRects PopupLayout(int width, int height, int bar)
{
    return PopupRects{width - bar + 1, height, width - bar + 1, height - bar + 1, width - bar, height - bar};
}

int PopupLinesPerPage(int clientHeight, int itemHeight)
{
    return std::max(clientHeight, 0) / std::max(itemHeight, kMinItemHeight);
}

int PopupScrollTarget(int code, int top, int page, int thumb)
{
    switch (code) {
    case kLineUp: return top - 1;
    case kLineDown: return top + 1;
    case kPageUp: return top - page;
    case kPageDown: return top + page;
    case kThumbPosition: case kThumbTrack: return thumb;
    case kTop: return 0;
    default: return -1;
    }
}

int PopupWheelLines(int delta) { return delta / 120; }

void PopupDragSize(int startWidth, int startHeight, int dx, int dy, int bar, int* width, int* height)
{
    *width = std::max(startWidth + dx, 2 * bar);
    *height = std::max(startHeight + dy, 2 * bar);
}

void FirstDialogSize(int extraHeight, int iconWidth, int* width, int* height)
{
    *width = 600;
    *height = 450 + extraHeight;
    if (iconWidth > 32) {
        *width = *width * iconWidth / 32;
        *height = *height * iconWidth / 32;
    }
}

RECT FileDialogRect(const RECT& made, bool first, int extraHeight, int iconWidth, bool resizable,
                    const RECT& workArea)
{
    RECT rect = made;
    if (first) {
        int width = 0, height = 0;
        FirstDialogSize(extraHeight, iconWidth, &width, &height);
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
    }
    const LONG areaWidth = workArea.right - workArea.left, areaHeight = workArea.bottom - workArea.top;
    if (!resizable || areaWidth <= 0 || areaHeight <= 0)
        return rect;
    const bool wide = rect.right - rect.left > areaWidth, high = rect.bottom - rect.top > areaHeight;
    if (!wide && !high)
        return rect;
    if (wide)
        rect.right = rect.left + areaWidth;
    if (high)
        rect.bottom = rect.top + areaHeight;
    return FitRectInArea(rect, workArea);
}

RECT PopupRect(const RECT& combo, int width, int height, const RECT& workArea)
{
    RECT rect = {combo.left, combo.bottom, combo.left + width, combo.bottom + height};
    if (workArea.right <= workArea.left || workArea.bottom <= workArea.top)
        return rect;
    const LONG below = std::max<LONG>(workArea.bottom - combo.bottom, 0);
    const LONG above = std::max<LONG>(combo.top - workArea.top, 0);
    if (height > below && (height <= above || above > below)) {
        rect.top = combo.top - std::min<LONG>(height, above);
        rect.bottom = combo.top;
    } else {
        rect.bottom = combo.bottom + std::min<LONG>(height, below);
    }
    return FitRectInArea(rect, workArea);
}

POINT MinimumSizeInArea(POINT minimum, const RECT& workArea)
{
    const LONG areaWidth = workArea.right - workArea.left, areaHeight = workArea.bottom - workArea.top;
    if (areaWidth <= 0 || areaHeight <= 0)
        return minimum;
    return POINT{std::min(minimum.x, areaWidth), std::min(minimum.y, areaHeight)};
}
