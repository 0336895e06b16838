// CProgressDlg: runs one long operation on a worker thread under a small
// modal dialog with up to four text lines, a progress bar and a Cancel
// button, mirrored on the taskbar button. The worker never touches a
// window: it posts requests (WM_COMMAND kProgressRequest, lParam value << 8 |
// code) and waits for the answer of a message box or a nested dialog, which
// run on the dialog's thread. The dialog ends when the worker returns.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/framework/dialog.h"
#include "platform/framework/worker.h"
#include "ui/dialogs/progress_dlg_logic.h"

class CProgressDlg;

typedef UINT (*ProgressThreadProc)(CProgressDlg* dialog);
typedef void (*ProgressProc)(DWORD_PTR argument);
// Poll functions get the address of a total set to 0 before the call.
typedef int32_t (*ProgressPoll32)(int64_t* total);
typedef int64_t (*ProgressPoll64)(int64_t* total);

constexpr int kProgressRequest = 6545;
constexpr int kProgressMessageBox = 6546;
constexpr int kProgressEnded = 6547;
constexpr int kProgressRunDialog = 6551;
constexpr int kProgressBarId = 1019;
constexpr int kProgressLineId = 1034;  // line n is 1034 + n
constexpr int kProgressIconId = 1099;
constexpr int kProgressLineSize = 512;
constexpr UINT_PTR kProgressDelayedShowTimer = 6552;

// Request codes.
enum ProgressRequest {
    kShowLine = 1,
    kShowPos = 2,
    kStepBar = 3,
    kSetBarRange = 4,
    kLinePending = 5,
    kPollTimer = 6,
    kProcTimer = 7,
    kLineCount = 8,
    kMarqueeSwitch = 9,
};

// Poll source modes.
enum ProgressPollMode { kPollStop = 0, kPollFunction32 = 1, kPollFunction64 = 2, kPollPointers32 = 3, kPollPointers64 = 4 };

// The taskbar button's progress; the default one is the shell's
// ITaskbarList3. Called on the dialog's thread only.
class ProgressTaskbar {
public:
    virtual ~ProgressTaskbar() = default;
    virtual void SetState(HWND wnd, int flags) = 0;  // TBPF_* flags
    virtual void SetValue(HWND wnd, uint64_t completed, uint64_t total) = 0;
};
// Makes the taskbar object after COM is initialised on the calling thread;
// null when none can be made. Setting a factory also forgets an earlier
// failure, so the next dialog tries again.
typedef ProgressTaskbar* (*ProgressTaskbarFactory)();
void SetProgressTaskbarFactory(ProgressTaskbarFactory factory);
// Whether the progress bar supports the marquee style (common controls 6);
// -1 asks the system (the default), 0 or 1 force a path.
void SetProgressMarqueeSupport(int supported);

class CProgressDlg : public CDialog {
public:
    explicit CProgressDlg(CWnd* parent = nullptr);
    // Lets a worker waiting for an answer go on and waits for the worker.
    ~CProgressDlg() override;

    // Configuration and the worker's requests (any thread).
    void SetRange(int64_t total);
    void SetRangeFromTo(int64_t start, int64_t end);
    void SetPos(int64_t position);
    void StepPos();
    void StepIt();
    void SetText(int line, const char* text);
    // The line becomes the format text with the path, shortened to the
    // line's width, at the placeholder (see SplitPathFormat); keepFirst parts
    // of the path stay at its front. Always shown.
    void SetTextPath(int line, const char* format, const char* path, int keepFirst, int placeholder);
    void RequestLines(int count);
    void SetTitle(const char* title);
    void SetMarquee(int interval);
    void SetThreadProc(ProgressThreadProc proc, DWORD_PTR a0 = 0, DWORD_PTR a1 = 0, DWORD_PTR a2 = 0,
                       DWORD_PTR a3 = 0, DWORD_PTR a4 = 0);
    void SetTimerProc(ProgressProc proc, UINT interval, DWORD_PTR argument);
    void SetCancelProc(ProgressProc proc, DWORD_PTR argument);
    void SetPollSource(int mode, UINT interval, void* positionSource, void* totalSource);
    void SetWorkerPriority(int priority) { m_priority = priority; }
    void SetIcon(UINT resourceId) { m_iconId = resourceId; }
    void Cancel();
    // From the worker: the answer, or IDCANCEL (-1 for a dialog) at once
    // when the dialog is gone or ending.
    int MessageBoxFromThread(const char* text, const char* caption, UINT type);
    INT_PTR DoModalFromThread(CDialog* dialog);

