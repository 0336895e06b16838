// The canvas window's back buffer under Wine: following the window, limits,
// locking, failure, screen depths, threads and GDI resources.
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/canvas/canvas_test_support.h"

namespace {

using canvas_test::CanvasFixture;
using canvas_test::Fields;
using canvas_test::PixelAt;
using canvas_test::kBackgroundPixel;
using canvas_test::TestCanvas;

bool HasDeferredResize(HWND wnd)
{
    MSG msg;
    return PeekMessageA(&msg, wnd, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) && msg.wParam == BWM_DEFERREDRESIZE;
}

TEST(CanvasBufferTest, FollowsTheClientAndKeepsThePicture)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(0, 200, 100));
    f.PaintGradient();
    f.Resize(300, 150);
    winharness::PumpUntilIdle();
    const CGraphicsImage& grown = *f.canvas->m_pImage;
    ASSERT_EQ(grown.m_nWidth, 300u);
    ASSERT_EQ(grown.m_nHeight, 150u);
    EXPECT_EQ(PixelAt(grown, 199, 99), CanvasFixture::GradientPixel(199, 99));
    EXPECT_EQ(PixelAt(grown, 0, 0), CanvasFixture::GradientPixel(0, 0));
    EXPECT_EQ(PixelAt(grown, 250, 50), kBackgroundPixel) << "new area";
    EXPECT_EQ(PixelAt(grown, 20, 120), kBackgroundPixel) << "new area";
    const winharness::Screenshot shot = f.Shot();
    EXPECT_EQ(shot.At(199, 99), CanvasFixture::GradientPixel(199, 99));
    EXPECT_EQ(shot.At(250, 50), kBackgroundPixel);

    f.Resize(100, 50);
    winharness::PumpUntilIdle();
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, 100u);
    EXPECT_EQ(PixelAt(*f.canvas->m_pImage, 99, 49), CanvasFixture::GradientPixel(99, 49));
}

TEST(CanvasBufferTest, SizeLimitsAndSetBufferSize)
{
    CanvasFixture f;
    f.canvas->m_sizeMin = SIZE{250, 120};
    f.canvas->m_sizeMax = SIZE{280, 1000};
    ASSERT_TRUE(f.Create(0, 400, 100));
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, 280u) << "capped at the maximum";
    EXPECT_EQ(f.canvas->m_pImage->m_nHeight, 120u) << "raised to the minimum";

    const struct {
        int width, height;
        bool result;
        uint32_t expectedWidth, expectedHeight;
    } cases[] = {
        {0, 10, false, 280, 120},     {16001, 10, false, 280, 120}, {10, 16001, false, 280, 120},
        {-1, 10, false, 280, 120},    {500, 100, true, 280, 120},   {260, 200, true, 260, 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f.canvas->SetBufferSize(c.width, c.height), c.result) << c.width << "x" << c.height;
        EXPECT_EQ(std::make_pair(f.canvas->m_pImage->m_nWidth, f.canvas->m_pImage->m_nHeight),
                  std::make_pair(c.expectedWidth, c.expectedHeight)) << c.width << "x" << c.height;
    }
    EXPECT_EQ(f.canvas->m_sizeMin.cx, 250) << "not stored without BWS_FIXEDSIZE";
    const HBITMAP dib = f.canvas->m_dibSection;
    EXPECT_TRUE(f.canvas->SetBufferSize(260, 200));
    EXPECT_EQ(f.canvas->m_dibSection, dib) << "the same size makes no new buffer";

    CanvasFixture fixed;
    ASSERT_TRUE(fixed.Create(BWS_FIXEDSIZE, 400, 100));
    ASSERT_TRUE(fixed.canvas->SetBufferSize(700, 90));
    EXPECT_EQ(std::make_pair(fixed.canvas->m_sizeMin.cx, fixed.canvas->m_sizeMin.cy), std::make_pair(700L, 90L));
    fixed.Resize(300, 300);
    winharness::PumpUntilIdle();
    EXPECT_EQ(fixed.canvas->m_pImage->m_nWidth, 700u) << "a fixed buffer ignores the window";
}

