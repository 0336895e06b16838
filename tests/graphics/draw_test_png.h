// A minimal PNG writer for looking at test output: 8-bit RGB, one IDAT,
// no filtering. The library's own writer is not used, so that a fault there
// cannot hide one here.
#pragma once

#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/image.h"

namespace draw_test {

inline void PutBig32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBig32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// Writes any image as RGB through its 24-bit row conversion.
inline bool WritePng(const CGraphicsImage& image, const std::string& path)
{
    const uint32_t w = image.m_nWidth, h = image.m_nHeight;
    std::vector<uint8_t> raw;
    raw.reserve(size_t(h) * (3 * w + 1));
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = image.m_pfnRowTo24(image.RowAt(int(y)), &image);
        raw.push_back(0);  // filter: none
        for (uint32_t x = 0; x < w; ++x) {
            raw.push_back(row[3 * x + 2]);
            raw.push_back(row[3 * x + 1]);
            raw.push_back(row[3 * x]);
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK)
        return false;
    packed.resize(packedSize);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, w);
    PutBig32(header, h);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace draw_test
