#include "examples/imgconv/imgconv_sample.h"

#include "graphics/image.h"

#include <cstdint>

namespace {

constexpr uint32_t kWidth = 96;
constexpr uint32_t kHeight = 64;

}  // namespace

bool MakeSampleImage(CGraphicsImage& image)
{
    if (!image.Create(24, kWidth, kHeight))
        return false;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint32_t red = x * 255 / (kWidth - 1), blue = y * 255 / (kHeight - 1);
            image.m_pfnSetPixel(image.RowAt(int(y)), int(x), red << 16 | 0x40 << 8 | blue);
        }
    image.FillEllipse(30, 30, 18, 14, 0xFFE000, 0);
    image.FillRect(58, 10, 28, 20, 0x208040);
    const int32_t triangle[6] = {56, 58, 90, 58, 73, 36};
    image.FillTriangle(triangle, 0xFFFFFF);
    image.DrawLine(0, 63, 95, 0, 0x000000);
    image.DrawRect(1, 1, 94, 62, 0x000080);
    return true;
}
