// PNM 8000 x 8000 P6 read against netpbm's pnm_readpnm and against a plain
// read of the same bytes through the same stream class; the P6 write against
// a plain write of the same bytes; and the read of a 2000 x 2000 XPM of 1000
// colours at two characters per pixel against libXpm's XpmReadFileToXpmImage.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_paths.h"
#include "graphics/formats/pnm_reader.h"
#include "graphics/formats/pnm_writer.h"
#include "graphics/formats/xpm_reader.h"
#include "graphics/formats/xpm_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

// After our headers: X11 defines None.
#include <X11/xpm.h>
#include <netpbm/pnm.h>

namespace {

constexpr int kPnmSide = 8000;
constexpr int kXpmSide = 2000;
constexpr int kXpmColours = 1000;

void MakeImage(CGraphicsImage& image, int side, uint32_t colours)
{
    image.Create(24, uint32_t(side), uint32_t(side), 0);
    uint32_t state = 1;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            state = state * 1664525u + 1013904223u;
            const uint32_t i = colours ? ((x / 7 + y / 5) + (state >> 28)) % colours : state >> 8;
            image.m_pfnSetPixel(image.RowAt(y), x, colours ? i * 0x010507 + 0x203040 : i);
        }
}

template <class Writer>
const std::string& FileOf(const char* name, int side, uint32_t colours)
{
    static std::string path;
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() / name).string();
        CGraphicsImage image;
        MakeImage(image, side, colours);
        Writer writer;
        writer.SaveA(path.c_str(), image);
    }
    return path;
}

const std::string& PnmFile()
{
    return FileOf<CPnmWriter>("xformat_bench.ppm", kPnmSide, 0);
}

// Our reader loading the file by path.
template <class Reader>
void BM_Load(benchmark::State& state, const std::string& (*file)())
{
    const std::string& path = file();
    for (auto _ : state) {
        CGraphicsImage image;
        Reader reader;
        reader.LoadA(path.c_str(), image);
        benchmark::DoNotOptimize(image.m_pBits);
    }
}

void BM_PnmReadNetpbm(benchmark::State& state)
{
    PnmFile();
    for (auto _ : state) {
        FILE* file = std::fopen(PnmFile().c_str(), "rb");
        int cols = 0, rows = 0, format = 0;
        xelval maxval = 0;
        xel** xels = pnm_readpnm(file, &cols, &rows, &maxval, &format);
        benchmark::DoNotOptimize(xels);
        pnm_freearray(xels, rows);
        std::fclose(file);
    }
}

// The same bytes row by row into fresh memory of the image's size, as the
// reader has to.
void BM_PlainStreamRead(benchmark::State& state)
{
    PnmFile();
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t(kPnmSide) * kPnmSide * 3]);
        CBufferedStream stream(kFormatStreamBufferSize);
        stream.OpenA(PnmFile().c_str(), CBufferedStream::kModeRead, nullptr);
        for (int y = 0; y < kPnmSide; ++y)
            stream.Read(pixels.get() + size_t(y) * kPnmSide * 3, kPnmSide * 3);
        stream.Close();
        benchmark::DoNotOptimize(pixels.get());
    }
}

void BM_PnmWrite(benchmark::State& state)
{
    CGraphicsImage image;
    MakeImage(image, kPnmSide, 0);
    const std::string path = BenchPath("xformat_bench_out.ppm");
    for (auto _ : state) {
        CBufferedStream stream(kFormatStreamBufferSize);
        stream.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr);
        CPnmWriter writer;
        writer.Write(stream, image);
        stream.Close();
    }
    std::filesystem::remove(path);
}

void BM_PlainStreamWrite(benchmark::State& state)
{
    CGraphicsImage image;
    MakeImage(image, kPnmSide, 0);
    const std::string path = BenchPath("xformat_bench_plain.ppm");
    for (auto _ : state) {
        CBufferedStream stream(kFormatStreamBufferSize);
        stream.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr);
        stream.PrintfA("P6 %i %i 255 ", kPnmSide, kPnmSide);
        for (int y = 0; y < kPnmSide; ++y)
            stream.Write(image.RowAt(y), kPnmSide * 3);
        stream.Close();
    }
    std::filesystem::remove(path);
}

const std::string& XpmFile()
{
    return FileOf<CXpmWriter>("xformat_bench.xpm", kXpmSide, kXpmColours);
}

void BM_XpmReadLibXpm(benchmark::State& state)
{
    XpmFile();
    for (auto _ : state) {
        XpmImage image;
        if (XpmReadFileToXpmImage(const_cast<char*>(XpmFile().c_str()), &image, nullptr) != XpmSuccess)
            state.SkipWithError("libXpm refused the file");
        XpmFreeXpmImage(&image);
    }
}

const bool kRegistered = [] {
    pm_init("xformat_bench", 0);
    for (auto* b : {
             benchmark::RegisterBenchmark("pnm-read-8000/ours", BM_Load<CPnmReader>, PnmFile),
             benchmark::RegisterBenchmark("pnm-read-8000/peer", BM_PnmReadNetpbm),
             benchmark::RegisterBenchmark("pnm-read-8000-vs-stream/ours", BM_Load<CPnmReader>, PnmFile),
             benchmark::RegisterBenchmark("pnm-read-8000-vs-stream/peer", BM_PlainStreamRead),
             benchmark::RegisterBenchmark("pnm-write-8000-vs-stream/ours", BM_PnmWrite),
             benchmark::RegisterBenchmark("pnm-write-8000-vs-stream/peer", BM_PlainStreamWrite),
             benchmark::RegisterBenchmark("xpm-read-2000/ours", BM_Load<CXpmReader>, XpmFile),
             benchmark::RegisterBenchmark("xpm-read-2000/peer", BM_XpmReadLibXpm),
         })
        b->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
