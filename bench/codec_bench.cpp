// Tile decodes from memory through LoadGraphicsFromMemory against libpng's
// simplified API (to BGRA) and TurboJPEG (to BGR) on the same files, on one
// thread and on eight at once; and the encode of a 4096 x 4096 24-bit image
// as PNG and JPEG through SaveGraphicsFile against the same peers writing
// their file.
#include <benchmark/benchmark.h>
#include <png.h>
#include <turbojpeg.h>

#include <atomic>
#include <barrier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_paths.h"
#include "bench/bench_ratios.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/image.h"

namespace {

constexpr int kTile = 256;
constexpr int kThreads = 8;
constexpr int kTilesPerThread = 16;
constexpr int kPaletteColours = 48;
constexpr int kJpegQuality = 75;
constexpr int kBigImage = 4096;

using Bytes = std::vector<uint8_t>;

uint32_t Random(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// A map-like tile of palette indexes: areas, roads, a little noise.
std::vector<uint8_t> TileIndexes()
{
    std::vector<uint8_t> indexes(size_t(kTile) * kTile);
    uint32_t rng = 7;
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            int v = ((x / 40) + (y / 56) * 3) % 12;
            if ((x + 2 * y) % 97 < 3 || (3 * x - y + 400) % 131 < 2)
                v = 12 + (x / 64) % 4;  // roads
            if (Random(rng) % 16 == 0)
                v = 16 + int(Random(rng) % 32);  // labels, hatching
            indexes[size_t(y) * kTile + size_t(x)] = uint8_t(v);
        }
    return indexes;
}

uint8_t PaletteChannel(int index, int channel)
{
    return uint8_t((index * (37 + 50 * channel) + 60 * channel) & 255);
}

enum class TileKind { Palette, PaletteAlpha, Rgb, Rgba, Jpeg };

Bytes EncodeTile(TileKind kind)
{
    const std::vector<uint8_t> indexes = TileIndexes();
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kTile;
    image.height = kTile;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> colormap;
    const bool alpha = kind == TileKind::PaletteAlpha || kind == TileKind::Rgba;
    const int channels = alpha ? 4 : 3;
    for (int i = 0; i < kPaletteColours; ++i) {
        for (int c = 0; c < 3; ++c)
            colormap.push_back(PaletteChannel(i, c));
        if (alpha)
            colormap.push_back(i < 12 ? 255 : i < 16 ? 160 : i % 3 == 0 ? 0 : 255);
    }
    if (kind == TileKind::Palette || kind == TileKind::PaletteAlpha) {
        image.format = alpha ? PNG_FORMAT_RGBA_COLORMAP : PNG_FORMAT_RGB_COLORMAP;
        image.colormap_entries = kPaletteColours;
        pixels = indexes;
    } else {
        image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        for (uint8_t i : indexes)
            pixels.insert(pixels.end(), colormap.begin() + i * channels, colormap.begin() + (i + 1) * channels);
    }
    if (kind == TileKind::Jpeg) {
        tjhandle handle = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(handle, pixels.data(), kTile, 0, kTile, TJPF_RGB, &jpeg, &size, TJSAMP_420, kJpegQuality, 0);
        Bytes out(jpeg, jpeg + size);
        tjFree(jpeg);
        tjDestroy(handle);
        return out;
    }
    png_alloc_size_t size = 0;
    png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, colormap.data());
    Bytes out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, colormap.data());
    out.resize(size);
    return out;
}

const Bytes& Tile(TileKind kind)
{
    static const Bytes tiles[] = {EncodeTile(TileKind::Palette), EncodeTile(TileKind::PaletteAlpha),
                                  EncodeTile(TileKind::Rgb), EncodeTile(TileKind::Rgba),
                                  EncodeTile(TileKind::Jpeg)};
    return tiles[int(kind)];
}

bool DecodeOurs(const Bytes& file)
{
    CGraphicsImage image;
    const bool ok = LoadGraphicsFromMemory(file.data(), uint32_t(file.size()), image) == 0;
    benchmark::DoNotOptimize(image.m_pBits);
    return ok;
}

bool DecodePeer(const Bytes& file, bool jpeg)
{
    if (jpeg) {
        tjhandle handle = tjInitDecompress();
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        bool ok = tjDecompressHeader3(handle, file.data(), file.size(), &width, &height, &subsampling,
                                      &colourspace) == 0;
        std::vector<uint8_t> out(size_t(width) * size_t(height) * 3);
        ok = ok && tjDecompress2(handle, file.data(), file.size(), out.data(), width, 0, height, TJPF_BGR, 0) == 0;
        benchmark::DoNotOptimize(out.data());
        tjDestroy(handle);
        return ok;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> out(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, out.data(), 0, nullptr) != 0;
    benchmark::DoNotOptimize(out.data());
    png_image_free(&image);
    return ok;
}

bool Decode(TileKind kind, bool peer)
{
    return peer ? DecodePeer(Tile(kind), kind == TileKind::Jpeg) : DecodeOurs(Tile(kind));
}

void BM_Decode(benchmark::State& state, TileKind kind, bool peer)
{
    for (auto _ : state)
        if (!Decode(kind, peer))
            state.SkipWithError("decode failed");
    state.SetItemsProcessed(state.iterations());
}

// Eight threads decoding kTilesPerThread tiles each per iteration; items are
// tiles, so items per second compare with the one-thread run. The
// benchmark's own thread is one of the eight, so that its CPU time, by which
// the iterations are counted, follows the wall clock. The other seven live
// for the whole benchmark and meet the main thread at a barrier before and
// after each iteration: starting threads per iteration would cost the same
// fixed time on both sides and so understate the speed-up of the faster one.
void BM_DecodeEightThreads(benchmark::State& state, TileKind kind, bool peer)
{
    std::atomic<int> failures{0};
    std::atomic<bool> stop{false};
    std::barrier<> start(kThreads), done(kThreads);
    auto work = [&] {
        for (int i = 0; i < kTilesPerThread; ++i)
            failures += !Decode(kind, peer);
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (;;) {
                start.arrive_and_wait();
                if (stop)
                    return;
                work();
                done.arrive_and_wait();
            }
        });
    for (auto _ : state) {
        start.arrive_and_wait();
        work();
        done.arrive_and_wait();
    }
    stop = true;
    start.arrive_and_wait();
    for (std::thread& thread : threads)
        thread.join();
    if (failures)
        state.SkipWithError("decode failed");
    state.SetItemsProcessed(state.iterations() * kThreads * kTilesPerThread);
}

