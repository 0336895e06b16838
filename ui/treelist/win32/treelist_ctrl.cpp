#include "ui/treelist/win32/treelist_ctrl.h"

#include <cstring>
#include <string>

#include "platform/framework/wnd_class.h"
#include "ui/treelist/win32/treelist_window.h"

namespace {

constexpr DWORD kCreateStyle = WS_CHILD | WS_VSCROLL | WS_HSCROLL;  // 0x40300000
constexpr DWORD kOverStyle = kCreateStyle | WS_VISIBLE;             // 0x50300000
constexpr int kTextMax = 256;
constexpr UINT kAtRowStateMask = 0xFF13;
constexpr UINT kSetAtRowStateMask = 0x13;
constexpr UINT kSetAtRowMask = TVIF_SUBITEM | TVIF_HANDLE;  // 0x8010
constexpr UINT kTextAtRowMask = TVIF_SUBITEM | TVIF_TEXT;   // 0x8001
constexpr UINT kColumnOptions = TLCF_OPTION1 | TLCF_OPTION2;

HTREEITEM H(uint32_t h) { return TreeListHtreeOf(h); }

// A TVINSERTSTRUCT with room for the data word behind its TVITEM.
struct InsertRecord {
    TVINSERTSTRUCTA insert;
};
static_assert(sizeof(TVITEMEXA) >= sizeof(TVITEMA) + sizeof(LPARAM), "the data word fits behind the TVITEM");

// The fields the row operations set: text, image (and selected image) and
// state, each only when given (image and state from 0).
void DescribeAtRow(TVITEMA& tv, const char* text, int image, int state, UINT stateMask)
{
    if (text) {
        tv.mask |= TVIF_TEXT;
        tv.pszText = const_cast<char*>(text);
    }
    if (image >= 0) {
        tv.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.iImage = tv.iSelectedImage = image;
    }
    if (state >= 0) {
        tv.mask |= TVIF_STATE;
        tv.state = UINT(state);
        tv.stateMask = stateMask;
    }
}

}  // namespace

const CRuntimeClass CTreeListCtrl::classCTreeListCtrl = {"CTreeListCtrl", int(sizeof(CTreeListCtrl)), &g_classCWnd};

const CRuntimeClass* CTreeListCtrl::GetRuntimeClass() const
{
    return &classCTreeListCtrl;
}

int CALLBACK TreeListTextCompareAdapter(HWND, HTREEITEM, LPCSTR existingText, LPCSTR newText, LPARAM, LPARAM parameter)
{
    const TreeListTextCompareFn compare = reinterpret_cast<TreeListTextCompareFn>(parameter);
    return compare ? compare(newText, existingText) : 0;
}

BOOL CTreeListCtrl::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    TreeListRegister(AfxGetInstanceHandle());
    return CreateEx(exStyle, "TreeList", nullptr, style | kCreateStyle, rect, parent, id);
}

