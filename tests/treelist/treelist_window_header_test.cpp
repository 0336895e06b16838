// The header under Wine: columns against the header's own items, header
// notifications the control handles (tracking, dragging, divider double
// clicks) and those it forwards, TLM_SETCOLUMN and TLM_GETCOLUMN.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/treelist/treelist_window_fixture.h"

namespace treelist_window_test {
namespace {

HWND Header(const Fixture& f) { return reinterpret_cast<HWND>(f.Send(TLM_GETHEADER)); }

int HeaderWidth(const Fixture& f, int index)
{
    HDITEMA hd = {};
    hd.mask = HDI_WIDTH;
    SendMessageA(Header(f), HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&hd));
    return hd.cxy;
}

std::vector<int> HeaderOrder(const Fixture& f)
{
    const int n = int(SendMessageA(Header(f), HDM_GETITEMCOUNT, 0, 0));
    std::vector<int> order(size_t(n > 0 ? n : 0));
    if (n > 0)
        SendMessageA(Header(f), HDM_GETORDERARRAY, n, reinterpret_cast<LPARAM>(order.data()));
    return order;
}

// A header notification as the header would send it to the control.
LRESULT FromHeader(const Fixture& f, UINT code, int item, HDITEMA* pitem = nullptr)
{
    NMHEADERA nm = {};
    nm.hdr.hwndFrom = Header(f);
    nm.hdr.idFrom = kTreeListHeaderId;
    nm.hdr.code = code;
    nm.iItem = item;
    nm.pitem = pitem;
    return f.SendRecord(WM_NOTIFY, kTreeListHeaderId, &nm);
}

LRESULT Track(const Fixture& f, UINT code, int item, int width)
{
    HDITEMA hd = {};
    hd.mask = HDI_WIDTH;
    hd.cxy = width;
    return FromHeader(f, code, item, &hd);
}

TEST(TreeListWindowHeader, ColumnsFollowTheHeaderItems)
{
    Fixture f;
    EXPECT_EQ(Header(f), nullptr);
    EXPECT_EQ(f.InsertColumn(0, 100, "Name"), 0);
    ASSERT_NE(Header(f), nullptr);
    EXPECT_EQ(GetDlgCtrlID(Header(f)), kTreeListHeaderId);
    EXPECT_EQ(f.Data().headerHeight, GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(f.InsertColumn(1, 60, "Eins"), 1);
    EXPECT_EQ(f.InsertColumn(2, 70, "Zwei"), 2);
    EXPECT_EQ(f.InsertColumn(0, 80, "goes to 1"), 1);  // the tree column stays first
    EXPECT_EQ(SendMessageA(Header(f), HDM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(HeaderWidth(f, 1), 80);
    EXPECT_EQ(f.Send(TLM_GETCOLUMNWIDTH, 3), 70);
    EXPECT_EQ(f.Send(TLM_SETCOLUMNWIDTH, 3, 90), 1);
    EXPECT_EQ(HeaderWidth(f, 3), 90);
    EXPECT_EQ(f.Data().columns[3].width, 90);

    const uint32_t good[] = {0, 3, 1, 2}, bad[] = {1, 0, 2, 3};
    EXPECT_EQ(f.SendRecord(TLM_SETCOLUMNORDER, 4, bad), 0);
    EXPECT_EQ(f.SendRecord(TLM_SETCOLUMNORDER, 4, good), 1);
    EXPECT_EQ(HeaderOrder(f), (std::vector<int>{0, 3, 1, 2}));
    int read[4] = {};
    EXPECT_EQ(f.SendRecord(TLM_GETCOLUMNORDER, 4, read), 1);
    EXPECT_EQ(read[1], 3);

    EXPECT_EQ(f.Send(TLM_DELETECOLUMN, 0), 0);  // not while others exist
    EXPECT_EQ(f.Send(TLM_DELETECOLUMN, 1), 1);
    EXPECT_EQ(SendMessageA(Header(f), HDM_GETITEMCOUNT, 0, 0), 3);
    for (int c = 2; c >= 0; --c)
        EXPECT_EQ(f.Send(TLM_DELETECOLUMN, c), 1);
    EXPECT_EQ(Header(f), nullptr);
    EXPECT_EQ(f.Data().headerHeight, 0);
}

TEST(TreeListWindowHeader, NoHeaderStyleKeepsTheHeaderAtHeightZero)
{
    Fixture f;
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_NOHEADER, TLS_EX_NOHEADER);
    f.InsertColumn(0, 100);
    ASSERT_NE(Header(f), nullptr);
    EXPECT_EQ(f.Data().headerHeight, 0);
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_NOHEADER, 0);
    EXPECT_EQ(f.Data().headerHeight, GetSystemMetrics(SM_CYHSCROLL));
}

TEST(TreeListWindowHeader, ClicksOnTheHeaderReachTheParentAsTheControls)
{
    Fixture f;
    f.Columns({{100, "Name"}, {100, "Wert"}});
    f.Clear();
    const LPARAM at = MAKELPARAM(150, 5);
    SendMessageA(Header(f), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(Header(f), WM_LBUTTONUP, 0, at);
    winharness::PumpUntilIdle(300);
    const winharness::LoggedMessage* click = f.Find(int(HDN_ITEMCLICKA));
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(click->from, f.tl);
    EXPECT_EQ(click->id, kControlId);
    NMHEADERA nm;
    ASSERT_TRUE(click->Read(&nm));
    EXPECT_EQ(nm.iItem, 1);
}

TEST(TreeListWindowHeader, ColumnChangedNotification)
{
    Fixture f;
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_COLUMNNOTIFY, TLS_EX_COLUMNNOTIFY);
    f.InsertColumn(0, 100);
    f.Clear();
    f.InsertColumn(1, 60);
    ASSERT_EQ(f.Count(int(TLN_COLUMNCHANGED)), 1);
    NMTLCOLUMN nm;
    ASSERT_TRUE(f.Find(int(TLN_COLUMNCHANGED))->Read(&nm));
    EXPECT_EQ(nm.column, 1);
    EXPECT_EQ(nm.position, 1);
    EXPECT_EQ(nm.left, 99);  // the first column counts one pixel less
    EXPECT_EQ(nm.width, 60);
    f.Clear();
    EXPECT_EQ(Track(f, HDN_TRACKA, 1, 80), 0);
    ASSERT_EQ(f.Count(int(TLN_COLUMNCHANGED)), 1);
    ASSERT_TRUE(f.Find(int(TLN_COLUMNCHANGED))->Read(&nm));
    EXPECT_EQ(nm.width, 80);
    f.Clear();
    Track(f, HDN_ENDTRACKA, 1, 80);  // unchanged: no notification
    EXPECT_EQ(f.Count(int(TLN_COLUMNCHANGED)), 0);
}

TEST(TreeListWindowHeader, TrackingAppliesWidthsAndSharesTheRest)
{
    Fixture f(kTreeStyle, 300, 200);
    f.InsertColumn(0, 100);
    LVCOLUMNA lv = {};
    lv.mask = TLCF_WEIGHT;
    lv.cx = 1;
    f.SendRecord(TLM_INSERTCOLUMN, 1, &lv);  // proportional: the free width
    const int shared = f.Data().columns[1].width;
    EXPECT_GT(shared, 100);
    Track(f, HDN_TRACKA, 0, 130);
    EXPECT_EQ(f.Data().columns[0].width, 130);
    EXPECT_EQ(HeaderWidth(f, 0), 130);
    EXPECT_EQ(f.Data().columns[1].width, shared - 30);
    EXPECT_EQ(HeaderWidth(f, 1), shared - 30);
    // Below the minimum width the column stops at it.
    Track(f, HDN_TRACKA, 0, 3);
    EXPECT_EQ(f.Data().columns[0].width, 16);
    // A user's change of the header item counts as tracking.
    HDITEMA hd = {};
    hd.mask = HDI_WIDTH;
    hd.cxy = 120;
    SendMessageA(Header(f), HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&hd));
    EXPECT_EQ(f.Data().columns[0].width, 120);
}

TEST(TreeListWindowHeader, BeginTrackRefusalsAndTheOneRepost)
{
    Fixture f;
    f.InsertColumn(0, 100);
    LVCOLUMNA lv = {};
    lv.mask = TLCF_WEIGHT;
    lv.cx = 2;
    f.SendRecord(TLM_INSERTCOLUMN, 1, &lv);
    f.InsertColumn(2, 50);
    EXPECT_EQ(FromHeader(f, HDN_BEGINTRACKA, 1), 1);  // proportional
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_NOCOLUMNRESIZE, TLS_EX_NOCOLUMNRESIZE);
    EXPECT_EQ(FromHeader(f, HDN_BEGINTRACKA, 0), 1);
    EXPECT_EQ(FromHeader(f, HDN_DIVIDERDBLCLICKA, 0), 1);
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_NOCOLUMNRESIZE | TLS_EX_TRACKPROPORTIONAL, TLS_EX_TRACKPROPORTIONAL);
    EXPECT_EQ(FromHeader(f, HDN_BEGINTRACKA, 2), 1);  // nothing proportional right of it
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_TRACKPROPORTIONAL, 0);

    // A fixed column: the control re-posts the press once; the header's
    // next HDN_BEGINTRACK is let through, and no exchange follows.
    TreeListWindow& w = f.Window();
    EXPECT_EQ(FromHeader(f, HDN_BEGINTRACKA, 0), 1);
    EXPECT_TRUE(w.trackReposted);
    const int dispatched = winharness::PumpUntilIdle(1000);
    EXPECT_LT(dispatched, 50);
    EXPECT_FALSE(w.trackReposted);
    EXPECT_TRUE(w.columnTracking);
    EXPECT_EQ(w.trackColumn, 0);
    SendMessageA(Header(f), WM_LBUTTONUP, 0, MAKELPARAM(97, 5));
    winharness::PumpUntilIdle(300);
    EXPECT_FALSE(w.columnTracking);
}

