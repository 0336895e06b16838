// The TreeList window's end: whichever way it is destroyed (by itself, from
// inside one of its notifications or one of its header's, with its dialog)
// no window it made stays behind, and none goes while it is still inside a
// message of its own; a chain of every level ends with its window as well.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/dialog_template.h"
#include "tests/treelist/treelist_chain_steps.h"
#include "tests/treelist/treelist_window_fixture.h"

namespace treelist_window_test {
namespace {

// The top-level windows of this thread; the tooltip is one of them (a popup
// owned by the control's top-level window), the header and editor are the
// control's children.
BOOL CALLBACK Collect(HWND w, LPARAM set)
{
    reinterpret_cast<std::set<HWND>*>(set)->insert(w);
    return TRUE;
}

std::set<HWND> ThreadWindows()
{
    std::set<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::string ClassesOf(const std::set<HWND>& windows)
{
    std::string names;
    for (HWND w : windows) {
        char name[64] = {};
        GetClassNameA(w, name, sizeof name);
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return names;
}

// The windows there now that were not there before.
std::set<HWND> LeftBehind(const std::set<HWND>& before)
{
    std::set<HWND> left;
    for (HWND w : ThreadWindows())
        if (!before.count(w))
            left.insert(w);
    return left;
}

// A list with rows to scroll, an item to expand, a cut-off text under the
// pointer (its tooltip shown) and an open editor.
uint32_t Populate(Fixture& f)
{
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_SCROLLNOTIFY, TLS_EX_SCROLLNOTIFY);
    f.Columns({{60, "Name"}, {100, "Wert"}});
    const uint32_t cut = f.Insert(0, "ein langer Name, den die Spalte abschneidet");
    f.Insert(cut, "Kind");
    f.FillRows(40);
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(cut));
    EXPECT_TRUE(IsWindowVisible(HWND(f.Send(TVM_GETTOOLTIPS)))) << "the tooltip shows";
    return cut;
}

struct EndCase {
    const char* name;
    int code;  // the notification inside which the parent destroys the list, 0 = none
    std::function<void(Fixture&, uint32_t)> act;
};

TEST(TreeListWindowLifetime, NoWindowOfItsOwnStaysBehind)
{
    const EndCase cases[] = {
        {"destroyed on its own", 0, [](Fixture& f, uint32_t) { DestroyWindow(f.tl); }},
        {"destroyed in TVN_ITEMEXPANDED", int(TVN_ITEMEXPANDEDA),
         [](Fixture& f, uint32_t item) { f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(item)); }},
        {"destroyed in TLN_SCROLLING", int(TLN_SCROLLING),
         [](Fixture& f, uint32_t) { f.Send(WM_VSCROLL, SB_PAGEDOWN); }},
        {"destroyed in TVN_SELCHANGED", int(TVN_SELCHANGEDA),
         [](Fixture& f, uint32_t item) { f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(item)); }},
        {"destroyed in TVN_DELETEITEM", int(TVN_DELETEITEMA),
         [](Fixture& f, uint32_t) { f.Send(TVM_DELETEITEM, 0, LPARAM(kTreeListRoot)); }},
        {"destroyed in TVN_BEGINLABELEDIT", int(TVN_BEGINLABELEDITA),
         [](Fixture& f, uint32_t item) { f.Send(TVM_EDITLABELA, 0, LPARAM(item)); }},
    };
    Fixture f;
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        DestroyWindow(f.tl);
        winharness::PumpUntilIdle(200);
        const std::set<HWND> before = ThreadWindows();
        f.Recreate();
        const uint32_t item = Populate(f);
        const HWND list = f.tl;
        if (c.code)
            f.parent.SetAnswer(c.code, [list](NMHDR*) {
                DestroyWindow(list);
                return LRESULT(0);
            });
        c.act(f, item);
        if (c.code)
            f.parent.SetAnswer(c.code, [](NMHDR*) { return LRESULT(0); });
        winharness::PumpUntilIdle(200);
        EXPECT_FALSE(IsWindow(list));
        EXPECT_EQ(ClassesOf(LeftBehind(before)), "");
    }
}

