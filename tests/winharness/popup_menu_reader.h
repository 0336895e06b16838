// Reads the popup menu that a thread is about to open, from a thread of its
// own: the opening call stays in the menu's loop until the menu closes, so
// nothing on the opening thread could look at it. The reader finds the menu
// window among that thread's windows (not another test's), reads its
// entries with MN_GETHMENU, then picks an entry by keys or closes the menu.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win.h"
#include "tests/support/test_support.h"

namespace winharness {

inline BOOL CALLBACK FindVisibleMenu(HWND window, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32768" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The visible menu window of the thread, or null.
inline HWND ThreadMenu(DWORD thread)
{
    HWND found = nullptr;
    EnumThreadWindows(thread, &FindVisibleMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct MenuEntry {
    UINT id;
    std::string text;  // a separator reads ""
    bool operator==(const MenuEntry&) const = default;
};

class PopupMenuReader {
public:
    // `pick`: the text of the entry to choose; empty closes the menu. The
    // reader gives up after `waitMs` when no menu of this thread opens.
    explicit PopupMenuReader(std::string pick = "", DWORD waitMs = 3000)
        : m_pick(std::move(pick)), m_waitMs(waitMs), m_owner(GetCurrentThreadId()), m_thread([this] { Read(); })
    {
    }
    ~PopupMenuReader() { Join(); }
    PopupMenuReader(const PopupMenuReader&) = delete;
    PopupMenuReader& operator=(const PopupMenuReader&) = delete;

    // True once the menu was read and answered, or the reader gave up.
    bool Done() const { return m_done; }
    // The entries; empty when no menu opened.
    const std::vector<MenuEntry>& Entries()
    {
        Join();
        return m_entries;
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const MenuEntry& entry : Entries())
            texts.push_back(entry.text);
        return texts;
    }

private:
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    void Read()
    {
        HWND menuWindow = nullptr;
        if (lindar_test::Eventually([&] { return (menuWindow = ThreadMenu(m_owner)) != nullptr; }, m_waitMs))
            Answer(menuWindow);
        m_done = true;
    }

    void Answer(HWND menuWindow)
    {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(menuWindow, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
        const HMENU menu = reinterpret_cast<HMENU>(answer);
        int downs = 0, target = 0;
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            char text[64] = {};
            GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
            m_entries.push_back({GetMenuItemID(menu, i), text});
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
    std::vector<MenuEntry> m_entries;
    std::atomic<bool> m_done{false};
    std::thread m_thread;  // last: starts when the rest is ready
};

}  // namespace winharness
