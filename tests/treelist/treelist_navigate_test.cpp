// Navigation and hit testing: every TVM_GETNEXTITEM code on a fixture tree,
// and TVM_HITTEST over a fixed geometry for every flag.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/treelist/treelist_fake_host.h"

using treelist_test::Control;
using treelist_test::Tree;

namespace {

LPARAM P(const void* p) { return reinterpret_cast<LPARAM>(p); }

TEST(TreeListNextItem, EveryRelationCode)
{
    Tree t;
    Control& c = t.c;
    ASSERT_EQ(c.Rows(), (std::vector<uint32_t>{t.r1, t.a, t.a1, t.a2, t.b, t.r2, t.r3}));
    ASSERT_EQ(c.d->visibleCount, 3u);
    const uint32_t root = kTreeListRoot;
    const struct {
        UINT code;
        uint32_t from;
        uint32_t expected;
    } cases[] = {
        {TVGN_ROOT, 0, t.r1},
        {TVGN_NEXT, t.r1, t.r2},
        {TVGN_NEXT, t.r3, 0},
        {TVGN_NEXT, 4711, 0},
        {TVGN_PREVIOUS, t.r2, t.r1},
        {TVGN_PREVIOUS, t.a, 0},
        {TVGN_PARENT, t.a1, t.a},
        {TVGN_PARENT, t.r1, 0},
        {TVGN_CHILD, t.r1, t.a},
        {TVGN_CHILD, root, t.r1},
        {TVGN_CHILD, t.a1, 0},
        {TVGN_FIRSTVISIBLE, 0, t.r1},
        {TVGN_NEXTVISIBLE, t.r1, t.a},
        {TVGN_NEXTVISIBLE, t.a1, t.a2},  // the last whole row still has a next
        {TVGN_NEXTVISIBLE, t.a2, 0},     // below the page
        {TVGN_NEXTVISIBLE, t.cc, 0},     // not shown
        {TVGN_NEXTVISIBLE, root, t.r1},
        {TVGN_PREVIOUSVISIBLE, t.a, t.r1},
        {TVGN_PREVIOUSVISIBLE, t.a1, t.a},
        {TVGN_PREVIOUSVISIBLE, t.r1, 0},
        {TVGN_LASTVISIBLE, 0, t.r3},
        {TVGN_FIRSTSCROLLVISIBLE, 0, t.r1},
        {TVGN_LASTCHILD, t.r1, t.b},
        {TVGN_LASTCHILD, root, t.r3},
        {TVGN_LASTCHILD, t.a1, 0},
        {TVGN_NEXTITEM, t.a2, t.b},
        {TVGN_NEXTITEM, t.b, t.r2},
        {TVGN_NEXTITEM, t.r2, t.cc},  // regardless of expansion
        {TVGN_NEXTITEM, t.cc, t.r3},
        {TVGN_NEXTITEM, t.r3, 0},
        {TVGN_NEXTITEM, root, t.r1},
        {TVGN_FIRSTUNPINNED, 0, t.r1},
        {TVGN_LEVEL, t.a1, 2},
        {TVGN_LEVEL, t.r1, 0},
        {TVGN_LEVEL, 4711, 0},
        {TVGN_CHILDN + 1, t.r1, t.b},
        {TVGN_CHILDN + 2, root, t.r3},
        {TVGN_CHILDN + 5, root, 0},
        {TVGN_SIBLINGN + 0, t.a1, t.a1},
        {TVGN_SIBLINGN + 1, t.a1, t.a2},
        {TVGN_SIBLINGN + 2, t.a1, 0},
        {TVGN_DROPHILITE, 0, 0},
        {TVGN_CARET, 0, 0},
        {TVGN_NEXTSELECTED, root, 0},
        {TVGN_NEXTCHECKED, root, 0},
        {99, t.r1, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message() << "code " << k.code << " from " << k.from);
        EXPECT_EQ(c.Next(k.from, k.code), k.expected);
    }
}

TEST(TreeListNextItem, RowCodesFollowScrollingAndPinnedRows)
{
    Tree t;
    Control& c = t.c;
    ASSERT_EQ(c.Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, LPARAM(t.a)), 1);
    ASSERT_EQ(c.d->firstRow, 1u);
    EXPECT_EQ(c.Next(0, TVGN_FIRSTVISIBLE), t.a);
    EXPECT_EQ(c.Next(kTreeListRoot, TVGN_NEXTVISIBLE), 0u);  // the first root row is scrolled away
    EXPECT_EQ(c.Next(t.a, TVGN_NEXTVISIBLE), t.a1);
    EXPECT_EQ(c.Next(t.a2, TVGN_NEXTVISIBLE), t.b);
    EXPECT_EQ(c.Next(t.a, TVGN_PREVIOUSVISIBLE), 0u);
    c.Send(TLM_OPTION, 4 | kTreeListOptionSet, 2);
    EXPECT_EQ(c.Next(0, TVGN_FIRSTSCROLLVISIBLE), t.a2);  // row 1 + 2 pinned
    EXPECT_EQ(c.Next(0, TVGN_FIRSTUNPINNED), t.a1);
    c.Send(TLM_OPTION, 4 | kTreeListOptionSet, 7);
    EXPECT_EQ(c.Next(0, TVGN_FIRSTUNPINNED), 0u);
    EXPECT_EQ(c.Next(0, TVGN_FIRSTSCROLLVISIBLE), 0u);
}

