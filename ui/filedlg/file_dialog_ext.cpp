#include "ui/filedlg/file_dialog_ext.h"

#include "system/registry.h"
#include "system/registry_text.h"
#include "ui/filedlg/combo_history.h"
#include "ui/filedlg/file_dialog_run.h"
#include "ui/filedlg/pe_imports.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

typedef BOOL(WINAPI* FileNameFn)(OPENFILENAMEA*);
std::atomic<FileNameFn> g_realOpen{nullptr};
std::atomic<FileNameFn> g_realSave{nullptr};

constexpr UINT kCdnFirst = UINT(CDN_LAST);   // -699..-601: the CDN range
constexpr UINT kCdnLast = UINT(CDN_FIRST);
constexpr DWORD kOutputFlags = OFN_READONLY | OFN_EXTENSIONDIFFERENT | OFN_NOREADONLYRETURN;
constexpr int kTemplateExtraHeight = 100;
const char kPrevProcProp[] = "OfnPrevProc";

bool IsCdnCode(LPARAM lParam)
{
    UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    return code >= kCdnFirst && code <= kCdnLast;
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

// What the caller asked for, read from its structure; the structure is
// changed for the system (caption cut off, own list taken out).
OfnSettings ReadSettings(OPENFILENAMEA* ofn, DWORD flags, bool saveDialog, bool saveThroughOpen)
{
    OfnSettings s;
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
    s.save = saveDialog || saveThroughOpen;
    s.saveThroughOpen = saveThroughOpen;
    s.callerHook = (ofn->Flags & OFN_ENABLEHOOK) ? ofn->lpfnHook : nullptr;
    return s;
}

// The caller's fields back as they were, with the system's output bits.
void RestoreCaller(OPENFILENAMEA* ofn, const OPENFILENAMEA& original)
{
    DWORD output = ofn->Flags & kOutputFlags;
    ofn->Flags = (original.Flags & ~kOutputFlags) | output;
    ofn->lpfnHook = original.lpfnHook;
    ofn->lpstrFilter = original.lpstrFilter;
    ofn->lpstrCustomFilter = original.lpstrCustomFilter;
    ofn->nMaxCustFilter = original.nMaxCustFilter;
    ofn->lpstrDefExt = original.lpstrDefExt;
}

// The system's dialog procedure gives way to the extension's, once.
void ReplaceDialogProc(HWND dialog)
{
    if (GetPropA(dialog, kPrevProcProp))
        return;
    LONG_PTR previous = GetWindowLongPtrA(dialog, DWLP_DLGPROC);
    if (previous && previous != reinterpret_cast<LONG_PTR>(&FileDialogExtProc)) {
        SetPropA(dialog, kPrevProcProp, reinterpret_cast<HANDLE>(previous));
        SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&FileDialogExtProc));
    }
}

BOOL RunWrapped(OPENFILENAMEA* ofn, bool saveDialog, bool saveThroughOpen)
{
    FileNameFn real = saveDialog ? g_realSave.load() : g_realOpen.load();
    if (!real)
        real = saveDialog ? &::GetSaveFileNameA : &::GetOpenFileNameA;
    if (!ofn)
        return real(ofn);
    const OPENFILENAMEA original = *ofn;
    DWORD flags = ofn->Flags;
    if (!(flags & OFN_ENABLETEMPLATE))
        flags |= OFN_ENABLESIZING;
    OfnRun run;
    run.settings = ReadSettings(ofn, flags, saveDialog, saveThroughOpen);
    // The system knows neither bit (0x10000000 would even show hidden files).
    flags &= ~(kOfnCaptionBit | kOfnModeMask);
    if (ofn->lpstrDefExt && IsBadStringPtrA(ofn->lpstrDefExt, 256))
        ofn->lpstrDefExt = nullptr;
    ofn->lpfnHook = FileDialogHookProc;
    // The extension needs the Explorer-style dialog; a hook without this
    // flag would bring the old style.
    flags |= OFN_ENABLEHOOK | OFN_EXPLORER;
    if (!FirstDialogSized() && (flags & OFN_ENABLESIZING))
        run.settings.extraHeight = ofn->lpTemplateName ? kTemplateExtraHeight : 0;
    ofn->Flags = flags;
    SetPendingRun(&run);
    BOOL ok = real(ofn);
    ForgetPendingRun(&run);
    RestoreCaller(ofn, original);
    return ok;
}

}  // namespace

int HookFileDialogs(const char* moduleName)
{
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
    return RunWrapped(ofn, false, false);
}

BOOL WINAPI GetSaveFileNameExt(OPENFILENAMEA* ofn)
{
    // With the caption bit Save runs through the Open dialog.
    if (ofn && (ofn->Flags & kOfnCaptionBit))
        return RunWrapped(ofn, false, true);
    return RunWrapped(ofn, true, false);
}

UINT_PTR CALLBACK FileDialogHookProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND dialog = GetParent(child);
    OfnRun* run = dialog ? AdoptRun(dialog) : nullptr;
    if (!run)
        return 0;
    if (message == WM_INITDIALOG)
        OnHookInit(*run, child);
    ReplaceDialogProc(dialog);
    if (message == WM_NOTIFY && IsCdnCode(lParam)) {
        LRESULT ignored = 0;
        HandleExt(dialog, message, wParam, lParam, &ignored);
    }
    if (message == WM_DESTROY && run->object && run->object->m_hWnd == child)
        run->object->Detach();
    return run->settings.callerHook ? run->settings.callerHook(child, message, wParam, lParam) : 0;
}

INT_PTR CALLBACK FileDialogExtProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(dialog, kPrevProcProp));
    LRESULT result = 0;
    // CDN codes come through the hook; the system's own sends of them here
    // would be handled twice.
    bool viaHook = message == WM_NOTIFY && IsCdnCode(lParam);
    if (!viaHook && HandleExt(dialog, message, wParam, lParam, &result))
        return result;
    INT_PTR answer = previous ? CallWindowProcA(previous, dialog, message, wParam, lParam) : 0;
    if (message == WM_GETMINMAXINFO && RunOf(dialog))
        FitMinimumSize(dialog, reinterpret_cast<MINMAXINFO*>(lParam));
    if (message == WM_NCDESTROY) {
        RemovePropA(dialog, kPrevProcProp);
        ReleaseRun(dialog);  // the hook's child and its last messages are gone
    }
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
