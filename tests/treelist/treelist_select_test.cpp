// Selection: the select operation's notifications and vetoes, multiple
// selection, single expand, the toggle, subtree selection, the focus item
// and its mark, and the check boxes in every mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/treelist/treelist_fake_host.h"

using treelist_test::Control;
using treelist_test::Sent;

namespace {

int Select(Control& c, uint32_t h, uint32_t column = 0, uint32_t flags = 0)
{
    TreeListCall call(*c.d);
    return TreeListSelect(*c.d, h, column, flags);
}

struct Flat {
    Control c;
    uint32_t a, b, x, y;
    Flat()
    {
        a = c.Insert(0, "a", kTreeListLast, 10);
        b = c.Insert(0, "b", kTreeListLast, 11);
        x = c.Insert(0, "x", kTreeListLast, 12);
        y = c.Insert(0, "y", kTreeListLast, 13);
    }
};

TEST(TreeListSelect, NotificationsCarryOldAndNewItems)
{
    Flat f;
    Control& c = f.c;
    EXPECT_EQ(Select(c, f.a), 1);
    EXPECT_EQ(Select(c, f.b, 0, kTreeListSelectKeyboard), 1);
    const struct {
        UINT code;
        UINT action;
        uint32_t oldItem, newItem;
        UINT oldState, newState;
        LPARAM newData;
    } expected[] = {
        {TVN_SELCHANGINGA, 0, 0, f.a, 0, 0, 10},
        {TVN_SELCHANGEDA, 0, 0, f.a, 0, TVIS_SELECTED, 10},
        {TVN_SELCHANGINGA, 2, f.a, f.b, TVIS_SELECTED, 0, 11},
        {TVN_SELCHANGEDA, 2, f.a, f.b, 0, TVIS_SELECTED, 11},
    };
    ASSERT_EQ(c.host.sent.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const Sent& s = c.host.sent[i];
        EXPECT_EQ(s.code, expected[i].code);
        EXPECT_EQ(s.action, expected[i].action);
        EXPECT_EQ(s.oldItem, expected[i].oldItem);
        EXPECT_EQ(s.newItem, expected[i].newItem);
        EXPECT_EQ(s.oldState, expected[i].oldState);
        EXPECT_EQ(s.newState, expected[i].newState);
        EXPECT_EQ(s.newData, expected[i].newData);
    }
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{f.b});
    EXPECT_EQ(Select(c, f.b), 1);  // already the caret: nothing is sent
    EXPECT_EQ(c.host.sent.size(), 4u);
}

TEST(TreeListSelect, InvalidArgumentsFailWithoutTouchingAnything)
{
    Flat f;
    Control& c = f.c;
    Select(c, f.a);
    ASSERT_TRUE(c.Delete(f.x));
    c.host.Clear();
    // The deleted item's slot is empty: it names nothing.
    EXPECT_EQ(Select(c, f.x), 0);
    EXPECT_EQ(Select(c, 5000), 0);
    EXPECT_EQ(Select(c, f.b, 3), 0);
    EXPECT_EQ(c.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(f.x)), 0);
    EXPECT_EQ(c.Send(TLM_SELECTCELL, 0, LPARAM(f.x)), 0);
    EXPECT_TRUE(c.host.sent.empty());
    EXPECT_EQ(c.d->caretItem, f.a);
}

TEST(TreeListSelect, VetoKeepsCaretAndSelection)
{
    for (bool multi : {false, true}) {
        SCOPED_TRACE(multi);
        Flat f;
        Control& c = f.c;
        if (multi)
            c.SetExStyle(TLS_EX_MULTISELECT);
        Select(c, f.a);
        c.host.parent = [](NMHDR& h) -> LRESULT { return h.code == TVN_SELCHANGINGA; };
        EXPECT_EQ(Select(c, f.b, 0, kTreeListSelectSingle), 0);
        EXPECT_EQ(c.d->caretItem, f.a);
        EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{f.a});
        EXPECT_EQ(c.host.Codes().back(), TVN_SELCHANGINGA);
        c.host.parent = nullptr;
    }
}

