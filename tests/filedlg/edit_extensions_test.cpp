// The edit and combo extensions in real controls, and combo histories in
// the registry (under Wine).
#include <gtest/gtest.h>

#include "system/registry.h"
#include "tests/winharness/dropped_files.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/notify_parent.h"
#include "tests/winharness/screenshot.h"
#include "ui/dialogs/ddx.h"
#include "ui/filedlg/combo_history.h"
#include "ui/filedlg/edit_extensions.h"
#include "ui/utils/shell_utils.h"
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

const char kRunde[] = "C:\\Touren Ä\\Allgäu Runde.gpx";
const char kUeber[] = "C:\\Über Berge\\Ärger.gpx";

enum class DropInto { kControl, kComboEdit };

struct DropCase {
    const char* name;
    const char* cls;
    DWORD exStyle;
    WNDPROC proc;
    DropInto into;
    std::vector<std::string> files;
    bool wide;
    std::string text;        // the control's text after the drop
    std::vector<int> codes;  // the notifications posted to the parent, in order
};

// The first dropped file becomes the text (a combo's selection cleared
// first), and the parent hears of it afterwards by posted notifications.
TEST_F(EditExtensions, DroppedFilesBecomeTheText)
{
    const int kDropped = kNotifyFileDropped;
    const DropCase cases[] = {
        {"edit", "EDIT", 0, EditDropProc, DropInto::kControl, {kRunde, "C:\\b.gpx"}, false, kRunde, {EN_CHANGE, kDropped}},
        {"edit, UTF-16 drop", "EDIT", 0, EditDropProc, DropInto::kControl, {kUeber}, true, kUeber, {EN_CHANGE, kDropped}},
        {"combo", "COMBOBOX", 0, ComboDropProc, DropInto::kControl, {kRunde}, false, kRunde, {CBN_EDITCHANGE, kDropped}},
        {"combo's edit", "COMBOBOX", 0, ComboDropProc, DropInto::kComboEdit, {kUeber, kRunde}, false, kUeber,
         {CBN_EDITCHANGE, kDropped}},
        {"twin combo", "COMBOBOX", WS_EX_ACCEPTFILES, TwinComboProc, DropInto::kControl, {kRunde}, false, kRunde,
         {CBN_EDITCHANGE, EN_CHANGE, kDropped}},
        {"twin combo not accepting files", "COMBOBOX", 0, TwinComboProc, DropInto::kControl, {kRunde}, false, "Donau.gpx",
         {}},
    };
    int id = 300;
    for (const DropCase& c : cases) {
        ++id;
        bool combo = std::string(c.cls) == "COMBOBOX";
        HWND control = CreateWindowExA(c.exStyle, c.cls, "", WS_CHILD | WS_VISIBLE | (combo ? CBS_DROPDOWN : 0), 0, 0,
                                       200, 150, parent.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       nullptr, nullptr);
        HWND twin = c.proc == TwinComboProc ? Make("EDIT", 0, id ^ kTwinIdMask) : nullptr;
        if (twin)
            AttachSubclass(twin, TwinEditProc);
        HWND edit = combo ? FindWindowExA(control, nullptr, "Edit", nullptr) : control;
        if (combo) {
            FillListFromText(control, "Bergem.gpx;Donau.gpx", ';', true);
            SendMessageA(control, CB_SETCURSEL, 1, 0);
        }
        AttachSubclass(control, c.proc);
        SendMessageA(c.into == DropInto::kComboEdit ? edit : control, WM_DROPFILES,
                     winharness::MakeDrop(c.files, c.wide), 0);
        parent.ClearLog();  // what the control sent on its own while setting the text
        winharness::PumpUntilIdle(500);
        std::vector<int> codes;
        for (const winharness::LoggedMessage& m : parent.Log())
            if (m.message == WM_COMMAND && m.id == UINT(id))
                codes.push_back(m.code);
        EXPECT_EQ(Text(edit), c.text) << c.name;
        EXPECT_EQ(codes, c.codes) << c.name;
        if (combo && !c.codes.empty()) {
            EXPECT_EQ(SendMessageA(control, CB_GETCURSEL, 0, 0), CB_ERR) << c.name;
        }
        if (twin && !c.codes.empty()) {
            EXPECT_EQ(Text(twin, kMsgGetOwnText), c.text) << c.name;
        }
    }
}

// How many pixels of a control are near black: text in its enabled look.
size_t DarkPixels(HWND wnd)
{
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    winharness::Screenshot shot;
    if (!winharness::CaptureWindow(wnd, &shot))
        return 0;
    return size_t(std::count_if(shot.pixels.begin(), shot.pixels.end(), [](uint32_t px) {
        return (px & 0xFF) < 0x40 && ((px >> 8) & 0xFF) < 0x40 && ((px >> 16) & 0xFF) < 0x40;
    }));
}

enum class Look { kGrey, kEnabled };
constexpr LRESULT kAnyAnswer = -12345;

struct LookCase {
    const char* name;
    WNDPROC proc;  // null: a plain edit, for comparison
    bool enabled;
    UINT message;
    WPARAM wParam;
    LRESULT answer;  // or kAnyAnswer
    std::string text;  // after the message, sent with the whole text selected
};

