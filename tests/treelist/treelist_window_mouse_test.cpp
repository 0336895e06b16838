// The pointer behaviours of the window under Wine: drag start threshold and
// the control's own drag, release notifications, the wheel, automatic
// scrolling, the own double click, the tooltip for cut-off text, hot
// tracking, hot check boxes and pushed check-box cells.
#include <gtest/gtest.h>

#include "tests/treelist/treelist_window_fixture.h"

namespace treelist_window_test {
namespace {

constexpr DWORD kOwnDrag = 0x8000;

POINT Moved(POINT p, int dx, int dy) { return POINT{p.x + dx, p.y + dy}; }

void CursorTo(const Fixture& f, POINT client)
{
    POINT screen = client;
    ClientToScreen(f.tl, &screen);
    SetCursorPos(screen.x, screen.y);
}

uint32_t FillRows(Fixture& f, int count)
{
    uint32_t first = 0;
    char text[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof(text), "row %d", i);
        const uint32_t h = f.Insert(0, text, kTreeListLast, i);
        if (i == 0)
            first = h;
    }
    return first;
}

TEST(TreeListWindowMouse, DragStartsThreePixelsFromThePress)
{
    Fixture f;
    const Tree t = BuildTree(f);
    const POINT press = f.TextPoint(t.b);
    f.Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
    f.Clear();
    f.Mouse(WM_MOUSEMOVE, Moved(press, 2, 0), MK_LBUTTON);
    f.Mouse(WM_MOUSEMOVE, Moved(press, 2, 2), MK_LBUTTON);
    f.Mouse(WM_MOUSEMOVE, Moved(press, -2, -2), MK_LBUTTON);
    EXPECT_EQ(f.Count(int(TVN_BEGINDRAGA)), 0);
    f.Mouse(WM_MOUSEMOVE, Moved(press, 0, 3), MK_LBUTTON);
    f.Mouse(WM_MOUSEMOVE, Moved(press, 0, 9), MK_LBUTTON);
    ASSERT_EQ(f.Count(int(TVN_BEGINDRAGA)), 1);
    NMTREEVIEWA nm;
    ASSERT_TRUE(f.Find(int(TVN_BEGINDRAGA))->Read(&nm));
    EXPECT_EQ(nm.action, 0u);
    EXPECT_EQ(nm.itemOld.mask, 0u);
    EXPECT_EQ(nm.itemNew.mask, 0x401Cu);
    EXPECT_EQ(TreeListHandleOf(nm.itemNew.hItem), t.b);
    EXPECT_EQ(nm.itemNew.stateMask, 0xFFFFFFFFu);
    EXPECT_EQ(nm.itemNew.pszText, reinterpret_cast<LPSTR>(~uintptr_t(0)));
    EXPECT_EQ(nm.itemNew.cchTextMax, -1);
    EXPECT_EQ(nm.itemNew.cChildren, 0);
    EXPECT_EQ(nm.itemNew.lParam, 5);
    EXPECT_EQ(nm.ptDrag.y, press.y + 3);
    EXPECT_EQ(f.Data().dragItem, 0u);  // without style 0x8000 the parent drags
    f.Mouse(WM_LBUTTONUP, Moved(press, 0, 9));
}

TEST(TreeListWindowMouse, SlowDragStillStarts)
{
    Fixture f;
    const Tree t = BuildTree(f);
    const POINT press = f.TextPoint(t.c);
    f.Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
    f.Clear();
    int moves = 0;
    for (int x = 1; x <= 10 && f.Count(int(TVN_BEGINDRAGA)) == 0; ++x, ++moves)
        f.Mouse(WM_MOUSEMOVE, Moved(press, x, 0), MK_LBUTTON);
    EXPECT_EQ(f.Count(int(TVN_BEGINDRAGA)), 1);
    EXPECT_EQ(moves, 3);
    f.Mouse(WM_LBUTTONUP, Moved(press, 3, 0));
}

TEST(TreeListWindowMouse, OwnDragMovesTheItemBehindTheTarget)
{
    Fixture f(kTreeStyle | kOwnDrag);
    const Tree t = BuildTree(f);
    f.parent.SetRecordSize(int(TLN_ENDDRAG), sizeof(NMTREEVIEWA));
    const POINT press = f.TextPoint(t.a);
    const RECT target = f.ItemRect(t.c);
    const POINT drop = {press.x, target.bottom - 2};  // the lower half: behind it
    CursorTo(f, press);
    f.Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
    CursorTo(f, drop);
    f.Mouse(WM_MOUSEMOVE, drop, MK_LBUTTON);
    EXPECT_EQ(f.Data().dragItem, t.a);
    EXPECT_EQ(GetCapture(), f.tl);
    EXPECT_EQ(f.Next(0, TVGN_DROPHILITE), t.c);
    EXPECT_NE(ImageList_GetDragImage(nullptr, nullptr), nullptr);  // the item's image follows the pointer
    f.Clear();
    f.Mouse(WM_LBUTTONUP, drop);
    EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
    EXPECT_EQ(f.Data().dragItem, 0u);
    EXPECT_NE(GetCapture(), f.tl);
    EXPECT_EQ(f.Next(0, TVGN_DROPHILITE), 0u);
    EXPECT_EQ(f.Next(t.c, TVGN_NEXT), t.a);
    ASSERT_EQ(f.Count(int(TLN_ENDDRAG)), 1);
    NMTREEVIEWA nm;
    ASSERT_TRUE(f.Find(int(TLN_ENDDRAG))->Read(&nm));
    EXPECT_EQ(TreeListHandleOf(nm.itemOld.hItem), t.c);
    EXPECT_EQ(TreeListHandleOf(nm.itemNew.hItem), t.a);
    EXPECT_EQ(nm.action & TLED_COUNTMASK, 1u);
    EXPECT_EQ((nm.action >> TLED_MODESHIFT) & 3, 1u);  // behind
    EXPECT_EQ(f.Count(int(TLN_LBUTTONUP)), 0);         // a drag's release is no click
}

TEST(TreeListWindowMouse, ParentAnswerOrOptionsKeepTheControlFromDragging)
{
    struct Case {
        const char* name;
        LRESULT answer;
        UINT option2, option3;
        bool child;
        bool drags;
    } cases[] = {
        {"plain", 0, 0, 0, false, true},
        {"parent answers 1", 1, 0, 0, false, false},
        {"state bit of option 2", 0, TVIS_BOLD, 0, false, false},
        {"root only, child item", 0, 0, TLO3_ROOTONLY, true, false},
        {"root only, root item", 0, 0, TLO3_ROOTONLY, false, true},
    };
    Fixture f(kTreeStyle | kOwnDrag);
    for (const Case& c : cases) {
        f.Recreate(kTreeStyle | kOwnDrag);
        const Tree t = BuildTree(f);
        f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(t.b));
        TVITEMA tv = {};
        tv.mask = TVIF_STATE;
        tv.hItem = TreeListHtreeOf(c.child ? t.b1 : t.b);
        tv.state = tv.stateMask = TVIS_BOLD;
        f.SendRecord(TVM_SETITEMA, 0, &tv);
        f.Send(TLM_OPTION, 2 | kTreeListOptionSet, c.option2);
        f.Send(TLM_OPTION, 3 | kTreeListOptionSet, c.option3);
        const LRESULT answer = c.answer;
        f.parent.SetAnswer(int(TVN_BEGINDRAGA), [answer](NMHDR*) { return answer; });
        const POINT press = f.TextPoint(c.child ? t.b1 : t.b);
        f.Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
        f.Mouse(WM_MOUSEMOVE, Moved(press, 0, 5), MK_LBUTTON);
        EXPECT_EQ(f.Data().dragItem != 0, c.drags) << c.name;
        f.Mouse(WM_LBUTTONUP, Moved(press, 0, 5));
    }
}

