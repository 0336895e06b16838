#include "graphics/formats/xwd_reader.h"

#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int64_t kX11HeaderBytes = 100;
constexpr int64_t kX10HeaderBytes = 40;
constexpr uint32_t kZPixmap = 2;
constexpr uint32_t kLsbFirst = 0;

struct XwdLayout {
    uint32_t width = 0, height = 0, bits = 0, depth = 0;
    int64_t bytesPerLine = 0;
    uint32_t colours = 0;
    int64_t colourEntryBytes = 12;
    bool msbBytes = true, msbBits = true;
    uint32_t unit = 8;
    int position[3] = {2, 1, 0};  // byte of red, green, blue within a pixel
};

[[noreturn]] void Unsupported()
{
    throw EGraphicsWrongColor();
}

// The byte of a pixel of `bytes` bytes that a one-byte mask selects, as the
// file stores it; -1 for another mask.
int MaskByte(uint32_t mask, int bytes, bool msbFirst)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (mask == 0xFFu << shift) {
            const int byte = shift / 8;
            if (byte >= bytes) return -1;
            return msbFirst ? bytes - 1 - byte : byte;
        }
    return -1;
}

void ReadX11Header(CReadCursor& in, XwdLayout& l)
{
    uint32_t w[23];
    for (uint32_t& word : w) word = in.U32BE();
    const uint32_t format = w[0], depth = w[1];
    l.width = uint32_t(in.Limit(w[2], 1, kXwdMaxSide));
    l.height = uint32_t(in.Limit(w[3], 1, kXwdMaxSide));
    l.msbBytes = w[5] != kLsbFirst;
    l.unit = w[6];
    l.msbBits = w[7] != kLsbFirst;
    l.bits = w[9];
    l.bytesPerLine = w[10];
    l.colours = w[17];
    if (format != kZPixmap && !(format < kZPixmap && depth == 1)) Unsupported();
    if (format != kZPixmap) l.bits = 1;
    // 24-bit pixels stored in 32 bits.
    if (l.bits == 24 && l.bytesPerLine == int64_t(l.width) * 4) l.bits = 32;
    const uint32_t red = w[12], green = w[13], blue = w[14];
    switch (l.bits) {
    case 1:
    case 4:
    case 8:
        l.depth = l.bits;
        break;
    case 16:
        if (red == 0xF800 && green == 0x07E0 && blue == 0x001F)
            l.depth = 16;
        else if (red == 0x7C00 && green == 0x03E0 && blue == 0x001F)
            l.depth = 15;
        else
            Unsupported();
        break;
    case 24:
    case 32: {
        l.depth = l.bits;
        const int bytes = int(l.bits / 8);
        const int r = MaskByte(red, bytes, l.msbBytes), g = MaskByte(green, bytes, l.msbBytes),
                  b = MaskByte(blue, bytes, l.msbBytes);
        if (r >= 0 && g >= 0 && b >= 0 && r != g && g != b && r != b) {
            l.position[0] = r;
            l.position[1] = g;
            l.position[2] = b;
        }
        break;
    }
    default:
        Unsupported();
    }
}

void ReadX10Header(CReadCursor& in, XwdLayout& l)
{
    in.Skip(3 * 4);  // display type, display planes, pixmap format
    l.width = uint32_t(in.Limit(in.U32BE(), 1, kXwdMaxSide));
    l.height = uint32_t(in.Limit(in.U32BE(), 1, kXwdMaxSide));
    in.Skip(5 * 2);
    l.colours = in.U16BE();
    l.bits = l.depth = l.colours <= 2 ? 1 : l.colours <= 16 ? 4 : 8;
    l.bytesPerLine = (int64_t(l.depth) * l.width + 7) / 8;
    l.colourEntryBytes = 8;
}

