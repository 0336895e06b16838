// The selection model: the select operation (caret item and column, single
// and multiple selection, single expand), the per-item toggle, subtree
// selection, Shift ranges, the anchor with its mark and the focus item.
//
// Every notification leaves the lock; afterwards items are looked up again
// by handle and serial, and a vanished item ends the operation.
#include "ui/treelist/core/treelist_internal.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kFlagsOutOfAction = kTreeListSelectDeselect | kTreeListSelectSingle;
constexpr uint32_t kNotifyMask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_SUBITEM;
constexpr uint32_t kSingleExpandMask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
constexpr uint32_t kItemLevelBits = 0xE2;
constexpr uint32_t kCollapseAction = 1;
// A subtree walk visits each item about once; a parent that keeps undoing
// the toggles from its notifications must not make it endless.
constexpr uint32_t kWalkSlack = 16;

bool Multi(const TreeListData& d) { return (d.extStyle & TLS_EX_MULTISELECT) != 0; }

bool Selected(const TreeListItem& item) { return (item.state & TVIS_SELECTED) != 0; }

void Describe(const TreeListData& d, uint32_t h, uint32_t column, TVITEMA& tv)
{
    tv = TVITEMA{};
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

// The path from an item up to the root level, the item first.
std::vector<TreeListHeld> PathOf(const TreeListData& d, uint32_t h)
{
    std::vector<TreeListHeld> path;
    for (const TreeListItem* item = TreeListItemOf(d, h); item; item = TreeListItemOf(d, item->parent)) {
        path.push_back({h, item->serial});
        h = item->parent;
    }
    return path;
}

// Single expand: opens the new caret's path and closes the old caret's, up
// to their common ancestor, as the parent's answer allows.
void SingleExpand(TreeListData& d, uint32_t action, TreeListHeld oldCaret, TreeListHeld newCaret)
{
    NMTREEVIEWA nm{};
    nm.hdr.code = TVN_SINGLEEXPAND;
    nm.action = action;
    for (auto [tv, held] : {std::pair{&nm.itemOld, oldCaret}, std::pair{&nm.itemNew, newCaret}}) {
        tv->mask = kSingleExpandMask;
        tv->hItem = TreeListHtreeOf(held.h);
        tv->stateMask = 0xFFFFFFFF;
        if (const TreeListItem* item = TreeListItemOf(d, held.h)) {
            tv->state = item->state;
            tv->lParam = item->data;
        }
    }
    const LRESULT answer = TreeListSend(d, nm.hdr);
    if (!TreeListAlive(d, newCaret))
        return;
    // Both paths before any expansion sends notifications.
    std::vector<TreeListHeld> opening, closing;
    try {
        opening = PathOf(d, newCaret.h);
        closing = TreeListAlive(d, oldCaret) ? PathOf(d, oldCaret.h) : std::vector<TreeListHeld>{};
    } catch (const std::bad_alloc&) {
        return;
    }
    // Drop the common part: it stays as it is.
    while (!opening.empty() && !closing.empty() && opening.back().h == closing.back().h) {
        opening.pop_back();
        closing.pop_back();
    }
    auto expandable = [&](TreeListHeld x) {
        const TreeListItem* item = TreeListAlive(d, x) ? d.items[x.h] : nullptr;
        return item && TreeListMayHaveChildren(*item) ? item : nullptr;
    };
    if (!(answer & TVNRET_SKIPNEW)) {
        for (auto it = opening.rbegin(); it != opening.rend(); ++it) {
            const TreeListItem* item = expandable(*it);
            if (item && !(item->state & TVIS_EXPANDED))
                TreeListExpand(d, it->h, kTreeListExpandAction, true);
        }
    }
    if (!(answer & TVNRET_SKIPOLD)) {
        for (const TreeListHeld& x : closing) {
            const TreeListItem* item = expandable(x);
            if (item && (item->state & TVIS_EXPANDED))
                TreeListExpand(d, x.h, kCollapseAction, true);
        }
    }
}

void SetMark(TreeListData& d, uint32_t h, uint32_t column, bool on)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return;
    uint8_t* flags = &item->flags;
    if (column != 0) {
        TreeListCell* cell = on ? TreeListMakeCell(d, h, column) : TreeListCellOf(d, h, column);
        if (!cell)
            return;
        flags = &cell->flags;
    }
    *flags = uint8_t(on ? (*flags | kTreeListFocusMark) : (*flags & ~kTreeListFocusMark));
}

