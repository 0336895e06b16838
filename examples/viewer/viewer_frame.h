// The viewer's top-level window: a canvas filling its client area shows one
// picture, centred when smaller, with scroll bars when larger.
#pragma once

#include "graphics/image.h"
#include "platform/framework/wnd.h"
#include "ui/canvas/bitmap_wnd.h"

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

private:
    static constexpr UINT kCanvasId = 1;
    CBitmapWnd m_canvas;
    bool m_quitOnDestroy = false;

    DECLARE_MESSAGE_MAP()
};
