// Loading the viewer's file: through the graphics library's dispatcher, and
// for BMP files, which it does not read yet, through the system (a stand-in
// to remove when the BMP reader is in).
#pragma once

#include "graphics/image.h"

// The dispatcher's result: 0 on success, negative on failure (-2 an unknown
// format, -3 the file cannot be opened, ...).
int LoadViewerImage(const char* path, CGraphicsImage* image);
