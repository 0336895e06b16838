// What the choice dialogs' window tests share: the entries' selected flags
// as one text, and the rows of the tree choice's list with the points where
// its hit test finds a part.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "ui/dialogs/tree_select_dlg.h"

namespace choice_test {

// Each entry's selected flag, '0' or '1', in order.
inline std::string Flags(const CChoiceDlg& dialog)
{
    std::string out;
    for (int i = 0; i < dialog.GetCount(); ++i)
        out += dialog.IsItemSelected(i) ? '1' : '0';
    return out;
}

// The tree choice's list.
inline HWND ListOf(HWND top) { return GetDlgItem(top, kTreeSelectListId); }

// Its rows from the top, as item handles.
inline std::vector<uint32_t> Rows(HWND list)
{
    std::vector<uint32_t> rows;
    for (LRESULT r = SendMessageA(list, TVM_GETNEXTITEM, TVGN_NEXTITEM, LPARAM(kTreeListRoot)); r;
         r = SendMessageA(list, TVM_GETNEXTITEM, TVGN_NEXTITEM, r))
        rows.push_back(uint32_t(r));
    return rows;
}

// A row's rectangle in the list's client coordinates.
inline RECT RowRect(HWND list, uint32_t row)
{
    RECT r = {};
    std::memcpy(&r, &row, sizeof row);  // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(list, TVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

// A point of the row where the hit test finds the column with one of the
// flags; {-1, -1} when none.
inline POINT HitPoint(HWND list, uint32_t row, uint32_t column, UINT flags)
{
    const RECT r = RowRect(list, row);
    for (int x = 0; x < r.right; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, (r.top + r.bottom) / 2};
        if (uint32_t(SendMessageA(list, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) == row &&
            (hit.flags >> 24) == column && (hit.flags & flags))
            return hit.pt;
    }
    return {-1, -1};
}

}  // namespace choice_test
