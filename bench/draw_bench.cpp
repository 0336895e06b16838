// Lines, polygon and ellipse fills, flood fills and bitmap text against libgd
// doing the same work on a true-colour image of the same size.
#include <benchmark/benchmark.h>
#include <gd.h>
#include <gdfontl.h>
#include <gdfonts.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/plot.h"

namespace {

constexpr int kCanvas = 2048;
// 20,000 lines keep the program under a minute (the gd brush needed 25 s
// for 100,000).
constexpr int kLineCount = 20000;
constexpr int kFloodSize = 4096;
constexpr int kMazeCells = 1023;  // a 2047 × 2047 maze of one-pixel corridors
constexpr int kTextLines = 100;
constexpr double kPi = 3.14159265358979323846;

uint32_t Random(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8 | state << 24;
}

struct Line {
    int x1, y1, x2, y2;
};

// Half the lines inside the canvas, half with one end far outside it.
const std::vector<Line>& Lines()
{
    static const std::vector<Line> lines = [] {
        std::vector<Line> out;
        uint32_t rng = 17;
        auto in = [&] { return int(Random(rng) % kCanvas); };
        auto far = [&] { return int(Random(rng) % (5 * kCanvas)) - 2 * kCanvas; };
        for (int i = 0; i < kLineCount; ++i)
            out.push_back(i % 2 ? Line{in(), in(), far(), far()} : Line{in(), in(), in(), in()});
        return out;
    }();
    return lines;
}

// A 64-point star round the canvas centre.
std::vector<int32_t> Star()
{
    std::vector<int32_t> p;
    for (int i = 0; i < 64; ++i) {
        const double a = i * 2 * kPi / 64, r = i % 2 ? 400 : 1000;
        p.push_back(int32_t(kCanvas / 2 + r * std::cos(a)));
        p.push_back(int32_t(kCanvas / 2 + r * std::sin(a)));
    }
    return p;
}

// Open maze cells: true for a corridor pixel.
const std::vector<uint8_t>& Maze()
{
    static const std::vector<uint8_t> maze = [] {
        const int size = 2 * kMazeCells + 1;
        std::vector<uint8_t> open(size_t(size) * size, 0), seen(size_t(kMazeCells) * kMazeCells, 0);
        std::vector<std::pair<int, int>> stack = {{0, 0}};
        seen[0] = 1;
        open[size_t(size) + 1] = 1;
        uint32_t rng = 5;
        const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        while (!stack.empty()) {
            const auto [cx, cy] = stack.back();
            int options[4], n = 0;
            for (int d = 0; d < 4; ++d) {
                const int nx = cx + dirs[d][0], ny = cy + dirs[d][1];
                if (nx >= 0 && ny >= 0 && nx < kMazeCells && ny < kMazeCells && !seen[size_t(ny) * kMazeCells + nx])
                    options[n++] = d;
            }
            if (!n) {
                stack.pop_back();
                continue;
            }
            const int d = options[Random(rng) % n];
            const int nx = cx + dirs[d][0], ny = cy + dirs[d][1];
            seen[size_t(ny) * kMazeCells + nx] = 1;
            open[size_t(2 * cy + 1 + dirs[d][1]) * size + 2 * cx + 1 + dirs[d][0]] = 1;
            open[size_t(2 * ny + 1) * size + 2 * nx + 1] = 1;
            stack.push_back({nx, ny});
        }
        return open;
    }();
    return maze;
}

const char kText[] = "Kartenausschnitt 1:25000, Höhe 1234 m über NN, Straße Nr. 42";  // 60 characters

struct Ours {
    CGraphicsImage image;
    explicit Ours(int size = kCanvas) { image.Create(32, size, size, 0xFFFFFF, CGraphicsImage::OWN_MEMORY); }
};

struct Peer {
    gdImagePtr image;
    explicit Peer(int size = kCanvas) : image(gdImageCreateTrueColor(size, size))
    {
        gdImageAlphaBlending(image, 0);
        gdImageFilledRectangle(image, 0, 0, size - 1, size - 1, gdTrueColor(255, 255, 255));
    }
    ~Peer() { gdImageDestroy(image); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
};

// Runs `draw` over every line of Lines() once an iteration.
template <class Draw>
void EachLine(benchmark::State& state, Draw draw)
{
    for (auto _ : state)
        for (const Line& l : Lines())
            draw(l);
}

// Our lines through `plot`, as the plot-procedure benchmarks draw them.
std::function<void(benchmark::State&)> OursLinesWithPlot(PixelPlotFn plot)
{
    return [plot](benchmark::State& state) {
        Ours o;
        EachLine(state, [&](const Line& l) { o.image.DrawLineWithPlot(l.x1, l.y1, l.x2, l.y2, 0x204080, plot, 1); });
    };
}

// Blackens the maze's walls through setBlack(x, y); size is its side.
template <class SetBlack>
void PaintMazeWalls(int size, SetBlack setBlack)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (!Maze()[size_t(y) * size + x])
                setBlack(x, y);
}

// The flood fills' two colours, one after the other.
uint32_t NextFloodColour(uint32_t& count)
{
    return (count++ & 1) ? 0xFFFFFF : 0x123456;
}

void Pair(const std::string& name, std::function<void(benchmark::State&)> ours,
          std::function<void(benchmark::State&)> peer)
{
    benchmark::RegisterBenchmark((name + "/ours").c_str(), ours)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/peer").c_str(), peer)->Unit(benchmark::kMillisecond);
}

void RegisterLines()
{
    Pair(
        "DrawLine 20k vs gdImageLine",
        [](benchmark::State& state) {
            Ours o;
            EachLine(state, [&](const Line& l) { o.image.DrawLine(l.x1, l.y1, l.x2, l.y2, 0x204080); });
        },
        [](benchmark::State& state) {
            Peer p;
            const int c = gdTrueColor(0x20, 0x40, 0x80);
            EachLine(state, [&](const Line& l) { gdImageLine(p.image, l.x1, l.y1, l.x2, l.y2, c); });
        });
    Pair(
        "PlotDashed 20k vs gdImageDashedLine",
        OursLinesWithPlot(PlotDashed),
        [](benchmark::State& state) {
            Peer p;
            const int c = gdTrueColor(0x20, 0x40, 0x80);
            EachLine(state, [&](const Line& l) { gdImageDashedLine(p.image, l.x1, l.y1, l.x2, l.y2, c); });
        });
    Pair(
        "PlotSoftAlpha 20k vs gd anti-aliased line",
        OursLinesWithPlot(PlotSoftAlpha),
        [](benchmark::State& state) {
            Peer p;
            gdImageSetAntiAliased(p.image, gdTrueColor(0x20, 0x40, 0x80));
            EachLine(state, [&](const Line& l) { gdImageLine(p.image, l.x1, l.y1, l.x2, l.y2, gdAntiAliased); });
        });
    // The same work as PlotSoftAlpha: a 3 × 3 blend at every point, weights
    // 1 2 1 / 2 20 2 / 1 2 1 of 32 as gd alpha (127 transparent).
    Pair(
        "PlotSoftAlpha 20k vs gd 3x3 alpha brush",
        OursLinesWithPlot(PlotSoftAlpha),
        [](benchmark::State& state) {
            Peer p;
            gdImagePtr brush = gdImageCreateTrueColor(3, 3);
            gdImageAlphaBlending(brush, 0);
            const int weights[3][3] = {{1, 2, 1}, {2, 20, 2}, {1, 2, 1}};
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 3; ++x)
                    gdImageSetPixel(brush, x, y, gdTrueColorAlpha(0x20, 0x40, 0x80, 127 - 127 * weights[y][x] / 32));
            gdImageAlphaBlending(p.image, 1);
            gdImageSetBrush(p.image, brush);
            EachLine(state, [&](const Line& l) { gdImageLine(p.image, l.x1, l.y1, l.x2, l.y2, gdBrushed); });
            gdImageDestroy(brush);
        });
}

