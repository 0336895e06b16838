// The choice dialog "Auswahl" over a TreeList: columns, entries with cell
// texts, single or multiple choice by selection or check marks, sorting by a
// header click, a popup menu, and with editing an empty last row through
// which the user adds entries.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/framework/message_routes.h"
#include "ui/dialogs/list_select_dlg.h"
#include "ui/dialogs/tree_select_dlg_logic.h"
#include "ui/treelist/win32/treelist_ctrl.h"

constexpr int kTreeSelectListId = 1007;
constexpr int kTreeSelectPlaceholderId = 1046;
constexpr int kTreeSelectCopyField = 1140;
constexpr int kTreeSelectDeleteRow = 57632;

class CTreeSelectDlg : public CChoiceDlg {
public:
    explicit CTreeSelectDlg(CWnd* parent = nullptr);
    ~CTreeSelectDlg() override;

    int AddColumn(const char* text, int16_t width, uint8_t align, uint8_t editable);
    int AddItem(int position, uint32_t data, const char* text, int selected = 0);
    uint32_t SetItemData(int index, uint32_t data);
    const char* GetCellText(int index, int column) const;
    int GetCellText(int index, int column, char* buffer, int size) const;
    int SetItemText(int index, const char* text) { return SetCellText(index, text, 0); }
    int SetCellText(int index, const char* text, int column);
    typedef TreeSelectModel::Less CompareFn;
    void SortItems(CompareFn compare) { m_model.Sort(compare); }
    static bool CompareByText(const ChoiceEntry& a, const ChoiceEntry& b);
    static bool CompareByData(const ChoiceEntry& a, const ChoiceEntry& b);
    void Clear() { m_model.ClearEntries(); }
    CTreeListCtrl* GetList() const { return m_list.get(); }

    // m_current before DoModal: -1 preselects the first entry, -2 none.
    uint32_t m_options = 0;
    int m_cancelAllowed = 1;
    uint32_t m_editData = 0xFFFFFFFF;  // the data word of rows added by the user
    // A first size change: 0x1234nnnn scales the template's size to nnnn/347
    // (width) or nnnn/301 (height), any other value adds that share. The
    // opening replaces each with the change it made in pixels.
    uint32_t m_width = 0, m_height = 0;
    int m_focusList = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The OK button: a press of it ends an open editor keeping its text
    // before the button takes the focus, whose loss would end the editor
    // dropping the text.
    class OkButton : public CWnd {
    public:
        explicit OkButton(CTreeSelectDlg& dialog) : m_dialog(dialog) {}

    protected:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        CTreeSelectDlg& m_dialog;
    };

    static int CALLBACK CompareRows(HWND, HTREEITEM item1, HTREEITEM item2, LPARAM, LPARAM, LPARAM self);
    // The key of a message in the dialog's table; false for none.
    bool KeyOf(UINT message, WPARAM wParam, LPARAM lParam, RouteKey* key) const;
    void OnSize(int cx, int cy);
    BOOL OnSizing(unsigned edge, RECT* window);
    void OnExitSizeMove();
    bool OnContextMenu(HWND from, LPARAM at);
    void OnDeleteEditedRow(uint32_t row, LPARAM entry);
    // An editor open when OK is pressed ends as Enter ends it: its text is
    // kept, with the edit's notification and what the dialog does on it.
    void EndEditKeeping();
    // The list's notifications.
    LRESULT OnDoubleClick(const NMTREEVIEWA& nm);
    LRESULT OnRightClick();
    LRESULT OnListKeyDown(const NMTVKEYDOWN& nm);
    LRESULT OnEditQuery() const;
    // Shift+F10 and the menu key: the menu of the caret cell, on its row.
    void OnKeyboardMenu();
    void ShowMenu(POINT at);
    void OnEnter();
    void OnHeaderClick(const NMHEADERA& nm);
    void OnEndLabelEdit(const NMTVDISPINFOA& nm);
    void OnDeleteRow();
    void OnCopyField();
    void SelectEvery(bool on);
    void Measure();
    void Place();
    void FillRows();
    void SaveRect();
    uint32_t InsertRow(const char* text, uint32_t entry) const;
    // The empty last row, whose data word is the entry count.
    uint32_t InsertAddRow() const;
    void SetCells(uint32_t row, const ChoiceEntry& entry) const;
    void SetRowState(uint32_t row, UINT state, UINT mask) const;
    LRESULT List(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    TreeSelectModel m_model;
    std::unique_ptr<CTreeListCtrl> m_list;
    bool m_redrawPending = false;
    int m_buttonWidth = 0, m_minWidth = 0, m_minHeight = 0, m_gap = 0, m_buttonTop = 0, m_buttonBottom = 0;
    int m_listLeft = 0, m_listTop = 0, m_listBottom = 0;
    bool m_sizeSaved = false;
    SIZE m_savedSize = {};
    uint32_t m_contextItem = 0, m_contextColumn = 0;
    bool m_sortDescending = false;
    uint8_t m_sortColumn = 0;
    OkButton m_okButton{*this};
};