// Walks one step on in tree order inside the range of a subtree selection:
// the start item's level and below, never above it.
uint32_t NextInRange(const TreeListData& d, uint32_t h, uint32_t topParent, bool subtrees)
{
    const TreeListItem* item = d.items[h];
    if (subtrees && item->firstChild)
        return item->firstChild;
    for (uint32_t x = h; x;) {
        const TreeListItem* xi = d.items[x];
        if (xi->nextSibling)
            return xi->nextSibling;
        if (xi->parent == topParent)
            return 0;
        x = xi->parent;
    }
    return 0;
}

}  // namespace

bool TreeListMayHaveChildren(const TreeListItem& item)
{
    return item.firstChild || (item.flags & kTreeListHasChildren) || (item.callbackFlags & kTreeListChildrenCallback);
}

void TreeListInvalidateCaretCell(TreeListData& d, uint32_t h, uint32_t column)
{
    if ((d.style & TVS_FULLROWSELECT) || (d.extStyle & TLS_EX_FULLROWFOCUS)) {
        TreeListInvalidateItem(d, h);
        return;
    }
    TreeListInvalidateCell(d, h, column);
    // A selected item shows its selection in the tree column as well.
    if (column != 0)
        TreeListInvalidateCell(d, h, 0);
}

namespace {

// Puts the caret on the cell, selecting or deselecting its item; a single
// selection also deselects the item the caret leaves.
void MoveCaretTo(TreeListData& d, uint32_t h, uint32_t column, bool single, bool select)
{
    // The caret as it stands now: the parent may have moved it meanwhile.
    const uint32_t old = d.caretItem;
    if (TreeListItem* oldItem = TreeListItemOf(d, old)) {
        TreeListInvalidateCaretCell(d, old, d.caretColumn);
        if (single && old != h && Selected(*oldItem)) {
            oldItem->state &= ~TVIS_SELECTED;
            --d.selectedCount;
        }
    }
    if (h) {
        TreeListItem* item = d.items[h];
        if (select != Selected(*item)) {
            item->state ^= TVIS_SELECTED;
            select ? ++d.selectedCount : --d.selectedCount;
        }
        if (column != 0)
            TreeListMakeCell(d, h, column);
        TreeListInvalidateCaretCell(d, h, column);
    }
    d.caretItem = h;
    d.caretColumn = h ? column : 0;
}

}  // namespace

int TreeListSelect(TreeListData& d, uint32_t h, uint32_t column, uint32_t flags)
{
    if ((column != 0 && column >= d.columnCount) || (h != 0 && h > d.itemsSize))
        return 0;
    // A handle whose slot is empty (a deleted item) names nothing to select.
    if (h != 0 && !TreeListItemOf(d, h))
        return 0;
    const bool multi = Multi(d);
    if (!multi)
        flags = (flags & ~kTreeListSelectWasSelected) | kTreeListSelectSingle;
    const bool single = (flags & kTreeListSelectSingle) != 0;
    const bool select = !(flags & kTreeListSelectDeselect);
    if (h == d.caretItem && column == d.caretColumn && !(multi && d.selectedCount > 1) &&
        (h == 0 || Selected(*d.items[h]) == select))
        return 1;
    const TreeListHeld target = TreeListHold(d, h);
    const uint32_t action = flags & ~kFlagsOutOfAction;

    // Single selection: the others go first, one toggle each.
    if (single && d.selectedCount > 1) {
        TreeListDeselectOthersBut(d, action, h);
        if (h && !TreeListAlive(d, target))
            return 0;
    }
    // Adding to a multiple selection keeps the old caret's selection; the
    // parent does not hear of it as the old item.
    const TreeListHeld reported = single ? TreeListHold(d, d.caretItem) : TreeListHeld{0, 0};
    const uint32_t reportedColumn = reported.h ? d.caretColumn : 0;

    NMTREEVIEWA nm{};
    nm.hdr.code = TVN_SELCHANGINGA;
    nm.action = action;
    Describe(d, reported.h, reportedColumn, nm.itemOld);
    Describe(d, h, column, nm.itemNew);
    if (TreeListSend(d, nm.hdr) != 0)
        return 0;
    if (h && !TreeListAlive(d, target))
        return 0;
    if (column != 0 && column >= d.columnCount)
        return 0;  // the parent took the column away meanwhile

    MoveCaretTo(d, h, column, single, select);

    nm.hdr = NMHDR{};
    nm.hdr.code = TVN_SELCHANGEDA;
    Describe(d, reported.h, reportedColumn, nm.itemOld);
    Describe(d, h, column, nm.itemNew);
    TreeListSend(d, nm.hdr);

    int result = 1;
    if (h && (d.style & TVS_SINGLEEXPAND) && TreeListAlive(d, target)) {
        SingleExpand(d, action, reported, target);
        result = 2;
    }
    if (h && (d.style & TVS_SHOWSELALWAYS) && !d.rangeDepth && TreeListAlive(d, target) && d.caretItem == h)
        TreeListEnsureVisible(d, h, d.caretColumn);
    return result;
}

