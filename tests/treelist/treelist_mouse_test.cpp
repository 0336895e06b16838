// Mouse buttons: selection with Ctrl, Shift and multiple selection, the
// deferred click, check boxes, buttons, double clicks, the click
// notifications; drop highlight and its timer, dropping dragged items,
// cancelling a drag, and the insert mark.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

constexpr int kTextX = 25;  // on the text of a root item ("item" from x = 19)

struct Roots {
    Control c;
    std::vector<uint32_t> h;
    explicit Roots(int n = 6, DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT) : c(style)
    {
        for (int i = 0; i < n; ++i)
            h.push_back(c.Insert(0, "item", kTreeListLast, 100 + i));
    }
    void Click(uint32_t item, WPARAM keys = 0, UINT down = WM_LBUTTONDOWN)
    {
        const POINT pt = c.RowPoint(item, kTextX);
        c.Mouse(down, pt.x, pt.y, keys);
        if (down == WM_LBUTTONDOWN)
            c.Mouse(WM_LBUTTONUP, pt.x, pt.y, keys & ~MK_LBUTTON);
        if (down == WM_RBUTTONDOWN)
            c.Mouse(WM_RBUTTONUP, pt.x, pt.y, keys);
    }
};

TEST(TreeListMouse, PlainClickSelectsAndTheReleaseSendsNmClick)
{
    Roots r;
    Control& c = r.c;
    const POINT pt = c.RowPoint(r.h[2], kTextX);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_LBUTTON);
    EXPECT_EQ(c.host.focusRequests, 1);
    EXPECT_EQ(c.d->caretItem, r.h[2]);
    EXPECT_EQ(c.d->mouseButton, 1);  // recorded for the drag start
    EXPECT_EQ(c.d->mouseItem, r.h[2]);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA}));
    EXPECT_EQ(c.host.sent[0].action, 1u);  // by mouse
    c.host.Clear();
    EXPECT_EQ(c.Mouse(WM_LBUTTONUP, pt.x, pt.y), 0);  // no pending click
    ASSERT_EQ(c.host.Codes(), std::vector<UINT>{NM_CLICK});
    EXPECT_EQ(c.host.sent[0].newItem, r.h[2]);
    EXPECT_EQ(c.host.sent[0].newData, 102);
    EXPECT_EQ(c.host.sent[0].point.y, pt.y);
    EXPECT_EQ(c.d->mouseButton, 0);
    c.host.Clear();
    r.Click(r.h[3], 0, WM_RBUTTONDOWN);
    EXPECT_EQ(c.d->caretItem, r.h[3]);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA, NM_RCLICK}));
}

TEST(TreeListMouse, DisabledOrWithoutFocusNothingHappens)
{
    Roots r;
    Control& c = r.c;
    c.host.refuseFocus = true;
    r.Click(r.h[1]);
    EXPECT_EQ(c.d->caretItem, 0u);
    c.host.refuseFocus = false;
    c.d->enabled = 0;
    r.Click(r.h[1]);
    EXPECT_EQ(c.d->caretItem, 0u);
    EXPECT_TRUE(c.host.sent.empty() || c.host.Codes() == std::vector<UINT>{NM_CLICK});
}

struct ClickStep {
    const char* name; int item; WPARAM keys; UINT down; std::vector<int> selected;
    int caret;   // -1 none
    int anchor;  // -1 none
};

