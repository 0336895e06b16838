#include "ui/dialogs/tree_select_dlg.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "system/message_box.h"
#include "ui/dialogs/choice_dlg_routes.h"
#include "ui/dialogs/list_select_dlg.h"
#include "ui/utils/shell_utils.h"

namespace {

constexpr DWORD kDialogStyle = 0x80CC0040;  // popup, caption, system menu, sizing frame
const DialogItem kItems[] = {
    {"BUTTON", IDOK, 0x50010001, 55, 165, 50, 14, "OK", 0},
    {"BUTTON", IDCANCEL, 0x50010000, 120, 165, 50, 14, "Abbrechen", 0},
    {"STATIC", kTreeSelectPlaceholderId, 0x40000007, 0, 15, 225, 145, "", 0},
    {"STATIC", kChoicePromptId, 0x50020000, 5, 3, 215, 8, "", 0},
};

constexpr DWORD kListStyle = 0x50011010;  // child, visible, tab stop, full-row select, no drag
constexpr UINT kStateRecord = TVIF_SUBITEM | TVIF_STATE | TVIF_HANDLE;  // 0x8018
constexpr UINT kTextRecord = TVIF_SUBITEM | TVIF_TEXT;                   // 0x8001
constexpr UINT kCheckMask = 0xF000;
constexpr UINT kChecked = 0x2000;
constexpr UINT kUnchecked = 0x1000;
constexpr UINT kCheckShift = 13;
// The add row is no choice: no check box, and this bit (an overlay index no
// image list of the dialog shows) locks the box through the control's
// check-lock option, so neither a click nor Space gives it one.
constexpr UINT kAddRowLock = INDEXTOOVERLAYMASK(8);
constexpr UINT kTextChanged = 0x20000000;
constexpr LRESULT kQueryOpenEditor = LRESULT(0x80000000u);
constexpr WPARAM kColumnEditWord = 0x106;   // editor kind 1, option bits 6
constexpr uint32_t kColumnEditShift = 11;
constexpr int kEditTextMax = 256;
constexpr int kWidthBase = 347, kHeightBase = 301;  // template pixels the size settings scale from
constexpr int kPromptHeight = 20;
constexpr int kExtraWidth = 40, kExtraHeight = 100;
constexpr UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN;  // 0x105
// Posted so a row emptied by an edit goes after the edit's notification.
constexpr UINT kDeleteEditedRow = WM_APP + 0x1A;
constexpr int kCellRefreshColumn = -1;
constexpr WPARAM kCellRect = 0x80;  // TVM_GETITEMRECT: the cell of the column in the top byte
constexpr int kCellRectColumnShift = 24;

ChoiceSavedPosition g_lastPosition;  // of the tree choices, apart from the list choices'

HTREEITEM Item(uint32_t h) { return reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(h)); }
uint32_t Handle(HTREEITEM h) { return uint32_t(reinterpret_cast<uintptr_t>(h)); }

}  // namespace

CTreeSelectDlg::CTreeSelectDlg(CWnd* parent) : CChoiceDlg(m_model.entries)
{
    SetTemplate(MakeDialogLayout(kDialogStyle, 225, 184, "Auswahl", kItems), parent);
}

CTreeSelectDlg::~CTreeSelectDlg() = default;

// ---- entries ----

int CTreeSelectDlg::AddColumn(const char* text, int16_t width, uint8_t align, uint8_t editable)
{
    return m_model.AddColumn(text, width, align, editable);
}

int CTreeSelectDlg::AddItem(int position, uint32_t data, const char* text, int selected)
{
    return m_model.AddItem(position, data, text, selected != 0);
}

uint32_t CTreeSelectDlg::SetItemData(int index, uint32_t data)
{
    ChoiceEntry* e = m_model.entries.At(index);
    if (!e)
        return 0;
    return std::exchange(e->data, data);
}

const char* CTreeSelectDlg::GetCellText(int index, int column) const { return m_model.CellText(index, column); }

int CTreeSelectDlg::GetCellText(int index, int column, char* buffer, int size) const
{
    if (size < 1 || !buffer || (column > 0 && column >= int(m_model.columns.size())))
        return 0;
    if (!m_model.entries.Valid(index)) {
        buffer[0] = 0;
        return 0;
    }
    return ChoiceCopyText(GetCellText(index, column), buffer, size);
}

