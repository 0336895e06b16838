// One picture of everything this drawing code makes (lines, arcs, fills,
// both fonts with umlauts), written as draw_sheet.png into the test folder
// for a person to look at; the checks here only make sure it was drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "graphics/fixed_trig.h"
#include "graphics/font.h"
#include "graphics/formats/png_writer.h"
#include "graphics/plot.h"
#include "tests/graphics/draw_test_util.h"
#include "tests/support/test_support.h"

using namespace draw_test;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xD02020, kBlue = 0x2040C0, kGreen = 0x209040;
constexpr double kPi = 3.14159265358979323846;

void Caption(CGraphicsImage& sheet, int x, int y, const char* text)
{
    sheet.SetFont(kSmallFont);
    sheet.SetTextColor(PlotPixel, kBlack, 0);
    sheet.DrawText(x, y, text);
}

void DrawLines(CGraphicsImage& sheet)
{
    Caption(sheet, 10, 5, "Linien: einfach, gestrichelt, weich, Rechtecke");
    for (int i = 0; i < 24; ++i) {
        const double a = i * 2 * kPi / 24;
        const int x = 70 + int(std::lround(55 * std::cos(a))), y = 80 + int(std::lround(55 * std::sin(a)));
        sheet.DrawLine(70, 80, x, y, i % 2 ? kBlue : kRed);
    }
    for (int i = 0; i < 8; ++i)
        sheet.DrawLineWithPlot(140, 30 + 15 * i, 260, 40 + 12 * i, kGreen, i % 2 ? PlotDashed : PlotDotted, 1);
    for (int i = 0; i < 24; ++i) {
        const double a = i * 2 * kPi / 24;
        const int x = 330 + int(std::lround(55 * std::cos(a))), y = 80 + int(std::lround(55 * std::sin(a)));
        sheet.DrawLineSmooth(330, 80, x, y, kBlack, 1);
    }
    sheet.DrawRect(400, 30, 80, 50, kRed);
    sheet.DrawRectWithPlot(410, 40, 60, 30, kBlue, PlotDashed);
    sheet.DrawRectWithPlot(420, 90, -50, 40, kBlack, PlotSoft);
    // A line cut by the sheet's edge.
    sheet.DrawLine(-200, 150, 500, 20, kGreen);
}

void DrawArcs(CGraphicsImage& sheet)
{
    Caption(sheet, 10, 150, "Bögen: Kreis, Ellipse gedreht, Teilbögen, geglättet");
    sheet.DrawArc(70, 230, 50, 50, kBlack, 0, FIXED_FULL_TURN, 0);
    sheet.DrawArc(70, 230, 40, 20, kRed, 0, FIXED_FULL_TURN, 0);
    sheet.DrawArc(70, 230, 40, 20, kBlue, 0, FIXED_FULL_TURN, FIXED_QUARTER_TURN / 2);
    for (int i = 0; i < 5; ++i)
        sheet.DrawArcWithPlot(200, 230, 15 + 10 * i, 15 + 10 * i, i % 2 ? kRed : kBlue, PlotDashed,
                              i * 0x3000, i * 0x3000 + 0xA000, 0, 1);
    sheet.DrawArcSmooth(330, 230, 55, 30, kBlack, 0, FIXED_FULL_TURN, 0x2000);
    sheet.DrawArcSmooth(330, 230, 25, 25, kRed, 0x4000, 0x14000, 0);
    sheet.DrawArc(440, 230, 3, 3, kBlack, 0, FIXED_FULL_TURN, 0);
    sheet.DrawArc(460, 230, 8, 8, kBlack, 0, FIXED_FULL_TURN, 0);
}

void DrawFills(CGraphicsImage& sheet)
{
    Caption(sheet, 10, 295, "Flächen: Ellipsen, Dreieck, Stern (gerade-ungerade), Füllung");
    sheet.FillEllipse(60, 360, 45, 30, kBlue, 0);
    sheet.FillEllipseSmooth(160, 360, 45, 30, kRed, 0);
    sheet.FillEllipse(210, 320, 20, 14, kGreen, CGraphicsImage::ELLIPSE_FULL_SIZE | CGraphicsImage::ELLIPSE_X_LEFT |
                                                     CGraphicsImage::ELLIPSE_Y_TOP);
    const int32_t triangle[] = {250, 400, 300, 320, 340, 390};
    sheet.FillTriangle(triangle, kGreen);
    int32_t star[10];
    for (int i = 0; i < 5; ++i) {
        const double a = -kPi / 2 + i * 4 * kPi / 5;
        star[2 * i] = int32_t(std::lround(390 + 45 * std::cos(a)));
        star[2 * i + 1] = int32_t(std::lround(360 + 45 * std::sin(a)));
    }
    sheet.FillPolygon(star, 5, kBlue);
    // A ring filled through its inside.
    sheet.DrawArc(470, 360, 30, 30, kBlack, 0, FIXED_FULL_TURN, 0);
    sheet.FloodFill(470, 360, 0xF0C000);
}

void DrawTextSamples(CGraphicsImage& sheet)
{
    sheet.SetTextColor(PlotPixel, kBlack, 0);
    sheet.SetFont(kSmallFont);
    sheet.DrawText(10, 420, "Kleine Schrift: Größe 25 °C, Übersicht ÄÖÜ äöü ß – 0123456789 € @ {x}");
    sheet.SetFont(kLargeFont);
    sheet.DrawText(10, 440, "Große Schrift: Straße, Äpfel, Öl, Übung, 100 °C");
    // Centred and right-aligned, on a coloured background with spacing.
    sheet.SetTextColor(PlotPixel, 0xFFFFC0, 1);
    sheet.SetTextSpacing(3);
    sheet.m_nTextAlign = TEXT_CENTRE;
    sheet.DrawText(260, 480, "Mitte");
    sheet.m_nTextAlign = TEXT_RIGHT;
    sheet.SetFont(kSmallFont);
    sheet.DrawText(710, 530, "rechtsbündig");
    sheet.m_nTextAlign = TEXT_LEFT;
    sheet.SetTextSpacing(int32_t(CGraphicsImage::DEFAULT_SPACING));
    sheet.SetTextColor(nullptr, 0, 1);
    // Every character 32..255 of both fonts: the small one in 7 lines of 32
    // at the right, the large one in 4 lines of 56 below.
    sheet.SetFont(kSmallFont);
    for (int line = 0; line < 7; ++line) {
        char text[33] = {};
        for (int i = 0; i < 32; ++i)
            text[i] = char(32 + line * 32 + i);
        sheet.DrawText(520, 300 + line * 16, text);
    }
    sheet.SetFont(kLargeFont);
    for (int line = 0; line < 4; ++line) {
        char text[57] = {};
        for (int i = 0; i < 56; ++i)
            text[i] = char(32 + line * 56 + i);
        sheet.DrawText(10, 570 + line * 26, text);
    }
}

TEST(DrawSheet, EverythingInOnePicture)
{
    CGraphicsImage sheet = Make(24, 720, 680, kWhite);  // 2 MB, fine for a test
    DrawLines(sheet);
    DrawArcs(sheet);
    DrawFills(sheet);
    DrawTextSamples(sheet);
    EXPECT_GT(int(Painted(sheet, kWhite).size()), 40000);
    const std::string path = lindar_test::TempDir() + "/draw_sheet.png";
    CPngWriter().SaveA(path.c_str(), sheet);
    std::printf("test sheet: %s\n", path.c_str());
}

}  // namespace