TEST(CanvasBufferTest, LockingDefersTheResizeUntilTheLastUnlock)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(0, 200, 100));
    const HWND wnd = f.canvas->m_hWnd;
    EXPECT_EQ(f.canvas->UnlockBuffer(), 0) << "unlocking at 0 does nothing";
    EXPECT_FALSE(HasDeferredResize(wnd));

    EXPECT_EQ(f.canvas->LockBuffer(), 1);
    EXPECT_EQ(f.canvas->LockBuffer(), 2);
    f.Resize(320, 160);
    winharness::PumpUntilIdle();
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, 200u) << "locked: no re-creation";
    EXPECT_EQ(f.canvas->m_sizeClient.cx, 320);
    EXPECT_FALSE(f.canvas->SetBufferSize(400, 300)) << "locked";
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, 200u);

    EXPECT_EQ(f.canvas->UnlockBuffer(), 1);
    EXPECT_FALSE(HasDeferredResize(wnd)) << "still locked once";
    EXPECT_EQ(f.canvas->UnlockBuffer(), 0);
    EXPECT_TRUE(HasDeferredResize(wnd)) << "posted, not sent";
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, 200u);
    winharness::PumpUntilIdle();
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, 320u);
    EXPECT_EQ(f.canvas->m_pImage->m_nHeight, 160u);
}

TEST(CanvasBufferTest, DeferredResizeUpdatesScrollBarsAndPosition)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(BWS_HSCROLL | BWS_CENTER, 300, 200));
    f.PaintGradient();
    f.canvas->LockBuffer();
    f.Resize(500, 200);
    winharness::PumpUntilIdle();
    EXPECT_EQ(f.canvas->m_ptScroll.x, -100) << "the old picture is centred meanwhile";
    f.canvas->UnlockBuffer();
    winharness::PumpUntilIdle();
    ASSERT_EQ(f.canvas->m_pImage->m_nWidth, 500u);
    EXPECT_EQ(f.canvas->m_ptScroll.x, 0) << "the new buffer fills the client";
    EXPECT_EQ(canvas_test::ScrollInfo(f.canvas->m_hWnd, SB_HORZ).nMax, 500);
    const winharness::Screenshot shot = f.Shot();
    EXPECT_EQ(shot.At(0, 10), CanvasFixture::GradientPixel(0, 10));
    EXPECT_EQ(shot.At(299, 10), CanvasFixture::GradientPixel(299, 10));
    EXPECT_EQ(shot.At(400, 10), kBackgroundPixel);
}

// Reserves address space until no block of the given size is left, so a
// buffer of that size cannot be made.
class AddressSpaceHog {
public:
    explicit AddressSpaceHog(size_t chunk)
    {
        while (void* block = VirtualAlloc(nullptr, chunk, MEM_RESERVE, PAGE_NOACCESS))
            m_blocks.push_back(block);
    }
    ~AddressSpaceHog()
    {
        for (void* block : m_blocks)
            VirtualFree(block, 0, MEM_RELEASE);
    }

private:
    std::vector<void*> m_blocks;
};

TEST(CanvasBufferTest, ABufferThatCannotBeMadeLeavesTheOldOneInUse)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(BWS_FIXEDSIZE, 200, 100));
    ASSERT_TRUE(f.canvas->SetBufferSize(200, 100));
    f.PaintGradient();
    const HBITMAP dib = f.canvas->m_dibSection;
    const CGraphicsImage* image = f.canvas->m_pImage;
    {
        // 16000 x 16000 x 32 bits is 1 GB: never there once every 256 MB
        // block is taken.
        AddressSpaceHog hog(size_t(256) << 20);
        EXPECT_FALSE(f.canvas->SetBufferSize(16000, 16000));
        EXPECT_FALSE(f.canvas->RecreateBuffer(16000, 16000));
    }
    EXPECT_EQ(f.canvas->m_pImage, image);
    EXPECT_EQ(f.canvas->m_dibSection, dib);
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, 200u);
    f.canvas->Invalidate(FALSE);
    const winharness::Screenshot shot = f.Shot();
    EXPECT_EQ(shot.At(150, 70), CanvasFixture::GradientPixel(150, 70)) << "the old buffer still paints";
    EXPECT_TRUE(f.canvas->RecreateBuffer(220, 110)) << "and re-creation works again";
}

