// The progress dialog under Wine: scripted workers drive it while checks run
// on the dialog's thread; a message hook counts the requests.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/winharness/message_hook.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/screenshot.h"
#include "ui/dialogs/input_dlg.h"
#include "ui/dialogs/progress_dlg.h"

#include <commctrl.h>
#include <objbase.h>

namespace {

using lindar_test::Eventually;
using winharness::ModalDriver;

constexpr DWORD kWaitMs = 5000;
typedef std::function<bool()> Meet;  // the worker waits there for the next check
typedef std::function<void(HWND dialog, ModalDriver& d)> Check;

// Runs the dialog; the worker's n-th Meet() lets check n run on the dialog's
// thread one tick later, when the requests posted before it are handled
// (posted messages come before timer ticks). Plain driver steps follow.
INT_PTR RunScript(CProgressDlg& dialog, std::function<void(CProgressDlg*, const Meet&)> work,
                  std::vector<Check> checks, std::vector<ModalDriver::Step> steps = {})
{
    // Shared with the worker, which may outlive this call (a dialog ended
    // from outside keeps its worker until the dialog object goes).
    struct Script {
        HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr), go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        std::function<void(CProgressDlg*, const Meet&)> work;
        ~Script() { CloseHandle(ready), CloseHandle(go); }
    };
    const auto shared = std::make_shared<Script>();
    Script& script = *shared;
    script.work = std::move(work);
    dialog.SetThreadProc(
        [](CProgressDlg* d) -> UINT {
            const std::unique_ptr<std::shared_ptr<Script>> owned(reinterpret_cast<std::shared_ptr<Script>*>(d->m_args[0]));
            const std::shared_ptr<Script> s = *owned;
            s->work(d, [&s] { return SignalObjectAndWait(s->ready, s->go, kWaitMs, FALSE) == WAIT_OBJECT_0; });
            return 0;
        },
        reinterpret_cast<DWORD_PTR>(new std::shared_ptr<Script>(shared)));
    ModalDriver driver;
    for (Check& check : checks) {
        auto seen = std::make_shared<bool>(false);
        driver.Then([&script, check, seen](ModalDriver& d) {
            if (!*seen)
                return (*seen = WaitForSingleObject(script.ready, 0) == WAIT_OBJECT_0), false;
            check(d.Dialogs().front(), d);
            SetEvent(script.go);
            return true;
        });
    }
    for (ModalDriver::Step& step : steps)
        driver.Then(step);
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModal(); });
    return result;
}

struct Shown {
    int pos, max, lines, height, cancelTop, barTop;
    std::string text[kProgressLines];
    bool cancelEnabled, marqueeStyle, subclassed;
};

int TopIn(HWND dialog, HWND item)
{
    RECT a, b;
    GetWindowRect(dialog, &a);
    GetWindowRect(item, &b);
    return b.top - a.top;
}

Shown Read(HWND dialog)
{
    const HWND bar = GetDlgItem(dialog, kProgressBarId);
    Shown s{};
    s.pos = int(SendMessageA(bar, PBM_GETPOS, 0, 0));
    s.max = int(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    s.cancelTop = TopIn(dialog, GetDlgItem(dialog, IDCANCEL));
    s.barTop = TopIn(dialog, bar);
    for (; s.lines < kProgressLines && GetDlgItem(dialog, kProgressLineId + s.lines); ++s.lines)
        s.text[s.lines] = std::string(GetControlText(GetDlgItem(dialog, kProgressLineId + s.lines)));
    RECT rect;
    GetWindowRect(dialog, &rect);
    s.height = rect.bottom - rect.top;
    s.cancelEnabled = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL));
    s.marqueeStyle = GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE;
    WNDCLASSA info{};
    GetClassInfoA(nullptr, PROGRESS_CLASSA, &info);
    s.subclassed = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(bar, GWLP_WNDPROC)) != info.lpfnWndProc;
    return s;
}

