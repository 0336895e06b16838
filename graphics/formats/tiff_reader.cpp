#include "graphics/formats/tiff_reader.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/formats/tiff_decode.h"
#include "graphics/formats/tiff_format.h"
#include "graphics/formats/tiff_rows.h"
#include "graphics/image.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

void TiffReaderErrors::OpenFailed()
{
    ThrowTiff(kTiffOpenFailed);
}

namespace {

// An IFD chain longer than this is not followed further (a file has one
// image and maybe a few reduced copies; a loop would never end).
constexpr int kTiffMaxIfds = 64;
constexpr uint32_t kTiffMaxSamples = 16;
constexpr uint32_t kTiffMaxSampleBits = 8;
// BitsPerSample values looked at: the image's depth is their sum.
constexpr uint32_t kTiffSummedSamples = 3;
// Spare bytes after the row buffer.
constexpr int64_t kRowSlack = 256;
// The most pixel bytes one stored byte can give: bounds an image by the
// data before it is created.
constexpr int64_t kMaxExpansionPackBits = 64;
constexpr int64_t kMaxExpansionLzw = 4096;

int64_t TypeSize(uint16_t type)
{
    switch (type) {
    case kTiffShort:
    case kTiffSShort:
        return 2;
    case kTiffLong:
    case kTiffSLong:
    case 11:  // FLOAT
        return 4;
    case kTiffRational:
    case 10:  // SRATIONAL
    case 12:  // DOUBLE
        return 8;
    default:
        return 1;
    }
}

struct TiffEntry {
    bool present = false;
    uint16_t type = 0;
    uint32_t count = 0;
    uint8_t field[4] = {};
};

struct TiffIfd {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t compression = kTiffCompressionNone;
    uint32_t photometric = kTiffBlackIsZero;
    uint32_t samples = 1;
    uint32_t fillOrder = 1;
    uint32_t predictor = kTiffPredictorNone;
    uint32_t rowsPerStrip = UINT32_MAX;  // one strip
    uint32_t subfileType = 0;
    TiffEntry bits, offsets, counts, colorMap, description;
    uint32_t next = 0;
};

enum class StripKind { Bilevel, Indexed, Rgb };

// Reads the file's numbers in its byte order; offsets count from `start`.
class TiffFile {
public:
    TiffFile(CReadCursor& in, int64_t start, bool big) : m_in(in), m_start(start), m_big(big) {}

    uint16_t U16() { return m_in.U16(m_big); }
    uint32_t U32() { return m_in.U32(m_big); }

    void SeekTo(uint32_t offset) { m_in.SeekTo(m_start + offset); }

    // Value i of those the value field holds.
    uint32_t Field(const TiffEntry& e, uint32_t i) const
    {
        const uint8_t* f = e.field;
        switch (TypeSize(e.type)) {
        case 1:
            return f[i];
        case 2:
            return m_big ? uint32_t(f[2 * i] << 8 | f[2 * i + 1]) : uint32_t(f[2 * i + 1] << 8 | f[2 * i]);
        default:
            return Offset(e);
        }
    }
    // The value field as one 32-bit number: the offset of values that do not fit.
    uint32_t Offset(const TiffEntry& e) const
    {
        const uint8_t* f = e.field;
        return m_big ? uint32_t(f[0]) << 24 | uint32_t(f[1]) << 16 | uint32_t(f[2]) << 8 | f[3]
                     : uint32_t(f[3]) << 24 | uint32_t(f[2]) << 16 | uint32_t(f[1]) << 8 | f[0];
    }
    // The value of a one-value entry: its first BYTE, SHORT or LONG (signed
    // types sign-extended), 0 for other types.
    uint32_t Value(const TiffEntry& e) const
    {
        switch (e.type) {
        case kTiffByte:
        case kTiffShort:
        case kTiffLong:
        case kTiffSLong:
            return Field(e, 0);
        case kTiffSByte:
            return uint32_t(int32_t(int8_t(Field(e, 0))));
        case kTiffSShort:
            return uint32_t(int32_t(int16_t(Field(e, 0))));
        default:
            return 0;
        }
    }
    // One value of count 1 that is not 0, else "Falscher Eintrag".
    uint32_t Single(const TiffEntry& e, bool zeroAllowed = false) const
    {
        const uint32_t v = Value(e);
        if (e.count != 1 || (v == 0 && !zeroAllowed))
            ThrowTiffBadEntry();
        return v;
    }
    // True when the entry's values sit in its value field (they fit 4 bytes).
    static bool Inline(const TiffEntry& e) { return int64_t(e.count) * TypeSize(e.type) <= 4; }