int TreeListToggleSelection(TreeListData& d, uint32_t h, uint32_t cause)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item || h == d.caretItem)
        return 0;
    const TreeListHeld held{h, item->serial};
    NMTREEVIEWA nm{};
    nm.hdr.code = TVN_SELCHANGINGA;
    nm.action = cause;
    Describe(d, h, 0, nm.itemNew);
    nm.itemNew.state = item->state;
    if (TreeListSend(d, nm.hdr) != 0)
        return 0;
    // The parent may have deleted it or made it the caret meanwhile.
    if (!TreeListAlive(d, held) || h == d.caretItem)
        return 0;
    item = d.items[h];
    item->state ^= TVIS_SELECTED;
    Selected(*item) ? ++d.selectedCount : --d.selectedCount;
    nm.hdr = NMHDR{};
    nm.hdr.code = TVN_SELCHANGEDA;
    Describe(d, h, 0, nm.itemNew);
    nm.itemNew.state = item->state;
    TreeListSend(d, nm.hdr);
    TreeListInvalidateCaretCell(d, h, 0);
    return 1;
}

void TreeListDeselectOthersBut(TreeListData& d, uint32_t cause, uint32_t keep)
{
    // Handles only grow, so a downward scan stays inside the table even when
    // the parent inserts or deletes from its notifications.
    for (uint32_t h = d.itemsSize; h >= 1; --h) {
        const TreeListItem* caret = TreeListItemOf(d, d.caretItem);
        const TreeListItem* kept = (keep != d.caretItem) ? TreeListItemOf(d, keep) : nullptr;
        const uint32_t staying = (caret && Selected(*caret)) + (kept && Selected(*kept));
        if (d.selectedCount <= staying)
            return;
        const TreeListItem* item = d.items[h];
        if (item && Selected(*item) && h != d.caretItem && h != keep)
            TreeListToggleSelection(d, h, cause);
    }
}

void TreeListDeselectOthers(TreeListData& d, uint32_t cause) { TreeListDeselectOthersBut(d, cause, 0); }

int TreeListSelectChildren(TreeListData& d, uint32_t h, uint32_t flags)
{
    if (!Multi(d))
        return 0;
    const uint32_t start = h == kTreeListRoot ? d.firstRoot : h;
    if (h != kTreeListRoot && !TreeListItemOf(d, h))
        return 0;
    const bool want = !(flags & kTreeListSelectChildrenClear);
    const bool subtrees = (flags & kTreeListSelectChildrenSubtrees) != 0;
    const uint32_t topParent = start ? d.items[start]->parent : 0;
    uint64_t budget = uint64_t(d.itemCount) * 2 + kWalkSlack;
    for (TreeListHeld cur = TreeListHold(d, start); cur.h && budget > 0; --budget) {
        if (Selected(*d.items[cur.h]) != want && cur.h != d.caretItem) {
            TreeListToggleSelection(d, cur.h, 0);
            if (!TreeListAlive(d, cur))
                break;
        }
        cur = TreeListHold(d, NextInRange(d, cur.h, topParent, subtrees));
    }
    return 1;
}