TEST(TreeListSelect, MultipleSelectionAddsAndSingleDeselectsFromTheHighestHandle)
{
    Flat f;
    Control& c = f.c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    Select(c, f.a);
    c.host.Clear();
    // Adding keeps the old caret selected and does not report it.
    EXPECT_EQ(Select(c, f.x, 0, kTreeListSelectMouse), 1);
    EXPECT_EQ(Select(c, f.y, 0, kTreeListSelectMouse), 1);
    EXPECT_EQ(c.SelectedItems(), (std::vector<uint32_t>{f.a, f.x, f.y}));
    EXPECT_EQ(c.host.sent[0].oldItem, 0u);
    EXPECT_EQ(c.Send(TLM_OPTION, 6), 3);
    c.host.Clear();
    // Single selection of b: x and a are toggled off first (highest handle
    // first), then y loses the caret.
    EXPECT_EQ(Select(c, f.b, 0, kTreeListSelectSingle | kTreeListSelectMouse), 1);
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{f.b});
    std::vector<uint32_t> toggled;
    for (const Sent& s : c.host.sent)
        if (s.code == TVN_SELCHANGINGA && s.oldItem == 0)
            toggled.push_back(s.newItem);
    EXPECT_EQ(toggled, (std::vector<uint32_t>{f.x, f.a}));
    EXPECT_EQ(c.host.sent.back().oldItem, f.y);
    // The deselect flag makes the item the caret without selecting it.
    EXPECT_EQ(Select(c, f.a, 0, kTreeListSelectDeselect), 1);
    EXPECT_EQ(c.d->caretItem, f.a);
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{f.b});
}

TEST(TreeListSelect, StateBitsSelectAndDeselectEveryRowUnderMultipleSelection)
{
    Flat f;
    Control& c = f.c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    auto setSelected = [&](uint32_t h, bool on) {
        TVITEMA tv{};
        tv.mask = TVIF_SUBITEM | TVIF_STATE | TVIF_HANDLE;
        tv.hItem = TreeListHtreeOf(h);
        tv.state = on ? TVIS_SELECTED : 0;
        tv.stateMask = TVIS_SELECTED;
        return c.Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    };
    for (uint32_t h : {f.a, f.b, f.x, f.y})
        EXPECT_EQ(setSelected(h, true), 1);
    EXPECT_EQ(c.SelectedItems().size(), 4u);
    EXPECT_EQ(c.d->caretItem, f.y);
    for (uint32_t h : {f.a, f.b, f.x, f.y})
        EXPECT_EQ(setSelected(h, false), 1);
    EXPECT_TRUE(c.SelectedItems().empty());  // the caret too
    EXPECT_EQ(c.d->caretItem, 0u);
}

TEST(TreeListSelect, WithoutMultipleSelectionEverySelectIsSingle)
{
    Flat f;
    Control& c = f.c;
    Select(c, f.a);
    Select(c, f.b, 0, kTreeListSelectMouse);  // no single flag: still single
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{f.b});
    EXPECT_EQ(Select(c, 0), 1);
    EXPECT_TRUE(c.SelectedItems().empty());
    EXPECT_EQ(c.d->caretItem, 0u);
}

struct SingleExpandCase {
    const char* name;
    LRESULT answer;
    bool newPathOpen;
    bool oldPathOpen;
};