    INT_PTR DoModal() override;

    std::atomic<int> m_nMarquee{0};    // marquee interval in ms, 0 the normal bar
    std::atomic<int> m_bCancelled{0};  // read by the worker
    int m_bNoCancel = 0;               // hide the Cancel button
    DWORD_PTR m_args[5] = {};          // the worker's argument words
    std::atomic<int> m_phaseCount{0};  // a progress split into phases
    std::atomic<int> m_phase{0};
    UINT m_showDelay = 0;  // ms the dialog stays hidden after opening
    int m_threadResult = -1;

protected:
    BOOL OnInitDialog() override;
    // Enter gives IDOK from the dialog manager (there is no OK button): it
    // is ignored, the dialog ends only when the worker has returned.
    void OnOK() override {}
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange*) override {}
    void OnTimer(UINT_PTR id);

private:
    void RunWorker(CWorker& worker);
    static LRESULT CALLBACK MarqueeProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool Post(int command, LPARAM lParam) const;
    void PostRequest(ProgressRequest code, int value = 0) const;
    void PostLine(int line);
    void StoreLine(int line, const char* text);
    void HandleRequest(int code, int value);
    void ShowLine(int line);
    void ShowPosition();
    void SetBarRange();
    void SetLineCount(int count);
    void SwitchMarquee(int oldInterval, int newInterval);
    void PaintMarquee(HWND bar);
    void Poll();
    void InitTaskbar();
    void SetTaskbarState(int flags);
    void ReleaseTaskbar();
    void RunRequest(int command);
    INT_PTR AwaitAnswer(int command, INT_PTR unanswered);
    void Finish();
    // At the last dialog's place when the place rule accepts it.
    void PlaceAtLastRect();
    // Into the work area, all but a place the rule chose: of that only the
    // height a growth added.
    void KeepOnScreen(bool grown);
    bool GrownSince(const RECT& before) const;
    void RestartTimer(UINT_PTR id, UINT interval);

    // Its shared lock guards the scale, the lines, the procedures and the
    // request below; its wake-up carries the answer to a request.
    CWorker m_worker;
    ProgressScale m_scale;
    char m_lines[kProgressLines][kProgressLineSize] = {};
    LineThrottle m_throttle;
    bool m_bTextTimer = false;
    std::atomic<int> m_shownLines{0};
    int m_initialLines = 1;
    int m_lineHeight = 9;
    int m_lineWidth = 0;

    ProgressThreadProc m_threadProc = nullptr;
    int m_priority = 0;
    std::atomic<bool> m_ended{false};
    std::atomic<HWND> m_target{nullptr};  // where the worker posts; null once ending

    ProgressProc m_timerProc = nullptr;
    UINT m_timerInterval = 0;
    DWORD_PTR m_timerArgument = 0;
    ProgressProc m_cancelProc = nullptr;
    DWORD_PTR m_cancelArgument = 0;
    bool m_cancelCalled = false;
    int m_pollMode = kPollStop;
    UINT m_pollInterval = 0;
    void* m_pollPosition = nullptr;
    void* m_pollTotal = nullptr;

    // The worker's question, answered on the dialog's thread.
    struct Request {
        const char* text;
        const char* caption;
        UINT type;
        CDialog* dialog;
        INT_PTR answer;
        bool answered;
    } m_request{};

    ProgressTaskbar* m_taskbar = nullptr;
    bool m_comInitialised = false;
    HWND m_taskbarWnd = nullptr;
    TaskbarProgress m_taskbarProgress;

    bool m_marqueeOn = false;
    WNDPROC m_barProc = nullptr;  // the bar's own procedure while the marquee is emulated
    uint32_t m_marqueeStep = 0;
    uint32_t m_marqueeDrawn = 0;

    CString m_title;
    UINT m_iconId = 0;
    HICON m_icon = nullptr;
    RECT m_delayedRect = {};
    bool m_awaitingShow = false;  // parked off the screen until the delayed show
    bool m_placedByRule = false;  // at the last dialog's place, which the rule accepted

    DECLARE_MESSAGE_MAP()
};
