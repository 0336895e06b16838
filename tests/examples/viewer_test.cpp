// The example viewer: a known picture appears centred, or with scroll bars
// when larger than the screen, and scrolls by the wheel and the keys; a
// file it cannot show is reported in a message box.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "examples/viewer/viewer_frame.h"
#include "examples/viewer/viewer_load.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/png_writer.h"
#include "platform/framework/dialog.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/support/test_support.h"
#include "tests/winharness/message_pump.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/real_input.h"
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
    EXPECT_TRUE(winharness::SavePicture(whole, png ? "viewer_png.png" : "viewer_bmp.png"));
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

// A large picture scrolls by real input as in image viewers: the wheel by
// the system's wheel lines (sideways with Shift), the arrow keys by the
// scroll bars' line, Page Up and Down by a page, Home and End to the top
// and the bottom.
TEST(ViewerTest, WheelAndKeysScrollThePicture)
{
    constexpr int kWidth = 3000, kHeight = 2000;
    CGraphicsImage image;
    ASSERT_EQ(LoadViewerImage(WriteQuadrants("scroll.bmp", kWidth, kHeight, CBmpWriter()).c_str(), &image), 0);
    CViewerFrame frame;
    ASSERT_TRUE(frame.CreateFrame("scroll", kWidth, kHeight, false));
    ASSERT_TRUE(frame.ShowImage(image));
    frame.ShowWindow(SW_SHOWNORMAL);
    winharness::PumpUntilIdle();
    CBitmapWnd& canvas = frame.Canvas();
    winharness::RealInput input;
    ASSERT_TRUE(input.Activate(frame.m_hWnd));
    EXPECT_EQ(GetFocus(), canvas.m_hWnd);

    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int notch = int(lines) * canvas::kLineStep;
    const SIZE client = canvas.m_sizeClient;
    const POINT last = {kWidth - client.cx, kHeight - client.cy};  // the far end of each axis
    const POINT middle = {client.cx / 2, client.cy / 2};
    const auto wheel = [&](int notches, unsigned modifiers) {
        return [&input, &canvas, middle, notches, modifiers] {
            if (modifiers & winharness::kShift)
                input.KeyDown(VK_SHIFT);
            input.Wheel(canvas.m_hWnd, middle, notches);
            if (modifiers & winharness::kShift)
                input.KeyUp(VK_SHIFT);
        };
    };
    const auto key = [&input](WORD vk) { return [&input, vk] { input.Key(vk); }; };
    const struct {
        const char* name;
        POINT from;
        std::function<void()> act;
        POINT to;
    } rows[] = {
        {"wheel towards the user", {100, 100}, wheel(-1, 0), {100, 100 + notch}},
        {"wheel away, two notches", {100, 700}, wheel(2, 0), {100, 700 - 2 * notch}},
        {"wheel away at the top", {100, 10}, wheel(1, 0), {100, 0}},
        {"Shift+wheel towards the user", {100, 100}, wheel(-1, winharness::kShift), {100 + notch, 100}},
        {"Shift+wheel away", {500, 100}, wheel(1, winharness::kShift), {500 - notch, 100}},
        {"Down", {100, 100}, key(VK_DOWN), {100, 100 + canvas::kLineStep}},
        {"Up", {100, 100}, key(VK_UP), {100, 100 - canvas::kLineStep}},
        {"Right", {100, 100}, key(VK_RIGHT), {100 + canvas::kLineStep, 100}},
        {"Left", {100, 100}, key(VK_LEFT), {100 - canvas::kLineStep, 100}},
        {"Page Down", {100, 100}, key(VK_NEXT), {100, std::min<LONG>(100 + client.cy, last.y)}},
        {"Page Up", {100, last.y}, key(VK_PRIOR), {100, std::max<LONG>(last.y - client.cy, 0)}},
        {"End", {100, 100}, key(VK_END), {100, last.y}},
        {"Home", {100, last.y}, key(VK_HOME), {100, 0}},
    };
    for (const auto& row : rows) {
        canvas.ScrollTo(row.from.x, row.from.y, true);
        row.act();
        EXPECT_EQ(std::make_pair(canvas.m_ptScroll.x, canvas.m_ptScroll.y), std::make_pair(row.to.x, row.to.y))
            << row.name;
    }
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

// An RGB PNG of the bit depth (8 or 16 per channel).
codec_test::Bytes RgbPng(int bitDepth)
{
    codec_test::PngSpec spec;
    spec.width = spec.height = 16;
    spec.bitDepth = bitDepth;
    spec.colorType = PNG_COLOR_TYPE_RGB;
    codec_test::FillRandomRows(spec, 7);
    return codec_test::EncodePng(spec);
}

// The PNG cut in the middle of its image data.
codec_test::Bytes CutPng()
{
    codec_test::Bytes png = RgbPng(8);
    const size_t idat = codec_test::FindPngChunk(png, "IDAT");
    const size_t length = size_t(png[idat]) << 24 | size_t(png[idat + 1]) << 16 | size_t(png[idat + 2]) << 8 |
                          png[idat + 3];
    png.resize(idat + 8 + length / 2);
    return png;
}

// A file the viewer cannot show (no bytes: no file at all).
struct UnshownCase {
    const char* file;
    codec_test::Bytes bytes;
    int result;
    const char* reason;  // the library's text
};

// The box names the file and gives the library's reason; it is shown
// before any window, owned by none, and the load's result comes back.
TEST(ViewerTest, AFileItCannotShowIsReportedInAMessageBox)
{
    const UnshownCase cases[] = {
        {"rgb16.png", RgbPng(16), -5, "Falsches Farbformat"},
        {"cut.png", CutPng(), -1, "Fehler beim Lesen"},
        {"missing.png", {}, -3, "Kann Datei nicht \xF6" "ffnen."},
    };
    for (const UnshownCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = lindar_test::TempDir() + "/" + c.file;
        std::remove(path.c_str());
        if (!c.bytes.empty())
            codec_test::WriteFile(path, c.bytes);
        std::string caption, text;
        winharness::ModalDriver driver;
        driver.Then([&](winharness::ModalDriver& d) {
            const HWND box = d.TopDialog();
            if (!box)
                return false;
            char title[64] = {};
            GetWindowTextA(box, title, sizeof title);
            caption = title;
            text = std::string(GetControlText(GetDlgItem(box, 0xFFFF)));
            winharness::Screenshot shot;
            EXPECT_TRUE(winharness::CaptureWindow(box, &shot, false));
            EXPECT_TRUE(winharness::SavePicture(shot, std::string(c.file) + ".box.png"));
            return d.Post(IDOK);
        });
        CGraphicsImage image;
        int result = 0;
        driver.Run([&] { result = LoadViewerImageOrReport(nullptr, path.c_str(), &image); });
        EXPECT_EQ(std::make_tuple(result, caption, text),
                  std::make_tuple(c.result, std::string("Fehler"), path + "\n\n" + c.reason));
    }
}

}  // namespace