TEST(TreeListSelect, SingleExpandFollowsTheAnswer)
{
    const SingleExpandCase cases[] = {
        {"both", 0, true, false},
        {"skip old", TVNRET_SKIPOLD, true, true},
        {"skip new", TVNRET_SKIPNEW, false, false},
        {"skip both", TVNRET_SKIPOLD | TVNRET_SKIPNEW, false, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c(TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SINGLEEXPAND);
        const uint32_t top = c.Insert(0, "top");
        const uint32_t p = c.Insert(top, "p");
        const uint32_t p1 = c.Insert(p, "p1");
        c.Insert(p1, "p1a");
        const uint32_t q = c.Insert(top, "q");
        const uint32_t q1 = c.Insert(q, "q1");
        c.Insert(q1, "q1a");
        // Open the old path by hand: top, p and p1 (TVIF_STATE cannot
        // expand under single expand; TVM_EXPAND can).
        for (uint32_t h : {top, p, p1})
            c.Expand(h);
        ASSERT_EQ(Select(c, p1), 2);
        c.host.Clear();
        c.host.parent = [&](NMHDR& h) -> LRESULT { return h.code == TVN_SINGLEEXPAND ? k.answer : 0; };
        EXPECT_EQ(Select(c, q1), 2);
        c.host.parent = nullptr;
        ASSERT_FALSE(c.host.sent.empty());
        EXPECT_EQ(c.host.sent[2].code, TVN_SINGLEEXPAND);
        EXPECT_EQ(c.host.sent[2].oldItem, p1);
        EXPECT_EQ(c.host.sent[2].newItem, q1);
        EXPECT_EQ((c.State(q) & TVIS_EXPANDED) != 0, k.newPathOpen);
        EXPECT_EQ((c.State(q1) & TVIS_EXPANDED) != 0, k.newPathOpen);
        EXPECT_EQ((c.State(p) & TVIS_EXPANDED) != 0, k.oldPathOpen);
        EXPECT_EQ((c.State(p1) & TVIS_EXPANDED) != 0, k.oldPathOpen);
        EXPECT_NE(c.State(top) & TVIS_EXPANDED, 0u);  // the common ancestor stays
    }
}

TEST(TreeListSelect, ParentDeletingTheNewItemEndsTheSelect)
{
    Flat f;
    Control& c = f.c;
    Select(c, f.a);
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TVN_SELCHANGINGA) {
            c.host.parent = nullptr;
            c.Delete(f.b);
        }
        return 0;
    };
    EXPECT_EQ(Select(c, f.b), 0);
    EXPECT_EQ(c.d->caretItem, f.a);
}

TEST(TreeListToggle, RefusesTheCaretAndCountsTheRest)
{
    Flat f;
    Control& c = f.c;
    c.SetExStyle(TLS_EX_MULTISELECT);
    Select(c, f.a);
    TreeListCall call(*c.d);
    EXPECT_EQ(TreeListToggleSelection(*c.d, f.a, 0), 0);
    c.host.Clear();
    EXPECT_EQ(TreeListToggleSelection(*c.d, f.x, 1), 1);
    EXPECT_EQ(c.d->selectedCount, 2u);
    ASSERT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA}));
    EXPECT_EQ(c.host.sent[0].action, 1u);
    EXPECT_EQ(c.host.sent[0].newState & TVIS_SELECTED, 0u);
    EXPECT_EQ(c.host.sent[1].newState & TVIS_SELECTED, UINT(TVIS_SELECTED));
    c.host.parent = [](NMHDR& h) -> LRESULT { return h.code == TVN_SELCHANGINGA; };
    EXPECT_EQ(TreeListToggleSelection(*c.d, f.x, 1), 0);
    EXPECT_EQ(c.d->selectedCount, 2u);
    c.host.parent = nullptr;
}

TEST(TreeListSelectChildren, SetsAndClearsSiblingsAndSubtrees)
{
    Control c;
    const uint32_t r1 = c.Insert(0, "r1");
    const uint32_t c1 = c.Insert(r1, "c1");
    const uint32_t r2 = c.Insert(0, "r2");
    const uint32_t c2 = c.Insert(r2, "c2");
    const uint32_t r3 = c.Insert(0, "r3");
    EXPECT_EQ(c.Send(TLM_SELECTCHILDREN, 1, LPARAM(kTreeListRoot)), 0);  // needs multiple selection
    c.SetExStyle(TLS_EX_MULTISELECT);
    EXPECT_EQ(c.Send(TLM_SELECTCHILDREN, 0, LPARAM(r2)), 1);
    EXPECT_EQ(c.SelectedItems(), (std::vector<uint32_t>{r2, r3}));
    EXPECT_EQ(c.Send(TLM_SELECTCHILDREN, 1, LPARAM(kTreeListRoot)), 1);
    EXPECT_EQ(c.SelectedItems(), (std::vector<uint32_t>{r1, c1, r2, c2, r3}));
    EXPECT_EQ(c.Send(TLM_SELECTCHILDREN, 1, LPARAM(c1)), 1);  // stays inside c1's level
    Select(c, c2, 0, kTreeListSelectMouse);
    EXPECT_EQ(c.Send(TLM_SELECTCHILDREN, 3, LPARAM(kTreeListRoot)), 1);
    EXPECT_EQ(c.SelectedItems(), std::vector<uint32_t>{c2});  // the caret stays selected
    EXPECT_EQ(c.Send(TLM_SELECTCHILDREN, 1, LPARAM(9999)), 0);
}