TEST(TreeListWindowHeader, DividerDoubleClickTakesTheOptimalWidth)
{
    Fixture f;
    f.Columns({40, 40});
    const uint32_t h = f.Insert(0, "a rather long item text");
    f.SetText(h, "cell", 1);
    // Not painted yet: the double click measures what nothing measured.
    const char* text = "a rather long item text";
    const int expected0 = f.Window().MeasureText(text, int(std::strlen(text)), false) + 8 + 19;  // + lines at root
    EXPECT_GT(expected0, 40);
    EXPECT_EQ(FromHeader(f, HDN_DIVIDERDBLCLICKA, 0), 1);
    EXPECT_EQ(f.Data().columns[0].width, expected0);
    EXPECT_EQ(HeaderWidth(f, 0), expected0);
    FromHeader(f, HDN_DIVIDERDBLCLICKA, 1);
    EXPECT_EQ(f.Data().columns[1].width,
              std::max<int>(f.Data().columns[1].minWidth, f.Data().cells[1][h]->textWidth + 8));
}

TEST(TreeListWindowHeader, DraggingColumns)
{
    Fixture f;
    f.Columns({60, 60, 60});
    EXPECT_EQ(FromHeader(f, HDN_BEGINDRAG, 1), 1);  // not without extended style 0x1000
    f.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_DRAGCOLUMNS, TLS_EX_DRAGCOLUMNS);
    EXPECT_EQ(FromHeader(f, HDN_BEGINDRAG, 0), 1);  // never the tree column
    EXPECT_EQ(FromHeader(f, HDN_BEGINDRAG, 2), 0);
    // The header's new order is read once the drag is over.
    const int order[] = {0, 2, 1};
    SendMessageA(Header(f), HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
    HDITEMA hd = {};
    hd.mask = HDI_ORDER;
    hd.iOrder = 1;
    EXPECT_EQ(FromHeader(f, HDN_ENDDRAG, 2, &hd), 0);
    winharness::PumpUntilIdle(300);
    EXPECT_EQ(f.Data().columnOrder[1], 2);
    EXPECT_EQ(f.Data().columns[1].position, 2);
    hd.iOrder = 0;
    EXPECT_EQ(FromHeader(f, HDN_ENDDRAG, 2, &hd), 1);  // in front of the tree column: refused
}

