// The progress dialog under Wine: scripted workers drive it while the modal
// driver checks what the dialog shows; a message hook counts the requests.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "tests/winharness/modal_driver.h"
#include "tests/winharness/screenshot.h"
#include "ui/dialogs/input_dlg.h"
#include "ui/dialogs/progress_dlg.h"

#include <commctrl.h>

namespace {

using winharness::ModalDriver;

constexpr DWORD kWaitMs = 5000;

// The worker and the test's steps meet at numbered points: the worker
// announces it reached one and waits until the test has checked.
class Handshake {
public:
    Handshake() : m_ready(CreateEventA(nullptr, FALSE, FALSE, nullptr)), m_go(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~Handshake()
    {
        CloseHandle(m_ready);
        CloseHandle(m_go);
    }
    // Worker side; false when the test did not answer in time.
    bool Meet()
    {
        SetEvent(m_ready);
        return WaitForSingleObject(m_go, kWaitMs) == WAIT_OBJECT_0;
    }
    // Test side: true one tick after the worker is seen waiting, so the
    // requests it posted before are handled by then (posted messages come
    // before timer ticks).
    bool Arrived()
    {
        if (m_seen) {
            m_seen = false;
            return true;
        }
        m_seen = WaitForSingleObject(m_ready, 0) == WAIT_OBJECT_0;
        return false;
    }
    void Release() { SetEvent(m_go); }

private:
    HANDLE m_ready, m_go;
    bool m_seen = false;
};

// Records what the dialog asks of the taskbar.
struct FakeTaskbar : ProgressTaskbar {
    static std::vector<std::string> calls;
    static int made;
    void SetState(HWND, int flags) override { calls.push_back("state " + std::to_string(flags)); }
    void SetValue(HWND, uint64_t done, uint64_t total) override
    {
        calls.push_back("value " + std::to_string(done) + "/" + std::to_string(total));
    }
    static ProgressTaskbar* Make()
    {
        ++made;
        return new FakeTaskbar;
    }
    static ProgressTaskbar* None()
    {
        ++made;
        return nullptr;
    }
};
std::vector<std::string> FakeTaskbar::calls;
int FakeTaskbar::made = 0;

// Counts the requests by code as the dialog's thread takes them.
class RequestCounter {
public:
    RequestCounter()
    {
        s_counts.clear();
        m_hook = SetWindowsHookExA(WH_GETMESSAGE, &Hook, nullptr, GetCurrentThreadId());
    }
    ~RequestCounter() { UnhookWindowsHookEx(m_hook); }
    int Count(int code) const { return s_counts[code]; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_COMMAND && msg->wParam == kProgressRequest)
            ++s_counts[int(msg->lParam & 0xFF)];
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static std::map<int, int> s_counts;
    HHOOK m_hook;
};
std::map<int, int> RequestCounter::s_counts;

// The test's view of a running dialog.
struct Shown {
    int pos = -1, max = -1;
    std::vector<std::string> lines;
    int height = 0, cancelTop = 0, barTop = 0;
    bool cancelEnabled = false;
    RECT window{};
};

Shown Read(HWND dialog)
{
    Shown s;
    const HWND bar = GetDlgItem(dialog, kProgressBarId);
    s.pos = int(SendMessageA(bar, PBM_GETPOS, 0, 0));
    s.max = int(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    for (int line = 0; line < kProgressLines; ++line) {
        const HWND control = GetDlgItem(dialog, kProgressLineId + line);
        char text[kProgressLineSize] = {};
        if (control)
            GetWindowTextA(control, text, sizeof text);
        if (control)
            s.lines.push_back(text);
    }
    GetWindowRect(dialog, &s.window);
    s.height = s.window.bottom - s.window.top;
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &rect);
    s.cancelTop = rect.top - s.window.top;
    s.cancelEnabled = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL));
    GetWindowRect(bar, &rect);
    s.barTop = rect.top - s.window.top;
    return s;
}

// A dialog whose worker runs a lambda; the dialog handle for the steps.
struct WorkerRun {
    CProgressDlg dialog;
    std::function<void(CProgressDlg*)> work;
    HWND Top(ModalDriver& d) const { return d.Dialogs().empty() ? nullptr : d.Dialogs().front(); }

