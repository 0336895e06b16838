// imgconv's usage text and exit statuses.
#pragma once

#include <string>

// A call imgconv does not understand.
constexpr int kImgconvUsageError = 64;
// The sample image of the round-trip table cannot be made.
constexpr int kImgconvNoSample = 6;

// The calls, the formats the library reads and writes (from its format
// table, with their save extensions) and what each exit status means.
std::string ImgconvUsage();
