// The extended file dialog's message tables: the dialog's messages, its
// notifications (keys from the combo, the CDN codes through the hook) and
// its commands by (id, code). Each row decodes wParam and lParam, makes one
// call on the run and encodes the answer; false lets the system dialog's
// own procedure have the message.
#include "ui/filedlg/file_dialog_run.h"

#include "text/text_services.h"
#include "ui/filedlg/edit_extensions.h"
#include "platform/framework/message_routes.h"
#include "ui/utils/shell_utils.h"

namespace {

constexpr int kPopupHeight = 120;
constexpr int kPopupWidthLess = 20;  // leaves the combo's drop-down button free
const char kCopyPathText[] = "Kopiere aktuellen Pfad";

// One message on its way through the tables.
struct ExtMessage {
    HWND dialog;
    OfnRun& run;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};
typedef bool (*ExtHandler)(ExtMessage& m);
typedef Route<ExtHandler> ExtRoute;

HWND Combo(const ExtMessage& m)
{
    return GetDlgItem(m.dialog, kFileNameId);
}

bool Extended(const OfnRun& run)
{
    return run.settings.mode != kOfnModeNone;
}

template <class T>
T* P(const ExtMessage& m)
{
    return reinterpret_cast<T*>(m.lParam);
}

// ---- what the rows call ----

// Up and Down walk the popup's rows, each copied into the combo.
void MovePopupSelection(HWND popup, HWND combo, int step)
{
    LRESULT old = SendMessageA(popup, LB_GETCURSEL, 0, 0);
    LRESULT count = SendMessageA(popup, LB_GETCOUNT, 0, 0);
    LRESULT sel = old + step;
    if (sel < 0 || sel >= count || sel == old)
        return;
    SendMessageA(popup, LB_SETCURSEL, WPARAM(sel), 0);
    char text[kPathBuffer] = "";
    if (SendMessageA(popup, LB_GETTEXTLEN, WPARAM(sel), 0) < LRESULT(sizeof text)) {
        SendMessageA(popup, LB_GETTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text));
        SetComboText(combo, text);
    }
}

void TurnSlashes(HWND combo)
{
    std::string text = ComboText(combo);
    bool changed = false;
    for (char& c : text)
        if (c == '/') {
            c = '\\';
            changed = true;
        }
    if (changed)
        SetComboText(combo, text.c_str());
}

void FolderChanged(OfnRun& run)
{
    HidePopup(run);
    OfnWorker* worker = run.worker.get();
    if (!worker)
        return;
    std::string folder = FolderOf(run.dialog);
    {
        CLockGuard hold(worker->thread.SharedLock());
        if (!FolderChangeKeepsText(worker->folder, folder))
            worker->typed[0] = '\0';
        StrCopyBoundedA(worker->folder, folder.c_str(), sizeof worker->folder);
        worker->folderRequest = worker->textRequest = true;
    }
    worker->thread.Wake();
}

// The chosen file, read within the caller's buffer only.
void FileChosen(OfnRun& run, const OPENFILENAMEA* ofn)
{
    HidePopup(run);
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0)
        return;
    size_t n = 0;
    while (n < ofn->nMaxFile && n < kPathChars && ofn->lpstrFile[n])
        ++n;
    Remember(run, std::string(ofn->lpstrFile, n), true);
}

void CopyPopupChoice(OfnRun& run, HWND combo)
{
    HWND popup = PopupOf(run);
    LRESULT sel = popup ? SendMessageA(popup, LB_GETCURSEL, 0, 0) : -1;
    char text[kPathBuffer] = "";
    if (sel >= 0 && SendMessageA(popup, LB_GETTEXTLEN, WPARAM(sel), 0) < LRESULT(sizeof text) &&
        SendMessageA(popup, LB_GETTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text)) > 0) {
        SetComboText(combo, text);
        HidePopup(run);
    }
}

