// CDockContext: the user moving a control bar with the mouse. A press on a
// bar's gripper or empty space, or on a floating bar's caption, runs a loop
// that follows the pointer once it has moved past the drag threshold, with
// the shape the bar would take there drawn on the screen: a thin frame over
// an edge it would dock to, a thick dithered one where it would float. The
// release docks or floats the bar there; Escape, a right click (the whole
// click: its release opens no menu), a lost capture or a release the system
// lost leave it where it was; Ctrl held keeps it from docking. A drag whose
// bar or frame is destroyed meanwhile (by any message handled while it runs,
// one another thread sent included) ends at once. A double
// click docks a floating bar back at its last place, or floats a docked one
// at its last floating place.
#pragma once

#include "platform/win32/win.h"

class CControlBar;

class CDockContext {
public:
    explicit CDockContext(CControlBar* bar) : m_bar(bar) {}
    CDockContext(const CDockContext&) = delete;
    CDockContext& operator=(const CDockContext&) = delete;

    // Runs the drag from a press at a screen point until the button is
    // released or the drag is cancelled. A floating frame the press came
    // from may be gone afterwards, and so may the bar and this context with
    // it: nothing of them is used once they are.
    void StartDrag(POINT press);
    void ToggleDocking();

private:
    CControlBar* m_bar;
};
