// Reads the popup menu that this thread is about to open, from a thread of
// its own: the opening call stays in the menu's loop until the menu closes,
// so nothing on this thread could look at it. The reader finds the menu
// window among this thread's windows (not another test's), reads its entries
// with MN_GETHMENU, then picks an entry by keys or closes the menu.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win.h"

namespace choice_test {

class PopupMenuReader {
public:
    // `pick`: the text of the entry to choose; empty closes the menu. The
    // reader gives up after `waitMs` when no menu opens.
    explicit PopupMenuReader(std::string pick = "", DWORD waitMs = 3000)
        : m_pick(std::move(pick)), m_waitMs(waitMs), m_owner(GetCurrentThreadId()), m_thread([this] { Read(); })
    {
    }
    ~PopupMenuReader() { Join(); }
    PopupMenuReader(const PopupMenuReader&) = delete;
    PopupMenuReader& operator=(const PopupMenuReader&) = delete;

    // The entries' texts (a separator reads ""); empty when no menu opened.
    const std::vector<std::string>& Texts()
    {
        Join();
        return m_texts;
    }

private:
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    static BOOL CALLBACK FindMenu(HWND window, LPARAM found)
    {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) != "#32768" || !IsWindowVisible(window))
            return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    void Read()
    {
        HWND menuWindow = nullptr;
        for (const DWORD start = GetTickCount(); !menuWindow && GetTickCount() - start < m_waitMs; Sleep(20))
            EnumThreadWindows(m_owner, &FindMenu, reinterpret_cast<LPARAM>(&menuWindow));
        if (!menuWindow)
            return;
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(menuWindow, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
        const HMENU menu = reinterpret_cast<HMENU>(answer);
        int downs = 0, target = 0;
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            char text[64] = {};
            GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
            m_texts.push_back(text);
            if (!(GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_SEPARATOR))
                ++downs;  // the arrow key passes over separators
            if (!m_pick.empty() && m_pick == text)
                target = downs;
        }
        // The first arrow key marks the first entry; Enter chooses.
        for (int i = 0; i < target; ++i)
            PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, WM_KEYDOWN, target ? VK_RETURN : VK_ESCAPE, 0);
    }

    std::string m_pick;
    DWORD m_waitMs;
    DWORD m_owner;
    std::vector<std::string> m_texts;
    std::thread m_thread;  // last: starts when the rest is ready
};

}  // namespace choice_test
