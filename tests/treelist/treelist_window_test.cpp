// The TreeList window under Wine: registration, lifetime and the shared
// resources, the messages of the table with their results and
// notifications, options, limits, image lists and style changes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>

#include "tests/treelist/treelist_window_fixture.h"

namespace treelist_window_test {
namespace {

LPARAM P(const void* p) { return reinterpret_cast<LPARAM>(p); }

HIMAGELIST MakeList(int size, int images)
{
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24, images, 1);
    const HDC screen = GetDC(nullptr);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, size * images, size);
    ReleaseDC(nullptr, screen);
    ImageList_Add(list, bitmap, nullptr);
    DeleteObject(bitmap);
    return list;
}

// A destroyed list no longer answers (Wine checks the handle).
bool Alive(HIMAGELIST list)
{
    int cx = 0, cy = 0;
    return ImageList_GetIconSize(list, &cx, &cy) != FALSE;
}

TEST(TreeListWindowClass, RegistersOnceWithItsClassRecord)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_TRUE(TreeListRegister(instance));
    EXPECT_TRUE(TreeListRegister(instance));  // the flag answers at once
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExA(instance, "TreeList", &wc));
    EXPECT_EQ(wc.style, UINT(CS_DBLCLKS));
    EXPECT_EQ(wc.lpfnWndProc, &TreeListProc);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 4);
    EXPECT_EQ(wc.hbrBackground, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(wc.hIcon, nullptr);
    Fixture f;
    EXPECT_EQ(f.Send(TLM_OPTION, 11), reinterpret_cast<LRESULT>(&TreeListProc));
    // The scroll bars vanish while the window is made: the records know the
    // client area as it is afterwards.
    RECT client = {};
    GetClientRect(f.tl, &client);
    EXPECT_EQ(f.Data().clientWidth, client.right);
    EXPECT_EQ(f.Data().clientHeight, client.bottom);
    EXPECT_EQ(f.Send(TLM_OPTION, 11 | kTreeListOptionSet, 5), reinterpret_cast<LRESULT>(&TreeListProc));
}

TEST(TreeListWindowClass, SharedResourcesLiveWhileAControlDoes)
{
    ASSERT_EQ(TreeListSharedCount(), -1);
    {
        Fixture first;
        EXPECT_EQ(TreeListSharedCount(), 0);
        const HPEN pen = TreeListSharedObjects().dottedPen;
        EXPECT_NE(pen, nullptr);
        EXPECT_NE(TreeListSharedObjects().checkerBrush, nullptr);
        {
            Fixture second;
            EXPECT_EQ(TreeListSharedCount(), 1);
        }
        EXPECT_EQ(TreeListSharedCount(), 0);
        EXPECT_EQ(TreeListSharedObjects().dottedPen, pen);
        EXPECT_EQ(GetObjectType(pen), DWORD(OBJ_EXTPEN));
    }
    EXPECT_EQ(TreeListSharedCount(), -1);
    EXPECT_EQ(TreeListSharedObjects().dottedPen, nullptr);
    EXPECT_EQ(TreeListSharedObjects().checkerBrush, nullptr);
    Fixture again;
    EXPECT_NE(TreeListSharedObjects().dottedPen, nullptr);
}

TEST(TreeListWindowClass, ControlsMadeAndDestroyedOnSeveralThreads)
{
    ASSERT_EQ(TreeListSharedCount(), -1);
    TreeListRegister(GetModuleHandleA(nullptr));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 25; ++i) {
                const HWND w = CreateWindowExA(0, "TreeList", nullptr, WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                               GetModuleHandleA(nullptr), nullptr);
                DestroyWindow(w);
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(TreeListSharedCount(), -1);
    EXPECT_EQ(TreeListSharedObjects().dottedPen, nullptr);
}

// ---------------- The message table ----------------

struct MessageCase {
    const char* name;
    std::function<LRESULT(Fixture&, const Tree&)> send;
    LRESULT result;
    std::vector<int> codes;  // the notifications, in order
};

int CALLBACK ByDataDescending(HWND, HTREEITEM, HTREEITEM, LPARAM a, LPARAM b, LPARAM) { return int(b - a); }

LRESULT Item(Fixture& f, UINT message, WPARAM w, uint32_t h) { return f.Send(message, w, LPARAM(h)); }

