// The choice dialogs' decisions: sorted adding, the incremental search, the
// saved position, the size settings, the minimum size, the work area and
// the place of a menu opened by the keyboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialogs/choice_dlg_logic.h"

namespace {

std::string Order(const ChoiceEntries& e)
{
    std::string out;
    for (int i = 0; i < e.Count(); ++i)
        out += e.At(i)->text + (i + 1 < e.Count() ? "," : "");
    return out;
}

TEST(ChoiceEntries, AddKeepsTheOrderOfEachPosition)
{
    struct Add {
        int position;
        uint32_t data;
        const char* text;
    };
    struct Case {
        std::vector<Add> adds;
        const char* order;
    };
    const Case cases[] = {
        {{{kChoiceSortByText, 0, "b"}, {kChoiceSortByText, 0, "a"}, {kChoiceSortByText, 0, "c"}}, "a,b,c"},
        {{{kChoiceSortByText, 1, "X"}, {kChoiceSortByText, 2, "x"}, {kChoiceSortByText, 3, "ä"}}, "X,x,ä"},
        {{{kChoiceSortByText, 1, "Ä2"}, {kChoiceSortByText, 2, "ä1"}}, "ä1,Ä2"},
        {{{kChoiceSortByData, 3, "3"}, {kChoiceSortByData, 1, "1"}, {kChoiceSortByData, 2, "2"}}, "1,2,3"},
        {{{kChoiceSortByData, 0xFFFFFFFF, "big"}, {kChoiceSortByData, 1, "1"}}, "1,big"},
        {{{0, 0, "b"}, {0, 0, "a"}, {2, 0, "end"}, {1, 0, "mid"}}, "a,mid,b,end"},
        {{{5, 0, "a"}, {-1, 0, "b"}, {-7, 0, "c"}}, "a,b,c"},
    };
    for (const Case& c : cases) {
        ChoiceEntries e;
        for (const Add& a : c.adds)
            e.Add(a.position, a.data, a.text, false);
        EXPECT_EQ(Order(e), c.order);
    }
}

TEST(ChoiceEntries, AccessFindSortAndCopy)
{
    ChoiceEntries e;
    e.Add(-1, 7, "Berg", true);
    e.Add(-1, 2, "alm", false);
    EXPECT_EQ(e.At(-1), nullptr);
    EXPECT_EQ(e.At(2), nullptr);
    EXPECT_EQ(e.Find("berg", false), -1);
    EXPECT_EQ(e.Find("berg", true), 0);
    EXPECT_EQ(e.Find("ALM", true), 1);
    e.SortByText();
    EXPECT_EQ(Order(e), "alm,Berg");
    e.SortByData();
    EXPECT_EQ(e.At(0)->data, 2u);
    char buffer[4] = "zzz";
    EXPECT_EQ(ChoiceCopyText("Berg", buffer, 0), 0);
    EXPECT_STREQ(buffer, "zzz");
    EXPECT_EQ(ChoiceCopyText("Berg", buffer, 4), 3);
    EXPECT_STREQ(buffer, "Ber");
}

// Times after the previous character; -1 rows are no match.
TEST(ChoiceEntries, IncrementalSearchFollowsTheTreeListRules)
{
    ChoiceEntries e;
    for (const char* t : {"Alm", "Berg", "Bach", "Burg", "äcker"})
        e.Add(-1, 0, t, false);
    struct Key {
        unsigned char ch;
        uint32_t after;
        int caret;
        int row;
    };
    const std::vector<Key> keys = {
        {'b', 1000, 0, 1},     // behind the caret
        {'b', 100, 1, 2},      // the same letter again steps on
        {'b', 100, 2, 3},
        {'b', 100, 3, 1},      // and wraps
        {'a', 2000, 1, 0},     // a new search after the pause
        {'x', 2000, 0, -1},
        {0xE4, 2000, 0, 4},    // national letters are folded
        {'b', 2000, 4, 1},
        {'u', 700, 1, 3},      // two characters within 750 ms
        {'r', 800, 3, -1},     // too late: "r" alone
    };
    ChoiceSearch s;
    uint32_t now = 10000;
    for (const Key& k : keys) {
        now += k.after;
        EXPECT_EQ(ChoiceSearchType(s, e, k.ch, now, k.caret), k.row) << k.ch << " +" << k.after;
    }
    ChoiceEntries none;
    EXPECT_EQ(ChoiceSearchType(s, none, 'a', now + 5000, -1), -1);
}

TEST(ChoiceEntries, PlacementAndSizeRules)
{
    EXPECT_FALSE(ChoicePositionUsable(-21, 0, 800, 600));
    EXPECT_TRUE(ChoicePositionUsable(-20, -20, 800, 600));
    EXPECT_FALSE(ChoicePositionUsable(750, 0, 800, 600));
    EXPECT_TRUE(ChoicePositionUsable(749, 549, 800, 600));
    struct Size {
        uint32_t setting;
        int size, base, minimum, change;
    };
    const Size sizes[] = {
        {0x123400AD, 347, 347, 100, 173 - 347},
        {0x123400AD, 347, 347, 200, 200 - 347},
        {0x12340000, 347, 347, 100, 0},  // a zero share is ignored
        {0, 347, 347, 100, 0},
        {347, 347, 347, 100, 347},
        {uint32_t(-100), 301, 301, 50, -100},
        {uint32_t(-1000), 301, 301, 50, 50 - 301},
    };
    for (const Size& s : sizes)
        EXPECT_EQ(ChoiceSizeChange(s.setting, s.size, s.base, s.minimum), s.change) << std::hex << s.setting;
}

TEST(ChoiceEntries, MinimumSizeMovesTheDraggedEdge)
{
    struct Case {
        unsigned edge;
        ChoiceRect in, out;
    };
    const Case cases[] = {
        {1, {50, 50, 60, 300}, {-40, 50, 60, 300}},    // left
        {2, {50, 50, 60, 300}, {50, 50, 150, 300}},    // right
        {4, {50, 50, 60, 60}, {-40, -40, 60, 60}},     // top left
        {8, {50, 50, 60, 60}, {50, 50, 150, 150}},     // bottom right
        {3, {0, 100, 200, 110}, {0, 10, 200, 110}},    // top
        {8, {0, 0, 200, 200}, {0, 0, 200, 200}},       // big enough
    };
    for (const Case& c : cases) {
        ChoiceRect r = c.in;
        ChoiceKeepMinimum(r, c.edge, 100, 100);
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}),
                  std::vector<int>({c.out.left, c.out.top, c.out.right, c.out.bottom}))
            << c.edge;
    }
    EXPECT_EQ(ChoiceButtonRow(300, 80, 20, true).okX, 60);
    EXPECT_EQ(ChoiceButtonRow(300, 80, 20, true).cancelX, 160);
    EXPECT_EQ(ChoiceButtonRow(300, 80, 20, false).okX, 110);
}

