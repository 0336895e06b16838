// QuantizeFrom against libimagequant (quantize, then remap without
// dithering) on the same pixels: a map-like image of few colours and flat
// areas, a photo-like image and an image of 2^24 distinct colours. Each
// run's PSNR against the source is a counter beside its time.
#include <benchmark/benchmark.h>
#include <libimagequant.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/image.h"

namespace {

uint32_t Hash(uint32_t v)
{
    v ^= v >> 16;
    v *= 0x7FEB352D;
    v ^= v >> 15;
    v *= 0x846CA68B;
    return v ^ (v >> 16);
}

// Rectangles and lines in 48 map colours: roads, fields, water.
void PaintMap(CGraphicsImage& image)
{
    const int side = int(image.m_nWidth);
    image.FillRect(0, 0, side, side, 0xF2EFE9);
    for (uint32_t i = 0; i < 3000; ++i) {
        const uint32_t h = Hash(i), colour = Hash(h % 48) & 0xFFFFFF;
        const int x = int(h % uint32_t(side)), y = int((h >> 10) % uint32_t(side));
        if (i % 3)
            image.FillRect(x, y, int(Hash(h) % 120) + 4, int(Hash(h + 1) % 120) + 4, colour);
        else
            image.DrawLineSmooth(x, y, x + int(Hash(h + 2) % 400) - 200, y + int(Hash(h + 3) % 400) - 200, colour, 1);
    }
}

// Smooth shading with sensor noise.
void PaintPhoto(CGraphicsImage& image)
{
    const int side = int(image.m_nWidth);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double u = double(x) / side, v = double(y) / side;
            const uint32_t n = Hash(uint32_t(y * side + x));
            auto channel = [&](double base, int noise) {
                return uint32_t(std::clamp(int(base * 255) + int(noise % 17) - 8, 0, 255));
            };
            const uint32_t r = channel(0.5 + 0.4 * std::sin(6 * u + 2 * v), int(n & 0xFF));
            const uint32_t g = channel(0.5 + 0.4 * std::sin(3 * v - u * u * 5), int((n >> 8) & 0xFF));
            const uint32_t b = channel(0.4 + 0.3 * std::cos(9 * u * v), int((n >> 16) & 0xFF));
            image.m_pfnSetPixel(image.RowAt(y), x, r << 16 | g << 8 | b);
        }
}

// Every 24-bit colour once, in scrambled order.
void PaintDistinct(CGraphicsImage& image)
{
    const uint32_t side = image.m_nWidth;
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x)
            image.m_pfnSetPixel(image.RowAt(int(y)), int(x), ((y * side + x) * 0x9E3779u) & 0xFFFFFF);
}

struct Picture {
    CGraphicsImage image;  // 24-bit
    std::vector<uint8_t> rgba;
};

Picture& GetPicture(int which)
{
    static Picture pictures[3];
    Picture& p = pictures[which];
    if (!p.image.m_pBits) {
        static const uint32_t sides[3] = {1024, 2048, 4096};
        p.image.Create(24, sides[which], sides[which], 0);
        (which == 0 ? PaintMap : which == 1 ? PaintPhoto : PaintDistinct)(p.image);
        p.rgba.resize(size_t(sides[which]) * sides[which] * 4);
        for (uint32_t y = 0; y < p.image.m_nHeight; ++y)
            for (uint32_t x = 0; x < p.image.m_nWidth; ++x) {
                const uint32_t c = p.image.m_pfnGetPixel(p.image.RowAt(int(y)), int(x));
                uint8_t* o = &p.rgba[(size_t(y) * p.image.m_nWidth + x) * 4];
                o[0] = uint8_t(c >> 16), o[1] = uint8_t(c >> 8), o[2] = uint8_t(c), o[3] = 255;
            }
    }
    return p;
}

// PSNR over the three channels; colour(i) gives pixel i of the result.
template <class ColourAt>
double Psnr(const Picture& p, ColourAt colour)
{
    double sum = 0;
    const size_t n = size_t(p.image.m_nWidth) * p.image.m_nHeight;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = colour(i);
        const uint8_t* s = &p.rgba[i * 4];
        const int d[3] = {int(s[0]) - int((c >> 16) & 255), int(s[1]) - int((c >> 8) & 255), int(s[2]) - int(c & 255)};
        sum += d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    }
    const double mse = sum / double(3 * n);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void Ours(benchmark::State& state, int which)
{
    Picture& p = GetPicture(which);
    CGraphicsImage result;
    for (auto _ : state)
        if (!result.QuantizeFrom(p.image))
            state.SkipWithError("QuantizeFrom failed");
    const uint32_t w = p.image.m_nWidth;
    state.counters["psnr"] = Psnr(p, [&](size_t i) {
        const uint8_t index = result.RowAt(int(i / w))[i % w];
        return result.GetPaletteRGB(index, nullptr, nullptr, nullptr);
    });
}

void Peer(benchmark::State& state, int which)
{
    Picture& p = GetPicture(which);
    const uint32_t w = p.image.m_nWidth, h = p.image.m_nHeight;
    std::vector<uint8_t> indices(size_t(w) * h);
    liq_palette palette{};
    for (auto _ : state) {
        liq_attr* attr = liq_attr_create();
        liq_image* image = liq_image_create_rgba(attr, p.rgba.data(), int(w), int(h), 0);
        liq_result* result = nullptr;
        if (liq_image_quantize(image, attr, &result) != LIQ_OK) {
            state.SkipWithError("liq_image_quantize failed");
        } else {
            liq_set_dithering_level(result, 0);
            liq_write_remapped_image(result, image, indices.data(), indices.size());
            palette = *liq_get_palette(result);
            liq_result_destroy(result);
        }
        liq_image_destroy(image);
        liq_attr_destroy(attr);
    }
    state.counters["psnr"] = Psnr(p, [&](size_t i) {
        const liq_color& c = palette.entries[indices[i]];
        return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
    });
}

const int kRegistered = [] {
    const char* names[3] = {"quantize/map_1024", "quantize/photo_2048", "quantize/distinct_4096"};
    for (int which = 0; which < 3; ++which) {
        const std::string name = names[which];
        benchmark::RegisterBenchmark((name + "/ours").c_str(), Ours, which)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "/peer").c_str(), Peer, which)->Unit(benchmark::kMillisecond);
    }
    return 0;
}();

}  // namespace
