// Fixed-point trigonometry of the drawing operations. Angles are integers in
// 1/131072 turn (0x8000 a quarter turn); only their low 17 bits matter.
// Sines are scaled by 65536.
#pragma once

#include <cstdint>

constexpr int32_t FIXED_QUARTER_TURN = 0x8000;
constexpr int32_t FIXED_HALF_TURN = 0x10000;
constexpr int32_t FIXED_FULL_TURN = 0x20000;
constexpr int32_t FIXED_ANGLE_MASK = 0x1FFFF;

// Sine of angle, -65536 .. 65536; the cosine is FixedSin(angle + 0x8000).
int32_t FixedSin(int32_t angle);
inline int32_t FixedCos(int32_t angle) { return FixedSin(int32_t(uint32_t(angle) + FIXED_QUARTER_TURN)); }
// Angle of the vector (x, y), 0 .. 0x1FFFF: 0 along +x, 0x8000 along +y,
// 0 for (0, 0).
int32_t FixedAtan2(int32_t y, int32_t x);

namespace graphics_detail {

constexpr int kTrigTableLast = 128;
// round(32768 sin(i π / 256)), i = 0 .. 128.
extern const uint16_t kSinTable[kTrigTableLast + 1];
// floor(32768 atan(i / 128) / (π / 4)): atan(i / 128) in 1/262144 turn.
extern const uint16_t kAtanTable[kTrigTableLast + 1];
// floor(32768 sqrt(1 - (i / 128)²)), i = 0 .. 128, and a closing 0 so that
// interpolation at i = 128 may read one entry further.
extern const uint16_t kHalfChordTable[kTrigTableLast + 2];

}  // namespace graphics_detail
