// Inserting items: every fallible step (table growth, record, text, the
// sorted search with its notifications) is done before the item is linked.
#include "ui/treelist/core/treelist_internal.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr uint32_t kMaxLevel = 0xFFFF;

struct Place {
    uint32_t parent = 0;
    uint32_t prev = 0;  // insert behind this sibling; 0 = first
};

// The sibling at index i of parent's children (from the cursor, walking
// either way so that a binary search walks the list about once).
struct Cursor {
    uint32_t h;
    uint32_t index;
};
uint32_t SiblingAt(const TreeListData& d, Cursor& c, uint32_t index)
{
    while (c.index < index) {
        c.h = d.items[c.h]->nextSibling;
        ++c.index;
    }
    while (c.index > index) {
        c.h = d.items[c.h]->prevSibling;
        --c.index;
    }
    return c.h;
}

uint32_t FirstChildOf(const TreeListData& d, uint32_t parent)
{
    return parent ? d.items[parent]->firstChild : d.firstRoot;
}

// Compares the new item's text with a sibling's: < 0 in front, > 0 behind.
// Runs with the sorting mark set; the lock is released around callbacks.
bool CompareWithSibling(TreeListData& d, uint32_t sibling, const char* newText, const TVITEMA& tv,
                        TreeListInsertCompareProc proc, int& result)
{
    const TreeListItem* item = d.items[sibling];
    const uint32_t serial = item->serial;
    char* buffer = d.sortText[0];
    const char* text = item->text;
    if (item->callbackFlags & kTreeListTextCallback) {
        text = (tv.mask & TVIF_DEFERSTATE) ? "" : TreeListCallbackText(d, sibling, 0, buffer, int(d.sortTextSize[0]));
        if (!TreeListItemOf(d, sibling, serial))
            return false;
    } else if (proc) {
        // The compare function gets a copy: the window may be destroyed
        // inside it.
        std::memcpy(buffer, text, item->textLength + 1u);
        text = buffer;
    }
    if (!proc) {
        result = TreeListCompareTexts(newText, text);
        return true;
    }
    const HWND window = d.window;
    const LPARAM data = d.items[sibling]->data;
    TreeListUnlocked(d, [&] { result = proc(window, TreeListHtreeOf(sibling), text, newText, data, tv.lParam); });
    return TreeListItemOf(d, sibling, serial) != nullptr;
}

// The sorted place among parent's children by binary search: equal texts
// go in front of the sibling. False when the search was overtaken (the
// parent or a sibling vanished, the window went away).
bool SortedPlace(TreeListData& d, Place& place, const char* newText, const TVITEMA& tv,
                 TreeListInsertCompareProc proc)
{
    const uint32_t parentSerial = place.parent ? d.items[place.parent]->serial : 0;
    uint32_t count = 0;
    for (uint32_t s = FirstChildOf(d, place.parent); s; s = d.items[s]->nextSibling)
        ++count;
    if (count == 0)
        return true;
    const uint32_t size = uint32_t(kTreeListMaxTextLength) + 1;
    if (d.sortTextSize[0] < size) {
        char* grown = static_cast<char*>(std::realloc(d.sortText[0], size));
        if (!grown)
            return false;
        d.sortText[0] = grown;
        d.sortTextSize[0] = size;
    }
    Cursor cursor{FirstChildOf(d, place.parent), 0};
    uint32_t low = 0, high = count;
    d.sorting = true;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const uint32_t sibling = SiblingAt(d, cursor, mid);
        int result = 0;
        if (!CompareWithSibling(d, sibling, newText, tv, proc, result) || d.destroying ||
            (place.parent && !TreeListItemOf(d, place.parent, parentSerial))) {
            d.sorting = false;
            return false;
        }
        if (result > 0) {
            low = mid + 1;
        } else if (result < 0) {
            high = mid;
        } else {
            low = mid;  // equal texts: in front of that sibling
            break;
        }
    }
    d.sorting = false;
    place.prev = low == 0 ? 0 : SiblingAt(d, cursor, low - 1);
    return true;
}

void Link(TreeListData& d, uint32_t h, const Place& place)
{
    TreeListItem* item = d.items[h];
    TreeListItem* parent = TreeListItemOf(d, place.parent);
    uint32_t& first = parent ? parent->firstChild : d.firstRoot;
    uint32_t& last = parent ? parent->lastChild : d.lastRoot;
    item->parent = place.parent;
    item->prevSibling = place.prev;
    item->nextSibling = place.prev ? d.items[place.prev]->nextSibling : first;
    if (item->prevSibling)
        d.items[item->prevSibling]->nextSibling = h;
    else
        first = h;
    if (item->nextSibling)
        d.items[item->nextSibling]->prevSibling = h;
    else
        last = h;
}

}  // namespace

