#include "ui/toolbar/toolbar_ex.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "system/heap_dib.h"
#include "ui/toolbar/toolbar_model.h"

using toolbar::Button;
using toolbar::ToolbarModel;

namespace {

constexpr char kClassName[] = "ToolbarExWindow32";
constexpr UINT_PTR kHotTimer = 6527;
constexpr int kPadX = 7, kPadY = 6;  // a button's border around its image
constexpr int kDefaultImage = 16;
std::atomic<int> g_paints{0};

struct ImageStrip {
    std::vector<uint16_t> ids;  // the ids of the block it came with
};

struct ToolbarState {
    HWND wnd = nullptr;
    HWND frame = nullptr;  // receives the clicks' WM_COMMAND
    HWND tooltip = nullptr;
    ToolbarModel model;
    HIMAGELIST images = nullptr;
    int imageCx = kDefaultImage, imageCy = kDefaultImage;
    std::vector<ImageStrip> strips;
    HWND slots[toolbar::kSlotCount] = {};
    COLORREF extra[2] = {CLR_NONE, CLR_NONE};
    ToolbarItemRecord record = {};
    LPARAM recordValue = 0;
    int limit = toolbar::kOneRow;
    bool byHeight = false;
    bool dirty = true;
    int hot = -1, pressed = -1;
    int tools = 0;
};

ToolbarState* StateOf(HWND wnd)
{
    return reinterpret_cast<ToolbarState*>(GetWindowLongPtrA(wnd, 0));
}

void UpdateMetrics(ToolbarState& s)
{
    s.model.SetMetrics(s.imageCx + kPadX, s.imageCy + kPadY, 8);
}

void InvalidateButton(ToolbarState& s, int index)
{
    const Button* button = s.model.Find(index);
    if (!button)
        return;
    const RECT rect = {button->rect.left, button->rect.top, button->rect.right, button->rect.bottom};
    InvalidateRect(s.wnd, &rect, TRUE);
}

// Child windows and tooltips follow the committed layout.
void PlaceChildren(ToolbarState& s)
{
    for (int index = 0; index < s.model.Count(); ++index) {
        const Button& button = s.model.At(index);
        if (button.slot < 0 || !s.slots[button.slot])
            continue;
        HWND child = s.slots[button.slot];
        RECT own;
        GetWindowRect(child, &own);
        const int height = own.bottom - own.top;
        const int top = button.rect.top + std::max(0, (s.model.ButtonHeight() - height) / 2);
        const bool hidden = (button.state & toolbar::kStateHidden) != 0;
        SetWindowPos(child, nullptr, button.rect.left + 2, top, button.rect.right - button.rect.left - 4,
                     height, SWP_NOZORDER | SWP_NOACTIVATE | (hidden ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
    }
    if (!s.tooltip)
        return;
    for (int tool = 0; tool < s.tools; ++tool) {
        TOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.hwnd = s.wnd;
        info.uId = UINT_PTR(tool + 1);
        SendMessageA(s.tooltip, TTM_DELTOOLA, 0, LPARAM(&info));
    }
    s.tools = s.model.Count();
    for (int index = 0; index < s.tools; ++index) {
        const Button& button = s.model.At(index);
        TOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.hwnd = s.wnd;
        info.uId = UINT_PTR(index + 1);
        info.rect = {button.rect.left, button.rect.top, button.rect.right, button.rect.bottom};
        info.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(s.tooltip, TTM_ADDTOOLA, 0, LPARAM(&info));
    }
}

LRESULT NeededSize(ToolbarState& s, int limit, bool byHeight, bool commit)
{
    const ToolbarModel::Size size = s.model.Layout(limit, byHeight, commit);
    if (commit) {
        s.limit = limit;
        s.byHeight = byHeight;
        s.dirty = false;
        PlaceChildren(s);
        InvalidateRect(s.wnd, nullptr, TRUE);
    }
    return MAKELONG(std::min(size.cx, 0xFFFF), std::min(size.cy, 0xFFFF));
}

void EnsureLayout(ToolbarState& s)
{
    if (s.dirty)
        NeededSize(s, s.limit, s.byHeight, true);
}

// The images of a packed DIB, added to the bar's list; the count, -1 when
// refused (another image height than the list has).
int AddDibImages(ToolbarState& s, const BITMAPINFOHEADER* dib, int imageWidth)
{
    const int height = std::abs(dib->biHeight);
    if (dib->biWidth < 1 || height < 1)
        return -1;
    if (imageWidth <= 0 || imageWidth == kImageWidthAuto)
        imageWidth = height;
    const int count = dib->biWidth / imageWidth;
    if (count < 1)
        return -1;
    if (s.images && (s.imageCx != imageWidth || s.imageCy != height))
        return -1;
    if (!s.images) {
        s.images = ImageList_Create(imageWidth, height, ILC_COLOR32 | ILC_MASK, count, 16);
        if (!s.images)
            return -1;
        s.imageCx = imageWidth;
        s.imageCy = height;
        UpdateMetrics(s);
        s.dirty = true;
    }
    DWORD colours = dib->biClrUsed;
    if (!colours && dib->biBitCount <= 8)
        colours = 1u << dib->biBitCount;
    const size_t bitsOffset = dib->biSize + (dib->biCompression == BI_BITFIELDS ? 12 : 0) + colours * 4;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, dib, CBM_INIT, reinterpret_cast<const BYTE*>(dib) + bitsOffset,
                                    reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (!bitmap)
        return -1;
    const int first = ImageList_AddMasked(s.images, bitmap, RGB(255, 0, 255));
    DeleteObject(bitmap);
    return first < 0 ? -1 : count;
}

// A bitmap handle's images (its bits read as a 32-bit DIB).
int AddBitmapImages(ToolbarState& s, HBITMAP bitmap, int imageWidth)
{
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth < 1 || info.bmHeight < 1)
        return -1;
    const size_t bytes = size_t(info.bmWidth) * size_t(info.bmHeight) * 4;
    std::unique_ptr<uint8_t[]> dib(new (std::nothrow) uint8_t[sizeof(BITMAPINFOHEADER) + bytes]);
    if (!dib)
        return -1;
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.get());
    *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), info.bmWidth, info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), dib.get() + sizeof(BITMAPINFOHEADER),
                               reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    header->biCompression = BI_RGB;
    header->biClrUsed = 0;
    return rows == info.bmHeight ? AddDibImages(s, header, imageWidth) : -1;
}

