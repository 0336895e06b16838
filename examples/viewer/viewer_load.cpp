#include "examples/viewer/viewer_load.h"

#include "graphics/formats/format_dispatch.h"
#include "platform/win32/win.h"

namespace {

// BMP files through the system, until the library reads them.
int LoadBmpStandIn(const char* path, CGraphicsImage* image)
{
    const HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap)
        return kLoadUnknownFormat;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    int result = kLoadUnknownFormat;
    if (info.bmWidth > 0 && info.bmHeight > 0 && image->Create(32, uint32_t(info.bmWidth), uint32_t(info.bmHeight))) {
        BITMAPINFO layout = {};
        layout.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        layout.bmiHeader.biWidth = info.bmWidth;
        layout.bmiHeader.biHeight = info.bmHeight;  // bottom-up, as the image lies
        layout.bmiHeader.biPlanes = 1;
        layout.bmiHeader.biBitCount = 32;
        layout.bmiHeader.biCompression = BI_RGB;
        const HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), image->m_pBits, &layout, DIB_RGB_COLORS) ==
            info.bmHeight)
            result = 0;
        ReleaseDC(nullptr, screen);
        if (result != 0)
            image->Clear();
    }
    DeleteObject(bitmap);
    return result;
}

}  // namespace

int LoadViewerImage(const char* path, CGraphicsImage* image)
{
    const int result = LoadGraphicsFile(path, *image);
    if (result == kLoadUnknownFormat)
        return LoadBmpStandIn(path, image);
    return result;
}
