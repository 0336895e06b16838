// The TreeList control's private records: the state of one control, its
// items, the cells of columns 1..31 and the column records. Callers see only
// handles, rows, columns and the message interface.
//
// Invariants (checked by TreeListVerify):
// - itemCount <= itemsSize; every non-empty slot h of items lies in 1..itemsSize.
// - Siblings form a doubly linked list whose ends are the parent's
//   firstChild/lastChild (firstRoot/lastRoot on the root level).
// - An item's row r != 0 means rowItems[r - 1] == its handle; once the rows
//   are brought up to date, rowItems[r] == h exactly when h's row is r + 1,
//   rows are consecutive over the expanded part of the tree and the slots
//   behind rowCount are 0.
// - columnOrder is a permutation of 0..columnCount - 1; position is its inverse.
#pragma once

#include "platform/win32/commctrl_types.h"
#include "ui/treelist/core/treelist_api.h"
#include "ui/treelist/core/treelist_lock.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

class TreeListHost;

constexpr uint32_t kTreeListMaxColumns = 32;
constexpr uint32_t kTreeListColorSlots = 18;
constexpr uint32_t kTreeListMaxTextLength = 65535;      // stored texts are cut here
constexpr uint32_t kTreeListMaxItemExtra = 0x1000000;  // caller area behind an item
constexpr uint32_t kTreeListMaxHandle = 0x00FFFFFF;     // handles fit the 24 bits of TLM_SETITEMTEXTCOLOR

// callbackFlags of items and cells.
constexpr uint8_t kTreeListTextCallback = 0x01;
constexpr uint8_t kTreeListImageCallback = 0x02;
constexpr uint8_t kTreeListSelImageCallback = 0x20;
constexpr uint8_t kTreeListChildrenCallback = 0x40;

// flags of items and cells.
constexpr uint8_t kTreeListAutoChildren = 0x01;  // cChildren was a count other than 0 and 1
constexpr uint8_t kTreeListHasChildren = 0x02;
constexpr uint8_t kTreeListShowsImage = 0x04;
constexpr uint8_t kTreeListDropHilite = 0x08;
constexpr uint8_t kTreeListOwnTextColor = 0x10;
constexpr uint8_t kTreeListOwnBackColor = 0x20;
constexpr uint8_t kTreeListFocusMark = 0x40;

// Delete progress of an item (re-entrant parents may delete it meanwhile).
constexpr uint8_t kTreeListDeleting = 0x01;
constexpr uint8_t kTreeListSentSelChanged = 0x02;
constexpr uint8_t kTreeListSentDeleteItem = 0x04;

struct TreeListItem {
    LPARAM data;
    char* text;  // own copy, never null; an empty text is one NUL byte
    uint32_t state;
    int32_t image;
    int32_t selectedImage;
    int32_t textWidth;  // measured width of the text, 0 = not measured
    uint32_t firstChild, lastChild, prevSibling, nextSibling;
    uint32_t row;  // row + 1, 0 = not shown
    uint32_t parent;
    uint16_t level;
    uint16_t textLength;
    uint8_t callbackFlags;
    uint8_t flags;
    uint8_t paint[2];
    COLORREF backColor;
    COLORREF textColor;
    // Beside the record's own fields: the identity that outlives a reused
    // handle, the size of the text buffer and the delete progress.
    uint32_t serial;
    uint32_t textSize;
    uint8_t deleteState;
    // The caller's area of itemExtraBytes follows the record.
    unsigned char* Extra() { return reinterpret_cast<unsigned char*>(this + 1); }
};

struct TreeListCell {
    char* text;  // may be null
    uint32_t state;
    int32_t image;
    int32_t textWidth;
    uint16_t textLength;
    uint8_t callbackFlags;
    uint8_t flags;
    COLORREF backColor;
    COLORREF textColor;
    uint32_t textSize;
};

