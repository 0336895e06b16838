// CreateFromDIB, CreateFromPackedDIB and the bounded reading of clipboard
// blocks: round trips at every DIB depth, header edge cases, hostile blocks.
#include <gtest/gtest.h>

#include "graphics/image_dib.h"
#include "tests/graphics/dib_blocks.h"

namespace {

using namespace dib_test;

class DibRoundTrip : public testing::TestWithParam<uint32_t> {};

TEST_P(DibRoundTrip, HeaderBitsAndBlocksGiveTheImageBack)
{
    const CGraphicsImage source = RandomImage(GetParam(), 13, 5, GetParam());
    CGraphicsImage image;
    ASSERT_TRUE(image.CreateFromDIB(source.Header(), source.m_pBits, source.m_pPalette));
    ExpectSameImage(image, source);
    const std::vector<uint8_t> packed = PackedFrom(source);
    ASSERT_TRUE(image.CreateFromPackedDIB(reinterpret_cast<const BITMAPINFO*>(packed.data())));
    ExpectSameImage(image, source);
    // Clipboard blocks: a plain header, a V5 header, and a V5 header with
    // the masks repeated behind it.
    std::vector<std::vector<uint8_t>> blocks = {packed, PackedFrom(source, 124)};
    if (source.Header()->biCompression == BI_BITFIELDS) {
        blocks.push_back(blocks[1]);
        const auto* masks = reinterpret_cast<const uint8_t*>(source.m_pPalette);
        blocks.back().insert(blocks.back().begin() + 124, masks, masks + 12);
    }
    for (const auto& block : blocks) {
        ASSERT_TRUE(graphics_detail::CreateFromClipboardDib(image, block.data(), block.size(), true));
        ExpectSameImage(image, source, 0x00FFFFFF);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, DibRoundTrip, testing::Values(1u, 2u, 4u, 8u, 15u, 16u, 24u, 32u));

struct HeaderCase {
    const char* name;
    int at;  // header field offset
    uint32_t value;
    uint32_t depth;  // 0: refused
};

// Fields of a 5-6-5 header: 16-bit BI_RGB is 5-5-5; biSizeImage 0 means the
// rows' size (15 pixels: a stride of 32 bytes).
constexpr HeaderCase kHeaderCases[] = {
    {"rle8", 16, BI_RLE8, 0},         {"size_image_short", 20, 32 * 8 - 1, 0}, {"size_image_zero", 20, 0, 16},
    {"planes_2", 12, 0x00100002, 0},  {"rgb_16", 16, BI_RGB, 15},              {"size_image_exact", 20, 32 * 8, 16},
    {"height_negative", 8, uint32_t(-8), 0},
};

TEST(DibHeader, EdgeCasesOfCreateFromDIB)
{
    const CGraphicsImage source = RandomImage(16, 15, 8, 3);
    for (const HeaderCase& c : kHeaderCases) {
        std::vector<uint8_t> header(40);
        std::memcpy(header.data(), source.Header(), 40);
        Put32(header, size_t(c.at), c.value);
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(24, 2, 2));
        EXPECT_EQ(image.CreateFromDIB(reinterpret_cast<const BITMAPINFOHEADER*>(header.data()), source.m_pBits,
                                      source.m_pPalette),
                  c.depth != 0)
            << c.name;
        EXPECT_EQ(image.m_nBitCount, c.depth) << c.name;
    }
}

// The bits of a packed DIB follow biClrUsed entries (or 2^bits), and only
// those entries become the palette.
TEST(DibHeader, PackedTableLengthFollowsColoursUsed)
{
    for (uint32_t used : {0u, 16u, 256u}) {
        const CGraphicsImage source = RandomImage(8, 7, 3, used);
        std::vector<uint8_t> block = PackedFrom(source);
        const uint32_t entries = used ? used : 256;
        block.erase(block.begin() + 40 + 4 * entries, block.begin() + 40 + 1024);
        Put32(block, 32, used);
        CGraphicsImage image, defaults;
        ASSERT_TRUE(defaults.Create(8, 1, 1));
        ASSERT_TRUE(image.CreateFromPackedDIB(reinterpret_cast<const BITMAPINFO*>(block.data()))) << used;
        EXPECT_EQ(std::memcmp(image.m_pBits, source.m_pBits, source.m_nImageSize), 0) << used;
        for (uint32_t i = 0; i < 256; ++i)
            EXPECT_EQ(image.GetPaletteRGB(i, nullptr, nullptr, nullptr),
                      (i < entries ? source : defaults).GetPaletteRGB(i, nullptr, nullptr, nullptr))
                << used << " " << i;
    }
}

class DibHostile : public testing::TestWithParam<Hostile> {};

TEST_P(DibHostile, ClipboardBlockRefused)
{
    const std::vector<uint8_t> block = HostileBlock(GetParam());
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, 4, 4));
    EXPECT_FALSE(graphics_detail::CreateFromClipboardDib(image, block.data(), block.size(), false));
    EXPECT_EQ(image.m_pBits, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Blocks, DibHostile, testing::ValuesIn(kHostile),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DibClipboard, AlphaClearedUnlessKept)
{
    const CGraphicsImage source = RandomImage(32, 6, 2, 9);
    const std::vector<uint8_t> block = PackedFrom(source);
    for (bool keep : {false, true}) {
        CGraphicsImage image;
        ASSERT_TRUE(graphics_detail::CreateFromClipboardDib(image, block.data(), block.size(), keep));
        for (uint32_t i = 0; i < image.m_nImageSize; ++i)
            ASSERT_EQ(image.m_pBits[i], i % 4 == 3 && !keep ? 0 : source.m_pBits[i]) << i;
    }
}

}  // namespace