// Puts the row's pixels into the image's own order.
void NormaliseRow(uint8_t* row, int64_t n, const XwdLayout& l, std::vector<uint8_t>& scratch)
{
    if (l.bits == 1) {
        if (!l.msbBits)
            for (int64_t i = 0; i < n; ++i) {
                uint8_t v = row[i];
                v = uint8_t((v & 0xF0) >> 4 | (v & 0x0F) << 4);
                v = uint8_t((v & 0xCC) >> 2 | (v & 0x33) << 2);
                row[i] = uint8_t((v & 0xAA) >> 1 | (v & 0x55) << 1);
            }
    } else if (l.bits == 4 && !l.msbBytes) {
        // Z-format nibbles follow the byte order.
        for (int64_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] >> 4 | row[i] << 4);
    } else if (l.bits == 16 && l.msbBytes) {
        for (int64_t i = 0; i + 1 < n; i += 2) std::swap(row[i], row[i + 1]);
    } else if (l.bits >= 24 && !(l.position[0] == 2 && l.position[1] == 1 && l.position[2] == 0)) {
        const int bytes = int(l.bits / 8);
        scratch.assign(row, row + n);
        for (int64_t i = 0; i + bytes <= n; i += bytes) {
            const uint8_t* from = scratch.data() + i;
            row[i] = from[l.position[2]];
            row[i + 1] = from[l.position[1]];
            row[i + 2] = from[l.position[0]];
            if (bytes == 4) row[i + 3] = 0;
        }
    }
}

}  // namespace

void CXwdReader::LoadW(const WCHAR* path, CGraphicsImage& image)
{
    LoadPathW(path, image, ThrowFormatError<EXwdFileOpenError>);
}

void CXwdReader::LoadA(const char* path, CGraphicsImage& image)
{
    LoadPathA(path, image, ThrowFormatError<EXwdFileOpenError>);
}

void CXwdReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    CReadCursor in(stream, ThrowFormatError<EXwdFileReadError>, ThrowFormatError<EXwdNotAXwdFile>);
    const int64_t start = in.Position();
    const int64_t headerSize = in.U32BE();
    const uint32_t version = in.U32BE();
    if (in.Length() - start <= headerSize) in.ThrowRead();
    if (version != 6 && version != 7) in.ThrowCorrupt();
    in.Limit(headerSize, version == 7 ? kX11HeaderBytes : kX10HeaderBytes, kXwdMaxHeaderSize);

    XwdLayout l;
    if (version == 7)
        ReadX11Header(in, l);
    else
        ReadX10Header(in, l);
    const int64_t n = (int64_t(l.bits) * l.width + 7) / 8;
    in.Require(n <= l.bytesPerLine);
    in.SeekTo(start + headerSize);
    // Below 2^48: no overflow; what does not fit the data ends it early.
    const int64_t colourBytes = int64_t(l.colours) * l.colourEntryBytes;
    const int64_t unitBytes =
        l.bits == 1 && l.msbBytes != l.msbBits && (l.unit == 16 || l.unit == 32) ? l.unit / 8 : 1;
    const int64_t lastRow = unitBytes > 1 ? l.bytesPerLine : n;
    if (!in.Fits(colourBytes + l.bytesPerLine * (l.height - 1) + lastRow)) in.ThrowRead();

    if (!image.Create(l.depth, l.width, l.height, 0)) ThrowCreateError(image.m_nError);
    if (l.bits <= 8) {
        for (uint32_t i = 0; i < l.colours; ++i) {
            const uint32_t pixel = version == 7 ? in.U32BE() : in.U16BE();
            const uint8_t red = uint8_t(in.U16BE() >> 8), green = uint8_t(in.U16BE() >> 8),
                          blue = uint8_t(in.U16BE() >> 8);
            if (version == 7) in.Skip(2);  // flags, pad
            // Pixel values of 256 and more name the entry of their low byte.
            image.SetPaletteRGB(pixel & 0xFF, red, green, blue);
        }
    } else {
        in.Skip(colourBytes);
    }

    Progress(0);
    std::vector<uint8_t> scratch, unitRow;
    for (uint32_t y = 0; y < l.height; ++y) {
        Progress(int(int64_t(y) * 100 / l.height));
        uint8_t* row = image.RowAt(int(y));
        if (unitBytes > 1) {
            // A bitmap unit's bytes are in byte order, its bits in bit order:
            // the whole file row is needed to reorder the units.
            unitRow.resize(size_t(l.bytesPerLine));
            in.Bytes(unitRow.data(), l.bytesPerLine);
            for (int64_t i = 0; i + unitBytes <= l.bytesPerLine; i += unitBytes)
                std::reverse(unitRow.begin() + i, unitRow.begin() + i + unitBytes);
            std::copy_n(unitRow.begin(), n, row);
        } else {
            in.Bytes(row, n);
            if (y + 1 < l.height) in.Skip(l.bytesPerLine - n);
        }
        NormaliseRow(row, n, l, scratch);
    }
    Progress(100);
}
