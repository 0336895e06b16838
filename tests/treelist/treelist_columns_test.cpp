// Columns: insert and delete, widths and proportional sharing, order,
// edges, cells following their columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

int Width(Control& c, uint32_t column) { return c.d->columns[column].width; }

TEST(TreeListColumns, HeaderAppearsWithTheFirstColumnAndGoesWithTheLast)
{
    Control c;
    EXPECT_EQ(c.Send(TLM_GETCOLUMNCOUNT), 0);
    EXPECT_EQ(c.InsertColumn(0, 100, "Name"), 0);
    EXPECT_TRUE(c.host.headerAlive);
    EXPECT_EQ(c.d->headerHeight, 17);
    EXPECT_NE(c.Send(TLM_GETHEADER), 0);
    EXPECT_EQ(c.InsertColumn(5, 50, "Size"), 1);
    EXPECT_EQ(c.host.headerItems.size(), 2u);
    EXPECT_EQ(c.host.headerItems[1].text, "Size");
    EXPECT_EQ(c.Send(TLM_DELETECOLUMN, 0), 0) << "the tree column goes last";
    EXPECT_EQ(c.Send(TLM_DELETECOLUMN, 2), 0);
    EXPECT_EQ(c.Send(TLM_DELETECOLUMN, 1), 1);
    EXPECT_EQ(c.Send(TLM_DELETECOLUMN, 0), 1);
    EXPECT_FALSE(c.host.headerAlive);
    EXPECT_EQ(c.d->headerHeight, 0);
    EXPECT_EQ(c.Send(TLM_GETHEADER), 0);

    Control hidden;
    hidden.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_NOHEADER, TLS_EX_NOHEADER);
    hidden.InsertColumn(0, 100);
    EXPECT_TRUE(hidden.host.headerAlive);
    EXPECT_EQ(hidden.d->headerHeight, 0);
}

TEST(TreeListColumns, ThirtyThirdFailsAndColumnZeroStaysTheTree)
{
    Control c;
    for (uint32_t i = 0; i < 32; ++i)
        ASSERT_EQ(c.InsertColumn(i, 10), int(i));
    EXPECT_EQ(c.InsertColumn(32, 10), -1);
    EXPECT_EQ(c.Send(TLM_GETCOLUMNCOUNT), 32);
    EXPECT_EQ(c.d->columnEdges[33], c.d->clientWidth + 1) << "the sentinel behind 32 columns";

    Control z;
    z.InsertColumn(0, 100, "tree");
    EXPECT_EQ(z.InsertColumn(0, 50, "second"), 1) << "index 0 with columns goes to 1";
    EXPECT_EQ(z.host.headerItems[0].text, "tree");
}

TEST(TreeListColumns, FailedHeaderInsertChangesNothing)
{
    Control c;
    c.InsertColumn(0, 100);
    c.host.failHeaderInsert = true;
    EXPECT_EQ(c.InsertColumn(1, 50), -1);
    EXPECT_EQ(c.Send(TLM_GETCOLUMNCOUNT), 1);
    EXPECT_EQ(c.d->cells[1], nullptr);
}

TEST(TreeListColumns, ProportionalColumnsShareTheFreeWidth)
{
    Control c(TVS_HASBUTTONS, 400, 200);
    c.InsertColumn(0, 100);
    EXPECT_EQ(c.InsertColumn(1, -1, "p1", 0), 1);  // no width: weight 1
    EXPECT_EQ(Width(c, 1), 300) << "the first proportional column takes all free width";
    EXPECT_EQ(c.InsertColumn(2, -1, "p2", 0), 2);
    EXPECT_EQ(Width(c, 1), 150);
    EXPECT_EQ(Width(c, 2), 150) << "same weight: half of the proportional total";
    LVCOLUMNA lv{};
    lv.mask = TLCF_WEIGHT;
    lv.cx = 2;
    EXPECT_EQ(c.Send(TLM_INSERTCOLUMN, 3, P(&lv)), 3);
    EXPECT_EQ(Width(c, 1), 75);
    EXPECT_EQ(Width(c, 2), 75);
    EXPECT_EQ(Width(c, 3), 150);
    EXPECT_EQ(c.host.headerItems[1].width, 75);
    // Minimum widths hold.
    lv.mask = LVCF_ORDER;
    lv.iOrder = 500;
    EXPECT_EQ(c.Send(TLM_INSERTCOLUMN, 4, P(&lv)), 4);
    EXPECT_EQ(Width(c, 4), 500);
    EXPECT_TRUE(c.d->columns[4].hasMinWidth);
    lv.iOrder = -30;
    c.Send(TLM_INSERTCOLUMN, 5, P(&lv));
    EXPECT_EQ(c.d->columns[5].minWidth, 30);
    EXPECT_FALSE(c.d->columns[5].hasMinWidth);
}

