#include "graphics/image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "tests/graphics/blit_test_util.h"
#include "tests/support/test_support.h"

namespace {

constexpr uint32_t kDepths[] = {1, 2, 4, 8, 12, 15, 16, 24, 32};

uint32_t Entry(const CGraphicsImage& image, int i)
{
    uint32_t v;
    std::memcpy(&v, &image.m_pPalette[i], 4);
    return v;
}

// Colour of pixel x as the 24-bit row converter should give it.
uint32_t ExpectedColour(const CGraphicsImage& image, const uint8_t* row, int x)
{
    uint32_t v = image.m_pfnGetPixel(row, x);
    return image.m_bTrueColor ? v : Entry(image, int(v));
}

void Scribble(CGraphicsImage& image, uint64_t seed)
{
    lindar_test::Rng rng(seed);
    for (uint32_t i = 0; i < image.m_nImageSize; ++i)
        image.m_pBits[i] = uint8_t(rng.Next());
}

}  // namespace

TEST(ImageCreate, PerDepthConstantsHeaderAndMasks)
{
    // bits, sub mask, depth pattern, unit bytes, unit shift, true colour, palette size, significant bits,
    // pixel mask, depth bit, stride and image size at 33 x 5
    const std::vector<uint32_t> table[] = {
        {1, 7, 0x01, 1, 3, 0, 2, 0xFFFFFF, 0x1, 1, 8, 40},
        {2, 3, 0x11, 1, 2, 0, 4, 0xFFFFFF, 0x3, 2, 12, 60},
        {4, 1, 0x55, 1, 1, 0, 16, 0xFFFFFF, 0xF, 8, 20, 100},
        {8, 0, 0xFF, 1, 0, 0, 256, 0xFFFFFF, 0xFF, 0x80, 36, 180},
        {12, 1, 0x55, 3, 1, 1, 0, 0xF0F0F0, 0xFFF, 0x800, 52, 260},
        {15, 0, 0xFF, 2, 0, 1, 0, 0xF8F8F8, 0x7FFF, 0x4000, 68, 340},
        {16, 0, 0xFF, 2, 0, 1, 0, 0xF8FCF8, 0xFFFF, 0x8000, 68, 340},
        {24, 0, 0xFF, 3, 0, 1, 0, 0xFFFFFF, 0xFFFFFF, 0x800000, 100, 500},
        {32, 0, 0xFF, 4, 0, 1, 0, 0xFFFFFF, 0xFFFFFFFF, 0x80000000, 132, 660},
    };
    for (const auto& d : table) {
        const uint32_t bits = d[0], paletteSize = d[6], stride = d[10];
        SCOPED_TRACE(bits);
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(bits, 33, 5, CGraphicsImage::NO_FILL, 0));
        EXPECT_EQ((std::vector<uint32_t>{image.m_nBitCount, image.m_nSubMask, image.m_nDepthPattern, image.m_nUnitBytes,
                                         image.m_nUnitShift, uint32_t(image.m_bTrueColor), image.m_nPaletteSize,
                                         image.m_nSignificantBits, image.m_nPixelMask, image.m_nDepthBit,
                                         image.m_nStride, image.m_nImageSize}),
                  d);
        EXPECT_EQ(image.m_pRow0, image.m_pBits + 4 * stride);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(image.m_pBits) % 4, 0u);
        EXPECT_EQ(image.m_bForeignBits, 0u);

        const BITMAPINFOHEADER* h = image.Header();
        EXPECT_EQ((std::vector<int64_t>{h->biSize, h->biWidth, h->biHeight, h->biPlanes, h->biBitCount, h->biSizeImage,
                                        h->biXPelsPerMeter, h->biYPelsPerMeter, h->biClrUsed, h->biClrImportant}),
                  (std::vector<int64_t>{40, 33, 5, 1, bits == 15 ? 16 : bits, image.m_nImageSize, 4705, 4705,
                                        paletteSize, paletteSize}));
        const bool fields = bits == 15 || bits == 16;
        EXPECT_EQ(h->biCompression, fields ? BI_BITFIELDS : BI_RGB);
        if (fields) {
            EXPECT_EQ((std::vector<uint32_t>{Entry(image, 0), Entry(image, 1), Entry(image, 2), Entry(image, 3)}),
                      (std::vector<uint32_t>{bits == 15 ? 0x7C00u : 0xF800u, bits == 15 ? 0x03E0u : 0x07E0u, 0x1F, 0}));
        }
    }
}

