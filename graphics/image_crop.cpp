// CropFrom: a rectangle of another image at its depth; parts outside the
// source are zero.
#include <algorithm>
#include <cstring>
#include <optional>

#include "graphics/formats/bit_row_copy.h"
#include "graphics/image.h"
#include "graphics/rect.h"

namespace {

uint32_t StoredBits(const CGraphicsImage& image) { return image.m_nBitCount == 15 ? 16 : image.m_nBitCount; }

}  // namespace

bool CGraphicsImage::CropFrom(const CGraphicsImage& source, int x, int y, int width, int height)
{
    // Cropping an image out of itself reads from a copy, as Create below
    // empties this image first.
    std::optional<CGraphicsImage> copy;
    const CGraphicsImage* src = &source;
    if (src == this && m_pBits) {
        if (!copy.emplace().Assign(source)) {
            Clear();
            return false;
        }
        src = &*copy;
    }
    if (!src->m_pBits) {
        Clear();
        return false;
    }
    // 64-bit: a width of INT_MIN has no 32-bit magnitude; Create refuses
    // what is too large.
    int64_t left = x, top = y, w = width, h = height;
    graphics_detail::NormaliseExtent(left, w);
    graphics_detail::NormaliseExtent(top, h);
    if (!Create(src->m_nBitCount, uint32_t(w), uint32_t(h), NO_FILL, OWN_MEMORY))
        return false;
    if (!src->m_bTrueColor)
        std::memcpy(m_pPalette, src->m_pPalette, size_t(src->m_nPaletteSize) * sizeof(RGBQUAD));

    const int64_t srcWidth = src->m_nWidth, srcHeight = src->m_nHeight;
    const bool missesColumns = left >= srcWidth || left + w <= 0;
    const int64_t bits = StoredBits(*src);
    // Both within ±32768 × 32 once the rectangle overlaps the source's columns.
    const int64_t startBit = left * bits, limitBits = srcWidth * bits;
    const bool wholeBytes = startBit % 8 == 0 && limitBits % 8 == 0;
    const int64_t first = std::max<int64_t>(left, 0), end = std::min<int64_t>(left + w, srcWidth);

    for (int64_t row = 0; row < h; ++row) {
        uint8_t* dst = RowAt(int(row));
        const int64_t sy = top + row;
        if (missesColumns || sy < 0 || sy >= srcHeight) {
            std::memset(dst, 0, m_nStride);
            continue;
        }
        const uint8_t* srcRow = src->RowAt(int(sy));
        if (wholeBytes) {
            const size_t offset = size_t((first - left) * bits / 8);
            const size_t bytes = size_t(((end - first) * bits + 7) / 8);
            std::memset(dst, 0, offset);
            std::memcpy(dst + offset, srcRow + first * bits / 8, bytes);
            std::memset(dst + offset + bytes, 0, m_nStride - offset - bytes);
        } else {
            CopyBitsForward(int32_t(startBit), int32_t(m_nStride / 4), reinterpret_cast<const uint32_t*>(srcRow),
                            reinterpret_cast<uint32_t*>(dst), int32_t(limitBits));
        }
    }
    return true;
}
