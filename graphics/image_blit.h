// Internals of DrawImage: one clipped, normalised blit, the fast-path table
// that serves it and the per-pixel general path that every fast path must
// match byte for byte.
#pragma once

#include <cstdint>

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

// With the switch on every blit and blend takes the general path, so tests
// can hold the fast paths to it. Starts on when the environment variable
// LINDAR_BLIT_GENERAL is set to a non-empty value other than "0".
void SetGeneralPathOnly(bool on);
bool GeneralPathOnly();

}  // namespace graphics_detail