TEST(ImageCreate, StridesAndRowAddresses)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(24, 10, 3, CGraphicsImage::NO_FILL, 0));
    EXPECT_EQ(image.m_nStride, 32u);
    EXPECT_EQ(image.m_nImageSize, 96u);
    EXPECT_EQ(image.m_pRow0 - image.m_pBits, 64);
    EXPECT_EQ(image.RowAt(2), image.m_pBits);
    ASSERT_TRUE(image.Create(1, 33, 1, CGraphicsImage::NO_FILL, 0));
    EXPECT_EQ(image.m_nStride, 8u);
    ASSERT_TRUE(image.Create(12, 3, 1, CGraphicsImage::NO_FILL, 0));
    EXPECT_EQ(image.m_nStride, 8u);
}

TEST(ImageCreate, SizeAndDepthFailuresLeaveAnEmptyImage)
{
    const struct {
        uint32_t bits, width, height;
        uintptr_t buffer;
        int error;
    } cases[] = {
        {8, 32769, 1, 0, 1}, {8, 1, 0xFFFFFFFF, 0, 1}, {3, 10, 10, 0, 2},
        {32, 32768, 32768, 0, 1},  // 4 GiB of pixels: beyond the 32-bit image size on any build
        {2, 4, 4, CGraphicsImage::DIB_SECTION, 2}, {12, 4, 4, CGraphicsImage::DIB_SECTION, 2},  // not in GDI
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " " << c.width << "x" << c.height);
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(8, 32768, 1, CGraphicsImage::NO_FILL, 0));
        EXPECT_FALSE(image.Create(c.bits, c.width, c.height, CGraphicsImage::NO_FILL, c.buffer));
        EXPECT_EQ(image.m_nError, c.error);
        EXPECT_EQ(std::make_tuple(image.m_pBits, image.m_pBlock, image.m_nWidth),
                  std::make_tuple(static_cast<uint8_t*>(nullptr), static_cast<uint8_t*>(nullptr), 0u));
        image.Clear();  // the error stays until the next Clear
        EXPECT_EQ(image.m_nError, 0);
    }
}

TEST(ImageCreate, ZeroSizesStayInsideTheBlock)
{
    for (uint32_t bits : kDepths) {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(bits, 7, 0, 0, 0));
        EXPECT_EQ(image.m_pRow0, image.m_pBits);
        EXPECT_EQ(image.m_nImageSize, 0u);
        ASSERT_TRUE(image.Create(bits, 0, 7, 0x123456, 0));
        EXPECT_EQ(image.m_nStride, 0u);
        EXPECT_FALSE(image.Free());  // no width: nothing was held
    }
}

TEST(ImageCreate, FillValues)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(16, 5, 3, 0x00FF0000, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(image.RowAt(y)[2 * x] | (image.RowAt(y)[2 * x + 1] << 8), 0xF800);
    ASSERT_TRUE(image.Create(8, 5, 3, 0x1234, 0));
    for (uint32_t i = 0; i < image.m_nImageSize; ++i)
        ASSERT_EQ(image.m_pBits[i], 0x34);
    ASSERT_TRUE(image.Create(32, 3, 2, 0, 0));
    for (uint32_t i = 0; i < image.m_nImageSize; ++i)
        ASSERT_EQ(image.m_pBits[i], 0);
    ASSERT_TRUE(image.Create(32, 3, 2, 0x80102030, 0));
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(1), 2), 0x80102030u);
}

