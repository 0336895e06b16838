// Heap DIBs: a packed DIB (BITMAPINFOHEADER, masks, colour table, bits) in
// one malloc block, made from PNG data or from a packed DIB. The system
// layer decodes PNG with libpng itself: it must not call the graphics
// library.
#pragma once

#include "platform/win32/win.h"

#include <cstddef>
#include <cstdint>

// Conversion flags.
constexpr unsigned kHeapDibTopDown = 0x1;  // rows top first (negative height)
// Formats reported through the out word.
constexpr DWORD kHeapDibFromPng = 1;
constexpr DWORD kHeapDibFromDib = 2;
// Bounds of what is decoded.
constexpr int32_t kMaxHeapDibSide = 16384;
constexpr uint64_t kMaxHeapDibBytes = 256u << 20;

// A new heap DIB (free()) from PNG data (32 bits per pixel, blue first,
// alpha in the fourth byte) or from a packed DIB (copied as it is, only the
// flag's row order applied); null for data that is neither or does not fit
// its own header. *format, when given, gets kHeapDibFromPng or
// kHeapDibFromDib (0 on failure).
BITMAPINFOHEADER* DecodeHeapDib(const void* data, size_t size, unsigned flags, DWORD* format);

// The byte size of a packed DIB from its header, or 0 when the header is
// not one this layer takes (BI_RGB or BI_BITFIELDS, 1 to 32 bits per pixel).
uint64_t PackedDibSize(const BITMAPINFOHEADER& header);

#ifdef _WIN32
// A new heap DIB from a resource of the module (type e.g. RT_BITMAP). The
// previous DIB of an earlier call, when given, is freed once the new one is
// made. Null when the resource is missing or cannot be decoded.
BITMAPINFOHEADER* LoadHeapDibA(BITMAPINFOHEADER* previous, HINSTANCE instance, const char* name, const char* type,
                               unsigned flags, DWORD* format);
#endif
