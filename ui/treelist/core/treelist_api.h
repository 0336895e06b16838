// The TreeList control's own messages, notification codes, flags and records,
// beside the tree-view ones of the SDK that it also answers.
//
// Item handles are 1-based indexes into the control's item table, reused
// after deletion; 0 means none. They travel in HTREEITEM fields and are read
// as 32-bit values.
#pragma once

#include "platform/win32/commctrl_types.h"

#include <cstdint>

// ---- Messages ----
constexpr UINT TLM_COLUMNTEXTCOLOR = 0x114E;
constexpr UINT TLM_SETITEMDATA = 0x114F;
constexpr UINT TLM_GETITEMDATA = 0x1150;
constexpr UINT TLM_COUNTITEMS = 0x1151;
constexpr UINT TLM_BEGINDRAG = 0x1152;
constexpr UINT TLM_SETITEMCOLOR = 0x1153;
constexpr UINT TLM_SETAUTOSCROLL = 0x1154;
constexpr UINT TLM_DEFERREDUPDATE = 0x1155;
constexpr UINT TLM_SETDROPTARGET = 0x1156;
constexpr UINT TLM_MOVEITEM = 0x1158;            // in front of the target
constexpr UINT TLM_MOVEITEMAFTER = 0x1159;       // behind the target
constexpr UINT TLM_MOVEITEMFIRSTCHILD = 0x115A;  // the target's first child
constexpr UINT TLM_MOVEITEMLASTCHILD = 0x115B;   // the target's last child
constexpr UINT TLM_SETCOLUMNORDER = 0x115C;
constexpr UINT TLM_GETCOLUMNORDER = 0x115D;
constexpr UINT TLM_SETFOCUSITEM = 0x115E;
constexpr UINT TLM_ISITEMVISIBLE = 0x115F;
constexpr UINT TLM_OPTION = 0x1160;
constexpr UINT TLM_SELECTCHILDREN = 0x1161;
// lParam a TVITEMA: its fields (mask as TVM_SETITEM, TVIF_SUBITEM with the
// column in cChildren) are set on every item of the group that the mask's
// group bits select, as TLM_COUNTITEMS selects it (TLCI_*); the result is
// the number of items that changed, -1 for an unknown item.
constexpr UINT TLM_SETITEMS = 0x1162;
constexpr UINT TLM_FINDITEM = 0x1163;
constexpr UINT TLM_GETVISIBLEROWS = 0x1164;
constexpr UINT TLM_SETCOLUMNEDITDATA = 0x1165;
constexpr UINT TLM_SETCOLUMNEDIT = 0x1167;
constexpr UINT TLM_SORTCHILDRENEX = 0x1168;
constexpr UINT TLM_GETITEMEXTRA = 0x1169;
constexpr UINT TLM_GETITEMEXTRASIZE = 0x116A;
constexpr UINT TLM_SETITEMEXTRASIZE = 0x116B;
constexpr UINT TLM_GETCOLUMNWIDTH = 0x116C;
constexpr UINT TLM_SETCOLUMNWIDTH = 0x116D;
constexpr UINT TLM_GETCOLUMN = 0x116F;
constexpr UINT TLM_SETCOLUMN = 0x1171;
constexpr UINT TLM_GETROWOFITEM = 0x1172;
constexpr UINT TLM_GETROWCOUNT = 0x1173;
constexpr UINT TLM_GETITEMOFROW = 0x1174;
constexpr UINT TLM_GETITEMTEXTCOLOR = 0x1175;
constexpr UINT TLM_SETITEMTEXTCOLOR = 0x1176;
constexpr UINT TLM_GETITEMBKCOLOR = 0x1177;
constexpr UINT TLM_SETITEMBKCOLOR = 0x1178;
constexpr UINT TLM_SETDROPCELL = 0x1179;
constexpr UINT TLM_SELECTCELL = 0x117A;
constexpr UINT TLM_INSERTCOLUMN = 0x117C;
constexpr UINT TLM_DELETECOLUMN = 0x117D;
constexpr UINT TLM_GETCOLUMNCOUNT = 0x117E;
constexpr UINT TLM_GETHEADER = 0x117F;

