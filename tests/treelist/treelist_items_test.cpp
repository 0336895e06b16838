// Item operations: handles, insert positions, get/set of items and cells,
// texts, counting, finding, moving, colours.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

TEST(TreeListHandles, GrowFrom64To160AndReuseOnlyAfterWrapping)
{
    Control c;
    EXPECT_EQ(c.d->itemsSize, 0u);
    EXPECT_EQ(c.Insert(0, "1"), 1u);
    EXPECT_EQ(c.d->itemsSize, 64u);
    for (uint32_t i = 2; i <= 64; ++i)
        ASSERT_EQ(c.Insert(0, "x"), i);
    EXPECT_EQ(c.d->itemsSize, 64u);
    EXPECT_EQ(c.Insert(0, "65"), 65u);
    EXPECT_EQ(c.d->itemsSize, 160u);
    ASSERT_TRUE(c.Delete(5));
    EXPECT_EQ(c.Insert(0, "66"), 66u);  // no reuse before the wrap
    for (uint32_t i = 67; i <= 160; ++i)
        ASSERT_EQ(c.Insert(0, "x"), i);
    EXPECT_EQ(c.Insert(0, "wrapped"), 5u);
    EXPECT_EQ(c.d->itemsSize, 160u);
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 160);
}

TEST(TreeListHandles, UnknownHandlesAnswerNoItem)
{
    Control c;
    const uint32_t a = c.Insert(0, "a");
    c.Delete(a);
    for (uint32_t h : {a, 1000u, 0u}) {
        SCOPED_TRACE(h);
        TVITEMA tv = ItemOf(h, TVIF_TEXT | TVIF_PARAM);
        EXPECT_EQ(c.Send(TVM_GETITEMA, 0, P(&tv)), 0);
        EXPECT_EQ(c.Send(TVM_SETITEMA, 0, P(&tv)), 0);
        EXPECT_EQ(c.Send(TLM_GETITEMDATA, 0, h), 0);
        EXPECT_EQ(c.Send(TLM_SETITEMDATA, 5, h), 0);
        EXPECT_EQ(c.Send(TVM_DELETEITEM, 0, h), 0);
        EXPECT_EQ(c.Send(TLM_GETROWOFITEM, 0, h), -1);
        EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, h), -1);
        EXPECT_EQ(c.Send(TLM_GETITEMTEXTCOLOR, h, 0), -1);
    }
}

// parentIs: 0 root, 2 = item B (for the relative codes)
// after: code, or 100 + index of an existing item
struct PositionCase { const char* name; uint32_t parentIs; uint32_t after; std::vector<std::string> expected; };

TEST(TreeListInsert, EveryPosition)
{
    const PositionCase cases[] = {
        {"first", 0, kTreeListFirst, {"X", "A", "B", "C"}}, {"last", 0, kTreeListLast, {"A", "B", "C", "X"}},
        {"root as after", 0, kTreeListRoot, {"A", "B", "C", "X"}}, {"behind B", 0, 101, {"A", "B", "X", "C"}},
        {"after item B", 2, kTreeListAfterItem, {"A", "B", "X", "C"}},
        {"before item B", 2, kTreeListBeforeItem, {"A", "X", "B", "C"}},
        {"before item A", 1, kTreeListBeforeItem, {"X", "A", "B", "C"}},
        {"position 0", 0, kTreeListPositionFirst, {"X", "A", "B", "C"}},
        {"position 2", 0, kTreeListPositionFirst + 2, {"A", "B", "X", "C"}},
        {"position 9", 0, kTreeListPositionFirst + 9, {"A", "B", "C", "X"}},
        {"sorted", 0, kTreeListSort, {"A", "B", "C", "X"}},
    };
    for (const PositionCase& pc : cases) {
        SCOPED_TRACE(pc.name);
        Control c;
        const uint32_t items[] = {c.Insert(0, "A"), c.Insert(0, "B"), c.Insert(0, "C")};
        const uint32_t after = pc.after >= 100 && pc.after < 200 ? items[pc.after - 100] : pc.after;
        const uint32_t parent = pc.parentIs ? items[pc.parentIs - 1] : 0;
        EXPECT_NE(c.Insert(parent, "X", after), 0u);
        EXPECT_EQ(c.ChildTexts(0), pc.expected);
    }
}

