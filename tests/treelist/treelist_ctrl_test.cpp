// CTreeListCtrl end to end under Wine: what each operation sends (recorded
// by a spy in front of the control) and what the control then holds; and a
// worker thread that fills a control while the UI thread pumps.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "tests/treelist/treelist_window_fixture.h"
#include "ui/treelist/win32/treelist_ctrl.h"

namespace treelist_window_test {
namespace {

constexpr UINT kPlaceholderId = 500;
constexpr UINT kCtrlId = 501;

// The last message of each kind the control received, with a copy of its
// record.
struct Spy {
    static Spy* current;
    WNDPROC previous = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LVCOLUMNA column = {};
    TVITEMA item = {};
    TVINSERTSTRUCTA insert = {};
    LPARAM dataBehind = 0;
    TLFINDITEM find = {};
    std::string findText;

    static LRESULT CALLBACK Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        Spy& s = *current;
        if (message >= TV_FIRST && message <= TLM_GETHEADER && lParam) {
            s.message = message;
            s.wParam = wParam;
            switch (message) {
            case TLM_INSERTCOLUMN:
            case TLM_SETCOLUMN:
                s.column = *reinterpret_cast<const LVCOLUMNA*>(lParam);
                break;
            case TLM_SETITEMS:
            case TLM_COUNTITEMS:
            case TVM_SETITEMA:
            case TVM_GETITEMA:
                s.item = *reinterpret_cast<const TVITEMA*>(lParam);
                break;
            case TVM_INSERTITEMA:
                s.insert = *reinterpret_cast<const TVINSERTSTRUCTA*>(lParam);
                std::memcpy(&s.dataBehind,
                            reinterpret_cast<const char*>(&reinterpret_cast<const TVINSERTSTRUCTA*>(lParam)->item) +
                                sizeof(TVITEMA),
                            sizeof(LPARAM));
                break;
            case TLM_FINDITEM:
                s.find = *reinterpret_cast<const TLFINDITEM*>(lParam);
                s.findText = s.find.text ? s.find.text : "";
                break;
            default:
                break;
            }
        }
        return CallWindowProcA(s.previous, wnd, message, wParam, lParam);
    }
};
Spy* Spy::current = nullptr;

struct Wrapped {
    winharness::NotifyParent parent{400, 300};
    CTreeListCtrl ctl;
    Spy spy;
    Wrapped(DWORD style = kTreeStyle)
    {
        const RECT rect = {0, 0, 300, 200};
        EXPECT_TRUE(ctl.Create(0, style | WS_VISIBLE, rect, CWnd::FromHandle(parent.Handle()), kCtrlId));
        Spy::current = &spy;
        spy.previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(ctl.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Spy::Proc)));
    }
    ~Wrapped()
    {
        SetWindowLongPtrA(ctl.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spy.previous));
        Spy::current = nullptr;
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ctl.SendMessage(message, wParam, lParam); }
    std::string Text(uint32_t h, uint32_t column = 0)
    {
        char buffer[128] = {};
        TVITEMA tv = {};
        tv.mask = TVIF_TEXT | TVIF_SUBITEM;
        tv.hItem = TreeListHtreeOf(h);
        tv.cChildren = int(column);
        tv.pszText = buffer;
        tv.cchTextMax = sizeof(buffer);
        Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return buffer;
    }
    std::vector<std::string> RootTexts()
    {
        std::vector<std::string> texts;
        for (uint32_t h = uint32_t(Send(TVM_GETNEXTITEM, TVGN_ROOT)); h; h = uint32_t(Send(TVM_GETNEXTITEM, TVGN_NEXT, h)))
            texts.push_back(Text(h));
        return texts;
    }
};

int CALLBACK ByParameterSign(HWND, HTREEITEM, LPCSTR existing, LPCSTR added, LPARAM, LPARAM parameter)
{
    // parameter 1: ascending, -1: descending
    return int(parameter) * std::strcmp(added, existing);
}