    static UINT Body(CProgressDlg* dialog)
    {
        WorkerRun* run = reinterpret_cast<WorkerRun*>(dialog->m_dwArgs[0]);
        run->work(dialog);
        return 0;
    }
    INT_PTR Go(ModalDriver& driver)
    {
        dialog.SetThreadProc(&Body, reinterpret_cast<DWORD_PTR>(this));
        INT_PTR result = 0;
        driver.Run([&] { result = dialog.DoModal(); });
        return result;
    }
};

class ProgressDialog : public testing::Test {
protected:
    void SetUp() override
    {
        FakeTaskbar::calls.clear();
        FakeTaskbar::made = 0;
        SetProgressTaskbarFactory(&FakeTaskbar::Make);
        SetProgressMarqueeSupport(-1);
    }
    void TearDown() override { SetProgressTaskbarFactory(nullptr); }
};

TEST_F(ProgressDialog, ScriptedWorkerTextsPositionsRangesAndLines)
{
    Handshake sync;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        d->SetRange(8192);
        d->SetPos(4096);
        d->SetText(0, "Spuren werden gesucht");
        d->SetText(2, "Dritte Zeile");
        if (!sync.Meet())
            return;
        d->SetRange(65536);  // rescaled from the position, not from the bar
        if (!sync.Meet())
            return;
        d->SetMarquee(200);
        d->SetMarquee(0);
        d->SetRange(5000);
        d->SetPos(2500);
        sync.Meet();
    };
    run.dialog.SetText(1, "vor dem Öffnen");  // a two-line dialog from the start
    Shown first, second, third;
    ModalDriver driver;
    driver
        .Then([&](ModalDriver& d) {
            if (!sync.Arrived())
                return false;
            first = Read(run.Top(d));
            sync.Release();
            return true;
        })
        .Then([&](ModalDriver& d) {
            if (!sync.Arrived())
                return false;
            second = Read(run.Top(d));
            sync.Release();
            return true;
        })
        .Then([&](ModalDriver& d) {
            if (!sync.Arrived())
                return false;
            third = Read(run.Top(d));
            sync.Release();
            return true;
        });
    EXPECT_EQ(run.Go(driver), IDOK);
    EXPECT_EQ(first.lines, (std::vector<std::string>{"Spuren werden gesucht", "vor dem Öffnen", "Dritte Zeile"}));
    EXPECT_EQ(first.pos, 256);
    EXPECT_EQ(first.max, 514);
    EXPECT_EQ(second.pos, 32);
    EXPECT_EQ(second.max, 514);
    EXPECT_EQ(third.max, 5019 >> 3);
    EXPECT_EQ(third.pos, 2500 >> 3);
    EXPECT_EQ(run.dialog.m_nThreadResult, 0);
}

TEST_F(ProgressDialog, LinesGrowByTheirHeight)
{
    Handshake sync;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        if (!sync.Meet())
            return;
        d->SetText(2, "x");
        sync.Meet();
    };
    Shown before, after;
    ModalDriver driver;
    for (Shown* shown : {&before, &after})
        driver.Then([&, shown](ModalDriver& d) {
            if (!sync.Arrived())
                return false;
            *shown = Read(run.Top(d));
            sync.Release();
            return true;
        });
    run.Go(driver);
    ASSERT_EQ(before.lines.size(), 1u);
    ASSERT_EQ(after.lines.size(), 3u);
    EXPECT_EQ(after.lines[2], "x");
    const int grow = after.height - before.height;
    EXPECT_GT(grow, 0);
    EXPECT_EQ(grow % 2, 0);  // two lines of equal height
    EXPECT_EQ(after.cancelTop - before.cancelTop, grow);
    EXPECT_EQ(after.barTop - before.barTop, grow);
}

