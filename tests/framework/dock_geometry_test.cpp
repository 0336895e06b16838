// Where a dragged control bar goes: the shapes a drag shows and how they
// follow the pointer, the edge a drag docks to, the row a docked bar lands
// in, the style it docks with, and when a press becomes a drag.
#include <gtest/gtest.h>

#include <vector>

#include "platform/framework/dock_geometry.h"

namespace {

std::vector<LONG> Fields(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// A bar docked at the top of a frame, stretched to its 600-pixel width: one
// row 300 x 32, one column 38 x 150; floating, a frame of 3-pixel borders
// and a 20-pixel caption around the same row.
constexpr RECT kInsets = {3, 20, 3, 3};
constexpr dock::BarShape kDocked = {{100, 200, 700, 232}, {300, 32}, {38, 150}, {300, 32}, kInsets, false, {}};
// The same bar floating: its frame at 500, 500.
constexpr dock::BarShape kFloating = {{503, 520, 803, 552}, {300, 32}, {38, 150}, {300, 32}, kInsets, true,
                                      {500, 500, 806, 555}};

struct ShapeCase {
    const char* what;
    dock::BarShape bar;
    POINT grab;
    RECT horz, vert, floating;
};

TEST(DockGeometry, ShapesBeginUnderThePointer)
{
    const ShapeCase cases[] = {
        {"docked, grabbed at its gripper", kDocked, {104, 216}, {100, 200, 400, 232}, {100, 200, 138, 350},
         {97, 180, 403, 235}},
        // Each shape is moved until the pointer is on its far edge.
        {"docked, grabbed far right in its empty space", kDocked, {650, 216}, {351, 200, 651, 232},
         {613, 200, 651, 350}, {345, 180, 651, 235}},
        {"docked, grabbed at its top left pixel", kDocked, {100, 200}, {100, 200, 400, 232}, {100, 200, 138, 350},
         {97, 180, 403, 235}},
        // The caption lies above the bar: the docked shapes come up to it.
        {"floating, grabbed at its caption", kFloating, {600, 510}, {503, 510, 803, 542}, {563, 510, 601, 660},
         {500, 500, 806, 555}},
        {"floating, grabbed at its frame's left border", kFloating, {501, 530}, {501, 520, 801, 552},
         {501, 520, 539, 670}, {500, 500, 806, 555}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.what);
        const dock::DragShapes shapes = dock::StartShapes(c.bar, c.grab);
        EXPECT_EQ(Fields(shapes.horz), Fields(c.horz));
        EXPECT_EQ(Fields(shapes.vert), Fields(c.vert));
        EXPECT_EQ(Fields(shapes.floating), Fields(c.floating));
        // The pointer's way moves every shape alike, there and back.
        const dock::DragShapes moved = dock::MoveShapes(shapes, c.grab, POINT{c.grab.x - 90, c.grab.y + 40});
        EXPECT_EQ(Fields(moved.floating), Fields(RECT{c.floating.left - 90, c.floating.top + 40,
                                                      c.floating.right - 90, c.floating.bottom + 40}));
        const dock::DragShapes back = dock::MoveShapes(moved, POINT{c.grab.x - 90, c.grab.y + 40}, c.grab);
        EXPECT_EQ(Fields(back.horz), Fields(c.horz));
        EXPECT_EQ(Fields(back.vert), Fields(c.vert));
    }
    EXPECT_EQ(dock::FloatingOrigin(kDocked.window, kInsets).x, 97);
    EXPECT_EQ(dock::FloatingOrigin(kDocked.window, kInsets).y, 180);
}

// A frame's client area at 0, 50, 640 x 400 with one bar docked at the top.
constexpr RECT kClient = {0, 50, 640, 450};
constexpr RECT kTopBand = {0, 50, 640, 82};
constexpr RECT kNone = {0, 0, 0, 0};
constexpr DWORD kAll = CBRS_ALIGN_ANY;

struct SideCase {
    const char* what;
    DWORD sides;
    RECT topBand;
    RECT horz, vert;
    DWORD side;
};

TEST(DockGeometry, TheEdgeADragDocksTo)
{
    const SideCase cases[] = {
        {"row over the top band", kAll, kTopBand, {100, 60, 400, 92}, {100, 60, 138, 210}, CBRS_ALIGN_TOP},
        {"row just below the top band", kAll, kTopBand, {100, 82, 400, 114}, {100, 82, 138, 232}, 0},
        {"row over the second of two top rows", kAll, {0, 50, 640, 114}, {100, 100, 400, 132},
         {100, 100, 138, 250}, CBRS_ALIGN_TOP},
        {"no bar at the top: its edge line", kAll, kNone, {100, 30, 400, 62}, {100, 30, 138, 180}, CBRS_ALIGN_TOP},
        {"no bar at the top: a row just below its line", kAll, kNone, {100, 51, 400, 83}, {100, 51, 138, 201}, 0},
        {"row ending on the bottom line", kAll, kTopBand, {100, 418, 400, 450}, {100, 300, 138, 450},
         CBRS_ALIGN_BOTTOM},
        {"row ending just above the bottom line", kAll, kTopBand, {100, 417, 400, 449}, {100, 299, 138, 449}, 0},
        {"column over the left edge", kAll, kTopBand, {-20, 200, 280, 232}, {-20, 200, 18, 350}, CBRS_ALIGN_LEFT},
        {"column ending at the left edge", kAll, kTopBand, {-38, 200, 262, 232}, {-38, 200, 0, 350}, 0},
        {"column over the right edge", kAll, kTopBand, {620, 200, 920, 232}, {620, 200, 658, 350},
         CBRS_ALIGN_RIGHT},
        {"at the top left corner the top wins", kAll, kTopBand, {-20, 40, 280, 72}, {-20, 40, 18, 190},
         CBRS_ALIGN_TOP},
        {"the top not allowed: the corner goes left", kAll & ~CBRS_ALIGN_TOP, kTopBand, {-20, 40, 280, 72},
         {-20, 40, 18, 190}, CBRS_ALIGN_LEFT},
        {"no side allowed", 0, kTopBand, {-20, 40, 280, 72}, {-20, 40, 18, 190}, 0},
        // Over the top band only as a column: a column never docks there.
        {"a column shape over the top band", kAll, kTopBand, {100, 100, 400, 132}, {100, 40, 138, 190}, 0},
    };
    for (const SideCase& c : cases) {
        SCOPED_TRACE(c.what);
        const dock::DockSite site = {kClient, c.sides, {c.topBand, kNone, kNone, kNone}};
        const dock::DragShapes shapes = {c.horz, c.vert, {0, 0, 10, 10}};
        EXPECT_EQ(dock::DockSideAt(shapes, site), c.side);
        EXPECT_EQ(Fields(dock::ShapeFor(shapes, c.side)),
                  Fields(c.side == 0                                                  ? shapes.floating
                         : c.side == CBRS_ALIGN_TOP || c.side == CBRS_ALIGN_BOTTOM ? c.horz
                                                                                     : c.vert));
    }
}

struct LandingCase {
    const char* what;
    DWORD side;
    std::vector<RECT> rows;
    RECT drop;
    size_t row;
};

TEST(DockGeometry, ABarLandsWhereItsLeadingEdgeIs)
{
    const std::vector<RECT> top = {{0, 50, 640, 82}, {0, 82, 640, 114}};       // middles 66 and 98
    const std::vector<RECT> bottom = {{0, 418, 640, 450}, {0, 386, 640, 418}};  // middles 434 and 402
    const std::vector<RECT> left = {{0, 82, 38, 450}};                          // middle 19
    const std::vector<RECT> right = {{602, 82, 640, 450}};                      // middle 621
    const LandingCase cases[] = {
        {"above every top row", CBRS_ALIGN_TOP, top, {100, 40, 400, 72}, 0},
        {"top edge on the first row's middle", CBRS_ALIGN_TOP, top, {100, 66, 400, 98}, 0},
        {"top edge a pixel past it", CBRS_ALIGN_TOP, top, {100, 67, 400, 99}, 1},
        {"top edge on the second row's middle", CBRS_ALIGN_TOP, top, {100, 98, 400, 130}, 1},
        {"below every top row", CBRS_ALIGN_TOP, top, {100, 99, 400, 131}, 2},
        {"no rows yet", CBRS_ALIGN_TOP, {}, {100, 300, 400, 332}, 0},
        {"below every bottom row", CBRS_ALIGN_BOTTOM, bottom, {100, 428, 400, 460}, 0},
        {"bottom edge on the first row's middle", CBRS_ALIGN_BOTTOM, bottom, {100, 402, 400, 434}, 0},
        {"bottom edge a pixel above it", CBRS_ALIGN_BOTTOM, bottom, {100, 401, 400, 433}, 1},
        {"above every bottom row", CBRS_ALIGN_BOTTOM, bottom, {100, 369, 400, 401}, 2},
        {"left of the left column", CBRS_ALIGN_LEFT, left, {-5, 100, 33, 250}, 0},
        {"inside the left column", CBRS_ALIGN_LEFT, left, {20, 100, 58, 250}, 1},
        {"right of the right column", CBRS_ALIGN_RIGHT, right, {612, 100, 650, 250}, 0},
        {"inside the right column", CBRS_ALIGN_RIGHT, right, {582, 100, 620, 250}, 1},
    };
    for (const LandingCase& c : cases)
        EXPECT_EQ(dock::LandingRow(c.side, c.drop, c.rows), c.row) << c.what;
}

TEST(DockGeometry, StylesDocksAndDrags)
{
    const struct {
        DWORD style, side, expected;
    } styles[] = {
        {CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS, CBRS_ALIGN_LEFT, CBRS_LEFT | CBRS_GRIPPER | CBRS_TOOLTIPS},
        {CBRS_TOP, CBRS_ALIGN_BOTTOM, CBRS_BOTTOM},
        {CBRS_LEFT, CBRS_ALIGN_RIGHT, CBRS_RIGHT},
        {CBRS_RIGHT | CBRS_SIZE_DYNAMIC, CBRS_ALIGN_TOP, CBRS_TOP | CBRS_SIZE_DYNAMIC},
        {CBRS_ALIGN_TOP, CBRS_ALIGN_RIGHT, CBRS_ALIGN_RIGHT},  // no borders stay none
        {CBRS_TOP | CBRS_GRIPPER, 0, CBRS_TOP | CBRS_GRIPPER},  // not a side: as it was
    };
    for (const auto& s : styles)
        EXPECT_EQ(dock::StyleDockedAt(s.style, s.side), s.expected) << std::hex << s.style << " at " << s.side;
    EXPECT_EQ(dock::SideIndex(CBRS_ALIGN_RIGHT), 3);
    EXPECT_EQ(dock::SideIndex(CBRS_ALIGN_TOP | CBRS_ALIGN_LEFT), -1);

    // A 4 x 4 box around the press: two pixels off is still a click.
    const struct {
        POINT now;
        bool drag;
    } moves[] = {{{102, 100}, false}, {{103, 100}, true}, {{100, 97}, true}, {{98, 102}, false}, {{100, 100}, false}};
    for (const auto& m : moves)
        EXPECT_EQ(dock::PastDragThreshold({100, 100}, m.now, {4, 4}), m.drag) << m.now.x << ", " << m.now.y;
}

}  // namespace