TEST(TreeListInsert, RefusesPlacesThatAreNotThere)
{
    Control c;
    const uint32_t a = c.Insert(0, "A");
    const uint32_t b = c.Insert(0, "B");
    const uint32_t child = c.Insert(a, "a1");
    EXPECT_EQ(c.Insert(a, "X", b), 0u) << "insert after a handle that is not a child of the parent";
    EXPECT_EQ(c.Insert(b, "X", child), 0u);
    EXPECT_EQ(c.Insert(999, "X"), 0u);
    EXPECT_EQ(c.Insert(0, "X", 0xFFFF0004u), 0u);
    EXPECT_EQ(c.Insert(999, "X", kTreeListAfterItem), 0u);
    EXPECT_NE(c.Insert(a, "a0", kTreeListFirst), 0u);
    EXPECT_EQ(c.ChildTexts(a), (std::vector<std::string>{"a0", "a1"}));
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 4);
}

TEST(TreeListInsert, SortedPlacesEqualTextsInFrontIgnoringCase)
{
    Control c;
    for (const char* t : {"apple", "Banana", "cherry", "date"})
        c.Insert(0, t, kTreeListSort);
    EXPECT_EQ(c.Insert(0, "banana", kTreeListSort), 5u);
    EXPECT_EQ(c.Insert(0, "ABC", kTreeListSort), 6u);
    EXPECT_EQ(c.Insert(0, "zz", kTreeListSort), 7u);
    EXPECT_EQ(c.ChildTexts(0), (std::vector<std::string>{"ABC", "apple", "banana", "Banana", "cherry", "date", "zz"}));
}

TEST(TreeListInsert, SortedAsksTheParentForCallbackTexts)
{
    Control c;
    TVINSERTSTRUCTA ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = LPSTR_TEXTCALLBACKA;
    const char* names[] = {"b", "d", "f"};
    for (int i = 0; i < 3; ++i) {
        ins.item.lParam = i;
        c.Send(TVM_INSERTITEMA, 0, P(&ins));
    }
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TVN_GETDISPINFOA) {
            auto& info = reinterpret_cast<NMTVDISPINFOA&>(h);
            std::strcpy(info.item.pszText, names[info.item.lParam]);
        }
        return 0;
    };
    const uint32_t e = c.Insert(0, "e", kTreeListSort);
    const std::vector<uint32_t> kids = c.Children(0);
    ASSERT_EQ(kids.size(), 4u);
    EXPECT_EQ(kids[2], e);
    EXPECT_EQ(c.Text(kids[0]), "<callback>");
    // With the deferred-state mask bit the callback texts count as empty.
    ins.item.mask = TVIF_TEXT | TVIF_DEFERSTATE;
    ins.item.pszText = const_cast<char*>("a");
    ins.hInsertAfter = TVI_SORT;
    c.host.sent.clear();
    c.Send(TVM_INSERTITEMA, 0, P(&ins));
    EXPECT_TRUE(c.host.sent.empty());
}

int CALLBACK ByLength(HWND, HTREEITEM, LPCSTR existing, LPCSTR added, LPARAM, LPARAM sign)
{
    return int(sign) * (int(std::strlen(added)) - int(std::strlen(existing)));
}

TEST(TreeListInsert, SortedByCallerFunction)
{
    Control c;
    TVINSERTSTRUCTA ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_SORTCB;
    ins.item.mask = TVIF_TEXT;
    ins.item.hItem = reinterpret_cast<HTREEITEM>(reinterpret_cast<void*>(&ByLength));
    ins.item.lParam = -1;  // longest first
    for (const char* t : {"ccc", "a", "bbbb", "dd"}) {
        ins.item.pszText = const_cast<char*>(t);
        EXPECT_NE(c.Send(TVM_INSERTITEMA, 0, P(&ins)), 0);
    }
    EXPECT_EQ(c.ChildTexts(0), (std::vector<std::string>{"bbbb", "ccc", "dd", "a"}));
    ins.item.hItem = nullptr;
    EXPECT_EQ(c.Send(TVM_INSERTITEMA, 0, P(&ins)), 0) << "no compare function";
}

