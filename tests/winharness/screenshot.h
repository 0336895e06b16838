// Pictures of windows for tests: capture what a window shows into pixels
// the test can check, and save them as PNG files to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win.h"

namespace winharness {

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first

    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// What the window shows now: its client area, or the whole window with the
// frame. Paints pending updates first. False when the window is gone.
bool CaptureWindow(HWND wnd, Screenshot* shot, bool clientOnly = true);

// The same from any device context: a rectangle of it, top-left at x, y.
bool CaptureDC(HDC dc, int x, int y, int width, int height, Screenshot* shot);

// An 8-bit RGB PNG; false with the reason in *error when writing failed.
bool SavePng(const Screenshot& shot, const std::string& path, std::string* error = nullptr);

// A picture for a person to look at: saved as `file` in the test's
// temporary folder, its path printed so the run's output leads to it.
bool SavePicture(const Screenshot& shot, const std::string& file, std::string* error = nullptr);

// What a window's client area shows against what a full repaint of it
// draws (erased, its frame and children included): a picture that only a
// repaint puts right shows a missed invalidation.
struct RepaintDiff {
    Screenshot shown, repainted;
    RECT ignored = {};  // left out of the comparison
    int differing = 0;  // pixels

    bool SizeChanged() const { return shown.width != repainted.width || shown.height != repainted.height; }
    bool Same() const { return !SizeChanged() && differing == 0; }
    bool Differs(int x, int y) const
    {
        return shown.At(x, y) != repainted.At(x, y) && !PtInRect(&ignored, POINT{x, y});
    }
    // "the size changed", or the count and the first few differing pixels
    // with both colours.
    std::string Describe(int listed = 4) const;
};
// Captures, repaints and captures again; `ignore` is a rectangle in client
// coordinates left out of the count (an editor whose caret blinks). False
// when the window is gone.
bool CompareWithRepaint(HWND wnd, RepaintDiff* diff, const RECT* ignore = nullptr);

}  // namespace winharness