// A disabled edit that looks enabled, and one that looks enabled but
// refuses every change while disabled.
TEST_F(EditExtensions, EnabledAndReadOnlyLooks)
{
    const std::string runde = "Allgäu Runde";
    const LookCase cases[] = {
        {"plain, disabled, typed", nullptr, false, WM_CHAR, 'x', kAnyAnswer, "x"},
        {"plain, disabled, cleared", nullptr, false, WM_CLEAR, 0, kAnyAnswer, ""},
        {"enabled look, disabled: a label to the dialog", EnabledLookProc, false, WM_GETDLGCODE, 0, DLGC_STATIC, runde},
        {"enabled look, disabled: no focus", EnabledLookProc, false, WM_SETFOCUS, 0, 0, runde},
        {"read-only look, disabled, typed", ReadOnlyLookProc, false, WM_CHAR, 'x', 0, runde},
        {"read-only look, disabled, Delete", ReadOnlyLookProc, false, WM_KEYDOWN, VK_DELETE, 0, runde},
        {"read-only look, disabled, Backspace", ReadOnlyLookProc, false, WM_KEYDOWN, VK_BACK, 0, runde},
        {"read-only look, disabled, cut", ReadOnlyLookProc, false, WM_CUT, 0, 0, runde},
        {"read-only look, disabled, cleared", ReadOnlyLookProc, false, WM_CLEAR, 0, 0, runde},
        {"read-only look, disabled, pasted", ReadOnlyLookProc, false, WM_PASTE, 0, 0, runde},
        {"read-only look, enabled: arrows only", ReadOnlyLookProc, true, WM_GETDLGCODE, 0, DLGC_WANTARROWS, runde},
        {"read-only look, enabled, typed", ReadOnlyLookProc, true, WM_CHAR, 'x', kAnyAnswer, "x"},
        {"read-only look, enabled, cleared", ReadOnlyLookProc, true, WM_CLEAR, 0, kAnyAnswer, ""},
    };
    int id = 400;
    for (const LookCase& c : cases) {
        HWND edit = Make("EDIT", 0, ++id);
        SetWindowTextA(edit, runde.c_str());
        if (c.proc)
            AttachSubclass(edit, c.proc);
        EnableWindow(edit, c.enabled);
        SetClipboardText("Ärger", 5);
        parent.ClearLog();
        SendMessageA(edit, EM_SETSEL, 0, -1);
        LRESULT answer = SendMessageA(edit, c.message, c.wParam, 0);
        if (c.answer != kAnyAnswer) {
            EXPECT_EQ(answer, c.answer) << c.name;
        }
        EXPECT_EQ(Text(edit), c.text) << c.name;
        if (c.message == WM_SETFOCUS) {
            EXPECT_TRUE(parent.Log().empty()) << c.name << ": the edit told its parent of a focus it never took";
        }
        DestroyWindow(edit);
    }

    // The looks themselves: dark text where the plain disabled edit greys it.
    const std::pair<WNDPROC, Look> looks[] = {
        {nullptr, Look::kGrey}, {EnabledLookProc, Look::kEnabled}, {ReadOnlyLookProc, Look::kEnabled}};
    winharness::NotifyParent shown{320, 240, true};
    auto Make = [&](const char* cls, DWORD style, int id) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 30, shown.Handle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    };
    HWND reference = Make("EDIT", 0, 450);
    SetWindowTextA(reference, runde.c_str());
    winharness::PumpUntilIdle(300);
    const size_t enabledDark = DarkPixels(reference);
    ASSERT_GT(enabledDark, 20u);
    for (const auto& look : looks) {
        HWND edit = Make("EDIT", 0, 451);
        SetWindowTextA(edit, runde.c_str());
        if (look.first)
            AttachSubclass(edit, look.first);
        EnableWindow(edit, FALSE);
        winharness::PumpUntilIdle(300);
        const size_t dark = DarkPixels(edit);
        if (look.second == Look::kEnabled) {
            EXPECT_GE(dark * 2, enabledDark) << "dark pixels " << dark << " of " << enabledDark;
        } else {
            EXPECT_LT(dark * 4, enabledDark) << "dark pixels " << dark << " of " << enabledDark;
        }
        DestroyWindow(edit);
    }
}

// With an entry selected the text goes back to the entry, the selection in
// the edit stays where it was; without one nothing changes.
TEST_F(EditExtensions, ComboEditTextReturnsToTheSelectedEntry)
{
    const struct {
        int selected;
        std::string typed;
        std::string text;
    } cases[] = {
        {1, "Bergem", "Berge mit Leerzeichen"},
        {0, "Alpen", "Allgäu.gpx"},
        {-1, "getippt", "getippt"},
    };
    for (const auto& c : cases) {
        HWND combo = Make("COMBOBOX", CBS_DROPDOWN, 500);
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        FillListFromText(combo, "Allgäu.gpx;Berge mit Leerzeichen", ';', true);
        SendMessageA(combo, CB_SETCURSEL, WPARAM(c.selected), 0);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed.c_str()));
        SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(2, 4));
        RestoreComboEditSel(combo);
        EXPECT_EQ(Text(edit), c.text) << c.typed;
        EXPECT_EQ(SendMessageA(combo, CB_GETEDITSEL, 0, 0), LRESULT(MAKELONG(2, 4))) << c.typed;
        DestroyWindow(combo);
    }
}

}  // namespace
