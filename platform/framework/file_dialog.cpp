#include "platform/framework/file_dialog.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog)
{
    if (fileName)
        lstrcpynA(m_fileName, fileName, sizeof m_fileName);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
    m_ofn.lpstrFilter = filter;
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = sizeof m_fileName;
    m_ofn.lpstrDefExt = defaultExt;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

INT_PTR CFileDialog::DoModal()
{
    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    if (m_hWnd)
        Detach();
    return ok ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        auto* self = reinterpret_cast<CFileDialog*>(ofn->lCustData);
        if (self && !CWnd::FromHandlePermanent(child))
            self->Attach(child);
        return 0;
    }
    CWnd* object = CWnd::FromHandlePermanent(child);
    if (!object)
        return 0;
    if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (object->OnNotify(wParam, lParam, &result)) {
            SetWindowLongPtrA(child, DWLP_MSGRESULT, result);
            return 1;
        }
    } else if (message == WM_DESTROY) {
        object->Detach();
    }
    return 0;
}