// ---- Notification codes (beside the SDK's TVN_* and NM_*) ----
constexpr UINT TLN_GETTOOLTIP = 0u - 432u;
constexpr UINT TLN_CHECKCHANGED = 0u - 433u;
constexpr UINT TLN_EDITQUERY = 0u - 435u;
constexpr UINT TLN_LBUTTONUP = 0u - 436u;
constexpr UINT TLN_RBUTTONUP = 0u - 437u;
constexpr UINT TLN_COLUMNCHANGED = 0u - 438u;
constexpr UINT TLN_ENDDRAG = 0u - 440u;
constexpr UINT TLN_SCROLLING = 0u - 441u;

// ---- Item description flags ----
constexpr UINT TVIF_SUBITEM = 0x8000;       // cChildren is a column index
constexpr UINT TVIF_DEFERSTATE = 0x10000;   // selected/expanded bits applied later
constexpr UINT TVIF_DATAFOLLOWS = 0x10000000;  // insert: data word follows the TVITEM
constexpr UINT TVIF_TEXTPTR = 0x80000000;   // get: pointer to the stored text

// Bits of an item's state beside the SDK's TVIS_*.
constexpr UINT TVIS_HIDDEN = 0x4000;          // hidden when TLS_EX_HIDDENITEMS is set
constexpr UINT TVIS_JOINEDMASK = 0xFFFF0000;  // joined cells, one bit per column
constexpr UINT TVIS_CELLRIGHTICON = 0x80;     // a cell's icon stands at its right

// ---- Insert positions and item codes ----
#define TVI_AFTERITEM ((HTREEITEM)(ULONG_PTR)0xFFFF0005u)
#define TVI_BEFOREITEM ((HTREEITEM)(ULONG_PTR)0xFFFF0006u)
#define TVI_SORTCB ((HTREEITEM)(ULONG_PTR)0xFFFF0007u)
constexpr uint32_t kTreeListRoot = 0xFFFF0000u;
constexpr uint32_t kTreeListFirst = 0xFFFF0001u;
constexpr uint32_t kTreeListLast = 0xFFFF0002u;
constexpr uint32_t kTreeListSort = 0xFFFF0003u;
constexpr uint32_t kTreeListAfterItem = 0xFFFF0005u;
constexpr uint32_t kTreeListBeforeItem = 0xFFFF0006u;
constexpr uint32_t kTreeListSortCallback = 0xFFFF0007u;
constexpr uint32_t kTreeListCaret = 0xFFFF0008u;     // the caret item (ensure visible)
constexpr uint32_t kTreeListUnpinned = 0xFFFF000Au;  // root items behind the pinned rows
constexpr uint32_t kTreeListPositionFirst = 0xFFE00000u;  // + n: behind the n-th sibling
constexpr uint32_t kTreeListPositionLast = 0xFFEFFFFFu;
constexpr uint32_t kTreeListPositionMask = 0x000FFFFFu;

// ---- Codes of TVM_GETNEXTITEM beside the SDK's ----
#ifndef TVGN_NEXTSELECTED  // the SDK's newer headers name it too
constexpr UINT TVGN_NEXTSELECTED = 11;
#endif
constexpr UINT TVGN_DROPHILITECOLUMN = 12;
constexpr UINT TVGN_CARETCOLUMN = 13;
constexpr UINT TVGN_FIRSTSCROLLVISIBLE = 14;
constexpr UINT TVGN_FOCUS = 15;
constexpr UINT TVGN_FOCUSCOLUMN = 16;
constexpr UINT TVGN_NEXTSELECTEDCHILD = 17;
constexpr UINT TVGN_LASTCHILD = 18;
constexpr UINT TVGN_NEXTITEM = 19;
constexpr UINT TVGN_FIRSTUNPINNED = 20;
constexpr UINT TVGN_NEXTCHECKED = 21;
constexpr UINT TVGN_LEVEL = 22;

