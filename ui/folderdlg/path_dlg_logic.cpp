#include "ui/folderdlg/path_dlg_logic.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/framework/work_area_fit.h"
#include "system/path_text.h"
#include "system/record_array.h"
#include "text/char_class.h"
#include "text/text_services.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

unsigned char Lower(char c) { return CharToLower(static_cast<unsigned char>(c)); }

// A path character as the case-blind comparison sees it.
unsigned char PathFold(char c) { return c == '/' ? '\\' : Lower(c); }

bool SamePathPrefix(const std::string& a, const std::string& b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (PathFold(a[i]) != PathFold(b[i]))
            return false;
    return true;
}

// WMSZ_* edge codes.
constexpr int kEdgeLeft = 1, kEdgeTopLeft = 4, kEdgeBottom = 6, kEdgeBottomLeft = 7, kEdgeBottomRight = 8;

}  // namespace

unsigned MergeModalOptions(unsigned current, int given)
{
    if (given == -1)
        return current;
    return (current & ~kPathModalBits) | (unsigned(given) & kPathModalBits);
}

unsigned PathComboOptions(unsigned options, bool breadCrumb)
{
    unsigned combo = (options & kPathPlain) ? 0x103 : 3;
    if (!breadCrumb)
        combo |= 0x200;
    if (options & kPathMustExist)
        combo |= 16;
    return combo;
}

std::string TrimDialogPath(std::string text)
{
    for (char& c : text)
        if (c == '/')
            c = '\\';
    while (text.size() > 2 && (IsBlank(text.back()) || text.back() == '\\') && text[text.size() - 2] != ':')
        text.pop_back();
    // "C: " and "C:\ " lose only their blanks; a bare "X " its blank.
    while (text.size() > 1 && IsBlank(text.back()))
        text.pop_back();
    return text;
}

std::string NormalizeDialogPath(const char* text, unsigned options,
                                const std::function<std::string(const std::string&)>& makeAbsolute,
                                const std::function<std::string(const std::string&)>& resolveNetwork)
{
    while (IsBlank(*text))
        ++text;
    const std::string given(text);
    const bool network = !(options & kPathPlain) && IsNetworkPathText(given);
    return TrimDialogPath(network ? resolveNetwork(given) : makeAbsolute(given));
}

bool IsRelativeTypedPath(const std::string& text)
{
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return false;
    const char* p = text.c_str() + start;
    return !IsPathSeparator(p[0]) && p[1] != ':';
}

std::string ResolveTypedPath(const std::string& shown, const std::string& typed)
{
    if (!IsRelativeTypedPath(typed))
        return typed;
    const size_t root = PathRootLength(shown.c_str());
    // Blanks around the text go, as SetPath cuts them.
    const size_t first = typed.find_first_not_of(" \t"), last = typed.find_last_not_of(" \t");
    const std::vector<std::string> kept =
        CollapsedLevels(shown.substr(root) + "\\" + typed.substr(first, last + 1 - first));
    std::string path = shown.substr(0, root);
    for (const std::string& level : kept) {
        if (!path.empty() && !IsPathSeparator(path.back()))
            path += '\\';
        path += level;
    }
    return TrimDialogPath(path);
}

std::string AppendDialogPathPart(const std::string& path, const char* part)
{
    while (IsBlank(*part))
        ++part;
    std::string clean(part, std::strcspn(part, ":*?"));
    for (char& c : clean)
        if (c == '/')
            c = '\\';
    while (!clean.empty() && (IsBlank(clean.back()) || clean.back() == '\\'))
        clean.pop_back();
    if (clean.empty())
        return path;
    std::string joined = path;
    if (joined.empty() || joined.back() != '\\')
        joined += '\\';
    return joined + clean;
}

