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

// ================= Messages =================
// Each handler decodes its arguments once (the packed forms are in
// toolbar_messages.h), makes one call and encodes the answer.

uint32_t Word(uintptr_t value)
{
    return uint32_t(value);  // every packed form is a 32-bit word
}
template <class T>
T* Pointer(uintptr_t value)
{
    return reinterpret_cast<T*>(value);
}

LRESULT OnCommandToIndex(ToolbarState& s, WPARAM wParam, LPARAM)
{
    const toolbar::CommandQuery query = toolbar::DecodeCommandQuery(Word(wParam));
    return s.model.IndexOfCommand(query.id, query.nth);
}

LRESULT OnSetParent(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    if (lParam != kSetParentFrame)
        return 0;  // the finishing call has nothing to do
    return LRESULT(std::exchange(s.frame, reinterpret_cast<HWND>(wParam)));
}

LRESULT OnTimerTick(ToolbarState& s, WPARAM, LPARAM)
{
    POINT point;
    GetCursorPos(&point);
    if (WindowFromPoint(point) != s.wnd)
        SetHot(s, -1);
    return 0;
}

LRESULT OnItemRecord(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    if (wParam)
        std::memcpy(&s.record, Pointer<const void>(wParam), sizeof s.record);
    s.recordValue = lParam;
    return 0;
}

LRESULT OnRelayout(ToolbarState& s, WPARAM, LPARAM hidden)
{
    s.dirty = true;
    if (!hidden)
        EnsureLayout(s);  // a hidden bar lays out when it paints
    return 1;
}

LRESULT OnSetState(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const uint16_t id = uint16_t(wParam);
    bool found;
    if (s.model.SetState(id, Word(uintptr_t(lParam)), &found))
        InvalidateCommand(s, id);
    return found ? 1 : 0;
}

LRESULT OnSetImage(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const uint16_t id = uint16_t(wParam);
    bool found;
    if (s.model.SetImage(id, int(lParam), &found))
        InvalidateButton(s, s.model.IndexOfCommand(id));
    return found ? 1 : 0;
}

LRESULT OnSetButtonWidth(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    if (!s.model.SetButtonWidth(uint16_t(wParam), int(lParam)))
        return 0;
    s.dirty = true;
    return 1;
}

LRESULT OnFitChild(ToolbarState& s, WPARAM wParam, LPARAM)
{
    if (!s.model.Find(toolbar::DecodeFitChild(Word(wParam))))
        return 0;
    s.dirty = true;
    EnsureLayout(s);
    return 1;
}

LRESULT OnGroup(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const toolbar::StyleRange range = toolbar::DecodeStyleRange(Word(wParam), Word(uintptr_t(lParam)));
    return s.model.SetStyles(range.index, range.count, range.bits, range.mask);
}

LRESULT OnAddImages(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const toolbar::ImageSource source = toolbar::DecodeImageSource(wParam, lParam, kImageWidthAuto);
    return AddBitmapImages(s, reinterpret_cast<HBITMAP>(source.bitmap), source.width);
}

LRESULT OnHasBitmap(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const auto* list = Pointer<const ToolbarIdList>(uintptr_t(lParam));
    if (wParam != kHasBitmapQuery || !list || !s.images || s.strips.empty())
        return 0;
    const std::vector<uint16_t>& ids = s.strips.front().ids;
    return ids.size() == list->count && std::equal(ids.begin(), ids.end(), list->ids) ? 1 : 0;
}

LRESULT OnGetIds(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    auto* ids = Pointer<uint16_t>(uintptr_t(lParam));
    if (!ids || int(wParam) < 0)
        return -1;
    return s.model.CopyIds(ids, int(wParam));
}

LRESULT OnRemoveBitmaps(ToolbarState& s, WPARAM, LPARAM)
{
    RemoveBitmaps(s);
    InvalidateRect(s.wnd, nullptr, TRUE);
    return 1;
}

LRESULT OnSetSizes(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    if (!s.model.SetSizeLimits(uint16_t(wParam), toolbar::DecodeSizeLimits(Word(uintptr_t(lParam)))))
        return 0;
    s.dirty = true;
    return 1;
}

LRESULT OnGetChild(ToolbarState& s, WPARAM wParam, LPARAM)
{
    const int slot = toolbar::DecodeSlotQuery(Word(wParam));
    return slot < 0 ? 0 : LRESULT(s.slots[slot]);
}