// A menu opened by the keyboard lies on the caret row, inside the list.
TEST(ChoiceEntries, KeyboardMenuOpensOnTheCaretRow)
{
    const ChoiceRect client = {0, 0, 300, 200};
    struct Case {
        const char* name;
        bool haveRow;
        ChoiceRect cell;
        ChoicePoint at;
    };
    const Case cases[] = {
        {"row shown", true, {0, 32, 300, 48}, {16, 40}},
        {"cell of a later column", true, {120, 32, 200, 48}, {136, 40}},
        {"no caret row", false, {}, {0, 0}},
        {"scrolled away above", true, {0, -32, 300, -16}, {0, 0}},
        {"scrolled away below", true, {0, 208, 300, 224}, {0, 0}},
        {"half shown at the top", true, {0, -12, 300, 4}, {16, 0}},
        {"scrolled to the left", true, {-100, 32, -10, 48}, {0, 40}},
        {"past the right edge", true, {295, 32, 400, 48}, {299, 40}},
        {"empty cell", true, {0, 32, 300, 32}, {0, 0}},
    };
    for (const Case& c : cases) {
        const ChoicePoint p = ChoiceMenuPlace(c.haveRow ? &c.cell : nullptr, client);
        EXPECT_EQ(std::vector<int>({p.x, p.y}), std::vector<int>({c.at.x, c.at.y})) << c.name;
    }
}

}  // namespace
