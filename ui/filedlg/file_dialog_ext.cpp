#include "ui/filedlg/file_dialog_ext.h"

#include "system/registry.h"
#include "system/registry_text.h"
#include "text/text_services.h"
#include "ui/filedlg/combo_history.h"
#include "ui/filedlg/edit_extensions.h"
#include "ui/filedlg/ofn_logic.h"
#include "ui/filedlg/pe_imports.h"
#include "ui/filedlg/popup_list.h"
#include "ui/utils/shell_utils.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

typedef BOOL(WINAPI* FileNameFn)(OPENFILENAMEA*);
std::atomic<FileNameFn> g_realOpen{nullptr};
std::atomic<FileNameFn> g_realSave{nullptr};

// Wine's Explorer template has no edit 1152: its file-name box is cmb13.
constexpr int kWineFileNameId = 1148;
constexpr int kReadOnlyBoxId = 1040;
constexpr UINT kCdnFirst = UINT(CDN_LAST);   // -699..-601: the CDN range
constexpr UINT kCdnLast = UINT(CDN_FIRST);
constexpr DWORD kOutputFlags = OFN_READONLY | OFN_EXTENSIONDIFFERENT | OFN_NOREADONLYRETURN;
constexpr DWORD kJoinMs = 5000;
const char kPrevProcProp[] = "OfnPrevProc";
const char kRunProp[] = "OfnRun";

// What the current call asked for (one dialog at a time; a nested call
// keeps the outer one's settings and gives them back).
struct Settings {
    bool hasCaption = false;
    std::string caption;
    UINT mode = kOfnModeNone;
    std::string profile;
    const char* ownList = nullptr;  // mode 0x30000000: the caller's strings
    bool save = false;
    LPOFNHOOKPROC callerHook = nullptr;
    int extraHeight = 0;
};
Settings g_settings;
bool g_saveThroughOpen = false;
bool g_busy = false;
bool g_sizedOnce = false;
bool g_sizingGuard = false;
CFileDialogNew* g_object = nullptr;

// One per dialog run: the worker's buffers under the semaphore, its stop
// flag, the popup it feeds.
struct Run {
    HWND dialog = nullptr;
    std::atomic<HWND> popup{nullptr};
    HANDLE semaphore = nullptr;
    HANDLE wake = nullptr;
    HANDLE thread = nullptr;
    std::atomic<bool> running{false};
    char folder[kPathBuffer] = "";
    char typed[kPathBuffer] = "";
    bool folderRequest = false;
    bool textRequest = false;
};

Run* RunOf(HWND dialog) { return reinterpret_cast<Run*>(GetPropA(dialog, kRunProp)); }

class Locked {
public:
    explicit Locked(Run* run) : m_run(run) { WaitForSingleObject(run->semaphore, INFINITE); }
    ~Locked() { ReleaseSemaphore(m_run->semaphore, 1, nullptr); }

private:
    Run* m_run;
};

std::string GetText(HWND wnd, int size = kPathBuffer)
{
    std::vector<char> text(size_t(size), '\0');
    GetWindowTextA(wnd, text.data(), size);
    return text.data();
}

// The combo's text: its selected entry when one is, else the edit's.
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

