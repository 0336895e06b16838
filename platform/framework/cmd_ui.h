// CCmdUI: asks the command routing whether a command is enabled or checked
// right now. The update travels as WM_COMMAND with the notification code
// CN_UPDATE_COMMAND_UI and the object in lParam, so the same routing that
// delivers a command (view, frame, application) reaches its update handler.
#pragma once

#include "platform/framework/wnd.h"

// WM_COMMAND's code of an update request.
constexpr UINT CN_UPDATE_COMMAND_UI = 0xFFFF;
// Sent by the idle loop to frames and their bars; wParam: disable commands
// nobody handles.
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CWnd* m_pOther = nullptr;  // a control that shows the state, or null
    HMENU m_pMenu = nullptr;   // a menu whose entry m_nIndex shows it, or null
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;  // a handler passes the request on

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);
    virtual void SetText(const char* text);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Offers the update to the target's routing; a command nobody answers
    // is disabled when asked, unless someone handles the command itself.
    // True when an update handler took it.
    BOOL DoUpdate(CWnd* target, BOOL disableIfNoHandler);
};

namespace framework_detail {

template <auto F>
bool CmdUI(CWnd* w, UINT, WPARAM, LPARAM lp, LRESULT& r)
{
    CCmdUI* ui = reinterpret_cast<CCmdUI*>(lp);
    ui->m_bContinueRouting = FALSE;
    (Self<F>(w)->*F)(ui);
    r = 0;
    return !ui->m_bContinueRouting;
}

}  // namespace framework_detail

// void handler(CCmdUI*)
#define ON_UPDATE_COMMAND_UI(id, handler)                                            \
    {WM_COMMAND, WM_COMMAND, CN_UPDATE_COMMAND_UI, UINT(id), UINT(id), \
     &framework_detail::CmdUI<&ThisClass::handler>},
