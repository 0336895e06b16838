// The notification record of the folder tree and the path combo box (the
// path pointer is the record's sixth 32-bit word), the dropped-file and the
// folder-order helpers they share with the folder dialog.
#pragma once

#include "platform/framework/wnd.h"
#include "platform/win32/win.h"

#include <shellapi.h>

#include <string>

struct PathNotifyRecord {
    NMHDR hdr;
    UINT_PTR action;
    LPARAM item;
    const char* path;
};

// Sends WM_NOTIFY with the code and the path from the control to its parent.
inline LRESULT SendPathNotify(HWND control, UINT code, const char* path)
{
    PathNotifyRecord nm = {};
    nm.hdr.hwndFrom = control;
    nm.hdr.idFrom = UINT_PTR(GetDlgCtrlID(control));
    nm.hdr.code = code;
    nm.path = path;
    return SendMessageA(GetParent(control), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

// The first file of a WM_DROPFILES (the drop handle is finished).
inline std::string TakeFirstDroppedFile(HDROP drop)
{
    char file[MAX_PATH + 1] = "";
    DragQueryFileA(drop, 0, file, sizeof file);
    DragFinish(drop);
    return file;
}

// A control's WM_DROPFILES: its parent has the first file as notification Code.
template <UINT Code>
void NotifyDroppedFile(CWnd& control, HDROP drop)
{
    SendPathNotify(control.m_hWnd, Code, TakeFirstDroppedFile(drop).c_str());
}

// Folder names in the user's locale order without case ("äpfel, Ärger,
// Übersicht, Weg"), as the platform compares them.
inline int FolderNameCompare(const char* a, const char* b) { return lstrcmpiA(a, b); }
