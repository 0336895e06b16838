// SSE2 for the conversion, scaling and rotation kernels. The 64-bit build
// always has it; the 32-bit build checks the processor once and otherwise
// keeps the portable loops, which compute the same bytes.
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define LINDAR_CONVERT_SSE2 __attribute__((target("sse2")))
#endif

namespace graphics_detail {

inline bool ConvertHaveSse2()
{
#if defined(__SSE2__)
    return true;
#elif defined(LINDAR_CONVERT_SSE2)
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return have;
#else
    return false;
#endif
}

}  // namespace graphics_detail
