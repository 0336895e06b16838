// Shared by the canvas window tests: a canvas with its protected state in
// reach, a parent window, and reading back what the canvas shows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/winharness/message_pump.h"
#include "tests/winharness/notify_parent.h"
#include "tests/winharness/screenshot.h"
#include "ui/canvas/bitmap_wnd.h"

namespace canvas_test {

class TestCanvas : public CBitmapWnd {
public:
    using CBitmapWnd::m_center;
    using CBitmapWnd::m_dcMemory;
    using CBitmapWnd::m_dibSection;
    using CBitmapWnd::m_nLockCount;
    using CBitmapWnd::m_nScreenBits;
    using CBitmapWnd::m_sizeMax;
    using CBitmapWnd::m_sizeMin;
};

// One comparable form per kind of result.
inline std::vector<LONG> Fields(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline std::vector<LONG> Fields(POINT p) { return {p.x, p.y}; }
inline std::vector<int> Fields(const SCROLLINFO& i) { return {i.nMin, i.nMax, int(i.nPage), i.nPos}; }
inline uint32_t PixelAt(const CGraphicsImage& image, int x, int y)
{
    return image.m_pfnGetPixel(image.RowAt(y), x) & 0xFFFFFF;
}
inline SCROLLINFO ScrollInfo(HWND wnd, int bar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    EXPECT_TRUE(GetScrollInfo(wnd, bar, &info));
    return info;
}

constexpr UINT kCanvasId = 300;
constexpr COLORREF kBackground = RGB(0x10, 0x20, 0x30);  // COLORREF: red in the low byte
constexpr uint32_t kBackgroundPixel = 0x102030;          // as the image and the screenshot see it

// A visible parent with a borderless canvas child whose client area is
// width x height before any scroll bar.
struct CanvasFixture {
    winharness::NotifyParent parent{800, 600};
    std::unique_ptr<TestCanvas> canvas = std::make_unique<TestCanvas>();

    bool Create(DWORD options, int width, int height, int screenBits = 0)
    {
        if (screenBits)
            canvas->m_nScreenBits = uint32_t(screenBits);
        canvas->m_rgbBackground = kBackground;
        const RECT rect = {0, 0, width, height};
        const bool created = canvas->Create(0, WS_CHILD | WS_VISIBLE | options, rect,
                                            CWnd::FromHandle(parent.Handle()), kCanvasId) != FALSE;
        winharness::PumpUntilIdle();
        return created;
    }
    void Resize(int width, int height)
    {
        SetWindowPos(canvas->m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    winharness::Screenshot Shot()
    {
        winharness::PumpUntilIdle();
        winharness::Screenshot shot;
        EXPECT_TRUE(winharness::CaptureWindow(canvas->m_hWnd, &shot));
        return shot;
    }
    // Paints every pixel of the picture with a colour made from its position.
    void PaintGradient()
    {
        CGraphicsImage& image = *canvas->m_pImage;
        for (uint32_t y = 0; y < image.m_nHeight; ++y)
            for (uint32_t x = 0; x < image.m_nWidth; ++x)
                image.m_pfnSetPixel(image.RowAt(int(y)), int(x), GradientPixel(int(x), int(y)));
    }
    static uint32_t GradientPixel(int x, int y) { return (uint32_t(x & 0xFF) << 16) | (uint32_t(y & 0xFF) << 8) | 0x40; }
};

}  // namespace canvas_test
