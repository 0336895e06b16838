// Counting items of a group (TLM_COUNTITEMS) and finding items by data,
// state or text (TLM_FINDITEM).
#include "ui/treelist/core/treelist_internal.h"

#include <cstring>

#include "text/char_class.h"

namespace {

bool Passes(const TreeListItem& item, const TVITEMA& desc)
{
    if ((desc.mask & TVIF_HANDLE))
        return true;
    if ((desc.mask & TVIF_STATE) && (item.state & desc.stateMask) == (desc.state & desc.stateMask))
        return true;
    if ((desc.mask & TVIF_PARAM) && item.data == desc.lParam)
        return true;
    return (desc.mask & TVIF_IMAGE) && item.image == desc.iImage;
}

LRESULT CountSubtree(const TreeListData& d, uint32_t root, const TVITEMA& desc)
{
    LRESULT count = 0;
    uint32_t cur = root ? d.items[root]->firstChild : d.firstRoot;
    while (cur) {
        const TreeListItem* item = d.items[cur];
        count += Passes(*item, desc);
        uint32_t next = item->firstChild;
        while (!next && cur) {
            next = d.items[cur]->nextSibling;
            if (!next) {
                cur = d.items[cur]->parent;
                if (cur == root)
                    cur = 0;
            }
        }
        cur = next;
    }
    return count;
}

bool TextsEqual(const char* a, size_t length, const char* b, bool noCase)
{
    if (std::strlen(b) != length)
        return false;
    if (!noCase)
        return std::memcmp(a, b, length) == 0;
    for (size_t i = 0; i < length; ++i)
        if (CharToLower(static_cast<unsigned char>(a[i])) != CharToLower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

struct FindWalk {
    uint32_t flags;
    uint32_t minLevel;   // moves to this level or above end the walk (when limited)
    bool limited;
    uint32_t maxLevel;   // 0 = unlimited
};

bool MayDescend(const TreeListData& d, const FindWalk& w, const TreeListItem& item)
{
    if (!item.firstChild)
        return false;
    if (w.maxLevel != 0 && !(uint32_t(item.level) + 1 < w.maxLevel))
        return false;
    if ((w.flags & TLFI_SHOWNONLY) && (item.row == 0 || !(item.state & TVIS_EXPANDED)))
        return false;
    return true;
}

uint32_t Step(const TreeListData& d, const FindWalk& w, uint32_t h)
{
    const TreeListItem* item = d.items[h];
    if (!(w.flags & TLFI_TREE))
        return item->nextSibling;
    if (MayDescend(d, w, *item))
        return item->firstChild;
    for (uint32_t cur = h; cur; cur = d.items[cur]->parent) {
        const uint32_t next = d.items[cur]->nextSibling;
        if (next)
            return (w.limited && d.items[next]->level <= w.minLevel) ? 0 : next;
    }
    return 0;
}

}  // namespace

LRESULT TreeListCountItems(TreeListData& d, uint32_t h, const TVITEMA& desc)
{
    if (h == kTreeListRoot)
        return (desc.mask & TLCI_DESCENDANTS) ? CountSubtree(d, 0, desc) : 0;
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return -1;
    LRESULT count = 0;
    if (desc.mask & TLCI_SELF)
        count += Passes(*item, desc);
    if (desc.mask & TLCI_ANCESTORS)
        for (const TreeListItem* a = TreeListItemOf(d, item->parent); a; a = TreeListItemOf(d, a->parent))
            count += Passes(*a, desc);
    if (desc.mask & TLCI_SIBLINGS) {
        for (uint32_t s = item->prevSibling; s; s = d.items[s]->prevSibling)
            count += Passes(*d.items[s], desc);
        for (uint32_t s = item->nextSibling; s; s = d.items[s]->nextSibling)
            count += Passes(*d.items[s], desc);
    }
    if (desc.mask & TLCI_DESCENDANTS)
        count += CountSubtree(d, h, desc);
    return count;
}

namespace {

FindWalk WalkOf(uint32_t flags)
{
    FindWalk walk{};
    walk.flags = flags;
    walk.minLevel = (flags & TLFI_MINLEVELMASK) >> 16;
    walk.limited = walk.minLevel != 0 || (flags & TLFI_SUBTREE);
    walk.maxLevel = (flags & TLFI_MAXLEVELMASK) >> 8;
    return walk;
}

// The first item a search looks at and the flags it walks with; false when
// the search finds nothing from this start.
bool StartOf(const TreeListData& d, uint32_t start, uint32_t& flags, uint32_t& first)
{
    if (start == kTreeListRoot) {
        if (!(flags & TLFI_CHILDFIRST) && (!(flags & TLFI_TREE) || (flags & TLFI_NEXT)))
            return false;
        flags &= ~(TLFI_MINLEVELMASK | TLFI_CHILDFIRST | TLFI_NEXT | TLFI_SUBTREE);
        first = d.firstRoot;
        return true;
    }
    const TreeListItem* item = TreeListItemOf(d, start);
    if (!item)
        return false;
    if ((flags & TLFI_SUBTREE) && !(flags & TLFI_NEXT)) {
        // The start item's subtree only: the level rule keeps the walk
        // from moving to the start's level or above. A continuation
        // (with TLFI_NEXT) keeps the level written back.
        if ((flags & TLFI_SHOWNONLY) && item->row == 0)
            return false;
        const uint32_t maxLevel = (flags & TLFI_MAXLEVELMASK) >> 8;
        if (maxLevel != 0 && maxLevel <= item->level)
            return false;
        flags = (flags & ~TLFI_MINLEVELMASK) | (uint32_t(item->level) << 16);
    }
    if (flags & TLFI_CHILDFIRST)
        first = item->firstChild;
    else if (flags & TLFI_NEXT)
        first = Step(d, WalkOf(flags), start);
    else
        first = start;
    return true;
}

enum class Match { kNo, kYes, kGone };

// Whether the item has the data, state and text asked for; kGone when the
// parent deleted it while the control asked for its text.
Match MatchOf(TreeListData& d, uint32_t h, const TLFINDITEM& find, uint32_t flags)
{
    const TreeListItem* item = d.items[h];
    if ((flags & TLFI_DATA) && item->data != find.data)
        return Match::kNo;
    if ((flags & TLFI_STATE) && ((item->state ^ find.state) & find.stateMask))
        return Match::kNo;
    if (!(flags & TLFI_TEXT))
        return Match::kYes;
    const bool noCase = (flags & TLFI_NOCASE) != 0;
    const char* wanted = find.text ? find.text : "";
    bool match;
    if (find.column != 0 && find.column >= d.columnCount) {
        match = false;
    } else if (find.column == 0) {
        if (item->callbackFlags & kTreeListTextCallback) {
            char buffer[kTreeListMaxTextLength + 1];
            const uint32_t serial = item->serial;
            const char* text = TreeListCallbackText(d, h, 0, buffer, int(sizeof(buffer)));
            if (!TreeListItemOf(d, h, serial))
                return Match::kGone;
            match = TextsEqual(text, std::strlen(text), wanted, noCase);
        } else {
            match = TextsEqual(item->text, item->textLength, wanted, noCase);
        }
    } else {
        const TreeListCell* cell = TreeListCellOf(d, h, find.column);
        match = cell && cell->text ? TextsEqual(cell->text, cell->textLength, wanted, noCase) : wanted[0] == 0;
    }
    return match ? Match::kYes : Match::kNo;
}

}  // namespace

uint32_t TreeListFindItem(TreeListData& d, uint32_t start, TLFINDITEM& find)
{
    uint32_t flags = find.flags;
    if (flags & TLFI_SHOWNONLY)
        TreeListEnsureRows(d);
    uint32_t cur = 0;
    if (!StartOf(d, start, flags, cur))
        return 0;
    const FindWalk walk = WalkOf(flags);
    if (flags & TLFI_TREE)
        find.flags = flags;
    for (; cur; cur = Step(d, walk, cur)) {
        const Match match = MatchOf(d, cur, find, flags);
        if (match == Match::kGone)
            return 0;  // the parent deleted the item under the walk
        if (match == Match::kYes)
            return cur;
    }
    return 0;
}
