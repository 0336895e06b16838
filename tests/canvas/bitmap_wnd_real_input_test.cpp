// The canvas window driven by a real mouse: its scroll bars' arrows, trough
// and thumb, and the clicks, drags and wheel it passes to its owner.
#include <functional>
#include <string>
#include <vector>

#include "tests/canvas/canvas_test_support.h"
#include "tests/winharness/real_input.h"

namespace {

using canvas_test::CanvasFixture;
using canvas_test::Fields;
using winharness::RealInput;

constexpr int kPicture = 1000;
constexpr int kLine = 32;  // one arrow click

// What the owner's callback got, moves left out: message and picture point.
struct Forwarded {
    UINT message;
    int x, y;
    bool operator==(const Forwarded&) const = default;
};

void Record(uintptr_t context, UINT message, UINT keys, int x, int y)
{
    auto* log = reinterpret_cast<std::vector<Forwarded>*>(context);
    if (message == WM_MOUSEWHEEL)
        message |= keys & 0xFFFF0000;  // the delta rides in the high word
    if (message != WM_MOUSEMOVE || (keys & MK_LBUTTON))
        log->push_back(Forwarded{message, x, y});
}

// A canvas with both scroll bars over a 1000 x 1000 gradient.
struct RealInputCanvas : CanvasFixture {
    std::vector<Forwarded> forwarded;
    RealInput input;

    void SetUp()
    {
        ASSERT_TRUE(Create(BWS_FIXEDSIZE | BWS_HSCROLL | BWS_VSCROLL, 320, 240));
        ASSERT_TRUE(canvas->SetBufferSize(kPicture, kPicture));
        PaintGradient();
        canvas->SetMessageProc(&Record, reinterpret_cast<uintptr_t>(&forwarded));
        canvas->ScrollTo(0, 0, true);
        winharness::PumpUntilIdle();
    }
    HWND Wnd() const { return canvas->m_hWnd; }
    SIZE Client() const { return canvas->m_sizeClient; }
    // A scroll bar's parts in the canvas's client coordinates.
    struct Bar {
        RECT whole;      // the bar
        int arrow;       // length of an arrow button
        int thumbStart;  // the thumb's span along the bar, from whole's start
        int thumbEnd;
    };
    Bar BarOf(LONG object) const
    {
        SCROLLBARINFO info = {};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetScrollBarInfo(Wnd(), object, &info));
        Bar bar = {info.rcScrollBar, info.dxyLineButton, info.xyThumbTop, info.xyThumbBottom};
        MapWindowPoints(nullptr, Wnd(), reinterpret_cast<POINT*>(&bar.whole), 2);
        return bar;
    }
    // A point along a bar: at `along` from its start, in its middle across.
    POINT On(LONG object, int along) const
    {
        const Bar bar = BarOf(object);
        if (object == OBJID_VSCROLL)
            return POINT{(bar.whole.left + bar.whole.right) / 2, bar.whole.top + along};
        return POINT{bar.whole.left + along, (bar.whole.top + bar.whole.bottom) / 2};
    }
    int Length(LONG object) const
    {
        const RECT r = BarOf(object).whole;
        return object == OBJID_VSCROLL ? r.bottom - r.top : r.right - r.left;
    }
    POINT Thumb(LONG object) const
    {
        const Bar bar = BarOf(object);
        return On(object, (bar.thumbStart + bar.thumbEnd) / 2);
    }
    // Drags a bar's thumb to a point of the bar (a release far off the bar
    // would put the thumb back). The press starts the scroll bar's own loop,
    // which returns only with the release: the whole drag is queued first,
    // then handled.
    void DragThumb(LONG object, int toAlong)
    {
        RealInput queued(RealInput::Pump::kNo);
        queued.Drag(Wnd(), Thumb(object), On(object, toAlong));
        input.Drain();
    }
};

struct CanvasRow {
    const char* action;
    std::function<void(RealInputCanvas&)> act;
    // The scroll position after it; kEnd stands for picture - client,
    // kKept for the position before.
    POINT scroll;
    std::vector<Forwarded> forwarded;  // at client points (the owner gets them plus the scroll)
    // How far short of the position a thumb may stop: the bar turns the
    // thumb's pixel into a position with its own metrics and rounding
    // (Wine's vertical bar stops a few pixels short of its end).
    int slack = 0;
};

constexpr LONG kEnd = -1;
constexpr LONG kKept = -2;
constexpr int kThumbSlack = kPicture / 50;

LONG Resolve(LONG scroll, LONG client, LONG before)
{
    return scroll == kEnd ? kPicture - client : scroll == kKept ? before : scroll;
}

