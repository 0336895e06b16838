// CreateFromDIB and CreateFromPackedDIB, and the bounded reading of packed
// DIBs from the clipboard. Sizes come from foreign headers: every offset is
// 64-bit and checked against the block before anything is allocated.
#include "graphics/image_dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "graphics/image_depths.h"
#include "graphics/image_convert_support.h"
#include "graphics/pixel_access.h"

using namespace graphics_detail;

namespace {

constexpr uint64_t kUnknownSize = std::numeric_limits<uint64_t>::max();
constexpr uint32_t kHeaderSize = sizeof(BITMAPINFOHEADER);  // 40
constexpr uint32_t kMaskBytes = 12;                           // red, green, blue
constexpr uint32_t kV2HeaderSize = kHeaderSize + kMaskBytes;  // the first header holding masks
// A block whose size the caller does not know gets no table longer than the
// palette: nothing could check where a longer one ends.
constexpr uint64_t kMaxTrustedEntries = 256;
constexpr uint32_t kAllColour = 0xFFFFFFFF;
constexpr uint32_t kNoFourthByte = 0x00FFFFFF;

struct MaskedDepth {
    uint16_t bitCount;
    uint32_t masks[3];
    uint32_t depth;
};
constexpr MaskedDepth kMaskedDepths[] = {
    {16, {0x7C00, 0x03E0, 0x001F}, 15},
    {16, {0xF800, 0x07E0, 0x001F}, 16},
    {32, {0xFF0000, 0x00FF00, 0x0000FF}, 32},
};

// The image depth that holds a DIB's pixels as they are; 0 for none.
uint32_t DibDepth(const BITMAPINFOHEADER& h, const uint32_t* masks)
{
    if (h.biCompression == BI_RGB) {
        switch (h.biBitCount) {
        case 1: case 2: case 4: case 8: case 24: case 32: return h.biBitCount;
        case 16: return 15;  // GDI's 16-bit BI_RGB is 5-5-5
        default: return 0;
        }
    }
    if (h.biCompression != BI_BITFIELDS || !masks)
        return 0;
    for (const MaskedDepth& m : kMaskedDepths)
        if (m.bitCount == h.biBitCount && std::equal(m.masks, m.masks + 3, masks))
            return m.depth;
    return 0;
}

uint64_t DibStride(uint64_t bitCount, int64_t width) { return ((bitCount * uint64_t(width) + 31) / 32) * 4; }

struct DibParts {
    BITMAPINFOHEADER header;
    uint32_t masks[3];
    bool hasMasks;
    const uint8_t* table;
    uint64_t entries;
    const uint8_t* bits;
    uint64_t bitsSize;
};

// Makes the image once the parts are known to lie in memory. fourthMask
// keeps or drops the table's fourth bytes.
bool MakeFromParts(CGraphicsImage& image, const DibParts& d, uint32_t fourthMask)
{
    image.Clear();
    const BITMAPINFOHEADER& h = d.header;
    // Top-down DIBs and other planes are not what the image holds.
    if (h.biPlanes != 1 || h.biWidth <= 0 || h.biHeight <= 0 || uint32_t(h.biWidth) > CGraphicsImage::MAX_DIMENSION ||
        uint32_t(h.biHeight) > CGraphicsImage::MAX_DIMENSION)
        return false;
    const uint32_t depth = DibDepth(h, d.hasMasks ? d.masks : nullptr);
    if (!depth || StrideFor(depth, uint32_t(h.biWidth)) * uint64_t(h.biHeight) > d.bitsSize)
        return false;
    if (!image.Create(depth, uint32_t(h.biWidth), uint32_t(h.biHeight), CGraphicsImage::NO_FILL))
        return false;
    std::memcpy(image.m_pBits, d.bits, image.m_nImageSize);
    if (depth <= 8 && d.table) {
        const uint64_t n = std::min<uint64_t>(d.entries, image.m_nPaletteSize);
        for (uint32_t i = 0; i < n; ++i)
            image.SetPaletteEntry(i, Load32(d.table + 4 * i) & fourthMask);
    }
    return true;
}

// Finds header, masks, table and pixels of a packed DIB of `size` bytes
// (kUnknownSize: the caller vouches for the block).
bool FindParts(const uint8_t* block, uint64_t size, DibParts& d)
{
    if (!block || size < kHeaderSize)
        return false;
    std::memcpy(&d.header, block, kHeaderSize);
    const BITMAPINFOHEADER& h = d.header;
    if (h.biSize < kHeaderSize || h.biSize > size)
        return false;
    uint64_t offset = h.biSize;
    d.hasMasks = h.biCompression == BI_BITFIELDS;
    if (d.hasMasks) {
        // Byte 40 either way: behind a plain header, inside any later one.
        if (h.biSize != kHeaderSize && h.biSize < kV2HeaderSize)
            return false;
        if (h.biSize == kHeaderSize)
            offset += kMaskBytes;
        if (offset > size)
            return false;
        std::memcpy(d.masks, block + kHeaderSize, kMaskBytes);
    }
    d.entries = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? uint64_t(1) << h.biBitCount : 0;
    if (size == kUnknownSize && d.entries > kMaxTrustedEntries)
        return false;
    d.table = block + offset;
    if (d.entries * 4 > size - offset)
        return false;
    offset += d.entries * 4;
    // Producers differ on whether masks follow a larger header too; a block
    // exactly that much longer than its pixels has them.
    const uint64_t pixels = DibStride(h.biBitCount, h.biWidth) * uint64_t(std::abs(int64_t(h.biHeight)));
    if (d.hasMasks && h.biSize > kHeaderSize && size != kUnknownSize && size - offset == pixels + kMaskBytes)
        offset += kMaskBytes;
    d.bits = block + offset;
    d.bitsSize = size - offset;
    return true;
}

}  // namespace

