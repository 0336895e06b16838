// The progress dialog's side of the requests: everything here runs on the
// dialog's thread, the only thread that touches its windows and the taskbar.
#include "ui/dialogs/progress_dlg.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <cstring>
#include <mutex>

#include "ui/utils/work_area.h"

namespace {

constexpr UINT_PTR kTimerProc = 6548;
constexpr UINT_PTR kTimerMarquee = 6549;
constexpr UINT_PTR kTimerPoll = 6550;
constexpr UINT_PTR kTimerDelayedShow = kProgressDelayedShowTimer;
constexpr UINT_PTR kTimerLines = 6553;
constexpr UINT kLinesInterval = 50;
constexpr int kMarqueeRange = 100;
constexpr int kMarqueeTimerFrom = 10;  // shorter intervals are driven by StepIt alone
constexpr char kMarqueeProp[] = "LindarProgressMarquee";
constexpr int kTaskbarUntried = 0, kTaskbarWorking = 1, kTaskbarFailed = 2;
constexpr DWORD kComctlMarqueeMajor = 6;

// Process-wide: where the last progress dialog was, and the taskbar's state.
std::mutex g_placeLock;
RECT g_lastRect;
bool g_lastRectValid = false;
std::atomic<int> g_taskbarState{kTaskbarUntried};
std::atomic<int> g_marqueeSupport{-1};

class ShellTaskbar : public ProgressTaskbar {
public:
    explicit ShellTaskbar(ITaskbarList3* list) : m_list(list) {}
    ~ShellTaskbar() override { m_list->Release(); }
    void SetState(HWND wnd, int flags) override { m_list->SetProgressState(wnd, TBPFLAG(flags)); }
    void SetValue(HWND wnd, uint64_t completed, uint64_t total) override
    {
        m_list->SetProgressValue(wnd, completed, total);
    }

private:
    ITaskbarList3* m_list;
};

ProgressTaskbar* MakeShellTaskbar()
{
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))) ||
        !list)
        return nullptr;
    if (FAILED(list->HrInit())) {
        list->Release();
        return nullptr;
    }
    return new ShellTaskbar(list);
}

std::atomic<ProgressTaskbarFactory> g_taskbarFactory{&MakeShellTaskbar};

bool MarqueeSupported()
{
    int known = g_marqueeSupport;
    if (known >= 0)
        return known != 0;
    DWORD major = 0;
    if (HMODULE comctl = GetModuleHandleA("ComCtl32.dll")) {
        typedef HRESULT(CALLBACK * GetVersion)(DLLVERSIONINFO*);
        if (auto get = reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")))) {
            DLLVERSIONINFO info = {};
            info.cbSize = sizeof info;
            if (SUCCEEDED(get(&info)))
                major = info.dwMajorVersion;
        }
    }
    known = major >= kComctlMarqueeMajor ? 1 : 0;
    g_marqueeSupport = known;
    return known != 0;
}

// A remembered place is used when it lies well on its monitor (or on the
// primary screen when it is on none).
bool PlaceFits(const RECT& rect)
{
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (GetMonitorInfoA(monitor, &info))
            screen = info.rcMonitor;
    }
    return ProgressPlaceUsable(rect, screen);
}

}  // namespace

void SetProgressTaskbarFactory(ProgressTaskbarFactory factory)
{
    g_taskbarFactory = factory ? factory : &MakeShellTaskbar;
    g_taskbarState = kTaskbarUntried;
}

void SetProgressMarqueeSupport(int supported)
{
    g_marqueeSupport = supported < 0 ? -1 : supported ? 1 : 0;
}

BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL CProgressDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == 0) {
        switch (LOWORD(wParam)) {
        case kProgressRequest:
            HandleRequest(int(lParam & 0xFF), int(lParam >> 8));
            return TRUE;
        case kProgressMessageBox:
        case kProgressRunDialog:
            RunRequest(LOWORD(wParam));
            return TRUE;
        case kProgressEnded:
            Finish();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CProgressDlg::HandleRequest(int code, int value)
{
    if (m_ended)
        return;
    switch (code) {
    case kShowLine:
        if (value >= 0 && value < kProgressLines)
            ShowLine(value);
        break;
    case kShowPos: ShowPosition(); break;
    case kStepBar:
        SendDlgItemMessageA(m_hWnd, kProgressBarId, PBM_STEPIT, 0, 0);
        if (m_barProc) {
            ++m_marqueeStep;
            ShowPosition();
        }
        break;
    case kSetBarRange:
        if (!m_marqueeOn)
            SetBarRange();
        break;
    case kLinePending:
        if (!m_bTextTimer) {
            m_bTextTimer = true;
            SetTimer(kTimerLines, kLinesInterval);
        }
        break;
    case kPollTimer:
    case kProcTimer: {
        CLockGuard hold(m_worker.SharedLock());
        const bool poll = code == kPollTimer;
        const bool on = poll ? m_pollMode != kPollStop && m_pollInterval : m_timerProc && m_timerInterval;
        const UINT_PTR id = poll ? kTimerPoll : kTimerProc;
        if (on)
            SetTimer(id, poll ? m_pollInterval : m_timerInterval);
        else
            KillTimer(id);
        break;
    }
    case kLineCount: SetLineCount(value); break;
    case kMarqueeSwitch: SwitchMarquee(value >> 12, value & 0xFFF); break;
    default: break;  // unknown codes are ignored
    }
}

void CProgressDlg::ShowLine(int line)
{
    char text[kProgressLineSize];
    {
        CLockGuard hold(m_worker.SharedLock());
        std::memcpy(text, m_lines[line], sizeof text);
    }
    if (const HWND control = ::GetDlgItem(m_hWnd, kProgressLineId + line))
        SetControlTextIfChanged(control, text);
}

void CProgressDlg::SetBarRange()
{
    int maximum, scaled;
    {
        CLockGuard hold(m_worker.SharedLock());
        maximum = m_scale.BarMax();
        scaled = m_scale.Scaled();
    }
    SendDlgItemMessageA(m_hWnd, kProgressBarId, PBM_SETRANGE32, 0, maximum);
    SendDlgItemMessageA(m_hWnd, kProgressBarId, PBM_SETPOS, WPARAM(scaled), 0);
}

void CProgressDlg::ShowPosition()
{
    const HWND bar = ::GetDlgItem(m_hWnd, kProgressBarId);
    if (m_marqueeOn) {
        if (m_barProc && m_marqueeDrawn != m_marqueeStep)
            ::InvalidateRect(bar, nullptr, FALSE);
        return;
    }
    if (!m_taskbar && g_taskbarState < kTaskbarFailed)
        InitTaskbar();
    int maximum, scaled;
    {
        CLockGuard hold(m_worker.SharedLock());
        maximum = m_scale.BarMax();
        scaled = m_scale.Scaled();
    }
    if (m_taskbar) {
        const TaskbarValue value = m_taskbarProgress.Next(scaled, maximum, m_phase, m_phaseCount);
        if (value.update)
            m_taskbar->SetValue(m_taskbarWnd, value.value, value.maximum);
    }
    ::SendMessageA(bar, PBM_SETPOS, WPARAM(scaled), 0);
}

void CProgressDlg::SetLineCount(int count)
{
    count = count < 1 ? 1 : count > kProgressLines ? kProgressLines : count;
    const int shown = m_shownLines;
    if (count <= shown)
        return;
    const int grow = (count - shown) * m_lineHeight;
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + grow,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const int id : {IDCANCEL, kProgressBarId}) {
        const HWND item = ::GetDlgItem(m_hWnd, id);
        RECT rect;
        ::GetWindowRect(item, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        ::SetWindowPos(item, nullptr, rect.left, rect.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const HWND first = ::GetDlgItem(m_hWnd, kProgressLineId);
    RECT place;
    ::GetWindowRect(first, &place);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    const WPARAM font = WPARAM(::SendMessageA(first, WM_GETFONT, 0, 0));
    for (int line = shown; line < count; ++line) {
        const HWND control = CreateWindowExA(
            0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, place.left, place.top + m_lineHeight * line,
            place.right - place.left, place.bottom - place.top, m_hWnd,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kProgressLineId + line)), GetModuleHandleA(nullptr), nullptr);
        ::SendMessageA(control, WM_SETFONT, font, FALSE);
        m_shownLines = line + 1;
        ShowLine(line);
    }
    // Grown down past the task bar or the screen's edge: moved up.
    if (!m_awaitingShow)
        KeepOnScreen(true);
}

void CProgressDlg::KeepOnScreen(bool grown)
{
    RECT window;
    if (!::GetWindowRect(m_hWnd, &window))
        return;
    const RECT kept = ProgressKeptPlace(window, m_placedByRule, grown, WorkAreaOf(m_hWnd));
    if (kept.left != window.left || kept.top != window.top)
        ::SetWindowPos(m_hWnd, nullptr, kept.left, kept.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

void CProgressDlg::SwitchMarquee(int oldInterval, int newInterval)
{
    const HWND bar = ::GetDlgItem(m_hWnd, kProgressBarId);
    const bool native = MarqueeSupported();
    if (oldInterval > kMarqueeTimerFrom)
        KillTimer(kTimerMarquee);
    if (newInterval <= 0) {
        if (!m_marqueeOn)
            return;
        m_marqueeOn = false;
        if (native) {
            ::SendMessageA(bar, PBM_SETMARQUEE, FALSE, 0);
            SetWindowLongA(bar, GWL_STYLE, GetWindowLongA(bar, GWL_STYLE) & ~PBS_MARQUEE);
        } else if (m_barProc) {
            SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_barProc));
            RemovePropA(bar, kMarqueeProp);
            m_barProc = nullptr;
        }
        // The range the marquee replaced, with the position in its scale.
        SetBarRange();
        ::InvalidateRect(bar, nullptr, TRUE);
        return;
    }
    m_marqueeOn = true;
    m_marqueeStep = 0;
    ::SendMessageA(bar, PBM_SETRANGE32, 0, kMarqueeRange);
    ::SendMessageA(bar, PBM_SETPOS, 0, 0);
    if (native) {
        SetWindowLongA(bar, GWL_STYLE, GetWindowLongA(bar, GWL_STYLE) | PBS_MARQUEE);
        if (newInterval > kMarqueeTimerFrom)
            ::SendMessageA(bar, PBM_SETMARQUEE, TRUE, LPARAM(newInterval));
        return;
    }
    if (!m_barProc) {
        SetPropA(bar, kMarqueeProp, this);
        m_barProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CProgressDlg::MarqueeProc)));
    }
    if (newInterval > kMarqueeTimerFrom)
        SetTimer(kTimerMarquee, UINT(newInterval));
    ::InvalidateRect(bar, nullptr, FALSE);
}

