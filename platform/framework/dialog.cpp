#include "platform/framework/dialog.h"

#include <vector>

#include "platform/framework/creation_hook.h"

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr UINT kExchangeMessageStyle = MB_OK | MB_ICONEXCLAMATION;

}  // namespace

CDialog::CDialog(UINT resourceId, CWnd* parent) : m_pParentWnd(parent), m_resourceId(resourceId) {}

CDialog::~CDialog() = default;

void CDialog::SetTemplate(const DialogLayout& layout, CWnd* parent)
{
    m_template = std::make_unique<DialogTemplate>(layout);
    m_pParentWnd = parent;
}

INT_PTR CDialog::DialogProc(HWND wnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dialog = static_cast<CDialog*>(FromHandlePermanent(wnd));
    if (!dialog) {
        // The creation hook missed it (another hook swallowed the event):
        // bind now, late but before any handler of ours runs.
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->SubclassWindow(wnd);
    }
    try {
        return dialog->OnInitDialog();
    } catch (...) {
        // No exception may cross the dialog manager.
        ::EndDialog(wnd, -1);
        return FALSE;
    }
}

void CDialog::SetResourceTemplate(UINT resourceId)
{
    m_template.reset();
    m_resourceId = resourceId;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    const HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    framework_detail::CreationHook hook(this, kDialogClass, parent);
    if (m_template)
        return DialogBoxIndirectParamA(instance, m_template->Get(), parent, &DialogProc, self);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(m_resourceId), parent, &DialogProc, self);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL save)
{
    CDataExchange dx(this, save);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

HWND CDataExchange::PrepareCtrl(int id)
{
    const HWND control = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), id);
    if (!control)
        throw std::logic_error("data exchange with a control the dialog does not have");
    m_lastControl = control;
    m_lastIsEdit = false;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    const HWND control = PrepareCtrl(id);
    m_lastIsEdit = true;
    return control;
}

void CDataExchange::Fail(const char* message)
{
    const HWND dialog = m_pDlgWnd->GetSafeHwnd();
    if (message)
        FrameworkMessageBox(dialog, message, nullptr, kExchangeMessageStyle);
    if (m_lastControl) {
        // Through the dialog manager, so the default button follows; once
        // more after the message box's reactivation of the dialog, which may
        // still be queued and would restore the focus the box took away.
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_lastControl), TRUE);
        if (message)
            PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_lastControl), TRUE);
        if (m_lastIsEdit)
            SendMessageA(m_lastControl, EM_SETSEL, 0, -1);
    }
    throw CDataExchangeFailure();
}

int FrameworkMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

CString GetControlText(HWND control)
{
    const int length = GetWindowTextLengthA(control);
    std::vector<char> text(size_t(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    return CString(text.data());
}

void SetControlTextIfChanged(HWND control, const char* text)
{
    if (!(GetControlText(control) == text))
        SetWindowTextA(control, text);
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = GetControlText(control);
    else
        SetControlTextIfChanged(control, value);
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    const HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = int(SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        SendMessageA(control, BM_SETCHECK, WPARAM(value), 0);
}
