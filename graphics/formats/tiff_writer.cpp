#include "graphics/formats/tiff_writer.h"

#include "graphics/formats/tiff_encode.h"
#include "graphics/formats/tiff_format.h"
#include "graphics/formats/tiff_rows.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

void TiffWriterErrors::CreateFailed()
{
    ThrowTiff(kTiffCreateFailed);
}

void TiffWriterErrors::WriteFailed()
{
    ThrowTiff(kTiffWriteFailed);
}

void TiffWriterErrors::EmptyImage()
{
    ThrowTiff(kTiffEmptyImage);
}

namespace {

constexpr char kSoftware[] = "Velk Grafik Lib";
constexpr uint32_t kBilevelRowsPerStrip = 322;
// Indexed and RGB strips hold about this many bytes of rows.
constexpr int64_t kStripBytes = 8192;
constexpr uint32_t kResolutionDenominator = 100;
constexpr uint16_t kResolutionCentimetre = 3;
constexpr uint16_t kExtraSampleUnassociatedAlpha = 2;
// Compressed strips are handed to the stream in blocks of about this size.
constexpr size_t kFlushBytes = 1 << 16;

constexpr FormatErrorThrower ThrowWriteFailed = TiffWriterErrors::WriteFailed;

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;  // inline value (SHORT in the low half) or offset
    uint8_t text[4];  // inline ASCII when useText
    bool useText;
};

// Writes little-endian numbers; every short write throws.
class TiffOut {
public:
    TiffOut(CBufferedStream& stream) : m_stream(stream), m_start(stream.Tell()) {}

    void Bytes(const void* data, int64_t n)
    {
        if (n > INT32_MAX || m_stream.Write(data, int32_t(n)) != int32_t(n))
            ThrowWriteFailed();
    }
    void U16(uint16_t v)
    {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        Bytes(b, 2);
    }
    void U32(uint32_t v)
    {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        Bytes(b, 4);
    }
    // The position relative to the start of the file.
    uint32_t Offset() const { return uint32_t(m_stream.Tell() - m_start); }
    // Values and the IFD begin on a word boundary.
    void Align()
    {
        if (Offset() & 1)
            Bytes("", 1);
    }
    CBufferedStream& Stream() { return m_stream; }
    int64_t Start() const { return m_start; }

private:
    CBufferedStream& m_stream;
    int64_t m_start;
};

struct Layout {
    uint32_t photometric;
    uint32_t bitsPerSample;
    uint32_t samples;
    int64_t rowBytes;
    uint32_t rowsPerStrip;
    bool colorMap;
};

int Lightness(const CGraphicsImage& image, uint32_t index)
{
    uint8_t r, g, b;
    image.GetPaletteRGB(index, &r, &g, &b);
    return 76 * r + 152 * g + 29 * b;
}

// A grey ramp: entry i is i scaled to 0..255, either i * 255 / (n - 1) (as
// the reader makes it) or i << (8 - depth).
bool IsGreyRamp(const CGraphicsImage& image, uint32_t depth)
{
    const uint32_t n = 1u << depth;
    if (image.m_nPaletteSize != n)
        return false;
    bool scaled = true, shifted = true;
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t r, g, b;
        image.GetPaletteRGB(i, &r, &g, &b);
        if (r != g || g != b)
            return false;
        scaled = scaled && r == i * 255 / (n - 1);
        shifted = shifted && r == i << (8 - depth);
    }
    return scaled || shifted;
}

uint32_t StripRows(int64_t rowBytes, uint32_t height)
{
    const int64_t rows = std::max<int64_t>(1, kStripBytes / rowBytes);
    return uint32_t(std::min<int64_t>(rows, height));
}

Layout LayoutFor(const CGraphicsImage& image, bool alpha)
{
    const int64_t width = image.m_nWidth;
    switch (image.m_nBitCount) {
    case 1: {
        // Keep the palette's meaning: WhiteIsZero when entry 0 is lighter.
        const uint32_t photometric = Lightness(image, 0) > Lightness(image, 1) ? kTiffWhiteIsZero : kTiffBlackIsZero;
        return {photometric, 1, 1, (width + 7) / 8, kBilevelRowsPerStrip, false};
    }
    case 4:
    case 8: {
        const uint32_t depth = image.m_nBitCount;
        const int64_t rowBytes = (width * depth + 7) / 8;
        const bool grey = IsGreyRamp(image, depth);
        return {grey ? kTiffBlackIsZero : kTiffPalette, depth, 1, rowBytes, StripRows(rowBytes, image.m_nHeight), !grey};
    }
    case 12:
    case 15:
    case 16:
    case 24:
    case 32: {
        const uint32_t samples = alpha && image.m_nBitCount == 32 ? 4 : 3;
        const int64_t rowBytes = width * samples;
        return {kTiffRgb, 8, samples, rowBytes, StripRows(rowBytes, image.m_nHeight), false};
    }
    default:
        ThrowTiff(kTiffNotSupported);
    }
}

