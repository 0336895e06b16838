// What the file dialog tests share: finding the extended dialog, its popup
// list and the combo's edit, reading the popup's rows, the request that
// opens the dialog in a folder, and the folder of 5,000 subfolders.
#pragma once

#include <string>
#include <vector>

#include "tests/winharness/modal_driver.h"
#include "tests/winharness/numbered_folders.h"
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

// A request for a file dialog that writes the chosen name into `file`.
inline OPENFILENAMEA Request(char* file, DWORD size)
{
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = size;
    return ofn;
}

// A request for the Open dialog in the folder, all files offered, "gpx"
// the default extension.
inline OPENFILENAMEA OpenIn(const std::string& folder, char* file, DWORD size)
{
    OPENFILENAMEA ofn = Request(file, size);
    ofn.lpstrFilter = "Alle\0*.*\0";
    ofn.lpstrDefExt = "gpx";
    ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_EXPLORER;
    return ofn;
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
    winharness::MakeNumberedFolders(folder, kRecipeCount);
    return folder;
}

}  // namespace filedlg_test
