#include "ui/filedlg/file_dialog_run.h"

#include "text/text_services.h"
#include "ui/filedlg/edit_extensions.h"
#include "ui/filedlg/popup_list.h"
#include "ui/filedlg/type_ahead_logic.h"
#include "ui/utils/work_area.h"

#include <cstdlib>
#include <vector>

namespace {

// Wine's Explorer template has no edit 1152: its file-name box is cmb13.
constexpr int kWineFileNameId = 1148;
constexpr int kReadOnlyBoxId = 1040;
constexpr uint32_t kIdleMs = 1000;
constexpr DWORD kRetryMs = 10;
constexpr unsigned kRoundsPerYield = 256;
constexpr int kFallbackNameWidth = 450;
const char kRunProp[] = "OfnRun";

// Only the first dialog of the process is sized, whichever call shows it.
std::atomic<bool> g_firstDialogSized{false};
// The call whose dialog is being made, until its hook's first message.
thread_local OfnRun* t_pendingRun = nullptr;

HWND FileNameBox(HWND dialog)
{
    HWND box = GetDlgItem(dialog, kFileNameId);
    return box ? box : GetDlgItem(dialog, kWineFileNameId);
}

void FileDialogListThread(OfnWorker* worker, CWorker& thread);

void StartWorker(OfnWorker* worker)
{
    if (!worker || worker->popup.load())
        return;
    HWND popup = CreatePopupList(0, WS_BORDER, nullptr, worker->dialog, kPopupId);
    if (!popup)
        return;
    worker->popup = popup;
    {
        // The folder the dialog shows now, should its notification have
        // come before the worker's record or before the dialog knew it.
        CLockGuard hold(worker->thread.SharedLock());
        worker->requests.EnsureFolder(FolderOf(worker->dialog));
    }
    worker->thread.Start([worker](CWorker& thread) { FileDialogListThread(worker, thread); });
}

void BuildCombo(OfnRun& run)
{
    HWND dialog = run.dialog;
    HWND box = FileNameBox(dialog);
    char cls[16] = "";
    GetClassNameA(box, cls, sizeof cls);
    if (!box || lstrcmpiA(cls, "ComboBox") == 0)
        return;
    RECT r;
    GetWindowRect(box, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    HWND combo = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "ComboBox", "", 0x50010042, r.left, r.top, r.right - r.left,
                                 260, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFileNameId)), nullptr,
                                 nullptr);
    if (!combo)
        return;
    SetWindowPos(combo, box, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(combo, WM_SETFONT, SendMessageA(box, WM_GETFONT, 0, 0), 0);
    std::string text = WindowTextOf(box);
    ShowWindow(box, SW_HIDE);
    SetWindowLongPtrA(box, GWLP_ID, kFileNameId ^ kTwinIdMask);
    AttachSubclass(box, TwinEditProc);
    AttachSubclass(combo, TwinComboProc);
    SendMessageA(combo, kMsgSetOwnText, 0, 0);
    SetWindowTextA(combo, text.c_str());
    SetFocus(combo);
    const OfnSettings& s = run.settings;
    OfnListRegistry(combo, s.mode, s.mode == kOfnModeOwnList ? s.ownList : s.profile.c_str(), 0);
    StartWorker(run.worker.get());
}

// The first dialog of the process takes its first size; any that is larger
// than its work area (the first size at a high dpi, or a size the system
// remembered) is fitted into it. The flag is set before the sizing, so a
// message the sizing brings back here finds it set.
void PlaceDialog(OfnRun& run)
{
    run.placed = true;
    const bool first = !g_firstDialogSized.exchange(true);
    RECT made{};
    if (!GetWindowRect(run.dialog, &made))
        return;
    const bool resizable = (GetWindowLongA(run.dialog, GWL_STYLE) & WS_THICKFRAME) != 0;
    const RECT place = FileDialogRect(made, first, run.settings.extraHeight, GetSystemMetrics(SM_CXICON), resizable,
                                      WorkAreaOf(run.dialog));
    if (EqualRect(&place, &made))
        return;
    const UINT keepPlace = place.left == made.left && place.top == made.top ? SWP_NOMOVE : 0;
    SetWindowPos(run.dialog, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 keepPlace | SWP_NOZORDER);
}

