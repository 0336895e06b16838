// The dispatchers' choice of a reader by content: the first
// kGraphicsHeaderSize bytes of a file or memory block (shorter data
// zero-padded) give its FormatId. The facts are the formats' rows
// (format_registry.cpp); this is only the order they are tried in:
//
// 1. signatures, which decide alone (no signature starts another, so their
//    order does not matter);
// 2. strong header tests (the ICO/CUR header), which decide alone too;
// 3. only when neither matched, the weak tests in row order, the last match
//    winning: a bare BITMAPINFOHEADER, "JFIF", "XPM" and (files only) "char"
//    anywhere in the header read as text with every zero byte a blank, and
//    an XWD header. They run last because a signature is the file's own
//    claim, while a word or a small number may stand in any file.
#pragma once

#include "graphics/formats/format_registry.h"

#include <cstddef>
#include <cstdint>

// Classifies the kGraphicsHeaderSize bytes at `header`.
FormatId ClassifyGraphicsHeader(const uint8_t* header, HeaderSource source);