    // `n` SHORT or LONG values of the entry: inline or at its offset, the
    // whole array checked against the data before anything is allocated.
    std::vector<uint32_t> Values(const TiffEntry& e, uint32_t n)
    {
        std::vector<uint32_t> out;
        if (Inline(e)) {
            for (uint32_t i = 0; i < n; ++i)
                out.push_back(Field(e, i));
            return out;
        }
        SeekTo(Offset(e));
        if (!m_in.Fits(int64_t(e.count) * TypeSize(e.type)))
            ThrowTiffReadFailed();
        out.resize(n);
        for (uint32_t& v : out)
            v = e.type == kTiffLong ? U32() : U16();
        return out;
    }

    int64_t Start() const { return m_start; }
    CReadCursor& In() { return m_in; }

private:
    CReadCursor& m_in;
    int64_t m_start;
    bool m_big;
};

TiffIfd ReadIfd(TiffFile& file, uint32_t offset)
{
    TiffIfd ifd;
    file.SeekTo(offset);
    const uint32_t count = file.U16();
    if (!file.In().Fits(int64_t(count) * kTiffEntrySize + 4))
        ThrowTiffReadFailed();
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t tag = file.U16();
        TiffEntry e;
        e.present = true;
        e.type = file.U16();
        e.count = file.U32();
        file.In().Bytes(e.field, 4);
        switch (tag) {
        case kTagNewSubfileType: ifd.subfileType = file.Value(e); break;
        case kTagImageWidth: ifd.width = file.Single(e); break;
        case kTagImageLength: ifd.height = file.Single(e); break;
        case kTagBitsPerSample:
            if (e.type == kTiffShort)
                ifd.bits = e;
            break;
        case kTagCompression: ifd.compression = file.Single(e); break;
        case kTagPhotometric: ifd.photometric = file.Single(e, true); break;
        case kTagFillOrder: ifd.fillOrder = file.Single(e); break;
        case kTagImageDescription: ifd.description = e; break;
        case kTagStripOffsets:
        case kTagStripByteCounts:
            if (e.type != kTiffShort && e.type != kTiffLong)
                ThrowTiffBadEntry();
            (tag == kTagStripOffsets ? ifd.offsets : ifd.counts) = e;
            break;
        case kTagSamplesPerPixel: ifd.samples = file.Single(e); break;
        case kTagRowsPerStrip: ifd.rowsPerStrip = file.Single(e); break;
        case kTagPlanarConfiguration:
            if (file.Value(e) != 1)
                ThrowTiff(kTiffNotSupported);
            break;
        case kTagResolutionUnit: file.Single(e); break;
        case kTagPredictor: ifd.predictor = file.Single(e); break;
        case kTagColorMap: ifd.colorMap = e; break;
        default: break;
        }
    }
    ifd.next = file.U32();
    return ifd;
}

// The first IFD, or when that is a reduced-resolution copy the first full
// one after it. Fields of different IFDs never mix; a chain that comes back
// to an IFD already read ends there.
TiffIfd ChooseIfd(TiffFile& file, uint32_t first)
{
    std::vector<uint32_t> seen;
    TiffIfd chosen = ReadIfd(file, first);
    seen.push_back(first);
    TiffIfd ifd = chosen;
    while ((ifd.subfileType & kTiffReducedImage) && ifd.next != 0 && int(seen.size()) < kTiffMaxIfds &&
           std::find(seen.begin(), seen.end(), ifd.next) == seen.end()) {
        seen.push_back(ifd.next);
        ifd = ReadIfd(file, ifd.next);
        if (!(ifd.subfileType & kTiffReducedImage))
            return ifd;
    }
    return chosen;
}

