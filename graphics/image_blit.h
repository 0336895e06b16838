// Internals of DrawImage: one clipped, normalised blit, the fast-path table
// that serves it and the per-pixel general path that every fast path must
// match byte for byte.
#pragma once

#include <cstdint>
#include <optional>

#include "graphics/image.h"

namespace graphics_detail {

// A pixel test in the colour-word domain of m_pfnGetPixel: the pixel is
// skipped when (pixel & mask) == value. No test is mask 0, value 1.
struct PixelTest {
    uint32_t mask;
    uint32_t value;
    bool Active() const { return mask != 0; }
    bool Skips(uint32_t pixel) const { return (pixel & mask) == value; }
};

// Facts about a blit, computed once and matched against the table's rows.
enum BlitInfo : uint32_t {
    kSameDepth = 1u << 0,
    kNoTests = 1u << 1,
    kTested = 1u << 2,
    kSourceKeyOnly = 1u << 3,  // the source key and no other test
    kByteAligned = 1u << 4,     // source x, target x and width fall on whole bytes
};

struct BlitJob {
    const CGraphicsImage* source;
    CGraphicsImage* target;
    int sx, sy;  // first source pixel
    int tx, ty;  // where it lands in the target
    int width, height;
    uint32_t flags;  // normalised
    uint32_t info;   // BlitInfo bits
    PixelTest sourceTest, targetTest;
};

// Clips a source placed at x, y of the target: fills the job's positions and
// size; false when nothing overlaps. 64-bit, so no position wraps.
bool ClipBlit(const CGraphicsImage& source, const CGraphicsImage& target, int x, int y, BlitJob& job);

// Whether two images' pixel memory overlaps (the image itself, or two images
// over one caller buffer).
bool SharesMemory(const CGraphicsImage& a, const CGraphicsImage& b);

// ClipBlit, then the job's images: a source sharing pixel memory with the
// target is read from a copy made in `copy`, so the result is that of a copy
// through a temporary and never a smear. False when nothing overlaps or the
// copy cannot be made.
bool PrepareBlit(const CGraphicsImage& source, CGraphicsImage& target, int x, int y, BlitJob& job,
                 std::optional<CGraphicsImage>& copy);

// Flags after the normalisation rules; a key left without any test is
// dropped, so 0 means a plain copy.
uint32_t NormaliseBlitFlags(uint32_t flags, const CGraphicsImage& source, const CGraphicsImage& target);

// Tests of the normalised flags in the colour-word domain.
PixelTest SourceTestOf(uint32_t flags);
PixelTest TargetTestOf(uint32_t flags);

// A fast path answers false to decline; the next matching row takes over.
typedef bool (*BlitFn)(const BlitJob& job);

// The reference: per pixel through m_pfnGetPixel and m_pfnSetPixel. Never
// declines.
bool BlitGeneral(const BlitJob& job);

// Runs the first matching row of the fast-path table.
void RunBlit(const BlitJob& job);

// SSE2 kernels; they decline on a processor without SSE2.
bool BlitKeyed32Sse2(const BlitJob& job);  // 32 -> 32, source key only
bool BlitKeyed24Sse2(const BlitJob& job);  // 24 -> 24, source key only
bool Blend32Sse2(const BlitJob& job);      // BlendImage 32 -> 32

// Their AVX2 row kernels, which they choose when HaveAvx2(): the same bytes,
// eight pixels a step.
void KeyedRow32Avx2(const uint8_t* s, uint8_t* d, int width, uint32_t key);
void BlendRow32Avx2(const uint8_t* s, uint8_t* d, int width);

// Each channel (source × (a + 1) + target × (256 - a)) >> 8. Red and blue
// share one product: no channel's sum exceeds 255 × 257 < 2^16, so the lanes
// never carry into each other. a 255 gives the source, a 0 the target.
inline uint32_t BlendChannels(uint32_t source, uint32_t target, uint32_t a)
{
    const uint32_t s = a + 1, t = 256 - a;
    const uint32_t rb = (((source & 0xFF00FF) * s + (target & 0xFF00FF) * t) >> 8) & 0xFF00FF;
    const uint32_t g = (((source & 0x00FF00) * s + (target & 0x00FF00) * t) >> 8) & 0x00FF00;
    return rb | g;
}

// A 32-bit source pixel blended by its fourth byte onto a 32-bit target:
// alpha 0 leaves the target, any other alpha gives an opaque pixel.
inline uint32_t BlendPixel(uint32_t source, uint32_t target)
{
    const uint32_t a = source >> 24;
    return a ? BlendChannels(source, target, a) | 0xFF000000 : target;
}

// With the switch on every blit and blend takes the general path, so tests
// can hold the fast paths to it. Starts on when the environment variable
// LINDAR_BLIT_GENERAL is set to a non-empty value other than "0".
void SetGeneralPathOnly(bool on);
bool GeneralPathOnly();

}  // namespace graphics_detail
