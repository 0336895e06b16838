// The clipboard, device-dependent bitmaps and bitmap resources with the real
// USER and GDI (under Wine): round trips at every depth, hostile clipboard
// blocks, and the clipboard closed after every call.
#include <gtest/gtest.h>

#include "tests/graphics/dib_blocks.h"

namespace {

using namespace dib_test;

constexpr uint32_t kDepths[] = {1, 2, 4, 8, 12, 15, 16, 24, 32};

uint32_t ColourAt(const CGraphicsImage& image, int x, int y)
{
    const uint32_t v = image.m_pfnGetPixel(image.RowAt(y), x);
    return (image.m_bTrueColor ? v : image.GetPaletteRGB(v, nullptr, nullptr, nullptr)) & 0xFFFFFF;
}

// Compared at the bits the source keeps: GDI widens 5-bit channels by
// repeating their top bits.
void ExpectSameColours(const CGraphicsImage& got, const CGraphicsImage& want)
{
    const uint32_t kept = want.m_nSignificantBits;
    ASSERT_EQ(got.m_nWidth, want.m_nWidth);
    ASSERT_EQ(got.m_nHeight, want.m_nHeight);
    for (uint32_t y = 0; y < want.m_nHeight; ++y)
        for (uint32_t x = 0; x < want.m_nWidth; ++x)
            ASSERT_EQ(ColourAt(got, int(x), int(y)) & kept, ColourAt(want, int(x), int(y))) << x << "," << y;
}

class GdiTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The clipboard needs an owner window: without one SetClipboardData fails.
        m_window = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override { DestroyWindow(m_window); }

    // The clipboard is free again: a call left it closed.
    void ExpectClosed()
    {
        EXPECT_TRUE(OpenClipboard(m_window));
        CloseClipboard();
    }

