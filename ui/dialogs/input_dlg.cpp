#include "ui/dialogs/input_dlg.h"

#include "text/text_services.h"
#include "ui/dialogs/input_dlg_logic.h"
#include "ui/utils/work_area.h"

namespace {

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const DialogItem kPlainItems[] = {
    {"EDIT", kInputEditId, kEditStyle, 5, 15, 220, 13, "", 0},
    {"BUTTON", IDOK, kButtonStyle | BS_DEFPUSHBUTTON, 120, 35, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, kButtonStyle, 175, 35, 50, 14, "Abbrechen", 0},
    {"STATIC", kInputPromptId, WS_CHILD | WS_VISIBLE | WS_GROUP, 5, 5, 220, 8, "", 0},
};
const DialogItem kPasswordItems[] = {
    {"EDIT", kInputEditId, kEditStyle | ES_PASSWORD, 5, 15, 220, 13, "", 0},
    kPlainItems[1],
    kPlainItems[2],
    kPlainItems[3],
};
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr char kCaption[] = "Dateinamen eingeben";

RECT ChildRect(HWND dialog, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

CInputDlg::CInputDlg(CWnd* parent, int password)
{
    if (password)
        SetTemplate(MakeDialogLayout(kDialogStyle, 232, 58, kCaption, kPasswordItems), parent);
    else
        SetTemplate(MakeDialogLayout(kDialogStyle, 232, 58, kCaption, kPlainItems), parent);
}

int CInputDlg::GetText(char* buffer, int size) const
{
    return size < 1 ? 0 : StrCopyBoundedA(buffer, m_text, size);
}

void CInputDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, kInputEditId, m_text);
}

void CInputDlg::ReplaceWithPasswordEdit()
{
    const HWND old = ::GetDlgItem(m_hWnd, kInputEditId);
    if (!old)
        return;
    const RECT rect = ChildRect(m_hWnd, old);
    const DWORD style = DWORD(GetWindowLongA(old, GWL_STYLE)) | ES_PASSWORD;
    const HWND edit = CreateWindowExA(DWORD(GetWindowLongA(old, GWL_EXSTYLE)), "EDIT", "", style, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kInputEditId)),
                                      GetModuleHandleA(nullptr), nullptr);
    if (!edit)
        return;
    ::SendMessageA(edit, WM_SETFONT, ::SendMessageA(old, WM_GETFONT, 0, 0), FALSE);
    // Into the old edit's place in the tab order, before it goes.
    ::SetWindowPos(edit, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::DestroyWindow(old);
}

void CInputDlg::ApplyWidth()
{
    RECT window;
    GetWindowRect(&window);
    const int width = window.right - window.left;
    // No wider than the screen's work area, so the buttons stay on it.
    const RECT area = WorkAreaOf(m_hWnd);
    const int change = FitGrowth(width, InputWidthChange(width, m_width), area.right - area.left);
    m_widthChange = change;
    if (change == 0)
        return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, width + change, window.bottom - window.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const int id : {kInputEditId, kInputPromptId}) {
        const HWND item = ::GetDlgItem(m_hWnd, id);
        const RECT rect = ChildRect(m_hWnd, item);
        ::SetWindowPos(item, nullptr, 0, 0, rect.right - rect.left + change, rect.bottom - rect.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const int id : {IDOK, IDCANCEL}) {
        const HWND item = ::GetDlgItem(m_hWnd, id);
        const RECT rect = ChildRect(m_hWnd, item);
        ::SetWindowPos(item, nullptr, rect.left + change, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CInputDlg::InitInput(LONG marker, bool password)
{
    SetWindowLongA(m_hWnd, GWL_USERDATA, marker);
    if (password)
        ReplaceWithPasswordEdit();
    if (m_focus)
        PostMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_hWnd, kInputEditId)), 1);
    ApplyWidth();
    KeepWindowInWorkArea(m_hWnd);
    CDialog::OnInitDialog();
    if (!m_title.IsEmpty())
        SetWindowText(m_title);
    if (!m_prompt.IsEmpty())
        ::SetDlgItemTextA(m_hWnd, kInputPromptId, m_prompt);
}

BOOL CInputDlg::OnInitDialog()
{
    InitInput(kInputDlgMarker, m_password != 0);
    return TRUE;
}

CInputNumDlg::CInputNumDlg(CWnd* parent) : CInputDlg(parent, 0)
{
    m_text = CString("0");  // a move: GCC 12 warns wrongly on assigning the literal
}

BOOL CInputNumDlg::OnInitDialog()
{
    InitInput(kInputNumDlgMarker, false);
    return TRUE;
}

void CInputNumDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_number = ParseInputNumber(m_text);
    EndDialog(IDOK);
}
