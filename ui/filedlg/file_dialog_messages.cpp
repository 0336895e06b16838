// The extended file dialog's message table: its messages, its commands by
// control and code, and its notifications (keys from the combo, the CDN
// codes through the hook). A row that passes lets the system dialog's own
// procedure have the message too.
#include "ui/filedlg/file_dialog_run.h"

#include "text/text_services.h"
#include "ui/filedlg/edit_extensions.h"
#include "platform/framework/message_routes.h"
#include "platform/framework/routed_message.h"
#include "ui/utils/shell_utils.h"
#include "ui/utils/work_area.h"

namespace {

constexpr int kPopupHeight = 120;
constexpr int kPopupWidthLess = 20;  // leaves the combo's drop-down button free
const char kCopyPathText[] = "Kopiere aktuellen Pfad";

// The dialog a message came to, with its run.
struct ExtDialog {
    HWND dialog;
    OfnRun& run;

    HWND Combo() const { return GetDlgItem(dialog, kFileNameId); }
    bool Extended() const { return run.settings.mode != kOfnModeNone; }
};

// One message on its way through the table.
using ExtMessage = RoutedMessage;

// ---- helpers of the rows ----

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

// ---- the dialog's messages ----

void Shown(ExtDialog& d, bool shown)
{
    if (shown)
        OnShow(d.run);
}

void Closing(ExtDialog& d)
{
    StopWorker(d.run);
}

void HidePopupOf(ExtDialog& d)
{
    HidePopup(d.run);
}

// The dialog's own context menu; a control's goes on to the system.
bool ContextMenu(ExtDialog& d, HWND over, int x, int y)
{
    if (over != d.dialog)
        return false;
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kCopyPathCommand, kCopyPathText);
    TrackPopupMenu(menu, TPM_BOTTOMALIGN, x, y, 0, d.dialog, nullptr);
    DestroyMenu(menu);
    return true;
}

// ---- notifications ----

// NM_KEYDOWN: Up and Down while the popup shows are ours; Enter in the
// combo turns its slashes and goes on to the dialog.
bool KeyDown(ExtDialog& d, LRESULT& answer, KeyNotify* key)
{
    HWND popup = PopupOf(d.run);
    if (!popup)
        return false;
    if ((key->key == VK_DOWN || key->key == VK_UP) && IsWindowVisible(popup)) {
        MovePopupSelection(popup, d.Combo(), key->key == VK_DOWN ? 1 : -1);
        key->hdr.idFrom = kKeyHandled;
        answer = 1;
        return true;
    }
    if (key->key == VK_RETURN && key->hdr.idFrom == UINT_PTR(kFileNameId))
        TurnSlashes(d.Combo());
    return false;
}

void FolderChanged(ExtDialog& d)
{
    HidePopup(d.run);
    OfnWorker* worker = d.run.worker.get();
    if (!worker)
        return;
    const std::string folder = FolderOf(d.run.dialog);
    {
        CLockGuard hold(worker->thread.SharedLock());
        worker->requests.FolderShown(folder);
    }
    worker->thread.Wake();
}

// The chosen file, read within the caller's buffer only.
void FileChosen(ExtDialog& d, const OFNOTIFYA* notify)
{
    HidePopup(d.run);
    const OPENFILENAMEA* ofn = notify->lpOFN;
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0)
        return;
    size_t n = 0;
    while (n < ofn->nMaxFile && n < kPathChars && ofn->lpstrFile[n])
        ++n;
    Remember(d.run, std::string(ofn->lpstrFile, n), true);
}

// ---- commands ----

void CopyPopupChoice(ExtDialog& d)
{
    HWND popup = PopupOf(d.run);
    LRESULT sel = popup ? SendMessageA(popup, LB_GETCURSEL, 0, 0) : -1;
    char text[kPathBuffer] = "";
    if (sel >= 0 && SendMessageA(popup, LB_GETTEXTLEN, WPARAM(sel), 0) < LRESULT(sizeof text) &&
        SendMessageA(popup, LB_GETTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text)) > 0) {
        SetComboText(d.Combo(), text);
        HidePopup(d.run);
    }
}

// The worker found matches: the popup opens under the combo (above it when
// the screen has no room below), unless the text is gone, it is open
// already or the combo's own list is.
void ShowMatches(ExtDialog& d)
{
    HWND popup = PopupOf(d.run);
    if (!popup || !d.run.worker)
        return;
    bool typed;
    {
        CLockGuard hold(d.run.worker->thread.SharedLock());
        typed = !d.run.worker->requests.Text().empty();
    }
    HWND combo = d.Combo();
    if (!typed || IsWindowVisible(popup) || !combo || SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0))
        return;
    RECT r;
    GetWindowRect(combo, &r);
    r = PopupRect(r, r.right - r.left - kPopupWidthLess, kPopupHeight, WorkAreaOf(d.dialog));
    SetWindowPos(popup, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    UpdateWindow(popup);
}

void HideUnlessFocusInPopup(ExtDialog& d)
{
    HWND popup = PopupOf(d.run), focus = GetFocus();
    if (!popup || (focus != popup && !IsChild(popup, focus)))
        HidePopup(d.run);
}

void Typed(ExtDialog& d)
{
    OfnWorker* worker = d.run.worker.get();
    if (!worker)
        return;
    const std::string text = WindowTextOf(d.Combo()), folder = FolderOf(d.dialog);
    {
        CLockGuard hold(worker->thread.SharedLock());
        worker->requests.Typed(text, folder);
    }
    worker->thread.Wake();
    if (text.empty())
        HidePopup(d.run);
}