// The tag tells a colour from a window; a colour value can be a valid
// window handle by chance.
LRESULT OnAttach(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const toolbar::AttachTarget target = toolbar::DecodeAttachTarget(Word(wParam));
    if (target.color)
        return AttachColor(s, target.value, Word(uintptr_t(lParam)));
    return AttachChild(s, target.value, reinterpret_cast<HWND>(lParam));
}

LRESULT OnSetWidths(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const int id = toolbar::DecodeWidthTarget(Word(wParam));
    if (id != -1 && s.model.IndexOfCommand(uint16_t(id)) < 0)
        return 0;
    s.dirty = true;
    InvalidateRect(s.wnd, nullptr, TRUE);
    return s.model.SetWidth(id, int(lParam));
}

LRESULT OnNeededSize(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const toolbar::LayoutRequest request = toolbar::DecodeLayoutFlags(Word(uintptr_t(lParam)));
    return NeededSize(s, int(wParam), request.byHeight, request.commit);
}

LRESULT OnExtraColor(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    const int which = toolbar::DecodeExtraColor(Word(wParam));
    if (which < 0)
        return -1;
    const COLORREF old = std::exchange(s.extra[which], toolbar::UnpackColor(Word(uintptr_t(lParam))));
    InvalidateRect(s.wnd, nullptr, TRUE);
    return LRESULT(old);
}

LRESULT OnPaint(ToolbarState& s, WPARAM, LPARAM)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(s.wnd, &paint);
    Paint(s, dc);
    EndPaint(s.wnd, &paint);
    return 0;
}

LRESULT OnMouseMove(ToolbarState& s, WPARAM wParam, LPARAM lParam)
{
    if (s.tooltip) {
        MSG relay = {s.wnd, WM_MOUSEMOVE, wParam, lParam, 0, {}};
        SendMessageA(s.tooltip, TTM_RELAYEVENT, 0, LPARAM(&relay));
    }
    SetHot(s, s.model.HitTest(short(LOWORD(lParam)), short(HIWORD(lParam))));
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, s.wnd, 0};
    TrackMouseEvent(&track);
    return 0;
}

LRESULT OnButtonDown(ToolbarState& s, WPARAM, LPARAM lParam)
{
    const int index = s.model.HitTest(short(LOWORD(lParam)), short(HIWORD(lParam)));
    Button* button = s.model.Find(index);
    if (!button || (button->style & toolbar::kStyleSeparator) || !(button->state & toolbar::kStateEnabled))
        return 0;
    s.pressed = index;
    button->state |= toolbar::kStatePressed;
    InvalidateButton(s, index);
    SetCapture(s.wnd);
    return 0;
}

LRESULT OnButtonUp(ToolbarState& s, WPARAM, LPARAM lParam)
{
    const int pressed = std::exchange(s.pressed, -1);
    if (GetCapture() == s.wnd)
        ReleaseCapture();
    Button* button = s.model.Find(pressed);
    if (!button)
        return 0;
    button->state &= uint8_t(~toolbar::kStatePressed);
    InvalidateButton(s, pressed);
    if (s.model.HitTest(short(LOWORD(lParam)), short(HIWORD(lParam))) == pressed)
        Click(s, pressed);
    return 0;
}

