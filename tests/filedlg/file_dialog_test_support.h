// What the file dialog tests share: finding the extended dialog, its popup
// list and the combo's edit, reading the popup's rows, and the waits of
// tests driven by real input.
#pragma once

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/winharness/modal_driver.h"
#include "ui/filedlg/file_dialog_ext.h"
#include "ui/filedlg/popup_list.h"

namespace filedlg_test {

// The system dialog of a run: the recorded dialog holding our combo.
inline HWND ExtendedDialog(const winharness::ModalDriver& d)
{
    for (HWND wnd : d.Dialogs()) {
        char cls[16] = "";
        if (IsWindow(wnd) && GetClassNameA(GetDlgItem(wnd, kFileNameId), cls, sizeof cls) &&
            lstrcmpiA(cls, "ComboBox") == 0 && IsWindowVisible(wnd))
            return wnd;
    }
    return nullptr;
}

// The dialog's popup list, or null.
inline HWND Popup(HWND dialog)
{
    HWND popup = nullptr;
    while ((popup = FindWindowExA(nullptr, popup, kPopupListClass, nullptr)))
        if (GetWindow(popup, GW_OWNER) == dialog)
            return popup;
    return nullptr;
}

inline HWND ComboEditOf(HWND dialog)
{
    return FindWindowExA(GetDlgItem(dialog, kFileNameId), nullptr, "Edit", nullptr);
}

// The popup's rows in its order.
inline std::vector<std::string> PopupRows(HWND popup)
{
    std::vector<std::string> rows;
    for (LRESULT i = 0, n = popup ? SendMessageA(popup, LB_GETCOUNT, 0, 0) : 0; i < n; ++i) {
        char text[MAX_PATH] = "";
        if (SendMessageA(popup, LB_GETTEXTLEN, WPARAM(i), 0) < LRESULT(sizeof text))
            SendMessageA(popup, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

// Real input sent and not yet taken by the modal loop: the next gesture
// waits for it, as a hand's next move follows what the screen showed.
inline bool InputPending() { return GetQueueStatus(QS_INPUT) != 0; }

// Whether the pointer reaches the window: shown, in place and on top.
inline bool Reachable(HWND wnd)
{
    RECT r;
    GetWindowRect(wnd, &r);
    const POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    const HWND hit = WindowFromPoint(centre);
    return IsWindowVisible(wnd) && (hit == wnd || IsChild(wnd, hit));
}

// Subfolders named 0000, 0001, ... below the folder (made with it), unless
// an earlier run made them all: each maker's last one is there. The server
// takes one call per folder; a few threads keep it busy.
inline void MakeNumberedFolders(const std::string& folder, int count)
{
    constexpr int kThreads = 4;
    CreateDirectoryA(folder.c_str(), nullptr);
    auto name = [&](int i) {
        char part[16];
        std::snprintf(part, sizeof part, "\\%04d", i);
        return folder + part;
    };
    bool made = true;
    for (int i = count - 1; i >= 0 && i >= count - kThreads; --i)
        made = made && GetFileAttributesA(name(i).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (made)
        return;
    std::vector<std::thread> makers;
    for (int t = 0; t < kThreads; ++t)
        makers.emplace_back([&, t] {
            for (int i = t; i < count; i += kThreads)
                CreateDirectoryA(name(i).c_str(), nullptr);
        });
    for (std::thread& maker : makers)
        maker.join();
}

// The folder a user reported the popup with: 5,000 subfolders named 0000
// to 4999, no files, below a folder of its own.
constexpr int kRecipeCount = 5000;
inline std::string RecipeParent()
{
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    return std::string(base) + "lindar-recipe";
}
inline std::string RecipeFolder()
{
    const std::string folder = RecipeParent() + "\\0000 bis 4999";
    CreateDirectoryA(RecipeParent().c_str(), nullptr);
    MakeNumberedFolders(folder, kRecipeCount);
    return folder;
}

}  // namespace filedlg_test
