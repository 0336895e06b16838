// Tile blits into a 1920 × 1080 back buffer, blends and fills against pixman
// doing the same work between matching formats, and same-depth copies
// against plain memcpy of the rows.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "graphics/image.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kTile = 256;
constexpr uint32_t kKey = 0xFF00FF;

uint32_t Random(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8 | state << 24;
}

// Tile positions covering the screen, the last column and row clipped.
template <class Fn>
void ForEachTile(Fn fn)
{
    for (int y = 0; y < kScreenHeight; y += kTile)
        for (int x = 0; x < kScreenWidth; x += kTile)
            fn(x, y);
}

void SetScreenBytes(benchmark::State& state, int bytesPerPixel)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * kScreenWidth * kScreenHeight * bytesPerPixel);
}

// Source tiles: colour word of pixel x, y for each kind of source.
enum class Kind { Random, Keyed, Alpha };

uint32_t TileColour(Kind kind, int x, int y, uint32_t& rng)
{
    const uint32_t c = Random(rng);
    switch (kind) {
    case Kind::Keyed:  // a quarter of the tile in 16 × 16 key blocks
        return (x / 16 + y / 16) % 4 == 0 ? kKey : (c & 0xFFFFFF) == kKey ? 0x123456 : c;
    case Kind::Alpha: {  // transparent, opaque and graded bands of 32 × 32 blocks
        const int band = (x / 32 + y / 32) % 3;
        const uint32_t a = band == 0 ? 0 : band == 1 ? 255 : uint32_t(x * 7 + y) & 255;
        return a << 24 | (c & 0xFFFFFF);
    }
    default: return c;
    }
}

// Our tile at a depth, and a top-down pixman copy of it in the peer format.
struct Tile {
    CGraphicsImage image;
    std::vector<uint32_t> peerBits;
    pixman_image_t* peer = nullptr;
    pixman_indexed_t indexed = {};

    Tile(uint32_t bits, Kind kind, pixman_format_code_t format)
    {
        image.Create(bits, kTile, kTile, 0, CGraphicsImage::OWN_MEMORY);
        uint32_t rng = 12345;
        const int peerBpp = PIXMAN_FORMAT_BPP(format);
        const int peerStride = (kTile * peerBpp / 8 + 3) & ~3;
        peerBits.assign(size_t(peerStride) * kTile / 4, 0);
        uint8_t* peerBytes = reinterpret_cast<uint8_t*>(peerBits.data());
        for (int y = 0; y < kTile; ++y)
            for (int x = 0; x < kTile; ++x) {
                uint32_t c = TileColour(kind, x, y, rng);
                if (bits == 8)
                    c &= 255;
                image.m_pfnSetPixel(image.RowAt(y), x, c);
                uint8_t* p = peerBytes + size_t(y) * peerStride + size_t(x) * peerBpp / 8;
                if (peerBpp == 8) {
                    *p = uint8_t(c);
                } else if (peerBpp == 24) {
                    std::memcpy(p, &c, 3);
                } else {
                    // a8r8g8b8 is premultiplied: key pixels transparent, the rest scaled by alpha.
                    uint32_t a = kind == Kind::Keyed ? ((c & 0xFFFFFF) == kKey ? 0 : 255) : c >> 24;
                    if (kind == Kind::Random)
                        a = 255;
                    uint32_t v = a << 24;
                    for (int s = 0; s < 24; s += 8)
                        v |= ((((c >> s) & 255) * a + 127) / 255) << s;
                    std::memcpy(p, &v, 4);
                }
            }
        peer = pixman_image_create_bits(format, kTile, kTile, peerBits.data(), peerStride);
        if (bits == 8) {
            for (int i = 0; i < 256; ++i) {
                uint32_t entry;
                std::memcpy(&entry, &image.m_pPalette[i], 4);
                indexed.rgba[i] = entry | 0xFF000000;
            }
            pixman_image_set_indexed(peer, &indexed);
        }
    }
    ~Tile() { pixman_image_unref(peer); }
};