TEST(TreeListInsert, DataWordBehindTheItem)
{
    Control c;
    struct { TVINSERTSTRUCTA ins; } packed{};
    packed.ins.hParent = TVI_ROOT;
    packed.ins.hInsertAfter = TVI_LAST;
    packed.ins.item.mask = TVIF_TEXT | TVIF_DATAFOLLOWS;
    packed.ins.item.pszText = const_cast<char*>("x");
    const LPARAM data = 0x13572468;
    std::memcpy(reinterpret_cast<char*>(&packed.ins.item) + sizeof(TVITEMA), &data, sizeof(data));
    const uint32_t h = uint32_t(c.Send(TVM_INSERTITEMA, 0, P(&packed.ins)));
    EXPECT_EQ(c.Send(TLM_GETITEMDATA, 0, h), data);
}

TEST(TreeListInsert, CheckBoxStyleStartsUnchecked)
{
    Control boxes(TVS_CHECKBOXES);
    EXPECT_EQ(boxes.State(boxes.Insert(0, "a")), 0x1000u);
    boxes.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_CHECKZERO, TLS_EX_CHECKZERO);
    EXPECT_EQ(boxes.State(boxes.Insert(0, "b")), 0u);
    Control plain(0);
    EXPECT_EQ(plain.State(plain.Insert(0, "a")), 0u);
}

TEST(TreeListText, GetAndSetBoundaries)
{
    Control c;
    const std::string longText(70000, 'q');
    const uint32_t h = c.Insert(0, longText.c_str());
    EXPECT_EQ(c.Text(h).size(), kTreeListMaxTextLength) << "cut to 65,535 bytes";

    c.SetText(h, "hello");
    struct Case {
        int cchTextMax; const char* expected;
    } cases[] = {{6, "hello"}, {100, "hello"}, {5, "hell"}, {1, ""}, {0, "untouched"}, {-3, "untouched"}};
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.cchTextMax);
        char buffer[16] = "untouched";
        TVITEMA tv = ItemOf(h, TVIF_TEXT);
        tv.pszText = buffer;
        tv.cchTextMax = cs.cchTextMax;
        EXPECT_EQ(c.Send(TVM_GETITEMA, 0, P(&tv)), 1);
        EXPECT_STREQ(buffer, cs.expected);
    }
    TVITEMA tv = ItemOf(h, TVIF_TEXT | TVIF_TEXTPTR);
    c.Send(TVM_GETITEMA, 0, P(&tv));
    EXPECT_STREQ(tv.pszText, "hello");
    EXPECT_EQ(tv.cchTextMax, 6);
    const char* stored = tv.pszText;
    c.SetText(h, "hi");  // fits: the buffer is kept
    c.Send(TVM_GETITEMA, 0, P(&tv));
    EXPECT_EQ(tv.pszText, stored);
    EXPECT_EQ(tv.cchTextMax, 3);

    c.SetText(h, LPSTR_TEXTCALLBACKA);
    EXPECT_EQ(c.Text(h), "<callback>");
    c.SetText(h, "");
    EXPECT_EQ(c.Text(h), "");
}

TEST(TreeListText, MissingCellsReadEmptyWithoutBeingCreated)
{
    Control c;
    c.Columns({100, 50, 50});
    const uint32_t h = c.InsertState(0, "a", TVIS_BOLD | TVIS_SELECTED | TVIS_FOCUSED, 0xFF);
    TVITEMA tv = ItemOf(h, TVIF_SUBITEM | TVIF_TEXT | TVIF_TEXTPTR | TVIF_IMAGE | TVIF_STATE);
    tv.cChildren = 2;
    tv.stateMask = 0xFFFFFFFF;
    ASSERT_EQ(c.Send(TVM_GETITEMA, 0, P(&tv)), 1);
    EXPECT_STREQ(tv.pszText, "");
    EXPECT_EQ(tv.cchTextMax, 1);
    EXPECT_EQ(tv.iImage, I_IMAGENONE);
    EXPECT_EQ(tv.state, TVIS_BOLD | TVIS_FOCUSED);
    EXPECT_EQ(c.d->cells[2][h], nullptr) << "a read never creates a cell";
    tv.cChildren = 3;
    EXPECT_EQ(c.Send(TVM_GETITEMA, 0, P(&tv)), 0) << "column beyond the count";

    EXPECT_TRUE(c.SetText(h, "cell", 2));
    EXPECT_NE(c.d->cells[2][h], nullptr);
    EXPECT_EQ(c.Text(h, 2), "cell");
    EXPECT_EQ(c.Text(h, 1), "");
    EXPECT_EQ(c.Text(h, 0), "a");
    EXPECT_FALSE(c.SetText(h, "x", 3));
}

