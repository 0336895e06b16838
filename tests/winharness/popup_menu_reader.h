// Popup menus in tests: reading what a menu window shows and answering it as
// a user would. The call that opens a menu stays in the menu's loop until the
// menu closes, so either a step that runs inside that loop reads the menu
// (ReadMenu), or a PopupMenuReader does from a thread of its own: it finds
// the menu window among the opening thread's windows (not another test's),
// reads its entries with MN_GETHMENU, then picks an entry by keys or by a
// click, or closes the menu.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win.h"

namespace winharness {

// The visible menu window of the thread, or null.
HWND ThreadMenu(DWORD thread);

struct MenuEntry {
    UINT id;
    std::string text;  // a separator reads ""
    bool operator==(const MenuEntry&) const = default;
};

// What a menu window shows: its entries in order and where it lies on the
// screen. `menu` is valid while the menu is open.
struct OpenMenu {
    HWND window = nullptr;
    HMENU menu = nullptr;
    RECT place = {};
    std::vector<MenuEntry> entries;
    std::vector<std::string> checked;  // the texts of the entries shown checked

    std::vector<std::string> Texts() const;
    // The position of the entry with the text; -1 for none and for "".
    int Find(const std::string& text) const;
};
OpenMenu ReadMenu(HWND menuWindow);

// Chooses the entry at the position by keys posted to the menu window for
// its loop: the first arrow key marks the first entry, the arrows pass over
// separators, Enter chooses. A position < 0 closes the menu (Escape).
void AnswerByKeys(const OpenMenu& menu, int position);
// Chooses the entry at the position by a real click on its middle: a menu
// that opens under the pointer may lose a selection made by keys when the
// pointer moves onto its edge. False, and the menu closed, for no entry.
bool AnswerByClick(const OpenMenu& menu, int position);

class PopupMenuReader {
public:
    enum class Answer { kKeys, kClick };
    // `pick`: the text of the entry to choose; empty closes the menu. The
    // reader gives up after `waitMs` when no menu of this thread opens.
    explicit PopupMenuReader(std::string pick = "", DWORD waitMs = 3000, Answer answer = Answer::kKeys)
        : m_pick(std::move(pick)), m_waitMs(waitMs), m_answer(answer), m_owner(GetCurrentThreadId()),
          m_thread([this] { Read(); })
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
        return m_seen.entries;
    }
    std::vector<std::string> Texts()
    {
        Join();
        return m_seen.Texts();
    }
    // The texts of the entries the menu showed checked.
    std::vector<std::string> Checked()
    {
        Join();
        return m_seen.checked;
    }
    // Where the menu lay on the screen; false when no menu opened.
    bool Place(RECT* place)
    {
        Join();
        *place = m_seen.place;
        return m_seen.window != nullptr;
    }
    // Whether the menu had the entry to pick, and it was chosen.
    bool Picked()
    {
        Join();
        return m_picked;
    }

private:
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    void Read();

    std::string m_pick;
    DWORD m_waitMs;
    Answer m_answer;
    DWORD m_owner;
    OpenMenu m_seen;
    bool m_picked = false;
    std::atomic<bool> m_done{false};
    std::thread m_thread;  // last: starts when the rest is ready
};

}  // namespace winharness
