// The canvas window's painting and scrolling under Wine.
#include <vector>

#include "tests/canvas/canvas_test_support.h"

namespace {

using canvas_test::CanvasFixture;
using canvas_test::Fields;
using canvas_test::kBackgroundPixel;

constexpr uint32_t kPicturePixel = 0x00C08040;

TEST(CanvasPaintTest, CentresASmallPictureBetweenBackgroundBands)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(BWS_CENTER | BWS_FIXEDSIZE, 600, 300));
    ASSERT_TRUE(f.canvas->SetBufferSize(500, 400));
    f.canvas->m_pImage->FillRect(0, 0, 500, 400, kPicturePixel);
    f.canvas->SetScrollPosition(0, 0);
    EXPECT_EQ(Fields(f.canvas->m_ptScroll), Fields(POINT{-50, 0}));
    f.canvas->Invalidate(FALSE);

    const winharness::Screenshot shot = f.Shot();
    ASSERT_EQ(shot.width, 600);
    for (const auto& [x, expected] : {std::pair{0, kBackgroundPixel}, {49, kBackgroundPixel}, {50, kPicturePixel},
                                      {549, kPicturePixel}, {550, kBackgroundPixel}, {599, kBackgroundPixel}})
        for (int y : {0, 150, 299})
            EXPECT_EQ(shot.At(x, y), expected) << x << "," << y;
}

TEST(CanvasPaintTest, NewBufferIsFilledWithTheBackgroundAsAnImageColour)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(0, 64, 48));
    ASSERT_EQ(f.canvas->m_pImage->m_nWidth, 64u);
    ASSERT_EQ(f.canvas->m_pImage->m_nHeight, 48u);
    // COLORREF 0x00302010 becomes the pixel 0x00102030.
    EXPECT_EQ(canvas_test::PixelAt(*f.canvas->m_pImage, 10, 10), kBackgroundPixel);
    EXPECT_EQ(f.Shot().At(10, 10), kBackgroundPixel);
}

TEST(CanvasPaintTest, WithoutAPictureTheClientIsBlack)
{
    CanvasFixture f;
    // A fixed size of 0 makes no buffer.
    ASSERT_TRUE(f.Create(BWS_FIXEDSIZE, 40, 30));
    EXPECT_EQ(f.canvas->m_pImage->m_pBits, nullptr);
    const winharness::Screenshot shot = f.Shot();
    EXPECT_EQ(shot.At(0, 0), 0u);
    EXPECT_EQ(shot.At(39, 29), 0u);
}

struct PaintRecord {
    int calls = 0;
    RECT paint = {};
    POINT origin = {};
};

void RecordPaint(uintptr_t context, CDC* dc, PAINTSTRUCT* paint)
{
    PaintRecord* record = reinterpret_cast<PaintRecord*>(context);
    ++record->calls;
    record->paint = paint->rcPaint;
    record->origin = dc->GetWindowOrg();
    // Picture (110, 70) to (120, 80): a red square in picture coordinates.
    dc->FillSolidRect(RECT{110, 70, 120, 80}, RGB(255, 0, 0));
}

TEST(CanvasPaintTest, PaintCallbackDrawsInPictureCoordinatesWithinThePaintRectangle)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(BWS_FIXEDSIZE, 300, 200));
    ASSERT_TRUE(f.canvas->SetBufferSize(1000, 1000));
    f.PaintGradient();
    PaintRecord record;
    f.canvas->SetPaintProc(&RecordPaint, reinterpret_cast<uintptr_t>(&record));
    ASSERT_TRUE(f.canvas->ScrollTo(100, 50, true));
    EXPECT_GE(record.calls, 1);
    EXPECT_EQ(Fields(record.origin), Fields(POINT{100, 50}));

    winharness::Screenshot shot = f.Shot();
    EXPECT_EQ(shot.At(10, 20), 0xFF0000u) << "picture (110, 70) is client (10, 20)";
    EXPECT_EQ(shot.At(19, 29), 0xFF0000u);
    EXPECT_EQ(shot.At(20, 30), CanvasFixture::GradientPixel(120, 80));
    EXPECT_EQ(shot.At(0, 0), CanvasFixture::GradientPixel(100, 50));

    // Changed pixels outside an invalidated rectangle are not painted.
    f.canvas->m_pImage->FillRect(0, 0, 1000, 1000, kPicturePixel);
    record.calls = 0;
    f.canvas->InvalidateContent(150, 150, 20, 10, FALSE);
    f.canvas->UpdateWindow();
    EXPECT_EQ(record.calls, 1);
    EXPECT_EQ(Fields(record.paint), Fields(RECT{50, 100, 70, 110}));
    shot = f.Shot();
    EXPECT_EQ(shot.At(55, 105), kPicturePixel);
    EXPECT_EQ(shot.At(49, 105), CanvasFixture::GradientPixel(149, 155));
    EXPECT_EQ(shot.At(70, 105), CanvasFixture::GradientPixel(170, 155));
    EXPECT_EQ(shot.At(10, 20), 0xFF0000u) << "the callback's square was outside the paint";
}

struct ScrollFixture : CanvasFixture {
    // A 1000 x 250 picture, scrolled horizontally in a 600-wide client.
    void SetUp(DWORD extra = 0)
    {
        ASSERT_TRUE(Create(BWS_FIXEDSIZE | BWS_HSCROLL | extra, 600, 300));
        ASSERT_TRUE(canvas->SetBufferSize(1000, 250));
        PaintGradient();
        canvas->UpdateScrollBars();
        canvas->Invalidate(FALSE);
        winharness::PumpUntilIdle();
    }
    int HScroll(UINT code, UINT position = 0)
    {
        canvas->SendMessage(WM_HSCROLL, MAKEWPARAM(code, position), 0);
        return canvas->m_ptScroll.x;
    }
};

