// Measuring texts with a width table and shortening paths to a pixel width.
// A width table holds the widths of the characters 0 to 255 of a font, one
// byte each (see GetCharWidthTable); without one every character counts 1.
#pragma once

#include <cstdint>

// The sum of the widths of the first `length` characters (-1: all), up to
// the first NUL, CR or LF.
int TextWidthFromTable(const char* text, const uint8_t* widths, int length = -1);

// Writes the path into `out` (size bytes, always terminated) shortened to
// `width`: the root (the leading separators and the first part with its
// separator, "X:\" or "\\server\") and the last part always stay; parts
// from the front (at most keepFirst) and then from the back are kept while
// they fit, "...\" standing for the rest. Returns the length written.
int ShortenPath(const char* path, char* out, int size, int width, const uint8_t* widths, int keepFirst);

// out = prefix + the path shortened to what is left of width after the
// prefix and the suffix (suffixLength -1: up to its NUL) + suffix. The prefix
// may be the text already at the start of out. Returns the length.
int ShortenPathEx(const char* path, char* out, int size, int width, const uint8_t* widths, int keepFirst,
                  const char* prefix, const char* suffix, int suffixLength);
