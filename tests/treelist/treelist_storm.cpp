// A storm on the TreeList window: seeded random messages, mouse and key
// messages as input brings them, and parents that act inside notifications
// (delete the notified item, destroy the control or its window, open
// message boxes whose loops run more of the storm). Every message checks
// the control's records; after each step the queue must fall idle (a
// message that comes back forever is a hang) and no window the control made
// may outlive it. A watchdog ends a run that stops making progress.
//
// In the test run it is short; a long run under Wine (each of two seeds
// from LINDAR_STORM_SEED on for LINDAR_STORM_SECONDS):
//   LINDAR_STORM_SECONDS=300 LINDAR_STORM_SEED=7 xvfb-run -a tools/wine-run.sh
//       build-win/tests/treelist/treelist_storm_tests.exe --gtest_filter='*Seeded*'
// For finding a fault: LINDAR_STORM_CHECKEVERY=1 checks the windows after
// every step; the harness's knobs (tests/winharness/storm.h) trace, check
// the heaps and report where a fault happens.
//
// A dialog destroyed inside its own focus change breaks the platform's
// dialog manager (its default procedure writes to the freed dialog once
// the change returns; the platform's EDIT alone does it too), so the parent
// puts such a destruction off until that change has returned.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/framework/dialog_template.h"
#include "tests/winharness/storm.h"
#include "ui/treelist/win32/treelist_window.h"

namespace {

using winharness::EnvInt;

constexpr int kListId = 100;
constexpr int kMaxItems = 600;       // the tree is emptied beyond this
constexpr int kMaxDepth = 4;         // notifications inside notifications
constexpr int kMaxBoxes = 3;         // message boxes inside message boxes
constexpr int kBoxTicks = 4;         // storm steps inside a message box before it closes
const uint64_t kCheckEvery = uint64_t(EnvInt("LINDAR_STORM_CHECKEVERY", 16));  // steps between window checks
const char kBoxTitle[] = "Sturmmeldung";

struct Storm;
Storm* g_storm = nullptr;

LRESULT CALLBACK ParentProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK BoxTick(HWND, UINT, UINT_PTR, DWORD);

// The tooltips among a thread's windows.
struct Found {
    std::vector<HWND> tips;
};
BOOL CALLBACK CollectTooltips(HWND w, LPARAM found)
{
    char name[32] = {};
    GetClassNameA(w, name, sizeof name);
    if (!std::strcmp(name, TOOLTIPS_CLASSA))
        reinterpret_cast<Found*>(found)->tips.push_back(w);
    return TRUE;
}

// The storm's message boxes are told OK.
BOOL CALLBACK CloseMessageBox(HWND w, LPARAM)
{
    char title[32] = {};
    GetWindowTextA(w, title, sizeof title);
    if (!std::strcmp(title, kBoxTitle))
        PostMessageA(w, WM_COMMAND, IDOK, 0);
    return TRUE;
}

const DialogItem kDialogItems[] = {
    {"TreeList", kListId, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL, 5, 5, 200, 120,
     "", 0},
    {"BUTTON", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 60, 130, 50, 14, "OK", 0},
};

// The storm's dialogs (its dialog parent, its message boxes) inside a focus
// change of their own, and how deep: what the dialog manager does there
// goes on with the dialog after the parent's reaction returns.
std::map<HWND, int> g_focusChanges;

bool IsFocusChange(UINT message)
{
    return message == WM_ACTIVATE || message == WM_SETFOCUS || message == WM_NEXTDLGCTL;
}

LRESULT CALLBACK BeforeMessage(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);

// The focus changes followed while the object lives.
class FocusChanges {
public:
    FocusChanges()
        : m_before(SetWindowsHookExA(WH_CALLWNDPROC, BeforeMessage, nullptr, GetCurrentThreadId())),
          m_after(SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId()))
    {
    }
    ~FocusChanges()
    {
        UnhookWindowsHookEx(m_before);
        UnhookWindowsHookEx(m_after);
        g_focusChanges.clear();
    }
    FocusChanges(const FocusChanges&) = delete;
    FocusChanges& operator=(const FocusChanges&) = delete;

private:
    HHOOK m_before, m_after;
};

// The parent's own window destroyed when the message has come.
constexpr UINT kDestroyLater = WM_APP + 1;

struct Storm : winharness::StormSubject {
    explicit Storm(uint64_t seed) : StormSubject(seed) {}

    HWND parent = nullptr, list = nullptr;
    bool dialogParent = false;
    bool destroyPending = false;  // the parent's window goes when its dialogs' focus changes have returned
    std::vector<uint32_t> items;  // handles seen, some stale on purpose
    int boxes = 0;
    std::map<HWND, uint64_t> firstSeen;      // the step each tooltip was first seen after
    // A scripted parent: on this notification code it destroys the list or
    // opens a message box, once, and does nothing else.
    struct Script {
        UINT code = 0;
        bool box = false, done = false;
        bool whole = false;   // the parent destroys its own window
        HWND from = nullptr;  // only a notification of this window counts
        bool fromStayed = false;  // that window was still there when the destruction returned
        bool parentStayed = false;  // the parent's window was still there then
    } script;
    char text[64] = {};
    alignas(8) unsigned char scratch[4096] = {};

