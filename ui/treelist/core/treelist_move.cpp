// Moving an item with its subtree (TLM_MOVEITEM and its sisters).
#include "ui/treelist/core/treelist_internal.h"

namespace {

constexpr uint32_t kMaxLevel = 0xFFFF;

enum MoveMode : uint32_t { kInFront = 0, kBehind = 1, kFirstChild = 2, kLastChild = 3 };

bool Usable(const TreeListItem* item) { return item && !(item->deleteState & kTreeListDeleting); }

// The deepest level below h relative to h (0 for a leaf).
uint32_t SubtreeDepth(const TreeListData& d, uint32_t h)
{
    const uint32_t base = d.items[h]->level;
    uint32_t deepest = 0;
    for (uint32_t cur = h; cur;) {
        const TreeListItem* item = d.items[cur];
        if (item->level - base > deepest)
            deepest = item->level - base;
        uint32_t next = item->firstChild;
        while (!next && cur != h) {
            next = d.items[cur]->nextSibling;
            if (!next)
                cur = d.items[cur]->parent;
        }
        cur = next;
    }
    return deepest;
}

void ShiftLevels(TreeListData& d, uint32_t h, int32_t delta)
{
    for (uint32_t cur = h; cur;) {
        TreeListItem* item = d.items[cur];
        item->level = uint16_t(int32_t(item->level) + delta);
        uint32_t next = item->firstChild;
        while (!next && cur != h) {
            next = d.items[cur]->nextSibling;
            if (!next)
                cur = d.items[cur]->parent;
        }
        cur = next;
    }
}

}  // namespace

int TreeListMoveItem(TreeListData& d, uint32_t h, uint32_t target, uint32_t mode)
{
    if (d.sorting || mode > kLastChild)
        return 0;
    TreeListItem* item = TreeListItemOf(d, h);
    if (!Usable(item))
        return 0;

    // The new place: behind `prev` (0 = first) under `parent`.
    uint32_t parent, prev;
    if (target == kTreeListLast) {
        parent = 0;
        prev = d.lastRoot;
    } else if (target == kTreeListRoot) {
        parent = 0;
        if (mode == kFirstChild)
            prev = 0;
        else if (mode == kLastChild)
            prev = d.lastRoot;
        else
            return 0;
    } else {
        const TreeListItem* t = TreeListItemOf(d, target);
        if (!Usable(t))
            return 0;
        if (target == h)
            return 1;
        if (TreeListIsInSubtree(d, h, target))
            return 0;
        switch (mode) {
        case kInFront:
            parent = t->parent;
            prev = t->prevSibling;
            break;
        case kBehind:
            parent = t->parent;
            prev = target;
            break;
        case kFirstChild:
            parent = target;
            prev = 0;
            break;
        default:
            parent = target;
            prev = t->lastChild;
            break;
        }
    }
    // Already there?
    if (item->parent == parent && (prev == h || item->prevSibling == prev))
        return 1;
    TreeListItem* newParent = TreeListItemOf(d, parent);
    if (parent && !Usable(newParent))
        return 0;
    const uint32_t newLevel = newParent ? newParent->level + 1u : 0u;
    if (newLevel > item->level && newLevel + SubtreeDepth(d, h) > kMaxLevel)
        return 0;

    TreeListRowsChangedAt(d, h);  // the old place
    // Unlink.
    TreeListItem* oldParent = TreeListItemOf(d, item->parent);
    uint32_t& oldFirst = oldParent ? oldParent->firstChild : d.firstRoot;
    uint32_t& oldLast = oldParent ? oldParent->lastChild : d.lastRoot;
    if (item->prevSibling)
        d.items[item->prevSibling]->nextSibling = item->nextSibling;
    else
        oldFirst = item->nextSibling;
    if (item->nextSibling)
        d.items[item->nextSibling]->prevSibling = item->prevSibling;
    else
        oldLast = item->prevSibling;
    if (oldParent && !oldParent->firstChild) {
        oldParent->flags &= ~kTreeListHasChildren;
        TreeListInvalidateItem(d, item->parent);
    }
    // Link.
    uint32_t& first = newParent ? newParent->firstChild : d.firstRoot;
    uint32_t& last = newParent ? newParent->lastChild : d.lastRoot;
    item->parent = parent;
    item->prevSibling = prev;
    item->nextSibling = prev ? d.items[prev]->nextSibling : first;
    if (prev)
        d.items[prev]->nextSibling = h;
    else
        first = h;
    if (item->nextSibling)
        d.items[item->nextSibling]->prevSibling = h;
    else
        last = h;
    if (newParent) {
        newParent->flags |= kTreeListHasChildren;
        TreeListInvalidateItem(d, parent);
    }
    if (newLevel != item->level)
        ShiftLevels(d, h, int32_t(newLevel) - int32_t(item->level));
    // The old row number must not pass for a place in the rows: the item may
    // now stand before every row that is still up to date.
    item->row = 0;
    TreeListRowsChangedAt(d, h);  // the new place
    return 2;
}
