// Drag and drop inside the control: the drop highlight with its expand
// timer and the strip behind the last row, automatic scrolling, the end of
// a drag (moving the dragged items, or cancelling), and the insert mark.
#include "ui/treelist/core/treelist_internal.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr int32_t kStripHeight = 3;     // the place behind the last row
constexpr uint32_t kMinAutoScroll = 30;  // ms
constexpr uint32_t kMaxAutoScroll = 900;
constexpr uint32_t kInsertMarkColorSlot = 10;
// The insert-mark item and its cells carry this bit: their colour is the
// insert-mark colour.
constexpr uint8_t kInsertMarkBit = kTreeListOwnBackColor;

enum Mode : uint32_t { kInFront = 0, kBehind = 1, kFirstChild = 2, kLastChild = 3 };

void RepaintTarget(TreeListData& d, uint32_t h)
{
    if (h != kTreeListLast) {
        TreeListInvalidateItem(d, h);
        return;
    }
    // The strip sits below the last row, and never below the list area.
    TreeListEnsureRows(d);
    int64_t line = 0;
    if (d.rowCount > 0)
        line = d.rowCount <= d.pinnedRows ? int64_t(d.rowCount) : int64_t(d.rowCount) - d.firstRow;
    int64_t top = d.headerHeight + line * d.itemHeight;
    top = std::max<int64_t>(std::min<int64_t>(top, int64_t(d.clientHeight) - kStripHeight), d.headerHeight);
    const RECT rect = {0, LONG(top), d.clientWidth, LONG(top + kStripHeight)};
    d.host->Invalidate(&rect, false);
}

void SetHighlight(TreeListData& d, uint32_t h, bool on)
{
    if (TreeListItem* item = TreeListItemOf(d, h))
        item->flags = uint8_t(on ? (item->flags | kTreeListDropHilite) : (item->flags & ~kTreeListDropHilite));
}

void NotifyEndDrag(TreeListData& d, uint32_t target, uint32_t first, UINT action, WPARAM keys, POINT pt)
{
    NMTREEVIEWA nm{};
    nm.hdr.code = TLN_ENDDRAG;
    nm.action = action;
    nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
    nm.itemOld.hItem = TreeListHtreeOf(target);
    nm.itemOld.lParam = LPARAM(keys);
    nm.itemNew.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    nm.itemNew.hItem = TreeListHtreeOf(first);
    if (const TreeListItem* item = TreeListItemOf(d, first)) {
        nm.itemNew.state = item->state;
        nm.itemNew.stateMask = 0xFFFFFFFF;
        nm.itemNew.lParam = item->data;
    }
    nm.ptDrag = pt;
    TreeListSend(d, nm.hdr);
}

// The topmost selected items in tree order, without the target and its
// ancestors (an item cannot go into its own subtree); taken before the
// first move, so that moving never makes the walk visit an item twice or
// skip one.
std::vector<TreeListHeld> TopmostSelected(const TreeListData& d, uint32_t target)
{
    std::vector<TreeListHeld> out;
    for (uint32_t h = d.firstRoot; h;) {
        const TreeListItem* item = d.items[h];
        const bool take = (item->state & TVIS_SELECTED) && !TreeListIsInSubtree(d, h, target);
        if (take)
            out.push_back({h, item->serial});
        h = (!take && item->firstChild) ? item->firstChild : TreeListNextOutside(d, h);
    }
    return out;
}

// The drag rules on levels, parents and leaves (option 3).
bool MayMove(const TreeListData& d, uint32_t h, uint32_t newParent)
{
    const TreeListItem* item = d.items[h];
    if ((d.dragRules & TLO3_LEAVESONLY) && item->firstChild)
        return false;
    if ((d.dragRules & TLO3_SAMEPARENT) && item->parent != newParent)
        return false;
    if (d.dragRules & TLO3_SAMELEVEL) {
        const TreeListItem* parent = TreeListItemOf(d, newParent);
        if ((parent ? parent->level + 1u : 0u) != item->level)
            return false;
    }
    return true;
}

}  // namespace