std::vector<std::string> g_taskbarCalls;
int g_taskbarsMade = 0;
DWORD g_dialogThread = 0;
// Records what the dialog asks of the taskbar, and any call off the dialog's thread.
struct FakeTaskbar : ProgressTaskbar {
    void Record(std::string call) { g_taskbarCalls.push_back(GetCurrentThreadId() == g_dialogThread ? call : "thread!"); }
    void SetState(HWND, int flags) override { Record("state " + std::to_string(flags)); }
    void SetValue(HWND, uint64_t done, uint64_t total) override { Record(std::to_string(done) + "/" + std::to_string(total)); }
};

class ProgressDialog : public testing::Test {
protected:
    void SetUp() override
    {
        g_taskbarCalls.clear();
        g_taskbarsMade = 0;
        g_dialogThread = GetCurrentThreadId();
        SetProgressTaskbarFactory([]() -> ProgressTaskbar* { return ++g_taskbarsMade, new FakeTaskbar; });
        SetProgressMarqueeSupport(-1);
    }
    void TearDown() override { SetProgressTaskbarFactory(nullptr), SetProgressMarqueeSupport(-1); }
    CProgressDlg dialog;
};

class ProgressScript : public ProgressDialog, public testing::WithParamInterface<int> {};

TEST_P(ProgressScript, TextsLinesPositionsRescaleAndMarquee)
{
    const bool native = GetParam();
    SetProgressMarqueeSupport(native);
    dialog.SetText(1, "vor dem Öffnen");  // two lines from the start
    std::vector<Shown> shown;
    auto read = [&](HWND top, ModalDriver&) { shown.push_back(Read(top)); };
    bool highlight = false;
    auto marquee = [&](HWND top, ModalDriver&) {
        shown.push_back(Read(top));
        winharness::Screenshot shot;
        const uint32_t c = GetSysColor(COLOR_HIGHLIGHT);
        if (winharness::CaptureWindow(GetDlgItem(top, kProgressBarId), &shot))
            for (uint32_t pixel : shot.pixels)
                highlight |= pixel == ((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
    };
    const INT_PTR result = RunScript(dialog,
        [](CProgressDlg* d, const Meet& meet) {
            d->SetRange(8192);
            d->SetPos(4096);
            d->SetText(0, "Spuren werden gesucht");
            meet() && (d->SetText(3, "Vierte"), meet()) && (d->SetRange(65536), meet()) &&
                (d->SetMarquee(200), meet()) && (d->SetMarquee(0), meet());
        },
        {read, read, read, marquee, read});
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(std::make_tuple(shown[0].lines, shown[0].text[0], shown[0].text[1], shown[0].pos, shown[0].max),
              std::make_tuple(2, "Spuren werden gesucht", "vor dem Öffnen", 256, 514));
    // Two more lines: the dialog grows, Cancel and the bar move down as much.
    const int grow = shown[1].height - shown[0].height;
    EXPECT_GT(grow, 0);
    EXPECT_EQ(std::make_tuple(shown[1].lines, shown[1].text[3], shown[1].cancelTop, shown[1].barTop),
              std::make_tuple(4, "Vierte", shown[0].cancelTop + grow, shown[0].barTop + grow));
    EXPECT_EQ(shown[2].pos, 32);  // 4096 >> 7, not 256 >> 7
    EXPECT_EQ(std::make_tuple(shown[3].max, shown[3].marqueeStyle, shown[3].subclassed, highlight),
              std::make_tuple(100, native, !native, !native));  // the emulated band is painted
    // Marquee off: the range and the position come back.
    EXPECT_EQ(std::make_tuple(shown[4].max, shown[4].pos, shown[4].marqueeStyle, shown[4].subclassed),
              std::make_tuple(514, 32, false, false));
}
INSTANTIATE_TEST_SUITE_P(Marquee, ProgressScript, testing::Values(0, 1));

// A path line fits the line's width in its font, keeps the root, the last
// part and the text around the placeholder.
TEST_F(ProgressDialog, PathLinesAreShortenedToTheLine)
{
    static const std::string path = "C:\\Karten\\" + std::string(40, 'x') + "\\" + std::string(40, 'y') + "\\Übersicht.gpx";
    std::string text;
    int width = 0, room = 0;
    auto read = [&](HWND top, ModalDriver&) {
        const HWND line = GetDlgItem(top, kProgressLineId);
        text = Read(top).text[0];
        RECT r;
        GetWindowRect(line, &r);
        room = r.right - r.left;
        HDC dc = GetDC(line);
        HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageA(line, WM_GETFONT, 0, 0)));
        SIZE size;
        GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(line, dc);
        width = size.cx;
    };
    RunScript(dialog, [](CProgressDlg* d, const Meet& meet) { d->SetTextPath(0, "Lade * jetzt", path.c_str(), 0, '*'), meet(); },
              {read});
    EXPECT_EQ(text.rfind("Lade C:\\...\\", 0), 0u) << text;
    EXPECT_NE(text.find("\\Übersicht.gpx jetzt"), std::string::npos) << text;
    EXPECT_LE(width, room);
}