    // The parent's dialog or a message box it owns is inside a focus change.
    bool InFocusChange() const
    {
        for (const auto& [wnd, n] : g_focusChanges)
            if (n > 0 && (wnd == parent || GetWindow(wnd, GW_OWNER) == parent))
                return true;
        return false;
    }
    // The parent destroys its own window: at once, or, inside a focus change
    // of its dialogs, posted for when that has returned.
    void DestroyParent()
    {
        if (IsWindow(parent) && InFocusChange()) {
            Count("destroy put off");
            destroyPending = true;
            return;
        }
        destroyPending = false;
        DestroyWindow(parent);
    }
    void FocusChangeReturned()
    {
        if (destroyPending && !InFocusChange() && IsWindow(parent)) {
            destroyPending = false;
            PostMessageA(parent, kDestroyLater, 0, 0);
        }
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return IsWindow(list) ? SendMessageA(list, message, wParam, lParam) : 0;
    }
    template <class T>
    LRESULT SendRecord(UINT message, WPARAM wParam, T* record)
    {
        return Send(message, wParam, reinterpret_cast<LPARAM>(record));
    }
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        if (IsWindow(list))
            PostMessageA(list, message, wParam, lParam);
    }

    // An item: mostly one seen before (it may be gone), sometimes none, the
    // root or a number of no item.
    uint32_t Item()
    {
        const int r = Pick(20);
        if (r == 0)
            return 0;
        if (r == 1)
            return kTreeListRoot;
        if (r == 2)
            return uint32_t(rng.Range(1, 5000));
        if (items.empty())
            return uint32_t(Send(TVM_GETNEXTITEM, TVGN_ROOT, 0));
        return items[size_t(Pick(int(items.size())))];
    }
    void Remember(uint32_t h)
    {
        if (!h)
            return;
        if (items.size() >= 2000)
            items.erase(items.begin(), items.begin() + 1000);
        items.push_back(h);
    }
    POINT ClientPoint(HWND wnd)
    {
        RECT r = {};
        GetClientRect(wnd, &r);
        return {rng.Range(-10, int(r.right) + 10), rng.Range(-10, int(r.bottom) + 10)};
    }
    const char* Text()
    {
        static const char* const words[] = {"Karten", "Luftbild", "", "Höhenlinien", "a", "B", "zz", "Gipfel"};
        std::snprintf(text, sizeof text, "%s %d", words[Pick(8)], rng.Range(0, 99));
        return text;
    }

    // ---- The control and its window ----
    // A list with random styles, columns and items; with a style given, a
    // plain one in a plain window or in the dialog asked for.
    void MakeList(DWORD given = 0, bool dialog = false)
    {
        Count("make");
        if (!IsWindow(parent)) {
            dialogParent = dialog || (!given && Chance(30));
            if (dialogParent) {
                static const DialogTemplate dialogTemplate(MakeDialogLayout(
                    WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_THICKFRAME, 220, 150, "Sturm", kDialogItems));
                parent = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate.Get(), nullptr,
                                                    DialogProc, 0);
                list = GetDlgItem(parent, kListId);
            } else {
                parent = CreateWindowExA(0, "TLStormParent", "Sturm", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 420,
                                         360, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
                list = nullptr;
            }
        }
        if (!IsWindow(list)) {
            static const DWORD styles[] = {TVS_HASBUTTONS, TVS_HASLINES,     TVS_LINESATROOT,   TVS_CHECKBOXES,
                                           TVS_SHOWSELALWAYS, TVS_SINGLEEXPAND, TVS_EDITLABELS, TVS_NOTOOLTIPS,
                                           TVS_FULLROWSELECT, 0x8000 /* own drag */, TVS_INFOTIP};
            DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
            for (DWORD s : styles)
                if (!given && Chance(s == TVS_NOTOOLTIPS ? 10 : 40))
                    style |= s;
            style |= given;
            list = CreateWindowExA(0, "TreeList", nullptr, style, 5, 5, rng.Range(60, 380), rng.Range(40, 300),
                                   parent, reinterpret_cast<HMENU>(INT_PTR(kListId)), GetModuleHandleA(nullptr),
                                   nullptr);
        }
        items.clear();
        static const bool trace = EnvInt("LINDAR_STORM_TRACE", 0) != 0;
        if (trace)
            std::fprintf(stderr, "list %u tip %u parent %u\n", unsigned(uintptr_t(list)),
                         unsigned(uintptr_t(Send(TVM_GETTOOLTIPS))), unsigned(uintptr_t(parent)));
        if (!list || given)
            return;
        Send(TVM_SETEXTENDEDSTYLE, 0, LPARAM(rng.Next() & 0x3FF7FF7F));
        for (int c = Pick(5); c > 0; --c)
            InsertColumn();
        for (int i = rng.Range(0, 60); i > 0; --i)
            Insert();
    }
    void InsertColumn()
    {
        LVCOLUMNA lv = {};
        lv.mask = LVCF_TEXT | LVCF_WIDTH | (Chance(40) ? TLCF_WEIGHT : 0);
        lv.cx = (lv.mask & TLCF_WEIGHT) ? rng.Range(1, 4) : rng.Range(0, 200);
        lv.pszText = const_cast<char*>(Text());
        SendRecord(TLM_INSERTCOLUMN, WPARAM(Pick(6)), &lv);
        if (Chance(50))
            Send(TLM_SETCOLUMNEDIT, (uint32_t(Pick(4)) << 11) | (uint32_t(Pick(8)) << 8) | (rng.Next() & 0xFF), 0);
    }

    // ---- Steps ----
    uint32_t Insert()
    {
        Count("insert");
        TVINSERTSTRUCTA insert = {};
        static const uint32_t places[] = {kTreeListFirst, kTreeListLast, kTreeListSort, kTreeListPositionFirst + 2};
        insert.hParent = TreeListHtreeOf(Chance(50) ? kTreeListRoot : Item());
        insert.hInsertAfter = TreeListHtreeOf(Chance(80) ? places[Pick(4)] : Item());
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | (Chance(30) ? TVIF_STATE : 0) | (Chance(10) ? TVIF_CHILDREN : 0);
        insert.item.pszText = Chance(10) ? LPSTR_TEXTCALLBACKA : const_cast<char*>(Text());
        insert.item.lParam = LPARAM(rng.Next());
        insert.item.state = rng.Next() & 0xF0FF;
        insert.item.stateMask = rng.Next();
        insert.item.cChildren = rng.Range(-2, 2);
        const uint32_t h = uint32_t(SendRecord(TVM_INSERTITEMA, 0, &insert));
        Remember(h);
        return h;
    }
    uint32_t Add(uint32_t parentItem, const char* name)
    {
        TVINSERTSTRUCTA insert = {};
        insert.hParent = TreeListHtreeOf(parentItem ? parentItem : kTreeListRoot);
        insert.hInsertAfter = TreeListHtreeOf(kTreeListLast);
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(name);
        const uint32_t h = uint32_t(SendRecord(TVM_INSERTITEMA, 0, &insert));
        Remember(h);
        return h;
    }
    void InsertStep() { Insert(); }
    void SetItem()
    {
        Count("set item");
        TVITEMA tv = {};
        tv.hItem = TreeListHtreeOf(Item());
        tv.mask = (rng.Next() & (TVIF_TEXT | TVIF_STATE | TVIF_PARAM | TVIF_CHILDREN)) | (Chance(30) ? TVIF_SUBITEM : 0);
        tv.pszText = Chance(10) ? LPSTR_TEXTCALLBACKA : const_cast<char*>(Text());
        tv.state = rng.Next();
        tv.stateMask = rng.Next();
        tv.cChildren = Pick(5);
        tv.lParam = LPARAM(rng.Next());
        SendRecord(TVM_SETITEMA, 0, &tv);
    }
    void GetItem()
    {
        Count("get item");
        char buffer[80];
        TVITEMA tv = {};
        tv.hItem = TreeListHtreeOf(Item());
        tv.mask = (rng.Next() & 0x7F) | (Chance(30) ? TVIF_SUBITEM : 0) | (Chance(10) ? TVIF_TEXTPTR : 0);
        tv.pszText = buffer;
        tv.cchTextMax = Pick(int(sizeof buffer));
        tv.cChildren = Pick(5);
        SendRecord(TVM_GETITEMA, 0, &tv);
    }
    void Expand()
    {
        Count("expand");
        static const UINT codes[] = {TVE_EXPAND, TVE_COLLAPSE, TVE_TOGGLE, TVE_COLLAPSE | TVE_COLLAPSERESET,
                                     TVE_EXPAND | TVE_ALLCHILDREN, TVE_COLLAPSE | TVE_ALLCHILDREN,
                                     TVE_EXPAND | TVE_DEFERRED, TVE_TOGGLE | TVE_ANCESTORS, TVE_EXPAND | TVE_NONOTIFY};
        Send(TVM_EXPAND, codes[Pick(9)], LPARAM(Item()));
    }
    void Select()
    {
        Count("select");
        switch (Pick(5)) {
        case 0: Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(Item())); break;
        case 1: Send(TVM_SELECTITEM, Pick(2) ? TVGN_DROPHILITE : TVGN_FIRSTVISIBLE, LPARAM(Item())); break;
        case 2: Send(TLM_SELECTCELL, WPARAM(Pick(4)), LPARAM(Item())); break;
        case 3: Send(TLM_SELECTCHILDREN, WPARAM(Pick(4)), LPARAM(Item())); break;
        default: Send(TLM_SETFOCUSITEM, WPARAM(Pick(3)), LPARAM(Item())); break;
        }
    }
    static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM)
    {
        // A parent that acts while the sort compares.
        if (g_storm && g_storm->Chance(1))
            g_storm->Reaction(nullptr);
        return a < b ? -1 : a > b ? 1 : 0;
    }
    void Sort()
    {
        Count("sort");
        if (Chance(50)) {
            Send(TVM_SORTCHILDREN, WPARAM(Pick(2)), LPARAM(Item()));
            return;
        }
        TVSORTCB sort = {TreeListHtreeOf(Item()), &Compare, 0};
        SendRecord(TVM_SORTCHILDRENCB, WPARAM(Pick(2)), &sort);
    }
    void Delete()
    {
        Count("delete");
        Send(TVM_DELETEITEM, 0, LPARAM(Chance(5) ? kTreeListRoot : Item()));
    }
    void Move()
    {
        Count("move");
        Send(TLM_MOVEITEM + UINT(Pick(4)), WPARAM(Item()), LPARAM(Item()));
    }
    void Columns()
    {
        Count("columns");
        switch (Pick(5)) {
        case 0: InsertColumn(); break;
        case 1: Send(TLM_DELETECOLUMN, WPARAM(Pick(5))); break;
        case 2: Send(TLM_SETCOLUMNWIDTH, WPARAM(Pick(5)), LPARAM(rng.Range(0, 300))); break;
        case 3: {
            uint32_t order[4] = {0, 1, 2, 3};
            std::swap(order[1 + Pick(3)], order[1 + Pick(3)]);
            SendRecord(TLM_SETCOLUMNORDER, WPARAM(rng.Range(1, 4)), order);
            break;
        }
        default: Send(TLM_OPTION, WPARAM(rng.Range(1, 16)) | (Chance(50) ? kTreeListOptionSet : 0), LPARAM(rng.Range(0, 5))); break;
        }
    }
    void Scroll()
    {
        Count("scroll");
        const int kind = Pick(3);
        if (kind == 2)
            Post(WM_MOUSEWHEEL, MAKEWPARAM(Chance(20) ? MK_CONTROL : 0, rng.Range(-480, 480)), 0);
        else
            Post(kind ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(Pick(9), rng.Range(0, 200)), 0);
    }
    // Modifiers as the keyboard state holds them while the posted input is
    // handled.
    void Modifiers()
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = Chance(20) ? 0x80 : 0;
        keys[VK_CONTROL] = Chance(15) ? 0x80 : 0;
        keys[VK_LBUTTON] = Chance(10) ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void Mouse()
    {
        Count("mouse");
        static const UINT messages[] = {WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_LBUTTONUP,   WM_LBUTTONDBLCLK,
                                        WM_RBUTTONDOWN, WM_RBUTTONUP,   WM_MOUSELEAVE, WM_MOUSEMOVE};
        // Where the pointer goes: the list, its header or its tooltip.
        HWND target = list;
        const int where = Pick(10);
        if (where == 0)
            target = HWND(Send(TLM_GETHEADER));
        else if (where == 1)
            target = HWND(Send(TVM_GETTOOLTIPS));
        if (!IsWindow(target))
            target = list;
        Modifiers();
        for (int n = rng.Range(1, 6); n > 0 && IsWindow(target); --n) {
            const POINT pt = ClientPoint(target);
            const WPARAM keys = (Chance(40) ? MK_LBUTTON : 0) | (Chance(10) ? MK_SHIFT : 0) | (Chance(10) ? MK_CONTROL : 0);
            PostMessageA(target, messages[Pick(8)], keys, MAKELPARAM(pt.x, pt.y));
        }
    }
    void Keys()
    {
        Count("keys");
        static const WORD keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_SPACE,
                                    VK_RETURN, VK_ESCAPE, VK_TAB, VK_BACK, VK_INSERT, 'V', VK_F2, VK_CONTROL};
        Modifiers();
        for (int n = rng.Range(1, 4); n > 0; --n) {
            if (Chance(30)) {
                Post(WM_CHAR, WPARAM(rng.Range(32, 255)), 1);
            } else {
                const WORD key = keys[Pick(17)];
                Post(WM_KEYDOWN, key, 1);
                Post(WM_KEYUP, key, 0xC0000001);
            }
        }
    }
    void Edit()
    {
        Count("edit");
        const HWND editor = HWND(Send(TVM_GETEDITCONTROL));
        if (!editor || Chance(20)) {
            if (Chance(50))
                Send(TVM_EDITLABELA, 0, LPARAM(Item()));
            else
                Send(TVM_ENDEDITLABELNOW, WPARAM(Pick(2)));
            return;
        }
        switch (Pick(5)) {
        case 0: PostMessageA(editor, WM_CHAR, WPARAM(rng.Range(32, 255)), 1); break;
        case 1: PostMessageA(editor, WM_KEYDOWN, Pick(2) ? VK_RETURN : VK_ESCAPE, 1); break;
        case 2: SetFocus(Pick(2) ? parent : list); break;
        case 3: PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0); break;
        default: SetWindowTextA(editor, Text()); break;
        }
    }
    void Window()
    {
        Count("window");
        switch (Pick(8)) {
        case 0:
            SetWindowPos(list, nullptr, 0, 0, rng.Range(0, 400), rng.Range(0, 320), SWP_NOMOVE | SWP_NOZORDER);
            break;
        case 1: ShowWindow(list, Chance(80) ? SW_SHOW : SW_HIDE); break;
        case 2: EnableWindow(list, Chance(80)); break;
        case 3: Send(WM_SETREDRAW, Chance(70)); break;
        case 4: SetFocus(Chance(70) ? list : parent); break;
        case 5: Send(WM_SETFONT, WPARAM(GetStockObject(Chance(50) ? DEFAULT_GUI_FONT : SYSTEM_FONT)), TRUE); break;
        case 6: SetWindowLongA(list, GWL_STYLE, LONG(GetWindowLongA(list, GWL_STYLE) ^ (1u << Pick(16)))); break;
        default: Send(TVM_SETEXTENDEDSTYLE, rng.Next(), LPARAM(rng.Next() & 0x3FF7FF7F)); break;
        }
    }
    void Timers()
    {
        Count("timers");
        static const UINT_PTR timers[] = {kTreeListDropTimer, kTreeListTooltipTimer, kTreeListAutoScrollTimer,
                                          kTreeListBarTimer};
        Post(WM_TIMER, timers[Pick(4)], 0);
        if (Chance(10))
            Send(TLM_SETAUTOSCROLL, WPARAM(Pick(4)), LPARAM(Chance(50) ? 0 : rng.Range(30, 200)));
        if (Chance(20))
            Send(TLM_SETDROPTARGET, WPARAM(Pick(3)), LPARAM(Item()));
    }
    void Drag()
    {
        Count("drag");
        Send(TLM_BEGINDRAG, 0, LPARAM(Item()));
        Modifiers();
        for (int n = rng.Range(1, 5); n > 0; --n) {
            const POINT pt = ClientPoint(list);
            Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        }
        const POINT end = ClientPoint(list);
        Post(Chance(80) ? WM_LBUTTONUP : WM_RBUTTONDOWN, 0, MAKELPARAM(end.x, end.y));
    }
    // A message of the table with arguments a caller could give: numbers,
    // handles, or a zeroed record where one is read.
    void AnyMessage()
    {
        Count("any message");
        UINT message = Chance(50) ? UINT(rng.Range(0x1100, 0x112D)) : UINT(rng.Range(0x114E, 0x117F));
        // Handles of other kinds (image lists, tooltips) are the caller's to get right.
        if (message == TVM_SETIMAGELIST || message == TVM_SETTOOLTIPS)
            message = TVM_GETCOUNT;
        static const UINT records[] = {TVM_INSERTITEMA, TVM_GETITEMRECT, TVM_GETITEMA, TVM_SETITEMA, TVM_HITTEST,
                                       TVM_SORTCHILDRENCB, TVM_GETISEARCHSTRING, TLM_COUNTITEMS, TLM_SETITEMCOLOR,
                                       TLM_SETCOLUMNORDER, TLM_GETCOLUMNORDER, TLM_SETITEMS, TLM_FINDITEM,
                                       TLM_SORTCHILDRENEX, TLM_GETCOLUMN, TLM_SETCOLUMN, TLM_INSERTCOLUMN};
        bool record = false;
        for (UINT r : records)
            record |= r == message;
        const WPARAM w = record ? WPARAM(Pick(8)) : WPARAM(Chance(50) ? Item() : rng.Next());
        std::memset(scratch, 0, sizeof scratch);
        if (record) {
            // The item handle a record carries (TVITEM's hItem, the
            // rectangle's first word, a sort's parent).
            const uint32_t h = Item();
            std::memcpy(scratch + (message == TVM_SETITEMA || message == TVM_GETITEMA ? 4 : 0), &h, sizeof h);
        }
        if (message == TVM_SORTCHILDRENCB || message == TLM_SORTCHILDRENEX)
            std::memset(scratch, 0, 16);  // no compare function: refused
        Send(message, w, record ? reinterpret_cast<LPARAM>(scratch) : LPARAM(Chance(50) ? Item() : rng.Next()));
    }
    void End()
    {
        const bool whole = Chance(20);
        Count(whole ? "destroy parent" : "destroy list");
        if (whole)
            DestroyParent();
        else
            DestroyWindow(list);
    }

    // One step of the storm.
    void Act() override
    {
        if (!IsWindow(list)) {
            MakeList();
            return;
        }
        if (Send(TVM_GETCOUNT) > kMaxItems) {
            Count("empty");
            Send(TVM_DELETEITEM, 0, LPARAM(kTreeListRoot));
            return;
        }
        using Action = void (Storm::*)();
        static const struct { Action act; int weight; } actions[] = {
            {&Storm::InsertStep, 14}, {&Storm::SetItem, 6}, {&Storm::GetItem, 3}, {&Storm::Expand, 8},
            {&Storm::Select, 8},  {&Storm::Sort, 3},    {&Storm::Delete, 6},  {&Storm::Move, 5},
            {&Storm::Columns, 4}, {&Storm::Scroll, 6},  {&Storm::Mouse, 12},  {&Storm::Keys, 10},
            {&Storm::Edit, 5},    {&Storm::Window, 3},  {&Storm::Timers, 3},  {&Storm::Drag, 3},
            {&Storm::AnyMessage, 6}, {&Storm::End, 1},
        };
        ActOneOf(*this, actions);
    }

    // What a parent does inside a notification (header null: a compare
    // function, no record to answer).
    LRESULT Reaction(NMHDR* header)
    {
        if (script.code) {
            if (header && header->code == script.code && (!script.from || header->hwndFrom == script.from) &&
                !script.done) {
                script.done = true;
                if (script.box)
                    MessageBoxInside();
                else if (script.whole)
                    DestroyParent();
                else
                    DestroyWindow(list);
                script.fromStayed = script.from && IsWindow(script.from);
                script.parentStayed = IsWindow(parent) != FALSE;
            }
            return 0;
        }
        if (depth >= kMaxDepth || winharness::StormTimeUp())
            return 0;
        ++depth;
        LRESULT answer = 0;
        const int r = Pick(100);
        if (header && header->code != UINT(NM_CUSTOMDRAW))
            answer = Answer(*header);
        if (r < 3) {
            Count("destroy list inside");
            DestroyWindow(list);
            Count("destroyed inside");
            if (!HeapsSound()) {
                std::fprintf(stderr, "%s\n", failure.c_str());
                TerminateProcess(GetCurrentProcess(), 4);
            }
        } else if (r < 4 && Chance(20)) {
            Count("destroy parent inside");
            DestroyParent();
        } else if (r < 8 && boxes < kMaxBoxes) {
            MessageBoxInside();
        } else if (r < 14 && header) {
            Count("delete the notified item");
            const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
            Send(TVM_DELETEITEM, 0, LPARAM(Chance(50) ? nm->itemNew.hItem : nm->itemOld.hItem));
        } else if (r < 17) {
            Count("delete all inside");
            Send(TVM_DELETEITEM, 0, LPARAM(kTreeListRoot));
        } else if (r < 24) {
            Step();
        }
        --depth;
        return answer;
    }
    LRESULT Answer(NMHDR& header)
    {
        switch (header.code) {
        case UINT(TVN_GETDISPINFOA): {
            NMTVDISPINFOA& info = reinterpret_cast<NMTVDISPINFOA&>(header);
            if ((info.item.mask & TVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0)
                lstrcpynA(info.item.pszText, Text(), info.item.cchTextMax);
            info.item.iImage = info.item.iSelectedImage = 0;
            info.item.cChildren = Pick(2);
            return 0;
        }
        case UINT(TVN_SELCHANGINGA):
        case UINT(TVN_ITEMEXPANDINGA):
        case UINT(TLN_SCROLLING):
        case UINT(TVN_BEGINLABELEDITA):
        case UINT(TVN_ENDLABELEDITA):
        case UINT(TVN_KEYDOWN):
        case UINT(TVN_BEGINDRAGA):
            return Chance(15);
        case UINT(TVN_SINGLEEXPAND):
            return Pick(4);
        case UINT(TLN_EDITQUERY):
            return Chance(20) ? (Chance(50) ? LRESULT(0x80000000u) : 1) : 0;
        case UINT(TLN_GETTOOLTIP):
            return Chance(50);
        default:
            return 0;
        }
    }
    // A message box whose loop runs more of the storm until its timer
    // closes it.
    void MessageBoxInside()
    {
        Count("message box inside");
        ++boxes;
        const UINT_PTR timer = SetTimer(nullptr, 0, UINT(rng.Range(10, 40)), BoxTick);
        for (int n = rng.Range(0, 3); n > 0; --n)
            Keys();
        MessageBoxA(IsWindow(parent) ? parent : nullptr, "Sturm", kBoxTitle, MB_OK);
        KillTimer(nullptr, timer);
        --boxes;
    }

    // ---- Checks ----
    // Every tooltip of this thread is the own tooltip of the live control it
    // names: none outlives its control or is lost by it.
    bool NoWindowLeftBehind()
    {
        Found found;
        EnumThreadWindows(GetCurrentThreadId(), CollectTooltips, reinterpret_cast<LPARAM>(&found));
        for (HWND tip : found.tips) {
            const HWND of = reinterpret_cast<HWND>(GetWindowLongPtrA(tip, GWLP_USERDATA));
            char cls[32] = "";
            if (of && IsWindow(of))
                GetClassNameA(of, cls, sizeof cls);
            const TreeListData* d =
                !std::strcmp(cls, "TreeList") ? reinterpret_cast<const TreeListData*>(GetWindowLongPtrA(of, 0)) : nullptr;
            if (!firstSeen.count(tip))
                firstSeen[tip] = steps;
            if (d && TreeListWindowOf(const_cast<TreeListData&>(*d)).ownTooltip == tip)
                continue;
            failure = "step " + std::to_string(steps) + ": a tooltip" + (IsWindowVisible(tip) ? ", shown," : "") +
                      (of && !IsWindow(of) ? " outlives its control" : d ? " its control has lost" : " of no control") +
                      " (first seen at step " + std::to_string(firstSeen[tip]) + ", id " +
                      std::to_string(GetWindowLongPtrA(tip, GWLP_ID)) +
                      (GetWindowLongPtrA(tip, GWLP_WNDPROC) == LONG_PTR(GetClassLongPtrA(tip, GCLP_WNDPROC))
                           ? ", not subclassed"
                           : ", subclassed") +
                      ", tip " + std::to_string(uintptr_t(tip)) + " of " + std::to_string(uintptr_t(of)) + ")";
            return false;
        }
        return true;
    }

    bool AfterStep() override
    {
        // Modifiers last only for their step.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = keys[VK_CONTROL] = keys[VK_LBUTTON] = 0;
        SetKeyboardState(keys);
        return steps % kCheckEvery != 0 || NoWindowLeftBehind();
    }
    bool Finish() override
    {
        if (IsWindow(parent))
            DestroyParent();
        if (!Settle())
            return false;
        if (IsWindow(parent))
            DestroyWindow(parent);
        return Settle() && NoWindowLeftBehind();
    }
};

