#include "graphics/cpu_features.h"

namespace graphics_detail {

#if defined(__i386__) || defined(__x86_64__)

bool HaveSse2()
{
#ifdef __SSE2__
    return true;
#else
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return have;
#endif
}

bool HaveAvx2()
{
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
}

#else

bool HaveSse2() { return false; }
bool HaveAvx2() { return false; }

#endif

}  // namespace graphics_detail