TEST(TreeListWindowMouse, ReleaseNotifications)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.parent.SetRecordSize(int(TLN_LBUTTONUP), sizeof(NMTREEVIEWA));
    f.parent.SetAnswer(int(TLN_LBUTTONUP), [](NMHDR*) { return LRESULT(55); });
    const POINT pt = f.TextPoint(t.b);
    f.Mouse(WM_LBUTTONDOWN, pt, MK_LBUTTON);
    f.Clear();
    EXPECT_EQ(f.Mouse(WM_LBUTTONUP, pt, MK_SHIFT), 55);  // the parent's answer comes back
    EXPECT_EQ(f.Codes(), (std::vector<int>{int(NM_CLICK), int(TLN_LBUTTONUP)}));
    NMTREEVIEWA nm;
    ASSERT_TRUE(f.Find(int(TLN_LBUTTONUP))->Read(&nm));
    EXPECT_EQ(nm.action, 0u);
    EXPECT_EQ(nm.itemOld.mask, 0u);
    EXPECT_EQ(nm.itemNew.mask, 0x401Cu);
    EXPECT_EQ(TreeListHandleOf(nm.itemNew.hItem), t.b);
    EXPECT_EQ(nm.itemNew.state, f.State(t.b));
    EXPECT_EQ(nm.itemNew.stateMask, 0xFFFFFFFFu);
    EXPECT_EQ(nm.itemNew.cchTextMax, -1);
    EXPECT_EQ(nm.itemNew.lParam, 5);
    EXPECT_EQ(nm.ptDrag.x, pt.x);
    EXPECT_EQ(nm.ptDrag.y, pt.y);

    // Below the rows: no item, state and mask 0.
    const POINT empty = {20, 190};
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, empty, MK_LBUTTON);
    f.Mouse(WM_LBUTTONUP, empty);
    ASSERT_NE(f.Find(int(TLN_LBUTTONUP)), nullptr);
    ASSERT_TRUE(f.Find(int(TLN_LBUTTONUP))->Read(&nm));
    EXPECT_EQ(nm.itemNew.hItem, nullptr);
    EXPECT_EQ(nm.itemNew.stateMask, 0u);
    EXPECT_EQ(nm.itemNew.lParam, 0);

    // The right button: NM_RCLICK, then -437 always.
    f.Clear();
    f.Mouse(WM_RBUTTONDOWN, pt, MK_RBUTTON);
    f.Mouse(WM_RBUTTONUP, pt);
    EXPECT_EQ(f.Count(int(NM_RCLICK)), 1);
    EXPECT_EQ(f.Count(int(TLN_RBUTTONUP)), 1);
    EXPECT_EQ(f.Data().mouseButton, 0);
}