void HidePopup(HWND dialog)
{
    Run* run = RunOf(dialog);
    HWND popup = run ? run->popup.load() : nullptr;
    if (popup && IsWindowVisible(popup))
        ShowWindow(popup, SW_HIDE);
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

bool RegistryListPlace(UINT mode, const std::string& profile, std::string* key, std::string* value)
{
    if (mode <= kOfnModeShowOnly) {
        *key = OfnListKey(RegistryApplicationKey(), RegistryApplicationName(), [](const std::string& k) {
            CRegistry probe;
            return probe.Open(HKEY_CURRENT_USER, k.c_str(), CRegistry::kModeRead) != 0;
        });
        *value = OfnListValueName(profile);
        return true;
    }
    if (mode >= kOfnModeRegistryPath && mode < kOfnModeNone) {
        SplitProfilePath(profile, key, value);
        return !key->empty();
    }
    return false;
}

// select: put the selection on a new folder entry; not while the dialog is
// still to read the file name (the selected entry would be its text).
void Remember(HWND dialog, const std::string& chosen, bool select)
{
    const Settings& s = g_settings;
    HWND combo = GetDlgItem(dialog, kFileNameId);
    if (!combo || s.mode == kOfnModeNone)
        return;
    RememberDecision d = DecideRemember(chosen, FolderOf(dialog), s.mode & 0x30000000u, s.save, [](const std::string& p) {
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

DWORD WINAPI FileDialogListThread(void* argument);

void StartRun(HWND dialog)
{
    Run* run = RunOf(dialog);
    if (!run || run->popup.load())
        return;
    HWND popup = CreatePopupList(0, WS_BORDER, nullptr, dialog, kPopupId);
    if (!popup)
        return;
    run->popup = popup;
    run->running = true;
    run->thread = CreateThread(nullptr, 4096, FileDialogListThread, run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!run->thread)
        run->running = false;
}

void BuildCombo(HWND dialog)
{
    HWND box = GetDlgItem(dialog, kFileNameId);
    if (!box)
        box = GetDlgItem(dialog, kWineFileNameId);
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
    std::string text = GetText(box);
    ShowWindow(box, SW_HIDE);
    SetWindowLongPtrA(box, GWLP_ID, kFileNameId ^ kTwinIdMask);
    AttachSubclass(box, TwinEditProc);
    AttachSubclass(combo, TwinComboProc);
    SendMessageA(combo, kMsgSetOwnText, 0, 0);
    SetWindowTextA(combo, text.c_str());
    SetFocus(combo);
    OfnListRegistry(combo, g_settings.mode, g_settings.mode == kOfnModeOwnList ? g_settings.ownList
                                                                               : g_settings.profile.c_str(), 0);
    StartRun(dialog);
}

void OnShow(HWND dialog)
{
    if (!g_sizedOnce && !g_sizingGuard) {
        g_sizedOnce = g_sizingGuard = true;
        int w = 0, h = 0;
        FirstDialogSize(g_settings.extraHeight, GetSystemMetrics(SM_CXICON), &w, &h);
        SetWindowPos(dialog, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        g_sizingGuard = false;
    }
    if (g_settings.hasCaption) {
        HWND box = GetDlgItem(dialog, kReadOnlyBoxId);
        RECT client{}, boxRect{};
        HWND name = GetDlgItem(dialog, kFileNameId) ? GetDlgItem(dialog, kFileNameId) : GetDlgItem(dialog, kWineFileNameId);
        int width = name && GetClientRect(name, &client) && client.right > 0 ? client.right : 450;
        if (box && GetWindowRect(box, &boxRect) && boxRect.right - boxRect.left < width)
            SetWindowPos(box, nullptr, 0, 0, width, boxRect.bottom - boxRect.top, SWP_NOMOVE | SWP_NOZORDER);
        if (g_saveThroughOpen) {
            g_saveThroughOpen = false;
            std::string ok = GetText(GetDlgItem(dialog, IDOK), 64);
            SetDlgItemTextA(dialog, IDOK, ok == "\xD6&ffnen" ? "&Speichern" : "&Save");
        }
        if (box) {
            SetWindowTextA(box, g_settings.caption.c_str());
            ShowWindow(box, SW_SHOW);
        }
        g_settings.hasCaption = false;
    }
    if (g_settings.mode != kOfnModeNone)
        BuildCombo(dialog);
}

void StopRun(HWND dialog)
{
    Run* run = RunOf(dialog);
    if (!run)
        return;
    RemovePropA(dialog, kRunProp);
    if (run->thread) {
        {
            Locked hold(run);
            run->folder[0] = '\0';
        }
        run->running = false;
        SetEvent(run->wake);
        if (WaitForSingleObject(run->thread, kJoinMs) != WAIT_OBJECT_0)
            return;  // a worker stuck in a listing keeps its record
        CloseHandle(run->thread);
    }
    if (HWND popup = run->popup.exchange(nullptr))
        DestroyWindow(popup);
    CloseHandle(run->semaphore);
    CloseHandle(run->wake);
    delete run;
}

// The handling shared by the dialog procedure and the hook (CDN codes);
// true when the message is answered with *result.
bool HandleExt(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    Run* run = RunOf(dialog);
    HWND popup = run ? run->popup.load() : nullptr;
    HWND combo = GetDlgItem(dialog, kFileNameId);
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam)
            OnShow(dialog);
        return false;
    case WM_DESTROY:
        StopRun(dialog);
        return false;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == UINT(NM_KEYDOWN) && popup) {
            auto* key = reinterpret_cast<KeyNotify*>(lParam);
            if ((key->key == VK_DOWN || key->key == VK_UP) && IsWindowVisible(popup)) {
                LRESULT old = SendMessageA(popup, LB_GETCURSEL, 0, 0);
                LRESULT count = SendMessageA(popup, LB_GETCOUNT, 0, 0);
                LRESULT sel = old + (key->key == VK_DOWN ? 1 : -1);
                if (sel >= 0 && sel < count && sel != old) {
                    SendMessageA(popup, LB_SETCURSEL, WPARAM(sel), 0);
                    char text[kPathBuffer] = "";
                    if (SendMessageA(popup, LB_GETTEXTLEN, WPARAM(sel), 0) < LRESULT(sizeof text)) {
                        SendMessageA(popup, LB_GETTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text));
                        SetComboText(combo, text);
                    }
                }
                header->idFrom = kKeyHandled;
                *result = 1;
                return true;
            }
            if (key->key == VK_RETURN && header->idFrom == UINT_PTR(kFileNameId)) {
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
            return false;
        }
        if (header->code == UINT(CDN_FOLDERCHANGE)) {
            HidePopup(dialog);
            if (run) {
                std::string folder = FolderOf(dialog);
                Locked hold(run);
                StrCopyBoundedA(run->folder, folder.c_str(), sizeof run->folder);
                run->folderRequest = run->textRequest = true;
                run->typed[0] = '\0';
                SetEvent(run->wake);
            }
            return false;
        }
        if (header->code == UINT(CDN_FILEOK)) {
            HidePopup(dialog);
            const OPENFILENAMEA* ofn = reinterpret_cast<OFNOTIFYA*>(lParam)->lpOFN;
            if (ofn && ofn->lpstrFile && ofn->nMaxFile > 0) {
                size_t n = 0;  // within the caller's buffer only
                while (n < ofn->nMaxFile && n < kPathChars && ofn->lpstrFile[n])
                    ++n;
                Remember(dialog, std::string(ofn->lpstrFile, n), true);
            }
            return false;
        }
        return false;
    }
    case WM_COMMAND: {
        WORD id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == kPopupId && code == LBN_SELCHANGE && popup) {
            LRESULT sel = SendMessageA(popup, LB_GETCURSEL, 0, 0);
            char text[kPathBuffer] = "";
            if (sel >= 0 && SendMessageA(popup, LB_GETTEXTLEN, WPARAM(sel), 0) < LRESULT(sizeof text) &&
                SendMessageA(popup, LB_GETTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text)) > 0) {
                SetComboText(combo, text);
                HidePopup(dialog);
            }
            return false;
        }
        if (id == kPopupId && code == kMatchesAvailable && popup && run) {
            bool typed;
            {
                Locked hold(run);
                typed = run->typed[0] != '\0';
            }
            if (typed && !IsWindowVisible(popup) && combo && !SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) {
                RECT r;
                GetWindowRect(combo, &r);
                SetWindowPos(popup, HWND_TOP, r.left, r.bottom, r.right - r.left - 20, 120, SWP_NOACTIVATE);
                ShowWindow(popup, SW_SHOWNOACTIVATE);
                UpdateWindow(popup);
            }
            return false;
        }
        if (id == kFileNameId) {
            if (code == CBN_KILLFOCUS) {
                HWND focus = GetFocus();
                if (!popup || (focus != popup && !IsChild(popup, focus)))
                    HidePopup(dialog);
            } else if (code == CBN_EDITCHANGE && run) {
                std::string text = GetText(combo);
                {
                    Locked hold(run);
                    StrCopyBoundedA(run->typed, text.c_str(), sizeof run->typed);
                    run->textRequest = true;
                }
                SetEvent(run->wake);
                if (text.empty())
                    HidePopup(dialog);
            } else if (code == CBN_DROPDOWN) {
                HidePopup(dialog);
            } else if (code == CBN_CLOSEUP && g_settings.mode != kOfnModeNone) {
                LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
                char text[kPathBuffer] = "";
                if (sel >= 0 && SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(sel), 0) < LRESULT(sizeof text)) {
                    SendMessageA(combo, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(text));
                    DWORD a = GetFileAttributesA(text);
                    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
                        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                }
            } else if (code == EN_CHANGE && g_settings.mode != kOfnModeNone) {
                HWND hidden = GetDlgItem(dialog, kFileNameId ^ kTwinIdMask);
                char own[kPathBuffer] = "";
                if (hidden) {
                    SendMessageA(hidden, kMsgGetOwnText, sizeof own, reinterpret_cast<LPARAM>(own));
                    std::string text = GetText(combo);
                    if (text != own)
                        SendMessageA(hidden, kMsgSetOwnText, 0, reinterpret_cast<LPARAM>(text.c_str()));
                }
            }
            return false;
        }
        if (id == IDOK && g_settings.mode != kOfnModeNone && g_settings.mode != kOfnModeOwnList && combo)
            Remember(dialog, ComboText(combo), false);
        if (id == kCopyPathCommand) {
            std::string folder = FolderOf(dialog);
            if (!folder.empty())
                SetClipboardText(folder.c_str(), int(folder.size()));
            *result = 0;
            return true;
        }
        return false;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == dialog) {
            HMENU menu = CreatePopupMenu();
            AppendMenuA(menu, MF_STRING, kCopyPathCommand, "Kopiere aktuellen Pfad");
            TrackPopupMenu(menu, TPM_BOTTOMALIGN, short(LOWORD(lParam)), short(HIWORD(lParam)), 0, dialog, nullptr);
            DestroyMenu(menu);
            *result = 0;
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_MOVING:
        HidePopup(dialog);
        return false;
    default:
        return false;
    }
}

