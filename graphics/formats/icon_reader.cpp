#include "graphics/formats/icon_reader.h"

#include "graphics/formats/icon_decode.h"
#include "graphics/formats/png_reader.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace icon_detail {

void FailExeRead()
{
    throw EIconExeReadError();
}

void FailFormat()
{
    throw EIconCorruptFile();
}

bool IsPngData(const uint8_t* data, int64_t size)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

int32_t ChooseImage(const std::vector<IconCandidate>& c, int32_t selector)
{
    const uint32_t sel = uint32_t(selector) & ~kKindBits;
    const int32_t n = int32_t(c.size());
    int32_t best = -1;
    if (int32_t(sel) >= 0) {
        best = int32_t(sel) < n ? int32_t(sel) : -1;
    } else if (sel >> 24 == 0x80) {
        const uint32_t w = sel & 0xFF, h = (sel >> 8) & 0xFF, d = (sel >> 16) & 0xFF;
        for (int32_t i = 0; i < n; ++i) {
            if (c[i].width != w || c[i].height != h)
                continue;
            if (d == 0xFF ? best < 0 || c[i].depth > c[best].depth : c[i].depth == d && best < 0)
                best = i;
        }
    } else {
        for (int32_t i = 0; i < n; ++i) {
            const uint64_t area = uint64_t(c[i].width) * c[i].height;
            const uint64_t bestArea = best < 0 ? 0 : uint64_t(c[best].width) * c[best].height;
            if (best < 0 || area > bestArea || (area == bestArea && c[i].depth > c[best].depth))
                best = i;
        }
    }
    if (best < 0)
        throw EIconNotFound();
    return best;
}