TEST(TreeListItemState, SelectedBitGoesThroughSelect)
{
    Control c;
    const uint32_t a = c.Insert(0, "a", kTreeListLast, 11);
    const uint32_t b = c.Insert(0, "b", kTreeListLast, 22);
    TVITEMA tv = ItemOf(a, TVIF_STATE, TVIS_SELECTED, TVIS_SELECTED);
    c.host.Clear();
    EXPECT_EQ(c.Send(TVM_SETITEMA, 0, P(&tv)), 1);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA}));
    EXPECT_EQ(c.d->caretItem, a);
    EXPECT_EQ(c.d->selectedCount, 1u);
    tv.hItem = TreeListHtreeOf(b);
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(c.d->caretItem, b);
    EXPECT_EQ(c.State(a) & TVIS_SELECTED, 0u);
    EXPECT_EQ(c.d->selectedCount, 1u);
    ASSERT_GE(c.host.sent.size(), 4u);
    EXPECT_EQ(c.host.sent[3].oldItem, a);
    EXPECT_EQ(c.host.sent[3].newData, 22);
    tv.state = 0;
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(c.d->caretItem, 0u);
    EXPECT_EQ(c.d->selectedCount, 0u);

    // An insert with the selected bit goes through select too.
    c.host.Clear();
    const uint32_t s = c.InsertState(0, "s", TVIS_SELECTED, TVIS_SELECTED);
    EXPECT_EQ(c.d->caretItem, s);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA}));
}

TEST(TreeListItemState, DeferredStateWaitsForTheUpdateMessage)
{
    Control c;
    const uint32_t p = c.Insert(0, "p");
    c.Insert(p, "child");
    const UINT bits = TVIS_EXPANDED | TVIS_SELECTED | TVIS_BOLD;
    TVITEMA tv = ItemOf(p, TVIF_STATE | TVIF_DEFERSTATE, bits, bits);
    EXPECT_EQ(c.Send(TVM_SETITEMA, 0, P(&tv)), 1);
    EXPECT_EQ(c.State(p), UINT(TVIS_BOLD));
    c.Pump();
    EXPECT_EQ(c.State(p) & (TVIS_EXPANDED | TVIS_SELECTED), UINT(TVIS_EXPANDED | TVIS_SELECTED));
    EXPECT_EQ(c.d->caretItem, p);
    EXPECT_EQ(c.RowCount(), 2u);
}

TEST(TreeListItemState, ExpandedBitOfAParentGoesThroughExpand)
{
    Control c;
    const uint32_t p = c.Insert(0, "p");
    c.Insert(p, "child");
    c.host.parent = [](NMHDR& h) -> LRESULT { return h.code == TVN_ITEMEXPANDINGA; };
    TVITEMA tv = ItemOf(p, TVIF_STATE, TVIS_EXPANDED, TVIS_EXPANDED);
    EXPECT_EQ(c.Send(TVM_SETITEMA, 0, P(&tv)), 0) << "vetoed";
    EXPECT_EQ(c.State(p) & TVIS_EXPANDED, 0u);
    c.host.parent = nullptr;
    EXPECT_EQ(c.Send(TVM_SETITEMA, 0, P(&tv)), 1);
    EXPECT_EQ(c.RowCount(), 2u);
}

TEST(TreeListCount, GroupsAndTests)
{
    Control c;
    const uint32_t a = c.Insert(0, "a", kTreeListLast, 1);
    const uint32_t b = c.Insert(a, "b", kTreeListLast, 2);
    const uint32_t x = c.Insert(b, "x", kTreeListLast, 1);
    c.Insert(b, "y", kTreeListLast, 1);
    c.Insert(b, "z", kTreeListLast, 2);
    c.Insert(x, "deep", kTreeListLast, 1);
    c.Insert(0, "r2", kTreeListLast, 1);
    struct Case { uint32_t item; UINT mask; LPARAM data; LRESULT expected; } cases[] = {
        {kTreeListRoot, TLCI_DESCENDANTS | TVIF_HANDLE, 0, 7}, {kTreeListRoot, TLCI_DESCENDANTS | TVIF_PARAM, 1, 5},
        {kTreeListRoot, TLCI_SELF | TVIF_HANDLE, 0, 0}, {x, TLCI_SELF | TLCI_ANCESTORS | TVIF_HANDLE, 0, 3},
        {x, TLCI_SIBLINGS | TVIF_PARAM, 1, 1}, {b, TLCI_DESCENDANTS | TVIF_PARAM, 1, 3},
        {a, TLCI_SELF | TLCI_DESCENDANTS | TVIF_PARAM, 2, 2}, {999, TLCI_SELF | TVIF_HANDLE, 0, -1},
    };
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.expected);
        TVITEMA tv = ItemOf(cs.item, cs.mask);
        tv.lParam = cs.data;
        EXPECT_EQ(c.Send(TLM_COUNTITEMS, 0, P(&tv)), cs.expected);
    }
    Control empty;
    TVITEMA tv{};
    tv.hItem = TVI_ROOT;
    tv.mask = TLCI_DESCENDANTS | TVIF_HANDLE;
    EXPECT_EQ(empty.Send(TLM_COUNTITEMS, 0, P(&tv)), 0);
}