int CTreeListCtrl::CreateOverControl(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* dialog, UINT id)
{
    if (!dialog || !dialog->m_hWnd)
        return 0;
    const HWND placeholder = ::GetDlgItem(dialog->m_hWnd, int(placeholderId));
    if (!placeholder)
        return 0;
    RECT rect = {};
    ::GetWindowRect(placeholder, &rect);
    ::MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    TreeListRegister(AfxGetInstanceHandle());
    if (!CreateEx(exStyle, "TreeList", nullptr, style | kOverStyle, rect, dialog, id))
        return 0;
    ::SetWindowPos(m_hWnd, placeholder, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    return 1;
}

int CTreeListCtrl::InsertColumn(uint32_t index, const char* text, int align, int width, int minWidth)
{
    LVCOLUMNA lv = {};
    if (text) {
        lv.mask |= LVCF_TEXT;
        lv.pszText = const_cast<char*>(text);
        lv.cchTextMax = kTextMax;
    }
    if (align >= 0) {
        lv.mask |= LVCF_FMT | kColumnOptions;
        lv.fmt = align;
    }
    if (width < 0) {
        lv.mask |= TLCF_WEIGHT;
        lv.cx = -width;
    } else {
        lv.mask |= LVCF_WIDTH;
        lv.cx = width;
    }
    if (minWidth != kNoMinWidth) {
        lv.mask |= LVCF_ORDER;
        lv.iOrder = minWidth;
    }
    return int(Send(TLM_INSERTCOLUMN, index, &lv));
}

LRESULT CTreeListCtrl::SetItems(uint32_t item, uint32_t column, UINT mask, const char* text, int image,
                                int selectedImage, UINT state, UINT stateMask, LPARAM data)
{
    TVITEMA tv = {};
    tv.hItem = H(item);
    tv.mask = mask | TVIF_SUBITEM;
    tv.cChildren = int(column);
    tv.pszText = const_cast<char*>(text);
    tv.cchTextMax = text ? kTextMax : 0;
    tv.iImage = image;
    tv.iSelectedImage = selectedImage;
    tv.state = state;
    tv.stateMask = stateMask;
    tv.lParam = data;
    return Send(TLM_SETITEMS, 0, &tv);
}

LRESULT CTreeListCtrl::CountItems(uint32_t item, UINT mask, UINT state, UINT stateMask, LPARAM data, int image)
{
    TVITEMA tv = {};
    tv.hItem = H(item);
    tv.mask = mask;
    tv.state = state;
    tv.stateMask = stateMask;
    tv.iImage = image;
    tv.lParam = data;
    return Send(TLM_COUNTITEMS, 0, &tv);
}

int CTreeListCtrl::InsertItemAtRow(uint32_t row, const char* text, int image, int state, UINT stateMask)
{
    const uint32_t at = uint32_t(Send(TLM_GETITEMOFROW, 0, reinterpret_cast<const void*>(uintptr_t(row))));
    TVINSERTSTRUCTA insert = {};
    insert.hParent = at ? H(at) : TVI_ROOT;
    insert.hInsertAfter = at ? TVI_BEFOREITEM : TVI_LAST;
    DescribeAtRow(insert.item, text, image, state, stateMask & kAtRowStateMask);
    if (text)
        insert.item.cchTextMax = kTextMax;
    const uint32_t item = uint32_t(Send(TVM_INSERTITEMA, 0, &insert));
    if (!item)
        return -1;
    return int(Send(TLM_GETROWOFITEM, 0, reinterpret_cast<const void*>(uintptr_t(item))));
}

LRESULT CTreeListCtrl::SetItemAtRow(uint32_t row, uint32_t column, const char* text, int image, int state,
                                    UINT stateMask)
{
    const uint32_t item = uint32_t(Send(TLM_GETITEMOFROW, 0, reinterpret_cast<const void*>(uintptr_t(row))));
    if (!item)
        return 0;
    TVITEMA tv = {};
    tv.mask = kSetAtRowMask;
    tv.hItem = H(item);
    tv.cChildren = int(column);
    DescribeAtRow(tv, text, image, state, stateMask & kSetAtRowStateMask);
    return Send(TVM_SETITEMA, 0, &tv);
}

LRESULT CTreeListCtrl::GetItemTextAtRow(uint32_t row, char* buffer, int size, uint32_t column)
{
    if (!buffer || size <= 0)
        return 0;
    const uint32_t item = uint32_t(Send(TLM_GETITEMOFROW, 0, reinterpret_cast<const void*>(uintptr_t(row))));
    if (!item)
        return 0;
    buffer[0] = 0;
    TVITEMA tv = {};
    tv.mask = kTextAtRowMask;
    tv.hItem = H(item);
    tv.cChildren = int(column);
    tv.pszText = buffer;
    tv.cchTextMax = size;
    return Send(TVM_GETITEMA, 0, &tv);
}

uint32_t CTreeListCtrl::FindItem(uint32_t start, UINT flags, LPARAM value, int textLength, const char* text,
                                 UINT state, UINT stateMask)
{
    // The control compares whole texts: a given length cuts the text.
    std::string cut;
    if (text && textLength >= 0 && size_t(textLength) < std::strlen(text)) {
        cut.assign(text, size_t(textLength));
        text = cut.c_str();
    }
    TLFINDITEM find = {};
    find.flags = flags;
    find.state = state;
    find.stateMask = stateMask;
    find.data = value;
    find.text = text;
    return uint32_t(Send(TLM_FINDITEM, start, &find));
}

uint32_t CTreeListCtrl::Insert(UINT mask, const char* text, int image, int selectedImage, UINT state, UINT stateMask,
                               LPARAM data, uint32_t parent, uint32_t insertAfter, HTREEITEM compare,
                               LPARAM parameter, bool dataBehind)
{
    InsertRecord r = {};
    r.insert.hParent = H(parent);
    r.insert.hInsertAfter = H(insertAfter);
    TVITEMA& tv = r.insert.item;
    tv.mask = mask;
    tv.pszText = const_cast<char*>(text);
    tv.cchTextMax = text ? kTextMax : 0;
    tv.iImage = image;
    tv.iSelectedImage = selectedImage;
    tv.state = state;
    tv.stateMask = stateMask;
    tv.lParam = data;
    if (compare) {
        tv.hItem = compare;
        tv.lParam = parameter;
    }
    if (dataBehind)
        std::memcpy(reinterpret_cast<char*>(&r.insert.item) + sizeof(TVITEMA), &data, sizeof(data));
    return uint32_t(Send(TVM_INSERTITEMA, 0, &r.insert));
}

uint32_t CTreeListCtrl::InsertItem(UINT mask, const char* text, int image, int selectedImage, UINT state,
                                   UINT stateMask, LPARAM data, uint32_t parent, uint32_t insertAfter)
{
    return Insert(mask, text, image, selectedImage, state, stateMask, data, parent, insertAfter, nullptr, 0, false);
}

uint32_t CTreeListCtrl::InsertItemSorted(UINT mask, const char* text, int image, int selectedImage, UINT state,
                                         UINT stateMask, LPARAM data, TreeListInsertCompareProc compare,
                                         uint32_t parent)
{
    return Insert(mask, text, image, selectedImage, state, stateMask, data, parent, kTreeListSortCallback,
                  reinterpret_cast<HTREEITEM>(compare), data, false);
}

uint32_t CTreeListCtrl::InsertItemSortedByText(UINT mask, const char* text, int image, int selectedImage, UINT state,
                                               UINT stateMask, LPARAM data, TreeListTextCompareFn compare,
                                               uint32_t parent)
{
    const bool withData = (mask & TVIF_PARAM) != 0;
    if (withData)
        mask = (mask & ~TVIF_PARAM) | TVIF_DATAFOLLOWS;
    return Insert(mask, text, image, selectedImage, state, stateMask, data, parent, kTreeListSortCallback,
                  reinterpret_cast<HTREEITEM>(&TreeListTextCompareAdapter), reinterpret_cast<LPARAM>(compare),
                  withData);
}

uint32_t CTreeListCtrl::InsertItemSortedEx(UINT mask, const char* text, int image, int selectedImage, UINT state,
                                           UINT stateMask, LPARAM data, TreeListInsertCompareProc compare,
                                           uint32_t parent, LPARAM parameter)
{
    mask = (mask & ~TVIF_PARAM) | TVIF_DATAFOLLOWS;
    return Insert(mask, text, image, selectedImage, state, stateMask, data, parent, kTreeListSortCallback,
                  reinterpret_cast<HTREEITEM>(compare), parameter, true);
}

LRESULT CTreeListCtrl::SetColumnText(uint32_t column, const char* text)
{
    LVCOLUMNA lv = {};
    lv.mask = LVCF_TEXT;
    lv.pszText = const_cast<char*>(text);
    lv.cchTextMax = text ? int(std::strlen(text)) : 0;
    return Send(TLM_SETCOLUMN, column, &lv);
}

LRESULT CTreeListCtrl::SetColumnPicture(uint32_t column, int flag, int image, HBITMAP bitmap, bool right)
{
    const HWND header = reinterpret_cast<HWND>(Send(TLM_GETHEADER, 0, nullptr));
    if (!header)
        return 0;
    HDITEMA hd = {};
    hd.mask = HDI_FORMAT;
    ::SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&hd));
    const bool on = flag == HDF_IMAGE ? image >= -1 : bitmap != nullptr;
    hd.fmt = on ? (hd.fmt | flag) : (hd.fmt & ~flag);
    hd.fmt = (on && right) ? (hd.fmt | HDF_BITMAP_ON_RIGHT) : (hd.fmt & ~HDF_BITMAP_ON_RIGHT);
    if (flag == HDF_IMAGE) {
        hd.mask = HDI_FORMAT | HDI_IMAGE;
        hd.iImage = image;
    } else {
        hd.mask = HDI_FORMAT | HDI_BITMAP;
        hd.hbm = bitmap;
    }
    return ::SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&hd));
}

