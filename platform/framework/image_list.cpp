#include "platform/framework/image_list.h"

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    if (m_hImageList)
        return FALSE;
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

BOOL CImageList::Attach(HIMAGELIST list)
{
    if (m_hImageList || !list)
        return FALSE;
    m_hImageList = list;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    const HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}

BOOL CImageList::DeleteImageList()
{
    const HIMAGELIST list = Detach();
    return list ? ImageList_Destroy(list) : FALSE;
}

int CImageList::GetImageCount() const
{
    return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0;
}

BOOL CImageList::GetImageInfo(int image, IMAGEINFO* info) const
{
    return m_hImageList && info ? ImageList_GetImageInfo(m_hImageList, image, info) : FALSE;
}

BOOL CImageList::GetIconSize(int* cx, int* cy) const
{
    return m_hImageList ? ImageList_GetIconSize(m_hImageList, cx, cy) : FALSE;
}

int CImageList::Add(HBITMAP bitmap, COLORREF mask)
{
    return m_hImageList ? ImageList_AddMasked(m_hImageList, bitmap, mask) : -1;
}

BOOL CImageList::Draw(HDC dc, int image, POINT point, UINT style) const
{
    return m_hImageList ? ImageList_Draw(m_hImageList, image, dc, point.x, point.y, style) : FALSE;
}