int TreeListSetDropTarget(TreeListData& d, uint32_t h, uint32_t column)
{
    if (h != 0 && h != kTreeListLast && !TreeListItemOf(d, h))
        return 0;
    if (column != 0 && column >= d.columnCount)
        return 0;
    if (h == 0 || h == kTreeListLast)
        column = 0;
    if (h == d.dropItem && column == d.dropColumn)
        return 1;
    const uint32_t old = d.dropItem;
    SetHighlight(d, old, false);
    if (old)
        RepaintTarget(d, old);
    d.dropItem = h;
    d.dropColumn = column;
    SetHighlight(d, h, true);
    if (h)
        RepaintTarget(d, h);
    if (h == 0)
        d.host->KillTimer(kTreeListDropTimer);
    else if (h != old)
        d.host->SetTimer(kTreeListDropTimer, kTreeListDropExpandDelay);
    return 1;
}

void TreeListDropTimer(TreeListData& d)
{
    d.host->KillTimer(kTreeListDropTimer);
    const TreeListItem* item = TreeListItemOf(d, d.dropItem);
    if (item && TreeListMayHaveChildren(*item) && !(item->state & TVIS_EXPANDED))
        TreeListExpand(d, d.dropItem, kTreeListExpandAction, true);
}

int TreeListSetAutoScroll(TreeListData& d, uint32_t mode, uint32_t interval)
{
    if (interval == 0) {
        d.host->KillTimer(kTreeListAutoScrollTimer);
        return 1;
    }
    d.autoScrollMode = uint8_t(mode);
    d.autoScrollTicks = 0;
    d.host->SetTimer(kTreeListAutoScrollTimer, std::clamp(interval, kMinAutoScroll, kMaxAutoScroll));
    return 1;
}

void TreeListCancelDrag(TreeListData& d, WPARAM keys)
{
    const uint32_t item = d.dragItem;
    if (!item)
        return;
    // Over before the visuals end: giving up the capture reports back here.
    d.dragItem = 0;
    d.dragMode = 0;
    d.releaseAfterCancel = (d.dragState & kTreeListDragLeftButton) != 0;
    d.dragState = 0;
    TreeListSetDropTarget(d, 0, 0);
    d.host->EndDragVisuals();
    TreeListSetAutoScroll(d, 0, 0);
    if (d.dragRules & TLO3_ENDDRAGNOTIFY)
        NotifyEndDrag(d, 0, item, 0, keys, POINT{0, 0});
}