TEST(CanvasRealInputTest, ScrollBarsClicksDragsAndWheel)
{
    RealInputCanvas f;
    f.SetUp();
    const SIZE client = f.Client();
    ASSERT_GT(client.cx, 200);
    ASSERT_GT(client.cy, 150);
    const int wheelDown = int(WM_MOUSEWHEEL | uint32_t(uint16_t(-WHEEL_DELTA)) << 16);
    const CanvasRow rows[] = {
        {"down arrow",
         [](RealInputCanvas& c) { c.input.Click(c.Wnd(), c.On(OBJID_VSCROLL, c.Length(OBJID_VSCROLL) - 3)); },
         {0, kLine}, {}},
        {"right arrow, twice",
         [](RealInputCanvas& c) {
             const POINT arrow = c.On(OBJID_HSCROLL, c.Length(OBJID_HSCROLL) - 3);
             c.input.Click(c.Wnd(), arrow);
             c.input.Click(c.Wnd(), arrow);
         },
         {2 * kLine, kLine}, {}},
        {"up arrow", [](RealInputCanvas& c) { c.input.Click(c.Wnd(), c.On(OBJID_VSCROLL, 3)); }, {2 * kLine, 0}, {}},
        {"up arrow at the top stays", [](RealInputCanvas& c) { c.input.Click(c.Wnd(), c.On(OBJID_VSCROLL, 3)); },
         {2 * kLine, 0}, {}},
        {"trough below the thumb: a page",
         [](RealInputCanvas& c) {
             const RealInputCanvas::Bar bar = c.BarOf(OBJID_VSCROLL);
             c.input.Click(c.Wnd(), c.On(OBJID_VSCROLL, (bar.thumbEnd + c.Length(OBJID_VSCROLL) - bar.arrow) / 2));
         },
         {2 * kLine, client.cy}, {}},
        {"vertical thumb dragged to the end of its bar",
         [](RealInputCanvas& c) { c.DragThumb(OBJID_VSCROLL, c.Length(OBJID_VSCROLL) - 1); }, {2 * kLine, kEnd}, {},
         kThumbSlack},
        {"horizontal thumb dragged to the start of its bar",
         [](RealInputCanvas& c) { c.DragThumb(OBJID_HSCROLL, 0); }, {0, kKept}, {}},
        {"vertical thumb dragged back to the start",
         [](RealInputCanvas& c) { c.DragThumb(OBJID_VSCROLL, 0); }, {0, 0}, {}},
        {"horizontal thumb dragged to the end",
         [](RealInputCanvas& c) { c.DragThumb(OBJID_HSCROLL, c.Length(OBJID_HSCROLL) - 1); }, {kEnd, 0}, {},
         kThumbSlack},
        {"wheel: to the owner, no scroll", [](RealInputCanvas& c) { c.input.Wheel(c.Wnd(), {30, 40}, -1); },
         {kKept, kKept}, {{UINT(wheelDown), 30, 40}}},
        {"click", [](RealInputCanvas& c) { c.input.Click(c.Wnd(), {30, 40}); }, {kKept, kKept},
         {{WM_LBUTTONDOWN, 30, 40}, {WM_LBUTTONUP, 30, 40}}},
        {"double click", [](RealInputCanvas& c) { c.input.DoubleClick(c.Wnd(), {50, 60}); }, {kKept, kKept},
         {{WM_LBUTTONDOWN, 50, 60}, {WM_LBUTTONUP, 50, 60}, {WM_LBUTTONDBLCLK, 50, 60}, {WM_LBUTTONUP, 50, 60}}},
        {"right click", [](RealInputCanvas& c) { c.input.RightClick(c.Wnd(), {70, 20}); }, {kKept, kKept},
         {{WM_RBUTTONDOWN, 70, 20}, {WM_RBUTTONUP, 70, 20}}},
        {"drag", [](RealInputCanvas& c) { c.input.Drag(c.Wnd(), {10, 10}, {90, 50}, winharness::kNoModifier, 2); },
         {kKept, kKept},
         {{WM_LBUTTONDOWN, 10, 10}, {WM_MOUSEMOVE, 50, 30}, {WM_MOUSEMOVE, 90, 50}, {WM_LBUTTONUP, 90, 50}}},
    };
    for (const CanvasRow& row : rows) {
        SCOPED_TRACE(row.action);
        f.forwarded.clear();
        const POINT before = f.canvas->m_ptScroll;
        row.act(f);
        const POINT scroll = f.canvas->m_ptScroll;
        POINT expected = {Resolve(row.scroll.x, client.cx, before.x), Resolve(row.scroll.y, client.cy, before.y)};
        for (LONG POINT::*axis : {&POINT::x, &POINT::y})
            if (scroll.*axis < expected.*axis && scroll.*axis >= expected.*axis - row.slack)
                expected.*axis = scroll.*axis;  // short of the end by no more than the slack
        EXPECT_EQ(Fields(scroll), Fields(expected));
        EXPECT_EQ(GetScrollPos(f.Wnd(), SB_HORZ), scroll.x);
        EXPECT_EQ(GetScrollPos(f.Wnd(), SB_VERT), scroll.y);
        std::vector<Forwarded> expectedForwarded = row.forwarded;
        for (Forwarded& message : expectedForwarded) {
            message.x += scroll.x;
            message.y += scroll.y;
        }
        EXPECT_EQ(f.forwarded, expectedForwarded);
        // What shows is the picture at the new position, painted by the
        // scroll itself.
        winharness::Screenshot shot;
        ASSERT_TRUE(winharness::CaptureWindow(f.Wnd(), &shot));
        for (const POINT at : {POINT{0, 0}, POINT{client.cx / 2, client.cy / 3}, POINT{client.cx - 1, client.cy - 1}})
            EXPECT_EQ(shot.At(at.x, at.y), CanvasFixture::GradientPixel(at.x + scroll.x, at.y + scroll.y))
                << at.x << "," << at.y;
    }
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(f.parent.Handle(), &shot));
    EXPECT_TRUE(winharness::SavePicture(shot, "canvas_scrolled.png"));
}

}  // namespace
