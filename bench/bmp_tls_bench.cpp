// BMP read and write of an 8192 x 8192 24-bit file against a plain read or
// write of the same bytes through the same stream class; TLS read of the
// first and the last image of a 50-image 1024 x 1024 sequence against a
// plain read of the file (the reader always reads it all); the TLS CRC
// against a table-driven reference CRC. The files sit in the page cache.
#include "bench/bench_paths.h"
#include "graphics/formats/bmp_reader.h"
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/tls_reader.h"
#include "graphics/formats/tls_writer.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBmpSide = 8192;
constexpr uint32_t kTlsSide = 1024;
constexpr uint32_t kTlsImages = 50;
constexpr size_t kCrcBytes = size_t(64) << 20;

void FillPattern(CGraphicsImage& image)
{
    uint32_t state = 12345;
    for (uint32_t i = 0; i < image.m_nImageSize; ++i) {
        state = state * 1103515245 + 12345;
        image.m_pBits[i] = uint8_t(state >> 16);
    }
}

struct BmpFixture {
    CGraphicsImage image;
    std::string path = BenchPath("lindar-bench.bmp");
    std::vector<uint8_t> bytes;
    BmpFixture()
    {
        image.Create(24, kBmpSide, kBmpSide);
        FillPattern(image);
        CBmpWriter().SaveA(path.c_str(), image);
        bytes.resize(std::filesystem::file_size(path));
        CBufferedStream in(32768);
        in.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr);
        in.Read(bytes.data(), int32_t(bytes.size()));
    }
    ~BmpFixture()
    {
        std::error_code error;
        std::filesystem::remove(path, error);
        std::filesystem::remove(BenchPath("lindar-bench-out.bmp"), error);
    }
};

BmpFixture& Bmp()
{
    static BmpFixture fixture;
    return fixture;
}

struct TlsFixture {
    std::string path = BenchPath("lindar-bench.tlsp");
    int64_t size = 0;
    TlsFixture()
    {
        std::vector<CGraphicsImage> images(kTlsImages);
        for (CGraphicsImage& image : images) {
            image.Create(32, kTlsSide, kTlsSide);
            FillPattern(image);
        }
        CTlsWriter().SaveSequenceA(path.c_str(), images.data(), kTlsImages, nullptr, nullptr, nullptr);
        size = int64_t(std::filesystem::file_size(path));
    }
    ~TlsFixture()
    {
        std::error_code error;
        std::filesystem::remove(path, error);
    }
};

TlsFixture& Tls()
{
    static TlsFixture fixture;
    return fixture;
}

// The peer of every read: the file's bytes through the same stream class,
// into new memory as a load makes it.
void PlainRead(benchmark::State& state, const std::string& path, int64_t size)
{
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[size_t(size)]);
        CBufferedStream in(32768);
        in.OpenA(path.c_str(), CBufferedStream::kModeRead, nullptr);
        benchmark::DoNotOptimize(in.Read(buffer.get(), int32_t(size)));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
}

void BmpReadOurs(benchmark::State& state)
{
    const BmpFixture& f = Bmp();
    CGraphicsImage image;
    for (auto _ : state)
        CBmpReader().LoadA(f.path.c_str(), image);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes.size()));
}

void BmpReadPeer(benchmark::State& state)
{
    PlainRead(state, Bmp().path, int64_t(Bmp().bytes.size()));
}

void BmpWriteOurs(benchmark::State& state)
{
    BmpFixture& f = Bmp();
    const std::string path = BenchPath("lindar-bench-out.bmp");
    for (auto _ : state) {
        CBufferedStream out(32768);
        out.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr);
        CBmpWriter().Write(out, f.image);
        out.Close();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes.size()));
}

void BmpWritePeer(benchmark::State& state)
{
    const BmpFixture& f = Bmp();
    const std::string path = BenchPath("lindar-bench-out.bmp");
    for (auto _ : state) {
        CBufferedStream out(32768);
        out.OpenA(path.c_str(), CBufferedStream::kModeCreate, nullptr);
        out.Write(f.bytes.data(), int32_t(f.bytes.size()));
        out.Close();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes.size()));
}

void TlsRead(benchmark::State& state, uint32_t index)
{
    const TlsFixture& f = Tls();
    CGraphicsImage image;
    for (auto _ : state)
        CTlsReader().LoadIndexA(f.path.c_str(), image, index);
    state.SetBytesProcessed(int64_t(state.iterations()) * f.size);
}

void TlsReadFirstOurs(benchmark::State& state)
{
    TlsRead(state, 0);
}

void TlsReadLastOurs(benchmark::State& state)
{
    TlsRead(state, kTlsImages - 1);
}

void TlsReadPeer(benchmark::State& state)
{
    PlainRead(state, Tls().path, Tls().size);
}

// The textbook table-driven CRC-16/XMODEM.
uint16_t ReferenceCrc(const uint8_t* p, size_t n)
{
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << 8;
            for (int b = 0; b < 8; ++b)
                c = c & 0x8000 ? (c << 1) ^ 0x1021 : c << 1;
            t[i] = uint16_t(c);
        }
        return t;
    }();
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i)
        crc = uint16_t((crc << 8) ^ table[(crc >> 8) ^ p[i]]);
    return crc;
}

const std::vector<uint8_t>& CrcData()
{
    static const std::vector<uint8_t> data = [] {
        std::vector<uint8_t> d(kCrcBytes);
        for (size_t i = 0; i < d.size(); ++i)
            d[i] = uint8_t(i * 2654435761u >> 13);
        return d;
    }();
    return data;
}

void CrcOurs(benchmark::State& state)
{
    const std::vector<uint8_t>& d = CrcData();
    if (TlsCrc16(0, d.data(), d.size()) != ReferenceCrc(d.data(), d.size()))
        state.SkipWithError("CRCs differ");
    for (auto _ : state)
        benchmark::DoNotOptimize(TlsCrc16(0, d.data(), d.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size()));
}

void CrcPeer(benchmark::State& state)
{
    const std::vector<uint8_t>& d = CrcData();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReferenceCrc(d.data(), d.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size()));
}

}  // namespace

BENCHMARK(BmpReadOurs)->Name("bmp_read_8192x8192x24/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BmpReadPeer)->Name("bmp_read_8192x8192x24/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(BmpWriteOurs)->Name("bmp_write_8192x8192x24/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BmpWritePeer)->Name("bmp_write_8192x8192x24/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(TlsReadFirstOurs)->Name("tls_read_image0_of_50x1024x1024x32/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(TlsReadPeer)->Name("tls_read_image0_of_50x1024x1024x32/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(TlsReadLastOurs)->Name("tls_read_image49_of_50x1024x1024x32/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(TlsReadPeer)->Name("tls_read_image49_of_50x1024x1024x32/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(CrcOurs)->Name("tls_crc16_64MiB/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(CrcPeer)->Name("tls_crc16_64MiB/peer")->Unit(benchmark::kMillisecond);
