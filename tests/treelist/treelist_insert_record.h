// The record of TVM_INSERTITEM for an item with a text and data, as the
// tests of the core and of the window insert them.
#pragma once

#include <cstdint>

#include "ui/treelist/core/treelist_internal.h"

namespace treelist_test {

// parent 0 is the root level.
inline TVINSERTSTRUCTA InsertRecord(uint32_t parent, const char* text, uint32_t after = kTreeListLast,
                                    LPARAM data = 0)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = TreeListHtreeOf(parent ? parent : kTreeListRoot);
    insert.hInsertAfter = TreeListHtreeOf(after);
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.lParam = data;
    return insert;
}

}  // namespace treelist_test
