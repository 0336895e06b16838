// The canvas window's arithmetic, on both builds.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"
#include "ui/canvas/canvas_geometry.h"

namespace {

using namespace canvas;

struct ClampCase {
    int requested, picture, client;
    bool center, pin;
    int expected;
};

class ClampScrollAxisTest : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ClampScrollAxisTest, PlacesThePosition)
{
    const ClampCase& c = GetParam();
    EXPECT_EQ(ClampScrollAxis(c.requested, c.picture, c.client, c.center, c.pin), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClampScrollAxisTest,
                         ::testing::Values(
                             // A 500-wide picture in a 600-wide client is centred at -50.
                             ClampCase{0, 500, 600, true, false, -50}, ClampCase{100, 500, 600, true, false, -50},
                             ClampCase{-80, 500, 600, true, true, -50},
                             // Odd differences round toward zero.
                             ClampCase{0, 501, 600, true, false, -49},
                             // Neither centred nor pinned: placed where asked, within [-100, 0].
                             ClampCase{-30, 500, 600, false, false, -30}, ClampCase{-200, 500, 600, false, false, -100},
                             ClampCase{10, 500, 600, false, false, 0},
                             // Pinned: always 0.
                             ClampCase{-30, 500, 600, false, true, 0},
                             // Larger pictures scroll within [0, picture - client].
                             ClampCase{-5, 1000, 300, false, false, 0}, ClampCase{350, 1000, 300, true, false, 350},
                             ClampCase{800, 1000, 300, false, false, 700}, ClampCase{5, 300, 300, true, false, 0},
                             // Unknown client size: the picture's whole extent.
                             ClampCase{20000, 1000, 0, false, false, 1000}));

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

struct BarCase {
    int picture, client, position;
    bool center;
    ScrollBarState expected;
};

class ComputeScrollBarTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(ComputeScrollBarTest, ShowsRangePageAndPosition)
{
    const BarCase& c = GetParam();
    const ScrollBarState bar = ComputeScrollBar(c.picture, c.client, c.position, c.center);
    EXPECT_EQ(bar.minimum, c.expected.minimum);
    EXPECT_EQ(bar.maximum, c.expected.maximum);
    EXPECT_EQ(bar.page, c.expected.page);
    EXPECT_EQ(bar.position, c.expected.position);
}

INSTANTIATE_TEST_SUITE_P(Cases, ComputeScrollBarTest,
                         ::testing::Values(BarCase{1000, 300, 100, false, {0, 1000, 300, 100}},
                                           BarCase{1000, 300, 900, false, {0, 1000, 300, 700}},
                                           BarCase{1000, 300, -20, true, {0, 1000, 300, 0}},
                                           // Centred small picture: an empty range at the centring offset.
                                           BarCase{500, 600, 0, true, {-50, -50, 0, -50}},
                                           // Not centred: a full page, one more so nothing scrolls.
                                           BarCase{500, 600, -30, false, {0, 500, 501, 0}},
                                           BarCase{300, 300, 0, false, {0, 300, 301, 0}},
                                           BarCase{0, 300, 0, false, {0, 0, 1, 0}}));

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
    struct Case {
        int x, y, width, height;
        POINT scroll;
        RECT expected;
    };
    const Case cases[] = {
        {100, 100, -10, 5, {0, 0}, {90, 100, 100, 105}},
        {110, 70, 20, 30, {100, 50}, {10, 20, 30, 50}},
        {10, 10, 5, -8, {-50, 0}, {60, 2, 65, 10}},
        {0, 0, 0, 0, {3, 4}, {-3, -4, -3, -4}},
    };
    for (const Case& c : cases) {
        const RECT r = PictureToClientRect(c.x, c.y, c.width, c.height, c.scroll);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(PlanPaintTest, CentredPictureWithBackgroundBands)
{
    // 500 x 400 in 600 x 300, centred: x -50, y 0.
    const POINT scroll = {ClampScrollAxis(0, 500, 600, true, false), ClampScrollAxis(0, 400, 300, true, false)};
    ASSERT_EQ(scroll.x, -50);
    ASSERT_EQ(scroll.y, 0);
    const PaintPlan plan = PlanPaint({600, 300}, {500, 400}, scroll, RECT{0, 0, 600, 300});
    ASSERT_TRUE(plan.copies);
    EXPECT_TRUE(SameRect(plan.target, RECT{50, 0, 550, 300}));
    EXPECT_EQ(plan.source.x, 0);
    EXPECT_EQ(plan.source.y, 0);
    ASSERT_EQ(plan.bandCount, 2);
    EXPECT_TRUE(SameRect(plan.bands[0], RECT{0, 0, 50, 300}));
    EXPECT_TRUE(SameRect(plan.bands[1], RECT{550, 0, 600, 300}));
}

TEST(PlanPaintTest, CopiesOnlyWhatThePaintRectangleNeeds)
{
    const PaintPlan inside = PlanPaint({600, 300}, {2000, 2000}, {30, 20}, RECT{100, 100, 200, 150});
    ASSERT_TRUE(inside.copies);
    EXPECT_TRUE(SameRect(inside.target, RECT{100, 100, 200, 150}));
    EXPECT_EQ(inside.source.x, 130);
    EXPECT_EQ(inside.source.y, 120);
    EXPECT_EQ(inside.bandCount, 0);

    const PaintPlan corner = PlanPaint({600, 300}, {500, 400}, {-50, 0}, RECT{0, 0, 60, 10});
    ASSERT_TRUE(corner.copies);
    EXPECT_TRUE(SameRect(corner.target, RECT{50, 0, 60, 10}));
    EXPECT_EQ(corner.source.x, 0);
    ASSERT_EQ(corner.bandCount, 1);
    EXPECT_TRUE(SameRect(corner.bands[0], RECT{0, 0, 50, 10}));

    const PaintPlan margin = PlanPaint({600, 300}, {500, 400}, {-50, 0}, RECT{560, 10, 590, 20});
    EXPECT_FALSE(margin.copies);
    ASSERT_EQ(margin.bandCount, 1);
    EXPECT_TRUE(SameRect(margin.bands[0], RECT{560, 10, 590, 20}));

    // Scrolled past the picture: all background.
    const PaintPlan past = PlanPaint({100, 100}, {50, 50}, {60, 0}, RECT{0, 0, 100, 100});
    EXPECT_FALSE(past.copies);
    ASSERT_EQ(past.bandCount, 1);
    EXPECT_TRUE(SameRect(past.bands[0], RECT{0, 0, 100, 100}));
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
    const SIZE minimum = {100, 50};
    const SIZE maximum = {1000, 800};
    struct Case {
        int cx, cy;
        bool fixed;
        SIZE expected;
    };
    const Case cases[] = {
        {400, 300, false, {400, 300}}, {20, 10, false, {100, 50}}, {5000, 900, false, {1000, 800}},
        {400, 300, true, {100, 50}},   {0, 0, false, {100, 50}},
    };
    for (const Case& c : cases) {
        const SIZE size = BufferSizeForClient(c.cx, c.cy, minimum, maximum, c.fixed);
        EXPECT_EQ(size.cx, c.expected.cx);
        EXPECT_EQ(size.cy, c.expected.cy);
    }
    // Without a minimum a zero client gives a zero size (no buffer is made).
    EXPECT_EQ(BufferSizeForClient(0, 10, {0, 0}, maximum, false).cx, 0);

    EXPECT_FALSE(ValidBufferSide(0));
    EXPECT_TRUE(ValidBufferSide(1));
    EXPECT_TRUE(ValidBufferSide(16000));
    EXPECT_FALSE(ValidBufferSide(16001));
    EXPECT_FALSE(ValidBufferSide(-5));
}

TEST(BufferFormatTest, FillValueDepthAndHeader)
{
    const COLORREF background = RGB(0x11, 0x22, 0x33);
    EXPECT_EQ(BufferFillValue(8, background), 15u);
    EXPECT_EQ(BufferFillValue(4, background), 15u);
    EXPECT_EQ(BufferFillValue(2, background), 3u);
    EXPECT_EQ(BufferFillValue(1, background), 1u);
    for (uint32_t bits : {15u, 16u, 24u, 32u})
        EXPECT_EQ(BufferFillValue(bits, background), 0x112233u) << bits;

    EXPECT_EQ(BufferDepthForScreen(16), 16u);
    EXPECT_EQ(BufferDepthForScreen(15), 15u);
    EXPECT_EQ(BufferDepthForScreen(8), 8u);
    EXPECT_EQ(BufferDepthForScreen(12), 32u);
    EXPECT_EQ(BufferDepthForScreen(0), 32u);

    struct Case {
        uint32_t bits;
        WORD bitCount;
        DWORD compression;
        DWORD colours;
        uint32_t masks[3];
    };
    const Case cases[] = {
        {16, 16, BI_BITFIELDS, 0, {0xF800, 0x07E0, 0x001F}}, {15, 16, BI_BITFIELDS, 0, {0x7C00, 0x03E0, 0x001F}},
        {32, 32, BI_RGB, 0, {0, 0, 0}},   {24, 24, BI_RGB, 0, {0, 0, 0}},
        {8, 8, BI_RGB, 256, {0, 0, 0}},   {4, 4, BI_RGB, 16, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        BITMAPINFOHEADER header;
        uint32_t masks[3];
        MakeBufferHeader(c.bits, 640, 480, &header, masks);
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header.biWidth, 640);
        EXPECT_EQ(header.biHeight, 480) << "bottom-up";
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, c.bitCount) << c.bits;
        EXPECT_EQ(header.biCompression, c.compression) << c.bits;
        EXPECT_EQ(header.biClrUsed, c.colours) << c.bits;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(masks[i], c.masks[i]) << c.bits;
    }
}

}  // namespace
