#include "ui/filedlg/edit_extensions.h"

#include "platform/framework/message_routes.h"
#include "ui/filedlg/combo_history_logic.h"

#include <shellapi.h>

#include <mutex>
#include <string>

namespace {

ATOM g_dataAtom = 0;
WNDPROC g_editClassProc = nullptr;
WNDPROC g_comboClassProc = nullptr;
// The kept edit selection: a property, so the edit keeps its id.
const char kSelectionProp[] = "CeSel";
// Texts compared and moved between twins.
constexpr int kTwinTextSize = 1024;

// Each procedure kind remembers its own swallowed key; only UI threads
// run the procedures.
enum Kind { kComboEditKey, kComboKey, kTwinComboEdit, kTwinCombo, kEditKeyNotify, kTwinEdit, kKinds };
thread_local SwallowedKey t_swallowed[kKinds];

LPCSTR DataName() { return MAKEINTATOM(g_dataAtom); }

bool IsComboClass(HWND wnd)
{
    char name[16] = "";
    GetClassNameA(wnd, name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0;
}

LRESULT Chain(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC next = GetSubclassChain(wnd);
    if (!next)
        return DefWindowProcA(wnd, message, wParam, lParam);
    return CallWindowProcA(next, wnd, message, wParam, lParam);
}

// The attach and detach messages every procedure answers alike; true when
// the message was one of them.
bool HandleAttach(HWND wnd, UINT message, LPARAM lParam, WNDPROC self, LRESULT* result)
{
    if (message == kMsgAttach) {
        WNDPROC next = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC));
        if (next == self)  // attached twice: never chain to ourselves
            next = IsComboClass(wnd) ? g_comboClassProc : g_editClassProc;
        if (lParam)
            next = reinterpret_cast<WNDPROC>(lParam);
        else
            SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self));
        SetPropA(wnd, DataName(), reinterpret_cast<HANDLE>(next));
        *result = 1;
        return true;
    }
    if (message == kMsgDetach) {
        WNDPROC next = GetSubclassChain(wnd);
        if (next && !lParam)
            SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
        RemovePropA(wnd, DataName());
        *result = reinterpret_cast<LRESULT>(next);
        return true;
    }
    return false;
}

HWND ComboEdit(HWND combo)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(combo, &info) && info.hwndItem != combo)
        return info.hwndItem;
    return FindWindowExA(combo, nullptr, "Edit", nullptr);
}

HWND Twin(HWND wnd)
{
    return GetDlgItem(GetParent(wnd), GetDlgCtrlID(wnd) ^ kTwinIdMask);
}

