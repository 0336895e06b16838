#include "graphics/formats/bmp_reader.h"

#include "graphics/formats/byte_order.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
// The first header that holds an alpha mask after the three colour masks.
constexpr uint32_t kV3HeaderSize = 56;
constexpr int kMaskCount = 4;  // red, green, blue, alpha
// Bit-field masks read as plain blue, green, red bytes; the alpha mask,
// whatever it is, only names the fourth byte. Other 32-bit masks are
// decoded channel by channel.
constexpr uint32_t kRedMask = 0x00FF0000;
constexpr uint32_t kGreenMask = 0x0000FF00;
constexpr uint32_t kBlueMask = 0x000000FF;
// An RLE image may claim more pixels than it has bytes (runs, skipped rows),
// but even an empty row costs its 2-byte end-of-line escape: beyond 32768
// pixels per byte no encoder goes, and a tiny file cannot claim a gigabyte.
constexpr int64_t kRleMaxPixelsPerByte = 32768;
// Uncompressed pixels are read in bands of about this size between progress reports.
constexpr int64_t kBandBytes = 1 << 20;

// What the core or info header says.
struct BmpHeader {
    int64_t width = 0;
    int64_t height = 0;
    uint32_t bits = 0;
    uint32_t compression = kBmpRgb;
    uint32_t coloursUsed = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    int paletteEntryBytes = 4;
    uint32_t masks[kMaskCount] = {};  // bit fields: red, green, blue, alpha (0: none)
    bool byMasks = false;             // bit fields other than the standard masks
};

typedef void (*DecodeFn)(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info);

void DecodePlain(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info);
void DecodeRle8(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info);
void DecodeRle4(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info);

// The depth and compression pairs that are read, with their decoders.
struct BmpKind {
    uint32_t bits;
    uint32_t compression;
    DecodeFn decode;
};
constexpr BmpKind kKinds[] = {
    {1, kBmpRgb, DecodePlain},        {4, kBmpRgb, DecodePlain},        {4, kBmpRle4, DecodeRle4},
    {8, kBmpRgb, DecodePlain},        {8, kBmpRle8, DecodeRle8},        {24, kBmpRgb, DecodePlain},
    {24, kBmpBitFields, DecodePlain}, {32, kBmpRgb, DecodePlain},       {32, kBmpBitFields, DecodePlain},
    {32, kBmpAlphaBitFields, DecodePlain},
};

const BmpKind* FindKind(uint32_t bits, uint32_t compression)
{
    for (const BmpKind& kind : kKinds)
        if (kind.bits == bits && kind.compression == compression)
            return &kind;
    return nullptr;
}

// Reads the header from its size word on, with the bit-field masks that
// follow a 40-byte header (or lie in a longer one), up to the palette.
BmpHeader ReadHeader(CReadCursor& in, const BmpKind** kind)
{
    BmpHeader h;
    const uint32_t size = in.U32LE();
    if (size == kCoreHeaderSize) {
        h.width = in.U16LE();
        h.height = in.U16LE();
        in.U16LE();  // planes
        h.bits = in.U16LE();
        h.paletteEntryBytes = 3;
    } else if (size >= kInfoHeaderSize) {
        h.width = in.S32LE();
        h.height = in.S32LE();
        in.U16LE();  // planes
        h.bits = in.U16LE();
        h.compression = in.U32LE();
        in.U32LE();  // image size
        h.xPelsPerMeter = in.S32LE();
        h.yPelsPerMeter = in.S32LE();
        h.coloursUsed = in.U32LE();
        in.U32LE();  // colours important
    } else {
        in.ThrowCorrupt();
    }
    *kind = FindKind(h.bits, h.compression);
    if (!*kind)
        throw EBmpNotSupported();
    int64_t rest = size > kInfoHeaderSize ? int64_t(size) - kInfoHeaderSize : 0;
    if (h.compression == kBmpBitFields || h.compression == kBmpAlphaBitFields) {
        // The masks follow the first 40 bytes, inside a longer header or
        // after a 40-byte one: red, green, blue, and alpha with compression
        // 6 or inside a V3 or later header.
        const int count = h.compression == kBmpAlphaBitFields || size >= kV3HeaderSize ? kMaskCount : kMaskCount - 1;
        for (int i = 0; i < count; ++i)
            h.masks[i] = in.U32LE();
        h.byMasks = h.masks[0] != kRedMask || h.masks[1] != kGreenMask || h.masks[2] != kBlueMask;
        if (h.byMasks && h.bits != 32)
            throw EBmpNotSupported();
        rest = std::max<int64_t>(rest - 4 * count, 0);
    }
    in.Skip(rest);
    return h;
}

