// TVM_GETITEM and TVM_SETITEM on items and on cells (TVIF_SUBITEM).
#include "ui/treelist/core/treelist_internal.h"

#include <cstring>

namespace {

constexpr UINT kItemLevelBits = 0xE2;   // selected, expanded, expanded once, partial
constexpr UINT kKeepItemBits = 0x2000;  // get: a cell's state keeps the item-level bits
constexpr UINT kImageBits = 0xF04;
constexpr UINT kTextLookBits = TVIS_FOCUSED | TVIS_DROPHILITED | TVIS_BOLD;

bool MayHaveChildren(const TreeListItem& item)
{
    return item.firstChild || (item.flags & kTreeListHasChildren) || (item.callbackFlags & kTreeListChildrenCallback);
}

void CopyText(TVITEMA& tv, char* text, uint16_t length, bool callback)
{
    if (callback) {
        tv.pszText = LPSTR_TEXTCALLBACKA;
        return;
    }
    if (tv.mask & TVIF_TEXTPTR) {
        tv.pszText = text ? text : kTreeListEmptyText;
        tv.cchTextMax = length + 1;
        return;
    }
    if (!tv.pszText || tv.cchTextMax <= 0)
        return;
    const size_t n = size_t(tv.cchTextMax) >= size_t(length) + 1 ? length : size_t(tv.cchTextMax) - 1;
    if (n)
        std::memcpy(tv.pszText, text, n);
    tv.pszText[n] = 0;
}

int ChildrenAnswer(const TreeListItem& item)
{
    if (item.callbackFlags & kTreeListChildrenCallback)
        return I_CHILDRENCALLBACK;
    return (item.firstChild || (item.flags & kTreeListHasChildren)) ? 1 : 0;
}

// Stores a text or the callback mark; true when the shown text changed.
// False in ok when memory ran out.
bool ApplyText(char*& text, uint32_t& size, uint16_t& length, uint8_t& callbackFlags, const char* source, bool& ok)
{
    ok = true;
    if (source == LPSTR_TEXTCALLBACKA) {
        const bool changed = !(callbackFlags & kTreeListTextCallback);
        ok = TreeListStoreText(text, size, length, "");
        callbackFlags |= kTreeListTextCallback;
        return changed;
    }
    const char* old = text ? text : "";
    const bool changed = (callbackFlags & kTreeListTextCallback) ||
                         std::strncmp(old, source ? source : "", kTreeListMaxTextLength) != 0;
    if (!changed)
        return false;
    ok = TreeListStoreText(text, size, length, source);
    if (ok)
        callbackFlags &= ~kTreeListTextCallback;
    return ok;
}

void UpdateRadioItem(TreeListData& d, uint32_t h, uint32_t state)
{
    bool qualifies;
    if (d.extStyle & TLS_EX_CHECKZERO)
        qualifies = (state & INDEXTOSTATEIMAGEMASK(1)) != 0;
    else
        qualifies = (state & ((d.extStyle & TLS_EX_HIDDENITEMS) ? 0xB000u : 0xF000u)) == INDEXTOSTATEIMAGEMASK(2);
    if (qualifies)
        d.radioItem = h;
    else if (d.radioItem == h)
        d.radioItem = 0;
}

int SetCell(TreeListData& d, uint32_t h, const TVITEMA& tv, uint32_t column)
{
    TreeListCell* cell = TreeListMakeCell(d, h, column);
    if (!cell)
        return 0;
    TreeListItem* item = d.items[h];
    if (tv.mask & TVIF_PARAM)
        item->data = tv.lParam;
    bool repaint = false;
    if (tv.mask & TVIF_IMAGE) {
        repaint |= cell->image != tv.iImage;
        cell->image = tv.iImage;
        cell->callbackFlags = (cell->callbackFlags & ~kTreeListImageCallback) |
                              (tv.iImage == I_IMAGECALLBACK ? kTreeListImageCallback : 0);
        const bool shows = tv.iImage != I_IMAGENONE && (d.normalImages || d.extraImages);
        cell->flags = (cell->flags & ~kTreeListShowsImage) | (shows ? kTreeListShowsImage : 0);
    }
    if (tv.mask & TVIF_TEXT) {
        bool ok;
        if (ApplyText(cell->text, cell->textSize, cell->textLength, cell->callbackFlags, tv.pszText, ok)) {
            cell->textWidth = 0;
            repaint = true;
        }
        if (!ok)
            return 0;
    }
    if (tv.mask & TVIF_STATE) {
        const uint32_t state = (cell->state & ~tv.stateMask) | (tv.state & tv.stateMask);
        repaint |= state != cell->state;
        cell->state = state;
    }
    if (repaint)
        TreeListInvalidateCell(d, h, column);
    return 1;
}

}  // namespace