// ---- Hit-test flags beside the SDK's TVHT_* (column in bits 24..31) ----
constexpr UINT TVHT_ONITEMTEXT = 0x00040000;
constexpr UINT TVHT_ONCELLTEXT = 0x00080000;
constexpr UINT TVHT_ONCELLRIGHT = 0x00100000;
constexpr UINT TVHT_ONCELLICON = 0x00200000;
constexpr UINT TVHT_ONCELL = 0x00400000;
constexpr UINT TVHT_PASTCOLUMNS = 0x00800000;

// ---- Extended styles (TVM_SETEXTENDEDSTYLE): the control's own bits ----
constexpr UINT TLS_EX_MULTISELECT = 0x00000002;
constexpr UINT TLS_EX_SCROLLNOTIFY = 0x00000008;   // send TLN_SCROLLING
constexpr UINT TLS_EX_NOHSCROLL = 0x00000020;
constexpr UINT TLS_EX_HIDDENITEMS = 0x00000200;    // state bit 0x4000 hides an item
constexpr UINT TLS_EX_KEEPVSCROLL = 0x00000400;
constexpr UINT TLS_EX_COLUMNNOTIFY = 0x00000800;   // send TLN_COLUMNCHANGED
constexpr UINT TLS_EX_DRAGCOLUMNS = 0x00001000;
constexpr UINT TLS_EX_ODDHEIGHT = 0x00004000;
constexpr UINT TLS_EX_CHECKZERO = 0x00008000;      // state image 1 means checked
constexpr UINT TLS_EX_GRIDLINES = 0x00010000;
constexpr UINT TLS_EX_ROWGAP = 0x00020000;
constexpr UINT TLS_EX_CELLSELECT = 0x00040000;
constexpr UINT TLS_EX_FULLROWFOCUS = 0x00080000;
constexpr UINT TLS_EX_NOCOLUMNRESIZE = 0x00800000;
constexpr UINT TLS_EX_NOHEADER = 0x01000000;
constexpr UINT TLS_EX_TRACKPROPORTIONAL = 0x08000000;  // tracking needs a proportional column right of it
constexpr UINT TLS_EX_SHAREIMAGES = 0x20000000;
constexpr UINT TLS_EX_GETTOOLTIP = 0x00100000;       // the parent is asked for item tooltips
constexpr UINT TLS_EX_RADIOCHECK = 0x00002000;
constexpr UINT TLS_EX_TABTOPARENT = 0x00000040;    // Tab moves the focus to the parent
constexpr UINT TLS_EX_NORIGHTSELECT = 0x00000100;  // the right button selects nothing
constexpr UINT TLS_EX_NOISEARCH = 0x00400000;      // typing does not search
constexpr UINT TLS_EX_CTRLHOMEEND = 0x10000000;    // Ctrl+Home and Ctrl+End move the caret

// ---- TVM_EXPAND code bits beside the SDK's TVE_* ----
constexpr UINT TVE_ACTIONMASK = 0x000F;
constexpr UINT TVE_ALLSIBLINGS = 0x08000000;   // the following siblings too
constexpr UINT TVE_ALLCHILDREN = 0x10000000;   // the whole subtree
constexpr UINT TVE_PARENTLEVEL = 0x20000000;   // every item of the parent's level
constexpr UINT TVE_DEFERRED = 0x02000000;      // queue the request
constexpr UINT TVE_NONOTIFY = 0x04000000;      // no expand notifications
constexpr UINT TVE_ANCESTORS = 0x80000000;     // each ancestor in turn

