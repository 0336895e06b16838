#include "tests/dialogs/dialog_input_script.h"

#include "platform/framework/dialog.h"

namespace dialog_input {

using winharness::ModalDriver;
using winharness::RealInput;

Action Press(WORD key, unsigned modifiers)
{
    std::string name = "key " + std::to_string(key);
    if (modifiers)
        name += " with modifiers " + std::to_string(modifiers);
    return {name, [key, modifiers](RealInput& input, HWND) { input.Key(key, modifiers); }, WM_KEYUP, key, 1};
}

Action Typing(const std::string& text)
{
    return {"typing " + text, [text](RealInput& input, HWND) { input.Type(text); }, WM_KEYUP, VK_PACKET,
            int(text.size())};
}

Action ClickOn(int controlId)
{
    return {"click on " + std::to_string(controlId),
            [controlId](RealInput& input, HWND top) {
                const HWND control = GetDlgItem(top, controlId);
                RECT rect;
                GetClientRect(control, &rect);
                input.Click(control, {rect.right / 2, rect.bottom / 2});
            },
            WM_LBUTTONUP, 0, 1};
}

DialogScript::DialogScript(ModalDriver& driver)
    : m_driver(driver), m_log(std::make_shared<winharness::InputLog>()),
      m_input(std::make_shared<RealInput>(RealInput::Pump::kNo))
{
}

void DialogScript::Send(const Action& action, bool wait)
{
    // Shown and active first: keys go to the active window's focus.
    m_driver.Then([since = DWORD(0)](ModalDriver& d) mutable {
        return winharness::ShownAndActive(d.TopDialog(), since, 2000);
    });
    auto base = std::make_shared<int>(0);
    auto log = m_log;
    auto input = m_input;
    m_driver.Then([action, base, log, input](ModalDriver& d) {
        *base = log->Count(action.endMessage, action.endKey);
        action.send(*input, d.TopDialog());
        return true;
    });
    if (wait)
        m_driver.Then([action, base, log](ModalDriver&) {
            return log->Count(action.endMessage, action.endKey) >= *base + action.endCount;
        });
}

DialogScript& DialogScript::Do(const Action& action)
{
    Send(action, true);
    return *this;
}

DialogScript& DialogScript::Do(const std::vector<Action>& actions)
{
    for (const Action& action : actions)
        Send(action, true);
    return *this;
}

DialogScript& DialogScript::Finally(const Action& action)
{
    Send(action, false);
    return *this;
}

DialogScript& DialogScript::Look(const std::function<void(HWND top)>& look)
{
    m_driver.Then([look](ModalDriver& d) {
        look(d.TopDialog());
        return true;
    });
    return *this;
}

DialogScript& DialogScript::Until(const std::function<bool(HWND top)>& condition)
{
    m_driver.Then([condition](ModalDriver& d) { return condition(d.TopDialog()); });
    return *this;
}

std::string TextOf(HWND wnd)
{
    return std::string(GetControlText(wnd));
}

bool AllSelected(HWND edit)
{
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == DWORD(GetWindowTextLengthA(edit));
}

}  // namespace dialog_input