int CTreeSelectDlg::SetCellText(int index, const char* text, int column)
{
    return m_model.SetCellText(index, text, column) ? 1 : 0;
}

bool CTreeSelectDlg::CompareByText(const ChoiceEntry& a, const ChoiceEntry& b)
{
    return ChoiceCompareNoCase(a.text.c_str(), b.text.c_str()) < 0;
}

bool CTreeSelectDlg::CompareByData(const ChoiceEntry& a, const ChoiceEntry& b) { return a.data < b.data; }

// ---- the list ----

LRESULT CTreeSelectDlg::List(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_list && m_list->m_hWnd ? ::SendMessageA(m_list->m_hWnd, message, wParam, lParam) : 0;
}

uint32_t CTreeSelectDlg::InsertRow(const char* text, uint32_t entry) const
{
    return m_list->InsertItem(TVIF_TEXT | TVIF_PARAM, text, 0, 0, 0, 0, LPARAM(entry), kTreeListRoot, kTreeListLast);
}

uint32_t CTreeSelectDlg::InsertAddRow() const
{
    const LPARAM entry = LPARAM(m_model.entries.Count());
    if (!(m_options & kTreeSelectCheckBoxes))
        return InsertRow("", uint32_t(entry));
    return m_list->InsertItem(TVIF_TEXT | TVIF_PARAM | TVIF_STATE, "", 0, 0, kAddRowLock, kCheckMask | kAddRowLock,
                              entry, kTreeListRoot, kTreeListLast);
}