// The picture's row y as the image's BGR(A) bytes (a converted copy for
// other depths).
const uint8_t* ImageOrder(const CGraphicsImage& image, const Layout& layout, int y)
{
    const uint8_t* row = image.RowAt(y);
    return layout.samples == 4 ? image.m_pfnRowTo32(row, &image) : image.m_pfnRowTo24(row, &image);
}

// The stored bytes of picture row y, in `buffer` when they need converting.
const uint8_t* RowBytes(const CGraphicsImage& image, const Layout& layout, int y, uint8_t* buffer)
{
    if (layout.photometric != kTiffRgb)
        return image.RowAt(y);
    TiffSwapRedBlue(ImageOrder(image, layout, y), buffer, image.m_nWidth, layout.samples);
    return buffer;
}

Entry Value(uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
{
    return {tag, type, count, value, {}, false};
}

// An ASCII value with its NUL: inline when it fits the entry, else written.
Entry Text(TiffOut& out, uint16_t tag, const char* text, uint32_t length)
{
    Entry e = Value(tag, kTiffAscii, length, 0);
    if (length <= 4) {
        std::memcpy(e.text, text, length);
        e.useText = true;
    } else {
        out.Align();
        e.value = out.Offset();
        out.Bytes(text, length);
    }
    return e;
}

// A LONG array: inline for one value.
Entry Longs(TiffOut& out, uint16_t tag, const std::vector<uint32_t>& values)
{
    if (values.size() == 1)
        return Value(tag, kTiffLong, 1, values[0]);
    out.Align();
    Entry e = Value(tag, kTiffLong, uint32_t(values.size()), out.Offset());
    for (const uint32_t v : values)
        out.U32(v);
    return e;
}

// Where the strips went: each one's offset in the file and its byte count.
struct StripTable {
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> counts;
};

// The picture rows in strips of layout.rowsPerStrip rows, compressed as asked.
StripTable WriteStrips(TiffOut& out, const CGraphicsImage& image, const Layout& layout, uint32_t compression,
                       bool predictor, CFormatInfo& info)
{
    const uint32_t height = image.m_nHeight;
    const uint32_t stripCount = (height + layout.rowsPerStrip - 1) / layout.rowsPerStrip;
    StripTable strips{std::vector<uint32_t>(stripCount), std::vector<uint32_t>(stripCount)};
    std::vector<uint8_t> buffer(size_t(layout.rowBytes)), differences(size_t(layout.rowBytes));
    CTiffStripBuffer packed;
    std::unique_ptr<CTiffLzwEncoder> lzw;
    if (compression == kTiffCompressionLzw)
        lzw.reset(new CTiffLzwEncoder());
    const auto flush = [&](size_t above) {
        if (packed.Size() > above) {
            out.Bytes(packed.Data(), int64_t(packed.Size()));
            packed.Clear();
        }
    };
    uint32_t y = 0;
    for (uint32_t s = 0; s < stripCount; ++s) {
        strips.offsets[s] = out.Offset();
        if (lzw)
            lzw->BeginStrip(packed);
        const uint32_t end = std::min(height, y + layout.rowsPerStrip);
        for (; y < end; ++y) {
            const uint8_t* row;
            if (predictor) {
                TiffPredictRgb(ImageOrder(image, layout, int(y)), buffer.data(), differences.data(), image.m_nWidth,
                               layout.samples);
                row = differences.data();
            } else {
                row = RowBytes(image, layout, int(y), buffer.data());
            }
            switch (compression) {
            case kTiffCompressionNone:
                out.Bytes(row, layout.rowBytes);
                break;
            case kTiffCompressionLzw:
                lzw->EncodeRow(row, layout.rowBytes, packed);
                break;
            default:
                EncodePackBitsRow(row, layout.rowBytes, packed);
                break;
            }
            flush(kFlushBytes);
            ReportFormatProgress(info, int(int64_t(y + 1) * 100 / height));
        }
        if (lzw)
            lzw->EndStrip(packed);
        flush(0);
        strips.counts[s] = out.Offset() - strips.offsets[s];
    }
    return strips;
}

// The values that do not fit their entries, written after the strips, and
// the entries that point at them.
std::vector<Entry> WriteOutOfLineValues(TiffOut& out, const CGraphicsImage& image, const Layout& layout,
                                        const StripTable& strips, const CTiffWriter& writer)
{
    std::vector<Entry> entries;
    if (layout.samples > 1) {
        out.Align();
        entries.push_back(Value(kTagBitsPerSample, kTiffShort, layout.samples, out.Offset()));
        for (uint32_t i = 0; i < layout.samples; ++i)
            out.U16(uint16_t(layout.bitsPerSample));
    } else {
        entries.push_back(Value(kTagBitsPerSample, kTiffShort, 1, layout.bitsPerSample));
    }
    if (layout.colorMap) {
        // A ColorMap has 2^bits entries whatever the palette's size; those
        // past it are black.
        const uint32_t n = 1u << layout.bitsPerSample, used = std::min(n, image.m_nPaletteSize);
        out.Align();
        entries.push_back(Value(kTagColorMap, kTiffShort, 3 * n, out.Offset()));
        for (int channel = 0; channel < 3; ++channel)
            for (uint32_t i = 0; i < n; ++i) {
                uint8_t rgb[3] = {0, 0, 0};
                if (i < used)
                    image.GetPaletteRGB(i, &rgb[0], &rgb[1], &rgb[2]);
                out.U16(uint16_t(rgb[channel] * 257));
            }
    }
    entries.push_back(Longs(out, kTagStripOffsets, strips.offsets));
    entries.push_back(Longs(out, kTagStripByteCounts, strips.counts));
    entries.push_back(Text(out, kTagSoftware, kSoftware, uint32_t(sizeof kSoftware)));
    const char* comment = writer.m_info.comment;
    if (comment && comment[0])
        entries.push_back(Text(out, kTagImageDescription, comment, uint32_t(std::strlen(comment) + 1)));
    if (writer.m_xPelsPerMeter > 0 && writer.m_yPelsPerMeter > 0) {
        out.Align();
        entries.push_back(Value(kTagXResolution, kTiffRational, 1, out.Offset()));
        entries.push_back(Value(kTagYResolution, kTiffRational, 1, out.Offset() + 8));
        out.U32(uint32_t(writer.m_xPelsPerMeter));
        out.U32(kResolutionDenominator);
        out.U32(uint32_t(writer.m_yPelsPerMeter));
        out.U32(kResolutionDenominator);
    }
    return entries;
}

// The entries whose values stand in them.
void AddInlineValues(std::vector<Entry>& entries, const CGraphicsImage& image, const Layout& layout,
                     uint32_t compression, bool predictor)
{
    entries.push_back(Value(kTagResolutionUnit, kTiffShort, 1, kResolutionCentimetre));
    entries.push_back(Value(kTagNewSubfileType, kTiffLong, 1, 0));
    entries.push_back(Value(kTagImageWidth, kTiffLong, 1, image.m_nWidth));
    entries.push_back(Value(kTagImageLength, kTiffLong, 1, image.m_nHeight));
    entries.push_back(Value(kTagCompression, kTiffShort, 1, compression));
    entries.push_back(Value(kTagPhotometric, kTiffShort, 1, layout.photometric));
    entries.push_back(Value(kTagFillOrder, kTiffShort, 1, 1));
    entries.push_back(Value(kTagSamplesPerPixel, kTiffShort, 1, layout.samples));
    entries.push_back(Value(kTagRowsPerStrip, kTiffLong, 1, layout.rowsPerStrip));
    if (predictor)
        entries.push_back(Value(kTagPredictor, kTiffShort, 1, kTiffPredictorHorizontal));
    if (layout.samples == 4)
        entries.push_back(Value(kTagExtraSamples, kTiffShort, 1, kExtraSampleUnassociatedAlpha));
}

// The IFD, its entries in ascending tag order and no next IFD; returns its offset.
uint32_t WriteDirectory(TiffOut& out, std::vector<Entry>& entries)
{
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    out.Align();
    const uint32_t ifd = out.Offset();
    out.U16(uint16_t(entries.size()));
    for (const Entry& e : entries) {
        out.U16(e.tag);
        out.U16(e.type);
        out.U32(e.count);
        if (e.useText)
            out.Bytes(e.text, 4);
        else if (e.type == kTiffShort && e.count == 1)
            out.U32(e.value & 0xFFFF);
        else
            out.U32(e.value);
    }
    out.U32(0);
    return ifd;
}

// The header's IFD offset, once the IFD's place is known; the stream is
// left at the end of the file, flushed.
void PatchDirectoryOffset(TiffOut& out, uint32_t ifd)
{
    CBufferedStream& stream = out.Stream();
    if (stream.Seek(int32_t(out.Start() + 4), 0) < 0)
        ThrowWriteFailed();
    out.U32(ifd);
    if (stream.Seek(0, 2) < 0 || !stream.Flush())
        ThrowWriteFailed();
}

}  // namespace

void CTiffWriter::Write(CBufferedStream& stream, CGraphicsImage& image)
{
    RequireImage(image);
    const uint32_t compression = m_compression;
    if (compression != kTiffCompressionNone && compression != kTiffCompressionLzw &&
        compression != kTiffCompressionPackBits)
        ThrowTiff(kTiffNotSupported);
    const Layout layout = LayoutFor(image, m_alpha);
    const bool predictor = compression == kTiffCompressionLzw && layout.photometric == kTiffRgb;
    if (stream.Tell() < 0)
        ThrowWriteFailed();

    TiffOut out(stream);
    out.Bytes("II", 2);
    out.U16(kTiffVersion);
    out.U32(0);  // the IFD's offset, set at the end
    const StripTable strips = WriteStrips(out, image, layout, compression, predictor, m_info);
    std::vector<Entry> entries = WriteOutOfLineValues(out, image, layout, strips, *this);
    AddInlineValues(entries, image, layout, compression, predictor);
    const uint32_t ifd = WriteDirectory(out, entries);
    PatchDirectoryOffset(out, ifd);
}