TEST(TreeListCtrl, RuntimeClassAndCreation)
{
    Wrapped w;
    const CRuntimeClass* rc = w.ctl.GetRuntimeClass();
    EXPECT_STREQ(rc->m_lpszClassName, "CTreeListCtrl");
    EXPECT_EQ(rc->m_pBaseClass, &g_classCWnd);
    EXPECT_TRUE(rc->IsDerivedFrom(&g_classCWnd));
    EXPECT_FALSE(g_classCWnd.IsDerivedFrom(rc));
    char name[32] = {};
    GetClassNameA(w.ctl.m_hWnd, name, sizeof(name));
    EXPECT_STREQ(name, "TreeList");
    EXPECT_NE(w.ctl.GetStyle() & WS_CHILD, 0u);
    EXPECT_EQ(w.ctl.GetDlgCtrlID(), int(kCtrlId));
    EXPECT_EQ(CWnd::FromHandlePermanent(w.ctl.m_hWnd), &w.ctl);
}

TEST(TreeListCtrl, CreateOverControlTakesThePlaceholdersPlace)
{
    winharness::NotifyParent parent(400, 300);
    const HWND placeholder = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 20, 150, 90, parent.Handle(),
                                             reinterpret_cast<HMENU>(UINT_PTR(kPlaceholderId)), nullptr, nullptr);
    const HWND after = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent.Handle(), nullptr, nullptr, nullptr);
    (void)after;
    CTreeListCtrl ctl;
    EXPECT_EQ(ctl.CreateOverControl(0, kTreeStyle, 999, CWnd::FromHandle(parent.Handle()), kCtrlId), 0);
    EXPECT_EQ(ctl.m_hWnd, nullptr);
    EXPECT_EQ(ctl.CreateOverControl(0, kTreeStyle, kPlaceholderId, CWnd::FromHandle(parent.Handle()), kCtrlId), 1);
    RECT rect = {};
    GetWindowRect(ctl.m_hWnd, &rect);
    MapWindowPoints(nullptr, parent.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 160);
    EXPECT_EQ(rect.bottom, 110);
    EXPECT_EQ(GetWindow(placeholder, GW_HWNDNEXT), ctl.m_hWnd);
    EXPECT_TRUE(IsWindowVisible(ctl.m_hWnd));
    EXPECT_TRUE(IsWindow(placeholder));
}

TEST(TreeListCtrl, InsertColumnPacksItsArguments)
{
    Wrapped w;
    const struct {
        const char* name; const char* text; int align, width, minWidth; UINT mask; int cx, fmt, order;
    } cases[] = {
        {"weight", nullptr, CTreeListCtrl::kNoAlign, -3, CTreeListCtrl::kNoMinWidth, TLCF_WEIGHT, 3, 0, 0},
        {"width, text", "Name", CTreeListCtrl::kNoAlign, 80, CTreeListCtrl::kNoMinWidth, LVCF_WIDTH | LVCF_TEXT, 80, 0, 0},
        {"alignment sets both options off", nullptr, 1, 50, CTreeListCtrl::kNoMinWidth,
         LVCF_WIDTH | LVCF_FMT | TLCF_OPTION1 | TLCF_OPTION2, 50, 1, 0},
        {"minimum width", nullptr, CTreeListCtrl::kNoAlign, 40, 30, LVCF_WIDTH | LVCF_ORDER, 40, 0, 30},
    };
    for (const auto& c : cases) {
        const int index = w.ctl.InsertColumn(9, c.text, c.align, c.width, c.minWidth);
        EXPECT_GE(index, 0) << c.name;
        EXPECT_EQ(w.spy.message, UINT(TLM_INSERTCOLUMN)) << c.name;
        EXPECT_EQ(w.spy.column.mask, c.mask) << c.name;
        EXPECT_EQ(w.spy.column.cx, c.cx) << c.name;
        EXPECT_EQ(w.spy.column.fmt, c.fmt) << c.name;
        EXPECT_EQ(w.spy.column.iOrder, c.order) << c.name;
        if (c.text) {
            EXPECT_EQ(w.spy.column.cchTextMax, 256) << c.name;
        }
    }
    EXPECT_EQ(w.Send(TLM_GETCOLUMNCOUNT), 4);
    EXPECT_EQ(w.ctl.InsertColumn(0, "x", 5, 10), 1);  // the tree column stays first
}