TEST(CanvasBufferTest, SixteenAndFifteenBitScreensMatchTheImageLayout)
{
    const struct {
        int bits;
        DWORD masks[3];
    } cases[] = {{16, {0xF800, 0x07E0, 0x001F}}, {15, {0x7C00, 0x03E0, 0x001F}}};
    for (const auto& c : cases) {
        CanvasFixture f;
        ASSERT_TRUE(f.Create(0, 64, 32, c.bits));
        ASSERT_EQ(f.canvas->m_pImage->m_nBitCount, uint32_t(c.bits));
        DIBSECTION section = {};
        ASSERT_EQ(GetObjectA(f.canvas->m_dibSection, sizeof section, &section), int(sizeof section));
        EXPECT_EQ(section.dsBm.bmBitsPixel, 16);
        EXPECT_EQ(section.dsBmih.biCompression, DWORD(BI_BITFIELDS)) << c.bits;
        EXPECT_EQ(std::vector<DWORD>(section.dsBitfields, section.dsBitfields + 3),
                  std::vector<DWORD>(c.masks, c.masks + 3)) << c.bits;
        // Green 0x80 is a colour whose 5-6-5 and 5-5-5 words differ wholly.
        f.canvas->m_pImage->FillRect(0, 0, 64, 32, 0x008000);
        f.canvas->Invalidate(FALSE);
        const uint32_t pixel = f.Shot().At(5, 5);
        EXPECT_LE(pixel >> 16, 8u) << std::hex << pixel;
        EXPECT_NEAR(double((pixel >> 8) & 0xFF), 128.0, 8.0) << std::hex << pixel;
        EXPECT_LE(pixel & 0xFF, 8u) << std::hex << pixel;
    }
}

TEST(CanvasBufferTest, PaletteScreensGiveTheImageTheDibColourTable)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(0, 16, 8, 8));
    const CGraphicsImage& image = *f.canvas->m_pImage;
    ASSERT_EQ(image.m_nBitCount, 8u);
    RGBQUAD table[256] = {};
    const HGDIOBJ previous = f.canvas->m_dcMemory.SelectObject(f.canvas->m_dibSection);
    ASSERT_EQ(GetDIBColorTable(f.canvas->m_dcMemory.m_hDC, 0, 256, table), 256u);
    f.canvas->m_dcMemory.SelectObject(previous);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue),
                  RGB(image.m_pPalette[i].rgbRed, image.m_pPalette[i].rgbGreen, image.m_pPalette[i].rgbBlue)) << i;
    EXPECT_EQ(image.m_pfnGetPixel(image.RowAt(0), 0), 15u) << "filled with index 15";
}

TEST(CanvasBufferTest, WorkerDrawsUnderTheLockWhileTheWindowResizes)
{
    CanvasFixture f;
    ASSERT_TRUE(f.Create(0, 200, 100));
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::atomic<int> disturbed{0};
    std::thread worker([&] {
        uint32_t colour = 0;
        while (!stop) {
            f.canvas->LockBuffer();
            CGraphicsImage* image = f.canvas->m_pImage;
            const uint32_t width = image->m_nWidth;
            const uint32_t height = image->m_nHeight;
            image->FillRect(0, 0, int(width), int(height), colour += 0x010203);
            if (f.canvas->m_pImage != image || image->m_nWidth != width || image->m_nHeight != height)
                ++disturbed;
            f.canvas->UnlockBuffer();
            ++frames;
        }
    });
    for (int i = 0; i < 60; ++i) {
        f.Resize(150 + (i * 37) % 300, 80 + (i * 23) % 200);
        winharness::PumpUntilIdle(50);
    }
    EXPECT_TRUE(winharness::PumpUntil([&] { return frames >= 20; }, 10000)) << "the worker is stuck";
    stop = true;
    worker.join();
    winharness::PumpUntilIdle();
    EXPECT_EQ(disturbed, 0) << "the buffer changed under a lock";
    EXPECT_EQ(f.canvas->m_nLockCount, 0);
    RECT client;
    GetClientRect(f.canvas->m_hWnd, &client);
    EXPECT_EQ(f.canvas->m_pImage->m_nWidth, uint32_t(client.right)) << "the last resize happened";
    EXPECT_EQ(f.canvas->m_pImage->m_nHeight, uint32_t(client.bottom));
}

