// The tree choice dialog under Wine: header-click sort, editing a cell and
// the add row through the TreeList's in-place editor, the deletion of an
// emptied row, the Delete key, multiple preselection and the popup menu.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/winharness/message_pump.h"
#include "tests/winharness/modal_driver.h"
#include "ui/dialogs/list_select_dlg.h"
#include "ui/dialogs/tree_select_dlg.h"

namespace {

using winharness::ModalDriver;


HWND ListOf(HWND top) { return GetDlgItem(top, kTreeSelectListId); }

std::vector<uint32_t> Rows(HWND list)
{
    std::vector<uint32_t> rows;
    for (LRESULT r = SendMessageA(list, TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(kTreeListRoot)); r;
         r = SendMessageA(list, TVM_GETNEXTITEM, TVGN_NEXTITEM, r))
        rows.push_back(uint32_t(r));
    return rows;
}
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
    const DWORD start = GetTickCount();
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        return top && IsWindowVisible(top) && winharness::Activated(top, start, 2000);
    });
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

void Fill(CTreeSelectDlg& dialog, bool editable)
{
    dialog.AddColumn("Name", 80, 0, uint8_t(editable));
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
    dialog.m_nOptions = kTreeSelectAddRow;
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
    dialog.m_nOptions = kTreeSelectAddRow | kTreeSelectDelete | kTreeSelectDeleteEmptied;
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
        dialog.m_nOptions = options;
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
        dialog.m_nOptions = c.options;
        Fill(dialog, false);
        for (int i = 0; i < 4; ++i)
            dialog.SetItemSelected(i, c.selected[i] == '1');
        dialog.m_nCurrent = c.current;
        RunSteps(dialog, {[](HWND top) { PostMessageA(top, WM_COMMAND, IDOK, 0); }});
        std::string flags;
        for (int i = 0; i < 4; ++i)
            flags += dialog.IsItemSelected(i) ? '1' : '0';
        EXPECT_EQ(flags, c.flags) << c.options << " " << c.current;
        EXPECT_EQ(dialog.m_nCurrent, c.chosen);
        EXPECT_EQ(dialog.GetData(), c.chosen >= 0 ? uint32_t(100 + c.chosen) : 0u);
    }
}

std::vector<std::string> g_menuTexts;

// Reads the open popup menu's texts and closes it.
void CALLBACK ReadMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    const HWND menuWnd = FindWindowA("#32768", nullptr);
    if (!menuWnd)
        return;  // not open yet
    KillTimer(nullptr, id);
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWnd, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        g_menuTexts.push_back(text);
    }
    EndMenu();
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
        dialog.m_nOptions = c.options;
        Fill(dialog, false);
        g_menuTexts.clear();
        RunSteps(dialog, {[](HWND top) {
                         // The menu's loop runs inside this step; the timer reads and closes it.
                         SetTimer(nullptr, 0, 100, &ReadMenu);
                         NMHDR nm = {ListOf(top), UINT_PTR(kTreeSelectListId), UINT(NM_RCLICK)};
                         SendMessageA(top, WM_NOTIFY, kTreeSelectListId, reinterpret_cast<LPARAM>(&nm));
                     },
                     [](HWND top) { PostMessageA(top, WM_COMMAND, IDCANCEL, 0); }});
        EXPECT_EQ(g_menuTexts, c.texts) << c.options;
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
        dialog.m_nOptions = c.options;
        Fill(dialog, false);
        dialog.m_nCurrent = 0;
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
        std::string flags;
        for (int i = 0; i < 4; ++i)
            flags += dialog.IsItemSelected(i) ? '1' : '0';
        EXPECT_EQ(flags, c.flags) << c.options;
        EXPECT_EQ(dialog.m_nCurrent, c.ends ? 2 : -1);
    }
}

TEST(TreeSelectWindow, SizeOfTheObjectAndPlaceOfTheProcessCarryOver)
{
    CTreeSelectDlg dialog;
    dialog.m_nWidth = 0x123400AD;  // half the template's 347 pixels, but not below the minimum
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
