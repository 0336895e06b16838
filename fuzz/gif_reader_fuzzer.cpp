// libFuzzer target: CGifReader over any input from a memory stream. A read
// must end normally or in a graphics exception, never in a crash, leak,
// hang or undefined behaviour; an image it read must be whole.
#include "graphics/formats/gif_reader.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// As in a 32-bit process, more than a gigabyte cannot be had.
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
    if (size > INT32_MAX)
        return 0;
    CBufferedStream stream(32768);
    if (!stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        return 0;
    CGraphicsImage image;
    CGifReader reader;
    try {
        reader.Read(stream, image);
    } catch (const EGraphicsException&) {
        return 0;
    }
    if (!image.m_pBits || image.m_nBitCount != 8 || image.m_nWidth == 0 || image.m_nHeight == 0)
        std::abort();
    volatile uint8_t sink = 0;
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        sink = uint8_t(sink ^ image.RowAt(int(y))[0] ^ image.RowAt(int(y))[image.m_nWidth - 1]);
    if (reader.m_nTransparentIndex < -1 || reader.m_nTransparentIndex > 255)
        std::abort();
    return 0;
}
