// Rows, scrolling, bringing items into view, expand codes, item rectangles
// and visibility. Rows are 16 pixels high (text height 13 + 3).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

constexpr int kRow = 16;

// TVM_GETITEMRECT takes the item handle in the RECT, as the SDK passes it.
LRESULT GetRect(Control& c, uint32_t h, WPARAM code, RECT& rect)
{
    const HTREEITEM item = TreeListHtreeOf(h);
    std::memcpy(&rect, &item, sizeof(item));
    return c.Send(TVM_GETITEMRECT, code, P(&rect));
}

struct Tree { uint32_t a, a1, a2, a21, b, b1; };

Tree Build(Control& c)
{
    Tree t{};
    t.a = c.Insert(0, "a");
    t.a1 = c.Insert(t.a, "a1");
    t.a2 = c.Insert(t.a, "a2");
    t.a21 = c.Insert(t.a2, "a21");
    t.b = c.Insert(0, "b");
    t.b1 = c.Insert(t.b, "b1");
    return t;
}

TEST(TreeListRows, FollowExpandAndCollapse)
{
    Control c;
    const Tree t = Build(c);
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.b}));
    c.Expand(t.a2);  // under a collapsed parent: no rows yet
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.b}));
    c.Expand(t.a);
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.a1, t.a2, t.a21, t.b}));
    c.Expand(t.b);
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.a1, t.a2, t.a21, t.b, t.b1}));
    c.Expand(t.a2, TVE_COLLAPSE);
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.a1, t.a2, t.b, t.b1}));
    EXPECT_EQ(c.Row(t.a21), -1);
    c.Expand(t.a, TVE_COLLAPSE);
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.b, t.b1}));
    EXPECT_EQ(c.d->rowItems[3], 0u);
    c.Expand(t.a2);
    c.Expand(t.a, TVE_TOGGLE);
    EXPECT_EQ(c.Row(t.a21), 3) << "a2 stayed expanded underneath";
}

TEST(TreeListRows, HiddenItemsOnlyWithTheExtendedStyle)
{
    Control c;
    const Tree t = Build(c);
    c.Expand(t.a);
    c.Expand(t.a2);
    TVITEMA tv = ItemOf(t.a2, TVIF_STATE, TVIS_HIDDEN, TVIS_HIDDEN);
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(c.RowCount(), 5u) << "without the style the bit does nothing";
    c.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_HIDDENITEMS, TLS_EX_HIDDENITEMS);
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.a1, t.b}));
    tv.hItem = TreeListHtreeOf(t.a);
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.b}));
    tv.state = 0;
    c.Send(TVM_SETITEMA, 0, P(&tv));
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{t.a, t.a1, t.b}));
    c.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_HIDDENITEMS, 0);
    EXPECT_EQ(c.RowCount(), 5u);
}

TEST(TreeListRows, PinnedRowsStayOnTop)
{
    Control c(TVS_HASBUTTONS, 300, 5 * kRow);
    std::vector<uint32_t> items;
    for (int i = 0; i < 20; ++i)
        items.push_back(c.Insert(0, "x"));
    c.Send(TLM_OPTION, 4 | kTreeListOptionSet, 2);
    TreeListData& d = *c.d;
    {
        TreeListCall call(d);
        EXPECT_EQ(TreeListSetVPos(d, 10, 0), 1);
        EXPECT_EQ(TreeListScreenLine(d, 1), 0);
        EXPECT_EQ(TreeListScreenLine(d, 2), 1);
        EXPECT_EQ(TreeListScreenLine(d, 12), -1) << "under the pinned rows";
        EXPECT_EQ(TreeListScreenLine(d, 13), 2) << "line 2 + first row 10";
        EXPECT_EQ(TreeListScreenLine(d, 15), 4);
        EXPECT_EQ(TreeListScreenLine(d, 16), -1);
    }
    RECT rect{};
    EXPECT_EQ(GetRect(c, items[11], 0, rect), 0);
    EXPECT_EQ(GetRect(c, items[12], 0, rect), 1);
    EXPECT_EQ(rect.top, 2 * kRow);
    EXPECT_EQ(GetRect(c, items[1], 0, rect), 1);
    EXPECT_EQ(rect.top, kRow);
    // Bringing a pinned row into view never scrolls.
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[0]), 1);
    EXPECT_EQ(d.firstRow, 10u);
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, items[0]), 4);
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, items[11]), 1);
}

