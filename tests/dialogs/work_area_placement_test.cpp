// Dialogs that open next to the screen's edge, are widened by their width
// option or grow by lines stay inside the work area with all their buttons.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <ostream>
#include <string>

#include "tests/support/test_support.h"
#include "tests/winharness/modal_driver.h"
#include "ui/dialogs/input_dlg.h"
#include "ui/dialogs/input_dlg_logic.h"
#include "ui/dialogs/progress_dlg.h"

namespace {

using winharness::ModalDriver;

RECT WorkArea()
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT WindowRect(HWND wnd)
{
    RECT rect{};
    GetWindowRect(wnd, &rect);
    return rect;
}

// Where the dialog and its button ended up.
struct Placed {
    RECT dialog, button;
};

bool Inside(const RECT& r, const RECT& area)
{
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

std::string Describe(const RECT& r)
{
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "}";
}

// An owner whose client area starts at the point: dialogs without a place of
// their own open there.
class Owner {
public:
    explicit Owner(POINT at)
        : m_wnd(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, at.x, at.y, 40, 20, nullptr,
                                nullptr, nullptr, nullptr))
    {
        m_owner.Attach(m_wnd);
    }
    ~Owner()
    {
        m_owner.Detach();
        DestroyWindow(m_wnd);
    }
    CWnd* Get() { return &m_owner; }

private:
    HWND m_wnd;
    CWnd m_owner;
};

// Runs a dialog until `ready` holds on it, notes where it is, then ends it.
Placed Place(CDialog& dialog, int buttonId, const std::function<bool(HWND)>& ready, const std::function<void()>& end)
{
    Placed placed{};
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top || !IsWindowVisible(top) || !ready(top))
            return false;
        placed = {WindowRect(top), WindowRect(GetDlgItem(top, buttonId))};
        end();
        return true;
    });
    driver.Run([&] { dialog.DoModal(); });
    return placed;
}

Placed PlaceNumberDialog(POINT ownerAt, int widthOption)
{
    Owner owner(ownerAt);
    CInputNumDlg dialog(owner.Get());
    dialog.m_width = widthOption;
    return Place(
        dialog, IDCANCEL, [](HWND) { return true; }, [&] { dialog.EndDialog(IDCANCEL); });
}

TEST(WorkAreaPlacement, WidenedNumberDialogKeepsAbbrechenOnTheScreen)
{
    const RECT area = WorkArea();
    const int areaWidth = area.right - area.left;
    const Placed plain = PlaceNumberDialog({area.left + 10, area.top + 10}, 0);
    const int width = plain.dialog.right - plain.dialog.left;
    ASSERT_GT(width, 0);
    const struct {
        const char* what;
        POINT ownerAt;
        int option;
        int expectedWidth;
    } cases[] = {
        {"half wider, next to the right edge", {area.right - width - 10, area.top + 50}, 177, width + width / 2},
        {"twice as wide, near the bottom right", {area.right - 20, area.bottom - 10}, int(kInputWidthMarker + 708),
         2 * width},
        {"wider than the screen: as wide as the work area", {area.left + 100, area.top + 50},
         int(kInputWidthMarker) + 354 * (areaWidth / width + 1), areaWidth},
        {"not widened, at the bottom right", {area.right - 5, area.bottom - 5}, 0, width},
    };
    for (const auto& c : cases) {
        const Placed placed = PlaceNumberDialog(c.ownerAt, c.option);
        EXPECT_TRUE(Inside(placed.dialog, area)) << c.what << ": " << Describe(placed.dialog);
        EXPECT_TRUE(Inside(placed.button, area)) << c.what << ": Abbrechen at " << Describe(placed.button);
        EXPECT_EQ(placed.dialog.right - placed.dialog.left, c.expectedWidth) << c.what;
    }
}

std::atomic<bool> g_release{false};

// Asks for as many lines as its first argument word says, then waits.
UINT ShowLines(CProgressDlg* dialog)
{
    for (int line = 0; line < int(dialog->m_args[0]); ++line)
        dialog->SetText(line, ("Zeile " + std::to_string(line + 1)).c_str());
    lindar_test::Eventually([] { return g_release.load(); });
    return 0;
}

// Whether the dialog shows its last line's text.
bool LastLineShown(HWND top, int lines)
{
    const HWND line = GetDlgItem(top, kProgressLineId + lines - 1);
    return line && std::string(GetControlText(line)) == "Zeile " + std::to_string(lines);
}

// The lines a progress dialog asks for before it opens, and the lines it
// shows while it runs.
struct LineCase {
    const char* what;
    int linesBefore, lines;
};
const LineCase kLineCases[] = {
    {"one line", 1, 1},
    {"four lines asked for before it opens", 4, 4},
    {"grown to four lines while it runs", 1, 4},
};

// Runs a progress dialog until it shows its last line; where it is then.
Placed PlaceGrowing(CWnd* owner, const LineCase& c)
{
    g_release = false;
    CProgressDlg dialog(owner);
    dialog.RequestLines(c.linesBefore);
    dialog.SetThreadProc(&ShowLines, DWORD_PTR(c.lines));
    const int lines = c.lines;
    const Placed placed = Place(
        dialog, IDCANCEL, [lines](HWND top) { return LastLineShown(top, lines); }, [] { g_release = true; });
    g_release = true;
    return placed;
}

TEST(WorkAreaPlacement, ProgressDialogGrowingAtTheBottomStaysOnTheScreen)
{
    const RECT area = WorkArea();
    for (const LineCase& c : kLineCases) {
        Owner owner({area.left + 200, area.bottom - 30});
        const Placed placed = PlaceGrowing(owner.Get(), c);
        EXPECT_TRUE(Inside(placed.dialog, area)) << c.what << ": " << Describe(placed.dialog);
        EXPECT_TRUE(Inside(placed.button, area)) << c.what << ": Abbrechen at " << Describe(placed.button);
    }
}

// At the place the last dialog closed, which the rule takes though part of
// it lies off the screen, a dialog keeps its left edge, and its top unless
// it grows: then its lines and its button are kept on the work area.
TEST(WorkAreaPlacement, ProgressDialogAtItsRememberedPlaceKeepsItsLeftEdge)
{
    const RECT area = WorkArea();
    const POINT remembered = {-99, GetSystemMetrics(SM_CYSCREEN) - 101};  // the rule's far corner
    for (const LineCase& c : kLineCases) {
        g_release = false;
        CProgressDlg first;
        first.SetThreadProc(&ShowLines, 1);
        Place(
            first, IDCANCEL,
            [&](HWND top) {
                SetWindowPos(top, nullptr, remembered.x, remembered.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                return true;
            },
            [] { g_release = true; });
        const Placed placed = PlaceGrowing(nullptr, c);
        EXPECT_EQ(placed.dialog.left, remembered.x) << c.what << ": " << Describe(placed.dialog);
        if (c.lines == 1) {
            EXPECT_EQ(placed.dialog.top, remembered.y) << c.what << ": " << Describe(placed.dialog);
        } else {
            EXPECT_TRUE(placed.dialog.top >= area.top && placed.dialog.bottom <= area.bottom)
                << c.what << ": " << Describe(placed.dialog);
            EXPECT_LE(placed.button.bottom, area.bottom) << c.what << ": Abbrechen at " << Describe(placed.button);
        }
    }
}

}  // namespace
