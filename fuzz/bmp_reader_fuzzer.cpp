// libFuzzer target: CBmpReader alone over a memory stream (bare DIBs and
// files alike); the input's last byte arms a cancel (lindar_fuzz::FuzzReader).
#include "fuzz/fuzz_options.h"
#include "graphics/formats/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lindar_fuzz::FuzzReader<CBmpReader>(data, size);
    return 0;
}
