// The gallery's pages: one line per dialog or control, each opening it with
// sample contents.
#pragma once

#include <vector>

struct GalleryPage {
    const char* name;   // the command-line name
    const char* title;  // the caption of the window it opens
    int (*open)();      // runs it; the exit code
};

const std::vector<GalleryPage>& GalleryPages();

// The toolbar page (gallery_toolbar.cpp).
int OpenToolbarPage();