TEST(CanvasBufferTest, DestructionFreesEveryGdiObject)
{
    winharness::NotifyParent parent(400, 300);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int cycle = 0; cycle < 100; ++cycle) {
        HBITMAP dib;
        HDC memory;
        {
            TestCanvas canvas;
            const RECT rect = {0, 0, 120 + cycle, 80};
            ASSERT_TRUE(canvas.Create(0, WS_CHILD | WS_VISIBLE | BWS_HSCROLL | BWS_VSCROLL, rect,
                                      CWnd::FromHandle(parent.Handle()), 5));
            ASSERT_TRUE(canvas.SetBufferSize(300, 200));
            canvas.Invalidate(FALSE);
            canvas.UpdateWindow();
            dib = canvas.m_dibSection;
            memory = canvas.m_dcMemory.m_hDC;
            ASSERT_NE(dib, nullptr);
        }
        ASSERT_EQ(GetObjectType(dib), 0u) << "the back buffer is freed, cycle " << cycle;
        ASSERT_EQ(GetObjectType(memory), 0u) << "the memory DC is deleted, cycle " << cycle;
        winharness::PumpUntilIdle(20);
    }
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_LE(after, before + 2) << "GDI objects before " << before << ", after " << after;
}

class FailingCanvas : public TestCanvas {
public:
    BOOL PreCreateWindow(CREATESTRUCTA&) override { return FALSE; }
};

TEST(CanvasCreateTest, CreateOverControlTakesThePlaceholdersPlace)
{
    winharness::NotifyParent parent(400, 300);
    constexpr UINT kPlaceholder = 50;
    const HWND placeholder = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 30, 100, 50,
                                             parent.Handle(), reinterpret_cast<HMENU>(UINT_PTR(kPlaceholder)),
                                             nullptr, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent.Handle(), reinterpret_cast<HMENU>(UINT_PTR(60)),
                    nullptr, nullptr);
    CWnd* dialog = CWnd::FromHandle(parent.Handle());

    TestCanvas canvas;
    ASSERT_TRUE(canvas.CreateOverControl(0, WS_CHILD | WS_VISIBLE | BWS_CENTER | BWS_HSCROLL, kPlaceholder, dialog, 51));
    RECT rect;
    GetWindowRect(canvas.m_hWnd, &rect);
    MapWindowPoints(nullptr, parent.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(Fields(rect), Fields(RECT{20, 30, 120, 80}));
    EXPECT_EQ(GetWindow(placeholder, GW_HWNDNEXT), canvas.m_hWnd) << "right after the placeholder";
    EXPECT_EQ(GetDlgCtrlID(canvas.m_hWnd), 51);
    EXPECT_TRUE(canvas.m_center);
    EXPECT_EQ(canvas.m_pImage->m_nWidth, 100u);

    TestCanvas missing;
    EXPECT_FALSE(missing.CreateOverControl(0, WS_CHILD, 99, dialog, 52)) << "no placeholder";
    FailingCanvas failing;
    EXPECT_FALSE(failing.CreateOverControl(0, WS_CHILD, kPlaceholder, dialog, 53)) << "the creation result";
    EXPECT_EQ(failing.m_hWnd, nullptr);
}

}  // namespace