void ShowCaption(OfnRun& run)
{
    OfnSettings& s = run.settings;
    HWND box = GetDlgItem(run.dialog, kReadOnlyBoxId);
    RECT client{}, boxRect{};
    HWND name = FileNameBox(run.dialog);
    int width = name && GetClientRect(name, &client) && client.right > 0 ? client.right : kFallbackNameWidth;
    if (box && GetWindowRect(box, &boxRect) && boxRect.right - boxRect.left < width)
        SetWindowPos(box, nullptr, 0, 0, width, boxRect.bottom - boxRect.top, SWP_NOMOVE | SWP_NOZORDER);
    if (s.saveThroughOpen) {
        s.saveThroughOpen = false;
        std::string ok = WindowTextOf(GetDlgItem(run.dialog, IDOK), 64);
        SetDlgItemTextA(run.dialog, IDOK, ok == "\xD6&ffnen" ? "&Speichern" : "&Save");
    }
    if (box) {
        SetWindowTextA(box, s.caption.c_str());
        ShowWindow(box, SW_SHOW);
    }
    s.hasCaption = false;
}

// The folder listing of the worker.
class FindEntries : public FolderEntries {
public:
    ~FindEntries() override { Close(); }
    bool First(const std::string& folder, std::string* name) override
    {
        Close();
        char pattern[kPathBuffer] = "";
        StrCopyBoundedA(pattern, folder.c_str(), sizeof pattern);
        size_t n = strlen(pattern);
        if (n && pattern[n - 1] != '\\')
            StrAppendBoundedA(pattern, "\\", sizeof pattern);
        StrAppendBoundedA(pattern, "*", sizeof pattern);
        m_search = FindFirstFileA(pattern, &m_found);
        return Take(m_search != INVALID_HANDLE_VALUE, name);
    }
    bool Next(std::string* name) override
    {
        return Take(m_search != INVALID_HANDLE_VALUE && FindNextFileA(m_search, &m_found), name);
    }
    bool Failed() const override { return m_failed; }
    void Close() override
    {
        if (m_search != INVALID_HANDLE_VALUE)
            FindClose(m_search);
        m_search = INVALID_HANDLE_VALUE;
    }
    // A folder's last write time changes when an entry is made, removed or
    // renamed in it.
    uint64_t Stamp(const std::string& folder) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(folder.c_str(), GetFileExInfoStandard, &data))
            return 0;
        return uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    }

private:
    bool Take(bool found, std::string* name)
    {
        if (found)
            *name = m_found.cFileName;
        const DWORD error = found ? ERROR_SUCCESS : GetLastError();
        m_failed = !found && error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND;
        return found;
    }
    HANDLE m_search = INVALID_HANDLE_VALUE;
    bool m_failed = false;
    WIN32_FIND_DATAA m_found{};
};

// The requests taken under the worker's lock, handed to the model outside.
void TakeRequests(OfnWorker* worker, TypeAheadModel& model)
{
    TypeAheadRequests taken;
    {
        CLockGuard hold(worker->thread.SharedLock());
        taken = worker->requests.Take();
    }
    taken.Into(model);
}

// Posts one name to the popup; the heap text is the popup's once posted.
bool PostMatch(OfnWorker* worker, HWND popup, const std::string& name, bool first)
{
    char* block = static_cast<char*>(malloc(name.size() + 1));
    if (!block)
        return false;
    memcpy(block, name.c_str(), name.size() + 1);
    if (!PostMessageA(popup, kPopupAddString, kPopupOwnedText, reinterpret_cast<LPARAM>(block))) {
        free(block);
        Sleep(kRetryMs);
        return false;
    }
    const WPARAM available = MAKEWPARAM(kPopupId, kMatchesAvailable);
    if (first && !PostMessageA(worker->dialog, WM_COMMAND, available, reinterpret_cast<LPARAM>(popup))) {
        Sleep(kRetryMs);
        PostMessageA(worker->dialog, WM_COMMAND, available, reinterpret_cast<LPARAM>(popup));
    }
    return true;
}

