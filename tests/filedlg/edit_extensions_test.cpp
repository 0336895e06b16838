// The edit and combo extensions in real controls, and combo histories in
// the registry (under Wine).
#include <gtest/gtest.h>

#include "system/registry.h"
#include "tests/winharness/notify_parent.h"
#include "ui/filedlg/combo_history.h"
#include "ui/filedlg/edit_extensions.h"
#include "tests/winharness/registry_lock.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kHistoryKey[] = "Software\\LindarTest\\ComboHistory";

class EditExtensions : public ::testing::Test {
protected:
    winharness::RegistryLock registryLock;  // first: held from before SetUp to after TearDown
    HWND Make(const char* cls, DWORD style, int id)
    {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 150, parent.Handle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    std::vector<std::string> Items(HWND combo)
    {
        std::vector<std::string> items;
        for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
            char text[300] = "";
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    std::string Text(HWND wnd, UINT message = WM_GETTEXT)
    {
        char text[1024] = "";
        SendMessageA(wnd, message, sizeof text, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kHistoryKey); }
    winharness::NotifyParent parent{320, 240, false};
};

TEST_F(EditExtensions, AttachTwiceChainsToTheClassAndDetachRestores)
{
    HWND edit = Make("EDIT", 0, 100);
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC));
    EXPECT_EQ(AttachSubclass(edit, nullptr), 0);
    EXPECT_EQ(AttachSubclass(edit, ReadOnlyEditProc), 1);
    EXPECT_EQ(GetSubclassChain(edit), original);
    EXPECT_EQ(AttachSubclass(edit, ReadOnlyEditProc), 1);
    WNDCLASSA wc{};
    GetClassInfoA(nullptr, "EDIT", &wc);
    EXPECT_EQ(GetSubclassChain(edit), wc.lpfnWndProc);
    SetWindowTextA(edit, "keep");  // chained, no recursion
    SendMessageA(edit, WM_CHAR, 'x', 0);
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(edit), "keep");
    EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0), 1);
    EXPECT_EQ(SendMessageA(edit, kMsgDetach, 0, 0), reinterpret_cast<LRESULT>(wc.lpfnWndProc));
    EXPECT_EQ(GetSubclassChain(edit), nullptr);
}

TEST_F(EditExtensions, HandledKeyIsSwallowedWithItsCharacter)
{
    HWND edit = Make("EDIT", ES_MULTILINE | ES_WANTRETURN, 101);
    AttachSubclass(edit, EditKeyNotifyProc);
    parent.SetAnswer(NM_KEYDOWN, [](NMHDR* h) { h->idFrom = kKeyHandled; return LRESULT(0); });
    SendMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    SendMessageA(edit, WM_CHAR, '\t', 0);
    EXPECT_EQ(Text(edit), "");
    ASSERT_EQ(parent.Codes(), std::vector<int>{int(NM_KEYDOWN)});
    parent.SetAnswer(NM_KEYDOWN, [](NMHDR*) { return LRESULT(0); });
    SendMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    SendMessageA(edit, WM_CHAR, '\t', 0);
    EXPECT_EQ(Text(edit), "\t");
}

TEST_F(EditExtensions, TwinsMirrorWithoutPingPongAndBoundTheText)
{
    HWND combo = Make("COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL, 1152);
    HWND edit = Make("EDIT", 0, 1152 ^ kTwinIdMask);
    AttachSubclass(edit, TwinEditProc);
    AttachSubclass(combo, TwinComboProc);
    SetWindowTextA(combo, "abc");
    EXPECT_EQ(Text(edit, kMsgGetOwnText), "abc");
    SetWindowTextA(edit, "def");
    EXPECT_EQ(Text(combo), "def");
    SendMessageA(edit, kMsgSetOwnText, 0, reinterpret_cast<LPARAM>("own"));
    EXPECT_EQ(Text(combo), "def");
    EXPECT_EQ(Text(edit), "def");  // the hidden edit answers with the combo's text

    const std::string longEntry(600, 'L');
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(longEntry.c_str()));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    char small[16];
    memset(small, '#', sizeof small);
    EXPECT_EQ(GetWindowTextA(combo, small, 10), 9);
    EXPECT_EQ(std::string(small), std::string(9, 'L'));
    EXPECT_EQ(small[10], '#');
    const std::string tooLong(1100, 'T');
    SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(Text(combo), "");
}

TEST_F(EditExtensions, FocusNotifiesWithTheComboIdAndKeepsTheEditId)
{
    HWND combo = Make("COMBOBOX", CBS_DROPDOWN, 202);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    const int editId = GetDlgCtrlID(edit);
    AttachSubclass(edit, ComboEditFocusProc);
    SetWindowTextA(combo, "abcdef");
    SendMessageA(edit, WM_SETFOCUS, 0, 0);
    SendMessageA(edit, EM_SETSEL, 1, 4);
    SendMessageA(edit, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(GetDlgCtrlID(edit), editId);
    EXPECT_EQ(GetKeptEditSelection(edit), DWORD(MAKELONG(1, 4)));
    std::vector<int> codes;
    for (const winharness::LoggedMessage& m : parent.Log())
        if (m.message == WM_COMMAND && m.id == 202 && m.from == edit)  // ours, not the combo's own
            codes.push_back(m.code);
    EXPECT_EQ(codes, (std::vector<int>{EN_SETFOCUS, EN_KILLFOCUS}));
}

TEST_F(EditExtensions, HistoriesKeepTheirFormInTheRegistry)
{
    HWND combo = Make("COMBOBOX", CBS_DROPDOWN, 200);
    FillListFromText(combo, "x;abc;y", ';', true);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(combo, "abc");
    EXPECT_EQ(SaveComboHistory(parent.Handle(), 200, "#H", kHistoryKey), 3);
    char raw[64] = "";
    DWORD size = sizeof raw;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kHistoryKey, "H", RRF_RT_REG_MULTI_SZ, nullptr, raw, &size), 0);
    EXPECT_EQ(std::string(raw, size), std::string("\x02" "abc\0abc\0x\0y\0\0", 14));

    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    char first[8] = "";
    EXPECT_EQ(LoadComboHistory(parent.Handle(), 200, "#H", kHistoryKey, first, sizeof first), 3);
    EXPECT_EQ(Text(combo), "abc");
    EXPECT_EQ(std::string(first), "abc");
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"abc", "x", "y"}));

    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(combo, "");
    EXPECT_EQ(SaveComboHistory(parent.Handle(), 200, "P", kHistoryKey), 0);
    EXPECT_NE(RegGetValueA(HKEY_CURRENT_USER, kHistoryKey, "P", RRF_RT_ANY, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(SaveComboHistory(parent.Handle(), 200, "*P", kHistoryKey), 3);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(LoadComboHistory(parent.Handle(), 200, "P", kHistoryKey, nullptr, 0), 3);
}

TEST_F(EditExtensions, HistoryListKeepsIndexZeroPlusLimit)
{
    HWND combo = Make("COMBOBOX", CBS_DROPDOWN, 201);
    FillListFromText(combo, "abc", ';', true);
    for (int i = 0; i < 30; ++i)
        AddToHistoryList(combo, ("e" + std::to_string(i)).c_str(), 16, false);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 17);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    AddToHistoryList(combo, "E5", 16, false);
    std::vector<std::string> items = Items(combo);
    EXPECT_EQ(items.front(), "E5");
    EXPECT_EQ(items.size(), 17u);
    EXPECT_EQ(std::count(items.begin(), items.end(), "e5"), 0);
}

}  // namespace
