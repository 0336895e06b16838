// The text input dialogs' decisions, free of windows: the number a text
// stands for and the window width an option asks for.
#pragma once

#include <cstdint>

// The number of a text: optional blanks and sign, then a 0x/0o/0b prefix or
// an h/o/b suffix choosing the base (decimal otherwise); conversion stops at
// the first character that is no digit of the base; no digits give 0. The
// magnitude is converted in 64 bits before the sign applies: decimal values
// are clamped to the 32-bit range, other bases give their 32-bit pattern
// ("FFFFFFFFh" is -1).
int32_t ParseInputNumber(const char* text);

// The width option's marker: 0x1234nnnn sets the width to width * nnnn / 354.
constexpr uint32_t kInputWidthMarker = 0x12340000;
constexpr uint32_t kInputWidthMarkerMask = 0xFFFF0000;
constexpr int kInputTemplateWidth = 354;  // pixels the template is laid out for

// The change of the window width in pixels an option asks for: 0 keeps it,
// 0x1234nnnn scales it (nnnn 0 is ignored), any other value widens it by
// width * option / 354 (truncated toward zero). Never makes the window
// narrower than 1 pixel.
int InputWidthChange(int currentWidth, int option);