TEST_F(ProgressDialog, RequestsDoNotFloodTheQueue)
{
    Handshake sync;
    DWORD burstMs = 0;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        d->SetRange(8192);
        for (int i = 0; i <= 8192; ++i)
            d->SetPos(i);
        const DWORD start = GetTickCount();
        char text[32];
        for (int i = 0; i < 300; ++i) {
            std::snprintf(text, sizeof text, "Datei %d", i);
            d->SetText(0, text);
        }
        burstMs = GetTickCount() - start;
        sync.Meet();
    };
    RequestCounter counter;
    std::string last;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        if (!sync.Arrived())
            return false;
        return true;
    });
    driver.Then([&](ModalDriver& d) {
        last = Read(run.Top(d)).lines[0];
        if (last != "Datei 299")
            return false;  // the 50 ms timer shows it soon
        sync.Release();
        return true;
    });
    run.Go(driver);
    EXPECT_EQ(last, "Datei 299");
    EXPECT_EQ(counter.Count(kShowPos), 512);  // 1..511, then the full bar
    EXPECT_EQ(counter.Count(kSetBarRange), 1);
    EXPECT_LE(counter.Count(kShowLine), 2 + int(burstMs / LineThrottle::kShowIntervalMs));
    EXPECT_LE(counter.Count(kLinePending), 1);
}

int g_cancelCalls = 0;
void CountCancel(DWORD_PTR argument)
{
    ++g_cancelCalls;
    EXPECT_EQ(argument, 77u);
}

TEST_F(ProgressDialog, CancelCallsTheProcedureOnceAndEndsOnlyWhenTheWorkerReturns)
{
    g_cancelCalls = 0;
    std::atomic<bool> returned{false};
    bool returnedWhenDone = false;
    bool cancelEnabled = true;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        const DWORD start = GetTickCount();
        while (!d->m_bCancelled && GetTickCount() - start < kWaitMs)
            Sleep(5);
        Sleep(200);
        returned = true;
    };
    run.dialog.SetCancelProc(&CountCancel, 77);
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) { return d.Post(IDCANCEL) && d.Post(IDCANCEL); })
        .Then([&](ModalDriver& d) {
            if (g_cancelCalls == 0)
                return false;
            cancelEnabled = Read(run.Top(d)).cancelEnabled;
            return true;
        });
    const INT_PTR result = run.Go(driver);
    returnedWhenDone = returned;
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(returnedWhenDone);
    EXPECT_EQ(g_cancelCalls, 1);
    EXPECT_FALSE(cancelEnabled);
}

TEST_F(ProgressDialog, WorkerAsksAMessageBoxAndADialog)
{
    int boxAnswer = 0;
    INT_PTR dialogAnswer = 0;
    CInputDlg input;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        d->SetRange(10);
        d->SetPos(5);
        boxAnswer = d->MessageBoxFromThread("Datei überschreiben?", "Frage", MB_YESNO | MB_ICONHAND);
        dialogAnswer = d->DoModalFromThread(&input);
    };
    std::string boxText;
    std::vector<std::string> statesDuringBox;
    ModalDriver driver;
    driver
        .Then([&](ModalDriver& d) {
            if (d.Dialogs().size() < 2 || !IsWindow(d.Dialogs()[1]))
                return false;
            char text[128] = {};
            GetDlgItemTextA(d.Dialogs()[1], 0xFFFF, text, sizeof text);
            boxText = text;
            statesDuringBox = FakeTaskbar::calls;
            return PostMessageA(d.Dialogs()[1], WM_COMMAND, IDYES, 0) != FALSE;
        })
        .Then([&](ModalDriver& d) {
            if (d.Dialogs().size() < 3 || !IsWindow(d.Dialogs()[2]))
                return false;
            SetDlgItemTextA(d.Dialogs()[2], kInputEditId, "Antwort");
            return d.Post(IDOK);
        });
    EXPECT_EQ(run.Go(driver), IDOK);
    EXPECT_EQ(boxText, "Datei überschreiben?");
    EXPECT_EQ(boxAnswer, IDYES);
    EXPECT_EQ(dialogAnswer, IDOK);
    EXPECT_EQ(std::string(input.GetText()), "Antwort");
    ASSERT_FALSE(statesDuringBox.empty());
    EXPECT_EQ(statesDuringBox.back(), "state 4");  // error while an MB_ICONHAND box is open
    EXPECT_EQ(FakeTaskbar::calls.back(), "state 0");
    EXPECT_EQ(FakeTaskbar::made, 1);
}

