#include "platform/framework/dialog_template.h"

#include <cstring>

namespace {

constexpr uint16_t kFontPoints = 8;
constexpr char kFontName[] = "MS Sans Serif";
constexpr uint16_t kOrdinalMark = 0xFFFF;
constexpr UINT kCodePage = 1252;  // the sources' text bytes

}  // namespace

void DialogTemplate::Text(const char* text)
{
    if (text && IS_INTRESOURCE(text)) {
        Word(kOrdinalMark);
        Word(uint16_t(reinterpret_cast<uintptr_t>(text)));
        return;
    }
    if (!text || !*text) {
        Word(0);
        return;
    }
    const int length = int(std::strlen(text));
    const int wide = MultiByteToWideChar(kCodePage, 0, text, length, nullptr, 0);
    const size_t at = m_bytes.size();
    m_bytes.resize(at + size_t(wide));
    MultiByteToWideChar(kCodePage, 0, text, length, reinterpret_cast<wchar_t*>(m_bytes.data() + at), wide);
    Word(0);
}

void DialogTemplate::Align()
{
    if (m_bytes.size() % 2)
        Word(0);
}

DialogTemplate::DialogTemplate(const DialogLayout& layout)
{
    auto dword = [this](DWORD value) {
        Word(uint16_t(value & 0xFFFF));
        Word(uint16_t(value >> 16));
    };
    dword(layout.style | DS_SETFONT);
    dword(0);  // extended style
    Word(uint16_t(layout.itemCount));
    for (short v : {layout.x, layout.y, layout.cx, layout.cy})
        Word(uint16_t(v));
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    Text(layout.caption);
    Word(kFontPoints);
    Text(kFontName);
    for (int i = 0; i < layout.itemCount; ++i) {
        const DialogItem& item = layout.items[i];
        Align();
        dword(item.style);
        dword(item.exStyle);
        for (short v : {item.x, item.y, item.cx, item.cy})
            Word(uint16_t(v));
        Word(uint16_t(item.id));
        Text(item.className);
        Text(item.text);
        Word(0);  // no creation data
    }
    m_words.resize((m_bytes.size() + 1) / 2);
    std::memcpy(m_words.data(), m_bytes.data(), m_bytes.size() * sizeof(uint16_t));
}
