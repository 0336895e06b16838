// What the file-dialog extension relies on in the common dialog: a hooked
// Explorer-style Open dialog shows, its dialog procedure can be replaced,
// the file-name box (edit 1152, or Wine's combo 1148) can be replaced by a
// combo box 1152,
// and the hook's child sees CDN_FOLDERCHANGE.
#include <gtest/gtest.h>

#include "platform/win32/win.h"
#include "tests/winharness/modal_driver.h"

#include <commdlg.h>

namespace {

struct Spike {
    HWND child = nullptr;
    DLGPROC previous = nullptr;
    int folderChanges = 0;
    int replacedCalls = 0;
    bool combo = false;
} g_spike;

INT_PTR CALLBACK SpikeExtProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++g_spike.replacedCalls;
    if (message == WM_SHOWWINDOW && wParam && !g_spike.combo) {
        // Wine's Explorer template has no edit 1152: its file-name box is
        // the ComboBoxEx 1148, which the extension replaces instead.
        HWND edit = GetDlgItem(dlg, 1152);
        if (!edit)
            edit = GetDlgItem(dlg, 1148);
        RECT r{};
        if (edit && GetWindowRect(edit, &r)) {
            MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
            SetWindowLongPtrA(edit, GWLP_ID, 1152 ^ 0x5555);
            ShowWindow(edit, SW_HIDE);
            CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, r.left, r.top,
                r.right - r.left, 200, dlg, reinterpret_cast<HMENU>(1152), nullptr, nullptr);
            g_spike.combo = true;
        }
    }
    return CallWindowProcA(reinterpret_cast<WNDPROC>(g_spike.previous), dlg, message, wParam, lParam);
}

UINT_PTR CALLBACK SpikeHook(HWND child, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        g_spike.child = child;
    if (!g_spike.previous && g_spike.child) {
        HWND dlg = GetParent(child);
        g_spike.previous = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dlg, DWLP_DLGPROC));
        SetWindowLongPtrA(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&SpikeExtProc));
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_FOLDERCHANGE)
        ++g_spike.folderChanges;
    return 0;
}

TEST(FileDialogSpike, HookedExplorerDialogTakesTheComboAndReportsFolders)
{
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFilter = "Alle\0*.*\0";
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = &SpikeHook;
    HWND comboSeen = nullptr;
    char comboClass[32] = "";
    winharness::ModalDriver driver(10000);
    // The hook's child is a dialog too: the system dialog is its parent.
    driver.Then([&](winharness::ModalDriver&) {
        HWND dlg = g_spike.child ? GetParent(g_spike.child) : nullptr;
        if (!dlg || !IsWindowVisible(dlg) || !g_spike.combo)
            return false;
        comboSeen = GetDlgItem(dlg, 1152);
        GetClassNameA(comboSeen, comboClass, sizeof comboClass);
        return true;
    }).Then([](winharness::ModalDriver&) {
        return PostMessageA(GetParent(g_spike.child), WM_COMMAND, IDCANCEL, 0) != 0;
    });
    driver.Run([&] { GetOpenFileNameA(&ofn); });
    EXPECT_NE(g_spike.child, nullptr);
    EXPECT_GT(g_spike.replacedCalls, 0);
    EXPECT_STRCASEEQ(comboClass, "ComboBox");
    EXPECT_GE(g_spike.folderChanges, 1);
}

}  // namespace
