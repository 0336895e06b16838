// The control's own drag of an item: capture, the drop target under the
// pointer with the before/after placement, the cursor, and the end of the
// drag after the release.
#include "ui/treelist/win32/treelist_window.h"

#include <cstring>

namespace {

constexpr uint8_t kDragStateBits = 0x81;  // 0x80 started by message, 0x01 left button
constexpr uint8_t kMoveMode = 1;
constexpr uint32_t kCopyFlag = 8;
constexpr UINT kRowHits = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT | TVHT_ONITEMTEXT |
                          TVHT_ONCELL | TVHT_ONCELLICON | TVHT_ONCELLTEXT | TVHT_ONCELLRIGHT | TVHT_PASTCOLUMNS;
constexpr UINT kColumnShift = 24;
// The image hangs right of and below the pointer, so the row under it stays
// readable.
constexpr int kImageOffsetX = 12;
constexpr int kImageOffsetY = 4;

// ImageList_DragEnter and DragMove count from the window's corner, not the
// client area's.
POINT WindowPoint(HWND hwnd, POINT client)
{
    RECT window = {};
    GetWindowRect(hwnd, &window);
    ClientToScreen(hwnd, &client);
    return POINT{client.x - window.left, client.y - window.top};
}

void StartDragImage(TreeListData& d, TreeListWindow& w, uint32_t h, POINT point)
{
    w.dragImage = TreeListCreateDragImage(d, h, 0);
    if (!w.dragImage)
        return;  // the drag runs without one
    if (!ImageList_BeginDrag(w.dragImage, 0, -kImageOffsetX, -kImageOffsetY)) {
        ImageList_Destroy(w.dragImage);
        w.dragImage = nullptr;
        return;
    }
    const POINT at = WindowPoint(w.hwnd, point);
    ImageList_DragEnter(w.hwnd, at.x, at.y);
}

}  // namespace

int TreeListStartDrag(TreeListData& d, uint32_t h, uint32_t keyState, POINT point)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (!TreeListItemOf(d, h) || TreeListEnding(d))
        return 0;
    if (d.dragRules & TLO3_NEEDTEXT) {
        const TreeListItem* caret = TreeListItemOf(d, d.caretItem);
        if (!caret || (caret->textLength == 0 && !(caret->callbackFlags & kTreeListTextCallback)))
            return 0;
    }
    if (d.dragItem)
        TreeListCancelDrag(d, 0);
    d.dragItem = h;
    d.dragState = uint8_t(keyState & kDragStateBits);
    d.dragMode = kMoveMode;
    d.dropBehind = 0;
    d.mouseButton = 0;
    d.pendingClick = false;
    d.releaseAfterCancel = false;
    TreeListHideItemTooltip(d);  // it would cover the drop highlight
    SetCapture(w.hwnd);
    StartDragImage(d, w, h, point);
    TreeListDragFeedback(d, d.dragMode, keyState);
    return 1;
}

void TreeListDragFeedback(TreeListData& d, uint32_t modeFlags, uint32_t keyState)
{
    TreeListWindow& w = TreeListWindowOf(d);
    if (!d.dragItem)
        return;
    POINT pt = {};
    GetCursorPos(&pt);
    ScreenToClient(w.hwnd, &pt);
    TVHITTESTINFO hit{};
    hit.pt = pt;
    const uint32_t h = TreeListHitTest(d, hit);
    uint32_t target = 0, column = 0;
    if (h && (hit.flags & kRowHits)) {
        target = h;
        column = hit.flags >> kColumnShift;
        RECT row = {};
        std::memcpy(&row, &h, sizeof(h));
        if (TreeListGetItemRect(d, h, 0, row))
            d.dropBehind = pt.y - row.top >= d.itemHeight / 2;
    } else if (hit.flags == TVHT_NOWHERE) {
        target = kTreeListLast;  // the strip behind the last row
        d.dropBehind = 1;
    }
    // The highlight repaints rows: the image is hidden meanwhile, so it
    // leaves no trace in them.
    if (w.dragImage)
        ImageList_DragShowNolock(FALSE);
    TreeListSetDropTarget(d, target, column < d.columnCount ? column : 0);
    if (w.dragImage) {
        TreeListUnlocked(d, [&] { UpdateWindow(w.hwnd); });
        const POINT at = WindowPoint(w.hwnd, pt);
        ImageList_DragMove(at.x, at.y);
        ImageList_DragShowNolock(TRUE);
    }
    const TreeListShared& shared = TreeListSharedObjects();
    ::SetCursor(!target ? shared.no : ((modeFlags | keyState) & kCopyFlag) ? shared.hand : shared.arrow);
}

void TreeListFinishDrag(TreeListData& d, WPARAM keys, POINT point)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const uint32_t dragged = d.dragItem;
    const uint32_t target = d.dropItem;
    d.dragItem = 0;
    d.dragMode = 0;
    w.EndDragVisuals();
    // The drag state still tells a drag by message from one by the mouse.
    TreeListDropItems(d, target, dragged, keys, point);
    d.dragState = 0;
    if (!d.destroyed) {
        TreeListSetDropTarget(d, 0, 0);
        TreeListSetAutoScroll(d, 0, 0);
    }
}