// One bit-field channel: a contiguous run of bits widened to 8 (a longer run
// keeps its top 8 bits, a shorter one is scaled); an empty mask gives 0.
class MaskChannel {
public:
    // False for a mask that is not one contiguous run.
    bool Set(uint32_t mask)
    {
        if (mask == 0)
            return true;
        m_shift = uint32_t(std::countr_zero(mask));
        const uint32_t run = mask >> m_shift;
        if ((run & (run + 1)) != 0)
            return false;
        m_bits = uint32_t(std::popcount(run));
        if (m_bits < 8)
            for (uint32_t v = 0; v <= run; ++v)
                m_widen[v] = uint8_t((v * 255 + run / 2) / run);
        return true;
    }
    uint8_t Of(uint32_t pixel) const
    {
        if (m_bits >= 8)
            return uint8_t(pixel >> (m_shift + m_bits - 8));
        return m_bits ? m_widen[(pixel >> m_shift) & ((1u << m_bits) - 1)] : 0;
    }

private:
    uint32_t m_shift = 0;
    uint32_t m_bits = 0;
    uint8_t m_widen[128] = {};
};

// 32-bit pixels by their masks into blue, green, red and alpha bytes (alpha
// 0 without an alpha mask); refuses a mask that is not contiguous.
class BitFieldPixels {
public:
    explicit BitFieldPixels(const uint32_t (&masks)[kMaskCount])
    {
        for (int i = 0; i < kMaskCount; ++i)
            if (!m_channels[i].Set(masks[i]))
                throw EBmpNotSupported();
    }
    void Convert(uint8_t* pixels, int64_t count) const
    {
        for (int64_t i = 0; i < count; ++i, pixels += 4) {
            const uint32_t v = GetLe32(pixels);
            pixels[0] = m_channels[2].Of(v);
            pixels[1] = m_channels[1].Of(v);
            pixels[2] = m_channels[0].Of(v);
            pixels[3] = m_channels[3].Of(v);
        }
    }

private:
    MaskChannel m_channels[kMaskCount];
};

// Uncompressed rows, bottom-up and padded to 4 bytes exactly as the image
// keeps them in memory, read in bands between progress reports; `convert`
// gets each band's bytes as they were read.
template <class Convert>
void ReadBands(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info, Convert convert)
{
    const int64_t stride = image.m_nStride, height = image.m_nHeight;
    const int64_t band = std::max<int64_t>(1, kBandBytes / stride);
    for (int64_t k = 0; k < height; k += band) {
        ReportFormatProgress(info, int(k * 100 / height));
        const int64_t bytes = std::min(band, height - k) * stride;
        in.Bytes(image.m_pBits + k * stride, bytes);
        convert(image.m_pBits + k * stride, bytes);
    }
}

void DecodePlain(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info)
{
    ReadBands(in, image, info, [](uint8_t*, int64_t) {});
}

void PutNibble(uint8_t* row, int64_t x, uint8_t value)
{
    uint8_t& b = row[x >> 1];
    b = (x & 1) ? uint8_t((b & 0xF0) | value) : uint8_t((b & 0x0F) | value << 4);
}

// Pixels of a run of n at x that lie inside the width.
int64_t Visible(int64_t x, int64_t n, int64_t width)
{
    return x >= width ? 0 : n < width - x ? n : width - x;
}

// BI_RLE8 and BI_RLE4: runs, literals, end of line, delta, end of bitmap.
// Every run, literal and delta is held to the row and the image; any breach
// or the data ending before the end-of-bitmap escape is the read error.
// Encoders (ImageMagick among them) fill a row up to its padded width: runs
// and literals may reach that far, the pixels past the width are dropped.
void DecodeRle(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info, bool four)
{
    const int64_t width = image.m_nWidth, height = image.m_nHeight, stride = image.m_nStride;
    const int64_t rowPixels = four ? stride * 2 : stride;
    int64_t x = 0, y = 0;  // y counts file rows, from the bottom
    BYTE literal[255];
    for (;;) {
        const uint8_t count = in.U8(), value = in.U8();
        if (count != 0) {
            if (y >= height || x + count > rowPixels)
                in.ThrowRead();
            uint8_t* row = image.m_pBits + y * stride;
            const int n = int(Visible(x, count, width));
            if (!four)
                std::memset(row + x, value, size_t(n));
            else
                for (int i = 0; i < n; ++i)
                    PutNibble(row, x + i, (i & 1) ? value & 15 : value >> 4);
            x += count;
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            if (++y < height)
                ReportFormatProgress(info, int(y * 100 / height));
            break;
        case 1:  // end of bitmap
            return;
        case 2: {  // delta: right and up
            const uint8_t dx = in.U8(), dy = in.U8();
            x += dx;
            y += dy;
            if (x > width || y > height)
                in.ThrowRead();
            break;
        }
        default: {  // literal of `value` pixels, padded to 16 bits
            const int n = value;
            if (y >= height || x + n > rowPixels)
                in.ThrowRead();
            uint8_t* row = image.m_pBits + y * stride;
            const int bytes = four ? (n + 1) / 2 : n;
            in.Bytes(literal, bytes);
            in.Skip(bytes & 1);
            const int shown = int(Visible(x, n, width));
            if (!four)
                std::memcpy(row + x, literal, size_t(shown));
            else
                for (int i = 0; i < shown; ++i)
                    PutNibble(row, x + i, (i & 1) ? literal[i / 2] & 15 : literal[i / 2] >> 4);
            x += n;
        }
        }
    }
}

