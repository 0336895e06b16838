// The progress dialog's set-up, lifetime and the worker's side.
#include "ui/dialogs/progress_dlg.h"

#include <commctrl.h>

#include <climits>
#include <cstring>
#include <mutex>

#include "text/text_services.h"
#include "ui/utils/path_shorten.h"
#include "ui/utils/shell_utils.h"

namespace {

constexpr DWORD kRetryPostMs = 20;
constexpr int kMarqueeIntervalMask = 0xFFF;  // request 9 carries 12 bits per interval

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const DialogItem kItems[] = {
    {"BUTTON", IDCANCEL, kChild | WS_TABSTOP, 135, 45, 50, 14, "Abbrechen", 0},
    {"msctls_progress32", kProgressBarId, kChild | WS_BORDER, 35, 30, 280, 9, "", 0},
    {"STATIC", kProgressLineId, kChild | SS_NOPREFIX, 40, 15, 275, 8, "", 0},
    {"STATIC", kProgressIconId, kChild | SS_ICON, 5, 15, 20, 20, MAKEINTRESOURCEA(128), 0},
};
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// The character widths path lines are shortened with, shared by every
// progress dialog of the process, and the width of the last dialog's line.
enum WidthSource { kWidthsNone, kWidthsDialogFont, kWidthsStockFont };
std::mutex g_pathLineLock;
uint8_t g_widths[256];
WidthSource g_widthSource = kWidthsNone;
int g_lastLineWidth = 0;

}  // namespace

CProgressDlg::CProgressDlg(CWnd* parent)
{
    SetTemplate(MakeDialogLayout(kDialogStyle, 327, 71, "Dialog", kItems), parent);
}

CProgressDlg::~CProgressDlg()
{
    m_ended = true;
    m_target = nullptr;
    // The quit answers a worker still waiting for an answer, now and at
    // every later request, and the join waits for its end.
    m_worker.Stop();
    ReleaseTaskbar();
}

bool CProgressDlg::Post(int command, LPARAM lParam) const
{
    const HWND target = m_target;
    return target && !m_ended && ::PostMessageA(target, WM_COMMAND, WPARAM(command), lParam);
}

void CProgressDlg::PostRequest(ProgressRequest code, int value) const
{
    Post(kProgressRequest, LPARAM(value) << 8 | LPARAM(code));
}

void CProgressDlg::RunWorker(CWorker& worker)
{
    int result = -1;
    if (m_threadProc)
        result = int(m_threadProc(this));
    m_threadResult = result;
    // The end must arrive, or the dialog never closes: post again while the
    // queue is full, until it is taken, the window is gone or the dialog
    // object goes.
    for (;;) {
        const HWND target = m_target;
        if (!target || !IsWindow(target) || ::PostMessageA(target, WM_COMMAND, kProgressEnded, 0))
            break;
        if (!worker.WaitForWake(kRetryPostMs))
            break;
    }
}

void CProgressDlg::SetRange(int64_t total)
{
    if (m_nMarquee)
        return;
    bool changed;
    {
        CLockGuard hold(m_worker.SharedLock());
        changed = m_scale.SetRange(total);
    }
    if (changed)
        PostRequest(kSetBarRange);
}

void CProgressDlg::SetRangeFromTo(int64_t start, int64_t end)
{
    if (m_nMarquee)
        return;
    int64_t total;
    if (__builtin_sub_overflow(end, start, &total))
        total = end < start ? 0 : INT64_MAX;
    {
        CLockGuard hold(m_worker.SharedLock());
        m_scale.SetStart(start);
    }
    SetRange(total);
}

void CProgressDlg::SetPos(int64_t position)
{
    bool changed;
    {
        CLockGuard hold(m_worker.SharedLock());
        changed = m_scale.SetPos(position);
    }
    if (changed)
        PostRequest(kShowPos);
}

void CProgressDlg::StepPos()
{
    bool changed;
    {
        CLockGuard hold(m_worker.SharedLock());
        changed = m_scale.StepPos();
    }
    if (changed)
        PostRequest(kShowPos);
}

void CProgressDlg::StepIt()
{
    PostRequest(kStepBar);
}

void CProgressDlg::SetText(int line, const char* text)
{
    if (line < 0 || line >= kProgressLines)
        return;
    if (line > 0 && line >= m_shownLines)
        RequestLines(line + 1);
    {
        CLockGuard hold(m_worker.SharedLock());
        const char* value = text ? text : "";
        if (std::strncmp(m_lines[line], value, kProgressLineSize - 1) == 0)
            return;
        StrCopyBoundedA(m_lines[line], value, kProgressLineSize);
    }
    PostLine(line);
}

