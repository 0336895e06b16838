// Helpers of the blit tests: random images, pixel access by colour word and a
// switch that routes blits through the general path.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "graphics/image_blit.h"
#include "tests/support/test_support.h"

namespace blit_test {

constexpr uint32_t kDepths[] = {1, 2, 4, 8, 12, 15, 16, 24, 32};

// Routes blits through the general path while it lives.
class GeneralPathScope {
public:
    explicit GeneralPathScope(bool on) : m_old(graphics_detail::GeneralPathOnly())
    {
        graphics_detail::SetGeneralPathOnly(on);
    }
    ~GeneralPathScope() { graphics_detail::SetGeneralPathOnly(m_old); }

private:
    bool m_old;
};

inline uint32_t Get(const CGraphicsImage& image, int x, int y) { return image.m_pfnGetPixel(image.RowAt(y), x); }
inline void Set(CGraphicsImage& image, int x, int y, uint32_t v) { image.m_pfnSetPixel(image.RowAt(y), x, v); }

inline std::vector<uint8_t> Bytes(const CGraphicsImage& image)
{
    return std::vector<uint8_t>(image.m_pBits, image.m_pBits + image.m_nImageSize);
}

// An image of random bytes; palette images get a random palette, fourth
// bytes included.
inline void MakeRandom(CGraphicsImage& image, uint32_t bits, int width, int height, lindar_test::Rng& rng)
{
    ASSERT_TRUE(image.Create(bits, width, height, CGraphicsImage::NO_FILL, CGraphicsImage::OWN_MEMORY));
    for (uint32_t i = 0; i < image.m_nImageSize; ++i)
        image.m_pBits[i] = uint8_t(rng.Next());
    if (!image.m_bTrueColor)
        for (uint32_t i = 0; i < 256; ++i)
            image.SetPaletteEntry(i, rng.Next());
}

// Runs op on a copy of start through the fast paths and through the general
// path alone; both must leave identical bytes. Answers the fast result.
template <class Op>
CGraphicsImage BothPaths(const CGraphicsImage& start, Op op)
{
    CGraphicsImage fast(start), general(start);
    bool fastResult, generalResult;
    {
        GeneralPathScope scope(false);
        fastResult = op(fast);
    }
    {
        GeneralPathScope scope(true);
        generalResult = op(general);
    }
    EXPECT_EQ(fastResult, generalResult);
    EXPECT_TRUE(Bytes(fast) == Bytes(general)) << "fast and general paths differ";
    return fast;
}

}  // namespace blit_test
