// CDC under Wine: memory contexts, window origin, copies and fills.
#include <gtest/gtest.h>

#include "platform/framework/dc.h"
#include "tests/winharness/screenshot.h"

namespace {

// A 32-bit top-down DIB section selected into a memory DC.
class DibSurface {
public:
    DibSurface(int width, int height) : m_width(width)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        dc.CreateCompatibleDC(nullptr);
        m_previous = dc.SelectObject(m_bitmap);
    }
    ~DibSurface()
    {
        dc.SelectObject(m_previous);
        dc.DeleteDC();
        DeleteObject(m_bitmap);
    }
    uint32_t At(int x, int y) const
    {
        GdiFlush();
        return m_bits[y * m_width + x] & 0xFFFFFF;
    }

    CDC dc;

private:
    int m_width;
    uint32_t* m_bits = nullptr;
    HBITMAP m_bitmap;
    HBITMAP m_previous;
};

TEST(DcTest, FillsAndCopiesInLogicalCoordinates)
{
    DibSurface target(40, 30);
    DibSurface source(10, 10);
    ASSERT_NE(target.dc.m_hDC, nullptr);
    target.dc.SetBkColor(RGB(1, 2, 3));
    target.dc.FillSolidRect(RECT{0, 0, 40, 30}, RGB(255, 255, 255));
    source.dc.FillSolidRect(RECT{0, 0, 10, 10}, RGB(0, 0, 255));
    EXPECT_EQ(target.dc.GetBkColor(), RGB(1, 2, 3)) << "FillSolidRect restores the colour";

    // With the origin moved by (5, 5), logical (5, 5) is device (0, 0).
    const POINT before = target.dc.OffsetWindowOrg(5, 5);
    EXPECT_EQ(before.x, 0);
    EXPECT_EQ(target.dc.GetWindowOrg().x, 5);
    EXPECT_TRUE(target.dc.BitBlt(10, 10, 10, 10, &source.dc, 0, 0, SRCCOPY));
    target.dc.SetBkColor(RGB(255, 0, 0));
    const RECT red = {5, 5, 7, 7};
    EXPECT_TRUE(target.dc.ExtTextOut(0, 0, ETO_OPAQUE, &red, nullptr, 0));
    target.dc.SetWindowOrg(0, 0);

    for (const auto& [xy, colour] : {std::pair{0, 0xFF0000u}, {1, 0xFF0000u}, {2, 0xFFFFFFu}, {5, 0x0000FFu},
                                     {14, 0x0000FFu}, {15, 0xFFFFFFu}})
        EXPECT_EQ(target.At(xy, xy), colour) << xy;
}

TEST(DcTest, OwnsWhatItCreatesAndBorrowsTheRest)
{
    HDC made;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        EXPECT_FALSE(dc.CreateCompatibleDC(nullptr)) << "already holds one";
        made = dc.m_hDC;
        EXPECT_NE(GetObjectType(made), 0u);
    }
    EXPECT_EQ(GetObjectType(made), 0u) << "deleted with the object";

    const HDC screen = GetDC(nullptr);
    {
        CDC borrowed;
        ASSERT_TRUE(borrowed.Attach(screen));
        EXPECT_GT(borrowed.GetDeviceCaps(BITSPIXEL), 0);
        EXPECT_EQ(borrowed.Detach(), screen);
    }
    EXPECT_NE(GetObjectType(screen), 0u) << "a detached context stays";
    ReleaseDC(nullptr, screen);

    CWnd* desktop = CWnd::GetDesktopWindow();
    CDC* client = desktop->GetDC();
    ASSERT_NE(client, nullptr);
    EXPECT_GT(client->GetDeviceCaps(BITSPIXEL), 0);
    EXPECT_EQ(desktop->ReleaseDC(client), 1);
}

}  // namespace
