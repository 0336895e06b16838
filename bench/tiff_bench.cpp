// TIFF decode and encode against libtiff in the same binary: an 8000 x 8000
// RGB image uncompressed, LZW with the horizontal predictor and PackBits,
// and a 10,000-row fax page (modified Huffman), each file written by
// libtiff. Ours reads into a CGraphicsImage through CTiffReader; libtiff
// reads every strip with TIFFReadEncodedStrip into one raster. Encodes write the same image
// with the same compression and strips of the same size.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_paths.h"
#include "graphics/formats/tiff_reader.h"
#include "graphics/formats/tiff_writer.h"
#include "graphics/formats/tiff_writer_seam.h"
#include "graphics/image.h"

namespace {

constexpr uint32_t kSide = 8000;
constexpr uint32_t kFaxWidth = 2480;  // A4 at 300 dpi
constexpr uint32_t kFaxRows = 10000;

uint32_t Random(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

std::string TempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

// A map-like picture: flat areas, gradients, lines and some noise.
const CGraphicsImage& Picture()
{
    static CGraphicsImage image;
    if (!image.m_pBits) {
        image.Create(24, kSide, kSide, 0);
        uint32_t rng = 3;
        for (uint32_t y = 0; y < kSide; ++y) {
            uint8_t* row = image.RowAt(int(y));
            for (uint32_t x = 0; x < kSide; ++x) {
                const uint32_t area = (x / 300 + (y / 200) * 7) % 11;
                uint8_t* p = row + 3 * x;
                p[0] = uint8_t(area * 23 + (x & 7));
                p[1] = uint8_t(area * 41 + y / 64);
                p[2] = uint8_t(area * 17 + 90);
                if ((x + 3 * y) % 211 < 2 || Random(rng) % 40 == 0)
                    p[0] = p[1] = p[2] = uint8_t(Random(rng));
            }
        }
    }
    return image;
}

// A page of text-like black runs on white, one bit per pixel, 1 = black.
std::vector<uint8_t> FaxRow(uint32_t y)
{
    std::vector<uint8_t> row(kFaxWidth / 8, 0);
    uint32_t rng = y / 40 * 977 + 1;
    if (y % 40 >= 28)
        return row;  // between text lines
    for (uint32_t x = 100; x + 30 < kFaxWidth - 100; x += 8 + Random(rng) % 24) {
        const uint32_t run = 1 + (Random(rng) + y) % 5;
        for (uint32_t i = 0; i < run; ++i)
            row[(x + i) / 8] |= uint8_t(0x80 >> ((x + i) % 8));
    }
    return row;
}

// RGB rows of the picture for libtiff.
void RgbRow(const CGraphicsImage& image, uint32_t y, uint8_t* out)
{
    const uint8_t* bgr = image.RowAt(int(y));
    for (uint32_t x = 0; x < image.m_nWidth; ++x) {
        out[3 * x] = bgr[3 * x + 2];
        out[3 * x + 1] = bgr[3 * x + 1];
        out[3 * x + 2] = bgr[3 * x];
    }
}

struct Kind {
    const char* name;
    uint16_t compression;
    bool fax;
};

// Rows per strip as our writer makes them: strips of about 8 KB.
uint32_t RowsPerStrip(uint32_t rowBytes, uint32_t height)
{
    const uint32_t rows = std::max<uint32_t>(1, 8192 / rowBytes);
    return std::min(rows, height);
}

bool WriteWithLibtiff(const std::string& path, const Kind& kind)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    const uint32_t width = kind.fax ? kFaxWidth : kSide, height = kind.fax ? kFaxRows : kSide;
    const uint32_t rowBytes = kind.fax ? kFaxWidth / 8 : kSide * 3;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, kind.fax ? 1 : 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, kind.fax ? 1 : 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, kind.fax ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, kind.compression);
    if (kind.compression == COMPRESSION_LZW)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    const uint32_t rowsPerStrip = RowsPerStrip(rowBytes, height);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    std::vector<uint8_t> strip(size_t(rowBytes) * rowsPerStrip);
    bool ok = true;
    for (uint32_t y = 0, s = 0; y < height && ok; y += rowsPerStrip, ++s) {
        const uint32_t rows = std::min(rowsPerStrip, height - y);
        for (uint32_t r = 0; r < rows; ++r) {
            uint8_t* out = strip.data() + size_t(r) * rowBytes;
            if (kind.fax) {
                const std::vector<uint8_t> row = FaxRow(y + r);
                std::copy(row.begin(), row.end(), out);
            } else {
                RgbRow(Picture(), y + r, out);
            }
        }
        ok = TIFFWriteEncodedStrip(tif, s, strip.data(), tmsize_t(rows) * rowBytes) >= 0;
    }
    TIFFClose(tif);
    return ok;
}

