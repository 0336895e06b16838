// libFuzzer target: CBmpReader straight over any input (bare DIBs and
// files alike). A read must end in a BMP exception or a whole image, never
// in a crash, leak or undefined behaviour.
#include "graphics/formats/bmp_reader.h"
#include "fuzz/fuzz_image_check.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstddef>
#include <cstdint>

extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > INT32_MAX)
        return 0;
    CBufferedStream stream(32768);
    if (!stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        return 0;
    CGraphicsImage image;
    CBmpReader reader;
    try {
        reader.Read(stream, image);
    } catch (const EGraphicsException&) {
        return 0;
    }
    CheckWholeImage(image);
    return 0;
}
