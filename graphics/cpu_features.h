// Which vector instructions the kernels may use: what the processor has,
// asked once, and at most the level a test caps it to. The kernels that use
// them are compiled for them alone (target attributes) and chosen at run
// time, so the 32-bit build runs on any processor.
#pragma once

namespace graphics_detail {

enum class VectorLevel { None, Sse2, Ssse3, Avx2 };

bool HaveSse2();
bool HaveSsse3();  // byte shuffles
bool HaveAvx2();  // also that the system saves the 256-bit registers

// Tests cap the level so that every kernel runs on a processor that has
// more; VectorLevel::Avx2 lifts the cap.
void CapVectorLevel(VectorLevel level);
VectorLevel VectorLevelCap();

}  // namespace graphics_detail
