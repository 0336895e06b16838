// The Win32 window of the TreeList control: the class "TreeList", its
// window procedure and the window's own state beside the portable records.
// The window is the core's host: it turns the core's requests into window,
// header, scroll-bar, timer and GDI calls, and answers the messages the core
// leaves to it (resources, image lists, header notifications, pointer
// tracking, tooltips, painting, in-place editing and the control's drag).
//
// Lifetime: the state record lives in the window's extra word from WM_CREATE
// to WM_NCDESTROY; the TreeListWindow object lives until the core reports
// Released(), after the last message in progress has returned.
#pragma once

#include "platform/win32/win.h"
#include "ui/treelist/core/treelist_internal.h"
#include "ui/treelist/win32/treelist_resources.h"

#include <commctrl.h>

#include <string>

// Registers "TreeList" once per process (and the common controls it uses);
// 1 on success, 0 when RegisterClassExA fails.
BOOL TreeListRegister(HINSTANCE instance);
LRESULT CALLBACK TreeListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Control ids of the child windows.
constexpr int kTreeListHeaderId = 1;
constexpr int kTreeListTooltipId = 2;
constexpr int kTreeListEditorId = 3;
// Timers of the window beside the core's drop timer.
constexpr UINT_PTR kTreeListTooltipTimer = 0x3912;
constexpr UINT_PTR kTreeListBarTimer = 0x3914;  // draws the scroll bars after a burst
constexpr DWORD kTreeListBarRedrawMs = 201;       // at most about five bar redraws a second
// The image-list value that means: the theme draws the check boxes.
#define TREELIST_THEMED_BOXES ((HIMAGELIST)(ULONG_PTR)1)
// Codes of the in-place editor's own endings (WM_COMMAND from id 3).
constexpr UINT kTreeListEditorCancel = 0x1578;
constexpr UINT kTreeListEditorAccept = 0x1579;
constexpr UINT kTreeListEditorChanged = 0x1000;

class TreeListWindow final : public TreeListHost {
public:
    explicit TreeListWindow(HWND window);
    ~TreeListWindow() override;
    TreeListWindow(const TreeListWindow&) = delete;
    TreeListWindow& operator=(const TreeListWindow&) = delete;

