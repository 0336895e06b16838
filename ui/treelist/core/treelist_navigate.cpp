// TVM_GETNEXTITEM: the tree-view codes and the control's own, by relation,
// by row, by selection and by check state.
#include "ui/treelist/core/treelist_internal.h"

namespace {

uint32_t RowItem(const TreeListData& d, uint64_t row) { return row < d.rowCount ? d.rowItems[row] : 0; }

bool Selected(const TreeListData& d, uint32_t h) { return (d.items[h]->state & TVIS_SELECTED) != 0; }

// Tree order inside root's subtree (root itself excluded); 0 when the walk
// leaves it.
uint32_t NextInSubtree(const TreeListData& d, uint32_t root, uint32_t h)
{
    const TreeListItem* item = d.items[h];
    if (item->firstChild)
        return item->firstChild;
    for (uint32_t x = h; x && x != root; x = d.items[x]->parent)
        if (d.items[x]->nextSibling)
            return d.items[x]->nextSibling;
    return 0;
}

uint32_t NextSelected(const TreeListData& d, uint32_t h, bool root)
{
    if (d.selectedCount == 0)
        return 0;
    const TreeListItem* caret = TreeListItemOf(d, d.caretItem);
    const bool onlyCaret = d.selectedCount == 1 && caret && (caret->state & TVIS_SELECTED);
    uint32_t x;
    if (root) {
        if (onlyCaret)
            return d.caretItem;
        x = d.firstRoot;
    } else {
        if (!TreeListItemOf(d, h) || (onlyCaret && h == d.caretItem))
            return 0;
        x = TreeListNextInTree(d, h);
    }
    for (; x; x = TreeListNextInTree(d, x))
        if (Selected(d, x))
            return x;
    return 0;
}

uint32_t NextSelectedChild(const TreeListData& d, uint32_t h, bool root)
{
    if (d.selectedCount == 0)
        return 0;
    if (root) {
        for (uint32_t x = d.firstRoot; x; x = TreeListNextInTree(d, x))
            if (Selected(d, x))
                return x;
        return 0;
    }
    if (!TreeListItemOf(d, h))
        return 0;
    for (uint32_t x = d.items[h]->firstChild; x; x = NextInSubtree(d, h, x))
        if (Selected(d, x))
            return x;
    return 0;
}

uint32_t NextChecked(const TreeListData& d, uint32_t h, bool root)
{
    const UINT bit = (d.extStyle & TLS_EX_CHECKZERO) ? INDEXTOSTATEIMAGEMASK(1) : INDEXTOSTATEIMAGEMASK(2);
    uint32_t x = root ? d.firstRoot : (TreeListItemOf(d, h) ? TreeListNextInTree(d, h) : 0);
    for (; x; x = TreeListNextInTree(d, x))
        if (d.items[x]->state & bit)
            return x;
    return 0;
}

// The codes 0x6A000000 + n (n-th child) and 0x6B000000 + n (n-th sibling
// behind the item).
uint32_t Counted(const TreeListData& d, uint32_t h, bool root, uint32_t code)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    uint32_t x;
    if ((code & ~TVGN_COUNTMASK) == TVGN_CHILDN)
        x = root ? d.firstRoot : (item ? item->firstChild : 0);
    else
        x = root ? d.firstRoot : (item ? h : 0);
    for (uint32_t n = code & TVGN_COUNTMASK; x && n > 0; --n)
        x = d.items[x]->nextSibling;
    return x;
}

// The item of the row below or above, only from a row of the page in view.
uint32_t VisibleNeighbour(TreeListData& d, uint32_t h, bool root, bool next)
{
    TreeListEnsureRows(d);
    const uint64_t first = d.firstRow, last = uint64_t(d.firstRow) + d.visibleCount;
    if (root) {
        const TreeListItem* top = TreeListItemOf(d, d.firstRoot);
        return (next && top && top->row > first) ? d.firstRoot : 0;
    }
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item || item->row == 0)
        return 0;
    const uint64_t row = next ? item->row : uint64_t(item->row) - 1;
    if (row <= first || row > last)
        return 0;
    return next ? RowItem(d, row) : RowItem(d, row - 1);
}

}  // namespace

LRESULT TreeListGetNextItem(TreeListData& d, uint32_t h, uint32_t code)
{
    const bool root = h == kTreeListRoot;
    const TreeListItem* item = TreeListItemOf(d, h);
    const bool multi = (d.extStyle & TLS_EX_MULTISELECT) != 0;
    const bool anchored = TreeListItemOf(d, d.anchorItem) != nullptr;
    // The focus: the anchor under multiple selection, else the caret while
    // it is the only selected item.
    const bool focusIsAnchor = multi ? anchored : d.selectedCount != 1;
    const uint32_t family = code & ~TVGN_COUNTMASK;
    if (family == TVGN_CHILDN || family == TVGN_SIBLINGN)
        return Counted(d, h, root, code);

    switch (code) {
    case TVGN_ROOT:
        return d.firstRoot;
    case TVGN_NEXT:
        return item ? item->nextSibling : 0;
    case TVGN_PREVIOUS:
        return item ? item->prevSibling : 0;
    case TVGN_PARENT:
        return item ? item->parent : 0;
    case TVGN_CHILD:
        return root ? d.firstRoot : (item ? item->firstChild : 0);
    case TVGN_FIRSTVISIBLE:
        TreeListEnsureRows(d);
        return RowItem(d, d.firstRow);
    case TVGN_NEXTVISIBLE:
        return VisibleNeighbour(d, h, root, true);
    case TVGN_PREVIOUSVISIBLE:
        return VisibleNeighbour(d, h, root, false);
    case TVGN_DROPHILITE:
        return LRESULT(d.dropItem);
    case TVGN_CARET:
        return d.caretItem;
    case TVGN_LASTVISIBLE:
        TreeListEnsureRows(d);
        return d.rowCount ? d.rowItems[d.rowCount - 1] : 0;
    case TVGN_NEXTSELECTED:
        return NextSelected(d, h, root);
    case TVGN_DROPHILITECOLUMN:
        return d.dropColumn;
    case TVGN_CARETCOLUMN:
        return d.caretColumn;
    case TVGN_FIRSTSCROLLVISIBLE:
        TreeListEnsureRows(d);
        return RowItem(d, uint64_t(d.firstRow) + d.pinnedRows);
    case TVGN_FOCUS:
        return focusIsAnchor ? d.anchorItem : d.caretItem;
    case TVGN_FOCUSCOLUMN:
        return focusIsAnchor ? d.anchorColumn : d.caretColumn;
    case TVGN_NEXTSELECTEDCHILD:
        return NextSelectedChild(d, h, root);
    case TVGN_LASTCHILD:
        return root ? d.lastRoot : (item ? item->lastChild : 0);
    case TVGN_NEXTITEM:
        return root ? d.firstRoot : TreeListNextInTree(d, h);
    case TVGN_FIRSTUNPINNED:
        TreeListEnsureRows(d);
        return RowItem(d, d.pinnedRows);
    case TVGN_NEXTCHECKED:
        return NextChecked(d, h, root);
    case TVGN_LEVEL:
        return item ? item->level : 0;
    default:
        return 0;
    }
}