void CTreeSelectDlg::SetCells(uint32_t row, const ChoiceEntry& entry) const
{
    TVITEMA tv = {};
    tv.mask = kTextRecord;
    tv.hItem = Item(row);
    tv.cchTextMax = kEditTextMax;
    for (const ChoiceCell& cell : entry.cells) {
        tv.pszText = const_cast<char*>(cell.text.c_str());
        tv.cChildren = cell.column;
        List(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    }
}

void CTreeSelectDlg::SetRowState(uint32_t row, UINT state, UINT mask) const
{
    TVITEMA tv = {};
    tv.mask = kStateRecord;
    tv.hItem = Item(row);
    tv.state = state;
    tv.stateMask = mask;
    List(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void CTreeSelectDlg::Measure()
{
    RECT client;
    GetClientRect(&client);
    const int h = client.bottom;
    const RECT list = ChoiceChildRect(m_hWnd, m_list->m_hWnd);
    const RECT ok = ChoiceChildRect(m_hWnd, ::GetDlgItem(m_hWnd, IDOK));
    const RECT cancel = ChoiceChildRect(m_hWnd, ::GetDlgItem(m_hWnd, IDCANCEL));
    m_listLeft = list.left;
    m_listTop = list.top;
    m_listBottom = h - list.bottom;
    m_buttonWidth = cancel.right - cancel.left;
    m_buttonTop = h - cancel.top;
    m_buttonBottom = h - cancel.bottom;
    m_gap = cancel.left - ok.right;
    m_minWidth = (m_cancelAllowed ? cancel.right : cancel.left) + kExtraWidth - ok.left;
    m_minHeight = h - ok.top + kExtraHeight;
}

void CTreeSelectDlg::Place()
{
    RECT window;
    GetWindowRect(&window);
    int width = window.right - window.left, height = window.bottom - window.top;
    int32_t savedX = 0, savedY = 0;
    const bool saved = g_lastPosition.Load(savedX, savedY);
    bool placed = saved;
    if (m_sizeSaved) {
        width = m_savedSize.cx;
        height = m_savedSize.cy;
        placed = true;
    } else if (m_width || m_height) {
        const int wider = ChoiceSizeChange(m_width, width, kWidthBase, m_minWidth);
        const int higher = ChoiceSizeChange(m_height, height, kHeightBase, m_minHeight);
        width += wider;
        height += higher;
        // The settings now hold the changes they made, in pixels.
        m_width = uint32_t(wider);
        m_height = uint32_t(higher);
        placed = true;
    }
    const ChoicePoint savedAt = {savedX, savedY};
    // The work area of the monitor the saved place lies on, if any.
    const RECT area = ChoiceWorkArea(saved ? RECT{savedX, savedY, savedX + width, savedY + height} : window);
    const ChoiceRect made = {window.left, window.top, window.left + width, window.top + height};
    const ChoiceRect at = TreeSelectPlace(made, saved ? &savedAt : nullptr, GetSystemMetrics(SM_CXSCREEN),
                                          GetSystemMetrics(SM_CYSCREEN), {area.left, area.top, area.right, area.bottom});
    if (placed || at.left != window.left || at.top != window.top)
        MoveWindow(at.left, at.top, width, height, FALSE);
}

// One pass in table order: each row gets its state and cells as it is
// inserted, so no row is looked up again.
void CTreeSelectDlg::FillRows()
{
    const bool boxes = m_options & kTreeSelectCheckBoxes;
    const bool multiple = m_options & kTreeSelectMultiple;
    const int count = m_model.entries.Count();
    if (m_current <= -2)
        m_current = -1;  // nothing preselected
    else if (!multiple && (m_current < 0 || m_current >= count))
        m_current = 0;
    const int preselect = multiple ? -1 : m_current;
    uint32_t preselectRow = 0;
    for (int i = 0; i < count; ++i) {
        const ChoiceEntry& e = *m_model.entries.At(i);
        const uint32_t row = InsertRow(e.text.c_str(), uint32_t(i));
        if (!row)
            continue;
        if (multiple && boxes)
            SetRowState(row, e.selected ? kChecked : kUnchecked, kCheckMask);
        else if (multiple && e.selected)
            SetRowState(row, TVIS_SELECTED, TVIS_SELECTED);  // keeps the others selected too
        SetCells(row, e);
        if (i == preselect)
            preselectRow = row;
    }
    if (preselectRow && boxes)
        SetRowState(preselectRow, kChecked, kCheckMask);
    else if (preselectRow)
        List(TLM_SELECTCELL, 0, LPARAM(preselectRow));
    if (m_options & kTreeSelectAddRow)
        InsertAddRow();
}

BOOL CTreeSelectDlg::OnInitDialog()
{
    m_redrawPending = false;
    m_options = TreeSelectOpeningOptions(m_options, m_model.columns);
    DWORD style = kListStyle;
    if (m_options & kTreeSelectCheckBoxes)
        style |= TVS_CHECKBOXES;
    if (m_options & kTreeSelectEditing)
        style |= TVS_EDITLABELS;
    m_list = std::make_unique<CTreeListCtrl>();
    if (!m_list->CreateOverControl(WS_EX_CLIENTEDGE, style, kTreeSelectPlaceholderId, this, kTreeSelectListId)) {
        EndDialog(-1);
        return FALSE;
    }
    List(TVM_SETEXTENDEDSTYLE, 0, LPARAM(TreeSelectExtendedStyle(m_options, !m_model.columns.empty())));
    if (m_options & kTreeSelectCheckBoxes)
        List(TLM_OPTION, kTreeListOptionSet | kTreeListOptionCheckLockStates, LPARAM(kAddRowLock));
    for (size_t i = 0; i < m_model.columns.size(); ++i) {
        const TreeSelectColumn& c = m_model.columns[i];
        m_list->InsertColumn(uint32_t(i), c.text.c_str(), c.align, c.width);
        if (c.editable)
            List(TLM_SETCOLUMNEDIT, ((i % 64) << kColumnEditShift) | kColumnEditWord, 0);
    }
    Measure();
    if (m_focusList)
        PostMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list->m_hWnd), TRUE);
    if (m_prompt.IsEmpty()) {
        m_minHeight -= kPromptHeight;
        m_listTop -= kPromptHeight;
    }
    Place();
    if (!m_cancelAllowed) {
        m_gap = 0;
        ::ShowWindow(::GetDlgItem(m_hWnd, IDCANCEL), SW_HIDE);
    }
    RECT client;
    GetClientRect(&client);
    OnSize(client.right, client.bottom);
    List(WM_SETREDRAW, FALSE);
    FillRows();
    List(WM_SETREDRAW, TRUE);
    CDialog::OnInitDialog();
    ShowTexts();
    m_okButton.SubclassDlgItem(IDOK, this);
    return TRUE;
}

void CTreeSelectDlg::OnSize(int cx, int cy)
{
    if (cx <= 0 || cy <= 0 || !m_list || !m_list->m_hWnd)
        return;
    ChoiceMoveChild(m_list->m_hWnd, m_listLeft, m_listTop, cx - 2 * m_listLeft, cy - m_listBottom - m_listTop);
    const int top = cy - m_buttonTop;
    const int height = m_buttonTop - m_buttonBottom;
    const ChoiceButtons row = ChoiceButtonRow(cx, m_buttonWidth, m_gap, m_cancelAllowed != 0);
    ChoiceMoveChild(::GetDlgItem(m_hWnd, IDOK), row.okX, top, m_buttonWidth, height);
    if (m_cancelAllowed)
        ChoiceMoveChild(::GetDlgItem(m_hWnd, IDCANCEL), row.cancelX, top, m_buttonWidth, height);
}

void CTreeSelectDlg::SaveRect()
{
    RECT window;
    GetWindowRect(&window);
    m_savedSize = {window.right - window.left, window.bottom - window.top};
    m_sizeSaved = true;
    g_lastPosition.Save(window.left, window.top);
}

void CTreeSelectDlg::EndEditKeeping()
{
    if (!List(TVM_GETEDITCONTROL))
        return;
    List(TVM_ENDEDITLABELNOW, FALSE);
    // A row the edit emptied goes now, not after the dialog has read its rows.
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, kDeleteEditedRow, kDeleteEditedRow, PM_REMOVE))
        OnDeleteEditedRow(uint32_t(msg.wParam), msg.lParam);
}

