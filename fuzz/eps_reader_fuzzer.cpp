// libFuzzer target: CEpsReader alone over a memory stream; the input's last
// byte arms a cancel (lindar_fuzz::FuzzReader).
#include "fuzz/fuzz_options.h"
#include "graphics/formats/eps_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lindar_fuzz::FuzzReader<CEpsReader>(data, size);
    return 0;
}
