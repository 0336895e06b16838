// GIF decode and encode against giflib in the same binary: decode of a
// 4096 x 4096 noise GIF and of map-like 256 x 256 tiles (ours through
// LoadGraphicsFromMemory, giflib's DGifSlurp from memory), and the encode of
// a 4096 x 4096 8-bit noise image into a file (ours through CGifWriter,
// giflib's EGifSpew), with the file size as the counter "bytes". The files
// decoded are giflib's own.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/gif_writer.h"
#include "graphics/image.h"

namespace {

constexpr int kBig = 4096;
constexpr int kTile = 256;
constexpr int kColours = 256;

using Bytes = std::vector<uint8_t>;

uint32_t Random(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

uint8_t PaletteChannel(int index, int channel)
{
    return uint8_t((index * (37 + 50 * channel) + 60 * channel) & 255);
}

Bytes NoiseIndices(int side)
{
    Bytes indices(size_t(side) * side);
    uint32_t rng = 11;
    for (uint8_t& i : indices)
        i = uint8_t(Random(rng));
    return indices;
}

// Areas, roads and a little noise over 48 colours.
Bytes TileIndices()
{
    Bytes indices(size_t(kTile) * kTile);
    uint32_t rng = 7;
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            int v = ((x / 40) + (y / 56) * 3) % 12;
            if ((x + 2 * y) % 97 < 3 || (3 * x - y + 400) % 131 < 2)
                v = 12 + (x / 64) % 4;
            if (Random(rng) % 16 == 0)
                v = 16 + int(Random(rng) % 32);
            indices[size_t(y) * kTile + size_t(x)] = uint8_t(v);
        }
    return indices;
}

int WriteToBytes(GifFileType* gif, const GifByteType* data, int n)
{
    Bytes& out = *static_cast<Bytes*>(gif->UserData);
    out.insert(out.end(), data, data + n);
    return n;
}

// giflib's encode of a side x side image with a 256-entry table: into `out`,
// or into the file `path` when it is given.
bool Spew(const Bytes& indices, int side, Bytes* out, const char* path)
{
    int error = 0;
    GifFileType* gif = path ? EGifOpenFileName(path, false, &error) : EGifOpen(out, WriteToBytes, &error);
    if (!gif)
        return false;
    GifColorType colours[kColours];
    for (int i = 0; i < kColours; ++i)
        colours[i] = {PaletteChannel(i, 0), PaletteChannel(i, 1), PaletteChannel(i, 2)};
    gif->SWidth = side;
    gif->SHeight = side;
    gif->SColorResolution = 8;
    gif->SBackGroundColor = 0;
    gif->SColorMap = GifMakeMapObject(kColours, colours);
    SavedImage* image = GifMakeSavedImage(gif, nullptr);
    image->ImageDesc = {0, 0, side, side, false, nullptr};
    // giflib frees the raster with the file.
    image->RasterBits = static_cast<GifByteType*>(std::malloc(indices.size()));
    std::memcpy(image->RasterBits, indices.data(), indices.size());
    return EGifSpew(gif) == GIF_OK;
}

const Bytes& BigGif()
{
    static const Bytes file = [] {
        Bytes out;
        Spew(NoiseIndices(kBig), kBig, &out, nullptr);
        return out;
    }();
    return file;
}

const Bytes& TileGif()
{
    static const Bytes file = [] {
        Bytes out;
        Spew(TileIndices(), kTile, &out, nullptr);
        return out;
    }();
    return file;
}

struct MemoryInput {
    const Bytes* file;
    size_t position;
};

int ReadFromBytes(GifFileType* gif, GifByteType* data, int n)
{
    MemoryInput& in = *static_cast<MemoryInput*>(gif->UserData);
    const size_t count = std::min(size_t(n), in.file->size() - in.position);
    std::memcpy(data, in.file->data() + in.position, count);
    in.position += count;
    return int(count);
}

bool Decode(const Bytes& file, bool peer)
{
    if (!peer) {
        CGraphicsImage image;
        const bool ok = LoadGraphicsFromMemory(file.data(), uint32_t(file.size()), image) == 0;
        benchmark::DoNotOptimize(image.m_pBits);
        return ok;
    }
    MemoryInput in{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&in, ReadFromBytes, &error);
    if (!gif)
        return false;
    const bool ok = DGifSlurp(gif) == GIF_OK;
    benchmark::DoNotOptimize(gif->SavedImages);
    DGifCloseFile(gif, &error);
    return ok;
}

void BM_Decode(benchmark::State& state, const Bytes& (*file)(), int side, bool peer)
{
    const Bytes& bytes = file();
    for (auto _ : state)
        if (!Decode(bytes, peer))
            state.SkipWithError("decode failed");
    state.SetItemsProcessed(state.iterations() * int64_t(side) * side);
}

void BM_Encode(benchmark::State& state, bool peer)
{
    const Bytes indices = NoiseIndices(kBig);
    CGraphicsImage image;
    image.Create(8, kBig, kBig, 0);
    for (int i = 0; i < kColours; ++i)
        image.SetPaletteRGB(uint32_t(i), PaletteChannel(i, 0), PaletteChannel(i, 1), PaletteChannel(i, 2));
    for (int y = 0; y < kBig; ++y)
        std::memcpy(image.RowAt(y), &indices[size_t(y) * kBig], kBig);
    const std::string path =
        (std::filesystem::temp_directory_path() / (peer ? "gif_bench_peer.gif" : "gif_bench_ours.gif")).string();
    for (auto _ : state) {
        if (peer) {
            if (!Spew(indices, kBig, nullptr, path.c_str()))
                state.SkipWithError("giflib failed");
        } else {
            CGifWriter writer;
            writer.SaveA(path.c_str(), image);
        }
    }
    state.counters["bytes"] = double(std::filesystem::file_size(path));
    state.SetItemsProcessed(state.iterations() * int64_t(kBig) * kBig);
    std::filesystem::remove(path);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Decode, noise4096/ours, BigGif, kBig, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, noise4096/peer, BigGif, kBig, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, tile256/ours, TileGif, kTile, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Decode, tile256/peer, TileGif, kTile, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Encode, noise4096/ours, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encode, noise4096/peer, true)->Unit(benchmark::kMillisecond);
