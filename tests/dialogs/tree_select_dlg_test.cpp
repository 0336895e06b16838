// The tree choice dialog under Wine: header-click sort, editing a cell and
// the add row through the TreeList's in-place editor, the deletion of an
// emptied row, the Delete key, multiple preselection and the popup menu.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/dialogs/choice_test_support.h"
#include "tests/winharness/popup_menu_reader.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/modal_driver.h"
#include "ui/dialogs/list_select_dlg.h"
#include "ui/dialogs/tree_select_dlg.h"
#include "ui/utils/shell_utils.h"

namespace {

using winharness::ModalDriver;


using choice_test::Flags;
using choice_test::HitPoint;
using choice_test::ListOf;
using choice_test::Rows;
std::vector<uint32_t> RowData(HWND list)
{
    std::vector<uint32_t> data;
    for (const uint32_t r : Rows(list))
        data.push_back(uint32_t(SendMessageA(list, TLM_GETITEMDATA, 0, LPARAM(r))));
    return data;
}

// Types into the caret cell through the control's editor and ends with Enter.
void EditCaretCell(HWND list, const char* text)
{
    SendMessageA(list, WM_CHAR, 'q', 1);
    const HWND editor = reinterpret_cast<HWND>(SendMessageA(list, TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(editor, nullptr);
    SetWindowTextA(editor, text);
    SendMessageA(list, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(editor), EN_CHANGE), reinterpret_cast<LPARAM>(editor));
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
}

void RunSteps(CTreeSelectDlg& dialog, std::vector<std::function<void(HWND)>> steps, INT_PTR* result = nullptr)
{
    ModalDriver driver;
    DWORD start = GetTickCount();
    driver.Then([&](ModalDriver& d) { return winharness::ShownAndActive(d.TopDialog(), start, 2000); });
    for (auto& step : steps)
        driver.Then([&step](ModalDriver& d) {
            winharness::PumpUntilIdle(50);  // what the last step posted comes first
            step(d.Dialogs().front());
            return true;
        });
    INT_PTR r = 0;
    driver.Run([&] { r = dialog.DoModal(); });
    if (result)
        *result = r;
}

// Columns from `firstEditable` on are editable when `editable` is set.
void Fill(CTreeSelectDlg& dialog, bool editable, int firstEditable = 0)
{
    dialog.AddColumn("Name", 80, 0, uint8_t(editable && firstEditable <= 0));
    dialog.AddColumn("Ort", 80, 0, uint8_t(editable));
    const char* const names[] = {"b", "A", "a", "c"};
    for (int i = 0; i < 4; ++i) {
        const int index = dialog.AddItem(-1, uint32_t(100 + i), names[i], 0);
        dialog.SetCellText(index, i % 2 ? "x" : "y", 1);
    }
}

TEST(TreeSelectWindow, HeaderClicksSortAndTheAddRowStaysLast)
{
    CTreeSelectDlg dialog;
    dialog.m_options = kTreeSelectAddRow;
    Fill(dialog, false);
    std::vector<std::vector<uint32_t>> seen;
    auto click = [&](int column) {
        return [&, column](HWND top) {
            const HWND list = ListOf(top);
            NMHEADERA nm = {};
            nm.hdr = {list, UINT_PTR(kTreeSelectListId), UINT(HDN_ITEMCLICKA)};
            nm.iItem = column;
            SendMessageA(top, WM_NOTIFY, kTreeSelectListId, reinterpret_cast<LPARAM>(&nm));
            seen.push_back(RowData(list));
        };
    };
    RunSteps(dialog, {click(1), click(1), click(0), [](HWND top) { PostMessageA(top, WM_COMMAND, IDCANCEL, 0); }});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], (std::vector<uint32_t>{1, 3, 0, 2, 4}));  // x, x, y, y: equal texts in the order of adding
    EXPECT_EQ(seen[1], (std::vector<uint32_t>{2, 0, 3, 1, 4}));  // descending: equal texts reversed
    EXPECT_EQ(seen[2], (std::vector<uint32_t>{1, 2, 0, 3, 4}));  // A, a, b, c
}