    std::vector<uint8_t> ClipboardDib()
    {
        std::vector<uint8_t> out;
        if (!OpenClipboard(m_window))
            return out;
        if (HANDLE data = GetClipboardData(CF_DIB)) {
            const auto* p = static_cast<const uint8_t*>(GlobalLock(data));
            out.assign(p, p + GlobalSize(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return out;
    }

    void PutDib(const std::vector<uint8_t>& block)
    {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
        std::memcpy(GlobalLock(memory), block.data(), block.size());
        GlobalUnlock(memory);
        ASSERT_TRUE(OpenClipboard(m_window));
        EmptyClipboard();
        EXPECT_NE(SetClipboardData(CF_DIB, memory), nullptr);
        CloseClipboard();
    }

    HWND m_window = nullptr;
};

// What lands on the clipboard: 2 and 12 bits as 4 and 24, 15 and 16 with
// their masks, palettes whole, true colour without a table.
struct CopyCase {
    uint32_t bits;
    uint16_t dibBits;
    uint32_t tableBytes;
};
constexpr CopyCase kCopyCases[] = {{1, 1, 8},   {2, 4, 64},   {4, 4, 64},   {8, 8, 1024}, {12, 24, 0},
                                   {15, 16, 12}, {16, 16, 12}, {24, 24, 0}, {32, 32, 0}};

TEST_F(GdiTest, ClipboardRoundTripsAtEveryDepth)
{
    for (const CopyCase& c : kCopyCases) {
        const CGraphicsImage source = RandomImage(c.bits, 11, 4, c.bits);
        ASSERT_TRUE(source.CopyToClipboard(m_window)) << c.bits;
        ExpectClosed();
        const std::vector<uint8_t> dib = ClipboardDib();
        ASSERT_GE(dib.size(), 40u);
        BITMAPINFOHEADER header;
        std::memcpy(&header, dib.data(), 40);
        const uint32_t pixels = ((c.dibBits * 11 + 31) / 32) * 4 * 4;
        EXPECT_EQ(dib.size(), 40 + c.tableBytes + pixels) << c.bits;
        EXPECT_EQ(header.biBitCount, c.dibBits);
        EXPECT_EQ(header.biCompression, c.bits == 15 || c.bits == 16 ? BI_BITFIELDS : BI_RGB);
        EXPECT_EQ(header.biClrUsed, c.dibBits <= 8 ? c.tableBytes / 4 : 0) << c.bits;

        CGraphicsImage pasted;
        ASSERT_TRUE(pasted.PasteFromClipboard(m_window, CGraphicsImage::PASTE_KEEP_ALPHA)) << c.bits;
        ExpectClosed();
        EXPECT_EQ(pasted.m_nBitCount, c.dibBits == 16 ? c.bits : c.dibBits);
        ExpectSameColours(pasted, source);
        if (c.bits == 32) {
            EXPECT_EQ(std::memcmp(pasted.m_pBits, source.m_pBits, source.m_nImageSize), 0);
            ASSERT_TRUE(pasted.PasteFromClipboard(m_window, 0));
            EXPECT_EQ(pasted.GetAlphaMode(), 0u);
        }
    }
}

TEST_F(GdiTest, EmptyImageOrClipboardAnswersFalseAndLeavesItClosed)
{
    CGraphicsImage empty;
    EXPECT_FALSE(empty.CopyToClipboard(m_window));
    ExpectClosed();
    ASSERT_TRUE(OpenClipboard(m_window));
    EmptyClipboard();
    CloseClipboard();
    CGraphicsImage image = RandomImage(8, 2, 2, 1);
    EXPECT_FALSE(image.PasteFromClipboard(m_window, 0));
    EXPECT_EQ(image.m_pBits, nullptr);
    ExpectClosed();
}

TEST_F(GdiTest, HostileClipboardBlocksRefused)
{
    for (const Hostile& h : kHostile) {
        PutDib(HostileBlock(h));
        CGraphicsImage image = RandomImage(8, 2, 2, 1);
        EXPECT_FALSE(image.PasteFromClipboard(m_window, 0)) << h.name;
        EXPECT_EQ(image.m_pBits, nullptr) << h.name;
        ExpectClosed();
    }
}

TEST_F(GdiTest, DeviceBitmapRoundTripsAtEveryDepth)
{
    for (uint32_t bits : kDepths) {
        SCOPED_TRACE(bits);
        CGraphicsImage source = RandomImage(bits, 9, 5, bits + 100);
        HBITMAP ddb = source.CreateDDB(m_window);
        ASSERT_NE(ddb, nullptr) << bits;
        CGraphicsImage back;
        EXPECT_TRUE(back.CreateFromBitmap(m_window, ddb)) << bits;
        DeleteObject(ddb);
        ExpectSameColours(back, source);
    }
    CGraphicsImage empty;
    EXPECT_EQ(empty.CreateDDB(m_window), nullptr);
    EXPECT_FALSE(empty.CreateFromBitmap(m_window, nullptr));
}

// A DIB section keeps its depth, its masks and its colour table.
TEST_F(GdiTest, DibSectionsKeepDepthAndPalette)
{
    for (uint32_t bits : {1u, 4u, 8u, 15u, 16u, 24u, 32u}) {
        CGraphicsImage source;
        ASSERT_TRUE(source.Create(bits, 7, 3, 0, CGraphicsImage::DIB_SECTION));
        const CGraphicsImage random = RandomImage(bits, 7, 3, bits);
        std::memcpy(source.m_pBitmapInfo, random.m_pBitmapInfo, CGraphicsImage::BITMAPINFO_SIZE);
        std::memcpy(source.m_pBits, random.m_pBits, random.m_nImageSize);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, source.m_hDibSection);
        if (source.m_nPaletteSize)
            SetDIBColorTable(dc, 0, source.m_nPaletteSize, source.m_pPalette);
        SelectObject(dc, old);
        DeleteDC(dc);
        CGraphicsImage back;
        ASSERT_TRUE(back.CreateFromBitmap(nullptr, source.m_hDibSection)) << bits;
        ExpectSameImage(back, random);
    }
}

TEST_F(GdiTest, BitmapResourcesOfTheProgram)
{
    CGraphicsImage want;
    ASSERT_TRUE(want.Create(24, 4, 2));
    const uint32_t colours[8] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0xFFFF00, 0x00FFFF};
    for (int i = 0; i < 8; ++i)
        want.m_pfnSetPixel(want.RowAt(i / 4), i % 4, colours[i]);
    for (const char* name : {static_cast<const char*>("TESTBMP"), static_cast<const char*>(MAKEINTRESOURCEA(101))}) {
        CGraphicsImage image;
        ASSERT_TRUE(image.LoadBitmapResource(name, nullptr));
        ExpectSameColours(image, want);
    }
    CGraphicsImage image = want;
    EXPECT_FALSE(image.LoadBitmapResource("NOSUCHBITMAP", nullptr));
    EXPECT_EQ(image.m_pBits, nullptr);
}

}  // namespace