// Bits per pixel: one BitsPerSample value, or the sum of the first three
// of an array whose values are equal and 1 to 8.
uint32_t BitsPerPixel(TiffFile& file, const TiffEntry& e)
{
    if (!e.present)
        return 1;
    if (e.count == 1)
        return file.Single(e);
    if (e.count == 0)
        ThrowTiffBadEntry();
    const std::vector<uint32_t> values = file.Values(e, std::min(e.count, kTiffSummedSamples));
    uint32_t sum = 0;
    for (const uint32_t v : values) {
        if (v != values[0] || v < 1 || v > kTiffMaxSampleBits)
            ThrowTiff(kTiffNotSupported);
        sum += v;
    }
    return sum;
}

struct Layout {
    StripKind kind;
    uint32_t depth;
    int64_t rowBytes;
};

bool OneOf(uint32_t v, std::initializer_list<uint32_t> set)
{
    return std::find(set.begin(), set.end(), v) != set.end();
}

// What the strip readers accept; anything else is "Modus ist nicht unterstützt".
Layout LayoutOf(const TiffIfd& ifd, uint32_t bits)
{
    const auto refuse = [] { ThrowTiff(kTiffNotSupported); };
    if (ifd.samples > kTiffMaxSamples)
        refuse();
    const bool grey = ifd.photometric == kTiffWhiteIsZero || ifd.photometric == kTiffBlackIsZero;
    const int64_t width = ifd.width;
    Layout layout{};
    if (grey && bits < 2) {
        if (bits != 1 || ifd.samples != 1 ||
            !OneOf(ifd.compression, {kTiffCompressionNone, kTiffCompressionFax, kTiffCompressionLzw,
                                     kTiffCompressionPackBits}))
            refuse();
        layout = {StripKind::Bilevel, 1, (width + 7) / 8};
    } else if (grey || ifd.photometric == kTiffPalette) {
        const bool bitsOk = bits == 4 || bits == 8 || (bits == 1 && ifd.photometric == kTiffPalette);
        if (!bitsOk || ifd.samples != 1 || ifd.fillOrder != 1 ||
            !OneOf(ifd.compression, {kTiffCompressionNone, kTiffCompressionLzw, kTiffCompressionPackBits}))
            refuse();
        layout = {StripKind::Indexed, bits, (width * bits + 7) / 8};
    } else if (ifd.photometric == kTiffRgb) {
        if (bits != 24 || ifd.samples < 3 || ifd.fillOrder != 1 ||
            (ifd.predictor == kTiffPredictorHorizontal && ifd.samples > 4) ||
            !OneOf(ifd.compression, {kTiffCompressionNone, kTiffCompressionLzw, kTiffCompressionPackBits}))
            refuse();
        layout = {StripKind::Rgb, ifd.samples > 3 ? 32u : 24u, width * ifd.samples};
    } else {
        refuse();
    }
    // The predictor undoes byte differences: only LZW of 8-bit samples has it.
    if (ifd.predictor != kTiffPredictorNone &&
        (ifd.predictor != kTiffPredictorHorizontal || ifd.compression != kTiffCompressionLzw ||
         (layout.kind != StripKind::Rgb && bits != 8)))
        refuse();
    return layout;
}

struct StripTable {
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> counts;
};