TEST(TreeSelectWindow, EditsStoreCellsAddRowsAndDeleteEmptiedRows)
{
    CTreeSelectDlg dialog;
    dialog.m_options = kTreeSelectAddRow | kTreeSelectDelete | kTreeSelectDeleteEmptied;
    Fill(dialog, true);
    std::vector<uint32_t> afterAdd, afterDelete;
    std::string cellShown;
    RunSteps(dialog, {[&](HWND top) {
                     const HWND list = ListOf(top);
                     const std::vector<uint32_t> rows = Rows(list);
                     SendMessageA(list, TLM_SELECTCELL, 1, LPARAM(rows[1]));
                     EditCaretCell(list, "Hütte");
                     char text[32] = {};
                     TVITEMA tv = {};
                     tv.mask = TVIF_TEXT | TVIF_SUBITEM;
                     tv.hItem = reinterpret_cast<HTREEITEM>(uintptr_t(rows[1]));
                     tv.pszText = text;
                     tv.cchTextMax = sizeof text;
                     tv.cChildren = 1;
                     SendMessageA(list, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
                     cellShown = text;
                     SendMessageA(list, TLM_SELECTCELL, 0, LPARAM(rows[4]));  // the add row
                     EditCaretCell(list, "neu");
                     afterAdd = RowData(list);
                     // Row of entry 0 emptied in both cells: gone after the edit.
                     SendMessageA(list, TLM_SELECTCELL, 1, LPARAM(rows[0]));
                     EditCaretCell(list, "");
                     SendMessageA(list, TLM_SELECTCELL, 0, LPARAM(rows[0]));
                     EditCaretCell(list, "");
                 },
                 [&](HWND top) {
                     afterDelete = RowData(ListOf(top));
                     PostMessageA(top, WM_COMMAND, IDOK, 0);
                 }});
    EXPECT_EQ(cellShown, "Hütte");
    EXPECT_EQ(afterAdd, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(afterDelete, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    ASSERT_EQ(dialog.GetCount(), 4);
    EXPECT_STREQ(dialog.GetCellText(0, 1), "Hütte");  // entry 1 became entry 0
    EXPECT_STREQ(dialog.GetItemText(3), "neu");
    EXPECT_EQ(dialog.GetItemData(3), 0xFFFFFFFFu);
    EXPECT_STREQ(dialog.GetCellText(2, 1), "x");
}

TEST(TreeSelectWindow, DeleteKeyOnlyWithTheOption)
{
    for (const uint32_t options : {0u, uint32_t(kTreeSelectDelete)}) {
        CTreeSelectDlg dialog;
        dialog.m_options = options;
        Fill(dialog, false);
        RunSteps(dialog, {[](HWND top) {
            const HWND list = ListOf(top);
            SendMessageA(list, TLM_SELECTCELL, 0, LPARAM(Rows(list)[2]));
            SendMessageA(list, WM_KEYDOWN, VK_DELETE, 1);
            PostMessageA(top, WM_COMMAND, IDOK, 0);
        }});
        EXPECT_EQ(dialog.GetCount(), options ? 3 : 4);
        EXPECT_STREQ(dialog.GetItemText(2), options ? "c" : "a");
    }
}

TEST(TreeSelectWindow, PreselectionAndResults)
{
    struct Case {
        uint32_t options;
        int current;
        const char* selected;  // preselected flags
        const char* flags;
        int chosen;
    };
    const Case cases[] = {
        {kTreeSelectMultiple, -1, "1011", "1011", 3},  // every preselected row kept
        {kTreeSelectMultiple | kTreeSelectCheckBoxes, -1, "0110", "0110", 2},
        {0, -1, "0000", "1000", 0},                     // -1: the first entry
        {kTreeSelectCheckBoxes, 2, "0000", "0010", 2},
        {0, -2, "0000", "0000", -1},                    // -2: none
    };
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        dialog.m_options = c.options;
        Fill(dialog, false);
        for (int i = 0; i < 4; ++i)
            dialog.SetItemSelected(i, c.selected[i] == '1');
        dialog.m_current = c.current;
        RunSteps(dialog, {[](HWND top) { PostMessageA(top, WM_COMMAND, IDOK, 0); }});
        EXPECT_EQ(Flags(dialog), c.flags) << c.options << " " << c.current;
        EXPECT_EQ(dialog.m_current, c.chosen);
        EXPECT_EQ(dialog.GetData(), c.chosen >= 0 ? uint32_t(100 + c.chosen) : 0u);
    }
}

TEST(TreeSelectWindow, PopupMenuShowsTheEntriesThatAct)
{
    struct Case {
        uint32_t options;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {0, {"Feld kopieren"}},
        {kTreeSelectDelete | kTreeSelectCheckBoxes, {"Feld kopieren", "Zeile löschen"}},
        {kTreeSelectMultiple, {"Feld kopieren", "", "&Alles auswählen", "&Alles abwählen"}},
    };
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        dialog.m_options = c.options;
        Fill(dialog, false);
        std::optional<winharness::PopupMenuReader> reader;
        RunSteps(dialog, {[&](HWND top) {
                         // The menu's loop runs inside this step; the reader reads and closes it.
                         reader.emplace();
                         NMHDR nm = {ListOf(top), UINT_PTR(kTreeSelectListId), UINT(NM_RCLICK)};
                         SendMessageA(top, WM_NOTIFY, kTreeSelectListId, reinterpret_cast<LPARAM>(&nm));
                     },
                     [](HWND top) { PostMessageA(top, WM_COMMAND, IDCANCEL, 0); }});
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->Texts(), c.texts) << c.options;
    }
}

}  // namespace