// The back buffer. pixman draws into the same pixel memory, seen top-down,
// so both sides write the same pages: placement alone moves large-buffer
// timings by a third on a shared machine.
struct Screen {
    CGraphicsImage image;
    pixman_image_t* peer = nullptr;

    Screen(uint32_t bits, pixman_format_code_t format)
    {
        image.Create(bits, kScreenWidth, kScreenHeight, 0, CGraphicsImage::OWN_MEMORY);
        peer = pixman_image_create_bits(format, kScreenWidth, kScreenHeight, reinterpret_cast<uint32_t*>(image.m_pBits),
                                        int(image.m_nStride));
    }
    ~Screen() { pixman_image_unref(peer); }
};

struct DrawCase {
    const char* name;
    uint32_t sourceBits, targetBits, flags;
    Kind kind;
    pixman_format_code_t sourceFormat, targetFormat;
    pixman_op_t op;
};

const DrawCase kDrawCases[] = {
    {"DrawImage 24->24", 24, 24, 0, Kind::Random, PIXMAN_r8g8b8, PIXMAN_r8g8b8, PIXMAN_OP_SRC},
    {"DrawImage 24->32", 24, 32, 0, Kind::Random, PIXMAN_r8g8b8, PIXMAN_a8r8g8b8, PIXMAN_OP_SRC},
    {"DrawImage 32->32", 32, 32, 0, Kind::Random, PIXMAN_a8r8g8b8, PIXMAN_a8r8g8b8, PIXMAN_OP_SRC},
    {"DrawImage 8->32 palette", 8, 32, 0, Kind::Random, PIXMAN_c8, PIXMAN_a8r8g8b8, PIXMAN_OP_SRC},
    {"DrawImage 32->32 keyed", 32, 32, kKey | CGraphicsImage::BLIT_SOURCE_KEY, Kind::Keyed, PIXMAN_a8r8g8b8,
     PIXMAN_a8r8g8b8, PIXMAN_OP_OVER},
    // The peer draws the tile as a8r8g8b8 with the key pixels transparent.
    {"DrawImage 24->24 keyed", 24, 24, kKey | CGraphicsImage::BLIT_SOURCE_KEY, Kind::Keyed, PIXMAN_a8r8g8b8,
     PIXMAN_r8g8b8, PIXMAN_OP_OVER},
    {"BlendImage 32->32", 32, 32, 0, Kind::Alpha, PIXMAN_a8r8g8b8, PIXMAN_a8r8g8b8, PIXMAN_OP_OVER},
};

void RegisterDraw(const DrawCase& c)
{
    const bool blend = std::string(c.name).rfind("BlendImage", 0) == 0;
    benchmark::RegisterBenchmark((std::string(c.name) + "/ours").c_str(), [c, blend](benchmark::State& state) {
        Tile tile(c.sourceBits, c.kind, c.sourceFormat);
        Screen screen(c.targetBits, c.targetFormat);
        for (auto _ : state) {
            ForEachTile([&](int x, int y) {
                if (blend)
                    screen.image.BlendImage(tile.image, x, y);
                else
                    screen.image.DrawImage(tile.image, x, y, c.flags);
            });
            benchmark::ClobberMemory();
        }
        SetScreenBytes(state, int(c.targetBits / 8));
    });
    benchmark::RegisterBenchmark((std::string(c.name) + "/peer").c_str(), [c](benchmark::State& state) {
        Tile tile(c.sourceBits, c.kind, c.sourceFormat);
        Screen screen(c.targetBits, c.targetFormat);
        for (auto _ : state) {
            ForEachTile([&](int x, int y) {
                pixman_image_composite32(c.op, tile.peer, nullptr, screen.peer, 0, 0, 0, 0, x, y, kTile, kTile);
            });
            benchmark::ClobberMemory();
        }
        SetScreenBytes(state, int(c.targetBits / 8));
    });
}