std::string OwnText(HWND wnd)
{
    char text[kTwinTextSize] = "";
    SendMessageA(wnd, kMsgGetOwnText, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string WindowText(HWND wnd)
{
    char text[kTwinTextSize] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

// Sets the twin's own text when it differs; true when it did.
bool MirrorToTwin(HWND twin, const std::string& text)
{
    if (!twin || OwnText(twin) == text)
        return false;
    SendMessageA(twin, kMsgSetOwnText, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

// Sends the key notification from `sender`; true when the parent took it.
bool KeyTaken(HWND sender, int code, WPARAM key, LPARAM keyData)
{
    KeyNotify record{};
    record.hdr.code = static_cast<UINT>(code);
    record.key = static_cast<uint32_t>(key);
    record.keyData = static_cast<uint32_t>(keyData);
    return NotifyKey(sender, &record) != 0;
}

// Key-down handling shared by the key procedures: true when swallowed.
bool SwallowKey(Kind kind, HWND sender, int code, WPARAM key, LPARAM keyData)
{
    if (!KeyTaken(sender, code, key, keyData))
        return false;
    t_swallowed[kind].Swallowed(static_cast<uint32_t>(key));
    return true;
}

// The first dropped file, or empty; the drop is finished either way.
std::string DroppedFile(HDROP drop)
{
    char name[MAX_PATH + 2] = "";
    if (DragQueryFileA(drop, 0, name, sizeof name) == 0)
        name[0] = '\0';
    DragFinish(drop);
    return name;
}

void PostCommand(HWND to, int id, WORD code, HWND from)
{
    PostMessageA(to, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
}

// Down opens a closed, non-empty list; true when it did.
bool OpenListOnDown(HWND combo, WPARAM key)
{
    if (key != VK_DOWN || SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) ||
        SendMessageA(combo, CB_GETCOUNT, 0, 0) <= 0)
        return false;
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    return true;
}

// A combo procedure's attach: the combo, then its edit with the edit procedure.
LRESULT AttachComboAndEdit(HWND combo, LPARAM lParam, WNDPROC comboProc, WNDPROC editProc)
{
    LRESULT result = 0;
    HandleAttach(combo, kMsgAttach, lParam, comboProc, &result);
    HWND edit = ComboEdit(combo);
    return edit ? AttachSubclass(edit, editProc) : result;
}

// The common head of every procedure: attach, detach and swallowed keys.
// True: the message ends here with *result.
bool SubclassHead(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC self, int kind, LRESULT* result)
{
    if (HandleAttach(wnd, message, lParam, self, result))
        return true;
    *result = 0;
    return kind < kKinds && t_swallowed[kind].Drop(message, static_cast<uint32_t>(wParam));
}

}  // namespace

void InitSubclassData()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_dataAtom = GlobalAddAtomW(L"CeData");
        WNDCLASSA wc{};
        if (GetClassInfoA(nullptr, "EDIT", &wc))
            g_editClassProc = wc.lpfnWndProc;
        if (GetClassInfoA(nullptr, "COMBOBOX", &wc))
            g_comboClassProc = wc.lpfnWndProc;
    });
}

LRESULT AttachSubclass(HWND wnd, WNDPROC proc)
{
    if (!proc)
        return 0;
    InitSubclassData();
    // The window does not run the procedure yet: the attach goes to it directly.
    return CallWindowProcA(proc, wnd, kMsgAttach, 0, 0);
}

LRESULT AttachSubclassNoCheck(HWND wnd, WNDPROC proc)
{
    InitSubclassData();
    CallWindowProcA(proc, wnd, kMsgAttach, 0, 0);
    return 1;
}

int SubclassByUserData(HWND wnd, WNDPROC proc)
{
    if (!proc)
        return 0;
    LONG_PTR old = SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetWindowLongPtrA(wnd, GWLP_USERDATA, old);
    return 1;
}

WNDPROC GetSubclassChain(HWND wnd)
{
    return g_dataAtom ? reinterpret_cast<WNDPROC>(GetPropA(wnd, DataName())) : nullptr;
}

LRESULT NotifyKey(HWND wnd, KeyNotify* record)
{
    record->hdr.hwndFrom = wnd;
    record->hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(wnd));
    LRESULT answer = SendMessageA(GetParent(wnd), WM_NOTIFY, record->hdr.idFrom, reinterpret_cast<LPARAM>(record));
    return record->hdr.idFrom == kKeyHandled ? 1 : answer;
}

DWORD GetKeptEditSelection(HWND edit)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetPropA(edit, kSelectionProp)));
}

LRESULT CALLBACK ComboEditFocusProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, ComboEditFocusProc, kKinds, &head))
        return head;
    if (message != WM_SETFOCUS && message != WM_KILLFOCUS)
        return Chain(wnd, message, wParam, lParam);
    LRESULT result = Chain(wnd, message, wParam, lParam);
    HWND combo = GetParent(wnd);
    WORD code = message == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS;
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), code), reinterpret_cast<LPARAM>(wnd));
    if (message == WM_KILLFOCUS)
        SetPropA(wnd, kSelectionProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(SendMessageA(wnd, EM_GETSEL, 0, 0))));
    return result;
}

