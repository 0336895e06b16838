// The text input dialogs under Wine, driven by the modal driver.
#include <gtest/gtest.h>

#include <string>

#include "tests/winharness/modal_driver.h"
#include "ui/dialogs/input_dlg.h"
#include "ui/dialogs/input_number.h"

namespace {

using winharness::ModalDriver;

// What a run of the dialog showed and gave back.
struct Seen {
    std::string title, prompt, edit;
    bool password = false;
    bool editFirstInTabOrder = false;
    LONG marker = 0;
    HWND focus = nullptr, editWnd = nullptr;
    RECT window{}, editRect{}, promptRect{}, okRect{}, cancelRect{};
};

RECT Rect(HWND wnd)
{
    RECT rect{};
    GetWindowRect(wnd, &rect);
    return rect;
}

int Width(const RECT& r)
{
    return r.right - r.left;
}

// Runs the dialog: reads what it shows, types the text, presses the button.
INT_PTR Drive(CDialog& dialog, Seen* seen, const char* typed, int button)
{
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top || !IsWindowVisible(top))
            return false;
        char text[256];
        GetWindowTextA(top, text, sizeof text);
        seen->title = text;
        GetDlgItemTextA(top, kInputPromptId, text, sizeof text);
        seen->prompt = text;
        GetDlgItemTextA(top, kInputEditId, text, sizeof text);
        seen->edit = text;
        seen->editWnd = GetDlgItem(top, kInputEditId);
        seen->password = (GetWindowLongA(seen->editWnd, GWL_STYLE) & ES_PASSWORD) != 0;
        seen->editFirstInTabOrder = GetNextDlgTabItem(top, nullptr, FALSE) == seen->editWnd;
        seen->marker = GetWindowLongA(top, GWL_USERDATA);
        seen->focus = GetFocus();
        seen->window = Rect(top);
        seen->editRect = Rect(seen->editWnd);
        seen->promptRect = Rect(GetDlgItem(top, kInputPromptId));
        seen->okRect = Rect(GetDlgItem(top, IDOK));
        seen->cancelRect = Rect(GetDlgItem(top, IDCANCEL));
        if (typed)
            SetDlgItemTextA(top, kInputEditId, typed);
        return d.Post(button);
    });
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    return result;
}

struct TextCase {
    const char* name;
    int passwordTemplate, passwordAtRun;
    const char *title, *prompt, *typed;
    int button;
    const char *expectTitle, *expectText;
};
const TextCase kTextCases[] = {
    {"Plain", 0, 0, "Wegpunkt setzen", "Name :", "Gipfel", IDOK, "Wegpunkt setzen", "Gipfel"},
    {"EmptyCaptionKeepsTemplate", 0, 0, "", "", "x", IDOK, "Dateinamen eingeben", "x"},
    {"CancelKeepsText", 0, 0, "Test URL", "Das ist eine Beispiel URL :", "verworfen", IDCANCEL, "Test URL", "alt"},
    {"PasswordTemplate", 1, 0, "Kennwort", "", "geheim", IDOK, "Kennwort", "geheim"},
    {"PasswordAtRun", 0, 1, "Kennwort", "", "geheim", IDOK, "Kennwort", "geheim"},
};

class InputDialogText : public testing::TestWithParam<TextCase> {};

