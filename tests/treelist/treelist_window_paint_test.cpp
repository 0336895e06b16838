// Painting: into a memory DC through WM_PAINT's wParam, and a screenshot of
// a populated control with columns, check boxes and colours.
#include <gtest/gtest.h>

#include "tests/treelist/treelist_window_fixture.h"
#include "tests/winharness/screenshot.h"

namespace treelist_window_test {
namespace {

// The screenshot's 0x00RRGGBB for a COLORREF.
uint32_t Pixel(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }

// WM_PAINT with a memory device context in wParam.
winharness::Screenshot PaintToMemory(const Fixture& f)
{
    RECT client = {};
    GetClientRect(f.tl, &client);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT all = {0, 0, client.right, client.bottom};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    f.Send(WM_PAINT, WPARAM(dc), 0);
    winharness::Screenshot shot;
    winharness::CaptureDC(dc, 0, 0, client.right, client.bottom, &shot);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return shot;
}

int Middle(const RECT& r) { return (r.top + r.bottom) / 2; }

TEST(TreeListPaint, ColourSlotsAndItemColoursReachThePixels)
{
    Fixture f(kTreeStyle | TVS_CHECKBOXES);
    f.Columns({{150, "Name"}, {100, "Wert"}});
    const uint32_t a = f.Insert(0, "alpha"), b = f.Insert(0, "beta"), c = f.Insert(0, "gamma");
    f.SetText(a, "eins", 1);
    const COLORREF back = RGB(10, 20, 30), own = RGB(200, 100, 50), cell = RGB(50, 60, 200);
    f.Send(TVM_SETBKCOLOR, 0, back);
    f.Send(TLM_SETITEMBKCOLOR, b, own);
    f.Send(TLM_SETITEMBKCOLOR, c | (1u << 24), cell);
    winharness::Screenshot shot = PaintToMemory(f);
    ASSERT_GT(shot.width, 0);
    EXPECT_EQ(shot.At(50, 190), Pixel(back));                       // below the rows
    EXPECT_EQ(shot.At(148, Middle(f.ItemRect(b))), Pixel(own));     // the item's own background
    EXPECT_EQ(shot.At(240, Middle(f.ItemRect(c))), Pixel(cell));    // the cell's own background
    EXPECT_EQ(shot.At(240, Middle(f.ItemRect(a))), Pixel(back));

    // Selection: the highlight with the focus, slot 9 without it.
    f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(a));
    const RECT text = f.ItemRect(a, true);
    SetFocus(f.parent.Handle());
    shot = PaintToMemory(f);
    EXPECT_EQ(shot.At(text.left + 1, text.top + 1), Pixel(COLORREF(f.Send(TVM_GETBKCOLOR, 9))));
    SetFocus(f.tl);
    shot = PaintToMemory(f);
    EXPECT_EQ(shot.At(text.left + 1, text.top + 1), Pixel(GetSysColor(COLOR_HIGHLIGHT)));