LRESULT CTreeSelectDlg::OkButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK)
        m_dialog.EndEditKeeping();
    return CWnd::WindowProc(message, wParam, lParam);
}

void CTreeSelectDlg::OnOK()
{
    EndEditKeeping();
    SaveRect();
    m_current = -1;
    const bool boxes = m_options & kTreeSelectCheckBoxes;
    const int count = m_model.entries.Count();
    for (uint32_t row = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(kTreeListRoot))); row;
         row = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(row)))) {
        const uint32_t entry = uint32_t(List(TLM_GETITEMDATA, 0, LPARAM(row)));
        TVITEMA tv = {};
        tv.mask = kStateRecord;
        tv.hItem = Item(row);
        tv.stateMask = boxes ? kCheckMask : TVIS_SELECTED;
        List(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        const UINT flag = boxes ? (tv.state & kCheckMask) >> kCheckShift : tv.state & TVIS_SELECTED;
        if (entry < uint32_t(count)) {
            m_model.entries.At(int(entry))->selected = flag ? 1 : 0;
            if (flag)
                m_current = int(entry);
        }
    }
    TakeResult(m_current);
    CDialog::OnOK();
}

void CTreeSelectDlg::OnCancel()
{
    if (!m_cancelAllowed)
        return;
    SaveRect();
    m_text = "";
    m_data = 0;
    m_current = -1;
    EndDialog(IDCANCEL);
}

// 1 once the double click closed the dialog: the list does nothing more
// with it.
LRESULT CTreeSelectDlg::OnDoubleClick(const NMTREEVIEWA& nm)
{
    const bool open = ::IsWindow(m_hWnd);
    const uint32_t row = Handle(nm.itemNew.hItem);
    const TreeSelectDoubleClick action = m_model.entries.Valid(int(nm.itemNew.lParam))
                                             ? TreeSelectDoubleClickAction(m_options)
                                             : kDoubleClickNothing;
    if (action == kDoubleClickCheckAndChoose) {
        // The double-clicked row alone is checked: it is the choice.
        for (uint32_t r = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(kTreeListRoot))); r;
             r = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(r))))
            SetRowState(r, r == row ? kChecked : kUnchecked, kCheckMask);
    }
    if (action != kDoubleClickNothing)
        OnOK();
    return open && !::IsWindowVisible(m_hWnd) ? 1 : 0;
}

