// Flood fills: rings, U-shapes, one-pixel corridors, a large maze against a
// breadth-first reference, and FillEx with plots that do not change pixels.
#include <gtest/gtest.h>

#include <queue>
#include <string>
#include <vector>

#include "tests/graphics/draw_test_util.h"
#include "tests/support/test_support.h"

using namespace draw_test;

namespace {

constexpr uint32_t kWall = 1, kFill = 2;

// An 8-bit image from rows of '#' (wall) and '.' (open).
CGraphicsImage FromText(const std::vector<std::string>& rows)
{
    CGraphicsImage image = Make(8, int(rows[0].size()), int(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            Set(image, int(x), int(y), rows[y][x] == '#' ? kWall : 0);
    return image;
}

std::vector<std::string> ToText(const CGraphicsImage& image)
{
    std::vector<std::string> out;
    for (int y = 0; y < int(image.m_nHeight); ++y) {
        std::string line;
        for (int x = 0; x < int(image.m_nWidth); ++x) {
            const uint32_t v = Get(image, x, y);
            line += v == kWall ? '#' : v == kFill ? 'o' : '.';
        }
        out.push_back(line);
    }
    return out;
}

typedef std::vector<std::string> Rows;

TEST(FloodFill, Shapes)
{
    const struct {
        const char* name;
        Rows before;
        int x, y;
        Rows after;
    } cases[] = {
        {"ring with diagonal gaps",
         {"..#...", ".#.#..", "#...#.", ".#.#..", "..#..."}, 2, 2,
         {"..#...", ".#o#..", "#ooo#.", ".#o#..", "..#..."}},
        {"U whose arms reach the first row", {".###.", ".###.", ".###.", "....."}, 0, 0,
         {"o###o", "o###o", "o###o", "ooooo"}},
        {"arch whose arms reach the last row", {".....", ".#.#.", ".#.#."}, 4, 2,
         {"ooooo", "o#o#o", "o#o#o"}},
        {"corridor", {"#####", "....#", "###.#", "#...#", "#.###"}, 0, 1,
         {"#####", "oooo#", "###o#", "#ooo#", "#o###"}},
        {"inside the U", {".#.#.", ".#.#.", ".###."}, 2, 0, {".#o#.", ".#o#.", ".###."}},
    };
    for (const auto& c : cases) {
        CGraphicsImage image = FromText(c.before);
        EXPECT_TRUE(image.FloodFill(c.x, c.y, kFill)) << c.name;
        EXPECT_EQ(ToText(image), c.after) << c.name;
    }
}

TEST(FloodFill, TrivialAndRefused)
{
    CGraphicsImage image = FromText({"..#", "..#"});
    EXPECT_TRUE(image.FloodFill(0, 0, 0));  // already that colour
    EXPECT_EQ(ToText(image), (Rows{"..#", "..#"}));
    EXPECT_FALSE(image.FloodFill(-1, 0, kFill));
    EXPECT_FALSE(image.FloodFill(0, 2, kFill));
    CGraphicsImage empty;
    EXPECT_FALSE(empty.FloodFill(0, 0, kFill));
    // The colour is taken to the pixel mask: 0x102 on an 8-bit image is 2.
    EXPECT_TRUE(image.FloodFill(0, 0, 0x102));
    EXPECT_EQ(ToText(image), (Rows{"oo#", "oo#"}));
}

// At 16 bits a colour differing from the seed only in bits the depth drops
// reads back as the seed: the fill must end at once, not refill forever.
TEST(FloodFill, ColoursTheDepthCannotTellApart)
{
    const struct {
        uint32_t bits, seed, colour;
    } cases[] = {{16, 0x000000, 0x000003}, {15, 0x808080, 0x838583}, {12, 0x102030, 0x1F2F3F}};
    for (const auto& c : cases) {
        CGraphicsImage image = Make(c.bits, 50, 50, c.seed);
        const std::vector<uint8_t> before(image.m_pBits, image.m_pBits + image.m_nImageSize);
        EXPECT_TRUE(image.FloodFill(10, 10, c.colour)) << c.bits;
        EXPECT_EQ(std::vector<uint8_t>(image.m_pBits, image.m_pBits + image.m_nImageSize), before);
    }
    CGraphicsImage image = Make(16, 30, 30, 0);
    EXPECT_TRUE(image.FloodFill(0, 0, 0xFF0000));
    EXPECT_EQ(CountValue(image, 0xF80000), 30 * 30);
}

// A maze of one-pixel corridors carved at random; the fill must reach exactly
// the cells a breadth-first search reaches.
TEST(FloodFill, LargeMaze)
{
    constexpr int kCells = 300, kSize = 2 * kCells + 1;
    CGraphicsImage image = Make(32, kSize, kSize, kWall);
    lindar_test::Rng rng(3);
    std::vector<uint8_t> seen(kCells * kCells, 0);
    std::vector<std::pair<int, int>> stack = {{0, 0}};
    seen[0] = 1;
    Set(image, 1, 1, 0);
    while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        int options[4], n = 0;
        for (int d = 0; d < 4; ++d) {
            const int nx = cx + dirs[d][0], ny = cy + dirs[d][1];
            if (nx >= 0 && ny >= 0 && nx < kCells && ny < kCells && !seen[ny * kCells + nx])
                options[n++] = d;
        }
        if (!n) {
            stack.pop_back();
            continue;
        }
        const int d = options[rng.Next() % n];
        const int nx = cx + dirs[d][0], ny = cy + dirs[d][1];
        seen[ny * kCells + nx] = 1;
        Set(image, 2 * cx + 1 + dirs[d][0], 2 * cy + 1 + dirs[d][1], 0);
        Set(image, 2 * nx + 1, 2 * ny + 1, 0);
        stack.push_back({nx, ny});
    }
    // Wall off a region so that not everything is reachable.
    for (int i = 0; i < kSize; ++i)
        Set(image, i, kSize / 2, kWall);
    std::vector<uint8_t> reach(size_t(kSize) * kSize, 0);
    std::queue<std::pair<int, int>> q;
    q.push({1, 1});
    reach[kSize + 1] = 1;
    while (!q.empty()) {
        const auto [x, y] = q.front();
        q.pop();
        const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& d : dirs) {
            const int nx = x + d[0], ny = y + d[1];
            if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && !reach[size_t(ny) * kSize + nx] &&
                Get(image, nx, ny) == 0) {
                reach[size_t(ny) * kSize + nx] = 1;
                q.push({nx, ny});
            }
        }
    }
    EXPECT_TRUE(image.FloodFill(1, 1, kFill));
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            ASSERT_EQ(Get(image, x, y) == kFill, reach[size_t(y) * kSize + x] != 0) << x << "," << y;
}