// Through the window procedure: the window's rows, and core rows whose
// answers or notifications depend on the real window (the core's rows are
// tested natively).
TEST(TreeListWindowMessages, TableResultsAndNotifications)
{
    const MessageCase cases[] = {
        {"TVM_GETCOUNT", [](Fixture& f, const Tree&) { return f.Send(TVM_GETCOUNT); }, 7, {}},
        {"TVM_DELETEITEM", [](Fixture& f, const Tree& t) { return Item(f, TVM_DELETEITEM, 0, t.b); }, 1,
         {int(TVN_DELETEITEMA), int(TVN_DELETEITEMA)}},
        {"TVM_EXPAND", [](Fixture& f, const Tree& t) { return Item(f, TVM_EXPAND, TVE_EXPAND, t.a); }, 1,
         {int(TVN_ITEMEXPANDINGA), int(TVN_ITEMEXPANDEDA)}},
        {"TVM_GETIMAGELIST 1", [](Fixture& f, const Tree&) { return f.Send(TVM_GETIMAGELIST, 1); }, 0, {}},
        {"TVM_SELECTITEM caret", [](Fixture& f, const Tree& t) { return Item(f, TVM_SELECTITEM, TVGN_CARET, t.c); }, 1,
         {int(TVN_SELCHANGINGA), int(TVN_SELCHANGEDA)}},
        {"TVM_GETEDITCONTROL", [](Fixture& f, const Tree&) { return f.Send(TVM_GETEDITCONTROL); }, 0, {}},
        {"TVM_GETVISIBLECOUNT: whole rows", [](Fixture& f, const Tree&) {
             return f.Send(TVM_GETVISIBLECOUNT) - 200 / f.Send(TVM_GETITEMHEIGHT);
         },
         0, {}},
        {"TVM_ENSUREVISIBLE", [](Fixture& f, const Tree& t) { return Item(f, TVM_ENSUREVISIBLE, 0, t.a21); }, 1,
         {int(TVN_ITEMEXPANDINGA), int(TVN_ITEMEXPANDEDA), int(TVN_ITEMEXPANDINGA), int(TVN_ITEMEXPANDEDA)}},
        {"TVM_ENDEDITLABELNOW without editor", [](Fixture& f, const Tree&) { return f.Send(TVM_ENDEDITLABELNOW); }, 0,
         {}},
        {"TVM_SETEXTENDEDSTYLE", [](Fixture& f, const Tree&) {
             f.Send(TVM_SETEXTENDEDSTYLE, 0, 0x50072420);
             return f.Send(TVM_SETEXTENDEDSTYLE, 0x20, 0);
         },
         0x50072420, {}},
        {"TVM_INSERTITEMW goes to the default", [](Fixture& f, const Tree&) { return f.Send(TVM_INSERTITEMW, 0, 0); }, 0,
         {}},
        {"TLM_SETFOCUSITEM", [](Fixture& f, const Tree& t) { return f.Send(TLM_SETFOCUSITEM, 0, LPARAM(t.b)); }, 1,
         {int(TVN_SELCHANGINGA), int(TVN_SELCHANGEDA)}},
        {"TLM_ISITEMVISIBLE", [](Fixture& f, const Tree& t) { return f.Send(TLM_ISITEMVISIBLE, 0, LPARAM(t.b)); }, 4, {}},
        {"TLM_GETVISIBLEROWS: rows partly shown", [](Fixture& f, const Tree&) {
             const LRESULT height = f.Send(TVM_GETITEMHEIGHT);
             return f.Send(TLM_GETVISIBLEROWS) - (200 + height - 1) / height;
         },
         0, {}},
        {"TLM_SELECTCELL", [](Fixture& f, const Tree& t) { return f.Send(TLM_SELECTCELL, 0, LPARAM(t.c)); }, 1,
         {int(TVN_SELCHANGINGA), int(TVN_SELCHANGEDA)}},
        {"TLM_SETAUTOSCROLL stop", [](Fixture& f, const Tree&) { return f.Send(TLM_SETAUTOSCROLL, 0, 0); }, 1, {}},
        {"TLM_GETHEADER", [](Fixture& f, const Tree&) { return f.Send(TLM_GETHEADER); }, 0, {}},
        {"TLM_BEGINDRAG unknown", [](Fixture& f, const Tree&) { return f.Send(TLM_BEGINDRAG, 0, 999); }, 0, {}},
        {"TLM_SETCOLUMNEDIT outside", [](Fixture& f, const Tree&) { return f.Send(TLM_SETCOLUMNEDIT, 5 << 11 | 1 << 8); },
         0, {}},
        {"TLM_SETCOLUMNEDITDATA outside", [](Fixture& f, const Tree&) { return f.Send(TLM_SETCOLUMNEDITDATA, 3, 1); }, 0,
         {}},
        {"TLM_GETCOLUMN without header", [](Fixture& f, const Tree&) {
             LVCOLUMNA lv = {};
             lv.mask = LVCF_WIDTH;
             return f.SendRecord(TLM_GETCOLUMN, 0, &lv);
         },
         0, {}},
        {"TLM_SORTCHILDRENEX", [](Fixture& f, const Tree&) {
             TVSORTCB sort = {};
             sort.hParent = TVI_ROOT;
             // The record carries the TreeList's own comparer in the tree view's slot.
             sort.lpfnCompare = reinterpret_cast<PFNTVCOMPARE>(reinterpret_cast<void (*)()>(&ByDataDescending));
             f.SendRecord(TLM_SORTCHILDRENEX, 0, &sort);
             return f.Send(TVM_GETNEXTITEM, TVGN_ROOT);
         },
         7, {}},
        {"message 0x2006", [](Fixture& f, const Tree&) { return f.Send(0x2006, 1, 1); }, 0, {}},
    };
    Fixture f;
    for (const MessageCase& c : cases) {
        f.Recreate();
        const Tree t = BuildTree(f);
        f.Clear();
        EXPECT_EQ(c.send(f, t), c.result) << c.name;
        EXPECT_EQ(f.Codes(), c.codes) << c.name;
        for (const winharness::LoggedMessage& entry : f.parent.Log()) {
            EXPECT_EQ(entry.from, f.tl) << c.name;
            EXPECT_EQ(entry.id, kControlId) << c.name;
        }
    }
}