TEST(TreeListNextItem, SelectedWalks)
{
    Tree t;
    Control& c = t.c;
    c.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.a1));
    // Only the caret is selected: from the root it is the answer, from the
    // caret nothing follows.
    EXPECT_EQ(c.Next(kTreeListRoot, TVGN_NEXTSELECTED), t.a1);
    EXPECT_EQ(c.Next(t.a1, TVGN_NEXTSELECTED), 0u);
    EXPECT_EQ(c.Next(t.r1, TVGN_NEXTSELECTED), t.a1);
    c.SetExStyle(TLS_EX_MULTISELECT);
    c.Send(TLM_SELECTCHILDREN, 0, LPARAM(t.r2));  // R2 and R3
    {
        TreeListCall call(*c.d);
        TreeListToggleSelection(*c.d, t.cc, 0);  // hidden under R2
    }
    std::vector<uint32_t> walk;
    for (uint32_t h = c.Next(kTreeListRoot, TVGN_NEXTSELECTED); h; h = c.Next(h, TVGN_NEXTSELECTED))
        walk.push_back(h);
    EXPECT_EQ(walk, (std::vector<uint32_t>{t.a1, t.r2, t.cc, t.r3}));
    EXPECT_EQ(c.Next(t.r1, TVGN_NEXTSELECTEDCHILD), t.a1);
    EXPECT_EQ(c.Next(t.a1, TVGN_NEXTSELECTEDCHILD), 0u);  // leaves the subtree
    EXPECT_EQ(c.Next(t.r2, TVGN_NEXTSELECTEDCHILD), t.cc);
    EXPECT_EQ(c.Next(t.cc, TVGN_NEXTSELECTEDCHILD), 0u);
    EXPECT_EQ(c.Next(kTreeListRoot, TVGN_NEXTSELECTEDCHILD), t.a1);
    c.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(t.r1));
    EXPECT_EQ(c.Next(kTreeListRoot, TVGN_NEXTSELECTEDCHILD), t.r1);  // the first item itself
}

TEST(TreeListNextItem, CheckedWalksInBothModes)
{
    for (bool zero : {false, true}) {
        SCOPED_TRACE(zero);
        Tree t;
        Control& c = t.c;
        if (zero)
            c.SetExStyle(TLS_EX_CHECKZERO);
        const UINT on = zero ? 0x1000 : 0x2000, off = zero ? 0x0000 : 0x1000;
        for (uint32_t h : {t.r1, t.a, t.a1, t.a2, t.b, t.r2, t.cc, t.r3}) {
            TVITEMA tv{};
            tv.mask = TVIF_STATE;
            tv.hItem = TreeListHtreeOf(h);
            tv.state = (h == t.r1 || h == t.cc || h == t.a2) ? on : off;
            tv.stateMask = TVIS_STATEIMAGEMASK;
            c.Send(TVM_SETITEMA, 0, P(&tv));
        }
        EXPECT_EQ(c.Next(kTreeListRoot, TVGN_NEXTCHECKED), t.r1);  // the first item itself
        EXPECT_EQ(c.Next(t.r1, TVGN_NEXTCHECKED), t.a2);
        EXPECT_EQ(c.Next(t.a2, TVGN_NEXTCHECKED), t.cc);
        EXPECT_EQ(c.Next(t.cc, TVGN_NEXTCHECKED), 0u);
    }
}