TEST(TreeListMouse, MultipleSelectionWithCtrlShiftAndTheDeferredClick)
{
    Roots r;
    Control& c = r.c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    const ClickStep steps[] = {
        {"plain", 1, 0, WM_LBUTTONDOWN, {1}, 1, -1}, {"ctrl adds", 3, MK_CONTROL, WM_LBUTTONDOWN, {1, 3}, 3, -1},
        {"ctrl on a selected item removes it and anchors", 1, MK_CONTROL, WM_LBUTTONDOWN, {3}, -1, 1},
        {"shift: range from the anchor", 4, MK_SHIFT, WM_LBUTTONDOWN, {1, 2, 3, 4}, 4, 1},
        {"shift the other way: caret is the new item", 0, MK_SHIFT, WM_LBUTTONDOWN, {0, 1}, 0, 1},
        {"press on a selected item defers", 1, 0, WM_LBUTTONDOWN, {1}, 1, -1},
        {"ctrl adds again", 2, MK_CONTROL, WM_LBUTTONDOWN, {1, 2}, 2, -1},
        {"right on a selected item keeps the selection", 1, 0, WM_RBUTTONDOWN, {1, 2}, 2, -1},
        {"right elsewhere selects", 5, 0, WM_RBUTTONDOWN, {5}, 5, -1},
    };
    for (const ClickStep& s : steps) {
        SCOPED_TRACE(s.name);
        r.Click(r.h[size_t(s.item)], s.keys, s.down);
        std::vector<uint32_t> expected;
        for (int i : s.selected)
            expected.push_back(r.h[size_t(i)]);
        EXPECT_EQ(c.SelectedItems(), expected);
        EXPECT_EQ(c.d->caretItem, s.caret < 0 ? 0u : r.h[size_t(s.caret)]);
        EXPECT_EQ(c.d->anchorItem, s.anchor < 0 ? 0u : r.h[size_t(s.anchor)]);
    }
}

TEST(TreeListMouse, TheDeferredClickWaitsForTheReleaseAndNmClickCanStopIt)
{
    Roots r;
    Control& c = r.c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    r.Click(r.h[0]);
    r.Click(r.h[1], MK_CONTROL);
    const POINT pt = c.RowPoint(r.h[0], kTextX);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_LBUTTON);
    EXPECT_EQ(c.SelectedItems().size(), 2u);  // kept for a drag of both
    EXPECT_TRUE(c.d->pendingClick);
    c.host.parent = [](NMHDR& h) -> LRESULT { return h.code == NM_CLICK; };
    EXPECT_EQ(c.Mouse(WM_LBUTTONUP, pt.x, pt.y), 1);
    EXPECT_EQ(c.SelectedItems().size(), 2u);
    c.host.parent = nullptr;
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_LBUTTON);
    EXPECT_EQ(c.Mouse(WM_LBUTTONUP, pt.x, pt.y), 1);
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{r.h[0]});
    // A pending click of an item deleted meanwhile does nothing.
    r.Click(r.h[1], MK_CONTROL);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_LBUTTON);
    c.Delete(r.h[0]);
    EXPECT_EQ(c.Mouse(WM_LBUTTONUP, pt.x, pt.y), 1);
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{r.h[1]});
}

TEST(TreeListMouse, CtrlDeselectTakesHiddenDescendantsAlong)
{
    Control c;
    c.SetExStyle(TLS_EX_MULTISELECT | TLS_EX_CELLSELECT);
    const uint32_t p = c.Insert(0, "item");
    const uint32_t k = c.Insert(p, "kid");
    const uint32_t q = c.Insert(0, "item");
    c.Expand(p);
    POINT pt = c.RowPoint(k, 2 * 19 + 5);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y);
    pt = c.RowPoint(q, kTextX);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_CONTROL);
    pt = c.RowPoint(p, kTextX);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_CONTROL);
    EXPECT_EQ(c.SelectedItems(), (std::vector<uint32_t>{p, k, q}));
    c.Expand(p, TVE_COLLAPSE);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_CONTROL);
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{q});
    EXPECT_EQ(c.d->anchorItem, p);
    EXPECT_NE(c.d->items[p]->flags & kTreeListFocusMark, 0);
}