int CopyDialogPath(const std::string& path, char* buffer, int size, bool withSeparator)
{
    std::string text = path;
    if (withSeparator)
        AppendBackslashStr(text);
    if (!buffer || size < 1)
        return 0;
    if (text.size() + 1 > size_t(size)) {
        buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return int(text.size());
}

bool ParseRegistryEntry(const char* entry, RegistryEntryText* out)
{
    if (!entry || !*entry)
        return false;
    RegistryEntryText parsed;
    parsed.belowUser = entry[0] == '#';
    const char* p = entry + (parsed.belowUser ? 1 : 0);
    std::vector<std::string> parts;
    while (*p) {
        const size_t n = std::strcspn(p, "\\/");
        if (n >= size_t(kMaxPathText))
            return false;
        if (n)
            parts.emplace_back(p, n);
        p += n;
        if (*p)
            ++p;
    }
    if (parts.empty())
        return false;
    parsed.value = parts.back();
    parts.pop_back();
    parsed.keys = std::move(parts);
    *out = std::move(parsed);
    return true;
}

void AddRecentPath(CRecordArray& list, const std::string& path)
{
    std::string text = path;
    if (text.size() > 1 && text.back() == '\\' && text[text.size() - 2] != ':')
        text.pop_back();
    if (text.empty())
        return;
    list.SetHistoryLimit(kRecentLimit, CRecordArray::kCaseIgnore);
    if (list.MoveToFront(text.c_str()) != 0)
        list.AddString(text.c_str(), 0);
    list.SetHistoryLimit(kRecentLimit, CRecordArray::kCaseIgnore);
}

bool SamePathNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && SamePathPrefix(a, b, a.size());
}

bool PathStartsWithNoCase(const std::string& path, const std::string& prefix)
{
    return prefix.size() <= path.size() && SamePathPrefix(path, prefix, prefix.size());
}

void SortFolderNames(std::vector<std::string>& names, const NameCompare& compare)
{
    std::stable_sort(names.begin(), names.end(),
                     [&](const std::string& a, const std::string& b) { return compare(a.c_str(), b.c_str()) < 0; });
}