TEST(TreeListNextItem, ColumnsOfCaretDropAndFocus)
{
    Tree t;
    Control& c = t.c;
    c.SetExStyle(TLS_EX_CELLSELECT);
    c.InsertColumn(0, 100);
    c.InsertColumn(1, 100);
    c.InsertColumn(2, 100);
    c.Send(TLM_SELECTCELL, 2, LPARAM(t.a));
    EXPECT_EQ(c.Next(0, TVGN_CARET), t.a);
    EXPECT_EQ(c.Next(0, TVGN_CARETCOLUMN), 2u);
    EXPECT_EQ(c.Next(0, TVGN_FOCUS), t.a);  // the only selected item
    EXPECT_EQ(c.Next(0, TVGN_FOCUSCOLUMN), 2u);
    c.Send(TLM_SETDROPCELL, 1, LPARAM(t.b));
    EXPECT_EQ(c.Next(0, TVGN_DROPHILITE), t.b);
    EXPECT_EQ(c.Next(0, TVGN_DROPHILITECOLUMN), 1u);
}

// ---- Hit test ----

constexpr int kRow = 16;  // the row height of the fake's font
constexpr int kIndent = 19;

struct HitCase {
    const char* name;
    int x, y;
    UINT flags;
    int item;  // index into the fixture's items, -1 = none
};

UINT Hit(Control& c, int x, int y, uint32_t* item = nullptr)
{
    TVHITTESTINFO info{};
    info.pt = POINT{x, y};
    const LRESULT h = c.Send(TVM_HITTEST, 0, P(&info));
    EXPECT_EQ(uint32_t(h), TreeListHandleOf(info.hItem));
    if (item)
        *item = uint32_t(h);
    return info.flags;
}

void RunHits(Control& c, const std::vector<uint32_t>& items, const HitCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const HitCase& k = cases[i];
        SCOPED_TRACE(::testing::Message() << k.name << " at " << k.x << "," << k.y);
        uint32_t h = 0;
        EXPECT_EQ(Hit(c, k.x, k.y, &h), k.flags);
        EXPECT_EQ(h, k.item < 0 ? 0u : items[size_t(k.item)]);
    }
}

TEST(TreeListHitTest, FirstColumnParts)
{
    Control c;  // 300 x 200, lines at root
    c.d->stateImages = reinterpret_cast<HIMAGELIST>(1);
    c.d->stateImageCx = 16;
    c.d->normalImages = reinterpret_cast<HIMAGELIST>(2);
    c.d->imageCx = 16;
    TVINSERTSTRUCTA ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE;
    ins.item.pszText = const_cast<char*>("P");
    const uint32_t p = uint32_t(c.Send(TVM_INSERTITEMA, 0, P(&ins)));  // row 0, with an image
    const uint32_t q = c.Insert(p, "qq");                               // row 1, level 1
    const uint32_t e = c.Insert(0, "");                                 // row 2, empty text
    c.Expand(p);
    ASSERT_EQ(c.d->itemHeight, kRow);
    const std::vector<uint32_t> items = {p, q, e};
    const int y0 = kRow / 2, y1 = kRow + kRow / 2, y2 = 2 * kRow + kRow / 2;
    const HitCase cases[] = {
        {"button centre", 9, y0, TVHT_ONITEMBUTTON, 0},
        {"button reach left", 3, y0, TVHT_ONITEMBUTTON, 0},
        {"button reach right", 16, y0, TVHT_ONITEMBUTTON, 0},
        {"left of the button", 2, y0, TVHT_ONITEMINDENT, 0},
        {"above the button", 9, 1, TVHT_ONITEMINDENT, 0},
        {"state icon", kIndent, y0, TVHT_ONITEMSTATEICON, 0},
        {"state icon end", kIndent + 15, y0, TVHT_ONITEMSTATEICON, 0},
        {"icon", kIndent + 16, y0, TVHT_ONITEMICON, 0},
        {"text", kIndent + 32, y0, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 0},
        {"text slack", kIndent + 32 + 6 + 4, y0, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 0},
        {"right of the text", kIndent + 32 + 6 + 5, y0, TVHT_ONITEMRIGHT, 0},
        {"indent of a leaf", kIndent + 9, y1, TVHT_ONITEMINDENT, 1},
        {"child's state icon", 2 * kIndent, y1, TVHT_ONITEMSTATEICON, 1},
        {"child's text", 2 * kIndent + 16, y1, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 1},
        {"child's right", 2 * kIndent + 16 + 12 + 5, y1, TVHT_ONITEMRIGHT, 1},
        {"no button without children", 9, y2, TVHT_ONITEMINDENT, 2},
        {"empty text near", kIndent + 16 + 19, y2, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 2},
        {"empty text far", kIndent + 16 + 20, y2, TVHT_ONITEMLABEL, 2},
        {"below the rows", 50, 3 * kRow, TVHT_NOWHERE, -1},
        {"right", 300, y0, TVHT_TORIGHT, -1},
        {"left", -1, y0, TVHT_TOLEFT, -1},
        {"below", 50, 200, TVHT_BELOW, -1},
        {"left and below", -5, 250, TVHT_TOLEFT | TVHT_BELOW, -1},
    };
    RunHits(c, items, cases, std::size(cases));
    // Scrolled sideways, the same parts move left.
    c.d->scrollX = 10;
    EXPECT_EQ(Hit(c, 9 - 10, y0), UINT(TVHT_TOLEFT));
    EXPECT_EQ(Hit(c, kIndent - 10, y0), UINT(TVHT_ONITEMSTATEICON));
}

