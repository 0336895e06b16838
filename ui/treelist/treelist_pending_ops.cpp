// Operations of the selection model, navigation, mouse, keyboard and
// resource parts that the item, row and column operations call or that the
// message table names. Until those parts land they take nothing and report
// failure, so callers compile and behave as "not handled".
#include "ui/treelist/treelist_internal.h"

int TreeListSelectChildren(TreeListData&, uint32_t, uint32_t) { return 0; }

void TreeListClearAnchorMark(TreeListData& d) { d.anchorItem = 0; }

int TreeListSetFocusItem(TreeListData&, uint32_t, uint32_t) { return 0; }

int TreeListToggleCheck(TreeListData&, uint32_t, int, int) { return 0; }

LRESULT TreeListGetNextItem(TreeListData&, uint32_t, uint32_t) { return 0; }

uint32_t TreeListHitTest(TreeListData&, TVHITTESTINFO& info)
{
    info.flags = TVHT_NOWHERE;
    info.hItem = nullptr;
    return 0;
}

LRESULT TreeListMouseButton(TreeListData&, UINT, WPARAM, POINT) { return 0; }

int TreeListSetDropTarget(TreeListData&, uint32_t, uint32_t) { return 0; }

int TreeListDropItems(TreeListData&, uint32_t, uint32_t, WPARAM) { return 0; }

uint32_t TreeListSetInsertMark(TreeListData&, uint32_t, bool) { return 0; }

LRESULT TreeListKeyDown(TreeListData&, WPARAM, LPARAM) { return 0; }

LRESULT TreeListChar(TreeListData&, WPARAM, LPARAM) { return 0; }

void TreeListMakeDefaultColors(TreeListData&) {}
