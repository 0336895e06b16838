// The invariant checker: the tests run it after every step of randomised
// operation sequences; it reads only and is slow on purpose (it rebuilds the
// expected rows from scratch).
#include "ui/treelist/core/treelist_internal.h"

#include <string>
#include <vector>

namespace {

bool Fail(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
    return false;
}

std::string Num(uint64_t v) { return std::to_string(v); }

// Checks one sibling list; appends its members to out.
bool CheckSiblings(const TreeListData& d, uint32_t parent, uint32_t first, uint32_t last,
                   std::vector<uint32_t>& out, std::string* why)
{
    const TreeListItem* parentItem = TreeListItemOf(d, parent);
    uint32_t prev = 0;
    uint64_t steps = 0;
    for (uint32_t h = first; h; h = d.items[h]->nextSibling) {
        const TreeListItem* item = TreeListItemOf(d, h);
        if (!item)
            return Fail(why, "sibling list of " + Num(parent) + " names empty handle " + Num(h));
        if (++steps > d.itemCount)
            return Fail(why, "sibling list of " + Num(parent) + " loops");
        if (item->prevSibling != prev)
            return Fail(why, "item " + Num(h) + " has prevSibling " + Num(item->prevSibling) + ", expected " +
                                 Num(prev));
        if (item->parent != parent)
            return Fail(why, "item " + Num(h) + " has parent " + Num(item->parent) + ", expected " + Num(parent));
        const uint32_t level = parentItem ? parentItem->level + 1u : 0u;
        if (item->level != level)
            return Fail(why, "item " + Num(h) + " has level " + Num(item->level) + ", expected " + Num(level));
        out.push_back(h);
        prev = h;
    }
    if (prev != last)
        return Fail(why, "list of " + Num(parent) + " ends at " + Num(prev) + " but last is " + Num(last));
    if (parentItem && (parentItem->firstChild != 0) != (parentItem->lastChild != 0))
        return Fail(why, "item " + Num(parent) + " has only one end of its child list");
    return true;
}

// References into the items name live items; the anchor's and the drop
// highlight's marks sit on those items only.
bool CheckSelectionModel(const TreeListData& d, std::string* why)
{
    const struct {
        const char* name;
        uint32_t h;
    } references[] = {{"anchor", d.anchorItem}, {"radio item", d.radioItem}, {"insert mark", d.insertMarkItem}};
    for (const auto& r : references)
        if (r.h && !TreeListItemOf(d, r.h))
            return Fail(why, std::string(r.name) + " names empty slot " + Num(r.h));
    if (d.dropItem && d.dropItem != kTreeListLast && !TreeListItemOf(d, d.dropItem))
        return Fail(why, "drop target names empty slot " + Num(d.dropItem));
    const uint32_t columns = d.columnCount ? d.columnCount : 1;
    if (d.caretColumn >= columns || d.anchorColumn >= columns || d.dropColumn >= columns)
        return Fail(why, "caret, anchor or drop column beyond the columns");
    if (!d.caretItem && d.caretColumn)
        return Fail(why, "a column without a caret");
    for (uint32_t h = 1; h <= d.itemsSize; ++h) {
        const TreeListItem* item = d.items[h];
        if (!item)
            continue;
        if ((item->flags & kTreeListFocusMark) && !(h == d.anchorItem && d.anchorColumn == 0))
            return Fail(why, "item " + Num(h) + " carries the anchor mark but is not the anchor");
        if ((item->flags & kTreeListDropHilite) && h != d.dropItem)
            return Fail(why, "item " + Num(h) + " is highlighted but not the drop target");
        for (uint32_t c = 1; c < d.columnCount; ++c) {
            const TreeListCell* cell = d.cells[c] ? d.cells[c][h] : nullptr;
            if (cell && (cell->flags & kTreeListFocusMark) && !(h == d.anchorItem && d.anchorColumn == c))
                return Fail(why, "cell " + Num(h) + "/" + Num(c) + " carries the anchor mark but is not the anchor");
        }
    }
    return true;
}

// Walks the whole tree in order into `order`, marking each item in `seen`;
// no item may be reached twice, and sibling links must agree.
bool CheckTree(const TreeListData& d, std::vector<uint32_t>& order, std::vector<uint8_t>& seen, std::string* why)
{
    seen.assign(size_t(d.itemsSize) + 1, 0);
    std::vector<uint32_t> level;
    if (!CheckSiblings(d, 0, d.firstRoot, d.lastRoot, level, why))
        return false;
    std::vector<uint32_t> stack(level.rbegin(), level.rend());
    while (!stack.empty()) {
        const uint32_t h = stack.back();
        stack.pop_back();
        if (seen[h]++)
            return Fail(why, "item " + Num(h) + " reached twice");
        order.push_back(h);
        const TreeListItem* item = d.items[h];
        std::vector<uint32_t> children;
        if (!CheckSiblings(d, h, item->firstChild, item->lastChild, children, why))
            return false;
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return true;
}

// Every used slot was reached by the walk; the counts of used and selected
// slots, the rows items claim, the caret.
bool CheckSlots(const TreeListData& d, const std::vector<uint8_t>& seen, std::string* why)
{
    uint32_t used = 0, selected = 0;
    for (uint32_t h = 1; h <= d.itemsSize; ++h) {
        if (!d.items[h])
            continue;
        ++used;
        if (!seen[h])
            return Fail(why, "item " + Num(h) + " is not linked into the tree");
        if (d.items[h]->state & TVIS_SELECTED)
            ++selected;
        const uint32_t row = d.items[h]->row;
        if (row != 0 && (row > d.itemsSize || d.rowItems[row - 1] != h))
            return Fail(why, "item " + Num(h) + " has row " + Num(row) + " but its slot differs");
    }
    if (used != d.itemCount)
        return Fail(why, "itemCount " + Num(d.itemCount) + " but " + Num(used) + " items exist");
    if (selected != d.selectedCount)
        return Fail(why, "selectedCount " + Num(d.selectedCount) + " but " + Num(selected) + " are selected");
    if (d.caretItem && !TreeListItemOf(d, d.caretItem))
        return Fail(why, "caret names an empty slot");
    return true;
}

// Up-to-date rows hold exactly the shown items in tree order.
bool CheckRows(const TreeListData& d, const std::vector<uint32_t>& order, std::string* why)
{
    // In tree order every parent comes before its children: whether an
    // item's children show is known when they are reached.
    std::vector<uint32_t> rows;
    std::vector<uint8_t> childrenShown(size_t(d.itemsSize) + 1, 0);
    for (const uint32_t h : order) {
        const TreeListItem* item = d.items[h];
        const bool shown = !TreeListIsHidden(d, *item) && (!item->parent || childrenShown[item->parent]);
        childrenShown[h] = shown && (item->state & TVIS_EXPANDED);
        if (shown)
            rows.push_back(h);
    }
    if (rows.size() != d.rowCount)
        return Fail(why, "rowCount " + Num(d.rowCount) + ", expected " + Num(rows.size()));
    for (uint32_t r = 0; r < d.itemsSize; ++r) {
        const uint32_t expected = r < rows.size() ? rows[r] : 0;
        if (d.rowItems[r] != expected)
            return Fail(why, "row slot " + Num(r) + " holds " + Num(d.rowItems[r]) + ", expected " + Num(expected));
        if (expected && d.items[expected]->row != r + 1)
            return Fail(why, "item " + Num(expected) + " has row " + Num(d.items[expected]->row) + ", expected " +
                                 Num(r + 1));
    }
    for (uint32_t h : order)
        if (d.items[h]->row > rows.size())
            return Fail(why, "item " + Num(h) + " keeps a row behind the row count");
    return true;
}

// The display order is a permutation that the columns' positions mirror;
// each column but the first has its cell table.
bool CheckColumns(const TreeListData& d, std::string* why)
{
    if (d.columnCount > kTreeListMaxColumns)
        return Fail(why, "columnCount above 32");
    uint32_t positions = 0;
    for (uint32_t p = 0; p < d.columnCount; ++p) {
        const uint32_t c = d.columnOrder[p];
        if (c >= d.columnCount || (positions & (1u << c)))
            return Fail(why, "columnOrder is not a permutation");
        positions |= 1u << c;
        if (d.columns[c].position != p)
            return Fail(why, "column " + Num(c) + " has position " + Num(d.columns[c].position) + ", expected " +
                                 Num(p));
    }
    for (uint32_t c = 1; c < kTreeListMaxColumns; ++c)
        if ((d.cells[c] != nullptr) != (c < d.columnCount))
            return Fail(why, "cell table of column " + Num(c) + " does not match the column count");
    return true;
}

}  // namespace

bool TreeListVerify(const TreeListData& d, std::string* why)
{
    if (d.itemCount > d.itemsSize)
        return Fail(why, "itemCount above itemsSize");
    if (d.items[0])
        return Fail(why, "slot 0 is used");
    std::vector<uint32_t> order;
    std::vector<uint8_t> seen;
    if (!CheckTree(d, order, seen, why) || !CheckSlots(d, seen, why) || !CheckSelectionModel(d, why))
        return false;
    if (!d.rowsDirty && !CheckRows(d, order, why))
        return false;
    return CheckColumns(d, why);
}
