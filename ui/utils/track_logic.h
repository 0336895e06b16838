// The arithmetic of the mouse tracking loops: which edges a sizing drag
// moves and where they stop, splitter positions inside their bounds, and
// the auto-scroll's direction and step.
#pragma once

#include "platform/win32/win.h"

// Auto-scroll: direction codes h * 3 + v, h and v 0 none, 1 towards larger
// positions (right, down), 2 towards smaller ones (left, up).
constexpr int kScrollNone = 0;
constexpr int kScrollTowardsLarger = 1;
constexpr int kScrollTowardsSmaller = 2;
constexpr int kAutoScrollDirections = 9;
// Axes of AutoScrollTrack.
constexpr int kAxisHorizontal = 1;
constexpr int kAxisVertical = 2;
// Within this distance of the start point nothing scrolls.
constexpr int kAutoScrollDeadZone = 20;

// The direction code of a mouse offset from the start point (a 0 offset
// counts as 1) restricted to the axes.
int AutoScrollDirection(int dx, int dy, int axes);
// Pixels per tick: the magnitudes of the offsets / 16 on the axes used, so
// a diagonal never cancels to 0.
int AutoScrollStep(int dx, int dy, int axes);
// The 32-bit scroll position whose low 16 bits a scroll message carries,
// taken as the one nearest the 32-bit position the bar reports.
int WidenScrollPosition(int current, unsigned low16);

// Sizing: the edges a drag from the start point moves. A negative minimum
// width moves left and right together (a horizontal move), a negative
// minimum height top and bottom, both a free move; otherwise the hit test
// of the start point on a band of sizingBand pixels decides. 0: nothing.
int TrackSizeEdges(const RECT& rect, int x, int y, int minWidth, int minHeight, int sizingBand);
// The rectangle after moving the edges by (dx, dy); a sized edge stops
// where the rectangle would get narrower or lower than the minimum.
RECT TrackSizeApply(const RECT& start, int edges, int dx, int dy, int minWidth, int minHeight);

// Splitters: the value meaning "the centre of the bounds".
constexpr int kSplitterCentre = 12345;
// A bar of barWidth kept inside [low, high): the position (its first
// coordinate) clamped, kSplitterCentre centred.
int ClampSplitter(int low, int high, int barWidth, int position);
