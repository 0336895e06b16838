// Deleting items and subtrees.
//
// Parents may delete, insert or destroy the control inside any notification
// sent from here. An item is marked "deleting" before its first
// notification: a re-entrant delete of that item is refused, inserts and
// moves under it are refused, and each item is notified at most once (the
// marks of the notifications sent travel with the item). When a re-entrant
// delete of an ancestor meets an item that an outer call is deleting, it
// finishes that item itself ("adopts" it); the outer call finds the item's
// serial gone after its send and stops.
#include "ui/treelist/core/treelist_internal.h"

#include <cstdlib>

void TreeListUnlink(TreeListData& d, uint32_t h)
{
    TreeListItem* item = d.items[h];
    TreeListItem* parent = TreeListItemOf(d, item->parent);
    uint32_t& first = parent ? parent->firstChild : d.firstRoot;
    uint32_t& last = parent ? parent->lastChild : d.lastRoot;
    if (item->prevSibling)
        d.items[item->prevSibling]->nextSibling = item->nextSibling;
    else
        first = item->nextSibling;
    if (item->nextSibling)
        d.items[item->nextSibling]->prevSibling = item->prevSibling;
    else
        last = item->prevSibling;
    item->prevSibling = item->nextSibling = 0;
    if (parent && !parent->firstChild) {
        parent->flags &= ~kTreeListHasChildren;
        TreeListInvalidateItem(d, item->parent);
    }
}

namespace {

void Free(TreeListData& d, uint32_t h)
{
    TreeListItem* item = d.items[h];
    for (uint32_t c = 1; c < d.columnCount && c < kTreeListMaxColumns; ++c) {
        if (d.cells[c] && d.cells[c][h]) {
            TreeListFreeCell(d.cells[c][h]);
            d.cells[c][h] = nullptr;
        }
    }
    if (item->row != 0 && d.rowItems[item->row - 1] == h)
        d.rowItems[item->row - 1] = 0;
    if (item->state & TVIS_SELECTED)
        --d.selectedCount;
    d.items[h] = nullptr;
    --d.itemCount;
    if (item->textSize)
        std::free(item->text);
    item->~TreeListItem();
    std::free(item);
}

void ClearReferences(TreeListData& d, uint32_t h)
{
    if (d.caretItem == h) {
        d.caretItem = 0;
        d.caretColumn = 0;
    }
    if (d.dropItem == h) {
        d.dropItem = 0;
        d.dropColumn = 0;
    }
    if (d.anchorItem == h) {
        d.anchorItem = 0;
        d.anchorColumn = 0;
    }
    if (d.insertMarkItem == h)
        d.insertMarkItem = 0;
    if (d.radioItem == h)
        d.radioItem = 0;
}

// Sends the selection and delete notices of an item whose children are
// gone, each once; true when one was sent (the parent may have changed
// anything meanwhile, so the caller looks again).
bool NotifyDeleting(TreeListData& d, uint32_t h, uint32_t flags)
{
    TreeListItem* item = d.items[h];
    const bool quiet = (flags & kTreeListDeleteQuiet) != 0;
    if ((item->state & TVIS_SELECTED) && !(item->deleteState & kTreeListSentSelChanged)) {
        item->deleteState |= kTreeListSentSelChanged;
        if (d.caretItem == h) {
            d.caretItem = 0;
            d.caretColumn = 0;
        }
        if (quiet) {
            TreeListDeferred record{};
            record.action = kDeferSelChanged;
            record.item = h;
            record.arg1 = item->state & ~TVIS_SELECTED;
            record.data = item->data;
            TreeListQueueDeferred(d, record);
            return false;
        }
        NMTREEVIEWA nm{};
        nm.hdr.code = TVN_SELCHANGEDA;
        nm.itemOld.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_SUBITEM;
        nm.itemOld.hItem = TreeListHtreeOf(h);
        nm.itemOld.state = item->state & ~TVIS_SELECTED;
        nm.itemOld.stateMask = 0xFFFFFFFF;
        nm.itemOld.lParam = item->data;
        TreeListSend(d, nm.hdr);
        return true;
    }
    if (!quiet && !(item->deleteState & kTreeListSentDeleteItem)) {
        item->deleteState |= kTreeListSentDeleteItem;
        NMTREEVIEWA nm{};
        nm.hdr.code = TVN_DELETEITEMA;
        nm.itemOld.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
        nm.itemOld.hItem = TreeListHtreeOf(h);
        nm.itemOld.state = item->state;
        nm.itemOld.stateMask = 0xFFFFFFFF;
        nm.itemOld.lParam = item->data;
        TreeListSend(d, nm.hdr);
        return true;
    }
    return false;
}

// Deletes one item with its subtree, children first and the last child
// first; 1 when it is gone afterwards. The walk keeps no stack (a chain may
// be 65,535 levels deep): it goes down the last children to a leaf, deletes
// it and goes on from its parent. Nothing can be inserted under or moved
// into an item that is being deleted, so it ends; when the item it stands on
// vanishes inside a notification, it starts again from the top.
int DeleteOne(TreeListData& d, uint32_t top, uint32_t flags, bool adopt)
{
    const TreeListItem* topItem = TreeListItemOf(d, top);
    if (!topItem || ((topItem->deleteState & kTreeListDeleting) && !adopt))
        return 0;
    const TreeListHeld root{top, topItem->serial};
    TreeListHeld at = root;
    for (;;) {
        TreeListItem* item = TreeListItemOf(d, at.h, at.serial);
        if (!item) {
            if (!TreeListAlive(d, root))
                return 1;
            at = root;
            continue;
        }
        item->deleteState |= kTreeListDeleting;
        if (item->lastChild) {
            at = TreeListHold(d, item->lastChild);
            continue;
        }
        if (NotifyDeleting(d, at.h, flags))
            continue;  // look again: the parent may have changed things
        const TreeListHeld parent = TreeListHold(d, item->parent);
        ClearReferences(d, at.h);
        TreeListRowsChangedAt(d, at.h);
        TreeListUnlink(d, at.h);
        Free(d, at.h);
        if (at.h == root.h)
            return 1;
        at = parent.h ? parent : root;
    }
}

// After deletes: pull the first shown row back when it lies behind the end.
void ScrollBack(TreeListData& d, bool quiet)
{
    if (quiet) {
        TreeListDeferred record{};
        record.action = kDeferScrollBack;
        TreeListQueueDeferred(d, record);
        TreeListPend(d, kPendingRepaintList);
        return;
    }
    TreeListEnsureRows(d);
    const int64_t limit = int64_t(d.rowCount) - d.visibleCount + 1;
    if (int64_t(d.firstRow) > limit) {
        TreeListSetVPos(d, uint32_t(limit > 0 ? limit : 0), kTreeListReasonEnsureVisible);
        TreeListInvalidateList(d);
    }
}

// The root item that stays last when the first `keep` root items stay.
uint32_t LastKeptRoot(const TreeListData& d, uint32_t keep)
{
    uint32_t h = 0;
    for (uint32_t s = d.firstRoot; s && keep > 0; s = d.items[s]->nextSibling, --keep)
        h = s;
    return h;
}

}  // namespace

