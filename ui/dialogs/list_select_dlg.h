// The choice dialogs "Auswahl" over a list box (CListSelectDlg: single or
// multiple choice, plain or with owner-drawn check marks) and over a combo
// box (CComboSelectDlg), built from templates in memory. The caller fills
// the entries, runs DoModal and reads the result.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/dialog.h"
#include "ui/dialogs/choice_dlg_logic.h"

constexpr int kChoicePromptId = 1131;
constexpr int kChoiceComboListId = 1132;  // drop-down list
constexpr int kChoiceComboEditId = 1133;  // editable
constexpr int kChoiceListFirstId = 1133;  // the list of mode m is 1133 + m
constexpr int kChoiceContextMenu = 1137;
constexpr int kChoiceSelectAll = 1138;
constexpr int kChoiceSelectNone = 1139;
constexpr LONG kListSelectDlgMarker = 196;
constexpr LONG kComboSelectDlgMarker = 198;

// A child's window rectangle in the dialog's client coordinates.
RECT ChoiceChildRect(HWND dialog, HWND child);
// Moves a child of a dialog being resized; the whole child repaints, as
// bits copied from its old place may be erased by the parent's repaint of
// the newly exposed area.
void ChoiceMoveChild(HWND child, int x, int y, int width, int height);
// The work area of the monitor nearest to the window rectangle, and the
// rectangle moved into it.
RECT ChoiceWorkArea(const RECT& window);
RECT ChoiceInsideWorkArea(const RECT& window);
// The screen point where a popup menu opened from the keyboard goes: on the
// caret row's cell (in the list's client coordinates, null when there is
// none), else at the top of the rows, which start `rowsTop` pixels down the
// client area (below a header).
POINT ChoiceKeyboardMenuPoint(HWND list, const RECT* caretCell, int rowsTop = 0);
// WM_SIZING's rectangle kept at the minimum size, moved at the dragged edge.
void ChoiceKeepMinimumSize(RECT& window, unsigned edge, int minWidth, int minHeight);
// WM_CONTEXTMENU's lParam when the keyboard (Shift+F10, the menu key) asks.
constexpr LPARAM kChoiceMenuFromKeyboard = -1;

// What the choice dialogs share: the entries and the result.
class CChoiceDlg : public CDialog {
public:
    void SetTitle(const char* text) { m_title = text; }
    void SetPrompt(const char* text) { m_prompt = text; }
    int AddItem(int position, uint32_t data, const char* text, int selected = 0);
    uint32_t GetItemData(int index) const;
    const char* GetItemText(int index) const;
    int GetItemText(int index, char* buffer, int size) const;
    int IsItemSelected(int index) const;
    void SetItemSelected(int index, int selected);
    // The found index becomes the current index; -1 when none.
    int FindItem(const char* text, int noCase);
    void SortItems(bool byData);
    void Clear() { m_entries.Clear(); }
    int GetCount() const { return m_entries.Count(); }
    const char* GetText() const { return m_text; }
    // At most size - 1 characters and a NUL; the number copied.
    int GetText(char* buffer, int size) const;
    uint32_t GetData() const { return m_data; }

    CString m_text;  // the chosen text after OK, else empty
    CString m_title;
    CString m_prompt;
    uint32_t m_data = 0;
    int m_current = -1;  // the entry to show first; after OK the chosen one

protected:
    // The table lives in the derived dialog.
    explicit CChoiceDlg(ChoiceEntries& entries) : m_entries(entries) {}
    // The caption and the prompt (an empty one hidden).
    void ShowTexts();
    // The chosen entry's text and data word, or empty and 0.
    void TakeResult(int index);
    // The list and combo choices share one place for the process, so the
    // next opens where the last closed: moves there at this size, kept
    // inside the work area of its monitor.
    void MoveToLastPlace(int width, int height);
    // Saves the place; the window rectangle.
    RECT SaveLastPlace();
    ChoiceEntries& m_entries;
};

class CListSelectDlg : public CChoiceDlg {
public:
    explicit CListSelectDlg(CWnd* parent = nullptr);
    ~CListSelectDlg() override;

    // 0 single choice, 1 multiple choice, 2 single choice by a check mark,
    // 3 multiple choice by check marks.
    void SetMode(int mode) { m_mode = mode >= 0 && mode <= 3 ? mode : 0; }
    int GetMode() const { return m_mode; }

    int m_cancelAllowed = 1;  // 0 hides "Abbrechen" and ignores Escape

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct ListMessage;

    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog's messages: false leaves one to the dialog's default.
    bool OnMeasureItem(LRESULT& answer, MEASUREITEMSTRUCT& item);
    bool OnDrawItem(LRESULT& answer, const DRAWITEMSTRUCT& item);
    bool OnListNotice(uint16_t id, uint16_t code, HWND from);
    bool OnContextMenu(HWND from, LPARAM at);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    BOOL OnSizing(unsigned edge, RECT* window);
    // The list's messages: false leaves one to the list's own procedure.
    bool OnListPress(LRESULT& answer, const ListMessage& m, int x);
    bool OnListDoubleClick(int x);
    void OnListRightUp();
    LRESULT OnListKey(const ListMessage& m, WPARAM key);
    bool OnListChar(WPARAM ch);
    void OnListCommand(UINT code);
    void DrawRow(const DRAWITEMSTRUCT& item);
    void Toggle(int index);
    void MoveCheck(int index);
    void SelectEvery(bool on);
    // The popup menu of the multiple modes at a screen point.
    void ShowMenu(POINT at);
    void ShowMenuAtPointer();
    void ShowMenuAtCaret();
    void Search(unsigned char ch);
    void Layout(int cx, int cy);
    void MeasureLayout();
    void SaveRect();
    bool OwnerDrawn() const { return m_mode >= 2; }
    HWND List() const;

    ChoiceEntries m_table;
    int m_mode = 0;
    ChoiceSearch m_search;
    bool m_inKey = false;    // a selection change now comes from a key
    bool m_inWheel = false;
    SIZE m_minSize = {};     // of the window, from the template
    int m_margin = 0, m_listTop = 0, m_listBelow = 0, m_buttonGap = 0, m_buttonWidth = 0, m_buttonsBelow = 0, m_buttonHeight = 0;
    bool m_measured = false;
    SIZE m_savedSize = {};   // of the last OK or Cancel, taken by the next run
    std::vector<uint8_t> m_before;  // the flags at opening, restored by Cancel
};

class CComboSelectDlg : public CChoiceDlg {
public:
    explicit CComboSelectDlg(CWnd* parent = nullptr);
    // Non-zero shows the editable combo box, where the user may also type a
    // text that is no entry.
    void SetEditable(int editable) { m_editable = editable; }
    int m_editable = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    ChoiceEntries m_table;
    int ComboId() const { return m_editable ? kChoiceComboEditId : kChoiceComboListId; }
};