// 1: the list sends no WM_CONTEXTMENU after the click.
LRESULT CTreeSelectDlg::OnRightClick()
{
    POINT pt;
    GetCursorPos(&pt);
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    ::ScreenToClient(m_list->m_hWnd, &hit.pt);
    m_contextItem = uint32_t(List(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    m_contextColumn = hit.flags >> 24;
    ShowMenu(pt);
    return 1;
}

void CTreeSelectDlg::OnKeyboardMenu()
{
    m_contextItem = uint32_t(List(TVM_GETNEXTITEM, TVGN_CARET, 0));
    m_contextColumn = m_contextItem ? uint32_t(List(TVM_GETNEXTITEM, TVGN_CARETCOLUMN, 0)) : 0;
    RECT cell = {};
    std::memcpy(&cell, &m_contextItem, sizeof m_contextItem);  // the item goes in, as TVM_GETITEMRECT takes it
    const WPARAM form = kCellRect | (WPARAM(m_contextColumn) << kCellRectColumnShift);
    const bool shown = m_contextItem && List(TVM_GETITEMRECT, form, reinterpret_cast<LPARAM>(&cell));
    const HWND header = reinterpret_cast<HWND>(List(TLM_GETHEADER));
    RECT headerRect = {};
    if (header && ::IsWindowVisible(header))
        ::GetWindowRect(header, &headerRect);
    ShowMenu(ChoiceKeyboardMenuPoint(m_list->m_hWnd, shown ? &cell : nullptr, headerRect.bottom - headerRect.top));
}

void CTreeSelectDlg::ShowMenu(POINT at)
{
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    for (const TreeSelectMenuEntry entry : TreeSelectMenu(m_options)) {
        switch (entry) {
        case kMenuCopyField: AppendMenuA(menu, MF_STRING, kTreeSelectCopyField, GetMessageBoxText(1291)); break;
        case kMenuDeleteRow: AppendMenuA(menu, MF_STRING, kTreeSelectDeleteRow, GetMessageBoxText(1290)); break;
        case kMenuSeparator: AppendMenuA(menu, MF_SEPARATOR, 0, nullptr); break;
        case kMenuSelectAll: AppendMenuA(menu, MF_STRING, kChoiceSelectAll, GetMessageBoxText(1294)); break;
        case kMenuSelectNone: AppendMenuA(menu, MF_STRING, kChoiceSelectNone, GetMessageBoxText(1295)); break;
        }
    }
    TrackPopupMenu(menu, 0, at.x, at.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

// Enter reaches the list when it asks for the key; an editable caret cell
// opens its editor with it, anywhere else Enter presses OK as the dialog
// manager would. Posted, so the list has finished with the key first.
void CTreeSelectDlg::OnEnter()
{
    const bool caret = List(TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
    const uint32_t column = uint32_t(List(TVM_GETNEXTITEM, TVGN_CARETCOLUMN, 0));
    if (!TreeSelectEnterEdits(m_model.columns, m_options, caret, column))
        PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, IDOK)));
}

void CTreeSelectDlg::OnCopyField()
{
    if (!m_contextItem)
        return;
    TVITEMA tv = {};
    tv.mask = TVIF_TEXTPTR | TVIF_SUBITEM | TVIF_TEXT;
    tv.hItem = Item(m_contextItem);
    tv.cChildren = int(m_contextColumn);
    if (List(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) && tv.pszText)
        SetClipboardText(tv.pszText, -1);
}

void CTreeSelectDlg::SelectEvery(bool on)
{
    if (!(m_options & kTreeSelectMultiple))
        return;
    const bool boxes = m_options & kTreeSelectCheckBoxes;
    const uint32_t count = uint32_t(m_model.entries.Count());
    for (uint32_t r = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(kTreeListRoot))); r;
         r = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(r)))) {
        if (boxes && uint32_t(List(TLM_GETITEMDATA, 0, LPARAM(r))) >= count)
            continue;  // the add row gets no box
        if (boxes)
            SetRowState(r, on ? kChecked : kUnchecked, kCheckMask);
        else
            SetRowState(r, on ? TVIS_SELECTED : 0, TVIS_SELECTED);
    }
}

void CTreeSelectDlg::OnDeleteRow()
{
    if (!(m_options & kTreeSelectDelete))
        return;
    const uint32_t row = uint32_t(List(TVM_GETNEXTITEM, TVGN_FOCUS, 0));
    if (!row)
        return;
    uint32_t next = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(row)));
    const uint32_t entry = uint32_t(List(TLM_GETITEMDATA, 0, LPARAM(row)));
    if (!m_model.entries.Valid(int(entry)))
        return;  // the empty row stays
    m_model.Remove(int(entry));
    if (!next)
        next = uint32_t(List(TVM_GETNEXTITEM, TVGN_PREVIOUS, LPARAM(row)));
    List(TVM_DELETEITEM, 0, LPARAM(row));
    List(TLM_SELECTCELL, 0, LPARAM(next));
    for (uint32_t r = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(kTreeListRoot))); r;
         r = uint32_t(List(TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(r)))) {
        const uint32_t data = uint32_t(List(TLM_GETITEMDATA, 0, LPARAM(r)));
        if (data > entry)
            List(TLM_SETITEMDATA, WPARAM(data - 1), LPARAM(r));
    }
}

