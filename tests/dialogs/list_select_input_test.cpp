// The list choice dialog driven by real mouse and keyboard input: clicks and
// double clicks, the dialog manager's Enter and Escape, the popup menu by
// the right button, Shift+F10 and the menu key, and a drag of its size
// border.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/dialogs/choice_input.h"
#include "ui/dialogs/list_select_dlg.h"

namespace {

using choice_input::Outcome;
using choice_input::Scene;
using winharness::kShift;

const char* const kNames[] = {"Alm", "Berg", "Gipfel", "Hütte"};
const std::vector<std::string> kMenu = {"&Alles auswählen", "&Alles abwählen"};

HWND ShownList(HWND top)
{
    for (int mode = 0; mode < 4; ++mode)
        if (const HWND list = GetDlgItem(top, kChoiceListFirstId + mode); IsWindowVisible(list))
            return list;
    return nullptr;
}

RECT RowRect(HWND list, int row)
{
    RECT r = {};
    SendMessageA(list, LB_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r));
    return r;
}

POINT RowPoint(HWND list, int row, int x = 60)
{
    const RECT r = RowRect(list, row);
    return {x, (r.top + r.bottom) / 2};
}

const choice_input::Looks kLooks = {
    &ShownList,
    [](HWND) { return false; },
    [](HWND list, POINT screen) {
        ScreenToClient(list, &screen);
        const int count = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            const RECT r = RowRect(list, row);
            if (PtInRect(&r, screen))
                return row;
        }
        return -1;
    },
};

void Fill(CListSelectDlg& dialog, int mode)
{
    dialog.SetMode(mode);
    for (int i = 0; i < 4; ++i)
        dialog.AddItem(-1, uint32_t(10 + i), kNames[i], i == 1);
    dialog.m_current = 1;
}

struct Row {
    const char* name;
    int mode;
    bool cancelAllowed;
    choice_input::Action act;
    const char* pick;  // the menu entry to choose
    Outcome expected;
};

// Closed by OK after the look unless the action ended the dialog.
Outcome Open(int current, const char* flags, std::vector<std::string> menu = {}, int menuRow = -1)
{
    return {true, IDOK, current, flags, std::move(menu), menuRow, false};
}
Outcome Ended(INT_PTR result, int current, const char* flags) { return {false, result, current, flags, {}, -1, false}; }

const Row kRows[] = {
    {"ClickChooses", 0, true, [](Scene& s) { s.input.Click(s.list, RowPoint(s.list, 2)); }, "", Ended(IDOK, 2, "0010")},
    {"DoubleClickChooses", 0, true, [](Scene& s) { s.input.DoubleClick(s.list, RowPoint(s.list, 3)); }, "",
     Ended(IDOK, 3, "0001")},
    {"DoubleClickMovesTheCheckMark", 2, true, [](Scene& s) { s.input.DoubleClick(s.list, RowPoint(s.list, 3)); }, "",
     Open(3, "0001")},
    {"DoubleClickTogglesACheckMark", 3, true, [](Scene& s) { s.input.DoubleClick(s.list, RowPoint(s.list, 2)); }, "",
     Open(2, "0110")},
    {"ClickInTheCheckZoneTogglesOnce", 3, true, [](Scene& s) { s.input.Click(s.list, RowPoint(s.list, 0, 8)); }, "",
     Open(0, "1100")},
    {"SpaceTogglesTheCaretRow", 3, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_SPACE);
     },
     "", Open(2, "0110")},
    {"EnterChoosesTheSelectedRow", 0, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_RETURN);
     },
     "", Ended(IDOK, 2, "0010")},
    {"EnterKeepsTheCheckMarks", 3, true,
     [](Scene& s) {
         s.input.Key(VK_SPACE);
         s.input.Key(VK_RETURN);
     },
     "", Ended(IDOK, 1, "0000")},
    {"EscapeCancels", 0, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_ESCAPE);
     },
     "", Ended(IDCANCEL, -1, "0100")},
    {"EscapeTakesBackTheCheckMarks", 3, true,
     [](Scene& s) {
         s.input.Key(VK_SPACE);
         s.input.Key(VK_ESCAPE);
     },
     "", Ended(IDCANCEL, -1, "0100")},
    {"EscapeStaysWithoutCancel", 0, false, [](Scene& s) { s.input.Key(VK_ESCAPE); }, "", Open(1, "0100")},
    {"RightClickOpensTheMenuAtThePointer", 1, true, [](Scene& s) { s.input.RightClick(s.list, RowPoint(s.list, 2)); },
     "", Open(1, "0100", kMenu, 2)},
    {"RightClickNoMenuInSingleChoice", 0, true, [](Scene& s) { s.input.RightClick(s.list, RowPoint(s.list, 2)); }, "",
     Open(1, "0100")},
    {"ShiftF10OpensTheMenuAtTheCaretRow", 3, true, [](Scene& s) { s.input.Key(VK_F10, kShift); }, "",
     Open(1, "0100", kMenu, 1)},
    {"MenuKeyOpensTheMenuAtTheCaretRow", 1, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_APPS);
     },
     "", Open(2, "0100", kMenu, 2)},
    {"MenuKeyChoosesSelectAll", 3, true, [](Scene& s) { s.input.Key(VK_APPS); }, "&Alles auswählen",
     Open(1, "1111", kMenu, 1)},
    {"ShiftF10NoMenuInSingleChoice", 2, true, [](Scene& s) { s.input.Key(VK_F10, kShift); }, "", Open(1, "0100")},
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class ListChoiceInput : public testing::TestWithParam<Row> {};