void RegisterFills()
{
    Pair(
        "FillPolygon 64-point star vs gdImageFilledPolygon",
        [](benchmark::State& state) {
            Ours o;
            const std::vector<int32_t> star = Star();
            uint32_t c = 0;
            for (auto _ : state)
                o.image.FillPolygon(star.data(), 64, c++);
        },
        [](benchmark::State& state) {
            Peer p;
            const std::vector<int32_t> star = Star();
            std::vector<gdPoint> points;
            for (size_t i = 0; i < star.size(); i += 2)
                points.push_back({star[i], star[i + 1]});
            int c = 0;
            for (auto _ : state)
                gdImageFilledPolygon(p.image, points.data(), 64, c++ & 0xFFFFFF);
        });
    Pair(
        "FillEllipse radius 1000 vs gdImageFilledEllipse",
        [](benchmark::State& state) {
            Ours o;
            uint32_t c = 0;
            for (auto _ : state)
                o.image.FillEllipse(kCanvas / 2, kCanvas / 2, 1000, 1000, c++, 0);
        },
        [](benchmark::State& state) {
            Peer p;
            int c = 0;
            for (auto _ : state)
                gdImageFilledEllipse(p.image, kCanvas / 2, kCanvas / 2, 2001, 2001, c++ & 0xFFFFFF);
        });
}