LRESULT OnEraseBackground(ToolbarState& s, WPARAM wParam, LPARAM)
{
    RECT client;
    GetClientRect(s.wnd, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

using Handler = LRESULT (*)(ToolbarState& s, WPARAM wParam, LPARAM lParam);

constexpr Route<Handler> kRows[] = {
    // The common toolbar messages the bar sends.
    {TB_ADDBITMAP, [](ToolbarState& s, WPARAM w, LPARAM l) -> LRESULT {
         return w == kAddBitmapBlock ? OnAddBitmap(s, Pointer<const ToolbarBitmapEntry>(uintptr_t(l))) : -1;
     }},
    {TB_BUTTONCOUNT, [](ToolbarState& s, WPARAM, LPARAM) -> LRESULT { return s.model.Count(); }},
    {TB_COMMANDTOINDEX, OnCommandToIndex},
    {TB_SETPARENT, OnSetParent},
    {TB_REPLACEBITMAP, [](ToolbarState& s, WPARAM, LPARAM l) -> LRESULT {
         return OnReplaceBitmap(s, Pointer<const ToolbarBitmapEntry>(uintptr_t(l)));
     }},
    {TB_GETBUTTONINFOA, [](ToolbarState& s, WPARAM w, LPARAM l) -> LRESULT {
         return OnGetButtonInfo(s, w, Pointer<ToolbarExButtonInfo>(uintptr_t(l)));
     }},
    // The control's own.
    {TBX_TIMERTICK, OnTimerTick},
    {TBX_ITEMRECORD, OnItemRecord},
    {TBX_RELAYOUT, OnRelayout},
    {TBX_CHILDINDEX, [](ToolbarState& s, WPARAM, LPARAM l) -> LRESULT {
         return SlotOfChild(s, reinterpret_cast<HWND>(l));
     }},
    {TBX_SETSTATE, OnSetState},
    {TBX_GETSTATE, [](ToolbarState& s, WPARAM w, LPARAM) -> LRESULT {
         return LRESULT(s.model.GetStateWord(uint16_t(w)));
     }},
    {TBX_SETIMAGE, OnSetImage},
    {TBX_SETBUTTONWIDTH, OnSetButtonWidth},
    {TBX_FITCHILD, OnFitChild},
    {TBX_GROUP, OnGroup},
    {TBX_ADDIMAGES, OnAddImages},
    {TBX_HASBITMAP, OnHasBitmap},
    {TBX_GETIDS, OnGetIds},
    {TBX_REMOVEBITMAPS, OnRemoveBitmaps},
    {TBX_REMOVEBUTTONS, [](ToolbarState& s, WPARAM w, LPARAM l) -> LRESULT {
         return RemoveButtons(s, int(w), int(l));
     }},
    {TBX_SETSIZES, OnSetSizes},
    {TBX_GETCHILD, OnGetChild},
    {TBX_ATTACH, OnAttach},
    {TBX_SETWIDTHS, OnSetWidths},
    {TBX_NEEDEDSIZE, OnNeededSize},
    {TBX_ADDBUTTON, [](ToolbarState& s, WPARAM w, LPARAM l) -> LRESULT {
         return AddButton(s, toolbar::DecodeInsert(Word(w)), Pointer<const TBBUTTON>(uintptr_t(l)));
     }},
    {TBX_EXTRACOLOR, OnExtraColor},
    // The window's own.
    {WM_PAINT, OnPaint},
    {WM_SIZE, [](ToolbarState& s, WPARAM, LPARAM) -> LRESULT {
         InvalidateRect(s.wnd, nullptr, TRUE);
         return 0;
     }},
    {WM_MOUSEMOVE, OnMouseMove},
    {WM_MOUSELEAVE, [](ToolbarState& s, WPARAM, LPARAM) -> LRESULT {
         SetHot(s, -1);
         return 0;
     }},
    {WM_LBUTTONDOWN, OnButtonDown},
    {WM_LBUTTONDBLCLK, OnButtonDown},
    {WM_LBUTTONUP, OnButtonUp},
    {WM_NOTIFY, [](ToolbarState& s, WPARAM, LPARAM l) -> LRESULT { return OnNotify(s, Pointer<NMHDR>(uintptr_t(l))); }},
    {WM_PARENTNOTIFY, [](ToolbarState& s, WPARAM w, LPARAM l) -> LRESULT {
         if (LOWORD(w) == WM_DESTROY)
             ForgetChild(s, reinterpret_cast<HWND>(l));
         return 0;
     }},
    {WM_STYLECHANGING, [](ToolbarState&, WPARAM w, LPARAM l) -> LRESULT {
         if (w == WPARAM(GWL_STYLE))
             Pointer<STYLESTRUCT>(uintptr_t(l))->styleNew &= ~DWORD(WS_HSCROLL | WS_VSCROLL);
         return 0;
     }},
    {WM_ERASEBKGND, OnEraseBackground},
};

constexpr auto kRoutes = SortRoutes(kRows);
static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

LRESULT Dispatch(ToolbarState& s, UINT message, WPARAM wParam, LPARAM lParam)
{
    const Route<Handler>* route = FindRoute(kRoutes, message);
    if (!route)
        return DefWindowProcA(s.wnd, message, wParam, lParam);
    return route->handler(s, wParam, lParam);
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