// ---- Column description extras (LVCOLUMNA mask and fmt) ----
constexpr UINT TLCF_WEIGHT = 0x0008;            // cx is a proportional weight
constexpr UINT TLCF_OPTION1 = 0x10000000;
constexpr UINT TLCF_FILL = 0x20000000;
constexpr UINT TLCF_RESHARE = 0x40000000;
constexpr UINT TLCF_OPTION2 = 0x80000000;
constexpr WPARAM kTreeListOrderFromHeader = 0x88776655u;

// ---- TLM_FINDITEM ----
constexpr UINT TLFI_TEXT = 0x00000001;
constexpr UINT TLFI_DATA = 0x00000004;
constexpr UINT TLFI_STATE = 0x00000008;
constexpr UINT TLFI_MAXLEVELMASK = 0x0000FF00;  // descend only below this level - 1
constexpr UINT TLFI_MINLEVELMASK = 0x00FF0000;  // never climb to this level
constexpr UINT TLFI_SHOWNONLY = 0x01000000;
constexpr UINT TLFI_CHILDFIRST = 0x02000000;
constexpr UINT TLFI_NEXT = 0x04000000;
constexpr UINT TLFI_NOCASE = 0x08000000;
constexpr UINT TLFI_TREE = 0x10000000;
constexpr UINT TLFI_SUBTREE = 0x20000000;

struct TLFINDITEM {
    UINT flags;
    UINT column;
    UINT state;
    UINT stateMask;
    LPARAM data;
    LPCSTR text;
};

// ---- TLM_COUNTITEMS group bits in the TVITEM's mask ----
constexpr UINT TLCI_SIBLINGS = 0x00100000;
constexpr UINT TLCI_SELF = 0x00200000;
constexpr UINT TLCI_ANCESTORS = 0x00400000;
constexpr UINT TLCI_DESCENDANTS = 0x02000000;

// ---- TLM_SETITEMCOLOR ----
struct TLITEMCOLOR {
    BYTE which;   // 1 text colour, 0 background
    BYTE column;  // 255 = every column
    COLORREF color;
};
constexpr BYTE kTreeListAllColumns = 255;

// ---- Notification records beside NMTREEVIEWA ----
struct NMTLSCROLLING {
    NMHDR hdr;
    WORD bar;     // 0 horizontal, 1 vertical
    WORD reason;
    LONG x;       // would-be horizontal position
    LONG y;       // would-be first shown row
};

struct NMTLCOLUMN {
    NMHDR hdr;
    LONG column;
    LONG position;
    LONG left;
    LONG width;
};

// ---- TVM_GETNEXTITEM: the n-th child (TVI_ROOT: root item) or the sibling
// n places behind the item (n = 0: the item itself); n in the low 22 bits.
constexpr UINT TVGN_CHILDN = 0x6A000000;
constexpr UINT TVGN_SIBLINGN = 0x6B000000;
constexpr UINT TVGN_COUNTMASK = 0x003FFFFF;

// ---- Option 3, the drag rules: behaviour of mouse, keyboard, drag and drop ----
constexpr UINT TLO3_NOINTO = 0x0001;         // Ctrl does not drop into the target
constexpr UINT TLO3_SAMELEVEL = 0x0002;      // a dropped item keeps its level
constexpr UINT TLO3_SAMEPARENT = 0x0004;     // a dropped item keeps its parent
constexpr UINT TLO3_LEAVESONLY = 0x0008;     // only items without children are moved
constexpr UINT TLO3_PINNEDFIXED = 0x0010;    // pinned rows are neither dragged nor drop targets
constexpr UINT TLO3_ROOTONLY = 0x0020;       // only root items are dragged
constexpr UINT TLO3_DROPOUTSIDE = 0x0040;    // a drop outside the window is reported
constexpr UINT TLO3_ENDDRAGNOTIFY = 0x0080;  // a cancelled drag is reported
constexpr UINT TLO3_NEEDTEXT = 0x0100;       // a drag needs a caret item with text
constexpr UINT TLO3_NOLAST = 0x0200;         // no drop behind the last row