TEST(TreeListScroll, VerticalRangeAndPage)
{
    Control c(TVS_HASBUTTONS, 300, 20 * kRow);
    for (int i = 0; i < 10; ++i)
        c.Insert(0, "x");
    c.Pump();
    EXPECT_EQ(c.host.scroll[SB_VERT].nMin, 0);
    EXPECT_EQ(c.host.scroll[SB_VERT].nMax, 10);
    EXPECT_EQ(c.host.scroll[SB_VERT].nPage, 20u);
    EXPECT_EQ(c.host.scroll[SB_VERT].nPos, 0);
    EXPECT_EQ(c.host.scroll[SB_VERT].fMask, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS);
    c.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_KEEPVSCROLL, TLS_EX_KEEPVSCROLL);
    c.Pump();
    EXPECT_EQ(c.host.scroll[SB_VERT].fMask & SIF_DISABLENOSCROLL, SIF_DISABLENOSCROLL);
}

TEST(TreeListScroll, BarUpdatesAreThrottledToOnePerMessage)
{
    Control c(TVS_HASBUTTONS, 300, 10 * kRow);
    c.Pump();
    const int before = c.host.redrawnSets[SB_VERT];
    for (int i = 0; i < 1000; ++i)
        c.Insert(0, "x");
    EXPECT_LE(c.host.posts, 2) << "one posted message for the whole burst";
    c.Pump();
    EXPECT_EQ(c.host.redrawnSets[SB_VERT] - before, 1);
    EXPECT_EQ(c.host.scroll[SB_VERT].nMax, 1000);
    c.Pump();
    EXPECT_EQ(c.host.redrawnSets[SB_VERT] - before, 1) << "no busy re-posting";
}

TEST(TreeListScroll, SetPositionWithNotificationAndVeto)
{
    Control c(TVS_HASBUTTONS, 300, 10 * kRow);
    for (int i = 0; i < 50; ++i)
        c.Insert(0, "x");
    c.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_SCROLLNOTIFY, TLS_EX_SCROLLNOTIFY);
    NMTLSCROLLING seen{};
    LRESULT answer = 0;
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TLN_SCROLLING)
            seen = reinterpret_cast<NMTLSCROLLING&>(h);
        return answer;
    };
    TreeListData& d = *c.d;
    TreeListCall call(d);
    EXPECT_EQ(TreeListSetVPos(d, 0, 9), 0) << "unchanged";
    EXPECT_TRUE(c.host.sent.empty());
    EXPECT_EQ(TreeListSetVPos(d, 7, 9), 1);
    EXPECT_EQ(seen.bar, 1);
    EXPECT_EQ(seen.reason, 9);
    EXPECT_EQ(seen.y, 7);
    EXPECT_EQ(c.host.scroll[SB_VERT].nPos, 7);
    answer = 1;
    EXPECT_EQ(TreeListSetVPos(d, 9, 10), -1);
    EXPECT_EQ(d.firstRow, 7u);
    EXPECT_EQ(TreeListSetHPos(d, 30, 10), -1);
    EXPECT_EQ(seen.bar, 0);
    EXPECT_EQ(seen.x, 30);
    EXPECT_EQ(d.scrollX, 0);
}

TEST(TreeListEnsureVisible, MarginsAndToTop)
{
    Control c(TVS_HASBUTTONS, 300, 12 * kRow);  // 12 rows per page, margin 3
    std::vector<uint32_t> items;
    for (int i = 0; i < 100; ++i)
        items.push_back(c.Insert(0, "x"));
    TreeListData& d = *c.d;
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[49]), 1);
    EXPECT_EQ(d.firstRow, 49u - 12 + 1 + 3);
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[45]), 1);
    EXPECT_EQ(d.firstRow, 41u) << "already in view";
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[20]), 1);
    EXPECT_EQ(d.firstRow, 20u);
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, kTreeListColumnToTop, items[25]), 1);
    EXPECT_EQ(d.firstRow, 25u);
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[99]), 1);
    EXPECT_EQ(d.firstRow, 100u - 12 + 1) << "clamped at the end";
    c.Send(TLM_OPTION, 13 | kTreeListOptionSet, 0);
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[0]), 1);
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[30]), 1);
    EXPECT_EQ(d.firstRow, 19u);
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, 999), -1);
}

