#include "graphics/cpu_features.h"

#include <atomic>

namespace graphics_detail {
namespace {

std::atomic<VectorLevel> g_cap{VectorLevel::Avx2};

bool Allowed(VectorLevel level) { return g_cap.load(std::memory_order_relaxed) >= level; }

}  // namespace

void CapVectorLevel(VectorLevel level) { g_cap.store(level, std::memory_order_relaxed); }
VectorLevel VectorLevelCap() { return g_cap.load(std::memory_order_relaxed); }

#if defined(__i386__) || defined(__x86_64__)

bool HaveSse2()
{
#ifdef __SSE2__
    return Allowed(VectorLevel::Sse2);
#else
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return have && Allowed(VectorLevel::Sse2);
#endif
}

bool HaveSsse3()
{
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return have && Allowed(VectorLevel::Ssse3);
}

bool HaveAvx2()
{
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have && Allowed(VectorLevel::Avx2);
}

#else

bool HaveSse2() { return false; }
bool HaveSsse3() { return false; }
bool HaveAvx2() { return false; }

#endif

}  // namespace graphics_detail