TEST(ImagePalette, Defaults)
{
    struct Expected {
        int index;
        uint32_t colour;
    };
    const struct {
        uint32_t bits;
        std::vector<Expected> entries;
    } cases[] = {
        {1, {{0, 0u}, {1, 0xFFFFFFu}, {2, 0u}}}, {2, {{1, 0x008000u}, {2, 0x800000u}, {3, 0xFFFFFFu}}},
        {4, {{7, 0xC0C0C0u}, {9, 0x0000FFu}, {16, 0u}}},
        {8,
         {{12, 0xFF0000u},
          {16, 0u}, {17, 0x101010u}, {31, 0xF0F0F0u}, {32, (20u << 16) | (235u << 8) | 106u},
          {247, ((((247 / 36) % 6) * 43 + 20) << 16) | ((((247 / 6) % 6) * 43 + 20) << 8) | ((247 % 6) * 43 + 20)},
          {248, (224u << 16) | (208u << 8) | 32u},
          {255, (224u << 16) | (240u << 8) | 224u}}},
    };
    CGraphicsImage image;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        ASSERT_TRUE(image.Create(c.bits, 1, 1, 0, 0));
        for (const Expected& e : c.entries)
            EXPECT_EQ(Entry(image, e.index), e.colour) << "entry " << e.index;
    }
    ASSERT_TRUE(image.Create(24, 1, 1, 0, 0));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(Entry(image, i), 0u);
}

TEST(ImagePalette, AccessorsMaskTheIndex)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(8, 1, 1, 0, 0));
    image.SetPaletteEntry(5, 0xAABBCCDD);
    image.SetPaletteRGB(261, 1, 2, 3);
    uint8_t r, g, b, a;
    EXPECT_EQ(image.GetPaletteRGBA(5, &r, &g, &b, &a), 0xAA010203u);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(a, 0xAA);
    image.SetPaletteRGBA(256 + 7, 9, 8, 7, 6);
    EXPECT_EQ(image.GetPaletteRGB(7, &r, &g, &b), 0x06090807u);
}

TEST(ImagePixels, LayoutsOfTheTrueColourDepths)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(12, 3, 1, 0, 0));
    uint8_t* row = image.RowAt(0);
    image.m_pfnSetPixel(row, 0, 0x102030);  // B0=3 G0=2 R0=1
    image.m_pfnSetPixel(row, 1, 0xA0B0C0);  // B1=C G1=B R1=A
    EXPECT_EQ(row[0], 0x32);
    EXPECT_EQ(row[1], 0x1C);
    EXPECT_EQ(row[2], 0xBA);
    image.m_pfnSetPixel(row, 2, 0x445566);
    image.m_pfnSetPixel(row, 1, 0xFFFFFF);
    EXPECT_EQ(image.m_pfnGetPixel(row, 1), 0xF0F0F0u);
    EXPECT_EQ(image.m_pfnGetPixel(row, 0), 0x102030u);
    EXPECT_EQ(image.m_pfnGetPixel(row, 2), 0x405060u);
    EXPECT_EQ(image.m_pfnColorToPixel(0x123456), 0x135u);

    ASSERT_TRUE(image.Create(15, 2, 1, 0, 0));
    row = image.RowAt(0);
    image.m_pfnSetPixel(row, 1, 0x80FF0808);
    EXPECT_EQ(row[2] | (row[3] << 8), 0x8000 | 0x7C00 | (1 << 5) | 1);
    EXPECT_EQ(image.m_pfnGetPixel(row, 1), 0x80F80808u);
    EXPECT_EQ(image.m_pfnColorToPixel(0x80FFFFFF), 0xFFFFu);
    EXPECT_EQ(image.m_pfnColorToPixel(0x00FFFFFF), 0x7FFFu);

    ASSERT_TRUE(image.Create(16, 2, 1, 0, 0));
    row = image.RowAt(0);
    image.m_pfnSetPixel(row, 0, 0xFF0404);
    EXPECT_EQ(row[0] | (row[1] << 8), 0xF800 | (1 << 5) | 0);
    EXPECT_EQ(image.m_pfnGetPixel(row, 0), 0xF80400u);
    EXPECT_EQ(image.m_pfnColorToPixel(0x00FF00), 0x07E0u);

    ASSERT_TRUE(image.Create(24, 2, 1, 0, 0));
    row = image.RowAt(0);
    image.m_pfnSetPixel(row, 1, 0xFF112233);
    EXPECT_EQ(row[3], 0x33);
    EXPECT_EQ(row[5], 0x11);
    EXPECT_EQ(row[6], 0);  // exactly three bytes
}