struct TreeListColumn {
    LPARAM editChoices;
    LPARAM editData;
    int16_t autoWidth;
    int16_t width;
    int16_t minWidth;
    uint16_t fillWeight;
    uint8_t hasMinWidth;
    uint8_t weight;  // 0 = fixed width
    uint8_t nextColumn;
    uint8_t position;
    uint8_t align;  // 0 left, 1 centre, 2 right
    uint8_t editKind;
    uint8_t editFlags;
    uint8_t editBits25;
    uint8_t editBits17;
    uint8_t option10000000;
    uint8_t option80000000;
};

// Deferred actions (posted to the control itself with TLM_DEFERREDUPDATE).
enum TreeListDeferredAction : uint32_t {
    kDeferApplyState = 1,    // item, state bits, their mask
    kDeferExpand = 3,        // item, TVM_EXPAND code
    kDeferSelChanged = 4,    // deleted item, its data, its state
    kDeferScrollBack = 6,    // pull the first shown row back
    kDeferRepaintItem = 10,  // item
};

// Coalesced deferred updates: flags instead of queued records.
constexpr uint32_t kPendingVScroll = 0x01;     // update the vertical bar (action 8)
constexpr uint32_t kPendingRows = 0x02;        // bring the rows up to date (action 9)
constexpr uint32_t kPendingRepaintList = 0x04; // invalidate the list area (action 11)
constexpr uint32_t kPendingWidenColumn = 0x08; // automatic first-column width

struct TreeListDeferred {
    uint32_t action;
    uint32_t item;
    uint32_t serial;  // 0 = the item need not exist any more
    uint32_t arg1;
    uint32_t arg2;
    LPARAM data;
};

struct TreeListData {
    HWND window;
    TreeListHost* host;
    TreeListLock lock;
    int lockDepth;                // times the running thread holds the lock
    std::atomic<int> references;  // the window's own plus one per message in progress
    bool destroying;              // WM_DESTROY has begun
    std::atomic<bool> destroyed;  // WM_NCDESTROY has run; freed with the last reference
    int messageDepth;             // routed messages in progress (the check runs when the last ends)
    LPARAM windowProcedure;       // option 11 (read only): the window procedure, 0 without a window

    HIMAGELIST stateImages, normalImages, cellStateImages, extraImages, headerImages;
    HWND editWindow, header, tooltip;
    COLORREF colors[kTreeListColorSlots];
    int32_t stateImageCx, stateImageCy, cellStateImageCx, cellStateImageCy;
    int32_t imageCx, imageCy, extraImageCx, extraImageCy;
    int32_t itemHeight;
    int32_t indent;
    int32_t layoutValue;
    // The options of TLM_OPTION (TreeListOption) are named where they are
    // stored; the caller's own ones (1, 5, 7, 9, 16) are kept and read back,
    // nothing is drawn for them.
    int32_t keptNumber;  // option 1

    uint32_t rowCount;
    uint32_t* rowItems;  // itemsSize entries
    TreeListItem** items;  // itemsSize + 1 entries; entry 0 stays empty
    TreeListCell** cells[kTreeListMaxColumns];  // columns 1..31, itemsSize + 1 entries each
    uint32_t itemsSize, itemCount, freeHint;
    uint32_t itemExtraBytes;
    uint32_t checkLockStates;  // option 12: state bits that keep an item's check box as it is
    uint32_t firstRoot, lastRoot;
    uint32_t nextSerial;

    // Scroll state and geometry.
    int32_t scrollX;        // horizontal position in pixels
    int32_t clientWidth, clientHeight;
    int32_t headerHeight;
    uint32_t firstRow;      // first shown row (0-based)
    uint32_t linesShown;    // rows at least partly in the list area
    uint32_t visibleCount;  // rows wholly in the list area
    int32_t contentWidth;   // used when there are no columns
    int32_t lastHMax, lastHPage;
    int32_t lastVRange, lastVPage;
    DWORD lastVTick;
    bool hScrollNeeded;