// The header notifies from inside its own messages (a click on a column,
// the end of a drag); a parent that destroys the control or deletes the
// last column right then must not take the header away under its own feet:
// the header goes when its message returns.
TEST(TreeListWindowLifetime, TheHeaderOutlivesItsOwnMessage)
{
    struct Case {
        const char* name;
        int code;
        bool destroyList;  // else the columns are deleted
    };
    const Case cases[] = {
        {"destroyed in HDN_ITEMCLICK", int(HDN_ITEMCLICKA), true},
        {"destroyed in NM_RELEASEDCAPTURE", int(NM_RELEASEDCAPTURE), true},
        {"columns deleted in HDN_ITEMCLICK", int(HDN_ITEMCLICKA), false},
    };
    Fixture f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.Recreate();
        f.Columns({{100, "Name"}, {100, "Wert"}});
        BuildTree(f);
        const HWND list = f.tl, header = HWND(f.Send(TLM_GETHEADER));
        ASSERT_NE(header, nullptr);
        bool acted = false, headerInside = false;
        f.parent.SetAnswer(c.code, [&](NMHDR*) {
            if (acted)
                return LRESULT(0);
            acted = true;
            if (c.destroyList) {
                DestroyWindow(list);
            } else {
                SendMessageA(list, TLM_DELETECOLUMN, 1, 0);
                SendMessageA(list, TLM_DELETECOLUMN, 0, 0);
            }
            headerInside = IsWindow(header) != 0;
            return LRESULT(0);
        });
        RECT name = {};
        SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&name));
        const LPARAM at = MAKELPARAM((name.left + name.right) / 2, (name.top + name.bottom) / 2);
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(header, WM_LBUTTONUP, 0, at);
        winharness::PumpUntilIdle(300);
        f.parent.SetAnswer(c.code, [](NMHDR*) { return LRESULT(0); });
        EXPECT_TRUE(acted);
        EXPECT_TRUE(headerInside) << "the header went inside its own message";
        EXPECT_FALSE(IsWindow(header)) << "the header stays behind";
        EXPECT_EQ(IsWindow(list) != 0, !c.destroyList);
    }
}

// Once its end has begun the control makes no window: the parent that
// asks for an editor, a column (the header) or the tooltip back from
// inside the end gets none, and nothing stays behind.
TEST(TreeListWindowLifetime, NothingIsMadeWhileItGoes)
{
    Fixture f;
    DestroyWindow(f.tl);
    winharness::PumpUntilIdle(200);
    const std::set<HWND> before = ThreadWindows();
    f.Recreate(kTreeStyle | TVS_NOTOOLTIPS);
    const Tree t = BuildTree(f);
    const HWND list = f.tl;
    HWND editor = nullptr;
    LRESULT column = 0;
    bool asked = false;
    f.parent.SetAnswer(int(TVN_DELETEITEMA), [&](NMHDR*) {
        if (asked)
            return LRESULT(0);
        asked = true;
        SetWindowLongA(list, GWL_STYLE, GetWindowLongA(list, GWL_STYLE) & ~TVS_NOTOOLTIPS);
        editor = HWND(SendMessageA(list, TVM_EDITLABELA, 0, LPARAM(t.c)));
        LVCOLUMNA lv = {};
        lv.mask = LVCF_WIDTH;
        lv.cx = 50;
        column = SendMessageA(list, TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&lv));
        return LRESULT(0);
    });
    DestroyWindow(list);
    winharness::PumpUntilIdle(200);
    EXPECT_TRUE(asked);
    EXPECT_EQ(editor, nullptr);
    EXPECT_EQ(column, -1);
    EXPECT_EQ(ClassesOf(LeftBehind(before)), "");
}

// A control made while its parent is already going (by a sibling that
// goes first) gets no WM_DESTROY, only WM_NCDESTROY: it ends all the same,
// its tooltip with it.
LRESULT CALLBACK MakesAListWhileGoing(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        CreateWindowExA(0, "TreeList", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, GetParent(wnd), nullptr,
                        GetModuleHandleA(nullptr), nullptr);
    return DefWindowProcA(wnd, message, wParam, lParam);
}

