// Shared by the toolbar window tests: image strips drawn at any size, a
// frame whose bars change their icon size from their context menu (as an
// application's main frame does), and reading back what a window shows.
#pragma once

#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <commctrl.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/framework/float_frame.h"
#include "platform/framework/frame.h"
#include "tests/winharness/screenshot.h"
#include "ui/toolbar/toolbar_bar.h"

namespace toolbar_test {

enum : uint16_t { kOpen = 0x9001, kSave, kPrint, kGrid, kCombo = 0x9010, kScales = 0x9020 };
constexpr UINT kComboWindow = 0x9030;
constexpr int kImages = 4;
const uint16_t kImageIds[kImages] = {kOpen, kSave, kPrint, kGrid};
constexpr int kIconSizes[3] = {16, 24, 32};
// One plain colour per picture, on the control's transparent magenta.
constexpr COLORREF kImageColours[kImages] = {RGB(230, 180, 40), RGB(40, 90, 200), RGB(200, 40, 40),
                                             RGB(30, 150, 60)};
constexpr int kScaleCount = 3;

inline uint32_t Pixel(COLORREF colour)
{
    return uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

// kImages square pictures of the size side by side, each a filled square
// with a one-pixel transparent margin.
inline HBITMAP DrawStrip(int size)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, size * kImages, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, strip);
    const RECT all = {0, 0, size * kImages, size};
    HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, key);
    DeleteObject(key);
    for (int n = 0; n < kImages; ++n) {
        const RECT picture = {n * size + 1, 1, (n + 1) * size - 1, size - 1};
        HBRUSH fill = CreateSolidBrush(kImageColours[n]);
        FillRect(dc, &picture, fill);
        DeleteObject(fill);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return strip;
}

// A frame with two docked bars (small and medium icons; the first also
// holds a combo box in a button) and a third floating beside it (large
// icons), above a white view. A bar's icon-size entry makes the frame draw
// that bar's images anew at the size and lay the bar out again. Drucken is
// disabled by the command update.
class IconFrame : public CFrameWnd {
public:
    CToolBarNew bars[3];
    CWnd view, combo;
    std::vector<UINT> commands;  // the plain commands that reached the frame, in order

    // viewOnTop: the view is made first and lies above the bars, else
    // after them and below.
    bool Build(const RECT& place, bool viewOnTop = false)
    {
        if (!Create("Symbolleiste", WS_OVERLAPPEDWINDOW | WS_VISIBLE, &place))
            return false;
        if (viewOnTop && !MakeView())
            return false;
        const uint16_t firstIds[] = {kOpen, kSave, 0, kPrint, kGrid, 0, kCombo};
        for (int n = 0; n < 3; ++n) {
            CToolBarNew& bar = bars[n];
            if (!bar.CreateEx(this, 0x1F0000 | TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP, RECT{4, 2, 0, 2},
                              AFX_IDW_TOOLBAR + UINT(n)) ||
                !(n == 0 ? bar.SetButtons(firstIds, int(std::size(firstIds))) : bar.SetButtons(kImageIds, kImages)) ||
                !SetIconSize(bar, n))
                return false;
        }
        if (!MakeCombo() || (!viewOnTop && !MakeView()))
            return false;
        RecalcLayout();
        bars[2].SetWindowText("Große Icons");
        RECT frame;
        GetWindowRect(&frame);
        FloatControlBar(&bars[2], POINT{frame.right + 8, frame.top});
        OnIdleUpdateCmdUI();
        return bars[2].IsFloating() != FALSE;
    }

    bool SetIconSize(CToolBarNew& bar, int mode)
    {
        HBITMAP strip = DrawStrip(kIconSizes[mode]);
        const BOOL set = bar.SetBitmap(strip, kIconSizes[mode], TRUE, kImageIds, kImages, 0);
        DeleteObject(strip);
        bar.iconMode = uint32_t(mode);
        bar.RecalcBar();
        return set != FALSE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const UINT id = LOWORD(wParam);
        if (HIWORD(wParam) == CN_UPDATE_COMMAND_UI && id >= kOpen && id <= kGrid) {
            reinterpret_cast<CCmdUI*>(lParam)->Enable(id != kPrint);
            return TRUE;
        }
        if (HIWORD(wParam) != 0)
            return CFrameWnd::OnCommand(wParam, lParam);
        commands.push_back(id);
        if (!lParam && id >= 0xD000 && id <= 0xD002) {
            // The bar that showed the menu has set its icon mode already.
            for (CToolBarNew& bar : bars)
                if (bar.m_hWnd && bar.iconMode == id - 0xD000)
                    SetIconSize(bar, int(id - 0xD000));
        }
        return TRUE;
    }

private:
    bool MakeView()
    {
        if (!view.CreateEx(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT,
                           RECT{0, 0, 10, 10}, this, 0xE900))
            return false;
        SetActiveView(&view);
        return true;
    }

    // Its entries carry the commands kScales, kScales + 1, ...
    bool MakeCombo()
    {
        // Made in the bar: a combo box tells the parent it was made with.
        if (!combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                            RECT{0, 0, 120, 160}, &bars[0], kComboWindow))
            return false;
        const char* scales[kScaleCount] = {"1 : 25 000", "1 : 50 000", "1 : 100 000"};
        for (int n = 0; n < kScaleCount; ++n) {
            combo.SendMessage(CB_ADDSTRING, 0, LPARAM(scales[n]));
            combo.SendMessage(CB_SETITEMDATA, WPARAM(n), LPARAM(kScales + n));
        }
        combo.SendMessage(CB_SETCURSEL, 0);
        return bars[0].AddControl(&combo, kCombo) >= 0;
    }
};

// What a window shows now; pending paints run first, nothing else.
inline winharness::Screenshot Shot(HWND wnd)
{
    winharness::Screenshot shot;
    EXPECT_TRUE(winharness::CaptureWindow(wnd, &shot));
    return shot;
}

// How many pixels of the shot have the colour.
inline int CountPixels(const winharness::Screenshot& shot, uint32_t pixel)
{
    int count = 0;
    for (uint32_t value : shot.pixels)
        count += value == pixel;
    return count;
}

// The client point in the middle of a bar's button, by index.
inline POINT ButtonCentre(CToolBarNew& bar, int index)
{
    ToolbarExButtonInfo info = ButtonInfoRequest(TBIF_SIZE | kButtonInfoByIndex);
    int x = 0;
    for (int n = 0; n < index; ++n) {
        bar.SendMessage(TB_GETBUTTONINFOA, WPARAM(n), LPARAM(&info));
        x += info.cx;
    }
    bar.SendMessage(TB_GETBUTTONINFOA, WPARAM(index), LPARAM(&info));
    // A button is its image with a border of 3 above and below.
    return POINT{x + info.cx / 2, (kIconSizes[bar.iconMode] + 6) / 2};
}

}  // namespace toolbar_test
