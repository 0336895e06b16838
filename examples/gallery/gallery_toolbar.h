// The gallery's toolbar page: a frame with three toolbar bars, one per icon
// size, two docked and the third floating beside the frame; the first holds
// a swatch, a combo box and an edit in buttons, a disabled and a checked
// button. The bars dock at every edge and float, dragged by their grippers
// and captions; the "Ansicht" menu shows and hides each of them, and a bar's
// context menu sets its icon size and its flat look.
#pragma once

#include "platform/framework/frame.h"
#include "ui/toolbar/toolbar_bar.h"

class ToolbarPage;

// A bar of the page: while its context menu is open the page knows it as
// the bar the menu's commands are for.
class ToolbarPageBar : public CToolBarNew {
public:
    ToolbarPage* page = nullptr;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class ToolbarPage : public CFrameWnd {
public:
    static constexpr int kBars = 3;
    ToolbarPageBar bars[kBars];
    CWnd view, combo, edit;
    // The bar whose context menu is open, while it is.
    CToolBarNew* menuBar = nullptr;

    // The window with its menu at a place on the screen, not shown yet.
    bool Open(const RECT& place);
    // Its bars, view and controls; the application's main window is set.
    bool Build();

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void OnAny() {}
    void OnUpdatePrint(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnUpdateGrid(CCmdUI* ui) { ui->SetCheck(1); }
    DECLARE_MESSAGE_MAP()

private:
    void SetIconSize(CToolBarNew& bar, int mode);
};
