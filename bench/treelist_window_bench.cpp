// The TreeList window ("<case>/ours") against the platform's own tree view
// "SysTreeView32" ("<case>/peer") and, where a tree has no columns, a
// report-mode "SysListView32", in the same process, through the same
// messages (Windows build, under Wine: bash tools/bench.sh --windows
// treelist_window_bench). Every iteration makes a fresh window; its
// filling is not timed unless it is the case.
#include <benchmark/benchmark.h>

#include "platform/win32/win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_items.h"
#include "ui/treelist/win32/treelist_window.h"

namespace {

// The item counts of the cases scale with LINDAR_BENCH_ITEMS (default
// 100,000): the platform's tree view needs minutes for the full counts.
int Items() { return BenchItems(); }
const int kBig = Items();
// The platform's controls under Wine repaint per insert while redraw is on
// (5 ms or more each), walk the list per expand and take 25 us per item
// read: those cases use a tenth of the items, or redraw off, to keep the
// program near a minute.
const int kTenth = Items() / 10;
constexpr int kChildren = 100;
const int kParents = kTenth / kChildren;
const int kGets = Items();
constexpr int kPaints = 50;
constexpr int kWidth = 600;
constexpr int kHeight = 800;

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HWND g_frame = nullptr;

enum class Kind { kTreeList, kTreeView, kListView };

HWND Make(Kind kind)
{
    const char* cls = kind == Kind::kTreeList ? "TreeList" : kind == Kind::kTreeView ? WC_TREEVIEWA : WC_LISTVIEWA;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL;
    style |= kind == Kind::kListView ? LVS_REPORT : TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    return CreateWindowExA(0, cls, nullptr, style, 0, 0, kWidth, kHeight, g_frame, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

std::vector<std::string> RandomTexts(int n, unsigned seed)
{
    std::vector<std::string> texts;
    texts.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "Eintrag %08u", seed);
        texts[size_t(i)] = buffer;
    }
    return texts;
}

HTREEITEM Insert(HWND w, HTREEITEM parent, HTREEITEM after, const char* text, LPARAM data)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(SendMessageA(w, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The first `count` texts (all by default) as items at the root.
void FillFlat(HWND w, const std::vector<std::string>& texts, size_t count = SIZE_MAX)
{
    for (size_t i = 0; i < std::min(count, texts.size()); ++i)
        Insert(w, TVI_ROOT, TVI_LAST, texts[i].c_str(), LPARAM(i));
}

// One case: set-up (untimed), the timed part, clean-up (untimed).
struct Case {
    const char* name;
    Kind peer;
    std::function<void(HWND)> setup;
    std::function<void(HWND)> run;
    bool destroys = false;  // run destroys the window itself
};

void Run(benchmark::State& state, const Case& c, Kind kind)
{
    for (auto _ : state) {
        state.PauseTiming();
        const HWND w = Make(kind);
        // Filling is not the case: without redraw it is quick on both sides.
        SendMessageA(w, WM_SETREDRAW, FALSE, 0);
        if (c.setup)
            c.setup(w);
        SendMessageA(w, WM_SETREDRAW, TRUE, 0);
        Pump();
        state.ResumeTiming();
        c.run(w);
        state.PauseTiming();
        if (!c.destroys)
            DestroyWindow(w);
        Pump();
        state.ResumeTiming();
    }
}

int CALLBACK ByData(LPARAM a, LPARAM b, LPARAM) { return a < b ? -1 : a > b ? 1 : 0; }

void AddColumns(HWND w, Kind kind)
{
    const char* names[] = {"Name", "Größe", "Typ"};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA lv = {};
        lv.mask = LVCF_WIDTH | LVCF_TEXT;
        lv.cx = 180;
        lv.pszText = const_cast<char*>(names[c]);
        SendMessageA(w, kind == Kind::kListView ? LVM_INSERTCOLUMNA : TLM_INSERTCOLUMN, c, reinterpret_cast<LPARAM>(&lv));
    }
}

// Rows with two further cells, as a tree list or as list-view rows.
void FillRows(HWND w, Kind kind, int n)
{
    char text[32], size[16];
    for (int i = 0; i < n; ++i) {
        std::snprintf(text, sizeof(text), "Datei %d.txt", i);
        std::snprintf(size, sizeof(size), "%d KB", i % 977);
        if (kind == Kind::kListView) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            const int row = int(SendMessageA(w, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            item.iItem = row;
            item.iSubItem = 1;
            item.pszText = size;
            SendMessageA(w, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            item.iSubItem = 2;
            item.pszText = const_cast<char*>("Datei");
            SendMessageA(w, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        } else {
            const HTREEITEM h = Insert(w, TVI_ROOT, TVI_LAST, text, i);
            TVITEMA tv = {};
            tv.mask = TVIF_TEXT | TVIF_SUBITEM;
            tv.hItem = h;
            tv.cChildren = 1;
            tv.pszText = size;
            SendMessageA(w, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
            tv.cChildren = 2;
            tv.pszText = const_cast<char*>("Datei");
            SendMessageA(w, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        }
    }
}

void PaintPages(HWND w)
{
    for (int i = 0; i < kPaints; ++i) {
        InvalidateRect(w, nullptr, TRUE);
        UpdateWindow(w);
    }
}


// Shift+End from the first row with multiple selection and the selection
// always scrolled into view: the list-view peer selects the same range in
// report mode.
void HoldShift(bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

Case ShiftEnd(int rows, Kind kind)
{
    const std::string name = "ShiftEnd" + std::to_string(rows / 1000) + "k/showSelAlways";
    Case c{nullptr, Kind::kListView, nullptr, nullptr};
    static std::deque<std::string> names;  // the cases keep pointers to them
    names.push_back(name);
    c.name = names.back().c_str();
    if (kind == Kind::kListView) {
        c.setup = [rows](HWND w) {
            SetWindowLongA(w, GWL_STYLE, GetWindowLongA(w, GWL_STYLE) | LVS_SHOWSELALWAYS);
            AddColumns(w, Kind::kListView);
            FillRows(w, Kind::kListView, rows);
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
            SendMessageA(w, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        };
    } else {
        c.setup = [rows](HWND w) {
            SetWindowLongA(w, GWL_STYLE, GetWindowLongA(w, GWL_STYLE) | TVS_SHOWSELALWAYS);
            SendMessageA(w, TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
            AddColumns(w, Kind::kTreeList);
            FillRows(w, Kind::kTreeList, rows);
            SendMessageA(w, TVM_SELECTITEM, TVGN_CARET, SendMessageA(w, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        };
    }
    c.run = [](HWND w) {
        SetFocus(w);
        HoldShift(true);
        SendMessageA(w, WM_KEYDOWN, VK_END, 0);
        HoldShift(false);
        UpdateWindow(w);
        Pump();
    };
    return c;
}

const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> texts = RandomTexts(kBig, 1);
    return texts;
}

// The cases with both sides; columns compare with the list view.
std::vector<std::pair<Case, Case>> Cases()
{
    const std::vector<Case> cases = {
        {"Insert10kAtEnd/redrawOn", Kind::kTreeView, nullptr, [](HWND w) {
             FillFlat(w, Texts(), size_t(kTenth));
             Pump();
         }},
        {"Insert100kAtEnd/redrawOff", Kind::kTreeView, nullptr, [](HWND w) {
             SendMessageA(w, WM_SETREDRAW, FALSE, 0);
             FillFlat(w, Texts());
             SendMessageA(w, WM_SETREDRAW, TRUE, 0);
             Pump();
         }},
        {"Insert10kAtFront/redrawOff", Kind::kTreeView, nullptr, [](HWND w) {
             SendMessageA(w, WM_SETREDRAW, FALSE, 0);
             for (int i = 0; i < kTenth; ++i)
                 Insert(w, TVI_ROOT, TVI_FIRST, Texts()[size_t(i)].c_str(), 0);
             SendMessageA(w, WM_SETREDRAW, TRUE, 0);
             Pump();
         }},
        {"ExpandAll100x100", Kind::kTreeView,
         [](HWND w) {
             for (int p = 0; p < kParents; ++p) {
                 const HTREEITEM parent = Insert(w, TVI_ROOT, TVI_LAST, Texts()[size_t(p)].c_str(), p);
                 for (int c = 0; c < kChildren; ++c)
                     Insert(w, parent, TVI_LAST, Texts()[size_t(p * kChildren + c)].c_str(), c);
             }
         },
         [](HWND w) {
             for (HTREEITEM h = reinterpret_cast<HTREEITEM>(SendMessageA(w, TVM_GETNEXTITEM, TVGN_ROOT, 0)); h;
                  h = reinterpret_cast<HTREEITEM>(SendMessageA(w, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(h))))
                 SendMessageA(w, TVM_EXPAND, TVE_EXPAND, LPARAM(h));
             Pump();
         }},
        {"GetItem100k", Kind::kTreeView, [](HWND w) { FillFlat(w, Texts()); },
         [](HWND w) {
             // 1,000 items spread over the whole list.
             std::vector<HTREEITEM> items;
             size_t index = 0;
             const size_t step = size_t(kBig) / 1000;
             for (HTREEITEM h = reinterpret_cast<HTREEITEM>(SendMessageA(w, TVM_GETNEXTITEM, TVGN_ROOT, 0)); h;
                  h = reinterpret_cast<HTREEITEM>(SendMessageA(w, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(h))), ++index)
                 if (index % step == 0)
                     items.push_back(h);
             char buffer[64];
             TVITEMA tv = {};
             for (int i = 0; i < kGets; ++i) {
                 tv.mask = TVIF_TEXT | TVIF_STATE | TVIF_PARAM;
                 tv.hItem = items[size_t(i) % items.size()];
                 tv.stateMask = 0xFFFF;
                 tv.pszText = buffer;
                 tv.cchTextMax = sizeof(buffer);
                 SendMessageA(w, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
             }
         }},
        {"SortChildren100k", Kind::kTreeView, [](HWND w) { FillFlat(w, Texts()); },
         [](HWND w) { SendMessageA(w, TVM_SORTCHILDREN, 0, LPARAM(TVI_ROOT)); }},
        {"SortChildrenCB100k", Kind::kTreeView,
         [](HWND w) {
             for (int i = 0; i < kBig; ++i)
                 Insert(w, TVI_ROOT, TVI_LAST, "x", LPARAM(std::hash<std::string>()(Texts()[size_t(i)]) & 0x7FFFFFFF));
         },
         [](HWND w) {
             TVSORTCB sort = {TVI_ROOT, &ByData, 0};
             SendMessageA(w, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
         }},
        {"DeleteAll100k", Kind::kTreeView, [](HWND w) { FillFlat(w, Texts()); },
         [](HWND w) {
             SendMessageA(w, TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
             Pump();
         }},
        {"DestroyWindow100k", Kind::kTreeView, [](HWND w) { FillFlat(w, Texts()); },
         [](HWND w) {
             DestroyWindow(w);
             Pump();
         },
         true},
        {"PaintPage/x50", Kind::kTreeView, [](HWND w) { FillFlat(w, Texts()); }, [](HWND w) { PaintPages(w); }},
    };
    std::vector<std::pair<Case, Case>> both;
    for (const Case& c : cases)
        both.push_back({c, c});
    // Rows with two further cells: tree-list columns against list-view columns.
    const auto fillRows = [](Kind kind) {
        return [kind](HWND w) {
            SendMessageA(w, WM_SETREDRAW, FALSE, 0);
            FillRows(w, kind, kBig);
            SendMessageA(w, WM_SETREDRAW, TRUE, 0);
            Pump();
        };
    };
    Case insertOurs{"InsertRowsWithCells100k/redrawOff", Kind::kListView,
                    [](HWND w) { AddColumns(w, Kind::kTreeList); }, fillRows(Kind::kTreeList)};
    Case insertPeer{"InsertRowsWithCells100k/redrawOff", Kind::kListView,
                    [](HWND w) { AddColumns(w, Kind::kListView); }, fillRows(Kind::kListView)};
    both.push_back({insertOurs, insertPeer});
    Case paintOurs{"PaintPageThreeColumns/x50", Kind::kListView,
                   [](HWND w) {
                       AddColumns(w, Kind::kTreeList);
                       FillRows(w, Kind::kTreeList, 1000);
                   },
                   [](HWND w) { PaintPages(w); }};
    Case paintPeer{"PaintPageThreeColumns/x50", Kind::kListView,
                   [](HWND w) {
                       AddColumns(w, Kind::kListView);
                       FillRows(w, Kind::kListView, 1000);
                   },
                   [](HWND w) { PaintPages(w); }};
    both.push_back({paintOurs, paintPeer});
    for (const int rows : {kBig / 100, kTenth, kBig})
        both.push_back({ShiftEnd(rows, Kind::kTreeList), ShiftEnd(rows, Kind::kListView)});
    return both;
}

// Registered before main: the frame window the controls live in is made
// with the first registration.
const bool g_registered = [] {
    TreeListRegister(GetModuleHandleA(nullptr));
    g_frame = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, kWidth + 40, kHeight + 60,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (const auto& [ours, peer] : Cases()) {
        const std::string name = ours.name;
        benchmark::RegisterBenchmark((name + "/ours").c_str(), [ours = ours](benchmark::State& s) {
            Run(s, ours, Kind::kTreeList);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "/peer").c_str(), [peer = peer](benchmark::State& s) {
            Run(s, peer, peer.peer);
        })->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