void CTreeSelectDlg::OnHeaderClick(const NMHEADERA& nm)
{
    if (m_options & kTreeSelectNoSort)
        return;
    const TreeSelectSort sort = TreeSelectHeaderClick(uint32_t(nm.iItem));
    m_sortColumn = sort.column;
    m_sortDescending = sort.descending;
    TVSORTCB cb = {};
    cb.hParent = TVI_ROOT;
    // The control calls it with the six arguments of its own compare form.
    cb.lpfnCompare = reinterpret_cast<PFNTVCOMPARE>(reinterpret_cast<void*>(&CompareRows));
    cb.lParam = reinterpret_cast<LPARAM>(this);
    List(TLM_SORTCHILDRENEX, 1, reinterpret_cast<LPARAM>(&cb));
}

int CALLBACK CTreeSelectDlg::CompareRows(HWND list, HTREEITEM item1, HTREEITEM item2, LPARAM, LPARAM, LPARAM self)
{
    const auto* dialog = reinterpret_cast<const CTreeSelectDlg*>(self);
    TVITEMA tv[2] = {};
    for (int i = 0; i < 2; ++i) {
        tv[i].mask = TVIF_TEXTPTR | TVIF_SUBITEM | TVIF_TEXT | TVIF_PARAM;
        tv[i].hItem = i ? item2 : item1;
        tv[i].cChildren = dialog->m_sortColumn;
        ::SendMessageA(list, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv[i]));
    }
    return TreeSelectCompareRows(tv[0].pszText, uint32_t(tv[0].lParam), tv[1].pszText, uint32_t(tv[1].lParam),
                                 uint32_t(dialog->m_model.entries.Count()), dialog->m_sortDescending);
}

void CTreeSelectDlg::OnEndLabelEdit(const NMTVDISPINFOA& nm)
{
    if (!(nm.item.mask & kTextChanged))
        return;
    const int column = nm.item.cChildren;
    int entry = int(nm.item.lParam);
    const char* text = nm.item.pszText ? nm.item.pszText : "";
    const uint32_t row = Handle(nm.item.hItem);
    if (entry >= m_model.entries.Count() || entry < 0) {
        if (!(m_options & kTreeSelectAddRow) || !*text)
            return;
        if ((m_options & (kTreeSelectMultiple | kTreeSelectCheckBoxes)) == kTreeSelectMultiple)
            SetRowState(row, 0, TVIS_SELECTED);
        entry = m_model.AddItem(-1, m_editData, column == 0 ? text : "", false);
        if (m_options & kTreeSelectCheckBoxes)
            SetRowState(row, kUnchecked, kCheckMask | kAddRowLock);  // an entry now: it gets its box
        const uint32_t added = InsertAddRow();
        List(TLM_SELECTCHILDREN, 2, LPARAM(kTreeListRoot));
        List(TLM_SELECTCELL, WPARAM(column), LPARAM(added));
        if (column == 0)
            return;
    }
    m_model.SetCellText(entry, text, column);
    if (!*text && (m_options & kTreeSelectDelete) && (m_options & kTreeSelectDeleteEmptied) && m_model.RowEmpty(entry))
        PostMessage(kDeleteEditedRow, WPARAM(row), LPARAM(entry));
}

// Delete removes the focused row; 1: no incremental search from the key.
LRESULT CTreeSelectDlg::OnListKeyDown(const NMTVKEYDOWN& nm)
{
    if (nm.wVKey != VK_DELETE)
        return 0;
    OnDeleteRow();
    return 1;
}

LRESULT CTreeSelectDlg::OnEditQuery() const
{
    return m_model.columns.empty() && (m_options & kTreeSelectEditing) ? kQueryOpenEditor : 0;
}

// The right button comes as NM_RCLICK; Shift+F10 and the menu key here.
bool CTreeSelectDlg::OnContextMenu(HWND from, LPARAM at)
{
    if (!m_list || from != m_list->m_hWnd || at != kChoiceMenuFromKeyboard)
        return false;
    OnKeyboardMenu();
    return true;
}

// Still the same row of the same entry after the edit has ended?
void CTreeSelectDlg::OnDeleteEditedRow(uint32_t row, LPARAM entry)
{
    if (List(TLM_GETITEMDATA, 0, LPARAM(row)) == entry && m_model.RowEmpty(int(entry))) {
        List(TLM_SETFOCUSITEM, WPARAM(kCellRefreshColumn), LPARAM(row));
        OnDeleteRow();
    }
}