// A folder chosen from the recent list opens at once.
void OpenChosenFolder(ExtDialog& d)
{
    if (!d.Extended())
        return;
    HWND combo = d.Combo();
    LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char text[kPathBuffer] = "";
    if (sel < 0 || SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(sel), 0) >= LRESULT(sizeof text))
        return;
    SendMessageA(combo, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text));
    DWORD a = GetFileAttributesA(text);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
        PostMessageA(d.dialog, WM_COMMAND, IDOK, 0);
}

// The system dialog reads the hidden edit: it gets the combo's text.
void MirrorToHidden(ExtDialog& d)
{
    if (!d.Extended())
        return;
    HWND hidden = GetDlgItem(d.dialog, kFileNameId ^ kTwinIdMask);
    if (!hidden)
        return;
    char own[kPathBuffer] = "";
    SendMessageA(hidden, kMsgGetOwnText, sizeof own, reinterpret_cast<LPARAM>(own));
    std::string text = WindowTextOf(d.Combo());
    if (text != own)
        SendMessageA(hidden, kMsgSetOwnText, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// OK however it came (Enter reaches the dialog manager as IDOK before the
// combo sees the key; the button; its mnemonic): the typed path's slashes
// are turned before the system, which refuses them, reads it, and the path
// is remembered; the caller's own list takes files only from CDN_FILEOK.
void OkArrived(ExtDialog& d)
{
    HWND combo = d.Combo();
    if (!d.Extended() || !combo)
        return;
    TurnSlashes(combo);
    if (d.run.settings.mode != kOfnModeOwnList)
        Remember(d.run, ComboText(combo), false);
}

// Escape while the popup shows closes the popup only, as completion lists
// do; the next Escape cancels. Escape reaches the dialog as IDCANCEL, told
// from the button and from a posted IDCANCEL by the key being down.
bool CancelArrived(ExtDialog& d)
{
    HWND popup = PopupOf(d.run);
    if (!popup || !IsWindowVisible(popup) || GetKeyState(VK_ESCAPE) >= 0)
        return false;
    HidePopup(d.run);
    return true;
}

void CopyFolderPath(ExtDialog& d)
{
    std::string folder = FolderOf(d.dialog);
    if (!folder.empty())
        SetClipboardText(folder.c_str(), int(folder.size()));
}

// ---- the table ----

// Notifications are keyed by their code only: the CDN codes come with
// whatever id the system gives them, the key notifications with the id of
// the control that sent them.
constexpr uint32_t kAnyControl = 0;

bool KeyOf(UINT message, WPARAM wParam, LPARAM lParam, RouteKey* key)
{
    if (message != WM_NOTIFY)
        return DialogKeyOf<NMHDR>(message, wParam, lParam, key);
    *key = DialogKey(message, kAnyControl, reinterpret_cast<const NMHDR*>(lParam)->code);
    return true;
}

using Rows = RouteRows<ExtDialog, ExtMessage>;
constexpr Rows::Row kRows[] = {
    Rows::On(DialogKey(WM_SHOWWINDOW)).ActThenPass<Shown, WParamAs<bool>>(),
    Rows::On(DialogKey(WM_DESTROY)).ActThenPass<Closing>(),
    Rows::On(DialogKey(WM_CONTEXTMENU)).May<ContextMenu, WParamAs<HWND>, LParamX, LParamY>(),
    Rows::On(DialogKey(WM_LBUTTONDOWN)).ActThenPass<HidePopupOf>(),
    Rows::On(DialogKey(WM_MOVING)).ActThenPass<HidePopupOf>(),
    Rows::OnNotify(kAnyControl, UINT(NM_KEYDOWN)).May<KeyDown, ResultSlot, LParamAs<KeyNotify*>>(),
    Rows::OnNotify(kAnyControl, UINT(CDN_FOLDERCHANGE)).ActThenPass<FolderChanged>(),
    Rows::OnNotify(kAnyControl, UINT(CDN_FILEOK)).ActThenPass<FileChosen, LParamAs<const OFNOTIFYA*>>(),
    Rows::OnCommand(kPopupId, LBN_SELCHANGE).ActThenPass<CopyPopupChoice>(),
    Rows::OnCommand(kPopupId, kMatchesAvailable).ActThenPass<ShowMatches>(),
    Rows::OnCommand(kFileNameId, CBN_KILLFOCUS).ActThenPass<HideUnlessFocusInPopup>(),
    Rows::OnCommand(kFileNameId, CBN_EDITCHANGE).ActThenPass<Typed>(),
    Rows::OnCommand(kFileNameId, CBN_DROPDOWN).ActThenPass<HidePopupOf>(),
    Rows::OnCommand(kFileNameId, CBN_CLOSEUP).ActThenPass<OpenChosenFolder>(),
    Rows::OnCommand(kFileNameId, EN_CHANGE).ActThenPass<MirrorToHidden>(),
    Rows::OnAnyCode(IDOK).ActThenPass<OkArrived>(),
    Rows::OnAnyCode(IDCANCEL).May<CancelArrived>(),
    Rows::OnAnyCode(kCopyPathCommand).Act<CopyFolderPath>(),
};
constexpr auto kRoutes = SortRoutes(kRows);
static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

}  // namespace

bool HandleExt(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    OfnRun* run = RunOf(dialog);
    RouteKey key = 0;
    if (!run || !KeyOf(message, wParam, lParam, &key))
        return false;
    const Rows::Row* route = FindRoute(kRoutes, key);
    ExtDialog d{dialog, *run};
    ExtMessage m{message, wParam, lParam, 0};
    if (!route || !route->handler(d, m))
        return false;
    *result = m.result;
    return true;
}