TEST(TreeListWindowMouse, PendingClickUnderMultipleSelectionSendsNoRelease)
{
    Fixture f;
    const Tree t = BuildTree(f);
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
    f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.b));
    const POINT pt = f.TextPoint(t.b);
    f.Mouse(WM_LBUTTONDOWN, pt, MK_LBUTTON);
    f.Clear();
    f.Mouse(WM_LBUTTONUP, pt);
    EXPECT_EQ(f.Count(int(NM_CLICK)), 1);
    EXPECT_EQ(f.Count(int(TLN_LBUTTONUP)), 0);
}

TEST(TreeListWindowMouse, WheelScrollsByRows)
{
    Fixture f;
    FillRows(f, 60);
    const uint32_t visible = uint32_t(f.Send(TVM_GETVISIBLECOUNT));
    const struct {
        const char* name;
        int delta;
        WPARAM keys;
        uint32_t first;
    } steps[] = {
        {"plain notch down", -120, 0, 2},      {"ctrl notch down", -120, MK_CONTROL, 20},
        {"shift notch up", 120, MK_SHIFT, 14},  {"half notch down", -60, 0, 15},
        {"a third", -20, 0, 15},               {"two more thirds", -40, 0, 16},
        {"right button held", -120, MK_RBUTTON, 16}, {"to the end", -1200, MK_CONTROL, 60 - visible + 1},
        {"to the top", 2400, MK_CONTROL, 0},
    };
    for (const auto& s : steps) {
        POINT screen = {10, 10};
        ClientToScreen(f.tl, &screen);
        f.Send(WM_MOUSEWHEEL, MAKEWPARAM(s.keys, WORD(short(s.delta))), MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(f.Data().firstRow, s.first) << s.name;
    }
    // Style 0x2000 keeps the list where it is.
    SetWindowLongA(f.tl, GWL_STYLE, GetWindowLongA(f.tl, GWL_STYLE) | TVS_NOSCROLL);
    EXPECT_EQ(f.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(-120))), 0), 1);
    EXPECT_EQ(f.Data().firstRow, 0u);
}

