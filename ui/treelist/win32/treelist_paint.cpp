// Painting the TreeList's rows from its records: indentation, lines and
// buttons, check boxes, icons, texts and cells, with the colour slots, the
// item, cell and column colours, selection, focus and the drop highlight.
// The geometry is the hit test's, and every text width measured here is
// stored, so hit tests, tooltips and the optimal column width agree with
// what is shown.
//
// Colour slots: 0 background, 4 text, 5 buttons, 6 grid lines, 9 selection
// without the focus, 10 insert mark and the drop strip, 15 background and
// 16 text of a disabled control, 17 drop highlight. The lines of the tree
// use the shared dotted pen.
#include "ui/treelist/win32/treelist_window.h"

#include <algorithm>
#include <vsstyle.h>

namespace {

constexpr uint32_t kBackSlot = 0, kTextSlot = 4, kButtonSlot = 5, kGridSlot = 6, kInactiveSelectionSlot = 9;
constexpr uint32_t kMarkSlot = 10, kDisabledBackSlot = 15, kDisabledTextSlot = 16, kDropSlot = 17;
constexpr COLORREF kNoColor = COLORREF(-1);
constexpr int kButtonHalf = 4;  // buttons are 9 x 9
constexpr int kTextPad = 2;     // text stands this far inside its highlight
constexpr int kStripHeight = 3;
constexpr int32_t kExtraImageBase = 0x40000000;
constexpr int kTextBuffer = 1024;
constexpr int kMaxRetries = 4;

struct Painter {
    TreeListData& d;
    TreeListWindow& w;
    HDC dc;
    RECT clip;
    COLORREF back, text, selectionBack, selectionText;
    int32_t widest;  // right end of the widest painted item text (no columns)
};

void Fill(HDC dc, const RECT& r, COLORREF color)
{
    if (r.left >= r.right || r.top >= r.bottom)
        return;
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void HLine(HDC dc, int x0, int x1, int y)
{
    MoveToEx(dc, x0, y, nullptr);
    LineTo(dc, x1, y);
}

void VLine(HDC dc, int x, int y0, int y1)
{
    MoveToEx(dc, x, y0, nullptr);
    LineTo(dc, x, y1);
}

bool RealList(HIMAGELIST list) { return list && list != TREELIST_THEMED_BOXES; }

// The text of an item or a cell; callbacks are asked for (the lock is
// released meanwhile, so the caller looks the item up again).
std::string TextOf(TreeListData& d, uint32_t h, uint32_t column, const char* stored, uint16_t length, bool callback)
{
    if (!callback)
        return std::string(stored ? stored : "", length);
    char buffer[kTextBuffer];
    const char* asked = TreeListCallbackText(d, h, column, buffer, kTextBuffer);
    return asked ? std::string(asked) : std::string();
}

void DrawCheckBox(Painter& p, bool themed, HIMAGELIST list, UINT state, int x, int y, int cx, int cy, bool hot)
{
    const int index = int((state & TVIS_STATEIMAGEMASK) >> 12);
    if (themed) {
        const TreeListTheme& t = TreeListSharedObjects().theme;
        if (!p.w.buttonTheme || !t.drawThemeBackground || index == 0)
            return;
        const bool checked = index >= 2;
        int part = checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL;
        if (hot)
            part += (GetKeyState(VK_LBUTTON) < 0) ? 2 : 1;  // pressed while held, else hot
        const RECT box = {x, y, x + cx, y + cy};
        t.drawThemeBackground(p.w.buttonTheme, p.dc, BP_CHECKBOX, part, &box, nullptr);
        return;
    }
    if (RealList(list))
        ImageList_Draw(list, index, p.dc, x, y, ILD_NORMAL);
}

void DrawButton(Painter& p, int cx, int cy, bool expanded, COLORREF back)
{
    const RECT box = {cx - kButtonHalf, cy - kButtonHalf, cx + kButtonHalf + 1, cy + kButtonHalf + 1};
    Fill(p.dc, box, back);
    const HBRUSH frame = CreateSolidBrush(p.d.colors[kButtonSlot]);
    FrameRect(p.dc, &box, frame);
    DeleteObject(frame);
    const HPEN pen = CreatePen(PS_SOLID, 1, p.d.colors[kButtonSlot]);
    const HGDIOBJ old = SelectObject(p.dc, pen);
    HLine(p.dc, cx - 2, cx + 3, cy);
    if (!expanded)
        VLine(p.dc, cx, cy - 2, cy + 3);
    SelectObject(p.dc, old);
    DeleteObject(pen);
}

// The tree lines of one row: the ancestors' verticals, the item's own
// connector, and its button.
void DrawTree(Painter& p, const TreeListItem& item, int32_t base, int y)
{
    TreeListData& d = p.d;
    const int shift = d.linesAtRoot ? 0 : -1;
    const int middle = y + d.itemHeight / 2;
    const int own = base + (int(item.level) + shift) * d.indent + d.indent / 2;
    if (d.style & TVS_HASLINES) {
        const HGDIOBJ old = SelectObject(p.dc, TreeListSharedObjects().dottedPen);
        if (int(item.level) + shift >= 0) {
            const bool first = item.parent == 0 && item.prevSibling == 0;
            VLine(p.dc, own, first ? middle : y, item.nextSibling ? y + d.itemHeight : middle + 1);
            HLine(p.dc, own, base + (int(item.level) + shift + 1) * d.indent, middle);
        }
        int level = int(item.level) - 1;
        for (const TreeListItem* a = TreeListItemOf(d, item.parent); a; a = TreeListItemOf(d, a->parent), --level)
            if (a->nextSibling && level + shift >= 0)
                VLine(p.dc, base + (level + shift) * d.indent + d.indent / 2, y, y + d.itemHeight);
        SelectObject(p.dc, old);
    }
    if ((d.style & TVS_HASBUTTONS) && TreeListMayHaveChildren(item) && int(item.level) + shift >= 0)
        DrawButton(p, own, middle, (item.state & TVIS_EXPANDED) != 0, p.back);
}

COLORREF TextColor(const Painter& p, uint8_t flags, COLORREF own, uint32_t column)
{
    if (!p.d.enabled)
        return p.d.colors[kDisabledTextSlot];
    if (flags & kTreeListOwnTextColor)
        return own;
    const COLORREF byColumn = column < kTreeListMaxColumns ? p.d.columnTextColors[column] : kNoColor;
    return byColumn != kNoColor ? byColumn : p.text;
}

// Column 0 of a row; false when the item went away during a callback.
bool PaintItem(Painter& p, uint32_t h, int y, int32_t left, int32_t right, bool rowSelected)
{
    TreeListData& d = p.d;
    TreeListItem* item = d.items[h];
    const uint32_t serial = item->serial;
    const bool callback = (item->callbackFlags & kTreeListTextCallback) != 0;
    std::string text = TextOf(d, h, 0, item->text, item->textLength, callback);
    item = TreeListItemOf(d, h, serial);
    if (!item)
        return false;
    const bool bold = (item->state & TVIS_BOLD) != 0;
    if (item->textWidth == 0 && !text.empty())
        item->textWidth = d.host->MeasureText(text.data(), int(text.size()), bold);

    const RECT cell = {left, y, right, y + d.itemHeight};
    COLORREF back = p.back;
    if (item->flags & kTreeListOwnBackColor)
        back = item->backColor;
    const bool dropped = (item->flags & kTreeListDropHilite) && d.dropColumn == 0;
    if (dropped)
        back = d.colors[kDropSlot];
    Fill(p.dc, cell, rowSelected ? p.selectionBack : back);
    const int saved = SaveDC(p.dc);
    IntersectClipRect(p.dc, cell.left, cell.top, cell.right, cell.bottom);
    DrawTree(p, *item, left, y);

    int32_t x = left + (int(item->level) + (d.linesAtRoot ? 1 : 0)) * d.indent;
    if ((d.extStyle & TLS_EX_GRIDLINES) || (item->level == 0 && !d.linesAtRoot))
        x += 1;
    if (d.stateImages) {
        const bool hot = p.w.hotBox && p.w.hotItem == h && p.w.hotColumn == 0;
        DrawCheckBox(p, p.w.themedStateBoxes, d.stateImages, item->state, x, y + (d.itemHeight - d.stateImageCy) / 2,
                     d.stateImageCx, d.stateImageCy, hot);
        x += d.stateImageCx;
    }
    if (item->flags & kTreeListShowsImage) {
        const bool selected = (item->state & TVIS_SELECTED) != 0;
        int32_t image = selected && item->selectedImage != I_IMAGENONE ? item->selectedImage : item->image;
        HIMAGELIST list = d.normalImages;
        int32_t cy = d.imageCy;
        if (image >= kExtraImageBase) {
            image -= kExtraImageBase;
            list = d.extraImages;
            cy = d.extraImageCy;
        }
        if (image >= 0 && RealList(list))
            ImageList_Draw(list, image, p.dc, x, y + (d.itemHeight - cy) / 2, ILD_TRANSPARENT);
        x += (item->image >= kExtraImageBase ? d.extraImageCx : d.imageCx) + ((d.extStyle & TLS_EX_GRIDLINES) ? 1 : 0);
    }
    const bool selected = (item->state & TVIS_SELECTED) != 0 && !dropped;
    const RECT textRect = {x, y, x + item->textWidth + 2 * kTextPad, y + d.itemHeight};
    COLORREF color = TextColor(p, item->flags, item->textColor, 0);
    if (selected || rowSelected) {
        if (!rowSelected)
            Fill(p.dc, textRect, p.selectionBack);
        color = p.selectionText;
    }
    SelectObject(p.dc, bold ? p.w.BoldFont() : p.w.DrawFont());
    SetTextColor(p.dc, color);
    SetBkMode(p.dc, TRANSPARENT);
    ExtTextOutA(p.dc, x + kTextPad, y + (d.itemHeight - p.w.textHeight) / 2, ETO_CLIPPED, &cell, text.data(),
                UINT(text.size()), nullptr);
    SetBkMode(p.dc, OPAQUE);
    if (d.hasFocus && d.caretItem == h && d.caretColumn == 0 && !(d.style & TVS_FULLROWSELECT))
        DrawFocusRect(p.dc, &textRect);
    p.widest = std::max<int32_t>(p.widest, textRect.right + p.d.scrollX);
    RestoreDC(p.dc, saved);
    return true;
}

bool PaintCell(Painter& p, uint32_t h, uint32_t column, int y, int32_t left, int32_t right, bool rowSelected)
{
    TreeListData& d = p.d;
    const TreeListItem* item = d.items[h];
    const uint32_t serial = item->serial;
    TreeListCell* cell = TreeListCellOf(d, h, column);
    const TreeListColumn& col = d.columns[column];
    std::string text;
    if (cell)
        text = TextOf(d, h, column, cell->text, cell->textLength, (cell->callbackFlags & kTreeListTextCallback) != 0);
    item = TreeListItemOf(d, h, serial);
    if (!item)
        return false;
    cell = TreeListCellOf(d, h, column);
    const bool bold = cell && (cell->state & TVIS_BOLD);
    int32_t width = 0;
    if (cell && !text.empty()) {
        if (cell->textWidth == 0)
            cell->textWidth = d.host->MeasureText(text.data(), int(text.size()), bold);
        width = cell->textWidth;
    }

    const bool dropped = (item->flags & kTreeListDropHilite) && d.dropColumn == column;
    const bool caretCell = (d.extStyle & TLS_EX_CELLSELECT) && d.caretItem == h && d.caretColumn == column;
    const bool selected = (rowSelected || (caretCell && (item->state & TVIS_SELECTED))) && !dropped;
    COLORREF back = p.back;
    if (cell && (cell->flags & kTreeListOwnBackColor))
        back = cell->backColor;
    if (dropped)
        back = d.colors[kDropSlot];
    if (selected)
        back = p.selectionBack;

    // The icon (or check box) first, then one opaque, clipped text call
    // that fills the rest of the cell: few calls per cell.
    RECT r = {left, y, right, y + d.itemHeight};
    const bool iconRight = cell && (cell->state & TVIS_CELLRIGHTICON);
    const bool box = col.editKind >= kTreeListEditFirstCheckBox && d.cellStateImages;
    const bool image = !box && cell && (cell->flags & kTreeListShowsImage);
    if (box || image) {
        const int32_t cx = box ? d.cellStateImageCx : d.extraImages ? d.extraImageCx : d.imageCx;
        const int32_t cy = box ? d.cellStateImageCy : d.extraImages ? d.extraImageCy : d.imageCy;
        RECT icon = r;
        (iconRight ? icon.left : icon.right) = iconRight ? r.right - cx : r.left + cx;
        (iconRight ? r.right : r.left) = iconRight ? icon.left : icon.right;
        Fill(p.dc, icon, back);
        const int iy = y + (d.itemHeight - cy) / 2;
        if (box) {
            const bool hot = p.w.hotBox && p.w.hotItem == h && p.w.hotColumn == column;
            DrawCheckBox(p, p.w.themedCellBoxes, d.cellStateImages, cell ? cell->state : 0, icon.left, iy, cx, cy, hot);
        } else {
            const HIMAGELIST list = d.extraImages ? d.extraImages : d.normalImages;
            if (cell->image >= 0 && RealList(list))
                ImageList_Draw(list, cell->image, p.dc, icon.left, iy, ILD_TRANSPARENT);
        }
    }
    int x = r.left + kTextPad;
    if (col.align == 2)
        x = r.right - kTextPad - width;
    else if (col.align == 1)
        x = (r.left + r.right - width) / 2;
    SelectObject(p.dc, bold ? p.w.BoldFont() : p.w.DrawFont());
    const uint8_t flags = cell ? cell->flags : 0;
    SetTextColor(p.dc, selected ? p.selectionText : TextColor(p, flags, cell ? cell->textColor : 0, column));
    SetBkColor(p.dc, back);
    ExtTextOutA(p.dc, x, y + (d.itemHeight - p.w.textHeight) / 2, ETO_OPAQUE | ETO_CLIPPED, &r, text.data(),
                UINT(text.size()), nullptr);
    if (caretCell && d.hasFocus) {
        const RECT focus = {left, y, right, y + d.itemHeight};
        DrawFocusRect(p.dc, &focus);
    }
    return true;
}

void PaintGrid(Painter& p, int y)
{
    TreeListData& d = p.d;
    const HPEN pen = CreatePen(PS_SOLID, 1, d.colors[kGridSlot]);
    const HGDIOBJ old = SelectObject(p.dc, pen);
    HLine(p.dc, 0, d.clientWidth, y + d.itemHeight - 1);
    for (uint32_t pos = 1; pos <= d.columnCount; ++pos)
        VLine(p.dc, d.columnEdges[pos] - d.scrollX - 1, y, y + d.itemHeight);
    SelectObject(p.dc, old);
    DeleteObject(pen);
}

// One row; false when the tree changed under a callback (the caller starts
// over from the row table).
bool PaintRow(Painter& p, uint32_t row, int y)
{
    TreeListData& d = p.d;
    const uint32_t h = d.rowItems[row];
    const TreeListItem* item = d.items[h];
    const uint32_t serial = item->serial;
    const bool rowSelected = (d.style & TVS_FULLROWSELECT) && (item->state & TVIS_SELECTED) &&
                             !(d.extStyle & TLS_EX_CELLSELECT);
    const RECT rowRect = {0, y, d.clientWidth, y + d.itemHeight};
    if (d.columnCount == 0) {
        const int32_t right = std::max(d.clientWidth, d.contentWidth) - d.scrollX;
        return PaintItem(p, h, y, -d.scrollX, right, rowSelected);
    }
    uint32_t coveredTo = 0;  // display positions a joined cell already painted
    for (uint32_t pos = 0; pos < d.columnCount; ++pos) {
        if (!TreeListItemOf(d, h, serial))
            return false;
        const uint32_t column = d.columnOrder[pos];
        if (pos < coveredTo)
            continue;
        int32_t left, right;
        TreeListCellSpan(d, *d.items[h], column, left, right);
        for (coveredTo = pos + 1; coveredTo < d.columnCount && d.columnEdges[coveredTo + 1] <= right; ++coveredTo) {
        }
        left -= d.scrollX;
        right -= d.scrollX;
        if (right <= p.clip.left || left >= p.clip.right || right <= left)
            continue;
        const bool ok = column == 0 ? PaintItem(p, h, y, left, right, rowSelected)
                                    : PaintCell(p, h, column, y, left, right, rowSelected);
        if (!ok)
            return false;
    }
    // Right of the last column.
    const RECT rest = {std::max<LONG>(d.columnEdges[d.columnCount] - d.scrollX, 0), y, d.clientWidth, y + d.itemHeight};
    Fill(p.dc, rest, rowSelected ? p.selectionBack : p.back);
    if (d.extStyle & TLS_EX_GRIDLINES)
        PaintGrid(p, y);
    if (d.hasFocus && d.caretItem == h && (d.style & TVS_FULLROWSELECT) && !(d.extStyle & TLS_EX_CELLSELECT))
        DrawFocusRect(p.dc, &rowRect);
    return true;
}

}  // namespace

void TreeListPaint(TreeListData& d, HDC dc, const RECT* update)
{
    TreeListWindow& w = TreeListWindowOf(d);
    Painter p{d, w, dc, update ? *update : RECT{0, 0, d.clientWidth, d.clientHeight}, 0, 0, 0, 0, 0};
    p.back = d.enabled ? d.colors[kBackSlot] : d.colors[kDisabledBackSlot];
    p.text = d.colors[kTextSlot];
    p.selectionBack = d.hasFocus ? GetSysColor(COLOR_HIGHLIGHT) : d.colors[kInactiveSelectionSlot];
    p.selectionText = d.hasFocus ? GetSysColor(COLOR_HIGHLIGHTTEXT) : d.colors[kTextSlot];
    const int saved = SaveDC(dc);
    SelectObject(dc, w.DrawFont());
    int y = d.headerHeight;
    int retries = 0;
    for (uint32_t line = 0; line < d.linesShown; ++line, y += d.itemHeight) {
        if (y >= p.clip.bottom || d.destroyed)
            break;
        TreeListEnsureRows(d);
        const uint64_t row = line < d.pinnedRows ? line : uint64_t(line) + d.firstRow;
        if (row >= d.rowCount)
            break;
        if (y + d.itemHeight <= p.clip.top)
            continue;
        // The tree changed under a callback: this line again, a few times.
        if (!PaintRow(p, uint32_t(row), y) && ++retries <= kMaxRetries) {
            --line;
            y -= d.itemHeight;
        }
    }
    const RECT below = {0, std::max<LONG>(y, d.headerHeight), d.clientWidth, d.clientHeight};
    Fill(dc, below, p.back);
    if (d.dropItem == kTreeListLast) {
        const int top = std::min<int>(y, d.clientHeight - kStripHeight);
        const RECT strip = {0, std::max<LONG>(top, d.headerHeight), d.clientWidth,
                            std::max<LONG>(top, d.headerHeight) + kStripHeight};
        Fill(dc, strip, d.colors[kMarkSlot]);
    }
    RestoreDC(dc, saved);
    // Without columns the widest text painted so far is the scrolled width.
    if (d.columnCount == 0 && p.widest > d.contentWidth) {
        d.contentWidth = p.widest;
        TreeListUpdateHScroll(d, true);
    }
}