std::vector<uint16_t> BlockIds(const uint16_t* block)
{
    if (!block || block[3] > toolbar::kMaxButtons)
        return {};
    return std::vector<uint16_t>(block + 4, block + 4 + block[3]);
}

LRESULT OnAddBitmap(ToolbarState& s, const ToolbarBitmapEntry* entry)
{
    if (!entry)
        return -1;
    const int first = s.images ? ImageList_GetImageCount(s.images) : 0;
    int added;
    if (entry->flags & kEntryInMemory) {
        added = AddBitmapImages(s, entry->bitmap, int(entry->imageWidth));
    } else {
        BITMAPINFOHEADER* dib = LoadHeapDibA(nullptr, entry->instance, entry->name, MAKEINTRESOURCEA(2), 0, nullptr);
        if (!dib)
            return -1;
        added = AddDibImages(s, dib, int(entry->imageWidth));
        std::free(dib);
    }
    if (added < 1)
        return -1;
    s.strips.push_back(ImageStrip{BlockIds(entry->block)});
    InvalidateRect(s.wnd, nullptr, TRUE);
    return first;
}

LRESULT OnReplaceBitmap(ToolbarState& s, const ToolbarBitmapEntry* entry)
{
    if (!entry || !entry->bitmap)
        return 0;
    HIMAGELIST old = s.images;
    const int oldCx = s.imageCx, oldCy = s.imageCy;
    s.images = nullptr;
    if (AddBitmapImages(s, entry->bitmap, int(entry->imageWidth)) < 1) {
        s.images = old;
        s.imageCx = oldCx;
        s.imageCy = oldCy;
        UpdateMetrics(s);
        return 0;
    }
    if (old)
        ImageList_Destroy(old);
    s.strips.assign(1, ImageStrip{BlockIds(entry->block)});
    s.dirty = true;
    InvalidateRect(s.wnd, nullptr, TRUE);
    return 1;
}

void RemoveBitmaps(ToolbarState& s)
{
    if (s.images)
        ImageList_Destroy(s.images);
    s.images = nullptr;
    s.strips.clear();
}

