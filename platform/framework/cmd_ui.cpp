#include "platform/framework/cmd_ui.h"

#include "platform/framework/frame.h"

void CCmdUI::Enable(BOOL on)
{
    if (m_pMenu)
        EnableMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    if (m_pOther && m_pOther->m_hWnd && bool(IsWindowEnabled(m_pOther->m_hWnd)) != bool(on))
        m_pOther->EnableWindow(on);
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check)
{
    if (m_pMenu)
        CheckMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    if (m_pOther && m_pOther->m_hWnd)
        m_pOther->SendMessage(BM_SETCHECK, WPARAM(check));
}

void CCmdUI::SetText(const char* text)
{
    if (m_pOther && m_pOther->m_hWnd)
        m_pOther->SetWindowText(text);
}

BOOL CCmdUI::DoUpdate(CWnd* target, BOOL disableIfNoHandler)
{
    m_bEnableChanged = FALSE;
    if (!target)
        return FALSE;
    if (target->OnCommand(MAKEWPARAM(m_nID, CN_UPDATE_COMMAND_UI), reinterpret_cast<LPARAM>(this)))
        return TRUE;
    if (disableIfNoHandler && !m_bEnableChanged && m_nID < 0xFFFF) {
        auto* frame = dynamic_cast<CFrameWnd*>(target);
        Enable(frame && frame->HasCommandHandler(m_nID));
    }
    return FALSE;
}
