// CFloatingFrame: a small popup tool window with a caption that holds one
// control bar away from its frame's edges. Its frame floats and docks the
// bar (CFrameWnd::FloatControlBar, DockControlBar); the bar keeps that
// frame as its dock site, so commands and the idle update go there as
// before. Closing the window (its ×) hides the bar as ShowControlBar does.
// A bar that may be docked by the user is dragged by the caption (onto an
// edge to dock it, elsewhere to move it), and a double click on the
// caption docks it back at its last place.
#pragma once

#include "platform/framework/wnd.h"

class CControlBar;
class CFrameWnd;

class CFloatingFrame : public CWnd {
public:
    // A hidden frame at a screen point, owned by the dock site, with the bar
    // moved into it; null when the window cannot be made. The frame deletes
    // itself once its window is gone.
    static CFloatingFrame* Create(CFrameWnd* dockSite, CControlBar* bar, POINT at);

    CControlBar* GetBar() const { return m_bar; }
    // Sizes the bar as it floats (its remembered width, one row or column)
    // and fits the window around it.
    void RecalcLayout();
    // Fits the window around the bar as it is now, kept on the work area of
    // the monitor it was on.
    void FitToBar();
    // Moves the window, as little as it takes, onto the work area of the
    // monitor nearest to it (or to the screen rectangle given).
    void KeepOnWorkArea(const RECT* monitorOf = nullptr);
    // Gives the bar back to its dock site and destroys the window.
    void ReleaseBar(CFrameWnd* dockSite);
    // The widths of the window's borders and caption around its client:
    // left, top, right, bottom.
    static RECT Insets();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void PostNcDestroy() override;
    void OnClose();
    LRESULT OnNcLButtonDown(WPARAM hit, LPARAM point);
    LRESULT OnNcLButtonDblClk(WPARAM hit, LPARAM point);
    DECLARE_MESSAGE_MAP()

private:
    CFloatingFrame() = default;
    CFrameWnd* DockSite() const;

    CControlBar* m_bar = nullptr;
    bool m_autoDelete = false;
};
