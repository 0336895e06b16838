// The decisions of the extended file dialogs that need no window: caption
// and filter, where a recent list is kept, which chosen path it remembers,
// its registry form, the type-ahead worker's matching and the popup list's
// arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win.h"

// The caller's flag bits the system does not define.
constexpr uint32_t kOfnCaptionBit = 0x80000000u;
constexpr uint32_t kOfnModeMask = 0x70000000u;
constexpr uint32_t kOfnModeFolders = 0x00000000u;
constexpr uint32_t kOfnModePaths = 0x10000000u;
constexpr uint32_t kOfnModeShowOnly = 0x20000000u;
constexpr uint32_t kOfnModeOwnList = 0x30000000u;
constexpr uint32_t kOfnModeRegistryPath = 0x40000000u;
constexpr uint32_t kOfnModeNone = 0x70000000u;

// Paths are kept in buffers of MAX_PATH + 2: a 259-character path, an
// appended separator and the NUL.
constexpr size_t kPathChars = 259;
constexpr size_t kPathBuffer = 262;
constexpr size_t kRecentEntries = 16;
constexpr size_t kRecentBytes = 4096;
constexpr size_t kRecentRead = 32;
constexpr size_t kValueTailMax = 24;
constexpr size_t kProfileKeyMax = 127;
constexpr size_t kProfileValueMax = 31;

// The first filter string up to '@' is the caption and the filter starts
// behind it; without '@' the whole string is the caption, the filter stays.
struct CaptionSplit {
    std::string caption;
    size_t filterOffset = 0;  // where the caller's filter now starts
};
CaptionSplit SplitCaption(const char* filter);

// "OfnList" + the profile's part behind its last '.', '*' or '?', cut to 24
// characters, first letter upper-case and the rest lower-case.
std::string OfnListValueName(const std::string& profile);
// The key below HKEY_CURRENT_USER for the application's key and profile
// name; `keyExists` answers whether a key opens for reading.
std::string OfnListKey(const std::string& appKey, const std::string& profileName,
                       const std::function<bool(const std::string&)>& keyExists);
// A registry-path profile: the part before the last '\' is the key, the
// rest the value name (cut to 127 and 31 characters).
void SplitProfilePath(const std::string& profile, std::string* key, std::string* value);

// The REG_MULTI_SZ of a recent list: the first 16 non-empty entries, each
// with its NUL, while the whole stays within 4096 bytes, then a final NUL.
std::vector<char> BuildRecentList(const std::vector<std::string>& entries);
// At most 32 strings of a stored list, in order.
std::vector<std::string> ParseRecentList(const char* data, size_t size);

// An absolute path with '/' turned into '\', without empty or "." parts,
// and with each ".." taking away the part before it but never the root
// (C:\ or \\server\share\ or a leading separator); a trailing separator
// stays. A path of no root only gets its separators turned.
std::string CollapsePath(const std::string& path);

// What the dialog remembers of a chosen path.
constexpr uint32_t kNoFile = 0xFFFFFFFFu;
constexpr uint32_t kDirectoryBit = 0x10;
typedef std::function<uint32_t(const std::string&)> AttributesFn;  // kNoFile when missing
struct RememberDecision {
    bool add = false;
    bool isFile = false;  // the entry is a file (not selected after adding)
    std::string path;
};
// `chosen` relative to `folder` (the dialog's current folder) when it is not
// absolute, then collapsed (x\Gipfel\..\a.gpx is kept as x\, beside no
// other spelling of the same folder);
// mode is the caller's flags & 0x30000000.
RememberDecision DecideRemember(const std::string& chosen, const std::string& folder, uint32_t mode, bool save,
                                const AttributesFn& attributes);
// The index of the entry equal to the path, or -1. Case-blind in the code
// page's own mapping (national letters too), as every comparison of names
// and paths in the file dialogs.
int FindRecentEntry(const std::vector<std::string>& entries, const std::string& path);
// Puts the path first: nothing when it is first already, else inserted at
// 0 with its older copy removed. False when nothing changed.
bool ApplyRemember(std::vector<std::string>& entries, const std::string& path);

// Whether a folder change keeps the typed text: it does for the dialog's
// first folder and for the folder listed already (however spelt), so a late
// or repeated notification never throws away what was typed for it.
bool FolderChangeKeepsText(const std::string& listed, const std::string& folder);

// The type-ahead worker's matching over the folder's names.
constexpr size_t kMaxFolderNames = 2000;
constexpr int kMaxMatches = 100;
bool IsListedName(const char* name);  // not "." or ".."
// Whether the name begins with the typed text, case-blind.
bool NameBeginsWith(const std::string& name, const std::string& typed);
struct MatchCursor {
    size_t position = 0;
    int posted = 0;
    void Reset() { position = 0; posted = 0; }
};
// One round: -1 when there is nothing to compare; else the position looked
// at, with *matched telling whether it begins with the typed text (case-
// insensitive). A non-match advances; a match advances by Posted().
long MatchStep(const std::vector<std::string>& names, const std::string& typed, MatchCursor& cursor, bool* matched);
inline void Posted(MatchCursor& cursor) { ++cursor.posted; ++cursor.position; }

// The popup list's arithmetic.
constexpr int kMinItemHeight = 4;
struct PopupRects {
    int listWidth, listHeight;
    int barX, barHeight;
    int gripLeft, gripTop;
};
PopupRects PopupLayout(int width, int height, int bar);
int PopupLinesPerPage(int clientHeight, int itemHeight);
enum PopupScrollCode { kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kThumbTrack, kTop, kBottom, kEnd };
// The new top index, or -1 for a code that does not scroll.
int PopupScrollTarget(int code, int top, int page, int thumb);
int PopupWheelLines(int delta);
// The size while dragging the grip: start + movement, each at least twice the bar.
void PopupDragSize(int startWidth, int startHeight, int dx, int dy, int bar, int* width, int* height);
// The first dialog's size: 600 by 450 + extra, scaled by the icon size / 32.
void FirstDialogSize(int extraHeight, int iconWidth, int* width, int* height);
// Where a file dialog opens. `made` is its rectangle as the system made it
// (in a size remembered from an earlier dialog, if any); the process's first
// dialog takes the first size at that place. A resizable dialog longer on a
// side than its monitor's work area is cut to the area on that side and
// moved into it (the dialog lays its controls out anew); any other keeps
// its place and size. An empty area (unknown) changes nothing.
RECT FileDialogRect(const RECT& made, bool first, int extraHeight, int iconWidth, bool resizable,
                    const RECT& workArea);
// Where the popup of typed names opens, `width` by `height`: under the
// combo, or above it when the work area has no room below but room above
// (as completion lists do); with room on neither side, on the side with
// more, cut to it. It is kept within the area's sides. An empty area
// (unknown) puts it under the combo.
RECT PopupRect(const RECT& combo, int width, int height, const RECT& workArea);
// The smallest size the user may size the dialog to (the system's is its
// size as made, which at a high dpi may exceed a small screen), cut to the
// work area so that a dialog cut to the area stays so. An empty area
// changes nothing.
POINT MinimumSizeInArea(POINT minimum, const RECT& workArea);
