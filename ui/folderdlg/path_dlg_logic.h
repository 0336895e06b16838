// The folder dialog's decisions without windows: path texts, option words,
// the registry entry, the recent list, list levels, type-ahead, sizing and
// layout arithmetic, the start path and the OK rules over an injected file
// system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CRecordArray;

// Option bits of the dialog.
constexpr unsigned kPathMustExist = 1;
constexpr unsigned kPathCreate = 2;
constexpr unsigned kPathPlain = 4;
constexpr unsigned kPathNoTree = 8;
constexpr unsigned kPathNoBreadCrumb = 16;
constexpr unsigned kPathModalBits = kPathMustExist | kPathCreate | kPathPlain | kPathNoTree;
constexpr unsigned kPathAllOptions = kPathModalBits | kPathNoBreadCrumb;

constexpr int kRecentLimit = 16;
constexpr int kRecentReadLimit = 32;
// Type-ahead: buffer size and the pauses that start a new search.
constexpr int kTypeAheadSize = 8;
constexpr uint32_t kTypeAheadShortPause = 750;
constexpr uint32_t kTypeAheadLongPause = 1000;
// Pixels of indent per list level.
constexpr int kLevelIndent = 5;

// What DoModalEx's option word makes of the current options (-1: unchanged).
unsigned MergeModalOptions(unsigned current, int given);
// The path combo's options for the dialog's options and breadcrumb flag.
unsigned PathComboOptions(unsigned options, bool breadCrumb);

