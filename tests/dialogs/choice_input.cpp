#include "tests/dialogs/choice_input.h"

#include <memory>

#include "tests/dialogs/choice_test_support.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/popup_menu_reader.h"

namespace choice_input {

namespace {

constexpr DWORD kActiveWithinMs = 2000;

// The GUI_ state flags of this thread: its move, size and menu loops.
DWORD LoopFlags()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) ? info.flags : 0;
}

// The action's input handled: nothing left in the queue, no size loop
// running and no menu open. A menu that opened is read into `menu` from
// this step, inside the menu's own loop, and answered by keys as a user
// would.
bool InputHandled(const std::string& pick, winharness::OpenMenu& menu)
{
    if (winharness::InputPending() || (LoopFlags() & GUI_INMOVESIZE))
        return false;
    if (const HWND menuWindow = winharness::ThreadMenu(GetCurrentThreadId())) {
        if (!menu.window) {
            menu = winharness::ReadMenu(menuWindow);
            winharness::AnswerByKeys(menu, menu.Find(pick));
        }
        return false;
    }
    if (LoopFlags() & GUI_INMENUMODE) {
        // F10 (also with Shift) alone enters the window's menu by keys, as
        // on Windows when no popup took the key's release: left as Escape
        // would leave it.
        EndMenu();
        return false;
    }
    return true;
}

}  // namespace

void PrintTo(const Outcome& o, std::ostream* os)
{
    *os << "{open " << o.open << ", result " << o.result << ", current " << o.current << ", flags \"" << o.flags
        << "\", menu [";
    for (size_t i = 0; i < o.menu.size(); ++i)
        *os << (i ? ", " : "") << '"' << o.menu[i] << '"';
    *os << "], menuRow " << o.menuRow << ", editor " << o.editor << "}";
}

Outcome RunWithInput(CChoiceDlg& dialog, const Looks& looks, const Action& act, bool staysOpen, const std::string& pick,
                     const std::function<void(HWND top)>& lookMore, DWORD patienceMs)
{
    const Phase once = [&act](Scene& scene) {
        act(scene);
        return true;
    };
    return RunWithInput(dialog, looks, std::vector<Phase>{once}, staysOpen, pick, lookMore, patienceMs);
}

Outcome RunWithInput(CChoiceDlg& dialog, const Looks& looks, const std::vector<Phase>& phases, bool staysOpen,
                     const std::string& pick, const std::function<void(HWND top)>& lookMore, DWORD patienceMs)
{
    Outcome outcome;
    winharness::OpenMenu menu;
    winharness::RealInput input(winharness::RealInput::Pump::kNo);
    winharness::ModalDriver driver(patienceMs);
    DWORD start = GetTickCount();
    driver.Then([&](winharness::ModalDriver& d) {
        if (!winharness::ShownAndActive(d.TopDialog(), start, kActiveWithinMs))
            return false;
        // A menu that opens under the pointer would take its highlight from
        // the pointer, not from the keys.
        input.Park();
        return true;
    });
    for (const Phase& phase : phases)
        driver.Then([&](winharness::ModalDriver& d) {
            const HWND top = d.Dialogs().front();
            Scene scene{top, looks.list(top), input};
            return phase(scene);
        });
    // A dialog the action ended has nothing more to look at; a step left
    // over tells that it ended when it should have stayed.
    if (staysOpen)
        driver.Then([&](winharness::ModalDriver& d) {
            if (!InputHandled(pick, menu))
                return false;
            const HWND top = d.Dialogs().front();
            const HWND list = looks.list(top);
            outcome.open = IsWindow(top) && IsWindowVisible(top);
            outcome.editor = looks.editorOpen(list);
            if (menu.window)
                outcome.menuRow = looks.rowAt(list, POINT{menu.place.left, menu.place.top});
            if (lookMore)
                lookMore(top);
            PostMessageA(top, WM_COMMAND, IDOK, 0);
            return true;
        });
    driver.Run([&] { outcome.result = dialog.DoModal(); });
    outcome.menu = menu.Texts();
    outcome.current = dialog.m_current;
    outcome.flags = choice_test::Flags(dialog);
    return outcome;
}

bool ShowsWhatARepaintDraws(HWND wnd, const std::string& name, std::string* why)
{
    winharness::RepaintDiff diff;
    if (!winharness::CompareWithRepaint(wnd, &diff)) {
        *why = "no window";
        return false;
    }
    winharness::SavePicture(diff.shown, name + ".png");
    if (diff.Same())
        return true;
    winharness::SavePicture(diff.repainted, name + "-repainted.png");
    *why = diff.Describe();
    return false;
}

namespace {

constexpr int kFrameInset = 2;  // inside the sizing border of any frame width
constexpr int kDragMoves = 8;

// A point of the window's frame in its client coordinates: the corner or
// edge `inset` pixels inside the outer edge.
POINT FramePoint(HWND wnd, int edge, int inset)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    POINT pt = {left ? r.left + inset : right ? r.right - 1 - inset : (r.left + r.right) / 2,
                top ? r.top + inset : bottom ? r.bottom - 1 - inset : (r.top + r.bottom) / 2};
    ScreenToClient(wnd, &pt);
    return pt;
}

}  // namespace

std::vector<Phase> SizeBorderDrag(int edge, SIZE by)
{
    auto from = std::make_shared<POINT>();
    return {
        [edge, from](Scene& s) {
            *from = FramePoint(s.top, edge, kFrameInset);
            s.input.Press(s.top, *from);
            return true;
        },
        [by, from](Scene& s) {
            if (!(LoopFlags() & GUI_INMOVESIZE))
                return false;
            const POINT to = {from->x + by.cx, from->y + by.cy};
            s.input.MoveAlong(s.top, *from, to, kDragMoves);
            s.input.Release(s.top, to);
            return true;
        },
    };
}

SizeDragSeen DragSizeBorder(CChoiceDlg& dialog, const Looks& looks, POINT place, int edge, SIZE by,
                            const std::string& name)
{
    SizeDragSeen seen;
    SIZE before = {};
    auto size = [](HWND wnd) {
        RECT r = {};
        GetWindowRect(wnd, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    std::vector<Phase> phases = SizeBorderDrag(edge, by);
    phases.insert(phases.begin(), [&](Scene& s) {
        before = size(s.top);
        SetWindowPos(s.top, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return true;
    });
    RunWithInput(dialog, looks, phases, true, "", [&](HWND top) {
        const SIZE after = size(top);
        seen.grown = {after.cx - before.cx, after.cy - before.cy};
        seen.same = ShowsWhatARepaintDraws(top, name, &seen.why);
    });
    return seen;
}

}  // namespace choice_input
