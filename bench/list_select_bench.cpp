// "Alles auswählen" in the list choice dialog's multiple choice with 1,000,
// 10,000 and 100,000 rows ("<case>/ours"), from the command until the list
// is painted, against selecting every row of a bare multiple-selection list
// box in one LB_SETSEL and painting it ("<case>/peer"), in the same process
// (Windows build, under Wine: bash tools/bench.sh --windows
// list_select_bench). Opening the dialog and filling the list are not
// timed. The goal: one paint for the range, so the time grows with the rows
// as the peer's does, not with a repaint per row.
#include <benchmark/benchmark.h>

#include "platform/win32/win.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "bench/modal_bench.h"
#include "ui/dialogs/list_select_dlg.h"

namespace {

constexpr int kSizes[] = {1000, 10000, 100000};
constexpr int kListWidth = 340, kListHeight = 230;

const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        char buffer[32];
        for (int i = 0; i < kSizes[std::size(kSizes) - 1]; ++i) {
            std::snprintf(buffer, sizeof buffer, "Ebene %06d", i);
            t.push_back(buffer);
        }
        return t;
    }();
    return texts;
}

void SelectAllInDialog(benchmark::State& state, int rows)
{
    CWnd owner;
    owner.Attach(BenchDialogOwner());
    for (auto _ : state) {
        state.PauseTiming();
        CListSelectDlg dialog(&owner);
        dialog.SetMode(1);
        for (int i = 0; i < rows; ++i)
            dialog.AddItem(-1, uint32_t(i), Texts()[size_t(i)].c_str(), 0);
        BenchIdleStep() = [&](HWND top) {
            state.ResumeTiming();
            SendMessageA(top, WM_COMMAND, kChoiceSelectAll, 0);
            RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            state.PauseTiming();
        };
        dialog.DoModal();
        BenchIdleStep() = nullptr;
        PumpBenchMessages();
        state.ResumeTiming();
    }
    owner.Detach();
    state.SetItemsProcessed(state.iterations() * rows);
}

void SelectAllInListBox(benchmark::State& state, int rows)
{
    for (auto _ : state) {
        state.PauseTiming();
        const HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", nullptr,
                                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_MULTIPLESEL,
                                          0, 0, kListWidth, kListHeight, BenchDialogOwner(), nullptr,
                                          GetModuleHandleA(nullptr), nullptr);
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < rows; ++i)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Texts()[size_t(i)].c_str()));
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        UpdateWindow(list);
        state.ResumeTiming();
        SendMessageA(list, LB_SETSEL, TRUE, -1);
        UpdateWindow(list);
        state.PauseTiming();
        DestroyWindow(list);
        PumpBenchMessages();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

const bool g_registered = [] {
    for (const int rows : kSizes) {
        const std::string name = "ListSelectAll" + std::to_string(rows);
        benchmark::RegisterBenchmark((name + "/ours").c_str(), [rows](benchmark::State& s) {
            SelectAllInDialog(s, rows);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "/peer").c_str(), [rows](benchmark::State& s) {
            SelectAllInListBox(s, rows);
        })->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
