// Image lists of the TreeList window: replacing them with their ownership,
// the built-in check boxes (themed or drawn), the drag image of an item, and
// the themes that draw check boxes.
#include "ui/treelist/win32/treelist_window.h"

#include <algorithm>
#include <cstring>
#include <vsstyle.h>

namespace {

constexpr WPARAM kKeepList = 0x40000000;
constexpr int kBoxImage = 16;                   // built-in check-box images are 16 x 16
constexpr int kBoxBitmapWidth = 3 * kBoxImage;  // empty, unchecked, checked
constexpr int kThemeBoxExtra = 3;
constexpr RECT kUncheckedBox = {17, 2, 30, 15};
constexpr RECT kCheckedBox = {33, 2, 46, 15};
constexpr int kBoxGrowth = 14;
constexpr int kMaxDragWidth = 240;
constexpr int kMaxDragHeight = 32;
constexpr int kDragImageGap = 2;
constexpr COLORREF kDragMaskColor = 0x5B4D7B;  // only text and image show
constexpr uint32_t kTextSlot = 4;
constexpr uint8_t kFirstBoxListKind = 3;
const char kMissingCellText[] = "????";
constexpr size_t kTextBuffer = 1024;

enum Kind : uint32_t { kNormal = 0, kState = 2, kCellState = 3, kExtra = 4, kHeader = 5 };

// A list any image-list function may be given: not none, not the marker
// of theme-drawn check boxes.
bool RealList(HIMAGELIST list) { return list && list != TREELIST_THEMED_BOXES; }

void Size(HIMAGELIST list, int32_t& cx, int32_t& cy)
{
    int x = 0, y = 0;
    if (RealList(list))
        ImageList_GetIconSize(list, &x, &y);
    cx = x;
    cy = y;
}

// Destroys a list the control owns unless another slot still uses it.
void DropOwned(TreeListData& d, HIMAGELIST list, bool own, bool themed)
{
    if (!own || themed || !RealList(list))
        return;
    int uses = 0;
    for (HIMAGELIST other : {d.normalImages, d.stateImages, d.cellStateImages, d.extraImages, d.headerImages})
        uses += other == list;
    if (uses <= 1)
        ImageList_Destroy(list);
}

void UpdateShownImages(TreeListData& d)
{
    for (uint32_t h = 1; h <= d.itemsSize; ++h) {
        TreeListItem* item = d.items[h];
        if (!item)
            continue;
        const bool shows = item->image != I_IMAGENONE && d.normalImages;
        item->flags = uint8_t((item->flags & ~kTreeListShowsImage) | (shows ? kTreeListShowsImage : 0));
        for (uint32_t c = 1; c < d.columnCount; ++c) {
            TreeListCell* cell = d.cells[c] ? d.cells[c][h] : nullptr;
            if (!cell)
                continue;
            const bool cellShows = cell->image != I_IMAGENONE && (d.normalImages || d.extraImages);
            cell->flags = uint8_t((cell->flags & ~kTreeListShowsImage) | (cellShows ? kTreeListShowsImage : 0));
        }
    }
}

// Images drawn by draw(dc) into one screen-compatible bitmap of
// bitmapWidth x cy, cut into cx-wide images; mask is the transparent colour.
template <class Draw>
HIMAGELIST PaintedList(int bitmapWidth, int cx, int cy, int initial, int grow, COLORREF mask, Draw draw)
{
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, bitmapWidth, cy);
    ReleaseDC(nullptr, screen);
    HIMAGELIST list = nullptr;
    if (dc && bitmap) {
        const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        draw(dc);
        SelectObject(dc, oldBitmap);
        list = ImageList_Create(cx, cy, ILC_COLORDDB | ILC_MASK, initial, grow);
        if (list && ImageList_AddMasked(list, bitmap, mask) < 0) {
            ImageList_Destroy(list);
            list = nullptr;
        }
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    return list;
}

HIMAGELIST DrawnCheckBoxes()
{
    const COLORREF mask = GetSysColor(COLOR_HIGHLIGHT);
    return PaintedList(kBoxBitmapWidth, kBoxImage, kBoxImage, 3, kBoxGrowth, mask, [&](HDC dc) {
        const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        const HBRUSH fill = CreateSolidBrush(mask);
        const RECT all = {0, 0, kBoxBitmapWidth, kBoxImage};
        FillRect(dc, &all, fill);
        DeleteObject(fill);
        RECT unchecked = kUncheckedBox, checked = kCheckedBox;
        DrawFrameControl(dc, &unchecked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT);
        DrawFrameControl(dc, &checked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED);
        SelectObject(dc, oldPen);
    });
}

}  // namespace