// The system's menus and move loops wait for a hand the storm does not
// have: a right click the list passes on as WM_CONTEXTMENU would open the
// window menu over the caption.
bool WaitsForAHand(UINT message) { return message == WM_CONTEXTMENU || message == WM_SYSCOMMAND; }

// A destruction put off comes back: at once, unless a focus change has begun
// again.
void DestroyLater(HWND wnd)
{
    if (g_storm && wnd == g_storm->parent)
        g_storm->DestroyParent();
    else
        DestroyWindow(wnd);
}

LRESULT CALLBACK BeforeMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && IsFocusChange(m->message)) {
        char name[16] = {};
        GetClassNameA(m->hwnd, name, sizeof name);
        if (!std::strcmp(name, "#32770"))
            ++g_focusChanges[m->hwnd];
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && IsFocusChange(m->message)) {
        const auto it = g_focusChanges.find(m->hwnd);
        if (it != g_focusChanges.end() && --it->second <= 0) {
            g_focusChanges.erase(it);
            if (g_storm)
                g_storm->FocusChangeReturned();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ParentProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY && g_storm && lParam)
        return g_storm->Reaction(reinterpret_cast<NMHDR*>(lParam));
    if (message == kDestroyLater) {
        DestroyLater(wnd);
        return 0;
    }
    if (WaitsForAHand(message))
        return 0;
    return DefWindowProcA(wnd, message, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_NOTIFY && g_storm && lParam) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, g_storm->Reaction(reinterpret_cast<NMHDR*>(lParam)));
        return TRUE;
    }
    if (message == kDestroyLater) {
        DestroyLater(dialog);
        return TRUE;
    }
    return message == WM_INITDIALOG || WaitsForAHand(message);
}