// ---- TLN_ENDDRAG (NMTREEVIEWA) ----
// itemOld.hItem the target (0 for a cancelled drag), itemOld.lParam the key
// state (MK_*), itemNew the first moved item (the dragged item when nothing
// moved), ptDrag the drop point; action: the number of moved items, the
// placement mode (0 in front, 1 behind, 2 first child, 3 last child) and the
// last move's result (0..2).
constexpr UINT TLED_COUNTMASK = 0x00FFFFFF;
constexpr UINT TLED_MODESHIFT = 24;
constexpr UINT TLED_OUTSIDE = 0x04000000;
constexpr UINT TLED_RESULTSHIFT = 30;

// ---- Timers of the control ----
constexpr UINT_PTR kTreeListDropTimer = 0x3910;        // expands the drop target
constexpr UINT_PTR kTreeListAutoScrollTimer = 0x3913;  // scrolls while dragging near an edge
constexpr UINT kTreeListDropExpandDelay = 500;         // ms

// ---- Codes the keyboard and mouse pass to the in-place editing ----
constexpr uint32_t kTreeListEditDoubleClick = 0x10000;
constexpr uint32_t kTreeListEditCtrlEnter = 0x10001;
constexpr uint32_t kTreeListEditPaste = 0x10004;
constexpr uint32_t kTreeListHookChar = 0x1000000;  // the hook gets a character, not a key

// ---- TVM_SETINSERTMARK ----
// The insert mark is a real, empty item (images none, the insert-mark
// colour): it counts in TVM_GETCOUNT and TLM_COUNTITEMS and is reached by
// TVM_GETNEXTITEM walks like any other item. wParam non-zero places it in
// front of lParam's item, 0 behind it; lParam 0 removes it.

// ---- Compare functions ----
// TLM_SORTCHILDRENEX: (control, item 1, item 2, data 1, data 2, parameter).
typedef int(CALLBACK* TreeListCompareProc)(HWND, HTREEITEM, HTREEITEM, LPARAM, LPARAM, LPARAM);
// Insert position TVI_SORTCB: (control, existing item, its text, new text,
// data of the existing item, parameter); passed in the TVITEM's hItem.
typedef int(CALLBACK* TreeListInsertCompareProc)(HWND, HTREEITEM, LPCSTR, LPCSTR, LPARAM, LPARAM);

// ---- Options of TLM_OPTION (number, + kTreeListOptionSet to write) ----
constexpr WPARAM kTreeListOptionSet = 0x80000000u;
enum TreeListOption : WPARAM {
    kTreeListOptionKeptNumber = 1,        // the caller's (starts at 1); a change repaints
    kTreeListOptionNoDragStates = 2,      // item state bits that keep it from the control's own drag
    kTreeListOptionDragRules = 3,         // TLO3_* bits
    kTreeListOptionPinnedRows = 4,        // rows at the top that never scroll
    kTreeListOptionKeptFlag = 5,          // the caller's switch; a write answers whether it was on
    kTreeListOptionSelectedCount = 6,     // read only
    kTreeListOptionKeptByte = 7,          // the caller's signed byte
    kTreeListOptionThemes = 8,            // the themed look, unless the caller's colours forbid it
    kTreeListOptionKeptWord = 9,          // the caller's word
    kTreeListOptionMinRowHeight = 10,     // the automatic row height is at least this (signed byte)
    kTreeListOptionWindowProcedure = 11,  // read only: the window procedure, 0 without a window
    kTreeListOptionCheckLockStates = 12,  // item state bits that keep its check box as it is
    kTreeListOptionKeepMargin = 13,       // rows kept around an item scrolled into view (starts at 3)
    kTreeListOptionJoinableColumns = 14,  // bit c: column c's cells may join the next column's
    kTreeListOptionAutoWidthMargin = 15,  // non-zero: column 0 widens to its texts plus this
    kTreeListOptionKeptSwitch = 16,       // the caller's switch, 0 or 1
};
