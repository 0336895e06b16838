// Sorting the children of an item (or the root level), optionally the whole
// subtree, by text, by a tree-view compare function or by a TreeList compare
// function.
//
// The comparisons run with the lock released and the sorting mark set;
// inserts, deletes, moves, text changes and nested sorts are refused
// meanwhile. Everything a comparison needs (handles, data words, texts) is
// copied out before the lock is left, so a compare function that destroys
// the window frees nothing that the sort still reads. When the lock is
// taken back the level is checked against the copy before it is relinked.
//
// The partition scans stop on keys equal to the pivot and never run past
// the range, so all-equal keys split evenly (n log n, not n^2).
#include "ui/treelist/core/treelist_internal.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "text/char_class.h"

namespace {

constexpr size_t kFirstArraySize = 128;
constexpr int kStackDepth = 64;  // larger part pushed, smaller part first: log2(n) entries

struct Entry {
    uint32_t h;
    uint32_t serial;
    LPARAM data;
    uint32_t textOffset;  // into the copied texts; UINT32_MAX = callback text
};

struct Level {
    uint32_t parent;  // 0 = root level
    uint32_t serial;
};

// The comparison of one sort, usable without the lock.
class Comparison {
public:
    Comparison(TreeListData& d, const TreeListComparer& comparer, const std::string& texts)
        : m_d(d), m_comparer(comparer), m_texts(texts), m_host(d.host), m_window(d.window)
    {
    }

    int operator()(const Entry& a, const Entry& pivot)
    {
        switch (m_comparer.kind) {
        case TreeListComparer::kCallback:
            return m_comparer.callback(a.data, pivot.data, m_comparer.parameter);
        case TreeListComparer::kTreeList:
            return m_comparer.treeListProc(m_window, TreeListHtreeOf(a.h), TreeListHtreeOf(pivot.h), a.data,
                                           pivot.data, m_comparer.parameter);
        case TreeListComparer::kText:
        default:
            return TreeListCompareTexts(Text(a, 1), Text(pivot, 0));
        }
    }

private:
    // Callback texts are asked for from the parent; buffer 0 keeps the
    // pivot's, so fetching the other item's does not overwrite it.
    const char* Text(const Entry& e, int slot)
    {
        if (e.textOffset != UINT32_MAX)
            return m_texts.data() + e.textOffset;
        if (slot == 0 && m_pivotCached == e.h)
            return m_d.sortText[0];
        char* buffer = m_d.sortText[slot];
        buffer[0] = 0;
        if (m_d.destroyed)
            return buffer;
        NMTVDISPINFOA info{};
        info.hdr.code = TVN_GETDISPINFOA;
        info.item.mask = TVIF_TEXT;
        info.item.hItem = TreeListHtreeOf(e.h);
        info.item.lParam = e.data;
        info.item.pszText = buffer;
        info.item.cchTextMax = int(m_d.sortTextSize[slot]);
        m_host->Notify(info.hdr);
        if (info.item.pszText && info.item.pszText != buffer && info.item.pszText != LPSTR_TEXTCALLBACKA) {
            const size_t n = strnlen(info.item.pszText, m_d.sortTextSize[slot] - 1);
            std::memmove(buffer, info.item.pszText, n);
            buffer[n] = 0;
        }
        buffer[m_d.sortTextSize[slot] - 1] = 0;
        if (slot == 0)
            m_pivotCached = e.h;
        return buffer;
    }

