// libFuzzer target: LoadGraphicsFromMemory over any input, so every format
// in the dispatchers' table is reached through its classifier. A load must
// end in a result code, never in a crash, leak or undefined behaviour; a
// loaded image must be whole.
//
// Seeds: fuzz/corpus/load_graphics/, written by the tests' generators
// (build/tests/graphics/make_codec_corpus fuzz/corpus/load_graphics).
#include "graphics/formats/format_dispatch.h"
#include "graphics/image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A file may claim an image of up to 32768 x 32768 pixels. The dispatcher
// refuses what memory cannot hold; here, as in a 32-bit process, more than a
// gigabyte cannot be had, so such claims end as "Zu wenig Speicher" rather
// than as the fuzzer's out-of-memory report.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    CGraphicsImage image;
    char* comment = nullptr;
    if (LoadGraphicsFromMemory(data, uint32_t(size), image, &comment) == 0) {
        if (!image.m_pBits || image.m_nWidth == 0 || image.m_nHeight == 0)
            std::abort();
        // Every row must be readable: the first and last bytes of each.
        volatile uint8_t sink = 0;
        for (uint32_t y = 0; y < image.m_nHeight; ++y)
            sink = uint8_t(sink ^ image.RowAt(int(y))[0] ^ image.RowAt(int(y))[image.m_nStride - 1]);
    }
    delete[] comment;
    return 0;
}
