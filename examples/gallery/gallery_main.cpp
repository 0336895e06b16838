// gallery NAME: opens one dialog or control of the UI library by name, so
// it can be looked at (tools/screenshot.sh --gallery NAME OUT.png). Without
// a name it lists the names.
#include <cstdio>
#include <cstring>

#include "examples/gallery/gallery_pages.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        for (const GalleryPage& page : GalleryPages())
            std::printf("%s\n", page.name);
        return 0;
    }
    // --title NAME: the caption of the page's window, for the screenshot script.
    const bool title = argc > 2 && std::strcmp(argv[1], "--title") == 0;
    const char* name = title ? argv[2] : argv[1];
    for (const GalleryPage& page : GalleryPages()) {
        if (std::strcmp(page.name, name) != 0)
            continue;
        if (title) {
            std::printf("%s\n", page.title);
            return 0;
        }
        return page.open();
    }
    std::fprintf(stderr, "gallery: no page named %s\n", name);
    return 2;
}