// Waits, on the worker's thread, until the dialog's first line shows the
// text: the dialog has taken every request posted before it.
void WaitForLine(CProgressDlg* d, const char* text)
{
    const HWND line = GetDlgItem(d->m_hWnd, kProgressLineId);
    Eventually([line, text] { return std::string(GetControlText(line)) == text; });
}

TEST_F(ProgressDialog, RequestsDoNotFloodTheQueue)
{
    std::map<int, int> requests;
    const winharness::MessageHook counter([&requests](MSG& msg) {
        if (msg.message == WM_COMMAND && msg.wParam == kProgressRequest)
            ++requests[int(msg.lParam & 0xFF)];
    });
    DWORD burstMs = 0;
    std::string last;
    RunScript(dialog,
        [&](CProgressDlg* d, const Meet& meet) {
            d->SetRange(8192);
            for (int i = 0; i <= 8192; ++i)
                d->SetPos(i);
            const DWORD start = GetTickCount();
            for (int i = 0; i < 300; ++i)
                d->SetText(0, ("Datei " + std::to_string(i)).c_str());
            burstMs = GetTickCount() - start;
            meet();
            WaitForLine(d, "Datei 299");  // the 50 ms timer shows the last text
            meet();
        },
        {[](HWND, ModalDriver&) {}, [&](HWND top, ModalDriver&) { last = Read(top).text[0]; }});
    EXPECT_EQ(last, "Datei 299");
    EXPECT_EQ(requests[kShowPos], 512);  // scaled 1..511, then the full bar
    EXPECT_EQ(requests[kSetBarRange], 1);
    EXPECT_LE(requests[kShowLine], 2 + int(burstMs / LineThrottle::kShowIntervalMs));
    EXPECT_LE(requests[kLinePending], 1);
}

int g_cancelCalls = 0;

TEST_F(ProgressDialog, CancelCallsTheProcedureOnceAndEndsWhenTheWorkerReturns)
{
    g_cancelCalls = 0;
    std::atomic<bool> returned{false};
    dialog.SetCancelProc([](DWORD_PTR argument) { g_cancelCalls += int(argument); }, 1);
    bool cancelEnabled = true;
    const INT_PTR result = RunScript(dialog,
        [&](CProgressDlg* d, const Meet& meet) {
            meet();
            Eventually([d] { return d->m_bCancelled != 0; });
            meet();
            Sleep(200);
            returned = true;
        },
        {[](HWND, ModalDriver& d) { d.Post(IDCANCEL), d.Post(IDCANCEL); },
         [&](HWND top, ModalDriver&) { cancelEnabled = Read(top).cancelEnabled; }});
    EXPECT_EQ(std::make_tuple(result, returned.load(), g_cancelCalls, cancelEnabled),
              std::make_tuple(INT_PTR(IDCANCEL), true, 1, false));
}