// The worker found matches: the popup opens under the combo, unless the
// text is gone, it is open already or the combo's own list is.
void ShowMatches(OfnRun& run, HWND combo)
{
    HWND popup = PopupOf(run);
    if (!popup || !run.worker)
        return;
    bool typed;
    {
        CLockGuard hold(run.worker->thread.SharedLock());
        typed = run.worker->typed[0] != '\0';
    }
    if (!typed || IsWindowVisible(popup) || !combo || SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0))
        return;
    RECT r;
    GetWindowRect(combo, &r);
    SetWindowPos(popup, HWND_TOP, r.left, r.bottom, r.right - r.left - kPopupWidthLess, kPopupHeight, SWP_NOACTIVATE);
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    UpdateWindow(popup);
}

void HideUnlessFocusInPopup(OfnRun& run)
{
    HWND popup = PopupOf(run), focus = GetFocus();
    if (!popup || (focus != popup && !IsChild(popup, focus)))
        HidePopup(run);
}

void Typed(OfnRun& run, HWND combo)
{
    OfnWorker* worker = run.worker.get();
    if (!worker)
        return;
    std::string text = WindowTextOf(combo);
    {
        CLockGuard hold(worker->thread.SharedLock());
        StrCopyBoundedA(worker->typed, text.c_str(), sizeof worker->typed);
        worker->textRequest = true;
    }
    worker->thread.Wake();
    if (text.empty())
        HidePopup(run);
}

// A folder chosen from the recent list opens at once.
void OpenChosenFolder(HWND dialog, HWND combo)
{
    LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char text[kPathBuffer] = "";
    if (sel < 0 || SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(sel), 0) >= LRESULT(sizeof text))
        return;
    SendMessageA(combo, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text));
    DWORD a = GetFileAttributesA(text);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// The system dialog reads the hidden edit: it gets the combo's text.
void MirrorToHidden(HWND dialog, HWND combo)
{
    HWND hidden = GetDlgItem(dialog, kFileNameId ^ kTwinIdMask);
    if (!hidden)
        return;
    char own[kPathBuffer] = "";
    SendMessageA(hidden, kMsgGetOwnText, sizeof own, reinterpret_cast<LPARAM>(own));
    std::string text = WindowTextOf(combo);
    if (text != own)
        SendMessageA(hidden, kMsgSetOwnText, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CopyFolderPath(HWND dialog)
{
    std::string folder = FolderOf(dialog);
    if (!folder.empty())
        SetClipboardText(folder.c_str(), int(folder.size()));
}

void ShowContextMenu(HWND dialog, POINT at)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kCopyPathCommand, kCopyPathText);
    TrackPopupMenu(menu, TPM_BOTTOMALIGN, at.x, at.y, 0, dialog, nullptr);
    DestroyMenu(menu);
}

// ---- the rows ----

// NM_KEYDOWN: Up and Down while the popup shows are ours; Enter in the
// combo turns its slashes and goes on to the dialog.
bool OnKeyDown(ExtMessage& m)
{
    auto* key = P<KeyNotify>(m);
    HWND popup = PopupOf(m.run);
    if (!popup)
        return false;
    if ((key->key == VK_DOWN || key->key == VK_UP) && IsWindowVisible(popup)) {
        MovePopupSelection(popup, Combo(m), key->key == VK_DOWN ? 1 : -1);
        key->hdr.idFrom = kKeyHandled;
        m.result = 1;
        return true;
    }
    if (key->key == VK_RETURN && key->hdr.idFrom == UINT_PTR(kFileNameId))
        TurnSlashes(Combo(m));
    return false;
}

constexpr ExtRoute kNotificationRows[] = {
    {UINT(NM_KEYDOWN), UINT(NM_KEYDOWN), OnKeyDown},
    {UINT(CDN_FOLDERCHANGE), UINT(CDN_FOLDERCHANGE), [](ExtMessage& m) {
         FolderChanged(m.run);
         return false;
     }},
    {UINT(CDN_FILEOK), UINT(CDN_FILEOK), [](ExtMessage& m) {
         FileChosen(m.run, P<OFNOTIFYA>(m)->lpOFN);
         return false;
     }},
};
constexpr auto kNotifications = SortRoutes(kNotificationRows);
static_assert(RoutesDisjoint(kNotifications), "a notification has two rows");