void CProgressDlg::SetTextPath(int line, const char* format, const char* path, int keepFirst, int placeholder)
{
    if (line < 0 || line >= kProgressLines)
        return;
    if (line > 0 && line >= m_shownLines)
        RequestLines(line + 1);
    const char* suffix = nullptr;
    const char* text = format ? format : "";
    const int before = SplitPathFormat(text, placeholder, &suffix);
    char composed[kProgressLineSize];
    const int kept = before < kProgressLineSize - 1 ? before : kProgressLineSize - 1;
    std::memcpy(composed, text, size_t(kept));
    composed[kept] = 0;
    {
        std::lock_guard<std::mutex> hold(g_pathLineLock);
        if (g_widthSource == kWidthsNone && GetStockFontCharWidths(g_widths, -1))
            g_widthSource = kWidthsStockFont;
        // Before any dialog has measured its line there is no width to keep to.
        const int width = g_lastLineWidth > 0 ? g_lastLineWidth - 5 : INT_MAX / 2;
        ShortenPathEx(path ? path : "", composed, kProgressLineSize, width,
                      g_widthSource != kWidthsNone ? g_widths : nullptr, keepFirst, composed, suffix, -1);
    }
    StoreLine(line, composed);
    PostLine(line);
}

void CProgressDlg::StoreLine(int line, const char* text)
{
    CLockGuard hold(m_worker.SharedLock());
    StrCopyBoundedA(m_lines[line], text, kProgressLineSize);
}

void CProgressDlg::PostLine(int line)
{
    if (!m_target)
        return;  // shown when the dialog opens
    switch (m_throttle.OnText(line, GetTickCount())) {
    case LineThrottle::kShowNow: PostRequest(kShowLine, line); break;
    case LineThrottle::kStartTimer: PostRequest(kLinePending, line); break;
    case LineThrottle::kPending: break;
    }
}

void CProgressDlg::RequestLines(int count)
{
    count = count < 1 ? 1 : count > kProgressLines ? kProgressLines : count;
    if (!m_target) {
        CLockGuard hold(m_worker.SharedLock());
        if (count > m_initialLines)
            m_initialLines = count;
        return;
    }
    if (count != m_shownLines)
        PostRequest(kLineCount, count);
}

void CProgressDlg::SetTitle(const char* title)
{
    m_title = title;
}

void CProgressDlg::SetMarquee(int interval)
{
    interval = interval < 0 ? 0 : interval > kMarqueeIntervalMask ? kMarqueeIntervalMask : interval;
    const int old = m_nMarquee.exchange(interval);
    if (old != interval)
        PostRequest(kMarqueeSwitch, (old & kMarqueeIntervalMask) << 12 | interval);
}

void CProgressDlg::SetThreadProc(ProgressThreadProc proc, DWORD_PTR a0, DWORD_PTR a1, DWORD_PTR a2, DWORD_PTR a3,
                                 DWORD_PTR a4)
{
    m_threadProc = proc;
    const DWORD_PTR args[5] = {a0, a1, a2, a3, a4};
    std::memcpy(m_args, args, sizeof args);
}

void CProgressDlg::SetTimerProc(ProgressProc proc, UINT interval, DWORD_PTR argument)
{
    {
        CLockGuard hold(m_worker.SharedLock());
        m_timerProc = proc;
        m_timerInterval = interval;
        m_timerArgument = argument;
    }
    PostRequest(kProcTimer);
}

void CProgressDlg::SetCancelProc(ProgressProc proc, DWORD_PTR argument)
{
    CLockGuard hold(m_worker.SharedLock());
    m_cancelProc = proc;
    m_cancelArgument = argument;
}

void CProgressDlg::SetPollSource(int mode, UINT interval, void* positionSource, void* totalSource)
{
    {
        CLockGuard hold(m_worker.SharedLock());
        m_pollMode = mode >= kPollStop && mode <= kPollPointers64 ? mode : kPollStop;
        m_pollInterval = interval;
        m_pollPosition = positionSource;
        m_pollTotal = totalSource;
    }
    PostRequest(kPollTimer);
}

void CProgressDlg::Cancel()
{
    m_bCancelled = 1;
    Post(IDCANCEL, 0);
}