TEST(TreeListWindowMessages, ScrollMessages)
{
    Fixture f;
    f.Columns({{300, "Name"}, {300, "Mehr"}, {200, "Noch mehr"}});
    f.FillRows(60);
    winharness::PumpUntilIdle(300);
    const uint32_t visible = f.Data().visibleCount;
    const struct { WPARAM code; uint32_t first; } vertical[] = {
        {SB_LINEDOWN, 1}, {SB_LINEDOWN, 2}, {SB_LINEUP, 1}, {SB_PAGEDOWN, 1 + visible},
        {SB_PAGEUP, 1},   {SB_BOTTOM, 60 - visible + 1}, {SB_LINEDOWN, 60 - visible + 1}, {SB_TOP, 0},
        // A program's thumb messages carry their position.
        {MAKEWPARAM(SB_THUMBPOSITION, 7), 7}, {MAKEWPARAM(SB_THUMBTRACK, 3), 3}, {SB_TOP, 0}};
    for (const auto& v : vertical) {
        f.Send(WM_VSCROLL, v.code);
        EXPECT_EQ(f.Data().firstRow, v.first) << v.code;
    }
    EXPECT_EQ(GetScrollPos(f.tl, SB_VERT), 0);
    // Horizontal: the header moves with the list.
    const int32_t content = f.Data().columnEdges[3];
    f.Send(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(f.Data().scrollX, 16);
    f.Send(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(f.Data().scrollX, content - f.Data().clientWidth);
    RECT header = {};
    GetWindowRect(reinterpret_cast<HWND>(f.Send(TLM_GETHEADER)), &header);
    MapWindowPoints(nullptr, f.tl, reinterpret_cast<POINT*>(&header), 2);
    EXPECT_EQ(header.left, -f.Data().scrollX);
    f.Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40));
    EXPECT_EQ(f.Data().scrollX, 40);
    f.Send(WM_HSCROLL, SB_LEFT);
    EXPECT_EQ(f.Data().scrollX, 0);
    // A parent that vetoes scrolling (extended style 0x08).
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_SCROLLNOTIFY, TLS_EX_SCROLLNOTIFY);
    f.parent.SetAnswer(int(TLN_SCROLLING), [](NMHDR*) { return LRESULT(1); });
    f.Clear();
    f.Send(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(f.Data().firstRow, 0u);
    ASSERT_EQ(f.Count(int(TLN_SCROLLING)), 1);
    NMTLSCROLLING nm;
    ASSERT_TRUE(f.Find(int(TLN_SCROLLING))->Read(&nm));
    EXPECT_EQ(nm.bar, 1);
    EXPECT_EQ(nm.reason, SB_LINEDOWN);
    EXPECT_EQ(nm.y, 1);
}