TEST_F(ProgressDialog, WorkerAskingAfterTheWindowIsGoneGetsCancelAtOnce)
{
    Handshake sync;
    int boxAnswer = 0;
    INT_PTR dialogAnswer = 0;
    CInputDlg input;
    std::atomic<bool> workerDone{false};
    {
        WorkerRun run;
        run.work = [&](CProgressDlg* d) {
            sync.Meet();
            boxAnswer = d->MessageBoxFromThread("zu spät", "Frage", MB_OK);
            dialogAnswer = d->DoModalFromThread(&input);
            workerDone = true;
        };
        ModalDriver driver;
        driver.Then([&](ModalDriver& d) {
            if (!sync.Arrived())
                return false;
            EndDialog(run.Top(d), IDABORT);  // the window goes while the worker still runs
            sync.Release();
            return true;
        });
        EXPECT_EQ(run.Go(driver), IDABORT);
    }  // the destructor lets the worker go and waits for it
    EXPECT_TRUE(workerDone);
    EXPECT_EQ(boxAnswer, IDCANCEL);
    EXPECT_EQ(dialogAnswer, -1);
}

UINT ReturnAtOnce(CProgressDlg*)
{
    return 5;
}

TEST_F(ProgressDialog, ManyRunsEndCleanlyWithoutLeakingHandles)
{
    DWORD before = 0, after = 0;
    for (int i = 0; i < 30; ++i) {
        if (i == 5)
            GetProcessHandleCount(GetCurrentProcess(), &before);
        CProgressDlg dialog;
        dialog.SetThreadProc(&ReturnAtOnce);
        ASSERT_EQ(dialog.DoModal(), IDOK) << i;
        EXPECT_EQ(dialog.m_nThreadResult, 5);
    }
    GetProcessHandleCount(GetCurrentProcess(), &after);
    EXPECT_LE(after, before + 2);
}

TEST_F(ProgressDialog, OpensWhereTheLastOneWasUnlessThatIsOffEveryMonitor)
{
    const struct {
        int x, y;
        bool kept;
    } places[] = {{200, 150, true}, {5000, 5000, false}};
    for (const auto& place : places) {
        for (int run = 0; run < 2; ++run) {
            Handshake sync;
            WorkerRun r;
            r.work = [&](CProgressDlg*) { sync.Meet(); };
            RECT seen{};
            ModalDriver driver;
            driver.Then([&](ModalDriver& d) {
                if (!sync.Arrived())
                    return false;
                GetWindowRect(r.Top(d), &seen);
                if (run == 0)
                    SetWindowPos(r.Top(d), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                sync.Release();
                return true;
            });
            r.Go(driver);
            if (run == 1)
                EXPECT_EQ(seen.left == place.x && seen.top == place.y, place.kept) << place.x;
        }
    }
}

TEST_F(ProgressDialog, UnavailableTaskbarIsTriedOnceAndOnlyTheBarMoves)
{
    SetProgressTaskbarFactory(&FakeTaskbar::None);
    Handshake sync;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        d->SetRange(100);
        for (int i = 0; i <= 50; ++i)
            d->SetPos(i);
        sync.Meet();
    };
    int pos = -1;
    ModalDriver driver;
    driver.Then([&](ModalDriver& d) {
        if (!sync.Arrived())
            return false;
        pos = Read(run.Top(d)).pos;
        sync.Release();
        return true;
    });
    run.Go(driver);
    EXPECT_EQ(pos, 50);
    EXPECT_EQ(FakeTaskbar::made, 1);
    EXPECT_TRUE(FakeTaskbar::calls.empty());
}

struct MarqueeCase {
    const char* name;
    int native;
};
class ProgressMarquee : public ProgressDialog, public testing::WithParamInterface<MarqueeCase> {};