int TreeListDeleteItem(TreeListData& d, uint32_t h, uint32_t flags)
{
    // While a sort runs its level must stay; only the window's destruction
    // goes ahead (the sort then finds its items gone and leaves the links).
    if (d.sorting && !d.destroying)
        return 0;
    const bool quiet = (flags & kTreeListDeleteQuiet) != 0;
    int deleted = 0;

    if (h == kTreeListRoot || h == kTreeListUnpinned) {
        const uint32_t keep = h == kTreeListUnpinned ? d.pinnedRows : 0;
        while (d.lastRoot && d.lastRoot != LastKeptRoot(d, keep))
            deleted |= DeleteOne(d, d.lastRoot, flags, true);
        if (quiet) {
            TreeListPend(d, kPendingVScroll | kPendingRepaintList);
        } else {
            TreeListEnsureRows(d);
            TreeListUpdateVScroll(d, true, false);
            TreeListInvalidateList(d);
        }
        return deleted;
    }

    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item || (item->deleteState & kTreeListDeleting))
        return 0;
    if (flags & kTreeListDeleteChildren) {
        const uint32_t serial = item->serial;
        while ((item = TreeListItemOf(d, h, serial)) != nullptr && item->lastChild)
            deleted |= DeleteOne(d, item->lastChild, flags, true);
    } else {
        deleted = DeleteOne(d, h, flags, false);
    }
    if (deleted && (flags & kTreeListDeleteRecompute))
        ScrollBack(d, quiet);
    return deleted;
}
