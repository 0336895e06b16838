// Helpers of the blit tests: random images, pixel access by colour word and a
// switch that routes blits through the general path.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/cpu_features.h"
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

// Caps the vector instructions the kernels may use while it lives.
class VectorLevelScope {
public:
    explicit VectorLevelScope(graphics_detail::VectorLevel level) : m_old(graphics_detail::VectorLevelCap())
    {
        graphics_detail::CapVectorLevel(level);
    }
    ~VectorLevelScope() { graphics_detail::CapVectorLevel(m_old); }

private:
    graphics_detail::VectorLevel m_old;
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

// Runs op on a copy of start through the general path alone and through the
// fast paths at each vector level (AVX2, SSE2, none); all must leave
// identical bytes. Answers the result of the fast paths at the highest level.
template <class Op>
CGraphicsImage BothPaths(const CGraphicsImage& start, Op op)
{
    using graphics_detail::VectorLevel;
    CGraphicsImage general(start);
    bool generalResult;
    {
        GeneralPathScope scope(true);
        generalResult = op(general);
    }
    CGraphicsImage best;
    for (VectorLevel level : {VectorLevel::Avx2, VectorLevel::Sse2, VectorLevel::None}) {
        CGraphicsImage fast(start);
        GeneralPathScope scope(false);
        VectorLevelScope cap(level);
        EXPECT_EQ(op(fast), generalResult);
        EXPECT_TRUE(Bytes(fast) == Bytes(general)) << "fast paths at level " << int(level) << " differ";
        if (level == VectorLevel::Avx2)
            best = fast;
    }
    return best;
}

}  // namespace blit_test
