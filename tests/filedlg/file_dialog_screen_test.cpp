// The extended file dialogs on a small screen at a high resolution: 144 dpi
// on 800 x 600 (the program runs on a display of its own, see
// tests/CMakeLists.txt). The first size at that resolution, and the
// system's own, are larger than the screen; the dialog opens inside the
// work area with every control in it, and so does one whose remembered size
// is larger than the screen. A real click on Cancel ends each: the button
// is within the user's reach.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/filedlg/file_dialog_test_support.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/real_input.h"
#include "tests/winharness/registry_lock.h"
#include "tests/winharness/screen_fit.h"
#include "tests/winharness/screenshot.h"

namespace {

using namespace filedlg_test;
using winharness::ControlsOutside;
using winharness::Describe;
using winharness::Inside;
using winharness::InputPending;
using winharness::ModalDriver;
using winharness::Reachable;
using winharness::RealInput;
using winharness::WorkArea;

constexpr int kDpi = 144, kScreenWidth = 800, kScreenHeight = 600;

enum class Kind { kOpen, kSave };

class FileDialogScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { HookFileDialogs(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(winharness::ScreenShape(), std::make_tuple(kDpi, kScreenWidth, kScreenHeight))
            << "run by ctest: the program asks for its screen";
        char base[MAX_PATH] = "";
        GetTempPathA(sizeof base, base);
        m_folder = std::string(base) + "lindar-ofn-screen";
        CreateDirectoryA(m_folder.c_str(), nullptr);
        for (const char* name : {"alpha.gpx", "alpine.gpx"})
            std::ofstream(m_folder + "\\" + name) << "x";
    }

    // Shows the dialog and checks where it and its controls lie; `grow`
    // sizes it past the screen and cancels it by message, else the popup
    // is checked too and a click on Cancel ends the dialog. The picture
    // (when named) is the whole screen with the popup shown.
    void Show(Kind kind, bool grow, const char* picture = nullptr)
    {
        char file[MAX_PATH] = "";
        OPENFILENAMEA ofn = OpenIn(m_folder, file, sizeof file);
        RealInput input(RealInput::Pump::kNo);
        ModalDriver driver(15000);
        HWND dialog = nullptr;
        DWORD since = 0;
        driver.Then([&](ModalDriver& d) {
            dialog = ExtendedDialog(d);
            return winharness::ShownAndActive(dialog, since) && Popup(dialog) &&
                   GetFocus() == ComboEditOf(dialog);
        });
        driver.Then([&](ModalDriver&) {
            const RECT area = WorkArea(dialog);
            RECT window;
            GetWindowRect(dialog, &window);
            if (grow) {
                SetWindowPos(dialog, nullptr, 0, 0, area.right - area.left + 300, area.bottom - area.top + 200,
                             SWP_NOMOVE | SWP_NOZORDER);
                GetWindowRect(dialog, &window);
                EXPECT_GT(window.right - window.left, area.right - area.left) << "the system took the size";
                return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != FALSE;
            }
            EXPECT_TRUE(Inside(window, area)) << Describe(window) << " in " << Describe(area);
            EXPECT_EQ(ControlsOutside(dialog), std::vector<std::string>{});
            input.Park();
            input.Type("al");
            return true;
        });
        if (!grow) {
            // The popup of the typed names shows inside the work area too.
            driver.Then([&](ModalDriver&) {
                const HWND popup = Popup(dialog);
                if (InputPending() || !IsWindowVisible(popup) ||
                    PopupRows(popup) != std::vector<std::string>{"alpha.gpx", "alpine.gpx"})
                    return false;
                RECT r;
                GetWindowRect(popup, &r);
                EXPECT_TRUE(Inside(r, WorkArea(dialog))) << "popup at " << Describe(r);
                if (picture) {
                    winharness::Screenshot shot;
                    const HDC screen = GetDC(nullptr);
                    EXPECT_TRUE(winharness::CaptureDC(screen, 0, 0, kScreenWidth, kScreenHeight, &shot));
                    ReleaseDC(nullptr, screen);
                    std::string error;
                    EXPECT_TRUE(winharness::SavePicture(shot, picture, &error)) << error;
                }
                return true;
            });
            driver.Then([&](ModalDriver&) {
                const HWND cancel = GetDlgItem(dialog, IDCANCEL);
                if (!Reachable(cancel))
                    return false;
                RECT r;
                GetClientRect(cancel, &r);
                input.Click(cancel, {r.right / 2, r.bottom / 2});
                return true;
            });
        }
        BOOL chosen = TRUE;
        driver.Run([&] { chosen = kind == Kind::kOpen ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn); });
        EXPECT_FALSE(chosen) << file;
        EXPECT_EQ(CommDlgExtendedError(), 0u);
    }

    winharness::RegistryLock m_turn;  // the recent list lives in the registry
    std::string m_folder;
};

TEST_F(FileDialogScreen, FirstDialogOpensInsideTheWorkArea)
{
    Show(Kind::kOpen, false, "filedlg_144dpi_800x600_open.png");
}

// The system keeps the last size for the next dialog of the process, Open
// or Save.
TEST_F(FileDialogScreen, RememberedSizeLargerThanTheScreenOpensInside)
{
    Show(Kind::kOpen, true);
    Show(Kind::kOpen, false, "filedlg_144dpi_800x600_kept_open.png");
    Show(Kind::kSave, false, "filedlg_144dpi_800x600_kept_save.png");
}

}  // namespace