// The worker: lists the current folder and posts the names that begin with
// the typed text to the popup, one entry and one comparison a round.
void FileDialogListThread(OfnWorker* worker, CWorker& thread)
{
    FindEntries entries;
    TypeAheadModel model(entries);
    unsigned rounds = 0;
    while (!thread.Quitting()) {
        HWND popup = worker->popup.load();
        TakeRequests(worker, model);
        TypeAheadRound round = model.Round(popup != nullptr);
        if (round.reset && popup)
            PostMessageA(popup, LB_RESETCONTENT, 0, 0);
        if (round.match && PostMatch(worker, popup, *round.match, round.firstMatch))
            model.Posted();
        if (model.Idle()) {
            thread.WaitForWake(kIdleMs);  // woken by a request or the stop
            model.Waited();
        } else if ((++rounds % kRoundsPerYield) == 0)
            Sleep(kRetryMs);
    }
}

// What other threads send the closing dialog is answered while its worker
// ends; nothing posted is dispatched during WM_DESTROY.
void AnswerSentMessages()
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

OfnRun* RunOf(HWND dialog)
{
    return reinterpret_cast<OfnRun*>(GetPropA(dialog, kRunProp));
}

namespace {

// The system keeps a window within its largest tracking size (by default the
// screen and a frame). The dialog's sizing frame is added in its
// WM_INITDIALOG, after its controls were laid out for the template's size
// and before it records its size for its layout: on a screen narrower than
// the template (144 dpi on 800 x 600) that limit cut the window, and the
// controls lay past its right edge at every later size. Until the dialog is
// placed, its size is therefore not limited; the placing cuts it to the
// work area through the dialog's own layout.
constexpr LONG kUnlimitedTrack = 32767;  // the largest window coordinate
const char kSetUpProcProp[] = "OfnSetUpProc";
thread_local HHOOK t_creationHook = nullptr;

LRESULT CALLBACK SetUpProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto next = reinterpret_cast<WNDPROC>(GetPropA(wnd, kSetUpProcProp));
    const LRESULT result =
        next ? CallWindowProcA(next, wnd, message, wParam, lParam) : DefWindowProcA(wnd, message, wParam, lParam);
    const OfnRun* run = RunOf(wnd);
    if (message == WM_GETMINMAXINFO && lParam && !(run && run->placed))
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = {kUnlimitedTrack, kUnlimitedTrack};
    if (message == WM_NCDESTROY)
        RemovePropA(wnd, kSetUpProcProp);
    return result;
}

void EndCreationHook()
{
    if (t_creationHook)
        UnhookWindowsHookEx(t_creationHook);
    t_creationHook = nullptr;
}

// The first top-level dialog made while a call is pending is its dialog.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND wnd = reinterpret_cast<HWND>(wParam);
    char cls[16] = "";
    if (code == HCBT_CREATEWND && t_pendingRun &&
        !(reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->style & WS_CHILD) &&
        GetClassNameA(wnd, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0) {
        EndCreationHook();
        SetPropA(wnd, kSetUpProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)));
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SetUpProc));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void SetPendingRun(OfnRun* run)
{
    t_pendingRun = run;
    if (!t_creationHook)
        t_creationHook = SetWindowsHookExA(WH_CBT, &CreationHook, nullptr, GetCurrentThreadId());
}

void ForgetPendingRun(OfnRun* run)
{
    if (t_pendingRun == run) {
        t_pendingRun = nullptr;  // its dialog was never made
        EndCreationHook();
    }
}

OfnRun* AdoptRun(HWND dialog)
{
    OfnRun* run = RunOf(dialog);
    if (run || !t_pendingRun)
        return run;
    EndCreationHook();
    run = t_pendingRun;
    t_pendingRun = nullptr;
    run->dialog = dialog;
    SetPropA(dialog, kRunProp, run);
    return run;
}

