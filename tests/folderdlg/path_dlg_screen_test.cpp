// The folder dialog on a small screen at a high resolution: 144 dpi on
// 800 x 600 (the program runs on a display of its own, see
// tests/CMakeLists.txt). The template's size at that resolution is higher
// than the screen; the dialog opens at the work area's size with every
// control inside it, in both views, and so does a dialog whose kept size
// is larger than the screen.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "system/path_text.h"
#include "tests/folderdlg/path_dlg_test_support.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/registry_lock.h"
#include "tests/winharness/screen_fit.h"
#include "tests/winharness/screenshot.h"
#include "ui/folderdlg/path_dlg.h"

namespace {

using winharness::ControlsOutside;
using winharness::Describe;
using winharness::Inside;
using winharness::ModalDriver;
using winharness::WorkArea;

constexpr int kDpi = 144, kScreenWidth = 800, kScreenHeight = 600;

class PathDlgScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(winharness::ScreenShape(), std::make_tuple(kDpi, kScreenWidth, kScreenHeight))
            << "run by ctest: the program asks for its screen";
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        m_folder = TrimDialogPath(std::string(temp) + "lindar-screen Karten\\Alpen");
        CreateDirectoryTreeA(m_folder.c_str());
    }

    // Opens the dialog in the view, checks where it and its controls lie;
    // `resize` (when not null) runs on the shown dialog before it closes.
    void Open(bool tree, const char* picture, const std::function<void(HWND)>& resize = nullptr)
    {
        pathdlg_test::SetMode("PathDlgTreeMode", tree ? 1 : 0);
        pathdlg_test::SetMode("PathDlgBreadCrumb", 1);
        CPathDlg dialog;
        dialog.SetPath(m_folder.c_str());
        ModalDriver driver(10000);
        winharness::Screenshot shot;
        driver
            .Then([&](ModalDriver& d) {
                const HWND dlg = d.TopDialog();
                if (!dlg || !IsWindowVisible(dlg))
                    return false;
                RECT window;
                GetWindowRect(dlg, &window);
                EXPECT_TRUE(Inside(window, WorkArea(dlg))) << Describe(window);
                EXPECT_EQ(ControlsOutside(dlg), std::vector<std::string>{}) << (tree ? "tree" : "list");
                EXPECT_TRUE(winharness::CaptureWindow(dlg, &shot, false));
                if (resize)
                    resize(dlg);
                return true;
            })
            // The first Cancel ends the path box's edit that opened with
            // the dialog.
            .Then([&](ModalDriver& d) { return d.Post(IDCANCEL) && d.Post(IDCANCEL); });
        driver.Run([&] { dialog.DoModalEx(nullptr, 3); });
        std::string error;
        EXPECT_TRUE(winharness::SavePicture(shot, picture, &error)) << error;
    }

    winharness::RegistryLock m_turn;
    std::string m_folder;
};

TEST_F(PathDlgScreen, OpensAtTheWorkAreasSizeWithEveryControlInside)
{
    Open(false, "folderdlg_144dpi_800x600_list.png");
    Open(true, "folderdlg_144dpi_800x600_tree.png");
}

// The dialog keeps its last place and size for the next one in the
// process: a size larger than the screen opens at the area's.
TEST_F(PathDlgScreen, KeptSizeLargerThanTheScreenOpensInside)
{
    Open(false, "folderdlg_144dpi_800x600_before.png", [](HWND dlg) {
        SetWindowPos(dlg, nullptr, 150, 40, 1000, 900, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT r;
        GetWindowRect(dlg, &r);
        EXPECT_GT(r.bottom, kScreenHeight) << "the kept rectangle passes the screen";
    });
    Open(false, "folderdlg_144dpi_800x600_kept.png");
}

}  // namespace