void TreeListOpenThemes(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const TreeListTheme& t = TreeListSharedObjects().theme;
    if (!t.openThemeData)
        return;
    if (!w.theme)
        w.theme = t.openThemeData(w.hwnd, L"TREEVIEW");
    if (!w.buttonTheme)
        w.buttonTheme = t.openThemeData(w.hwnd, L"BUTTON");
}

void TreeListCloseThemes(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const TreeListTheme& t = TreeListSharedObjects().theme;
    for (HTHEME* theme : {&w.theme, &w.buttonTheme}) {
        if (*theme && t.closeThemeData)
            t.closeThemeData(*theme);
        *theme = nullptr;
    }
}

void TreeListCreateCheckBoxes(TreeListData& d, int which)
{
    TreeListWindow& w = TreeListWindowOf(d);
    HIMAGELIST& list = which ? d.cellStateImages : d.stateImages;
    int32_t& cx = which ? d.cellStateImageCx : d.stateImageCx;
    int32_t& cy = which ? d.cellStateImageCy : d.stateImageCy;
    bool& own = which ? w.ownCellStateImages : w.ownStateImages;
    bool& themed = which ? w.themedCellBoxes : w.themedStateBoxes;
    bool& built = which ? w.builtCellBoxes : w.builtStateBoxes;
    const HIMAGELIST old = list;
    const bool oldOwn = own, oldThemed = themed;
    const TreeListTheme& t = TreeListSharedObjects().theme;
    if (w.buttonTheme && t.getThemePartSize) {
        SIZE part = {};
        RECT bounds = {0, 0, 3, 3};
        t.getThemePartSize(w.buttonTheme, nullptr, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, &bounds, TS_TRUE, &part);
        list = TREELIST_THEMED_BOXES;
        cx = std::max<int32_t>(kBoxImage, part.cx + kThemeBoxExtra);
        cy = std::max<int32_t>(kBoxImage, part.cy);
        own = themed = built = true;
    } else {
        const HIMAGELIST drawn = DrawnCheckBoxes();
        if (!drawn)
            return;  // the old list stays
        list = drawn;
        cx = cy = kBoxImage;
        own = built = true;
        themed = false;
    }
    if (old != list)
        DropOwned(d, old, oldOwn, oldThemed);
    TreeListUpdateRowHeight(d);
    TreeListInvalidateList(d);
}

HIMAGELIST TreeListGetImageList(const TreeListData& d, WPARAM kind)
{
    switch (uint32_t(kind)) {
    case kNormal:
        return d.normalImages;
    case kState:
        return d.stateImages;
    case kCellState:
        return d.cellStateImages;
    case kExtra:
        return d.extraImages;
    case kHeader:
        return d.headerImages;
    default:
        return nullptr;
    }
}

HIMAGELIST TreeListSetImageList(TreeListData& d, WPARAM wParam, HIMAGELIST list)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const uint32_t kind = uint32_t(wParam & ~kKeepList);
    const bool own = !(wParam & kKeepList);
    const HIMAGELIST old = TreeListGetImageList(d, kind);
    if (kind != kNormal && kind != kState && kind != kCellState && kind != kExtra && kind != kHeader)
        return nullptr;
    if (list == old)
        return old;
    switch (kind) {
    case kNormal: {
        const bool shared = (d.extStyle & TLS_EX_SHAREIMAGES) != 0;
        d.normalImages = list;
        DropOwned(d, old, w.ownNormalImages && !shared, false);
        Size(list, d.imageCx, d.imageCy);
        w.ownNormalImages = own;
        // The extra list follows unless a list of its own was given.
        if (!d.extraImages || d.extraImages == old) {
            d.extraImages = list;
            d.extraImageCx = d.imageCx;
            d.extraImageCy = d.imageCy;
            w.ownExtraImages = false;
        }
        if (!d.headerImages)
            d.host->HeaderSetImageList(list);
        UpdateShownImages(d);
        break;
    }
    case kState:
    case kCellState: {
        const int which = kind == kCellState ? 1 : 0;
        HIMAGELIST& slot = which ? d.cellStateImages : d.stateImages;
        bool& ownFlag = which ? w.ownCellStateImages : w.ownStateImages;
        bool& themed = which ? w.themedCellBoxes : w.themedStateBoxes;
        bool& built = which ? w.builtCellBoxes : w.builtStateBoxes;
        if (list == TREELIST_THEMED_BOXES) {
            TreeListCreateCheckBoxes(d, which);
            break;
        }
        const bool oldOwn = ownFlag, oldThemed = themed;
        slot = list;
        DropOwned(d, old, oldOwn, oldThemed);
        Size(list, which ? d.cellStateImageCx : d.stateImageCx, which ? d.cellStateImageCy : d.stateImageCy);
        ownFlag = own;
        themed = built = false;
        if (which && !list) {
            bool boxColumn = false;
            for (uint32_t c = 0; c < d.columnCount; ++c)
                boxColumn |= d.columns[c].editKind >= kFirstBoxListKind;
            if (boxColumn)
                TreeListCreateCheckBoxes(d, 1);
        }
        break;
    }
    case kExtra:
        d.extraImages = list;
        DropOwned(d, old, w.ownExtraImages, false);
        Size(list, d.extraImageCx, d.extraImageCy);
        w.ownExtraImages = own;
        UpdateShownImages(d);
        break;
    default:  // kHeader
        d.headerImages = list;
        d.host->HeaderSetImageList(list ? list : d.normalImages);
        break;
    }
    TreeListUpdateRowHeight(d);
    d.host->Invalidate(nullptr, false);
    return old;
}

