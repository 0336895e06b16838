// The select operation (caret item and column) and the per-item selection
// toggle, as far as the item operations need them: single selection with
// TVN_SELCHANGING / TVN_SELCHANGED. Multiple selection, single expand, the
// anchor and the check boxes come with the selection model's own change.
#include "ui/treelist/treelist_internal.h"

namespace {

constexpr uint32_t kSelectFlagsOutOfAction = kTreeListSelectDeselect | kTreeListSelectSingle;
constexpr uint32_t kNotifyMask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_SUBITEM;
constexpr uint32_t kItemLevelBits = 0xE2;

void Describe(const TreeListData& d, uint32_t h, uint32_t column, TVITEMA& tv)
{
    tv.mask = kNotifyMask;
    tv.hItem = TreeListHtreeOf(h);
    tv.stateMask = 0xFFFFFFFF;
    tv.pszText = reinterpret_cast<LPSTR>(~uintptr_t(0));
    tv.cchTextMax = -1;
    tv.cChildren = int(column);
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return;
    tv.state = item->state & kItemLevelBits;
    if (const TreeListCell* cell = TreeListCellOf(d, h, column))
        tv.state |= cell->state;
    tv.lParam = item->data;
}

}  // namespace

int TreeListSelect(TreeListData& d, uint32_t h, uint32_t column, uint32_t flags)
{
    if ((column != 0 && column >= d.columnCount) || (h != 0 && h > d.itemsSize))
        return 0;
    // A handle whose slot is empty names nothing to select.
    if (h != 0 && !TreeListItemOf(d, h))
        return 0;
    if (h == d.caretItem && column == d.caretColumn &&
        !((d.extStyle & TLS_EX_MULTISELECT) && d.selectedCount > 1))
        return 1;
    const uint32_t serial = h ? d.items[h]->serial : 0;
    const uint32_t old = d.caretItem;
    const uint32_t oldColumn = d.caretColumn;
    const uint32_t oldSerial = old ? d.items[old]->serial : 0;

    NMTREEVIEWA nm{};
    nm.hdr.code = TVN_SELCHANGINGA;
    nm.action = flags & ~kSelectFlagsOutOfAction;
    Describe(d, old, oldColumn, nm.itemOld);
    Describe(d, h, column, nm.itemNew);
    if (TreeListSend(d, nm.hdr) != 0)
        return 0;
    if (h && !TreeListItemOf(d, h, serial))
        return 0;

    TreeListItem* oldItem = old ? TreeListItemOf(d, old, oldSerial) : nullptr;
    if (oldItem) {
        TreeListInvalidateCell(d, old, oldColumn);
        if ((oldItem->state & TVIS_SELECTED) && old != h) {
            oldItem->state &= ~TVIS_SELECTED;
            --d.selectedCount;
        }
    }
    if (h) {
        TreeListItem* item = d.items[h];
        const bool select = !(flags & kTreeListSelectDeselect);
        if (select != ((item->state & TVIS_SELECTED) != 0)) {
            item->state ^= TVIS_SELECTED;
            select ? ++d.selectedCount : --d.selectedCount;
        }
        if (column != 0)
            TreeListMakeCell(d, h, column);
        TreeListInvalidateCell(d, h, column);
    }
    d.caretItem = h;
    d.caretColumn = h ? column : 0;

    nm.hdr = NMHDR{};
    nm.hdr.code = TVN_SELCHANGEDA;
    Describe(d, old, oldColumn, nm.itemOld);
    Describe(d, h, column, nm.itemNew);
    TreeListSend(d, nm.hdr);
    if (h && (d.style & TVS_SHOWSELALWAYS) && TreeListItemOf(d, h, serial) && d.caretItem == h)
        TreeListEnsureVisible(d, h, d.caretColumn);
    return 1;
}

int TreeListToggleSelection(TreeListData& d, uint32_t h, uint32_t cause)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item || h == d.caretItem)
        return 0;
    const uint32_t serial = item->serial;
    NMTREEVIEWA nm{};
    nm.hdr.code = TVN_SELCHANGINGA;
    nm.action = cause;
    Describe(d, h, 0, nm.itemNew);
    nm.itemNew.state = item->state;
    if (TreeListSend(d, nm.hdr) != 0)
        return 0;
    item = TreeListItemOf(d, h, serial);
    if (!item)
        return 0;
    item->state ^= TVIS_SELECTED;
    (item->state & TVIS_SELECTED) ? ++d.selectedCount : --d.selectedCount;
    nm.hdr = NMHDR{};
    nm.hdr.code = TVN_SELCHANGEDA;
    Describe(d, h, 0, nm.itemNew);
    nm.itemNew.state = item->state;
    TreeListSend(d, nm.hdr);
    TreeListInvalidateCell(d, h, 0);
    return 1;
}