TEST(ImagePixels, PackedIndicesTouchOnlyTheirBits)
{
    for (uint32_t bits : {1u, 2u, 4u, 8u}) {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(bits, 17, 1, 0, 0));
        uint8_t* row = image.RowAt(0);
        std::vector<uint32_t> want(17);
        lindar_test::Rng rng(bits);
        for (int pass = 0; pass < 200; ++pass) {
            const int x = rng.Range(0, 16);
            const uint32_t v = rng.Next();
            image.m_pfnSetPixel(row, x, v);
            want[x] = v & image.m_nPixelMask;
            for (int i = 0; i < 17; ++i)
                ASSERT_EQ(image.m_pfnGetPixel(row, i), want[i]) << bits << " " << i;
        }
        // Leftmost pixel in the most significant bits.
        std::memset(row, 0, 4);
        image.m_pfnSetPixel(row, 0, 1);
        EXPECT_EQ(row[0], uint8_t(1u << (8 - bits)));
    }
}

TEST(ImageRows, ConvertersAgreeWithThePixelReaders)
{
    for (uint32_t bits : kDepths) {
        SCOPED_TRACE(bits);
        for (int width : {1, 2, 7, 33}) {
            CGraphicsImage image;
            ASSERT_TRUE(image.Create(bits, width, 2, 0, 0));
            Scribble(image, bits * 100 + width);
            for (int i = 0; i < 256; ++i)
                image.SetPaletteEntry(i, 0x01000000u * i + 0x00030507u * i);
            const uint8_t* row = image.RowAt(1);
            const uint8_t* spare8 = image.m_pfnRowCopyTo8(row, &image);
            std::vector<uint8_t> to8(spare8, spare8 + width);  // each call reuses the spare row
            const uint8_t* to24 = image.m_pfnRowCopyTo24(row, &image);
            std::vector<uint8_t> c24(to24, to24 + 3 * width);
            const uint8_t* to32 = image.m_pfnRowCopyTo32(row, &image);
            for (int x = 0; x < width; ++x) {
                const uint32_t c = ExpectedColour(image, row, x);
                if (image.m_bTrueColor) {
                    const uint32_t grey = (76 * ((c >> 16) & 255) + 152 * ((c >> 8) & 255) + 29 * (c & 255)) >> 8;
                    EXPECT_EQ(to8[x], grey) << x;
                } else {
                    EXPECT_EQ(to8[x], image.m_pfnGetPixel(row, x)) << x;
                }
                EXPECT_EQ(c24[3 * x] | (c24[3 * x + 1] << 8) | (c24[3 * x + 2] << 16), c & 0xFFFFFF) << x;
                uint32_t want32 = c;
                if (bits == 12 || bits == 16 || bits == 24)
                    want32 &= 0xFFFFFF;
                if (bits == 15)
                    want32 = (c & 0xFFFFFF) | ((c >> 31) ? 0x80000000u : 0);
                uint32_t got;
                std::memcpy(&got, to32 + 4 * x, 4);
                EXPECT_EQ(got, want32) << x;
            }
        }
    }
}

