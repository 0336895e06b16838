#include "examples/viewer/viewer_load.h"

#include "graphics/formats/format_dispatch.h"
#include "system/message_box.h"

int LoadViewerImage(const char* path, CGraphicsImage* image)
{
    return LoadGraphicsFile(path, *image);
}

std::string ViewerLoadErrorText(const char* path, const char* reason)
{
    return std::string(path ? path : "") + "\n\n" + (reason ? reason : "");
}

int LoadViewerImageOrReport(HWND owner, const char* path, CGraphicsImage* image)
{
    const int loaded = LoadViewerImage(path, image);
    if (loaded == kLoadOk)
        return loaded;
    // The reason lives in this thread's buffer until its next load.
    const std::string text = ViewerLoadErrorText(path, GetGraphicsLoadError());
    MSGBOXPARAMSA box = {};
    box.cbSize = sizeof box;
    box.hwndOwner = owner;
    box.lpszText = text.c_str();
    box.lpszCaption = kViewerErrorCaption;
    box.dwStyle = MB_OK | MB_ICONHAND;
    ShowMessageBox(&box, 0, 0);
    return loaded;
}