void TreeListDestroyImageLists(TreeListData& d)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const bool shared = (d.extStyle & TLS_EX_SHAREIMAGES) != 0;
    struct Owned {
        HIMAGELIST* list;
        bool own;
        bool themed;
    } lists[] = {{&d.normalImages, w.ownNormalImages && !shared, false},
                 {&d.stateImages, w.ownStateImages, w.themedStateBoxes},
                 {&d.cellStateImages, w.ownCellStateImages, w.themedCellBoxes},
                 {&d.extraImages, w.ownExtraImages, false}};
    for (Owned& o : lists) {
        const HIMAGELIST list = *o.list;
        *o.list = nullptr;
        DropOwned(d, list, o.own, o.themed);
    }
    w.ownNormalImages = w.ownStateImages = w.ownCellStateImages = w.ownExtraImages = false;
    w.themedStateBoxes = w.themedCellBoxes = w.builtStateBoxes = w.builtCellBoxes = false;
}

HIMAGELIST TreeListCreateDragImage(TreeListData& d, uint32_t h, uint32_t column)
{
    TreeListWindow& w = TreeListWindowOf(d);
    const TreeListItem* item = TreeListItemOf(d, h);
    if (!item)
        return nullptr;
    const uint32_t serial = item->serial;
    char buffer[kTextBuffer];
    const char* text = kMissingCellText;
    int image = I_IMAGENONE;
    const bool bold = (item->state & TVIS_BOLD) != 0;
    if (column == 0 || column < d.columnCount) {
        const TreeListCell* cell = column ? TreeListCellOf(d, h, column) : nullptr;
        if (column == 0 || cell) {
            const bool callback = column ? (cell->callbackFlags & kTreeListTextCallback) != 0
                                         : (item->callbackFlags & kTreeListTextCallback) != 0;
            image = column ? cell->image : item->image;
            text = column ? (cell->text ? cell->text : "") : item->text;
            if (callback) {
                text = TreeListCallbackText(d, h, column, buffer, int(sizeof(buffer)));
                if (!TreeListItemOf(d, h, serial) || !text)
                    return nullptr;
            }
        }
    }
    std::string copy(text);
    const bool withImage = RealList(d.normalImages) && image >= 0;
    const int textWidth = w.MeasureText(copy.data(), int(copy.size()), bold);
    const int width = std::min(textWidth + (withImage ? d.imageCx + kDragImageGap : 0), kMaxDragWidth);
    const int height = std::min(std::max(w.textHeight, withImage ? int(d.imageCy) : 0), kMaxDragHeight);
    if (width <= 0 || height <= 0)
        return nullptr;
    return PaintedList(width, width, height, 1, 0, kDragMaskColor, [&](HDC dc) {
        const HGDIOBJ oldFont = SelectObject(dc, bold ? w.BoldFont() : w.DrawFont());
        SetBkColor(dc, kDragMaskColor);
        SetTextColor(dc, d.colors[kTextSlot]);
        const RECT all = {0, 0, width, height};
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        int x = 0;
        if (withImage) {
            ImageList_Draw(d.normalImages, image, dc, 0, 0, ILD_NORMAL);
            x = d.imageCx + kDragImageGap;
        }
        const RECT textRect = {x, 0, width, height};
        ExtTextOutA(dc, x, (height - w.textHeight) / 2, ETO_OPAQUE | ETO_CLIPPED, &textRect, copy.data(),
                    UINT(copy.size()), nullptr);
        SelectObject(dc, oldFont);
    });
}
