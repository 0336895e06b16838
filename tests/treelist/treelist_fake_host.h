// A fake window for the TreeList core: records what the core asks of its
// window (notifications, invalidations, scroll bars, header items), keeps a
// fake clock, and lets a test answer notifications (also re-entrantly).
#pragma once

#include "ui/treelist/core/treelist_internal.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace treelist_test {

inline LPARAM P(const void* p) { return reinterpret_cast<LPARAM>(p); }

// An item record for TVM_GETITEM, TVM_SETITEM and the other item messages.
inline TVITEMA ItemOf(uint32_t h, UINT mask, UINT state = 0, UINT stateMask = 0)
{
    TVITEMA tv{};
    tv.hItem = TreeListHtreeOf(h);
    tv.mask = mask;
    tv.state = state;
    tv.stateMask = stateMask;
    return tv;
}

// A notification as the parent saw it.
struct Sent {
    UINT code;
    UINT action;
    uint32_t oldItem, newItem;
    UINT oldState, newState;
    LPARAM oldData, newData;
    int oldColumn, newColumn;
    POINT point;
};

// A call into the window's editing services.
struct EditCall {
    enum Kind { kHook, kStart } kind;
    uint32_t item;
    uint32_t column;
    uint32_t code;
    LPARAM data;
};

class FakeHost : public TreeListHost {
public:
    HWND Window() override { return reinterpret_cast<HWND>(uintptr_t(0x1234)); }
    LRESULT Notify(NMHDR& header) override;
    void Invalidate(const RECT* rect, bool) override
    {
        if (rect)
            invalidated.push_back(*rect);
        else
            ++wholeInvalidations;
    }
    void SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) override
    {
        scroll[bar] = info;
        ++scrollSets[bar];
        redrawnSets[bar] += redraw;
    }
    bool GetScrollInfo(int bar, SCROLLINFO& info) override
    {
        info = scroll[bar];
        return true;
    }
    void SetScrollPos(int bar, int pos, bool) override { scroll[bar].nPos = pos; }
    DWORD TickCount() override { return now; }
    void PostDeferredUpdate() override { ++posts; }
    COLORREF SysColor(int index) override { return COLORREF(index * 0x010101); }
    int SystemMetric(int) override { return 17; }
    int TextHeight() override { return 13; }
    int MeasureText(const char*, int length, bool bold) override { return length * (bold ? 7 : 6); }
    HWND CreateHeader(int height) override
    {
        headerAlive = true;
        headerHeight = height;
        return reinterpret_cast<HWND>(uintptr_t(0x5678));
    }
    void DestroyHeader() override { headerAlive = false; headerItems.clear(); }
    void MoveHeader(int x, int, int width, int) override { headerX = x, headerWidth = width; }
    int HeaderInsertItem(int index, const HDITEMA& item) override;
    bool HeaderDeleteItem(int index) override;
    LRESULT HeaderSetItem(int index, const HDITEMA& item) override;
    bool HeaderGetItem(int index, HDITEMA& item) override;
    bool HeaderSetOrder(int count, const int* order) override
    {
        headerOrder.assign(order, order + count);
        return true;
    }
    bool HeaderGetOrder(int count, int* order) override;
    void HeaderSetImageList(HIMAGELIST) override {}
    void InvalidateHeader() override { ++headerInvalidations; }
    void HideTooltip() override {}
    void Released() override { ++releases; }
    void SetFocus() override
    {
        ++focusRequests;
        if (!refuseFocus && onSetFocus)
            onSetFocus();
    }
    void FocusParent() override { ++parentFocus; }
    bool KeyHeld(int key) override { return (key == VK_SHIFT && shift) || (key == VK_CONTROL && ctrl); }
    bool ClipboardHasText() override { return clipboardText; }
    void SetTimer(UINT_PTR id, UINT milliseconds) override;
    void KillTimer(UINT_PTR id) override;
    LRESULT EditKeyHook(uint32_t item, uint32_t column, uint32_t key, LPARAM keyData) override
    {
        edits.push_back({EditCall::kHook, item, column, key, keyData});
        return hookAnswer;
    }
    LRESULT StartEdit(uint32_t column, uint32_t code, LPARAM keyData) override
    {
        edits.push_back({EditCall::kStart, 0, column, code, keyData});
        return startAnswer;
    }
    void DragFeedback(uint32_t modeFlags, uint32_t keyState) override { feedback.push_back({modeFlags, keyState}); }
    void EndDragVisuals() override { ++dragEnds; }

    struct HeaderItem { int width; std::string text; int fmt; };

    // The parent: answers every notification (default 0).
    std::function<LRESULT(NMHDR&)> parent;
    std::vector<Sent> sent;
    std::vector<RECT> invalidated;
    int wholeInvalidations = 0;
    SCROLLINFO scroll[2] = {};
    int scrollSets[2] = {};
    int redrawnSets[2] = {};
    DWORD now = 1000;
    int posts = 0;
    bool headerAlive = false;
    bool failHeaderInsert = false;
    int headerX = 0, headerWidth = 0, headerHeight = 0;
    int headerInvalidations = 0;
    std::vector<HeaderItem> headerItems;
    std::vector<int> headerOrder;
    int releases = 0;

    // Focus: the window gets it unless refused (then WM_SETFOCUS records it).
    std::function<void()> onSetFocus;
    bool refuseFocus = false;
    int focusRequests = 0, parentFocus = 0;
    bool shift = false, ctrl = false;
    bool clipboardText = false;
    struct Timer { UINT_PTR id; UINT milliseconds; };
    std::vector<Timer> timers;  // running
    std::vector<EditCall> edits;
    LRESULT hookAnswer = 0, startAnswer = 0;
    std::vector<std::pair<uint32_t, uint32_t>> feedback;
    int dragEnds = 0;

    bool TimerRunning(UINT_PTR id, UINT* milliseconds = nullptr) const;
    std::vector<UINT> Codes() const;
    void Clear()
    {
        sent.clear();
        invalidated.clear();
        wholeInvalidations = 0;
    }
};

