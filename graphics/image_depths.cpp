#include "graphics/image_depths.h"

#include <cstring>

#include "graphics/pixel_access.h"

namespace graphics_detail {
namespace {

inline uint8_t* Spare(const CGraphicsImage* image) { return image->m_pSpareRow; }
inline const RGBQUAD* Palette(const CGraphicsImage* image) { return image->m_pPalette; }
inline int Width(const CGraphicsImage* image) { return int(image->m_nWidth); }

// ---- pixel functions -------------------------------------------------------

template <int Bits>
uint32_t GetPacked(const uint8_t* row, int x)
{
    constexpr int perByte = 8 / Bits;
    const int shift = (perByte - 1 - (x & (perByte - 1))) * Bits;
    return (row[x / perByte] >> shift) & ((1u << Bits) - 1);
}

template <int Bits>
void SetPacked(uint8_t* row, int x, uint32_t value)
{
    constexpr int perByte = 8 / Bits;
    constexpr uint32_t mask = (1u << Bits) - 1;
    const int shift = (perByte - 1 - (x & (perByte - 1))) * Bits;
    uint8_t& b = row[x / perByte];
    b = uint8_t((b & ~(mask << shift)) | ((value & mask) << shift));
}

uint32_t Get8(const uint8_t* row, int x) { return row[x]; }
void Set8(uint8_t* row, int x, uint32_t value) { row[x] = uint8_t(value); }
uint32_t Identity(uint32_t colour) { return colour; }

// 12 bits: a pixel pair in three bytes, nibbles B0 G0 | R0 B1 | G1 R1.
uint32_t Get12(const uint8_t* row, int x)
{
    const uint8_t* p = row + 3 * (x >> 1);
    uint32_t b, g, r;
    if (x & 1) {
        b = p[1] & 15;
        g = p[2] >> 4;
        r = p[2] & 15;
    } else {
        b = p[0] >> 4;
        g = p[0] & 15;
        r = p[1] >> 4;
    }
    return (r << 20) | (g << 12) | (b << 4);
}

void Set12(uint8_t* row, int x, uint32_t c)
{
    uint8_t* p = row + 3 * (x >> 1);
    const uint32_t r = (c >> 20) & 15, g = (c >> 12) & 15, b = (c >> 4) & 15;
    if (x & 1) {
        p[1] = uint8_t((p[1] & 0xF0) | b);
        p[2] = uint8_t((g << 4) | r);
    } else {
        p[0] = uint8_t((b << 4) | g);
        p[1] = uint8_t((r << 4) | (p[1] & 0x0F));
    }
}

uint32_t ColorTo12(uint32_t c) { return ((c >> 12) & 0xF00) | ((c >> 8) & 0x0F0) | ((c >> 4) & 0x00F); }

uint32_t Get15(const uint8_t* row, int x) { return Unpack555(Load16(row + 2 * x)); }
void Set15(uint8_t* row, int x, uint32_t c) { Store16(row + 2 * x, Pack555(c)); }
uint32_t ColorTo15(uint32_t c) { return Pack555(c); }

uint32_t Get16(const uint8_t* row, int x) { return Unpack565(Load16(row + 2 * x)); }
void Set16(uint8_t* row, int x, uint32_t c) { Store16(row + 2 * x, Pack565(c)); }
uint32_t ColorTo16(uint32_t c) { return Pack565(c); }

uint32_t Get24(const uint8_t* row, int x) { return Load24(row + 3 * x); }
void Set24(uint8_t* row, int x, uint32_t c) { Store24(row + 3 * x, c); }

uint32_t Get32(const uint8_t* row, int x) { return Load32(row + 4 * x); }
void Set32(uint8_t* row, int x, uint32_t c) { Store32(row + 4 * x, c); }

// ---- row functions ---------------------------------------------------------

uint8_t* SourceRow(const uint8_t* row, const CGraphicsImage*) { return const_cast<uint8_t*>(row); }

uint8_t* CopyRow(const uint8_t* row, const CGraphicsImage* image)
{
    std::memcpy(Spare(image), row, image->m_nStride);
    return Spare(image);
}

// Packed palette rows: walk whole bytes, each yielding 8 / Bits indices from
// the top bits down, then the pixels of the last partial byte.
template <int Bits, typename Emit>
void ForEachIndex(const uint8_t* row, int width, Emit emit)
{
    constexpr int perByte = 8 / Bits;
    constexpr uint32_t mask = (1u << Bits) - 1;
    const int whole = width / perByte;
    int x = 0;
    for (int i = 0; i < whole; ++i) {
        const uint32_t b = row[i];
        for (int k = perByte - 1; k >= 0; --k)
            emit(x++, (b >> (k * Bits)) & mask);
    }
    for (; x < width; ++x)
        emit(x, GetPacked<Bits>(row, x));
}

template <int Bits>
uint8_t* PackedTo8(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    ForEachIndex<Bits>(row, Width(image), [out](int x, uint32_t i) { out[x] = uint8_t(i); });
    return out;
}

template <int Bits>
uint8_t* PackedTo24(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const RGBQUAD* pal = Palette(image);
    // 4-byte stores overlapping the next pixel; the last lands in the slack.
    ForEachIndex<Bits>(row, Width(image), [out, pal](int x, uint32_t i) { std::memcpy(out + 3 * x, &pal[i], 4); });
    return out;
}

template <int Bits>
uint8_t* PackedTo32(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const RGBQUAD* pal = Palette(image);
    ForEachIndex<Bits>(row, Width(image), [out, pal](int x, uint32_t i) { std::memcpy(out + 4 * x, &pal[i], 4); });
    return out;
}

uint8_t* Index8To24(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const RGBQUAD* pal = Palette(image);
    const int w = Width(image);
    // Whole 4-byte stores; the fourth byte of each is overwritten by the next
    // pixel and the last one lands in the spare row's slack.
    for (int x = 0; x < w; ++x)
        std::memcpy(out + 3 * x, &pal[row[x]], 4);
    return out;
}

uint8_t* Index8To32(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const RGBQUAD* pal = Palette(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        std::memcpy(out + 4 * x, &pal[row[x]], 4);
    return out;
}

// 12-bit rows by pixel pairs: three bytes give two colours.
template <typename Emit>
void ForEachRgb12(const uint8_t* row, int width, Emit emit)
{
    int x = 0;
    for (const uint8_t* p = row; x + 1 < width; x += 2, p += 3) {
        const uint32_t b0 = p[0], b1 = p[1], b2 = p[2];
        emit(x, ((b1 & 0xF0) << 16) | ((b0 & 0x0F) << 12) | (b0 & 0xF0));
        emit(x + 1, ((b2 & 0x0F) << 20) | ((b2 & 0xF0) << 8) | ((b1 & 0x0F) << 4));
    }
    if (x < width)
        emit(x, Get12(row, x));
}

uint8_t* Rgb12To24(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    ForEachRgb12(row, Width(image), [out](int x, uint32_t c) { Store32(out + 3 * x, c); });
    return out;
}

uint8_t* Rgb12To32(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    ForEachRgb12(row, Width(image), [out](int x, uint32_t c) { Store32(out + 4 * x, c); });
    return out;
}

uint8_t* Rgb15To24(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        Store32(out + 3 * x, Unpack555(Load16(row + 2 * x)));
    return out;
}

uint8_t* Rgb15To32(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    // The flag bit lands in bit 31: a fourth byte of 0x80.
    for (int x = 0; x < w; ++x)
        Store32(out + 4 * x, Unpack555(Load16(row + 2 * x)));
    return out;
}

uint8_t* Rgb16To24(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        Store32(out + 3 * x, Unpack565(Load16(row + 2 * x)));
    return out;
}

uint8_t* Rgb16To32(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        Store32(out + 4 * x, Unpack565(Load16(row + 2 * x)));
    return out;
}

uint8_t* Rgb24To32(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        Store32(out + 4 * x, Load24(row + 3 * x));
    return out;
}

uint8_t* Rgb32To24(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        Store32(out + 3 * x, Load32(row + 4 * x));
    return out;
}

inline uint8_t Grey(uint32_t c) { return uint8_t((76 * ((c >> 16) & 255) + 152 * ((c >> 8) & 255) + 29 * (c & 255)) >> 8); }

// Grey rows of 24 and 32 bits without the per-pixel call; the same numbers as
// ConvertRowToGrey.
uint8_t* Rgb24ToGrey(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        out[x] = uint8_t((29 * row[3 * x] + 152 * row[3 * x + 1] + 76 * row[3 * x + 2]) >> 8);
    return out;
}

uint8_t* Rgb32ToGrey(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = Spare(image);
    const int w = Width(image);
    for (int x = 0; x < w; ++x)
        out[x] = uint8_t((29 * row[4 * x] + 152 * row[4 * x + 1] + 76 * row[4 * x + 2]) >> 8);
    return out;
}

// ---- an image without pixels -----------------------------------------------

alignas(8) const uint8_t kScratch[16] = {};
uint8_t* EmptyRow(const uint8_t*, const CGraphicsImage*) { return const_cast<uint8_t*>(kScratch); }
uint32_t EmptyGet(const uint8_t*, int) { return 0; }
void EmptySet(uint8_t*, int, uint32_t) {}

constexpr CGraphicsImage::RowFn kGreyRow = &CGraphicsImage::ConvertRowToGrey;

const DepthInfo kDepths[] = {
    {1, 7, 0x01, 1, 3, 0xFFFFFF, PackedTo8<1>, PackedTo24<1>, PackedTo32<1>, PackedTo8<1>, PackedTo24<1>, PackedTo32<1>,
     GetPacked<1>, SetPacked<1>, Identity},
    {2, 3, 0x11, 1, 2, 0xFFFFFF, PackedTo8<2>, PackedTo24<2>, PackedTo32<2>, PackedTo8<2>, PackedTo24<2>, PackedTo32<2>,
     GetPacked<2>, SetPacked<2>, Identity},
    {4, 1, 0x55, 1, 1, 0xFFFFFF, PackedTo8<4>, PackedTo24<4>, PackedTo32<4>, PackedTo8<4>, PackedTo24<4>, PackedTo32<4>,
     GetPacked<4>, SetPacked<4>, Identity},
    {8, 0, 0xFF, 1, 0, 0xFFFFFF, SourceRow, Index8To24, Index8To32, CopyRow, Index8To24, Index8To32, Get8, Set8, Identity},
    {12, 1, 0x55, 3, 1, 0xF0F0F0, kGreyRow, Rgb12To24, Rgb12To32, kGreyRow, Rgb12To24, Rgb12To32, Get12, Set12, ColorTo12},
    {15, 0, 0xFF, 2, 0, 0xF8F8F8, kGreyRow, Rgb15To24, Rgb15To32, kGreyRow, Rgb15To24, Rgb15To32, Get15, Set15, ColorTo15},
    {16, 0, 0xFF, 2, 0, 0xF8FCF8, kGreyRow, Rgb16To24, Rgb16To32, kGreyRow, Rgb16To24, Rgb16To32, Get16, Set16, ColorTo16},
    {24, 0, 0xFF, 3, 0, 0xFFFFFF, Rgb24ToGrey, SourceRow, Rgb24To32, Rgb24ToGrey, CopyRow, Rgb24To32, Get24, Set24,
     Identity},
    {32, 0, 0xFF, 4, 0, 0xFFFFFF, Rgb32ToGrey, Rgb32To24, SourceRow, Rgb32ToGrey, Rgb32To24, CopyRow, Get32, Set32,
     Identity},
};

}  // namespace

const DepthInfo kEmptyDepth = {0, 0, 0, 0, 0, 0, EmptyRow, EmptyRow, EmptyRow, EmptyRow, EmptyRow, EmptyRow,
                               EmptyGet, EmptySet, Identity};

const DepthInfo* FindDepth(uint32_t bits)
{
    for (const DepthInfo& d : kDepths)
        if (d.bits == bits)
            return &d;
    return nullptr;
}

uint64_t StrideFor(uint32_t bits, uint64_t width)
{
    uint64_t bytes;
    switch (bits) {
    case 12: bytes = (3 * width + 1) >> 1; break;
    case 15: case 16: bytes = 2 * width; break;
    case 24: bytes = 3 * width; break;
    case 32: bytes = 4 * width; break;
    default: bytes = (bits * width + 7) >> 3; break;
    }
    return (bytes + 3) & ~uint64_t(3);
}

}  // namespace graphics_detail

uint8_t* CGraphicsImage::ConvertRowToGrey(const uint8_t* row, const CGraphicsImage* image)
{
    uint8_t* out = image->m_pSpareRow;
    const int w = int(image->m_nWidth);
    const GetPixelFn get = image->m_pfnGetPixel;
    for (int x = 0; x < w; ++x)
        out[x] = graphics_detail::Grey(get(row, x));
    return out;
}