// A command row: its call, then the message goes on to the dialog.
#define EXT_COMMAND(id, code, call)                                                  \
    {CommandKey(id, code), CommandKey(id, code), [](ExtMessage& m) {                \
         call;                                                                      \
         return false;                                                              \
     }}

constexpr ExtRoute kCommandRows[] = {
    EXT_COMMAND(kPopupId, LBN_SELCHANGE, CopyPopupChoice(m.run, Combo(m))),
    EXT_COMMAND(kPopupId, kMatchesAvailable, ShowMatches(m.run, Combo(m))),
    EXT_COMMAND(kFileNameId, CBN_KILLFOCUS, HideUnlessFocusInPopup(m.run)),
    EXT_COMMAND(kFileNameId, CBN_EDITCHANGE, Typed(m.run, Combo(m))),
    EXT_COMMAND(kFileNameId, CBN_DROPDOWN, HidePopup(m.run)),
    EXT_COMMAND(kFileNameId, CBN_CLOSEUP, if (Extended(m.run)) OpenChosenFolder(m.dialog, Combo(m))),
    EXT_COMMAND(kFileNameId, EN_CHANGE, if (Extended(m.run)) MirrorToHidden(m.dialog, Combo(m))),
    // Enter or OK: the typed path is remembered before the dialog reads it;
    // the caller's own list takes files only from CDN_FILEOK.
    AnyCommandCode<ExtHandler>(IDOK,
                               [](ExtMessage& m) {
                                   HWND combo = Combo(m);
                                   if (Extended(m.run) && m.run.settings.mode != kOfnModeOwnList && combo)
                                       Remember(m.run, ComboText(combo), false);
                                   return false;
                               }),
    AnyCommandCode<ExtHandler>(kCopyPathCommand,
                               [](ExtMessage& m) {
                                   CopyFolderPath(m.dialog);
                                   m.result = 0;
                                   return true;
                               }),
};
#undef EXT_COMMAND
constexpr auto kCommands = SortRoutes(kCommandRows);
static_assert(RoutesDisjoint(kCommands), "a command has two rows");

template <class Table>
bool Routed(const Table& table, uint32_t key, ExtMessage& m)
{
    const ExtRoute* route = FindRoute(table, key);
    return route && route->handler(m);
}

bool HideAndPassOn(ExtMessage& m)
{
    HidePopup(m.run);
    return false;
}

bool OnContextMenu(ExtMessage& m)
{
    if (reinterpret_cast<HWND>(m.wParam) != m.dialog)
        return false;
    ShowContextMenu(m.dialog, POINT{short(LOWORD(m.lParam)), short(HIWORD(m.lParam))});
    m.result = 0;
    return true;
}

#define EXT_ROW(message, ...) {message, message, __VA_ARGS__}

constexpr ExtRoute kMessageRows[] = {
    EXT_ROW(WM_SHOWWINDOW, [](ExtMessage& m) {
        if (m.wParam)
            OnShow(m.run);
        return false;
    }),
    EXT_ROW(WM_DESTROY, [](ExtMessage& m) {
        StopWorker(m.run);
        return false;
    }),
    EXT_ROW(WM_NOTIFY, [](ExtMessage& m) { return Routed(kNotifications, P<NMHDR>(m)->code, m); }),
    EXT_ROW(WM_COMMAND,
            [](ExtMessage& m) { return Routed(kCommands, CommandKey(LOWORD(m.wParam), HIWORD(m.wParam)), m); }),
    EXT_ROW(WM_CONTEXTMENU, OnContextMenu),
    EXT_ROW(WM_LBUTTONDOWN, HideAndPassOn),
    EXT_ROW(WM_MOVING, HideAndPassOn),
};
#undef EXT_ROW
constexpr auto kMessages = SortRoutes(kMessageRows);
static_assert(RoutesDisjoint(kMessages), "a message has two rows");

}  // namespace

bool HandleExt(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    OfnRun* run = RunOf(dialog);
    if (!run)
        return false;
    ExtMessage m{dialog, *run, wParam, lParam, 0};
    if (!Routed(kMessages, message, m))
        return false;
    *result = m.result;
    return true;
}