    // Rows are brought up to date lazily: rows 1..rowsValid are right while
    // rowsDirty is set; the rest is renumbered before anything reads it.
    bool rowsDirty;
    uint32_t rowsValid;
    uint32_t rowsRepaintFrom;  // lowest changed row (1-based) since the last repaint

    uint32_t style;
    uint32_t extStyle;
    uint32_t noDragStates;    // option 2: state bits that keep an item from the control's own drag
    uint32_t dragRules;       // option 3: TLO3_* bits
    uint32_t pinnedRows;      // option 4: rows at the top that never scroll
    uint32_t keptFlag;        // option 5: 0x80000000 when on
    uint32_t themeRequested;  // option 8: the themed look, unless the caller's colours forbid it
    uint32_t keptWord;        // option 9
    uint32_t columnCount;
    uint32_t selectedCount;
    uint32_t caretItem, caretColumn;
    uint32_t anchorItem, anchorColumn;
    uint32_t dropItem, dropColumn;
    uint32_t insertMarkItem;
    uint32_t radioItem;
    uint32_t editColumn;
    uint16_t joinableColumns;  // option 14: bit c, column c's cells may join the next column's
    uint16_t joinedMask;

    TreeListColumn columns[kTreeListMaxColumns];
    COLORREF columnTextColors[kTreeListMaxColumns];
    // Edge p is the left edge of display position p; behind the last column a
    // sentinel follows, so 32 columns need 34 entries.
    int32_t columnEdges[kTreeListMaxColumns + 2];
    uint8_t columnOrder[kTreeListMaxColumns];
    uint8_t colorSet[kTreeListColorSlots];
    uint32_t proportionalCount;
    uint32_t option10000000Count;

    int8_t keptByte;  // option 7
    uint8_t itemHeightSet;
    uint8_t linesAtRoot;
    uint8_t enabled;
    uint8_t hasFocus;
    uint8_t themed;
    int8_t minRowHeight;  // option 10: the automatic row height is at least this
    uint8_t redrawOff;
    uint8_t keptSwitch;       // option 16: 0 or 1
    uint8_t keepMargin;       // option 13: rows kept around an item scrolled into view
    uint8_t autoWidthMargin;  // option 15: non-zero, column 0 widens to its texts plus this

    // Mouse and drag. A press on an item records its button (1 left, 2
    // right), item and column for the drag start; a left press on a selected
    // item under multiple selection leaves its click pending for the release.
    uint8_t mouseButton;
    uint32_t mouseItem, mouseSerial, mouseColumn;
    POINT mousePoint;
    bool pendingClick;
    uint32_t pendingItem, pendingSerial, pendingColumn;
    uint32_t dragItem;    // item of the control's own drag, 0 = none
    uint8_t dragState;    // key state bits 0x81 of the drag start; 0x80 = started by message
    uint8_t dragMode;     // the drag feedback's mode (copy look below 5)
    uint8_t dropBehind;   // the feedback placed the drop behind the target
    uint8_t autoScrollMode;
    uint32_t autoScrollTicks;
    // The parent answered the last TVN_KEYDOWN: the next character is not searched.
    bool keyHandled;
    // The character of a key the key down already used (Space on a check
    // box, Ctrl+Space on an item with children), 0 = none: that character
    // neither types nor searches.
    uint8_t keyCharUsed;
    // A drag the left button held was cancelled: the button's release that
    // follows ends nothing and reports no click.
    bool releaseAfterCancel;

    // Shift ranges in progress: each row is selected as the caret, but the
    // caret is scrolled into view once, when the outermost range ends.
    uint32_t rangeDepth;

    // Sorting: set while a level's comparisons run with the lock released.
    bool sorting;
    char* sortText[2];  // callback texts of the pivot and of the other item
    uint32_t sortTextSize[2];

    // Deferred updates.
    TreeListDeferred* deferred;
    uint32_t deferredCount, deferredCapacity;
    uint32_t pending;      // kPending* flags
    int32_t pendingWidth;  // width wanted for column 0
    bool updatePosted;
};