int CProgressDlg::MessageBoxFromThread(const char* text, const char* caption, UINT type)
{
    {
        CLockGuard hold(m_worker.SharedLock());
        m_request = Request{text, caption, type, nullptr, 0, false};
    }
    return int(AwaitAnswer(kProgressMessageBox, IDCANCEL));
}

INT_PTR CProgressDlg::DoModalFromThread(CDialog* dialog)
{
    if (!dialog)
        return -1;
    {
        CLockGuard hold(m_worker.SharedLock());
        m_request = Request{nullptr, nullptr, 0, dialog, 0, false};
    }
    return AwaitAnswer(kProgressRunDialog, -1);
}

INT_PTR CProgressDlg::AwaitAnswer(int command, INT_PTR unanswered)
{
    // A dialog that is gone or ending answers at once; teardown releases
    // every waiter without an answer.
    if (!Post(command, 0))
        return unanswered;
    m_worker.WaitForWake();
    CLockGuard hold(m_worker.SharedLock());
    return m_request.answered ? m_request.answer : unanswered;
}

INT_PTR CProgressDlg::DoModal()
{
    m_ended = false;
    // The bar's window class.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    const INT_PTR result = CDialog::DoModal();
    m_ended = true;
    m_target = nullptr;
    ReleaseTaskbar();
    return result;
}

BOOL CProgressDlg::OnInitDialog()
{
    m_throttle.Reset(GetTickCount());
    m_bTextTimer = false;
    m_ended = false;
    m_awaitingShow = false;
    m_taskbarProgress.Reset();
    m_shownLines = 1;
    m_placedByRule = false;
    PlaceAtLastRect();

    const HWND line = ::GetDlgItem(m_hWnd, kProgressLineId);
    RECT rect;
    ::GetWindowRect(line, &rect);
    m_lineHeight = rect.bottom - rect.top + 2;
    m_lineWidth = rect.right - rect.left;
    {
        // The path lines of every progress dialog measure with the first
        // dialog font seen, the stock font only until then.
        std::lock_guard<std::mutex> hold(g_pathLineLock);
        g_lastLineWidth = m_lineWidth;
        if (g_widthSource != kWidthsDialogFont &&
            GetFontCharWidths(g_widths, reinterpret_cast<HFONT>(::SendMessageA(line, WM_GETFONT, 0, 0))))
            g_widthSource = kWidthsDialogFont;
    }

    int initial;
    {
        CLockGuard hold(m_worker.SharedLock());
        initial = m_initialLines;
    }
    SetLineCount(initial);
    KeepOnScreen(false);
    CDialog::OnInitDialog();

    if (m_iconId) {
        m_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_iconId));
        if (m_icon)
            SendDlgItemMessageA(m_hWnd, kProgressIconId, STM_SETICON, WPARAM(m_icon), 0);
    }
    if (m_bNoCancel)
        ::ShowWindow(::GetDlgItem(m_hWnd, IDCANCEL), SW_HIDE);
    if (!m_title.IsEmpty())
        SetWindowText(m_title);

    {
        CLockGuard hold(m_worker.SharedLock());
        m_scale.ResetPosition();
    }
    SetBarRange();
    if (m_nMarquee)
        SwitchMarquee(-1, m_nMarquee);
    ShowLine(0);

    m_target = m_hWnd;
    HandleRequest(kProcTimer, 0);
    HandleRequest(kPollTimer, 0);

    if (!m_worker.Start([this](CWorker& worker) { RunWorker(worker); }, m_priority)) {
        m_ended = true;
        m_target = nullptr;
        EndDialog(-1);
        return TRUE;
    }
    if (m_showDelay) {
        ::GetWindowRect(m_hWnd, &m_delayedRect);
        EnableWindow(FALSE);
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        SetTimer(kProgressDelayedShowTimer, m_showDelay);
        m_awaitingShow = true;
        ::SetWindowPos(m_hWnd, nullptr, 28672, 28672, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

void CProgressDlg::OnCancel()
{
    ProgressProc proc;
    DWORD_PTR argument;
    {
        CLockGuard hold(m_worker.SharedLock());
        proc = m_cancelCalled ? nullptr : m_cancelProc;
        argument = m_cancelArgument;
        m_cancelCalled = true;
    }
    if (proc)
        proc(argument);
    m_bCancelled = 1;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDCANCEL), FALSE);
}
