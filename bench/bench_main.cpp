// Benchmark main that runs every benchmark and then prints, for each pair
// named "<case>/ours" and "<case>/peer", the ratio of the peer's time to ours
// (above 1: we are faster). With --benchmark_repetitions the ratio is that of
// the medians of the repetitions, so one disturbed run on a shared machine
// does not decide; "best" is the ratio of the fastest runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Times {
    std::vector<double> ours, peer;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const std::string name = run.benchmark_name();
            const auto slash = name.rfind('/');
            if (slash == std::string::npos)
                continue;
            const std::string side = name.substr(slash + 1);
            Times& times = m_cases[name.substr(0, slash)];
            if (side == "ours")
                times.ours.push_back(run.GetAdjustedRealTime());
            else if (side == "peer")
                times.peer.push_back(run.GetAdjustedRealTime());
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-48s %12s %8s\n", "case", "peer/ours", "best");
        for (const auto& [name, t] : m_cases)
            if (!t.ours.empty() && !t.peer.empty())
                std::printf("%-48s %12.2f %8.2f\n", name.c_str(), Median(t.peer) / Median(t.ours),
                            Best(t.peer) / Best(t.ours));
    }

private:
    std::map<std::string, Times> m_cases;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