TEST(TreeListWindowMessages, RemainingWindowMessages)
{
    Fixture f;
    const Tree t = BuildTree(f);
    // WM_SYSCOLORCHANGE keeps the caller's slots and recomputes the others.
    f.Send(TVM_SETBKCOLOR, 3, 0x010203);
    f.Send(WM_SYSCOLORCHANGE);
    EXPECT_EQ(f.Send(TVM_GETBKCOLOR, 3), 0x010203);
    EXPECT_EQ(COLORREF(f.Send(TVM_GETBKCOLOR, 0)), GetSysColor(COLOR_WINDOW));
    // WM_KEYUP answers 1; WM_SHOWWINDOW goes on to the default procedure.
    EXPECT_EQ(f.Send(WM_KEYUP, VK_CONTROL, 0), 1);
    f.Send(WM_SHOWWINDOW, TRUE, 0);
    EXPECT_EQ(f.Data().lastHMax, 0);
    // The drop cell is a column of the target (the insert mark and the
    // caller's area are core messages, tested natively).
    EXPECT_EQ(f.Send(TLM_SETDROPCELL, 0, LPARAM(t.c)), 1);
    EXPECT_EQ(f.Next(0, TVGN_DROPHILITE), t.c);
    // The owner-drawn header's WM_DRAWITEM reaches the parent (which draws nothing).
    DRAWITEMSTRUCT draw = {};
    EXPECT_EQ(f.SendRecord(WM_DRAWITEM, kTreeListHeaderId, &draw), 0);
}

TEST(TreeListWindowMessages, NotificationRecordsCarryTheItems)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.Clear();
    f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.b));
    const winharness::LoggedMessage* changed = f.Find(int(TVN_SELCHANGEDA));
    ASSERT_NE(changed, nullptr);
    NMTREEVIEWA nm;
    ASSERT_TRUE(changed->Read(&nm));
    EXPECT_EQ(TreeListHandleOf(nm.itemNew.hItem), t.b);
    EXPECT_EQ(nm.itemNew.lParam, 5);
    EXPECT_EQ(nm.hdr.hwndFrom, f.tl);
    EXPECT_EQ(nm.hdr.idFrom, kControlId);
    f.Clear();
    f.Send(TVM_DELETEITEM, 0, LPARAM(t.a2));
    std::vector<uint32_t> deleted;
    for (const winharness::LoggedMessage& entry : f.parent.Log())
        if (entry.code == int(TVN_DELETEITEMA) && entry.Read(&nm))
            deleted.push_back(TreeListHandleOf(nm.itemOld.hItem));
    EXPECT_EQ(deleted, (std::vector<uint32_t>{t.a21, t.a2}));
}

TEST(TreeListWindowMessages, ReentrantParents)
{
    {
        // The parent deletes the newly selected item's sibling and sends
        // messages back from inside the notification.
        Fixture f;
        const Tree t = BuildTree(f);
        f.parent.SetAnswer(int(TVN_SELCHANGEDA), [&](NMHDR*) {
            SendMessageA(f.tl, TVM_DELETEITEM, 0, LPARAM(t.c));
            return LRESULT(SendMessageA(f.tl, TVM_GETCOUNT, 0, 0));
        });
        EXPECT_EQ(f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.b)), 1);
        EXPECT_EQ(f.Send(TVM_GETCOUNT), 6);
    }
    {
        // The parent destroys the whole control while it expands an item.
        Fixture f;
        const Tree t = BuildTree(f);
        f.parent.SetAnswer(int(TVN_ITEMEXPANDINGA), [&](NMHDR*) {
            DestroyWindow(f.tl);
            return LRESULT(0);
        });
        f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(t.a));
        EXPECT_FALSE(IsWindow(f.tl));
        EXPECT_EQ(f.Send(TVM_GETCOUNT), 0);  // no window, no answer
    }
    {
        // The parent destroys the control from inside a delete notification.
        Fixture f;
        BuildTree(f);
        int deletes = 0;
        f.parent.SetAnswer(int(TVN_DELETEITEMA), [&](NMHDR*) {
            if (++deletes == 1)
                DestroyWindow(f.tl);
            return LRESULT(0);
        });
        f.Send(TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
        EXPECT_FALSE(IsWindow(f.tl));
        EXPECT_EQ(deletes, 7);  // each item once
    }
}

