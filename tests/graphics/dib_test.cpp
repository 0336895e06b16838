// CreateFromDIB, CreateFromPackedDIB and clipboard blocks read within their
// size: round trips at every DIB depth, header edge cases, hostile blocks.
#include "graphics/image_dib.h"
#include "tests/graphics/dib_blocks.h"

namespace {

using namespace dib_test;

bool FromClipboard(CGraphicsImage& image, const std::vector<uint8_t>& block)
{
    return graphics_detail::CreateFromClipboardDib(image, block.data(), block.size(), true);
}

// Header and bits, a packed block, and clipboard blocks with a plain header,
// a V5 header, and a V5 header with the masks repeated behind it.
TEST(Dib, RoundTripsAtEveryDepth)
{
    for (uint32_t bits : {1, 2, 4, 8, 15, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        const CGraphicsImage source = RandomImage(bits, 13, 5, bits);
        CGraphicsImage image;
        std::vector<uint8_t> block = PackedFrom(source);
        ASSERT_TRUE(image.CreateFromDIB(source.Header(), source.m_pBits, source.m_pPalette));
        ExpectSameImage(image, source);
        ASSERT_TRUE(image.CreateFromPackedDIB(reinterpret_cast<const BITMAPINFO*>(block.data())));
        ExpectSameImage(image, source);
        for (int headers = 0; headers < 3; ++headers) {
            if (headers == 1)
                block = PackedFrom(source, 124);
            if (headers == 2 && source.Header()->biCompression == BI_BITFIELDS)
                block.insert(block.begin() + 124, block.begin() + 40, block.begin() + 52);
            ASSERT_TRUE(FromClipboard(image, block));
            ExpectSameImage(image, source, 0x00FFFFFF);
        }
    }
}

// Fields of a 5-6-5 header of 15 x 8 pixels (32-byte rows): 16-bit BI_RGB
// is 5-5-5; biSizeImage 0 means the rows' size. depth 0: refused.
struct HeaderCase {
    const char* name;
    int at;
    uint32_t value;
    uint32_t depth;
};
constexpr HeaderCase kHeaderCases[] = {
    {"rle8", 16, BI_RLE8, 0},        {"size_image_short", 20, 32 * 8 - 1, 0}, {"size_image_zero", 20, 0, 16},
    {"planes_2", 12, 0x00100002, 0}, {"rgb_16", 16, BI_RGB, 15},              {"size_image_exact", 20, 32 * 8, 16},
    {"top_down", 8, uint32_t(-8), 0},
};

TEST(Dib, HeaderEdgeCases)
{
    const CGraphicsImage source = RandomImage(16, 15, 8, 3);
    for (const HeaderCase& c : kHeaderCases) {
        std::vector<uint8_t> header(source.m_pBitmapInfo, source.m_pBitmapInfo + 40);
        Put32(header, size_t(c.at), c.value);
        CGraphicsImage image = source;
        const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(header.data());
        EXPECT_EQ(image.CreateFromDIB(h, source.m_pBits, source.m_pPalette), c.depth != 0) << c.name;
        EXPECT_EQ(image.m_nBitCount, c.depth) << c.name;
    }
    // Packed: the bits follow biClrUsed entries (or 2^bits), which alone
    // become the palette.
    for (uint32_t used : {0u, 16u, 256u}) {
        const CGraphicsImage palette = RandomImage(8, 8, 3, used);
        std::vector<uint8_t> block = PackedFrom(palette);
        const uint32_t entries = used ? used : 256;
        block.erase(block.begin() + 40 + 4 * entries, block.begin() + 40 + 1024);
        Put32(block, 32, used);
        CGraphicsImage image, want = palette;
        ASSERT_TRUE(want.Create(8, 8, 3) && image.CreateFromPackedDIB(reinterpret_cast<BITMAPINFO*>(block.data())));
        std::memcpy(want.m_pPalette, palette.m_pPalette, 4 * entries);
        std::memcpy(want.m_pBits, palette.m_pBits, palette.m_nImageSize);
        ExpectSameImage(image, want);
    }
}

TEST(Dib, HostileClipboardBlocksRefused)
{
    for (const Hostile& h : kHostile) {
        CGraphicsImage image = RandomImage(8, 4, 4, 1);
        EXPECT_FALSE(FromClipboard(image, HostileBlock(h))) << h.name;
        EXPECT_EQ(image.m_pBits, nullptr) << h.name;
    }
}

}  // namespace
