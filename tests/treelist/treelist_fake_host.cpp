#include "tests/treelist/treelist_fake_host.h"

#include "tests/treelist/treelist_insert_record.h"

#include <cstring>

namespace treelist_test {

namespace {

uint32_t H(HTREEITEM h) { return TreeListHandleOf(h); }

}  // namespace

LRESULT FakeHost::Notify(NMHDR& header)
{
    header.hwndFrom = Window();
    header.idFrom = 7;
    Sent s{};
    s.code = header.code;
    switch (header.code) {
    case TVN_KEYDOWN:
        s.action = reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey;
        break;
    case NM_RETURN:
        s.action = reinterpret_cast<const NMKEY&>(header).nVKey;
        break;
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGEDA:
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDEDA:
    case TVN_DELETEITEMA:
    case TVN_SINGLEEXPAND:
    case TLN_CHECKCHANGED:
    case TLN_ENDDRAG:
    case NM_CLICK:
    case NM_DBLCLK:
    case NM_RCLICK: {
        const NMTREEVIEWA& nm = reinterpret_cast<const NMTREEVIEWA&>(header);
        s.point = nm.ptDrag;
        s.action = nm.action;
        s.oldItem = H(nm.itemOld.hItem);
        s.newItem = H(nm.itemNew.hItem);
        s.oldState = nm.itemOld.state;
        s.newState = nm.itemNew.state;
        s.oldData = nm.itemOld.lParam;
        s.newData = nm.itemNew.lParam;
        s.oldColumn = nm.itemOld.cChildren;
        s.newColumn = nm.itemNew.cChildren;
        break;
    }
    case TVN_GETDISPINFOA: {
        const NMTVDISPINFOA& nm = reinterpret_cast<const NMTVDISPINFOA&>(header);
        s.newItem = H(nm.item.hItem);
        s.newData = nm.item.lParam;
        break;
    }
    default:
        break;
    }
    sent.push_back(s);
    return parent ? parent(header) : 0;
}

int FakeHost::HeaderInsertItem(int index, const HDITEMA& item)
{
    if (failHeaderInsert || index < 0 || index > int(headerItems.size()))
        return -1;
    headerItems.insert(headerItems.begin() + index,
                       HeaderItem{item.cxy, item.pszText ? item.pszText : "", item.fmt});
    headerOrder.clear();
    for (size_t i = 0; i < headerItems.size(); ++i)
        headerOrder.push_back(int(i));
    return index;
}

bool FakeHost::HeaderDeleteItem(int index)
{
    if (index < 0 || index >= int(headerItems.size()))
        return false;
    headerItems.erase(headerItems.begin() + index);
    headerOrder.clear();
    for (size_t i = 0; i < headerItems.size(); ++i)
        headerOrder.push_back(int(i));
    return true;
}

LRESULT FakeHost::HeaderSetItem(int index, const HDITEMA& item)
{
    if (index < 0 || index >= int(headerItems.size()))
        return 0;
    if (item.mask & HDI_WIDTH)
        headerItems[size_t(index)].width = item.cxy;
    return 1;
}

bool FakeHost::HeaderGetItem(int index, HDITEMA& item)
{
    if (index < 0 || index >= int(headerItems.size()))
        return false;
    item.cxy = headerItems[size_t(index)].width;
    return true;
}

bool FakeHost::HeaderGetOrder(int count, int* order)
{
    if (count != int(headerOrder.size()))
        return false;
    std::memcpy(order, headerOrder.data(), sizeof(int) * size_t(count));
    return true;
}

void FakeHost::SetTimer(UINT_PTR id, UINT milliseconds)
{
    KillTimer(id);
    timers.push_back({id, milliseconds});
}

void FakeHost::KillTimer(UINT_PTR id)
{
    for (size_t i = 0; i < timers.size(); ++i)
        if (timers[i].id == id)
            timers.erase(timers.begin() + long(i--));
}

bool FakeHost::TimerRunning(UINT_PTR id, UINT* milliseconds) const
{
    for (const Timer& t : timers) {
        if (t.id == id) {
            if (milliseconds)
                *milliseconds = t.milliseconds;
            return true;
        }
    }
    return false;
}

std::vector<UINT> FakeHost::Codes() const
{
    std::vector<UINT> codes;
    for (const Sent& s : sent)
        codes.push_back(s.code);
    return codes;
}

Control::Control(DWORD style, int width, int height)
{
    TreeListVerifyEachMessage(true);
    d = TreeListCreate(&host, style, width, height);
    host.onSetFocus = [this] {
        if (d)
            d->hasFocus = 1;
    };
}

// Every message checks the records as it ends; the end of a test also
// brings the rows up to date first.
Control::~Control()
{
    if (d && !destroying) {
        EXPECT_TRUE(Verify());
    }
    DestroyWindow();
}

void Control::DestroyWindow()
{
    if (!d || destroying)
        return;
    destroying = true;
    TreeListData* state = d;
    {
        TreeListCall call(*state);
        TreeListDestroy(*state);
    }
    d = nullptr;
    TreeListRelease(state);
}

LRESULT Control::Send(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    TreeListHandleMessage(*d, message, wParam, lParam, result);
    return result;
}

void Control::Pump()
{
    if (d && d->updatePosted)
        Send(TLM_DEFERREDUPDATE);
}

uint32_t Control::Insert(uint32_t parent, const char* text, uint32_t after, LPARAM data)
{
    TVINSERTSTRUCTA ins = InsertRecord(parent, text, after, data);
    return uint32_t(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

uint32_t Control::InsertState(uint32_t parent, const char* text, UINT state, UINT stateMask, UINT extraMask)
{
    TVINSERTSTRUCTA ins{};
    ins.hParent = TreeListHtreeOf(parent ? parent : kTreeListRoot);
    ins.hInsertAfter = TreeListHtreeOf(kTreeListLast);
    ins.item.mask = TVIF_TEXT | TVIF_STATE | extraMask;
    ins.item.pszText = const_cast<char*>(text);
    ins.item.state = state;
    ins.item.stateMask = stateMask;
    return uint32_t(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

LRESULT Control::Key(int key, bool shift, bool ctrl, LPARAM data)
{
    host.shift = shift;
    host.ctrl = ctrl;
    const LRESULT result = Send(WM_KEYDOWN, WPARAM(key), data);
    host.shift = host.ctrl = false;
    return result;
}

LRESULT Control::Mouse(UINT message, int x, int y, WPARAM keys)
{
    const LPARAM point = LPARAM(uint32_t(uint16_t(int16_t(x))) | (uint32_t(uint16_t(int16_t(y))) << 16));
    return Send(message, keys, point);
}

POINT Control::RowPoint(uint32_t h, int x)
{
    const int row = Row(h);
    int line = row;
    if (uint32_t(row) >= d->pinnedRows)
        line = row - int(d->firstRow);
    return POINT{x, d->headerHeight + line * d->itemHeight + d->itemHeight / 2};
}

std::vector<uint32_t> Control::SelectedItems()
{
    std::vector<uint32_t> out;
    for (uint32_t h = 1; h <= d->itemsSize; ++h)
        if (d->items[h] && (d->items[h]->state & TVIS_SELECTED))
            out.push_back(h);
    return out;
}

std::string Control::Text(uint32_t h, int column)
{
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_TEXTPTR | (column ? TVIF_SUBITEM : 0);
    tv.hItem = TreeListHtreeOf(h);
    tv.cChildren = column;
    if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
        return "<none>";
    if (tv.pszText == LPSTR_TEXTCALLBACKA)
        return "<callback>";
    return tv.pszText;
}

bool Control::SetText(uint32_t h, const char* text, int column)
{
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | (column ? TVIF_SUBITEM : 0);
    tv.hItem = TreeListHtreeOf(h);
    tv.pszText = const_cast<char*>(text);
    tv.cChildren = column;
    return Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) != 0;
}

std::vector<uint32_t> Control::Rows()
{
    std::vector<uint32_t> rows;
    const uint32_t n = RowCount();
    for (uint32_t r = 0; r < n; ++r)
        rows.push_back(ItemOfRow(r));
    return rows;
}

std::vector<uint32_t> Control::Children(uint32_t parent)
{
    std::vector<uint32_t> out;
    for (uint32_t s = parent ? d->items[parent]->firstChild : d->firstRoot; s; s = d->items[s]->nextSibling)
        out.push_back(s);
    return out;
}

std::vector<std::string> Control::ChildTexts(uint32_t parent)
{
    std::vector<std::string> out;
    for (uint32_t h : Children(parent))
        out.push_back(Text(h));
    return out;
}

int Control::InsertColumn(uint32_t index, int width, const char* text, UINT extraMask, int fmt)
{
    LVCOLUMNA lv{};
    lv.mask = LVCF_TEXT | extraMask;
    if (width >= 0)
        lv.mask |= LVCF_WIDTH;
    lv.cx = width;
    lv.fmt = fmt;
    lv.pszText = const_cast<char*>(text);
    return int(Send(TLM_INSERTCOLUMN, index, reinterpret_cast<LPARAM>(&lv)));
}

::testing::AssertionResult Control::Verify()
{
    TreeListCall call(*d);
    TreeListEnsureRows(*d);
    std::string why;
    if (TreeListVerify(*d, &why))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << why;
}

void Control::Columns(std::initializer_list<int> widths)
{
    uint32_t index = 0;
    for (int width : widths)
        InsertColumn(index++, width);
}

int Control::Select(uint32_t h, uint32_t column, uint32_t flags)
{
    TreeListCall call(*d);
    return TreeListSelect(*d, h, column, flags);
}

Tree::Tree()
{
    r1 = c.Insert(0, "R1");
    a = c.Insert(r1, "A");
    a1 = c.Insert(a, "A1");
    a2 = c.Insert(a, "A2");
    b = c.Insert(r1, "B");
    r2 = c.Insert(0, "R2");
    cc = c.Insert(r2, "C");
    r3 = c.Insert(0, "R3");
    c.Expand(r1);
    c.Expand(a);
}

}  // namespace treelist_test