TEST_P(ProgressMarquee, OnAndOffRestoresTheBar)
{
    SetProgressMarqueeSupport(GetParam().native);
    Handshake sync;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        d->SetRange(1000);
        d->SetPos(500);
        d->SetMarquee(200);
        sync.Meet();
        d->SetMarquee(0);
        sync.Meet();
    };
    bool styleOn = false, styleOff = true, subclassedOn = false, subclassedOff = true, highlightDrawn = false;
    Shown off;
    WNDPROC ownProc = nullptr;
    ModalDriver driver;
    driver
        .Then([&](ModalDriver& d) {
            if (!sync.Arrived())
                return false;
            const HWND bar = GetDlgItem(run.Top(d), kProgressBarId);
            styleOn = GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE;
            WNDCLASSA info{};
            GetClassInfoA(nullptr, PROGRESS_CLASSA, &info);
            ownProc = info.lpfnWndProc;
            subclassedOn = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(bar, GWLP_WNDPROC)) != ownProc;
            winharness::Screenshot shot;
            if (!GetParam().native && winharness::CaptureWindow(bar, &shot)) {
                const uint32_t highlight = GetSysColor(COLOR_HIGHLIGHT);
                const uint32_t rgb = (highlight & 0xFF) << 16 | (highlight & 0xFF00) | (highlight >> 16 & 0xFF);
                for (uint32_t pixel : shot.pixels)
                    highlightDrawn |= pixel == rgb;
            }
            sync.Release();
            return true;
        })
        .Then([&](ModalDriver& d) {
            if (!sync.Arrived())
                return false;
            off = Read(run.Top(d));
            const HWND bar = GetDlgItem(run.Top(d), kProgressBarId);
            styleOff = GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE;
            subclassedOff = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(bar, GWLP_WNDPROC)) != ownProc;
            sync.Release();
            return true;
        });
    run.Go(driver);
    EXPECT_EQ(styleOn, GetParam().native != 0);
    EXPECT_EQ(subclassedOn, GetParam().native == 0);
    EXPECT_FALSE(styleOff);
    EXPECT_FALSE(subclassedOff);
    EXPECT_EQ(highlightDrawn, GetParam().native == 0);
    EXPECT_EQ(off.max, 1003);  // the range before the marquee, headroom included
    EXPECT_EQ(off.pos, 500);
}
const MarqueeCase kMarqueeCases[] = {{"Native", 1}, {"Emulated", 0}};
INSTANTIATE_TEST_SUITE_P(Paths, ProgressMarquee, testing::ValuesIn(kMarqueeCases),
                         [](const auto& info) { return std::string(info.param.name); });

int g_timerCalls = 0;
void CountTimer(DWORD_PTR)
{
    ++g_timerCalls;
}

TEST_F(ProgressDialog, PollSourceAndTimerProcedure)
{
    g_timerCalls = 0;
    int32_t position = 0, total = 0;
    WorkerRun run;
    run.work = [&](CProgressDlg* d) {
        d->SetPollSource(kPollPointers32, 20, &position, &total);
        d->SetTimerProc(&CountTimer, 20, 0);
        const DWORD start = GetTickCount();
        while (!d->m_bCancelled && GetTickCount() - start < kWaitMs)
            Sleep(5);
    };
    int seenPos = -1, stoppedPos = -1;
    DWORD stoppedAt = 0;
    ModalDriver driver;
    driver
        .Then([&](ModalDriver& d) {
            total = 200;
            position = 100;
            seenPos = Read(run.Top(d)).pos;
            return seenPos == 100 && g_timerCalls >= 2;
        })
        .Then([&](ModalDriver& d) {
            run.dialog.SetPollSource(kPollStop, 0, nullptr, nullptr);
            position = 150;
            stoppedAt = GetTickCount();
            return true;
        })
        .Then([&](ModalDriver& d) {
            if (GetTickCount() - stoppedAt < 200)
                return false;
            stoppedPos = Read(run.Top(d)).pos;
            return d.Post(IDCANCEL);
        });
    EXPECT_EQ(run.Go(driver), IDCANCEL);
    EXPECT_EQ(seenPos, 100);
    EXPECT_EQ(stoppedPos, 100);
    EXPECT_GE(g_timerCalls, 2);
}

}  // namespace