TEST(TreeListColumns, CellsFollowTheirColumns)
{
    Control c;
    c.Columns({100, 50, 50});
    const uint32_t h = c.Insert(0, "item");
    c.SetText(h, "one", 1);
    c.SetText(h, "two", 2);
    c.Send(TLM_SETITEMTEXTCOLOR, h | (2u << 24), 0x123456);
    EXPECT_EQ(c.InsertColumn(1, 40), 1);
    EXPECT_EQ(c.Text(h, 1), "");
    EXPECT_EQ(c.Text(h, 2), "one");
    EXPECT_EQ(c.Text(h, 3), "two");
    EXPECT_EQ(c.Send(TLM_GETITEMTEXTCOLOR, h, 3), 0x123456);
    EXPECT_EQ(c.Send(TLM_DELETECOLUMN, 2), 1);
    EXPECT_EQ(c.Text(h, 2), "two");
    EXPECT_EQ(c.Text(h, 0), "item");
    // New items get cells in every column; deleting items frees them.
    const uint32_t k = c.Insert(0, "k");
    c.SetText(k, "kk", 2);
    c.Delete(k);
    EXPECT_EQ(c.d->cells[2][k], nullptr);
}

TEST(TreeListColumns, CaretColumnMovesAndFallsBack)
{
    Control c;
    c.Columns({100, 50, 50});
    c.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_CELLSELECT, TLS_EX_CELLSELECT);
    const uint32_t h = c.Insert(0, "a");
    EXPECT_EQ(c.Send(TLM_SELECTCELL, 2, h), 1);
    EXPECT_EQ(c.d->caretColumn, 2u);
    c.InsertColumn(1, 30);
    EXPECT_EQ(c.d->caretColumn, 3u);
    c.Send(TLM_DELETECOLUMN, 1);
    EXPECT_EQ(c.d->caretColumn, 2u);
    c.Send(TLM_DELETECOLUMN, 2);
    EXPECT_EQ(c.d->caretColumn, 0u);
    EXPECT_EQ(c.d->caretItem, h);
}

TEST(TreeListColumns, OrderKeepsTheTreeColumnFirst)
{
    Control c(TVS_HASBUTTONS, 400, 200);
    c.Columns({100, 50, 70});
    const uint32_t bad[] = {1, 0, 2};
    const uint32_t dup[] = {0, 2, 2};
    const uint32_t good[] = {0, 2, 1};
    EXPECT_EQ(c.Send(TLM_SETCOLUMNORDER, 3, P(bad)), 0);
    EXPECT_EQ(c.Send(TLM_SETCOLUMNORDER, 3, P(dup)), 0);
    EXPECT_EQ(c.Send(TLM_SETCOLUMNORDER, 2, P(good)), 0);
    c.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_COLUMNNOTIFY, TLS_EX_COLUMNNOTIFY);
    std::vector<NMTLCOLUMN> notes;
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TLN_COLUMNCHANGED)
            notes.push_back(reinterpret_cast<NMTLCOLUMN&>(h));
        return 0;
    };
    EXPECT_EQ(c.Send(TLM_SETCOLUMNORDER, 3, P(good)), 1);
    EXPECT_EQ(c.host.headerOrder, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(c.d->columns[2].position, 1);
    EXPECT_EQ(c.d->columnEdges[1], 99);
    EXPECT_EQ(c.d->columnEdges[2], 169);
    EXPECT_EQ(c.d->columnEdges[3], 219);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[1].column, 1);
    EXPECT_EQ(notes[1].position, 2);
    EXPECT_EQ(notes[1].left, 169);
    EXPECT_EQ(notes[1].width, 50);
    notes.clear();
    EXPECT_EQ(c.Send(TLM_SETCOLUMNORDER, 3, P(good)), 1) << "unchanged";
    EXPECT_TRUE(notes.empty());
    c.host.headerOrder = {0, 1, 2};
    EXPECT_EQ(c.Send(TLM_SETCOLUMNORDER, kTreeListOrderFromHeader, 0), 1);
    EXPECT_EQ(c.d->columnOrder[1], 1);
}

