// Shared parts of the fuzz targets: the check that a loaded image is whole
// and the per-reader harness.
#pragma once

#include "graphics/formats/format_framework.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

// Per-reader targets take options from the input's last byte, so that the
// fuzzer reaches the cancel path: bit 0 arms a cancel at the progress report
// numbered by bits 1 to 7.
inline void CancelAtReport(void*, uintptr_t user, int, int, int, unsigned char* cancel)
{
    int& reportsLeft = *reinterpret_cast<int*>(user);
    *cancel = reportsLeft-- == 0;
}

// One read of the input without its option byte from a memory stream. Only
// the library's exceptions may leave Read.
template <class Reader>
void FuzzReader(const uint8_t* data, size_t size)
{
    if (size < 1 || size > size_t(CBufferedStream::kMaxStreamLength))
        return;
    const uint8_t options = data[--size];
    int reportsLeft = options >> 1;
    Reader reader;
    if (options & 1) {
        reader.m_info.proc = CancelAtReport;
        reader.m_info.user = reinterpret_cast<uintptr_t>(&reportsLeft);
    }
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