LRESULT CALLBACK CProgressDlg::MarqueeProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CProgressDlg* self = static_cast<CProgressDlg*>(GetPropA(wnd, kMarqueeProp));
    if (!self || !self->m_barProc)
        return ::DefWindowProcA(wnd, message, wParam, lParam);
    if (message != WM_PAINT)
        return CallWindowProcA(self->m_barProc, wnd, message, wParam, lParam);
    self->PaintMarquee(wnd);
    return 0;
}

void CProgressDlg::PaintMarquee(HWND bar)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(bar, &paint);
    RECT client;
    ::GetClientRect(bar, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    int lefts[kMarqueeBlocks];
    MarqueeBlockLefts(client.right, m_marqueeStep, lefts);
    for (const int left : lefts) {
        RECT block = {left < 0 ? 0 : left, kMarqueeBorder, left + kMarqueePitch - kMarqueeGap,
                      client.bottom - kMarqueeBorder};
        if (block.right > block.left)
            FillRect(dc, &block, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    m_marqueeDrawn = m_marqueeStep;
    EndPaint(bar, &paint);
}

void CProgressDlg::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kTimerProc: {
        ProgressProc proc;
        DWORD_PTR argument;
        {
            CLockGuard hold(m_worker.SharedLock());
            proc = m_timerProc;
            argument = m_timerArgument;
        }
        if (proc)
            proc(argument);
        break;
    }
    case kTimerMarquee:
        ++m_marqueeStep;
        ShowPosition();
        break;
    case kTimerPoll: Poll(); break;
    case kTimerDelayedShow:
        KillTimer(kTimerDelayedShow);
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        EnableWindow(TRUE);
        m_placedByRule = PlaceFits(m_delayedRect);
        if (m_placedByRule)
            ::SetWindowPos(m_hWnd, nullptr, m_delayedRect.left, m_delayedRect.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_awaitingShow = false;
        KeepOnScreen(GrownSince(m_delayedRect));
        ShowLine(0);
        break;
    case kTimerLines:
        for (int line = 0; line < kProgressLines; ++line)
            if (m_throttle.TakePending(line))
                ShowLine(line);
        break;
    default: Default(); break;
    }
}

void CProgressDlg::Poll()
{
    int mode;
    void* position;
    void* totalSource;
    {
        CLockGuard hold(m_worker.SharedLock());
        mode = m_pollMode;
        position = m_pollPosition;
        totalSource = m_pollTotal;
    }
    if (!position)
        return;
    int64_t total = 0, value = 0;
    switch (mode) {
    case kPollFunction32: value = reinterpret_cast<ProgressPoll32>(position)(&total); break;
    case kPollFunction64: value = reinterpret_cast<ProgressPoll64>(position)(&total); break;
    case kPollPointers32:
        value = *static_cast<const int32_t*>(position);
        total = totalSource ? *static_cast<const int32_t*>(totalSource) : 0;
        break;
    case kPollPointers64:
        value = *static_cast<const int64_t*>(position);
        total = totalSource ? *static_cast<const int64_t*>(totalSource) : 0;
        break;
    default: return;
    }
    if (total != 0)
        SetRange(total);
    SetPos(value);
}

void CProgressDlg::InitTaskbar()
{
    if (m_nMarquee || m_taskbar || g_taskbarState >= kTaskbarFailed)
        return;
    if (!m_comInitialised) {
        // A failure is tried again at the next position.
        if (FAILED(CoInitialize(nullptr)))
            return;
        m_comInitialised = true;
    }
    m_taskbar = g_taskbarFactory.load()();
    if (!m_taskbar) {
        g_taskbarState = kTaskbarFailed;
        CoUninitialize();
        m_comInitialised = false;
        return;
    }
    g_taskbarState = kTaskbarWorking;
    m_taskbarWnd = GetAncestor(m_hWnd, GA_ROOTOWNER);
    m_taskbar->SetState(m_taskbarWnd, TBPF_NORMAL);
}

void CProgressDlg::SetTaskbarState(int flags)
{
    if (m_taskbar)
        m_taskbar->SetState(m_taskbarWnd, flags);
}

void CProgressDlg::ReleaseTaskbar()
{
    if (m_taskbar) {
        m_taskbar->SetState(m_taskbarWnd, TBPF_NOPROGRESS);
        delete m_taskbar;
        m_taskbar = nullptr;
    }
    // Only what this dialog initialised: the program's own COM stays.
    if (m_comInitialised) {
        CoUninitialize();
        m_comInitialised = false;
    }
}

void CProgressDlg::RunRequest(int command)
{
    Request request;
    {
        CLockGuard hold(m_worker.SharedLock());
        request = m_request;
    }
    INT_PTR answer;
    if (command == kProgressMessageBox) {
        SetTaskbarState((request.type & MB_ICONMASK) == MB_ICONHAND ? TBPF_ERROR : TBPF_PAUSED);
        answer = FrameworkMessageBox(m_hWnd, request.text, request.caption, request.type);
        SetTaskbarState(TBPF_NORMAL);
    } else {
        SetTaskbarState(TBPF_PAUSED);
        answer = request.dialog ? request.dialog->DoModal() : -1;
        SetTaskbarState(TBPF_NOPROGRESS);
    }
    {
        CLockGuard hold(m_worker.SharedLock());
        m_request.answer = answer;
        m_request.answered = true;
    }
    m_worker.Wake();
}

void CProgressDlg::Finish()
{
    {
        std::lock_guard<std::mutex> hold(g_placeLock);
        g_lastRectValid = ::GetWindowRect(m_hWnd, &g_lastRect) != FALSE;
    }
    m_ended = true;
    m_target = nullptr;
    ReleaseTaskbar();
    EndDialog(m_bCancelled ? IDCANCEL : IDOK);
}

void CProgressDlg::PlaceAtLastRect()
{
    RECT rect;
    {
        std::lock_guard<std::mutex> hold(g_placeLock);
        if (!g_lastRectValid)
            return;
        rect = g_lastRect;
    }
    m_placedByRule = PlaceFits(rect);
    if (m_placedByRule)
        ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CProgressDlg::GrownSince(const RECT& before) const
{
    RECT now;
    return ::GetWindowRect(m_hWnd, &now) && now.bottom - now.top > before.bottom - before.top;
}