TEST_P(ListChoiceInput, ActionGivesItsOutcome)
{
    const Row& row = GetParam();
    CListSelectDlg dialog;
    Fill(dialog, row.mode);
    dialog.m_cancelAllowed = row.cancelAllowed ? 1 : 0;
    const Outcome outcome = choice_input::RunWithInput(dialog, kLooks, row.act, row.expected.open, row.pick);
    EXPECT_EQ(outcome, row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ListChoiceInput, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// "Alles auswählen" and "Alles abwählen" on 10,000 rows are done at once:
// the list scrolls and paints once for the range (a repaint a row took a
// minute), and then shows what a full repaint draws.
TEST(ListChoiceInputRange, SelectAllOnTenThousandRowsIsDoneAtOnce)
{
    constexpr int kRowCount = 10000;
    constexpr DWORD kPatienceMs = 20000;  // for a loaded machine; a repaint a row takes minutes there
    const struct {
        const char* pick;
        bool selectedBefore;
        char flag;
    } cases[] = {{"&Alles auswählen", false, '1'}, {"&Alles abwählen", true, '0'}};
    for (const auto& c : cases) {
        CListSelectDlg dialog;
        dialog.SetMode(1);
        for (int i = 0; i < kRowCount; ++i)
            dialog.AddItem(-1, uint32_t(i), ("Zeile " + std::to_string(i)).c_str(), c.selectedBefore);
        std::string why;
        bool same = false;
        const Outcome outcome = choice_input::RunWithInput(
            dialog, kLooks, [](Scene& s) { s.input.RightClick(s.list, RowPoint(s.list, 2)); }, true, c.pick,
            [&](HWND top) {
                same = choice_input::ShowsWhatARepaintDraws(ShownList(top), std::string("list-range-") + c.flag, &why);
            },
            kPatienceMs);
        EXPECT_EQ(outcome.menu, kMenu) << c.pick;
        EXPECT_EQ(outcome.flags, std::string(kRowCount, c.flag)) << c.pick;
        EXPECT_TRUE(same) << c.pick << ": " << why;
    }
}

// Enlarging the dialog by its size border leaves every control drawn as a
// full repaint draws it, with no repaint after the drag.
TEST(ListChoiceInputSize, DragOfTheSizeBorderLeavesNothingStale)
{
    choice_input::ExpectSizeDragsLeaveNothingStale<CListSelectDlg>(
        kLooks,
        {
            {"corner", WMSZ_BOTTOMRIGHT, {250, 150}, {250, 150}},
            {"right", WMSZ_RIGHT, {180, 0}, {180, 0}},
            {"bottom", WMSZ_BOTTOM, {0, 120}, {0, 120}},
            {"left", WMSZ_LEFT, {-60, 0}, {60, 0}},
        },
        [](CListSelectDlg& dialog) {
            Fill(dialog, 3);
            dialog.SetPrompt("Ebenen, die gezeichnet werden :");
        },
        "list-size-");
}

}  // namespace
