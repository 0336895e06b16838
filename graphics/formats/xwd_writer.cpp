#include "graphics/formats/xwd_writer.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kHeaderSize = 107;  // 25 words and "xwdump" with its NUL

class CXwdOut {
public:
    explicit CXwdOut(CBufferedStream& stream) : m_stream(stream) {}
    void Bytes(const void* data, size_t n)
    {
        if (m_stream.Write(data, int32_t(n)) != int32_t(n)) throw EXwdFileWriteError();
    }
    void U32(uint32_t v)
    {
        const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        Bytes(b, 4);
    }
    void U16(uint32_t v)
    {
        const uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
        Bytes(b, 2);
    }

private:
    CBufferedStream& m_stream;
};

}  // namespace

void CXwdWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    RequireImage(image);
    const uint32_t width = image.m_nWidth, height = image.m_nHeight;
    const bool palette = image.m_nBitCount <= 8;
    const uint32_t pixelBytes = palette ? 1 : 4;
    const uint32_t bytesPerLine = (width * pixelBytes + 3) & ~3u;
    Progress(0);

    CXwdOut out(stream);
    const uint32_t header[25] = {kHeaderSize,
                                 7,
                                 2,  // ZPixmap
                                 palette ? 8u : 24u,
                                 width,
                                 height,
                                 0,
                                 palette ? 1u : 0u,  // byte order
                                 32,
                                 palette ? 1u : 0u,  // bit order
                                 32,
                                 palette ? 8u : 32u,
                                 bytesPerLine,
                                 palette ? 3u : 4u,  // PseudoColor, TrueColor
                                 palette ? 0 : 0x00FF0000u,
                                 palette ? 0 : 0x0000FF00u,
                                 palette ? 0 : 0x000000FFu,
                                 8,
                                 256,
                                 palette ? 256u : 0u,
                                 width,
                                 height,
                                 width,
                                 height,
                                 0};
    for (uint32_t word : header) out.U32(word);
    out.Bytes("xwdump", 7);
    if (palette)
        for (uint32_t i = 0; i < 256; ++i) {
            uint8_t r = 0, g = 0, b = 0;
            image.GetPaletteRGB(i, &r, &g, &b);
            out.U32(i);
            out.U16(r * 257u);
            out.U16(g * 257u);
            out.U16(b * 257u);
            const uint8_t flagsAndPad[2] = {7, 0x94};
            out.Bytes(flagsAndPad, 2);
        }

    std::vector<uint8_t> row(bytesPerLine, 0);
    for (uint32_t y = 0; y < height; ++y) {
        Progress(int(int64_t(y) * 100 / height));
        const uint8_t* source = image.RowAt(int(y));
        std::memcpy(row.data(), palette ? image.m_pfnRowTo8(source, &image) : image.m_pfnRowTo32(source, &image),
                    size_t(width) * pixelBytes);
        out.Bytes(row.data(), bytesPerLine);
    }
    if (!stream.Flush()) throw EXwdFileWriteError();
    Progress(100);
}