TEST_F(ProgressDialog, WorkerAsksAMessageBoxAndADialogOnTheDialogsThread)
{
    int boxAnswer = 0;
    INT_PTR inputAnswer = 0;
    CInputDlg input;
    std::string boxText;
    std::vector<std::string> callsDuringBox;
    auto nested = [](ModalDriver& d, size_t index) {
        return d.Dialogs().size() > index && IsWindowVisible(d.Dialogs()[index]) ? d.Dialogs()[index] : nullptr;
    };
    const INT_PTR result = RunScript(dialog,
        [&](CProgressDlg* d, const Meet&) {
            d->SetRange(10);
            d->SetPos(5);
            boxAnswer = d->MessageBoxFromThread("Datei überschreiben?", "Frage", MB_YESNO | MB_ICONHAND);
            inputAnswer = d->DoModalFromThread(&input);
        },
        {},
        {[&](ModalDriver& d) {
             const HWND box = nested(d, 1);
             boxText = box ? std::string(GetControlText(GetDlgItem(box, 0xFFFF))) : "";
             callsDuringBox = g_taskbarCalls;
             return box && PostMessageA(box, WM_COMMAND, IDYES, 0);
         },
         [&](ModalDriver& d) {
             const HWND box = nested(d, 2);
             return box && SetDlgItemTextA(box, kInputEditId, "Antwort") && d.Post(IDOK);
         }});
    EXPECT_EQ(std::make_tuple(result, boxText, boxAnswer, inputAnswer, std::string(input.GetText())),
              std::make_tuple(INT_PTR(IDOK), "Datei überschreiben?", IDYES, INT_PTR(IDOK), "Antwort"));
    // Error while an MB_ICONHAND box is open, no progress at the end; one
    // taskbar object, made on the dialog's thread.
    EXPECT_EQ(callsDuringBox, (std::vector<std::string>{"state 2", "5/10", "state 4"}));
    EXPECT_EQ(std::make_tuple(g_taskbarCalls.back(), g_taskbarsMade), std::make_tuple("state 0", 1));
}

TEST_F(ProgressDialog, WorkerAskingAfterTheWindowIsGoneGetsCancelAtOnce)
{
    int boxAnswer = 0;
    INT_PTR inputAnswer = 0;
    std::atomic<bool> workerDone{false};
    {
        CProgressDlg doomed;
        CInputDlg input;
        EXPECT_EQ(RunScript(doomed,
                      [&](CProgressDlg* d, const Meet& meet) {
                          meet();
                          boxAnswer = d->MessageBoxFromThread("zu spät", "Frage", MB_OK);
                          inputAnswer = d->DoModalFromThread(&input);
                          workerDone = true;
                      },
                      {[](HWND top, ModalDriver&) { EndDialog(top, IDABORT); }}),
                  IDABORT);
    }  // the destructor lets the worker go on and waits for it
    EXPECT_EQ(std::make_tuple(workerDone.load(), boxAnswer, inputAnswer), std::make_tuple(true, IDCANCEL, INT_PTR(-1)));
}

// Also: a taskbar that cannot be made is tried once in the process, and the
// bar works without it.
TEST_F(ProgressDialog, ManyRunsEndCleanlyWithoutLeakingHandles)
{
    SetProgressTaskbarFactory([]() -> ProgressTaskbar* { return ++g_taskbarsMade, nullptr; });
    DWORD before = 0, after = 0;
    CoInitialize(nullptr);  // the program's own COM, which the dialogs must leave alone
    for (int i = 0; i < 30; ++i) {
        if (i == 5)
            GetProcessHandleCount(GetCurrentProcess(), &before);
        CProgressDlg run;
        run.SetThreadProc([](CProgressDlg* d) -> UINT { return d->SetRange(100), d->SetPos(50), 5; });
        ASSERT_EQ(run.DoModal(), IDOK) << i;
        EXPECT_EQ(run.m_threadResult, 5);
    }
    GetProcessHandleCount(GetCurrentProcess(), &after);
    EXPECT_LE(after, before + 2);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);  // still initialised
    CoUninitialize(), CoUninitialize();
    EXPECT_EQ(std::make_tuple(g_taskbarsMade, g_taskbarCalls.empty()), std::make_tuple(1, true));
}

// The worker runs at the priority the owner chose, the normal one unless set.
TEST_F(ProgressDialog, WorkerRunsAtTheChosenPriority)
{
    static std::atomic<int> seen;
    for (const int priority : {THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_HIGHEST}) {
        seen = -100;
        CProgressDlg run;
        if (priority != THREAD_PRIORITY_NORMAL)
            run.SetWorkerPriority(priority);
        run.SetThreadProc([](CProgressDlg*) -> UINT { return seen = GetThreadPriority(GetCurrentThread()), 0; });
        EXPECT_EQ(run.DoModal(), IDOK);
        EXPECT_EQ(seen, priority);
    }
}

