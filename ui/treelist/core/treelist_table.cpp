// The control's records: creation and release, the lock and the reference
// that keeps the state alive while a message is in progress, the item and
// cell tables with their growth, free handles, texts and tree walks.
#include "ui/treelist/core/treelist_internal.h"

#include <cstdlib>
#include <cstring>
#include <new>

char kTreeListEmptyText[1] = {0};

namespace {

constexpr uint32_t kGrowthStep = 64;
constexpr DWORD kWsDisabled = 0x08000000;
constexpr int32_t kDefaultIndent = 19;
constexpr int32_t kDefaultLayoutValue = 7;
constexpr uint8_t kDefaultKeepMargin = 3;

void FreeItemRecord(TreeListItem* item)
{
    if (item->textSize != 0)
        std::free(item->text);
    item->~TreeListItem();
    std::free(item);
}

// Frees whatever is left without a word to the parent: the window is gone.
void FreeState(TreeListData* d)
{
    for (uint32_t h = 1; d->items && h <= d->itemsSize; ++h) {
        for (uint32_t c = 1; c < kTreeListMaxColumns; ++c)
            if (d->cells[c] && d->cells[c][h])
                TreeListFreeCell(d->cells[c][h]);
        if (d->items[h])
            FreeItemRecord(d->items[h]);
    }
    for (uint32_t c = 1; c < kTreeListMaxColumns; ++c)
        std::free(d->cells[c]);
    std::free(d->items);
    std::free(d->rowItems);
    std::free(d->sortText[0]);
    std::free(d->sortText[1]);
    TreeListFreeDeferred(*d);
    TreeListHost* host = d->host;
    delete d;
    host->Released();
}

}  // namespace

TreeListData* TreeListCreate(TreeListHost* host, DWORD style, int clientWidth, int clientHeight)
{
    TreeListData* d = new (std::nothrow) TreeListData{};
    if (!d)
        return nullptr;
    d->items = static_cast<TreeListItem**>(std::calloc(1, sizeof(TreeListItem*)));
    d->rowItems = static_cast<uint32_t*>(std::calloc(1, sizeof(uint32_t)));
    if (!d->items || !d->rowItems) {
        std::free(d->items);
        std::free(d->rowItems);
        delete d;
        return nullptr;
    }
    d->host = host;
    d->window = host->Window();
    d->references = 1;
    d->indent = kDefaultIndent;
    d->layoutValue = kDefaultLayoutValue;
    d->keptNumber = 1;
    d->keepMargin = kDefaultKeepMargin;
    d->style = style;
    d->enabled = (style & kWsDisabled) == 0;
    d->linesAtRoot = (style & TVS_LINESATROOT) && (style & (TVS_HASBUTTONS | TVS_HASLINES));
    for (COLORREF& c : d->columnTextColors)
        c = COLORREF(-1);
    d->lastHMax = d->lastHPage = d->lastVRange = d->lastVPage = -1;
    d->nextSerial = 1;
    TreeListMakeDefaultColors(*d);
    d->clientWidth = clientWidth;
    d->clientHeight = clientHeight;
    TreeListUpdateRowHeight(*d);
    TreeListResize(*d, clientWidth, clientHeight);
    return d;
}

void TreeListDestroy(TreeListData& d)
{
    d.destroying = true;
    // An operation in progress as a message is: the messages a parent sends
    // from its notifications are not checked half-way through it.
    ++d.messageDepth;
    TreeListDeleteItem(d, kTreeListRoot, kTreeListDeleteRecompute);
    if (d.header) {
        d.host->DestroyHeader();
        d.header = nullptr;
    }
    for (uint32_t c = 1; c < kTreeListMaxColumns; ++c) {
        if (!d.cells[c])
            continue;
        for (uint32_t h = 1; h <= d.itemsSize; ++h)
            if (d.cells[c][h])
                TreeListFreeCell(d.cells[c][h]);
        std::free(d.cells[c]);
        d.cells[c] = nullptr;
    }
    d.columnCount = 0;
    TreeListFreeDeferred(d);
    --d.messageDepth;
}

void TreeListRelease(TreeListData* d)
{
    d->lock.Lock();
    d->destroyed = true;
    d->lock.Unlock();
    TreeListReleaseRef(d);
}

void TreeListAddRef(TreeListData& d) { d.references.fetch_add(1); }

void TreeListReleaseRef(TreeListData* d)
{
    if (d->references.fetch_sub(1) == 1)
        FreeState(d);
}

TreeListCall::TreeListCall(TreeListData& d) : m_d(d)
{
    TreeListAddRef(d);
    d.lock.Lock();
    ++d.lockDepth;
}

TreeListCall::~TreeListCall()
{
    --m_d.lockDepth;
    m_d.lock.Unlock();
    TreeListReleaseRef(&m_d);
}

LRESULT TreeListSend(TreeListData& d, NMHDR& header)
{
    if (d.destroyed)
        return 0;
    LRESULT answer = 0;
    TreeListHost* host = d.host;
    TreeListUnlocked(d, [&] { answer = host->Notify(header); });
    return answer;
}

