// The progress dialog under real mouse and keyboard input while its worker
// runs: what each action does, and that the dialog stays until the worker
// has returned.
#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <tuple>

#include "tests/dialogs/dialog_input_script.h"
#include "tests/support/test_support.h"
#include "tests/winharness/screenshot.h"
#include "ui/dialogs/progress_dlg.h"

namespace {

using dialog_input::Action;
using dialog_input::ClickOn;
using dialog_input::DialogScript;
using dialog_input::Press;
using winharness::ModalDriver;

// Set by the test once it has looked; the worker returns then (or when the
// patience runs out, so a dialog ended too early never hangs the test).
std::atomic<bool> g_release{false};
std::atomic<bool> g_returned{false};
std::atomic<int> g_cancelCalls{0};

UINT WorkUntilReleased(CProgressDlg* dialog)
{
    dialog->SetRange(100);
    dialog->SetPos(40);
    dialog->SetText(0, "Spuren werden ausgewertet");
    lindar_test::Eventually([] { return g_release.load(); });
    g_returned = true;
    return 0;
}

// What the dialog shows after the action, while the worker still runs.
struct AfterAction {
    bool open;
    int cancelled, cancelCalls;
    bool cancelEnabled;
    bool operator==(const AfterAction&) const = default;
};

void PrintTo(const AfterAction& a, std::ostream* os)
{
    *os << "open " << a.open << ", cancelled " << a.cancelled << ", cancel calls " << a.cancelCalls
        << ", Abbrechen enabled " << a.cancelEnabled;
}

struct Row {
    const char* name;
    Action action;
    AfterAction after;
    INT_PTR result;  // of DoModal once the worker has returned
};

// Rows print as their names in test names and failures.
void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

const Row kRows[] = {
    {"ClickOnAbbrechen", ClickOn(IDCANCEL), {true, 1, 1, false}, IDCANCEL},
    {"SpaceOnTheFocusedAbbrechen", Press(VK_SPACE), {true, 1, 1, false}, IDCANCEL},
    {"Escape", Press(VK_ESCAPE), {true, 1, 1, false}, IDCANCEL},
    {"AltF4", Press(VK_F4, winharness::kAlt), {true, 1, 1, false}, IDCANCEL},
    // The dialog manager makes IDOK of it (there is no OK button): ignored.
    {"Enter", Press(VK_RETURN), {true, 0, 0, true}, IDOK},
};

class ProgressRealInput : public testing::TestWithParam<Row> {};

TEST_P(ProgressRealInput, ActionWhileTheWorkerRuns)
{
    const Row& row = GetParam();
    g_release = false;
    g_returned = false;
    g_cancelCalls = 0;
    AfterAction after{};
    bool returnedBeforeEnd = true;
    {
        CProgressDlg dialog;
        dialog.SetTitle("Fortschritt");
        dialog.SetThreadProc(&WorkUntilReleased);
        dialog.SetCancelProc([](DWORD_PTR) { ++g_cancelCalls; }, 0);
        INT_PTR result = 0;
        ModalDriver driver;
        DialogScript script(driver);
        script.Until([](HWND top) { return top && dialog_input::TextOf(GetDlgItem(top, kProgressLineId)) != ""; })
            .Do(row.action)
            .Look([&](HWND top) {
                after = {IsWindow(top) && IsWindowVisible(top), dialog.m_bCancelled.load(), g_cancelCalls.load(),
                         IsWindowEnabled(GetDlgItem(top, IDCANCEL)) != FALSE};
                winharness::Screenshot shot;
                if (winharness::CaptureWindow(top, &shot, false))
                    winharness::SavePicture(shot, std::string("progress_") + row.name + ".png");
                returnedBeforeEnd = g_returned;
                g_release = true;
            });
        driver.Run([&] { result = dialog.DoModal(); });
        g_release = true;  // a dialog that ended early lets its worker go
        EXPECT_EQ(result, row.result);
        EXPECT_TRUE(g_returned.load());  // DoModal came back after the worker
    }
    EXPECT_EQ(after, row.after);
    EXPECT_FALSE(returnedBeforeEnd);
}
INSTANTIATE_TEST_SUITE_P(Rows, ProgressRealInput, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