// Same-depth copies against memcpy of the same clipped rows.
void RegisterMemcpy(uint32_t bits)
{
    const std::string name = "DrawImage " + std::to_string(bits) + "->" + std::to_string(bits) + " vs memcpy";
    benchmark::RegisterBenchmark((name + "/ours").c_str(), [bits](benchmark::State& state) {
        Tile tile(bits, Kind::Random, bits == 24 ? PIXMAN_r8g8b8 : PIXMAN_a8r8g8b8);
        Screen screen(bits, bits == 24 ? PIXMAN_r8g8b8 : PIXMAN_a8r8g8b8);
        for (auto _ : state) {
            ForEachTile([&](int x, int y) { screen.image.DrawImage(tile.image, x, y, 0); });
            benchmark::ClobberMemory();
        }
        SetScreenBytes(state, int(bits / 8));
    });
    benchmark::RegisterBenchmark((name + "/peer").c_str(), [bits](benchmark::State& state) {
        Tile tile(bits, Kind::Random, bits == 24 ? PIXMAN_r8g8b8 : PIXMAN_a8r8g8b8);
        Screen screen(bits, bits == 24 ? PIXMAN_r8g8b8 : PIXMAN_a8r8g8b8);
        const size_t bpp = bits / 8;
        for (auto _ : state) {
            ForEachTile([&](int x, int y) {
                const int w = std::min(kTile, kScreenWidth - x), h = std::min(kTile, kScreenHeight - y);
                for (int row = 0; row < h; ++row)
                    std::memcpy(screen.image.RowAt(y + row) + x * bpp, tile.image.RowAt(row), w * bpp);
            });
            benchmark::ClobberMemory();
        }
        SetScreenBytes(state, int(bits / 8));
    });
}

// FillRect of an almost full screen with unaligned edges; pixman_fill where
// it has the depth, else memset of the same bytes as the bandwidth ceiling.
constexpr int kFillX = 3, kFillY = 2, kFillWidth = 1910, kFillHeight = 1070;

void RegisterFill(uint32_t bits)
{
    const int peerBpp = bits == 15 ? 16 : bits;
    const bool pixmanHasIt = peerBpp == 1 || peerBpp == 8 || peerBpp == 16 || peerBpp == 32;
    const std::string name = "FillRect " + std::to_string(bits) + " bits" + (pixmanHasIt ? "" : " vs memset");
    benchmark::RegisterBenchmark((name + "/ours").c_str(), [bits](benchmark::State& state) {
        CGraphicsImage image;
        image.Create(bits, kScreenWidth, kScreenHeight, 0, CGraphicsImage::OWN_MEMORY);
        uint32_t value = 0x123456;
        for (auto _ : state) {
            image.FillRect(kFillX, kFillY, kFillWidth, kFillHeight, value++);
            benchmark::ClobberMemory();
        }
    });
    benchmark::RegisterBenchmark((name + "/peer").c_str(), [bits, peerBpp, pixmanHasIt](benchmark::State& state) {
        CGraphicsImage image;
        image.Create(bits, kScreenWidth, kScreenHeight, 0, CGraphicsImage::OWN_MEMORY);
        uint32_t value = 0x123456;
        const size_t first = size_t(kFillX) * peerBpp / 8, end = (size_t(kFillX + kFillWidth) * peerBpp + 7) / 8;
        for (auto _ : state) {
            if (pixmanHasIt)
                pixman_fill(reinterpret_cast<uint32_t*>(image.m_pBits), int(image.m_nStride / 4), peerBpp, kFillX,
                            kFillY, kFillWidth, kFillHeight, value++);
            else
                for (int row = 0; row < kFillHeight; ++row)
                    std::memset(image.m_pBits + size_t(kFillY + row) * image.m_nStride + first, int(value++ & 255),
                                end - first);
            benchmark::ClobberMemory();
        }
    });
}

const int kRegistered = [] {
    for (const DrawCase& c : kDrawCases)
        RegisterDraw(c);
    RegisterMemcpy(24);
    RegisterMemcpy(32);
    for (uint32_t bits : {1u, 2u, 4u, 8u, 12u, 15u, 16u, 24u, 32u})
        RegisterFill(bits);
    return 0;
}();

}  // namespace
