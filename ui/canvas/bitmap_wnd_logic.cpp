#include "ui/canvas/bitmap_wnd_logic.h"

#include <algorithm>

namespace canvas {

int ClampScrollAxis(int requested, int picture, int client, bool center, bool pinSmall)
{
    int span = picture - client;
    int position;
    if (span >= 0) {
        position = std::max(requested, 0);
    } else if (center) {
        position = span / 2;
        span = position;
    } else {
        position = pinSmall ? 0 : std::max(requested, span);
        span = 0;
    }
    return std::min(position, span);
}

bool ScrollRequest(unsigned code, int current, int page, int thumb, int* target)
{
    switch (code) {
    case kScrollLineBack: *target = current - kLineStep; return true;
    case kScrollLineForward: *target = current + kLineStep; return true;
    case kScrollPageBack: *target = current - page; return true;
    case kScrollPageForward: *target = current + page; return true;
    case kScrollThumbPosition:
    case kScrollThumbTrack: *target = thumb; return true;
    default: return false;
    }
}

ScrollBarState ComputeScrollBar(int picture, int client, int position, bool center)
{
    ScrollBarState bar = {0, picture, client, position};
    if (center && picture < client) {
        bar.minimum = (picture - client) / 2;
        bar.maximum = bar.minimum;
        bar.position = bar.minimum;
    }
    bar.page = std::min(bar.page, bar.maximum - bar.minimum);
    bar.position = std::min(bar.position, bar.maximum - bar.page);
    bar.position = std::min(bar.position, bar.maximum);
    bar.position = std::max(bar.position, bar.minimum);
    // A page as large as the range would still leave one step to scroll.
    if (bar.page == bar.maximum)
        ++bar.page;
    return bar;
}

int EnsureVisibleAxis(int scroll, int x, int extent, int client)
{
    if (extent < 0 || client <= 0)
        return scroll;
    if (x + extent >= client + scroll)
        scroll = x + extent - client + 1;
    if (x < scroll)
        scroll = x;
    return scroll;
}

namespace {

void Span(int start, int extent, LONG* low, LONG* high)
{
    if (extent >= 0) {
        *low = start;
        *high = start + extent;
    } else {
        *low = start + extent;
        *high = start;
    }
}

bool Intersect(const RECT& a, const RECT& b, RECT* out)
{
    out->left = std::max(a.left, b.left);
    out->top = std::max(a.top, b.top);
    out->right = std::min(a.right, b.right);
    out->bottom = std::min(a.bottom, b.bottom);
    return out->left < out->right && out->top < out->bottom;
}

// One axis of the copy: client offset, picture offset and extent.
struct AxisCopy {
    int offset;
    int source;
    int extent;
};

AxisCopy PlanAxis(int client, int picture, int scroll)
{
    AxisCopy copy;
    if (scroll < 0) {
        copy.offset = -scroll;
        copy.source = 0;
        copy.extent = std::min(picture, client - copy.offset);
    } else {
        copy.offset = 0;
        copy.source = scroll;
        copy.extent = std::min(picture - scroll, client);
    }
    if (copy.extent < 0)
        copy.extent = 0;
    return copy;
}

}  // namespace

RECT PictureToClientRect(int x, int y, int width, int height, POINT scroll)
{
    RECT rect;
    Span(x - scroll.x, width, &rect.left, &rect.right);
    Span(y - scroll.y, height, &rect.top, &rect.bottom);
    return rect;
}

PaintPlan PlanPaint(SIZE client, SIZE picture, POINT scroll, const RECT& paint)
{
    PaintPlan plan = {};
    const RECT whole = {0, 0, client.cx, client.cy};
    const AxisCopy h = PlanAxis(client.cx, picture.cx, scroll.x);
    const AxisCopy v = PlanAxis(client.cy, picture.cy, scroll.y);
    const auto addBand = [&](const RECT& band) {
        RECT visible;
        if (Intersect(band, paint, &visible))
            plan.bands[plan.bandCount++] = visible;
    };
    if (h.extent == 0 || v.extent == 0) {
        addBand(whole);
        return plan;
    }
    const RECT shown = {h.offset, v.offset, h.offset + h.extent, v.offset + v.extent};
    // Only the part the paint needs is copied.
    if (Intersect(shown, paint, &plan.target)) {
        plan.copies = true;
        plan.source.x = h.source + (plan.target.left - shown.left);
        plan.source.y = v.source + (plan.target.top - shown.top);
    }
    addBand(RECT{0, 0, client.cx, shown.top});                       // above
    addBand(RECT{0, shown.top, shown.left, shown.bottom});           // left
    addBand(RECT{0, shown.bottom, client.cx, client.cy});            // below
    addBand(RECT{shown.right, shown.top, client.cx, shown.bottom});  // right
    return plan;
}

SIZE BufferSizeForClient(int cx, int cy, SIZE minimum, SIZE maximum, bool fixedSize)
{
    if (fixedSize)
        return minimum;
    return SIZE{std::max(std::min(LONG(cx), maximum.cx), minimum.cx),
                std::max(std::min(LONG(cy), maximum.cy), minimum.cy)};
}

bool ValidBufferSide(int side)
{
    return side >= 1 && side <= kMaxBufferSide;
}

uint32_t BufferFillValue(uint32_t bits, COLORREF background)
{
    constexpr uint32_t kWhiteIndex8 = 15;  // white in the 8-bit default palette
    if (bits == 8)
        return kWhiteIndex8;
    if (bits < 8)
        return (1u << bits) - 1;
    return ((background & 0xFF) << 16) | (background & 0xFF00) | ((background >> 16) & 0xFF);
}

uint32_t BufferDepthForScreen(int screenBits)
{
    switch (screenBits) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 15:
    case 16:
    case 24:
    case 32: return uint32_t(screenBits);
    default: return 32;
    }
}

void MakeBufferHeader(uint32_t bits, int width, int height, BITMAPINFOHEADER* header, uint32_t masks[3])
{
    *header = BITMAPINFOHEADER{};
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;  // bottom-up, as the image lies
    header->biPlanes = 1;
    header->biBitCount = WORD(bits == 15 ? 16 : bits);
    header->biCompression = BI_RGB;
    if (bits <= 8)
        header->biClrUsed = 1u << bits;
    masks[0] = masks[1] = masks[2] = 0;
    if (bits == 16 || bits == 15) {
        // Without the masks a 16-bit DIB is 5-5-5, which is not the image's
        // 16-bit layout.
        header->biCompression = BI_BITFIELDS;
        const bool six = bits == 16;
        masks[0] = six ? 0xF800 : 0x7C00;
        masks[1] = six ? 0x07E0 : 0x03E0;
        masks[2] = 0x001F;
    }
}

}  // namespace canvas