void DecodeRle8(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info)
{
    DecodeRle(in, image, info, false);
}

void DecodeRle4(CReadCursor& in, CGraphicsImage& image, CFormatInfo& info)
{
    DecodeRle(in, image, info, true);
}

}  // namespace

void CBmpReader::LoadW(const WCHAR* path, CGraphicsImage& image)
{
    LoadPathW(path, image, ThrowFormatError<EBmpFileOpenError>);
}

void CBmpReader::LoadA(const char* path, CGraphicsImage& image)
{
    LoadPathA(path, image, ThrowFormatError<EBmpFileOpenError>);
}

void CBmpReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    m_pStream = &stream;
    struct StreamReset {
        CBmpReader* reader;
        ~StreamReset() { reader->m_pStream = nullptr; }
    } reset{this};

    CReadCursor in(stream, ThrowFormatError<EBmpFileReadError>, ThrowFormatError<EBmpCorruptFile>);
    const int64_t start = in.Position();
    BYTE file[kFileHeaderSize];
    in.Bytes(file, kFileHeaderSize);
    int64_t pixelOffset = -1;  // from the file header; a bare DIB's pixels follow its palette
    if (file[0] == 'B' && file[1] == 'M') {
        pixelOffset = start + GetLe32(file + 10);
    } else if (GetLe32(file) == kInfoHeaderSize && int32_t(GetLe32(file + 4)) <= int32_t(CGraphicsImage::MAX_DIMENSION) &&
               int32_t(GetLe32(file + 8)) <= int32_t(CGraphicsImage::MAX_DIMENSION)) {
        in.SeekTo(start);
    } else {
        throw EBmpNotABmpFile();
    }

    const BmpKind* kind = nullptr;
    const BmpHeader h = ReadHeader(in, &kind);
    // Checked before anything is allocated; the standard masks need no channels.
    static constexpr uint32_t kNoMasks[kMaskCount] = {};
    const BitFieldPixels bitFields(h.byMasks ? h.masks : kNoMasks);
    // Negative (top-down) and oversized claims are what Create refuses; an
    // empty image is no bitmap.
    if (h.width < 0 || h.height < 0 || h.width > CGraphicsImage::MAX_DIMENSION ||
        h.height > CGraphicsImage::MAX_DIMENSION)
        throw EBmpUnknownError();
    in.Require(h.width > 0 && h.height > 0);

    // Palette depths have at most 2^bits entries; a true-colour file's
    // table (up to 256 entries) is skipped.
    const bool indexed = h.bits <= 8;
    int64_t entries = indexed ? int64_t(1) << h.bits : 0;
    if (h.coloursUsed != 0) {
        in.Require(h.coloursUsed <= uint32_t(indexed ? entries : kReadMaxPaletteEntries));
        entries = h.coloursUsed;
    }
    const int64_t paletteBytes = entries * h.paletteEntryBytes;
    const int64_t afterPalette = in.Position() + paletteBytes;
    if (pixelOffset >= 0)
        in.Require(pixelOffset >= afterPalette);
    const int64_t pixelStart = pixelOffset >= 0 ? pixelOffset : afterPalette;
    const int64_t available = in.Length() - pixelStart;
    if (available < 0)
        in.ThrowRead();
    const bool rle = kind->decode != DecodePlain;
    const int64_t stride = (h.width * h.bits + 31) / 32 * 4;
    if (rle ? h.width * h.height > std::max<int64_t>(available, 0) * kRleMaxPixelsPerByte
            : !in.Fits(pixelStart - in.Position() + in.Product(stride, h.height)))
        in.ThrowRead();

    m_nBitCount = h.bits;
    m_nXPelsPerMeter = h.xPelsPerMeter;
    m_nYPelsPerMeter = h.yPelsPerMeter;
    // RLE leaves skipped pixels alone: they start as index 0.
    if (!image.Create(h.bits, uint32_t(h.width), uint32_t(h.height), rle ? 0 : CGraphicsImage::NO_FILL))
        throw EBmpUnknownError();
    image.SetResolution(h.xPelsPerMeter, h.yPelsPerMeter);

    for (int64_t i = 0; i < entries; ++i) {
        BYTE entry[4] = {0, 0, 0, 0};
        in.Bytes(entry, h.paletteEntryBytes);
        if (indexed)
            std::memcpy(&image.m_pPalette[i], entry, 4);
    }
    in.Skip(pixelStart - in.Position());

    Progress(0);
    if (h.byMasks)
        ReadBands(in, image, m_info, [&](uint8_t* bytes, int64_t n) { bitFields.Convert(bytes, n / 4); });
    else
        kind->decode(in, image, m_info);
    Progress(100);
}