// One strip whose table an earlier version of this library stored as
// one-value arrays (the value field pointing at them) rather than inline.
// Taken only when the inline reading cannot be right: the strip would pass
// the end of the data, or the fields show that layout (the counts array
// right after the offsets array, the strip before both).
bool LegacySingleStrip(TiffFile& file, const TiffIfd& ifd)
{
    if (ifd.offsets.count != 1 || ifd.offsets.type != kTiffLong || ifd.counts.type != kTiffLong)
        return false;
    CReadCursor& in = file.In();
    const int64_t offset = file.Field(ifd.offsets, 0);
    const int64_t count = file.Field(ifd.counts, 0);
    const int64_t start = file.Start();
    if (start + offset + 4 > in.Length() || start + count + 4 > in.Length())
        return false;
    file.SeekTo(uint32_t(offset));
    const int64_t arrayOffset = file.U32();
    file.SeekTo(uint32_t(count));
    const int64_t arrayCount = file.U32();
    if (arrayCount == 0 || start + arrayOffset + arrayCount > in.Length())
        return false;
    if (count == 0 || start + offset + count > in.Length())
        return true;
    return count == offset + 4 && arrayOffset + arrayCount <= offset;
}

StripTable ReadStrips(TiffFile& file, const TiffIfd& ifd)
{
    if (!ifd.offsets.present || !ifd.counts.present || ifd.offsets.count != ifd.counts.count ||
        ifd.offsets.count == 0)
        ThrowTiffBadEntry();
    StripTable t;
    if (LegacySingleStrip(file, ifd)) {
        file.SeekTo(file.Field(ifd.offsets, 0));
        t.offsets.push_back(file.U32());
        file.SeekTo(file.Field(ifd.counts, 0));
        t.counts.push_back(file.U32());
        return t;
    }
    t.offsets = file.Values(ifd.offsets, ifd.offsets.count);
    t.counts = file.Values(ifd.counts, ifd.counts.count);
    return t;
}

// Refuses an image that the data cannot hold, before it is created.
void CheckDataCanHold(const TiffIfd& ifd, const Layout& layout, int64_t dataBytes)
{
    const int64_t raster = layout.rowBytes * ifd.height;
    int64_t most = raster;
    switch (ifd.compression) {
    case kTiffCompressionNone: most = dataBytes; break;
    case kTiffCompressionPackBits: most = dataBytes * kMaxExpansionPackBits; break;
    case kTiffCompressionLzw: most = dataBytes * kMaxExpansionLzw; break;
    case kTiffCompressionFax: most = dataBytes >= int64_t(ifd.height) ? raster : 0; break;
    }
    if (raster > most)
        ThrowTiffReadFailed();
}

void SetPalette(TiffFile& file, const TiffIfd& ifd, uint32_t bits, CGraphicsImage& image)
{
    if (ifd.colorMap.present && ifd.colorMap.count >= 3) {
        const uint32_t n = ifd.colorMap.count / 3;
        if (n > 256 || bits > 8)
            ThrowTiff(kTiffNotSupported);
        TiffEntry e = ifd.colorMap;
        e.type = kTiffShort;
        const std::vector<uint32_t> v = file.Values(e, 3 * n);
        for (uint32_t i = 0; i < n; ++i)
            image.SetPaletteRGB(i, uint8_t(v[i] >> 8), uint8_t(v[n + i] >> 8), uint8_t(v[2 * n + i] >> 8));
    }
    if (ifd.photometric != kTiffWhiteIsZero && ifd.photometric != kTiffBlackIsZero)
        return;
    if (bits != 4 && bits != 8)
        return;
    const uint32_t levels = 1u << bits;
    for (uint32_t i = 0; i < levels; ++i) {
        // i * 255 / (levels - 1): 4-bit white is 255, as every peer reads it.
        uint8_t g = uint8_t(i * 255 / (levels - 1));
        if (ifd.photometric == kTiffWhiteIsZero)
            g = uint8_t(255 - g);
        image.SetPaletteRGB(i, g, g, g);
    }
}

void ReadDescription(TiffFile& file, const TiffIfd& ifd, CFormatInfo& info)
{
    const TiffEntry& e = ifd.description;
    if (!e.present || e.count < 2)
        return;
    const int64_t length = std::min<int64_t>(e.count - 1, kReadMaxTextBytes);
    std::string text(size_t(length), '\0');
    if (TiffFile::Inline(e)) {
        std::memcpy(text.data(), e.field, size_t(length));
    } else {
        file.SeekTo(file.Offset(e));
        if (!file.In().Fits(length))
            ThrowTiffReadFailed();
        file.In().Bytes(text.data(), length);
    }
    info.SetCommentA(text.c_str());
}

