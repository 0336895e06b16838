#include "tests/dialogs/choice_input.h"

#include <memory>
#include <sstream>

#include "tests/support/test_support.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/popup_menu_reader.h"

namespace choice_input {

namespace {

constexpr DWORD kActiveWithinMs = 2000;
constexpr int kShownDifferences = 4;
constexpr UINT kFullRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;

// The popup menu an action opened: read from a step that runs inside the
// menu's own loop, then answered by keys as a user would.
struct MenuSeen {
    std::vector<std::string> texts;
    RECT place = {};
    bool answered = false;
};

void AnswerMenu(HWND menuWindow, const std::string& pick, MenuSeen& seen)
{
    GetWindowRect(menuWindow, &seen.place);
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    int downs = 0, target = 0;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        seen.texts.push_back(text);
        if (!(GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_SEPARATOR))
            ++downs;  // the arrow key passes over separators
        if (!pick.empty() && pick == text)
            target = downs;
    }
    // The first arrow key marks the first entry; Enter chooses it.
    for (int i = 0; i < target; ++i)
        PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menuWindow, WM_KEYDOWN, target ? VK_RETURN : VK_ESCAPE, 0);
    seen.answered = true;
}

// The GUI_ state flags of this thread: its move, size and menu loops.
DWORD LoopFlags()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) ? info.flags : 0;
}

// The action's input handled: nothing left in the queue, no size loop
// running and no menu open (one that opened is read and answered first).
bool InputHandled(const std::string& pick, MenuSeen& seen)
{
    if (HIWORD(GetQueueStatus(QS_INPUT)) != 0 || (LoopFlags() & GUI_INMOVESIZE))
        return false;
    const HWND menuWindow = winharness::ThreadMenu(GetCurrentThreadId());
    if (menuWindow) {
        if (!seen.answered)
            AnswerMenu(menuWindow, pick, seen);
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

std::string Describe(const winharness::Screenshot& now, const winharness::Screenshot& repainted)
{
    std::ostringstream out;
    int differing = 0;
    for (int y = 0; y < now.height; ++y)
        for (int x = 0; x < now.width; ++x)
            if (now.At(x, y) != repainted.At(x, y) && ++differing <= kShownDifferences)
                out << " (" << x << "," << y << ") " << std::hex << now.At(x, y) << " instead of "
                    << repainted.At(x, y) << std::dec;
    return std::to_string(differing) + " pixels differ:" + out.str();
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

Outcome RunWithInput(CDialog& dialog, const Looks& looks, const Action& act, bool staysOpen, const std::string& pick,
                     const std::function<void(HWND top)>& lookMore)
{
    const Phase once = [&act](Scene& scene) {
        act(scene);
        return true;
    };
    return RunWithInput(dialog, looks, std::vector<Phase>{once}, staysOpen, pick, lookMore);
}

Outcome RunWithInput(CDialog& dialog, const Looks& looks, const std::vector<Phase>& phases, bool staysOpen,
                     const std::string& pick, const std::function<void(HWND top)>& lookMore)
{
    Outcome outcome;
    MenuSeen menu;
    winharness::RealInput input(winharness::RealInput::Pump::kNo);
    winharness::ModalDriver driver;
    const DWORD start = GetTickCount();
    driver.Then([&](winharness::ModalDriver& d) {
        const HWND top = d.TopDialog();
        if (!top || !IsWindowVisible(top) || !winharness::Activated(top, start, kActiveWithinMs))
            return false;
        // The pointer rests away from the dialog: a menu that opens under it
        // would take its highlight from the pointer, not from the keys.
        POINT away = {GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
        ScreenToClient(top, &away);
        input.MoveTo(top, away);
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
            if (menu.answered)
                outcome.menuRow = looks.rowAt(list, POINT{menu.place.left, menu.place.top});
            if (lookMore)
                lookMore(top);
            PostMessageA(top, WM_COMMAND, IDOK, 0);
            return true;
        });
    driver.Run([&] { outcome.result = dialog.DoModal(); });
    outcome.menu = menu.texts;
    return outcome;
}

bool ShowsWhatARepaintDraws(HWND wnd, const std::string& name, std::string* why)
{
    winharness::Screenshot now, repainted;
    if (!winharness::CaptureWindow(wnd, &now)) {
        *why = "no window";
        return false;
    }
    RedrawWindow(wnd, nullptr, nullptr, kFullRepaint);
    winharness::CaptureWindow(wnd, &repainted);
    const std::string folder = lindar_test::TempDir() + "/";
    winharness::SavePng(now, folder + name + ".png");
    if (now.pixels == repainted.pixels && now.width == repainted.width)
        return true;
    winharness::SavePng(repainted, folder + name + "-repainted.png");
    *why = now.width != repainted.width || now.height != repainted.height ? "the size changed"
                                                                          : Describe(now, repainted);
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
            for (int i = 1; i <= kDragMoves; ++i)
                s.input.MoveTo(s.top, {from->x + by.cx * i / kDragMoves, from->y + by.cy * i / kDragMoves});
            s.input.Release(s.top, {from->x + by.cx, from->y + by.cy});
            return true;
        },
    };
}

SizeDragSeen DragSizeBorder(CDialog& dialog, const Looks& looks, POINT place, int edge, SIZE by,
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
