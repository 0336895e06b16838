// Eight threads decode tiles at once, as the map engine's download workers
// do: every result is right and each thread sees its own messages.
#include "graphics/formats/format_dispatch.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"

#include <gtest/gtest.h>

#include <png.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace codec_test;

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 20;

std::vector<Bytes> Tiles()
{
    std::vector<Bytes> tiles;
    PngSpec palette;
    palette.width = palette.height = 64;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    for (int i = 0; i < 256; ++i)
        palette.palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    FillRandomRows(palette, 1);
    tiles.push_back(EncodePng(palette));
    palette.alpha = {0, 128, 255, 7};
    tiles.push_back(EncodePng(palette));
    for (int type : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA}) {
        PngSpec spec;
        spec.width = spec.height = 64;
        spec.colorType = type;
        FillRandomRows(spec, uint64_t(type));
        tiles.push_back(EncodePng(spec));
    }
    JpegSpec jpeg;
    jpeg.width = jpeg.height = 64;
    FillSamples(jpeg, 5);
    tiles.push_back(EncodeJpeg(jpeg));
    return tiles;
}

TEST(DispatchThreads, EightThreadsDecodeAtOnce)
{
    const std::vector<Bytes> tiles = Tiles();
    std::vector<CGraphicsImage> expected(tiles.size());
    for (size_t i = 0; i < tiles.size(); ++i)
        ASSERT_EQ(LoadGraphicsFromMemory(tiles[i].data(), uint32_t(tiles[i].size()), expected[i]), 0);

    std::atomic<int> failures{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            while (!go.load())
                std::this_thread::yield();
            // Each thread fails in its own way between good loads.
            Bytes bad = tiles[size_t(t) % tiles.size()];
            bad.resize(bad.size() / 2 + size_t(t));
            for (int round = 0; round < kRounds; ++round) {
                const size_t i = size_t(t + round) % tiles.size();
                CGraphicsImage image;
                if (LoadGraphicsFromMemory(tiles[i].data(), uint32_t(tiles[i].size()), image) != 0 ||
                    Differences(ColoursOf(image), ColoursOf(expected[i])) != 0 || GetGraphicsLoadError()[0] != '\0')
                    ++failures;
                const std::string message =
                    LoadGraphicsFromMemory(bad.data(), uint32_t(bad.size()), image) == -1 ? GetGraphicsLoadError() : "";
                std::this_thread::yield();
                if (message.empty() || message != GetGraphicsLoadError() || GetGraphicsTransparentIndex() != -1)
                    ++failures;
                SetGraphicsSaveTransparency(round % 2 ? 0 : kSaveTransparencyDefault);
            }
        });
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    SetGraphicsSaveTransparency(kSaveTransparencyDefault);
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
