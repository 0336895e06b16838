// CFrameWnd and CWinApp: a main window that stacks its docked control bars
// along its edges and gives the rest to its view, and the application object
// whose idle loop updates the bars' commands.
//
// Commands reach the active view first, then the frame's own handlers, then
// the application; notifications the frame does not answer go on to the
// view. A command with a bar's id shows or hides that bar, and its menu
// entry is checked while the bar shows; menu entries are updated as they
// open. Bars dock at the frame's edges or float in a small frame of their
// own; where the frame and a bar enable docking, the user drags the bar off
// an edge to float it and onto an edge to dock it (CDockContext).
#pragma once

#include <algorithm>
#include <vector>

#include "platform/framework/cmd_ui.h"
#include "platform/framework/dock_geometry.h"
#include "platform/framework/runtime_class.h"
#include "platform/framework/wnd.h"

class CControlBar;

class CFrameWnd : public CWnd {
public:
    static const CRuntimeClass classCFrameWnd;
    virtual const CRuntimeClass* GetRuntimeClass() const;

    ~CFrameWnd() override;

    BOOL Create(const char* title, DWORD style = WS_OVERLAPPEDWINDOW, const RECT* rect = nullptr,
                CWnd* parent = nullptr);

    // Places the visible bars (in the order they were added) along their
    // edges and the active view in what is left.
    virtual void RecalcLayout(BOOL notify = TRUE);
    // Shows or hides a bar (a floating bar with its frame); with delay the
    // layout waits for the next idle. The keyboard focus inside a bar that
    // hides goes to the active view (else the frame); a bar shown again
    // before the application goes idle (laid out anew) gets it back.
    void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay);
    // Moves a bar of this frame into a floating frame whose top left corner
    // is the screen point (or moves that frame there), moved onto the work
    // area of the nearest monitor where it would reach past it; the docked
    // bars close up. A hidden bar floats hidden.
    void FloatControlBar(CControlBar* bar, POINT point);
    // Puts a floating bar back at its edge, in its place among the bars.
    void DockControlBar(CControlBar* bar);
    // Docks a bar at a side (a CBRS_ALIGN_ bit), in the row that a bar
    // dropped as the screen rectangle lands in.
    void DockControlBar(CControlBar* bar, DWORD side, const RECT& drop);
    // The sides bars may be dragged to (CBRS_ALIGN_ bits).
    void EnableDocking(DWORD sides) { m_dwDockStyle = sides & CBRS_ALIGN_ANY; }
    // Where the bar could dock now: the client area, the sides both allow
    // and what the docked bars cover at each side, on the screen.
    dock::DockSite DockSiteFor(const CControlBar* bar) const;
    // The side a docked bar lies at (its alignment; none counts as the top).
    static DWORD SideOf(const CControlBar* bar);
    CFrameWnd* GetActiveFrame() { return this; }
    CWnd* GetActiveView() const { return m_activeView; }
    void SetActiveView(CWnd* view) { m_activeView = view; }

    void AddControlBar(CControlBar* bar);
    void RemoveControlBar(CControlBar* bar);
    const std::vector<CControlBar*>& ControlBars() const { return m_bars; }
    // The idle update: a pending layout, then every bar's commands.
    void OnIdleUpdateCmdUI();
    // True when the view, the frame or the application handles the command.
    BOOL HasCommandHandler(UINT id) const;
    int LayoutCount() const { return m_layouts; }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    void OnSize(UINT type, int cx, int cy);
    void OnDestroy();
    LRESULT OnIdleMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

    std::vector<CControlBar*> m_bars;
    CWnd* m_activeView = nullptr;
    DWORD m_dwDockStyle = 0;
    bool m_layoutPending = false;
    bool m_inLayout = false;
    int m_layouts = 0;

private:
    // The bar with the id (a control-bar id), or null.
    CControlBar* BarOfId(UINT id) const;
    // A command or update request for a bar's id; false for other ids.
    bool OnBarCommand(UINT id, UINT code, LPARAM lParam);
    // The docked bars shown at a side, from the edge inward, but one.
    std::vector<CControlBar*> DockedAt(DWORD side, const CControlBar* except) const;
    // Moves the focus out of a bar (or its floating frame) about to hide.
    void TakeFocusFrom(CControlBar* bar);
    // Gives a bar shown again the focus its hiding took, where nothing else
    // has taken it since.
    void GiveFocusBack(CControlBar* bar);

    // The focus the last hiding took: from where, and where it went.
    struct TakenFocus {
        CControlBar* bar = nullptr;
        HWND from = nullptr, to = nullptr;
    };
    TakenFocus m_takenFocus;
};

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    CWnd* m_pMainWnd = nullptr;

    // The last stop of command routing; true when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL HasCommandHandler(UINT id) const;
    // Runs when the queue is empty: the main frame's command update. True
    // asks for more idle calls.
    virtual BOOL OnIdle(LONG count);
    // The message loop with idle processing; the WM_QUIT code.
    int Run();
};

// The application object, or null.
CWinApp* AfxGetApp();
