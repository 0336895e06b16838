// The list and combo choice dialogs under Wine: each mode by mouse, keys,
// search and check boxes, with the OK and Cancel results, the popup
// commands and the saved place across two runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/dialogs/choice_test_support.h"
#include "tests/winharness/popup_menu_reader.h"
#include "tests/winharness/modal_driver.h"
#include "ui/dialogs/list_select_dlg.h"
#include "ui/dialogs/tree_select_dlg.h"

namespace {

using winharness::ModalDriver;

const char* const kNames[] = {"Alm", "Berg", "Gipfel", "Hütte"};

LPARAM RowPoint(HWND list, int row, int x)
{
    RECT r = {};
    SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return MAKELPARAM(x, (r.top + r.bottom) / 2);
}
void Click(HWND list, int row, int x = 60)
{
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(list, row, x));
    if (IsWindow(list))
        SendMessageA(list, WM_LBUTTONUP, 0, RowPoint(list, row, x));
}
void DoubleClick(HWND list, int row, int x = 60)
{
    Click(list, row, x);
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(list, row, x));
    SendMessageA(list, WM_LBUTTONUP, 0, RowPoint(list, row, x));
}
void Key(HWND list, WPARAM key) { SendMessageA(list, WM_KEYDOWN, key, 1); }
void Type(HWND list, char ch) { SendMessageA(list, WM_CHAR, WPARAM(static_cast<unsigned char>(ch)), 1); }

// Waits for the dialog to show, then runs the step on it.
INT_PTR Drive(CDialog& dialog, const std::function<void(HWND)>& step)
{
    ModalDriver driver;
    DWORD start = GetTickCount();
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!winharness::ShownAndActive(top, start, 2000))
            return false;
        step(top);
        return true;
    });
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    return result;
}

using choice_test::Flags;

struct ListCase {
    const char* name;
    int mode;
    void (*act)(HWND list);  // then OK is posted unless the dialog has ended
    int button;
    INT_PTR result;
    const char* text;
    int current;
    const char* flags;
};
const ListCase kListCases[] = {
    {"SingleClickChooses", 0, [](HWND l) { Click(l, 2); }, 0, IDOK, "Gipfel", 2, "0010"},
    {"SingleArrowOnlyMoves", 0, [](HWND l) { Key(l, VK_DOWN); Key(l, VK_DOWN); }, IDOK, IDOK, "Hütte", 3, "0001"},
    {"SingleSearch", 0, [](HWND l) { Type(l, 'h'); }, IDOK, IDOK, "Hütte", 3, "0001"},
    {"SingleCancel", 0, [](HWND l) { Key(l, VK_DOWN); }, IDCANCEL, IDCANCEL, "", -1, "0100"},
    {"MultiClicks", 1, [](HWND l) { Click(l, 0); Click(l, 3); }, IDOK, IDOK, "Hütte", 3, "1101"},
    {"MultiSearchMovesTheCaret", 1, [](HWND l) { Type(l, 'g'); Key(l, VK_SPACE); }, IDOK, IDOK, "Gipfel", 2, "0110"},
    {"MultiSelectNone", 1, [](HWND l) { SendMessageA(GetParent(l), WM_COMMAND, kChoiceSelectNone, 0); }, IDOK, IDOK,
     "Berg", 1, "0000"},
    {"CheckMarkFollowsTheSelection", 2, [](HWND l) { Click(l, 3); }, IDOK, IDOK, "Hütte", 3, "0001"},
    {"CheckMarkFollowsTheSearch", 2, [](HWND l) { Type(l, 'a'); }, IDOK, IDOK, "Alm", 0, "1000"},
    {"ChecksToggleOncePerClickInTheZone", 3,
     [](HWND l) { Click(l, 0, 8); Click(l, 2); Key(l, VK_DOWN); DoubleClick(l, 3, 8); }, IDOK, IDOK, "Hütte", 3,
     "1101"},
    {"ChecksByDoubleClickAndSpace", 3, [](HWND l) { DoubleClick(l, 2); Key(l, VK_UP); Key(l, VK_SPACE); }, IDOK, IDOK,
     "Berg", 1, "0010"},
    {"ChecksSelectAll", 3, [](HWND l) { SendMessageA(GetParent(l), WM_COMMAND, kChoiceSelectAll, 0); }, IDOK, IDOK,
     "Berg", 1, "1111"},
    {"ChecksCancelKeepsTheFlags", 3, [](HWND l) { Click(l, 0, 8); }, IDCANCEL, IDCANCEL, "", -1, "0100"},
};