TEST(ImageRows, SameDepthConvertersReturnTheSourceAndCopiesDoNot)
{
    const struct {
        uint32_t bits;
        CGraphicsImage::RowFn CGraphicsImage::*same;
        CGraphicsImage::RowFn CGraphicsImage::*copy;
    } cases[] = {
        {8, &CGraphicsImage::m_pfnRowTo8, &CGraphicsImage::m_pfnRowCopyTo8},
        {24, &CGraphicsImage::m_pfnRowTo24, &CGraphicsImage::m_pfnRowCopyTo24},
        {32, &CGraphicsImage::m_pfnRowTo32, &CGraphicsImage::m_pfnRowCopyTo32},
    };
    for (const auto& c : cases) {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(c.bits, 9, 3, 0x5A, 0));
        uint8_t* row = image.RowAt(2);
        EXPECT_EQ((image.*c.same)(row, &image), row);
        uint8_t* copy = (image.*c.copy)(row, &image);
        EXPECT_EQ(copy, image.m_pSpareRow);
        EXPECT_EQ(std::memcmp(copy, row, image.m_nStride), 0);
    }
}

TEST(ImageRows, EmptyImageHasDoNothingFunctions)
{
    CGraphicsImage image;
    uint8_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(image.m_pfnGetPixel(row, 0), 0u);
    image.m_pfnSetPixel(row, 0, 0xFFFFFFFF);
    EXPECT_EQ(row[0], 1);
    EXPECT_EQ(image.m_pfnColorToPixel(0x123456), 0x123456u);
    EXPECT_NE(image.m_pfnRowTo24(row, &image), nullptr);
    EXPECT_NE(image.m_pfnRowTo24(row, &image), row);
}

TEST(ImageRows, SpareRowHoldsFourBytesPerPixelPlusEight)
{
    // Row converters store 4-byte words; ASan sees any write past the spare row.
    for (uint32_t bits : kDepths)
        for (uintptr_t buffer : {uintptr_t(0), uintptr_t(1)}) {
            if (buffer == 1 && (bits == 2 || bits == 12))
                continue;
            CGraphicsImage image;
            ASSERT_TRUE(image.Create(bits, 31, 2, 0, buffer));
            std::memset(image.m_pSpareRow, 0xEE, 4 * 31 + 8);
            image.m_pfnRowCopyTo32(image.RowAt(0), &image);
            image.m_pfnRowCopyTo24(image.RowAt(0), &image);
        }
}

TEST(ImageMemory, CallersBufferIsUsedInPlaceAndNeverFreed)
{
    std::vector<uint8_t> pixels(16 * 4 + 3);
    uint8_t* aligned = pixels.data();
    {
        CGraphicsImage image;
        ASSERT_TRUE(image.Create(32, 4, 4, 0x11223344, reinterpret_cast<uintptr_t>(aligned)));
        EXPECT_EQ(image.m_pBits, aligned);
        EXPECT_EQ(image.m_pBlock, aligned);
        EXPECT_EQ(image.m_bForeignBits, 1u);
        EXPECT_NE(image.m_pSpareRow, nullptr);
        EXPECT_TRUE(image.Free());
    }
    EXPECT_EQ(aligned[0], 0x44);  // still ours to read: nothing freed it
}

TEST(ImageMemory, DibSectionIsOwnedAndDeletedByClear)
{
    CGraphicsImage image;
    ASSERT_TRUE(image.Create(16, 7, 3, 0x00FF00, CGraphicsImage::DIB_SECTION));
    ASSERT_NE(image.m_hDibSection, nullptr);
    EXPECT_EQ(image.m_bForeignBits, 1u);
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(2), 6), 0x00FC00u);
#ifdef _WIN32
    // The section GDI made is exactly our pixel memory, with our 5-6-5 layout.
    std::vector<uint8_t> info(CGraphicsImage::BITMAPINFO_SIZE);
    std::memcpy(info.data(), image.m_pBitmapInfo, info.size());
    std::vector<uint8_t> out(image.m_nImageSize);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, image.m_hDibSection, 0, 3, out.data(), reinterpret_cast<BITMAPINFO*>(info.data()),
                        DIB_RGB_COLORS),
              3);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(std::memcmp(out.data(), image.m_pBits, out.size()), 0);
    HBITMAP section = image.m_hDibSection;
    image.Clear();
    EXPECT_EQ(image.m_hDibSection, nullptr);
    BITMAP bm;
    EXPECT_EQ(GetObject(section, sizeof(bm), &bm), 0);  // the handle is gone