TEST(TreeListWindowMouse, AutoScrollNearTheBottomEdge)
{
    Fixture f;
    FillRows(f, 60);
    CursorTo(f, POINT{20, 240});  // below the window: fastest
    EXPECT_EQ(f.Send(TLM_SETAUTOSCROLL, 0, 30), 1);
    EXPECT_TRUE(winharness::PumpUntil([&] { return f.Data().firstRow >= 3; }, 3000));
    f.Send(TLM_SETAUTOSCROLL, 0, 0);
    winharness::PumpUntilIdle(200);
    const uint32_t stopped = f.Data().firstRow;
    winharness::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(f.Data().firstRow, stopped);
    // Above the window it scrolls up again.
    CursorTo(f, POINT{20, -40});
    f.Send(TLM_SETAUTOSCROLL, 0, 30);
    EXPECT_TRUE(winharness::PumpUntil([&] { return f.Data().firstRow < stopped; }, 3000));
    f.Send(TLM_SETAUTOSCROLL, 0, 0);
}

// A column too narrow for the text: the tooltip shows the whole text.
struct Narrow {
    Fixture f{kTreeStyle, 300, 200};
    uint32_t longItem = 0, shortItem = 0;
    Narrow()
    {
        f.InsertColumn(0, 70, "Name");
        f.InsertColumn(1, 100, "x");
        longItem = f.Insert(0, "a long text that the column cuts off");
        shortItem = f.Insert(0, "ok");
    }
};

TEST(TreeListWindowMouse, TooltipShowsCutOffTextOnly)
{
    Narrow n;
    Fixture& f = n.f;
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(n.longItem));
    EXPECT_TRUE(f.Window().tipShown);
    EXPECT_EQ(f.Window().tipItem, n.longItem);
    EXPECT_EQ(f.Window().tipText, "a long text that the column cuts off");
    EXPECT_TRUE(IsWindowVisible(f.Data().tooltip));
    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = f.Data().tooltip;
    info.hdr.code = TTN_GETDISPINFOA;
    f.SendRecord(WM_NOTIFY, 0, &info);
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, "a long text that the column cuts off");
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(n.shortItem));
    EXPECT_FALSE(f.Window().tipShown);
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(n.longItem));
    EXPECT_TRUE(f.Window().tipShown);
    f.Mouse(WM_MOUSEMOVE, POINT{250, 150});  // no item
    EXPECT_FALSE(f.Window().tipShown);
}

TEST(TreeListWindowMouse, ParentGivesTheTooltipText)
{
    Narrow n;
    Fixture& f = n.f;
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_GETTOOLTIP, TLS_EX_GETTOOLTIP);
    static char given[] = "vom Parent";
    int asked = 0;
    f.parent.SetAnswer(int(TLN_GETTOOLTIP), [&](NMHDR* h) {
        ++asked;
        NMTREEVIEWA* nm = reinterpret_cast<NMTREEVIEWA*>(h);
        EXPECT_EQ(nm->itemNew.mask, 0x801Cu);
        EXPECT_STREQ(nm->itemNew.pszText, "ok");
        nm->itemNew.pszText = given;
        return LRESULT(1);
    });
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(n.shortItem));  // even a text that fits
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(f.Window().tipShown);
    EXPECT_EQ(f.Window().tipText, "vom Parent");
    // With a delay the tooltip waits for ticks of the 500 ms timer.
    f.parent.SetAnswer(int(TLN_GETTOOLTIP), [&](NMHDR* h) {
        NMTREEVIEWA* nm = reinterpret_cast<NMTREEVIEWA*>(h);
        nm->itemNew.pszText = given;
        nm->itemNew.mask |= 0x40000000;
        nm->itemNew.lParam = 900;
        return LRESULT(1);
    });
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(n.longItem));
    EXPECT_FALSE(f.Window().tipShown);
    EXPECT_EQ(f.Window().tipCountdown, 2);
    // An answer of 0 shows nothing.
    f.parent.SetAnswer(int(TLN_GETTOOLTIP), [](NMHDR*) { return LRESULT(0); });
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(n.shortItem));
    EXPECT_FALSE(f.Window().tipShown);
}

