// The toolbar bars driven by a real mouse and keyboard, one table of
// (action, expected result): button clicks, the combo box in a button, the
// context menu and its icon sizes, the floating bar and its frame.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/toolbar/toolbar_test_support.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/popup_menu_reader.h"
#include "tests/winharness/real_input.h"

namespace {

using namespace toolbar_test;
using winharness::RealInput;

constexpr uint32_t kWhite = 0xFFFFFF;
// Button indexes of the first bar (separators count).
constexpr int kFirstOpen = 0, kFirstSave = 1, kFirstPrint = 3, kFirstCombo = 6;

// The rows reach into the fixture: everything is public. The parameter puts
// the view above the bars (made first), else below them.
class ToolbarRealInput : public testing::TestWithParam<bool> {
public:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Build(RECT{60, 60, 700, 380}, GetParam()));
        app.m_pMainWnd = &frame;
        winharness::PumpUntilIdle();
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        frame.DestroyWindow();
    }
    CToolBarNew& Bar(int n) { return frame.bars[n]; }
    HWND Floating() { return Bar(2).GetFloatingFrame() ? Bar(2).GetFloatingFrame()->m_hWnd : nullptr; }
    // A right click on the bar, answered by a click on the entry.
    void Choose(int bar, const char* entry)
    {
        // A click, not keys: the menu opens under the pointer, and the
        // pointer's move onto the menu's edge may clear a selection the keys
        // have made.
        winharness::PopupMenuReader clicker(entry, 3000, winharness::PopupMenuReader::Answer::kClick);
        input.RightClick(Bar(bar).m_hWnd, {Right(bar) - 4, 4});
        ASSERT_TRUE(clicker.Picked()) << "no menu with the entry opened";
        // The test program's string 0x4001 names the first two entries.
        const std::vector<std::string> texts = {"Klein", "Mittel", "Große Icons", "", "Flache Symbolleiste", "",
                                                "ausblenden"};
        EXPECT_EQ(clicker.Texts(), texts);
    }
    int Right(int bar)
    {
        RECT client;
        Bar(bar).GetClientRect(&client);
        return client.right;
    }

    CWinApp app;
    IconFrame frame;
    RealInput input;
};

// Every picture of the bar's enabled buttons shows whole at the bar's icon
// size (Drucken is drawn greyed).
testing::AssertionResult ShowsPictures(CToolBarNew& bar)
{
    const winharness::Screenshot shot = Shot(bar.m_hWnd);
    const int side = kIconSizes[bar.iconMode] - 2;
    for (int n : {0, 1, 3}) {
        const int count = CountPixels(shot, Pixel(kImageColours[n]));
        if (count != side * side)
            return testing::AssertionFailure() << "bar " << bar.GetDlgCtrlID() - AFX_IDW_TOOLBAR << " picture " << n
                                               << ": " << count << " pixels, not " << side * side;
    }
    return testing::AssertionSuccess();
}

// The view shows white only: nothing of a bar was left in it.
testing::AssertionResult ViewIsWhite(IconFrame& frame)
{
    const winharness::Screenshot shot = Shot(frame.view.m_hWnd);
    const int other = shot.width * shot.height - CountPixels(shot, kWhite);
    if (other)
        return testing::AssertionFailure() << other << " pixels of the view are not white";
    return testing::AssertionSuccess();
}

// The docked bars sit one below the other from the top, the view below
// them, every visible one showing what it should.
testing::AssertionResult DockedAsShown(IconFrame& frame)
{
    int top = 0;
    for (CToolBarNew& bar : frame.bars) {
        if (bar.IsFloating() || !(bar.GetStyle() & WS_VISIBLE))
            continue;
        RECT rect;
        bar.GetWindowRect(&rect);
        frame.ScreenToClient(&rect);
        if (rect.top != top)
            return testing::AssertionFailure() << "a bar at " << rect.top << ", not " << top;
        if (testing::AssertionResult shows = ShowsPictures(bar); !shows)
            return shows;
        top = rect.bottom;
    }
    RECT view;
    frame.view.GetWindowRect(&view);
    frame.ScreenToClient(&view);
    if (view.top != top)
        return testing::AssertionFailure() << "the view at " << view.top << ", not " << top;
    return ViewIsWhite(frame);
}

struct ToolbarRow {
    const char* action;
    std::function<void(ToolbarRealInput&)> act;
    std::vector<UINT> commands;  // the plain commands the frame gets, in order
    std::function<testing::AssertionResult(ToolbarRealInput&)> check;  // what else holds after it
};

