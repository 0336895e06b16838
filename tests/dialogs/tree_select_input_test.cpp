// The tree choice dialog driven by real mouse and keyboard input: double
// clicks, Enter on plain and editable cells, Escape, the popup menu by the
// right button, Shift+F10 and the menu key, Space and clicks on check
// boxes, and drags of the size border and of a column divider.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/dialogs/choice_input.h"
#include "tests/dialogs/choice_test_support.h"
#include "tests/treelist/treelist_editor_placement.h"
#include "tests/winharness/screenshot.h"
#include "ui/dialogs/tree_select_dlg.h"

namespace {

using choice_input::Outcome;
using choice_input::Scene;
using choice_test::ListOf;
using choice_test::Rows;
using winharness::kShift;

// A point of the row (by index) where the hit test finds one of the flags.
POINT HitPoint(HWND list, int rowIndex, int column, UINT flags)
{
    const POINT at = choice_test::HitPoint(list, Rows(list)[size_t(rowIndex)], uint32_t(column), flags);
    if (at.x < 0)
        ADD_FAILURE() << "no point of row " << rowIndex << " column " << column << " with flags " << flags;
    return at;
}
POINT Label(HWND list, int row) { return HitPoint(list, row, 0, TVHT_ONITEMLABEL); }
POINT Cell(HWND list, int row, int column) { return HitPoint(list, row, column, TVHT_ONCELL); }
POINT Box(HWND list, int row) { return HitPoint(list, row, 0, TVHT_ONITEMSTATEICON); }

const choice_input::Looks kLooks = {
    &ListOf,
    [](HWND list) { return SendMessageA(list, TVM_GETEDITCONTROL, 0, 0) != 0; },
    [](HWND list, POINT screen) {
        ScreenToClient(list, &screen);
        const std::vector<uint32_t> rows = Rows(list);
        for (size_t i = 0; i < rows.size(); ++i) {
            const RECT r = choice_test::RowRect(list, rows[i]);
            if (PtInRect(&r, screen))
                return int(i);
        }
        return -1;
    },
};

enum Editable { kNoEditing, kSecondColumn, kBothColumns };

void Fill(CTreeSelectDlg& dialog, uint32_t options, Editable editable)
{
    dialog.m_options = options;
    dialog.m_focusList = 1;
    dialog.AddColumn("Name", 90, 0, uint8_t(editable == kBothColumns));
    dialog.AddColumn("Ort", 90, 0, uint8_t(editable != kNoEditing));
    const char* const names[] = {"Alm", "Berg", "Gipfel", "Hütte"};
    for (int i = 0; i < 4; ++i) {
        const int index = dialog.AddItem(-1, uint32_t(100 + i), names[i], 0);
        dialog.SetCellText(index, i % 2 ? "Tal" : "Höhe", 1);
    }
}

struct Row {
    const char* name;
    uint32_t options;
    Editable editable;
    bool cancelAllowed;
    choice_input::Action act;
    const char* pick;  // the menu entry to choose
    Outcome expected;
};
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

Outcome Open(int current, const char* flags, bool editor = false, std::vector<std::string> menu = {},
             int menuRow = -1)
{
    return {true, IDOK, current, flags, std::move(menu), menuRow, editor};
}
Outcome Ended(INT_PTR result, int current, const char* flags) { return {false, result, current, flags, {}, -1, false}; }

const std::vector<std::string> kCopy = {"Feld kopieren"};
const std::vector<std::string> kCopyDelete = {"Feld kopieren", "Zeile löschen"};
const std::vector<std::string> kCopyAll = {"Feld kopieren", "", "&Alles auswählen", "&Alles abwählen"};
constexpr uint32_t kMultiple = kTreeSelectMultiple;
constexpr uint32_t kBoxes = kTreeSelectCheckBoxes;
constexpr uint32_t kMultipleBoxes = kTreeSelectMultiple | kTreeSelectCheckBoxes;

const Row kRows[] = {
    {"DoubleClickChooses", 0, kNoEditing, true, [](Scene& s) { s.input.DoubleClick(s.list, Label(s.list, 2)); }, "",
     Ended(IDOK, 2, "0010")},
    {"DoubleClickChecksAndChooses", kBoxes, kNoEditing, true,
     [](Scene& s) { s.input.DoubleClick(s.list, Label(s.list, 3)); }, "", Ended(IDOK, 3, "0001")},
    {"DoubleClickLeavesMultipleChoiceOpen", kMultiple, kNoEditing, true,
     [](Scene& s) { s.input.DoubleClick(s.list, Label(s.list, 2)); }, "", Open(2, "0010")},
    {"EnterOnAPlainCellPressesOk", 0, kSecondColumn, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_DOWN);
         s.input.Key(VK_RETURN);
     },
     "", Ended(IDOK, 2, "0010")},
    {"EnterOnAPlainListPressesOk", kMultiple, kNoEditing, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_RETURN);
     },
     "", Ended(IDOK, 1, "0100")},
    {"EnterOnAnEditableCellOpensItsEditor", 0, kSecondColumn, true,
     [](Scene& s) {
         s.input.Click(s.list, Cell(s.list, 2, 1));
         s.input.Key(VK_RETURN);
     },
     "", Open(2, "0010", true)},
    {"EnterOnAnEditableFirstColumnWithBoxesOpensItsEditor", kMultipleBoxes, kBothColumns, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_RETURN);
     },
     "", Open(-1, "0000", true)},
    {"EnterInTheEditorEndsTheEditNotTheDialog", 0, kSecondColumn, true,
     [](Scene& s) {
         s.input.Click(s.list, Cell(s.list, 1, 1));
         s.input.Key(VK_RETURN);
         s.input.Type("Hof");
         s.input.Key(VK_RETURN);
     },
     "", Open(1, "0100")},
    {"EscapeCancels", 0, kNoEditing, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_ESCAPE);
     },
     "", Ended(IDCANCEL, -1, "0000")},
    {"EscapeStaysWithoutCancel", 0, kNoEditing, false, [](Scene& s) { s.input.Key(VK_ESCAPE); }, "",
     Open(0, "1000")},
    {"RightClickOpensTheMenuAtThePointer", 0, kNoEditing, true,
     [](Scene& s) { s.input.RightClick(s.list, Label(s.list, 2)); }, "", Open(2, "0010", false, kCopy, 2)},
    {"ShiftF10OpensTheMenuAtTheCaretRow", kMultiple, kNoEditing, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_F10, kShift);
     },
     "", Open(1, "0100", false, kCopyAll, 1)},
    {"MenuKeyOpensTheMenuAtTheCaretRow", kTreeSelectDelete, kNoEditing, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_DOWN);
         s.input.Key(VK_APPS);
     },
     "", Open(2, "0010", false, kCopyDelete, 2)},
    {"MenuKeyOnAnEditableCellOpensTheMenu", 0, kSecondColumn, true,
     [](Scene& s) {
         s.input.Click(s.list, Cell(s.list, 3, 1));
         s.input.Key(VK_APPS);
     },
     "", Open(3, "0001", false, kCopy, 3)},
    {"MenuKeyDeletesTheCaretRow", kTreeSelectDelete, kNoEditing, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_APPS);
     },
     "Zeile löschen", Open(1, "010", false, kCopyDelete, 1)},
    // No caret row yet: the menu opens at the top of the rows.
    {"ShiftF10ChecksEveryBox", kMultipleBoxes, kNoEditing, true, [](Scene& s) { s.input.Key(VK_F10, kShift); },
     "&Alles auswählen", Open(3, "1111", false, kCopyAll, 0)},
    {"SpaceTogglesTheCheckBox", kMultipleBoxes, kNoEditing, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_SPACE);
     },
     "", Open(1, "0100")},
    // The space that ticked the box is not typed into the editable name.
    {"SpaceOnTheBoxOfAnEditableNameOpensNoEditor", kMultipleBoxes, kBothColumns, true,
     [](Scene& s) {
         s.input.Key(VK_DOWN);
         s.input.Key(VK_SPACE);
     },
     "", Open(1, "0100")},
    {"ClickOnTheCheckBoxToggles", kMultipleBoxes, kNoEditing, true,
     [](Scene& s) { s.input.Click(s.list, Box(s.list, 2)); }, "", Open(2, "0010")},
};