TEST(TreeListWindowHeader, SetAndGetColumn)
{
    Fixture f;
    f.Columns({{100, "Name"}, {80, "Alt"}});
    LVCOLUMNA lv = {};
    lv.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    lv.pszText = const_cast<char*>("Neu");
    lv.cchTextMax = 3;
    lv.fmt = LVCFMT_RIGHT;
    lv.cx = 90;
    EXPECT_NE(f.SendRecord(TLM_SETCOLUMN, 1, &lv), 0);
    EXPECT_EQ(f.Data().columns[1].align, 2);
    EXPECT_EQ(f.Data().columns[1].width, 90);
    char text[32] = {};
    LVCOLUMNA get = {};
    get.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_ORDER;
    get.pszText = text;
    get.cchTextMax = sizeof(text);
    EXPECT_EQ(f.SendRecord(TLM_GETCOLUMN, 1, &get), 1);
    EXPECT_STREQ(text, "Neu");
    EXPECT_EQ(get.cx, 90);
    EXPECT_EQ(get.fmt & HDF_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_EQ(get.iOrder, -16);  // the default minimum, not given
    // The column's own width, the fill option and the two column options.
    lv = {};
    lv.mask = LVCF_WIDTH | TLCF_FILL | TLCF_OPTION1 | TLCF_OPTION2;
    lv.cx = 0x44332211;
    lv.fmt = int(TLCF_FILL | TLCF_OPTION1 | TLCF_OPTION2);
    EXPECT_NE(f.SendRecord(TLM_SETCOLUMN, 1, &lv), 0);
    EXPECT_EQ(f.Data().columns[1].width, 90);
    EXPECT_EQ(f.Data().columns[1].fillWeight, 90);
    EXPECT_EQ(f.Data().columns[1].option10000000, 1);
    EXPECT_EQ(f.Data().columns[1].option80000000, 1);
    EXPECT_EQ(f.Data().option10000000Count, 1u);
    get.mask = LVCF_FMT;
    f.SendRecord(TLM_GETCOLUMN, 1, &get);
    EXPECT_EQ(UINT(get.fmt) & (TLCF_FILL | TLCF_OPTION1 | TLCF_OPTION2), TLCF_FILL | TLCF_OPTION1 | TLCF_OPTION2);
    lv.fmt = 0;
    lv.mask = TLCF_FILL | TLCF_OPTION1;
    f.SendRecord(TLM_SETCOLUMN, 1, &lv);
    EXPECT_EQ(f.Data().columns[1].fillWeight, 0);
    EXPECT_EQ(f.Data().option10000000Count, 0u);
    // Bad columns and nothing to send.
    EXPECT_EQ(f.SendRecord(TLM_SETCOLUMN, 5, &lv), 0);
    lv.mask = 0;
    EXPECT_EQ(f.SendRecord(TLM_SETCOLUMN, 1, &lv), 1);
}

}  // namespace
}  // namespace treelist_window_test