const std::string& InputFile(const Kind& kind)
{
    static std::string paths[4];
    const int index = kind.fax ? 3 : kind.compression == COMPRESSION_NONE ? 0 : kind.compression == COMPRESSION_LZW ? 1 : 2;
    std::string& path = paths[index];
    if (path.empty()) {
        path = TempPath(std::string("tiff_bench_") + kind.name + ".tif");
        if (!WriteWithLibtiff(path, kind))
            path = "";
    }
    return path;
}

void BM_Decode(benchmark::State& state, Kind kind, bool peer)
{
    const std::string& path = InputFile(kind);
    if (path.empty()) {
        state.SkipWithError("libtiff could not write the input");
        return;
    }
    for (auto _ : state) {
        if (peer) {
            // The whole raster, strip by strip, as ours holds the whole image.
            TIFF* tif = TIFFOpen(path.c_str(), "r");
            const uint32_t strips = TIFFNumberOfStrips(tif);
            const tmsize_t stripSize = TIFFStripSize(tif);
            std::unique_ptr<uint8_t[]> raster(new uint8_t[size_t(stripSize) * strips]);
            for (uint32_t s = 0; s < strips; ++s)
                if (TIFFReadEncodedStrip(tif, s, raster.get() + size_t(stripSize) * s, tmsize_t(-1)) < 0)
                    state.SkipWithError("libtiff failed");
            benchmark::DoNotOptimize(raster[0]);
            TIFFClose(tif);
        } else {
            CGraphicsImage image;
            try {
                CTiffReader().LoadA(path.c_str(), image);
            } catch (const EGraphicsException& e) {
                state.SkipWithError(e.text);
                break;
            }
            benchmark::DoNotOptimize(image.m_pBits[0]);
        }
    }
    state.SetBytesProcessed(state.iterations() *
                            (kind.fax ? int64_t(kFaxWidth / 8) * kFaxRows : int64_t(kSide) * kSide * 3));
}

void BM_Encode(benchmark::State& state, Kind kind, bool peer)
{
    const std::string path = BenchPath(std::string("tiff_bench_out_") + (peer ? "peer_" : "ours_") + kind.name + ".tif");
    CGraphicsImage& image = const_cast<CGraphicsImage&>(Picture());
    for (auto _ : state) {
        if (peer) {
            if (!WriteWithLibtiff(path, kind))
                state.SkipWithError("libtiff failed");
        } else {
            CTiffWriter writer;
            CTiffWriterSeam::SetCompression(writer, kind.compression);
            try {
                writer.SaveA(path.c_str(), image);
            } catch (const EGraphicsException& e) {
                state.SkipWithError(e.text);
                break;
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kSide) * kSide * 3);
    std::filesystem::remove(path);
}

const Kind kKinds[] = {
    {"rgb-none", COMPRESSION_NONE, false},
    {"rgb-lzw-predictor", COMPRESSION_LZW, false},
    {"rgb-packbits", COMPRESSION_PACKBITS, false},
    {"fax-mh", COMPRESSION_CCITTRLE, true},
};

const bool kRegistered = [] {
    TIFFSetWarningHandler(nullptr);
    for (const Kind& k : kKinds)
        for (bool peer : {false, true}) {
            const std::string side = peer ? "/peer" : "/ours";
            benchmark::RegisterBenchmark(("decode/" + std::string(k.name) + side).c_str(), BM_Decode, k, peer)
                ->Unit(benchmark::kMillisecond);
            if (!k.fax)
                benchmark::RegisterBenchmark(("encode/" + std::string(k.name) + side).c_str(), BM_Encode, k, peer)
                    ->Unit(benchmark::kMillisecond);
        }
    return true;
}();

}  // namespace
