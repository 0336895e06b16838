// libFuzzer target: CTlsReader over any input, the wanted index taken from
// the input's last byte. The build skips the CRC (mutations cannot keep it
// right), so whole reads reach the attribute carriers. A read must end in a
// TLS exception or a whole image.
#include "graphics/formats/tls_reader.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > INT32_MAX)
        return 0;
    // A small buffer: skipped images must pass through it in pieces.
    CBufferedStream stream(CBufferedStream::kMinBufferSize);
    if (!stream.OpenMemory(data, int32_t(size - 1), CBufferedStream::kModeRead, nullptr))
        return 0;
    CGraphicsImage image;
    CTlsReader reader;
    try {
        reader.ReadIndex(stream, image, data[size - 1]);
    } catch (const EGraphicsException&) {
        return 0;
    }
    if (!image.m_pBits || image.m_nWidth == 0 || image.m_nHeight == 0)
        std::abort();
    volatile uint8_t sink = 0;
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        sink = uint8_t(sink ^ image.RowAt(int(y))[0] ^ image.RowAt(int(y))[image.m_nStride - 1]);
    return 0;
}
