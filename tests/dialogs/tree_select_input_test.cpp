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

// The layers of a map with their sources, both editable, and the empty row
// through which the user adds one; a row whose cells an edit empties is
// removed.
void FillLayers(CTreeSelectDlg& dialog)
{
    dialog.m_options = kTreeSelectAddRow | kTreeSelectDelete | kTreeSelectDeleteEmptied;
    dialog.m_focusList = 1;
    dialog.AddColumn("Ebene", 130, 0, 1);
    dialog.AddColumn("Quelle", 100, 0, 1);
    dialog.SetCellText(dialog.AddItem(-1, 1, "Topographische Karte", 0), "Landesamt", 1);
    dialog.SetCellText(dialog.AddItem(-1, 2, "Wanderwege", 0), "Satellit", 1);
    dialog.AddItem(-1, 3, "Gipfel", 0);
}

// The entries after the run, "text/source" each.
std::vector<std::string> Layers(const CTreeSelectDlg& dialog)
{
    std::vector<std::string> out;
    for (int i = 0; i < dialog.GetCount(); ++i)
        out.push_back(std::string(dialog.GetCellText(i, 0)) + "/" + dialog.GetCellText(i, 1));
    return out;
}

POINT Middle(HWND wnd)
{
    RECT r = {};
    GetClientRect(wnd, &r);
    return {r.right / 2, r.bottom / 2};
}
HWND OkButton(const Scene& s) { return GetDlgItem(s.top, IDOK); }

// How a row's run ends: the action leaves the dialog open (the run then
// sends OK), the action ends it by OK, or once the action's input is
// handled OK comes as the command a program or the dialog manager sends.
enum class Ending { kStaysOpen, kByTheAction, kByCommand };

struct EditRow {
    const char* name;
    choice_input::Action act;
    Ending ending;
    std::vector<std::string> layers;
};
void PrintTo(const EditRow& row, std::ostream* os) { *os << row.name; }

const std::vector<std::string> kLayers = {"Topographische Karte/Landesamt", "Wanderwege/Satellit", "Gipfel/"};
const std::vector<std::string> kSkitouren = {"Topographische Karte/Landesamt", "Wanderwege/Satellit", "Gipfel/",
                                             "Skitouren/"};
const std::vector<std::string> kNewSource = {"Topographische Karte/Landesamt", "Wanderwege/Satellit neu", "Gipfel/"};
const std::vector<std::string> kNoGipfel = {"Topographische Karte/Landesamt", "Wanderwege/Satellit"};

// Typing opens the editor of the add row, with what is typed.
void TypeIntoTheAddRow(Scene& s, const char* text)
{
    s.input.Click(s.list, Label(s.list, 3));
    s.input.Type(text);
}

// Enter opens the editor with the text selected; Delete empties it.
void EmptyTheGipfelRow(Scene& s)
{
    s.input.Click(s.list, Label(s.list, 2));
    s.input.Key(VK_RETURN);
    s.input.Key(VK_DELETE);
}

const EditRow kEditRows[] = {
    {"AddRowTypedThenOkClicked",
     [](Scene& s) {
         TypeIntoTheAddRow(s, "Skitouren");
         s.input.Click(OkButton(s), Middle(OkButton(s)));
     },
     Ending::kByTheAction, kSkitouren},
    {"CellChangedThenOkClicked",
     [](Scene& s) {
         s.input.Click(s.list, Cell(s.list, 1, 1));
         s.input.Type("Satellit neu");
         s.input.Click(OkButton(s), Middle(OkButton(s)));
     },
     Ending::kByTheAction, kNewSource},
    // The editor takes every key, Tab too; Enter ends it keeping the text,
    // then Tab reaches OK.
    {"AddRowTypedThenTabEnterTabEnter",
     [](Scene& s) {
         TypeIntoTheAddRow(s, "Skitouren");
         for (const WORD key : {VK_TAB, VK_RETURN, VK_TAB, VK_RETURN})
             s.input.Key(key);
     },
     Ending::kByTheAction, kSkitouren},
    {"AddRowTypedThenOkCommand", [](Scene& s) { TypeIntoTheAddRow(s, "Skitouren"); }, Ending::kByCommand, kSkitouren},
    // The emptied row goes before the dialog reads its rows.
    {"RowEmptiedThenOkClicked",
     [](Scene& s) {
         EmptyTheGipfelRow(s);
         s.input.Click(OkButton(s), Middle(OkButton(s)));
     },
     Ending::kByTheAction, kNoGipfel},
    {"RowEmptiedThenOkCommand", &EmptyTheGipfelRow, Ending::kByCommand, kNoGipfel},
    // A focus loss elsewhere drops the text: typing starts the editor, and
    // stray keys are not stored.
    {"AddRowTypedThenAnotherRowClicked",
     [](Scene& s) {
         TypeIntoTheAddRow(s, "Skitouren");
         s.input.Click(s.list, Label(s.list, 0));
     },
     Ending::kStaysOpen, kLayers},
};

class TreeChoiceEditInput : public testing::TestWithParam<EditRow> {};

// OK is the user's word that an open editor's text counts: it is kept as
// Enter keeps it, then the dialog reads its rows.
TEST_P(TreeChoiceEditInput, OkKeepsWhatAnOpenEditorHolds)
{
    const EditRow& row = GetParam();
    CTreeSelectDlg dialog;
    FillLayers(dialog);
    std::vector<choice_input::Phase> phases = {[&row](Scene& s) {
        row.act(s);
        return true;
    }};
    if (row.ending == Ending::kByCommand)
        phases.push_back([](Scene& s) {
            return !winharness::InputPending() && PostMessageA(s.top, WM_COMMAND, IDOK, 0);
        });
    const bool staysOpen = row.ending == Ending::kStaysOpen;
    const Outcome outcome = choice_input::RunWithInput(dialog, kLooks, phases, staysOpen);
    EXPECT_EQ(std::make_pair(outcome.open, outcome.result), std::make_pair(staysOpen, INT_PTR(IDOK)));
    EXPECT_EQ(Layers(dialog), row.layers);
}

INSTANTIATE_TEST_SUITE_P(Rows, TreeChoiceEditInput, testing::ValuesIn(kEditRows),
                         [](const testing::TestParamInfo<EditRow>& info) { return std::string(info.param.name); });

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