// Turns one decoded row into image row y.
void StoreRow(const Layout& layout, const TiffIfd& ifd, const uint8_t* row, CGraphicsImage& image, int y)
{
    uint8_t* out = image.RowAt(y);
    const uint32_t width = ifd.width;
    switch (layout.kind) {
    case StripKind::Bilevel:
        // WhiteIsZero rows (and decoded fax rows, which are WhiteIsZero) are
        // inverted for the image's 0 black, 1 white palette.
        if (ifd.photometric == kTiffWhiteIsZero)
            for (int64_t i = 0; i < layout.rowBytes; ++i)
                out[i] = uint8_t(~row[i]);
        else
            std::memcpy(out, row, size_t(layout.rowBytes));
        break;
    case StripKind::Indexed:
        std::memcpy(out, row, size_t(layout.rowBytes));
        break;
    case StripKind::Rgb:
        if (ifd.samples <= 4) {
            TiffSwapRedBlue(row, out, width, ifd.samples);
        } else {
            for (uint32_t x = 0; x < width; ++x, row += ifd.samples)
                image.m_pfnSetPixel(out, int(x),
                                    uint32_t(row[3]) << 24 | uint32_t(row[0]) << 16 | uint32_t(row[1]) << 8 | row[2]);
        }
        break;
    }
}

// A failed read leaves the rows it did not reach 0, never old memory.
void ClearFrom(CGraphicsImage& image, int y)
{
    for (; y < int(image.m_nHeight); ++y)
        std::memset(image.RowAt(y), 0, image.m_nStride);
}

// The same for a row stored with the predictor: RGB rows take it off on
// their way into the image, others first in place.
void StorePredictedRow(const Layout& layout, const TiffIfd& ifd, uint8_t* row, CGraphicsImage& image, int y)
{
    if (layout.kind == StripKind::Rgb) {
        TiffStorePredictedRgb(row, image.RowAt(y), ifd.width, ifd.samples);
        return;
    }
    TiffUndoPredictor(row, layout.rowBytes, ifd.samples);
    StoreRow(layout, ifd, row, image, y);
}

// What the row decoders work on: the strip's bytes, the decoders whose
// state runs on from row to row, the row buffer and the image.
struct RowContext {
    CTiffStripSource& source;
    CTiffLzwDecoder* lzw;  // null unless the image is LZW
    CTiffFaxDecoder& fax;
    const Layout& layout;
    const TiffIfd& ifd;
    CGraphicsImage& image;
    uint8_t* row;  // layout.rowBytes and the decoders' spare bytes
};

// Decodes row y of the strip: answers where its bytes are (the row buffer,
// or the stream's own memory), or null when they went into the image.
using RowDecoder = const uint8_t* (*)(RowContext& c, int y);

// Uncompressed RGB goes from the stream's memory into the image.
const uint8_t* UncompressedRgbRow(RowContext& c, int y)
{
    c.source.Convert(c.image.RowAt(y), c.layout.rowBytes, 3, CopySwapRedBlue24);
    return nullptr;
}

// Other uncompressed rows are converted from the stream's memory when it
// holds them whole.
const uint8_t* UncompressedRow(RowContext& c, int)
{
    if (const uint8_t* inPlace = c.source.Contiguous(c.layout.rowBytes))
        return inPlace;
    c.source.Bytes(c.row, c.layout.rowBytes);
    return c.row;
}

const uint8_t* FaxRow(RowContext& c, int)
{
    c.fax.DecodeRow(c.source, c.row, c.layout.rowBytes, c.ifd.width);
    return c.row;
}

const uint8_t* LzwRow(RowContext& c, int)
{
    c.lzw->DecodeRow(c.source, c.row, c.layout.rowBytes);
    return c.row;
}

const uint8_t* PackBitsRow(RowContext& c, int)
{
    DecodePackBitsRow(c.source, c.row, c.layout.rowBytes);
    return c.row;
}

