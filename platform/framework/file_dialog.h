// The framework's Open/Save dialog: the common dialog run through the
// program's import of GetOpenFileNameA/GetSaveFileNameA, its hook routing
// the child dialog's notifications to this object (attached to the child
// while the dialog is open).
#pragma once

#include "platform/framework/wnd.h"

#include <commdlg.h>

class CFileDialog : public CWnd {
public:
    // filter: NUL-separated pairs ended by an empty string, or null.
    explicit CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                         CWnd* parent = nullptr);

    // IDOK or IDCANCEL.
    virtual INT_PTR DoModal();
    const char* GetPathName() const { return m_fileName; }

    OPENFILENAMEA m_ofn{};
    BOOL m_bOpenFileDialog;

protected:
    static UINT_PTR CALLBACK HookProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam);

    char m_fileName[MAX_PATH + 2] = "";
};