TEST_P(ToolbarRealInput, ButtonsComboMenuAndFloatingBar)
{
    const auto docked = [](ToolbarRealInput& t) { return DockedAsShown(t.frame); };
    const ToolbarRow rows[] = {
        {"click Öffnen", [](ToolbarRealInput& t) { t.input.Click(t.Bar(0).m_hWnd, ButtonCentre(t.Bar(0), kFirstOpen)); },
         {kOpen}, docked},
        {"click the disabled Drucken",
         [](ToolbarRealInput& t) { t.input.Click(t.Bar(0).m_hWnd, ButtonCentre(t.Bar(0), kFirstPrint)); }, {},
         docked},
        {"press Speichern, release over the view",
         [](ToolbarRealInput& t) {
             t.input.Drag(t.Bar(0).m_hWnd, ButtonCentre(t.Bar(0), kFirstSave), {ButtonCentre(t.Bar(0), kFirstSave).x, 90});
         },
         {}, docked},
        {"click Raster on the floating bar",
         [](ToolbarRealInput& t) { t.input.Click(t.Bar(2).m_hWnd, ButtonCentre(t.Bar(2), 3)); }, {kGrid},
         [](ToolbarRealInput& t) {
             return IsWindowVisible(t.Floating()) ? ShowsPictures(t.Bar(2))
                                                  : testing::AssertionFailure() << "the floating bar went";
         }},
        {"combo in a button: open its list, click the last entry",
         [](ToolbarRealInput& t) {
             t.input.Click(t.frame.combo.m_hWnd, {20, 8});
             COMBOBOXINFO info = {};
             info.cbSize = sizeof info;
             ASSERT_TRUE(GetComboBoxInfo(t.frame.combo.m_hWnd, &info));
             ASSERT_TRUE(IsWindowVisible(info.hwndList));
             const int height = int(t.frame.combo.SendMessage(CB_GETITEMHEIGHT, 0));
             t.input.Click(info.hwndList, {20, height * (kScaleCount - 1) + height / 2});
         },
         {kScales + kScaleCount - 1}, docked},
        {"combo by keyboard: Up",
         [](ToolbarRealInput& t) {
             t.input.Focus(t.frame.combo.m_hWnd);
             t.input.Key(VK_UP);
         },
         {kScales + 1}, docked},
        // (Shift+F10 sends no WM_CONTEXTMENU under Wine 8.)
        {"combo focused: the menu key opens the bar's menu below it",
         [](ToolbarRealInput& t) {
             t.input.Focus(t.frame.combo.m_hWnd);
             winharness::PopupMenuReader reader;  // closes the menu
             t.input.Key(VK_APPS);
             RECT menu, combo;
             ASSERT_TRUE(reader.Place(&menu)) << "no menu opened";
             t.frame.combo.GetWindowRect(&combo);
             EXPECT_EQ(menu.left, combo.left);
             EXPECT_EQ(menu.top, combo.bottom);
         },
         {}, docked},
        {"menu of the small bar: Mittel", [](ToolbarRealInput& t) { t.Choose(0, "Mittel"); }, {0xD001}, docked},
        // Both docked bars were once left blank until the pointer passed
        // over them; the view kept pieces of a bar.
        {"menu of the medium bar: Große Icons", [](ToolbarRealInput& t) { t.Choose(1, "Große Icons"); }, {0xD002},
         docked},
        {"menu: Flache Symbolleiste is the application's", [](ToolbarRealInput& t) { t.Choose(0, "Flache Symbolleiste"); },
         {0xD003}, docked},
        {"floating bar: Alt+F4 on its frame hides it",
         [](ToolbarRealInput& t) {
             t.input.Activate(t.Floating());
             t.input.Key(VK_F4, winharness::kAlt);
         },
         {},
         [](ToolbarRealInput& t) {
             return !IsWindowVisible(t.Floating()) && t.Bar(2).IsFloating()
                        ? DockedAsShown(t.frame)
                        : testing::AssertionFailure() << "the floating frame is still shown";
         }},
        {"menu of the first bar: ausblenden", [](ToolbarRealInput& t) { t.Choose(0, "ausblenden"); }, {},
         [](ToolbarRealInput& t) {
             return !(t.Bar(0).GetStyle() & WS_VISIBLE) ? DockedAsShown(t.frame)
                                                        : testing::AssertionFailure() << "the bar is still shown";
         }},
    };
    for (const ToolbarRow& row : rows) {
        SCOPED_TRACE(row.action);
        frame.commands.clear();
        row.act(*this);
        winharness::PumpUntilIdle();  // the bar posts its controls' commands
        EXPECT_EQ(frame.commands, row.commands);
        EXPECT_TRUE(row.check(*this));
    }
}

INSTANTIATE_TEST_SUITE_P(ViewOrder, ToolbarRealInput, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "ViewAbove" : "ViewBelow"; });

}  // namespace
