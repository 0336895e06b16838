// Icon reading: choosing and decoding the largest entry of a 9-entry .ico
// (16 to 128 px 32-bit DIBs, a 256 px PNG entry) against MagickCore's
// ReadImage of the same file; and the resource walk of a 5 MB executable
// with 500 icon groups (EnumIcons, and ReadIcon of one group), reported as
// time per call. The files sit in the page cache.
#include "bench/bench_paths.h"
#include "graphics/formats/icon_reader.h"
#include "graphics/formats/png_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/icon_test_files.h"

#include <benchmark/benchmark.h>
#include <magick/MagickCore.h>

#include <cstring>
#include <fstream>
#include <string>

using namespace icon_test;

namespace {

Bytes FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A smooth 32-bit icon image (as icon art is) with a transparent corner.
Dib Art(uint32_t side)
{
    Dib d;
    d.width = d.height = side, d.bits = 32;
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x) {
            const bool clear = x + y < side / 4;
            d.pixels.push_back(clear ? 0 : 0xFF000000u | (x * 255 / side) << 16 | (y * 255 / side) << 8 | 0x60);
            d.mask.push_back(clear);
        }
    return d;
}

struct IcoFixture {
    std::string path = BenchPath("lindar-bench.ico");
    IcoFixture()
    {
        std::vector<Entry> entries;
        for (const uint32_t side : {16u, 20u, 24u, 32u, 40u, 48u, 64u, 128u}) {
            const Dib d = Art(side);
            entries.push_back(Entry{side, side, 32, MakeDib(d)});
        }
        const Dib big = Art(256);
        CGraphicsImage image;
        image.Create(32, 256, 256, 0);
        for (uint32_t y = 0; y < 256; ++y)
            std::memcpy(image.RowAt(int(y)), &big.pixels[y * 256], 256 * 4);
        const std::string png = BenchPath("lindar-bench-256.png");
        CPngWriter writer;
        writer.m_options = kPngOptionAlpha;
        writer.SaveA(png.c_str(), image);
        entries.push_back(Entry{256, 256, 32, FileBytes(png)});
        WriteBytes(path, MakeIco(1, entries));
        MagickCoreGenesis("icon_bench", MagickFalse);
    }
};

IcoFixture& Ico()
{
    static IcoFixture fixture;
    return fixture;
}

void BM_LargestIcon_ours(benchmark::State& state)
{
    const std::string& path = Ico().path;
    CIconReader reader;
    for (auto _ : state) {
        CGraphicsImage image;
        reader.LoadA(path.c_str(), image);
        benchmark::DoNotOptimize(image.m_pBits);
    }
}

void BM_LargestIcon_peer(benchmark::State& state)
{
    const std::string& path = Ico().path;
    ImageInfo* info = AcquireImageInfo();
    ExceptionInfo* exception = AcquireExceptionInfo();
    std::strncpy(info->filename, path.c_str(), MaxTextExtent - 1);
    for (auto _ : state) {
        Image* image = ReadImage(info, exception);
        if (!image) {
            state.SkipWithError("ReadImage failed");
            break;
        }
        benchmark::DoNotOptimize(image);
        DestroyImageList(image);
    }
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
}
BENCHMARK(BM_LargestIcon_ours)->Name("LargestIcon/ours");
BENCHMARK(BM_LargestIcon_peer)->Name("LargestIcon/peer");

// 500 icon groups of one 48 x 48 x 32 image each: about 5 MB of resources.
struct ExeFixture {
    std::string path = BenchPath("lindar-bench-icons.exe");
    ExeFixture()
    {
        std::vector<Resource> resources;
        for (uint32_t i = 0; i < 500; ++i) {
            Dib d = Art(48);
            d.pixels[0] = i;
            const Bytes dib = MakeDib(d);
            resources.push_back({3, i + 1, 0x409, dib});
            resources.push_back({14, 1000 + i, 0x409, MakeGroup(false, {Entry{48, 48, 32, dib, uint16_t(i + 1)}})});
        }
        Bytes exe = MakePe(resources);
        exe.resize(5 << 20, 0);  // section data and padding to 5 MB
        WriteBytes(path, exe);
    }
};

ExeFixture& Exe()
{
    static ExeFixture fixture;
    return fixture;
}

void BM_ExeEnumIcons(benchmark::State& state)
{
    const std::string& path = Exe().path;
    CIconReader reader;
    for (auto _ : state)
        if (reader.EnumIconsA(path.c_str(), nullptr, 0, 0) != 500)
            state.SkipWithError("wrong count");
}

void BM_ExeReadGroup(benchmark::State& state)
{
    const std::string& path = Exe().path;
    CIconReader reader;
    for (auto _ : state) {
        CGraphicsImage image;
        reader.LoadIconA(path.c_str(), image, nullptr, -1, -1250);
        benchmark::DoNotOptimize(image.m_pBits);
    }
}
BENCHMARK(BM_ExeEnumIcons)->Name("ExeWalk500Groups/EnumIcons")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExeReadGroup)->Name("ExeWalk500Groups/ReadIcon")->Unit(benchmark::kMicrosecond);

}  // namespace