TEST(TreeListEnsureVisible, ExpandsCollapsedParentsFirst)
{
    Control c;
    const Tree t = Build(c);
    c.host.Clear();
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, t.a21), 1);
    EXPECT_EQ(c.Row(t.a21), 3);
    EXPECT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDEDA, TVN_ITEMEXPANDINGA,
                                                 TVN_ITEMEXPANDEDA}));
    c.Expand(t.a, TVE_COLLAPSE);
    c.host.parent = [](NMHDR& h) -> LRESULT { return h.code == TVN_ITEMEXPANDINGA; };
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, t.a21), 0) << "vetoed";
}

// item: index into {a, a1, a2, a21, b, b1}; -1 TVI_ROOT
// expanded: indexes of expanded items afterwards
// count: items afterwards
struct ExpandCase { const char* name; int item; UINT code; LRESULT result; std::vector<int> expanded; int count; };

TEST(TreeListExpand, EveryCode)
{
    const ExpandCase cases[] = {
        {"expand", 0, TVE_EXPAND, 1, {0}, 6}, {"toggle", 0, TVE_TOGGLE, 1, {0}, 6},
        {"collapse collapsed", 0, TVE_COLLAPSE, 1, {}, 6},
        {"collapse reset", 2, TVE_COLLAPSE | TVE_COLLAPSERESET, 1, {}, 5},
        // Each item visited gets the action, leaves too.
        {"subtree", 0, TVE_EXPAND | TVE_ALLCHILDREN, 1, {0, 1, 2, 3}, 6},
        {"everything", -1, TVE_EXPAND | TVE_ALLCHILDREN, 1, {0, 1, 2, 3, 4, 5}, 6},
        {"root without group", -1, TVE_EXPAND, 0, {}, 6}, {"siblings", 0, TVE_EXPAND | TVE_ALLSIBLINGS, 1, {0, 4}, 6},
        {"parent level", 4, TVE_EXPAND | TVE_PARENTLEVEL, 1, {0, 4}, 6},
        {"ancestors", 3, TVE_EXPAND | TVE_ANCESTORS, 1, {0, 2, 3}, 6}, {"bad action", 0, 0, 0, {}, 6},
        {"unknown", 99, TVE_EXPAND, 0, {}, 6},
    };
    for (const ExpandCase& ec : cases) {
        SCOPED_TRACE(ec.name);
        Control c;
        const Tree t = Build(c);
        const uint32_t items[] = {t.a, t.a1, t.a2, t.a21, t.b, t.b1};
        const uint32_t h = ec.item < 0 ? kTreeListRoot : ec.item == 99 ? 999 : items[ec.item];
        EXPECT_EQ(c.Expand(h, ec.code), ec.result);
        for (int i = 0; i < 6; ++i) {
            if (!TreeListItemOf(*c.d, items[i]))
                continue;
            const bool want = std::find(ec.expanded.begin(), ec.expanded.end(), i) != ec.expanded.end();
            EXPECT_EQ((c.State(items[i]) & TVIS_EXPANDED) != 0, want) << "item " << i;
            // Only the partial bit of the code may reach the state.
            EXPECT_EQ(c.State(items[i]) & ~UINT(TVIS_EXPANDED | TVIS_EXPANDEDONCE | TVIS_EXPANDPARTIAL), 0u);
        }
        EXPECT_EQ(c.Send(TVM_GETCOUNT), ec.count);
    }
}

TEST(TreeListExpand, PartialNoNotifyAndDeferred)
{
    Control c;
    const Tree t = Build(c);
    EXPECT_EQ(c.Expand(t.a, TVE_EXPAND | TVE_EXPANDPARTIAL), 1);
    EXPECT_EQ(c.State(t.a) & TVIS_EXPANDPARTIAL, UINT(TVIS_EXPANDPARTIAL));
    EXPECT_EQ(c.Expand(t.a, TVE_EXPAND), 1);
    EXPECT_EQ(c.State(t.a) & TVIS_EXPANDPARTIAL, 0u) << "expanded fully";
    c.host.Clear();
    EXPECT_EQ(c.Expand(t.b, TVE_EXPAND | TVE_NONOTIFY), 1);
    EXPECT_TRUE(c.host.sent.empty());
    EXPECT_EQ(c.Expand(t.a2, TVE_EXPAND | TVE_DEFERRED), 1);
    EXPECT_EQ(c.State(t.a2) & TVIS_EXPANDED, 0u);
    c.Pump();
    EXPECT_EQ(c.State(t.a2) & TVIS_EXPANDED, UINT(TVIS_EXPANDED));
    EXPECT_EQ(c.RowCount(), 6u);
    // A deferred request whose item is deleted meanwhile is dropped.
    c.Expand(t.a2, TVE_COLLAPSE | TVE_DEFERRED);
    c.Delete(t.a2);
    c.Pump();
}