// One control over a fake host, driven by messages as the window would.
class Control {
public:
    explicit Control(DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, int width = 300,
                     int height = 200);
    ~Control();

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // WM_DESTROY and WM_NCDESTROY, as DestroyWindow sends them (also from
    // inside a notification); the control is gone for the test afterwards.
    void DestroyWindow();
    // Runs the posted deferred update, as the message loop would.
    void Pump();

    uint32_t Insert(uint32_t parent, const char* text, uint32_t after = kTreeListLast, LPARAM data = 0);
    uint32_t InsertState(uint32_t parent, const char* text, UINT state, UINT stateMask, UINT extraMask = 0);
    // Input as the window passes it on: keys with the fake's modifier state.
    LRESULT Key(int key, bool shift = false, bool ctrl = false, LPARAM data = 0);
    LRESULT Char(unsigned char ch) { return Send(WM_CHAR, ch, 1); }
    LRESULT Mouse(UINT message, int x, int y, WPARAM keys = 0);
    // Client point of an item's row: x inside the row, y its middle.
    POINT RowPoint(uint32_t h, int x);
    uint32_t Next(uint32_t h, UINT code) { return uint32_t(Send(TVM_GETNEXTITEM, code, LPARAM(h))); }
    void SetExStyle(UINT bits, UINT mask = 0xFFFFFFFF) { Send(TVM_SETEXTENDEDSTYLE, mask, LPARAM(bits)); }
    std::vector<uint32_t> SelectedItems();
    std::string Text(uint32_t h, int column = 0);
    bool SetText(uint32_t h, const char* text, int column = 0);
    UINT State(uint32_t h) { return UINT(Send(TVM_GETITEMSTATE, h)); }
    int Expand(uint32_t h, UINT code = TVE_EXPAND) { return int(Send(TVM_EXPAND, code, LPARAM(h))); }
    bool Delete(uint32_t h) { return Send(TVM_DELETEITEM, 0, LPARAM(h)) != 0; }
    int Row(uint32_t h) { return int(Send(TLM_GETROWOFITEM, 0, LPARAM(h))); }
    uint32_t RowCount() { return uint32_t(Send(TLM_GETROWCOUNT)); }
    uint32_t ItemOfRow(uint32_t row) { return uint32_t(Send(TLM_GETITEMOFROW, 0, LPARAM(row))); }
    std::vector<uint32_t> Rows();
    // Children of an item (0 = root level) in sibling order.
    std::vector<uint32_t> Children(uint32_t parent);
    std::vector<std::string> ChildTexts(uint32_t parent);
    int InsertColumn(uint32_t index, int width, const char* text = "c", UINT extraMask = 0, int fmt = 0);
    // Columns 0, 1, ... with these widths.
    void Columns(std::initializer_list<int> widths);
    // The core's selection, as the input paths call it.
    int Select(uint32_t h, uint32_t column = 0, uint32_t flags = 0);
    // Brings the rows up to date and checks every invariant.
    ::testing::AssertionResult Verify();

    FakeHost host;
    TreeListData* d = nullptr;
    bool destroying = false;
};

// The tree the keyboard and navigation tests share:
// R1 { A { A1, A2 }, B }, R2 { C } (collapsed), R3; R1 and A expanded; the
// window shows three whole rows.
struct Tree {
    Control c{TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 300, 48};
    uint32_t r1, a, a1, a2, b, r2, cc, r3;
    Tree();
};

}  // namespace treelist_test
