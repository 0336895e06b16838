// The canvas window's mouse, wheel and cursor handling under Wine.
#include <vector>

#include "tests/canvas/canvas_test_support.h"

namespace {

using canvas_test::CanvasFixture;

struct Forwarded {
    UINT message;
    UINT keys;
    int x, y;
    bool operator==(const Forwarded&) const = default;
};

void RecordMessage(uintptr_t context, UINT message, UINT keys, int x, int y)
{
    reinterpret_cast<std::vector<Forwarded>*>(context)->push_back(Forwarded{message, keys, x, y});
}

struct InputFixture : CanvasFixture {
    std::vector<Forwarded> received;

    void SetUp(bool withCallback = true)
    {
        ASSERT_TRUE(Create(BWS_FIXEDSIZE, 300, 200));
        ASSERT_TRUE(canvas->SetBufferSize(1000, 1000));
        if (withCallback)
            canvas->SetMessageProc(&RecordMessage, reinterpret_cast<uintptr_t>(&received));
        ASSERT_TRUE(canvas->ScrollTo(100, 50, false));
    }
};

TEST(CanvasInputTest, MouseMessagesArriveInPictureCoordinates)
{
    InputFixture f;
    f.SetUp();
    EXPECT_TRUE(f.canvas->GetStyle() & CBitmapWnd::kMessageProcStyle);
    for (UINT message = WM_MOUSEMOVE; message <= WM_MBUTTONDBLCLK; ++message)
        f.canvas->SendMessage(message, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20));
    ASSERT_EQ(f.received.size(), size_t(WM_MBUTTONDBLCLK - WM_MOUSEMOVE + 1));
    for (size_t i = 0; i < f.received.size(); ++i)  // client (10, 20) + scroll (100, 50)
        EXPECT_TRUE(f.received[i] == (Forwarded{WM_MOUSEMOVE + UINT(i), MK_LBUTTON | MK_SHIFT, 110, 70})) << i;
    // Points left of and above the client area are negative.
    f.received.clear();
    f.canvas->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(-5, -7));
    ASSERT_EQ(f.received.size(), 1u);
    EXPECT_TRUE(f.received[0] == (Forwarded{WM_MOUSEMOVE, 0, 95, 43}));
    // Other messages are not forwarded.
    f.received.clear();
    f.canvas->SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(f.received.empty());
}

TEST(CanvasInputTest, WheelCarriesTheDeltaAndAClientPoint)
{
    InputFixture f;
    f.SetUp();
    POINT screen = {10, 20};
    ClientToScreen(f.canvas->m_hWnd, &screen);
    const short delta = -240;
    const LRESULT result = f.canvas->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WORD(delta)),
                                                 MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(result, TRUE);
    ASSERT_EQ(f.received.size(), 1u);
    EXPECT_TRUE(f.received[0] == (Forwarded{WM_MOUSEWHEEL, (UINT(WORD(delta)) << 16) | MK_CONTROL, 110, 70}));
}

TEST(CanvasInputTest, WithoutACallbackMessagesAreIgnored)
{
    InputFixture f;
    f.SetUp(false);
    EXPECT_FALSE(f.canvas->GetStyle() & CBitmapWnd::kMessageProcStyle);
    EXPECT_EQ(f.canvas->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1)), 0);
    EXPECT_EQ(f.canvas->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0), 0);
}

TEST(CanvasCursorTest, CanvasCursorOnlyOverTheClientArea)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(BWS_FIXEDSIZE | BWS_HSCROLL | BWS_HSCROLLALWAYS, 300, 200));
    ASSERT_TRUE(f.canvas->SetBufferSize(1000, 100));
    const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    const HCURSOR cross = LoadCursor(nullptr, IDC_CROSS);
    EXPECT_EQ(f.canvas->SetCursor(cross), arrow) << "the previous cursor";
    EXPECT_EQ(GetCursor(), cross);
    EXPECT_EQ(f.canvas->SetCursor(nullptr), cross) << "null changes nothing";

    const HWND wnd = f.canvas->m_hWnd;
    ::SetCursor(arrow);
    EXPECT_EQ(f.canvas->SendMessage(WM_SETCURSOR, WPARAM(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), cross);

    ::SetCursor(arrow);
    f.canvas->SendMessage(WM_SETCURSOR, WPARAM(wnd), MAKELPARAM(HTHSCROLL, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), cross) << "not over the canvas's own scroll bar";

    ::SetCursor(arrow);
    EXPECT_EQ(f.canvas->SendMessage(WM_SETCURSOR, WPARAM(f.parent.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              FALSE);
    EXPECT_EQ(GetCursor(), arrow);
}

}  // namespace
