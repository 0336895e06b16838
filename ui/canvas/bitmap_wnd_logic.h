// The canvas window's arithmetic, free of window calls so both builds test
// it: where the scroll position may go, what the scroll bars show, which
// client rectangles a picture rectangle covers, what a paint copies and
// fills, and how large the back buffer is made.
#pragma once

#include <cstdint>

#include "platform/win32/win.h"

// Option flags, the low bits of the style given at creation.
constexpr uint32_t BWS_HSCROLL = 0x01;        // a horizontal scroll bar
constexpr uint32_t BWS_VSCROLL = 0x02;        // a vertical scroll bar
constexpr uint32_t BWS_HSCROLLALWAYS = 0x04;  // keep it, disabled, when nothing scrolls
constexpr uint32_t BWS_VSCROLLALWAYS = 0x08;
constexpr uint32_t BWS_CENTER = 0x10;     // centre a picture smaller than the client area
constexpr uint32_t BWS_FIXEDSIZE = 0x20;  // the buffer size does not follow the window
constexpr uint32_t BWS_PINSMALL = 0x40;   // keep a small picture at the top left

namespace canvas {

constexpr int kMaxBufferSide = 16000;  // a side SetBufferSize accepts, and the default maximum
constexpr int kLineStep = 32;          // pixels per scroll-bar arrow click

// Scroll-bar request codes as the scroll messages carry them.
enum ScrollCode : unsigned {
    kScrollLineBack = 0,
    kScrollLineForward = 1,
    kScrollPageBack = 2,
    kScrollPageForward = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
};

// The scroll position of one axis after a request: picture is the shown
// extent (image side capped at the maximum side), client the client side.
// A picture smaller than the client is centred (negative position), pinned
// at 0, or left where asked within [picture - client, 0].
int ClampScrollAxis(int requested, int picture, int client, bool center, bool pinSmall);

// Where a scroll-bar request moves the position; false for requests that do
// not move (ends, end of scroll).
bool ScrollRequest(unsigned code, int current, int page, int thumb, int* target);

// What one scroll bar shows; position is also the clamped scroll position.
struct ScrollBarState {
    int minimum;
    int maximum;
    int page;
    int position;
};
ScrollBarState ComputeScrollBar(int picture, int client, int position, bool center);

// The scroll position after making [x, x + extent) visible in one axis;
// unchanged for a negative extent or an unknown client side.
int EnsureVisibleAxis(int scroll, int x, int extent, int client);

// The client rectangle of a picture rectangle (x, y, width, height; a
// negative side extends left or up from x or y) at a scroll position.
RECT PictureToClientRect(int x, int y, int width, int height, POINT scroll);

// One paint: the part of the picture copied (client rectangle and the
// picture point at its top-left corner) and the background bands, all
// within the paint rectangle.
struct PaintPlan {
    bool copies;     // something of the picture is copied
    RECT target;     // client rectangle receiving picture pixels
    POINT source;    // picture point copied to target's top-left corner
    int bandCount;   // background bands, up to four
    RECT bands[4];
};
PaintPlan PlanPaint(SIZE client, SIZE picture, POINT scroll, const RECT& paint);

// The buffer size for a client size: the fixed size, or the client size
// capped at the maximum and raised to the minimum.
SIZE BufferSizeForClient(int cx, int cy, SIZE minimum, SIZE maximum, bool fixedSize);

// A side SetBufferSize accepts.
bool ValidBufferSide(int side);

// The pixel value a new buffer is filled with: index 15 at 8 bits, the last
// index below, the background colour (COLORREF, red low) as 0x00RRGGBB above.
uint32_t BufferFillValue(uint32_t bits, COLORREF background);

// The image depth of a back buffer on a screen of that many bits per pixel
// (32 for depths the image does not have).
uint32_t BufferDepthForScreen(int screenBits);

// The header of the DIB section behind a buffer: bottom-up, its colour count
// for palette depths, and for 15 and 16 bits BI_BITFIELDS with the masks the
// image's layout has (written to masks[0..2]).
void MakeBufferHeader(uint32_t bits, int width, int height, BITMAPINFOHEADER* header, uint32_t masks[3]);

}  // namespace canvas
