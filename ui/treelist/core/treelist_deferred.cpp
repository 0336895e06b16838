// Deferred updates: work the control posts to itself (TLM_DEFERREDUPDATE).
// Item records name their item by handle and serial and are dropped when
// that item is gone; the frequent updates (vertical bar, rows, list repaint,
// automatic column width) are flags, so a burst of inserts queues nothing
// per insert and posts one message.
#include "ui/treelist/core/treelist_internal.h"

#include <cstdlib>

namespace {

constexpr uint32_t kFirstQueueSize = 16;

void Post(TreeListData& d)
{
    if (!d.updatePosted && !d.destroyed) {
        d.updatePosted = true;
        d.host->PostDeferredUpdate();
    }
}

void RunRecord(TreeListData& d, const TreeListDeferred& r)
{
    const bool live = r.serial == 0 ? TreeListItemOf(d, r.item) != nullptr
                                    : TreeListItemOf(d, r.item, r.serial) != nullptr;
    switch (r.action) {
    case kDeferApplyState:
        if (live) {
            TVITEMA tv{};
            tv.mask = TVIF_STATE;
            tv.hItem = TreeListHtreeOf(r.item);
            tv.state = r.arg1;
            tv.stateMask = r.arg2;
            TreeListSetItemInfo(d, tv);
        }
        break;
    case kDeferExpand:
        if (live || (r.item == kTreeListRoot && r.serial == 0))
            TreeListExpandMessage(d, r.item, r.arg1);
        break;
    case kDeferSelChanged: {
        // The item is gone on purpose: the parent hears of it afterwards.
        NMTREEVIEWA nm{};
        nm.hdr.code = TVN_SELCHANGEDA;
        nm.itemOld.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_SUBITEM;
        nm.itemOld.hItem = TreeListHtreeOf(r.item);
        nm.itemOld.state = r.arg1;
        nm.itemOld.lParam = r.data;
        TreeListSend(d, nm.hdr);
        break;
    }
    case kDeferScrollBack: {
        TreeListEnsureRows(d);
        const int64_t limit = int64_t(d.rowCount) - d.visibleCount + 1;
        if (int64_t(d.firstRow) > limit) {
            TreeListSetVPos(d, uint32_t(limit > 0 ? limit : 0), kTreeListReasonEnsureVisible);
            TreeListInvalidateList(d);
        }
        break;
    }
    case kDeferRepaintItem:
        if (live)
            TreeListInvalidateItem(d, r.item);
        break;
    default:
        break;
    }
}

}  // namespace

void TreeListQueueDeferred(TreeListData& d, const TreeListDeferred& record)
{
    if (TreeListEnding(d))
        return;
    if (d.deferredCount == d.deferredCapacity) {
        const uint32_t capacity = d.deferredCapacity ? d.deferredCapacity * 2 : kFirstQueueSize;
        auto* grown = static_cast<TreeListDeferred*>(std::realloc(d.deferred, size_t(capacity) * sizeof(TreeListDeferred)));
        if (!grown)
            return;  // the update is dropped, as a failed record allocation drops it
        d.deferred = grown;
        d.deferredCapacity = capacity;
    }
    d.deferred[d.deferredCount++] = record;
    Post(d);
}

void TreeListPend(TreeListData& d, uint32_t pendingFlags)
{
    d.pending |= pendingFlags;
    Post(d);
}

void TreeListRunDeferred(TreeListData& d)
{
    // Posting stays off while this runs. Take the queue: records queued
    // meanwhile go to a fresh one and are carried out on the next message.
    d.updatePosted = true;
    TreeListDeferred* records = d.deferred;
    const uint32_t count = d.deferredCount;
    d.deferred = nullptr;
    d.deferredCount = d.deferredCapacity = 0;
    for (uint32_t i = 0; i < count && !TreeListEnding(d); ++i)
        RunRecord(d, records[i]);
    std::free(records);
    if (TreeListEnding(d)) {
        d.updatePosted = false;
        return;
    }

    TreeListEnsureRows(d);
    const uint32_t pending = d.pending;
    d.pending = 0;
    if (pending & kPendingVScroll)
        TreeListUpdateVScroll(d, true, true);
    if (pending & kPendingRepaintList)
        TreeListInvalidateList(d);
    if (pending & kPendingWidenColumn) {
        const int32_t width = d.pendingWidth;
        d.pendingWidth = 0;
        TreeListSetColumnWidth(d, 0, width);
    }
    d.updatePosted = false;
    if (d.deferredCount || d.pending)
        Post(d);
}

void TreeListFreeDeferred(TreeListData& d)
{
    std::free(d.deferred);
    d.deferred = nullptr;
    d.deferredCount = d.deferredCapacity = 0;
    d.pending = 0;
}
