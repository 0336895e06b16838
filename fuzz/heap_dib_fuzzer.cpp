// Heap DIBs from untrusted resource data: PNG through libpng, packed DIBs
// checked against their own headers. The first byte picks the row order.
#include "system/heap_dib.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    DWORD format = 0;
    BITMAPINFOHEADER* dib = DecodeHeapDib(data + 1, size - 1, data[0] & kHeapDibTopDown, &format);
    if (dib != nullptr) {
        // Touch every byte the header claims, so a short copy shows.
        const uint64_t bytes = format == kHeapDibFromDib ? PackedDibSize(*dib) : 40;
        volatile uint8_t sum = 0;
        for (uint64_t i = 0; i < bytes; ++i)
            sum = uint8_t(sum + reinterpret_cast<const uint8_t*>(dib)[i]);
        std::free(dib);
    }
    return 0;
}