TEST(TreeListWindowImages, ReplacementAndOwnership)
{
    Fixture f;
    BuildTree(f);
    const HIMAGELIST a = MakeList(16, 4), b = MakeList(20, 4), kept = MakeList(16, 2);
    EXPECT_EQ(f.Send(TVM_SETIMAGELIST, 0, P(a)), 0);
    EXPECT_EQ(f.Send(TVM_GETIMAGELIST, 0), P(a));
    EXPECT_EQ(f.Send(TVM_GETIMAGELIST, 4), P(a));  // the extra list follows
    EXPECT_EQ(f.Data().imageCx, 16);
    // The same list again: nothing destroyed, nothing changed.
    EXPECT_EQ(f.Send(TVM_SETIMAGELIST, 0, P(a)), P(a));
    EXPECT_TRUE(Alive(a));
    // Replacing an owned list destroys it.
    EXPECT_EQ(f.Send(TVM_SETIMAGELIST, 0, P(b)), P(a));
    EXPECT_FALSE(Alive(a));
    EXPECT_EQ(f.Data().imageCy, 20);
    EXPECT_GE(f.Send(TVM_GETITEMHEIGHT), 21);
    // A list the caller keeps survives its replacement and the window.
    f.Send(TVM_SETIMAGELIST, 2 | 0x40000000, P(kept));
    f.Send(TVM_SETIMAGELIST, 2, 0);
    EXPECT_TRUE(Alive(kept));
    f.Send(TVM_SETIMAGELIST, 3 | 0x40000000, P(kept));
    DestroyWindow(f.tl);
    EXPECT_TRUE(Alive(kept));
    EXPECT_FALSE(Alive(b));
    ImageList_Destroy(kept);
    EXPECT_EQ(f.Send(TVM_GETIMAGELIST, 7), 0);
}

TEST(TreeListWindowImages, SharedNormalListIsNeverDestroyed)
{
    const HIMAGELIST shared = MakeList(16, 2);
    {
        Fixture f;
        f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_SHAREIMAGES, TLS_EX_SHAREIMAGES);
        f.Send(TVM_SETIMAGELIST, 0, P(shared));
        f.Send(TVM_SETIMAGELIST, 0, 0);
        EXPECT_TRUE(Alive(shared));
        f.Send(TVM_SETIMAGELIST, 0, P(shared));
    }
    EXPECT_TRUE(Alive(shared));
    ImageList_Destroy(shared);
}

TEST(TreeListWindowImages, BuiltInCheckBoxes)
{
    Fixture f(kTreeStyle | TVS_CHECKBOXES);
    const HIMAGELIST boxes = reinterpret_cast<HIMAGELIST>(f.Send(TVM_GETIMAGELIST, 2));
    ASSERT_NE(boxes, nullptr);
    if (f.Window().themedStateBoxes) {
        EXPECT_EQ(boxes, TREELIST_THEMED_BOXES);
    } else {
        // Drawn: empty, unchecked, checked, 16 x 16.
        EXPECT_EQ(ImageList_GetImageCount(boxes), 3);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(boxes, &cx, &cy);
        EXPECT_EQ(cx, 16);
        EXPECT_EQ(cy, 16);
    }
    EXPECT_GE(f.Send(TVM_GETITEMHEIGHT), 17);
    // A new item starts unchecked.
    const uint32_t h = f.Insert(0, "x");
    EXPECT_EQ(f.State(h) & TVIS_STATEIMAGEMASK, UINT(INDEXTOSTATEIMAGEMASK(1)));
    // Asking for the built-in boxes by the value 1.
    f.Send(TVM_SETIMAGELIST, 3, 1);
    EXPECT_NE(f.Send(TVM_GETIMAGELIST, 3), 0);
    EXPECT_TRUE(f.Window().builtCellBoxes);
}

