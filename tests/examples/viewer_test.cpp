// The example viewer: a known picture appears centred, or with scroll bars
// when larger than the screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "examples/viewer/viewer_frame.h"
#include "examples/viewer/viewer_load.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/png_writer.h"
#include "tests/support/test_support.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/screenshot.h"

namespace {

// Quadrants: red top left, green top right, blue bottom left, white bottom right.
uint32_t QuadrantColour(int x, int y, int width, int height)
{
    static const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    return colours[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
}

// The quadrant picture as a file, written by one of the library's writers.
std::string WriteQuadrants(const char* name, int width, int height, CGraphicsWriter&& writer)
{
    CGraphicsImage image;
    EXPECT_TRUE(image.Create(24, width, height, 0, 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.m_pfnSetPixel(image.RowAt(y), x, QuadrantColour(x, y, width, height));
    const std::string path = lindar_test::TempDir() + "/" + name;
    writer.SaveA(path.c_str(), image);
    return path;
}

class ViewerFileTest : public ::testing::TestWithParam<bool> {};

TEST_P(ViewerFileTest, ShowsAKnownPictureCentred)
{
    const bool png = GetParam();
    const std::string path = png ? WriteQuadrants("quadrants.png", 60, 40, CPngWriter())
                                 : WriteQuadrants("quadrants.bmp", 60, 40, CBmpWriter());
    CGraphicsImage image;
    ASSERT_EQ(LoadViewerImage(path.c_str(), &image), 0);
    CViewerFrame frame;
    // A frame wider and taller than the picture: it is centred.
    ASSERT_TRUE(frame.CreateFrame("quadrants", 300, 200, false));
    ASSERT_TRUE(frame.ShowImage(image));
    frame.ShowWindow(SW_SHOWNORMAL);
    winharness::PumpUntilIdle();

    CBitmapWnd& canvas = frame.Canvas();
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(canvas.m_hWnd, &shot));
    ASSERT_EQ(shot.width, canvas.m_sizeClient.cx);
    EXPECT_EQ(canvas.m_ptScroll.x, (60 - shot.width) / 2);
    EXPECT_EQ(canvas.m_ptScroll.y, (40 - shot.height) / 2);
    const int left = -canvas.m_ptScroll.x;
    const int top = -canvas.m_ptScroll.y;
    const int probes[][2] = {{5, 5}, {55, 5}, {5, 35}, {55, 35}, {29, 19}, {30, 20}};
    for (const auto& p : probes)
        EXPECT_EQ(shot.At(left + p[0], top + p[1]), QuadrantColour(p[0], p[1], 60, 40)) << p[0] << "," << p[1];
    const uint32_t margin = (GetRValue(CViewerFrame::kBackground) << 16) | (GetGValue(CViewerFrame::kBackground) << 8) |
                            GetBValue(CViewerFrame::kBackground);
    EXPECT_EQ(shot.At(left - 1, top), margin);
    EXPECT_EQ(shot.At(left + 60, top + 39), margin);
    EXPECT_EQ(shot.At(left, top + 40), margin);
    winharness::Screenshot whole;
    ASSERT_TRUE(winharness::CaptureWindow(frame.m_hWnd, &whole, false));
    EXPECT_TRUE(winharness::SavePng(whole, lindar_test::TempDir() + (png ? "/viewer_png.png" : "/viewer_bmp.png")));
}

INSTANTIATE_TEST_SUITE_P(BmpAndPng, ViewerFileTest, ::testing::Bool());

TEST(ViewerTest, LargePicturesScroll)
{
    CGraphicsImage image;
    ASSERT_EQ(LoadViewerImage(WriteQuadrants("large.bmp", 3000, 2000, CBmpWriter()).c_str(), &image), 0);
    CViewerFrame frame;
    ASSERT_TRUE(frame.CreateFrame("large", 3000, 2000, false));
    ASSERT_TRUE(frame.ShowImage(image));
    frame.ShowWindow(SW_SHOWNORMAL);
    winharness::PumpUntilIdle();
    CBitmapWnd& canvas = frame.Canvas();
    const DWORD style = canvas.GetStyle();
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(canvas.ScrollTo(2000, 1500, true));
    winharness::Screenshot shot;
    ASSERT_TRUE(winharness::CaptureWindow(canvas.m_hWnd, &shot));
    const int x = shot.width - 1;
    const int y = shot.height - 1;
    EXPECT_EQ(shot.At(x, y), QuadrantColour(canvas.m_ptScroll.x + x, canvas.m_ptScroll.y + y, 3000, 2000));
    EXPECT_EQ(shot.At(0, 0), QuadrantColour(canvas.m_ptScroll.x, canvas.m_ptScroll.y, 3000, 2000));
}

TEST(ViewerTest, UnreadableFilesAreReported)
{
    CGraphicsImage image;
    EXPECT_EQ(LoadViewerImage((lindar_test::TempDir() + "/missing.bmp").c_str(), &image), -3);
    const std::string text = lindar_test::TempDir() + "/not_a_picture.bmp";
    FILE* out = std::fopen(text.c_str(), "wb");
    std::fputs("no picture here", out);
    std::fclose(out);
    EXPECT_EQ(LoadViewerImage(text.c_str(), &image), -2);
    EXPECT_EQ(image.m_pBits, nullptr);
}

}  // namespace