class TreeChoiceInput : public testing::TestWithParam<Row> {};

TEST_P(TreeChoiceInput, ActionGivesItsOutcome)
{
    const Row& row = GetParam();
    CTreeSelectDlg dialog;
    Fill(dialog, row.options, row.editable);
    dialog.m_cancelAllowed = row.cancelAllowed ? 1 : 0;
    const Outcome outcome = choice_input::RunWithInput(dialog, kLooks, row.act, row.expected.open, row.pick, [&](HWND top) {
        std::string why;
        choice_input::ShowsWhatARepaintDraws(top, std::string("tree-") + row.name, &why);
    });
    EXPECT_EQ(outcome, row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, TreeChoiceInput, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// Resizing by the size border leaves nothing stale: the dialog repaints
// itself whole when the drag ends.
TEST(TreeChoiceInputSize, DragOfTheSizeBorderLeavesNothingStale)
{
    choice_input::ExpectSizeDragsLeaveNothingStale<CTreeSelectDlg>(
        kLooks,
        {
            {"corner", WMSZ_BOTTOMRIGHT, {250, 150}, {250, 150}},
            {"left", WMSZ_LEFT, {-60, 0}, {60, 0}},
        },
        [](CTreeSelectDlg& dialog) {
            Fill(dialog, kMultipleBoxes, kSecondColumn);
            dialog.SetPrompt("Kartenebenen und ihre Quellen :");
        },
        "tree-size-");
}

// A real drag of the divider between "Name" and "Ort" widens "Name" by the
// drag and leaves no stale divider line behind: the list then shows what a
// full repaint draws.
TEST(TreeChoiceInputSize, DragOfTheColumnDividerLeavesNothingStale)
{
    constexpr int kDividerDrag = 30;
    const auto nameWidth = [](HWND list) { return int(SendMessageA(list, TLM_GETCOLUMNWIDTH, 0, 0)); };
    CTreeSelectDlg dialog;
    Fill(dialog, kMultipleBoxes, kSecondColumn);
    int before = 0, after = 0;
    bool same = false;
    std::string why;
    const Outcome outcome = choice_input::RunWithInput(
        dialog, kLooks,
        [&](Scene& s) {
            before = nameWidth(s.list);
            const HWND header = reinterpret_cast<HWND>(SendMessageA(s.list, TLM_GETHEADER, 0, 0));
            RECT name = {};
            ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&name)));
            const POINT divider = {name.right - 1, (name.top + name.bottom) / 2};
            s.input.Drag(header, divider, {divider.x + kDividerDrag, divider.y});
        },
        true, "",
        [&](HWND top) {
            after = nameWidth(ListOf(top));
            same = choice_input::ShowsWhatARepaintDraws(ListOf(top), "tree-divider-drag", &why);
        });
    EXPECT_TRUE(outcome.open);
    EXPECT_EQ(after - before, kDividerDrag);
    EXPECT_TRUE(same) << why;
}