BOOL CTreeSelectDlg::OnSizing(unsigned edge, RECT* window)
{
    ChoiceKeepMinimumSize(*window, edge, m_minWidth, m_minHeight);
    m_redrawPending = true;
    return TRUE;
}

void CTreeSelectDlg::OnExitSizeMove()
{
    if (m_redrawPending) {
        m_redrawPending = false;
        RedrawWindow(nullptr, nullptr, kRedrawAll);
    }
}

// The list's notifications and its header's (which reach the dialog
// through the list) count as the list's, whatever their id.
bool CTreeSelectDlg::KeyOf(UINT message, WPARAM wParam, LPARAM lParam, RouteKey* key) const
{
    if (message != WM_NOTIFY)
        return DialogKeyOf<NMHDR>(message, wParam, lParam, key);
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    const HWND list = m_list ? m_list->m_hWnd : nullptr;
    const HWND headerWnd = list ? reinterpret_cast<HWND>(List(TLM_GETHEADER)) : nullptr;
    if (!list || (header.hwndFrom != list && (!headerWnd || header.hwndFrom != headerWnd)))
        return false;
    *key = DialogKey(WM_NOTIFY, kTreeSelectListId, header.code);
    return true;
}

LRESULT CTreeSelectDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    using Rows = RouteRows<CTreeSelectDlg, ChoiceMessage>;
    using Self = CTreeSelectDlg;
    constexpr int kList = kTreeSelectListId;
    static constexpr Rows::Row kRows[] = {
        Rows::OnNotify(kList, NM_RCLICK).Answer<&Self::OnRightClick>(),
        Rows::OnNotify(kList, NM_RETURN).Act<&Self::OnEnter>(),
        Rows::OnNotify(kList, NM_DBLCLK).Answer<&Self::OnDoubleClick, LParamRecord<NMTREEVIEWA>>(),
        Rows::OnNotify(kList, HDN_ITEMCLICKA).Act<&Self::OnHeaderClick, LParamRecord<NMHEADERA>>(),
        // Answered 0: the control stores the new text.
        Rows::OnNotify(kList, TVN_ENDLABELEDITA).Act<&Self::OnEndLabelEdit, LParamRecord<NMTVDISPINFOA>>(),
        Rows::OnNotify(kList, TVN_KEYDOWN).Answer<&Self::OnListKeyDown, LParamRecord<NMTVKEYDOWN>>(),
        Rows::OnNotify(kList, TLN_EDITQUERY).Answer<&Self::OnEditQuery>(),
        Rows::OnAnyCode(kChoiceSelectAll).Act<&Self::SelectEvery, Fixed<true>>(),
        Rows::OnAnyCode(kChoiceSelectNone).Act<&Self::SelectEvery, Fixed<false>>(),
        Rows::OnAnyCode(kTreeSelectCopyField).Act<&Self::OnCopyField>(),
        Rows::OnAnyCode(kTreeSelectDeleteRow).Act<&Self::OnDeleteRow>(),
        Rows::On(DialogKey(WM_CONTEXTMENU)).May<&Self::OnContextMenu, WParamAs<HWND>, LParamAs<LPARAM>>(),
        Rows::On(DialogKey(kDeleteEditedRow)).Act<&Self::OnDeleteEditedRow, WParamAs<uint32_t>, LParamAs<LPARAM>>(),
        Rows::On(DialogKey(WM_SIZE)).Act<&Self::OnSize, LParamLow, LParamHigh>(),
        Rows::On(DialogKey(WM_SIZING)).Answer<&Self::OnSizing, WParamAs<unsigned>, LParamAs<RECT*>>(),
        Rows::On(DialogKey(WM_EXITSIZEMOVE)).Act<&Self::OnExitSizeMove>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

    ChoiceMessage m{message, wParam, lParam, 0};
    RouteKey key = 0;
    if (!KeyOf(message, wParam, lParam, &key))
        return CDialog::WindowProc(message, wParam, lParam);
    if (const auto* row = FindRoute(kRoutes, key); row && row->handler(*this, m))
        return m.result;
    // The list's other notifications end here too.
    return message == WM_NOTIFY ? 0 : CDialog::WindowProc(message, wParam, lParam);
}