TEST(TreeListFind, TestsWalksAndContinuation)
{
    Control c;
    c.Columns({100, 100});
    const uint32_t a = c.Insert(0, "Alpha", kTreeListLast, 1);
    const uint32_t a1 = c.Insert(a, "one", kTreeListLast, 7);
    const uint32_t a2 = c.Insert(a, "two", kTreeListLast, 7);
    const uint32_t a21 = c.Insert(a2, "one", kTreeListLast, 7);
    const uint32_t b = c.Insert(0, "Beta", kTreeListLast, 2);
    const uint32_t b1 = c.Insert(b, "one", kTreeListLast, 7);
    c.SetText(a2, "cell", 1);

    // Every match from the start on, each search continuing behind the last.
    auto findAll = [&](uint32_t start, TLFINDITEM f) {
        std::vector<uint32_t> found;
        for (LRESULT h = c.Send(TLM_FINDITEM, start, P(&f)); h; h = c.Send(TLM_FINDITEM, WPARAM(h), P(&f))) {
            found.push_back(uint32_t(h));
            f.flags |= TLFI_NEXT;
        }
        return found;
    };
    TLFINDITEM f{};
    f.flags = TLFI_TEXT | TLFI_TREE;
    f.text = "one";
    EXPECT_EQ(findAll(kTreeListRoot, f), (std::vector<uint32_t>{a1, a21, b1}));

    f = TLFINDITEM{};
    f.flags = TLFI_TEXT | TLFI_NOCASE;
    f.text = "beta";
    EXPECT_EQ(c.Send(TLM_FINDITEM, a, P(&f)), b) << "siblings only, any case";
    f.flags = TLFI_TEXT;
    EXPECT_EQ(c.Send(TLM_FINDITEM, a, P(&f)), 0);
    f.flags = TLFI_TEXT | TLFI_NEXT;
    f.text = "Alpha";
    EXPECT_EQ(c.Send(TLM_FINDITEM, a, P(&f)), 0) << "starts behind the item";

    // The subtree of a only, and a level limit.
    f = TLFINDITEM{};
    f.flags = TLFI_DATA | TLFI_TREE | TLFI_SUBTREE;
    f.data = 7;
    EXPECT_EQ(findAll(a, f), (std::vector<uint32_t>{a1, a2, a21}));
    f = TLFINDITEM{};
    f.flags = TLFI_TEXT | TLFI_TREE | (2u << 8);  // descend only from level 0
    f.text = "one";
    EXPECT_EQ(findAll(kTreeListRoot, f), (std::vector<uint32_t>{a1, b1}));

    // Cell texts; a column beyond the count never matches.
    f = TLFINDITEM{};
    f.flags = TLFI_TEXT | TLFI_TREE;
    f.column = 1;
    f.text = "cell";
    EXPECT_EQ(c.Send(TLM_FINDITEM, kTreeListRoot, P(&f)), a2);
    f.column = 5;
    EXPECT_EQ(c.Send(TLM_FINDITEM, kTreeListRoot, P(&f)), 0);
    // TVI_ROOT needs the tree walk.
    f.flags = TLFI_TEXT;
    f.column = 0;
    EXPECT_EQ(c.Send(TLM_FINDITEM, kTreeListRoot, P(&f)), 0);
    f.flags = TLFI_STATE | TLFI_TREE;
    f.state = 0;
    f.stateMask = TVIS_BOLD;
    EXPECT_EQ(c.Send(TLM_FINDITEM, kTreeListRoot, P(&f)), a) << "without any test the first visited matches";
}

