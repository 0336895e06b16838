// Extended Open and Save dialogs. HookFileDialogs redirects the program's
// imports of GetOpenFileNameA/GetSaveFileNameA to the wrappers below; these
// hook every Explorer-style dialog and give it a recent list in a combo box
// over the file-name box, a type-ahead popup fed by a worker thread, '/'
// to '\' on OK, the context command "Kopiere aktuellen Pfad", an optional
// caption on the read-only box, Save through the Open dialog, and a first
// size that fits the work area.
#pragma once

#include "platform/framework/file_dialog.h"
#include "platform/win32/win.h"

#include <commdlg.h>

constexpr int kFileNameId = 1152;
constexpr int kPopupId = 1408;
constexpr int kCopyPathCommand = 18585;
constexpr WORD kMatchesAvailable = 0x000A;

// Patches the named module's imports (null: the program); the number of
// entries patched (slots holding the wrappers already are skipped).
int HookFileDialogs(const char* moduleName);
BOOL WINAPI GetOpenFileNameExt(OPENFILENAMEA* ofn);
BOOL WINAPI GetSaveFileNameExt(OPENFILENAMEA* ofn);
UINT_PTR CALLBACK FileDialogHookProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FileDialogExtProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// save 0 loads the stored list into the combo box, 1 stores its entries.
void OfnListRegistry(HWND combo, UINT mode, const char* profile, int save);

// The framework's file dialog that takes over the hook's child window.
class CFileDialogNew : public CFileDialog {
public:
    CFileDialogNew();
    ~CFileDialogNew() override;
    // Takes the window from the framework object bound to it; 1 when there
    // was one, else 0.
    int AttachToDialog(HWND window);

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