// ---------------------------------------------------------------- encode --

const CGraphicsImage& BigImage()
{
    static const CGraphicsImage image = [] {
        CGraphicsImage big;
        big.Create(24, kBigImage, kBigImage);
        uint32_t rng = 3;
        for (int y = 0; y < kBigImage; ++y) {
            uint8_t* row = big.RowAt(y);
            for (int x = 0; x < kBigImage; ++x) {
                const uint32_t noise = Random(rng) % 8;
                row[3 * x] = uint8_t(x / 16 + noise);
                row[3 * x + 1] = uint8_t((x + y) / 32);
                row[3 * x + 2] = uint8_t(y / 16 + ((x / 256 + y / 256) % 2) * 64);
            }
        }
        return big;
    }();
    return image;
}

void BM_EncodePng(benchmark::State& state, bool peer)
{
    CGraphicsImage image(BigImage());
    const std::string path = BenchPath(peer ? "codec_bench_peer.png" : "codec_bench_ours.png");
    for (auto _ : state) {
        if (peer) {
            png_image png;
            std::memset(&png, 0, sizeof png);
            png.version = PNG_IMAGE_VERSION;
            png.width = kBigImage;
            png.height = kBigImage;
            png.format = PNG_FORMAT_BGR;
            // Our rows lie bottom-up in memory: a negative stride says so.
            if (!png_image_write_to_file(&png, path.c_str(), 0, image.m_pBits, -int32_t(image.m_nStride), nullptr))
                state.SkipWithError("libpng failed");
        } else if (SaveGraphicsFile(path.c_str(), image, nullptr) != 0) {
            state.SkipWithError(GetGraphicsSaveError());
        }
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kBigImage) * kBigImage * 3);
    std::filesystem::remove(path);
}

void BM_EncodeJpeg(benchmark::State& state, bool peer)
{
    CGraphicsImage image(BigImage());
    const std::string path = BenchPath(peer ? "codec_bench_peer.jpg" : "codec_bench_ours.jpg");
    for (auto _ : state) {
        if (peer) {
            tjhandle handle = tjInitCompress();
            unsigned char* jpeg = nullptr;
            unsigned long size = 0;
            // TurboJPEG's own default is the fast DCT; ours is libjpeg's
            // default, the accurate one: the same settings on both sides.
            const bool ok = tjCompress2(handle, image.m_pBits, kBigImage, int(image.m_nStride), kBigImage, TJPF_BGR,
                                        &jpeg, &size, TJSAMP_420, kJpegQuality,
                                        TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT) == 0;
            if (ok) {
                std::FILE* file = std::fopen(path.c_str(), "wb");
                std::fwrite(jpeg, 1, size, file);
                std::fclose(file);
            } else {
                state.SkipWithError("TurboJPEG failed");
            }
            tjFree(jpeg);
            tjDestroy(handle);
        } else if (SaveGraphicsFile(path.c_str(), image, nullptr) != 0) {
            state.SkipWithError(GetGraphicsSaveError());
        }
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kBigImage) * kBigImage * 3);
    std::filesystem::remove(path);
}

struct TileCase {
    const char* name;
    TileKind kind;
};
const TileCase kTileCases[] = {
    {"png-palette", TileKind::Palette}, {"png-palette-trns", TileKind::PaletteAlpha}, {"png-rgb", TileKind::Rgb},
    {"png-rgba", TileKind::Rgba},       {"jpeg", TileKind::Jpeg},
};

const bool kRegistered = [] {
    for (const TileCase& c : kTileCases)
        for (bool peer : {false, true}) {
            const std::string side = peer ? "/peer" : "/ours";
            benchmark::RegisterBenchmark(("decode/" + std::string(c.name) + side).c_str(), BM_Decode, c.kind, peer);
            benchmark::RegisterBenchmark(("decode8/" + std::string(c.name) + side).c_str(), BM_DecodeEightThreads,
                                         c.kind, peer);
        }
    for (const TileCase& c : kTileCases)
        AddScalingRow("decode8/" + std::string(c.name), "decode/" + std::string(c.name));
    for (bool peer : {false, true}) {
        const std::string side = peer ? "/peer" : "/ours";
        benchmark::RegisterBenchmark(("encode/png-4096" + side).c_str(), BM_EncodePng, peer)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode/jpeg-4096" + side).c_str(), BM_EncodeJpeg, peer)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
