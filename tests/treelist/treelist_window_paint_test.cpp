// Painting: into a memory DC through WM_PAINT's wParam, and a screenshot of
// a populated control with columns, check boxes and colours.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/treelist/treelist_window_fixture.h"
#include "tests/winharness/screenshot.h"

namespace treelist_window_test {
namespace {

TEST(TreeListPaint, ScreenshotOfAPopulatedControl)
{
    Fixture f(kTreeStyle | TVS_CHECKBOXES | TVS_FULLROWSELECT, 420, 260);
    f.InsertColumn(0, 180, "Name");
    f.InsertColumn(1, 90, "Größe", LVCF_FMT, 1);
    f.InsertColumn(2, 120, "Typ");
    const char* names[] = {"Ordner A", "Datei 1.txt", "Datei 2.png", "Unterordner", "Ordner B", "Bild.jpg"};
    uint32_t last = 0, folder = 0;
    for (int i = 0; i < 6; ++i) {
        const bool top = i == 0 || i == 4;
        last = f.Insert(top ? 0 : folder, names[i]);
        if (top)
            folder = last;
        f.SetText(last, top ? "" : "12 KB", 1);
        f.SetText(last, top ? "Dateiordner" : "Datei", 2);
    }
    f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(f.Next(0, TVGN_ROOT)));
    f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(folder));
    const uint32_t second = f.Next(f.Next(0, TVGN_ROOT), TVGN_CHILD);
    TVITEMA tv = {};
    tv.mask = TVIF_STATE;
    tv.hItem = TreeListHtreeOf(second);
    tv.state = INDEXTOSTATEIMAGEMASK(2);
    tv.stateMask = TVIS_STATEIMAGEMASK;
    f.SendRecord(TVM_SETITEMA, 0, &tv);
    f.Send(TLM_SETITEMTEXTCOLOR, second | (2u << 24), RGB(200, 0, 0));
    f.Send(TLM_SETITEMBKCOLOR, folder | (1u << 24), RGB(255, 240, 200));
    f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(second));
    SetFocus(f.tl);
    winharness::PumpUntilIdle(500);
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(f.parent.Handle(), &shot));
    std::string error;
    const std::string path = lindar_test::TempDir() + "/treelist_populated.png";
    EXPECT_TRUE(winharness::SavePng(shot, path, &error)) << error;
    std::printf("screenshot: %s\n", path.c_str());
}

}  // namespace
}  // namespace treelist_window_test
