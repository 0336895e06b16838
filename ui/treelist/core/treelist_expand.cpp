// Expanding and collapsing items: the expand operation with its
// notifications, and TVM_EXPAND with its group and deferred forms.
#include "ui/treelist/core/treelist_internal.h"

#include <vector>

namespace {

constexpr uint32_t kCollapseAction = 1;

void FillItem(const TreeListData& d, uint32_t h, TVITEMA& tv)
{
    const TreeListItem* item = d.items[h];
    tv.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    tv.hItem = TreeListHtreeOf(h);
    tv.state = item->state;
    tv.stateMask = 0xFFFFFFFF;
    tv.lParam = item->data;
}

// One item of a TVM_EXPAND request: true when the expansion was carried out.
bool ExpandOne(TreeListData& d, uint32_t h, uint32_t code, bool notify)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return false;
    const uint32_t serial = item->serial;
    switch (code & TVE_ACTIONMASK) {
    case TVE_COLLAPSE:
        if (item->state & TVIS_EXPANDED) {
            if (TreeListExpand(d, h, kCollapseAction, notify) != 0)
                return false;
        } else {
            item->state &= ~TVIS_EXPANDPARTIAL;
        }
        if ((code & TVE_COLLAPSERESET) && TreeListItemOf(d, h, serial))
            TreeListDeleteItem(d, h, kTreeListDeleteChildren | kTreeListDeleteRecompute);
        return true;
    case TVE_EXPAND: {
        const bool partial = (code & TVE_EXPANDPARTIAL) != 0;
        if ((item->state & TVIS_EXPANDED) && (partial || !(item->state & TVIS_EXPANDPARTIAL)))
            return true;
        return TreeListExpand(d, h, kTreeListExpandAction | (partial ? TVIS_EXPANDPARTIAL : 0), notify) == 0;
    }
    case TVE_TOGGLE:
        return TreeListExpand(d, h, kTreeListToggleAction, notify) == 0;
    default:
        return false;
    }
}

}  // namespace

int TreeListExpand(TreeListData& d, uint32_t h, uint32_t actionWord, bool notify)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item || (item->deleteState & kTreeListDeleting))
        return -1;
    const uint32_t serial = item->serial;
    const uint32_t action = actionWord & TVE_ACTIONMASK;
    const bool expand = action == kTreeListExpandAction ||
                        (action == kTreeListToggleAction &&
                         !((item->state & TVIS_EXPANDED) && !(item->state & TVIS_EXPANDPARTIAL)));
    NMTREEVIEWA nm{};
    if (notify) {
        nm.hdr.code = TVN_ITEMEXPANDINGA;
        nm.action = action;
        FillItem(d, h, nm.itemNew);
        const LRESULT answer = TreeListSend(d, nm.hdr);
        item = TreeListItemOf(d, h, serial);
        if (!item)
            return -1;
        if (answer)
            return 1;
    }
    const uint32_t old = item->state;
    bool changed;
    if (expand) {
        item->state |= TVIS_EXPANDED;
        changed = !(old & TVIS_EXPANDED);
    } else {
        item->state &= ~TVIS_EXPANDED;
        changed = true;
    }
    // Of the action word's upper bits only the partial bit belongs in the state.
    item->state = (item->state & ~TVIS_EXPANDPARTIAL) | (actionWord & TVIS_EXPANDPARTIAL);
    if (changed && item->row != 0 && (!d.rowsDirty || item->row <= d.rowsValid))
        TreeListRowsChanged(d, item->row);

    if (notify) {
        nm = NMTREEVIEWA{};
        nm.hdr.code = TVN_ITEMEXPANDEDA;
        nm.action = action;
        FillItem(d, h, nm.itemNew);
        TreeListSend(d, nm.hdr);
        item = TreeListItemOf(d, h, serial);
        if (!item)
            return -1;
    }
    if (!expand) {
        // A caret inside the collapsed subtree moves up to the collapsed item.
        if (d.caretItem && !TreeListItemOf(d, d.caretItem)) {
            d.caretItem = 0;
            d.caretColumn = 0;
        } else if (d.caretItem && d.caretItem != h && TreeListIsInSubtree(d, h, d.caretItem)) {
            // The caret lost its row when the collapsed item is shown.
            TreeListEnsureRows(d);
            if (item->row != 0) {
                TreeListSelect(d, h, d.caretColumn, 0);
                item = TreeListItemOf(d, h, serial);
                if (!item)
                    return -1;
            }
        }
    } else {
        item->state |= TVIS_EXPANDEDONCE;
    }
    // The rows behind the item repaint with the row change; its own row
    // shows the button that changed.
    TreeListInvalidateCell(d, h, 0);
    return 0;
}