TEST(TreeListFocusItem, MovesTheMarkUnderMultipleSelection)
{
    Flat f;
    Control& c = f.c;
    c.SetExStyle(TLS_EX_MULTISELECT | TLS_EX_CELLSELECT);
    c.InsertColumn(0, 100);
    c.InsertColumn(1, 100);
    Select(c, f.a);
    Select(c, f.b, 0, kTreeListSelectMouse);
    c.host.Clear();
    // An unselected item becomes the anchor only.
    EXPECT_EQ(c.Send(TLM_SETFOCUSITEM, 0, LPARAM(f.x)), 1);
    EXPECT_EQ(c.d->anchorItem, f.x);
    EXPECT_NE(c.d->items[f.x]->flags & kTreeListFocusMark, 0);
    EXPECT_EQ(c.d->caretItem, f.b);
    EXPECT_EQ(c.Next(0, TVGN_FOCUS), f.x);
    // A selected item becomes anchor and caret, in column 1 (a cell mark).
    EXPECT_EQ(c.Send(TLM_SETFOCUSITEM, 1, LPARAM(f.a)), 1);
    EXPECT_EQ(c.d->items[f.x]->flags & kTreeListFocusMark, 0);
    EXPECT_NE(c.d->cells[1][f.a]->flags & kTreeListFocusMark, 0);
    EXPECT_EQ(c.d->caretItem, f.a);
    EXPECT_EQ(c.d->caretColumn, 1u);
    EXPECT_EQ(c.Next(0, TVGN_FOCUSCOLUMN), 1u);
    EXPECT_TRUE(c.host.sent.empty());  // no selection notifications
    // -1 keeps the item; the same item and column change nothing.
    EXPECT_EQ(c.Send(TLM_SETFOCUSITEM, WPARAM(-1), LPARAM(-1)), 1);
    EXPECT_EQ(c.Send(TLM_SETFOCUSITEM, 0, LPARAM(-1)), 1);
    EXPECT_EQ(c.d->anchorColumn, 0u);
    EXPECT_EQ(c.Send(TLM_SETFOCUSITEM, 0, LPARAM(5000)), 0);
    // Item 0 clears the mark.
    EXPECT_EQ(c.Send(TLM_SETFOCUSITEM, 0, 0), 1);
    EXPECT_EQ(c.d->anchorItem, 0u);
}

TEST(TreeListFocusItem, WithoutMultipleSelectionSelects)
{
    Flat f;
    Control& c = f.c;
    EXPECT_EQ(c.Send(TLM_SETFOCUSITEM, 0, LPARAM(f.b)), 1);
    EXPECT_EQ(c.d->caretItem, f.b);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA}));
    EXPECT_EQ(c.Next(0, TVGN_FOCUS), f.b);
}

struct CheckCase {
    const char* name;
    UINT exStyle;
    UINT lockMask;
    UINT before;
    UINT after;
    int result;
};