// Inside a message box: a few steps of the storm, then the box closes; once
// the time is up, at once.
void CALLBACK BoxTick(HWND, UINT, UINT_PTR, DWORD)
{
    static int ticks = 0;
    if (!g_storm)
        return;
    if (++ticks % kBoxTicks && !winharness::StormTimeUp()) {
        g_storm->Step();
        return;
    }
    EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0);
}

bool RegisterParent()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "TLStormParent";
    static const bool registered = RegisterClassA(&wc) != 0;
    return registered && TreeListRegister(GetModuleHandleA(nullptr));
}

// The storm for the given time from each seed; the seeds and the time come
// from LINDAR_STORM_SEED (the first) and LINDAR_STORM_SECONDS (per seed).
TEST(TreeListStorm, SeededRunsEndWithNothingLeftBehind)
{
    ASSERT_TRUE(RegisterParent());
    TreeListVerifyEachMessage(true);
    FocusChanges focusChanges;
    winharness::RunSeededStorms([](uint64_t seed) {
        auto storm = std::make_unique<Storm>(seed);
        g_storm = storm.get();
        return storm;
    });
    g_storm = nullptr;
}

void RepaintTheTooltip(Storm& s, uint32_t)
{
    const HWND tip = HWND(s.Send(TVM_GETTOOLTIPS));
    InvalidateRect(tip, nullptr, TRUE);
    UpdateWindow(tip);
}

