// Own text and background colours of items (column 0) and cells.
#include "ui/treelist/core/treelist_internal.h"

namespace {

constexpr COLORREF kNoColor = COLORREF(-1);

struct ColorSlot {
    COLORREF* color;
    uint8_t* flags;
};

ColorSlot SlotOf(TreeListItem& item, bool text)
{
    return {text ? &item.textColor : &item.backColor, &item.flags};
}
ColorSlot SlotOf(TreeListCell& cell, bool text)
{
    return {text ? &cell.textColor : &cell.backColor, &cell.flags};
}

// Stores one colour; the old one (or -1) comes back, changed tells.
COLORREF Store(ColorSlot slot, bool text, COLORREF color, bool& changed)
{
    const uint8_t bit = text ? kTreeListOwnTextColor : kTreeListOwnBackColor;
    const COLORREF old = (*slot.flags & bit) ? *slot.color : kNoColor;
    if (color == kNoColor) {
        *slot.flags &= ~bit;
    } else {
        *slot.flags |= bit;
        *slot.color = color;
    }
    changed = old != color;
    return old;
}

void Repaint(TreeListData& d, uint32_t h, uint32_t column, bool text, bool deferred)
{
    if (deferred) {
        TreeListDeferred record{};
        record.action = kDeferRepaintItem;
        record.item = h;
        record.serial = d.items[h]->serial;
        TreeListQueueDeferred(d, record);
        return;
    }
    TreeListInvalidateCell(d, h, column);
    if (!text && d.columnCount) {
        // A background reaches into the next cell when that column stands
        // directly behind this one.
        const uint32_t pos = d.columns[column].position;
        if (pos + 1 < d.columnCount)
            TreeListInvalidateCell(d, h, d.columnOrder[pos + 1]);
    }
}

bool ValidColumn(const TreeListData& d, uint32_t column) { return column == 0 || column < d.columnCount; }

}  // namespace

COLORREF TreeListGetItemColor(TreeListData& d, uint32_t h, uint32_t column, bool textColor)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item || !ValidColumn(d, column))
        return kNoColor;
    const uint8_t bit = textColor ? kTreeListOwnTextColor : kTreeListOwnBackColor;
    if (column == 0)
        return (item->flags & bit) ? (textColor ? item->textColor : item->backColor) : kNoColor;
    const TreeListCell* cell = TreeListCellOf(d, h, column);
    if (!cell || !(cell->flags & bit))
        return kNoColor;
    return textColor ? cell->textColor : cell->backColor;
}

COLORREF TreeListSetItemColor(TreeListData& d, uint32_t h, uint32_t column, COLORREF color, uint32_t flags)
{
    TreeListItem* item = TreeListItemOf(d, h);
    const bool text = (flags & kTreeListColorText) != 0;
    const bool deferred = (flags & kTreeListColorDeferred) != 0;
    if (!item)
        return kNoColor;
    bool changed = false;
    if (column == kTreeListAllColumns) {
        for (uint32_t c = 1; c < d.columnCount; ++c) {
            TreeListCell* cell = TreeListMakeCell(d, h, c);
            if (!cell)
                continue;
            Store(SlotOf(*cell, text), text, color, changed);
            if (changed)
                Repaint(d, h, c, text, deferred);
        }
        column = 0;
    }
    if (!ValidColumn(d, column))
        return kNoColor;
    COLORREF old;
    if (column == 0) {
        old = Store(SlotOf(*item, text), text, color, changed);
    } else {
        TreeListCell* cell = TreeListMakeCell(d, h, column);
        if (!cell)
            return kNoColor;
        old = Store(SlotOf(*cell, text), text, color, changed);
    }
    if (changed)
        Repaint(d, h, column, text, deferred);
    return old;
}
