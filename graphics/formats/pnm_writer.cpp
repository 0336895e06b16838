#include "graphics/formats/pnm_writer.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

void WriteBytes(CBufferedStream& stream, const void* data, int64_t n)
{
    if (stream.Write(data, int32_t(n)) != n) throw EPnmFileWriteError();
}

// Rows are converted into a band of about this many bytes that goes to the
// stream in one write: large enough that the stream passes it straight to
// the file instead of copying it through its buffer.
constexpr size_t kBandBytes = 1 << 18;

int Luminance(const CGraphicsImage& image, uint32_t index)
{
    uint8_t r = 0, g = 0, b = 0;
    image.GetPaletteRGB(index, &r, &g, &b);
    return 77 * r + 151 * g + 29 * b;
}

}  // namespace

void CPnmWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    RequireImage(image);
    const int width = int(image.m_nWidth);
    const int height = int(image.m_nHeight);
    const bool bitmap = image.m_nBitCount == 1;
    if (stream.PrintfA(bitmap ? "P4 %i %i " : "P6 %i %i 255 ", width, height) < 1) throw EPnmFileWriteError();

    // A 1 bit means black: the bits are inverted when entry 0 is the darker.
    const bool invert = bitmap && Luminance(image, 0) < Luminance(image, 1);
    const size_t rowBytes = bitmap ? (size_t(width) + 7) >> 3 : size_t(width) * 3;
    const uint8_t lastMask = uint8_t(0xFF00 >> (((width - 1) & 7) + 1));
    const int bandRows = int(std::clamp<size_t>(kBandBytes / rowBytes, 1, size_t(height)));
    std::vector<uint8_t> band(rowBytes * size_t(bandRows));
    for (int y = 0; y < height;) {
        const int rows = std::min(bandRows, height - y);
        for (int k = 0; k < rows; ++k, ++y) {
            Progress(int(int64_t(y) * 100 / height));
            const uint8_t* row = image.RowAt(y);
            uint8_t* out = band.data() + size_t(k) * rowBytes;
            if (bitmap) {
                for (size_t i = 0; i < rowBytes; ++i)
                    out[i] = invert ? uint8_t(~row[i]) : row[i];
                out[rowBytes - 1] &= lastMask;
            } else {
                CopySwapRedBlue24(image.m_pfnRowTo24(row, &image), out, width);
            }
        }
        WriteBytes(stream, band.data(), int64_t(rowBytes) * rows);
    }
    if (!stream.Flush()) throw EPnmFileWriteError();
    Progress(100);
}
