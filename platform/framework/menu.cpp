#include "platform/framework/menu.h"

#include "platform/framework/wnd.h"

BOOL CMenu::CreatePopupMenu()
{
    if (m_hMenu)
        return FALSE;
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != nullptr;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    const BOOL done = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return done;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text)
{
    return m_hMenu && ::AppendMenuA(m_hMenu, flags, id, text);
}

UINT CMenu::CheckMenuItem(UINT id, UINT check)
{
    return m_hMenu ? ::CheckMenuItem(m_hMenu, id, check) : UINT(-1);
}

int CMenu::GetMenuItemCount() const
{
    return m_hMenu ? ::GetMenuItemCount(m_hMenu) : -1;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner)
{
    if (!m_hMenu || !owner || !owner->m_hWnd)
        return FALSE;
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner->m_hWnd, nullptr);
}