TEST(TreeListCheck, ToggleInEveryMode)
{
    const CheckCase cases[] = {
        {"unchecked to checked", 0, 0, 0x1000, 0x2000, 1},
        {"checked to unchecked", 0, 0, 0x2000, 0x1000, 1},
        {"no box to unchecked", 0, 0, 0x0000, 0x1000, 1},
        {"image 3 to checked", 0, 0, 0x3000, 0x2000, 1},
        {"zero mode: 0 to 1", TLS_EX_CHECKZERO, 0, 0x0000, 0x1000, 1},
        {"zero mode: 1 to 0", TLS_EX_CHECKZERO, 0, 0x1000, 0x0000, 1},
        {"locked", 0, TVIS_BOLD, 0x1000 | TVIS_BOLD, 0x1000 | TVIS_BOLD, 0},
        {"lock mask not shared", 0, TVIS_CUT, 0x1000 | TVIS_BOLD, 0x2000 | TVIS_BOLD, 1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c(TVS_HASBUTTONS | TVS_CHECKBOXES);
        c.SetExStyle(k.exStyle);
        c.Send(TLM_OPTION, 12 | kTreeListOptionSet, LPARAM(k.lockMask));
        const uint32_t h = c.InsertState(0, "item", k.before, 0xFFFF);
        c.host.Clear();
        TreeListCall call(*c.d);
        EXPECT_EQ(TreeListToggleCheck(*c.d, h, 7, 9), k.result);
        EXPECT_EQ(c.d->items[h]->state, k.after);
        if (k.result) {
            ASSERT_EQ(c.host.Codes(), std::vector<UINT>{TLN_CHECKCHANGED});
            const Sent& s = c.host.sent[0];
            EXPECT_EQ(s.action, 0x10000u);
            EXPECT_EQ(s.newItem, h);
            EXPECT_EQ(s.newState, k.after);
            EXPECT_EQ(s.oldItem, 0u);
            EXPECT_EQ(s.point.x, 7);
            EXPECT_EQ(s.point.y, 9);
        } else {
            EXPECT_TRUE(c.host.sent.empty());
        }
    }
}

TEST(TreeListCheck, RadioModeUnchecksThePreviousItem)
{
    Control c(TVS_HASBUTTONS | TVS_CHECKBOXES);
    c.SetExStyle(TLS_EX_RADIOCHECK);
    const uint32_t a = c.Insert(0, "a");
    const uint32_t b = c.Insert(0, "b");
    TreeListCall call(*c.d);
    EXPECT_EQ(TreeListToggleCheck(*c.d, a, 0, 0), 1);
    EXPECT_EQ(c.d->items[a]->state, 0x2000u);
    c.host.Clear();
    EXPECT_EQ(TreeListToggleCheck(*c.d, b, 0, 0), 1);
    EXPECT_EQ(c.d->items[a]->state, 0x1000u);
    EXPECT_EQ(c.d->items[b]->state, 0x2000u);
    ASSERT_EQ(c.host.Codes(), std::vector<UINT>{TLN_CHECKCHANGED});
    EXPECT_EQ(c.host.sent[0].oldItem, a);
    EXPECT_EQ(c.host.sent[0].oldState, 0x1000u);
    EXPECT_EQ(c.host.sent[0].newItem, b);
    EXPECT_EQ(c.d->radioItem, b);
    // Clicking the checked radio item again does nothing.
    c.host.Clear();
    EXPECT_EQ(TreeListToggleCheck(*c.d, b, 0, 0), 0);
    EXPECT_EQ(c.d->items[b]->state, 0x2000u);
    EXPECT_TRUE(c.host.sent.empty());
}

TEST(TreeListCheck, ParentDeletingTheItemInTheNotification)
{
    Control c(TVS_HASBUTTONS | TVS_CHECKBOXES);
    const uint32_t a = c.Insert(0, "a");
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TLN_CHECKCHANGED) {
            const NMTREEVIEWA& nm = reinterpret_cast<const NMTREEVIEWA&>(h);
            EXPECT_STREQ(nm.itemNew.pszText, "a");
            EXPECT_EQ(nm.itemNew.cchTextMax, 1);
            EXPECT_EQ(nm.itemNew.mask, 29u);
            c.Delete(a);
            EXPECT_STREQ(nm.itemNew.pszText, "a");  // a copy: still readable
        }
        return 0;
    };
    {
        TreeListCall call(*c.d);
        EXPECT_EQ(TreeListToggleCheck(*c.d, a, 0, 0), 1);
    }
    c.host.parent = nullptr;
    EXPECT_EQ(c.d->radioItem, 0u);
}

}  // namespace
