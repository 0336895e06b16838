// The dispatchers' choice of a reader by content: the first 64 bytes of a
// file or memory block (shorter data zero-padded) give its FormatId.
//
// Magic signatures decide alone: "BM", FF D8 / FF DB, "GIF87a" / "GIF89a",
// 89 "PNG", "II*\0" / "MM\0*" (and BigTIFF's "II+\0" / "MM\0+", which the
// TIFF reader refuses), "TLSP", "%!", "P1" to "P6" and the ICO/CUR header
// (0, 0, type 1 or 2, 0, 1 to 32 images, 0). Only when none matches do
// the weak tests run, in this order with the last match winning: a bare
// BITMAPINFOHEADER (first word 40, width and height below 65536), "JFIF",
// "XPM" and (files only) "char" anywhere in the header read as text with
// every zero byte a blank, and an XWD header (bytes 4 to 6 blank, byte 7 the
// version 6 or 7).
#pragma once

#include "graphics/formats/format_registry.h"

#include <cstddef>
#include <cstdint>

constexpr size_t kGraphicsHeaderSize = 64;

enum class HeaderSource { File, Memory };

// Classifies the kGraphicsHeaderSize bytes at `header`.
FormatId ClassifyGraphicsHeader(const uint8_t* header, HeaderSource source);
