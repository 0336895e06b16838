// Recolouring packed DIBs (40-byte header) of 3-D button art: the greys of
// the classic 3-D palette become the system colours, and the greyed look of
// a disabled button. Palettes up to 8 bits per pixel, pixels at 24 and 32.
#pragma once

#include "platform/win32/win.h"

#include <cstddef>
#include <cstdint>

// The greys that stand for system colours (0x00RRGGBB).
constexpr uint32_t kArtShadow = 0x808080;  // COLOR_BTNSHADOW
constexpr uint32_t kArtFace = 0xC0C0C0;    // COLOR_BTNFACE, also the mask colour
constexpr uint32_t kArtLight = 0xDFDFDF;   // COLOR_3DLIGHT

// The grey of a disabled button's pixel.
uint8_t DisabledGrey(uint8_t red, uint8_t green, uint8_t blue);

// The DIB's byte size, or 0 unless it is a packed DIB with a 40-byte header.
size_t SysColorDibSize(const BITMAPINFOHEADER* dib);

// Replaces the three greys by the system colours given as COLORREFs
// (0x00BBGGRR, as GetSysColor answers): shadow, face, light. They are
// written in the DIB's own RGBQUAD byte order. False for a DIB this does
// not take.
bool ReplaceArtColours(BITMAPINFOHEADER* dib, const COLORREF systemColours[3]);

// Every colour but the face grey becomes DisabledGrey of itself.
bool GreyDisabledDib(BITMAPINFOHEADER* dib);