TEST(TreeListHitTest, RootLevelWithoutLinesAtRootHasNoButtonColumn)
{
    Control c(TVS_HASBUTTONS);
    const uint32_t r = c.Insert(0, "rr");
    const uint32_t k = c.Insert(r, "k");
    c.Expand(r);
    const std::vector<uint32_t> items = {r, k};
    const HitCase cases[] = {
        {"separating pixel", 0, 8, TVHT_ONITEMINDENT, 0},
        {"text at once", 1, 8, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 0},
        {"text end", 1 + 12 + 4, 8, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 0},
        {"right", 1 + 12 + 5, 8, TVHT_ONITEMRIGHT, 0},
        {"child's indent", 5, 24, TVHT_ONITEMINDENT, 1},
        {"child's text", kIndent, 24, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 1},
    };
    RunHits(c, items, cases, std::size(cases));
}

TEST(TreeListHitTest, PinnedRowsAndScrolledLines)
{
    Control c;
    std::vector<uint32_t> items;
    for (int i = 0; i < 30; ++i)
        items.push_back(c.Insert(0, "row"));
    c.Send(TLM_OPTION, 4 | kTreeListOptionSet, 2);
    c.Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, LPARAM(items[10]));
    ASSERT_EQ(c.d->firstRow, 10u);
    const HitCase cases[] = {
        {"first pinned line", 30, 8, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 0},
        {"second pinned line", 30, kRow + 8, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 1},
        {"third line: row 13", 30, 2 * kRow + 8, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 12},
    };
    RunHits(c, items, cases, std::size(cases));
}

// Columns: 100 (tree), 60 left, 60 centred, 50 right, then free space.
struct Columns {
    Control c;
    uint32_t p, e;
    int edge[5];
    int y;
    Columns()
    {
        c.InsertColumn(0, 100);
        c.InsertColumn(1, 60);
        c.InsertColumn(2, 60, "c", LVCF_FMT, 2);  // centre
        c.InsertColumn(3, 50, "c", LVCF_FMT, 1);  // right
        p = c.Insert(0, "P");
        e = c.Insert(0, "E");
        c.SetText(p, "abc", 1);   // 18 pixels
        c.SetText(p, "ab", 2);    // 12
        c.SetText(p, "abcd", 3);  // 24
        for (int i = 0; i < 5; ++i)
            edge[i] = c.d->columnEdges[i];
        y = c.d->headerHeight + kRow / 2;
    }
};