namespace {

TEST(TreeSelectWindow, DoubleClickChoosesByTheChoiceBitsAlone)
{
    struct Case {
        uint32_t options;
        bool ends;
        const char* flags;
    };
    const Case cases[] = {
        {kTreeSelectNoSort, true, "0010"},
        {kTreeSelectCheckBoxes | kTreeSelectNoSort, true, "0010"},  // the clicked row alone is checked
        {kTreeSelectMultiple, false, "0000"},
    };
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        dialog.m_options = c.options;
        Fill(dialog, false);
        dialog.m_current = 0;
        bool open = false;
        RunSteps(dialog, {[&](HWND top) {
            const HWND list = ListOf(top);
            const uint32_t row = Rows(list)[2];
            SendMessageA(list, TLM_SELECTCELL, 0, LPARAM(row));  // the first click of the pair
            NMTREEVIEWA nm = {};
            nm.hdr = {list, UINT_PTR(kTreeSelectListId), UINT(NM_DBLCLK)};
            nm.itemNew.hItem = reinterpret_cast<HTREEITEM>(uintptr_t(row));
            nm.itemNew.lParam = LPARAM(SendMessageA(list, TLM_GETITEMDATA, 0, LPARAM(row)));
            SendMessageA(top, WM_NOTIFY, kTreeSelectListId, reinterpret_cast<LPARAM>(&nm));
            open = IsWindowVisible(top) != FALSE;
            if (open)
                PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
        }});
        EXPECT_EQ(open, !c.ends) << c.options;
        EXPECT_EQ(Flags(dialog), c.flags) << c.options;
        EXPECT_EQ(dialog.m_current, c.ends ? 2 : -1);
    }
}

