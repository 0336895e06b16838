// The viewer's top-level window: a canvas filling its client area shows one
// picture, centred when smaller, with scroll bars when larger.
#pragma once

#include <cstdint>

#include "graphics/image.h"
#include "platform/framework/wnd.h"
#include "ui/canvas/bitmap_wnd.h"

// The viewer's canvas. It holds the keyboard focus and scrolls the picture
// as image viewers do: the arrow keys by the scroll bars' line, Page Up and
// Page Down by a page, Home and End to the top and the bottom; the wheel by
// the system's wheel lines, sideways with Shift.
class CViewerCanvas : public CBitmapWnd {
public:
    // After creation: the wheel comes through the canvas's message callback.
    void TakeWheel();

protected:
    LRESULT OnKeyDown(WPARAM key, LPARAM keyData);

private:
    static void OnCanvasMessage(uintptr_t self, UINT message, UINT keyFlags, int x, int y);
    void OnWheel(int delta, bool sideways);
    void ScrollBy(int dx, int dy);

    int m_wheelRest[2] = {};  // what the wheel turned short of a pixel, sideways and down

    DECLARE_MESSAGE_MAP()
};

class CViewerFrame : public CWnd {
public:
    // Margins around a small picture.
    static constexpr COLORREF kBackground = RGB(64, 64, 64);

    // A frame whose client area fits width x height within the work area.
    // With quitOnDestroy closing the frame ends the message loop.
    BOOL CreateFrame(const char* title, int width, int height, bool quitOnDestroy);
    // Copies the picture (up to the canvas's largest buffer) into the canvas.
    bool ShowImage(const CGraphicsImage& image);
    CBitmapWnd& Canvas() { return m_canvas; }

protected:
    int OnCreate(CREATESTRUCTA* cs);
    void OnSize(UINT type, int cx, int cy);
    void OnDestroy();
    // The keys go to the canvas.
    LRESULT OnSetFocus(WPARAM, LPARAM);

private:
    static constexpr UINT kCanvasId = 1;
    CViewerCanvas m_canvas;
    bool m_quitOnDestroy = false;

    DECLARE_MESSAGE_MAP()
};
