// libFuzzer target: CTlsReader over any input, the wanted index taken from
// the input's last byte. The build skips the CRC (mutations cannot keep it
// right), so whole reads reach the attribute carriers. A read must end in a
// TLS exception or a whole image.
#include "graphics/formats/tls_reader.h"
#include "fuzz/fuzz_options.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > INT32_MAX)
        return 0;
    CBufferedStream stream(32768);
    if (!stream.OpenMemory(data, int32_t(size - 1), CBufferedStream::kModeRead, nullptr))
        return 0;
    CGraphicsImage image;
    CTlsReader reader;
    try {
        reader.ReadIndex(stream, image, data[size - 1]);
    } catch (const EGraphicsException&) {
        return 0;
    }
    lindar_fuzz::RequireWhole(image);
    return 0;
}