// Each fill recolours the whole region, alternating two colours.
void RegisterFloods()
{
    Pair(
        "FloodFill 4096x4096 open vs gdImageFill",
        [](benchmark::State& state) {
            Ours o(kFloodSize);
            uint32_t c = 0;
            for (auto _ : state)
                o.image.FloodFill(kFloodSize / 2, kFloodSize / 2, NextFloodColour(c));
        },
        [](benchmark::State& state) {
            Peer p(kFloodSize);
            uint32_t c = 0;
            for (auto _ : state)
                gdImageFill(p.image, kFloodSize / 2, kFloodSize / 2, int(NextFloodColour(c)));
        });
    const int size = 2 * kMazeCells + 1;
    Pair(
        "FloodFill maze vs gdImageFill",
        [size](benchmark::State& state) {
            Ours o(size);
            PaintMazeWalls(size, [&](int x, int y) { o.image.m_pfnSetPixel(o.image.RowAt(y), x, 0); });
            uint32_t c = 0;
            for (auto _ : state)
                o.image.FloodFill(1, 1, NextFloodColour(c));
        },
        [size](benchmark::State& state) {
            Peer p(size);
            PaintMazeWalls(size, [&](int x, int y) { gdImageSetPixel(p.image, x, y, 0); });
            uint32_t c = 0;
            for (auto _ : state)
                gdImageFill(p.image, 1, 1, int(NextFloodColour(c)));
        });
}

void RegisterText()
{
    const struct {
        const char* name;
        const BitmapFont* font;
        gdFontPtr (*peer)();
    } fonts[] = {{"small", kSmallFont, gdFontGetSmall}, {"large", kLargeFont, gdFontGetLarge}};
    for (const auto& f : fonts) {
        Pair(
            std::string("DrawText 60 characters, ") + f.name + " font vs gdImageString",
            [f](benchmark::State& state) {
                Ours o;
                o.image.SetFont(f.font);
                o.image.SetTextColor(PlotPixel, 0x000000, 0);
                for (auto _ : state)
                    for (int i = 0; i < kTextLines; ++i)
                        o.image.DrawText(10, 10 + 18 * i, kText);
            },
            [f](benchmark::State& state) {
                Peer p;
                unsigned char text[sizeof kText];
                std::copy(kText, kText + sizeof kText, text);
                for (auto _ : state)
                    for (int i = 0; i < kTextLines; ++i)
                        gdImageString(p.image, f.peer(), 10, 10 + 18 * i, text, 0);
            });
    }
}

const int kRegistered = [] {
    RegisterLines();
    RegisterFills();
    RegisterFloods();
    RegisterText();
    return 0;
}();

}  // namespace
