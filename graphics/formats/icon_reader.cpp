#include "graphics/formats/icon_reader.h"

#include "graphics/formats/byte_order.h"
#include "graphics/formats/icon_decode.h"
#include "graphics/formats/png_reader.h"
#include "graphics/formats/read_cursor.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace icon_detail {

const char kTextOpen[] = "Datei konnte nicht geöffnet werden !";
const char kTextNotFound[] = "Das Icon konnte in der Datei nicht gefunden werden !";
const char kTextFileRead[] = "Fehler beim lesen aus der Datei !";
const char kTextExeRead[] = "Fehler beim Lesen der Datei !";
const char kTextFormat[] = "Fehlerhaftes Dateiformat !";
const char kTextCompressed[] = "Komprimierte Icons werden nicht unterstützt !";
const char kTextColour[] = "Das Farbformat wird nicht unterstützt !";
const char kTextMemory[] = "Zu wenig Speicher";
const char kTextTooBig[] = "Zugroßer Datenblock !";

void Fail(const char* text)
{
    throw EIconError(text, 0);
}

void FailExeRead()
{
    Fail(kTextExeRead);
}

void FailFormat()
{
    Fail(kTextFormat);
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
        Fail(kTextNotFound);
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
        Fail(kTextMemory);
}

void ReadPngIcon(const uint8_t* data, int64_t size, CGraphicsImage& image, CGraphicsImage* mask)
{
    CBufferedStream stream(4096);
    if (size > CBufferedStream::kMaxStreamLength ||
        !stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        Fail(kTextMemory);
    CPngReader png;
    try {
        png.Read(stream, image);
    } catch (const EIconError&) {
        throw;
    } catch (const EGraphicsException& e) {
        Fail(e.text);  // the PNG reader's own text, as an icon error
    } catch (...) {
        Fail("Fehler beim Lesen aus der Datei !");
    }
    if (mask) {
        CreateMask(mask, image.m_nWidth, image.m_nHeight);
        if (image.m_nBitCount == 32 && (png.m_nColorType & kPngColorAlpha))
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

}  // namespace

void DecodeIconData(const uint8_t* data, int64_t size, uint32_t width, uint32_t height, const DibRules& rules,
                    CGraphicsImage& image, CGraphicsImage* mask, const IconColours& colours)
{
    // The signature decides before any DIB field is looked at.
    if (IsPngData(data, size))
        return ReadPngIcon(data, size, image, mask);
    if (size < int64_t(kDibHeaderSize) || width == 0 || height == 0)
        Fail(kTextFormat);
    const int64_t biWidth = int32_t(GetLe32(data + 4)), biHeight = int32_t(GetLe32(data + 8));
    const uint32_t planes = GetLe16(data + 12), bits = GetLe16(data + 14);
    const uint32_t compression = GetLe32(data + 16), clrUsed = GetLe32(data + 32);

    // A .cur DIB stores its mask like an icon (biHeight doubled) or, rarely,
    // none; a 1-bit one without may hold bitmap and mask stacked.
    int factor = 2;
    if (rules.cursorFile && biHeight == int64_t(height)) {
        factor = 1;
        if (bits == 1 && height % 2 == 0) {
            height /= 2;
            factor = 2;
        }
    }
    if (GetLe32(data) != kDibHeaderSize || biWidth != int64_t(width) || biHeight != int64_t(factor) * height)
        Fail(kTextFormat);
    if (compression != 0)
        Fail(kTextCompressed);
    const uint32_t depth = bits >= 1 && bits <= 32 ? bits : rules.depthHint;
    const bool planesOk = planes == 1 || !rules.planesFor4And8 || depth == 4 || depth == 8;
    if (!IsIconDepth(depth) || !planesOk)
        Fail(kTextColour);

    const int64_t fullTable = depth <= 8 ? int64_t(1) << depth : 0;
    const int64_t table = clrUsed > 0 && clrUsed < fullTable ? int64_t(clrUsed) : fullTable;
    const int64_t rowBytes = (int64_t(depth) * width + 31) / 32 * 4;
    const int64_t maskBytes = (int64_t(width) + 31) / 32 * 4;
    const int64_t pixelStart = kDibHeaderSize + table * 4;
    const int64_t need = pixelStart + rowBytes * height + (factor == 2 ? maskBytes * height : 0);
    if (size < need)
        Fail(kTextFormat);

    const uint32_t imageBits = mask ? depth : std::max<uint32_t>(depth, 8);
    if (!image.Create(imageBits, width, height, 0))
        Fail(kTextMemory);
    CreateMask(mask, width, height);
    for (int64_t i = 0; i < table; ++i)
        std::memcpy(&image.m_pPalette[i], data + kDibHeaderSize + 4 * i, 4);

    const uint8_t* pixels = data + pixelStart;
    for (uint32_t k = 0; k < height; ++k) {
        const uint8_t* src = pixels + k * rowBytes;
        uint8_t* dst = image.RowAt(int(height - 1 - k));
        if (imageBits == depth)
            std::memcpy(dst, src, size_t(std::min<int64_t>(rowBytes, image.m_nStride)));
        else
            for (uint32_t x = 0; x < width; ++x)
                dst[x] = uint8_t(IndexAt(src, x, depth));
    }
    if (factor != 2)
        return;

    const uint8_t* andMask = pixels + rowBytes * height;
    if (mask) {
        for (uint32_t k = 0; k < height; ++k)
            std::memcpy(mask->RowAt(int(height - 1 - k)), andMask + k * maskBytes,
                        size_t(std::min<int64_t>(maskBytes, mask->m_nStride)));
        return;
    }
    if (depth > 8) {
        const uint32_t unit = depth / 8;
        for (uint32_t k = 0; k < height; ++k) {
            uint8_t* dst = image.RowAt(int(height - 1 - k));
            for (uint32_t x = 0; x < width; ++x)
                if (Bit(andMask + k * maskBytes, x)) {
                    uint8_t* p = dst + x * unit;
                    p[0] = uint8_t(colours.transparent);
                    p[1] = uint8_t(colours.transparent >> 8);
                    p[2] = uint8_t(colours.transparent >> 16);
                    if (unit == 4)
                        p[3] = 0;
                }
        }
        return;
    }
    // The inverting marker is decided by the index the file gave, before
    // FreeMarkerIndices moves index 255 away.
    const uint32_t allOnes = (1u << depth) - 1;
    std::vector<uint8_t> markers(size_t(width) * height, 0);
    bool any = false;
    for (uint32_t k = 0; k < height; ++k)
        for (uint32_t x = 0; x < width; ++x)
            if (Bit(andMask + k * maskBytes, x)) {
                const bool inverse = IndexAt(pixels + k * rowBytes, x, depth) == allOnes;
                markers[size_t(k) * width + x] = inverse ? 254 : 255;
                any = any || !inverse;
            }
    CIconReader::FreeMarkerIndices(image);
    for (uint32_t k = 0; k < height; ++k) {
        uint8_t* dst = image.RowAt(int(height - 1 - k));
        for (uint32_t x = 0; x < width; ++x)
            if (const uint8_t m = markers[size_t(k) * width + x])
                dst[x] = m;
    }
    if (any)
        SetRgb(image.m_pPalette[255], colours.transparent);
    SetRgb(image.m_pPalette[254], colours.inverse);
}

}  // namespace icon_detail

using namespace icon_detail;

namespace {

constexpr int kIconHeaderBytes = 6;
constexpr int kDirEntryBytes = 16;
constexpr int kMaxDirEntries = 32;
constexpr int64_t kMinExeHeaderOffset = 0x38;
constexpr int64_t kExeHeaderOffsetField = 0x3C;

[[noreturn]] void FailOpen()
{
    Fail(kTextOpen);
}

[[noreturn]] void FailFileRead()
{
    Fail(kTextFileRead);
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
    std::vector<uint8_t> dir(size_t(count) * kDirEntryBytes);
    in.Bytes(dir.data(), int64_t(dir.size()));
    std::vector<IcoEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = &dir[size_t(i) * kDirEntryBytes];
        IcoEntry& entry = entries[i];
        entry.size.width = e[0] ? e[0] : 256;
        entry.size.height = e[1] ? e[1] : 256;
        entry.size.depth = cursor ? 0 : GetLe16(e + 6);
        entry.bytes = GetLe32(e + 8);
        entry.offset = GetLe32(e + 12);
        const int64_t at = start + entry.offset;
        if (entry.size.depth != 0 || at >= in.Length())
            continue;
        in.SeekTo(at);
        const BYTE* look = nullptr;
        const int32_t got = in.Look(&look, int32_t(kDibHeaderSize));
        if (IsPngData(look, got))
            entry.size.depth = 32;
        else if (got >= int32_t(kDibHeaderSize))
            entry.size.depth = GetLe16(look + 14);
    }
    return entries;
}

int32_t CheckIcoHeader(const uint8_t* h, bool* cursor)
{
    const uint32_t type = GetLe16(h + 2), count = GetLe16(h + 4);
    if ((type != 1 && type != 2) || count < 1 || count > kMaxDirEntries)
        Fail(kTextNotFound);
    *cursor = type == 2;
    return int32_t(count);
}

// Finds the "PE"/"NE" header of an "MZ" file; returns its offset from start.
int64_t LocateExeHeader(CReadCursor& in, int64_t start, bool* pe)
{
    in.SeekTo(start + kExeHeaderOffsetField);
    const int64_t offset = in.U32LE();
    if (offset <= kMinExeHeaderOffset)
        Fail(kTextNotFound);
    in.SeekTo(start + offset);
    uint8_t sig[4];
    in.Bytes(sig, 4);
    if (sig[0] == 'P' && sig[1] == 'E' && sig[2] == 0 && sig[3] == 0)
        *pe = true;
    else if (sig[0] == 'N' && sig[1] == 'E')
        *pe = false;
    else
        Fail(kTextNotFound);
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
    m_pStream = &stream;
    struct StreamReset {
        CIconReader* reader;
        ~StreamReset() { reader->m_pStream = nullptr; }
    } reset{this};
    const IconColours colours{m_crTransparent, m_crInverse};

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
        Fail(kTextNotFound);
    bool cursor = false;
    const uint32_t count = uint32_t(CheckIcoHeader(h, &cursor));
    if (group != 0)
        Fail(kTextNotFound);

    CReadCursor file(stream, FailFileRead, FailFormat);
    const std::vector<IcoEntry> entries = ReadDirectory(file, start, count, cursor);
    std::vector<IconCandidate> candidates;
    for (const IcoEntry& e : entries)
        candidates.push_back(e.size);
    const IcoEntry& chosen = entries[size_t(ChooseImage(candidates, selector))];
    if (!IsIconDepth(chosen.size.depth))
        Fail(kTextColour);
    if (chosen.bytes > kIconMaxEntryBytes)
        Fail(kTextFormat);
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
    int64_t counts[256] = {};
    for (uint32_t y = 0; y < image.m_nHeight; ++y) {
        const uint8_t* row = image.RowAt(int(y));
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            ++counts[row[x]];
    }
    if (!counts[255] && !counts[254])
        return;
    RGBQUAD* pal = image.m_pPalette;
    // The least-used slot in 16..253 below the marker's own count; the
    // higher index stays on equal counts.
    auto leastUsed = [&](int marker, int other) {
        int slot = marker;
        int64_t best = counts[marker];
        for (int i = 253; i >= 16; --i)
            if (i != other && counts[i] < best) {
                best = counts[i];
                slot = i;
            }
        return slot;
    };
    auto nearest = [&](int slot, int l, int m) {
        int found = -1;
        int64_t best = INT64_MAX;
        for (int i = 253; i >= 0; --i) {
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
    const int l = counts[255] ? leastUsed(255, -1) : 255;
    const int m = counts[254] ? leastUsed(254, l) : 254;
    const int lNear = counts[l] ? nearest(l, l, m) : l;
    const int mNear = counts[m] ? nearest(m, l, m) : m;
    std::swap(pal[255], pal[l]);
    std::swap(pal[254], pal[m]);
    uint8_t map[256];
    for (int i = 0; i < 256; ++i)
        map[i] = uint8_t(i);
    map[255] = uint8_t(l == 255 ? lNear : l);
    if (l != 255)
        map[l] = uint8_t(lNear);
    map[254] = uint8_t(m == 254 ? mNear : m);
    if (m != 254)
        map[m] = uint8_t(mNear);
    for (uint32_t y = 0; y < image.m_nHeight; ++y) {
        uint8_t* row = image.RowAt(int(y));
        for (uint32_t x = 0; x < image.m_nWidth; ++x)
            row[x] = map[row[x]];
    }
}
