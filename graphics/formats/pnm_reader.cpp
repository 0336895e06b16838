#include "graphics/formats/pnm_reader.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/formats/text_reader.h"
#include "graphics/image.h"

#include <vector>

namespace {

constexpr int64_t kMaxSampleValue = 65535;

[[noreturn]] void ThrowCorrupt()
{
    throw EPnmCorruptFile();
}

// Blanks and "#" comments (to CR or LF) before the next item; its first byte.
int SkipToItem(CTextReader& text)
{
    for (;;) {
        const int c = text.Peek();
        if (c < 0) ThrowCorrupt();
        if (c == '#') {
            for (int d = text.Get(); d >= 0 && d != '\r' && d != '\n'; d = text.Get()) {
            }
        } else if (IsTextBlank(c)) {
            text.Get();
        } else {
            return c;
        }
    }
}

// The next decimal number; anything else where one belongs is corrupt.
int64_t Number(CTextReader& text)
{
    if (!IsTextDigit(SkipToItem(text))) ThrowCorrupt();
    return text.Decimal();
}

// Sample value -> 0..255, and the check that no sample exceeds the maximum.
class CSampleScale {
public:
    explicit CSampleScale(uint32_t maxValue) : m_max(maxValue), m_table(maxValue + 1)
    {
        for (uint32_t v = 0; v <= maxValue; ++v)
            m_table[v] = uint8_t((v * 255u + maxValue / 2) / maxValue);
    }
    uint8_t operator()(int64_t v) const
    {
        if (v > m_max) ThrowCorrupt();
        return m_table[size_t(v)];
    }
    bool Identity() const { return m_max == 255; }

private:
    int64_t m_max;
    std::vector<uint8_t> m_table;
};

struct PnmHeader {
    int kind;  // 1..6
    uint32_t width, height, maxValue;
};

void SetBitmapPalette(CGraphicsImage& image)
{
    image.SetPaletteRGB(0, 255, 255, 255);
    image.SetPaletteRGB(1, 0, 0, 0);
}

void CreateImage(CGraphicsImage& image, const PnmHeader& h, uint32_t fill)
{
    const bool bitmap = h.kind == 1 || h.kind == 4;
    const bool grey = h.kind == 2 || h.kind == 5;
    if (!image.Create(bitmap ? 1 : grey ? 8 : 24, h.width, h.height, fill))
        ThrowCreateError(image.m_nError);
    if (bitmap) SetBitmapPalette(image);
    if (grey)
        for (uint32_t i = 0; i < 256; ++i)
            image.SetPaletteRGB(i, uint8_t(i), uint8_t(i), uint8_t(i));
}

// One image pixel's bytes (B, G, R or a grey index) from `count` samples.
void StoreSamples(uint8_t* pixel, const uint8_t* samples, int count)
{
    if (count == 1) {
        pixel[0] = samples[0];
    } else {
        pixel[0] = samples[2];
        pixel[1] = samples[1];
        pixel[2] = samples[0];
    }
}

}  // namespace

void CPnmReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    CReadCursor in(stream, ThrowFormatError<EPnmFileReadError>, ThrowCorrupt);
    uint8_t magic[2];
    in.Bytes(magic, 2);
    if (magic[0] != 'P' || magic[1] < '1' || magic[1] > '6') throw EPnmNotAPnmFile();
    PnmHeader h{magic[1] - '0', 0, 0, 1};
    const bool bitmap = h.kind == 1 || h.kind == 4;
    const bool binary = h.kind >= 4;

    const int64_t headerStart = in.Position();
    CTextReader text(stream, ThrowCorrupt);
    h.width = uint32_t(in.Limit(Number(text), 1, kReadMaxSide));
    h.height = uint32_t(in.Limit(Number(text), 1, kReadMaxSide));
    if (!bitmap) h.maxValue = uint32_t(in.Limit(Number(text), 1, kMaxSampleValue));
    const int channels = h.kind == 3 || h.kind == 6 ? 3 : 1;
    const CSampleScale scale(h.maxValue);

    if (!binary) {
        // Each plain sample takes a character, and all but bitmap digits a
        // separator: refuse sizes the data cannot hold before allocating.
        const int64_t count = in.Product({h.width, h.height, channels});
        const int64_t left = in.Length() - headerStart - text.Consumed();
        in.Require(left >= (bitmap ? count : 2 * count - 1));
        CreateImage(image, h, 0);
        Progress(0);
        uint8_t samples[3];
        for (uint32_t y = 0; y < h.height; ++y) {
            uint8_t* row = image.RowAt(int(y));
            for (uint32_t x = 0; x < h.width; ++x) {
                if (bitmap) {
                    // Plain bitmap digits need no separators.
                    const int c = SkipToItem(text);
                    if (c != '0' && c != '1') ThrowCorrupt();
                    text.Get();
                    if (c == '1') row[x >> 3] |= uint8_t(0x80 >> (x & 7));
                    continue;
                }
                for (int s = 0; s < channels; ++s)
                    samples[s] = scale(Number(text));
                StoreSamples(row + size_t(x) * size_t(channels), samples, channels);
            }
            Progress(int(int64_t(y) * 100 / h.height));
        }
        Progress(100);
        return;
    }

    // One blank separates the header from the raster.
    if (!IsTextBlank(text.RequireByte())) ThrowCorrupt();
    in.SeekTo(headerStart + text.Consumed());
    const int bytesPerSample = h.maxValue > 255 ? 2 : 1;
    const int64_t rowBytes =
        bitmap ? (int64_t(h.width) + 7) >> 3 : in.Product({h.width, channels, bytesPerSample});
    in.Require(in.Fits(in.Product(rowBytes, h.height)));
    CreateImage(image, h, CGraphicsImage::NO_FILL);
    const bool direct = bitmap || scale.Identity();
    std::vector<uint8_t> buffer(direct ? 0 : size_t(rowBytes));
    for (uint32_t y = 0; y < h.height; ++y) {
        Progress(int(int64_t(y) * 100 / h.height));
        uint8_t* row = image.RowAt(int(y));
        if (direct) {
            // RGB rows turn BGR on their way out of the stream's memory.
            if (channels == 3)
                in.Convert(row, rowBytes, 3, CopySwapRedBlue24);
            else
                in.Bytes(row, rowBytes);
            continue;
        }
        in.Bytes(buffer.data(), rowBytes);
        const int64_t samples = int64_t(h.width) * channels;
        const uint8_t* from = buffer.data();
        for (int64_t i = 0; i < samples; ++i, from += bytesPerSample)
            row[i] = scale(bytesPerSample == 2 ? (from[0] << 8 | from[1]) : from[0]);
        if (channels == 3) SwapRedBlue24(row, int(h.width));
    }
    Progress(100);
}
