#include "graphics/image_convert_support.h"

#include <cstring>

#include "graphics/image_depths.h"
#include "graphics/pixel_access.h"

namespace graphics_detail {

StableSource::StableSource(const CGraphicsImage& source, const CGraphicsImage& target) : m_source(&source)
{
    if (&source != &target || !source.m_pBits)
        return;
    m_copy = std::make_unique<CGraphicsImage>();
    m_source = m_copy->Assign(source) ? m_copy.get() : nullptr;
}

namespace {

void StoreRow12(const uint8_t* words, uint8_t* row, int width)
{
    int x = 0;
    for (; x + 1 < width; x += 2) {
        const uint32_t c0 = Load32(words + 4 * x), c1 = Load32(words + 4 * x + 4);
        uint8_t* p = row + 3 * (x >> 1);
        p[0] = uint8_t(((c0 >> 0) & 0xF0) | ((c0 >> 12) & 0x0F));
        p[1] = uint8_t(((c0 >> 16) & 0xF0) | ((c1 >> 4) & 0x0F));
        p[2] = uint8_t(((c1 >> 8) & 0xF0) | ((c1 >> 20) & 0x0F));
    }
    if (x < width) {
        // A lone even pixel shares its middle byte with the padding.
        const uint32_t c = Load32(words + 4 * x);
        uint8_t* p = row + 3 * (x >> 1);
        p[0] = uint8_t((c & 0xF0) | ((c >> 12) & 0x0F));
        p[1] = uint8_t(((c >> 16) & 0xF0) | (p[1] & 0x0F));
    }
}

void StoreRow15(const uint8_t* words, uint8_t* row, int width)
{
    for (int x = 0; x < width; ++x)
        Store16(row + 2 * x, Pack555(Load32(words + 4 * x)));
}

void StoreRow16(const uint8_t* words, uint8_t* row, int width)
{
    for (int x = 0; x < width; ++x)
        Store16(row + 2 * x, Pack565(Load32(words + 4 * x)));
}

void StoreRow24(const uint8_t* words, uint8_t* row, int width)
{
    int x = 0;
    // Whole words while a fourth byte still lands inside the row.
    for (; x + 1 < width; ++x)
        Store32(row + 3 * x, Load32(words + 4 * x));
    if (x < width)
        Store24(row + 3 * x, Load32(words + 4 * x));
}

}  // namespace

void StoreColourRow(uint32_t bits, const uint8_t* words, uint8_t* row, int width)
{
    switch (bits) {
    case 12: StoreRow12(words, row, width); break;
    case 15: StoreRow15(words, row, width); break;
    case 16: StoreRow16(words, row, width); break;
    case 24: StoreRow24(words, row, width); break;
    case 32: std::memcpy(row, words, size_t(width) * 4); break;
    default: break;
    }
}

}  // namespace graphics_detail