namespace {

bool IsIconDepth(uint32_t depth)
{
    return depth == 1 || depth == 4 || depth == 8 || depth == 24 || depth == 32;
}

void SetRgb(RGBQUAD& q, uint32_t rgb)
{
    q.rgbBlue = BYTE(rgb);
    q.rgbGreen = BYTE(rgb >> 8);
    q.rgbRed = BYTE(rgb >> 16);
    q.rgbReserved = 0;
}

bool Bit(const uint8_t* row, uint32_t x)
{
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

uint32_t IndexAt(const uint8_t* row, uint32_t x, uint32_t depth)
{
    switch (depth) {
    case 1:
        return Bit(row, x);
    case 4:
        return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

void CreateMask(CGraphicsImage* mask, uint32_t width, uint32_t height)
{
    if (mask && !mask->Create(1, width, height, 0))
        throw EIconMemory();
}

void ReadPngIcon(const uint8_t* data, int64_t size, CGraphicsImage& image, CGraphicsImage* mask)
{
    CBufferedStream stream(4096);
    if (size > CBufferedStream::kMaxStreamLength ||
        !stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        throw EIconMemory();
    CPngReader png;
    try {
        png.Read(stream, image);
    } catch (const EIconError&) {
        throw;
    } catch (const EGraphicsException& e) {
        throw EIconError(e.text, 0);  // the PNG reader's own text, as an icon error
    } catch (...) {
        throw EIconPngReadError();
    }
    if (mask) {
        CreateMask(mask, image.m_nWidth, image.m_nHeight);
        if (image.m_nBitCount == 32 && (png.m_colorType & kPngColorAlpha))
            for (uint32_t y = 0; y < image.m_nHeight; ++y) {
                const uint8_t* row = image.RowAt(int(y));
                uint8_t* bits = mask->RowAt(int(y));
                for (uint32_t x = 0; x < image.m_nWidth; ++x)
                    if (row[4 * x + 3] == 0)
                        bits[x >> 3] = uint8_t(bits[x >> 3] | 0x80 >> (x & 7));
            }
    } else if (image.m_nBitCount == 8) {
        CIconReader::FreeMarkerIndices(image);
    }
}

// An icon DIB whose header passed the checks: its size and depth, and where
// its colour table, pixel rows and AND mask lie in the block. Rows are
// stored bottom-up.
struct DibBlocks {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
    int64_t tableEntries;
    int64_t rowBytes;
    int64_t maskBytes;
    const uint8_t* table;    // tableEntries RGBQUADs
    const uint8_t* pixels;   // height rows of rowBytes
    const uint8_t* andMask;  // height rows of maskBytes; null when the DIB has none
};

// Checks the DIB header against the entry's width and height and finds the
// blocks; every fault throws its icon error before anything is allocated.
DibBlocks ReadDibBlocks(const CSpanCursor& dib, uint32_t width, uint32_t height, const DibRules& rules)
{
    if (!dib.Fits(kDibHeaderSize) || width == 0 || height == 0)
        throw EIconCorruptFile();
    const int64_t biWidth = dib.S32LEAt(kDibWidth), biHeight = dib.S32LEAt(kDibHeight);
    const uint32_t planes = dib.U16LEAt(kDibPlanes), bits = dib.U16LEAt(kDibBitCount);

    // A .cur DIB stores its mask like an icon (biHeight doubled) or, rarely,
    // none; a 1-bit one without may hold bitmap and mask stacked.
    bool hasMask = true;
    if (rules.cursorFile && biHeight == int64_t(height)) {
        hasMask = false;
        if (bits == 1 && height % 2 == 0) {
            height /= 2;
            hasMask = true;
        }
    }
    if (dib.U32LEAt(kDibSize) != kDibHeaderSize || biWidth != int64_t(width) ||
        biHeight != int64_t(hasMask ? 2 : 1) * height)
        throw EIconCorruptFile();
    if (dib.U32LEAt(kDibCompression) != 0)
        throw EIconCompressed();
    const uint32_t depth = bits >= 1 && bits <= 32 ? bits : rules.depthHint;
    const bool planesOk = planes == 1 || !rules.planesFor4And8 || depth == 4 || depth == 8;
    if (!IsIconDepth(depth) || !planesOk)
        throw EIconWrongColor();

    DibBlocks b{width, height, depth, 0, 0, 0, nullptr, nullptr, nullptr};
    const int64_t fullTable = depth <= 8 ? int64_t(1) << depth : 0;
    const uint32_t coloursUsed = dib.U32LEAt(kDibColoursUsed);
    b.tableEntries = coloursUsed > 0 && coloursUsed < fullTable ? int64_t(coloursUsed) : fullTable;
    b.rowBytes = (int64_t(depth) * width + 31) / 32 * 4;
    b.maskBytes = (int64_t(width) + 31) / 32 * 4;
    // The blocks follow each other; one that passes the data's end is the
    // format error.
    const int64_t pixelStart = kDibHeaderSize + b.tableEntries * 4;
    b.table = dib.BytesAt(kDibHeaderSize, b.tableEntries * 4);
    b.pixels = dib.BytesAt(pixelStart, b.rowBytes * height);
    if (hasMask)
        b.andMask = dib.BytesAt(pixelStart + b.rowBytes * height, b.maskBytes * height);
    return b;
}

// The colour table and the pixel rows; below 8 bits without a mask image
// the indices are widened to bytes, so the markers fit beside them.
void CopyDibPixels(const DibBlocks& dib, CGraphicsImage& image)
{
    for (int64_t i = 0; i < dib.tableEntries; ++i)
        std::memcpy(&image.m_pPalette[i], dib.table + 4 * i, 4);
    for (uint32_t k = 0; k < dib.height; ++k) {
        const uint8_t* src = dib.pixels + k * dib.rowBytes;
        uint8_t* dst = image.RowAt(int(dib.height - 1 - k));
        if (image.m_nBitCount == dib.depth)
            std::memcpy(dst, src, size_t(std::min<int64_t>(dib.rowBytes, image.m_nStride)));
        else
            for (uint32_t x = 0; x < dib.width; ++x)
                dst[x] = uint8_t(IndexAt(src, x, dib.depth));
    }
}

void CopyMaskRows(const DibBlocks& dib, CGraphicsImage& mask)
{
    for (uint32_t k = 0; k < dib.height; ++k)
        std::memcpy(mask.RowAt(int(dib.height - 1 - k)), dib.andMask + k * dib.maskBytes,
                    size_t(std::min<int64_t>(dib.maskBytes, mask.m_nStride)));
}

// True colour: masked pixels take the transparent colour, fourth byte 0.
void PaintMaskedPixels(const DibBlocks& dib, CGraphicsImage& image, uint32_t transparent)
{
    const uint32_t unit = dib.depth / 8;
    for (uint32_t k = 0; k < dib.height; ++k) {
        uint8_t* dst = image.RowAt(int(dib.height - 1 - k));
        for (uint32_t x = 0; x < dib.width; ++x)
            if (Bit(dib.andMask + k * dib.maskBytes, x)) {
                uint8_t* p = dst + x * unit;
                p[0] = uint8_t(transparent);
                p[1] = uint8_t(transparent >> 8);
                p[2] = uint8_t(transparent >> 16);
                if (unit == 4)
                    p[3] = 0;
            }
    }
}

// Palette depths: masked pixels become the transparent marker, or the
// inverting one where the file's index has every bit set. The choice is
// made on the file's indices, before FreeMarkerIndices moves index 255 away.
void MarkMaskedPixels(const DibBlocks& dib, CGraphicsImage& image, const IconColours& colours)
{
    const uint32_t allOnes = (1u << dib.depth) - 1;
    std::vector<uint8_t> markers(size_t(dib.width) * dib.height, 0);
    bool any = false;
    for (uint32_t k = 0; k < dib.height; ++k)
        for (uint32_t x = 0; x < dib.width; ++x)
            if (Bit(dib.andMask + k * dib.maskBytes, x)) {
                const bool inverse = IndexAt(dib.pixels + k * dib.rowBytes, x, dib.depth) == allOnes;
                markers[size_t(k) * dib.width + x] = inverse ? kIconInverseIndex : kIconTransparentIndex;
                any = any || !inverse;
            }
    CIconReader::FreeMarkerIndices(image);
    for (uint32_t k = 0; k < dib.height; ++k) {
        uint8_t* dst = image.RowAt(int(dib.height - 1 - k));
        for (uint32_t x = 0; x < dib.width; ++x)
            if (const uint8_t m = markers[size_t(k) * dib.width + x])
                dst[x] = m;
    }
    if (any)
        SetRgb(image.m_pPalette[kIconTransparentIndex], colours.transparent);
    SetRgb(image.m_pPalette[kIconInverseIndex], colours.inverse);
}

}  // namespace

void DecodeIconData(const uint8_t* data, int64_t size, uint32_t width, uint32_t height, const DibRules& rules,
                    CGraphicsImage& image, CGraphicsImage* mask, const IconColours& colours)
{
    // The signature decides before any DIB field is looked at.
    if (IsPngData(data, size))
        return ReadPngIcon(data, size, image, mask);
    const DibBlocks dib = ReadDibBlocks(CSpanCursor(data, size, FailFormat, FailFormat), width, height, rules);
    if (!image.Create(mask ? dib.depth : std::max<uint32_t>(dib.depth, 8), dib.width, dib.height, 0))
        throw EIconMemory();
    CreateMask(mask, dib.width, dib.height);
    CopyDibPixels(dib, image);
    if (!dib.andMask)
        return;
    if (mask)
        CopyMaskRows(dib, *mask);
    else if (dib.depth > 8)
        PaintMaskedPixels(dib, image, colours.transparent);
    else
        MarkMaskedPixels(dib, image, colours);
}

}  // namespace icon_detail

using namespace icon_detail;

void IconReaderErrors::OpenFailed()
{
    throw EIconFileOpenError();
}

namespace {

constexpr int kIconHeaderBytes = 6;
constexpr int kDirEntryBytes = 16;
// ICONDIR fields after the reserved word; the type says icon or cursor.
enum IcoHeaderField : int64_t { kIcoType = 2, kIcoCount = 4 };
constexpr uint32_t kIcoTypeIcon = 1;
constexpr uint32_t kIcoTypeCursor = 2;
// ICONDIRENTRY fields; a cursor's bit-count word holds its hot spot.
enum IcoEntryField : int64_t { kEntryWidth = 0, kEntryHeight = 1, kEntryBitCount = 6, kEntryBytes = 8, kEntryOffset = 12 };
constexpr int kMaxDirEntries = 32;
constexpr int64_t kMinExeHeaderOffset = 0x38;
constexpr int64_t kExeHeaderOffsetField = 0x3C;

constexpr FormatErrorThrower FailOpen = IconReaderErrors::OpenFailed;

[[noreturn]] void FailFileRead()
{
    throw EIconFileReadError();
}

struct IcoEntry {
    IconCandidate size;
    uint32_t bytes;
    uint32_t offset;
};

// Directory of an .ico/.cur file whose 6 header bytes were read at `start`.
// Entries' depths: an icon's bit-count word, else (cursors, word 0) the
// image's own: 32 for a PNG stream, the DIB header's bit count otherwise.
std::vector<IcoEntry> ReadDirectory(CReadCursor& in, int64_t start, uint32_t count, bool cursor)
{
    std::vector<uint8_t> bytes(size_t(count) * kDirEntryBytes);
    in.Bytes(bytes.data(), int64_t(bytes.size()));
    CSpanCursor dir(bytes.data(), int64_t(bytes.size()), FailFileRead, FailFormat);
    std::vector<IcoEntry> entries(count);
    for (IcoEntry& entry : entries) {
        const CSpanCursor e = dir.TakeSpan(kDirEntryBytes);
        entry.size.width = EntrySide(e.U8At(kEntryWidth));
        entry.size.height = EntrySide(e.U8At(kEntryHeight));
        entry.size.depth = cursor ? 0 : e.U16LEAt(kEntryBitCount);
        entry.bytes = e.U32LEAt(kEntryBytes);
        entry.offset = e.U32LEAt(kEntryOffset);
        const int64_t at = start + entry.offset;
        if (entry.size.depth != 0 || at >= in.Length())
            continue;
        in.SeekTo(at);
        const BYTE* look = nullptr;
        const int32_t got = in.Look(&look, int32_t(kDibHeaderSize));
        const CSpanCursor head(look, got, FailFileRead, FailFormat);
        if (IsPngData(look, got))
            entry.size.depth = 32;
        else if (head.Fits(kDibHeaderSize))
            entry.size.depth = head.U16LEAt(kDibBitCount);
    }
    return entries;
}

int32_t CheckIcoHeader(const uint8_t (&bytes)[kIconHeaderBytes], bool* cursor)
{
    const CSpanCursor h(bytes, kIconHeaderBytes, FailFileRead, FailFormat);
    const uint32_t type = h.U16LEAt(kIcoType), count = h.U16LEAt(kIcoCount);
    if ((type != kIcoTypeIcon && type != kIcoTypeCursor) || count < 1 || count > kMaxDirEntries)
        throw EIconNotFound();
    *cursor = type == kIcoTypeCursor;
    return int32_t(count);
}

// Finds the "PE"/"NE" header of an "MZ" file; returns its offset from start.
int64_t LocateExeHeader(CReadCursor& in, int64_t start, bool* pe)
{
    in.SeekTo(start + kExeHeaderOffsetField);
    const int64_t offset = in.U32LE();
    if (offset <= kMinExeHeaderOffset)
        throw EIconNotFound();
    in.SeekTo(start + offset);
    uint8_t sig[4];
    in.Bytes(sig, 4);
    if (sig[0] == 'P' && sig[1] == 'E' && sig[2] == 0 && sig[3] == 0)
        *pe = true;
    else if (sig[0] == 'N' && sig[1] == 'E')
        *pe = false;
    else
        throw EIconNotFound();
    return offset;
}

}  // namespace

void CIconReader::Read(CBufferedStream& stream, CGraphicsImage& image)
{
    ReadIcon(stream, image, nullptr, -1, 0);
}

void CIconReader::LoadW(const WCHAR* path, CGraphicsImage& image)
{
    LoadIconW(path, image, nullptr, -1, 0);
}

void CIconReader::LoadA(const char* path, CGraphicsImage& image)
{
    LoadIconA(path, image, nullptr, -1, 0);
}

void CIconReader::ReadIcon(CBufferedStream& stream, CGraphicsImage& image, CGraphicsImage* mask, int32_t selector,
                           int32_t group)
{
    m_stream = &stream;
    struct StreamReset {
        CIconReader* reader;
        ~StreamReset() { reader->m_stream = nullptr; }
    } reset{this};
    const IconColours colours{m_transparentColour, m_inverseColour};

    CReadCursor in(stream, FailOpen, FailFormat);
    const int64_t start = in.Position();
    uint8_t h[kIconHeaderBytes];
    in.Bytes(h, kIconHeaderBytes);
    if (h[0] == 'M' && h[1] == 'Z') {
        bool pe = false;
        const int64_t header = LocateExeHeader(in, start, &pe);
        return ReadExeIcon(stream, start, header, pe, image, mask, selector, group, colours);
    }
    if (h[0] != 0 || h[1] != 0)
        throw EIconNotFound();
    bool cursor = false;
    const uint32_t count = uint32_t(CheckIcoHeader(h, &cursor));
    if (group != 0)
        throw EIconNotFound();

    CReadCursor file(stream, FailFileRead, FailFormat);
    const std::vector<IcoEntry> entries = ReadDirectory(file, start, count, cursor);
    std::vector<IconCandidate> candidates;
    for (const IcoEntry& e : entries)
        candidates.push_back(e.size);
    const IcoEntry& chosen = entries[size_t(ChooseImage(candidates, selector))];
    if (!IsIconDepth(chosen.size.depth))
        throw EIconWrongColor();
    if (chosen.bytes > kIconMaxEntryBytes)
        throw EIconCorruptFile();
    file.SeekTo(start + chosen.offset);
    if (!file.Fits(chosen.bytes))
        FailFileRead();
    std::vector<uint8_t> data(chosen.bytes);
    file.Bytes(data.data(), chosen.bytes);
    Progress(0);
    DecodeIconData(data.data(), chosen.bytes, chosen.size.width, chosen.size.height, DibRules{cursor, false, 0},
                   image, mask, colours);
    Progress(100);
}

void CIconReader::LoadIconW(const WCHAR* path, CGraphicsImage& image, CGraphicsImage* mask, int32_t selector,
                            int32_t group)
{
    CBufferedStream stream(kFormatStreamBufferSize);
    if (!stream.OpenW(path, CBufferedStream::kModeRead, nullptr))
        FailOpen();
    ReadIcon(stream, image, mask, selector, group);  // the stream closes on every path
}

void CIconReader::LoadIconA(const char* path, CGraphicsImage& image, CGraphicsImage* mask, int32_t selector,
                            int32_t group)
{
    CBufferedStream stream(kFormatStreamBufferSize);
    if (!stream.OpenA(path, CBufferedStream::kModeRead, nullptr))
        FailOpen();
    ReadIcon(stream, image, mask, selector, group);
}

int32_t CIconReader::EnumIcons(CBufferedStream& stream, IconEntryInfo* records, int32_t n, uint32_t kinds)
{
    CReadCursor in(stream, FailOpen, FailFormat);
    const int64_t start = in.Position();
    uint8_t h[kIconHeaderBytes];
    if (!in.Fits(kIconHeaderBytes))
        return -1;
    in.Bytes(h, kIconHeaderBytes);
    if (h[0] == 'M' && h[1] == 'Z') {
        // A plain DOS program (no readable "PE" or "NE" header) is no
        // executable with icons; damage inside a real one still throws.
        bool pe = false;
        int64_t header = -1;
        try {
            header = LocateExeHeader(in, start, &pe);
        } catch (const EIconError&) {
            return -1;
        }
        return EnumExeIcons(stream, start, header, pe, records, n, kinds);
    }
    if (h[0] != 0 || h[1] != 0)
        return -1;
    bool cursor = false;
    const uint32_t count = uint32_t(CheckIcoHeader(h, &cursor));
    CReadCursor file(stream, FailFileRead, FailFormat);
    const std::vector<IcoEntry> entries = ReadDirectory(file, start, count, cursor);
    for (uint32_t i = 0; i < count && records && int32_t(i) < n; ++i)
        records[i] = IconEntryInfo{0,
                                   uint16_t(cursor ? 2 : 1),
                                   0,
                                   uint16_t(i),
                                   uint16_t(entries[i].size.width),
                                   uint16_t(entries[i].size.height),
                                   uint16_t(entries[i].size.depth)};
    return int32_t(count);
}

namespace {

// EnumIcons on the stream `open` opens; -1 when it cannot be opened or its
// data is damaged.
template <class Open>
int32_t EnumOpened(CIconReader& reader, Open open, IconEntryInfo* records, int32_t n, uint32_t kinds)
{
    CBufferedStream stream(kFormatStreamBufferSize);
    if (!open(stream))
        return -1;
    try {
        return reader.EnumIcons(stream, records, n, kinds);
    } catch (const EGraphicsException&) {
        return -1;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

}  // namespace

int32_t CIconReader::EnumIconsA(const char* path, IconEntryInfo* records, int32_t n, uint32_t kinds)
{
    return EnumOpened(
        *this, [&](CBufferedStream& s) { return s.OpenA(path, CBufferedStream::kModeRead, nullptr); }, records, n,
        kinds);
}

int32_t CIconReader::EnumIconsW(const WCHAR* path, IconEntryInfo* records, int32_t n, uint32_t kinds)
{
    return EnumOpened(
        *this, [&](CBufferedStream& s) { return s.OpenW(path, CBufferedStream::kModeRead, nullptr); }, records, n,
        kinds);
}

void CIconReader::FreeMarkerIndices(CGraphicsImage& image)
{
    if (image.m_nBitCount != 8 || !image.m_pPalette)
        return;
    // The first 16 entries (the standard colours) never give way to a marker.
    constexpr int kFirstMovable = 16;
    constexpr int kLastUnmarked = kIconInverseIndex - 1;
    constexpr int kTransparent = kIconTransparentIndex, kInverse = kIconInverseIndex;
    int64_t counts[256] = {};
    for (uint32_t y = 0; y < image.m_nHeight; ++y) {
        const uint8_t* row = image.RowAt(int(y));
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            ++counts[row[x]];
    }
    if (!counts[kTransparent] && !counts[kInverse])
        return;
    RGBQUAD* pal = image.m_pPalette;
    // The least-used slot in kFirstMovable..kLastUnmarked below the marker's
    // own count; the higher index stays on equal counts.
    auto leastUsed = [&](int marker, int other) {
        int slot = marker;
        int64_t best = counts[marker];
        for (int i = kLastUnmarked; i >= kFirstMovable; --i)
            if (i != other && counts[i] < best) {
                best = counts[i];
                slot = i;
            }
        return slot;
    };
    auto nearest = [&](int slot, int l, int m) {
        int found = -1;
        int64_t best = INT64_MAX;
        for (int i = kLastUnmarked; i >= 0; --i) {
            if (i == l || i == m)
                continue;
            const int64_t dr = int64_t(pal[i].rgbRed) - pal[slot].rgbRed;
            const int64_t dg = int64_t(pal[i].rgbGreen) - pal[slot].rgbGreen;
            const int64_t db = int64_t(pal[i].rgbBlue) - pal[slot].rgbBlue;
            const int64_t d = dr * dr + dg * dg + db * db;
            if (d < best) {
                best = d;
                found = i;
            }
        }
        return found;
    };
    const int l = counts[kTransparent] ? leastUsed(kTransparent, -1) : kTransparent;
    const int m = counts[kInverse] ? leastUsed(kInverse, l) : kInverse;
    const int lNear = counts[l] ? nearest(l, l, m) : l;
    const int mNear = counts[m] ? nearest(m, l, m) : m;
    std::swap(pal[kTransparent], pal[l]);
    std::swap(pal[kInverse], pal[m]);
    uint8_t map[256];
    for (int i = 0; i < 256; ++i)
        map[i] = uint8_t(i);
    map[kTransparent] = uint8_t(l == kTransparent ? lNear : l);
    if (l != kTransparent)
        map[l] = uint8_t(lNear);
    map[kInverse] = uint8_t(m == kInverse ? mNear : m);
    if (m != kInverse)
        map[m] = uint8_t(mNear);
    for (uint32_t y = 0; y < image.m_nHeight; ++y) {
        uint8_t* row = image.RowAt(int(y));
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            row[x] = map[row[x]];
    }
}
