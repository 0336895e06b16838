// The one builder of in-memory dialog templates: a dialog is a table of
// items (class name, id, style, rectangle in dialog units, text) laid out in
// 8 pt "MS Sans Serif" (DS_SETFONT is always set). Texts are code page 1252.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/win.h"

struct DialogItem {
    const char* className;  // "BUTTON", "EDIT", "STATIC", "msctls_progress32", ...
    int id;
    DWORD style;
    short x, y, cx, cy;
    // The text, or MAKEINTRESOURCE(n) for a resource ordinal (an icon of a
    // SS_ICON static).
    const char* text;
    DWORD exStyle;
};

struct DialogLayout {
    DWORD style;  // DS_SETFONT is added
    short x, y, cx, cy;
    const char* caption;
    const DialogItem* items;
    int itemCount;
};

// A DLGTEMPLATE with its items, DWORD-aligned, ready for the dialog functions.
class DialogTemplate {
public:
    explicit DialogTemplate(const DialogLayout& layout);
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void Word(uint16_t value) { m_bytes.push_back(value); }
    void Text(const char* text);
    void Align();

    std::vector<uint16_t> m_bytes;
    std::vector<DWORD> m_words;  // the finished template (DWORD alignment)
};

template <int N>
DialogLayout MakeDialogLayout(DWORD style, short cx, short cy, const char* caption, const DialogItem (&items)[N])
{
    return DialogLayout{style, 0, 0, cx, cy, caption, items, N};
}
