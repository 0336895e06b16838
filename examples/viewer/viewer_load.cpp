#include "examples/viewer/viewer_load.h"

#include "graphics/formats/format_dispatch.h"

int LoadViewerImage(const char* path, CGraphicsImage* image)
{
    return LoadGraphicsFile(path, *image);
}