    // The drop highlight (slot 17) and a disabled control (slot 15).
    f.Send(TLM_SETDROPTARGET, 0, LPARAM(c));
    shot = PaintToMemory(f);
    EXPECT_EQ(shot.At(148, Middle(f.ItemRect(c))), Pixel(COLORREF(f.Send(TVM_GETBKCOLOR, 17))));
    f.Send(TLM_SETDROPTARGET, 0, 0);
    EnableWindow(f.tl, FALSE);
    shot = PaintToMemory(f);
    EXPECT_EQ(shot.At(50, 190), Pixel(COLORREF(f.Send(TVM_GETBKCOLOR, 15))));
}

TEST(TreeListPaint, CheckBoxesShowTheirState)
{
    Fixture f(kTreeStyle | TVS_CHECKBOXES);
    const uint32_t a = f.Insert(0, "eins"), b = f.Insert(0, "zwei");
    f.SetState(b, INDEXTOSTATEIMAGEMASK(2), TVIS_STATEIMAGEMASK);
    const winharness::Screenshot shot = PaintToMemory(f);
    const RECT ta = f.ItemRect(a, true), tb = f.ItemRect(b, true);
    const int boxLeft = ta.left - f.Data().stateImageCx;
    int differing = 0;
    for (int dy = 0; dy < f.Data().itemHeight; ++dy)
        for (int dx = 0; dx < f.Data().stateImageCx; ++dx)
            differing += shot.At(boxLeft + dx, ta.top + dy) != shot.At(boxLeft + dx, tb.top + dy);
    EXPECT_GT(differing, 4) << "the checked box shows a mark";
}

TEST(TreeListPaint, PaintingStoresTheMeasuredWidths)
{
    Fixture f;
    f.Columns({{150, "Name"}, {100, "Wert"}});
    const uint32_t a = f.Insert(0, "breiter Text");
    f.SetText(a, "Zelle", 1);
    EXPECT_EQ(f.Data().items[a]->textWidth, 0);
    PaintToMemory(f);
    EXPECT_EQ(f.Data().items[a]->textWidth, f.Window().MeasureText("breiter Text", 12, false));
    EXPECT_EQ(f.Data().cells[1][a]->textWidth, f.Window().MeasureText("Zelle", 5, false));
    // The hit test finds the text where it is painted.
    TVHITTESTINFO hit = {};
    const RECT text = f.ItemRect(a, true);
    hit.pt = POINT{text.left + f.Data().items[a]->textWidth - 1, Middle(text)};
    EXPECT_EQ(TreeListHandleOf(reinterpret_cast<HTREEITEM>(f.SendRecord(TVM_HITTEST, 0, &hit))), a);
    EXPECT_NE(hit.flags & TVHT_ONITEMLABEL, 0u);
}

TEST(TreeListPaint, GridLinesAndTheDropStrip)
{
    Fixture f;
    f.Columns({{120, "Name"}, {100, "Wert"}});
    const uint32_t a = f.Insert(0, "eins");
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_GRIDLINES, TLS_EX_GRIDLINES);
    winharness::Screenshot shot = PaintToMemory(f);
    const RECT row = f.ItemRect(a);
    EXPECT_EQ(shot.At(60, row.bottom - 1), Pixel(COLORREF(f.Send(TVM_GETBKCOLOR, 6))));
    f.Send(TLM_SETDROPTARGET, 0, LPARAM(kTreeListLast));
    shot = PaintToMemory(f);
    EXPECT_EQ(shot.At(60, row.bottom + 1), Pixel(COLORREF(f.Send(TVM_GETBKCOLOR, 10))));
}

// Two 16 x 16 icons: a yellow folder square and a blue file square.
HIMAGELIST Icons()
{
    const HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 16);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT all = {0, 0, 32, 16}, folder = {1, 3, 15, 14}, file = {19, 1, 29, 15};
    const HBRUSH white = CreateSolidBrush(RGB(255, 0, 255)), yellow = CreateSolidBrush(RGB(230, 190, 60)),
                 blue = CreateSolidBrush(RGB(70, 110, 200));
    FillRect(dc, &all, white);
    FillRect(dc, &folder, yellow);
    FillRect(dc, &file, blue);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
    for (HBRUSH b : {white, yellow, blue})
        DeleteObject(b);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return list;
}

// The list's paint leaves the header alone (its divider stays in the
// strip), whether the scroll-bar timer or a repaint of the list without its
// children asked for it; the style does not clip children.
TEST(TreeListPaint, HeaderStaysDrawn)
{
    Fixture f;
    f.Columns({{150, "Name"}, {100, "Typ"}});
    for (int i = 0; i < 30; ++i)
        f.Insert(0, "Eintrag");
    const int x = f.Data().columnEdges[1] - 1, y = f.Data().headerHeight / 2;
    const uint32_t background = Pixel(COLORREF(f.Send(TVM_GETBKCOLOR, 0)));
    winharness::PumpUntilIdle(500);  // the bar timer has run
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(f.tl, &shot));
    EXPECT_NE(shot.At(x, y), background);
    RedrawWindow(f.tl, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
    ASSERT_TRUE(winharness::CaptureWindow(f.tl, &shot));
    EXPECT_NE(shot.At(x, y), background);
}

