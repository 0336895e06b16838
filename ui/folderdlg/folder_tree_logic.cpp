#include "ui/folderdlg/folder_tree_logic.h"

#include "platform/win32/commctrl_types.h"

namespace {

// The TreeList's action is the low four bits of its action word.
constexpr uint32_t kActionMask = 0x0F;
constexpr uint32_t kExpandAction = 2;
constexpr uint32_t kToggleAction = 0;
constexpr uint32_t kPartMask = 0x00FFFFFF;  // the column sits above

}  // namespace

bool ExpandingOpens(uint32_t action, uint32_t state)
{
    switch (action & kActionMask) {
    case kExpandAction:
        return true;
    case kToggleAction:
        return !(state & TVIS_EXPANDED) || (state & TVIS_EXPANDPARTIAL);
    default:
        return false;
    }
}

bool DoubleClickChooses(uint32_t hitFlags, bool fullRowSelect)
{
    const uint32_t part = hitFlags & kPartMask;
    if (part & TVHT_ONITEMBUTTON)
        return false;
    uint32_t chooses = TVHT_ONITEMICON | TVHT_ONITEMLABEL;
    if (fullRowSelect)
        chooses |= TVHT_ONITEMRIGHT;
    return (part & chooses) != 0;
}