    // ---- TreeListHost ----
    HWND Window() override { return hwnd; }
    LRESULT Notify(NMHDR& header) override;
    void Invalidate(const RECT* rect, bool erase) override;
    void SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) override;
    bool GetScrollInfo(int bar, SCROLLINFO& info) override;
    void SetScrollPos(int bar, int pos, bool redraw) override;
    DWORD TickCount() override { return GetTickCount(); }
    void PostDeferredUpdate() override;
    COLORREF SysColor(int index) override { return GetSysColor(index); }
    int SystemMetric(int index) override { return GetSystemMetrics(index); }
    int TextHeight() override { return textHeight; }
    int MeasureText(const char* text, int length, bool bold) override;
    HWND CreateHeader(int height) override;
    void DestroyHeader() override;
    void MoveHeader(int x, int y, int width, int height) override;
    int HeaderInsertItem(int index, const HDITEMA& item) override;
    bool HeaderDeleteItem(int index) override;
    LRESULT HeaderSetItem(int index, const HDITEMA& item) override;
    bool HeaderGetItem(int index, HDITEMA& item) override;
    bool HeaderSetOrder(int count, const int* order) override;
    bool HeaderGetOrder(int count, int* order) override;
    void HeaderSetImageList(HIMAGELIST list) override;
    void InvalidateHeader() override;
    void HideTooltip() override;
    void SetFocus() override;
    void FocusParent() override;
    bool KeyHeld(int key) override { return GetKeyState(key) < 0; }
    bool ClipboardHasText() override { return IsClipboardFormatAvailable(CF_TEXT) != 0; }
    void SetTimer(UINT_PTR id, UINT milliseconds) override { ::SetTimer(hwnd, id, milliseconds, nullptr); }
    void KillTimer(UINT_PTR id) override { ::KillTimer(hwnd, id); }
    LRESULT EditKeyHook(uint32_t item, uint32_t column, uint32_t key, LPARAM keyData) override;
    LRESULT StartEdit(uint32_t column, uint32_t code, LPARAM keyData) override;
    void DragFeedback(uint32_t modeFlags, uint32_t keyState) override;
    void EndDragVisuals() override;
    // The shared drawing objects are given back with the records: a message
    // still in progress when the window went may yet draw.
    void Released() override
    {
        TreeListReleaseShared();
        delete this;
    }
    bool WindowTimer(UINT_PTR id) override;
    // The bar timer: draws both scroll bars with their last values.
    void RedrawBars();
    // The off-screen picture WM_PAINT draws into, at least width x height;
    // null when it cannot be made (then painting goes to the screen).
    HDC PaintBuffer(int width, int height);

    // ---- Fonts ----
    // The font texts are drawn and measured in (the control's, else the
    // default GUI font) and its bold twin.
    HFONT DrawFont() const;
    HFONT BoldFont();
    void FontChanged();

    HWND hwnd;
    TreeListData* d = nullptr;
    HDC measureDc = nullptr;  // memory DC for measuring texts
    HDC bufferDc = nullptr;   // the off-screen picture of WM_PAINT
    HBITMAP bufferBitmap = nullptr;
    HGDIOBJ bufferOld = nullptr;
    int bufferWidth = 0, bufferHeight = 0;
    HFONT font = nullptr;     // WM_SETFONT's font, 0 = default
    HFONT boldFont = nullptr;  // made on first need
    int textHeight = 13;

    // Themes: "TREEVIEW" and "BUTTON" (the check boxes), 0 without theming.
    HTHEME theme = nullptr;
    HTHEME buttonTheme = nullptr;

    // Image lists the control made or was given to own. A check-box list
    // drawn by the theme is the marker value 1, which no image-list function
    // may see; these flags say which lists are real.
    bool ownNormalImages = false, ownStateImages = false, ownCellStateImages = false, ownExtraImages = false;
    bool themedStateBoxes = false, themedCellBoxes = false;
    // The check-box lists the control built itself (themed or drawn).
    bool builtStateBoxes = false, builtCellBoxes = false;

    // Header calls made by the control itself: their notifications are its
    // own doing, not the user's.
    DWORD lastBarRedraw[2] = {};  // horizontal, vertical
    bool barTimer = false;

    int headerCalls = 0;
    // HDN_BEGINTRACK re-posts the press to the header once; the second
    // HDN_BEGINTRACK that this causes is let through.
    bool trackReposted = false;
    bool columnTracking = false;
    int trackColumn = -1;
    // Where the tracked column's header item began when tracking started:
    // the width follows the pointer's travel from there, even as columns
    // left of it give or take width.
    int trackStartLeft = 0;
    // The header's own width change right after HDN_ENDTRACK is refused:
    // the control set the width already.
    bool trackEnded = false;

    // Pointer state.
    POINT lastMouse = {};          // every move stores its position
    DWORD lastPressTick = 0;       // the control's own double click
    POINT lastPressPoint = {};
    int wheelRemainder = 0;
    uint32_t hotItem = 0, hotColumn = 0;  // hot check box
    bool hotBox = false;
    bool leaveTracked = false;
    uint32_t pushedItem = 0, pushedSerial = 0, pushedColumn = 0;
    bool cellPushed = false;

    // Item tooltip: the one the control made (tooltip names the one in use,
    // which the caller may replace) and its procedure before the control's.
    HWND ownTooltip = nullptr;
    bool tipShown = false;
    uint32_t tipItem = 0, tipColumn = 0;
    int tipCountdown = 0;
    POINT tipPosition = {};
    std::string tipText;
    bool tipBold = false;

    // In-place editor: the item it edits (its column is the records'
    // editColumn, which the columns' changes keep in step) and where it
    // stands.
    WNDPROC editorProc = nullptr;
    uint32_t editItem = 0, editSerial = 0;
    RECT editPlace = {};
    bool editChanged = false;

    // The drag's image list (TVM_CREATEDRAGIMAGE of the dragged item).
    HIMAGELIST dragImage = nullptr;
};

inline TreeListWindow& TreeListWindowOf(TreeListData& d) { return *static_cast<TreeListWindow*>(d.host); }