TEST(TreeListHitTest, CellsByAlignmentAndPastTheColumns)
{
    Columns f;
    Control& c = f.c;
    ASSERT_EQ(c.d->headerHeight, 17);
    const int* e = f.edge;
    const int mid = (e[2] + e[3]) / 2;
    const UINT c1 = 1u << 24, c2 = 2u << 24, c3 = 3u << 24;
    const UINT onText = TVHT_ONCELL | TVHT_ONCELLTEXT;
    const int y = f.y, ye = f.y + kRow;
    const std::vector<uint32_t> items = {f.p, f.e};
    const HitCase cases[] = {
        {"above the list", 10, 5, TVHT_ABOVE, -1},
        {"left text", e[1], y, c1 | onText, 0},
        {"left text slack", e[1] + 18 + 4, y, c1 | onText, 0},
        {"left cell right", e[1] + 18 + 5, y, c1 | TVHT_ONCELLRIGHT, 0},
        {"centred text", mid - 9, y, c2 | onText, 0},
        {"centred text end", mid + 8, y, c2 | onText, 0},
        {"centred cell left", mid - 10, y, c2 | TVHT_ONCELLRIGHT, 0},
        {"right text", e[4] - 29, y, c3 | onText, 0},
        {"right cell left", e[4] - 30, y, c3 | TVHT_ONCELLRIGHT, 0},
        {"empty cell near", e[1] + 19, ye, c1 | onText, 1},
        {"empty cell far", e[1] + 20, ye, c1 | TVHT_ONCELL, 1},
        {"empty right cell near", e[4] - 20, ye, c3 | onText, 1},
        {"empty right cell far", e[4] - 21, ye, c3 | TVHT_ONCELL, 1},
        {"past the columns", e[4] + 1, y, TVHT_PASTCOLUMNS, 0},
        {"tree column text", kIndent + 5, y, TVHT_ONITEMTEXT | TVHT_ONITEMLABEL, 0},
        {"tree column right", kIndent + 11, y, TVHT_ONITEMRIGHT, 0},
    };
    RunHits(c, items, cases, std::size(cases));
}

TEST(TreeListHitTest, CellIconsAndJoinedCells)
{
    Columns f;
    Control& c = f.c;
    const int* e = f.edge;
    c.d->normalImages = reinterpret_cast<HIMAGELIST>(2);
    c.d->imageCx = 16;
    TVITEMA tv{};
    tv.mask = TVIF_SUBITEM | TVIF_IMAGE;
    tv.hItem = TreeListHtreeOf(f.p);
    tv.cChildren = 1;
    tv.iImage = 3;
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(Hit(c, e[1] + 15, f.y), (1u << 24) | TVHT_ONCELLICON);
    EXPECT_EQ(Hit(c, e[1] + 16, f.y), (1u << 24) | TVHT_ONCELL | TVHT_ONCELLTEXT);  // text behind the icon
    EXPECT_EQ(Hit(c, e[1] + 16 + 23, f.y), (1u << 24) | TVHT_ONCELLRIGHT);
    // The icon at the right edge.
    tv.mask = TVIF_SUBITEM | TVIF_STATE;
    tv.state = tv.stateMask = TVIS_CELLRIGHTICON;
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(Hit(c, e[2] - 16, f.y), (1u << 24) | TVHT_ONCELLICON);
    EXPECT_EQ(Hit(c, e[1], f.y), (1u << 24) | TVHT_ONCELL | TVHT_ONCELLTEXT);
    // A check-box column shows the cell-state box in every cell.
    c.d->columns[3].editKind = 6;
    c.d->cellStateImages = reinterpret_cast<HIMAGELIST>(1);
    c.d->cellStateImageCx = 16;
    EXPECT_EQ(Hit(c, e[3] + 2, f.y + kRow), (3u << 24) | TVHT_ONCELLICON);
    // Column 1 joined with column 2: the group answers as column 1.
    c.Send(TLM_OPTION, 14 | kTreeListOptionSet, 0x2);
    tv.mask = TVIF_STATE;
    tv.state = tv.stateMask = 0x2u << 16;
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(Hit(c, e[2] + 30, f.y) >> 24, 1u);
    EXPECT_EQ(Hit(c, e[2] + 30, f.y + kRow) >> 24, 2u);  // E is not joined
}

}  // namespace