TEST(TreeListMouse, RightOfTheTextSelectsOnlyWithFullRowSelection)
{
    for (bool fullRow : {false, true}) {
        SCOPED_TRACE(fullRow);
        Roots r(3, TVS_HASBUTTONS | TVS_LINESATROOT | (fullRow ? TVS_FULLROWSELECT : 0));
        const POINT pt = r.c.RowPoint(r.h[1], 200);
        r.c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y);
        EXPECT_EQ(r.c.d->caretItem, fullRow ? r.h[1] : 0u);
        // The indent is no item hit either way.
        const POINT indent = r.c.RowPoint(r.h[2], 2);
        r.c.Mouse(WM_LBUTTONDOWN, indent.x, indent.y);
        EXPECT_EQ(r.c.d->caretItem, fullRow ? r.h[1] : 0u);
    }
}

TEST(TreeListMouse, RightButtonSelectsNothingWithItsStyle)
{
    Roots r;
    r.c.SetExStyle(TLS_EX_NORIGHTSELECT);
    r.Click(r.h[2], 0, WM_RBUTTONDOWN);
    EXPECT_EQ(r.c.d->caretItem, 0u);
    EXPECT_EQ(r.c.d->mouseButton, 0);  // recorded, then released
}

TEST(TreeListMouse, StateIconTogglesTheCheckBoxOnly)
{
    Roots r(3, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_CHECKBOXES);
    Control& c = r.c;
    c.d->stateImages = reinterpret_cast<HIMAGELIST>(1);
    c.d->stateImageCx = 16;
    const POINT pt = c.RowPoint(r.h[1], 19 + 4);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y);
    EXPECT_EQ(c.State(r.h[1]) & TVIS_STATEIMAGEMASK, 0x2000u);
    EXPECT_EQ(c.d->caretItem, 0u);
    ASSERT_EQ(c.host.Codes(), std::vector<UINT>{TLN_CHECKCHANGED});
    EXPECT_EQ(c.host.sent[0].point.x, pt.x);
    EXPECT_EQ(c.host.sent[0].point.y, pt.y);
    c.Mouse(WM_LBUTTONDBLCLK, pt.x, pt.y);
    EXPECT_EQ(c.State(r.h[1]) & TVIS_STATEIMAGEMASK, 0x1000u);
    c.Mouse(WM_RBUTTONDOWN, pt.x, pt.y);
    EXPECT_EQ(c.State(r.h[1]) & TVIS_STATEIMAGEMASK, 0x1000u);
    EXPECT_EQ(c.d->caretItem, 0u);
}

TEST(TreeListMouse, ButtonTogglesOnThePress)
{
    Control c;
    const uint32_t p = c.Insert(0, "item");
    c.Insert(p, "kid");
    const POINT pt = c.RowPoint(p, 9);
    c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y);
    EXPECT_NE(c.State(p) & TVIS_EXPANDED, 0u);
    EXPECT_EQ(c.d->caretItem, 0u);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDEDA}));
    c.Mouse(WM_LBUTTONUP, pt.x, pt.y);
    c.Mouse(WM_LBUTTONDBLCLK, pt.x, pt.y);  // the second click of a double click
    EXPECT_EQ(c.State(p) & TVIS_EXPANDED, 0u);
}

