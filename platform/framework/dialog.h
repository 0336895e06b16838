// CDialog: a modal dialog run from an in-memory template (DialogTemplate) or
// a dialog resource. The object is bound to its window before the window's
// first message, so handlers of messages that come before WM_INITDIALOG
// (WM_SIZE, WM_MEASUREITEM of owner-drawn lists) reach it. OK and Cancel go
// to the virtual OnOK and OnCancel; data exchange runs through
// DoDataExchange in both directions.
#pragma once

#include <memory>
#include <stdexcept>

#include "platform/framework/dialog_template.h"
#include "platform/framework/string_object.h"
#include "platform/framework/wnd.h"

class CDialog : public CWnd {
public:
    CDialog() = default;
    // A dialog from the program's resource with this id.
    explicit CDialog(UINT resourceId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Use an in-memory template; the layout is copied.
    void SetTemplate(const DialogLayout& layout, CWnd* parent);
    // Use the program's dialog resource with this id instead.
    void SetResourceTemplate(UINT resourceId);

    // Runs the dialog; the value given to EndDialog, or -1 when the dialog
    // could not be made.
    virtual INT_PTR DoModal();
    // Default: data exchange into the controls; TRUE lets the system set the
    // focus.
    virtual BOOL OnInitDialog();
    // Default: data exchange out of the controls, then EndDialog(IDOK) when
    // it succeeded.
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    // Runs DoDataExchange; save TRUE reads the controls. FALSE when a value
    // failed (the focus is then on its control).
    BOOL UpdateData(BOOL save = TRUE);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    CWnd* m_pParentWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<DialogTemplate> m_template;
    UINT m_resourceId = 0;
};

// Thrown by CDataExchange::Fail; UpdateData catches it.
class CDataExchangeFailure : public std::runtime_error {
public:
    CDataExchangeFailure() : std::runtime_error("data exchange failed") {}
};

// One run of data exchange: the direction and the control last prepared,
// which keeps the focus when a value fails.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control's window; remembered for Fail. Throws when the dialog has
    // no control with that id (a template error).
    HWND PrepareCtrl(int id);
    // The same for an edit: Fail then selects its text.
    HWND PrepareEditCtrl(int id);
    // Shows the message (when given) owned by the dialog, puts the focus on
    // the last prepared control and ends the exchange.
    [[noreturn]] void Fail(const char* message = nullptr);

private:
    HWND m_lastControl = nullptr;
    bool m_lastIsEdit = false;
};

// The message box of the dialogs (failed exchanges, questions of workers);
// one function so the library's own message box can take its place.
int FrameworkMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// A control's whole text (8-bit).
CString GetControlText(HWND control);
// Sets the text only when it differs, so the caret and selection stay.
void SetControlTextIfChanged(HWND control, const char* text);

void DDX_Text(CDataExchange* dx, int id, CString& value);
// A check box or radio button: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
