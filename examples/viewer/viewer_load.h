// Loading the viewer's file. Stands in for the graphics library's
// dispatcher until it is in the tree: BMP files only, through the system.
#pragma once

#include "graphics/image.h"

// 0 on success; -2 an unknown format, -3 the file cannot be opened (the
// dispatcher's codes).
int LoadViewerImage(const char* path, CGraphicsImage* image);
