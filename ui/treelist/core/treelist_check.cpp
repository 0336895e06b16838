// Check boxes: toggling an item's box as the user does, with the lock mask
// (checkLockStates, option 12), the mode in which state image 1 means
// checked, and the radio mode in which checking one item unchecks the one
// checked before.
#include "ui/treelist/core/treelist_internal.h"

#include <string>

namespace {

constexpr UINT kCheckAction = 0x10000;
constexpr UINT kCheckNotifyMask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE | TVIF_PARAM;
constexpr UINT kImageOne = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kImageTwo = INDEXTOSTATEIMAGEMASK(2);

bool CheckZero(const TreeListData& d) { return (d.extStyle & TLS_EX_CHECKZERO) != 0; }

bool Checked(const TreeListData& d, UINT state) { return (state & (CheckZero(d) ? kImageOne : kImageTwo)) != 0; }

void SetStateImage(TreeListData& d, uint32_t h, UINT image)
{
    TVITEMA tv{};
    tv.mask = TVIF_STATE;
    tv.hItem = TreeListHtreeOf(h);
    tv.state = image;
    tv.stateMask = TVIS_STATEIMAGEMASK;
    TreeListSetItemInfo(d, tv);
}

// The item as the notification shows it; the text is a copy, since the
// parent may delete the item before it reads the record.
void Describe(const TreeListData& d, uint32_t h, TVITEMA& tv, std::string& text)
{
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return;
    tv.mask = kCheckNotifyMask;
    tv.hItem = TreeListHtreeOf(h);
    tv.state = item->state;
    tv.stateMask = 0xFFFFFFFF;
    tv.lParam = item->data;
    if (item->callbackFlags & kTreeListTextCallback) {
        tv.pszText = LPSTR_TEXTCALLBACKA;
        return;
    }
    text.assign(item->text, item->textLength);
    tv.pszText = text.data();
    tv.cchTextMax = int(item->textLength);
}

}  // namespace

int TreeListToggleCheck(TreeListData& d, uint32_t h, int x, int y)
{
    TreeListItem* item = TreeListItemOf(d, h);
    if (!item || (item->state & d.checkLockStates))
        return 0;
    const uint32_t serial = item->serial;
    const UINT unchecked = CheckZero(d) ? 0 : kImageOne;
    uint32_t previous = 0;
    if (d.extStyle & TLS_EX_RADIOCHECK) {
        if (h == d.radioItem && Checked(d, item->state))
            return 0;
        if (d.radioItem != h && TreeListItemOf(d, d.radioItem)) {
            previous = d.radioItem;
            SetStateImage(d, previous, unchecked);
        }
    }
    item = TreeListItemOf(d, h, serial);
    if (!item)
        return 0;
    // Plain boxes: image 1 or 3 becomes checked (2), anything else
    // unchecked (1). With the zero mode the box flips between 0 and 1.
    const UINT image = CheckZero(d) ? ((item->state & kImageOne) ? 0 : kImageOne)
                                    : ((item->state & kImageOne) ? kImageTwo : kImageOne);
    SetStateImage(d, h, image);
    item = TreeListItemOf(d, h, serial);
    if (!item)
        return 0;
    d.radioItem = h;

    NMTREEVIEWA nm{};
    nm.hdr.code = TLN_CHECKCHANGED;
    nm.action = kCheckAction;
    std::string oldText, newText;
    Describe(d, previous, nm.itemOld, oldText);
    Describe(d, h, nm.itemNew, newText);
    nm.ptDrag.x = x;
    nm.ptDrag.y = y;
    TreeListSend(d, nm.hdr);
    return 1;
}
