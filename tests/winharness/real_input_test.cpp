// Real input reaches a window as a user's would: the messages, their order,
// their points and their key states, through the input queue.
#include <gtest/gtest.h>

#include <vector>

#include "tests/winharness/real_input.h"

namespace {

using winharness::kAlt;
using winharness::kCtrl;
using winharness::kShift;
using winharness::RealInput;

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A top-level window with double clicks that logs the input it gets.
class Recorder {
public:
    Recorder()
    {
        static const ATOM kClass = [] {
            WNDCLASSA wc = {};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = "LindarInputRecorder";
            return RegisterClassA(&wc);
        }();
        (void)kClass;
        m_wnd = CreateWindowExA(0, "LindarInputRecorder", "Input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                                200, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    }
    ~Recorder()
    {
        if (IsWindow(m_wnd))
            DestroyWindow(m_wnd);
    }
    HWND Handle() const { return m_wnd; }
    std::vector<Seen> Take(UINT first, UINT last)
    {
        std::vector<Seen> taken;
        for (const Seen& seen : m_seen)
            if (seen.message >= first && seen.message <= last)
                taken.push_back(seen);
        m_seen.clear();
        return taken;
    }
    std::vector<UINT> Messages(UINT first, UINT last)
    {
        std::vector<UINT> messages;
        for (const Seen& seen : Take(first, last))
            messages.push_back(seen.message);
        return messages;
    }
    bool closed = false;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrA(wnd, GWLP_USERDATA,
                              LONG_PTR(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        Recorder* self = reinterpret_cast<Recorder*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self) {
            self->m_seen.push_back({message, wParam, lParam});
            if (message == WM_CLOSE)
                self->closed = true;
        }
        return DefWindowProcA(wnd, message, wParam, lParam);
    }

    HWND m_wnd = nullptr;
    std::vector<Seen> m_seen;
};

constexpr POINT kAt = {100, 60};

TEST(RealInputTest, ClicksAndDoubleClicksArriveAtThePoint)
{
    Recorder window;
    RealInput input;
    ASSERT_TRUE(input.Activate(window.Handle()));
    window.Take(0, 0xFFFF);

    input.Click(window.Handle(), kAt);
    std::vector<Seen> clicks = window.Take(WM_LBUTTONDOWN, WM_LBUTTONUP);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].message, UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(clicks[0].lParam, MAKELPARAM(kAt.x, kAt.y));
    EXPECT_EQ(clicks[1].message, UINT(WM_LBUTTONUP));

    // A second single click at the same point is not a double click.
    input.Click(window.Handle(), kAt);
    EXPECT_EQ(window.Messages(WM_LBUTTONDOWN, WM_LBUTTONDBLCLK),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));

    input.DoubleClick(window.Handle(), kAt);
    EXPECT_EQ(window.Messages(WM_LBUTTONDOWN, WM_LBUTTONDBLCLK),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));

    input.RightClick(window.Handle(), {10, 20}, kCtrl);
    std::vector<Seen> right = window.Take(WM_RBUTTONDOWN, WM_RBUTTONUP);
    ASSERT_EQ(right.size(), 2u);
    EXPECT_EQ(right[0].lParam, MAKELPARAM(10, 20));
    EXPECT_TRUE(right[0].wParam & MK_CONTROL);
}

TEST(RealInputTest, DragsHoldTheButtonAndWheelNotchesArriveOneByOne)
{
    Recorder window;
    RealInput input;
    input.Activate(window.Handle());
    window.Take(0, 0xFFFF);

    input.Drag(window.Handle(), {20, 20}, {120, 70}, kShift, 4);
    std::vector<Seen> drag = window.Take(WM_MOUSEMOVE, WM_LBUTTONUP);
    ASSERT_GE(drag.size(), 6u);
    EXPECT_EQ(drag[1].message, UINT(WM_LBUTTONDOWN));
    EXPECT_TRUE(drag[1].wParam & MK_SHIFT);
    EXPECT_EQ(drag[drag.size() - 2].message, UINT(WM_MOUSEMOVE));
    EXPECT_TRUE(drag[drag.size() - 2].wParam & MK_LBUTTON) << "moves hold the button";
    EXPECT_EQ(drag.back().message, UINT(WM_LBUTTONUP));
    EXPECT_EQ(drag.back().lParam, MAKELPARAM(120, 70));

    input.Wheel(window.Handle(), kAt, -2);
    std::vector<Seen> wheel = window.Take(WM_MOUSEWHEEL, WM_MOUSEWHEEL);
    ASSERT_EQ(wheel.size(), 2u);
    EXPECT_EQ(short(HIWORD(wheel[0].wParam)), -WHEEL_DELTA);
    const POINT screen = RealInput::ScreenPoint(window.Handle(), kAt);
    EXPECT_EQ(wheel[0].lParam, MAKELPARAM(screen.x, screen.y)) << "the wheel's point is a screen point";
}

TEST(RealInputTest, KeysAreTranslatedAndTypedTextBecomesCharacters)
{
    Recorder window;
    RealInput input;
    ASSERT_TRUE(input.Focus(window.Handle()));
    window.Take(0, 0xFFFF);

    input.Key(VK_SPACE);
    std::vector<Seen> space = window.Take(WM_KEYDOWN, WM_CHAR);
    ASSERT_EQ(space.size(), 3u);
    EXPECT_EQ(space[0].message, UINT(WM_KEYDOWN));
    EXPECT_EQ(space[1].message, UINT(WM_CHAR)) << "the key-down's own character follows it";
    EXPECT_EQ(space[1].wParam, WPARAM(' '));

    input.Key(VK_DOWN, kCtrl);
    std::vector<Seen> down = window.Take(WM_KEYDOWN, WM_KEYDOWN);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0].wParam, WPARAM(VK_CONTROL));
    EXPECT_EQ(down[1].wParam, WPARAM(VK_DOWN));
    EXPECT_TRUE(down[1].lParam & (1 << 24)) << "an arrow key is an extended key";

    input.Type("aü");
    std::vector<Seen> typed = window.Take(WM_CHAR, WM_CHAR);
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[0].wParam, WPARAM('a'));
    EXPECT_EQ(typed[1].wParam, WPARAM(static_cast<unsigned char>("ü"[0])));

    input.Key(VK_F4, kAlt);
    EXPECT_TRUE(window.closed) << "Alt+F4 goes the system-key way";
}

}  // namespace