std::vector<std::string> SplitPathLevels(const std::string& path)
{
    std::vector<std::string> levels;
    const size_t root = PathRootLength(path.c_str());
    if (root)
        levels.push_back(path.substr(0, root));
    size_t at = root;
    while (at < path.size()) {
        size_t end = at;
        while (end < path.size() && !IsPathSeparator(path[end]))
            ++end;
        if (end > at)
            levels.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    return levels;
}

std::string JoinPathLevels(const std::vector<std::string>& levels, size_t upTo)
{
    std::string path;
    for (size_t i = 0; i <= upTo && i < levels.size(); ++i) {
        if (i == 0 && levels[0] == "\\\\") {
            path = "\\\\";
            continue;
        }
        if (!path.empty() && path.back() != '\\')
            path += '\\';
        path += levels[i];
    }
    return path;
}

bool TypeAheadTakes(unsigned character) { return character >= ' ' && character != 0x7F && character <= 0xFF; }

bool TypeAhead::Key(char c, uint32_t now)
{
    const uint32_t pause = now - lastTick;
    const bool restart = length >= kTypeAheadSize || (length >= 3 && pause > kTypeAheadLongPause) ||
                         (length >= 1 && length <= 2 && pause > kTypeAheadShortPause);
    lastTick = now;
    if (restart)
        length = 0;
    if (length == 1 && Lower(text[0]) == Lower(c))
        return true;  // the same key again: on to the next match
    text[length++] = c;
    text[length] = 0;
    return length < 2;
}

int FindPrefixRow(int count, int start, const char* prefix, const std::function<const char*(int)>& textOf)
{
    const int n = int(std::strlen(prefix));
    if (count <= 0)
        return -1;
    start = ((start % count) + count) % count;
    for (int step = 0; step < count; ++step) {
        const int row = (start + step) % count;
        const char* text = textOf(row);
        if (!text)
            continue;
        if (StrCompareNoCaseNA(text, prefix, n) == 0)
            return row;
    }
    return -1;
}

void ClampSizingRect(int edge, IntRect& rect, int minWidth, int minHeight)
{
    if (rect.right - rect.left < minWidth) {
        if (edge == kEdgeLeft || edge == kEdgeTopLeft || edge == kEdgeBottom || edge == kEdgeBottomLeft)
            rect.left = rect.right - minWidth;
        else
            rect.right = rect.left + minWidth;
    }
    if (rect.bottom - rect.top < minHeight) {
        if (edge == kEdgeLeft || edge == kEdgeBottom || edge == kEdgeBottomLeft || edge == kEdgeBottomRight)
            rect.bottom = rect.top + minHeight;
        else
            rect.top = rect.bottom - minHeight;
    }
}

IntRect LayoutRect(const LayoutRule& rule, const IntRect& first, int dx, int dy)
{
    auto mag = [](int v) { return v < 0 ? -v : v; };
    IntRect r = first;
    r.left += mag(rule.moveX) * dx;
    r.right += mag(rule.moveX) * dx + mag(rule.growX) * dx;
    r.top += mag(rule.moveY) * dy;
    r.bottom += mag(rule.moveY) * dy + mag(rule.growY) * dy;
    return r;
}

bool KeptRectUsable(const IntRect& kept, const IntRect& monitor)
{
    return kept.left > monitor.left + 100 && kept.left < monitor.right - 100 && kept.top > monitor.top + 10 &&
           kept.top < monitor.bottom - 100 && kept.right - kept.left > 16 && kept.bottom - kept.top > 16;
}

namespace {

RECT ToRect(const IntRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
IntRect FromRect(const RECT& r) { return IntRect{r.left, r.top, r.right, r.bottom}; }

// How far the minimum lies below the first size.
constexpr int kMinWidthLess = 100, kMinHeightLess = 300;

}  // namespace

DialogOpening DecideOpening(const IntRect& first, const IntRect* kept, const MonitorOfRect& monitorOf)
{
    IntRect rect = first;
    if (kept && KeptRectUsable(*kept, monitorOf(*kept).monitor))
        rect = *kept;
    const RECT work = ToRect(monitorOf(rect).work);
    const RECT cut = CutRectToAreaSize(ToRect(rect), work);
    if (cut.right != rect.right || cut.bottom != rect.bottom)
        rect = FromRect(FitRectInArea(cut, work));
    // An empty work area (unknown) bounds nothing.
    const int roomX = work.right > work.left ? work.right - work.left : INT_MAX;
    const int roomY = work.bottom > work.top ? work.bottom - work.top : INT_MAX;
    return {rect, std::min(first.right - first.left - kMinWidthLess, roomX),
            std::min(first.bottom - first.top - kMinHeightLess, roomY)};
}

uint32_t MixRowColour(uint32_t a, uint32_t b)
{
    uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        mixed |= (ca / 4 + 3 * (cb / 4)) << shift;
    }
    return mixed;
}

int FindDriveForPath(const std::vector<DriveRecordText>& drives, const std::string& path)
{
    const bool network = IsNetworkPathText(path);
    for (int i = int(drives.size()) - 1; i >= 0; --i) {
        const DriveRecordText& d = drives[size_t(i)];
        if (d.text.size() <= 1 || (d.kind == 1 && !network))
            continue;
        if (d.kind == 1 || PathStartsWithNoCase(path + "\\", d.text))
            return i;
    }
    return -1;
}

StartPath ClassifyStartPath(const std::string& path, unsigned options, const PathDlgFileSystem& fs)
{
    StartPath start;
    start.path = path.empty() ? fs.currentDirectory() : path;
    if ((options & kPathPlain) || !IsNetworkPathText(start.path)) {
        start.kind = fs.pathType(start.path);
    } else if (fs.networkListable(start.path)) {
        start.kind = fs.classifyNetwork(start.path) >= 2 ? kNetworkServer : kNetworkFolder;
    }
    if ((options & kPathMustExist) && start.kind == 0) {
        start.path = fs.currentDirectory();
        start.kind = fs.pathType(start.path);
    } else if (start.kind == 1) {
        std::string folder = start.path;
        RemoveFileNameStr(folder);
        start.path = TrimDialogPath(folder);
        start.kind = fs.pathType(start.path);
    }
    start.browsingNetwork = IsNetworkPathText(start.path);
    return start;
}

OkDecision DecideOk(std::string path, const std::string& shown, bool treeMode, unsigned options,
                    const PathDlgFileSystem& fs)
{
    if (path.size() == 2 && path[1] == ':')
        path += '\\';
    OkDecision d{OkOutcome::kAccept, path, {}};
    // Refused before anything else: the folder cannot be listed, made or
    // handed on in a MAX_PATH buffer.
    std::string result = path;
    AppendBackslashStr(result);
    if (result.size() > kMaxDialogPath) {
        d.outcome = OkOutcome::kTooLong;
        return d;
    }
    if (!treeMode && !SamePathNoCase(path, shown)) {
        d.outcome = OkOutcome::kNavigate;
        return d;
    }
    const bool network = IsNetworkPathText(path);
    if (options & kPathCreate) {
        const bool present = network ? fs.networkListable(path) : fs.pathType(path) >= kPathFolder;
        if (!present && !fs.createTree(path)) {
            d.outcome = OkOutcome::kCreateFailed;
            return d;
        }
    }
    if (options & kPathMustExist) {
        const int kind = network ? (fs.networkListable(path) ? kPathFolder : kPathMissing) : fs.pathType(path);
        if (kind != kPathFolder && kind != kPathDriveRoot) {
            d.outcome = OkOutcome::kMissing;
            return d;
        }
    }
    d.result = std::move(result);
    return d;
}