BOOL RunWrapped(OPENFILENAMEA* ofn, bool saveDialog)
{
    FileNameFn real = saveDialog ? g_realSave.load() : g_realOpen.load();
    if (!real)
        real = saveDialog ? &::GetSaveFileNameA : &::GetOpenFileNameA;
    if (!ofn)
        return real(ofn);
    const OPENFILENAMEA original = *ofn;
    const Settings outer = g_settings;
    Settings s;
    DWORD flags = ofn->Flags;
    if (!(flags & OFN_ENABLETEMPLATE))
        flags |= OFN_ENABLESIZING;
    if (!saveDialog && (flags & kOfnCaptionBit)) {
        CaptionSplit split = SplitCaption(ofn->lpstrFilter);
        s.hasCaption = ofn->lpstrFilter != nullptr;
        s.caption = split.caption;
        if (ofn->lpstrFilter)
            ofn->lpstrFilter += split.filterOffset;
    }
    s.mode = flags & kOfnModeMask;
    if (s.mode <= kOfnModeShowOnly) {
        s.profile = ofn->lpstrDefExt && !IsBadStringPtrA(ofn->lpstrDefExt, 256) ? ofn->lpstrDefExt : "";
    } else if (s.mode != kOfnModeNone) {
        const char* custom = ofn->lpstrCustomFilter;
        s.ownList = custom ? custom : "\0";
        s.profile = custom ? custom : "";
        ofn->lpstrCustomFilter = nullptr;
        ofn->nMaxCustFilter = 0;
    }
    // The system knows neither bit (0x10000000 would even show hidden files).
    flags &= ~(kOfnCaptionBit | kOfnModeMask);
    s.save = saveDialog || g_saveThroughOpen;
    if (ofn->lpstrDefExt && IsBadStringPtrA(ofn->lpstrDefExt, 256))
        ofn->lpstrDefExt = nullptr;
    s.callerHook = (original.Flags & OFN_ENABLEHOOK) ? original.lpfnHook : nullptr;
    ofn->lpfnHook = FileDialogHookProc;
    // The extension needs the Explorer-style dialog; a hook without this
    // flag would bring the old style.
    flags |= OFN_ENABLEHOOK | OFN_EXPLORER;
    bool sizing = !g_sizedOnce && !g_busy && (flags & OFN_ENABLESIZING);
    if (sizing) {
        g_busy = true;
        s.extraHeight = ofn->lpTemplateName ? 100 : 0;
    }
    ofn->Flags = flags;
    g_settings = s;
    BOOL ok = real(ofn);
    if (sizing)
        g_busy = false;
    DWORD output = ofn->Flags & kOutputFlags;
    ofn->Flags = (original.Flags & ~kOutputFlags) | output;
    ofn->lpfnHook = original.lpfnHook;
    ofn->lpstrFilter = original.lpstrFilter;
    ofn->lpstrCustomFilter = original.lpstrCustomFilter;
    ofn->nMaxCustFilter = original.nMaxCustFilter;
    ofn->lpstrDefExt = original.lpstrDefExt;
    g_settings = outer;
    return ok;
}