// An editor open on "Quelle" while the dialog grows by its corner: the
// proportional columns widen and move, and the editor moves with its cell.
TEST(TreeChoiceInputEditor, TheEditorFollowsItsCellWhenTheDialogGrows)
{
    CTreeSelectDlg dialog;
    dialog.SetPrompt("Kartenebenen und ihre Quellen :");
    dialog.AddColumn("Ebene", -3, 0, 1);
    dialog.AddColumn("Quelle", -2, 0, 1);
    dialog.AddColumn("Zoom", 50, 1, 0);
    for (const char* name : {"Topographische Karte", "Luftbild", "Wanderwege"}) {
        const int index = dialog.AddItem(-1, 0, name, 0);
        dialog.SetCellText(index, "Landesamt", 1);
    }
    uint32_t edited = 0;
    LONG sourceBefore = 0, sourceAfter = 0;
    std::string before, after;
    const auto sourceLeft = [](HWND list, uint32_t item) {
        RECT cell = {};
        std::memcpy(&cell, &item, sizeof(item));
        SendMessageA(list, TVM_GETITEMRECT, 0x80 | (1u << 24), reinterpret_cast<LPARAM>(&cell));
        return cell.left;
    };
    std::vector<choice_input::Phase> phases = {
        [&](Scene& s) {
            edited = Rows(s.list)[1];
            s.input.Click(s.list, Cell(s.list, 1, 1));
            s.input.Key(VK_RETURN);
            return true;
        },
        [&](Scene& s) {
            if (winharness::InputPending() || !kLooks.editorOpen(s.list))
                return false;
            before = treelist_test::EditorPlacement(s.list, edited, 1);
            sourceBefore = sourceLeft(s.list, edited);
            return true;
        }};
    for (const choice_input::Phase& phase : choice_input::SizeBorderDrag(WMSZ_BOTTOMRIGHT, {250, 150}))
        phases.push_back(phase);
    choice_input::RunWithInput(dialog, kLooks, phases, true, "", [&](HWND top) {
        const HWND list = ListOf(top);
        after = treelist_test::EditorPlacement(list, edited, 1);
        sourceAfter = sourceLeft(list, edited);
        winharness::Screenshot shot;
        std::string error;
        EXPECT_TRUE(winharness::CaptureWindow(top, &shot) &&
                    winharness::SavePicture(shot, "tree_choice_editor_after_resize.png", &error))
            << error;
    });
    EXPECT_EQ(before, "über der Zelle");
    EXPECT_GT(sourceAfter, sourceBefore) << "the column moved";
    EXPECT_EQ(after, "über der Zelle");
}

}  // namespace
