// libFuzzer target: CEpsReader over any input (DOS EPS headers, hex forms,
// TIFF previews), read at a non-zero stream
// offset half of the time (as inside another file). A read ends
// in an image or an EEps... exception / EGraphicsException, never a crash, a hang
// or an allocation the data cannot justify.
#include "graphics/formats/eps_reader.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > INT32_MAX)
        return 0;
    // An odd first byte: the file starts one byte in.
    const int32_t skip = size > 1 && (data[0] & 1) ? 1 : 0;
    CBufferedStream stream(32768);
    if (!stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        return 0;
    stream.Seek(skip, 0);
    CGraphicsImage image;
    CEpsReader reader;
    try {
        reader.Read(stream, image);
    } catch (const EGraphicsException&) {
        return 0;
    }
    if (!image.m_pBits || image.m_nWidth == 0 || image.m_nHeight == 0)
        std::abort();
    volatile uint8_t sink = 0;
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        sink = uint8_t(sink ^ image.RowAt(int(y))[image.m_nStride - 1]);
    return 0;
}
