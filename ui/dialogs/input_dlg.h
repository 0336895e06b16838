// Dialogs asking for one line of text (CInputDlg) or a number (CInputNumDlg),
// built from a template in memory.
#pragma once

#include <cstdint>

#include "platform/framework/dialog.h"

constexpr int kInputEditId = 1008;
constexpr int kInputPromptId = 1034;
constexpr LONG kInputDlgMarker = 195;     // GWL_USERDATA of the UI library's dialogs
constexpr LONG kInputNumDlgMarker = 197;

class CInputDlg : public CDialog {
public:
    // A non-zero password flag makes the edit hide what is typed.
    explicit CInputDlg(CWnd* parent = nullptr, int password = 0);

    void SetTitle(const char* text) { m_title = text; }
    void SetPrompt(const char* text) { m_prompt = text; }
    void SetText(const char* text) { m_text = text; }
    const char* GetText() const { return m_text; }
    // At most size - 1 characters and a NUL; the number copied (0 for a
    // size below 1, the buffer untouched).
    int GetText(char* buffer, int size) const;

    CString m_text;
    CString m_title;
    CString m_prompt;
    int m_password = 0;  // switch the edit to password mode when the dialog opens
    int m_focus = 0;     // put the focus into the edit
    // Width option (input_dlg_logic.h); 0 keeps the template's width. The
    // window grows no wider than the work area of its monitor.
    int m_width = 0;
    // The pixels the option added at the last opening (the option itself
    // stays, so a second run on the object applies it to the template again).
    int m_widthChange = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // The steps of opening shared with CInputNumDlg.
    void InitInput(LONG marker, bool password);

private:
    void ReplaceWithPasswordEdit();
    void ApplyWidth();
};

class CInputNumDlg : public CInputDlg {
public:
    explicit CInputNumDlg(CWnd* parent = nullptr);

    int32_t GetNumber() const { return m_number; }
    int32_t m_number = 0;  // the result after OK

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