// The theme-drawn marker (list value 1) must never reach an image-list
// function: replacing and destroying a themed list only clears the flag.
TEST(TreeListWindowImages, ThemedMarkerIsNeverAnImageList)
{
    Fixture f;
    TreeListData& d = f.Data();
    TreeListWindow& w = f.Window();
    {
        TreeListCall call(d);
        d.stateImages = TREELIST_THEMED_BOXES;
        d.stateImageCx = d.stateImageCy = 16;
        w.ownStateImages = w.themedStateBoxes = w.builtStateBoxes = true;
    }
    EXPECT_EQ(f.Send(TVM_GETIMAGELIST, 2), LPARAM(1));
    const HIMAGELIST list = MakeList(16, 3);
    EXPECT_EQ(f.Send(TVM_SETIMAGELIST, 2, P(list)), LPARAM(1));
    EXPECT_FALSE(w.themedStateBoxes);
    {
        TreeListCall call(d);
        d.cellStateImages = TREELIST_THEMED_BOXES;
        w.ownCellStateImages = w.themedCellBoxes = true;
    }
    SetWindowLongA(f.tl, GWL_STYLE, GetWindowLongA(f.tl, GWL_STYLE) | TVS_CHECKBOXES);
    SetWindowLongA(f.tl, GWL_STYLE, GetWindowLongA(f.tl, GWL_STYLE) & ~TVS_CHECKBOXES);
    DestroyWindow(f.tl);  // destroys the real list, leaves the marker alone
    EXPECT_FALSE(Alive(list));
}

TEST(TreeListWindowStyles, StyleChangesFollow)
{
    Fixture f(TVS_HASBUTTONS);
    const Tree t = BuildTree(f);
    EXPECT_EQ(f.Data().linesAtRoot, 0);
    SetWindowLongA(f.tl, GWL_STYLE, GetWindowLongA(f.tl, GWL_STYLE) | TVS_LINESATROOT);
    EXPECT_EQ(f.Data().linesAtRoot, 1);
    const LRESULT height = f.Send(TVM_GETITEMHEIGHT);
    SetWindowLongA(f.tl, GWL_STYLE, GetWindowLongA(f.tl, GWL_STYLE) | TVS_CHECKBOXES);
    EXPECT_NE(f.Send(TVM_GETIMAGELIST, 2), 0);
    EXPECT_GE(f.Send(TVM_GETITEMHEIGHT), height);
    SetWindowLongA(f.tl, GWL_STYLE, GetWindowLongA(f.tl, GWL_STYLE) & ~TVS_CHECKBOXES);
    EXPECT_EQ(f.Send(TVM_GETIMAGELIST, 2), 0);
    // Disabled: the control ignores the mouse.
    EnableWindow(f.tl, FALSE);
    EXPECT_EQ(f.Data().enabled, 0);
    EXPECT_NE(GetWindowLongA(f.tl, GWL_STYLE) & WS_DISABLED, 0);
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, f.TextPoint(t.b));
    EXPECT_EQ(f.Count(int(TVN_SELCHANGEDA)), 0);
    EnableWindow(f.tl, TRUE);
    EXPECT_EQ(f.Data().enabled, 1);
    // The tooltip window follows TVS_NOTOOLTIPS.
    EXPECT_NE(f.Send(TVM_GETTOOLTIPS), 0);
    const HWND mine = reinterpret_cast<HWND>(f.Send(TVM_SETTOOLTIPS, 0));
    EXPECT_EQ(f.Send(TVM_SETTOOLTIPS, WPARAM(mine)), 0);
}