// The steps the first storms hung on or broke the heap with, in a row: the
// list destroyed inside TVN_ITEMEXPANDED and inside TLN_SCROLLING with its
// tooltip shown, a message box inside a notification, and the list or the
// parent's window destroyed inside the tooltip's own painting; each
// ends with nothing left behind and the heaps sound.
TEST(TreeListStorm, DestroyAndMessageBoxesInsideNotificationsEnd)
{
    ASSERT_TRUE(RegisterParent());
    TreeListVerifyEachMessage(true);
    struct Scripted {
        const char* name;
        UINT code;
        bool box;  // a message box instead of the destruction
        std::function<void(Storm&, uint32_t)> act;
        bool whole = false;        // the parent's own window is destroyed
        bool fromTooltip = false;  // the notification of the list's tooltip

    };
    const Scripted steps[] = {
        {"destroy in TVN_ITEMEXPANDED", UINT(TVN_ITEMEXPANDEDA), false,
         [](Storm& s, uint32_t h) { s.Send(TVM_EXPAND, TVE_TOGGLE, LPARAM(h)); }},
        {"destroy in TLN_SCROLLING", UINT(TLN_SCROLLING), false,
         [](Storm& s, uint32_t) { s.Post(WM_VSCROLL, SB_PAGEDOWN); }},
        {"message box in TVN_SELCHANGED", UINT(TVN_SELCHANGEDA), true,
         [](Storm& s, uint32_t h) { s.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(h)); }},
        {"message box in TLN_SCROLLING", UINT(TLN_SCROLLING), true,
         [](Storm& s, uint32_t) { s.Post(WM_MOUSEWHEEL, MAKEWPARAM(0, -240), 0); }},
        // The tooltip's custom draw goes to the window that owns it, the
        // parent's: the tooltip is inside its own WM_PAINT then.
        {"destroy in the tooltip's NM_CUSTOMDRAW", UINT(NM_CUSTOMDRAW), false, RepaintTheTooltip, false, true},
        {"destroy the parent in the tooltip's NM_CUSTOMDRAW", UINT(NM_CUSTOMDRAW), false, RepaintTheTooltip, true,
         true},
    };
    for (const Scripted& step : steps) {
        SCOPED_TRACE(step.name);
        Storm storm{1};
        storm.MakeList(TVS_HASBUTTONS | TVS_LINESATROOT);
        storm.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_SCROLLNOTIFY, TLS_EX_SCROLLNOTIFY);
        LVCOLUMNA narrow = {};
        narrow.mask = LVCF_WIDTH;
        narrow.cx = 40;
        storm.SendRecord(TLM_INSERTCOLUMN, 0, &narrow);
        const uint32_t h = storm.Add(0, "eine Gruppe mit einem langen Namen");
        storm.Add(h, "Kind");
        for (int i = 0; i < 80; ++i)
            storm.Add(0, "Zeile");
        ASSERT_TRUE(storm.Settle()) << storm.failure;
        // The tooltip of the name its column cuts off shows.
        RECT row = {};
        std::memcpy(&row, &h, sizeof h);
        storm.SendRecord(TVM_GETITEMRECT, TRUE, &row);
        storm.Send(WM_MOUSEMOVE, 0, MAKELPARAM(row.left + 2, (row.top + row.bottom) / 2));
        EXPECT_TRUE(IsWindowVisible(HWND(storm.Send(TVM_GETTOOLTIPS))));
        storm.script = {step.code, step.box, false, step.whole,
                        step.fromTooltip ? HWND(storm.Send(TVM_GETTOOLTIPS)) : nullptr};
        g_storm = &storm;
        {
            winharness::Watchdog watchdog(1);
            step.act(storm, h);
            EXPECT_TRUE(storm.Settle()) << storm.failure;
        }
        EXPECT_TRUE(storm.script.done) << "the notification came";
        // The list's own tooltip goes when its message has returned.
        if (step.fromTooltip && !step.whole) {
            EXPECT_TRUE(storm.script.fromStayed) << "the tooltip was destroyed inside its own message";
        }
        EXPECT_TRUE(winharness::HeapsValid());
        EXPECT_TRUE(storm.NoWindowLeftBehind()) << storm.failure;
        DestroyWindow(storm.parent);
        EXPECT_TRUE(storm.Settle()) << storm.failure;
        EXPECT_TRUE(storm.NoWindowLeftBehind()) << storm.failure;
        g_storm = nullptr;
    }
}