// The decoder of every row of the image, by compression (LayoutOf has
// refused any other).
RowDecoder RowDecoderFor(const TiffIfd& ifd, const Layout& layout)
{
    switch (ifd.compression) {
    case kTiffCompressionNone:
        return layout.kind == StripKind::Rgb && ifd.samples == 3 ? UncompressedRgbRow : UncompressedRow;
    case kTiffCompressionFax: return FaxRow;
    case kTiffCompressionLzw: return LzwRow;
    default: return PackBitsRow;
    }
}

}  // namespace

void CTiffReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    CReadCursor in(stream, ThrowTiffReadFailed, ThrowTiffBadEntry);
    m_info.SetCommentA(nullptr);  // no description of an earlier file stays
    const int64_t start = in.Position();
    if (!in.Fits(kTiffHeaderSize))
        ThrowTiffReadFailed();
    uint8_t order[2];
    in.Bytes(order, 2);
    // Assigned on every read: a reader used again keeps no old byte order.
    m_byteSwap = order[0] == 'M' && order[1] == 'M';
    TiffFile file(in, start, m_byteSwap);
    if (file.U16() != kTiffVersion)
        ThrowTiff(kTiffBadHeader);
    const uint32_t first = file.U32();
    if (first == 0)
        ThrowTiff(kTiffBadHeader);

    const TiffIfd ifd = ChooseIfd(file, first);
    const uint32_t bits = BitsPerPixel(file, ifd.bits);
    if (ifd.width == 0 || ifd.height == 0 || bits == 0 || ifd.rowsPerStrip == 0)
        ThrowTiffBadEntry();
    const Layout layout = LayoutOf(ifd, bits);
    const StripTable strips = ReadStrips(file, ifd);
    CheckDataCanHold(ifd, layout, in.Length() - start);

    // Rows are cleared only when no strip reaches them (see ClearFrom).
    if (!image.Create(layout.depth, ifd.width, ifd.height))
        ThrowTiff(kTiffBadMode);
    SetPalette(file, ifd, bits, image);
    ReadDescription(file, ifd, m_info);

    static_assert(kRowSlack >= kTiffRowSpare);
    std::vector<uint8_t> row(size_t(layout.rowBytes + kRowSlack));
    CTiffStripSource source(in);
    std::unique_ptr<CTiffLzwDecoder> lzw;
    if (ifd.compression == kTiffCompressionLzw)
        lzw.reset(new CTiffLzwDecoder());
    CTiffFaxDecoder fax;
    RowContext rows{source, lzw.get(), fax, layout, ifd, image, row.data()};
    const RowDecoder decode = RowDecoderFor(ifd, layout);
    const bool mirror = layout.kind == StripKind::Bilevel && ifd.fillOrder != 1;
    const uint32_t rowsPerStrip = std::min(ifd.rowsPerStrip, ifd.height);
    const int height = int(ifd.height);
    int y = 0;
    try {
        for (size_t s = 0; s < strips.offsets.size() && y < height; ++s) {
            if (strips.counts[s] == 0)
                continue;
            file.SeekTo(strips.offsets[s]);
            source.Begin(strips.counts[s], mirror);
            if (lzw)
                lzw->BeginStrip();
            fax.BeginStrip();
            do {
                const uint8_t* decoded = decode(rows, y);
                // Only LZW rows (in `row`) carry the predictor.
                if (ifd.predictor == kTiffPredictorHorizontal)
                    StorePredictedRow(layout, ifd, rows.row, image, y);
                else if (decoded)
                    StoreRow(layout, ifd, decoded, image, y);
                ++y;
                Progress(int(int64_t(y) * 100 / height));
            } while (y < height && uint32_t(y) % rowsPerStrip != 0 && (!source.Exhausted() || fax.Pending() || (lzw && lzw->Pending())));
        }
    } catch (...) {
        ClearFrom(image, y);
        throw;
    }
    // Rows that no strip held: the image is incomplete.
    if (y < height) {
        ClearFrom(image, y);
        ThrowTiffReadFailed();
    }
}
