// CImageList: an image list handle that the object owns; the destructor
// destroys a list still attached (Detach first to keep it).
#pragma once

#include "platform/win32/win.h"

#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList() { DeleteImageList(); }

    HIMAGELIST m_hImageList = nullptr;

    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // Takes over a list; fails while another one is attached.
    BOOL Attach(HIMAGELIST list);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    int GetImageCount() const;
    BOOL GetImageInfo(int image, IMAGEINFO* info) const;
    BOOL GetIconSize(int* cx, int* cy) const;
    int Add(HBITMAP bitmap, COLORREF mask);
    BOOL Draw(HDC dc, int image, POINT point, UINT style) const;
};
