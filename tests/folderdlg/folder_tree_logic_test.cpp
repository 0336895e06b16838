// The folder tree's decisions on the TreeList's notifications: a toggle of
// a collapsed node lists it like an expand; only a double click on a
// folder's icon or label (or, with full-row selection, its row) chooses it.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/win32/commctrl_types.h"
#include "ui/folderdlg/folder_tree_logic.h"

namespace {

constexpr uint32_t kToggle = 0, kCollapse = 1, kExpand = 2, kSdkToggle = 3;

TEST(FolderTreeLogic, ExpandingOpensForExpandAndForAToggleOfAClosedNode)
{
    // Action, item state, opens.
    const std::tuple<uint32_t, uint32_t, bool> cases[] = {
        {kExpand, 0, true},
        {kExpand, TVIS_EXPANDED, true},
        {kToggle, 0, true},                                     // a click on [+]
        {kToggle, TVIS_EXPANDEDONCE, true},                     // closed again after a first listing
        {kToggle, TVIS_EXPANDED, false},                        // a click on [-]
        {kToggle, TVIS_EXPANDED | TVIS_EXPANDPARTIAL, true},    // partly open: a toggle opens it fully
        {kToggle | 0x100, 0, true},                             // bits above the action are flags
        {kCollapse, 0, false},
        {kCollapse, TVIS_EXPANDED, false},
        {kSdkToggle, 0, false},                                 // the TreeList collapses on 3
    };
    for (const auto& [action, state, opens] : cases)
        EXPECT_EQ(ExpandingOpens(action, state), opens) << action << " " << state;
}

TEST(FolderTreeLogic, DoubleClickChoosesOnIconOrLabelNotOnTheBox)
{
    constexpr uint32_t kText = 0x00040000;  // the TreeList's TVHT_ONITEMTEXT
    constexpr uint32_t kColumn1 = 1u << 24;
    // Hit flags, full-row selection, chooses.
    const std::tuple<uint32_t, bool, bool> cases[] = {
        {TVHT_ONITEMBUTTON, false, false},
        {TVHT_ONITEMBUTTON, true, false},
        {TVHT_ONITEMINDENT, true, false},
        {TVHT_ONITEMSTATEICON, true, false},
        {TVHT_NOWHERE, true, false},
        {TVHT_ONITEMICON, false, true},
        {TVHT_ONITEMLABEL | kText, false, true},
        {TVHT_ONITEMLABEL, false, true},               // an empty text's label
        {TVHT_ONITEMRIGHT, false, false},
        {TVHT_ONITEMRIGHT, true, true},
        {TVHT_ONITEMLABEL | kText | kColumn1, false, true},  // the column byte is no part
        {kColumn1 | TVHT_ONITEMBUTTON, true, false},
    };
    for (const auto& [flags, fullRow, chooses] : cases)
        EXPECT_EQ(DoubleClickChooses(flags, fullRow), chooses) << std::hex << flags << " " << fullRow;
}

}  // namespace