TEST_P(InputDialogText, ShowsSettingsAndReturnsTheText)
{
    const TextCase& c = GetParam();
    CInputDlg dialog(nullptr, c.passwordTemplate);
    dialog.m_bPassword = c.passwordAtRun;
    dialog.SetTitle(c.title);
    dialog.SetPrompt(c.prompt);
    dialog.SetText("alt");
    Seen seen;
    EXPECT_EQ(Drive(dialog, &seen, c.typed, c.button), c.button);
    EXPECT_EQ(seen.title, c.expectTitle);
    EXPECT_EQ(seen.prompt, c.prompt);
    EXPECT_EQ(seen.edit, "alt");
    EXPECT_EQ(std::string(dialog.GetText()), c.expectText);
    EXPECT_EQ(seen.marker, kInputDlgMarker);
    EXPECT_EQ(seen.password, c.passwordTemplate || c.passwordAtRun);
    // A replaced edit keeps its place: first in the tab order, same rectangle.
    EXPECT_TRUE(seen.editFirstInTabOrder);
    EXPECT_EQ(seen.editRect.left, seen.promptRect.left);
    EXPECT_EQ(Width(seen.editRect), Width(seen.promptRect));
}
INSTANTIATE_TEST_SUITE_P(Cases, InputDialogText, testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InputDialog, FocusFlagPutsTheFocusIntoTheEdit)
{
    CInputDlg dialog;
    dialog.m_bFocus = 1;
    HWND focus = nullptr, edit = nullptr;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top)
            return false;
        edit = GetDlgItem(top, kInputEditId);
        focus = GetFocus();
        return d.Post(IDCANCEL);
    });
    driver.Run([&] { dialog.DoModal(); });
    EXPECT_EQ(focus, edit);
}

struct WidthCase {
    int option;
    int numerator, denominator;  // the expected change as a fraction of the width
};
const WidthCase kWidthCases[] = {
    {int(kInputWidthMarker + 708), 1, 1}, {177, 1, 2}, {-177, -1, 2}, {0, 0, 1}, {int(kInputWidthMarker), 0, 1},
};

TEST(InputDialog, WidthOptionGrowsEditAndPromptAndMovesTheButtonsOnce)
{
    CInputDlg plain;
    Seen base;
    Drive(plain, &base, nullptr, IDCANCEL);
    const int width = Width(base.window);
    for (const WidthCase& c : kWidthCases) {
        CInputDlg dialog;
        dialog.m_nWidth = c.option;
        const int change = width * c.numerator / c.denominator;
        for (int run = 0; run < 2; ++run) {  // a second run does not grow again
            Seen seen;
            Drive(dialog, &seen, nullptr, IDCANCEL);
            EXPECT_EQ(Width(seen.window), width + change) << c.option << " run " << run;
            EXPECT_EQ(Width(seen.editRect), Width(base.editRect) + change) << c.option;
            EXPECT_EQ(Width(seen.promptRect), Width(base.promptRect) + change) << c.option;
            EXPECT_EQ(seen.okRect.left - seen.window.left, base.okRect.left - base.window.left + change) << c.option;
            EXPECT_EQ(seen.cancelRect.left - seen.window.left, base.cancelRect.left - base.window.left + change);
            EXPECT_EQ(dialog.m_nWidth, c.option);
            EXPECT_EQ(dialog.m_nWidthChange, change);
        }
    }
}

TEST(InputNumberDialog, OkConvertsTheTextCancelKeepsTheNumber)
{
    const struct {
        const char* typed;
        int button;
        int32_t number;
    } cases[] = {{"1Fh", IDOK, 31}, {"-2147483648", IDOK, INT32_MIN}, {"FFFFFFFFh", IDOK, -1}, {"xyz", IDOK, 0},
                 {"99", IDCANCEL, 7}};
    for (const auto& c : cases) {
        CInputNumDlg dialog;
        dialog.m_nNumber = 7;
        Seen seen;
        EXPECT_EQ(Drive(dialog, &seen, c.typed, c.button), c.button) << c.typed;
        EXPECT_EQ(seen.edit, "0");
        EXPECT_EQ(seen.marker, kInputNumDlgMarker);
        EXPECT_EQ(dialog.GetNumber(), c.number) << c.typed;
    }
}

TEST(InputDialog, TextIntoABufferIsBounded)
{
    CInputDlg dialog;
    dialog.SetText("Wegpunkt");
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(dialog.GetText(buffer, 0), 0);
    EXPECT_STREQ(buffer, "xxxxxxx");
    EXPECT_EQ(dialog.GetText(buffer, 3), 2);
    EXPECT_STREQ(buffer, "We");
}

}  // namespace
