// BMP files built byte by byte in the tests (no files in the tree), and the
// outcome of reading one: the image or the exception's text.
#pragma once

#include "tests/graphics/codec_test_files.h"

#include <cstdint>
#include <string>
#include <vector>

class CGraphicsImage;

namespace bmp_test {

using codec_test::Bytes;

struct BmpSpec {
    bool fileHeader = true;
    uint32_t headerSize = 40;  // 12: core header
    int32_t width = 4;
    int32_t height = 3;
    uint16_t bits = 8;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    std::vector<uint32_t> palette;  // written as stored: 4 bytes (3 for the core header)
    Bytes afterHeader;              // bit-field masks of a 40-byte header, header tails
    Bytes pixels;
    int32_t offsetShift = 0;  // added to the file header's pixel offset
};

Bytes MakeBmp(const BmpSpec& spec);
// Uncompressed rows, bottom-up and padded, from top-down rows of indices or
// 0x00RRGGBB colours (24 bits) / 0xAARRGGBB (32 bits).
Bytes PackRows(const std::vector<std::vector<uint32_t>>& topDown, int bits);

// "" when CBmpReader read the bytes into `image`, else the exception text.
std::string ReadBmp(const Bytes& bytes, CGraphicsImage& image);
// Top-down rows of pixel values (indices, or colours with the fourth byte).
std::vector<std::vector<uint32_t>> Pixels(const CGraphicsImage& image);

}  // namespace bmp_test
