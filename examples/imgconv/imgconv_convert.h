// imgconv's conversion of one file and the helpers its sample table shares.
#pragma once

#include "graphics/formats/format_registry.h"

#include <cstdio>
#include <string>

class CGraphicsImage;

// A library text (code page 1252) as the terminal shows it: UTF-8 on Linux.
std::string DisplayText(const char* text);
// The format the loader picks for a file, by its first bytes.
FormatId FormatOfFile(const char* path);
const char* FormatName(FormatId id);
// Mean difference of the colour channels of two images of one size.
double MeanChannelDifference(const CGraphicsImage& a, const CGraphicsImage& b);

// The formats whose files keep a picture's alpha (through their alpha saves).
bool KeepsAlpha(FormatId id);
// "PNG and BMP": the formats that keep alpha, for the usage text.
std::string AlphaFormatNames();
// Whether a loaded picture carries alpha: 32 bits with fourth bytes not all
// 0 (BMP and XWD pad with zeros), not from a TLS file (whose fourth bytes
// hold its attributes).
bool CarriesAlpha(const CGraphicsImage& image, FormatId loadedFrom);

// Loads IN by its content and saves OUT in the format its extension names,
// with `comment` (null: IN's own). Prints what was read to `info`, failures
// and warnings to `errors`. Returns 0 or the dispatcher's result as a
// positive number; a warning leaves the result as it is.
int ConvertImageFile(const char* in, const char* out, const char* comment, std::FILE* info, std::FILE* errors);
