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

}  // namespace winharness
