// Images, packed DIBs and comparers shared by the quantizer, DIB and
// clipboard tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "tests/support/test_support.h"

namespace dib_test {

inline CGraphicsImage RandomImage(uint32_t bits, uint32_t width, uint32_t height, uint64_t seed)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(bits, width, height, 0));
    lindar_test::Rng rng(seed);
    for (uint32_t i = 0; i < image.m_nPaletteSize; ++i)
        image.SetPaletteEntry(i, rng.Next() & 0xFFFFFF);
    for (uint32_t i = 0; i < width * height; ++i)
        image.m_pfnSetPixel(image.RowAt(int(i / width)), int(i % width), rng.Next());
    return image;
}

inline void Put32(std::vector<uint8_t>& block, size_t at, uint32_t v) { std::memcpy(&block[at], &v, 4); }

// Header of headerSize bytes (a larger one holds the masks), masks behind a
// 40-byte one, the table, the pixels.
inline std::vector<uint8_t> PackedFrom(const CGraphicsImage& image, uint32_t headerSize = 40)
{
    const uint8_t* info = image.m_pBitmapInfo;
    const bool masks = image.Header()->biCompression == BI_BITFIELDS;
    std::vector<uint8_t> block(info, info + 40 + (masks ? 12 : 4 * image.m_nPaletteSize));
    Put32(block, 0, headerSize);
    block.insert(block.begin() + 40, headerSize - 40, 0);
    if (masks && headerSize > 40)
        block.erase(std::copy(info + 40, info + 52, block.begin() + 40) + headerSize - 52, block.end());
    block.insert(block.end(), image.m_pBits, image.m_pBits + image.m_nImageSize);
    return block;
}

// An 8-bit 5 x 3 block with one header field changed (at < 0: cut short);
// unknown_masks: 32-bit BI_BITFIELDS whose masks are colours of the table.
struct Hostile {
    const char* name;
    int at;
    uint32_t value;
};
constexpr Hostile kHostile[] = {
    {"truncated", -1, 0},        {"huge_colour_table", 32, 0x40000000}, {"rle8", 16, BI_RLE8},
    {"top_down", 8, 0xFFFFFFFD}, {"core_header", 0, 12},                {"header_past_end", 0, 0x10000},
    {"zero_width", 4, 0},        {"huge_width", 4, 0x7FFFFFFF},         {"unknown_masks", 14, 0x00030020},
};

inline std::vector<uint8_t> HostileBlock(const Hostile& h)
{
    std::vector<uint8_t> block = PackedFrom(RandomImage(8, 5, 3, 1));
    h.at < 0 ? block.pop_back() : Put32(block, size_t(h.at), h.value);
    return block;
}

// Same depth, size, pixels and palette (fourth bytes under paletteMask).
inline void ExpectSameImage(const CGraphicsImage& got, const CGraphicsImage& want, uint32_t paletteMask = 0xFFFFFFFF)
{
    ASSERT_EQ(got.m_nBitCount, want.m_nBitCount);
    ASSERT_TRUE(got.m_nWidth == want.m_nWidth && got.m_nHeight == want.m_nHeight);
    EXPECT_EQ(std::memcmp(got.m_pBits, want.m_pBits, want.m_nImageSize), 0);
    for (uint32_t i = 0; i < want.m_nPaletteSize; ++i)
        EXPECT_EQ(got.GetPaletteRGBA(i, 0, 0, 0, 0), want.GetPaletteRGBA(i, 0, 0, 0, 0) & paletteMask) << i;
}

inline uint32_t ColourAt(const CGraphicsImage& image, int x, int y)
{
    const uint32_t v = image.m_pfnGetPixel(image.RowAt(y), x);
    return (image.m_bTrueColor ? v : image.GetPaletteRGB(v, 0, 0, 0)) & 0xFFFFFF;
}

// Every pixel shows the same colour, at the bits the source keeps (GDI
// widens 5-bit channels by repeating their top bits).
inline void ExpectSameColours(const CGraphicsImage& got, const CGraphicsImage& want)
{
    ASSERT_TRUE(got.m_nWidth == want.m_nWidth && got.m_nHeight == want.m_nHeight);
    for (uint32_t i = 0; i < want.m_nWidth * want.m_nHeight; ++i) {
        const int x = int(i % want.m_nWidth), y = int(i / want.m_nWidth);
        ASSERT_EQ(ColourAt(got, x, y) & want.m_nSignificantBits, ColourAt(want, x, y)) << x << "," << y;
    }
}

}  // namespace dib_test