struct MoveCase {
    const char* name;
    int item, target;  // indexes into {A, B, C, a1, a2}; -1 TVI_ROOT, -2 TVI_LAST
    uint32_t mode; LRESULT result; std::vector<std::string> roots, underA;
};

TEST(TreeListMove, AllModes)
{
    const MoveCase cases[] = {
        {"in front", 2, 0, 0, 2, {"C", "A", "B"}, {"a1", "a2"}}, {"behind", 0, 2, 1, 2, {"B", "C", "A"}, {"a1", "a2"}},
        {"first child", 2, 0, 2, 2, {"A", "B"}, {"C", "a1", "a2"}},
        {"last child", 1, 0, 3, 2, {"A", "C"}, {"a1", "a2", "B"}},
        {"child out", 4, 1, 1, 2, {"A", "B", "a2", "C"}, {"a1"}},
        {"root first", 4, -1, 2, 2, {"a2", "A", "B", "C"}, {"a1"}},
        {"root last", 3, -1, 3, 2, {"A", "B", "C", "a1"}, {"a2"}},
        {"tvi last", 4, -2, 0, 2, {"A", "B", "C", "a2"}, {"a1"}},
        {"already there", 1, 0, 1, 1, {"A", "B", "C"}, {"a1", "a2"}},
        {"itself", 1, 1, 0, 1, {"A", "B", "C"}, {"a1", "a2"}},
        {"into own subtree", 0, 3, 2, 0, {"A", "B", "C"}, {"a1", "a2"}},
        {"root in front", 0, -1, 0, 0, {"A", "B", "C"}, {"a1", "a2"}},
    };
    for (const MoveCase& mc : cases) {
        SCOPED_TRACE(mc.name);
        Control c;
        const uint32_t A = c.Insert(0, "A"), B = c.Insert(0, "B"), C = c.Insert(0, "C");
        const uint32_t items[] = {A, B, C, c.Insert(A, "a1"), c.Insert(A, "a2")};
        c.Expand(A);
        const uint32_t target = mc.target == -1 ? kTreeListRoot : mc.target == -2 ? kTreeListLast : items[mc.target];
        EXPECT_EQ(c.Send(TLM_MOVEITEM + mc.mode, target, items[mc.item]), mc.result);
        EXPECT_EQ(c.ChildTexts(0), mc.roots);
        EXPECT_EQ(c.ChildTexts(A), mc.underA);
    }
}

// Levels and rows after moves are checked by the randomised test's Verify.
TEST(TreeListMove, TheOldParentLosesItsChildrenMark)
{
    Control c;
    const uint32_t a = c.Insert(0, "a");
    const uint32_t b = c.Insert(a, "b");
    const uint32_t z = c.Insert(0, "z");
    EXPECT_EQ(c.Send(TLM_MOVEITEMLASTCHILD, z, b), 2);
    EXPECT_EQ(c.d->items[a]->flags & kTreeListHasChildren, 0);
}

TEST(TreeListColors, ItemsAndCells)
{
    Control c;
    c.Columns({100, 100, 100});
    const uint32_t h = c.Insert(0, "a");
    EXPECT_EQ(c.Send(TLM_GETITEMTEXTCOLOR, h, 0), -1);
    EXPECT_EQ(c.Send(TLM_SETITEMTEXTCOLOR, h, 0x112233), -1);
    EXPECT_EQ(c.Send(TLM_GETITEMTEXTCOLOR, h, 0), 0x112233);
    EXPECT_EQ(c.Send(TLM_SETITEMTEXTCOLOR, h, -1), 0x112233);
    EXPECT_EQ(c.Send(TLM_GETITEMTEXTCOLOR, h, 0), -1);
    EXPECT_EQ(c.Send(TLM_SETITEMBKCOLOR, h | (2u << 24), 0x445566), -1);
    EXPECT_EQ(c.Send(TLM_GETITEMBKCOLOR, h, 2), 0x445566);
    EXPECT_EQ(c.Send(TLM_GETITEMBKCOLOR, h, 1), -1);
    EXPECT_EQ(c.Send(TLM_SETITEMBKCOLOR, h | (3u << 24), 0x1), -1) << "column beyond the count";
    EXPECT_EQ(c.Send(TLM_SETITEMBKCOLOR, h | (255u << 24), 0x778899), -1);
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(c.Send(TLM_GETITEMBKCOLOR, h, col), 0x778899);
    TLITEMCOLOR color{1, 1, 0xABCDEF};
    EXPECT_EQ(c.Send(TLM_SETITEMCOLOR, h, P(&color)), -1);
    EXPECT_EQ(c.Send(TLM_GETITEMTEXTCOLOR, h, 1), 0xABCDEF);
}

