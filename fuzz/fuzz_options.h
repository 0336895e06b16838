// Shared parts of the fuzz targets: the sanitizer options every target runs
// under, the check that a loaded image is whole, and the per-reader harness.
#pragma once

#include "graphics/formats/format_framework.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A file may claim an image of up to 32768 x 32768 pixels. The readers refuse
// what memory cannot hold; here, as in a 32-bit process, more than a
// gigabyte cannot be had, so such claims end as "Zu wenig Speicher" rather
// than as the fuzzer's out-of-memory report.
#define LINDAR_FUZZ_SANITIZER_OPTIONS                                               \
    extern "C" const char* __asan_default_options()                                 \
    {                                                                               \
        return "allocator_may_return_null=1:max_allocation_size_mb=1024";           \
    }                                                                               \
    extern "C" const char* __ubsan_default_options()                                \
    {                                                                               \
        return "halt_on_error=1:print_stacktrace=1";                                \
    }

namespace lindar_fuzz {

// Every row of a loaded image must be readable: the first and last bytes of each.
inline void RequireWhole(const CGraphicsImage& image)
{
    if (!image.m_pBits || image.m_nWidth == 0 || image.m_nHeight == 0)
        std::abort();
    volatile uint8_t sink = 0;
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        sink = uint8_t(sink ^ image.RowAt(int(y))[0] ^ image.RowAt(int(y))[image.m_nStride - 1]);
}

// The input's last byte chooses options, so that the fuzzer reaches the
// cancel path: bit 0 arms a cancel, bits 1 to 7 the progress report (0..127)
// at which the callback sets it.
struct ReaderOptions {
    bool cancel = false;
    int cancelAt = 0;
    int reports = 0;
};

inline void CountAndCancel(void*, uintptr_t user, int, int, int, unsigned char* cancel)
{
    ReaderOptions& o = *reinterpret_cast<ReaderOptions*>(user);
    if (o.cancel && o.reports++ == o.cancelAt)
        *cancel = 1;
}

// One read by the reader from a memory stream over the input without its
// option byte. Only the library's exceptions may leave Read.
template <class Reader>
void FuzzReader(const uint8_t* data, size_t size)
{
    if (size < 1 || size > size_t(CBufferedStream::kMaxStreamLength))
        return;
    ReaderOptions options;
    options.cancel = data[size - 1] & 1;
    options.cancelAt = data[size - 1] >> 1;
    --size;
    Reader reader;
    reader.m_info.proc = CountAndCancel;
    reader.m_info.user = reinterpret_cast<uintptr_t>(&options);
    CBufferedStream stream(4096);
    if (!stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        return;
    CGraphicsImage image;
    try {
        reader.Read(stream, image);
        RequireWhole(image);
    } catch (const EGraphicsException&) {
    }
}

}  // namespace lindar_fuzz