LRESULT CALLBACK ComboEditKeyProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, ComboEditKeyProc, kComboEditKey, &head))
        return head;
    if (message == WM_KEYDOWN) {
        HWND combo = GetParent(wnd);
        if (wParam == VK_TAB || wParam == VK_RETURN) {
            SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
            if (SwallowKey(kComboEditKey, combo, wParam == VK_TAB ? NM_KEYDOWN : NM_RETURN, wParam, lParam))
                return 0;
        } else if (OpenListOnDown(combo, wParam)) {
            return 0;
        }
    }
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK ComboKeyProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kMsgAttach)
        return AttachComboAndEdit(wnd, lParam, ComboKeyProc, ComboEditKeyProc);
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, ComboKeyProc, kComboKey, &head))
        return head;
    if (message == WM_KEYDOWN) {
        if (wParam == VK_TAB) {
            SendMessageA(wnd, CB_SHOWDROPDOWN, FALSE, 0);
            if (SwallowKey(kComboKey, wnd, NM_KEYDOWN, wParam, lParam))
                return 0;
        } else if (OpenListOnDown(wnd, wParam)) {
            return 0;
        }
    }
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK TwinComboEditProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, TwinComboEditProc, kTwinComboEdit, &head))
        return head;
    HWND combo = GetParent(wnd);
    if (message == WM_SETTEXT) {
        LRESULT result = Chain(wnd, message, wParam, lParam);
        if (MirrorToTwin(Twin(combo), WindowText(wnd)))
            SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), EN_CHANGE),
                         reinterpret_cast<LPARAM>(combo));
        return result;
    }
    // The notification goes out as from the combo, so the dialog sees its id.
    if (message == WM_KEYDOWN && SwallowKey(kTwinComboEdit, combo, NM_KEYDOWN, wParam, lParam))
        return 0;
    return Chain(wnd, message, wParam, lParam);
}

namespace {

bool IsRelayedEditCode(WORD code)
{
    switch (code) {
    case EN_CHANGE: case 0x0705: case 0x0703: case EN_ERRSPACE: case EN_KILLFOCUS: case EN_MAXTEXT:
    case 0x0702: case EN_SETFOCUS: case 0x0706: case EN_UPDATE: case EN_VSCROLL: case EN_HSCROLL:
        return true;
    default:
        return false;
    }
}

// The twin combo's text: the selected entry's (empty when longer than the
// local buffer), else the edit's; copied within the caller's size.
std::string TwinComboText(HWND combo)
{
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected >= 0) {
        LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
        if (length < 0 || length >= kTwinTextSize)
            return std::string();
        char text[kTwinTextSize] = "";
        SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
        return text;
    }
    HWND edit = ComboEdit(combo);
    return edit ? WindowText(edit) : std::string();
}

// A message to the twin combo on its way through the table.
struct TwinComboMessage {
    HWND wnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// The combo and its edit.
struct TwinCombo {
    HWND wnd;
    HWND edit;
};

// The procedure the combo chains to, with the message as it came: for a
// handler that answers with the chain's answer and acts after it.
struct NextCall {
    const TwinComboMessage& m;
    LRESULT operator()() const { return Chain(m.wnd, m.message, m.wParam, m.lParam); }
};
struct NextProc {
    static NextCall Of(TwinComboMessage& m) { return {m}; }
};

// The edit's notifications go on as the combo's; EN_CHANGE mirrors the
// text to the twin first.
bool RelayEditCommand(TwinCombo& c, LRESULT& answer, NextCall next, uint16_t code, HWND from)
{
    if (!c.edit || from != c.edit || !IsRelayedEditCode(code))
        return false;
    answer = next();
    if (code == EN_CHANGE)
        MirrorToTwin(Twin(c.wnd), WindowText(c.edit));
    SendMessageA(GetParent(c.wnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c.wnd), code), reinterpret_cast<LPARAM>(from));
    return true;
}

bool RelayEditNotify(TwinCombo& c, LRESULT& answer, NextCall next, WPARAM id, NMHDR* header)
{
    if (!c.edit || header->hwndFrom != c.edit)
        return false;
    answer = next();
    SendMessageA(GetParent(c.wnd), WM_NOTIFY, id, reinterpret_cast<LPARAM>(header));
    return true;
}