LRESULT OnGetButtonInfo(ToolbarState& s, WPARAM wParam, ToolbarExButtonInfo* info)
{
    if (!info || info->cbSize < 32)
        return -1;
    const int index = (info->dwMask & kButtonInfoByIndex) ? int(wParam) : s.model.IndexOfCommand(uint16_t(wParam));
    const Button* button = s.model.Find(index);
    if (!button)
        return -1;
    if (info->dwMask & TBIF_COMMAND)
        info->idCommand = button->id;
    if (info->dwMask & TBIF_IMAGE)
        info->iImage = button->image;
    if (info->dwMask & TBIF_STATE)
        info->fsState = button->state;
    if (info->dwMask & TBIF_STYLE)
        info->fsStyle = button->style;
    if (info->dwMask & TBIF_SIZE)
        info->cx = WORD(button->rect.right - button->rect.left);
    if (info->cbSize >= sizeof(ToolbarExButtonInfo)) {
        info->color = button->color;
        info->slot = button->slot;
        info->sizes = DWORD(button->minWidth) | DWORD(button->maxWidth) << 16;
    }
    return index;
}

LRESULT OnAttach(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    // The tag tells a colour from a window; a colour value can be a valid
    // window handle by chance.
    if ((wParam & 0xFFFF0000) == toolbar::kColorTag) {
        bool any = false;
        for (int n = 0, index; (index = s.model.IndexOfCommand(uint16_t(wParam), n)) >= 0; ++n) {
            s.model.Find(index)->color = toolbar::UnpackColor(uint32_t(lParam));
            InvalidateButton(s, index);
            any = true;
        }
        return any ? 1 : 0;
    }
    Button* button = s.model.Find(int(wParam & 0xFFFF));
    HWND child = reinterpret_cast<HWND>(lParam);
    if (!button || !IsWindow(child))
        return 0;
    const int slot = button->slot >= 0 ? button->slot : s.model.FreeSlot();
    if (slot < 0)
        return 0;
    if (GetParent(child) != s.wnd)
        SetParent(child, s.wnd);
    RECT own;
    GetWindowRect(child, &own);
    button->slot = slot;
    button->childWidth = own.right - own.left + 4;
    s.slots[slot] = child;
    s.dirty = true;
    return 1;
}

void ForgetChild(ToolbarState& s, HWND child)
{
    for (int slot = 0; slot < toolbar::kSlotCount; ++slot) {
        if (s.slots[slot] != child)
            continue;
        s.slots[slot] = nullptr;
        const int index = s.model.ButtonOfSlot(slot);
        if (Button* button = s.model.Find(index))
            button->slot = -1;
    }
}

LRESULT OnAddButton(ToolbarState& s, WPARAM wParam, const TBBUTTON* record)
{
    if (!record || (wParam & toolbar::kInsertTagMask) != toolbar::kInsertTag)
        return 0;
    Button button;
    button.id = uint16_t(record->idCommand);
    button.image = record->iBitmap;
    button.state = record->fsState;
    button.style = record->fsStyle;
    if (!s.model.Insert((wParam >> 16) & toolbar::kAppendIndex, button))
        return 0;
    s.dirty = true;
    return 1;
}

void RemoveButtons(ToolbarState& s, int first, int last)
{
    for (int index = std::max(first, 0); index <= last && index < s.model.Count(); ++index) {
        const int slot = s.model.At(index).slot;
        if (slot >= 0)
            s.slots[slot] = nullptr;  // the child stays the caller's window
    }
    s.model.Remove(first, last);
    s.hot = s.pressed = -1;
    s.dirty = true;
    InvalidateRect(s.wnd, nullptr, TRUE);
}

