// Modal mouse loops (sizing or moving a rectangle, dragging splitters,
// panning a window) and window geometry helpers (Windows).
#pragma once

#include "platform/win32/win.h"
#include "ui/utils/track_logic.h"

// Sizes or moves a screen rectangle with the mouse from a screen point; 1
// and the new rectangle when the left button is released, 0 (rectangle
// unchanged) when cancelled or when the mouse is captured already.
int TrackSizeRect(HWND window, RECT* rect, int startX, int startY, int minWidth, int minHeight);

// Splitter modes.
constexpr int kSplitterHorizontalBar = 0;  // moves vertically: *position is its y
constexpr int kSplitterVerticalBar = 1;    // moves horizontally: *position is its x
constexpr int kSplitterCross = 2;          // both: *position the y, *position2 the x
// Drags a splitter bar (or two) inside bounds, all in the window's client
// coordinates; kSplitterCentre as a position starts it centred. Ends as
// TrackSizeRect does; the positions are written on acceptance.
int TrackSplitter(HWND window, int mode, const RECT& bounds, int barWidth, int* position, int* position2 = nullptr);

// Pans the window from the client point (x, y) on the axes until a button,
// Esc or the loss of the capture ends it. Scroll messages carry the low 16
// bits of a position: receivers take the whole one with
// ScrollPositionFromMessage. 0 when another auto-scroll runs or the mouse
// is captured already, else 1.
int AutoScrollTrack(HWND window, int x, int y, int axes);
// The 32-bit position of a WM_HSCROLL / WM_VSCROLL (bar SB_HORZ or SB_VERT).
int ScrollPositionFromMessage(HWND window, int bar, WPARAM wParam);

// Geometry.
POINT GetWindowOrigin(HWND window);
// The window's rectangle in its parent's client coordinates; 0 (and the
// screen rectangle) for a window that is no child.
int GetWindowRectInParent(HWND window, RECT* rect);
int GetDlgItemRect(HWND dialog, int id, RECT* rect);
int MoveDlgItemToItem(HWND dialog, int id, int referenceId);
int MoveWindowTo(HWND window, int x, int y, BOOL relative);
int ResizeWindow(HWND window, int cx, int cy, BOOL relative);
