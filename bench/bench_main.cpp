// Benchmark main that runs every benchmark and then prints, for each pair
// named "<case>/ours" and "<case>/peer", the ratio of the peer's time to ours
// (above 1: we are faster).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

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
            auto& entry = m_cases[name.substr(0, slash)];
            if (side == "ours")
                entry.first = run.GetAdjustedRealTime();
            else if (side == "peer")
                entry.second = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-48s %12s\n", "case", "peer/ours");
        for (const auto& [name, times] : m_cases)
            if (times.first > 0 && times.second > 0)
                std::printf("%-48s %12.2f\n", name.c_str(), times.second / times.first);
    }

private:
    std::map<std::string, std::pair<double, double>> m_cases;
};

}  // namespace

int main(int argc, char** argv)
{
    // A quarter second per case instead of Google Benchmark's half keeps
    // every program under a minute; a --benchmark_min_time given wins, as
    // it comes later.
    std::vector<char*> args(argv, argv + argc);
    char minTime[] = "--benchmark_min_time=0.25";
    args.insert(args.begin() + 1, minTime);
    args.push_back(nullptr);
    int count = argc + 1;
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