void Paint(ToolbarState& s, HDC dc)
{
    EnsureLayout(s);
    const bool flat = (GetWindowLongA(s.wnd, GWL_STYLE) & TBSTYLE_FLAT) != 0;
    for (int index = 0; index < s.model.Count(); ++index) {
        const Button& button = s.model.At(index);
        if (button.state & toolbar::kStateHidden)
            continue;
        RECT rect = {button.rect.left, button.rect.top, button.rect.right, button.rect.bottom};
        if (button.style & toolbar::kStyleSeparator) {
            RECT line = {rect.left + (rect.right - rect.left) / 2 - 1, rect.top + 2, 0, rect.bottom - 2};
            line.right = line.left + 2;
            if (rect.right - rect.left > rect.bottom - rect.top)  // across a column
                line = RECT{rect.left + 2, rect.top + 3, rect.right - 2, rect.top + 5};
            DrawEdge(dc, &line, EDGE_ETCHED, line.right - line.left == 2 ? BF_LEFT : BF_TOP);
            continue;
        }
        const bool enabled = (button.state & toolbar::kStateEnabled) != 0;
        const bool down = (button.state & (toolbar::kStateChecked | toolbar::kStatePressed)) != 0;
        if (button.state & toolbar::kStateChecked)
            FillRect(dc, &rect, GetSysColorBrush(COLOR_3DHILIGHT));
        if (down)
            DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
        else if (!flat || (index == s.hot && enabled))
            DrawEdge(dc, &rect, flat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
        if (button.slot >= 0 && s.slots[button.slot])
            continue;
        const int offset = down ? 1 : 0;
        const int x = rect.left + (rect.right - rect.left - s.imageCx) / 2 + offset;
        const int y = rect.top + (rect.bottom - rect.top - s.imageCy) / 2 + offset;
        if (button.color != toolbar::kNoColor) {
            const bool withImage = button.image >= 0 && s.images;
            RECT swatch = withImage ? RECT{x, y + s.imageCy - 4, x + s.imageCx, y + s.imageCy}
                                    : RECT{x + 1, y + 1, x + s.imageCx - 1, y + s.imageCy - 1};
            HBRUSH brush = CreateSolidBrush(enabled ? COLORREF(button.color) : GetSysColor(COLOR_GRAYTEXT));
            FillRect(dc, &swatch, brush);
            DeleteObject(brush);
            FrameRect(dc, &swatch, GetSysColorBrush(COLOR_BTNSHADOW));
            if (!withImage)
                continue;
        }
        if (button.image >= 0 && s.images && button.image < ImageList_GetImageCount(s.images))
            ImageList_DrawEx(s.images, button.image, dc, x, y, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNFACE),
                             enabled ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
    }
}

void SetHot(ToolbarState& s, int index)
{
    if (index == s.hot)
        return;
    InvalidateButton(s, s.hot);
    s.hot = index;
    InvalidateButton(s, s.hot);
}

void Click(ToolbarState& s, int index)
{
    if (!s.model.Click(index))
        return;
    InvalidateButton(s, index);
    if (s.model.At(index).style & toolbar::kStyleGroup)
        InvalidateRect(s.wnd, nullptr, TRUE);
    const HWND target = s.frame && IsWindow(s.frame) ? s.frame : GetParent(s.wnd);
    SendMessageA(target, WM_COMMAND, MAKEWPARAM(s.model.At(index).id, BN_CLICKED), LPARAM(s.wnd));
}

LRESULT OnNotify(ToolbarState& s, NMHDR* header)
{
    if (header->hwndFrom != s.tooltip || header->code != TTN_GETDISPINFOA)
        return 0;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    const Button* button = s.model.Find(int(header->idFrom) - 1);
    info->szText[0] = 0;
    info->lpszText = info->szText;
    if (!button || !button->id)
        return 0;
    // The command's string: "status text\ntooltip" or the tooltip alone.
    char text[256];
    if (LoadStringA(GetModuleHandleA(nullptr), button->id, text, sizeof text) < 1)
        return 0;
    const char* tip = std::strchr(text, '\n');
    lstrcpynA(info->szText, tip ? tip + 1 : text, sizeof info->szText);
    return 0;
}

LRESULT Dispatch(ToolbarState& s, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND wnd = s.wnd;
    switch (message) {
    case TB_ADDBITMAP:
        return wParam == kAddBitmapBlock ? OnAddBitmap(s, reinterpret_cast<const ToolbarBitmapEntry*>(lParam)) : -1;
    case TB_BUTTONCOUNT:
        return s.model.Count();
    case TB_COMMANDTOINDEX:
        if ((wParam & 0xFF800000) == toolbar::kNthCommandTag)
            return s.model.IndexOfCommand(uint16_t(wParam), int((wParam >> 16) & 0x7F));
        return s.model.IndexOfCommand(uint16_t(wParam));
    case TB_SETPARENT:
        if (lParam == kSetParentFrame) {
            const HWND old = s.frame;
            s.frame = reinterpret_cast<HWND>(wParam);
            return LRESULT(old);
        }
        return 0;
    case TB_REPLACEBITMAP:
        return OnReplaceBitmap(s, reinterpret_cast<const ToolbarBitmapEntry*>(lParam));
    case TB_GETBUTTONINFOA:
        return OnGetButtonInfo(s, wParam, reinterpret_cast<ToolbarExButtonInfo*>(lParam));
    case TBX_TIMERTICK: {
        POINT point;
        GetCursorPos(&point);
        if (WindowFromPoint(point) != wnd)
            SetHot(s, -1);
        return 0;
    }
    case TBX_ITEMRECORD:
        if (wParam)
            std::memcpy(&s.record, reinterpret_cast<const void*>(wParam), sizeof s.record);
        s.recordValue = lParam;
        return 0;
    case TBX_RELAYOUT:
        s.dirty = true;
        if (!lParam)
            EnsureLayout(s);
        return 1;
    case TBX_CHILDINDEX:
        for (int slot = 0; slot < toolbar::kSlotCount; ++slot)
            if (lParam && s.slots[slot] == reinterpret_cast<HWND>(lParam))
                return slot;
        return -1;
    case TBX_SETSTATE: {
        bool found;
        if (s.model.SetState(uint16_t(wParam), uint32_t(lParam), &found))
            for (int n = 0, index; (index = s.model.IndexOfCommand(uint16_t(wParam), n)) >= 0; ++n)
                InvalidateButton(s, index);
        return found ? 1 : 0;
    }
    case TBX_GETSTATE:
        return LRESULT(s.model.GetStateWord(uint16_t(wParam)));
    case TBX_SETIMAGE: {
        Button* button = s.model.Find(s.model.IndexOfCommand(uint16_t(wParam)));
        if (!button)
            return 0;
        if (button->image != int(lParam)) {
            button->image = int(lParam);
            InvalidateButton(s, s.model.IndexOfCommand(uint16_t(wParam)));
        }
        return 1;
    }
    case TBX_SETBUTTONWIDTH:
        if (s.model.IndexOfCommand(uint16_t(wParam)) < 0)
            return 0;
        s.model.SetWidth(int(uint16_t(wParam)), int(lParam));
        s.dirty = true;
        return 1;
    case TBX_FITCHILD:
        // Places the button's child window inside it.
        if (!s.model.Find(int(wParam >> 16)))
            return 0;
        s.dirty = true;
        EnsureLayout(s);
        return 1;
    case TBX_GROUP:
        return s.model.SetStyles(int(LOWORD(wParam)), int(HIWORD(wParam)), uint8_t(lParam), uint8_t(lParam >> 16));
    case TBX_ADDIMAGES: {
        const HBITMAP bitmap = reinterpret_cast<HBITMAP>(wParam == 65535 ? lParam : LPARAM(wParam));
        const int width = wParam == 65535 ? kImageWidthAuto : int(lParam);
        return AddBitmapImages(s, bitmap, width);
    }
    case TBX_HASBITMAP: {
        const auto* list = reinterpret_cast<const ToolbarIdList*>(lParam);
        if (wParam != kHasBitmapQuery || !list || !s.images || s.strips.empty())
            return 0;
        const std::vector<uint16_t>& ids = s.strips.front().ids;
        return ids.size() == list->count && std::equal(ids.begin(), ids.end(), list->ids) ? 1 : 0;
    }
    case TBX_GETIDS: {
        auto* ids = reinterpret_cast<uint16_t*>(lParam);
        if (!ids || int(wParam) < 0)
            return -1;
        const int count = std::min(int(wParam), s.model.Count());
        for (int index = 0; index < count; ++index)
            ids[index] = s.model.At(index).id;
        return count;
    }
    case TBX_REMOVEBITMAPS:
        RemoveBitmaps(s);
        InvalidateRect(wnd, nullptr, TRUE);
        return 1;
    case TBX_REMOVEBUTTONS: {
        const int count = s.model.Count();
        RemoveButtons(s, int(wParam), int(lParam));
        return count - s.model.Count();
    }
    case TBX_SETSIZES: {
        Button* button = s.model.Find(int(wParam & 0xFFFF));
        if (!button)
            button = s.model.Find(s.model.IndexOfCommand(uint16_t(wParam)));
        if (!button)
            return 0;
        button->minWidth = uint16_t(lParam);
        button->maxWidth = uint16_t(lParam >> 16);
        s.dirty = true;
        return 1;
    }
    case TBX_GETCHILD: {
        if ((wParam & 0xFF80FFFF) != toolbar::kSlotTag)
            return 0;
        return LRESULT(s.slots[(wParam >> 16) & 0x7F]);
    }
    case TBX_ATTACH:
        return OnAttach(s, wParam, lParam);
    case TBX_SETWIDTHS: {
        const int id = int(wParam) == -1 ? -1 : int(uint16_t(wParam));
        if (id != -1 && s.model.IndexOfCommand(uint16_t(id)) < 0)
            return 0;
        s.dirty = true;
        InvalidateRect(wnd, nullptr, TRUE);
        return s.model.SetWidth(id, int(lParam));
    }
    case TBX_NEEDEDSIZE:
        return NeededSize(s, int(wParam), (lParam & 2) != 0, (lParam & 1) != 0);
    case TBX_ADDBUTTON:
        return OnAddButton(s, wParam, reinterpret_cast<const TBBUTTON*>(lParam));
    case TBX_EXTRACOLOR: {
        if (wParam != 0x80000000 && wParam != 0x80000001)
            return -1;
        COLORREF& slot = s.extra[wParam & 1];
        const COLORREF old = slot;
        slot = toolbar::UnpackColor(uint32_t(lParam));
        InvalidateRect(wnd, nullptr, TRUE);
        return LRESULT(old);
    }
    case WM_PAINT: {
        ++g_paints;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(wnd, &paint);
        Paint(s, dc);
        EndPaint(wnd, &paint);
        return 0;
    }
    case WM_SIZE:
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE: {
        if (s.tooltip) {
            MSG relay = {wnd, message, wParam, lParam, 0, {}};
            SendMessageA(s.tooltip, TTM_RELAYEVENT, 0, LPARAM(&relay));
        }
        const int index = s.model.HitTest(short(LOWORD(lParam)), short(HIWORD(lParam)));
        SetHot(s, index);
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, wnd, 0};
        TrackMouseEvent(&track);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetHot(s, -1);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int index = s.model.HitTest(short(LOWORD(lParam)), short(HIWORD(lParam)));
        const Button* button = s.model.Find(index);
        if (!button || (button->style & toolbar::kStyleSeparator) || !(button->state & toolbar::kStateEnabled))
            return 0;
        s.pressed = index;
        s.model.Find(index)->state |= toolbar::kStatePressed;
        InvalidateButton(s, index);
        SetCapture(wnd);
        return 0;
    }
    case WM_LBUTTONUP: {
        const int pressed = s.pressed;
        s.pressed = -1;
        if (GetCapture() == wnd)
            ReleaseCapture();
        if (Button* button = s.model.Find(pressed)) {
            button->state &= uint8_t(~toolbar::kStatePressed);
            InvalidateButton(s, pressed);
            if (s.model.HitTest(short(LOWORD(lParam)), short(HIWORD(lParam))) == pressed)
                Click(s, pressed);
        }
        return 0;
    }
    case WM_NOTIFY:
        return OnNotify(s, reinterpret_cast<NMHDR*>(lParam));
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_DESTROY)
            ForgetChild(s, reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_STYLECHANGING:
        if (wParam == WPARAM(GWL_STYLE))
            reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew &= ~DWORD(WS_HSCROLL | WS_VSCROLL);
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(wnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    default:
        return DefWindowProcA(wnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK ToolbarExProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        // The bar's creation style carries bits that would be scroll bars
        // here: they go before the frame is built.
        SetWindowLongA(wnd, GWL_STYLE, GetWindowLongA(wnd, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL));
        auto* state = new (std::nothrow) ToolbarState;
        if (!state)
            return FALSE;
        state->wnd = wnd;
        UpdateMetrics(*state);
        SetWindowLongPtrA(wnd, 0, LONG_PTR(state));
        return DefWindowProcA(wnd, message, wParam, lParam);
    }
    ToolbarState* state = StateOf(wnd);
    if (!state)
        return DefWindowProcA(wnd, message, wParam, lParam);
    if (message == WM_CREATE) {
        state->tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, wnd, nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemoveBitmaps(*state);
        SetWindowLongPtrA(wnd, 0, 0);
        delete state;
        return DefWindowProcA(wnd, message, wParam, lParam);
    }
    try {
        return Dispatch(*state, message, wParam, lParam);
    } catch (...) {
        return 0;  // nothing crosses into the system's message code
    }
}

}  // namespace

void ToolbarExRegister(HINSTANCE instance)
{
    WNDCLASSA existing;
    if (GetClassInfoA(instance, kClassName, &existing))
        return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &ToolbarExProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
}

int ToolbarExPaintCount()
{
    return g_paints.load();
}