class ListChoice : public testing::TestWithParam<ListCase> {};

TEST_P(ListChoice, ModeGivesItsResult)
{
    const ListCase& c = GetParam();
    CListSelectDlg dialog;
    dialog.SetMode(c.mode);
    for (int i = 0; i < 4; ++i)
        dialog.AddItem(kChoiceSortByText, uint32_t(10 + i), kNames[i], i == 1);
    dialog.m_current = 1;
    LONG marker = 0;
    UINT rowHeight = 0;
    const INT_PTR result = Drive(dialog, [&](HWND top) {
        const HWND list = GetDlgItem(top, kChoiceListFirstId + c.mode);
        marker = GetWindowLongA(top, GWL_USERDATA);
        rowHeight = UINT(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        c.act(list);
        if (c.button && IsWindow(top))
            PostMessageA(top, WM_COMMAND, c.button, 0);
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(marker, kListSelectDlgMarker);
    if (c.mode >= 2) {
        EXPECT_GE(rowHeight, 16u);
    }
    EXPECT_STREQ(dialog.GetText(), c.text);
    EXPECT_EQ(dialog.m_current, c.current);
    EXPECT_EQ(dialog.GetData(), c.current >= 0 ? uint32_t(10 + c.current) : 0u);
    EXPECT_EQ(Flags(dialog), c.flags);
}

INSTANTIATE_TEST_SUITE_P(Modes, ListChoice, testing::ValuesIn(kListCases),
                         [](const testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

TEST(ListChoiceWindow, WithoutCancelEscapeStaysAndOkIsCentred)
{
    CListSelectDlg dialog;
    dialog.m_cancelAllowed = 0;
    dialog.AddItem(-1, 5, "eins", 0);
    bool stayed = false, cancelShown = true;
    int okOffset = 0;
    Drive(dialog, [&](HWND top) {
        SendMessageA(top, WM_COMMAND, IDCANCEL, 0);
        stayed = IsWindow(top) != FALSE;
        cancelShown = IsWindowVisible(GetDlgItem(top, IDCANCEL)) != FALSE;
        RECT client, ok;
        GetClientRect(top, &client);
        GetWindowRect(GetDlgItem(top, IDOK), &ok);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&ok), 2);
        okOffset = (ok.left + ok.right) / 2 - client.right / 2;
        PostMessageA(top, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(cancelShown);
    EXPECT_LE(std::abs(okOffset), 1);
    EXPECT_EQ(dialog.m_current, -1);  // nothing was chosen
}

TEST(ListChoiceWindow, PlaceAndSizeCarryToTheNextRun)
{
    CListSelectDlg dialog;
    dialog.AddItem(-1, 1, "eins", 0);
    RECT first = {}, second = {};
    Drive(dialog, [&](HWND top) {
        GetWindowRect(top, &first);
        MoveWindow(top, 37, 41, first.right - first.left + 60, first.bottom - first.top + 30, TRUE);
        GetWindowRect(top, &first);
        PostMessageA(top, WM_COMMAND, IDOK, 0);
    });
    CListSelectDlg other;  // the place is the process's, the size the object's
    Drive(other, [&](HWND top) {
        GetWindowRect(top, &second);
        PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(second.left, first.left);
    EXPECT_EQ(second.top, first.top);
    Drive(dialog, [&](HWND top) {
        GetWindowRect(top, &second);
        PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(second.right - second.left, first.right - first.left);
    EXPECT_EQ(second.bottom - second.top, first.bottom - first.top);
}

struct ComboCase {
    int editable;
    int select;  // -1: type the text instead
    INT_PTR button;
    const char* text;
    int current;
};
TEST(ComboChoice, ChosenOrTypedTextAndCancel)
{
    const ComboCase cases[] = {
        {0, 2, IDOK, "Gipfel", 2},
        {1, -1, IDOK, "Neuer Ort", -1},
        {1, 3, IDCANCEL, "", -1},
    };
    for (const ComboCase& c : cases) {
        CComboSelectDlg dialog;
        dialog.SetEditable(c.editable);
        for (int i = 0; i < 4; ++i)
            dialog.AddItem(-1, uint32_t(10 + i), kNames[i]);
        dialog.m_current = 1;
        LONG marker = 0;
        const INT_PTR result = Drive(dialog, [&](HWND top) {
            marker = GetWindowLongA(top, GWL_USERDATA);
            const HWND combo = GetDlgItem(top, c.editable ? kChoiceComboEditId : kChoiceComboListId);
            if (c.select >= 0) {
                SendMessageA(combo, CB_SETCURSEL, c.select, 0);
            } else {
                SendMessageA(combo, CB_SETCURSEL, WPARAM(-1), 0);
                SetWindowTextA(combo, "Neuer Ort");
            }
            PostMessageA(top, WM_COMMAND, WPARAM(c.button), 0);
        });
        EXPECT_EQ(result, c.button);
        EXPECT_EQ(marker, kComboSelectDlgMarker);
        EXPECT_STREQ(dialog.GetText(), c.text);
        EXPECT_EQ(dialog.m_current, c.current);
    }
}

// The list and combo choices share the place of the last one closed.
TEST(ChoicePlace, ListAndComboOpenWhereTheLastClosed)
{
    struct Case {
        const char* name;
        bool firstCombo;
        int close;
        bool secondCombo;
    };
    const Case cases[] = {
        {"list then combo", false, IDOK, true},
        {"combo then list", true, IDOK, false},
        {"combo cancelled then combo", true, IDCANCEL, true},
        {"list cancelled then combo", false, IDCANCEL, true},
    };
    auto make = [](bool combo) -> std::unique_ptr<CChoiceDlg> {
        std::unique_ptr<CChoiceDlg> dialog;
        if (combo)
            dialog = std::make_unique<CComboSelectDlg>();
        else
            dialog = std::make_unique<CListSelectDlg>();
        dialog->AddItem(-1, 1, "eins", 0);
        return dialog;
    };
    int row = 0;
    for (const Case& c : cases) {
        const POINT place = {123 + 10 * row, 77 + 7 * row};
        ++row;
        std::unique_ptr<CChoiceDlg> first = make(c.firstCombo), second = make(c.secondCombo);
        Drive(*first, [&](HWND top) {
            RECT r;
            GetWindowRect(top, &r);
            MoveWindow(top, place.x, place.y, r.right - r.left, r.bottom - r.top, TRUE);
            PostMessageA(top, WM_COMMAND, WPARAM(c.close), 0);
        });
        RECT opened = {};
        Drive(*second, [&](HWND top) {
            GetWindowRect(top, &opened);
            PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(opened.left, place.x) << c.name;
        EXPECT_EQ(opened.top, place.y) << c.name;
    }
}

// The popup menu of the list, read by another thread while it is open, and
// its commands chosen from it.
TEST(ListChoiceWindow, PopupMenuOfTheMultipleModes)
{
    const std::vector<std::string> kMenu = {"&Alles auswählen", "&Alles abwählen"};
    struct Case {
        int mode;
        const char* pick;
        std::vector<std::string> texts;
        const char* flags;
    };
    const Case cases[] = {
        {0, "", {}, "0100"},  // single choices have no menu
        {1, "&Alles auswählen", kMenu, "1111"},
        {2, "", {}, "0100"},
        {3, "&Alles auswählen", kMenu, "1111"},
        {3, "&Alles abwählen", kMenu, "0000"},
    };
    for (const Case& c : cases) {
        CListSelectDlg dialog;
        dialog.SetMode(c.mode);
        for (int i = 0; i < 4; ++i)
            dialog.AddItem(-1, uint32_t(10 + i), kNames[i], i == 1);
        dialog.m_current = 1;
        // Without a menu the reader gives up soon; with one, the menu's loop
        // holds the step until the reader has closed it.
        std::optional<winharness::PopupMenuReader> reader;
        Drive(dialog, [&](HWND top) {
            const HWND list = GetDlgItem(top, kChoiceListFirstId + c.mode);
            reader.emplace(c.pick, c.texts.empty() ? 500 : 3000);
            SendMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(list, 0, 60));
            SendMessageA(list, WM_RBUTTONUP, 0, RowPoint(list, 0, 60));
            PostMessageA(top, WM_COMMAND, IDOK, 0);  // behind the menu's command
        });
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->Texts(), c.texts) << c.mode;
        EXPECT_EQ(Flags(dialog), c.flags) << c.mode;
    }
}

// A work area with a taskbar of this height along the bottom of the screen,
// for the test's life.
class TaskbarBelow {
public:
    explicit TaskbarBelow(int height)
    {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &m_old, 0);
        RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - height};
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
    }
    ~TaskbarBelow() { SystemParametersInfoA(SPI_SETWORKAREA, 0, &m_old, 0); }
    TaskbarBelow(const TaskbarBelow&) = delete;
    TaskbarBelow& operator=(const TaskbarBelow&) = delete;

private:
    RECT m_old = {};
};

// The list and combo choices open where the last one closed, moved into the
// work area. The tree choice opens at its saved place as it is when the
// rule takes it (x and y at least -20 and below the screen's size - 50),
// else where it was made; the work area keeps a side on which it is larger
// than the area.
TEST(ChoicePlace, DialogsOpenAtTheSavedPlaceTheirRuleTakes)
{
    enum Kind { kList, kCombo, kTree };
    constexpr LONG kFlush = INT_MIN;  // flush with the work area's right or bottom edge
    struct Case {
        const char* name;
        Kind kind;
        POINT place;     // where the run before closed
        uint32_t width;  // the tree's width setting
        POINT expected;  // where the next run opens
    };
    constexpr int kTaskbar = 60;
    const TaskbarBelow taskbar(kTaskbar);
    const int w = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int h = screenHeight - kTaskbar;
    const POINT made = {0, 0};  // the template's place, where a dialog without a usable saved place opens
    const Case cases[] = {
        {"list near the bottom right", kList, {w - 80, screenHeight - 80}, 0, {kFlush, kFlush}},
        {"combo near the bottom right", kCombo, {w - 80, screenHeight - 80}, 0, {kFlush, kFlush}},
        {"tree at the rule's top left", kTree, {-20, -20}, 0, {-20, -20}},
        {"tree at the rule's bottom right", kTree, {w - 51, screenHeight - 51}, 0, {w - 51, screenHeight - 51}},
        {"tree too far left", kTree, {-21, 10}, 0, made},
        {"tree too far up", kTree, {10, -21}, 0, made},
        {"tree too far right", kTree, {w - 50, 10}, 0, made},
        {"tree too far down", kTree, {10, screenHeight - 50}, 0, made},
        {"tree wider than the screen", kTree, {10, 10}, 0x12340000 | 2000, {0, 10}},
        {"tree wider than the screen off the left", kTree, {-20, 10}, 0x12340000 | 2000, {0, 10}},
    };
    auto make = [](Kind kind, uint32_t width) -> std::unique_ptr<CChoiceDlg> {
        std::unique_ptr<CChoiceDlg> dialog;
        if (kind == kTree) {
            auto tree = std::make_unique<CTreeSelectDlg>();
            tree->m_width = width;
            dialog = std::move(tree);
        } else if (kind == kCombo) {
            dialog = std::make_unique<CComboSelectDlg>();
        } else {
            dialog = std::make_unique<CListSelectDlg>();
        }
        dialog->AddItem(-1, 1, "eins", 0);
        return dialog;
    };
    for (const Case& c : cases) {
        std::unique_ptr<CChoiceDlg> first = make(c.kind, 0), second = make(c.kind, c.width);
        Drive(*first, [&](HWND top) {
            SetWindowPos(top, nullptr, c.place.x, c.place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            PostMessageA(top, WM_COMMAND, IDOK, 0);
        });
        RECT opened = {};
        Drive(*second, [&](HWND top) {
            GetWindowRect(top, &opened);
            PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
        });
        const POINT expected = {c.expected.x == kFlush ? w - (opened.right - opened.left) : c.expected.x,
                                c.expected.y == kFlush ? h - (opened.bottom - opened.top) : c.expected.y};
        EXPECT_EQ(std::vector<LONG>({opened.left, opened.top}), std::vector<LONG>({expected.x, expected.y})) << c.name;
    }
}

}  // namespace
