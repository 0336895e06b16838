// The tree choice dialog's tables and decisions: cells follow their entries,
// the options' effects, the header-click sort state and the row order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialogs/tree_select_dlg_logic.h"

namespace {

// "text/cell1" per entry, in table order.
std::string Rows(const TreeSelectModel& m)
{
    std::string out;
    for (int i = 0; i < m.entries.Count(); ++i)
        out += std::string(m.CellText(i, 0)) + "/" + m.CellText(i, 1) + (i + 1 < m.entries.Count() ? "," : "");
    return out;
}

TreeSelectModel Filled()
{
    TreeSelectModel m;
    EXPECT_EQ(m.AddColumn("Name", 100, 0, 1), 0);
    EXPECT_EQ(m.AddColumn("Wert", -2, 1, 0), 1);
    for (const char* t : {"b", "a", "c"}) {
        const int i = m.AddItem(kChoiceSortByText, uint32_t(t[0]), t, false);
        m.SetCellText(i, (std::string(t) + "1").c_str(), 1);
    }
    return m;
}

TEST(TreeSelectModel, CellsFollowTheirEntries)
{
    TreeSelectModel m = Filled();
    EXPECT_EQ(Rows(m), "a/a1,b/b1,c/c1");
    EXPECT_EQ(m.AddColumn("spät", 10, 0, 0), -1);
    m.AddItem(0, 0, "x", false);
    EXPECT_EQ(Rows(m), "x/,a/a1,b/b1,c/c1");
    m.Sort([](const ChoiceEntry& a, const ChoiceEntry& b) { return a.text > b.text; });
    EXPECT_EQ(Rows(m), "x/,c/c1,b/b1,a/a1");
    m.Remove(1);
    EXPECT_EQ(Rows(m), "x/,b/b1,a/a1");
    EXPECT_EQ(m.CellCount(), 2u);
    EXPECT_EQ(m.CellText(3, 0), nullptr);
    EXPECT_EQ(m.CellText(0, 2), nullptr);
    EXPECT_STREQ(m.CellText(0, -5), "x");
    EXPECT_FALSE(m.SetCellText(0, "z", 2));
    EXPECT_FALSE(m.RowEmpty(1));
    m.SetCellText(1, "", 0);
    EXPECT_FALSE(m.RowEmpty(1));  // its second cell still holds text
    m.SetCellText(1, "", 1);
    EXPECT_TRUE(m.RowEmpty(1));
}

TEST(TreeSelectModel, EntryIndexesPast65535KeepTheirCells)
{
    TreeSelectModel m;
    m.AddColumn("a", 10, 0, 0);
    m.AddColumn("b", 10, 0, 0);
    for (int i = 0; i < 70000; ++i)
        m.AddItem(-1, uint32_t(i), "", false);
    m.SetCellText(69999, "last", 1);
    m.AddItem(0, 0, "first", false);
    EXPECT_STREQ(m.CellText(70000, 1), "last");
    EXPECT_STREQ(m.CellText(4464, 1), "");  // 70000 wrapped to 16 bits
}

TEST(TreeSelectModel, OptionDecisions)
{
    struct Case {
        uint32_t options;
        bool columns, editableColumn;
        uint32_t opened, style;
        TreeSelectDoubleClick dbl;
        size_t menuEntries;
    };
    const Case cases[] = {
        {0x00, true, false, 0x00, 0x100B2000, kDoubleClickChoose, 1},
        {0x01, true, false, 0x01, 0x100B2002, kDoubleClickNothing, 4},
        {0x02, true, false, 0x02, 0x100B2000, kDoubleClickCheckAndChoose, 1},
        {0x03, true, false, 0x03, 0x100B0000, kDoubleClickNothing, 4},  // several checks
        {0x04, true, false, 0x04, 0x10082000, kDoubleClickChoose, 1},
        {0x08, true, true, 0x88, 0x100F2000, kDoubleClickChoose, 1},    // sort and edit bits leave choosing
        {0x30, false, false, 0xB0, 0x110F2000, kDoubleClickChoose, 2},
        {0x10, true, false, 0x10, 0x100B2000, kDoubleClickChoose, 1},
    };
    for (const Case& c : cases) {
        std::vector<TreeSelectColumn> columns;
        if (c.columns)
            columns.push_back({"a", 10, 0, uint8_t(c.editableColumn)});
        const uint32_t opened = TreeSelectOpeningOptions(c.options, columns);
        EXPECT_EQ(opened, c.opened) << c.options;
        EXPECT_EQ(TreeSelectExtendedStyle(opened, c.columns), c.style) << c.options;
        EXPECT_EQ(TreeSelectDoubleClickAction(opened), c.dbl) << c.options;
        EXPECT_EQ(TreeSelectMenu(opened).size(), c.menuEntries) << c.options;
    }
}

// Enter opens the caret cell's editor where the list would; everywhere
// else it presses OK.
TEST(TreeSelectModel, EnterEditsOnlyAnEditableCaretCell)
{
    const std::vector<TreeSelectColumn> columns = {{"Name", 80, 0, 0}, {"Ort", 80, 0, 1}};
    struct Case {
        const char* name;
        bool withColumns;
        uint32_t options;
        bool haveCaret;
        uint32_t column;
        bool edits;
    };
    const Case cases[] = {
        {"plain column", true, kTreeSelectEditing, true, 0, false},
        {"editable column", true, kTreeSelectEditing, true, 1, true},
        {"column past the last", true, kTreeSelectEditing, true, 2, false},
        {"no caret row", true, kTreeSelectEditing, false, 1, false},
        {"no columns, editing on", false, kTreeSelectEditing | kTreeSelectAddRow, true, 0, true},
        {"no columns, editing off", false, kTreeSelectMultiple, true, 0, false},
        {"no columns, no caret row", false, kTreeSelectEditing, false, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TreeSelectEnterEdits(c.withColumns ? columns : std::vector<TreeSelectColumn>{}, c.options,
                                       c.haveCaret, c.column),
                  c.edits)
            << c.name;
}

TEST(TreeSelectModel, HeaderClicksAndRowOrder)
{
    EXPECT_TRUE(TreeSelectHeaderClick(0).descending);  // the first click on column 0 in the process
    EXPECT_FALSE(TreeSelectHeaderClick(1).descending);
    EXPECT_TRUE(TreeSelectHeaderClick(1).descending);
    EXPECT_FALSE(TreeSelectHeaderClick(0).descending);
    struct Case {
        const char *a;
        uint32_t ia;
        const char* b;
        uint32_t ib;
        bool descending;
        int sign;
    };
    const Case cases[] = {
        {"alm", 0, "Berg", 1, false, -1},
        {"alm", 0, "Berg", 1, true, 1},
        {"x", 0, "X", 1, false, -1},  // equal texts: the order of adding
        {"x", 0, "X", 1, true, 1},
        {"", 5, "zzz", 1, false, 1},  // the add row (index 5 of 5 entries) stays last
        {"", 5, "zzz", 1, true, 1},
        {"zzz", 1, "", 5, true, -1},
    };
    for (const Case& c : cases) {
        const int r = TreeSelectCompareRows(c.a, c.ia, c.b, c.ib, 5, c.descending);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " " << c.b << " " << c.descending;
    }
}

// A saved place the rule takes is used as it is, off the work area or not;
// the work area keeps a window left where it was made and a side on which
// the window is larger than the area.
TEST(TreeSelectPlace, SavedPlaceByItsRuleWorkAreaForTheRest)
{
    constexpr int kScreenW = 800, kScreenH = 600;
    const ChoiceRect area = {0, 0, kScreenW, kScreenH - 40};  // a taskbar below
    const ChoiceRect made = {100, 80, 400, 280};              // 300 x 200
    struct Extent {
        int cx, cy;
    };
    struct Case {
        const char* name;
        bool saved;
        ChoicePoint at;  // the saved place
        Extent size;
        ChoicePoint expected;
    };
    const Extent normal = {300, 200}, wide = {900, 200}, tall = {300, 700};
    const Case cases[] = {
        {"none saved", false, {}, normal, {100, 80}},
        {"none saved, larger than the area", false, {}, wide, {0, 80}},
        {"at the rule's top left", true, {-20, -20}, normal, {-20, -20}},
        {"at the rule's bottom right, under the taskbar", true, {749, 549}, normal, {749, 549}},
        {"too far left", true, {-21, 10}, normal, {100, 80}},
        {"too far up", true, {10, -21}, normal, {100, 80}},
        {"too far right", true, {750, 10}, normal, {100, 80}},
        {"too far down", true, {10, 550}, normal, {100, 80}},
        {"wider than the area", true, {-20, 30}, wide, {0, 30}},
        {"higher than the area", true, {749, -20}, tall, {749, 0}},
    };
    for (const Case& c : cases) {
        const ChoiceRect window = {made.left, made.top, made.left + c.size.cx, made.top + c.size.cy};
        const ChoiceRect placed = TreeSelectPlace(window, c.saved ? &c.at : nullptr, kScreenW, kScreenH, area);
        EXPECT_EQ(std::vector<int>({placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top}),
                  std::vector<int>({c.expected.x, c.expected.y, c.size.cx, c.size.cy}))
            << c.name;
    }
}

}  // namespace