TEST(TreeListMouse, DoubleClickEditorHookOrExpansion)
{
    const struct {
        const char* name; LRESULT dblclkAnswer; uint8_t editKind; LRESULT startAnswer, hookAnswer;
        EditCall::Kind firstCall; bool expanded; bool selected;
    } cases[] = {
        {"stopped by the parent", 1, 0, 0, 0, EditCall::kHook, false, false},
        {"editor starts", 0, 1, 1, 0, EditCall::kStart, false, true},
        {"editor refuses, hook takes", 0, 1, 0, 1, EditCall::kStart, false, true},
        {"hook takes", 0, 0, 0, 1, EditCall::kHook, false, true},
        {"nobody takes: expansion", 0, 0, 0, 0, EditCall::kHook, true, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c;
        c.InsertColumn(0, 200);
        const uint32_t p = c.Insert(0, "item");
        c.Insert(p, "kid");
        c.d->columns[0].editKind = k.editKind;
        c.host.startAnswer = k.startAnswer;
        c.host.hookAnswer = k.hookAnswer;
        c.host.parent = [&](NMHDR& h) -> LRESULT { return h.code == NM_DBLCLK ? k.dblclkAnswer : 0; };
        const POINT pt = c.RowPoint(p, kTextX);
        c.Mouse(WM_LBUTTONDBLCLK, pt.x, pt.y);
        c.host.parent = nullptr;
        EXPECT_EQ(c.host.sent.front().code, NM_DBLCLK);
        EXPECT_EQ(c.host.sent.front().newItem, p);
        EXPECT_EQ(c.d->caretItem == p, k.selected);
        EXPECT_EQ((c.State(p) & TVIS_EXPANDED) != 0, k.expanded);
        if (k.dblclkAnswer) {
            EXPECT_TRUE(c.host.edits.empty());
            continue;
        }
        ASSERT_FALSE(c.host.edits.empty());
        EXPECT_EQ(c.host.edits[0].kind, k.firstCall);
        EXPECT_EQ(c.host.edits[0].code, kTreeListEditDoubleClick);
        EXPECT_EQ(c.host.edits[0].data, LPARAM(pt.x | (pt.y << 16)));
    }
}

TEST(TreeListMouse, DragIsRecordedUnlessDisabled)
{
    Roots r(3, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_DISABLEDRAGDROP);
    r.Click(r.h[1]);
    EXPECT_EQ(r.c.d->mouseButton, 0);
    const POINT pt = r.c.RowPoint(r.h[1], kTextX);
    r.c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y);
    EXPECT_EQ(r.c.d->mouseButton, 0);
    EXPECT_EQ(r.c.d->caretItem, r.h[1]);
}

TEST(TreeListDrag, RightPressCancelsOrTogglesAButton)
{
    Control c;
    const uint32_t p = c.Insert(0, "item");
    c.Insert(p, "kid");
    const uint32_t q = c.Insert(0, "item");
    c.Send(TLM_OPTION, 3 | kTreeListOptionSet, TLO3_ENDDRAGNOTIFY);
    c.d->dragItem = q;
    c.Send(TLM_SETDROPTARGET, 0, LPARAM(p));
    c.Send(TLM_SETAUTOSCROLL, 1, 100);
    POINT pt = c.RowPoint(p, 9);
    c.Mouse(WM_RBUTTONDOWN, pt.x, pt.y);
    EXPECT_NE(c.State(p) & TVIS_EXPANDED, 0u);  // a button: toggled, the drag goes on
    EXPECT_EQ(c.d->dragItem, q);
    c.host.Clear();
    pt = c.RowPoint(q, kTextX);
    c.Mouse(WM_RBUTTONDOWN, pt.x, pt.y, MK_SHIFT);
    EXPECT_EQ(c.d->dragItem, 0u);
    EXPECT_EQ(c.d->dropItem, 0u);
    EXPECT_EQ(c.host.dragEnds, 1);
    EXPECT_FALSE(c.host.TimerRunning(kTreeListDropTimer));
    EXPECT_FALSE(c.host.TimerRunning(kTreeListAutoScrollTimer));
    ASSERT_EQ(c.host.Codes(), std::vector<UINT>{TLN_ENDDRAG});
    EXPECT_EQ(c.host.sent[0].newItem, q);
    EXPECT_EQ(c.host.sent[0].oldData, LPARAM(MK_SHIFT));
    EXPECT_EQ(c.d->caretItem, 0u);  // the press selects nothing
}