TEST(TreeListWindowLifetime, AControlMadeWhileItsParentGoesEndsToo)
{
    ASSERT_TRUE(TreeListRegister(GetModuleHandleA(nullptr)));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MakesAListWhileGoing;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TLMakesAListWhileGoing";
    RegisterClassA(&wc);
    Fixture f;
    const std::set<HWND> before = ThreadWindows();
    const long shared = TreeListSharedCount();
    const HWND parent = CreateWindowExA(0, "STATIC", "geht", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    CreateWindowExA(0, wc.lpszClassName, nullptr, WS_CHILD, 0, 0, 10, 10, parent, nullptr, GetModuleHandleA(nullptr),
                    nullptr);
    DestroyWindow(parent);
    winharness::PumpUntilIdle(200);
    EXPECT_EQ(ClassesOf(LeftBehind(before)), "");
    EXPECT_EQ(TreeListSharedCount(), shared) << "the shared drawing objects given back";
}

// The shared drawing objects stay while a message of the control still
// runs after the window went (a parent that destroyed it from inside).
TEST(TreeListWindowLifetime, SharedObjectsOutliveTheWindowUntilItsMessageReturns)
{
    Fixture f;
    const Tree t = BuildTree(f);
    const long shared = TreeListSharedCount();
    const HWND list = f.tl;
    long inside = -2;
    f.parent.SetAnswer(int(TVN_SELCHANGEDA), [&](NMHDR*) {
        DestroyWindow(list);
        inside = TreeListSharedCount();
        return LRESULT(0);
    });
    f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.b));
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(inside, shared);
    EXPECT_EQ(TreeListSharedCount(), shared - 1);
}

// A tooltip the caller gave stays the caller's; the control's own goes.
TEST(TreeListWindowLifetime, TheCallersTooltipStaysItsOwnGoes)
{
    Fixture f;
    DestroyWindow(f.tl);
    const std::set<HWND> before = ThreadWindows();
    f.Recreate();
    const HWND own = HWND(f.Send(TVM_GETTOOLTIPS));
    const HWND given = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, f.parent.Handle(), nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(HWND(f.Send(TVM_SETTOOLTIPS, WPARAM(given))), own);
    DestroyWindow(f.tl);
    EXPECT_FALSE(IsWindow(own));
    EXPECT_EQ(LeftBehind(before), std::set<HWND>{given});
    DestroyWindow(given);
}

// The list in a dialog that goes as a whole.
TEST(TreeListWindowLifetime, NothingStaysWhenItsDialogGoes)
{
    constexpr int kListId = 100;
    const DialogItem items[] = {
        {"TreeList", kListId, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, 5, 5, 150, 80, "", 0},
    };
    ASSERT_TRUE(TreeListRegister(GetModuleHandleA(nullptr)));
    const DialogTemplate dialogTemplate(MakeDialogLayout(WS_POPUP | WS_CAPTION | WS_VISIBLE, 160, 95, "Liste", items));
    const std::set<HWND> before = ThreadWindows();
    const HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate.Get(), nullptr,
                                                   PlainDialog, 0);
    ASSERT_NE(dialog, nullptr);
    const HWND list = GetDlgItem(dialog, kListId);
    ASSERT_NE(HWND(SendMessageA(list, TVM_GETTOOLTIPS, 0, 0)), nullptr);
    winharness::PumpUntilIdle(200);
    DestroyWindow(dialog);
    winharness::PumpUntilIdle(200);
    EXPECT_EQ(ClassesOf(LeftBehind(before)), "");
}

// The chain of every level through the window, and the window's end with a
// whole chain in it: WM_DESTROY deletes every item, deepest first.
TEST(TreeListWindowLifetime, ChainOfEveryLevel)
{
    Fixture f;
    treelist_chain::VerifyAtCheckpoints checkpoints;
    const std::set<HWND> before = ThreadWindows();
    std::vector<uint32_t> deleted;
    f.parent.SetAnswer(int(TVN_DELETEITEMA), [&](NMHDR* h) {
        deleted.push_back(TreeListHandleOf(reinterpret_cast<NMTREEVIEWA*>(h)->itemOld.hItem));
        return LRESULT(0);
    });
    const treelist_chain::Target t{
        [&](UINT message, WPARAM wParam, LPARAM lParam) {
            const LRESULT result = f.Send(message, wParam, lParam);
            f.Clear();  // the log would keep every notification
            return result;
        },
        [&] {
            std::string why;
            return TreeListVerify(f.Data(), &why) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure()
                                                                                        << why;
        },
        [&] { return std::exchange(deleted, {}); }};
    treelist_chain::ChainSteps(t, treelist_chain::BuildChain(t));
    const std::vector<uint32_t> chain = treelist_chain::BuildChain(t);
    t.send(TVM_EXPAND, TVE_EXPAND | TVE_ALLCHILDREN, LPARAM(kTreeListRoot));
    winharness::PumpUntilIdle(500);  // painted with the deepest rows
    deleted.clear();
    DestroyWindow(f.tl);
    EXPECT_FALSE(IsWindow(f.tl));
    EXPECT_EQ(deleted, treelist_chain::Reversed(chain));
    EXPECT_EQ(LeftBehind(before), std::set<HWND>{});
}

}  // namespace
}  // namespace treelist_window_test
