// Opening the tree choice dialog with many rows and cells ("<case>/ours")
// against inserting the same rows and cells into a bare TreeList with redraw
// off ("<case>/peer"), in the same process (Windows build, under Wine: bash
// tools/bench.sh --windows tree_select_bench). The dialog's opening counts
// from DoModal until it is shown and painted; the bare list's from its
// creation until it is filled and painted. Filling the dialog's table
// beforehand and closing the windows are not timed (under Wine without a
// window manager, closing a top-level window waits 2 s for one). The goal:
// peer/ours at least 1/3.
#include <benchmark/benchmark.h>

#include "platform/win32/win.h"

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_items.h"
#include "bench/modal_bench.h"
#include "ui/dialogs/tree_select_dlg.h"
#include "ui/treelist/win32/treelist_window.h"

namespace {

// LINDAR_BENCH_ITEMS scales the rows, as in the TreeList window bench.
int Rows() { return BenchItems(); }

struct Column {
    const char* text;
    int16_t width;
};
const Column kColumns[] = {{"Name", 160}, {"Größe", 80}, {"Typ", 80}};
constexpr DWORD kListStyle = 0x50011010;  // as the dialog makes its list
constexpr int kListWidth = 340, kListHeight = 230;

// The rows' texts, made once: the first column and the two further cells.
struct RowTexts {
    std::vector<std::string> name, size;
};
const RowTexts& Texts()
{
    static const RowTexts texts = [] {
        RowTexts t;
        char buffer[32];
        for (int i = 0; i < Rows(); ++i) {
            std::snprintf(buffer, sizeof buffer, "Datei %d.txt", i);
            t.name.push_back(buffer);
            std::snprintf(buffer, sizeof buffer, "%d KB", i % 977);
            t.size.push_back(buffer);
        }
        return t;
    }();
    return texts;
}

void OpenDialog(benchmark::State& state)
{
    const RowTexts& t = Texts();
    CWnd owner;
    owner.Attach(BenchDialogOwner());
    for (auto _ : state) {
        state.PauseTiming();
        CTreeSelectDlg dialog(&owner);
        for (const Column& c : kColumns)
            dialog.AddColumn(c.text, c.width, 0, 0);
        for (int i = 0; i < Rows(); ++i) {
            const int index = dialog.AddItem(-1, uint32_t(i), t.name[size_t(i)].c_str(), 0);
            dialog.SetCellText(index, t.size[size_t(i)].c_str(), 1);
            dialog.SetCellText(index, "Datei", 2);
        }
        // The clock stops once the dialog is shown and painted.
        bool timing = true;
        BenchIdleStep() = [&](HWND) {
            state.PauseTiming();
            timing = false;
        };
        state.ResumeTiming();
        dialog.DoModal();
        if (timing)
            state.PauseTiming();  // it never went idle
        BenchIdleStep() = nullptr;
        PumpBenchMessages();
        state.ResumeTiming();
    }
    owner.Detach();
    state.SetItemsProcessed(state.iterations() * Rows());
}

void InsertIntoTreeList(benchmark::State& state)
{
    const RowTexts& t = Texts();
    for (auto _ : state) {
        const HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "TreeList", nullptr, kListStyle, 0, 0, kListWidth,
                                          kListHeight, BenchDialogOwner(), nullptr, GetModuleHandleA(nullptr), nullptr);
        for (int c = 0; c < 3; ++c) {
            LVCOLUMNA lv = {};
            lv.mask = LVCF_WIDTH | LVCF_TEXT;
            lv.cx = kColumns[c].width;
            lv.pszText = const_cast<char*>(kColumns[c].text);
            SendMessageA(list, TLM_INSERTCOLUMN, WPARAM(c), reinterpret_cast<LPARAM>(&lv));
        }
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < Rows(); ++i) {
            TVINSERTSTRUCTA insert = {};
            insert.hParent = TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT | TVIF_PARAM;
            insert.item.pszText = const_cast<char*>(t.name[size_t(i)].c_str());
            insert.item.lParam = i;
            TVITEMA tv = {};
            tv.mask = TVIF_TEXT | TVIF_SUBITEM;
            tv.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(list, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
            tv.cChildren = 1;
            tv.pszText = const_cast<char*>(t.size[size_t(i)].c_str());
            SendMessageA(list, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
            tv.cChildren = 2;
            tv.pszText = const_cast<char*>("Datei");
            SendMessageA(list, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        UpdateWindow(list);
        state.PauseTiming();
        DestroyWindow(list);
        PumpBenchMessages();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Rows());
}

const bool g_registered = [] {
    TreeListRegister(GetModuleHandleA(nullptr));
    benchmark::RegisterBenchmark("TreeSelectOpenRowsWithCells100k/ours", &OpenDialog)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TreeSelectOpenRowsWithCells100k/peer", &InsertIntoTreeList)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