// The worker: lists the current folder and posts the names that begin with
// the typed text to the popup.
DWORD WINAPI FileDialogListThread(void* argument)
{
    Run* run = static_cast<Run*>(argument);
    std::vector<std::string> names;
    MatchCursor cursor;
    std::string typed;
    HANDLE search = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA found{};
    bool haveEntry = false;
    unsigned rounds = 0;
    auto closeSearch = [&] {
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        search = INVALID_HANDLE_VALUE;
        haveEntry = false;
    };
    while (run->running) {
        HWND popup = run->popup.load();
        bool folderRequest = false, textRequest = false;
        char folder[kPathBuffer] = "", text[kPathBuffer] = "";
        {
            Locked hold(run);
            if (run->folderRequest) {
                folderRequest = true;
                run->folderRequest = false;
                StrCopyBoundedA(folder, run->folder, sizeof folder);
            }
            if (run->textRequest) {
                textRequest = true;
                run->textRequest = false;
                StrCopyBoundedA(text, run->typed, sizeof text);
            }
        }
        if (folderRequest) {
            closeSearch();
            names.clear();
            cursor.Reset();
            PostMessageA(popup, LB_RESETCONTENT, 0, 0);
            if (folder[0]) {
                size_t n = strlen(folder);
                if (folder[n - 1] != '\\')
                    StrAppendBoundedA(folder, "\\", sizeof folder);
                StrAppendBoundedA(folder, "*", sizeof folder);
                search = FindFirstFileA(folder, &found);
                haveEntry = search != INVALID_HANDLE_VALUE;
            }
        } else if (search != INVALID_HANDLE_VALUE) {
            haveEntry = FindNextFileA(search, &found) != 0;
            if (!haveEntry)
                closeSearch();
        }
        if (textRequest) {
            typed = text;
            cursor.Reset();
            PostMessageA(popup, LB_RESETCONTENT, 0, 0);
        }
        if (haveEntry) {
            haveEntry = false;
            if (IsListedName(found.cFileName)) {
                names.push_back(found.cFileName);
                if (names.size() > kMaxFolderNames)
                    closeSearch();
            }
        }
        bool matched = false;
        long at = popup ? MatchStep(names, typed, cursor, &matched) : -1;
        if (at >= 0 && matched) {
            const std::string& name = names[size_t(at)];
            char* block = static_cast<char*>(malloc(name.size() + 1));
            if (block) {
                memcpy(block, name.c_str(), name.size() + 1);
                if (!PostMessageA(popup, kPopupAddString, kPopupOwnedText, reinterpret_cast<LPARAM>(block))) {
                    free(block);
                    Sleep(10);
                } else {
                    if (cursor.posted == 0 &&
                        !PostMessageA(run->dialog, WM_COMMAND, MAKEWPARAM(kPopupId, kMatchesAvailable),
                                      reinterpret_cast<LPARAM>(popup))) {
                        Sleep(10);
                        PostMessageA(run->dialog, WM_COMMAND, MAKEWPARAM(kPopupId, kMatchesAvailable),
                                     reinterpret_cast<LPARAM>(popup));
                    }
                    Posted(cursor);
                }
            }
        }
        if (search == INVALID_HANDLE_VALUE && cursor.position >= names.size())
            WaitForSingleObject(run->wake, 1000);  // idle: woken by a request or the stop
        else if ((++rounds & 255) == 0)
            Sleep(10);
    }
    closeSearch();
    return 0;
}

