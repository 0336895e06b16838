// CControlBar and CToolBar: windows docked at an edge of their frame, or
// floating in a small frame of their own. A bar has alignment and behaviour
// bits (m_dwStyle), borders around its contents (its non-client area, with
// a gripper while docked when it asks for one) and reports the size it
// needs for a docking position; the frame's idle loop asks it to update its
// commands. A bar the user may move is dragged by its gripper or empty
// space (CDockContext).
#pragma once

#include <memory>

#include "platform/framework/bar_styles.h"
#include "platform/framework/cmd_ui.h"
#include "platform/framework/runtime_class.h"
#include "platform/framework/wnd.h"

class CDockContext;
class CFloatingFrame;
class CFrameWnd;

class CControlBar : public CWnd {
public:
    static const CRuntimeClass classCControlBar;
    virtual const CRuntimeClass* GetRuntimeClass() const;

    ~CControlBar() override;

    DWORD m_dwStyle = 0;
    int m_cxLeftBorder = 6, m_cxRightBorder = 0, m_cyTopBorder = 2, m_cyBottomBorder = 2;
    CFrameWnd* m_pDockSite = nullptr;
    CFloatingFrame* m_floatFrame = nullptr;  // set while the bar floats
    // The sides the user may drag the bar to (CBRS_ALIGN_ bits); the drag
    // exists once docking is enabled.
    DWORD m_dwDockStyle = 0;
    std::unique_ptr<CDockContext> m_pDockContext;
    // Where the bar's floating frame stood when it last docked.
    POINT m_lastFloatPos = {0, 0};
    bool m_hasFloatPos = false;

    void SetBorders(int left, int top, int right, int bottom);
    void SetBorders(const RECT& borders) { SetBorders(borders.left, borders.top, borders.right, borders.bottom); }
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD style) { m_dwStyle = style; }
    BOOL IsHorizontal() const { return (m_dwStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) == 0; }
    // Lies in a row now: docked at the top or bottom, or floating.
    BOOL IsHorizontalNow() const { return IsFloating() || IsHorizontal(); }
    // Shrinks a rectangle by the borders and, while docked, the gripper
    // (the inside where contents go).
    virtual void CalcInsideRect(RECT& rect, BOOL horz) const;
    virtual SIZE CalcFixedLayout(BOOL stretch, BOOL horz);
    virtual SIZE CalcDynamicLayout(int length, DWORD mode);
    // Updates the bar's commands against the target (its frame).
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
    // The frame this bar docks in, also while it floats.
    CFrameWnd* GetDockingFrame() const { return m_pDockSite; }
    BOOL IsFloating() const { return m_floatFrame != nullptr; }
    CFloatingFrame* GetFloatingFrame() const { return m_floatFrame; }
    // Lets the user drag the bar to the sides given (CBRS_ALIGN_ bits) and
    // off them to float; 0 leaves it where the program puts it.
    void EnableDocking(DWORD sides);
    // The item under a client point, -1 for the bar's empty space, where a
    // press drags the bar.
    virtual int OnToolHitTest(POINT client) const;
    // The widths around the contents (left, top, right, bottom) for a bar
    // style, in a row or a column, docked or floating.
    RECT BorderInsets(DWORD style, BOOL horz, bool floating) const;
    // Tells the window its borders changed (docked, floating, another side).
    void FrameChanged();

    BOOL DestroyWindow() override;

protected:
    // Registers the bar with its frame (the parent) once created.
    void AttachToFrame(CWnd* parent);
    LRESULT OnIdleUpdate(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(UINT keys, POINT point);
    void OnLButtonDblClk(UINT keys, POINT point);

    DECLARE_MESSAGE_MAP()
};

// A bar of buttons. The framework's own bar hosts no control; bars that
// create one derive from it.
class CToolBar : public CControlBar {
public:
    static const CRuntimeClass classCToolBar;
    const CRuntimeClass* GetRuntimeClass() const override;

    CToolBar();
    SIZE m_sizeButton = {23, 22};
    SIZE m_sizeImage = {16, 15};
    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

// Updates the enabled state of the bar's child controls that have ids;
// controls nobody handles stay as they are.
void UpdateDialogControls(CWnd* bar, CWnd* target);
