// viewer.exe FILE: shows an image file in a window, or in a message box why
// it cannot.
#include <cstdio>
#include <cstring>

#include "examples/viewer/viewer_frame.h"
#include "examples/viewer/viewer_load.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: viewer FILE\n");
        return 2;
    }
    CGraphicsImage image;
    const int loaded = LoadViewerImageOrReport(nullptr, argv[1], &image);
    if (loaded != 0) {
        std::fprintf(stderr, "viewer: %s cannot be shown (%d)\n", argv[1], loaded);
        return 1;
    }
    const char* name = std::strrchr(argv[1], '\\');
    const char* slash = std::strrchr(argv[1], '/');
    if (!name || (slash && slash > name))
        name = slash;
    CViewerFrame frame;
    if (!frame.CreateFrame(name ? name + 1 : argv[1], int(image.m_nWidth), int(image.m_nHeight), true) ||
        !frame.ShowImage(image)) {
        std::fprintf(stderr, "viewer: no window\n");
        return 1;
    }
    frame.ShowWindow(SW_SHOWNORMAL);
    frame.UpdateWindow();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return int(msg.wParam);
}
