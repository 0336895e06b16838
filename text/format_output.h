// The library's own printf-style engine for 8-bit text: the same output in
// every locale and on both builds (decimal point '.', exponents of at least
// two digits, no thousands grouping).
//
// Conversions: %s %c %d %i %u %x %X %f %F %e %E %g %G and %%, with the flags
// '-', '0', '+', ' ' and '#', a width and a precision (each a number or '*'),
// and the length modifiers hh, h, l, ll and z. They behave as in C; %s of a
// null pointer prints "(null)". Any other conversion, or a '%' ending the
// format, is a format error.
#pragma once

#include <cstdarg>

// Receives the output piece by piece: `n` bytes at `data` (not terminated).
// Returns n when it took them all; any other value stops the output.
typedef int (*FormatSink)(void* ctx, const char* data, int n);

// Writes `format` with `args` to `sink`. Returns the number of bytes written,
// or -1 when the sink refused output, the format is invalid or the count
// would exceed INT_MAX.
int FormatOutputA(FormatSink sink, void* ctx, const char* format, va_list args);
