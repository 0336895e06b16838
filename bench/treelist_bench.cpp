// The TreeList core over a null host: inserts, expand-all, row/item
// lookups, sorting, deleting, dropping a column, hit tests, selecting and
// deselecting all, Shift+End, a missed incremental search and dropping 1,000
// selected items, at 10k, 100k and 1M items. Each operation must grow no
// worse than n log n; sorts report their comparisons (per n log2 n) as
// counters.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/treelist/treelist_insert_record.h"
#include "ui/treelist/core/treelist_internal.h"

namespace {

// The null host with a Shift key that the benchmark holds down.
class BenchHost : public TreeListNullHost {
public:
    bool KeyHeld(int key) override { return key == VK_SHIFT && shift; }
    bool shift = false;
};

class Control {
public:
    Control() : d(TreeListCreate(&host, TVS_HASBUTTONS | TVS_HASLINES, 400, 600)) { d->hasFocus = 1; }
    ~Control()
    {
        {
            TreeListCall call(*d);
            TreeListDestroy(*d);
        }
        TreeListRelease(d);
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        LRESULT result = 0;
        TreeListHandleMessage(*d, message, wParam, lParam, result);
        return result;
    }
    uint32_t Insert(uint32_t parent, const char* text, uint32_t after = kTreeListLast, LPARAM data = 0)
    {
        TVINSERTSTRUCTA ins = treelist_test::InsertRecord(parent, text, after, data);
        return uint32_t(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
    }
    // What the window's posted update would do: rows, bars, repaint.
    void Settle() { Send(TLM_DEFERREDUPDATE); }

    BenchHost host;
    TreeListData* d;
};

uint64_t Mix(uint64_t& s)
{
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
}

void Name(char* out, uint64_t v)
{
    std::snprintf(out, 16, "%08llx", static_cast<unsigned long long>(v));
}

// Inserts n items at `after` (end or front) and lets the rows settle once.
void Insert(benchmark::State& state, uint32_t after)
{
    const int n = int(state.range(0));
    char text[16];
    for (auto _ : state) {
        state.PauseTiming();
        auto* c = new Control;
        state.ResumeTiming();
        for (int i = 0; i < n; ++i) {
            Name(text, uint64_t(i));
            c->Insert(0, text, after);
        }
        c->Settle();
        benchmark::DoNotOptimize(c->d->rowCount);
        state.PauseTiming();
        delete c;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void InsertAtEnd(benchmark::State& state) { Insert(state, kTreeListLast); }
void InsertAtFront(benchmark::State& state) { Insert(state, kTreeListFirst); }

void ExpandAll(benchmark::State& state)
{
    const int n = int(state.range(0));
    const int parents = n / 100;
    for (auto _ : state) {
        state.PauseTiming();
        auto* c = new Control;
        for (int p = 0; p < parents; ++p) {
            const uint32_t h = c->Insert(0, "parent");
            for (int k = 0; k < 100; ++k)
                c->Insert(h, "child");
        }
        c->Settle();
        state.ResumeTiming();
        c->Send(TVM_EXPAND, TVE_EXPAND | TVE_ALLCHILDREN, LPARAM(kTreeListRoot));
        c->Settle();
        if (c->d->rowCount != uint32_t(parents * 101))
            state.SkipWithError("rows wrong");
        state.PauseTiming();
        delete c;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void RowItemLookups(benchmark::State& state)
{
    const int n = int(state.range(0));
    Control c;
    for (int i = 0; i < n; ++i)
        c.Insert(0, "x");
    c.Settle();
    constexpr int kLookups = 1000000;
    uint64_t seed = 99;
    for (auto _ : state) {
        uint64_t sum = 0;
        for (int i = 0; i < kLookups / 2; ++i) {
            const uint32_t row = uint32_t(Mix(seed) % uint64_t(n));
            const uint32_t h = uint32_t(c.Send(TLM_GETITEMOFROW, 0, LPARAM(row)));
            sum += uint64_t(c.Send(TLM_GETROWOFITEM, 0, LPARAM(h)));
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kLookups);
}

long g_compares;
int CALLBACK CompareTexts(LPARAM a, LPARAM b, LPARAM)
{
    ++g_compares;
    return TreeListCompareTexts(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b));
}

// Texts: 0 random, 1 all equal, 2 half of them one duplicate text.
std::vector<std::string> Texts(int n, int kind)
{
    std::vector<std::string> texts;
    texts.resize(size_t(n));
    uint64_t seed = 12345;
    char text[16];
    for (int i = 0; i < n; ++i) {
        if (kind == 1 || (kind == 2 && i % 2))
            std::strcpy(text, "same text");
        else
            Name(text, Mix(seed));
        texts[size_t(i)] = text;
    }
    return texts;
}

void Sort(benchmark::State& state, bool callback)
{
    const int n = int(state.range(0));
    const int kind = int(state.range(1));
    const std::vector<std::string> texts = Texts(n, kind);
    long compares = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* c = new Control;
        for (int i = 0; i < n; ++i)
            c->Insert(0, texts[size_t(i)].c_str(), kTreeListLast, reinterpret_cast<LPARAM>(texts[size_t(i)].c_str()));
        c->Settle();
        g_compares = 0;
        state.ResumeTiming();
        if (callback) {
            TVSORTCB sort{};
            sort.hParent = TVI_ROOT;
            sort.lpfnCompare = CompareTexts;
            c->Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
        } else {
            c->Send(TVM_SORTCHILDREN, 0, LPARAM(kTreeListRoot));
        }
        c->Settle();
        state.PauseTiming();
        compares = g_compares;
        delete c;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    if (callback) {
        state.counters["compares"] = double(compares);
        state.counters["per_nlog2n"] = double(compares) / (double(n) * std::log2(double(n)));
    }
}

void SortTexts(benchmark::State& state) { Sort(state, false); }
void SortCallback(benchmark::State& state) { Sort(state, true); }

void DeleteAll(benchmark::State& state)
{
    const int n = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto* c = new Control;
        for (int i = 0; i < n; ++i)
            c->Insert(0, "item text");
        c->Settle();
        state.ResumeTiming();
        c->Send(TVM_DELETEITEM, 0, LPARAM(kTreeListRoot));
        c->Settle();
        state.PauseTiming();
        delete c;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void DeleteColumn(benchmark::State& state)
{
    const int n = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto* c = new Control;
        LVCOLUMNA lv{};
        lv.mask = LVCF_WIDTH;
        lv.cx = 100;
        c->Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&lv));
        c->Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&lv));
        TVITEMA tv{};
        tv.mask = TVIF_TEXT | TVIF_SUBITEM;
        tv.cChildren = 1;
        tv.pszText = const_cast<char*>("cell text");
        for (int i = 0; i < n; ++i) {
            tv.hItem = TreeListHtreeOf(c->Insert(0, "x"));
            c->Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        }
        c->Settle();
        state.ResumeTiming();
        c->Send(TLM_DELETECOLUMN, 1);
        state.PauseTiming();
        delete c;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// n root items named by their number in hex, settled.
Control* Filled(int n)
{
    auto* c = new Control;
    char text[16];
    for (int i = 0; i < n; ++i) {
        Name(text, uint64_t(i));
        c->Insert(0, text);
    }
    c->Settle();
    return c;
}

constexpr int kHitPoints = 100000;

// Random points over the window (and a little outside), scrolled to the
// middle of n rows: each hit test costs the same whatever n is.
void HitTest(benchmark::State& state)
{
    const int n = int(state.range(0));
    Control* c = Filled(n);
    c->Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, LPARAM(c->d->rowItems[n / 2]));
    uint64_t seed = 7;
    for (auto _ : state) {
        uint64_t sum = 0;
        for (int i = 0; i < kHitPoints; ++i) {
            TVHITTESTINFO info{};
            info.pt.x = LONG(Mix(seed) % 420) - 10;
            info.pt.y = LONG(Mix(seed) % 620) - 10;
            sum += uint64_t(c->Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))) + info.flags;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kHitPoints);
    delete c;
}

// TLM_SELECTCHILDREN over the whole tree: select all (flags 1) or, after
// selecting all, deselect all (flags 3).
void SelectChildren(benchmark::State& state, bool deselect)
{
    const int n = int(state.range(0));
    Control* c = Filled(n);
    c->Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
    for (auto _ : state) {
        if (deselect) {
            state.PauseTiming();
            c->Send(TLM_SELECTCHILDREN, 1, LPARAM(kTreeListRoot));
            state.ResumeTiming();
        }
        c->Send(TLM_SELECTCHILDREN, deselect ? 3 : 1, LPARAM(kTreeListRoot));
        if (c->d->selectedCount != (deselect ? 0u : uint32_t(n)))
            state.SkipWithError("selection wrong");
        if (!deselect) {
            state.PauseTiming();
            c->Send(TLM_SELECTCHILDREN, 3, LPARAM(kTreeListRoot));
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
    delete c;
}

void SelectAll(benchmark::State& state) { SelectChildren(state, false); }
void DeselectAll(benchmark::State& state) { SelectChildren(state, true); }

// A single select after select-all: every other item is toggled off.
void SelectOneOfAll(benchmark::State& state)
{
    const int n = int(state.range(0));
    Control* c = Filled(n);
    c->Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
    for (auto _ : state) {
        state.PauseTiming();
        c->Send(TLM_SELECTCHILDREN, 1, LPARAM(kTreeListRoot));
        state.ResumeTiming();
        {
            TreeListCall call(*c->d);
            TreeListSelect(*c->d, c->d->rowItems[n / 2], 0, kTreeListSelectSingle);
        }
        if (c->d->selectedCount != 1)
            state.SkipWithError("selection wrong");
    }
    state.SetItemsProcessed(state.iterations() * n);
    delete c;
}

// Shift+End from the first row: every row is selected, one by one.
void ShiftEnd(benchmark::State& state)
{
    const int n = int(state.range(0));
    Control* c = Filled(n);
    c->Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
    for (auto _ : state) {
        state.PauseTiming();
        c->Send(TLM_SELECTCHILDREN, 3, LPARAM(kTreeListRoot));
        c->host.shift = false;
        c->Send(WM_KEYDOWN, VK_HOME);
        c->host.shift = true;
        state.ResumeTiming();
        c->Send(WM_KEYDOWN, VK_END);
        if (c->d->selectedCount != uint32_t(n) || c->d->caretItem != c->d->rowItems[n - 1])
            state.SkipWithError("range wrong");
    }
    state.SetItemsProcessed(state.iterations() * n);
    delete c;
}

// A typed letter that no row begins with: one pass over every row.
void MissedSearch(benchmark::State& state)
{
    const int n = int(state.range(0));
    Control* c = Filled(n);
    for (auto _ : state) {
        TreeListResetSearch();
        c->Send(WM_CHAR, 'z');
        if (c->d->caretItem != 0)
            state.SkipWithError("found something");
    }
    state.SetItemsProcessed(state.iterations() * n);
    delete c;
}

// 1,000 selected items spread over the tree are dropped into one item.
void DropSelected(benchmark::State& state)
{
    const int n = int(state.range(0));
    constexpr int kDropped = 1000;
    for (auto _ : state) {
        state.PauseTiming();
        Control* c = Filled(n);
        c->Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
        const uint32_t target = c->d->rowItems[1];
        {
            TreeListCall call(*c->d);
            for (int i = 0; i < kDropped; ++i)
                TreeListSelect(*c->d, c->d->rowItems[2 + size_t(i) * size_t(n - 2) / kDropped], 0, 0);
        }
        state.ResumeTiming();
        int moved;
        {
            TreeListCall call(*c->d);
            moved = TreeListDropItems(*c->d, target, c->d->caretItem, MK_CONTROL, POINT{10, 10});
        }
        c->Settle();
        if (moved != kDropped || c->d->rowCount != uint32_t(n))
            state.SkipWithError("drop wrong");
        state.PauseTiming();
        delete c;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

constexpr int64_t kSizes[] = {10000, 100000, 1000000};

void Sizes(benchmark::internal::Benchmark* b)
{
    for (int64_t n : kSizes)
        b->Arg(n);
    b->Unit(benchmark::kMillisecond)->Iterations(3);
}

void SortSizes(benchmark::internal::Benchmark* b)
{
    for (int64_t n : kSizes)
        for (int kind = 0; kind < 3; ++kind)
            b->Args({n, kind});
    b->ArgNames({"n", "kind"})->Unit(benchmark::kMillisecond)->Iterations(2);
}

BENCHMARK(InsertAtEnd)->Apply(Sizes);
BENCHMARK(InsertAtFront)->Apply(Sizes);
BENCHMARK(ExpandAll)->Apply(Sizes);
BENCHMARK(RowItemLookups)->Apply(Sizes);
BENCHMARK(SortTexts)->Apply(SortSizes);
BENCHMARK(SortCallback)->Apply(SortSizes);
BENCHMARK(DeleteAll)->Apply(Sizes);
BENCHMARK(DeleteColumn)->Apply(Sizes);
BENCHMARK(HitTest)->Apply(Sizes);
BENCHMARK(SelectAll)->Apply(Sizes);
BENCHMARK(DeselectAll)->Apply(Sizes);
BENCHMARK(SelectOneOfAll)->Apply(Sizes);
BENCHMARK(ShiftEnd)->Apply(Sizes);
BENCHMARK(MissedSearch)->Apply(Sizes);
BENCHMARK(DropSelected)->Apply(Sizes);

}  // namespace