// A parent that destroys its dialog inside the dialog's own focus change
// (the list's NM_SETFOCUS while the dialog moves its focus, or restores it
// as it is activated) has it destroyed once that change has returned; the
// heaps stay sound.
TEST(TreeListStorm, DialogDestroyedInItsFocusChangeGoesWhenItHasReturned)
{
    ASSERT_TRUE(RegisterParent());
    FocusChanges focusChanges;
    struct Case {
        const char* name;
        void (*act)(Storm&, HWND other);
    };
    const Case cases[] = {
        {"WM_NEXTDLGCTL", [](Storm& s, HWND) { SendMessageA(s.parent, WM_NEXTDLGCTL, WPARAM(s.list), TRUE); }},
        {"activation", [](Storm& s, HWND) { SetActiveWindow(s.parent); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Storm storm{1};
        storm.MakeList(TVS_HASBUTTONS, true);
        ASSERT_TRUE(storm.dialogParent && IsWindow(storm.list));
        storm.Add(0, "Zeile");
        // The focus elsewhere: in the dialog's button, or in another window.
        const HWND other = CreateWindowExA(0, "TLStormParent", "anderes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                           200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(storm.parent);
        SetFocus(GetDlgItem(storm.parent, IDOK));
        if (!std::strcmp(c.name, "activation")) {
            SetFocus(storm.list);
            SetActiveWindow(other);
        }
        ASSERT_TRUE(storm.Settle()) << storm.failure;
        storm.script = {UINT(NM_SETFOCUS), false, false, true, storm.list};
        g_storm = &storm;
        {
            winharness::Watchdog watchdog(1);
            c.act(storm, other);
            EXPECT_TRUE(storm.Settle()) << storm.failure;
        }
        g_storm = nullptr;
        EXPECT_TRUE(storm.script.done) << "the list's NM_SETFOCUS came";
        EXPECT_TRUE(storm.script.parentStayed) << "the dialog was destroyed inside its focus change";
        EXPECT_FALSE(IsWindow(storm.parent)) << "the dialog is gone once its focus change has returned";
        EXPECT_EQ(storm.counts["destroy put off"], 1u);
        EXPECT_TRUE(winharness::HeapsValid());
        DestroyWindow(other);
        EXPECT_TRUE(storm.Settle()) << storm.failure;
    }
}

}  // namespace