TEST(TreeListWindowStyles, FocusRedrawAndDialogCodes)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.Clear();
    SetFocus(f.tl);
    EXPECT_EQ(f.Data().hasFocus, 1);
    SetFocus(f.parent.Handle());
    EXPECT_EQ(f.Data().hasFocus, 0);
    EXPECT_EQ(f.Codes(), (std::vector<int>{int(NM_SETFOCUS), int(NM_KILLFOCUS)}));

    f.Send(WM_SETREDRAW, FALSE);
    EXPECT_EQ(f.Data().redrawOff, 1);
    f.Send(WM_SETREDRAW, TRUE);
    EXPECT_EQ(f.Data().redrawOff, 0);

    // WM_GETDLGCODE with and without a message.
    EXPECT_EQ(f.Send(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
    MSG msg = {};
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_RETURN;
    // Enter on a cell whose editor it opens (the other cases: below).
    f.Columns({{100, "Name"}});
    f.Send(TLM_SETCOLUMNEDIT, 1u << 8);
    f.Send(TLM_SELECTCELL, 0, LPARAM(t.a));
    EXPECT_EQ(f.SendRecord(WM_GETDLGCODE, 0, &msg), DLGC_WANTALLKEYS);
    msg.wParam = VK_ESCAPE;
    EXPECT_EQ(f.SendRecord(WM_GETDLGCODE, 0, &msg), DLGC_WANTARROWS | DLGC_WANTCHARS);
    EXPECT_EQ(f.Send(WM_NOTIFYFORMAT, 0, NF_QUERY), NFR_ANSI);

    const HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    const LRESULT height = f.Send(TVM_GETITEMHEIGHT);
    f.Send(WM_SETFONT, WPARAM(font), TRUE);
    EXPECT_EQ(f.Send(WM_GETFONT), LRESULT(font));
    EXPECT_GT(f.Send(TVM_GETITEMHEIGHT), height);
    DestroyWindow(f.tl);
    DeleteObject(font);
}

// Enter goes to the dialog's default button unless the control has a use for
// it; Escape only while a drag runs.
TEST(TreeListWindowStyles, EnterIsWantedOnlyWhenTheListUsesIt)
{
    constexpr LRESULT kAll = DLGC_WANTALLKEYS, kArrows = DLGC_WANTARROWS | DLGC_WANTCHARS;
    constexpr uint32_t kNone = 0xFF;  // no caret cell
    struct Case {
        const char* name;
        uint8_t editKind;   // of column 1
        uint32_t caretColumn;
        bool editorOpen, dragging;
        LRESULT enter, escape;
    };
    const Case cases[] = {
        {"no caret", 1, kNone, false, false, kArrows, kArrows},
        {"caret on a plain cell", 1, 0, false, false, kArrows, kArrows},
        {"caret on an editable cell", 1, 1, false, false, kAll, kArrows},
        {"caret on a column without an editor", 0, 1, false, false, kArrows, kArrows},
        {"caret on a check-box cell", 6, 1, false, false, kArrows, kArrows},
        {"editor open", 0, 0, true, false, kAll, kArrows},
        {"drag running", 0, 0, false, true, kAll, kAll},
    };
    Fixture f;
    for (const Case& c : cases) {
        f.Recreate();
        f.Columns({{100, "Name"}, {100, "Wert"}});
        const uint32_t row = f.Insert(0, "zeile");
        f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_CELLSELECT, TLS_EX_CELLSELECT);
        f.Send(TLM_SETCOLUMNEDIT, (1u << 11) | (uint32_t(c.editKind) << 8));
        if (c.caretColumn != kNone)
            f.Send(TLM_SELECTCELL, c.caretColumn, LPARAM(row));
        if (c.editorOpen) {
            ASSERT_NE(f.Send(TVM_EDITLABELA, 0, LPARAM(row)), 0) << c.name;
        }
        if (c.dragging)
            f.Data().dragItem = row;
        MSG msg = {};
        msg.message = WM_KEYDOWN;
        msg.wParam = VK_RETURN;
        EXPECT_EQ(f.SendRecord(WM_GETDLGCODE, 0, &msg), c.enter) << c.name;
        msg.wParam = VK_ESCAPE;
        EXPECT_EQ(f.SendRecord(WM_GETDLGCODE, 0, &msg), c.escape) << c.name;
        msg.message = WM_CHAR;
        msg.wParam = '\r';
        EXPECT_EQ(f.SendRecord(WM_GETDLGCODE, 0, &msg), kArrows) << c.name;
        f.Data().dragItem = 0;
        f.Send(TVM_ENDEDITLABELNOW, TRUE);
    }
}

}  // namespace
}  // namespace treelist_window_test