// A drag of the held left button ends without a drop however it is
// cancelled; the button's release that follows reports no click, and the
// next press is a click again. A left press during the drag means its
// release went elsewhere: it cancels, it never drops.
TEST(TreeListDrag, TheReleaseAfterACancelReportsNothing)
{
    const struct {
        const char* name; std::function<void(Roots&)> cancel;
    } cases[] = {
        {"Escape", [](Roots& r) { r.c.Key(VK_ESCAPE); }},
        {"a right press", [](Roots& r) {
             const POINT pt = r.c.RowPoint(r.h[4], kTextX);
             r.c.Mouse(WM_RBUTTONDOWN, pt.x, pt.y, MK_LBUTTON | MK_RBUTTON);
         }},
        {"a left press elsewhere", [](Roots& r) {
             const POINT pt = r.c.RowPoint(r.h[4], kTextX);
             r.c.Mouse(WM_LBUTTONDOWN, pt.x, pt.y, MK_LBUTTON);
         }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Roots r;
        Control& c = r.c;
        c.Send(TLM_OPTION, 3 | kTreeListOptionSet, TLO3_ENDDRAGNOTIFY);
        c.d->dragItem = r.h[1];
        c.d->dragState = kTreeListDragLeftButton;
        c.Send(TLM_SETDROPTARGET, 0, LPARAM(r.h[3]));
        k.cancel(r);
        EXPECT_EQ(c.d->dragItem, 0u);
        ASSERT_FALSE(c.host.sent.empty());
        EXPECT_EQ(c.host.sent[0].code, TLN_ENDDRAG);
        EXPECT_EQ(c.host.sent[0].oldItem, 0u);  // no target: cancelled
        EXPECT_EQ(c.Children(0), r.h);  // nothing moved
        c.host.Clear();
        const POINT pt = c.RowPoint(r.h[4], kTextX);
        EXPECT_EQ(c.Mouse(WM_LBUTTONUP, pt.x, pt.y), 1);  // taken: the window reports no release either
        EXPECT_TRUE(c.host.sent.empty());
        r.Click(r.h[5]);
        EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA, NM_CLICK}));
    }
}

TEST(TreeListDrop, HighlightTimerAndTheStripBehindTheLastRow)
{
    Control c;
    const uint32_t p = c.Insert(0, "item");
    c.Insert(p, "kid");
    const uint32_t q = c.Insert(0, "item");
    c.RowCount();
    c.host.Clear();
    EXPECT_EQ(c.Send(TLM_SETDROPTARGET, 0, LPARAM(p)), 1);
    UINT ms = 0;
    EXPECT_TRUE(c.host.TimerRunning(kTreeListDropTimer, &ms));
    EXPECT_EQ(ms, 500u);
    EXPECT_NE(c.d->items[p]->flags & kTreeListDropHilite, 0);
    ASSERT_EQ(c.host.invalidated.size(), 1u);
    EXPECT_EQ(c.host.invalidated[0].top, 0);
    c.Send(WM_TIMER, kTreeListDropTimer);
    EXPECT_NE(c.State(p) & TVIS_EXPANDED, 0u);
    EXPECT_FALSE(c.host.TimerRunning(kTreeListDropTimer));
    // The place behind the last row: a strip 3 pixels high below it.
    c.RowCount();
    c.host.Clear();
    EXPECT_EQ(c.Send(TLM_SETDROPTARGET, 0, LPARAM(kTreeListLast)), 1);
    EXPECT_EQ(c.Next(0, TVGN_DROPHILITE), kTreeListLast);
    EXPECT_EQ(c.d->items[p]->flags & kTreeListDropHilite, 0);
    ASSERT_EQ(c.host.invalidated.size(), 2u);
    EXPECT_EQ(c.host.invalidated[1].top, 3 * 16);
    EXPECT_EQ(c.host.invalidated[1].bottom, 3 * 16 + 3);
    EXPECT_TRUE(c.host.TimerRunning(kTreeListDropTimer));
    EXPECT_EQ(c.Send(TLM_SETDROPTARGET, 0, 0), 1);
    EXPECT_FALSE(c.host.TimerRunning(kTreeListDropTimer));
    EXPECT_EQ(c.Send(TLM_SETDROPTARGET, 0, LPARAM(4711)), 0);
    EXPECT_EQ(c.Send(TVM_SELECTITEM, TVGN_DROPHILITE, LPARAM(q)), 1);
    EXPECT_EQ(c.Next(0, TVGN_DROPHILITE), q);
    // With rows down to the bottom the strip stays inside the list area.
    for (int i = 0; i < 20; ++i)
        c.Insert(0, "more");
    c.host.Clear();
    c.Send(TLM_SETDROPTARGET, 0, LPARAM(kTreeListLast));
    ASSERT_FALSE(c.host.invalidated.empty());
    EXPECT_EQ(c.host.invalidated.back().bottom, 200);
}

