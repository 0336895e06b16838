// Grey and threshold images. Grey rows come from the row functions (which
// compute the grey of true-colour pixels); palette images go through a table
// of their palette's greys.
#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "graphics/image_convert_support.h"
#include "graphics/pixel_access.h"

using namespace graphics_detail;

namespace {

constexpr uint32_t kGreyStep = 0x010101;
constexpr uint8_t kThresholdGrey = 128;  // 76 R + 152 G + 29 B > 32767

uint8_t GreyOf(uint32_t c)
{
    return uint8_t((29 * (c & 255) + 76 * (((c >> 16) & 255) + 2 * ((c >> 8) & 255))) >> 8);
}

// Grey of every palette index of a palette image.
void PaletteGreys(const CGraphicsImage& image, uint8_t* greys)
{
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c;
        std::memcpy(&c, &image.m_pPalette[i], 4);
        greys[i] = GreyOf(c);
    }
}

// The greys of one picture row, in the image's spare row or in out.
const uint8_t* GreyRow(const CGraphicsImage& image, int y, const uint8_t* paletteGreys, uint8_t* out)
{
    const uint8_t* values = image.m_pfnRowTo8(image.RowAt(y), &image);
    if (!paletteGreys)
        return values;
    for (uint32_t x = 0; x < image.m_nWidth; ++x)
        out[x] = paletteGreys[values[x]];
    return out;
}

}  // namespace

bool CGraphicsImage::MakeGrey()
{
    if (!HasPicture(*this))
        return false;
    if (!m_bTrueColor) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c;
            std::memcpy(&c, &m_pPalette[i], 4);
            const uint8_t g = GreyOf(c);
            m_pPalette[i].rgbRed = m_pPalette[i].rgbGreen = m_pPalette[i].rgbBlue = g;
        }
        return true;
    }
    const int w = int(m_nWidth);
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        uint8_t* row = RowAt(int(y));
        const uint8_t* greys = m_pfnRowTo8(row, this);
        switch (m_nBitCount) {
        case 24:
            for (int x = 0; x < w; ++x)
                std::memset(row + 3 * x, greys[x], 3);
            break;
        case 32:
            for (int x = 0; x < w; ++x)
                Store32(row + 4 * x, greys[x] * kGreyStep);
            break;
        default:
            for (int x = 0; x < w; ++x)
                m_pfnSetPixel(row, x, greys[x] * kGreyStep);
            break;
        }
    }
    return true;
}

bool CGraphicsImage::GreyCopy(const CGraphicsImage& source)
{
    if (!HasPicture(source)) {
        Clear();
        return false;
    }
    return Assign(source) && MakeGrey();
}

bool CGraphicsImage::GreyFrom(const CGraphicsImage& sourceArg)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    if (!source || !HasPicture(*source)) {
        Clear();
        return false;
    }
    if (!Create(8, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
        return false;
    for (uint32_t i = 0; i < 256; ++i)
        SetPaletteEntry(i, i * kGreyStep);
    uint8_t paletteGreys[256];
    if (!source->m_bTrueColor)
        PaletteGreys(*source, paletteGreys);
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        uint8_t* row = RowAt(int(y));
        const uint8_t* greys = GreyRow(*source, int(y), source->m_bTrueColor ? nullptr : paletteGreys, row);
        if (greys != row)
            std::memcpy(row, greys, m_nWidth);
    }
    return true;
}

bool CGraphicsImage::ThresholdFrom(const CGraphicsImage& sourceArg)
{
    const StableSource stable(sourceArg, *this);
    const CGraphicsImage* source = stable.get();
    if (!source || !HasPicture(*source)) {
        Clear();
        return false;
    }
    if (!Create(1, source->m_nWidth, source->m_nHeight, NO_FILL, OWN_MEMORY))
        return false;
    uint8_t paletteGreys[256];
    if (!source->m_bTrueColor)
        PaletteGreys(*source, paletteGreys);
    std::vector<uint8_t> scratch(m_nWidth);
    const uint32_t w = m_nWidth;
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        const uint8_t* greys = GreyRow(*source, int(y), source->m_bTrueColor ? nullptr : paletteGreys, scratch.data());
        uint8_t* row = RowAt(int(y));
        // Whole bytes, leftmost pixel in the top bit; bits past the width are
        // row padding.
        for (uint32_t x0 = 0; x0 < w; x0 += 8) {
            uint32_t byte = 0;
            for (uint32_t x = x0; x < x0 + 8; ++x)
                byte = (byte << 1) | (x < w && greys[x] >= kThresholdGrey ? 1 : 0);
            row[x0 >> 3] = uint8_t(byte);
        }
    }
    return true;
}