// FloodFillEx with a plot that only counts: the visited bits end the fill,
// and each pixel is plotted once.
struct Counting {
    static inline std::vector<int> hits;
    static inline int width = 0;
    static void Plot(CGraphicsImage*, uint8_t*, int x, int y, uint32_t) { ++hits[size_t(y) * width + x]; }
    static uint32_t Dark(CGraphicsImage* image, uint8_t* row, int x, int) { return image->m_pfnGetPixel(row, x) < 0x80; }
};

TEST(FloodFillEx, PlotThatChangesNothing)
{
    CGraphicsImage image = FromText({"......", ".####.", ".#..#.", ".####.", "......"});
    Counting::width = 6;
    Counting::hits.assign(30, 0);
    EXPECT_TRUE(image.FloodFillEx(0, 0, 7, Counting::Plot, [](CGraphicsImage* i, uint8_t* row, int x, int) {
        return i->m_pfnGetPixel(row, x);
    }, CGraphicsImage::FLOOD_SEED_REFERENCE));
    // Once each pixel of the outside ring, never inside the box.
    EXPECT_EQ(Counting::hits, (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1,
                                                1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1}));

    // A given reference; equal to the colour: nothing to do.
    Counting::hits.assign(30, 0);
    EXPECT_TRUE(image.FloodFillEx(2, 2, 1, Counting::Plot, Counting::Dark, 1));
    EXPECT_EQ(Counting::hits[2 * 6 + 2], 0);
    EXPECT_TRUE(image.FloodFillEx(2, 2, 9, Counting::Plot, Counting::Dark, 1));
    EXPECT_EQ(Counting::hits[2 * 6 + 2] + Counting::hits[2 * 6 + 3], 2);
    EXPECT_FALSE(image.FloodFillEx(9, 0, 9, Counting::Plot, Counting::Dark, 1));
}

}  // namespace