inline bool IsNetworkPathText(const std::string& path)
{
    return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

// The normalisation of SetPath once the text has been made absolute: '/'
// becomes '\', trailing blanks and separators are cut down to the second
// character and never right after a ':'.
std::string TrimDialogPath(std::string text);
// SetPath: leading blanks skipped; a network text (unless plain paths) goes
// through `resolveNetwork`, any other through `makeAbsolute`; then trimmed.
std::string NormalizeDialogPath(const char* text, unsigned options,
                                const std::function<std::string(const std::string&)>& makeAbsolute,
                                const std::function<std::string(const std::string&)>& resolveNetwork);
// A text typed in the path box names a folder below or beside the one the
// dialog shows when it has no drive and no leading separator ("Brocken",
// "..\Harz"); leading blanks do not count.
bool IsRelativeTypedPath(const std::string& text);
// A typed text as a path: a relative one joined with the folder shown, its
// "." levels dropped and each ".." taking one level off, never the root's;
// any other text as typed (SetPath makes it absolute).
std::string ResolveTypedPath(const std::string& shown, const std::string& typed);
// AppendPathPart: the part cleaned (blanks, '/', cut at ':', '*', '?',
// trailing separators) and appended with '\' when something is left.
std::string AppendDialogPathPart(const std::string& path, const char* part);
// GetPathCopy into a buffer of size bytes; 0 and an empty text when it does
// not fit.
int CopyDialogPath(const std::string& path, char* buffer, int size, bool withSeparator);

// A registry entry: '#' = below HKEY_CURRENT_USER, else below the
// application's key; the parts before the last are keys, the last the value.
struct RegistryEntryText {
    bool belowUser = false;
    std::vector<std::string> keys;
    std::string value;
};
// False for an empty entry, no value name or a part of 260 characters or
// more.
bool ParseRegistryEntry(const char* entry, RegistryEntryText* out);

// Moves the path (without a trailing separator unless after ':') to the
// front of the recent list, keeping at most kRecentLimit entries.
void AddRecentPath(CRecordArray& list, const std::string& path);

// Case-blind path comparison in the code page's case mapping ("Ü" as "ü"),
// '/' as '\'.
bool SamePathNoCase(const std::string& a, const std::string& b);
bool PathStartsWithNoCase(const std::string& path, const std::string& prefix);

// The longest path the file functions take, and the longest result the
// dialog hands on (the folder with its trailing separator): a MAX_PATH
// buffer with its NUL. OK refuses a folder whose result is longer.
constexpr size_t kMaxDialogPath = 259;

// Folder names in the order of a comparison (the platform's locale order
// without case in the windows, so "Ärger" sorts beside "Arger", not after
// "Z"); names it finds equal keep their listing order.
typedef std::function<int(const char*, const char*)> NameCompare;
void SortFolderNames(std::vector<std::string>& names, const NameCompare& compare);

// The levels the folder list shows for a drive path: "C:\", then each part.
std::vector<std::string> SplitPathLevels(const std::string& path);
// The path of the level entries 0..upTo joined with '\' (a first entry of
// "\\" is the network root).
std::string JoinPathLevels(const std::vector<std::string>& levels, size_t upTo);

// Whether a typed character searches: all but the control codes (a blank
// does: "berge m" finds "Berge mit Leerzeichen").
bool TypeAheadTakes(unsigned character);
// Type-ahead of the folder list, case-blind in the code page's mapping.
struct TypeAhead {
    char text[kTypeAheadSize + 1] = {};
    int length = 0;
    uint32_t lastTick = 0;
    // Takes a typed character at the tick count; true when the search
    // begins behind the selected row (fewer than two characters, or the same
    // single character again).
    bool Key(char c, uint32_t now);
};
// The first of count rows, starting at start and wrapping around, whose
// text begins with the prefix (without case, national letters included);
// -1 when none.
int FindPrefixRow(int count, int start, const char* prefix, const std::function<const char*(int)>& textOf);

struct IntRect {
    int left, top, right, bottom;
};
// WM_SIZING: keeps the rectangle at least minWidth by minHeight, moving the
// dragged edge (WMSZ_* codes).
void ClampSizingRect(int edge, IntRect& rect, int minWidth, int minHeight);
// A layout row: factors 0 or 1 (a negative one acts like its magnitude).
struct LayoutRule {
    int id, moveX, moveY, growX, growY;
};
IntRect LayoutRect(const LayoutRule& rule, const IntRect& first, int dx, int dy);
// Whether a kept window rectangle may be restored on the monitor.
bool KeptRectUsable(const IntRect& kept, const IntRect& monitor);
// A monitor as the dialog's opening sees it: the whole monitor (which a
// kept place must lie well inside) and its work area.
struct MonitorAreas {
    IntRect monitor, work;
};
typedef std::function<MonitorAreas(const IntRect&)> MonitorOfRect;
// Where the dialog opens, and the least size the user may drag it to.
struct DialogOpening {
    IntRect rect;
    int minWidth, minHeight;
};
// The kept rectangle when the monitor holding it takes it, else the first
// one (the template at the screen's resolution). One wider or higher than
// its monitor's work area opens at the area's width or height, moved
// inside; one that fits opens where it is. The minimum is the first size
// less 100 by 300, never more than the work area holds.
DialogOpening DecideOpening(const IntRect& first, const IntRect* kept, const MonitorOfRect& monitorOf);
// A row background: each channel a / 4 + 3 * (b / 4) of two 0x00BBGGRR
// colours.
uint32_t MixRowColour(uint32_t a, uint32_t b);

// A drive record as the drive selection sees it.
struct DriveRecordText {
    std::string text;
    int kind;  // 1 network neighbourhood, 2 network path, else a drive
};
// The last record that begins the path (case-blind, records of one
// character ignored); a kind-1 record only for a network path. -1 when none.
int FindDriveForPath(const std::vector<DriveRecordText>& drives, const std::string& path);

// The file system as the dialog asks it (injected by the tests).
struct PathDlgFileSystem {
    std::function<int(const std::string&)> pathType;              // GetPathTypeA
    std::function<bool(const std::string&)> networkListable;      // \* finds an entry
    std::function<int(const std::string&)> classifyNetwork;       // ClassifyNetworkPath
    std::function<bool(const std::string&)> createTree;           // CreateDirectoryTreeA
    std::function<std::string()> currentDirectory;
};
// Kinds of a start path: GetPathTypeA's, plus these for network paths.
constexpr int kNetworkServer = 4;
constexpr int kNetworkFolder = 5;
struct StartPath {
    std::string path;
    int kind = 0;
    bool browsingNetwork = false;
};
StartPath ClassifyStartPath(const std::string& path, unsigned options, const PathDlgFileSystem& fs);

// The outcome of OK once the focus rules have passed.
enum class OkOutcome { kNavigate, kTooLong, kCreateFailed, kMissing, kAccept };
struct OkDecision {
    OkOutcome outcome;
    std::string path;    // the path to go to or keep ("D:" becomes "D:\")
    std::string result;  // on kAccept: the path with a trailing '\'
};
OkDecision DecideOk(std::string path, const std::string& shown, bool treeMode, unsigned options,
                    const PathDlgFileSystem& fs);