TEST(TreeListDrop, AutoScrollIntervalIsClamped)
{
    Control c;
    UINT ms = 0;
    c.Send(TLM_SETAUTOSCROLL, 3, 10);
    EXPECT_TRUE(c.host.TimerRunning(kTreeListAutoScrollTimer, &ms));
    EXPECT_EQ(ms, 30u);
    EXPECT_EQ(c.d->autoScrollMode, 3);
    c.Send(TLM_SETAUTOSCROLL, 1, 5000);
    c.host.TimerRunning(kTreeListAutoScrollTimer, &ms);
    EXPECT_EQ(ms, 900u);
    c.Send(TLM_SETAUTOSCROLL, 1, 0);
    EXPECT_FALSE(c.host.TimerRunning(kTreeListAutoScrollTimer));
}

// R1 { X { X1 }, Y }, R2 { Z }, R3, R4; nothing expanded.
struct DropTree {
    Control c;
    uint32_t r1, x, x1, y, r2, z, r3, r4;
    DropTree()
    {
        r1 = c.Insert(0, "R1");
        x = c.Insert(r1, "X");
        x1 = c.Insert(x, "X1");
        y = c.Insert(r1, "Y");
        r2 = c.Insert(0, "R2");
        z = c.Insert(r2, "Z");
        r3 = c.Insert(0, "R3");
        r4 = c.Insert(0, "R4");
    }
    int Drop(uint32_t target, uint32_t dragged, WPARAM keys = 0, POINT pt = POINT{10, 10})
    {
        TreeListCall call(*c.d);
        return TreeListDropItems(*c.d, target, dragged, keys, pt);
    }
    std::vector<std::string> Texts(uint32_t parent) { return c.ChildTexts(parent); }
};

using Texts = std::vector<std::string>;