    TreeListData& m_d;
    const TreeListComparer& m_comparer;
    const std::string& m_texts;
    TreeListHost* m_host;
    HWND m_window;
    uint32_t m_pivotCached = 0;
};

// Quicksort with the middle element as pivot, swapped to the low end; the
// comparison always has the pivot as its second operand.
void QuickSort(std::vector<Entry>& a, Comparison& compare)
{
    struct Range {
        size_t low, high;
    };
    Range stack[kStackDepth];
    int top = 0;
    size_t low = 0, high = a.size() - 1;
    for (;;) {
        while (low < high) {
            std::swap(a[low], a[low + (high - low) / 2]);
            size_t i = low, j = high + 1;
            for (;;) {
                while (compare(a[++i], a[low]) < 0)
                    if (i == high)
                        break;
                while (compare(a[--j], a[low]) > 0)
                    if (j == low)
                        break;
                if (i >= j)
                    break;
                std::swap(a[i], a[j]);
            }
            std::swap(a[low], a[j]);
            // Continue with the smaller part; the larger waits on the stack.
            Range left{low, j > low ? j - 1 : low}, right{j + 1, high};
            const bool leftEmpty = j == low, rightEmpty = j >= high;
            if (leftEmpty && rightEmpty)
                break;
            if (leftEmpty) {
                low = right.low;
                continue;
            }
            if (rightEmpty) {
                high = left.high;
                continue;
            }
            const bool leftSmaller = left.high - left.low < right.high - right.low;
            const Range larger = leftSmaller ? right : left;
            const Range smaller = leftSmaller ? left : right;
            stack[top++] = larger;
            low = smaller.low;
            high = smaller.high;
        }
        if (top == 0)
            return;
        --top;
        low = stack[top].low;
        high = stack[top].high;
    }
}

bool EnsureBuffers(TreeListData& d)
{
    const uint32_t size = kTreeListMaxTextLength + 1;
    for (int i = 0; i < 2; ++i) {
        if (d.sortTextSize[i] >= size)
            continue;
        char* grown = static_cast<char*>(std::realloc(d.sortText[i], size));
        if (!grown)
            return false;
        d.sortText[i] = grown;
        d.sortTextSize[i] = size;
    }
    return true;
}

// Sorts one level; false when it could not be sorted (memory, or the level
// changed while the lock was released).
bool SortLevel(TreeListData& d, const Level& level, const TreeListComparer& comparer)
{
    TreeListItem* parent = TreeListItemOf(d, level.parent);
    if (level.parent && (!parent || parent->serial != level.serial))
        return false;
    uint32_t first = parent ? parent->firstChild : d.firstRoot;
    std::vector<Entry> entries;
    std::string texts;
    try {
        entries.reserve(kFirstArraySize);
        for (uint32_t s = first; s; s = d.items[s]->nextSibling) {
            const TreeListItem* item = d.items[s];
            Entry e{s, item->serial, item->data, UINT32_MAX};
            if (comparer.kind == TreeListComparer::kText && !(item->callbackFlags & kTreeListTextCallback)) {
                e.textOffset = uint32_t(texts.size());
                texts.append(item->text, item->textLength);
                texts.push_back('\0');
            }
            entries.push_back(e);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (entries.size() < 2)
        return true;
    if (comparer.kind == TreeListComparer::kText && !EnsureBuffers(d))
        return false;

    d.sorting = true;
    Comparison compare(d, comparer, texts);
    TreeListUnlocked(d, [&] { QuickSort(entries, compare); });
    d.sorting = false;

    // The level must still be exactly the one that was copied.
    parent = TreeListItemOf(d, level.parent);
    if (level.parent && (!parent || parent->serial != level.serial))
        return false;
    first = parent ? parent->firstChild : d.firstRoot;
    size_t count = 0;
    for (uint32_t s = first; s; s = d.items[s]->nextSibling)
        if (++count > entries.size())
            return false;
    if (count != entries.size())
        return false;
    for (const Entry& e : entries) {
        const TreeListItem* item = TreeListItemOf(d, e.h, e.serial);
        if (!item || item->parent != level.parent)
            return false;
    }
    // Relink in array order.
    uint32_t prev = 0;
    for (const Entry& e : entries) {
        TreeListItem* item = d.items[e.h];
        item->prevSibling = prev;
        item->nextSibling = 0;
        if (prev)
            d.items[prev]->nextSibling = e.h;
        prev = e.h;
    }
    if (parent) {
        parent->firstChild = entries.front().h;
        parent->lastChild = entries.back().h;
    } else {
        d.firstRoot = entries.front().h;
        d.lastRoot = entries.back().h;
    }
    return true;
}

uint32_t ChildCount(const TreeListData& d, uint32_t parent, uint32_t& only)
{
    uint32_t n = 0;
    for (uint32_t s = parent ? d.items[parent]->firstChild : d.firstRoot; s && n < 2; s = d.items[s]->nextSibling) {
        only = s;
        ++n;
    }
    return n;
}

}  // namespace

int TreeListCompareTexts(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const int ca = CharToLower(static_cast<unsigned char>(*a));
        const int cb = CharToLower(static_cast<unsigned char>(*b));
        if (ca != cb)
            return ca - cb;
        if (ca == 0)
            return 0;
    }
}

int TreeListSortChildren(TreeListData& d, uint32_t parent, const TreeListComparer& comparer, bool recurse)
{
    if (d.sorting)
        return 0;  // no nested sorts
    const bool root = parent == kTreeListRoot;
    if (root)
        parent = 0;
    else if (!TreeListItemOf(d, parent))
        return 0;

    // The levels to sort, children's levels before their parent's, found
    // without recursion (trees may be deep).
    std::vector<Level> levels;
    try {
        struct Visit {
            uint32_t h;
            bool childrenPushed;
        };
        std::vector<Visit> stack{{parent, false}};
        while (!stack.empty()) {
            Visit& v = stack.back();
            uint32_t only = 0;
            const uint32_t n = ChildCount(d, v.h, only);
            if (n == 0) {
                stack.pop_back();
            } else if (n == 1) {
                // One item is not sorted; its children are, in the same way.
                v = Visit{only, false};
            } else if (!recurse || v.childrenPushed) {
                levels.push_back({v.h, v.h ? d.items[v.h]->serial : 0});
                stack.pop_back();
            } else {
                v.childrenPushed = true;
                const uint32_t h = v.h;
                for (uint32_t s = h ? d.items[h]->firstChild : d.firstRoot; s; s = d.items[s]->nextSibling)
                    if (d.items[s]->firstChild)
                        stack.push_back({s, false});
            }
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    bool sorted = true;
    for (const Level& level : levels)
        sorted &= SortLevel(d, level, comparer);
    if (!sorted)
        return 0;

    // The relinked levels' rows are out of date, whatever else goes on (the
    // window's end among it: its deletes still read the rows).
    if (root) {
        TreeListRowsChanged(d, 0);
    } else {
        const TreeListItem* item = TreeListItemOf(d, parent);
        if (!item || item->row == 0 || !(item->state & TVIS_EXPANDED))
            return 1;
        if (!d.rowsDirty || item->row <= d.rowsValid)
            TreeListRowsChanged(d, item->row);
    }
    if ((d.style & TVS_SHOWSELALWAYS) && d.caretItem && !TreeListEnding(d))
        TreeListEnsureVisible(d, d.caretItem, d.caretColumn);
    return 1;
}
