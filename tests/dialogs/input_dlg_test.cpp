// The text input dialogs under Wine, driven by the modal driver.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/winharness/modal_driver.h"
#include "ui/dialogs/input_dlg.h"
#include "ui/dialogs/input_dlg_logic.h"

namespace {

using winharness::ModalDriver;


// What a run of the dialog showed; rectangles relative to the window's left.
struct Seen {
    std::string title, prompt, edit;
    bool password, editFirstInTabOrder, focusInEdit;
    LONG marker;
    int width, editWidth, promptWidth, editLeft, promptLeft, okLeft, cancelLeft;
};

std::string Text(HWND wnd)
{
    return std::string(GetControlText(wnd));
}

// Runs the dialog: reads what it shows, types the text, presses the button.
INT_PTR Drive(CDialog& dialog, Seen* seen, const char* typed, int button)
{
    ModalDriver driver;
    DWORD start = GetTickCount();
    driver.Then([&](ModalDriver& d) {
        // Other test programs on the display may delay the activation.
        const HWND top = d.TopDialog();
        if (!winharness::ShownAndActive(top, start))
            return false;
        const HWND edit = GetDlgItem(top, kInputEditId), prompt = GetDlgItem(top, kInputPromptId);
        RECT r[5];
        for (int i = 0; const HWND wnd : {top, edit, prompt, GetDlgItem(top, IDOK), GetDlgItem(top, IDCANCEL)})
            GetWindowRect(wnd, &r[i++]);
        *seen = Seen{Text(top), Text(prompt), Text(edit), (GetWindowLongA(edit, GWL_STYLE) & ES_PASSWORD) != 0,
                     GetNextDlgTabItem(top, nullptr, FALSE) == edit, GetFocus() == edit, GetWindowLongA(top, GWL_USERDATA),
                     int(r[0].right - r[0].left), int(r[1].right - r[1].left), int(r[2].right - r[2].left),
                     int(r[1].left - r[0].left), int(r[2].left - r[0].left), int(r[3].left - r[0].left),
                     int(r[4].left - r[0].left)};
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
    int passwordTemplate, passwordAtRun, focus;
    const char *title, *prompt, *typed;
    int button;
    const char *expectTitle, *expectText;
};
const TextCase kTextCases[] = {
    {"Plain", 0, 0, 1, "Wegpunkt setzen", "Name :", "Gipfel", IDOK, "Wegpunkt setzen", "Gipfel"},
    {"EmptyCaptionKeepsTemplate", 0, 0, 0, "", "", "x", IDOK, "Dateinamen eingeben", "x"},
    {"CancelKeepsText", 0, 0, 0, "Test URL", "Das ist eine Beispiel URL :", "neu", IDCANCEL, "Test URL", "alt"},
    {"PasswordTemplate", 1, 0, 1, "Kennwort", "", "geheim", IDOK, "Kennwort", "geheim"},
    {"PasswordAtRun", 0, 1, 1, "Kennwort", "", "geheim", IDOK, "Kennwort", "geheim"},
};

class InputDialogText : public testing::TestWithParam<TextCase> {};

TEST_P(InputDialogText, ShowsSettingsAndReturnsTheText)
{
    const TextCase& c = GetParam();
    CInputDlg dialog(nullptr, c.passwordTemplate);
    dialog.m_password = c.passwordAtRun;
    dialog.m_focus = c.focus;
    dialog.SetTitle(c.title);
    dialog.SetPrompt(c.prompt);
    dialog.SetText("alt");
    Seen seen;
    EXPECT_EQ(Drive(dialog, &seen, c.typed, c.button), c.button);
    EXPECT_EQ(std::make_tuple(seen.title, seen.prompt, seen.edit, std::string(dialog.GetText())),
              std::make_tuple(c.expectTitle, c.prompt, "alt", c.expectText));
    EXPECT_EQ(seen.marker, kInputDlgMarker);
    EXPECT_EQ(seen.password, c.passwordTemplate || c.passwordAtRun);
    EXPECT_TRUE(seen.focusInEdit || !c.focus);
    // A replaced edit keeps its place: first in the tab order, same rectangle.
    EXPECT_TRUE(seen.editFirstInTabOrder);
    EXPECT_EQ(std::make_tuple(seen.editLeft, seen.editWidth), std::make_tuple(seen.promptLeft, seen.promptWidth));
}
INSTANTIATE_TEST_SUITE_P(Cases, InputDialogText, testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InputDialog, WidthOptionGrowsEditAndPromptAndMovesTheButtonsOnce)
{
    CInputDlg plain;
    Seen base;
    Drive(plain, &base, nullptr, IDCANCEL);
    // option, expected change as a fraction of the width
    const std::tuple<int, int, int> cases[] = {
        {int(kInputWidthMarker + 708), 1, 1}, {177, 1, 2}, {-177, -1, 2}, {0, 0, 1}, {int(kInputWidthMarker), 0, 1}};
    for (const auto& [option, numerator, denominator] : cases) {
        CInputDlg dialog;
        dialog.m_width = option;
        const int change = base.width * numerator / denominator;
        for (int run = 0; run < 2; ++run) {  // a second run does not grow again
            Seen seen;
            Drive(dialog, &seen, nullptr, IDCANCEL);
            EXPECT_EQ(std::make_tuple(seen.width, seen.editWidth, seen.promptWidth, seen.okLeft, seen.cancelLeft),
                      std::make_tuple(base.width + change, base.editWidth + change, base.promptWidth + change,
                                      base.okLeft + change, base.cancelLeft + change))
                << option << " run " << run;
            EXPECT_EQ(std::make_tuple(dialog.m_width, dialog.m_widthChange), std::make_tuple(option, change));
        }
    }
}

TEST(InputNumberDialog, OkConvertsTheTextCancelKeepsTheNumber)
{
    const std::tuple<const char*, int, int32_t> cases[] = {
        {"1Fh", IDOK, 31}, {"-2147483648", IDOK, INT32_MIN}, {"FFFFFFFFh", IDOK, -1}, {"xyz", IDOK, 0}, {"99", IDCANCEL, 7}};
    for (const auto& [typed, button, number] : cases) {
        CInputNumDlg dialog;
        dialog.m_number = 7;
        Seen seen;
        EXPECT_EQ(Drive(dialog, &seen, typed, button), button) << typed;
        EXPECT_EQ(std::make_tuple(seen.edit, seen.marker, dialog.GetNumber()),
                  std::make_tuple("0", kInputNumDlgMarker, number))
            << typed;
    }
}

}  // namespace