TEST(TreeListDrop, OneItemInEveryPlacement)
{
    const struct {
        const char* name; uint32_t option3; bool behind; WPARAM keys; int moved; UINT mode; Texts roots; Texts underR3;
    } cases[] = {
        {"in front", 0, false, 0, 1, 0, {"R1", "R2", "Y", "R3", "R4"}, {}},
        {"behind", 0, true, 0, 1, 1, {"R1", "R2", "R3", "Y", "R4"}, {}},
        {"ctrl: last child", 0, false, MK_CONTROL, 1, 3, {"R1", "R2", "R3", "R4"}, {"Y"}},
        {"ctrl shift: first child", 0, false, MK_CONTROL | MK_SHIFT, 1, 2, {"R1", "R2", "R3", "R4"}, {"Y"}},
        {"ctrl refused by option", TLO3_NOINTO, true, MK_CONTROL, 1, 1, {"R1", "R2", "R3", "Y", "R4"}, {}},
        {"same level refuses", TLO3_SAMELEVEL, false, 0, 0, 0, {"R1", "R2", "R3", "R4"}, {}},
        {"same parent refuses", TLO3_SAMEPARENT, false, 0, 0, 0, {"R1", "R2", "R3", "R4"}, {}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        DropTree t;
        Control& c = t.c;
        c.Send(TLM_OPTION, 3 | kTreeListOptionSet, LPARAM(k.option3));
        c.d->dropBehind = k.behind;
        c.host.Clear();
        EXPECT_EQ(t.Drop(t.r3, t.y, k.keys), k.moved);
        EXPECT_EQ(t.Texts(0), k.roots);
        EXPECT_EQ(t.Texts(t.r3), k.underR3);
        if (!k.underR3.empty()) {
            EXPECT_NE(c.State(t.r3) & TVIS_EXPANDED, 0u);  // a collapsed target opens
        }
        ASSERT_EQ(c.host.Codes().back(), TLN_ENDDRAG);
        const Sent& s = c.host.sent.back();
        EXPECT_EQ(s.oldItem, t.r3);
        EXPECT_EQ(s.newItem, k.moved ? t.y : 0u);
        EXPECT_EQ(s.action & TLED_COUNTMASK, UINT(k.moved));
        EXPECT_EQ((s.action >> TLED_MODESHIFT) & 3, k.mode);
        EXPECT_EQ(s.action >> TLED_RESULTSHIFT, k.moved ? 2u : 0u);
    }
}

TEST(TreeListDrop, TargetsThatAreRefusedOrOutside)
{
    {
        DropTree t;
        EXPECT_EQ(t.Drop(kTreeListLast, t.x), 1);
        EXPECT_EQ(t.Texts(0), (Texts{"R1", "R2", "R3", "R4", "X"}));
        t.c.Send(TLM_OPTION, 3 | kTreeListOptionSet, TLO3_NOLAST);
        EXPECT_EQ(t.Drop(kTreeListLast, t.y), 0);
    }
    {
        DropTree t;
        t.c.Send(TLM_OPTION, 3 | kTreeListOptionSet, TLO3_LEAVESONLY);
        EXPECT_EQ(t.Drop(t.r4, t.r1), 0);  // has children
        EXPECT_EQ(t.Drop(t.r4, t.r3), 1);
    }
    {
        DropTree t;
        t.c.Send(TLM_OPTION, 3 | kTreeListOptionSet, TLO3_PINNEDFIXED);
        t.c.Send(TLM_OPTION, 4 | kTreeListOptionSet, 2);
        EXPECT_EQ(t.Drop(t.r2, t.r4), 0);  // row 2 is pinned
        EXPECT_EQ(t.Drop(t.r3, t.r4), 1);
    }
    {
        DropTree t;
        Control& c = t.c;
        // No item under the point: reported only outside the window and
        // with the option.
        EXPECT_EQ(t.Drop(0, t.x, 0, POINT{-5, 10}), 0);
        EXPECT_TRUE(c.host.sent.empty());
        c.Send(TLM_OPTION, 3 | kTreeListOptionSet, TLO3_DROPOUTSIDE);
        EXPECT_EQ(t.Drop(0, t.x, 0, POINT{10, 10}), 0);
        EXPECT_TRUE(c.host.sent.empty());
        EXPECT_EQ(t.Drop(0, t.x, 0, POINT{-5, 10}), 0);
        ASSERT_EQ(c.host.Codes(), std::vector<UINT>{TLN_ENDDRAG});
        EXPECT_EQ(c.host.sent[0].action, TLED_OUTSIDE);
        EXPECT_EQ(c.host.sent[0].newItem, t.x);
        EXPECT_EQ(c.host.sent[0].point.x, -5);
        EXPECT_EQ(t.Texts(t.r1), (Texts{"X", "Y"}));
    }
}

TEST(TreeListDrop, SeveralSelectedItemsMoveOnceInTreeOrder)
{
    DropTree t;
    Control& c = t.c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    c.Send(TVM_EXPAND, TVE_EXPAND | TVE_ALLCHILDREN, LPARAM(kTreeListRoot));
    TreeListCall call(*c.d);
    TreeListSelect(*c.d, t.x, 0, 0);
    for (uint32_t h : {t.x1, t.r2, t.z, t.r4})
        TreeListToggleSelection(*c.d, h, 0);
    // Into Z: Z is the target and R2 its ancestor, so they stay; X1 goes
    // with X; X and R4 go in tree order.
    EXPECT_EQ(TreeListDropItems(*c.d, t.z, t.y, MK_CONTROL, POINT{10, 10}), 2);
    EXPECT_EQ(t.Texts(t.z), (Texts{"X", "R4"}));
    EXPECT_EQ(t.Texts(t.x), Texts{"X1"});
    EXPECT_EQ(t.Texts(0), (Texts{"R1", "R2", "R3"}));
    EXPECT_EQ(c.host.sent.back().newItem, t.x);
    EXPECT_EQ(c.host.sent.back().action & TLED_COUNTMASK, 2u);
    std::string why;
    TreeListEnsureRows(*c.d);
    EXPECT_TRUE(TreeListVerify(*c.d, &why)) << why;
    // In front of R3: R1's children in order, each behind the one before.
    TreeListSelect(*c.d, t.y, 0, kTreeListSelectSingle);
    TreeListToggleSelection(*c.d, t.r1, 0);
    EXPECT_EQ(TreeListDropItems(*c.d, t.r3, t.y, 0, POINT{10, 10}), 1);  // R1 alone: Y is inside it
    EXPECT_EQ(t.Texts(0), (Texts{"R2", "R1", "R3"}));
    // A drag started by message moves only its own item.
    TreeListToggleSelection(*c.d, t.r2, 0);
    c.d->dragState = 0x80;
    EXPECT_EQ(TreeListDropItems(*c.d, kTreeListLast, t.r3, 0, POINT{10, 10}), 1);
    EXPECT_EQ(t.Texts(0), (Texts{"R2", "R1", "R3"}));  // R3 was last already
    EXPECT_EQ(c.host.sent.back().action >> TLED_RESULTSHIFT, 1u);
    TreeListEnsureRows(*c.d);
    EXPECT_TRUE(TreeListVerify(*c.d, &why)) << why;
}

TEST(TreeListInsertMark, IsARealItemThatMovesAndGoes)
{
    Control c;
    c.Columns({100, 100});
    const uint32_t a = c.Insert(0, "A");
    const uint32_t b = c.Insert(0, "B");
    c.Insert(0, "C");
    c.d->colors[10] = 0x123456;
    const uint32_t m = uint32_t(c.Send(TVM_SETINSERTMARK, 0, LPARAM(b)));
    ASSERT_NE(m, 0u);
    EXPECT_EQ(c.ChildTexts(0), (Texts{"A", "B", "", "C"}));
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 4);
    EXPECT_EQ(c.Next(b, TVGN_NEXT), m);
    EXPECT_EQ(c.d->items[m]->flags & kTreeListOwnBackColor, kTreeListOwnBackColor);
    EXPECT_EQ(c.d->items[m]->backColor, 0x123456u);
    EXPECT_EQ(c.d->items[m]->image, I_IMAGENONE);
    EXPECT_EQ(c.d->items[m]->selectedImage, I_IMAGENONE);
    ASSERT_NE(c.d->cells[1][m], nullptr);
    EXPECT_EQ(c.d->cells[1][m]->backColor, 0x123456u);
    // A new column gives the mark a cell there too.
    c.InsertColumn(2, 50);
    ASSERT_NE(c.d->cells[2][m], nullptr);
    EXPECT_EQ(c.d->cells[2][m]->flags & kTreeListOwnBackColor, kTreeListOwnBackColor);
    // Moving the mark deletes the old item first.
    c.host.Clear();
    const uint32_t m2 = uint32_t(c.Send(TVM_SETINSERTMARK, 1, LPARAM(a)));
    EXPECT_EQ(c.host.Codes().front(), TVN_DELETEITEMA);
    EXPECT_EQ(c.ChildTexts(0), (Texts{"", "A", "B", "C"}));
    EXPECT_EQ(c.d->insertMarkItem, m2);
    EXPECT_EQ(c.Send(TVM_SETINSERTMARK, 0, 0), 1);
    EXPECT_EQ(c.ChildTexts(0), (Texts{"A", "B", "C"}));
    EXPECT_EQ(c.Send(TVM_SETINSERTMARK, 0, 0), 0);
    EXPECT_EQ(c.Send(TVM_SETINSERTMARK, 0, LPARAM(4711)), 0);
    EXPECT_EQ(c.d->insertMarkItem, 0u);
}

}  // namespace
