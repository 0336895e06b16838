// The process-wide table of display monitor rectangles (whole monitors, in
// virtual-screen coordinates) with lookups, and moves of rectangles and
// windows onto another monitor. The table holds at most 16 monitors; a
// system with more reports 16, so no lookup or move reaches past it.
#pragma once

#include "platform/win32/win.h"

constexpr int kMaxMonitors = 16;
// CW_USEDEFAULT of window creation.
constexpr int kCreateUseDefault = int(0x80000000u);
// Move modes.
constexpr int kMonitorKeepOffset = 0;
constexpr int kMonitorCentre = 1;

// Fills the table from what the system reports: the number of monitors and
// the rectangles found (count of them). Entries between the rectangles
// found and the number are (-1, -1, -1, -1). InitMonitorTable calls this;
// tests give their own tables.
void SetMonitorTable(int number, const RECT* rects, int count);
// The number of monitors, 0 until the table is built.
int MonitorCount();
// Entry i; false for i outside the table.
bool GetMonitorRect(int i, RECT* rect);

// The first entry holding the point (left and top inclusive, right and
// bottom exclusive); -1 when none or the table is not built.
int MonitorIndexFromPoint(int x, int y);
int MonitorIndexFromPointAlt(int x, int y);
// The entry holding the rectangle's centre (rounded toward zero).
int MonitorIndexFromRect(const RECT& rect);
// The entry holding x + cx / 2, y + cy / 2 (a half only for a size above 0).
int MonitorIndexFromCreateValues(int x, int y, int cx, int cy);

// Moves a rectangle onto monitor i: mode 0 by the offset between the top-left
// corners of monitor i and the rectangle's monitor (0 when that is i or
// none), mode 1 centred. 0 unless there are at least 2 monitors and i is
// one of them; 1 after a move.
int MoveRectToMonitor(RECT* rect, int i, int mode);
// The creation values' rectangle (CW_USEDEFAULT positions become 20, default
// sizes the first monitor's less 100) moved onto monitor i; on success x and
// y are written back, and cx and cy when above 0. Returns the move's result.
int PlaceCreateValuesOnMonitor(int* x, int* y, int* cx, int* cy, int i, int mode);

#ifdef _WIN32
// Builds the table (again with rebuild) from the system.
void InitMonitorTable(int rebuild);
int MonitorIndexFromWindow(HWND window);
int MonitorIndexFromCreateStruct(const CREATESTRUCTA* cs);
// Moves a window onto monitor i as MoveRectToMonitor moves its rectangle:
// child windows in their parent's client coordinates, top-level windows
// (owned or not) in screen coordinates. 1 after a move.
int MoveWindowToMonitor(HWND window, int i, int mode);
int PlaceCreateStructOnMonitor(CREATESTRUCTA* cs, int i, int mode);
#endif