TEST(TreeListCtrl, RowsAndTheirTexts)
{
    Wrapped w;
    w.ctl.InsertColumn(0, "Name", CTreeListCtrl::kNoAlign, 100);
    w.ctl.InsertColumn(1, "Wert", CTreeListCtrl::kNoAlign, 100);
    EXPECT_EQ(w.ctl.InsertItemAtRow(5, "zwei"), 0);  // beyond the last row: appended
    EXPECT_EQ(w.spy.insert.hInsertAfter, TVI_LAST);
    EXPECT_EQ(w.ctl.InsertItemAtRow(9, "drei", 2, 0x1013, 0xFFFF), 1);
    EXPECT_EQ(w.spy.insert.item.stateMask, 0xFF13u);
    EXPECT_EQ(w.spy.insert.item.iSelectedImage, 2);
    EXPECT_EQ(w.ctl.InsertItemAtRow(0, "eins"), 0);  // in front of row 0
    EXPECT_EQ(w.spy.insert.hInsertAfter, TVI_BEFOREITEM);
    EXPECT_EQ(w.RootTexts(), (std::vector<std::string>{"eins", "zwei", "drei"}));

    EXPECT_EQ(w.ctl.SetItemAtRow(1, 1, "Zelle", CTreeListCtrl::kNoImage, TVIS_BOLD | 0x1000, 0xFFFF), 1);
    EXPECT_EQ(w.spy.item.mask, UINT(0x8010 | TVIF_TEXT | TVIF_STATE));
    EXPECT_EQ(w.spy.item.stateMask, 0x13u);
    EXPECT_EQ(w.spy.item.cChildren, 1);
    EXPECT_EQ(w.ctl.SetItemAtRow(7, 0, "x"), 0);

    char buffer[16];
    std::memset(buffer, 'Z', sizeof(buffer));
    EXPECT_EQ(w.ctl.GetItemTextAtRow(1, buffer, 0, 1), 0);
    EXPECT_EQ(buffer[0], 'Z');  // untouched
    EXPECT_EQ(w.ctl.GetItemTextAtRow(1, buffer, sizeof(buffer), 1), 1);
    EXPECT_EQ(w.spy.item.mask, 0x8001u);
    EXPECT_STREQ(buffer, "Zelle");
    EXPECT_EQ(w.ctl.GetItemTextAtRow(8, buffer, sizeof(buffer)), 0);
}

TEST(TreeListCtrl, CheckAllCountAndFind)
{
    Wrapped w(kTreeStyle | TVS_CHECKBOXES);
    for (const char* t : {"anna", "bert", "carl"})
        w.ctl.InsertItem(TVIF_TEXT | TVIF_PARAM, t, 0, 0, 0, 0, LPARAM(t[0]), kTreeListRoot, kTreeListLast);
    EXPECT_EQ(w.ctl.SetItems(kTreeListRoot, 0, TLCI_DESCENDANTS | TVIF_STATE, nullptr, 0, 0, 0x2000, 0xF000, 0), 3);
    EXPECT_EQ(w.spy.item.mask, UINT(TLCI_DESCENDANTS | TVIF_STATE | TVIF_SUBITEM));
    EXPECT_EQ(w.spy.item.cchTextMax, 0);
    EXPECT_EQ(w.ctl.CountItems(kTreeListRoot, TLCI_DESCENDANTS | TVIF_STATE, 0x2000, 0xF000, 0, 0), 3);
    EXPECT_EQ(w.ctl.SetItems(kTreeListRoot, 0, TLCI_DESCENDANTS | TVIF_STATE, nullptr, 0, 0, 0x1000, 0xF000, 0), 3);
    EXPECT_EQ(w.ctl.CountItems(kTreeListRoot, TLCI_DESCENDANTS | TVIF_STATE, 0x2000, 0xF000, 0, 0), 0);
    EXPECT_EQ(w.ctl.CountItems(999, TLCI_SELF | TVIF_HANDLE, 0, 0, 0, 0), -1);

    const uint32_t bert = w.ctl.FindItem(kTreeListRoot, TLFI_TEXT | TLFI_TREE | TLFI_CHILDFIRST, 0, -1, "bert", 0, 0);
    EXPECT_EQ(w.Text(bert), "bert");
    EXPECT_EQ(w.spy.findText, "bert");
    // A text length cuts the text: "carlos" of length 4 finds "carl".
    const uint32_t carl = w.ctl.FindItem(kTreeListRoot, TLFI_TEXT | TLFI_TREE | TLFI_CHILDFIRST, 0, 4, "carlos", 0, 0);
    EXPECT_EQ(w.Text(carl), "carl");
    EXPECT_EQ(w.spy.findText, "carl");
    EXPECT_EQ(w.ctl.FindItem(kTreeListRoot, TLFI_DATA | TLFI_TREE | TLFI_CHILDFIRST, 'a', -1, nullptr, 0, 0),
              w.ctl.FindItem(kTreeListRoot, TLFI_TEXT | TLFI_TREE | TLFI_CHILDFIRST, 0, -1, "anna", 0, 0));
}