void FreeFileDialogObject()
{
    delete g_object;
    g_object = nullptr;
}

}  // namespace

int HookFileDialogs(const char* moduleName)
{
    static bool registered = false;
    if (!registered) {
        registered = true;
        atexit(FreeFileDialogObject);
    }
    HMODULE module = GetModuleHandleA(moduleName);
    if (!module)
        return 0;
    auto* base = reinterpret_cast<uint8_t*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    int patched = 0;
    for (const ImportSlot& slot : FindFileDialogImports(base, nt->OptionalHeader.SizeOfImage)) {
        auto* entry = reinterpret_cast<FileNameFn*>(base + slot.rva);
        FileNameFn wrapper = slot.function == ImportSlot::kOpen ? &GetOpenFileNameExt : &GetSaveFileNameExt;
        if (*entry == wrapper)
            continue;  // patched before: the wrapper is never the real function
        DWORD old = 0;
        if (!VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &old))
            continue;
        (slot.function == ImportSlot::kOpen ? g_realOpen : g_realSave) = *entry;
        *entry = wrapper;
        VirtualProtect(entry, sizeof *entry, old, &old);
        ++patched;
    }
    typedef BOOL(WINAPI * FilterFn)(UINT, DWORD);
    if (auto filter = reinterpret_cast<FilterFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter"))))
        for (UINT message : {0x0049u, 0x004Au, 0x0233u})
            filter(message, 1);
    return patched;
}

