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

// Where a move puts the item: behind `prev` (0 = first) under `parent`.
// An `answer` of 0 or more is what the move returns at once instead.
struct Place {
    uint32_t parent = 0, prev = 0;
    int answer = -1;
};

Place PlaceOf(const TreeListData& d, uint32_t h, uint32_t target, uint32_t mode)
{
    Place p;
    if (target == kTreeListLast) {
        p.prev = d.lastRoot;
        return p;
    }
    if (target == kTreeListRoot) {
        if (mode == kFirstChild)
            p.prev = 0;
        else if (mode == kLastChild)
            p.prev = d.lastRoot;
        else
            p.answer = 0;
        return p;
    }
    const TreeListItem* t = TreeListItemOf(d, target);
    if (!Usable(t)) {
        p.answer = 0;
        return p;
    }
    if (target == h || TreeListIsInSubtree(d, h, target)) {
        p.answer = target == h ? 1 : 0;
        return p;
    }
    switch (mode) {
    case kInFront:
        p.parent = t->parent;
        p.prev = t->prevSibling;
        break;
    case kBehind:
        p.parent = t->parent;
        p.prev = target;
        break;
    case kFirstChild:
        p.parent = target;
        p.prev = 0;
        break;
    default:
        p.parent = target;
        p.prev = t->lastChild;
        break;
    }
    return p;
}

// Puts the unlinked item behind `prev` (0 = first) under `parent`.
void Link(TreeListData& d, uint32_t h, uint32_t parent, uint32_t prev)
{
    TreeListItem* item = d.items[h];
    TreeListItem* newParent = TreeListItemOf(d, parent);
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
}

}  // namespace

int TreeListMoveItem(TreeListData& d, uint32_t h, uint32_t target, uint32_t mode)
{
    if (d.sorting || mode > kLastChild)
        return 0;
    TreeListItem* item = TreeListItemOf(d, h);
    if (!Usable(item))
        return 0;
    const Place place = PlaceOf(d, h, target, mode);
    if (place.answer >= 0)
        return place.answer;
    // Already there?
    if (item->parent == place.parent && (place.prev == h || item->prevSibling == place.prev))
        return 1;
    const TreeListItem* newParent = TreeListItemOf(d, place.parent);
    if (place.parent && !Usable(newParent))
        return 0;
    const uint32_t newLevel = newParent ? newParent->level + 1u : 0u;
    if (newLevel > item->level && newLevel + SubtreeDepth(d, h) > kMaxLevel)
        return 0;

    TreeListRowsChangedAt(d, h);  // the old place
    TreeListUnlink(d, h);
    Link(d, h, place.parent, place.prev);
    if (newLevel != item->level)
        ShiftLevels(d, h, int32_t(newLevel) - int32_t(item->level));
    // The old row number must not pass for a place in the rows: the item may
    // now stand before every row that is still up to date.
    item->row = 0;
    TreeListRowsChangedAt(d, h);  // the new place
    return 2;
}
