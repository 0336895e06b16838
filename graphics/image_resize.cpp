// Resize: the result's depth, same-size copies and nearest-pixel scaling.
// Nearest scaling picks source columns from a table made once and copies a
// target row whole when it repeats the source row of the row above.
#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "graphics/image_convert_support.h"
#include "graphics/image_resize.h"
#include "graphics/pixel_access.h"

using namespace graphics_detail;

namespace {

// Column picks of one target row, each as a byte offset or pixel index.
// next: the source row the next target row picks from, or null; its
// pixels are asked for ahead, since rows taken with a step of several
// rows are nothing the hardware prefetchers foresee.
template <int Bytes>
void Gather(const uint8_t* from, uint8_t* to, const std::vector<uint32_t>& columnList, const uint8_t* next)
{
    // Locals: byte stores may alias the vector's own fields.
    const uint32_t* columns = columnList.data();
    const size_t n = columnList.size();
    size_t x = 0;
    if constexpr (Bytes == 4) {
        // Four loads before four stores: the loads of a row's pixels miss
        // the cache independently.
        for (; x + 4 <= n; x += 4) {
            if (next)
                __builtin_prefetch(next + size_t(columns[x]) * 4);
            const uint32_t a = Load32(from + size_t(columns[x]) * 4), b = Load32(from + size_t(columns[x + 1]) * 4);
            const uint32_t c = Load32(from + size_t(columns[x + 2]) * 4), d = Load32(from + size_t(columns[x + 3]) * 4);
            Store32(to + 4 * x, a);
            Store32(to + 4 * x + 4, b);
            Store32(to + 4 * x + 8, c);
            Store32(to + 4 * x + 12, d);
        }
    }
    for (; x < n; ++x) {
        const uint8_t* p = from + size_t(columns[x]) * Bytes;
        if constexpr (Bytes == 4)
            Store32(to + 4 * x, Load32(p));
        else if constexpr (Bytes == 2)
            Store16(to + 2 * x, Load16(p));
        else if constexpr (Bytes == 1)
            to[x] = *p;
        else
            Store24(to + 3 * x, Load24(p));
    }
}

typedef void (*GatherFn)(const uint8_t* from, uint8_t* to, const std::vector<uint32_t>& columns,
                         const uint8_t* next);

// How a nearest row is made: gathered from a row in the source's own layout,
// gathered from its RowTo32 conversion, or pixel by pixel.
struct NearestPlan {
    GatherFn gather;
    bool via32;
};

NearestPlan PlanNearest(uint32_t sourceBits, uint32_t targetBits)
{
    if (targetBits == sourceBits) {
        switch (sourceBits) {
        case 8: return {Gather<1>, false};
        case 15: case 16: return {Gather<2>, false};
        case 24: return {Gather<3>, false};
        case 32: return {Gather<4>, false};
        default: return {nullptr, false};
        }
    }
    // The only other nearest result: 32 bits by flag from a shallower source.
    return {Gather<4>, true};
}

void ResizeNearest(const CGraphicsImage& source, CGraphicsImage& target)
{
    const uint32_t tw = target.m_nWidth, th = target.m_nHeight;
    std::vector<uint32_t> columns(tw);
    for (uint32_t x = 0; x < tw; ++x)
        columns[x] = uint32_t(uint64_t(x) * source.m_nWidth / tw);
    const NearestPlan plan = PlanNearest(source.m_nBitCount, target.m_nBitCount);

    int64_t previous = -1;
    for (uint32_t y = 0; y < th; ++y) {
        const uint32_t sy = uint32_t(uint64_t(y) * source.m_nHeight / th);
        uint8_t* to = target.RowAt(int(y));
        if (sy == previous) {
            std::memcpy(to, target.RowAt(int(y) - 1), target.m_nStride);
            continue;
        }
        previous = sy;
        const uint8_t* from = source.RowAt(int(sy));
        if (plan.gather) {
            const uint32_t nextY = uint32_t(uint64_t(y + 1) * source.m_nHeight / th);
            const uint8_t* next = !plan.via32 && y + 1 < th && nextY != sy ? source.RowAt(int(nextY)) : nullptr;
            plan.gather(plan.via32 ? source.m_pfnRowTo32(from, &source) : from, to, columns, next);
            continue;
        }
        // 1, 2, 4 and 12 bits, where a pixel is no whole byte.
        const auto get = source.m_pfnGetPixel;
        const auto set = target.m_pfnSetPixel;
        for (uint32_t x = 0; x < tw; ++x)
            set(to, int(x), get(from, int(columns[x])));
    }
}

constexpr uint8_t kOpaque = 255;

}  // namespace

bool CGraphicsImage::Resize(const CGraphicsImage& sourceArg, uint32_t width, uint32_t height, uint32_t flags)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    if (!source || !HasPicture(*source) || width == 0 || height == 0) {
        Clear();
        return false;
    }
    const bool smooth = flags & RESIZE_SMOOTH, to32 = flags & RESIZE_TO_32;

    if (width == source->m_nWidth && height == source->m_nHeight) {
        if (!to32)
            return Assign(*source);
        if (!Create(32, width, height, NO_FILL, OWN_MEMORY))
            return false;
        for (uint32_t y = 0; y < height; ++y)
            std::memcpy(RowAt(int(y)), source->m_pfnRowTo32(source->RowAt(int(y)), source), size_t(width) * 4);
        return true;
    }

    const uint32_t bits = (to32 || source->m_nBitCount == 32) ? 32 : smooth ? 24 : source->m_nBitCount;
    if (!Create(bits, width, height, NO_FILL, OWN_MEMORY))
        return false;
    std::memcpy(m_pPalette, source->m_pPalette, size_t(source->m_nPaletteSize) * 4);

    if (!smooth) {
        ResizeNearest(*source, *this);
        return true;
    }
    const uint32_t alphaMode = source->GetAlphaMode();
    ResizeSmooth(*source, *this, alphaMode == 2, alphaMode == 1 ? kOpaque : 0);
    return true;
}