BOOL WINAPI GetOpenFileNameExt(OPENFILENAMEA* ofn)
{
    return RunWrapped(ofn, false);
}

BOOL WINAPI GetSaveFileNameExt(OPENFILENAMEA* ofn)
{
    if (ofn && (ofn->Flags & kOfnCaptionBit)) {
        g_saveThroughOpen = true;
        BOOL ok = RunWrapped(ofn, false);
        g_saveThroughOpen = false;
        return ok;
    }
    return RunWrapped(ofn, true);
}

UINT_PTR CALLBACK FileDialogHookProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND dialog = GetParent(child);
    if (message == WM_INITDIALOG) {
        if (!g_object)
            g_object = new CFileDialogNew;
        g_object->AttachToDialog(child);
        // The worker's buffers exist before the first folder change arrives.
        if (dialog && !RunOf(dialog) && g_settings.mode != kOfnModeNone) {
            Run* run = new Run;
            run->dialog = dialog;
            run->semaphore = CreateSemaphoreA(nullptr, 1, 32767, nullptr);
            run->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            SetPropA(dialog, kRunProp, run);
        }
    }
    if (dialog && !GetPropA(dialog, kPrevProcProp)) {
        LONG_PTR previous = GetWindowLongPtrA(dialog, DWLP_DLGPROC);
        if (previous && previous != reinterpret_cast<LONG_PTR>(&FileDialogExtProc)) {
            SetPropA(dialog, kPrevProcProp, reinterpret_cast<HANDLE>(previous));
            SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&FileDialogExtProc));
        }
    }
    if (message == WM_NOTIFY && dialog) {
        UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        LRESULT ignored = 0;
        if (code >= kCdnFirst && code <= kCdnLast)
            HandleExt(dialog, message, wParam, lParam, &ignored);
    }
    if (message == WM_DESTROY && g_object && g_object->m_hWnd == child)
        g_object->Detach();
    return g_settings.callerHook ? g_settings.callerHook(child, message, wParam, lParam) : 0;
}

INT_PTR CALLBACK FileDialogExtProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(dialog, kPrevProcProp));
    LRESULT result = 0;
    // CDN codes come through the hook; the system's own sends of them here
    // would be handled twice.
    bool viaHook = message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code >= kCdnFirst &&
                   reinterpret_cast<NMHDR*>(lParam)->code <= kCdnLast;
    if (!viaHook && HandleExt(dialog, message, wParam, lParam, &result))
        return result;
    INT_PTR answer = previous ? CallWindowProcA(previous, dialog, message, wParam, lParam) : 0;
    if (message == WM_NCDESTROY)
        RemovePropA(dialog, kPrevProcProp);
    return answer;
}

void OfnListRegistry(HWND combo, UINT mode, const char* profile, int save)
{
    if (!combo || mode == kOfnModeNone)
        return;
    if (mode == kOfnModeOwnList) {
        if (!save && profile)
            FillListFromText(combo, profile, '\0', false);
        return;
    }
    std::string key, value;
    if (!RegistryListPlace(mode, profile ? profile : "", &key, &value))
        return;
    CRegistry registry;
    if (save) {
        std::vector<char> bytes = BuildRecentList(ComboEntries(combo));
        if (registry.Open(HKEY_CURRENT_USER, key.c_str(), CRegistry::kModeWrite))
            registry.WriteValue(bytes.data(), DWORD(bytes.size()), value.c_str(), REG_MULTI_SZ);
        return;
    }
    void* data = nullptr;
    DWORD size = 0;
    if (!registry.Open(HKEY_CURRENT_USER, key.c_str(), CRegistry::kModeRead) ||
        !registry.ReadValueAlloc(&data, value.c_str(), REG_MULTI_SZ, &size))
        return;
    for (const std::string& entry : ParseRecentList(static_cast<const char*>(data), size))
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    free(data);
}

CFileDialogNew::CFileDialogNew() : CFileDialog(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT) {}

CFileDialogNew::~CFileDialogNew()
{
    Detach();  // the window belongs to the system dialog
}

int CFileDialogNew::AttachToDialog(HWND window)
{
    CWnd* bound = CWnd::FromHandlePermanent(window);
    if (!bound || bound->m_hWnd != window || bound == this)
        return 0;
    bound->Detach();
    Detach();
    Attach(window);
    return 1;
}

BOOL CFileDialogNew::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // The hook hands the CDN range to the extension already.
    return CFileDialog::OnNotify(wParam, lParam, result);
}
