// Real mouse and keyboard input played into a modal dialog from inside its
// modal loop: each action waits until the dialog on top is shown and active,
// is sent through the input queue (RealInput, the loop pumping), and counts
// as done once its last input message has been taken from the queue, so the
// next step sees everything that followed from it.
//
//   DialogScript script(driver);
//   script.Do(Press(VK_TAB)).Look([&](HWND top) { ... }).Finally(Press(VK_RETURN));
//   driver.Run([&] { result = dialog.DoModal(); });
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/winharness/message_hook.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/real_input.h"

namespace dialog_input {

// One action on the dialog on top and the input message that ends it: the
// key-up (plain or system) of endKey, or the left button's release.
struct Action {
    std::string name;
    std::function<void(winharness::RealInput&, HWND top)> send;
    UINT endMessage;
    WPARAM endKey;
    int endCount;  // how many of those end it (one per typed character)
};

// A key with modifiers held around it.
Action Press(WORD key, unsigned modifiers = winharness::kNoModifier);
// Text typed as characters (code page 1252).
Action Typing(const std::string& text);
// A left click in the middle of the dialog's control.
Action ClickOn(int controlId);

class DialogScript {
public:
    explicit DialogScript(winharness::ModalDriver& driver);

    // Sends the action and waits until it is taken.
    DialogScript& Do(const Action& action);
    DialogScript& Do(const std::vector<Action>& actions);
    // Sends an action that ends the dialog's loop: nothing runs after it.
    DialogScript& Finally(const Action& action);
    // Looks at the dialog on top.
    DialogScript& Look(const std::function<void(HWND top)>& look);
    // Waits until the condition holds for the dialog on top.
    DialogScript& Until(const std::function<bool(HWND top)>& condition);

private:
    void Send(const Action& action, bool wait);

    winharness::ModalDriver& m_driver;
    std::shared_ptr<winharness::InputLog> m_log;
    std::shared_ptr<winharness::RealInput> m_input;
};

// Text of a window (8-bit).
std::string TextOf(HWND wnd);
// Whether an edit's whole text is selected.
bool AllSelected(HWND edit);

}  // namespace dialog_input