// The text goes to the twin and to the edit.
LRESULT SetTwinText(TwinCombo& c, NextCall next, const char* given)
{
    LRESULT answer = next();
    const char* text = given ? given : "";
    MirrorToTwin(Twin(c.wnd), text);
    if (c.edit && WindowText(c.edit) != text)
        SendMessageA(c.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(given));
    return answer;
}

LRESULT GetTwinText(TwinCombo& c, size_t size, char* out)
{
    if (size == 0 || !out)
        return 0;
    std::string text = TwinComboText(c.wnd);
    size_t n = std::min(text.size(), size - 1);
    memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT TwinTextLength(TwinCombo& c)
{
    return static_cast<LRESULT>(TwinComboText(c.wnd).size());
}

bool DropIntoTwin(TwinCombo& c, HDROP drop)
{
    if (!(GetWindowLongA(c.wnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
        return false;
    std::string file = DroppedFile(drop);
    SendMessageA(c.wnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(c.wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    int id = GetDlgCtrlID(c.wnd);
    PostCommand(GetParent(c.wnd), id, CBN_EDITCHANGE, c.wnd);
    PostCommand(GetParent(c.wnd), id, EN_CHANGE, c.wnd);
    PostCommand(GetParent(c.wnd), id, kNotifyFileDropped, c.wnd);
    return true;
}

bool SwallowTwinComboKey(TwinCombo& c, WPARAM key, LPARAM keyData)
{
    return SwallowKey(kTwinCombo, c.wnd, NM_KEYDOWN, key, keyData);
}

// The edit messages go to the edit.
bool ToEdit(TwinCombo& c, LRESULT& answer, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!c.edit)
        return false;
    answer = SendMessageA(c.edit, message, wParam, lParam);
    return true;
}

using TwinComboRows = RouteRows<TwinCombo, TwinComboMessage>;
constexpr TwinComboRows::Row kTwinComboRows[] = {
    TwinComboRows::On(WM_COMMAND).May<RelayEditCommand, ResultSlot, NextProc, WParamHigh, LParamAs<HWND>>(),
    TwinComboRows::On(WM_NOTIFY).May<RelayEditNotify, ResultSlot, NextProc, WParamAs<WPARAM>, LParamAs<NMHDR*>>(),
    TwinComboRows::On(WM_SETTEXT).Answer<SetTwinText, NextProc, LParamAs<const char*>>(),
    TwinComboRows::On(WM_GETTEXT).Answer<GetTwinText, WParamAs<size_t>, LParamAs<char*>>(),
    TwinComboRows::On(WM_GETTEXTLENGTH).Answer<TwinTextLength>(),
    TwinComboRows::On(WM_DROPFILES).May<DropIntoTwin, WParamAs<HDROP>>(),
    TwinComboRows::On(WM_KEYDOWN).May<SwallowTwinComboKey, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
    TwinComboRows::On(EM_GETSEL, 0xD9).May<ToEdit, ResultSlot, MessageId, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
};
constexpr auto kTwinComboRoutes = SortRoutes(kTwinComboRows);
static_assert(RoutesDisjoint(kTwinComboRoutes), "a message has two rows");

}  // namespace

LRESULT CALLBACK TwinComboProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kMsgAttach)
        return AttachComboAndEdit(wnd, lParam, TwinComboProc, TwinComboEditProc);
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, TwinComboProc, kTwinCombo, &head))
        return head;
    TwinComboMessage m{wnd, message, wParam, lParam, 0};
    if (const auto* route = FindRoute(kTwinComboRoutes, message)) {
        TwinCombo combo{wnd, ComboEdit(wnd)};
        if (route->handler(combo, m))
            return m.result;
    }
    return Chain(wnd, message, wParam, lParam);
}

