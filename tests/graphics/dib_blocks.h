// Packed DIBs for the DIB and clipboard tests: random images at each depth,
// an image's own block, and the malformed blocks every reader must refuse.
#pragma once

#include <gtest/gtest.h>

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
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.m_pfnSetPixel(image.RowAt(int(y)), int(x), rng.Next());
    return image;
}

inline void Put32(std::vector<uint8_t>& block, size_t at, uint32_t v) { std::memcpy(&block[at], &v, 4); }

// The image as one block: a header of headerSize bytes (later headers carry
// the masks inside), masks behind a 40-byte one, the table, the pixels.
inline std::vector<uint8_t> PackedFrom(const CGraphicsImage& image, uint32_t headerSize = 40)
{
    const bool masks = image.Header()->biCompression == BI_BITFIELDS;
    const size_t table = masks ? 12 : size_t(image.m_nPaletteSize) * 4;
    std::vector<uint8_t> block(headerSize, 0);
    std::memcpy(block.data(), image.Header(), 40);
    Put32(block, 0, headerSize);
    if (headerSize > 40 && masks)
        std::memcpy(&block[40], image.m_pPalette, 12);
    else
        block.insert(block.end(), reinterpret_cast<const uint8_t*>(image.m_pPalette),
                     reinterpret_cast<const uint8_t*>(image.m_pPalette) + table);
    block.insert(block.end(), image.m_pBits, image.m_pBits + image.m_nImageSize);
    return block;
}

// A header field of an 8-bit 5 x 3 block changed (at < 0: the block cut
// short). unknown_masks: 32-bit BI_BITFIELDS whose masks are table colours.
struct Hostile {
    const char* name;
    int at;
    uint32_t value;
};
constexpr Hostile kHostile[] = {
    {"truncated", -1, 0},         {"huge_colour_table", 32, 0x40000000}, {"rle8", 16, BI_RLE8},
    {"top_down", 8, 0xFFFFFFFD},  {"core_header", 0, 12},                {"header_past_end", 0, 0x10000},
    {"zero_width", 4, 0},         {"huge_width", 4, 0x7FFFFFFF},         {"unknown_masks", 14, 0x00030020},
};

inline std::vector<uint8_t> HostileBlock(const Hostile& h)
{
    std::vector<uint8_t> block = PackedFrom(RandomImage(8, 5, 3, 1));
    if (h.at < 0)
        block.pop_back();
    else
        Put32(block, size_t(h.at), h.value);
    return block;
}

// Same depth, size, pixels and palette (fourth bytes under paletteMask).
inline void ExpectSameImage(const CGraphicsImage& got, const CGraphicsImage& want, uint32_t paletteMask = 0xFFFFFFFF)
{
    ASSERT_EQ(got.m_nBitCount, want.m_nBitCount);
    ASSERT_EQ(got.m_nWidth, want.m_nWidth);
    ASSERT_EQ(got.m_nHeight, want.m_nHeight);
    EXPECT_EQ(std::memcmp(got.m_pBits, want.m_pBits, want.m_nImageSize), 0);
    for (uint32_t i = 0; i < want.m_nPaletteSize; ++i)
        EXPECT_EQ(got.GetPaletteRGBA(i, nullptr, nullptr, nullptr, nullptr),
                  want.GetPaletteRGBA(i, nullptr, nullptr, nullptr, nullptr) & paletteMask)
            << i;
}

}  // namespace dib_test
