// Where a TreeList's open editor stands against the text of its cell, for
// the tests of the control and of the dialogs built on it: "über der Zelle"
// (at the cell's text, at least kEditorMinWidth wide), "kein Editor", or
// where each stands.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/win.h"
#include "ui/treelist/core/treelist_api.h"

#include <commctrl.h>

namespace treelist_test {

constexpr int kEditorMinWidth = 40;

inline std::string EditorPlacement(HWND list, uint32_t item, uint32_t column)
{
    const HWND editor = reinterpret_cast<HWND>(SendMessageA(list, TVM_GETEDITCONTROL, 0, 0));
    if (!editor)
        return "kein Editor";
    RECT e = {};
    GetWindowRect(editor, &e);
    MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&e), 2);
    RECT c = {};
    std::memcpy(&c, &item, sizeof(item));
    if (!SendMessageA(list, TVM_GETITEMRECT, 0x81 | (WPARAM(column) << 24), reinterpret_cast<LPARAM>(&c)))
        c = RECT{};
    c.right = std::max<LONG>(c.right, c.left + kEditorMinWidth);
    if (EqualRect(&e, &c))
        return "über der Zelle";
    char text[128];
    std::snprintf(text, sizeof text, "bei (%ld, %ld)-(%ld, %ld), die Zelle bei (%ld, %ld)-(%ld, %ld)", long(e.left),
                  long(e.top), long(e.right), long(e.bottom), long(c.left), long(c.top), long(c.right), long(c.bottom));
    return text;
}

}  // namespace treelist_test