namespace {

// A dropped file into an edit (CB_SETCURSEL -1 on a combo first), then the
// notifications to the combo's (or the edit's) parent.
LRESULT DropInto(HWND target, HWND notifyAs, bool combo, WPARAM drop)
{
    std::string file = DroppedFile(reinterpret_cast<HDROP>(drop));
    if (combo)
        SendMessageA(notifyAs, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(target, file.c_str());
    int id = GetDlgCtrlID(notifyAs);
    PostCommand(GetParent(notifyAs), id, combo ? CBN_EDITCHANGE : EN_CHANGE, notifyAs);
    PostCommand(GetParent(notifyAs), id, kNotifyFileDropped, notifyAs);
    return 0;
}

}  // namespace

LRESULT CALLBACK ComboEditDropProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, ComboEditDropProc, kKinds, &head))
        return head;
    if (message == WM_DROPFILES)
        return DropInto(wnd, GetParent(wnd), true, wParam);
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK ComboDropProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kMsgAttach)
        return AttachComboAndEdit(wnd, lParam, ComboDropProc, ComboEditDropProc);
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, ComboDropProc, kKinds, &head))
        return head;
    if (message == WM_DROPFILES) {
        HWND edit = ComboEdit(wnd);
        return DropInto(edit ? edit : wnd, wnd, true, wParam);
    }
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK EditDropProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, EditDropProc, kKinds, &head))
        return head;
    if (message == WM_DROPFILES)
        return DropInto(wnd, wnd, false, wParam);
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK EnabledLookProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, EnabledLookProc, kKinds, &head))
        return head;
    bool disabled = !IsWindowEnabled(wnd);
    if (message == WM_GETDLGCODE && disabled)
        return DLGC_STATIC;  // 0x100: the dialog passes over it like a label
    if (message == WM_SETFOCUS && disabled)
        return 0;
    if (message == WM_ENABLE)
        wParam = 1;
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK EditKeyNotifyProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, EditKeyNotifyProc, kEditKeyNotify, &head))
        return head;
    if (message == WM_KEYDOWN && (wParam == VK_TAB || wParam == VK_RETURN) &&
        SwallowKey(kEditKeyNotify, wnd, NM_KEYDOWN, wParam, lParam))
        return 0;
    return Chain(wnd, message, wParam, lParam);
}

namespace {

bool IsEditingKey(UINT message, WPARAM wParam)
{
    return message == WM_CHAR || (message == WM_KEYDOWN && (wParam == VK_BACK || wParam == VK_DELETE));
}

}  // namespace

LRESULT CALLBACK ReadOnlyLookProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, ReadOnlyLookProc, kKinds, &head))
        return head;
    bool disabled = !IsWindowEnabled(wnd);
    if (message == WM_GETDLGCODE && !disabled)
        return DLGC_WANTARROWS;
    if (message == WM_ENABLE)
        wParam = 1;
    if (disabled && (message == WM_CUT || message == WM_PASTE || message == WM_CLEAR || IsEditingKey(message, wParam)))
        return 0;
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK ReadOnlyEditProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, ReadOnlyEditProc, kKinds, &head))
        return head;
    if (message == WM_GETDLGCODE)
        return DLGC_WANTARROWS;
    if (message == WM_CUT || message == WM_PASTE || message == WM_CLEAR || IsEditingKey(message, wParam))
        return 0;
    return Chain(wnd, message, wParam, lParam);
}

LRESULT CALLBACK TwinEditProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT head; SubclassHead(wnd, message, wParam, lParam, TwinEditProc, kTwinEdit, &head))
        return head;
    if (message == kMsgSetOwnText)
        return Chain(wnd, WM_SETTEXT, wParam, lParam);
    if (message == kMsgGetOwnText)
        return Chain(wnd, WM_GETTEXT, wParam, lParam);
    bool mirrored = message == WM_SETTEXT || message == WM_GETTEXT || message == WM_GETTEXTLENGTH ||
                    (message >= EM_GETSEL && message <= 0xD9);
    if (mirrored) {
        LRESULT own = Chain(wnd, message, wParam, lParam);
        HWND twin = Twin(wnd);
        return twin ? SendMessageA(twin, message, wParam, lParam) : own;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        HWND twin = Twin(wnd);
        if (twin && SwallowKey(kTwinEdit, twin, NM_KEYDOWN, wParam, lParam))
            return 0;
    }
    return Chain(wnd, message, wParam, lParam);
}