namespace {

// The items a drop moves: the topmost selected ones when several are
// dragged (not the target itself), else the dragged item. False when there
// is none or no memory for the list.
bool ItemsToMove(const TreeListData& d, bool several, uint32_t target, uint32_t dragged,
                 std::vector<TreeListHeld>& moving)
{
    try {
        if (several) {
            moving = TopmostSelected(d, target);
            return true;
        }
        const TreeListItem* item = TreeListItemOf(d, dragged);
        if (!item)
            return false;
        moving.push_back({dragged, item->serial});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

struct DropMoves {
    uint32_t count = 0, first = 0;
    int lastResult = 0;
};

// Moves the items one by one: the first to the drop place, each further
// one behind the one moved before. Moves send no notifications; the rows
// are renumbered once, lazily, when something reads them after the last
// move.
DropMoves MoveDropped(TreeListData& d, const std::vector<TreeListHeld>& moving, uint32_t target,
                      TreeListHeld targetHeld, uint32_t mode)
{
    const bool last = target == kTreeListLast;
    DropMoves done;
    TreeListHeld previous{0, 0};
    for (const TreeListHeld& m : moving) {
        if (!TreeListAlive(d, m) || !TreeListAlive(d, targetHeld))
            continue;
        uint32_t to, how, newParent;
        if (done.count == 0) {
            to = target;
            how = mode;
            newParent = (last || mode <= kBehind) ? d.items[targetHeld.h]->parent : target;
            if (last)
                newParent = 0;
        } else {
            to = previous.h;
            how = kBehind;
            newParent = d.items[previous.h]->parent;
        }
        if (!MayMove(d, m.h, newParent))
            continue;
        const int result = TreeListMoveItem(d, m.h, to, how);
        done.lastResult = result;
        if (result == 0)
            continue;
        if (done.count == 0)
            done.first = m.h;
        ++done.count;
        previous = m;
    }
    return done;
}

}  // namespace

int TreeListDropItems(TreeListData& d, uint32_t target, uint32_t dragged, WPARAM keys, POINT pt)
{
    const uint32_t rules = d.dragRules;
    const bool last = target == kTreeListLast;
    if (last && (rules & TLO3_NOLAST))
        return 0;
    const TreeListItem* targetItem = last ? nullptr : TreeListItemOf(d, target);
    const bool several = !(d.dragState & kTreeListDragByMessage) && d.selectedCount > 1;
    if (!last && !targetItem) {
        // Dropped outside the window: reported, nothing moves.
        const bool outside = pt.x < 0 || pt.y < 0 || pt.x >= d.clientWidth || pt.y >= d.clientHeight;
        if ((rules & TLO3_DROPOUTSIDE) && outside)
            NotifyEndDrag(d, 0, several ? d.caretItem : dragged, TLED_OUTSIDE, keys, pt);
        return 0;
    }
    if (last && !d.lastRoot)
        return 0;
    uint32_t mode = d.dropBehind ? kBehind : kInFront;
    if (last)
        mode = kBehind;
    else if (!(rules & TLO3_NOINTO) && (keys & MK_CONTROL))
        mode = (keys & MK_SHIFT) ? kFirstChild : kLastChild;
    if (targetItem && (rules & TLO3_PINNEDFIXED) && d.pinnedRows) {
        TreeListEnsureRows(d);
        if (targetItem->row && targetItem->row <= d.pinnedRows)
            return 0;
    }
    const TreeListHeld targetHeld = last ? TreeListHeld{d.lastRoot, d.items[d.lastRoot]->serial} : TreeListHeld{target, targetItem->serial};

    std::vector<TreeListHeld> moving;
    if (!ItemsToMove(d, several, last ? 0 : target, dragged, moving))
        return 0;
    const DropMoves done = MoveDropped(d, moving, target, targetHeld, mode);
    if (done.count && mode >= kFirstChild && TreeListAlive(d, targetHeld)) {
        const TreeListItem* item = d.items[targetHeld.h];
        if (TreeListMayHaveChildren(*item) && !(item->state & TVIS_EXPANDED))
            TreeListExpand(d, targetHeld.h, kTreeListExpandAction, true);
    }
    const UINT action = (done.count & TLED_COUNTMASK) | (mode << TLED_MODESHIFT) |
                        (UINT(done.lastResult & 3) << TLED_RESULTSHIFT);
    NotifyEndDrag(d, target, done.first, action, keys, pt);
    return int(done.count);
}

uint32_t TreeListSetInsertMark(TreeListData& d, uint32_t h, bool before)
{
    int deleted = 0;
    if (d.insertMarkItem) {
        const uint32_t old = d.insertMarkItem;
        d.insertMarkItem = 0;
        deleted = TreeListDeleteItem(d, old, kTreeListDeleteRecompute);
    }
    if (h == 0)
        return uint32_t(deleted);
    if (!TreeListItemOf(d, h))
        return 0;
    TVINSERTSTRUCTA insert{};
    insert.hParent = TreeListHtreeOf(h);
    insert.hInsertAfter = before ? TVI_BEFOREITEM : TVI_AFTERITEM;
    insert.item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;  // state 0: no check box
    insert.item.iImage = I_IMAGENONE;
    insert.item.iSelectedImage = I_IMAGENONE;
    const uint32_t mark = TreeListInsertItem(d, insert);
    TreeListItem* item = TreeListItemOf(d, mark);
    if (!item)
        return 0;
    const COLORREF color = d.colors[kInsertMarkColorSlot];
    item->flags |= kInsertMarkBit;
    item->backColor = color;
    for (uint32_t c = 1; c < d.columnCount; ++c) {
        if (TreeListCell* cell = TreeListMakeCell(d, mark, c)) {
            cell->flags |= kInsertMarkBit;
            cell->backColor = color;
        }
    }
    d.insertMarkItem = mark;
    return mark;
}