int TreeListGetItemInfo(TreeListData& d, TVITEMA& tv)
{
    const uint32_t h = TreeListHandleOf(tv.hItem);
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return 0;
    if (tv.mask & TVIF_SUBITEM) {
        const uint32_t column = uint32_t(tv.cChildren);
        if (column != 0) {
            if (column >= d.columnCount)
                return 0;
            // A read never creates the cell.
            const TreeListCell* stored = TreeListCellOf(d, h, column);
            const TreeListCell cell = stored ? *stored : TreeListEmptyCell(*item);
            if (tv.mask & TVIF_PARAM)
                tv.lParam = item->data;
            if (tv.mask & TVIF_IMAGE)
                tv.iImage = cell.image;
            if (tv.mask & TVIF_TEXT)
                CopyText(tv, stored ? stored->text : kTreeListEmptyText, cell.textLength,
                         (cell.callbackFlags & kTreeListTextCallback) != 0);
            if (tv.mask & TVIF_STATE)
                tv.state = cell.state & tv.stateMask & ((tv.mask & kKeepItemBits) ? ~0u : ~kItemLevelBits);
            return 1;
        }
        tv.cChildren = ChildrenAnswer(*item);
    }
    if (tv.mask & TVIF_PARAM)
        tv.lParam = item->data;
    if (tv.mask & TVIF_IMAGE)
        tv.iImage = item->image;
    if (tv.mask & TVIF_SELECTEDIMAGE)
        tv.iSelectedImage = item->selectedImage;
    if ((tv.mask & TVIF_CHILDREN) && !(tv.mask & TVIF_SUBITEM))
        tv.cChildren = ChildrenAnswer(*item);
    if (tv.mask & TVIF_STATE)
        tv.state = item->state & tv.stateMask;
    if (tv.mask & TVIF_TEXT)
        CopyText(tv, item->text, item->textLength, (item->callbackFlags & kTreeListTextCallback) != 0);
    return 1;
}