// The scroll-bar timer after a burst of inserts draws the bars only: rows
// repaint where they changed, so a missed invalidation is not hidden by a
// whole repaint a moment later.
TEST(TreeListPaint, TheBarTimerLeavesTheRowsAlone)
{
    Fixture f;
    for (int i = 0; i < 40; ++i)
        f.Insert(0, "Eintrag");
    winharness::PumpUntilIdle(500);  // the bar has come, with the layout it takes
    for (int i = 0; i < 5; ++i)
        f.Insert(0, "Eintrag");
    ASSERT_TRUE(f.Window().barTimer);
    winharness::PumpUntil([&] { return GetQueueStatus(QS_POSTMESSAGE | QS_PAINT) == 0; }, 500);
    // A mark the rows' painting would cover.
    const HDC dc = GetDC(f.tl);
    const RECT mark = {100, 60, 110, 70};
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &mark, red);
    DeleteObject(red);
    ReleaseDC(f.tl, dc);
    ASSERT_TRUE(winharness::PumpUntil([&] { return !f.Window().barTimer; }, 2000));
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(f.tl, &shot));
    EXPECT_EQ(shot.At(105, 65), Pixel(RGB(255, 0, 0)));
}

TEST(TreeListPaint, ScreenshotOfAPopulatedControl)
{
    Fixture f(kTreeStyle | TVS_CHECKBOXES | TVS_FULLROWSELECT, 420, 260);
    f.Send(TVM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Icons()));
    f.InsertColumn(0, 190, "Name");
    f.InsertColumn(1, 80, "Größe", LVCF_FMT, 1);
    f.InsertColumn(2, 120, "Typ");
    const char* names[] = {"Ordner A", "Datei 1.txt", "Datei 2.png", "Unterordner mit langem Namen", "Ordner B",
                           "Bild.jpg"};
    uint32_t items[6] = {}, folder = 0;
    for (int i = 0; i < 6; ++i) {
        const bool top = i == 0 || i == 4;
        TVINSERTSTRUCTA insert = {};
        insert.hParent = top ? TVI_ROOT : TreeListHtreeOf(folder);
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = const_cast<char*>(names[i]);
        insert.item.iImage = insert.item.iSelectedImage = top || i == 3 ? 0 : 1;
        items[i] = uint32_t(f.SendRecord(TVM_INSERTITEMA, 0, &insert));
        if (top)
            folder = items[i];
        f.SetText(items[i], top ? "" : "12 KB", 1);
        f.SetText(items[i], top || i == 3 ? "Dateiordner" : "Datei", 2);
    }
    f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(items[0]));
    f.Send(TVM_EXPAND, TVE_EXPAND, LPARAM(items[4]));
    f.SetState(items[1], INDEXTOSTATEIMAGEMASK(2), TVIS_STATEIMAGEMASK);
    f.SetState(items[4], TVIS_BOLD, TVIS_BOLD);
    f.Send(TLM_SETITEMTEXTCOLOR, items[5] | (2u << 24), RGB(200, 0, 0));
    f.Send(TLM_SETITEMBKCOLOR, items[4] | (1u << 24), RGB(255, 240, 200));
    f.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(items[2]));
    SetFocus(f.tl);
    winharness::PumpUntilIdle(500);
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(f.parent.Handle(), &shot));
    // The painted colours are where the records say.
    const RECT bold = f.ItemRect(items[4]);
    EXPECT_EQ(shot.At(230, (bold.top + bold.bottom) / 2), Pixel(RGB(255, 240, 200)));
    std::string error;
    EXPECT_TRUE(winharness::SavePicture(shot, "treelist_populated.png", &error)) << error;
}

}  // namespace
}  // namespace treelist_window_test