#else
    const long live = LindarLiveDibSections();
    image.Clear();
    EXPECT_EQ(LindarLiveDibSections(), live - 1);
#endif
}

TEST(ImageLifecycle, AssignCopiesHeaderPaletteAndPixels)
{
    CGraphicsImage source;
    ASSERT_TRUE(source.Create(4, 9, 5, 3, 0));
    source.SetPaletteEntry(3, 0x12345678);
    source.m_pfnSetPixel(source.RowAt(4), 8, 11);
    auto progress = [](void*, uintptr_t, int, int, int, unsigned char*) {};
    source.SetUserData(progress, 77);
    CGraphicsImage copy(source);
    EXPECT_EQ(copy.m_nBitCount, 4u);
    EXPECT_EQ(copy.m_bForeignBits, 0u);
    EXPECT_EQ(std::memcmp(copy.m_pBitmapInfo, source.m_pBitmapInfo, CGraphicsImage::BITMAPINFO_SIZE), 0);
    EXPECT_EQ(std::memcmp(copy.m_pBits, source.m_pBits, source.m_nImageSize), 0);
    EXPECT_EQ(copy.m_pProgressContext, 77u);

    copy = copy;  // self-assignment keeps the picture
    EXPECT_EQ(copy.m_pfnGetPixel(copy.RowAt(4), 8), 11u);
    EXPECT_TRUE(copy.Swap(copy));
    EXPECT_EQ(copy.m_pfnGetPixel(copy.RowAt(4), 8), 11u);

    CGraphicsImage empty;
    EXPECT_FALSE(copy.Assign(empty));
    EXPECT_EQ(copy.m_nError, 2);
    EXPECT_EQ(copy.m_pBits, nullptr);
    EXPECT_FALSE(copy.Free());
}

TEST(ImageLifecycle, SwapExchangesEverything)
{
    CGraphicsImage a, b;
    ASSERT_TRUE(a.Create(8, 3, 3, 1, 0));
    ASSERT_TRUE(b.Create(32, 5, 2, 2, CGraphicsImage::DIB_SECTION));
    const uint8_t* bitsA = a.m_pBits;
    const uint8_t* bitsB = b.m_pBits;
    EXPECT_TRUE(a.Swap(b));
    EXPECT_EQ(a.m_pBits, bitsB);
    EXPECT_EQ(b.m_pBits, bitsA);
    EXPECT_EQ(a.m_nBitCount, 32u);
    EXPECT_NE(a.m_hDibSection, nullptr);
    EXPECT_EQ(b.m_hDibSection, nullptr);
    EXPECT_EQ(b.m_pfnGetPixel(b.RowAt(0), 0), 1u);
    EXPECT_EQ(a.m_pfnGetPixel(a.RowAt(0), 4), 2u);
}

TEST(ImageLifecycle, ClearKeepsProgressAndTextState)
{
    CGraphicsImage image;
    EXPECT_EQ(image.m_dashPattern, 0xF0F0F0F0u);
    EXPECT_EQ(image.m_dotPattern, 0xAAAAAAAAu);
    EXPECT_EQ(image.m_nRequestedSpacing, int32_t(CGraphicsImage::DEFAULT_SPACING));
    EXPECT_EQ(image.m_pFont, nullptr);
    image.SetUserData(nullptr, 5);
    image.m_nTextAlign = 2;
    ASSERT_TRUE(image.Create(8, 2, 2, 0, 0));
    image.Clear();
    EXPECT_EQ(image.m_pProgressContext, 5u);
    EXPECT_EQ(image.m_nTextAlign, 2);
    const uint8_t* info = image.m_pBitmapInfo;
    for (uint32_t i = 0; i < CGraphicsImage::BITMAPINFO_SIZE; ++i)
        ASSERT_EQ(info[i], 0);
}

