// Loading the viewer's file: through the graphics library's dispatcher,
// which reads every format by its content.
#pragma once

#include "graphics/image.h"

// The dispatcher's result: 0 on success, negative on failure (-2 an unknown
// format, -3 the file cannot be opened, ...).
int LoadViewerImage(const char* path, CGraphicsImage* image);