TEST(TreeListWindowMouse, InfoTipsAskTheParent)
{
    Fixture f(kTreeStyle | TVS_INFOTIP);
    const Tree t = BuildTree(f);
    f.parent.SetAnswer(int(TVN_GETINFOTIPA), [](NMHDR* h) {
        NMTVGETINFOTIPA* nm = reinterpret_cast<NMTVGETINFOTIPA*>(h);
        const std::string text = nm->pszText;
        std::snprintf(nm->pszText, size_t(nm->cchTextMax), "Info zu %s", text.c_str());
        return LRESULT(0);
    });
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(t.b));
    EXPECT_TRUE(f.Window().tipShown);
    EXPECT_EQ(f.Window().tipText, "Info zu b");
}

TEST(TreeListWindowMouse, OwnDoubleClickWhileTheTooltipShows)
{
    Narrow n;
    Fixture& f = n.f;
    const POINT pt = f.TextPoint(n.longItem);
    f.Mouse(WM_MOUSEMOVE, pt);
    ASSERT_TRUE(f.Window().tipShown);
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, pt, MK_LBUTTON);
    f.Mouse(WM_LBUTTONUP, pt);
    f.Mouse(WM_LBUTTONDOWN, Moved(pt, 2, 2), MK_LBUTTON);  // 4 pixels away
    f.Mouse(WM_LBUTTONUP, pt);
    EXPECT_EQ(f.Count(int(NM_DBLCLK)), 1);
    // Too far apart: two presses.
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(n.shortItem));
    f.Mouse(WM_MOUSEMOVE, pt);
    ASSERT_TRUE(f.Window().tipShown);
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, pt, MK_LBUTTON);
    f.Mouse(WM_LBUTTONUP, pt);
    f.Mouse(WM_LBUTTONDOWN, Moved(pt, 5, 2), MK_LBUTTON);
    f.Mouse(WM_LBUTTONUP, pt);
    EXPECT_EQ(f.Count(int(NM_DBLCLK)), 0);
}

TEST(TreeListWindowMouse, NoOwnDoubleClickWithoutTooltip)
{
    Fixture f(kTreeStyle | TVS_NOTOOLTIPS);
    const Tree t = BuildTree(f);
    EXPECT_EQ(f.Send(TVM_GETTOOLTIPS), 0);
    const POINT pt = f.TextPoint(t.b);
    f.Clear();
    for (int i = 0; i < 2; ++i) {
        f.Mouse(WM_LBUTTONDOWN, pt, MK_LBUTTON);
        f.Mouse(WM_LBUTTONUP, pt);
    }
    EXPECT_EQ(f.Count(int(NM_DBLCLK)), 0);
}

TEST(TreeListWindowMouse, TrackSelectHighlightsTheItemUnderThePointer)
{
    Fixture f(kTreeStyle | TVS_TRACKSELECT);
    const Tree t = BuildTree(f);
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(t.b));
    EXPECT_EQ(f.Next(0, TVGN_DROPHILITE), t.b);
    f.Mouse(WM_MOUSEMOVE, POINT{250, 150});
    EXPECT_EQ(f.Next(0, TVGN_DROPHILITE), 0u);
}