TEST(TreeListExpand, CollapseMovesTheCaretUp)
{
    Control c;
    const Tree t = Build(c);
    c.Expand(t.a);
    c.Expand(t.a2);
    c.Send(TVM_SELECTITEM, TVGN_CARET, t.a21);
    c.Expand(t.a, TVE_COLLAPSE);
    EXPECT_EQ(c.d->caretItem, t.a);
    EXPECT_EQ(c.State(t.a21) & TVIS_SELECTED, 0u);
}

// The button in the item's own row changes with its expansion: that row
// repaints with the rows behind it, whichever way the expansion goes.
TEST(TreeListExpand, TheItemsOwnRowRepaints)
{
    const struct {
        const char* name; bool expandedBefore; UINT code;
    } cases[] = {
        {"expand", false, TVE_EXPAND},
        {"collapse", true, TVE_COLLAPSE},
        {"toggle open", false, TVE_TOGGLE},
        {"toggle closed", true, TVE_TOGGLE},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Control c;
        const Tree t = Build(c);
        c.Expand(t.a);
        if (k.expandedBefore)
            c.Expand(t.a2);
        ASSERT_TRUE(c.Verify());
        c.host.Clear();
        c.Expand(t.a2, k.code);
        ASSERT_TRUE(c.Verify());
        const LONG top = (c.Row(t.a2)) * kRow;
        const bool covered = std::any_of(c.host.invalidated.begin(), c.host.invalidated.end(), [&](const RECT& r) {
            return r.top <= top && r.bottom >= top + kRow && r.left <= 0;
        });
        EXPECT_TRUE(covered);
    }
}

TEST(TreeListVisibility, Codes)
{
    Control c(TVS_HASBUTTONS, 200, 5 * kRow + 8);  // five whole lines and a partial one
    c.InsertColumn(0, 150);
    c.InsertColumn(1, 100);  // ends at 249: sticks out of the 200 pixels
    std::vector<uint32_t> items;
    const uint32_t p = c.Insert(0, "p");
    c.Insert(p, "hidden child");
    for (int i = 0; i < 20; ++i)
        items.push_back(c.Insert(0, "x"));
    // With the header of 17 pixels: list height 81: 5 lines whole, 6 shown.
    ASSERT_EQ(c.d->visibleCount, 4u);
    ASSERT_EQ(c.d->linesShown, 5u);
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, c.d->items[p]->firstChild), 0);
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, items[0]), 4);
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 1, items[0]), 3);
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 5, items[0]), 4) << "column beyond the count";
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, items[3]), 2) << "partly shown last line";
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, items[4]), 1);
    EXPECT_EQ(c.Send(TLM_ISITEMVISIBLE, 0, 999), -1);
}

TEST(TreeListItemRect, RowCellAndTextPart)
{
    Control c(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
    c.Columns({120, 80});
    const uint32_t a = c.Insert(0, "a");
    const uint32_t a1 = c.Insert(a, "a1");
    c.Expand(a);
    RECT r{};
    EXPECT_EQ(GetRect(c, a1, 0, r), 1);
    EXPECT_EQ(r.top, 17 + kRow);
    EXPECT_EQ(r.bottom, 17 + 2 * kRow);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(GetRect(c, a1, 0x80 | (1u << 24), r), 1);
    EXPECT_EQ(r.left, 119);
    EXPECT_EQ(r.right, 199);
    EXPECT_EQ(GetRect(c, a1, 1, r), 1);
    EXPECT_EQ(r.left, 1 * 19 + 19);  // level x indent + lines at root
    c.Expand(a, TVE_COLLAPSE);
    EXPECT_EQ(GetRect(c, a1, 0, r), 0);
    EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0);
}

}  // namespace
