// Loading the viewer's file: through the graphics library's dispatcher,
// which reads every format by its content. A file that cannot be shown is
// reported in a message box, as a Windows user sees no standard error.
#pragma once

#include "graphics/image.h"
#include "platform/win32/win.h"

#include <string>

// The caption of the box that reports a file the viewer cannot show.
constexpr char kViewerErrorCaption[] = "Fehler";

// The dispatcher's result: 0 on success, negative on failure (-2 an unknown
// format, -3 the file cannot be opened, ...).
int LoadViewerImage(const char* path, CGraphicsImage* image);

// The report of a file that cannot be shown: its name, then the library's
// reason.
std::string ViewerLoadErrorText(const char* path, const char* reason);

// LoadViewerImage; on failure the report is shown in a message box
// kViewerErrorCaption (owned by `owner`) before the result is returned.
int LoadViewerImageOrReport(HWND owner, const char* path, CGraphicsImage* image);