TEST(TreeListWindowMouse, HotCheckBoxes)
{
    Fixture f(kTreeStyle | TVS_CHECKBOXES);
    const Tree t = BuildTree(f);
    const RECT text = f.ItemRect(t.b, true);
    const POINT box = {text.left - f.Data().stateImageCx / 2 - 1, (text.top + text.bottom) / 2};
    f.Mouse(WM_MOUSEMOVE, box);
    EXPECT_TRUE(f.Window().hotBox);
    EXPECT_EQ(f.Window().hotItem, t.b);
    f.Mouse(WM_MOUSEMOVE, f.TextPoint(t.b));
    EXPECT_FALSE(f.Window().hotBox);
    // A click on the box toggles it.
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, box, MK_LBUTTON);
    f.Mouse(WM_LBUTTONUP, box);
    EXPECT_EQ(f.State(t.b) & TVIS_STATEIMAGEMASK, UINT(INDEXTOSTATEIMAGEMASK(2)));
    EXPECT_EQ(f.Count(int(TLN_CHECKCHANGED)), 1);
}

TEST(TreeListWindowMouse, PushedCheckBoxCellFlipsOnRelease)
{
    Fixture f;
    f.InsertColumn(0, 100, "Name");
    f.InsertColumn(1, 60, "On");
    const uint32_t h = f.Insert(0, "item", kTreeListLast, 9);
    EXPECT_EQ(f.Send(TLM_SETCOLUMNEDIT, (1u << 11) | (6u << 8) | 0x40), 1);
    EXPECT_EQ(f.Send(TLM_SETCOLUMNEDIT, (0u << 11) | (6u << 8)), 0);  // never the tree column
    EXPECT_NE(f.Send(TVM_GETIMAGELIST, 3), 0);
    const RECT row = f.ItemRect(h);
    const POINT box = {100 + 4, (row.top + row.bottom) / 2};
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, box, MK_LBUTTON);
    EXPECT_TRUE(f.Window().cellPushed);
    f.Mouse(WM_LBUTTONUP, box);
    EXPECT_FALSE(f.Window().cellPushed);
    ASSERT_EQ(f.Count(int(TLN_CHECKCHANGED)), 1);
    NMTREEVIEWA nm;
    ASSERT_TRUE(f.Find(int(TLN_CHECKCHANGED))->Read(&nm));
    EXPECT_EQ(nm.action, 0x10003u);
    EXPECT_EQ(nm.itemNew.mask, 0x801Du);
    EXPECT_EQ(nm.itemNew.cChildren, 1);
    EXPECT_EQ(nm.itemNew.lParam, 9);
    EXPECT_EQ(nm.itemNew.state & TVIS_STATEIMAGEMASK, UINT(INDEXTOSTATEIMAGEMASK(2)));
    // Pressed and moved off: released without a word.
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, box, MK_LBUTTON);
    f.Mouse(WM_MOUSEMOVE, POINT{20, (row.top + row.bottom) / 2}, MK_LBUTTON);
    EXPECT_FALSE(f.Window().cellPushed);
    f.Mouse(WM_LBUTTONUP, POINT{20, (row.top + row.bottom) / 2});
    EXPECT_EQ(f.Count(int(TLN_CHECKCHANGED)), 0);
}

TEST(TreeListWindowMouse, BeginDragByMessageIgnoresPresses)
{
    Fixture f;
    const Tree t = BuildTree(f);
    CursorTo(f, f.TextPoint(t.a));
    EXPECT_EQ(f.Send(TLM_BEGINDRAG, 0, LPARAM(t.a)), 1);
    EXPECT_EQ(f.Data().dragItem, t.a);
    EXPECT_EQ(f.Data().dragState & 0x80, 0x80);
    f.Clear();
    f.Mouse(WM_LBUTTONDOWN, f.TextPoint(t.c), MK_LBUTTON);
    EXPECT_EQ(f.Count(int(TVN_SELCHANGEDA)), 0);
    f.Send(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(f.Data().dragItem, 0u);
    EXPECT_NE(GetCapture(), f.tl);
}

}  // namespace
}  // namespace treelist_window_test
