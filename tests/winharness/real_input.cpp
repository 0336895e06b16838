#include "tests/winharness/real_input.h"

#include <cstdlib>

#include "tests/winharness/message_pump.h"

namespace winharness {

namespace {

constexpr DWORD kActivateMs = 2000;
constexpr DWORD kDrainMs = 3000;
constexpr int kNormalized = 65536;  // SendInput's absolute coordinates span the screen in this many steps

// Keys whose scan codes carry the extended prefix: without the flag the
// queue reads them as the number pad's twins.
bool IsExtended(WORD key)
{
    switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
    case VK_INSERT: case VK_DELETE: case VK_APPS: case VK_DIVIDE:
    case VK_RCONTROL: case VK_RMENU: case VK_LWIN: case VK_RWIN:
        return true;
    default:
        return false;
    }
}

// Where a normalized coordinate lands is n * size / 65536 rounded down on
// Windows; the middle of the pixel's span lands on it whatever the rounding.
LONG Normalize(LONG pixel, int size)
{
    return LONG((int64_t(2 * pixel + 1) * kNormalized) / (2 * int64_t(size)));
}

struct ButtonFlags {
    DWORD down;
    DWORD up;
};

ButtonFlags FlagsOf(Button button)
{
    switch (button) {
    case Button::kRight:
        return {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP};
    case Button::kMiddle:
        return {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP};
    default:
        return {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    }
}

}  // namespace

POINT RealInput::ScreenPoint(HWND wnd, POINT client)
{
    ClientToScreen(wnd, &client);
    return client;
}

bool RealInput::Activate(HWND wnd)
{
    const HWND top = GetAncestor(wnd, GA_ROOT);
    if (!top)
        return false;
    if (GetForegroundWindow() != top)
        SetForegroundWindow(top);
    if (m_pump == Pump::kYes)
        PumpUntil([top] { return GetForegroundWindow() == top; }, kActivateMs);
    return GetForegroundWindow() == top;
}

bool RealInput::Focus(HWND wnd)
{
    const bool active = Activate(wnd);
    SetFocus(wnd);
    Settle();
    return active && GetFocus() == wnd;
}

void RealInput::SendMouse(DWORD flags, POINT screen, DWORD data)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalize(screen.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalize(screen.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.mouseData = data;
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void RealInput::MoveTo(HWND wnd, POINT client)
{
    Activate(wnd);
    SendMouse(0, ScreenPoint(wnd, client));
    Settle();
}

void RealInput::AvoidDoubleClick(POINT screen)
{
    const bool close = std::abs(screen.x - m_lastClick.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                      std::abs(screen.y - m_lastClick.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    const DWORD since = GetTickCount() - m_lastClickTime;
    const DWORD limit = GetDoubleClickTime() + 50;
    if (close && since < limit)
        Sleep(limit - since);
}

void RealInput::Press(HWND wnd, POINT client, Button button)
{
    Activate(wnd);
    SendMouse(FlagsOf(button).down, ScreenPoint(wnd, client));
    Settle();
}

void RealInput::Release(HWND wnd, POINT client, Button button)
{
    SendMouse(FlagsOf(button).up, ScreenPoint(wnd, client));
    Settle();
}

void RealInput::Click(HWND wnd, POINT client, unsigned modifiers, Button button)
{
    Activate(wnd);
    const POINT screen = ScreenPoint(wnd, client);
    AvoidDoubleClick(screen);
    Modifiers(modifiers, false);
    SendMouse(0, screen);
    SendMouse(FlagsOf(button).down, screen);
    SendMouse(FlagsOf(button).up, screen);
    Modifiers(modifiers, true);
    m_lastClick = screen;
    m_lastClickTime = GetTickCount();
    Settle();
}

void RealInput::DoubleClick(HWND wnd, POINT client, unsigned modifiers)
{
    Activate(wnd);
    const POINT screen = ScreenPoint(wnd, client);
    AvoidDoubleClick(screen);
    Modifiers(modifiers, false);
    SendMouse(0, screen);
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
        SendMouse(MOUSEEVENTF_LEFTUP, screen);
    }
    Modifiers(modifiers, true);
    // The second click ended the pair: a click after it starts a new one.
    m_lastClickTime = GetTickCount() - GetDoubleClickTime() - 100;
    Settle();
}

void RealInput::Drag(HWND wnd, POINT from, POINT to, unsigned modifiers, int steps)
{
    Activate(wnd);
    const POINT start = ScreenPoint(wnd, from);
    const POINT end = ScreenPoint(wnd, to);
    AvoidDoubleClick(start);
    Modifiers(modifiers, false);
    SendMouse(0, start);
    SendMouse(MOUSEEVENTF_LEFTDOWN, start);
    Settle();
    MoveSteps(start, end, steps);
    SendMouse(MOUSEEVENTF_LEFTUP, end);
    Modifiers(modifiers, true);
    m_lastClick = start;
    m_lastClickTime = GetTickCount();
    Settle();
}

void RealInput::MoveSteps(POINT start, POINT end, int steps)
{
    steps = steps < 1 ? 1 : steps;
    for (int i = 1; i <= steps; ++i) {
        const POINT at = {start.x + (end.x - start.x) * i / steps, start.y + (end.y - start.y) * i / steps};
        SendMouse(0, at);
        Settle();  // each move handled before the next, as a hand moves
    }
}

void RealInput::MoveAlong(HWND wnd, POINT from, POINT to, int steps)
{
    MoveSteps(ScreenPoint(wnd, from), ScreenPoint(wnd, to), steps);
}

void RealInput::ClickAt(POINT screen)
{
    SendMouse(0, screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
    Settle();
}

void RealInput::Park()
{
    SendMouse(0, POINT{GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
    Settle();
}

void RealInput::Wheel(HWND wnd, POINT client, int notches)
{
    Activate(wnd);
    const POINT screen = ScreenPoint(wnd, client);
    SendMouse(0, screen);
    const int step = notches < 0 ? -1 : 1;
    for (int i = 0; i != notches; i += step)
        SendMouse(MOUSEEVENTF_WHEEL, screen, DWORD(step * WHEEL_DELTA));
    Settle();
}

void RealInput::SendKey(WORD virtualKey, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = WORD(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

void RealInput::Modifiers(unsigned modifiers, bool up)
{
    static constexpr struct {
        Modifier bit;
        WORD key;
    } kKeys[] = {{kCtrl, VK_CONTROL}, {kShift, VK_SHIFT}, {kAlt, VK_MENU}};
    for (const auto& entry : kKeys)
        if (modifiers & entry.bit)
            SendKey(entry.key, up);
}

void RealInput::KeyDown(WORD virtualKey)
{
    SendKey(virtualKey, false);
    Settle();
}

void RealInput::KeyUp(WORD virtualKey)
{
    SendKey(virtualKey, true);
    Settle();
}

void RealInput::Key(WORD virtualKey, unsigned modifiers)
{
    Modifiers(modifiers, false);
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
    Modifiers(modifiers, true);
    Settle();
}

void RealInput::Type(const std::string& text)
{
    for (const char c : text) {
        WCHAR wide = 0;
        MultiByteToWideChar(1252, 0, &c, 1, &wide, 1);
        INPUT input[2] = {};
        for (int i = 0; i < 2; ++i) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wScan = wide;
            input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, input, sizeof input[0]);
    }
    Settle();
}

void RealInput::Drain()
{
    PumpUntil([] { return GetQueueStatus(QS_INPUT) == 0; }, kDrainMs);
    PumpUntilIdle(kDrainMs);
}

bool Reachable(HWND wnd)
{
    RECT r;
    GetWindowRect(wnd, &r);
    const POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    const HWND hit = WindowFromPoint(centre);
    return IsWindowVisible(wnd) && (hit == wnd || IsChild(wnd, hit));
}

bool InputPending()
{
    // The high word: what is in the queue now, not what came since the
    // last look.
    return HIWORD(GetQueueStatus(QS_INPUT)) != 0;
}

}  // namespace winharness
