#include "tests/treelist/treelist_window_fixture.h"

#include "tests/treelist/treelist_insert_record.h"

#include <cstdio>
#include <cstring>

namespace treelist_window_test {

namespace {

// Codes whose records are NMTREEVIEWA (or a TVITEM-carrying record of that
// size or less), so the log keeps them whole.
const int kTreeViewCodes[] = {int(TVN_SELCHANGINGA), int(TVN_SELCHANGEDA), int(TVN_ITEMEXPANDINGA),
                              int(TVN_ITEMEXPANDEDA), int(TVN_DELETEITEMA), int(TVN_BEGINDRAGA),
                              int(TVN_BEGINRDRAGA), int(TVN_SINGLEEXPAND), int(NM_CLICK), int(NM_RCLICK),
                              int(NM_DBLCLK), int(TLN_CHECKCHANGED), int(TLN_EDITQUERY), int(TLN_LBUTTONUP),
                              int(TLN_RBUTTONUP), int(TLN_ENDDRAG)};

}  // namespace

Fixture::Fixture(DWORD style, int width, int height) : parent(width + kMargin, height + kMargin)
{
    TreeListVerifyEachMessage(true);
    EXPECT_TRUE(TreeListRegister(GetModuleHandleA(nullptr)));
    tl = CreateWindowExA(0, "TreeList", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | style, 0, 0, width,
                         height, parent.Handle(), reinterpret_cast<HMENU>(UINT_PTR(kControlId)),
                         GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(tl, nullptr);
    for (int code : kTreeViewCodes)
        parent.SetRecordSize(code, sizeof(NMTREEVIEWA));
    parent.SetRecordSize(int(TVN_ENDLABELEDITA), sizeof(NMTVDISPINFOA));
    parent.SetRecordSize(int(TVN_BEGINLABELEDITA), sizeof(NMTVDISPINFOA));
    parent.SetRecordSize(int(TLN_COLUMNCHANGED), sizeof(NMTLCOLUMN));
    parent.SetRecordSize(int(TLN_SCROLLING), sizeof(NMTLSCROLLING));
    parent.SetRecordSize(int(HDN_ITEMCLICKA), sizeof(NMHEADERA));
    // Edited texts die with the record: keep them.
    parent.SetCopier(int(TVN_ENDLABELEDITA), [](const NMHDR* live, winharness::LoggedMessage& entry) {
        const NMTVDISPINFOA* nm = reinterpret_cast<const NMTVDISPINFOA*>(live);
        if (nm->item.pszText)
            entry.extra = nm->item.pszText;
    });
    winharness::PumpUntilIdle(500);
}

void Fixture::Recreate(DWORD style)
{
    if (IsWindow(tl))
        DestroyWindow(tl);
    RECT client = {};
    GetClientRect(parent.Handle(), &client);
    tl = CreateWindowExA(0, "TreeList", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | style, 0, 0,
                         client.right - kMargin, client.bottom - kMargin, parent.Handle(),
                         reinterpret_cast<HMENU>(UINT_PTR(kControlId)), GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(tl, nullptr);
    winharness::PumpUntilIdle(200);
    parent.ClearLog();
}

Fixture::~Fixture()
{
    if (IsWindow(tl))
        DestroyWindow(tl);
    winharness::PumpUntilIdle(200);
}

uint32_t Fixture::Insert(uint32_t parentItem, const char* text, uint32_t after, LPARAM data)
{
    TVINSERTSTRUCTA insert = treelist_test::InsertRecord(parentItem, text, after, data);
    return uint32_t(SendRecord(TVM_INSERTITEMA, 0, &insert));
}

int Fixture::InsertColumn(uint32_t index, int width, const char* text, UINT extraMask, int fmt)
{
    LVCOLUMNA lv = {};
    lv.mask = LVCF_WIDTH | LVCF_TEXT | extraMask;
    lv.cx = width;
    lv.pszText = const_cast<char*>(text);
    lv.fmt = fmt;
    return int(SendRecord(TLM_INSERTCOLUMN, index, &lv));
}

void Fixture::FillRows(int count)
{
    char text[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof(text), "row %d", i);
        Insert(0, text, kTreeListLast, i);
    }
}

void Fixture::Columns(std::initializer_list<std::pair<int, const char*>> columns)
{
    uint32_t index = 0;
    for (const auto& [width, text] : columns)
        InsertColumn(index++, width, text);
}

void Fixture::Columns(std::initializer_list<int> widths)
{
    uint32_t index = 0;
    for (int width : widths)
        InsertColumn(index++, width);
}

bool Fixture::SetState(uint32_t h, UINT state, UINT mask)
{
    TVITEMA tv = {};
    tv.mask = TVIF_STATE;
    tv.hItem = TreeListHtreeOf(h);
    tv.state = state;
    tv.stateMask = mask;
    return SendRecord(TVM_SETITEMA, 0, &tv) != 0;
}

bool Fixture::SetText(uint32_t h, const char* text, uint32_t column)
{
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT | TVIF_SUBITEM;
    tv.hItem = TreeListHtreeOf(h);
    tv.cChildren = int(column);
    tv.pszText = const_cast<char*>(text);
    return SendRecord(TVM_SETITEMA, 0, &tv) != 0;
}

std::string Fixture::Text(uint32_t h, uint32_t column)
{
    char buffer[512] = {};
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT | TVIF_SUBITEM;
    tv.hItem = TreeListHtreeOf(h);
    tv.cChildren = int(column);
    tv.pszText = buffer;
    tv.cchTextMax = sizeof(buffer);
    if (!SendRecord(TVM_GETITEMA, 0, &tv))
        return "<none>";
    return buffer;
}

RECT Fixture::ItemRect(uint32_t h, bool textOnly) const
{
    RECT rect = {};
    std::memcpy(&rect, &h, sizeof(h));
    if (!SendRecord(TVM_GETITEMRECT, textOnly ? 1 : 0, &rect))
        return RECT{};
    return rect;
}

POINT Fixture::TextPoint(uint32_t h) const
{
    const RECT r = ItemRect(h, true);
    return POINT{r.left + 4, (r.top + r.bottom) / 2};
}

const winharness::LoggedMessage* Fixture::Find(int code) const
{
    for (const winharness::LoggedMessage& entry : parent.Log())
        if (entry.code == code)
            return &entry;
    return nullptr;
}

int Fixture::Count(int code) const
{
    int n = 0;
    for (const winharness::LoggedMessage& entry : parent.Log())
        n += entry.code == code;
    return n;
}

Tree BuildTree(Fixture& f)
{
    Tree t{};
    t.a = f.Insert(0, "a", kTreeListLast, 1);
    t.a1 = f.Insert(t.a, "a1", kTreeListLast, 2);
    t.a2 = f.Insert(t.a, "a2", kTreeListLast, 3);
    t.a21 = f.Insert(t.a2, "a21", kTreeListLast, 4);
    t.b = f.Insert(0, "b", kTreeListLast, 5);
    t.b1 = f.Insert(t.b, "b1", kTreeListLast, 6);
    t.c = f.Insert(0, "c", kTreeListLast, 7);
    return t;
}

}  // namespace treelist_window_test