bool TreeListGrowTables(TreeListData& d)
{
    const uint64_t wanted = uint64_t(d.itemsSize) + d.itemsSize / 2 + kGrowthStep;
    if (d.itemsSize >= kTreeListMaxHandle)
        return false;
    const uint32_t size = uint32_t(wanted > kTreeListMaxHandle ? kTreeListMaxHandle : wanted);

    // Make every new block first; the old tables stay until all exist.
    TreeListItem** items = static_cast<TreeListItem**>(std::calloc(size_t(size) + 1, sizeof(TreeListItem*)));
    uint32_t* rows = static_cast<uint32_t*>(std::calloc(size_t(size), sizeof(uint32_t)));
    TreeListCell** cells[kTreeListMaxColumns] = {};
    bool ok = items && rows;
    for (uint32_t c = 1; ok && c < kTreeListMaxColumns; ++c) {
        if (!d.cells[c])
            continue;
        cells[c] = static_cast<TreeListCell**>(std::calloc(size_t(size) + 1, sizeof(TreeListCell*)));
        ok = cells[c] != nullptr;
    }
    if (!ok) {
        std::free(items);
        std::free(rows);
        for (TreeListCell** table : cells)
            std::free(table);
        return false;
    }
    std::memcpy(items, d.items, (size_t(d.itemsSize) + 1) * sizeof(TreeListItem*));
    if (d.itemsSize)
        std::memcpy(rows, d.rowItems, size_t(d.itemsSize) * sizeof(uint32_t));
    std::free(d.items);
    std::free(d.rowItems);
    d.items = items;
    d.rowItems = rows;
    for (uint32_t c = 1; c < kTreeListMaxColumns; ++c) {
        if (!d.cells[c])
            continue;
        std::memcpy(cells[c], d.cells[c], (size_t(d.itemsSize) + 1) * sizeof(TreeListCell*));
        std::free(d.cells[c]);
        d.cells[c] = cells[c];
    }
    d.itemsSize = size;
    return true;
}

uint32_t TreeListTakeFreeHandle(TreeListData& d)
{
    uint32_t h = d.freeHint;
    for (uint32_t tries = 0; tries < d.itemsSize; ++tries) {
        h = (h >= d.itemsSize) ? 1 : h + 1;
        if (!d.items[h]) {
            d.freeHint = h;
            return h;
        }
    }
    return 0;
}

TreeListCell* TreeListCellOf(const TreeListData& d, uint32_t h, uint32_t column)
{
    if (column == 0 || column >= d.columnCount || column >= kTreeListMaxColumns || !d.cells[column] ||
        h == 0 || h > d.itemsSize)
        return nullptr;
    return d.cells[column][h];
}

TreeListCell* TreeListMakeCell(TreeListData& d, uint32_t h, uint32_t column)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item || column == 0 || column >= d.columnCount || !d.cells[column])
        return nullptr;
    TreeListCell*& slot = d.cells[column][h];
    if (slot)
        return slot;
    TreeListCell* cell = static_cast<TreeListCell*>(std::calloc(1, sizeof(TreeListCell)));
    if (!cell)
        return nullptr;
    cell->image = I_IMAGENONE;
    cell->state = item->state & (TVIS_FOCUSED | TVIS_BOLD);
    slot = cell;
    return cell;
}

TreeListCell TreeListEmptyCell(const TreeListItem& item)
{
    TreeListCell cell{};
    cell.text = kTreeListEmptyText;
    cell.image = I_IMAGENONE;
    cell.state = item.state & (TVIS_FOCUSED | TVIS_BOLD);
    return cell;
}

void TreeListFreeCell(TreeListCell* cell)
{
    if (cell->textSize != 0)
        std::free(cell->text);
    std::free(cell);
}

bool TreeListStoreText(char*& text, uint32_t& size, uint16_t& length, const char* source)
{
    const size_t n = source ? strnlen(source, kTreeListMaxTextLength) : 0;
    if (n == 0) {
        if (size != 0)
            text[0] = 0;
        else
            text = kTreeListEmptyText;
        length = 0;
        return true;
    }
    if (n + 1 > size) {
        char* copy = static_cast<char*>(std::malloc(n + 1));
        if (!copy)
            return false;
        if (size != 0)
            std::free(text);
        text = copy;
        size = uint32_t(n + 1);
    }
    std::memmove(text, source, n);
    text[n] = 0;
    length = uint16_t(n);
    return true;
}

uint32_t TreeListNextInTree(const TreeListData& d, uint32_t h)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return 0;
    if (item->firstChild)
        return item->firstChild;
    return TreeListNextOutside(d, h);
}

uint32_t TreeListNextOutside(const TreeListData& d, uint32_t h)
{
    for (const TreeListItem* item = TreeListItemOf(d, h); item; item = TreeListItemOf(d, item->parent))
        if (item->nextSibling)
            return item->nextSibling;
    return 0;
}

bool TreeListIsInSubtree(const TreeListData& d, uint32_t root, uint32_t h)
{
    for (const TreeListItem* item = TreeListItemOf(d, h); item; item = TreeListItemOf(d, item->parent)) {
        if (h == root)
            return true;
        h = item->parent;
    }
    return false;
}

bool TreeListIsHidden(const TreeListData& d, const TreeListItem& item)
{
    return (d.extStyle & TLS_EX_HIDDENITEMS) && (item.state & TVIS_HIDDEN);
}
