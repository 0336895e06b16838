// What the folder dialog's window tests share: its modes as the registry
// keeps them for the next run, and the texts of its folder tree's nodes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win.h"

#include <commctrl.h>

#include "system/registry.h"

namespace pathdlg_test {

// One of the dialog's modes ("PathDlgTreeMode", "PathDlgBreadCrumb").
inline void SetMode(const char* name, DWORD value)
{
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, "Software\\Velk\\Common", CRegistry::kModeWrite));
    reg.WriteValue(&value, 4, name, REG_DWORD);
}

inline std::string ItemText(HWND tree, HTREEITEM item)
{
    char text[MAX_PATH] = "";
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, LPARAM(&tv));
    return text;
}

// The texts of a node's children, in the tree's order.
inline std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent)
{
    std::vector<std::string> texts;
    for (HTREEITEM c = TreeView_GetChild(tree, parent); c; c = TreeView_GetNextSibling(tree, c))
        texts.push_back(ItemText(tree, c));
    return texts;
}

}  // namespace pathdlg_test
