// libFuzzer target: LoadGraphicsFromMemory over any input, so every format
// in the dispatchers' table is reached through its classifier. A load must
// end in a result code, never in a crash, leak or undefined behaviour; a
// loaded image must be whole.
//
// Seeds: fuzz/corpus/load_graphics/; the codec tests write every file their
// readers decode into the folder LINDAR_FUZZ_SEEDS names.
#include "fuzz/fuzz_options.h"
#include "graphics/formats/format_dispatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    CGraphicsImage image;
    char* comment = nullptr;
    if (LoadGraphicsFromMemory(data, uint32_t(size), image, &comment) == 0)
        lindar_fuzz::RequireWhole(image);
    delete[] comment;
    return 0;
}