TEST(TreeListColumns, EdgesWidthsAndHorizontalBar)
{
    Control c(TVS_HASBUTTONS, 200, 200);
    c.Columns({150, 100});
    EXPECT_EQ(c.d->columnEdges[2], 250) << "ends beyond the client width - 1: one pixel further";
    EXPECT_EQ(c.host.scroll[SB_HORZ].nMax, 248);
    EXPECT_EQ(c.host.scroll[SB_HORZ].nPage, 200u);
    EXPECT_TRUE(c.d->hScrollNeeded);
    EXPECT_EQ(c.Send(TLM_SETCOLUMNWIDTH, 1, 20), 1);
    EXPECT_EQ(c.Send(TLM_GETCOLUMNWIDTH, 1), 20);
    EXPECT_EQ(c.d->columnEdges[2], 169);
    EXPECT_FALSE(c.d->hScrollNeeded);
    EXPECT_EQ(c.Send(TLM_SETCOLUMNWIDTH, 2, 20), 0);
    EXPECT_EQ(c.Send(TLM_SETCOLUMNWIDTH, 1, -5), 0);
}

// A grid line stands in the last pixel left of its edge: a width change
// repaints from the old line and the new one, whichever lies further left.
TEST(TreeListColumns, AWidthChangeRepaintsBothGridLines)
{
    const struct {
        const char* name; int from, to;
    } cases[] = {{"wider", 60, 90}, {"narrower", 60, 30}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c(TVS_HASBUTTONS, 400, 200);
        c.SetExStyle(TLS_EX_GRIDLINES);
        c.Columns({100, k.from, 60});
        const int oldLine = c.d->columnEdges[2] - 1;
        c.host.Clear();
        c.Send(TLM_SETCOLUMNWIDTH, 1, k.to);
        const int newLine = c.d->columnEdges[2] - 1;
        ASSERT_FALSE(c.host.invalidated.empty());
        const RECT& r = c.host.invalidated.back();
        EXPECT_LE(r.left, std::min(oldLine, newLine));
        EXPECT_GE(r.right, std::max(oldLine, newLine) + 1);
    }
}

TEST(TreeListColumns, OptimalWidthFromShownRows)
{
    Control c;
    c.Columns({50, 50});
    const uint32_t a = c.Insert(0, "a");
    const uint32_t b = c.Insert(a, "b");
    c.Expand(a);
    c.d->items[a]->textWidth = 40;
    c.d->items[b]->textWidth = 30;
    c.SetText(b, "cell", 1);
    c.d->cells[1][b]->textWidth = 60;
    {
        TreeListCall call(*c.d);
        EXPECT_EQ(TreeListOptimalWidth(*c.d, 0), 19 + 30 + 8 + 19);  // level 1 + lines at root
        EXPECT_EQ(TreeListOptimalWidth(*c.d, 1), 68);
        EXPECT_EQ(TreeListOptimalWidth(*c.d, 2), 0);
    }
    c.Expand(a, TVE_COLLAPSE);
    TreeListCall call(*c.d);
    EXPECT_EQ(TreeListOptimalWidth(*c.d, 1), 8) << "a row without a cell counts 8";
}

TEST(TreeListColumns, JoinedMaskNeedsTheOwnPosition)
{
    Control c;
    for (uint32_t i = 0; i < 4; ++i)
        c.InsertColumn(i, 40);
    c.Send(TLM_OPTION, 14 | kTreeListOptionSet, 0x6);
    EXPECT_EQ(c.d->joinedMask, 0x6);
    const uint32_t order[] = {0, 2, 1, 3};
    c.Send(TLM_SETCOLUMNORDER, 4, P(order));
    EXPECT_EQ(c.d->joinedMask, 0x0);
    c.Send(TLM_SETCOLUMNORDER, 4, 0);
    EXPECT_EQ(c.d->joinedMask, 0x6);
    // A joined cell spans the next columns.
    const uint32_t h = c.InsertState(0, "a", 0x60000, 0xFFFF0000);
    int32_t left, right;
    TreeListCellSpan(*c.d, *c.d->items[h], 1, left, right);
    EXPECT_EQ(left, c.d->columnEdges[1]);
    EXPECT_EQ(right, c.d->columnEdges[4]);
}

}  // namespace

namespace {

TEST(TreeListColumns, AutomaticFirstColumnWidthFollowsTheTexts)
{
    Control c;
    c.Columns({50, 50});
    c.Send(TLM_OPTION, 15 | kTreeListOptionSet, 10);
    c.Insert(0, "abcdefghijkl");  // 12 letters of 6 pixels
    c.Pump();
    EXPECT_EQ(c.d->columns[0].width, 72 + 19 + 10 + 6);  // text, lines at root, margin, 6
    EXPECT_EQ(c.host.headerItems[0].width, 107);
    c.Insert(0, "ab");
    c.Pump();
    EXPECT_EQ(c.d->columns[0].width, 107) << "never narrowed";
}

}  // namespace
