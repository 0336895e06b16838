// Depth conversion, scaling, grey images, MoveRect and RotateFrom against a
// peer doing the same work: pixman between the matching formats (box or
// bilinear filters for the averaging scale) and memmove for MoveRect. Both
// sides make their result image on every iteration, as our operations do.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/image.h"

namespace {

constexpr int kTile = 256;

uint32_t Random(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8 | state << 24;
}

// A smooth picture with some noise: what map tiles look like to a scaler.
uint32_t PictureColour(int x, int y, uint32_t& rng)
{
    const uint32_t noise = Random(rng) & 0x0F0F0F;
    return 0xFF000000u | ((uint32_t(x * 3 + y) & 255) << 16) | ((uint32_t(y * 2) & 255) << 8) |
           ((uint32_t(x ^ y) & 255) ^ noise);
}

// Our picture at a depth and the peer's copy of it in its format; the
// peer's rows are top-down, ours bottom-up, the pixels the same.
struct Picture {
    CGraphicsImage image;
    void* peerBits = nullptr;
    pixman_image_t* peer = nullptr;
    pixman_indexed_t indexed = {};

    Picture(uint32_t bits, int width, int height, pixman_format_code_t format)
    {
        image.Create(bits, uint32_t(width), uint32_t(height), 0, CGraphicsImage::OWN_MEMORY);
        uint32_t rng = 99;
        for (int i = 0; i < 256; ++i) {
            image.SetPaletteEntry(uint32_t(i), 0xFF000000u | uint32_t(i) * 0x010305u);
            indexed.rgba[i] = 0xFF000000u | uint32_t(i) * 0x010305u;
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t c = PictureColour(x, y, rng);
                if (bits == 8)
                    c &= 255;
                image.m_pfnSetPixel(image.RowAt(y), x, c);
            }
        const int stride = int(image.m_nStride);
        peerBits = std::malloc(size_t(stride) * size_t(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(static_cast<uint8_t*>(peerBits) + size_t(y) * stride, image.RowAt(y), size_t(stride));
        peer = pixman_image_create_bits(format, width, height, static_cast<uint32_t*>(peerBits), stride);
        if (bits == 8)
            pixman_image_set_indexed(peer, &indexed);
    }
    ~Picture()
    {
        pixman_image_unref(peer);
        std::free(peerBits);
    }
};

// The peer's result: a fresh buffer and image per call, like ours.
struct PeerResult {
    void* bits;
    pixman_image_t* image;
    PeerResult(pixman_format_code_t format, int width, int height, pixman_indexed_t* indexed = nullptr)
    {
        const int stride = ((width * PIXMAN_FORMAT_BPP(format) + 31) / 32) * 4;
        bits = std::malloc(size_t(stride) * size_t(height));
        image = pixman_image_create_bits(format, width, height, static_cast<uint32_t*>(bits), stride);
        if (indexed)
            pixman_image_set_indexed(image, indexed);
    }
    ~PeerResult()
    {
        pixman_image_unref(image);
        std::free(bits);
    }
};

// ---- ConvertFrom of map tiles ------------------------------------------------

struct Conversion {
    const char* name;
    uint32_t from, to;
    pixman_format_code_t peerFrom, peerTo;
};

const Conversion kConversions[] = {
    {"ConvertFrom256/8to24", 8, 24, PIXMAN_c8, PIXMAN_r8g8b8},
    {"ConvertFrom256/24to32", 24, 32, PIXMAN_r8g8b8, PIXMAN_a8r8g8b8},
    {"ConvertFrom256/16to32", 16, 32, PIXMAN_r5g6b5, PIXMAN_a8r8g8b8},
};

void BM_Convert(benchmark::State& state, const Conversion& c, bool ours)
{
    Picture source(c.from, kTile, kTile, c.peerFrom);
    for (auto _ : state) {
        if (ours) {
            CGraphicsImage image;
            image.ConvertFrom(source.image, c.to);
            benchmark::DoNotOptimize(image.m_pBits);
        } else {
            PeerResult result(c.peerTo, kTile, kTile);
            pixman_image_composite32(PIXMAN_OP_SRC, source.peer, nullptr, result.image, 0, 0, 0, 0, 0, 0, kTile,
                                     kTile);
            benchmark::DoNotOptimize(result.bits);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kTile * kTile);
}

// ---- Resize ------------------------------------------------------------------

enum class Filter { Nearest, Box, Bilinear };

struct Scale {
    int from, toW, toH;
};

const Scale kScales[] = {{2048, 512, 512}, {256, 384, 384}, {4096, 1000, 1000}};

// pixman scales by sampling the source at the transform of each target
// pixel centre; a box kernel as wide as the scale step averages the area.
void SetPeerScale(pixman_image_t* source, const Scale& s, Filter filter)
{
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(s.from) / s.toW),
                                pixman_double_to_fixed(double(s.from) / s.toH));
    pixman_image_set_transform(source, &t);
    pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
    if (filter == Filter::Nearest) {
        pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
    } else if (filter == Filter::Bilinear) {
        pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    } else {
        int n = 0;
        pixman_fixed_t* params = pixman_filter_create_separable_convolution(
            &n, pixman_double_to_fixed(double(s.from) / s.toW), pixman_double_to_fixed(double(s.from) / s.toH),
            PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 4, 4);
        pixman_image_set_filter(source, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
        std::free(params);
    }
}

void BM_Resize(benchmark::State& state, Scale s, Filter filter, bool ours)
{
    Picture source(32, s.from, s.from, PIXMAN_x8r8g8b8);
    if (!ours)
        SetPeerScale(source.peer, s, filter);
    const uint32_t flags = filter == Filter::Nearest ? 0 : CGraphicsImage::RESIZE_SMOOTH;
    for (auto _ : state) {
        if (ours) {
            CGraphicsImage image;
            image.Resize(source.image, uint32_t(s.toW), uint32_t(s.toH), flags);
            benchmark::DoNotOptimize(image.m_pBits);
        } else {
            PeerResult result(PIXMAN_x8r8g8b8, s.toW, s.toH);
            pixman_image_composite32(PIXMAN_OP_SRC, source.peer, nullptr, result.image, 0, 0, 0, 0, 0, 0, s.toW,
                                     s.toH);
            benchmark::DoNotOptimize(result.bits);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * s.toW * s.toH);
}

// ---- GreyFrom ----------------------------------------------------------------

// The peer's grey image: a g8 target, whose store maps each colour's 15-bit
// form through a table to the grey of that colour.
void BM_Grey(benchmark::State& state, bool ours)
{
    constexpr int kSide = 4096;
    Picture source(32, kSide, kSide, PIXMAN_x8r8g8b8);
    pixman_indexed_t greys = {};
    for (int i = 0; i < 32768; ++i) {
        const uint32_t r = (i >> 10 & 31) << 3, g = (i >> 5 & 31) << 3, b = (i & 31) << 3;
        greys.ent[i] = uint8_t((76 * r + 152 * g + 29 * b) >> 8);
    }
    for (int i = 0; i < 256; ++i)
        greys.rgba[i] = 0xFF000000u | uint32_t(i) * 0x010101u;
    for (auto _ : state) {
        if (ours) {
            CGraphicsImage image;
            image.GreyFrom(source.image);
            benchmark::DoNotOptimize(image.m_pBits);
        } else {
            PeerResult result(PIXMAN_g8, kSide, kSide, &greys);
            pixman_image_composite32(PIXMAN_OP_SRC, source.peer, nullptr, result.image, 0, 0, 0, 0, 0, 0, kSide,
                                     kSide);
            benchmark::DoNotOptimize(result.bits);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

// ---- MoveRect ----------------------------------------------------------------

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// The whole buffer moved by dx, dy: what scrolling does. The peer moves
// the same bytes with memmove, row by row or, for whole rows, in one go.
void BM_Move(benchmark::State& state, int dx, int dy, bool ours)
{
    CGraphicsImage image;
    image.Create(32, kScreenWidth, kScreenHeight, 0x123456, 0);
    const size_t stride = image.m_nStride;
    for (auto _ : state) {
        if (ours) {
            image.MoveRect(0, 0, kScreenWidth, kScreenHeight, dx, dy);
        } else {
            const int w = kScreenWidth - std::abs(dx), h = kScreenHeight - std::abs(dy);
            const int sx = dx < 0 ? -dx : 0, tx = dx < 0 ? 0 : dx, sy = dy < 0 ? -dy : 0, ty = dy < 0 ? 0 : dy;
            if (dx == 0) {
                std::memmove(image.RowAt(ty + h - 1), image.RowAt(sy + h - 1), size_t(h) * stride);
            } else {
                for (int i = 0; i < h; ++i) {
                    const int r = ty <= sy ? i : h - 1 - i;
                    std::memmove(image.RowAt(ty + r) + 4 * tx, image.RowAt(sy + r) + 4 * sx, size_t(w) * 4);
                }
            }
        }
        benchmark::DoNotOptimize(image.m_pBits);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kScreenWidth * kScreenHeight * 4);
}

// ---- RotateFrom --------------------------------------------------------------

constexpr int kRotateSide = 2048;
constexpr int32_t kThirtyDegrees = 131072 / 12;

void BM_Rotate(benchmark::State& state, bool ours)
{
    Picture source(32, kRotateSide, kRotateSide, PIXMAN_a8r8g8b8);
    // The same result size as ours; the peer maps each target pixel centre
    // back about the source's centre, bilinear, transparent outside.
    int32_t px = kRotateSide / 2, py = kRotateSide / 2;
    CGraphicsImage probe;
    probe.RotateFrom(source.image, kThirtyDegrees, 0, &px, &py, 0);
    const int w = int(probe.m_nWidth), h = int(probe.m_nHeight);
    const double angle = 2 * M_PI * kThirtyDegrees / 131072.0;
    pixman_transform_t t;
    pixman_transform_init_translate(&t, pixman_int_to_fixed(-w / 2), pixman_int_to_fixed(-h / 2));
    pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(angle)),
                            pixman_double_to_fixed(-std::sin(angle)));
    pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(kRotateSide / 2), pixman_int_to_fixed(kRotateSide / 2));
    pixman_image_set_transform(source.peer, &t);
    pixman_image_set_filter(source.peer, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : state) {
        if (ours) {
            CGraphicsImage image;
            int32_t x = kRotateSide / 2, y = kRotateSide / 2;
            image.RotateFrom(source.image, kThirtyDegrees, 0, &x, &y, 0);
            benchmark::DoNotOptimize(image.m_pBits);
        } else {
            PeerResult result(PIXMAN_a8r8g8b8, w, h);
            pixman_image_composite32(PIXMAN_OP_SRC, source.peer, nullptr, result.image, 0, 0, 0, 0, 0, 0, w, h);
            benchmark::DoNotOptimize(result.bits);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * w * h);
}

void Pair(const std::string& name, auto fn, auto... args)
{
    benchmark::RegisterBenchmark((name + "/ours").c_str(), fn, args..., true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/peer").c_str(), fn, args..., false)->Unit(benchmark::kMicrosecond);
}

int Register()
{
    for (const Conversion& c : kConversions)
        Pair(c.name, BM_Convert, c);
    for (const Scale& s : kScales) {
        const std::string size = std::to_string(s.from) + "to" + std::to_string(s.toW);
        Pair("ResizeNearest/" + size, BM_Resize, s, Filter::Nearest);
        Pair("ResizeSmooth/" + size + "/box", BM_Resize, s, Filter::Box);
        Pair("ResizeSmooth/" + size + "/bilinear", BM_Resize, s, Filter::Bilinear);
    }
    Pair("GreyFrom4096", BM_Grey);
    Pair("MoveRect1920x1080/1,0", BM_Move, 1, 0);
    Pair("MoveRect1920x1080/0,1", BM_Move, 0, 1);
    Pair("MoveRect1920x1080/-100,-100", BM_Move, -100, -100);
    Pair("RotateFrom2048/30deg", BM_Rotate);
    return 0;
}

const int registered = Register();

}  // namespace
