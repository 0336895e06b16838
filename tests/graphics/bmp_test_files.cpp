#include "tests/graphics/bmp_test_files.h"

#include "graphics/formats/bmp_reader.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

namespace bmp_test {

namespace {

void Put(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

Bytes MakeBmp(const BmpSpec& s)
{
    Bytes info;
    Put(info, s.headerSize, 4);
    if (s.headerSize == 12) {
        Put(info, uint32_t(s.width), 2);
        Put(info, uint32_t(s.height), 2);
        Put(info, 1, 2);
        Put(info, s.bits, 2);
    } else {
        for (uint32_t v : {uint32_t(s.width), uint32_t(s.height)})
            Put(info, v, 4);
        Put(info, 1, 2);
        Put(info, s.bits, 2);
        for (uint32_t v : {s.compression, 0u, uint32_t(s.xPelsPerMeter), uint32_t(s.yPelsPerMeter), s.coloursUsed, 0u})
            Put(info, v, 4);
    }
    info.insert(info.end(), s.afterHeader.begin(), s.afterHeader.end());
    for (uint32_t entry : s.palette)
        Put(info, entry, s.headerSize == 12 ? 3 : 4);
    Bytes out;
    if (s.fileHeader) {
        out = {'B', 'M'};
        Put(out, uint32_t(14 + info.size() + s.pixels.size()), 4);
        Put(out, 0, 4);
        Put(out, uint32_t(14 + int64_t(info.size()) + s.offsetShift), 4);
    }
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

Bytes PackRows(const std::vector<std::vector<uint32_t>>& topDown, int bits)
{
    Bytes out;
    for (auto row = topDown.rbegin(); row != topDown.rend(); ++row) {
        Bytes packed(((row->size() * size_t(bits) + 31) / 32) * 4, 0);
        for (size_t x = 0; x < row->size(); ++x) {
            const uint32_t v = (*row)[x];
            if (bits >= 24)
                for (int i = 0; i < bits / 8; ++i)
                    packed[x * size_t(bits / 8) + size_t(i)] = uint8_t(v >> (8 * i));
            else
                packed[x * size_t(bits) / 8] |= uint8_t(v << (8 - bits - int(x * size_t(bits) % 8)));
        }
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

std::string ReadBmp(const Bytes& bytes, CGraphicsImage& image)
{
    CBmpReader reader;
    try {
        codec_test::ReadFromMemory(reader, bytes, image);
    } catch (const EGraphicsException& e) {
        return e.text;
    }
    return "";
}

std::vector<std::vector<uint32_t>> Pixels(const CGraphicsImage& image)
{
    std::vector<std::vector<uint32_t>> rows(image.m_nHeight);
    for (uint32_t y = 0; y < image.m_nHeight; ++y)
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            rows[y].push_back(image.m_pfnGetPixel(image.RowAt(int(y)), int(x)));
    return rows;
}

}  // namespace bmp_test
