// The bar: CToolBarNew, the frame's toolbar bar whose window is the
// library's "ToolbarExWindow32" control. Buttons come from toolbar
// resources and bitmaps in several sizes; buttons can be colour swatches or
// hold combo boxes and edits, whose commands and notifications the bar
// passes to the frame; a context menu chooses the icon size, the flat look
// and hides the bar. Bars dock at the frame's edges or float in a small
// frame of their own.
#pragma once

#include <cstdint>

#include "platform/framework/control_bar.h"
#include "platform/framework/menu.h"
#include "ui/toolbar/toolbar_control.h"

class CToolBarNew;

// The command-update object of one button.
class ToolbarCmdUI : public CCmdUI {
public:
    CWnd* m_bar = nullptr;
    void Enable(BOOL on = TRUE) override;
    void SetCheck(int check = 1) override;
};

class CToolBarNew : public CToolBar {
public:
    static const CRuntimeClass classCToolBarNew;
    const CRuntimeClass* GetRuntimeClass() const override;

    CToolBarNew();

    // The bar's own members, read and written by callers as they are: a
    // context-menu slot gets a text of its own by writing its text pointer.
    struct MenuSlot {
        const char* text;  // null: the built-in text
        uint16_t id;
    };
    MenuSlot menuSlots[5];
    uint32_t barStyle = 0;  // the control style's high word, in place
    uint32_t iconMode = 0;  // the checked icon-size entry, 0..2
    int buttonSize = 16;
    uint32_t imageWidth = 0;

    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* parent, DWORD controlStyle = 0, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                  const RECT& borders = RECT{0, 0, 0, 0}, UINT id = AFX_IDW_TOOLBAR);
    // entries: up to 8 resource names, null-ended; an entry whose inMemory
    // flag is set points at a ToolbarBitmapEntry instead. count kKeepButtons
    // keeps the control's ids.
    BOOL LoadToolBar(const char* const* entries, const uint16_t* ids = nullptr, int count = 0,
                     const uint8_t* inMemory = nullptr, HINSTANCE instance = nullptr);
    BOOL SetBitmap(HBITMAP bitmap, int width, BOOL deleteOnFailure, const uint16_t* ids, int count,
                   UINT firstId);
    BOOL LoadBitmap(const char* name, int width, HINSTANCE instance, const uint16_t* ids, int count,
                    UINT firstId);
    CWnd* GetControl(int index);
    CWnd* FindControl(int id, int occurrence = 0);
    // child: a window made with the bar as its parent. Controls send their
    // notifications to the parent they were made with, so one made
    // elsewhere and moved in would bypass the bar.
    int AddControl(CWnd* child, UINT button, int slot = -1, BOOL setFont = TRUE);
    void SetButtonColors(int count, UINT firstId, const COLORREF* colors, COLORREF extra = COLORREF(-1));
    LRESULT SetButtonColorList(int count, const uint16_t* ids, const COLORREF* colors, COLORREF extra = COLORREF(-1));
    LRESULT SetButtonColor(UINT button, COLORREF color, int mode = 0);
    LRESULT SetExtraColors(COLORREF first, COLORREF second);
    // state in TBX_GETSTATE's form (bits 16..23), -1 keeps it.
    LRESULT SetButtonInfo(UINT id, int image, int state, int width);
    LRESULT SetButtonInfoEx(UINT id, int image, int state, int width, int size, int secondSize);
    // styleState: style in bits 16..23 (the 0x40000 bit inverted), state in 0..7.
    BOOL GetButtonInfo(UINT id, UINT* outId, UINT* styleState, int* image);
    BOOL GetButtonInfoByIndex(int index, UINT* outId, UINT* styleState, int* image);
    DWORD SetStyle(DWORD style);
    DWORD ModifyStyle(DWORD bits, DWORD mask, BOOL relayout);
    LRESULT SetButtonWidth(UINT id, int width, BOOL relayout = TRUE);
    LRESULT SetAllButtonWidths(int width, BOOL relayout = TRUE);
    BOOL SetButtons(const uint16_t* ids, int count);
    BOOL SetGroup(UINT first, int count);
    LRESULT SendItemRecord(LPARAM value, uint32_t word, uint16_t first, uint16_t second, uint8_t a, uint8_t b);
    SIZE CalcSize(SIZE* out, BOOL apply, int minWidth);
    void RecalcBar();

    // Builds the context menu; false when the bar has no menu entries.
    BOOL BuildContextMenu(CMenu& menu);
    // Carries out a chosen menu entry (0: none).
    void OnMenuCommand(UINT id);

    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override;
    SIZE CalcDynamicLayout(int length, DWORD mode) override;
    // A button of the control; separators and the rest drag the bar.
    int OnToolHitTest(POINT client) const override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    void OnTimer(UINT_PTR id);
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // The messages the bar takes before its base: false leaves one to it.
    bool OnBarCommand(uint16_t id, uint16_t code, HWND child);
    bool OnChildNotify(LRESULT& answer, WPARAM id, NMHDR* header);
    CFrameWnd* TargetFrame() const;
    // The size after loading buttons: a popup parent's width, else one row
    // when the bar has no size yet.
    void SizeAfterLoad();
    BOOL InfoOf(WPARAM button, DWORD mask, UINT* outId, UINT* styleState, int* image);
    SIZE Insets(BOOL horz) const;
    // The control's size for a layout (TBX_NEEDEDSIZE) with the insets added.
    SIZE Needed(WPARAM limit, LPARAM flags, SIZE insets);

    int m_mruWidth = 32767;
    bool m_layoutDelayed = false;
};

// The bar's timer: hot-tracking ticks passed on to the control.
constexpr UINT_PTR kToolbarTimer = 6527;