void ReleaseRun(HWND dialog)
{
    RemovePropA(dialog, kRunProp);
}

std::vector<std::string> ComboEntries(HWND combo)
{
    std::vector<std::string> entries;
    for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
        LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        std::string text(length > 0 ? size_t(length) + 1 : 1, '\0');
        if (length > 0)
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(strlen(text.c_str()));
        entries.push_back(text);
    }
    return entries;
}

bool FirstDialogSized()
{
    return g_firstDialogSized.load();
}

std::string WindowTextOf(HWND wnd, int size)
{
    std::vector<char> text(size_t(size), '\0');
    GetWindowTextA(wnd, text.data(), size);
    return text.data();
}

std::string ComboText(HWND combo)
{
    char text[kPathBuffer] = "";
    SendMessageA(combo, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetComboText(HWND combo, const char* text)
{
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, 255));
}

std::string FolderOf(HWND dialog)
{
    char folder[kPathBuffer] = "";
    if (SendMessageA(dialog, CDM_GETFOLDERPATH, kPathChars, reinterpret_cast<LPARAM>(folder)) < 0)
        folder[0] = '\0';
    folder[kPathChars] = '\0';
    return folder;
}

HWND PopupOf(const OfnRun& run)
{
    return run.worker ? run.worker->popup.load() : nullptr;
}

void HidePopup(const OfnRun& run)
{
    HWND popup = PopupOf(run);
    if (popup && IsWindowVisible(popup))
        ShowWindow(popup, SW_HIDE);
}

void OnHookInit(OfnRun& run, HWND child)
{
    if (!run.object)
        run.object = std::make_unique<CFileDialogNew>();
    run.object->AttachToDialog(child);
    // The worker's buffers exist before the first folder change arrives.
    if (!run.worker && run.settings.mode != kOfnModeNone) {
        run.worker = std::make_unique<OfnWorker>();
        run.worker->dialog = run.dialog;
    }
}

void OnShow(OfnRun& run)
{
    PlaceDialog(run);
    if (run.settings.hasCaption)
        ShowCaption(run);
    if (run.settings.mode != kOfnModeNone)
        BuildCombo(run);
}

void Remember(OfnRun& run, const std::string& chosen, bool select)
{
    const OfnSettings& s = run.settings;
    HWND combo = GetDlgItem(run.dialog, kFileNameId);
    if (!combo || s.mode == kOfnModeNone)
        return;
    RememberDecision d = DecideRemember(chosen, FolderOf(run.dialog), s.mode & 0x30000000u, s.save,
                                        [](const std::string& p) {
                                            DWORD a = GetFileAttributesA(p.c_str());
                                            return a == INVALID_FILE_ATTRIBUTES ? kNoFile : uint32_t(a);
                                        });
    if (!d.add)
        return;
    int found = FindRecentEntry(ComboEntries(combo), d.path);
    if (found == 0)
        return;
    SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(d.path.c_str()));
    if (found > 0)
        SendMessageA(combo, CB_DELETESTRING, WPARAM(found + 1), 0);
    if (!d.isFile && select)
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    OfnListRegistry(combo, s.mode, s.profile.c_str(), 1);
}

// The worker ends before its popup goes, so nothing is posted to a popup
// that is gone; a listing call that blocks holds the close until it returns.
void StopWorker(OfnRun& run)
{
    std::unique_ptr<OfnWorker> worker = std::move(run.worker);
    if (!worker)
        return;
    {
        CLockGuard hold(worker->thread.SharedLock());
        worker->requests.FolderShown("");
    }
    worker->thread.Stop(AnswerSentMessages);
    if (HWND popup = worker->popup.exchange(nullptr))
        DestroyWindow(popup);
}

void FitMinimumSize(HWND dialog, MINMAXINFO* info)
{
    if (info)
        info->ptMinTrackSize = MinimumSizeInArea(info->ptMinTrackSize, WorkAreaOf(dialog));
}
