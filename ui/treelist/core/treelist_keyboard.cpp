// WM_KEYDOWN: Enter, the keys of a running drag, Tab, paste, the scrolling
// Ctrl keys and the caret moves (rows, cells across zero-width and joined
// columns, Shift ranges). Every key ends with TVN_KEYDOWN; a non-zero answer
// keeps the next character from the incremental search.
#include "ui/treelist/core/treelist_internal.h"

#include <algorithm>

namespace {

constexpr int32_t kCtrlScrollPixels = 16;
constexpr uint32_t kCopyFeedback = 8;  // the drag feedback's copy flag
constexpr uint8_t kCopyModeLimit = 5;  // drag modes below this show copying
constexpr uint32_t kCollapseAction = 1;
constexpr uint32_t kMaxJoinedColumns = 16;
constexpr int kPasteKey = 'V';

struct Keys {
    bool shift, ctrl;
    WPARAM Mk() const { return (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0); }
};

int32_t ContentWidth(const TreeListData& d) { return d.columnCount ? d.columnEdges[d.columnCount] : d.contentWidth; }

void Enter(TreeListData& d, LPARAM flags, bool ctrl)
{
    NMKEY nm{};
    nm.hdr.code = NM_RETURN;
    nm.nVKey = VK_RETURN;
    nm.uFlags = UINT(flags);
    TreeListSend(d, nm.hdr);
    const uint32_t column = d.caretColumn;
    if (d.caretItem && column < d.columnCount && d.columns[column].editKind != 0)
        d.host->StartEdit(column, ctrl ? kTreeListEditCtrlEnter : uint32_t(VK_RETURN), ctrl ? 0 : flags);
    else
        d.host->EditKeyHook(d.caretItem, column, VK_RETURN, flags);
}

void Paste(TreeListData& d)
{
    if (!d.caretItem || !d.host->ClipboardHasText())
        return;
    const uint32_t column = d.caretColumn;
    if (column < d.columnCount && TreeListTypingEditor(d.columns[column]))
        d.host->StartEdit(column, kTreeListEditPaste, 0);
    else
        d.host->EditKeyHook(d.caretItem, column, kTreeListEditPaste, 0);
}

// Ctrl keys scroll without moving the caret.
void CtrlScroll(TreeListData& d, int key)
{
    if (key == VK_SPACE) {
        const TreeListItem* caret = TreeListItemOf(d, d.caretItem);
        if (caret && TreeListMayHaveChildren(*caret)) {
            d.keyCharUsed = ' ';
            TreeListExpand(d, d.caretItem, kTreeListToggleAction, true);
        }
        return;
    }
    TreeListEnsureRows(d);
    const int64_t page = std::max<int64_t>(d.visibleCount, 1);
    const int64_t lastFirst = std::max<int64_t>(int64_t(d.rowCount) - d.visibleCount + 1, 0);
    int64_t first = d.firstRow;
    int64_t x = d.scrollX;
    switch (key) {
    case VK_UP: --first; break;
    case VK_DOWN: ++first; break;
    case VK_PRIOR: first -= page; break;
    case VK_NEXT: first += page; break;
    case VK_HOME: first = 0; break;
    case VK_END: first = lastFirst; break;
    case VK_LEFT: x -= kCtrlScrollPixels; break;
    case VK_RIGHT: x += kCtrlScrollPixels; break;
    default: return;
    }
    first = std::clamp<int64_t>(first, 0, lastFirst);
    x = std::clamp<int64_t>(x, 0, std::max(ContentWidth(d) - d.clientWidth, 0));
    if (uint32_t(first) != d.firstRow && TreeListSetVPos(d, uint32_t(first), kTreeListReasonKeyboard) == 1)
        TreeListInvalidateList(d);
    if (int32_t(x) != d.scrollX && TreeListSetHPos(d, int32_t(x), kTreeListReasonKeyboard) == 1)
        TreeListInvalidateList(d);
}

// The next column of non-zero width in display order (dir +1 or -1).
uint32_t StepColumn(const TreeListData& d, uint32_t column, int dir)
{
    for (int64_t p = int64_t(d.columns[column].position) + dir; p >= 0 && p < int64_t(d.columnCount); p += dir) {
        const uint32_t c = d.columnOrder[p];
        if (d.columns[c].width > 0)
            return c;
    }
    return column;
}

// A column that the cell on its left spans over (joined with that
// neighbour in this row) is no place of its own: a move to the right goes
// on behind the joined group, any other move lands on the group's first
// column.
uint32_t JoinedColumn(const TreeListData& d, const TreeListItem& item, uint32_t column, uint32_t old, bool right)
{
    if (!d.joinedMask || column == 0 || column > kMaxJoinedColumns)
        return column;
    const uint32_t joined = (item.state >> 16) & d.joinedMask;
    auto bit = [&](uint32_t c) { return c < kMaxJoinedColumns && ((joined >> c) & 1); };
    if (!bit(column - 1))
        return column;
    uint32_t start = column, end = column;
    while (start > 0 && bit(start - 1))
        --start;
    while (bit(end) && end + 1 < d.columnCount)
        ++end;
    if (!right)
        return start;
    return end + 1 < d.columnCount ? end + 1 : old;
}

// Where a caret key leads from the caret (row, column) to; `move` is false
// when the key acted on its own (a check toggle, an expand or collapse) or
// is no caret key.
struct CaretMove {
    bool move = false;
    bool hadCaret = false;
    uint32_t fromItem = 0, fromRow = 0, fromColumn = 0;
    int64_t row = 0;
    uint32_t column = 0;
    bool right = false;  // towards the right, past a joined group
};

CaretMove CaretMoveOf(TreeListData& d, int key)
{
    const uint32_t caretItem = d.caretItem;
    const TreeListItem* caret = TreeListItemOf(d, caretItem);
    const uint32_t row = TreeListCaretRow(d);
    const uint32_t column = d.caretColumn;
    const bool stepColumns = (d.extStyle & TLS_EX_CELLSELECT) && d.columnCount > 1;
    CaretMove m;
    m.hadCaret = caret != nullptr;
    m.fromItem = caretItem;
    m.fromRow = row;
    m.fromColumn = column;
    m.row = row;
    m.column = column;
    auto parentRow = [&]() -> int64_t {
        const TreeListItem* parent = caret ? TreeListItemOf(d, caret->parent) : nullptr;
        return (parent && parent->row) ? int64_t(parent->row) - 1 : int64_t(row);
    };
    switch (key) {
    case VK_BACK:
        m.row = parentRow();
        break;
    case VK_SPACE:
        if (caret && column == 0 && (d.style & TVS_CHECKBOXES)) {
            // Space meant the box when it ticks it, or when the box shows but
            // is locked; a row without a box takes the space as typing.
            const bool boxShown = (caret->state & TVIS_STATEIMAGEMASK) != 0;
            if (TreeListToggleCheck(d, caretItem, 0, 0) || boxShown)
                d.keyCharUsed = ' ';
        }
        return m;
    case VK_PRIOR:
    case VK_NEXT: {
        const int64_t page = std::max<int64_t>(int64_t(d.visibleCount) - 1, 1);
        m.row += key == VK_NEXT ? page : -page;
        break;
    }
    case VK_END:
        m.row = int64_t(d.rowCount) - 1;
        break;
    case VK_HOME:
        m.row = row > d.pinnedRows ? d.pinnedRows : 0;
        break;
    case VK_LEFT:
        if (stepColumns) {
            m.column = StepColumn(d, column, -1);
        } else if (caret && (caret->state & TVIS_EXPANDED) && TreeListMayHaveChildren(*caret)) {
            TreeListExpand(d, caretItem, kCollapseAction, true);
            return m;
        } else {
            m.row = parentRow();
        }
        break;
    case VK_RIGHT:
        if (stepColumns) {
            m.column = StepColumn(d, column, 1);
            m.right = true;
        } else if (caret && (caret->state & TVIS_EXPANDED)) {
            const TreeListItem* child = TreeListItemOf(d, caret->firstChild);
            if (child && child->row)
                m.row = int64_t(child->row) - 1;
        } else if (caret && TreeListMayHaveChildren(*caret)) {
            TreeListExpand(d, caretItem, kTreeListExpandAction, true);
            return m;
        }
        break;
    case VK_UP:
        --m.row;
        break;
    case VK_DOWN:
        ++m.row;
        break;
    default:
        return m;
    }
    m.move = true;
    return m;
}

// Selects the cell a caret key leads to: clamped to the rows and columns,
// off a joined column, with Shift as a range from the anchor.
void SelectCaretMove(TreeListData& d, const CaretMove& m, Keys keys)
{
    TreeListEnsureRows(d);
    if (d.rowCount == 0)
        return;
    const int64_t newRow = std::clamp<int64_t>(m.row, 0, int64_t(d.rowCount) - 1);
    uint32_t newColumn = m.column;
    if (!(d.extStyle & TLS_EX_CELLSELECT) || d.columnCount == 0)
        newColumn = 0;
    newColumn = std::min(newColumn, d.columnCount ? d.columnCount - 1 : 0);
    const uint32_t newItem = d.rowItems[newRow];
    newColumn = JoinedColumn(d, *d.items[newItem], newColumn, m.fromColumn, m.right);
    // Without a caret any key that reaches a row sets one.
    if (m.hadCaret && uint32_t(newRow) == m.fromRow && newColumn == m.fromColumn)
        return;

    const uint32_t serial = d.items[newItem]->serial;
    if (d.selectedCount <= 1)
        TreeListSetAnchor(d, m.fromItem, m.fromColumn);
    else
        TreeListDeselectOthers(d, kTreeListSelectKeyboard);
    const TreeListItem* item = TreeListItemOf(d, newItem, serial);
    if (!item)
        return;
    const uint32_t flags = kTreeListSelectKeyboard | (keys.shift ? 0 : kTreeListSelectSingle) |
                           ((item->state & TVIS_SELECTED) ? kTreeListSelectWasSelected : 0);
    TreeListSelect(d, newItem, newColumn, flags);
    if (!TreeListItemOf(d, newItem, serial))
        return;
    if (!(d.style & TVS_NOSCROLL) && d.caretItem == newItem)
        TreeListEnsureVisible(d, newItem, d.caretColumn);
    if (keys.shift && (d.extStyle & TLS_EX_MULTISELECT) && TreeListItemOf(d, newItem, serial)) {
        const uint32_t from = TreeListItemOf(d, d.anchorItem) ? d.anchorItem : newItem;
        TreeListSelectRange(d, from, newItem, newColumn, kTreeListSelectKeyboard);
    }
}

void MoveCaret(TreeListData& d, int key, Keys keys)
{
    TreeListEnsureRows(d);
    if (d.rowCount == 0)
        return;
    const CaretMove m = CaretMoveOf(d, key);
    if (m.move)
        SelectCaretMove(d, m, keys);
}

void HandleKey(TreeListData& d, int key, LPARAM flags, Keys keys)
{
    if (key == VK_RETURN && !d.dragItem) {
        Enter(d, flags, keys.ctrl);
        return;
    }
    if (d.dragItem && key == VK_ESCAPE) {
        TreeListCancelDrag(d, keys.Mk());
        return;
    }
    if (d.dragItem && key == VK_CONTROL) {
        if (d.dragMode < kCopyModeLimit)
            d.host->DragFeedback(d.dragMode | kCopyFeedback, uint32_t(keys.Mk() | MK_CONTROL));
        return;
    }
    if (key == VK_TAB) {
        if ((d.extStyle & TLS_EX_TABTOPARENT) && !d.dragItem) {
            TreeListHost* host = d.host;
            TreeListUnlocked(d, [&] { host->FocusParent(); });
        }
        return;
    }
    if ((key == VK_INSERT && keys.shift && !keys.ctrl) || (key == kPasteKey && keys.ctrl && !keys.shift)) {
        Paste(d);
        return;
    }
    const bool caretHomeEnd = (d.extStyle & TLS_EX_CTRLHOMEEND) && (key == VK_HOME || key == VK_END);
    if (keys.ctrl && !keys.shift && !caretHomeEnd) {
        CtrlScroll(d, key);
        return;
    }
    MoveCaret(d, key, keys);
}

}  // namespace

bool TreeListTakeFocus(TreeListData& d)
{
    if (d.hasFocus)
        return true;
    TreeListHost* host = d.host;
    TreeListUnlocked(d, [&] { host->SetFocus(); });
    return d.hasFocus && !d.destroyed;
}

uint32_t TreeListCaretRow(TreeListData& d)
{
    TreeListEnsureRows(d);
    for (const TreeListItem* item = TreeListItemOf(d, d.caretItem); item; item = TreeListItemOf(d, item->parent))
        if (item->row)
            return item->row - 1;
    return 0;
}

LRESULT TreeListKeyDown(TreeListData& d, WPARAM key, LPARAM flags)
{
    if (!d.enabled || !TreeListTakeFocus(d))
        return 0;
    const Keys keys{d.host->KeyHeld(VK_SHIFT), d.host->KeyHeld(VK_CONTROL)};
    d.keyCharUsed = 0;
    HandleKey(d, int(key), flags, keys);
    NMTVKEYDOWN nm{};
    nm.hdr.code = TVN_KEYDOWN;
    nm.wVKey = WORD(key);
    nm.flags = UINT(flags);
    d.keyHandled = TreeListSend(d, nm.hdr) != 0;
    return 0;
}
