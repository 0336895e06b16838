// The canvas window's arithmetic, on both builds.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"
#include "ui/canvas/bitmap_wnd_logic.h"

namespace {

using namespace canvas;

TEST(ClampScrollAxisTest, PlacesThePosition)
{
    const struct {
        int requested, picture, client;
        bool center, pin;
        int expected;
    } cases[] = {
        // A 500-wide picture in a 600-wide client is centred at -50; odd differences round toward zero.
        {0, 500, 600, true, false, -50}, {100, 500, 600, true, false, -50}, {-80, 500, 600, true, true, -50},
        {0, 501, 600, true, false, -49},
        // Neither centred nor pinned: placed where asked, within [-100, 0]; pinned: always 0.
        {-30, 500, 600, false, false, -30}, {-200, 500, 600, false, false, -100}, {10, 500, 600, false, false, 0},
        {-30, 500, 600, false, true, 0},
        // Larger pictures scroll within [0, picture - client]; an unknown client gives the whole extent.
        {-5, 1000, 300, false, false, 0}, {350, 1000, 300, true, false, 350}, {800, 1000, 300, false, false, 700},
        {5, 300, 300, true, false, 0}, {20000, 1000, 0, false, false, 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampScrollAxis(c.requested, c.picture, c.client, c.center, c.pin), c.expected)
            << c.requested << " " << c.picture << " " << c.client << " " << c.center << c.pin;
}

TEST(ScrollRequestTest, MovesByLinesPagesAndThumb)
{
    struct Case {
        unsigned code;
        bool moves;
        int target;
    };
    const Case cases[] = {
        {kScrollLineBack, true, 100 - 32}, {kScrollLineForward, true, 100 + 32}, {kScrollPageBack, true, 100 - 250},
        {kScrollPageForward, true, 100 + 250}, {kScrollThumbPosition, true, 777}, {kScrollThumbTrack, true, 777},
        {6, false, 0}, {7, false, 0}, {8, false, 0},
    };
    for (const Case& c : cases) {
        int target = -1;
        EXPECT_EQ(ScrollRequest(c.code, 100, 250, 777, &target), c.moves) << c.code;
        if (c.moves) {
            EXPECT_EQ(target, c.target) << c.code;
        }
    }
    // A line to the right stops at picture width - client width.
    int target = 0;
    ASSERT_TRUE(ScrollRequest(kScrollLineForward, 0, 980, 0, &target));
    EXPECT_EQ(ClampScrollAxis(target, 1000, 980, false, false), 20);
}

// One comparable form per kind of result.
std::vector<int> Fields(const ScrollBarState& b) { return {b.minimum, b.maximum, b.page, b.position}; }
std::vector<int> Fields(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

TEST(ComputeScrollBarTest, ShowsRangePageAndPosition)
{
    const struct {
        int picture, client, position;
        bool center;
        ScrollBarState expected;
    } cases[] = {
        {1000, 300, 100, false, {0, 1000, 300, 100}}, {1000, 300, 900, false, {0, 1000, 300, 700}},
        {1000, 300, -20, true, {0, 1000, 300, 0}},
        {500, 600, 0, true, {-50, -50, 0, -50}},  // centred small picture: an empty range at the offset
        // Not centred: a full page, one more so nothing scrolls.
        {500, 600, -30, false, {0, 500, 501, 0}}, {300, 300, 0, false, {0, 300, 301, 0}},
        {0, 300, 0, false, {0, 0, 1, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(ComputeScrollBar(c.picture, c.client, c.position, c.center)), Fields(c.expected)) << c.picture;
}

TEST(EnsureVisibleAxisTest, ScrollsJustEnough)
{
    struct Case {
        int scroll, x, extent, client, expected;
    };
    const Case cases[] = {
        {0, 50, 10, 100, 0},    // already inside
        {0, 95, 10, 100, 6},    // past the right edge
        {0, 90, 10, 100, 1},    // touching the edge counts as past it
        {50, 20, 10, 100, 20},  // before the left edge
        {0, 300, 500, 100, 300},  // larger than the client: its start wins
        {40, 10, -5, 100, 40},  // negative extent: unchanged
        {40, 500, 5, 0, 40},    // unknown client: unchanged
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnsureVisibleAxis(c.scroll, c.x, c.extent, c.client), c.expected)
            << c.scroll << " " << c.x << " " << c.extent << " " << c.client;
}

TEST(PictureToClientRectTest, SubtractsTheScrollAndOrdersNegativeSides)
{
    const struct {
        int x, y, width, height;
        POINT scroll;
        RECT expected;
    } cases[] = {
        {100, 100, -10, 5, {0, 0}, {90, 100, 100, 105}}, {110, 70, 20, 30, {100, 50}, {10, 20, 30, 50}},
        {10, 10, 5, -8, {-50, 0}, {60, 2, 65, 10}},      {0, 0, 0, 0, {3, 4}, {-3, -4, -3, -4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(PictureToClientRect(c.x, c.y, c.width, c.height, c.scroll)), Fields(c.expected));
}

TEST(PlanPaintTest, CopiesWhatThePaintRectangleNeedsAndBandsTheRest)
{
    const struct {
        const char* what;
        SIZE client, picture;
        POINT scroll;
        RECT paint;
        bool copies;
        RECT target;
        POINT source;
        std::vector<RECT> bands;
    } cases[] = {
        // 500 x 400 in 600 x 300, centred: x -50, y 0.
        {"centred", {600, 300}, {500, 400}, {-50, 0}, {0, 0, 600, 300}, true, {50, 0, 550, 300}, {0, 0},
         {{0, 0, 50, 300}, {550, 0, 600, 300}}},
        {"inside", {600, 300}, {2000, 2000}, {30, 20}, {100, 100, 200, 150}, true, {100, 100, 200, 150}, {130, 120},
         {}},
        {"corner", {600, 300}, {500, 400}, {-50, 0}, {0, 0, 60, 10}, true, {50, 0, 60, 10}, {0, 0}, {{0, 0, 50, 10}}},
        {"margin", {600, 300}, {500, 400}, {-50, 0}, {560, 10, 590, 20}, false, {}, {}, {{560, 10, 590, 20}}},
        {"scrolled past the picture", {100, 100}, {50, 50}, {60, 0}, {0, 0, 100, 100}, false, {}, {},
         {{0, 0, 100, 100}}},
    };
    EXPECT_EQ(ClampScrollAxis(0, 500, 600, true, false), -50);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PaintPlan plan = PlanPaint(c.client, c.picture, c.scroll, c.paint);
        ASSERT_EQ(plan.copies, c.copies);
        if (c.copies) {
            EXPECT_EQ(Fields(plan.target), Fields(c.target));
            EXPECT_EQ(std::make_pair(plan.source.x, plan.source.y), std::make_pair(c.source.x, c.source.y));
        }
        ASSERT_EQ(plan.bandCount, int(c.bands.size()));
        for (size_t i = 0; i < c.bands.size(); ++i)
            EXPECT_EQ(Fields(plan.bands[i]), Fields(c.bands[i])) << i;
    }
}

// Every pixel of the paint rectangle is painted exactly once, by the copy or
// by one band, and the copy reads inside the picture.
TEST(PlanPaintTest, CoversThePaintRectangleExactlyOnce)
{
    lindar_test::Rng rng(141);
    for (int round = 0; round < 400; ++round) {
        const SIZE client = {rng.Range(1, 40), rng.Range(1, 40)};
        const SIZE picture = {rng.Range(1, 60), rng.Range(1, 60)};
        const POINT scroll = {rng.Range(-50, 70), rng.Range(-50, 70)};
        RECT paint;
        paint.left = rng.Range(0, client.cx - 1);
        paint.top = rng.Range(0, client.cy - 1);
        paint.right = rng.Range(paint.left + 1, client.cx);
        paint.bottom = rng.Range(paint.top + 1, client.cy);
        const PaintPlan plan = PlanPaint(client, picture, scroll, paint);
        std::vector<int> hits(size_t(client.cx * client.cy), 0);
        const auto mark = [&](const RECT& r) {
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    ++hits[size_t(y * client.cx + x)];
        };
        if (plan.copies) {
            mark(plan.target);
            EXPECT_GE(plan.source.x, 0);
            EXPECT_GE(plan.source.y, 0);
            EXPECT_LE(plan.source.x + (plan.target.right - plan.target.left), picture.cx);
            EXPECT_LE(plan.source.y + (plan.target.bottom - plan.target.top), picture.cy);
            // The copy shows picture point (client + scroll).
            EXPECT_EQ(plan.source.x, plan.target.left + scroll.x);
            EXPECT_EQ(plan.source.y, plan.target.top + scroll.y);
        }
        for (int i = 0; i < plan.bandCount; ++i)
            mark(plan.bands[i]);
        for (int y = 0; y < client.cy; ++y)
            for (int x = 0; x < client.cx; ++x) {
                const bool inPaint = x >= paint.left && x < paint.right && y >= paint.top && y < paint.bottom;
                ASSERT_EQ(hits[size_t(y * client.cx + x)], inPaint ? 1 : 0) << "round " << round << " at " << x << ","
                                                                          << y;
            }
    }
}

TEST(BufferSizeTest, FollowsTheClientWithinLimits)
{
    const SIZE minimum = {100, 50}, maximum = {1000, 800};
    const struct {
        int cx, cy;
        bool fixed;
        SIZE expected;
    } cases[] = {
        {400, 300, false, {400, 300}}, {20, 10, false, {100, 50}}, {5000, 900, false, {1000, 800}},
        {400, 300, true, {100, 50}},   {0, 0, false, {100, 50}},
    };
    for (const auto& c : cases) {
        const SIZE size = BufferSizeForClient(c.cx, c.cy, minimum, maximum, c.fixed);
        EXPECT_EQ(std::make_pair(size.cx, size.cy), std::make_pair(c.expected.cx, c.expected.cy)) << c.cx;
    }
    // Without a minimum a zero client gives a zero size (no buffer is made).
    EXPECT_EQ(BufferSizeForClient(0, 10, {0, 0}, maximum, false).cx, 0);
    for (const auto& [side, valid] : {std::pair{0, false}, {1, true}, {16000, true}, {16001, false}, {-5, false}})
        EXPECT_EQ(ValidBufferSide(side), valid) << side;
}

TEST(BufferFormatTest, FillValueDepthAndHeader)
{
    const COLORREF background = RGB(0x11, 0x22, 0x33);
    for (const auto& [bits, fill] : {std::pair{8u, 15u}, {4u, 15u}, {2u, 3u}, {1u, 1u}, {15u, 0x112233u},
                                     {16u, 0x112233u}, {24u, 0x112233u}, {32u, 0x112233u}})
        EXPECT_EQ(BufferFillValue(bits, background), fill) << bits;
    for (const auto& [screen, depth] : {std::pair{16, 16u}, {15, 15u}, {8, 8u}, {12, 32u}, {0, 32u}})
        EXPECT_EQ(BufferDepthForScreen(screen), depth) << screen;

    const struct {
        uint32_t bits;
        WORD bitCount;
        DWORD compression, colours;
        uint32_t masks[3];
    } cases[] = {
        {16, 16, BI_BITFIELDS, 0, {0xF800, 0x07E0, 0x001F}}, {15, 16, BI_BITFIELDS, 0, {0x7C00, 0x03E0, 0x001F}},
        {32, 32, BI_RGB, 0, {0, 0, 0}},   {24, 24, BI_RGB, 0, {0, 0, 0}},
        {8, 8, BI_RGB, 256, {0, 0, 0}},   {4, 4, BI_RGB, 16, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        BITMAPINFOHEADER header;
        uint32_t masks[3];
        MakeBufferHeader(c.bits, 640, 480, &header, masks);
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(std::make_pair(header.biWidth, header.biHeight), std::make_pair(LONG(640), LONG(480)))
            << "bottom-up";
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, c.bitCount);
        EXPECT_EQ(header.biCompression, c.compression);
        EXPECT_EQ(header.biClrUsed, c.colours);
        EXPECT_EQ(std::vector<uint32_t>(masks, masks + 3), std::vector<uint32_t>(c.masks, c.masks + 3));
    }
}

}  // namespace
