// Which vector instructions the processor has, asked once. The kernels that
// use them are compiled for them alone (target attributes) and chosen at
// run time, so the 32-bit build runs on any processor.
#pragma once

namespace graphics_detail {

bool HaveSse2();
bool HaveAvx2();  // also that the system saves the 256-bit registers

}  // namespace graphics_detail