TEST(ImageProgress, ReportsCappedPercentAndThrowsOnCancel)
{
    struct Seen {
        void* owner;
        int a, b, percent;
        bool cancel;
    };
    static Seen seen;
    CGraphicsImage image;
    image.SetUserData(
        [](void* owner, uintptr_t user, int a, int b, int percent, unsigned char* cancel) {
            Seen* s = reinterpret_cast<Seen*>(user);
            s->owner = owner;
            s->a = a;
            s->b = b;
            s->percent = percent;
            EXPECT_EQ(*cancel, 0);
            *cancel = s->cancel ? 1 : 0;
        },
        reinterpret_cast<uintptr_t>(&seen));
    seen = {};
    image.ReportProgress(250, 3, 4);
    EXPECT_EQ(seen.owner, &image);
    EXPECT_EQ(seen.percent, 100);
    EXPECT_EQ(seen.a, 3);
    seen.cancel = true;
    try {
        image.ReportProgress(50, 1, 1);
        ADD_FAILURE() << "no throw";
    } catch (int code) {
        EXPECT_EQ(code, 1);
    }
    CGraphicsImage quiet;
    quiet.ReportProgress(10, 1, 1);  // no callback: nothing happens
}

TEST(ImageSwapRedBlue, ExchangesFirstAndThirdBytes)
{
    uint8_t px32[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    SwapRedBlue32(px32, 2);
    EXPECT_EQ(std::vector<uint8_t>(px32, px32 + 9), (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8, 9}));
    uint8_t px24[] = {1, 2, 3, 4, 5, 6, 7};
    SwapRedBlue24(px24, 2);
    EXPECT_EQ(std::vector<uint8_t>(px24, px24 + 7), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 7}));
    SwapRedBlue24(px24, 0);
    SwapRedBlue32(px32, -5);
    EXPECT_EQ(px24[0], 3);
}

// The vector loops (windows of five pixels) give the pixel loop's bytes, in
// place and into another row, at any alignment, and write nothing past the
// last pixel.
TEST(ImageSwapRedBlue, RowsAgreeAtEveryVectorLevel)
{
    using graphics_detail::VectorLevel;
    lindar_test::Rng rng(24);
    for (int count = 0; count <= 70; count += count < 40 ? 1 : 15)
        for (int offset = 0; offset < 4; ++offset) {
            std::vector<uint8_t> source(size_t(3 * count + offset + 1));
            for (uint8_t& b : source)
                b = uint8_t(rng.Next());
            std::vector<uint8_t> expected(source);
            for (int i = 0; i < count; ++i)
                std::swap(expected[size_t(offset + 3 * i)], expected[size_t(offset + 3 * i + 2)]);
            for (const VectorLevel level : {VectorLevel::Avx2, VectorLevel::Ssse3, VectorLevel::Sse2, VectorLevel::None}) {
                blit_test::VectorLevelScope cap(level);
                std::vector<uint8_t> inPlace(source), copied(source.size(), 0xAB);
                SwapRedBlue24(inPlace.data() + offset, count);
                CopySwapRedBlue24(source.data() + offset, copied.data() + offset, count);
                EXPECT_EQ(expected, inPlace) << count << " " << offset << " " << int(level);
                std::vector<uint8_t> around(expected);
                std::fill(around.begin(), around.begin() + offset, 0xAB);
                around.back() = 0xAB;
                EXPECT_EQ(around, copied) << count << " " << offset << " " << int(level);
            }
        }
}
