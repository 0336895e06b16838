#include "graphics/formats/format_classify.h"

#include <cstring>

namespace {

constexpr uint32_t kBitmapInfoHeaderSize = 40;
constexpr int kMaxIconImages = 32;
constexpr uint8_t kBlank = 0x20;

struct Signature {
    uint8_t bytes[6];
    size_t length;
    FormatId id;
};

constexpr Signature kSignatures[] = {
    {{'B', 'M'}, 2, kFormatBmp},
    {{0xFF, 0xD8}, 2, kFormatJpeg},
    {{0xFF, 0xDB}, 2, kFormatJpeg},
    {{'G', 'I', 'F', '8', '7', 'a'}, 6, kFormatGif},
    {{'G', 'I', 'F', '8', '9', 'a'}, 6, kFormatGif},
    {{0x89, 'P', 'N', 'G'}, 4, kFormatPng},
    {{'I', 'I', 0x2A, 0x00}, 4, kFormatTiff},
    {{'M', 'M', 0x00, 0x2A}, 4, kFormatTiff},
    // BigTIFF: the TIFF reader refuses it with its header error.
    {{'I', 'I', 0x2B, 0x00}, 4, kFormatTiff},
    {{'M', 'M', 0x00, 0x2B}, 4, kFormatTiff},
    {{'T', 'L', 'S', 'P'}, 4, kFormatTls},
    {{'%', '!'}, 2, kFormatEps},
    {{'P', '1'}, 2, kFormatPnm},
    {{'P', '2'}, 2, kFormatPnm},
    {{'P', '3'}, 2, kFormatPnm},
    {{'P', '4'}, 2, kFormatPnm},
    {{'P', '5'}, 2, kFormatPnm},
    {{'P', '6'}, 2, kFormatPnm},
};

// ICONDIR: reserved 0, type 1 (icon) or 2 (cursor), 1 to 32 images.
bool IsIconHeader(const uint8_t* h)
{
    return h[0] == 0 && h[1] == 0 && (h[2] == 1 || h[2] == 2) && h[3] == 0 && h[4] >= 1 && h[4] <= kMaxIconImages &&
           h[5] == 0;
}

// A BITMAPINFOHEADER without file header, its width and height below 65536.
bool IsBitmapInfoHeader(const uint8_t* h)
{
    const uint32_t size = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
    return size == kBitmapInfoHeaderSize && h[6] == 0 && h[7] == 0 && h[10] == 0 && h[11] == 0;
}

bool Contains(const uint8_t* text, const char* word)
{
    const size_t n = std::strlen(word);
    for (size_t i = 0; i + n <= kGraphicsHeaderSize; ++i)
        if (std::memcmp(text + i, word, n) == 0)
            return true;
    return false;
}

}  // namespace

FormatId ClassifyGraphicsHeader(const uint8_t* header, HeaderSource source)
{
    for (const Signature& s : kSignatures)
        if (std::memcmp(header, s.bytes, s.length) == 0)
            return s.id;
    if (IsIconHeader(header))
        return kFormatIcon;

    FormatId id = IsBitmapInfoHeader(header) ? kFormatBmp : kFormatUnknown;
    uint8_t text[kGraphicsHeaderSize];
    for (size_t i = 0; i < kGraphicsHeaderSize; ++i)
        text[i] = header[i] ? header[i] : kBlank;
    if (Contains(text, "JFIF"))
        id = kFormatJpeg;
    if (Contains(text, "XPM"))
        id = kFormatXpm;
    if (source == HeaderSource::File && Contains(text, "char"))
        id = kFormatXpm;
    if (text[4] == kBlank && text[5] == kBlank && text[6] == kBlank && (text[7] == 6 || text[7] == 7))
        id = kFormatXwd;
    return id;
}