const char* TreeListCallbackText(TreeListData& d, uint32_t h, uint32_t column, char* buffer, int size)
{
    buffer[0] = 0;
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item || size <= 0)
        return buffer;
    NMTVDISPINFOA info{};
    info.hdr.code = TVN_GETDISPINFOA;
    info.item.mask = TVIF_TEXT | (column ? TVIF_SUBITEM : 0);
    info.item.hItem = TreeListHtreeOf(h);
    info.item.state = item->state;
    info.item.lParam = item->data;
    info.item.pszText = buffer;
    info.item.cchTextMax = size;
    info.item.cChildren = int(column);
    TreeListSend(d, info.hdr);
    // The parent may answer with its own buffer.
    if (info.item.pszText && info.item.pszText != buffer && info.item.pszText != LPSTR_TEXTCALLBACKA) {
        const size_t n = strnlen(info.item.pszText, size_t(size) - 1);
        std::memmove(buffer, info.item.pszText, n);
        buffer[n] = 0;
    }
    buffer[size - 1] = 0;
    return buffer;
}

namespace {

// Where the item goes. Sorted places are found later, once the record
// holds the text. False when a named item does not exist or is going.
bool ResolvePlace(TreeListData& d, const TVINSERTSTRUCTA& insert, Place& place, bool& sorted,
                  TreeListInsertCompareProc& proc)
{
    uint32_t parentCode = TreeListHandleOf(insert.hParent);
    const uint32_t after = TreeListHandleOf(insert.hInsertAfter);
    if (parentCode == kTreeListRoot)
        parentCode = 0;
    auto usable = [&](uint32_t h) {
        const TreeListItem* item = TreeListItemOf(d, h);
        return item && !(item->deleteState & kTreeListDeleting);
    };
    if (after == kTreeListAfterItem || after == kTreeListBeforeItem) {
        if (!usable(parentCode))
            return false;
        place.parent = d.items[parentCode]->parent;
        place.prev = after == kTreeListAfterItem ? parentCode : d.items[parentCode]->prevSibling;
    } else {
        if (parentCode && !usable(parentCode))
            return false;
        place.parent = parentCode;
        if (after == kTreeListFirst) {
            place.prev = 0;
        } else if (after == kTreeListLast || after == 0) {
            place.prev = parentCode ? d.items[parentCode]->lastChild : d.lastRoot;
        } else if (after == kTreeListRoot) {
            place.parent = 0;
            place.prev = d.lastRoot;
        } else if (after == kTreeListSort || after == kTreeListSortCallback) {
            sorted = true;
            if (after == kTreeListSortCallback) {
                proc = reinterpret_cast<TreeListInsertCompareProc>(insert.item.hItem);
                if (!proc)
                    return false;
            }
        } else if (after >= kTreeListPositionFirst && after <= kTreeListPositionLast) {
            uint32_t n = after & kTreeListPositionMask;
            uint32_t s = FirstChildOf(d, place.parent);
            place.prev = 0;
            for (; n > 0 && s; --n, s = d.items[s]->nextSibling)
                place.prev = s;
        } else {
            // A sibling handle: it must be a child of the given parent.
            const TreeListItem* sibling = TreeListItemOf(d, after);
            if (!sibling || sibling->parent != place.parent)
                return false;
            place.prev = after;
        }
    }
    const TreeListItem* parentItem = TreeListItemOf(d, place.parent);
    return !(parentItem && (parentItem->level >= kMaxLevel || (parentItem->deleteState & kTreeListDeleting)));
}

void FreeRecord(TreeListItem* item)
{
    if (item->textSize)
        std::free(item->text);
    item->~TreeListItem();
    std::free(item);
}

// The record with the caller's area behind it, filled but not linked; the
// selected and expanded bits come back in laterState (they go through
// select and expand once linked). 0 when memory runs out.
TreeListItem* BuildRecord(TreeListData& d, const TVINSERTSTRUCTA& insert, uint32_t& laterState)
{
    const TVITEMA& tv = insert.item;
    void* memory = std::calloc(1, sizeof(TreeListItem) + d.itemExtraBytes);
    if (!memory)
        return nullptr;
    TreeListItem* item = new (memory) TreeListItem{};
    item->text = kTreeListEmptyText;
    if (tv.mask & TVIF_STATE) {
        item->state = tv.state & tv.stateMask;
        const uint32_t routed = (tv.mask & TVIF_DEFERSTATE) ? (TVIS_SELECTED | TVIS_EXPANDED | TVIS_EXPANDPARTIAL)
                                                            : TVIS_SELECTED;
        laterState = item->state & routed;
        item->state &= ~routed;
    } else if ((d.style & TVS_CHECKBOXES) && !(d.extStyle & TLS_EX_CHECKZERO)) {
        item->state = INDEXTOSTATEIMAGEMASK(1);
    }
    TreeListDecodeFields(d, *item, tv, tv.mask);
    if (tv.mask & TVIF_DATAFOLLOWS)
        std::memcpy(&item->data, reinterpret_cast<const char*>(&tv) + sizeof(TVITEMA), sizeof(LPARAM));
    if (d.style & TVS_SINGLEEXPAND)
        item->state &= ~TVIS_EXPANDED;
    if (tv.mask & TVIF_TEXT) {
        if (tv.pszText == LPSTR_TEXTCALLBACKA)
            item->callbackFlags |= kTreeListTextCallback;
        else if (!TreeListStoreText(item->text, item->textSize, item->textLength, tv.pszText)) {
            FreeRecord(item);
            return nullptr;
        }
    }
    return item;
}

// Gives the record its handle, serial and level and links it at its place.
void LinkRecord(TreeListData& d, uint32_t h, TreeListItem* item, const Place& place)
{
    item->serial = d.nextSerial++;
    if (d.nextSerial == 0)
        d.nextSerial = 1;
    TreeListItem* parent = TreeListItemOf(d, place.parent);
    item->level = parent ? uint16_t(parent->level + 1) : 0;
    d.items[h] = item;
    ++d.itemCount;
    Link(d, h, place);
    if (parent && (parent->flags & kTreeListAutoChildren))
        parent->flags |= kTreeListHasChildren;
    if (parent && parent->firstChild == h && parent->lastChild == h)
        TreeListInvalidateItem(d, place.parent);  // its button appears
    TreeListRowsChangedAt(d, h);
}

}  // namespace

