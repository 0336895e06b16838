// The colour table: the defaults of the 18 slots computed from the system
// colours, the slots the caller sets (TVM_SETBKCOLOR and its kin) and the
// text colours of the columns.
#include "ui/treelist/core/treelist_internal.h"

namespace {

constexpr COLORREF kNoColor = COLORREF(-1);
constexpr uint32_t kBackgroundSlot = 0;
constexpr uint32_t kInfoSlot = 1;
constexpr uint32_t kWindowSlot = 2;
constexpr uint32_t kTextSlot = 4;
// Slots whose caller values keep the themed look off.
constexpr uint32_t kThemeBlockers[] = {5, 6, 11};
// Slot 1 too close to slot 2 (squared distance of the bytes below this)
// would not show: it takes slot 2 with a blue byte 8 apart.
constexpr int kMinSquaredDistance = 64;
constexpr int kBlueStep = 8;
constexpr uint16_t kColumnMask = 0xFFFF;
constexpr uint32_t kColumnSetAndRepaint = 1;
constexpr uint32_t kColumnSet = 0;

int Red(COLORREF c) { return int(c & 0xFF); }
int Green(COLORREF c) { return int((c >> 8) & 0xFF); }
int Blue(COLORREF c) { return int((c >> 16) & 0xFF); }

int SquaredDistance(COLORREF a, COLORREF b)
{
    const int r = Red(a) - Red(b), g = Green(a) - Green(b), bl = Blue(a) - Blue(b);
    return r * r + g * g + bl * bl;
}

// Slot 2 with its blue byte moved by 8 inside the byte: down when it can,
// else up, so the subtraction never borrows from the byte above.
COLORREF ShiftBlue(COLORREF c)
{
    const int blue = Blue(c);
    const int shifted = blue >= kBlueStep ? blue - kBlueStep : blue + kBlueStep;
    return (c & 0x0000FFFF) | (COLORREF(shifted) << 16);
}

// Each step only when the nibble it takes from is not 0, so no byte borrows.
COLORREF Darken(COLORREF c)
{
    if (c & 0xF00000)
        c -= 0x0F0000;
    if (c & 0x00F000)
        c -= 0x000B00;
    if (c & 0x0000F0)
        c -= 0x00000B;
    return c;
}

COLORREF Eighths(COLORREF c) { return (c >> 3) & 0x1F1F1F; }
COLORREF Quarters(COLORREF c) { return (c >> 2) & 0x3F3F3F; }

}  // namespace

void TreeListMakeDefaultColors(TreeListData& d)
{
    TreeListHost& h = *d.host;
    const COLORREF window = h.SysColor(COLOR_WINDOW);
    const COLORREF info = h.SysColor(COLOR_INFOBK);
    const COLORREF text = h.SysColor(COLOR_WINDOWTEXT);
    const COLORREF highlight = h.SysColor(COLOR_HIGHLIGHT);
    const COLORREF face = h.SysColor(COLOR_BTNFACE);
    auto put = [&](uint32_t slot, COLORREF value) {
        if (!d.colorSet[slot])
            d.colors[slot] = value;
    };
    put(0, window);
    put(kWindowSlot, window);
    put(kInfoSlot, SquaredDistance(info, d.colors[kWindowSlot]) < kMinSquaredDistance
                       ? ShiftBlue(d.colors[kWindowSlot])
                       : info);
    put(3, face);
    put(kTextSlot, text);
    put(5, text);
    put(6, h.SysColor(COLOR_BTNSHADOW));
    put(7, text ^ 0xFF0000);
    put(8, 7 * Eighths(d.colors[kInfoSlot]) + Eighths(highlight));
    put(9, 7 * Eighths(d.colors[kWindowSlot]) + Eighths(highlight));
    put(10, info);
    put(11, window);
    put(12, Darken(window));
    put(13, Darken(d.colors[kInfoSlot]));
    put(14, Darken(window));
    put(15, Quarters(h.SysColor(COLOR_SCROLLBAR)) + 3 * Quarters(window));
    put(16, (h.SysColor(COLOR_MENU) >> 1) & 0x7F7F7F);
    put(17, 3 * Quarters(face) + Quarters(highlight));
    bool themed = d.themeRequested != 0;
    for (uint32_t slot : kThemeBlockers)
        themed = themed && !d.colorSet[slot];
    d.themed = themed;
}

COLORREF TreeListGetColorSlot(const TreeListData& d, uint32_t slot)
{
    return slot < kTreeListColorSlots ? d.colors[slot] : kNoColor;
}

COLORREF TreeListSetColorSlot(TreeListData& d, uint32_t slot, COLORREF color)
{
    if (slot >= kTreeListColorSlots)
        return kNoColor;
    const COLORREF old = d.colors[slot];
    if (color == kNoColor) {
        d.colorSet[slot] = 0;
    } else {
        d.colors[slot] = color;
        d.colorSet[slot] = 1;
    }
    // Derived slots follow a changed base; the flag themed as well.
    TreeListMakeDefaultColors(d);
    if (d.colors[slot] != old) {
        if (slot == kBackgroundSlot)
            d.host->Invalidate(nullptr, false);
        else
            TreeListInvalidateList(d);
    }
    return old;
}

LRESULT TreeListColumnTextColor(TreeListData& d, WPARAM wParam, COLORREF color)
{
    const uint32_t column = uint32_t(wParam) & kColumnMask;
    const uint32_t how = uint32_t(wParam) >> 16;
    if (column >= kTreeListMaxColumns)
        return -1;
    const COLORREF old = d.columnTextColors[column];
    if (how == kColumnSet || how == kColumnSetAndRepaint) {
        d.columnTextColors[column] = color;
        if (how == kColumnSetAndRepaint && color != old)
            TreeListInvalidateColumn(d, column);
    }
    return LRESULT(int32_t(old));
}