TEST(TreeListExtra, CallerAreaBehindEveryItem)
{
    Control c;
    EXPECT_EQ(c.Send(TLM_SETITEMEXTRASIZE, 0, 0x1000001), -1);
    EXPECT_EQ(c.Send(TLM_SETITEMEXTRASIZE, 0, 24), 24);
    const uint32_t h = c.Insert(0, "a");
    EXPECT_EQ(c.Send(TLM_SETITEMEXTRASIZE, 0, 8), 0);
    EXPECT_EQ(c.Send(TLM_GETITEMEXTRASIZE), 24);
    auto* extra = reinterpret_cast<unsigned char*>(c.Send(TLM_GETITEMEXTRA, 0, h));
    ASSERT_NE(extra, nullptr);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(extra[i], 0);
    std::memset(extra, 0x5A, 24);  // the whole area is the caller's
    EXPECT_EQ(c.Text(h), "a");
}

TEST(TreeListLimits, LimitsOfIndentAndItemHeight)
{
    Control f;
    const struct { WPARAM indent; LRESULT stored; } indents[] = {{2, 5}, {100, 64}, {20, 20}, {5, 5}, {64, 64}};
    LRESULT previous = 19;
    for (const auto& c : indents) {
        EXPECT_EQ(f.Send(TVM_SETINDENT, c.indent), previous);
        EXPECT_EQ(f.Send(TVM_GETINDENT), c.stored);
        previous = c.stored;
    }
    const LRESULT automatic = f.Send(TVM_GETITEMHEIGHT);
    EXPECT_EQ(f.Send(TVM_SETITEMHEIGHT, 17), automatic);
    EXPECT_EQ(f.Send(TVM_GETITEMHEIGHT), 16);
    EXPECT_EQ(f.Send(TVM_SETITEMHEIGHT, 0), 16);
    EXPECT_EQ(f.Send(TVM_GETITEMHEIGHT), 1);
    f.Send(TVM_SETITEMHEIGHT, 1000);
    EXPECT_EQ(f.Send(TVM_GETITEMHEIGHT), 256);
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_ODDHEIGHT, TLS_EX_ODDHEIGHT);
    f.Send(TVM_SETITEMHEIGHT, 17);
    EXPECT_EQ(f.Send(TVM_GETITEMHEIGHT), 17);
    f.Send(TVM_SETITEMHEIGHT, WPARAM(-1));
    EXPECT_EQ(f.Send(TVM_GETITEMHEIGHT), automatic);
}

TEST(TreeListLimits, OptionsReadAndWrite)
{
    Control f;
    const struct { WPARAM option; LPARAM write; LRESULT before, after; } cases[] = {
        {1, 5, 1, 5},       {2, 0x40, 0, 0x40},  {3, 0x80, 0, 0x80},      {4, 2, 0, 2},
        {5, 7, 0, LRESULT(0x80000000u)},         {7, 3, 0, 3},            {8, 1, 0, 1},
        {9, 9, 0, 9},       {10, 20, 0, 20},     {12, 0x1000, 0, 0x1000}, {13, 5, 3, 5},
        {14, 0x3, 0, 0x3},  {15, 4, 0, 4},       {16, 9, 0, 1},           {17, 1, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f.Send(TLM_OPTION, c.option), c.before) << c.option;
        f.Send(TLM_OPTION, c.option | kTreeListOptionSet, c.write);
        EXPECT_EQ(f.Send(TLM_OPTION, c.option), c.after) << c.option;
    }
    EXPECT_EQ(f.Send(TLM_OPTION, 5 | kTreeListOptionSet, 0), 1);  // a write of 5 says whether it was on
    EXPECT_EQ(f.Send(TLM_OPTION, 6), 0);                          // the selected count, read only
    // Option 10 raises the row height.
    EXPECT_GE(f.Send(TVM_GETITEMHEIGHT), 20);
}

}  // namespace