TEST(TreeListCtrl, SortedInserts)
{
    Wrapped w;
    for (const char* t : {"mitte", "anfang", "zuletzt"})
        EXPECT_NE(w.ctl.InsertItemSortedByText(TVIF_TEXT | TVIF_PARAM, t, 0, 0, 0, 0, LPARAM(t[0]), &std::strcmp,
                                                kTreeListRoot),
                  0u);
    EXPECT_EQ(w.spy.insert.hInsertAfter, TVI_SORTCB);
    EXPECT_EQ(w.spy.insert.item.mask, UINT(TVIF_TEXT | TVIF_DATAFOLLOWS));
    EXPECT_EQ(reinterpret_cast<void*>(w.spy.insert.item.hItem), reinterpret_cast<void*>(&TreeListTextCompareAdapter));
    EXPECT_EQ(w.spy.insert.item.lParam, reinterpret_cast<LPARAM>(&std::strcmp));
    EXPECT_EQ(w.spy.dataBehind, LPARAM('z'));
    EXPECT_EQ(w.RootTexts(), (std::vector<std::string>{"anfang", "mitte", "zuletzt"}));
    const uint32_t first = uint32_t(w.Send(TVM_GETNEXTITEM, TVGN_ROOT));
    EXPECT_EQ(w.Send(TLM_GETITEMDATA, 0, first), LPARAM('a'));

    // The caller's six-argument function with its own parameter (descending).
    Wrapped v;
    for (const char* t : {"b", "c", "a"})
        v.ctl.InsertItemSortedEx(TVIF_TEXT | TVIF_PARAM, t, 0, 0, 0, 0, 7, &ByParameterSign, kTreeListRoot, -1);
    EXPECT_EQ(v.spy.insert.item.lParam, -1);
    EXPECT_EQ(v.spy.dataBehind, 7);
    EXPECT_EQ(v.RootTexts(), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(v.Send(TLM_GETITEMDATA, 0, v.Send(TVM_GETNEXTITEM, TVGN_ROOT)), 7);
    // The plain sorted insert: the data is the compare parameter too.
    v.ctl.InsertItemSorted(TVIF_TEXT, "d", 0, 0, 0, 0, 1, &ByParameterSign, kTreeListRoot);
    EXPECT_EQ(v.spy.insert.item.lParam, 1);
    EXPECT_EQ(TreeListTextCompareAdapter(nullptr, nullptr, "b", "a", 0, reinterpret_cast<LPARAM>(&std::strcmp)), -1);
}

TEST(TreeListCtrl, ColumnTextsImagesAndOptions)
{
    Wrapped w;
    w.ctl.InsertColumn(0, "Name", CTreeListCtrl::kNoAlign, 100);
    w.ctl.InsertColumn(1, "Wert", CTreeListCtrl::kNoAlign, 100);
    const HWND header = reinterpret_cast<HWND>(w.Send(TLM_GETHEADER));
    auto format = [&](int column) {
        HDITEMA hd = {};
        hd.mask = HDI_FORMAT | HDI_IMAGE | HDI_TEXT;
        char text[32] = {};
        hd.pszText = text;
        hd.cchTextMax = sizeof(text);
        SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&hd));
        return std::make_pair(hd.fmt, std::string(text));
    };
    EXPECT_NE(w.ctl.SetColumnText(1, "Betrag"), 0);
    EXPECT_EQ(w.spy.column.mask, UINT(LVCF_TEXT));
    EXPECT_EQ(w.spy.column.cchTextMax, 6);
    EXPECT_EQ(format(1).second, "Betrag");
    EXPECT_NE(w.ctl.SetColumnImage(1, 3, true), 0);
    EXPECT_EQ(format(1).first & (HDF_IMAGE | HDF_BITMAP_ON_RIGHT), HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    w.ctl.SetColumnImage(1, -2, false);
    EXPECT_EQ(format(1).first & (HDF_IMAGE | HDF_BITMAP_ON_RIGHT), 0);
    const HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, nullptr);
    w.ctl.SetColumnBitmap(0, bitmap, false);
    EXPECT_NE(format(0).first & HDF_BITMAP, 0);
    w.ctl.SetColumnBitmap(0, nullptr, false);
    EXPECT_EQ(format(0).first & HDF_BITMAP, 0);
    DeleteObject(bitmap);

    TreeListData& d = *reinterpret_cast<TreeListData*>(GetWindowLongPtrA(w.ctl.m_hWnd, 0));
    w.ctl.SetColumnOption1(1, true);
    EXPECT_EQ(w.spy.column.mask, TLCF_OPTION1);
    EXPECT_EQ(d.columns[1].option10000000, 1);
    w.ctl.SetColumnOption8(1, true);
    EXPECT_EQ(d.columns[1].option80000000, 1);
    w.ctl.SetColumnOption8(1, false);
    EXPECT_EQ(d.columns[1].option80000000, 0);
    w.ctl.SetColumnFill(1, true, 120, 0);
    EXPECT_EQ(w.spy.column.mask, TLCF_FILL | LVCF_WIDTH | TLCF_RESHARE);
    EXPECT_EQ(UINT(w.spy.column.fmt), TLCF_FILL);
    EXPECT_EQ(d.columns[1].width, 120);
    EXPECT_NE(d.columns[1].fillWeight, 0);
    w.ctl.SetColumnFill(1, false, -1, -1);
    EXPECT_EQ(w.spy.column.mask, TLCF_FILL);
    EXPECT_EQ(d.columns[1].fillWeight, 0);
}

