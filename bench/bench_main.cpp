// Benchmark main that runs every benchmark and then prints, for each pair
// named "<case>/ours" and "<case>/peer", the ratio of the peer's time to ours
// (above 1: we are faster). With --benchmark_repetitions the ratio is that of
// the medians of the repetitions, so one disturbed run on a shared machine
// does not decide, and the repetitions of both sides run interleaved in a
// random order, so a slow spell of the machine falls on both; "spread" is
// the middle half (25th to 75th percentile) of the ratios of every peer
// repetition to every one of ours, "best" the ratio of the fastest runs.
// Pairs declared with AddScalingRow get a second table: how each side's
// throughput grows from one thread to many, and ours against the peer's.
#include "bench/bench_ratios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Times {
    std::vector<double> ours, peer;        // seconds per iteration
    std::vector<double> oursRate, peerRate;  // items per second
};

struct ScalingRow {
    std::string many, one;
};

std::vector<ScalingRow>& ScalingRows()
{
    static std::vector<ScalingRow> rows;
    return rows;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The p-th fraction (0..1) of sorted values, by nearest rank.
double Percentile(const std::vector<double>& sorted, double p)
{
    return sorted[size_t(p * double(sorted.size() - 1) + 0.5)];
}

// "lo-hi": the middle half of the ratios of every peer time to every one of
// ours; "-" without repetitions.
std::string Spread(const Times& t)
{
    if (t.ours.size() < 2 || t.peer.size() < 2)
        return "-";
    std::vector<double> ratios;
    for (const double peer : t.peer)
        for (const double ours : t.ours)
            ratios.push_back(peer / ours);
    std::sort(ratios.begin(), ratios.end());
    char text[32];
    std::snprintf(text, sizeof text, "%.2f-%.2f", Percentile(ratios, 0.25), Percentile(ratios, 0.75));
    return text;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            // The name as registered, without what repetitions or warm-up add to it.
            const std::string name = run.run_name.function_name;
            const auto slash = name.rfind('/');
            if (slash == std::string::npos)
                continue;
            const std::string side = name.substr(slash + 1);
            Times& times = m_cases[name.substr(0, slash)];
            const auto rate = run.counters.find("items_per_second");
            const double items = rate == run.counters.end() ? 0 : double(rate->second);
            if (side == "ours") {
                times.ours.push_back(run.GetAdjustedRealTime());
                times.oursRate.push_back(items);
            } else if (side == "peer") {
                times.peer.push_back(run.GetAdjustedRealTime());
                times.peerRate.push_back(items);
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-48s %12s %10s %8s\n", "case", "peer/ours", "spread", "best");
        for (const auto& [name, t] : m_cases)
            if (!t.ours.empty() && !t.peer.empty())
                std::printf("%-48s %12.2f %10s %8.2f\n", name.c_str(), Median(t.peer) / Median(t.ours),
                            Spread(t).c_str(), Best(t.peer) / Best(t.ours));
        PrintScaling();
    }

    // Speed-up of each side: median items per second of the many-thread case
    // over the one-thread case.
    void PrintScaling() const
    {
        bool header = false;
        for (const ScalingRow& row : ScalingRows()) {
            const auto many = m_cases.find(row.many), one = m_cases.find(row.one);
            if (many == m_cases.end() || one == m_cases.end())
                continue;
            const Times &m = many->second, &o = one->second;
            if (m.oursRate.empty() || m.peerRate.empty() || o.oursRate.empty() || o.peerRate.empty())
                continue;
            const double ours = Median(m.oursRate) / Median(o.oursRate);
            const double peer = Median(m.peerRate) / Median(o.peerRate);
            if (!header) {
                std::printf("\n%-48s %8s %8s %10s\n", "scaling", "ours", "peer", "ours/peer");
                header = true;
            }
            std::printf("%-48s %8.2f %8.2f %10.2f\n", row.many.c_str(), ours, peer, ours / peer);
        }
    }

private:
    std::map<std::string, Times> m_cases;
};

}  // namespace

void AddScalingRow(const std::string& many, const std::string& one)
{
    ScalingRows().push_back({many, one});
}

int main(int argc, char** argv)
{
    // A quarter second per case instead of Google Benchmark's half keeps
    // every program under a minute; repetitions (of the cases that ask for
    // them, or all with --benchmark_repetitions) run interleaved. Flags
    // given win, as they come later.
    std::vector<char*> args(argv, argv + argc);
    char minTime[] = "--benchmark_min_time=0.25";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {minTime, interleave});
    args.push_back(nullptr);
    int count = argc + 2;
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
