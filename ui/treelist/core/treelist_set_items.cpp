// TLM_SETITEMS: one item description applied to a group of items, the group
// chosen by the mask's group bits as TLM_COUNTITEMS chooses it (the item
// itself, its ancestors, its siblings, its descendants; TVI_ROOT with the
// descendant bit: the whole tree).
#include "ui/treelist/core/treelist_internal.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr UINT kGroupBits = TLCI_SIBLINGS | TLCI_SELF | TLCI_ANCESTORS | TLCI_DESCENDANTS;

void Take(const TreeListData& d, uint32_t h, std::vector<TreeListHeld>& out) { out.push_back({h, d.items[h]->serial}); }

void TakeSubtree(const TreeListData& d, uint32_t root, std::vector<TreeListHeld>& out)
{
    for (uint32_t h = root ? d.items[root]->firstChild : d.firstRoot; h;) {
        Take(d, h, out);
        uint32_t next = d.items[h]->firstChild;
        for (uint32_t cur = h; !next && cur && cur != root; cur = d.items[cur]->parent)
            next = d.items[cur]->nextSibling;
        h = next;
    }
}

// The group in a fixed order, taken before the first change: setting the
// selected or expanded bit notifies the parent, who may change the tree.
bool Group(const TreeListData& d, uint32_t h, UINT mask, std::vector<TreeListHeld>& out)
{
    if (h == kTreeListRoot) {
        if (mask & TLCI_DESCENDANTS)
            TakeSubtree(d, 0, out);
        return true;
    }
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return false;
    if (mask & TLCI_SELF)
        Take(d, h, out);
    if (mask & TLCI_ANCESTORS)
        for (uint32_t a = item->parent; a; a = d.items[a]->parent)
            Take(d, a, out);
    if (mask & TLCI_SIBLINGS) {
        uint32_t first = h;
        while (d.items[first]->prevSibling)
            first = d.items[first]->prevSibling;
        for (uint32_t s = first; s; s = d.items[s]->nextSibling)
            if (s != h)
                Take(d, s, out);
    }
    if (mask & TLCI_DESCENDANTS)
        TakeSubtree(d, h, out);
    return true;
}

struct Snapshot {
    UINT state;
    int image, selectedImage;
    LPARAM data;
    std::string text;
};

// What the description would change, read from the item or its cell.
Snapshot Read(TreeListData& d, uint32_t h, const TVITEMA& desc)
{
    Snapshot s{};
    TVITEMA tv{};
    tv.hItem = TreeListHtreeOf(h);
    tv.mask = (desc.mask & (TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_SUBITEM)) | TVIF_HANDLE;
    tv.mask |= (desc.mask & TVIF_TEXT) ? TVIF_TEXT | TVIF_TEXTPTR : 0;
    tv.cChildren = desc.cChildren;
    tv.stateMask = 0xFFFFFFFF;
    if (!TreeListGetItemInfo(d, tv))
        return s;
    s.state = tv.state;
    s.image = tv.iImage;
    s.selectedImage = tv.iSelectedImage;
    s.data = tv.lParam;
    if ((desc.mask & TVIF_TEXT) && tv.pszText && tv.pszText != LPSTR_TEXTCALLBACKA)
        s.text.assign(tv.pszText);
    return s;
}

bool Same(const Snapshot& a, const Snapshot& b, const TVITEMA& desc)
{
    if ((desc.mask & TVIF_STATE) && ((a.state ^ b.state) & desc.stateMask))
        return false;
    if ((desc.mask & TVIF_IMAGE) && a.image != b.image)
        return false;
    if ((desc.mask & TVIF_SELECTEDIMAGE) && a.selectedImage != b.selectedImage)
        return false;
    if ((desc.mask & TVIF_PARAM) && a.data != b.data)
        return false;
    return !(desc.mask & TVIF_TEXT) || a.text == b.text;
}

}  // namespace

LRESULT TreeListSetItems(TreeListData& d, const TVITEMA& desc)
{
    std::vector<TreeListHeld> group;
    try {
        if (!Group(d, TreeListHandleOf(desc.hItem), desc.mask, group))
            return -1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    TVITEMA tv = desc;
    tv.mask &= ~(kGroupBits | TVIF_TEXTPTR);
    LRESULT changed = 0;
    for (const TreeListHeld& x : group) {
        if (!TreeListItemOf(d, x.h, x.serial))
            continue;  // deleted by the parent meanwhile
        const Snapshot before = Read(d, x.h, tv);
        tv.hItem = TreeListHtreeOf(x.h);
        if (!TreeListSetItemInfo(d, tv) || !TreeListItemOf(d, x.h, x.serial))
            continue;
        changed += !Same(before, Read(d, x.h, tv), tv);
    }
    return changed;
}