namespace {

// Selects the rows of a Shift range one by one, towards the new caret.
void SelectRows(TreeListData& d, uint32_t from, uint32_t to, uint32_t column, uint32_t cause)
{
    const TreeListHeld target = TreeListHold(d, to);
    TreeListEnsureRows(d);
    const TreeListItem* fromItem = TreeListItemOf(d, from);
    const uint32_t toRow = d.items[to]->row;
    if (toRow == 0) {
        TreeListSelect(d, to, column, cause);
        return;
    }
    const uint32_t a = (fromItem && fromItem->row) ? fromItem->row - 1 : toRow - 1;
    const uint32_t b = toRow - 1;
    const uint32_t count = (a <= b ? b - a : a - b) + 1;
    // Towards the new caret, so that it is selected last.
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t r = a <= b ? a + i : a - i;
        TreeListEnsureRows(d);
        if (r >= d.rowCount || !TreeListAlive(d, target))
            break;
        TreeListSelect(d, d.rowItems[r], column, cause);
    }
    if (!TreeListAlive(d, target))
        return;
    // Whatever the parent did meanwhile, the range ends at the new caret.
    if (d.caretItem != to)
        TreeListSelect(d, to, column, cause);
    // What lies outside the range (the old caret, say) is deselected.
    TreeListEnsureRows(d);
    const TreeListItem* ends[2] = {TreeListItemOf(d, from), TreeListItemOf(d, to)};
    if (!ends[1] || !ends[1]->row)
        return;
    const uint32_t lo = std::min(ends[0] && ends[0]->row ? ends[0]->row : ends[1]->row, ends[1]->row);
    const uint32_t hi = std::max(ends[0] && ends[0]->row ? ends[0]->row : ends[1]->row, ends[1]->row);
    for (uint32_t h = d.itemsSize; h >= 1; --h) {
        const TreeListItem* item = d.items[h];
        if (item && Selected(*item) && h != d.caretItem && (item->row < lo || item->row > hi))
            TreeListToggleSelection(d, h, cause);
    }
}

}  // namespace

void TreeListSelectRange(TreeListData& d, uint32_t from, uint32_t to, uint32_t column, uint32_t cause)
{
    if (!TreeListItemOf(d, to))
        return;
    // Every row is selected with its notifications, but the view does not
    // follow each of them: scrolled (and so painted) once, for the caret the
    // range ends on.
    struct InRange {
        explicit InRange(TreeListData& data) : d(data) { ++d.rangeDepth; }
        ~InRange() { --d.rangeDepth; }
        TreeListData& d;
    };
    {
        const InRange range(d);
        SelectRows(d, from, to, column, cause);
    }
    if (!d.rangeDepth && (d.style & TVS_SHOWSELALWAYS) && !d.destroyed && TreeListItemOf(d, d.caretItem))
        TreeListEnsureVisible(d, d.caretItem, d.caretColumn);
}

void TreeListClearAnchorMark(TreeListData& d)
{
    if (TreeListItemOf(d, d.anchorItem)) {
        SetMark(d, d.anchorItem, 0, false);
        SetMark(d, d.anchorItem, d.anchorColumn, false);
        TreeListInvalidateCaretCell(d, d.anchorItem, d.anchorColumn);
    }
    d.anchorItem = 0;
    d.anchorColumn = 0;
}

void TreeListSetAnchor(TreeListData& d, uint32_t h, uint32_t column)
{
    TreeListClearAnchorMark(d);
    if (!TreeListItemOf(d, h))
        return;
    d.anchorItem = h;
    d.anchorColumn = column < d.columnCount ? column : 0;
}

int TreeListSetFocusItem(TreeListData& d, uint32_t h, uint32_t column)
{
    const bool anchored = TreeListItemOf(d, d.anchorItem) != nullptr;
    const uint32_t currentItem = anchored ? d.anchorItem : d.caretItem;
    const uint32_t currentColumn = anchored ? d.anchorColumn : d.caretColumn;
    if (h == kTreeListCurrent)
        h = currentItem;
    if (column == kTreeListCurrent)
        column = currentColumn;
    else if (!(d.extStyle & TLS_EX_CELLSELECT))
        column = 0;
    if (h == currentItem && column == currentColumn)
        return 1;
    if (h == 0) {
        TreeListClearAnchorMark(d);
        return 1;
    }
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item || (column != 0 && column >= d.columnCount))
        return 0;
    if (!Multi(d))
        return TreeListSelect(d, h, column, 0);

    TreeListClearAnchorMark(d);
    SetMark(d, h, column, true);
    d.anchorItem = h;
    d.anchorColumn = column;
    if (Selected(*item)) {
        TreeListInvalidateCaretCell(d, d.caretItem, d.caretColumn);
        d.caretItem = h;
        d.caretColumn = column;
        TreeListInvalidateCaretCell(d, h, column);
    } else {
        TreeListInvalidateCell(d, h, column);
    }
    return 1;
}