// Keeps the dialog open until it is cancelled (bounded).
UINT RunUntilCancelled(CProgressDlg* d)
{
    Eventually([d] { return d->m_bCancelled != 0; });
    return 0;
}

// The poll sources; written on the dialog's thread only (or before it runs),
// where the polls read them.
int64_t g_pollPos, g_pollTotal;
int32_t g_pollPos32, g_pollTotal32;
void SetPollValues(int64_t position, int64_t total)
{
    g_pollPos = position, g_pollTotal = total;
    g_pollPos32 = int32_t(position), g_pollTotal32 = int32_t(total);
}
int32_t Poll32(int64_t* total) { return *total = g_pollTotal, int32_t(g_pollPos); }
int64_t Poll64(int64_t* total) { return *total = g_pollTotal, g_pollPos; }

// Each kind of poll source moves the bar until it is stopped; 64-bit
// sources are scaled like 64-bit ranges, a source without a total keeps the
// range set before.
TEST_F(ProgressDialog, PollSourcesMoveTheBarUntilStopped)
{
    constexpr int64_t k32 = 1, k64 = int64_t(1) << 32;  // units of the values
    const struct {
        int mode;
        void* position;
        void* total;
        int64_t unit;
    } cases[] = {
        {kPollFunction32, reinterpret_cast<void*>(&Poll32), nullptr, k32},
        {kPollFunction64, reinterpret_cast<void*>(&Poll64), nullptr, k64},
        {kPollPointers32, &g_pollPos32, &g_pollTotal32, k32},
        {kPollPointers64, &g_pollPos, &g_pollTotal, k64},
        {kPollPointers32, &g_pollPos32, nullptr, k32},  // the range from SetRange
    };
    for (const auto& c : cases) {
        SetPollValues(4096 * c.unit, 8192 * c.unit);
        CProgressDlg run;
        run.SetThreadProc(&RunUntilCancelled);
        if (!c.total && c.mode == kPollPointers32)
            run.SetRange(8192);
        run.SetPollSource(c.mode, 20, c.position, c.total);
        std::vector<std::pair<int, int>> bars;  // position, maximum
        DWORD stoppedAt = 0;
        ModalDriver driver;
        auto barIs = [&](HWND top, int pos) {
            const Shown shown = Read(top);
            return shown.pos == pos && shown.max == 514 && (bars.emplace_back(shown.pos, shown.max), true);
        };
        driver.Then([&](ModalDriver& d) { return barIs(d.TopDialog(), 256) && (SetPollValues(8192 * c.unit, 8192 * c.unit), true); })
            .Then([&](ModalDriver& d) {
                if (!barIs(d.TopDialog(), 514))
                    return false;
                run.SetPollSource(kPollStop, 0, nullptr, nullptr);
                SetPollValues(0, 8192 * c.unit);  // no longer read
                stoppedAt = GetTickCount();
                return true;
            })
            .Then([&](ModalDriver& d) {
                if (GetTickCount() - stoppedAt < 200)  // ten poll intervals
                    return false;
                const Shown shown = Read(d.TopDialog());
                bars.emplace_back(shown.pos, shown.max);
                return d.Post(IDCANCEL);
            });
        driver.Run([&] { EXPECT_EQ(run.DoModal(), IDCANCEL); });
        EXPECT_EQ(bars, (std::vector<std::pair<int, int>>{{256, 514}, {514, 514}, {514, 514}})) << "mode " << c.mode;
    }
}

std::atomic<int> g_timerCalls[3];
std::atomic<int> g_timerOffThread{0};
void CountTimerCall(DWORD_PTR argument)
{
    g_timerOffThread += GetCurrentThreadId() != g_dialogThread;
    ++g_timerCalls[argument < 3 ? argument : 0];
}