LRESULT CTreeListCtrl::SetColumnImage(uint32_t column, int image, bool right)
{
    return SetColumnPicture(column, HDF_IMAGE, image, nullptr, right);
}

LRESULT CTreeListCtrl::SetColumnBitmap(uint32_t column, HBITMAP bitmap, bool right)
{
    return SetColumnPicture(column, HDF_BITMAP, 0, bitmap, right);
}

LRESULT CTreeListCtrl::SetColumnOption1(uint32_t column, bool on)
{
    LVCOLUMNA lv = {};
    lv.mask = TLCF_OPTION1;
    lv.fmt = on ? int(TLCF_OPTION1) : 0;
    return Send(TLM_SETCOLUMN, column, &lv);
}

LRESULT CTreeListCtrl::SetColumnOption8(uint32_t column, bool on)
{
    LVCOLUMNA lv = {};
    lv.mask = TLCF_OPTION2;
    lv.fmt = on ? int(TLCF_OPTION2) : 0;
    return Send(TLM_SETCOLUMN, column, &lv);
}

LRESULT CTreeListCtrl::SetColumnFill(uint32_t column, bool on, int width, int secondOption)
{
    LVCOLUMNA lv = {};
    lv.mask = TLCF_FILL;
    lv.fmt = on ? int(TLCF_FILL) : 0;
    if (width >= 0) {
        lv.mask |= LVCF_WIDTH;
        lv.cx = width;
    }
    if (secondOption >= 0) {
        lv.mask |= TLCF_RESHARE;
        lv.fmt |= secondOption > 0 ? int(TLCF_RESHARE) : 0;
    }
    return Send(TLM_SETCOLUMN, column, &lv);
}

CImageList* CTreeListCtrl::CreateDragImage(uint32_t item, uint32_t column)
{
    const HIMAGELIST list =
        reinterpret_cast<HIMAGELIST>(Send(TVM_CREATEDRAGIMAGE, column, reinterpret_cast<const void*>(uintptr_t(item))));
    if (!list)
        return nullptr;
    CImageList* wrapped = new CImageList;
    wrapped->Attach(list);
    return wrapped;
}
