// The control: the "ToolbarExWindow32" window, its state, painting, mouse
// and its message table (the packed arguments in toolbar_messages.h).
#include "ui/toolbar/toolbar_control.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/framework/message_routes.h"
#include "platform/framework/routed_message.h"
#include "system/heap_dib.h"
#include "ui/toolbar/toolbar_control_logic.h"

using toolbar::Button;
using toolbar::ToolbarModel;

namespace {

constexpr char kClassName[] = "ToolbarExWindow32";
constexpr UINT_PTR kHotTimer = 6527;
constexpr int kPadX = 7, kPadY = 6;  // a button's border around its image
constexpr int kDefaultImage = 16;

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
    return LRESULT(toolbar::EncodeNeededSize(size.cx, size.cy));
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

// TB_ADDBITMAP with the control's block marker; -1 for any other form.
LRESULT OnAddBitmap(ToolbarState& s, WPARAM form, const ToolbarBitmapEntry* entry)
{
    if (form != kAddBitmapBlock || !entry)
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

void InvalidateCommand(ToolbarState& s, uint16_t id)
{
    for (int n = 0, index; (index = s.model.IndexOfCommand(id, n)) >= 0; ++n)
        InvalidateButton(s, index);
}

LRESULT AttachColor(ToolbarState& s, uint16_t id, uint32_t color)
{
    if (!s.model.SetColor(id, toolbar::UnpackColor(color)))
        return 0;
    InvalidateCommand(s, id);
    return 1;
}

LRESULT AttachChild(ToolbarState& s, int index, HWND child)
{
    Button* button = s.model.Find(index);
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

int SlotOfChild(const ToolbarState& s, HWND child)
{
    for (int slot = 0; slot < toolbar::kSlotCount; ++slot)
        if (child && s.slots[slot] == child)
            return slot;
    return -1;
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

LRESULT AddButton(ToolbarState& s, int64_t index, const TBBUTTON* record)
{
    if (!record || index < 0)
        return 0;
    Button button;
    button.id = uint16_t(record->idCommand);
    button.image = record->iBitmap;
    button.state = record->fsState;
    button.style = record->fsStyle;
    if (!s.model.Insert(uint32_t(index), button))
        return 0;
    s.dirty = true;
    return 1;
}

int RemoveButtons(ToolbarState& s, int first, int last)
{
    for (int index = std::max(first, 0); index <= last && index < s.model.Count(); ++index) {
        const int slot = s.model.At(index).slot;
        if (slot >= 0)
            s.slots[slot] = nullptr;  // the child stays the caller's window
    }
    const int removed = s.model.Remove(first, last);
    s.hot = s.pressed = -1;
    s.dirty = true;
    InvalidateRect(s.wnd, nullptr, TRUE);
    return removed;
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

// The tooltip asks for a button's text.
void OnNotify(ToolbarState& s, NMHDR* header)
{
    if (header->hwndFrom != s.tooltip || header->code != TTN_GETDISPINFOA)
        return;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    const Button* button = s.model.Find(int(header->idFrom) - 1);
    info->szText[0] = 0;
    info->lpszText = info->szText;
    if (!button || !button->id)
        return;
    // The command's string: "status text\ntooltip" or the tooltip alone.
    char text[256];
    if (LoadStringA(GetModuleHandleA(nullptr), button->id, text, sizeof text) < 1)
        return;
    const char* tip = std::strchr(text, '\n');
    lstrcpynA(info->szText, tip ? tip + 1 : text, sizeof info->szText);
}

// ================= Messages =================
// Each handler takes its arguments decoded by its row (the packed forms
// through their decoders in toolbar_messages.h) and makes one call.

// A message on its way through the table.
using ToolbarMessage = RoutedMessage;

// A packed argument through its decoder: every packed form is a 32-bit
// word, in wParam, in lParam, or one in each.
template <auto Decode>
struct WParamBy {
    static auto Of(const ToolbarMessage& m) { return Decode(uint32_t(m.wParam)); }
};
template <auto Decode>
struct LParamBy {
    static auto Of(const ToolbarMessage& m) { return Decode(uint32_t(uintptr_t(m.lParam))); }
};
template <auto Decode>
struct ParamsBy {
    static auto Of(const ToolbarMessage& m) { return Decode(uint32_t(m.wParam), uint32_t(uintptr_t(m.lParam))); }
};
// TBX_ADDIMAGES' source, a bitmap and the width of its images.
struct ImageSourceArg {
    static toolbar::ImageSource Of(const ToolbarMessage& m)
    {
        return toolbar::DecodeImageSource(m.wParam, m.lParam, kImageWidthAuto);
    }
};

int ButtonCount(ToolbarState& s) { return s.model.Count(); }

LRESULT OnCommandToIndex(ToolbarState& s, toolbar::CommandQuery query)
{
    return s.model.IndexOfCommand(query.id, query.nth);
}

// The button under a client point; negative off every button, the
// complement of the index on a separator.
LRESULT OnHitTest(ToolbarState& s, const POINT* point)
{
    if (!point)
        return -1;
    EnsureLayout(s);
    const int index = s.model.HitTest(point->x, point->y);
    if (index < 0)
        return -1;
    return (s.model.At(index).style & toolbar::kStyleSeparator) ? ~index : index;
}

LRESULT OnSetParent(ToolbarState& s, HWND frame, LPARAM step)
{
    if (step != kSetParentFrame)
        return 0;  // the finishing call has nothing to do
    return LRESULT(std::exchange(s.frame, frame));
}

void ClearHot(ToolbarState& s) { SetHot(s, -1); }

void OnTimerTick(ToolbarState& s)
{
    POINT point;
    GetCursorPos(&point);
    if (WindowFromPoint(point) != s.wnd)
        ClearHot(s);
}

void OnItemRecord(ToolbarState& s, const ToolbarItemRecord* record, LPARAM value)
{
    if (record)
        std::memcpy(&s.record, record, sizeof s.record);
    s.recordValue = value;
}

LRESULT OnRelayout(ToolbarState& s, bool hidden)
{
    s.dirty = true;
    if (!hidden)
        EnsureLayout(s);  // a hidden bar lays out when it paints
    return 1;
}

LRESULT OnSetState(ToolbarState& s, uint16_t id, uint32_t word)
{
    bool found;
    if (s.model.SetState(id, word, &found))
        InvalidateCommand(s, id);
    return found ? 1 : 0;
}

LRESULT GetStateWord(ToolbarState& s, uint16_t id) { return LRESULT(s.model.GetStateWord(id)); }

LRESULT OnSetImage(ToolbarState& s, uint16_t id, int image)
{
    bool found;
    if (s.model.SetImage(id, image, &found))
        InvalidateButton(s, s.model.IndexOfCommand(id));
    return found ? 1 : 0;
}

LRESULT OnSetButtonWidth(ToolbarState& s, uint16_t id, int width)
{
    if (!s.model.SetButtonWidth(id, width))
        return 0;
    s.dirty = true;
    return 1;
}

LRESULT OnFitChild(ToolbarState& s, int index)
{
    if (!s.model.Find(index))
        return 0;
    s.dirty = true;
    EnsureLayout(s);
    return 1;
}

LRESULT OnGroup(ToolbarState& s, toolbar::StyleRange range)
{
    return s.model.SetStyles(range.index, range.count, range.bits, range.mask);
}

LRESULT OnAddImages(ToolbarState& s, toolbar::ImageSource source)
{
    return AddBitmapImages(s, reinterpret_cast<HBITMAP>(source.bitmap), source.width);
}

LRESULT OnHasBitmap(ToolbarState& s, WPARAM form, const ToolbarIdList* list)
{
    if (form != kHasBitmapQuery || !list || !s.images || s.strips.empty())
        return 0;
    const std::vector<uint16_t>& ids = s.strips.front().ids;
    return ids.size() == list->count && std::equal(ids.begin(), ids.end(), list->ids) ? 1 : 0;
}

LRESULT OnGetIds(ToolbarState& s, int room, uint16_t* ids)
{
    if (!ids || room < 0)
        return -1;
    return s.model.CopyIds(ids, room);
}

LRESULT OnRemoveBitmaps(ToolbarState& s)
{
    RemoveBitmaps(s);
    InvalidateRect(s.wnd, nullptr, TRUE);
    return 1;
}

LRESULT OnSetSizes(ToolbarState& s, uint16_t id, toolbar::SizeLimits limits)
{
    if (!s.model.SetSizeLimits(id, limits))
        return 0;
    s.dirty = true;
    return 1;
}

LRESULT OnGetChild(ToolbarState& s, int slot) { return slot < 0 ? 0 : LRESULT(s.slots[slot]); }

// The tag tells a colour from a window; a colour value can be a valid
// window handle by chance.
LRESULT OnAttach(ToolbarState& s, toolbar::AttachTarget target, uint32_t color, HWND child)
{
    if (target.color)
        return AttachColor(s, target.value, color);
    return AttachChild(s, target.value, child);
}

LRESULT OnSetWidths(ToolbarState& s, int id, int width)
{
    if (id != -1 && s.model.IndexOfCommand(uint16_t(id)) < 0)
        return 0;
    s.dirty = true;
    InvalidateRect(s.wnd, nullptr, TRUE);
    return s.model.SetWidth(id, width);
}

LRESULT OnNeededSize(ToolbarState& s, int limit, toolbar::LayoutRequest request)
{
    return NeededSize(s, limit, request.byHeight, request.commit);
}

LRESULT OnExtraColor(ToolbarState& s, int which, uint32_t color)
{
    if (which < 0)
        return -1;
    const COLORREF old = std::exchange(s.extra[which], color);
    InvalidateRect(s.wnd, nullptr, TRUE);
    return LRESULT(old);
}

void OnPaint(ToolbarState& s)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(s.wnd, &paint);
    Paint(s, dc);
    EndPaint(s.wnd, &paint);
}

void OnSize(ToolbarState& s) { InvalidateRect(s.wnd, nullptr, TRUE); }

// The move goes to the tooltip as it came.
void OnMouseMove(ToolbarState& s, WPARAM keys, LPARAM at, int x, int y)
{
    if (s.tooltip) {
        MSG relay = {s.wnd, WM_MOUSEMOVE, keys, at, 0, {}};
        SendMessageA(s.tooltip, TTM_RELAYEVENT, 0, LPARAM(&relay));
    }
    SetHot(s, s.model.HitTest(x, y));
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, s.wnd, 0};
    TrackMouseEvent(&track);
}

void OnButtonDown(ToolbarState& s, int x, int y)
{
    const int index = s.model.HitTest(x, y);
    Button* button = s.model.Find(index);
    if (!button || (button->style & toolbar::kStyleSeparator) || !(button->state & toolbar::kStateEnabled))
        return;
    s.pressed = index;
    button->state |= toolbar::kStatePressed;
    InvalidateButton(s, index);
    SetCapture(s.wnd);
}

void OnButtonUp(ToolbarState& s, int x, int y)
{
    const int pressed = std::exchange(s.pressed, -1);
    if (GetCapture() == s.wnd)
        ReleaseCapture();
    Button* button = s.model.Find(pressed);
    if (!button)
        return;
    button->state &= uint8_t(~toolbar::kStatePressed);
    InvalidateButton(s, pressed);
    if (s.model.HitTest(x, y) == pressed)
        Click(s, pressed);
}

void OnParentNotify(ToolbarState& s, uint16_t event, HWND child)
{
    if (event == WM_DESTROY)
        ForgetChild(s, child);
}

// No scroll bars, whatever style the bar sets.
void OnStyleChanging(ToolbarState&, int which, STYLESTRUCT* style)
{
    if (which == GWL_STYLE)
        style->styleNew &= ~DWORD(WS_HSCROLL | WS_VSCROLL);
}

LRESULT OnEraseBackground(ToolbarState& s, HDC dc)
{
    RECT client;
    GetClientRect(s.wnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

bool MakeState(HWND wnd)
{
    // The bar's creation style carries bits that would be scroll bars
    // here: they go before the frame is built.
    SetWindowLongA(wnd, GWL_STYLE, GetWindowLongA(wnd, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL));
    auto* state = new (std::nothrow) ToolbarState;
    if (!state)
        return false;
    state->wnd = wnd;
    UpdateMetrics(*state);
    SetWindowLongPtrA(wnd, 0, LONG_PTR(state));
    return true;
}

void OnCreate(ToolbarState& s)
{
    s.tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, s.wnd, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void FreeState(HWND wnd, ToolbarState* state)
{
    RemoveBitmaps(*state);
    SetWindowLongPtrA(wnd, 0, 0);
    delete state;
}

using Rows = RouteRows<ToolbarState, ToolbarMessage>;

constexpr Rows::Row kRows[] = {
    // The common toolbar messages the bar sends.
    Rows::On(TB_ADDBITMAP).Answer<OnAddBitmap, WParamAs<WPARAM>, LParamAs<const ToolbarBitmapEntry*>>(),
    Rows::On(TB_BUTTONCOUNT).Answer<ButtonCount>(),
    Rows::On(TB_COMMANDTOINDEX).Answer<OnCommandToIndex, WParamBy<toolbar::DecodeCommandQuery>>(),
    Rows::On(TB_SETPARENT).Answer<OnSetParent, WParamAs<HWND>, LParamAs<LPARAM>>(),
    Rows::On(TB_REPLACEBITMAP).Answer<OnReplaceBitmap, LParamAs<const ToolbarBitmapEntry*>>(),
    Rows::On(TB_GETBUTTONINFOA).Answer<OnGetButtonInfo, WParamAs<WPARAM>, LParamAs<ToolbarExButtonInfo*>>(),
    Rows::On(TB_HITTEST).Answer<OnHitTest, LParamAs<const POINT*>>(),
    // The control's own.
    Rows::On(TBX_TIMERTICK).Act<OnTimerTick>(),
    Rows::On(TBX_ITEMRECORD).Act<OnItemRecord, WParamAs<const ToolbarItemRecord*>, LParamAs<LPARAM>>(),
    Rows::On(TBX_RELAYOUT).Answer<OnRelayout, LParamAs<bool>>(),
    Rows::On(TBX_CHILDINDEX).Answer<SlotOfChild, LParamAs<HWND>>(),
    Rows::On(TBX_SETSTATE).Answer<OnSetState, WParamLow, LParamAs<uint32_t>>(),
    Rows::On(TBX_GETSTATE).Answer<GetStateWord, WParamLow>(),
    Rows::On(TBX_SETIMAGE).Answer<OnSetImage, WParamLow, LParamAs<int>>(),
    Rows::On(TBX_SETBUTTONWIDTH).Answer<OnSetButtonWidth, WParamLow, LParamAs<int>>(),
    Rows::On(TBX_FITCHILD).Answer<OnFitChild, WParamBy<toolbar::DecodeFitChild>>(),
    Rows::On(TBX_GROUP).Answer<OnGroup, ParamsBy<toolbar::DecodeStyleRange>>(),
    Rows::On(TBX_ADDIMAGES).Answer<OnAddImages, ImageSourceArg>(),
    Rows::On(TBX_HASBITMAP).Answer<OnHasBitmap, WParamAs<WPARAM>, LParamAs<const ToolbarIdList*>>(),
    Rows::On(TBX_GETIDS).Answer<OnGetIds, WParamAs<int>, LParamAs<uint16_t*>>(),
    Rows::On(TBX_REMOVEBITMAPS).Answer<OnRemoveBitmaps>(),
    Rows::On(TBX_REMOVEBUTTONS).Answer<RemoveButtons, WParamAs<int>, LParamAs<int>>(),
    Rows::On(TBX_SETSIZES).Answer<OnSetSizes, WParamLow, LParamBy<toolbar::DecodeSizeLimits>>(),
    Rows::On(TBX_GETCHILD).Answer<OnGetChild, WParamBy<toolbar::DecodeSlotQuery>>(),
    Rows::On(TBX_ATTACH).Answer<OnAttach, WParamBy<toolbar::DecodeAttachTarget>, LParamAs<uint32_t>, LParamAs<HWND>>(),
    Rows::On(TBX_SETWIDTHS).Answer<OnSetWidths, WParamBy<toolbar::DecodeWidthTarget>, LParamAs<int>>(),
    Rows::On(TBX_NEEDEDSIZE).Answer<OnNeededSize, WParamAs<int>, LParamBy<toolbar::DecodeLayoutFlags>>(),
    Rows::On(TBX_ADDBUTTON).Answer<AddButton, WParamBy<toolbar::DecodeInsert>, LParamAs<const TBBUTTON*>>(),
    Rows::On(TBX_EXTRACOLOR).Answer<OnExtraColor, WParamBy<toolbar::DecodeExtraColor>, LParamBy<toolbar::UnpackColor>>(),
    // The window's own.
    Rows::On(WM_CREATE).Act<OnCreate>(),
    Rows::On(WM_PAINT).Act<OnPaint>(),
    Rows::On(WM_SIZE).Act<OnSize>(),
    Rows::On(WM_MOUSEMOVE).Act<OnMouseMove, WParamAs<WPARAM>, LParamAs<LPARAM>, LParamX, LParamY>(),
    Rows::On(WM_MOUSELEAVE).Act<ClearHot>(),
    Rows::On(WM_LBUTTONDOWN).Act<OnButtonDown, LParamX, LParamY>(),
    Rows::On(WM_LBUTTONDBLCLK).Act<OnButtonDown, LParamX, LParamY>(),
    Rows::On(WM_LBUTTONUP).Act<OnButtonUp, LParamX, LParamY>(),
    Rows::On(WM_NOTIFY).Act<OnNotify, LParamAs<NMHDR*>>(),
    Rows::On(WM_PARENTNOTIFY).Act<OnParentNotify, WParamLow, LParamAs<HWND>>(),
    Rows::On(WM_STYLECHANGING).Act<OnStyleChanging, WParamAs<int>, LParamAs<STYLESTRUCT*>>(),
    Rows::On(WM_ERASEBKGND).Answer<OnEraseBackground, WParamAs<HDC>>(),
};

constexpr auto kRoutes = SortRoutes(kRows);
static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

LRESULT Dispatch(ToolbarState& s, UINT message, WPARAM wParam, LPARAM lParam)
{
    ToolbarMessage m{message, wParam, lParam, 0};
    const Rows::Row* route = FindRoute(kRoutes, message);
    if (!route || !route->handler(s, m))
        return DefWindowProcA(s.wnd, message, wParam, lParam);
    return m.result;
}

// The state lives from WM_NCCREATE to WM_NCDESTROY; the table has the
// messages in between.
LRESULT CALLBACK ToolbarExProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        return MakeState(wnd) ? DefWindowProcA(wnd, message, wParam, lParam) : FALSE;
    ToolbarState* state = StateOf(wnd);
    if (!state)
        return DefWindowProcA(wnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        FreeState(wnd, state);
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