// The timer procedure runs on the dialog's thread at its interval with its
// argument; the worker changes it and stops it.
TEST_F(ProgressDialog, TimerProcedureRunsAtItsIntervalUntilStopped)
{
    for (auto& calls : g_timerCalls)
        calls = 0;
    g_timerOffThread = 0;
    struct Seen {
        DWORD firstThree;
        bool switched, stopped;
        int firstAfterSwitch, firstAtEnd, atStop, atEnd;
    };
    static Seen seen;
    seen = Seen{};
    dialog.SetTimerProc(&CountTimerCall, 100, 1);
    dialog.SetThreadProc([](CProgressDlg* d) -> UINT {
        const DWORD start = GetTickCount();
        if (!Eventually([] { return g_timerCalls[1] >= 3; }))
            return 1;
        seen.firstThree = GetTickCount() - start;
        d->SetTimerProc(&CountTimerCall, 20, 2);
        seen.switched = Eventually([] { return g_timerCalls[2] >= 3; });
        seen.firstAfterSwitch = g_timerCalls[1];
        d->SetTimerProc(nullptr, 0, 0);
        d->SetText(0, "Halt");
        WaitForLine(d, "Halt");  // the stop request is taken
        seen.atStop = g_timerCalls[1] + g_timerCalls[2];
        Sleep(200);
        seen.atEnd = g_timerCalls[1] + g_timerCalls[2];
        seen.firstAtEnd = g_timerCalls[1];
        return 0;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_GE(seen.firstThree, 250u);  // three calls 100 ms apart
    EXPECT_TRUE(seen.switched);
    EXPECT_EQ(std::make_tuple(seen.firstAtEnd, seen.atEnd, g_timerOffThread.load()),
              std::make_tuple(seen.firstAfterSwitch, seen.atStop, 0));
}

// A progress dialog opens where the last one was closed, as it is, unless
// that place is off the screen: its left edge 100 pixels or more outside the
// left or not 100 inside the right of the screen, or its top 10 or more
// outside the top or not 100 above the bottom. Where it opens without such a
// place is kept in the work area.
TEST_F(ProgressDialog, OpensWhereTheLastOneClosedUnlessThatIsOffTheScreen)
{
    const int right = GetSystemMetrics(SM_CXSCREEN), bottom = GetSystemMetrics(SM_CYSCREEN);
    // Where the next dialog opens: where this one closed, or where a dialog
    // with no place remembered opens.
    constexpr LONG kFresh = INT_MIN;
    const struct {
        POINT closedAt;
        POINT opensAt;
    } cases[] = {
        {{-5000, -5000}, {kFresh, kFresh}},
        {{123, 77}, {123, 77}},
        {{-99, 50}, {-99, 50}},
        {{-100, 50}, {kFresh, kFresh}},
        {{50, -9}, {50, -9}},
        {{50, -10}, {kFresh, kFresh}},
        {{right - 101, 50}, {right - 101, 50}},
        {{right - 100, 50}, {kFresh, kFresh}},
        {{50, bottom - 101}, {50, bottom - 101}},
        {{50, bottom - 100}, {kFresh, kFresh}},
        {{200, 150}, {200, 150}},
    };
    std::vector<RECT> opened;
    for (const auto& c : cases) {
        CProgressDlg run;
        run.SetThreadProc(&RunUntilCancelled);
        ModalDriver driver;
        driver.Then([&](ModalDriver& d) {
            RECT rect;
            GetWindowRect(d.TopDialog(), &rect);
            opened.push_back(rect);
            SetWindowPos(d.TopDialog(), nullptr, c.closedAt.x, c.closedAt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return d.Post(IDCANCEL);
        });
        driver.Run([&] { run.DoModal(); });
    }
    ASSERT_EQ(opened.size(), std::size(cases));
    // After the first case the dialog opens where a dialog opens with no place remembered.
    const RECT fresh = opened[1];
    for (size_t i = 1; i < std::size(cases); ++i) {
        const POINT at = cases[i - 1].opensAt;
        const LONG x = at.x == kFresh ? fresh.left : at.x;
        const LONG y = at.y == kFresh ? fresh.top : at.y;
        EXPECT_EQ(std::make_pair(opened[i].left, opened[i].top), std::make_pair(x, y))
            << "after closing at " << cases[i - 1].closedAt.x << "," << cases[i - 1].closedAt.y;
    }
}

}  // namespace
