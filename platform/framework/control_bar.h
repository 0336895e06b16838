// CControlBar and CToolBar: windows docked at an edge of their frame, or
// floating in a small frame of their own. A bar has alignment and behaviour
// bits (m_dwStyle), borders around its contents and reports the size it
// needs for a docking position; the frame's idle loop asks it to update its
// commands.
#pragma once

#include "platform/framework/bar_styles.h"
#include "platform/framework/cmd_ui.h"
#include "platform/framework/runtime_class.h"
#include "platform/framework/wnd.h"

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

    void SetBorders(int left, int top, int right, int bottom);
    void SetBorders(const RECT& borders) { SetBorders(borders.left, borders.top, borders.right, borders.bottom); }
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD style) { m_dwStyle = style; }
    BOOL IsHorizontal() const { return (m_dwStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) == 0; }
    // Shrinks a rectangle by the borders (the inside where contents go).
    virtual void CalcInsideRect(RECT& rect, BOOL horz) const;
    virtual SIZE CalcFixedLayout(BOOL stretch, BOOL horz);
    virtual SIZE CalcDynamicLayout(int length, DWORD mode);
    // Updates the bar's commands against the target (its frame).
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
    // The frame this bar docks in, also while it floats.
    CFrameWnd* GetDockingFrame() const { return m_pDockSite; }
    BOOL IsFloating() const { return m_floatFrame != nullptr; }
    CFloatingFrame* GetFloatingFrame() const { return m_floatFrame; }

    BOOL DestroyWindow() override;

protected:
    // Registers the bar with its frame (the parent) once created.
    void AttachToFrame(CWnd* parent);
    LRESULT OnIdleUpdate(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

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