namespace {

LRESULT QueueExpand(TreeListData& d, uint32_t h, uint32_t code)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item && !(h == kTreeListRoot && (code & TVE_ALLCHILDREN)))
        return 0;
    TreeListDeferred record{};
    record.action = kDeferExpand;
    record.item = h;
    record.serial = item ? item->serial : 0;
    record.arg1 = code & ~TVE_DEFERRED;
    TreeListQueueDeferred(d, record);
    return 1;
}

// Every item, in tree order.
bool ExpandEveryItem(TreeListData& d, uint32_t code, bool notify)
{
    bool done = false;
    for (uint32_t cur = d.firstRoot; cur;) {
        const uint32_t serial = d.items[cur]->serial;
        done = ExpandOne(d, cur, code, notify);
        if (!TreeListItemOf(d, cur, serial))
            break;
        cur = TreeListNextInTree(d, cur);
    }
    return done;
}

// The group: the item, its following siblings or its parent's level, or the
// item and its ancestors. False when there is no memory for it.
bool GroupOf(const TreeListData& d, uint32_t h, uint32_t code, std::vector<TreeListHeld>& starts)
{
    const TreeListItem* item = d.items[h];
    try {
        if (code & TVE_PARENTLEVEL) {
            const TreeListItem* parent = TreeListItemOf(d, item->parent);
            for (uint32_t s = parent ? parent->firstChild : d.firstRoot; s; s = d.items[s]->nextSibling)
                starts.push_back({s, d.items[s]->serial});
        } else if (code & TVE_ALLSIBLINGS) {
            for (uint32_t s = h; s; s = d.items[s]->nextSibling)
                starts.push_back({s, d.items[s]->serial});
        } else if (code & TVE_ANCESTORS) {
            for (uint32_t a = h; a; a = d.items[a]->parent)
                starts.push_back({a, d.items[a]->serial});
        } else {
            starts.push_back({h, item->serial});
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Pre-order walk of the subtree; stops when an item vanishes under it or
// the parent moves it out of the subtree (the climb back would then pass
// the root).
bool ExpandSubtree(TreeListData& d, TreeListHeld start, uint32_t code, bool notify)
{
    bool done = false;
    uint32_t cur = start.h;
    while (cur) {
        const uint32_t serial = d.items[cur]->serial;
        done = ExpandOne(d, cur, code, notify);
        if (!TreeListItemOf(d, cur, serial) || !TreeListItemOf(d, start.h, start.serial) ||
            !TreeListIsInSubtree(d, start.h, cur))
            break;
        uint32_t next = d.items[cur]->firstChild;
        while (!next && cur != start.h) {
            next = d.items[cur]->nextSibling;
            if (!next)
                cur = d.items[cur]->parent;
        }
        cur = next;
    }
    return done;
}

}  // namespace

LRESULT TreeListExpandMessage(TreeListData& d, uint32_t h, uint32_t code)
{
    if (code & TVE_DEFERRED)
        return QueueExpand(d, h, code);
    const bool notify = !(code & TVE_NONOTIFY);
    const bool subtree = (code & TVE_ALLCHILDREN) != 0;
    if (h == kTreeListRoot)
        return subtree && ExpandEveryItem(d, code, notify);
    if (!TreeListItemOf(d, h))
        return 0;

    // Each item of the group, with its subtree on request.
    std::vector<TreeListHeld> starts;
    if (!GroupOf(d, h, code, starts))
        return 0;
    bool done = false;
    for (const TreeListHeld& start : starts) {
        if (!TreeListItemOf(d, start.h, start.serial))
            continue;
        done = subtree ? ExpandSubtree(d, start, code, notify) : ExpandOne(d, start.h, code, notify);
    }
    return done;
}
