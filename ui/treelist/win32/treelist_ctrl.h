// CTreeListCtrl: the framework class through which the application uses the
// "TreeList" control. It creates the window (free-standing or in place of a
// dialog's placeholder) and packs typed arguments into the control's
// messages; it keeps no state of its own.
#pragma once

#include "platform/framework/image_list.h"
#include "platform/framework/runtime_class.h"
#include "platform/framework/wnd.h"
#include "ui/treelist/core/treelist_api.h"

#include <cstdint>

// A two-argument text comparison (strcmp's shape).
typedef int (*TreeListTextCompareFn)(const char* a, const char* b);

// The six-argument compare form of the sorted insert: calls the parameter as
// a text comparison with (text of the new item, text of the existing item).
int CALLBACK TreeListTextCompareAdapter(HWND window, HTREEITEM existing, LPCSTR existingText, LPCSTR newText,
                                        LPARAM existingData, LPARAM parameter);

class CTreeListCtrl : public CWnd {
public:
    static const CRuntimeClass classCTreeListCtrl;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    CTreeListCtrl() = default;
    ~CTreeListCtrl() override = default;

    // "Not given" values of the optional arguments.
    static constexpr int kNoAlign = -1;
    static constexpr int kNoMinWidth = 0x8000;
    static constexpr int kNoImage = -1;
    static constexpr int kNoState = -1;

    BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // In place of the dialog's control placeholderId (which stays, behind
    // the new window in the z-order); 1, or 0 when creation fails.
    int CreateOverControl(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* dialog, UINT id);

    // Width below 0: a proportional weight of -width.
    int InsertColumn(uint32_t index, const char* text, int align, int width, int minWidth = kNoMinWidth);
    LRESULT SetItems(uint32_t item, uint32_t column, UINT mask, const char* text, int image, int selectedImage,
                     UINT state, UINT stateMask, LPARAM data);
    LRESULT CountItems(uint32_t item, UINT mask, UINT state, UINT stateMask, LPARAM data, int image);
    // The new item's row, -1 when it is not shown or the insert failed.
    int InsertItemAtRow(uint32_t row, const char* text, int image = kNoImage, int state = kNoState, UINT stateMask = 0);
    LRESULT SetItemAtRow(uint32_t row, uint32_t column, const char* text, int image = kNoImage, int state = kNoState,
                         UINT stateMask = 0);
    LRESULT GetItemTextAtRow(uint32_t row, char* buffer, int size, uint32_t column = 0);
    uint32_t FindItem(uint32_t start, UINT flags, LPARAM value, int textLength, const char* text, UINT state,
                      UINT stateMask);
    uint32_t InsertItem(UINT mask, const char* text, int image, int selectedImage, UINT state, UINT stateMask,
                        LPARAM data, uint32_t parent, uint32_t insertAfter);
    uint32_t InsertItemSorted(UINT mask, const char* text, int image, int selectedImage, UINT state, UINT stateMask,
                              LPARAM data, TreeListInsertCompareProc compare, uint32_t parent);
    uint32_t InsertItemSortedByText(UINT mask, const char* text, int image, int selectedImage, UINT state,
                                    UINT stateMask, LPARAM data, TreeListTextCompareFn compare, uint32_t parent);
    uint32_t InsertItemSortedEx(UINT mask, const char* text, int image, int selectedImage, UINT state, UINT stateMask,
                                LPARAM data, TreeListInsertCompareProc compare, uint32_t parent, LPARAM parameter);
    LRESULT SetColumnText(uint32_t column, const char* text);
    // Image below -1: no image.
    LRESULT SetColumnImage(uint32_t column, int image, bool right);
    LRESULT SetColumnBitmap(uint32_t column, HBITMAP bitmap, bool right);
    LRESULT SetColumnOption1(uint32_t column, bool on);
    LRESULT SetColumnOption8(uint32_t column, bool on);
    // Width and second option below 0: not given.
    LRESULT SetColumnFill(uint32_t column, bool on, int width, int secondOption);
    // A new list owned by the caller, or null.
    CImageList* CreateDragImage(uint32_t item, uint32_t column);

private:
    LRESULT Send(UINT message, WPARAM wParam, const void* record) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, reinterpret_cast<LPARAM>(record));
    }
    uint32_t Insert(UINT mask, const char* text, int image, int selectedImage, UINT state, UINT stateMask,
                    LPARAM data, uint32_t parent, uint32_t insertAfter, HTREEITEM compare, LPARAM parameter,
                    bool dataBehind);
    LRESULT SetColumnPicture(uint32_t column, int flag, int image, HBITMAP bitmap, bool right);
};