bool TreeListDecodeFields(const TreeListData& d, TreeListItem& item, const TVITEMA& tv, UINT mask)
{
    bool shown = false;
    if (mask & TVIF_PARAM)
        item.data = tv.lParam;
    if (mask & TVIF_IMAGE) {
        shown |= item.image != tv.iImage;
        item.image = tv.iImage;
        item.callbackFlags = (item.callbackFlags & ~kTreeListImageCallback) |
                             (tv.iImage == I_IMAGECALLBACK ? kTreeListImageCallback : 0);
        const bool shows = tv.iImage != I_IMAGENONE && d.normalImages;
        item.flags = (item.flags & ~kTreeListShowsImage) | (shows ? kTreeListShowsImage : 0);
    }
    if (mask & TVIF_SELECTEDIMAGE) {
        shown |= item.selectedImage != tv.iSelectedImage;
        item.selectedImage = tv.iSelectedImage;
        item.callbackFlags = (item.callbackFlags & ~kTreeListSelImageCallback) |
                             (tv.iSelectedImage == I_IMAGECALLBACK ? kTreeListSelImageCallback : 0);
    }
    if (mask & TVIF_CHILDREN) {
        item.callbackFlags &= ~kTreeListChildrenCallback;
        item.flags &= ~(kTreeListHasChildren | kTreeListAutoChildren);
        if (tv.cChildren == I_CHILDRENCALLBACK)
            item.callbackFlags |= kTreeListChildrenCallback;
        else if (tv.cChildren == 1)
            item.flags |= kTreeListHasChildren;
        else if (tv.cChildren != 0)
            item.flags |= kTreeListAutoChildren;
        shown = true;
    }
    return shown;
}

uint32_t TreeListInsertItem(TreeListData& d, const TVINSERTSTRUCTA& insert)
{
    if (d.sorting || TreeListEnding(d))
        return 0;
    Place place;
    bool sorted = false;
    TreeListInsertCompareProc proc = nullptr;
    if (!ResolvePlace(d, insert, place, sorted, proc))
        return 0;
    uint32_t laterState = 0;
    TreeListItem* item = BuildRecord(d, insert, laterState);
    if (!item)
        return 0;
    // The last fallible steps, before anything is linked.
    uint32_t h = 0;
    if ((sorted && !SortedPlace(d, place, item->text, insert.item, proc)) ||
        (d.itemCount >= d.itemsSize && !TreeListGrowTables(d)) || (h = TreeListTakeFreeHandle(d)) == 0) {
        FreeRecord(item);
        return 0;
    }
    LinkRecord(d, h, item, place);
    if (laterState) {
        const uint32_t serial = item->serial;
        if (laterState & TVIS_SELECTED)
            TreeListSelect(d, h, 0, 0);
        if ((laterState & TVIS_EXPANDED) && TreeListItemOf(d, h, serial))
            TreeListExpand(d, h, kTreeListExpandAction | (laterState & TVIS_EXPANDPARTIAL), true);
    }
    return h;
}