TEST(TreeSelectWindow, SizeOfTheObjectAndPlaceOfTheProcessCarryOver)
{
    CTreeSelectDlg dialog;
    dialog.m_width = 0x123400AD;  // half the template's 347 pixels, but not below the minimum
    Fill(dialog, false);
    RECT first = {}, moved = {}, second = {};
    RunSteps(dialog, {[&](HWND top) {
        GetWindowRect(top, &first);
        MoveWindow(top, 31, 47, 420, 380, TRUE);
        GetWindowRect(top, &moved);
        PostMessageA(top, WM_COMMAND, IDOK, 0);
    }});
    RunSteps(dialog, {[&](HWND top) {
        GetWindowRect(top, &second);
        PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_LT(first.right - first.left, 347);
    EXPECT_EQ(second.left, moved.left);
    EXPECT_EQ(second.top, moved.top);
    EXPECT_EQ(second.right - second.left, 420);
    EXPECT_EQ(second.bottom - second.top, 380);
}

}  // namespace

namespace {

UINT StateImage(HWND list, uint32_t row) { return UINT(SendMessageA(list, TVM_GETITEMSTATE, row, 0xF000)) & 0xF000; }

void ClickAt(HWND list, POINT pt)
{
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

TEST(TreeSelectWindow, SizeSettingsBecomeTheChangesMade)
{
    struct Case {
        uint32_t width, height;
    };
    const Case cases[] = {
        {0, 0},                    // first: the template's size
        {0x123400AD, 0},           // 173/347 of the width, not below the minimum
        {0x12340208, 0x1234012D},  // 520/347 of the width, 301/301 of the height
        {50, uint32_t(-30)},       // added shares, the height shrinks
    };
    SIZE plain = {};
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        dialog.m_width = c.width;
        dialog.m_height = c.height;
        Fill(dialog, false);
        RECT seen = {};
        RunSteps(dialog, {[&](HWND top) {
            GetWindowRect(top, &seen);
            PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
        }});
        const SIZE size = {seen.right - seen.left, seen.bottom - seen.top};
        if (!c.width && !c.height)
            plain = size;
        EXPECT_EQ(dialog.m_width, uint32_t(size.cx - plain.cx)) << c.width;
        EXPECT_EQ(dialog.m_height, uint32_t(size.cy - plain.cy)) << c.height;
        if (c.width == 0x12340208) {
            EXPECT_EQ(size.cx, plain.cx * 520 / 347);
        }
        if (c.height == 0x1234012D) {
            EXPECT_EQ(size.cy, plain.cy);
        }
        if (c.width == 50) {
            EXPECT_EQ(size.cx, plain.cx + plain.cx * 50 / 347);
        }
        if (c.height == uint32_t(-30)) {
            EXPECT_EQ(size.cy, plain.cy - plain.cy * 30 / 301);
        }
    }
}

// Enter with the list focused goes through the dialog manager: it presses
// OK unless the list opens an editor with it or one is open.
TEST(TreeSelectWindow, EnterPressesOkUnlessTheListUsesIt)
{
    struct Case {
        const char* name;
        uint32_t options;
        int firstEditable;  // 2: no editable column
        int caretColumn;
        bool intoEditor;    // the key goes to an editor opened by typing
        bool ends;
        int chosen;
    };
    const Case cases[] = {
        {"plain list", 0, 2, 0, false, true, 2},
        {"multiple choice", kTreeSelectMultiple, 2, 0, false, true, 2},
        {"caret on a plain cell beside an editable one", 0, 1, 0, false, true, 2},
        {"caret on an editable cell", 0, 1, 1, false, false, -1},
        {"editor open", 0, 1, 1, true, false, -1},
    };
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        dialog.m_options = c.options;
        Fill(dialog, c.firstEditable < 2, c.firstEditable);
        dialog.m_focusList = 1;
        dialog.m_current = -2;
        bool focused = false, editorAfter = false, open = false;
        std::string cell;
        std::vector<std::function<void(HWND)>> steps = {[&](HWND top) {
            const HWND list = ListOf(top);
            focused = GetFocus() == list;
            SendMessageA(list, TLM_SELECTCELL, WPARAM(c.caretColumn), LPARAM(Rows(list)[2]));
            HWND target = list;
            if (c.intoEditor) {
                SendMessageA(list, WM_CHAR, 'q', 1);
                target = reinterpret_cast<HWND>(SendMessageA(list, TVM_GETEDITCONTROL, 0, 0));
            }
            PostMessageA(target, WM_KEYDOWN, VK_RETURN, 1);  // through the dialog's loop
        }};
        if (!c.ends)
            steps.push_back([&](HWND top) {
                open = IsWindowVisible(top) != FALSE;
                editorAfter = SendMessageA(ListOf(top), TVM_GETEDITCONTROL, 0, 0) != 0;
                PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
            });
        INT_PTR result = 0;
        RunSteps(dialog, steps, &result);
        EXPECT_TRUE(focused) << c.name;
        EXPECT_EQ(result, c.ends ? IDOK : IDCANCEL) << c.name;
        EXPECT_EQ(dialog.m_current, c.chosen) << c.name;
        if (!c.ends) {
            EXPECT_TRUE(open) << c.name;
            EXPECT_EQ(editorAfter, !c.intoEditor) << c.name;  // Enter opens one, or ends the one open
        }
        if (c.intoEditor) {
            EXPECT_STREQ(dialog.GetCellText(2, 1), "q") << c.name;
        }
    }
}

// The add row is no choice: it shows no box, and neither a click where the
// box would be, Space, nor select all gives it one.
TEST(TreeSelectWindow, TheAddRowHasNoCheckBox)
{
    enum Act { kClick, kSpace, kSelectAll, kType };
    struct Case {
        const char* name;
        uint32_t options;
        Act act;
    };
    const uint32_t single = kTreeSelectCheckBoxes | kTreeSelectAddRow;
    const uint32_t multiple = single | kTreeSelectMultiple;
    const Case cases[] = {
        {"click, single", single, kClick},
        {"click, multiple", multiple, kClick},
        {"space", multiple, kSpace},
        {"select all", multiple, kSelectAll},
        {"typed into", single, kType},
    };
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        dialog.m_options = c.options;
        Fill(dialog, c.act == kType);
        dialog.m_current = -2;  // no box checked before
        UINT addBefore = 1, addAfter = 1, firstAfter = 0, addedRow = 0, newAddRow = 1;
        RunSteps(dialog, {[&](HWND top) {
            const HWND list = ListOf(top);
            std::vector<uint32_t> rows = Rows(list);
            const uint32_t add = rows.back();
            addBefore = StateImage(list, add);
            switch (c.act) {
            case kClick: {
                // The same place of an entry's row holds its box.
                const POINT box = HitPoint(list, rows[0], 0, TVHT_ONITEMSTATEICON);
                ClickAt(list, box);
                ClickAt(list, HitPoint(list, add, 0, TVHT_ONITEMSTATEICON));
                break;
            }
            case kSpace:
                SendMessageA(list, TLM_SELECTCELL, 0, LPARAM(add));
                SendMessageA(list, WM_KEYDOWN, VK_SPACE, 1);
                break;
            case kSelectAll:
                SendMessageA(top, WM_COMMAND, kChoiceSelectAll, 0);
                break;
            case kType:
                SendMessageA(list, TLM_SELECTCELL, 0, LPARAM(add));
                EditCaretCell(list, "neu");
                rows = Rows(list);
                addedRow = StateImage(list, add);
                newAddRow = StateImage(list, rows.back());
                break;
            }
            addAfter = StateImage(list, add);
            firstAfter = StateImage(list, rows[0]);
            PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
        }});
        EXPECT_EQ(addBefore, 0u) << c.name;
        if (c.act == kType) {
            EXPECT_EQ(addedRow, 0x1000u) << c.name;  // an entry now: its box, unchecked
            EXPECT_EQ(newAddRow, 0u) << c.name;
        } else {
            EXPECT_EQ(addAfter, 0u) << c.name;
        }
        if (c.act == kClick || c.act == kSelectAll) {
            EXPECT_EQ(firstAfter, 0x2000u) << c.name;  // the entry's box took the click
        }
    }
}

// The popup menu, read by another thread while it is open, and its
// commands chosen from it.
TEST(TreeSelectWindow, PopupMenuCommandsChosenFromTheMenu)
{
    const std::vector<std::string> kAll = {"Feld kopieren", "", "&Alles auswählen", "&Alles abwählen"};
    struct Case {
        uint32_t options;
        const char* pick;
        std::vector<std::string> texts;
        int count;
        const char* flags;
    };
    const Case cases[] = {
        {kTreeSelectMultiple, "&Alles auswählen", kAll, 4, "1111"},
        {kTreeSelectMultiple | kTreeSelectCheckBoxes | kTreeSelectAddRow, "&Alles auswählen", kAll, 4, "1111"},
        {kTreeSelectMultiple | kTreeSelectCheckBoxes, "&Alles abwählen", kAll, 4, "0000"},
        {kTreeSelectDelete, "Zeile löschen", {"Feld kopieren", "Zeile löschen"}, 3, "010"},  // the next row selected
        {kTreeSelectCheckBoxes, "", {"Feld kopieren"}, 4, "0000"},  // no entries that would not act
    };
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        dialog.m_options = c.options;
        Fill(dialog, false);
        dialog.m_current = -2;
        std::optional<winharness::PopupMenuReader> reader;
        RunSteps(dialog, {[&](HWND top) {
            const HWND list = ListOf(top);
            SendMessageA(list, TLM_SELECTCELL, 0, LPARAM(Rows(list)[1]));
            reader.emplace(c.pick);
            NMHDR nm = {list, UINT_PTR(kTreeSelectListId), UINT(NM_RCLICK)};
            SendMessageA(top, WM_NOTIFY, kTreeSelectListId, reinterpret_cast<LPARAM>(&nm));
            PostMessageA(top, WM_COMMAND, IDOK, 0);  // behind the menu's command
        }});
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->Texts(), c.texts) << c.options;
        EXPECT_EQ(dialog.GetCount(), c.count) << c.options;
        EXPECT_EQ(Flags(dialog), c.flags) << c.options;
    }
}