TEST(TreeListCtrl, DragImageBelongsToTheCaller)
{
    Wrapped w;
    const uint32_t h = w.ctl.InsertItem(TVIF_TEXT, "ein sehr langer Text, der breiter als zweihundertvierzig Pixel ist",
                                        0, 0, 0, 0, 0, kTreeListRoot, kTreeListLast);
    std::unique_ptr<CImageList> image(w.ctl.CreateDragImage(h, 0));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetImageCount(), 1);
    int cx = 0, cy = 0;
    image->GetIconSize(&cx, &cy);
    EXPECT_EQ(cx, 240);
    EXPECT_LE(cy, 32);
    EXPECT_EQ(w.ctl.CreateDragImage(999, 0), nullptr);
    std::unique_ptr<CImageList> missing(w.ctl.CreateDragImage(h, 3));  // no such cell: "????"
    ASSERT_NE(missing, nullptr);
    missing->GetIconSize(&cx, &cy);
    EXPECT_LT(cx, 60);
}

TEST(TreeListThreads, WorkerInsertsWhileTheUiThreadPumps)
{
    Fixture f;
    constexpr int kInserts = 10000;
    std::atomic<int> done{0};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        char text[32];
        for (int i = 0; i < kInserts; ++i) {
            std::snprintf(text, sizeof(text), "item %d", i);
            if (f.Insert(0, text, kTreeListLast, i))  // sent across threads
                ++done;
        }
        finished = true;
    });
    EXPECT_TRUE(winharness::PumpUntil([&] { return finished.load(); }, 60000));
    worker.join();
    winharness::PumpUntilIdle(1000);
    EXPECT_EQ(done.load(), kInserts);
    EXPECT_EQ(f.Send(TVM_GETCOUNT), kInserts);
    EXPECT_EQ(f.Send(TLM_GETROWCOUNT), kInserts);
    EXPECT_EQ(f.Send(TLM_GETITEMDATA, 0, f.Send(TLM_GETITEMOFROW, 0, kInserts - 1)), kInserts - 1);
    // The bar was drawn at most every 201 ms, and ends with the last range.
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE;
    GetScrollInfo(f.tl, SB_VERT, &info);
    EXPECT_EQ(info.nMax, kInserts);
    EXPECT_TRUE(winharness::PumpUntil([&] { return !f.Window().barTimer; }, 1000));
    std::string why;
    TreeListCall call(f.Data());
    EXPECT_TRUE(TreeListVerify(f.Data(), &why)) << why;
}

}  // namespace
}  // namespace treelist_window_test
