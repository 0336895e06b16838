// libFuzzer target: CGifReader over any input (the last byte chooses a
// cancel). A read must end normally or in a graphics exception, never in a
// crash, leak, hang or undefined behaviour; an image it read must be whole.
#include "fuzz/fuzz_options.h"
#include "graphics/formats/gif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lindar_fuzz::FuzzReader<CGifReader>(data, size);
    return 0;
}
