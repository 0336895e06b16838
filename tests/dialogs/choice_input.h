// Real input for the choice dialogs' tests: a modal run whose action is sent
// through the input queue (SendInput) and whose result is looked at once the
// queue has taken it, the popup menu that action opened (read from inside
// its own loop), and the comparison of a window's pixels with those of a
// full repaint.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/win.h"
#include "tests/winharness/real_input.h"
#include "tests/winharness/screenshot.h"
#include "ui/dialogs/list_select_dlg.h"

namespace choice_input {

// What a row of a real-input table expects of its action.
struct Outcome {
    bool open = false;              // still open once the action was handled (then closed by OK)
    INT_PTR result = 0;             // DoModal's answer
    int current = -1;               // the dialog's current index after the run
    std::string flags;              // each entry's selected flag after the run, '0' or '1'
    std::vector<std::string> menu;  // the texts of the popup menu the action opened
    int menuRow = -1;               // the row holding the menu's top-left corner
    bool editor = false;            // an in-place editor open after the action
    bool operator==(const Outcome&) const = default;
};
void PrintTo(const Outcome& outcome, std::ostream* os);

// Where an action happens: the dialog, its list and the input to send it by
// (Pump::kNo: the dialog's own loop takes it).
struct Scene {
    HWND top;
    HWND list;
    winharness::RealInput& input;
};

// The parts of the outcome that only the open dialog can tell: what the
// dialog kind shows (its editor, the row at a screen point).
struct Looks {
    std::function<HWND(HWND top)> list;
    std::function<bool(HWND list)> editorOpen;
    // The row whose rectangle holds the screen point, -1 when none.
    std::function<int(HWND list, POINT screen)> rowAt;
};

typedef std::function<void(Scene&)> Action;
// A part of an action that may have to wait for what the one before
// started (the system's size loop): false to be tried again at the next
// tick.
typedef std::function<bool(Scene&)> Phase;

// Runs the dialog: once it shows and is active, the action; once the queue
// has taken the input and a popup menu it opened was read (and the entry
// `pick` chosen, or the menu closed), the open dialog is looked at and
// closed by OK. `staysOpen` says whether the action leaves the dialog open:
// a dialog that the action ended has no look. `lookMore` looks further at
// the open dialog before it closes.
// The dialog's current index and selected flags after the run complete the
// outcome. A run not done within `patienceMs` fails the test.
constexpr DWORD kRunPatienceMs = 5000;
Outcome RunWithInput(CChoiceDlg& dialog, const Looks& looks, const Action& act, bool staysOpen,
                     const std::string& pick = "", const std::function<void(HWND top)>& lookMore = {},
                     DWORD patienceMs = kRunPatienceMs);
Outcome RunWithInput(CChoiceDlg& dialog, const Looks& looks, const std::vector<Phase>& phases, bool staysOpen,
                     const std::string& pick = "", const std::function<void(HWND top)>& lookMore = {},
                     DWORD patienceMs = kRunPatienceMs);

// A drag of the window's size border at the corner or edge `edge` (a WMSZ_
// code) by `by` pixels. The moves and the release wait until the system's
// size loop has taken the capture: sent before, they would go to whatever
// window lies under their points.
std::vector<Phase> SizeBorderDrag(int edge, SIZE by);

// A drag of the dialog's size border by `by`, after the dialog was moved to
// `place`: how much the window grew, and whether it then showed what a full
// repaint draws (else why not; the pictures are saved under `name`).
struct SizeDragSeen {
    SIZE grown = {};
    bool same = false;
    std::string why;
};
SizeDragSeen DragSizeBorder(CChoiceDlg& dialog, const Looks& looks, POINT place, int edge, SIZE by,
                            const std::string& name);

// A drag of the size border (edge: a WMSZ_ code) and how far it grows the
// dialog.
struct SizeDrag {
    const char* name;
    int edge;
    SIZE by, grown;
};
// Each drag on a dialog of its own, filled by `fill` and moved to 200,100:
// it grows as the drag says and then shows what a full repaint draws, with
// no repaint after the drag (the pictures saved as prefix + name).
template <class Dialog>
void ExpectSizeDragsLeaveNothingStale(const Looks& looks, const std::vector<SizeDrag>& drags,
                                      const std::function<void(Dialog&)>& fill, const std::string& prefix)
{
    for (const SizeDrag& c : drags) {
        Dialog dialog;
        fill(dialog);
        const SizeDragSeen seen = DragSizeBorder(dialog, looks, {200, 100}, c.edge, c.by, prefix + c.name);
        EXPECT_EQ(std::vector<int>({seen.grown.cx, seen.grown.cy}), std::vector<int>({c.grown.cx, c.grown.cy}))
            << c.name;
        EXPECT_TRUE(seen.same) << c.name << ": " << seen.why;
    }
}

// Whether the window's client area shows what a full repaint would draw;
// on a difference the first few differing pixels are described in *why and
// the pictures saved under the name in the test's temporary folder.
bool ShowsWhatARepaintDraws(HWND wnd, const std::string& name, std::string* why);

}  // namespace choice_input
