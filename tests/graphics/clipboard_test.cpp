// The clipboard, device-dependent bitmaps and bitmap resources with the real
// USER and GDI (under Wine): round trips at every depth, hostile clipboard
// blocks, and the clipboard closed after every call.
#include "tests/graphics/dib_blocks.h"

namespace {

using namespace dib_test;

class GdiTest : public testing::Test {
protected:
    // The clipboard needs an owner window: without one SetClipboardData fails.
    void SetUp() override { ASSERT_TRUE(m_window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 8, 8, 0, 0, 0, 0)); }
    void TearDown() override { DestroyWindow(m_window); }

    // The clipboard is free again: the call before left it closed.
    void ExpectClosed()
    {
        EXPECT_TRUE(OpenClipboard(m_window));
        CloseClipboard();
    }

    // The CF_DIB block; with a block given, puts it there instead.
    std::vector<uint8_t> Dib(const std::vector<uint8_t>& put = {})
    {
        std::vector<uint8_t> out;
        EXPECT_TRUE(OpenClipboard(m_window));
        HANDLE data = put.empty() ? GetClipboardData(CF_DIB) : GlobalAlloc(GMEM_MOVEABLE, put.size());
        auto* p = data ? static_cast<uint8_t*>(GlobalLock(data)) : nullptr;
        if (p && put.empty())
            out.assign(p, p + GlobalSize(data));
        else if (p)
            std::memcpy(p, put.data(), put.size());
        GlobalUnlock(data);
        if (!put.empty()) {
            EXPECT_TRUE(EmptyClipboard() && SetClipboardData(CF_DIB, data));
        }
        CloseClipboard();
        return out;
    }

    HWND m_window = nullptr;
};

// On the clipboard 2 and 12 bits are 4 and 24, 15 and 16 carry masks,
// palettes go whole, true colour without a table.
struct CopyCase {
    uint32_t bits;
    uint16_t dibBits;
    uint32_t tableBytes;
};
constexpr CopyCase kCopyCases[] = {{1, 1, 8},    {2, 4, 64},   {4, 4, 64},  {8, 8, 1024}, {12, 24, 0},
                                   {15, 16, 12}, {16, 16, 12}, {24, 24, 0}, {32, 32, 0}};

TEST_F(GdiTest, ClipboardRoundTripsAtEveryDepth)
{
    for (const CopyCase& c : kCopyCases) {
        SCOPED_TRACE(c.bits);
        const CGraphicsImage source = RandomImage(c.bits, 11, 4, c.bits);
        ASSERT_TRUE(source.CopyToClipboard(m_window));
        ExpectClosed();
        const std::vector<uint8_t> dib = Dib();
        BITMAPINFOHEADER h;
        std::memcpy(&h, dib.data(), 40);
        EXPECT_EQ(dib.size(), 40 + c.tableBytes + ((c.dibBits * 11 + 31) / 32) * 4 * 4);
        EXPECT_EQ(h.biBitCount, c.dibBits);
        EXPECT_EQ(h.biCompression, c.tableBytes == 12 ? BI_BITFIELDS : BI_RGB);
        EXPECT_EQ(h.biClrUsed, c.dibBits <= 8 ? c.tableBytes / 4 : 0);

        CGraphicsImage pasted;
        ASSERT_TRUE(pasted.PasteFromClipboard(m_window, CGraphicsImage::PASTE_KEEP_ALPHA));
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

TEST_F(GdiTest, HostileClipboardBlocksRefused)
{
    EXPECT_FALSE(CGraphicsImage().CopyToClipboard(m_window));
    ExpectClosed();
    for (const Hostile& h : kHostile) {
        Dib(HostileBlock(h));
        CGraphicsImage image = RandomImage(8, 2, 2, 1);
        EXPECT_FALSE(image.PasteFromClipboard(m_window, 0)) << h.name;
        EXPECT_EQ(image.m_pBits, nullptr) << h.name;
        ExpectClosed();
    }
}

// A device bitmap keeps the colours; a DIB section also its depth, masks
// and colour table.
TEST_F(GdiTest, BitmapRoundTripsAtEveryDepth)
{
    for (uint32_t bits : {1, 2, 4, 8, 12, 15, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        const CGraphicsImage source = RandomImage(bits, 9, 5, bits);
        CGraphicsImage back;
        HBITMAP ddb = source.CreateDDB(m_window);
        EXPECT_TRUE(back.CreateFromBitmap(m_window, ddb));
        DeleteObject(ddb);
        ExpectSameColours(back, source);
        void* pixels = nullptr;
        const auto* info = reinterpret_cast<const BITMAPINFO*>(source.m_pBitmapInfo);
        if (HBITMAP section = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &pixels, nullptr, 0)) {
            std::memcpy(pixels, source.m_pBits, source.m_nImageSize);
            EXPECT_TRUE(back.CreateFromBitmap(nullptr, section));
            DeleteObject(section);
            ExpectSameImage(back, source);
        }
    }
    EXPECT_EQ(CGraphicsImage().CreateDDB(m_window), nullptr);
    EXPECT_FALSE(CGraphicsImage().CreateFromBitmap(m_window, nullptr));
}

// The resources of clipboard_resources.rc, from the program's own module.
TEST_F(GdiTest, BitmapResourcesOfTheProgram)
{
    CGraphicsImage want;
    ASSERT_TRUE(want.Create(24, 4, 2));
    const uint32_t colours[8] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0xFFFF00, 0x00FFFF};
    for (int i = 0; i < 8; ++i)
        want.m_pfnSetPixel(want.RowAt(i / 4), i % 4, colours[i]);
    for (LPCSTR name : {LPCSTR("TESTBMP"), LPCSTR(MAKEINTRESOURCEA(101))}) {
        CGraphicsImage image;
        ASSERT_TRUE(image.LoadBitmapResource(name, nullptr));
        ExpectSameColours(image, want);
    }
    EXPECT_FALSE(want.LoadBitmapResource("NOSUCHBITMAP", nullptr));
    EXPECT_EQ(want.m_pBits, nullptr);
}

}  // namespace
