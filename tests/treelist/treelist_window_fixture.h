// A TreeList window under a logging parent, for the Windows tests: helpers
// to send messages, build trees and columns, point at rows and read the
// parent's log.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/treelist/treelist_editor_placement.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/notify_parent.h"
#include "ui/treelist/win32/treelist_window.h"

namespace treelist_window_test {

constexpr UINT kControlId = 100;
constexpr int kMargin = 20;  // the parent's client area around the control
constexpr DWORD kTreeStyle = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;

class Fixture {
public:
    explicit Fixture(DWORD style = kTreeStyle, int width = 300, int height = 200);
    ~Fixture();
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    // A new control in the same parent (a new top-level window costs Wine
    // seconds without a window manager).
    void Recreate(DWORD style = kTreeStyle);

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageA(tl, message, wParam, lParam);
    }
    template <class T>
    LRESULT SendRecord(UINT message, WPARAM wParam, T* record) const
    {
        return SendMessageA(tl, message, wParam, reinterpret_cast<LPARAM>(record));
    }
    uint32_t Insert(uint32_t parent, const char* text, uint32_t after = kTreeListLast, LPARAM data = 0);
    int InsertColumn(uint32_t index, int width, const char* text = "c", UINT extraMask = 0, int fmt = 0);
    // Root items "row 0", "row 1", ... with their index as data.
    void FillRows(int count);
    // Columns 0, 1, ... with these widths and header texts.
    void Columns(std::initializer_list<std::pair<int, const char*>> columns);
    void Columns(std::initializer_list<int> widths);
    bool SetText(uint32_t h, const char* text, uint32_t column = 0);
    bool SetState(uint32_t h, UINT state, UINT mask);
    std::string Text(uint32_t h, uint32_t column = 0);
    UINT State(uint32_t h) const { return UINT(Send(TVM_GETITEMSTATE, h)); }
    uint32_t Next(uint32_t h, UINT code) const { return uint32_t(Send(TVM_GETNEXTITEM, code, LPARAM(h))); }
    // The row's rectangle in client coordinates (a zero rectangle when hidden).
    RECT ItemRect(uint32_t h, bool textOnly = false) const;
    // A point on the item's text.
    POINT TextPoint(uint32_t h) const;
    LRESULT Mouse(UINT message, POINT pt, WPARAM keys = 0) const
    {
        return Send(message, keys, MAKELPARAM(pt.x, pt.y));
    }
    // The state record (tests look at what the window keeps).
    TreeListData& Data() const { return *reinterpret_cast<TreeListData*>(GetWindowLongPtrA(tl, 0)); }
    TreeListWindow& Window() const { return TreeListWindowOf(Data()); }

    std::vector<int> Codes() const { return parent.Codes(); }
    // The first logged notification with the code, or null.
    const winharness::LoggedMessage* Find(int code) const;
    int Count(int code) const;
    void Clear() { parent.ClearLog(); }

    winharness::NotifyParent parent;
    HWND tl = nullptr;
};

// Where an open editor stands against the text of its cell (item, column).
inline std::string EditorPlacement(const Fixture& f, uint32_t item, uint32_t column)
{
    return treelist_test::EditorPlacement(f.tl, item, column);
}

// A small tree: a (a1, a2 (a21)), b (b1), c.
struct Tree { uint32_t a, a1, a2, a21, b, b1, c; };
Tree BuildTree(Fixture& f);

}  // namespace treelist_window_test
