// Real mouse and keyboard input for window tests: everything goes through
// SendInput into the platform's input queue, as a user's hand would, so
// activation, WM_MOUSEACTIVATE, WM_SETCURSOR, capture, focus, double-click
// timing, TranslateMessage and the dialog manager's key handling all take
// part. Points are in the client coordinates of the window given.
//
//   winharness::RealInput input;              // pumps this thread after each action
//   input.Click(list, {40, 30});
//   input.Key(VK_SPACE);
//   input.Key('A', winharness::kCtrl);
//
// Inside a modal loop (a step of ModalDriver) the loop does the pumping: make
// the object with Pump::kNo and let the next step look at the result. A step
// must not block on the input it sent (a right click that opens a menu stays
// in the menu's loop until the menu closes).
#pragma once

#include <string>

#include "platform/win32/win.h"

namespace winharness {

enum Modifier : unsigned {
    kNoModifier = 0,
    kShift = 1,
    kCtrl = 2,
    kAlt = 4,
};

enum class Button { kLeft, kRight, kMiddle };

class RealInput {
public:
    enum class Pump { kYes, kNo };
    explicit RealInput(Pump pump = Pump::kYes) : m_pump(pump) {}

    // Brings the window's top-level window to the foreground and makes it
    // active, as a click on its caption would; true once it is.
    bool Activate(HWND wnd);
    // Activates the window's top-level window and gives the window the
    // focus: where keys go from now on.
    bool Focus(HWND wnd);

    void MoveTo(HWND wnd, POINT client);
    // One click. A click at the point of the previous one waits out the
    // double-click time first, so two single clicks never read as a double.
    void Click(HWND wnd, POINT client, unsigned modifiers = kNoModifier, Button button = Button::kLeft);
    void RightClick(HWND wnd, POINT client, unsigned modifiers = kNoModifier)
    {
        Click(wnd, client, modifiers, Button::kRight);
    }
    void DoubleClick(HWND wnd, POINT client, unsigned modifiers = kNoModifier);
    // Press at `from`, move to `to` in `steps` moves with the button held,
    // release there.
    void Drag(HWND wnd, POINT from, POINT to, unsigned modifiers = kNoModifier, int steps = 8);
    // The halves of a click, for drags that end some other way.
    void Press(HWND wnd, POINT client, Button button = Button::kLeft);
    void Release(HWND wnd, POINT client, Button button = Button::kLeft);
    // The moves of a drag between its press and its release: from `from`
    // to `to` in `steps` moves, the buttons as they are.
    void MoveAlong(HWND wnd, POINT from, POINT to, int steps = 8);
    // A left click at a screen point with nothing activated first: an entry
    // of a popup menu, which never becomes the active window.
    void ClickAt(POINT screen);
    // Moves the pointer to the screen's bottom-right corner, away from the
    // windows tests make: a menu or list that opens under the pointer takes
    // its highlight from it, and a row under it shows a tip.
    void Park();
    // Wheel notches at the point: positive away from the user (scrolls up).
    void Wheel(HWND wnd, POINT client, int notches);

    // A key with modifiers held around it (Alt makes it a system key).
    void Key(WORD virtualKey, unsigned modifiers = kNoModifier);
    void KeyDown(WORD virtualKey);
    void KeyUp(WORD virtualKey);
    // Text as typed characters (code page 1252), each one a key press the
    // queue turns into WM_CHAR, whatever the keyboard layout.
    void Type(const std::string& text);

    // Waits until what was sent has been taken from this thread's queue and
    // every message that followed from it is handled.
    void Drain();

    // The point on the screen of a client point.
    static POINT ScreenPoint(HWND wnd, POINT client);

private:
    void SendMouse(DWORD flags, POINT screen, DWORD data = 0);
    // Moves in steps between two screen points, each handled before the next
    // when pumping, as a hand moves.
    void MoveSteps(POINT start, POINT end, int steps);
    void SendKey(WORD virtualKey, bool up);
    void Modifiers(unsigned modifiers, bool up);
    void Settle()
    {
        if (m_pump == Pump::kYes)
            Drain();
    }
    // Waits out the double-click time when a single click lands where the
    // last click did.
    void AvoidDoubleClick(POINT screen);

    Pump m_pump;
    POINT m_lastClick = {-1000000, -1000000};
    DWORD m_lastClickTime = 0;
};

// Whether the pointer reaches the window: it is shown, and the window at its
// centre is it or one of its children, not another's window on top (a
// dialog shows once its modal loop first idles).
bool Reachable(HWND wnd);

// Whether input sent is still waiting in this thread's queue: a step of a
// modal loop waits until it was taken, as a hand's next move follows what
// the screen showed.
bool InputPending();

}  // namespace winharness
