// The item count of the benchmarks that fill windows: LINDAR_BENCH_ITEMS
// (at least 1,000), else 100,000.
#pragma once

#include <cstdlib>

inline int BenchItems()
{
    static const int items = [] {
        const char* value = std::getenv("LINDAR_BENCH_ITEMS");
        const int n = value ? std::atoi(value) : 0;
        return n >= 1000 ? n : 100000;
    }();
    return items;
}
