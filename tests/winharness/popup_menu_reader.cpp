#include "tests/winharness/popup_menu_reader.h"

#include "tests/support/test_support.h"
#include "tests/winharness/real_input.h"

namespace winharness {

namespace {

BOOL CALLBACK FindVisibleMenu(HWND window, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32768" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

HWND ThreadMenu(DWORD thread)
{
    HWND found = nullptr;
    EnumThreadWindows(thread, &FindVisibleMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<std::string> OpenMenu::Texts() const
{
    std::vector<std::string> texts;
    for (const MenuEntry& entry : entries)
        texts.push_back(entry.text);
    return texts;
}

int OpenMenu::Find(const std::string& text) const
{
    for (size_t i = 0; i < entries.size() && !text.empty(); ++i)
        if (entries[i].text == text)
            return int(i);
    return -1;
}

OpenMenu ReadMenu(HWND menuWindow)
{
    OpenMenu seen;
    seen.window = menuWindow;
    GetWindowRect(menuWindow, &seen.place);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(menuWindow, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    seen.menu = reinterpret_cast<HMENU>(answer);
    for (int i = 0; seen.menu && i < GetMenuItemCount(seen.menu); ++i) {
        char text[64] = {};
        GetMenuStringA(seen.menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        seen.entries.push_back({GetMenuItemID(seen.menu, i), text});
        if (GetMenuState(seen.menu, UINT(i), MF_BYPOSITION) & MF_CHECKED)
            seen.checked.push_back(text);
    }
    return seen;
}

void AnswerByKeys(const OpenMenu& menu, int position)
{
    int downs = 0;
    for (int i = 0; i <= position; ++i)
        if (!(GetMenuState(menu.menu, UINT(i), MF_BYPOSITION) & MF_SEPARATOR))
            ++downs;
    for (int i = 0; i < downs; ++i)
        PostMessageA(menu.window, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu.window, WM_KEYDOWN, downs ? VK_RETURN : VK_ESCAPE, 0);
}

bool AnswerByClick(const OpenMenu& menu, int position)
{
    RECT entry = {};
    if (position < 0 || !GetMenuItemRect(nullptr, menu.menu, UINT(position), &entry)) {
        PostMessageA(menu.window, WM_KEYDOWN, VK_ESCAPE, 0);
        return false;
    }
    RealInput(RealInput::Pump::kNo).ClickAt({(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2});
    return true;
}

void PopupMenuReader::Read()
{
    HWND menuWindow = nullptr;
    if (lindar_test::Eventually([&] { return (menuWindow = ThreadMenu(m_owner)) != nullptr; }, m_waitMs)) {
        m_seen = ReadMenu(menuWindow);
        const int position = m_seen.Find(m_pick);
        if (m_answer == Answer::kClick)
            m_picked = AnswerByClick(m_seen, position);
        else {
            AnswerByKeys(m_seen, position);
            m_picked = position >= 0;
        }
    }
    m_done = true;
}

}  // namespace winharness