namespace {

// The state bits of a set: the selected bit only through select, the
// expanded bit of an item with children only through expand (a raw write
// would skip the notifications, the row recompute and the selected count),
// both deferred with TVIF_DEFERSTATE; the others written here.
int SetState(TreeListData& d, uint32_t h, TreeListItem& record, const TVITEMA& tv)
{
    TreeListItem* item = &record;
    const uint32_t serial = item->serial;
    uint32_t mask = tv.stateMask;
    if (d.style & TVS_SINGLEEXPAND)
        mask &= ~TVIS_EXPANDED;
    if (tv.mask & TVIF_DEFERSTATE) {
        const uint32_t later = mask & (TVIS_SELECTED | TVIS_EXPANDED | TVIS_EXPANDPARTIAL);
        if (later) {
            TreeListDeferred record{};
            record.action = kDeferApplyState;
            record.item = h;
            record.serial = serial;
            record.arg1 = tv.state & later;
            record.arg2 = later;
            TreeListQueueDeferred(d, record);
            record = TreeListDeferred{};
            record.action = kDeferRepaintItem;
            record.item = h;
            record.serial = serial;
            TreeListQueueDeferred(d, record);
        }
        mask &= ~later;
    }
    const bool routeExpand = MayHaveChildren(*item);
    const uint32_t raw = mask & ~TVIS_SELECTED & ~(routeExpand ? TVIS_EXPANDED : 0u);
    const uint32_t old = item->state;
    item->state = (old & ~raw) | (tv.state & raw);
    const uint32_t changes = old ^ item->state;
    if (changes) {
        if (((changes & kImageBits) && d.normalImages) || ((changes & TVIS_STATEIMAGEMASK) && d.stateImages))
            TreeListInvalidateItem(d, h);
        if ((d.extStyle & TLS_EX_HIDDENITEMS) && (changes & TVIS_HIDDEN))
            TreeListRowsChangedAt(d, h);
        if (changes & kTextLookBits) {
            item->textWidth = 0;
            TreeListInvalidateItem(d, h);
        }
        if (changes & (uint32_t(d.joinedMask) << 16))
            TreeListInvalidateItem(d, h);
        if (changes & TVIS_EXPANDED) {
            // A childless item: nothing to show or hide now, but its place
            // in the rows follows the bit when children come.
            TreeListInvalidateCell(d, h, 0);
        }
    }
    UpdateRadioItem(d, h, item->state);

    if ((mask & TVIS_SELECTED) && ((tv.state ^ item->state) & TVIS_SELECTED)) {
        if (tv.state & TVIS_SELECTED) {
            TreeListSelect(d, h, 0, 0);
        } else if (d.caretItem == h) {
            // Under multiple selection the caret keeps its selection when it
            // goes; the toggle then takes it away.
            TreeListSelect(d, 0, 0, 0);
            item = TreeListItemOf(d, h, serial);
            if (item && (item->state & TVIS_SELECTED) && d.caretItem != h)
                TreeListToggleSelection(d, h, 0);
        } else if (d.extStyle & TLS_EX_MULTISELECT) {
            TreeListToggleSelection(d, h, 0);
        }
        item = TreeListItemOf(d, h, serial);
        if (!item)
            return 0;
    }
    if (routeExpand && (mask & TVIS_EXPANDED) && ((tv.state ^ item->state) & TVIS_EXPANDED)) {
        const uint32_t action = (tv.state & TVIS_EXPANDED) ? kTreeListExpandAction : 1u;
        if (TreeListExpand(d, h, action | (tv.state & mask & TVIS_EXPANDPARTIAL), true) != 0)
            return 0;
    }
    return 1;
}

}  // namespace

int TreeListSetItemInfo(TreeListData& d, const TVITEMA& tv)
{
    // Texts must not change under a running sort (its comparisons read them).
    if (d.sorting && (tv.mask & TVIF_TEXT))
        return 0;
    const uint32_t h = TreeListHandleOf(tv.hItem);
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return 0;
    if (tv.mask & TVIF_SUBITEM) {
        const uint32_t column = uint32_t(tv.cChildren);
        if (column != 0)
            return column < d.columnCount ? SetCell(d, h, tv, column) : 0;
    }
    // Children are the item's own: a cell's mask leaves them alone.
    const UINT fields = (tv.mask & TVIF_SUBITEM) ? tv.mask & ~UINT(TVIF_CHILDREN) : tv.mask;
    bool repaint = TreeListDecodeFields(d, *item, tv, fields);
    if (tv.mask & TVIF_TEXT) {
        bool ok;
        if (ApplyText(item->text, item->textSize, item->textLength, item->callbackFlags, tv.pszText, ok)) {
            item->textWidth = 0;
            TreeListInvalidateCell(d, h, 0);
        }
        if (!ok)
            return 0;
    }
    if (repaint)
        TreeListInvalidateItem(d, h);
    return (tv.mask & TVIF_STATE) ? SetState(d, h, *item, tv) : 1;
}