bool CGraphicsImage::CreateFromDIB(const BITMAPINFOHEADER* header, const void* bits, const RGBQUAD* colours)
{
    Clear();
    if (!header || !bits)
        return false;
    DibParts d{};
    d.header = *header;
    d.hasMasks = header->biCompression == BI_BITFIELDS;
    if (d.hasMasks) {
        const void* masks = header->biSize >= kV2HeaderSize ? static_cast<const void*>(header + 1) : colours;
        if (!masks)
            return false;
        std::memcpy(d.masks, masks, kMaskBytes);
    }
    d.table = reinterpret_cast<const uint8_t*>(colours);
    d.entries = header->biBitCount <= 8 ? uint64_t(1) << header->biBitCount : 0;
    if (header->biClrUsed)
        d.entries = std::min<uint64_t>(d.entries, header->biClrUsed);
    d.bits = static_cast<const uint8_t*>(bits);
    // biSizeImage may be 0 for uncompressed pixels: then they fill the rows.
    d.bitsSize = header->biSizeImage ? header->biSizeImage : kUnknownSize;
    return MakeFromParts(*this, d, kAllColour);
}

bool CGraphicsImage::CreateFromPackedDIB(const BITMAPINFO* info)
{
    DibParts d{};
    if (!FindParts(reinterpret_cast<const uint8_t*>(info), kUnknownSize, d)) {
        Clear();
        return false;
    }
    const RGBQUAD* colours = reinterpret_cast<const RGBQUAD*>(d.table);
    if (d.hasMasks && d.header.biSize == kHeaderSize)
        colours = reinterpret_cast<const RGBQUAD*>(d.table - kMaskBytes);  // CreateFromDIB reads the masks there
    return CreateFromDIB(&d.header, d.bits, colours);
}

namespace graphics_detail {

bool CreateFromClipboardDib(CGraphicsImage& image, const uint8_t* block, uint64_t size, bool keepAlpha)
{
    DibParts d{};
    if (!FindParts(block, size, d)) {
        image.Clear();
        return false;
    }
    if (!MakeFromParts(image, d, kNoFourthByte))
        return false;
    if (image.m_nBitCount == 32 && !keepAlpha)
        for (uint32_t i = 3; i < image.m_nImageSize; i += 4)
            image.m_pBits[i] = 0;
    return true;
}

const CGraphicsImage* GdiCompatible(const CGraphicsImage& image, CGraphicsImage& scratch)
{
    if (image.m_nBitCount == 12)
        return scratch.ConvertFrom(image, 24) ? &scratch : nullptr;
    if (image.m_nBitCount != 2)
        return &image;
    if (!scratch.Create(4, image.m_nWidth, image.m_nHeight, 0))
        return nullptr;
    for (uint32_t i = 0; i < 4; ++i)
        scratch.SetPaletteEntry(i, image.GetPaletteRGBA(i, nullptr, nullptr, nullptr, nullptr));
    return scratch.DrawImage(image, 0, 0, 0) ? &scratch : nullptr;
}

}  // namespace graphics_detail
