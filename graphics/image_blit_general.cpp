// The general blit: every depth pair, every test, one pixel at a time through
// the images' pixel functions. It is the reference the fast paths are held to.
#include "graphics/image_blit.h"

namespace graphics_detail {
namespace {

constexpr uint32_t kColourBytes = 0x00FFFFFF;
constexpr uint32_t kFourthByte = 0xFF000000;

// How a source value becomes the value written:
// (lookup ? palette entry : value) & keep | target & fromTarget | force.
struct Conversion {
    bool lookup;
    uint32_t keep;
    uint32_t fromTarget;
    uint32_t force;
};

Conversion ConversionOf(const BlitJob& job)
{
    const CGraphicsImage& s = *job.source;
    const CGraphicsImage& t = *job.target;
    if (s.m_nBitCount == t.m_nBitCount) {
        // A tested 32-bit copy takes the three colour bytes and keeps the
        // target's fourth byte; every other same-depth copy is the value.
        if (job.flags && t.m_nBitCount == 32)
            return {false, kColourBytes, kFourthByte, 0};
        return {false, ~0u, 0, 0};
    }
    if (!t.m_bTrueColor)
        return {false, ~0u, 0, 0};  // indices or colour words, cut to the target's index bits
    const bool forceOpaque = t.m_nBitCount == 32 && s.m_nBitCount <= 24 && !job.targetTest.Active();
    return {!s.m_bTrueColor, ~0u, 0, forceOpaque ? kFourthByte : 0};
}

}  // namespace

bool BlitGeneral(const BlitJob& job)
{
    const CGraphicsImage& s = *job.source;
    CGraphicsImage& t = *job.target;
    const auto get = s.m_pfnGetPixel;
    const auto getTarget = t.m_pfnGetPixel;
    const auto set = t.m_pfnSetPixel;
    const Conversion c = ConversionOf(job);
    const bool readTarget = job.targetTest.Active() || c.fromTarget != 0;
    const RGBQUAD* palette = s.m_pPalette;
    const uint32_t indexMask = s.m_nPixelMask;

    for (int row = 0; row < job.height; ++row) {
        const uint8_t* src = s.RowAt(job.sy + row);
        uint8_t* dst = t.RowAt(job.ty + row);
        for (int i = 0; i < job.width; ++i) {
            const int tx = job.tx + i;
            const uint32_t old = readTarget ? getTarget(dst, tx) : 0;
            if (job.targetTest.Skips(old))
                continue;
            uint32_t v = get(src, job.sx + i);
            if (job.sourceTest.Skips(v))
                continue;
            if (c.lookup) {
                const RGBQUAD& e = palette[v & indexMask];
                v = uint32_t(e.rgbBlue) | uint32_t(e.rgbGreen) << 8 | uint32_t(e.rgbRed) << 16 |
                    uint32_t(e.rgbReserved) << 24;
            }
            set(dst, tx, (v & c.keep) | (old & c.fromTarget) | c.force);
        }
    }
    return true;
}

}  // namespace graphics_detail
