// TLM_SETITEMS: a description applied to the groups TLM_COUNTITEMS knows.
#include <gtest/gtest.h>

#include "tests/treelist/treelist_fake_host.h"

using treelist_test::Control;

namespace {

LPARAM P(const void* p) { return reinterpret_cast<LPARAM>(p); }

struct Tree {
    uint32_t a, a1, a2, a21, b;
};

Tree Build(Control& c)
{
    Tree t{};
    t.a = c.Insert(0, "a");
    t.a1 = c.Insert(t.a, "a1");
    t.a2 = c.Insert(t.a, "a2");
    t.a21 = c.Insert(t.a2, "a21");
    t.b = c.Insert(0, "b");
    return t;
}

LRESULT SetState(Control& c, uint32_t h, UINT groups, UINT state, UINT mask)
{
    TVITEMA tv{};
    tv.hItem = TreeListHtreeOf(h);
    tv.mask = groups | TVIF_STATE;
    tv.state = state;
    tv.stateMask = mask;
    return c.Send(TLM_SETITEMS, 0, P(&tv));
}

TEST(TreeListSetItems, GroupsAsCountItemsSelectsThem)
{
    struct Case {
        const char* name;
        bool root;
        UINT groups;
        std::vector<int> marked;  // indexes into a, a1, a2, a21, b
    } cases[] = {
        {"self", false, TLCI_SELF, {2}},
        {"ancestors", false, TLCI_ANCESTORS, {0}},
        {"siblings", false, TLCI_SIBLINGS, {1}},
        {"descendants", false, TLCI_DESCENDANTS, {3}},
        {"self and descendants", false, TLCI_SELF | TLCI_DESCENDANTS, {2, 3}},
        {"whole tree", true, TLCI_DESCENDANTS, {0, 1, 2, 3, 4}},
        {"root without descendants", true, TLCI_SELF, {}},
    };
    for (const Case& k : cases) {
        Control c;
        const Tree t = Build(c);
        const uint32_t all[] = {t.a, t.a1, t.a2, t.a21, t.b};
        const LRESULT changed = SetState(c, k.root ? kTreeListRoot : t.a2, k.groups, TVIS_BOLD, TVIS_BOLD);
        EXPECT_EQ(changed, LRESULT(k.marked.size())) << k.name;
        for (int i = 0; i < 5; ++i) {
            const bool want = std::find(k.marked.begin(), k.marked.end(), i) != k.marked.end();
            EXPECT_EQ((c.State(all[i]) & TVIS_BOLD) != 0, want) << k.name << " item " << i;
        }
    }
}

TEST(TreeListSetItems, CountsOnlyItemsThatChanged)
{
    Control c(TVS_HASBUTTONS | TVS_CHECKBOXES);
    const Tree t = Build(c);
    // Check all: every item starts unchecked (state image 1).
    EXPECT_EQ(SetState(c, kTreeListRoot, TLCI_DESCENDANTS, 0x2000, 0xF000), 5);
    EXPECT_EQ(SetState(c, kTreeListRoot, TLCI_DESCENDANTS, 0x2000, 0xF000), 0);
    EXPECT_EQ(c.State(t.a21) & 0xF000, 0x2000u);
    EXPECT_EQ(SetState(c, t.a21, TLCI_SELF, 0x1000, 0xF000), 1);
    EXPECT_EQ(SetState(c, 999, TLCI_SELF, 0x1000, 0xF000), -1);
    EXPECT_EQ(c.Send(TLM_SETITEMS, 0, 0), -1);
}

TEST(TreeListSetItems, CellTextsOfAColumn)
{
    Control c;
    c.InsertColumn(0, 100);
    c.InsertColumn(1, 100);
    const Tree t = Build(c);
    char text[] = "x";
    TVITEMA tv{};
    tv.hItem = TreeListHtreeOf(t.a);
    tv.mask = TLCI_SELF | TLCI_DESCENDANTS | TVIF_SUBITEM | TVIF_TEXT;
    tv.cChildren = 1;
    tv.pszText = text;
    EXPECT_EQ(c.Send(TLM_SETITEMS, 0, P(&tv)), 4);
    EXPECT_EQ(c.Text(t.a21, 1), "x");
    EXPECT_EQ(c.Text(t.a21, 0), "a21");
    EXPECT_EQ(c.Text(t.b, 1), "");
    EXPECT_EQ(c.Send(TLM_SETITEMS, 0, P(&tv)), 0);
}

TEST(TreeListSetItems, SelectingThroughTheGroupSurvivesAParentThatDeletes)
{
    Control c;
    const Tree t = Build(c);
    c.Expand(t.a);
    // Selecting a1 makes the parent delete a2 (and a21) before they are reached.
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TVN_SELCHANGEDA && c.Send(TVM_GETNEXTITEM, TVGN_CARET) == LRESULT(t.a1))
            c.Delete(t.a2);
        return 0;
    };
    EXPECT_EQ(SetState(c, t.a, TLCI_DESCENDANTS, TVIS_SELECTED, TVIS_SELECTED), 1);
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 3);
}

}  // namespace
