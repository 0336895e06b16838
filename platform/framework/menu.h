// CMenu: a popup menu the object owns.
#pragma once

#include "platform/win32/win.h"

class CWnd;

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu() { DestroyMenu(); }

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }

    BOOL CreatePopupMenu();
    BOOL DestroyMenu();
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    UINT CheckMenuItem(UINT id, UINT check);
    int GetMenuItemCount() const;
    // Shows the menu at a screen point; with TPM_RETURNCMD the chosen id
    // (0 for none), else non-zero on success and the command goes to owner.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner);
};
