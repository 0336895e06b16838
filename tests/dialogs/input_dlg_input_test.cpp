// The text and number input dialogs under real keyboard and mouse input:
// typing, Tab, Enter, Escape and Alt+F4 as a user reaches them, and where
// a widened dialog lies on the screen.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/dialogs/dialog_input_script.h"
#include "tests/winharness/screenshot.h"
#include "ui/dialogs/input_dlg.h"
#include "ui/dialogs/input_dlg_logic.h"

namespace {

using dialog_input::Action;
using dialog_input::ClickOn;
using dialog_input::DialogScript;
using dialog_input::Press;
using dialog_input::TextOf;
using dialog_input::Typing;
using winharness::ModalDriver;

// The edit's whole text selected from the keyboard.
const std::vector<Action> kSelectAll = {Press(VK_HOME), Press(VK_END, winharness::kShift)};

std::vector<Action> Then(std::vector<Action> first, const std::vector<Action>& more)
{
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// Runs the dialog: the actions, a look at the edit, then the last action,
// which ends the dialog. The edit's text before the end.
INT_PTR Play(CDialog& dialog, const std::vector<Action>& actions, const Action& last, std::string* shown,
             const std::string& shot = "")
{
    INT_PTR result = 0;
    ModalDriver driver;
    DialogScript script(driver);
    script.Do(actions).Look([&](HWND top) {
        *shown = TextOf(GetDlgItem(top, kInputEditId));
        winharness::Screenshot picture;
        if (!shot.empty() && winharness::CaptureWindow(top, &picture, false))
            winharness::SavePicture(picture, shot + ".png");
    });
    script.Finally(last);
    driver.Run([&] { result = dialog.DoModal(); });
    return result;
}

struct TextRow {
    const char* name;
    int password;
    std::vector<Action> actions;
    Action last;
    INT_PTR result;
    const char* text;  // GetText afterwards
};

// Rows print as their names in test names and failures.
void PrintTo(const TextRow& row, std::ostream* os)
{
    *os << row.name;
}

const TextRow kTextRows[] = {
    {"TypeOverTheTextEnter", 0, Then(kSelectAll, {Typing("Gipfelkreuz Höllental")}), Press(VK_RETURN), IDOK,
     "Gipfelkreuz Höllental"},
    {"TypeAfterTheTextTabToOkSpace", 0, {Press(VK_END), Typing("e Mühle"), Press(VK_TAB)}, Press(VK_SPACE), IDOK,
     "alte Mühle"},
    {"TypeEscape", 0, {Typing("neu")}, Press(VK_ESCAPE), IDCANCEL, "alt"},
    {"TabTwiceToAbbrechenEnter", 0, {Typing("neu"), Press(VK_TAB), Press(VK_TAB)}, Press(VK_RETURN), IDCANCEL, "alt"},
    {"ShiftTabToAbbrechenEnter", 0, {Typing("neu"), Press(VK_TAB, winharness::kShift)}, Press(VK_RETURN), IDCANCEL,
     "alt"},
    {"TypeAltF4", 0, {Typing("neu")}, Press(VK_F4, winharness::kAlt), IDCANCEL, "alt"},
    {"TypeClickOk", 0, Then(kSelectAll, {Typing("Hütte")}), ClickOn(IDOK), IDOK, "Hütte"},
    {"PasswordTypeEnter", 1, Then(kSelectAll, {Typing("geheim")}), Press(VK_RETURN), IDOK, "geheim"},
};

class InputDialogRealInput : public testing::TestWithParam<TextRow> {};

TEST_P(InputDialogRealInput, Row)
{
    const TextRow& row = GetParam();
    CInputDlg dialog(nullptr, row.password);
    dialog.SetTitle("Wegpunkt setzen");
    dialog.SetPrompt("Name :");
    dialog.SetText("alt");
    std::string shown;
    EXPECT_EQ(Play(dialog, row.actions, row.last, &shown), row.result);
    EXPECT_EQ(std::string(dialog.GetText()), row.text);
    if (row.password) {  // typed, but not shown
        EXPECT_EQ(shown.size(), 6u);
    }
}
INSTANTIATE_TEST_SUITE_P(Rows, InputDialogRealInput, testing::ValuesIn(kTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct NumberRow {
    const char* name;
    std::vector<Action> actions;
    Action last;
    INT_PTR result;
    int32_t number;  // after the run; 7 before it
};

// Rows print as their names in test names and failures.
void PrintTo(const NumberRow& row, std::ostream* os)
{
    *os << row.name;
}

const NumberRow kNumberRows[] = {
    {"HexSuffixEnter", Then(kSelectAll, {Typing("1Fh")}), Press(VK_RETURN), IDOK, 31},
    {"NegativeBinaryEnter", Then(kSelectAll, {Typing("-0b101")}), Press(VK_RETURN), IDOK, -5},
    {"OctalTabToOkEnter", Then(kSelectAll, {Typing("17o"), Press(VK_TAB)}), Press(VK_RETURN), IDOK, 15},
    {"NoDigitsEnter", Then(kSelectAll, {Typing("xyz")}), Press(VK_RETURN), IDOK, 0},
    {"TypeEscape", Then(kSelectAll, {Typing("99")}), Press(VK_ESCAPE), IDCANCEL, 7},
};

class InputNumberRealInput : public testing::TestWithParam<NumberRow> {};

TEST_P(InputNumberRealInput, Row)
{
    const NumberRow& row = GetParam();
    CInputNumDlg dialog;
    dialog.SetTitle("Zahl eingeben");
    dialog.SetPrompt("Dezimal, 0x1F, 1Fh, 17o oder 101b :");
    dialog.m_width = 177;
    dialog.m_number = 7;
    std::string shown;
    EXPECT_EQ(Play(dialog, row.actions, row.last, &shown, std::string("inputnum_") + row.name), row.result);
    EXPECT_EQ(dialog.GetNumber(), row.number);
}
INSTANTIATE_TEST_SUITE_P(Rows, InputNumberRealInput, testing::ValuesIn(kNumberRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
