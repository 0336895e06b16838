// libFuzzer target: a clipboard block read as a packed DIB. The first byte
// chooses whether the alpha bytes stay; the rest is the block. A read must
// answer false or give a whole image whose pixels the block held.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/image.h"
#include "graphics/image_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    CGraphicsImage image;
    if (!graphics_detail::CreateFromClipboardDib(image, data + 1, size - 1, (data[0] & 1) != 0))
        return 0;
    if (!image.m_pBits || !image.m_nWidth || !image.m_nHeight || image.m_nImageSize > size)
        std::abort();
    return 0;
}