TEST(CanvasScrollTest, ScrollMessagesMoveByLinePageAndThumb)
{
    ScrollFixture f;
    f.SetUp();
    const int client = f.canvas->m_sizeClient.cx;
    ASSERT_EQ(client, 600);
    EXPECT_EQ(f.HScroll(SB_LINERIGHT), 32);
    EXPECT_EQ(f.HScroll(SB_LINELEFT), 0);
    EXPECT_EQ(f.HScroll(SB_LINELEFT), 0) << "stops at 0";
    EXPECT_EQ(f.HScroll(SB_PAGERIGHT), 400) << "a page is the client width, up to picture - client";
    EXPECT_EQ(f.HScroll(SB_PAGELEFT), 0);
    EXPECT_EQ(f.HScroll(SB_THUMBTRACK, 123), 123);
    EXPECT_EQ(f.HScroll(SB_THUMBPOSITION, 377), 377);
    EXPECT_EQ(f.HScroll(SB_ENDSCROLL), 377);
    for (int i = 0; i < 20; ++i)
        f.HScroll(SB_LINERIGHT);
    EXPECT_EQ(f.canvas->m_ptScroll.x, 400) << "stops at picture width - client width";
    EXPECT_EQ(GetScrollPos(f.canvas->m_hWnd, SB_HORZ), 400);
    EXPECT_EQ(f.Shot().At(0, 10), CanvasFixture::GradientPixel(400, 10)) << "the redraw shows the new position";

    // No vertical bar: vertical scroll messages are ignored.
    f.canvas->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(f.canvas->m_ptScroll.y, 0);
}

TEST(CanvasScrollTest, ScrollBarShowsRangePageAndPosition)
{
    ScrollFixture f;
    f.SetUp();
    f.canvas->ScrollTo(250, 0, false);
    f.canvas->UpdateScrollBars();
    EXPECT_EQ(Fields(canvas_test::ScrollInfo(f.canvas->m_hWnd, SB_HORZ)), (std::vector<int>{0, 1000, 600, 250}));
}

TEST(CanvasScrollTest, AlwaysFlagKeepsADisabledBar)
{
    for (const auto& [options, barShown] :
         {std::pair{DWORD(BWS_HSCROLL), false}, {DWORD(BWS_HSCROLL | BWS_HSCROLLALWAYS), true}}) {
        CanvasFixture f;
        ASSERT_TRUE(f.Create(BWS_FIXEDSIZE | options, 300, 200));
        ASSERT_TRUE(f.canvas->SetBufferSize(100, 100));
        f.canvas->UpdateScrollBars();
        winharness::PumpUntilIdle();
        EXPECT_EQ((GetWindowLongA(f.canvas->m_hWnd, GWL_STYLE) & WS_HSCROLL) != 0, barShown) << options;
    }
}

TEST(CanvasScrollTest, EnsureVisibleAndScrollToReportChanges)
{
    ScrollFixture f;
    f.SetUp();
    EXPECT_FALSE(f.canvas->EnsureVisible(10, 10, 20, 20));
    EXPECT_TRUE(f.canvas->EnsureVisible(700, 10, 50, 20));
    EXPECT_EQ(f.canvas->m_ptScroll.x, 700 + 50 - 600 + 1);
    EXPECT_TRUE(f.canvas->EnsureVisible(20, 10, 5, 5));
    EXPECT_EQ(f.canvas->m_ptScroll.x, 20);
    EXPECT_FALSE(f.canvas->ScrollTo(20, 0, true));
    EXPECT_TRUE(f.canvas->ScrollTo(-40, 0, false));
    EXPECT_EQ(f.canvas->m_ptScroll.x, 0);
}

TEST(CanvasScrollTest, InvalidationHelpersMapRectangles)
{
    ScrollFixture f;
    f.SetUp();
    const struct {
        int helper;  // 0 content, 1 client, 2 offset
        POINT scroll;
        RECT rect;  // x, y, width, height for 0 and 1; a RECT for 2
        RECT expected;
    } cases[] = {
        {0, {0, 0}, {100, 100, -10, 5}, {90, 100, 100, 105}}, {0, {100, 0}, {150, 20, 30, 40}, {50, 20, 80, 60}},
        {1, {100, 0}, {150, 20, -30, 40}, {120, 20, 150, 60}}, {2, {100, 0}, {10, 20, 30, 40}, {110, 20, 130, 40}},
    };
    for (const auto& c : cases) {
        f.canvas->ScrollTo(c.scroll.x, c.scroll.y, true);
        winharness::PumpUntilIdle();
        ValidateRect(f.canvas->m_hWnd, nullptr);
        if (c.helper == 0)
            f.canvas->InvalidateContent(c.rect.left, c.rect.top, c.rect.right, c.rect.bottom, FALSE);
        else if (c.helper == 1)
            f.canvas->InvalidateClientRect(c.rect.left, c.rect.top, c.rect.right, c.rect.bottom, FALSE);
        else
            f.canvas->InvalidateRectOffset(c.rect, FALSE);
        RECT update = {};
        GetUpdateRect(f.canvas->m_hWnd, &update, FALSE);
        EXPECT_EQ(Fields(update), Fields(c.expected)) << c.helper;
    }
}

}  // namespace