// ---- The window's rows of the message table (win32/treelist_window_messages.cpp) ----
std::span<const TreeListRoute> TreeListWindowRoutes();
// The pointer: tracking, pushed cells, hot check boxes, release
// notifications, the wheel; the buttons' selection decisions are the core's.
void TreeListPointerMove(TreeListData& d, WPARAM keys, POINT point);
void TreeListPointerLeave(TreeListData& d);
LRESULT TreeListPointerLeftDown(TreeListData& d, WPARAM keys, LPARAM lParam);
LRESULT TreeListPointerLeftUp(TreeListData& d, WPARAM keys, LPARAM lParam);
LRESULT TreeListPointerRightUp(TreeListData& d, WPARAM keys, LPARAM lParam);
LRESULT TreeListPointerWheel(TreeListData& d, WPARAM wParam);
// WM_NOTIFY from the header.
LRESULT TreeListHeaderNotify(TreeListData& d, NMHDR& header);
// TLM_SETCOLUMN and TLM_GETCOLUMN.
LRESULT TreeListSetColumn(TreeListData& d, uint32_t column, const LVCOLUMNA& description);
LRESULT TreeListGetColumn(TreeListData& d, uint32_t column, LVCOLUMNA& description);
// Shares the free client width among the proportional columns by weight.
void TreeListReshareColumns(TreeListData& d);

// ---- Resources: image lists, check boxes, drag image ----
// TVM_SETIMAGELIST (kind in the low byte, 0x40000000 = the caller keeps it).
HIMAGELIST TreeListSetImageList(TreeListData& d, WPARAM kind, HIMAGELIST list);
HIMAGELIST TreeListGetImageList(const TreeListData& d, WPARAM kind);
// Builds the built-in check boxes of the state list (which 0) or the cell
// state list (which 1): themed when the "BUTTON" theme is open, else drawn.
void TreeListCreateCheckBoxes(TreeListData& d, int which);
// Destroys the lists the control owns (WM_DESTROY).
void TreeListDestroyImageLists(TreeListData& d);
// TVM_CREATEDRAGIMAGE: a one-image list of the item's or cell's text, or 0.
HIMAGELIST TreeListCreateDragImage(TreeListData& d, uint32_t item, uint32_t column);
// Opens or closes the "TREEVIEW" and "BUTTON" themes.
void TreeListOpenThemes(TreeListData& d);
void TreeListCloseThemes(TreeListData& d);

// ---- Tooltip ----
void TreeListCreateTooltip(TreeListData& d);
void TreeListDestroyTooltip(TreeListData& d);
// Shows, moves or hides the item tooltip for the hit item and flags.
void TreeListUpdateTooltip(TreeListData& d, uint32_t item, UINT hitFlags);
void TreeListHideItemTooltip(TreeListData& d);
void TreeListTooltipTimer(TreeListData& d);
// TTN_GETDISPINFO of the tooltip: the text to show.
void TreeListTooltipText(TreeListData& d, NMTTDISPINFOA& info);

// ---- Painting, editing and drag (the services the core reaches) ----
void TreeListPaint(TreeListData& d, HDC dc, const RECT* update);
HWND TreeListEditLabel(TreeListData& d, uint32_t item, uint32_t column, uint32_t flags);
// Ends an open editor: keep 1 takes the text, 0 drops it, 2 takes it as the
// editor's own Enter does (the notification says so with 0x10000000).
// Non-zero when an editor was open.
int TreeListEndEdit(TreeListData& d, int keep);
// After each outermost message: an open editor follows its cell when the
// rows or columns under it moved, and ends as a focus loss ends it when its
// cell left the view.
void TreeListFollowEditor(TreeListData& d);
LRESULT TreeListStartEdit(TreeListData& d, uint32_t column, uint32_t code, LPARAM keyData);
LRESULT TreeListEditKeyHook(TreeListData& d, uint32_t item, uint32_t column, uint32_t key, LPARAM keyData);
int TreeListStartDrag(TreeListData& d, uint32_t item, uint32_t keyState, POINT point);
void TreeListDragFeedback(TreeListData& d, uint32_t modeFlags, uint32_t keyState);
// Ends the control's own drag after a release: drop, clear target, stop
// auto-scroll, arrow cursor.
void TreeListFinishDrag(TreeListData& d, WPARAM keys, POINT point);