// "Feld kopieren" copies the cell under the pointer at the right click.
TEST(TreeSelectWindow, CopyFieldCopiesTheClickedCell)
{
    struct Case {
        int row, column;
        const char* text;
    };
    const Case cases[] = {{0, 0, "b"}, {1, 1, "x"}, {2, 1, "y"}, {3, 0, "c"}};
    for (const Case& c : cases) {
        CTreeSelectDlg dialog;
        Fill(dialog, false);
        SetClipboardText("vorher", -1);
        bool pointed = false;
        std::optional<winharness::PopupMenuReader> reader;
        RunSteps(dialog, {[&](HWND top) {
            const HWND list = ListOf(top);
            POINT pt = HitPoint(list, Rows(list)[size_t(c.row)], uint32_t(c.column),
                                c.column ? TVHT_ONCELL : TVHT_ONITEMLABEL);
            ClientToScreen(list, &pt);
            SetCursorPos(pt.x, pt.y);
            POINT at = {};
            GetCursorPos(&at);
            pointed = at.x == pt.x && at.y == pt.y;
            reader.emplace("Feld kopieren");
            NMHDR nm = {list, UINT_PTR(kTreeSelectListId), UINT(NM_RCLICK)};
            SendMessageA(top, WM_NOTIFY, kTreeSelectListId, reinterpret_cast<LPARAM>(&nm));
            PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
        }});
        EXPECT_TRUE(pointed);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->Texts(), std::vector<std::string>{"Feld kopieren"});
        char text[32] = {};
        GetClipboardText(text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.row << " " << c.column;
    }
}

}  // namespace
