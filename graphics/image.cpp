#include "graphics/image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "graphics/image_depths.h"
#include "graphics/pixel_access.h"

using graphics_detail::DepthInfo;

namespace {

constexpr LONG kPelsPerMeter = 4705;  // 120 dpi, what the system writes
constexpr uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};

constexpr uint32_t kVga16[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

void PutEntry(RGBQUAD* palette, uint32_t index, uint32_t value) { std::memcpy(&palette[index], &value, 4); }

void SetDefaultPalette(RGBQUAD* palette, uint32_t bits)
{
    switch (bits) {
    case 1:
        PutEntry(palette, 1, 0xFFFFFF);
        break;
    case 2:
        PutEntry(palette, 1, 0x008000);
        PutEntry(palette, 2, 0x800000);
        PutEntry(palette, 3, 0xFFFFFF);
        break;
    case 4:
        for (uint32_t i = 0; i < 16; ++i)
            PutEntry(palette, i, kVga16[i]);
        break;
    case 8:
        // Three passes, the later overwriting the earlier where they overlap.
        for (uint32_t i = 128; i < 256; ++i) {
            const uint32_t r = ((i >> 5) & 3) * 64 + 32, g = ((i >> 2) & 7) * 32 + 16, b = (i & 3) * 64 + 32;
            PutEntry(palette, i, (r << 16) | (g << 8) | b);
        }
        for (uint32_t i = 0; i < 16; ++i)
            PutEntry(palette, i, kVga16[i]);
        for (uint32_t i = 16; i < 32; ++i) {
            const uint32_t v = (i * 16) & 255;
            PutEntry(palette, i, (v << 16) | (v << 8) | v);
        }
        for (uint32_t i = 32; i < 248; ++i) {
            const uint32_t r = ((i / 36) % 6) * 43 + 20, g = ((i / 6) % 6) * 43 + 20, b = (i % 6) * 43 + 20;
            PutEntry(palette, i, (r << 16) | (g << 8) | b);
        }
        break;
    default:
        break;
    }
}

void Install(CGraphicsImage& image, const DepthInfo& d)
{
    image.m_pfnRowTo8 = d.rowTo8;
    image.m_pfnRowTo24 = d.rowTo24;
    image.m_pfnRowTo32 = d.rowTo32;
    image.m_pfnRowCopyTo8 = d.rowCopyTo8;
    image.m_pfnRowCopyTo24 = d.rowCopyTo24;
    image.m_pfnRowCopyTo32 = d.rowCopyTo32;
    image.m_pfnGetPixel = d.getPixel;
    image.m_pfnSetPixel = d.setPixel;
    image.m_pfnColorToPixel = d.colorToPixel;
}

// The largest block this process can address as one object.
constexpr uint64_t kMaxBlock = uint64_t(PTRDIFF_MAX) < uint64_t(SIZE_MAX) ? uint64_t(PTRDIFF_MAX) : uint64_t(SIZE_MAX);

}  // namespace

CGraphicsImage::CGraphicsImage()
    : m_pQuantHistogram(nullptr), m_pQuantBoxes(nullptr), m_pFont(nullptr), m_nQuantBoxCount(0),
      m_nFontHeaderSize(0), m_nFontFlags(0), m_nFirstChar(0), m_nLastChar(0), m_nTextAlign(0), m_nTextVAlign(0),
      m_nTextYOffset(0), m_nFontSpacing(0), m_nFontNominalSpacing(1), m_nFontBaseline(0), m_nCharSpacing(0),
      m_nRequestedSpacing(int32_t(DEFAULT_SPACING)), m_crText0(0), m_crText1(0), m_pfnText0(nullptr),
      m_pfnText1(nullptr), m_nError(0), m_pBitmapInfo(nullptr), m_pSpareRow(nullptr), m_pBlock(nullptr),
      m_pBits(nullptr), m_pRow0(nullptr), m_nWidth(0), m_nHeight(0), m_nImageSize(0), m_nBitCount(0), m_nStride(0),
      m_nSubMask(0), m_nDepthPattern(0), m_nUnitBytes(0), m_nPixelMask(0), m_nDepthBit(0), m_nUnitShift(0),
      m_bTrueColor(0), m_nPaletteSize(0), m_nSignificantBits(0), m_bForeignBits(0), m_dashPattern(DASH_PATTERN),
      m_dotPattern(DOT_PATTERN), m_pPalette(nullptr), m_hDibSection(nullptr), m_pfnProgress(nullptr),
      m_pProgressContext(0)
{
    // The header block is the one allocation an image cannot do without;
    // running out of memory here is fatal as for any other object.
    m_pBitmapInfo = new uint8_t[BITMAPINFO_SIZE]();
    m_pPalette = reinterpret_cast<RGBQUAD*>(m_pBitmapInfo + sizeof(BITMAPINFOHEADER));
    Clear();
}

CGraphicsImage::CGraphicsImage(const CGraphicsImage& source) : CGraphicsImage() { Assign(source); }

CGraphicsImage& CGraphicsImage::operator=(const CGraphicsImage& source)
{
    Assign(source);
    return *this;
}

CGraphicsImage::~CGraphicsImage()
{
    Clear();
    delete[] m_pBitmapInfo;
}

void CGraphicsImage::InstallEmptyFunctions() { Install(*this, graphics_detail::kEmptyDepth); }

void CGraphicsImage::Clear()
{
    ReleaseQuantizer();
    if (m_bForeignBits)
        std::free(m_pSpareRow);
    else
        std::free(m_pBlock);
    if (m_hDibSection)
        DeleteObject(m_hDibSection);
    m_hDibSection = nullptr;
    InstallEmptyFunctions();
    m_pBlock = m_pBits = m_pRow0 = m_pSpareRow = nullptr;
    m_nWidth = m_nHeight = m_nImageSize = m_nBitCount = m_nPaletteSize = m_bForeignBits = 0;
    m_nError = 0;
    std::memset(m_pBitmapInfo, 0, BITMAPINFO_SIZE);
}

void CGraphicsImage::FillHeader()
{
    BITMAPINFOHEADER* h = Header();
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = LONG(m_nWidth);
    h->biHeight = LONG(m_nHeight);
    h->biPlanes = 1;
    h->biBitCount = WORD(m_nBitCount == 15 ? 16 : m_nBitCount);
    h->biCompression = (m_nBitCount == 15 || m_nBitCount == 16) ? BI_BITFIELDS : BI_RGB;
    h->biSizeImage = m_nImageSize;
    h->biXPelsPerMeter = kPelsPerMeter;
    h->biYPelsPerMeter = kPelsPerMeter;
    h->biClrUsed = m_nPaletteSize;
    h->biClrImportant = m_nPaletteSize;
    if (h->biCompression == BI_BITFIELDS) {
        const uint32_t* masks = m_nBitCount == 15 ? kMask555 : kMask565;
        std::memcpy(m_pPalette, masks, 12);
        PutEntry(m_pPalette, 3, 0);
    }
}

bool CGraphicsImage::Create(uint32_t bits, uint32_t width, uint32_t height, uint32_t fill, uintptr_t buffer)
{
    Clear();
    if (width > MAX_DIMENSION || height > MAX_DIMENSION) {
        m_nError = ERROR_SIZE;
        return false;
    }
    const DepthInfo* depth = graphics_detail::FindDepth(bits);
    // GDI makes no DIB sections at 2 or 12 bits.
    if (!depth || (buffer == DIB_SECTION && (bits == 2 || bits == 12))) {
        m_nError = ERROR_DEPTH;
        return false;
    }

    const uint64_t stride = graphics_detail::StrideFor(bits, width);
    const uint64_t imageSize = stride * height;
    const uint64_t spareSize = std::max<uint64_t>(stride, 4 * uint64_t(width)) + 8;
    // Alignment slack, pixels, one stride of slack, then the spare row.
    const uint64_t blockSize = 3 + imageSize + stride + 4 * uint64_t(width) + 8;
    if (imageSize > UINT32_MAX || blockSize > kMaxBlock) {
        m_nError = ERROR_SIZE;
        return false;
    }

    Install(*this, *depth);
    m_nSignificantBits = depth->significantBits;
    m_nSubMask = depth->subMask;
    m_nDepthPattern = depth->depthPattern;
    m_nUnitBytes = depth->unitBytes;
    m_nUnitShift = depth->unitShift;
    m_bTrueColor = bits >= 12 ? 1 : 0;
    m_nPaletteSize = bits >= 12 ? 0 : std::min<uint32_t>(1u << bits, 256);
    m_nStride = uint32_t(stride);
    m_nImageSize = uint32_t(imageSize);

    if (buffer == OWN_MEMORY) {
        m_bForeignBits = 0;
        m_pBlock = static_cast<uint8_t*>(std::malloc(size_t(blockSize)));
        if (!m_pBlock) {
            Clear();
            m_nError = ERROR_MEMORY;
            return false;
        }
        const uintptr_t aligned = (reinterpret_cast<uintptr_t>(m_pBlock) + 3) & ~uintptr_t(3);
        m_pBits = m_pBlock + (aligned - reinterpret_cast<uintptr_t>(m_pBlock));
        m_pSpareRow = m_pBits + stride + imageSize;
    } else {
        m_bForeignBits = 1;
        m_pSpareRow = static_cast<uint8_t*>(std::malloc(size_t(spareSize)));
        if (!m_pSpareRow) {
            Clear();
            m_nError = ERROR_MEMORY;
            return false;
        }
        if (buffer != DIB_SECTION)
            m_pBlock = m_pBits = reinterpret_cast<uint8_t*>(buffer);
    }

    m_nBitCount = bits;
    m_nWidth = width;
    m_nHeight = height;
    m_nPixelMask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    m_nDepthBit = 1u << (bits - 1);
    SetDefaultPalette(m_pPalette, bits);
    FillHeader();

    if (buffer == DIB_SECTION) {
        HDC dc = GetDC(nullptr);
        void* dibBits = nullptr;
        m_hDibSection = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(m_pBitmapInfo), DIB_RGB_COLORS,
                                         &dibBits, nullptr, 0);
        ReleaseDC(nullptr, dc);
        if (!m_hDibSection || !dibBits) {
            Clear();
            m_nError = ERROR_MEMORY;
            return false;
        }
        m_pBlock = m_pBits = static_cast<uint8_t*>(dibBits);
    }
    // Height 0 keeps row 0 at the start of the pixels rather than before them.
    m_pRow0 = height ? m_pBits + ptrdiff_t(height - 1) * ptrdiff_t(stride) : m_pBits;

    if (fill != NO_FILL) {
        if (fill == 0 || bits == 8)
            std::memset(m_pBits, int(fill & 0xFF), m_nImageSize);
        else
            FillRect(0, 0, int(width), int(height), fill);
    }
    return true;
}

bool CGraphicsImage::Free()
{
    const bool had = m_pBits && m_nWidth && m_nHeight;
    Clear();
    return had;
}

bool CGraphicsImage::Assign(const CGraphicsImage& source)
{
    if (&source == this)
        return m_pBits != nullptr;
    Clear();
    m_pfnProgress = source.m_pfnProgress;
    m_pProgressContext = source.m_pProgressContext;
    if (!source.m_pBits) {
        m_nError = ERROR_DEPTH;
        return false;
    }
    if (!Create(source.m_nBitCount, source.m_nWidth, source.m_nHeight, NO_FILL, OWN_MEMORY))
        return false;
    std::memcpy(m_pBitmapInfo, source.m_pBitmapInfo, BITMAPINFO_SIZE);
    std::memcpy(m_pBits, source.m_pBits, m_nImageSize);
    return true;
}

// The field order is a contract other code reads directly: each field lies
// right behind the one declared before it (at its alignment), the first
// behind the vtable pointer, the last at the end. A field added, moved or
// resized breaks a line here, and Swap may exchange the block as a whole.
namespace {

constexpr bool Follows(size_t previous, size_t previousSize, size_t offset, size_t align)
{
    return offset == (previous + previousSize + align - 1) / align * align;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"  // polymorphic, but laid out by the one ABI of each build
static_assert(offsetof(CGraphicsImage, m_pQuantHistogram) == sizeof(void*));  // behind the vtable pointer
static_assert(Follows(offsetof(CGraphicsImage, m_pQuantHistogram), sizeof(CGraphicsImage::m_pQuantHistogram), offsetof(CGraphicsImage, m_pQuantBoxes),
                      alignof(decltype(CGraphicsImage::m_pQuantBoxes))));
static_assert(Follows(offsetof(CGraphicsImage, m_pQuantBoxes), sizeof(CGraphicsImage::m_pQuantBoxes), offsetof(CGraphicsImage, m_pFont),
                      alignof(decltype(CGraphicsImage::m_pFont))));
static_assert(Follows(offsetof(CGraphicsImage, m_pFont), sizeof(CGraphicsImage::m_pFont), offsetof(CGraphicsImage, m_nQuantBoxCount),
                      alignof(decltype(CGraphicsImage::m_nQuantBoxCount))));
static_assert(Follows(offsetof(CGraphicsImage, m_nQuantBoxCount), sizeof(CGraphicsImage::m_nQuantBoxCount), offsetof(CGraphicsImage, m_nFontHeaderSize),
                      alignof(decltype(CGraphicsImage::m_nFontHeaderSize))));
static_assert(Follows(offsetof(CGraphicsImage, m_nFontHeaderSize), sizeof(CGraphicsImage::m_nFontHeaderSize), offsetof(CGraphicsImage, m_nFontFlags),
                      alignof(decltype(CGraphicsImage::m_nFontFlags))));
static_assert(Follows(offsetof(CGraphicsImage, m_nFontFlags), sizeof(CGraphicsImage::m_nFontFlags), offsetof(CGraphicsImage, m_nFirstChar),
                      alignof(decltype(CGraphicsImage::m_nFirstChar))));
static_assert(Follows(offsetof(CGraphicsImage, m_nFirstChar), sizeof(CGraphicsImage::m_nFirstChar), offsetof(CGraphicsImage, m_nLastChar),
                      alignof(decltype(CGraphicsImage::m_nLastChar))));
static_assert(Follows(offsetof(CGraphicsImage, m_nLastChar), sizeof(CGraphicsImage::m_nLastChar), offsetof(CGraphicsImage, m_nTextAlign),
                      alignof(decltype(CGraphicsImage::m_nTextAlign))));
static_assert(Follows(offsetof(CGraphicsImage, m_nTextAlign), sizeof(CGraphicsImage::m_nTextAlign), offsetof(CGraphicsImage, m_nTextVAlign),
                      alignof(decltype(CGraphicsImage::m_nTextVAlign))));
static_assert(Follows(offsetof(CGraphicsImage, m_nTextVAlign), sizeof(CGraphicsImage::m_nTextVAlign), offsetof(CGraphicsImage, m_nTextYOffset),
                      alignof(decltype(CGraphicsImage::m_nTextYOffset))));
static_assert(Follows(offsetof(CGraphicsImage, m_nTextYOffset), sizeof(CGraphicsImage::m_nTextYOffset), offsetof(CGraphicsImage, m_nFontSpacing),
                      alignof(decltype(CGraphicsImage::m_nFontSpacing))));
static_assert(Follows(offsetof(CGraphicsImage, m_nFontSpacing), sizeof(CGraphicsImage::m_nFontSpacing), offsetof(CGraphicsImage, m_nFontNominalSpacing),
                      alignof(decltype(CGraphicsImage::m_nFontNominalSpacing))));
static_assert(Follows(offsetof(CGraphicsImage, m_nFontNominalSpacing), sizeof(CGraphicsImage::m_nFontNominalSpacing), offsetof(CGraphicsImage, m_nFontBaseline),
                      alignof(decltype(CGraphicsImage::m_nFontBaseline))));
static_assert(Follows(offsetof(CGraphicsImage, m_nFontBaseline), sizeof(CGraphicsImage::m_nFontBaseline), offsetof(CGraphicsImage, m_nCharSpacing),
                      alignof(decltype(CGraphicsImage::m_nCharSpacing))));
static_assert(Follows(offsetof(CGraphicsImage, m_nCharSpacing), sizeof(CGraphicsImage::m_nCharSpacing), offsetof(CGraphicsImage, m_nRequestedSpacing),
                      alignof(decltype(CGraphicsImage::m_nRequestedSpacing))));
static_assert(Follows(offsetof(CGraphicsImage, m_nRequestedSpacing), sizeof(CGraphicsImage::m_nRequestedSpacing), offsetof(CGraphicsImage, m_crText0),
                      alignof(decltype(CGraphicsImage::m_crText0))));
static_assert(Follows(offsetof(CGraphicsImage, m_crText0), sizeof(CGraphicsImage::m_crText0), offsetof(CGraphicsImage, m_crText1),
                      alignof(decltype(CGraphicsImage::m_crText1))));
static_assert(Follows(offsetof(CGraphicsImage, m_crText1), sizeof(CGraphicsImage::m_crText1), offsetof(CGraphicsImage, m_pfnText0),
                      alignof(decltype(CGraphicsImage::m_pfnText0))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnText0), sizeof(CGraphicsImage::m_pfnText0), offsetof(CGraphicsImage, m_pfnText1),
                      alignof(decltype(CGraphicsImage::m_pfnText1))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnText1), sizeof(CGraphicsImage::m_pfnText1), offsetof(CGraphicsImage, m_nError),
                      alignof(decltype(CGraphicsImage::m_nError))));
static_assert(Follows(offsetof(CGraphicsImage, m_nError), sizeof(CGraphicsImage::m_nError), offsetof(CGraphicsImage, m_pBitmapInfo),
                      alignof(decltype(CGraphicsImage::m_pBitmapInfo))));
static_assert(Follows(offsetof(CGraphicsImage, m_pBitmapInfo), sizeof(CGraphicsImage::m_pBitmapInfo), offsetof(CGraphicsImage, m_pSpareRow),
                      alignof(decltype(CGraphicsImage::m_pSpareRow))));
static_assert(Follows(offsetof(CGraphicsImage, m_pSpareRow), sizeof(CGraphicsImage::m_pSpareRow), offsetof(CGraphicsImage, m_pBlock),
                      alignof(decltype(CGraphicsImage::m_pBlock))));
static_assert(Follows(offsetof(CGraphicsImage, m_pBlock), sizeof(CGraphicsImage::m_pBlock), offsetof(CGraphicsImage, m_pBits),
                      alignof(decltype(CGraphicsImage::m_pBits))));
static_assert(Follows(offsetof(CGraphicsImage, m_pBits), sizeof(CGraphicsImage::m_pBits), offsetof(CGraphicsImage, m_pRow0),
                      alignof(decltype(CGraphicsImage::m_pRow0))));
static_assert(Follows(offsetof(CGraphicsImage, m_pRow0), sizeof(CGraphicsImage::m_pRow0), offsetof(CGraphicsImage, m_nWidth),
                      alignof(decltype(CGraphicsImage::m_nWidth))));
static_assert(Follows(offsetof(CGraphicsImage, m_nWidth), sizeof(CGraphicsImage::m_nWidth), offsetof(CGraphicsImage, m_nHeight),
                      alignof(decltype(CGraphicsImage::m_nHeight))));
static_assert(Follows(offsetof(CGraphicsImage, m_nHeight), sizeof(CGraphicsImage::m_nHeight), offsetof(CGraphicsImage, m_nImageSize),
                      alignof(decltype(CGraphicsImage::m_nImageSize))));
static_assert(Follows(offsetof(CGraphicsImage, m_nImageSize), sizeof(CGraphicsImage::m_nImageSize), offsetof(CGraphicsImage, m_nBitCount),
                      alignof(decltype(CGraphicsImage::m_nBitCount))));
static_assert(Follows(offsetof(CGraphicsImage, m_nBitCount), sizeof(CGraphicsImage::m_nBitCount), offsetof(CGraphicsImage, m_nStride),
                      alignof(decltype(CGraphicsImage::m_nStride))));
static_assert(Follows(offsetof(CGraphicsImage, m_nStride), sizeof(CGraphicsImage::m_nStride), offsetof(CGraphicsImage, m_nSubMask),
                      alignof(decltype(CGraphicsImage::m_nSubMask))));
static_assert(Follows(offsetof(CGraphicsImage, m_nSubMask), sizeof(CGraphicsImage::m_nSubMask), offsetof(CGraphicsImage, m_nDepthPattern),
                      alignof(decltype(CGraphicsImage::m_nDepthPattern))));
static_assert(Follows(offsetof(CGraphicsImage, m_nDepthPattern), sizeof(CGraphicsImage::m_nDepthPattern), offsetof(CGraphicsImage, m_nUnitBytes),
                      alignof(decltype(CGraphicsImage::m_nUnitBytes))));
static_assert(Follows(offsetof(CGraphicsImage, m_nUnitBytes), sizeof(CGraphicsImage::m_nUnitBytes), offsetof(CGraphicsImage, m_nPixelMask),
                      alignof(decltype(CGraphicsImage::m_nPixelMask))));
static_assert(Follows(offsetof(CGraphicsImage, m_nPixelMask), sizeof(CGraphicsImage::m_nPixelMask), offsetof(CGraphicsImage, m_nDepthBit),
                      alignof(decltype(CGraphicsImage::m_nDepthBit))));
static_assert(Follows(offsetof(CGraphicsImage, m_nDepthBit), sizeof(CGraphicsImage::m_nDepthBit), offsetof(CGraphicsImage, m_nUnitShift),
                      alignof(decltype(CGraphicsImage::m_nUnitShift))));
static_assert(Follows(offsetof(CGraphicsImage, m_nUnitShift), sizeof(CGraphicsImage::m_nUnitShift), offsetof(CGraphicsImage, m_bTrueColor),
                      alignof(decltype(CGraphicsImage::m_bTrueColor))));
static_assert(Follows(offsetof(CGraphicsImage, m_bTrueColor), sizeof(CGraphicsImage::m_bTrueColor), offsetof(CGraphicsImage, m_nPaletteSize),
                      alignof(decltype(CGraphicsImage::m_nPaletteSize))));
static_assert(Follows(offsetof(CGraphicsImage, m_nPaletteSize), sizeof(CGraphicsImage::m_nPaletteSize), offsetof(CGraphicsImage, m_nSignificantBits),
                      alignof(decltype(CGraphicsImage::m_nSignificantBits))));
static_assert(Follows(offsetof(CGraphicsImage, m_nSignificantBits), sizeof(CGraphicsImage::m_nSignificantBits), offsetof(CGraphicsImage, m_bForeignBits),
                      alignof(decltype(CGraphicsImage::m_bForeignBits))));
static_assert(Follows(offsetof(CGraphicsImage, m_bForeignBits), sizeof(CGraphicsImage::m_bForeignBits), offsetof(CGraphicsImage, m_dashPattern),
                      alignof(decltype(CGraphicsImage::m_dashPattern))));
static_assert(Follows(offsetof(CGraphicsImage, m_dashPattern), sizeof(CGraphicsImage::m_dashPattern), offsetof(CGraphicsImage, m_dotPattern),
                      alignof(decltype(CGraphicsImage::m_dotPattern))));
static_assert(Follows(offsetof(CGraphicsImage, m_dotPattern), sizeof(CGraphicsImage::m_dotPattern), offsetof(CGraphicsImage, m_pPalette),
                      alignof(decltype(CGraphicsImage::m_pPalette))));
static_assert(Follows(offsetof(CGraphicsImage, m_pPalette), sizeof(CGraphicsImage::m_pPalette), offsetof(CGraphicsImage, m_hDibSection),
                      alignof(decltype(CGraphicsImage::m_hDibSection))));
static_assert(Follows(offsetof(CGraphicsImage, m_hDibSection), sizeof(CGraphicsImage::m_hDibSection), offsetof(CGraphicsImage, m_pfnRowTo8),
                      alignof(decltype(CGraphicsImage::m_pfnRowTo8))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnRowTo8), sizeof(CGraphicsImage::m_pfnRowTo8), offsetof(CGraphicsImage, m_pfnRowTo24),
                      alignof(decltype(CGraphicsImage::m_pfnRowTo24))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnRowTo24), sizeof(CGraphicsImage::m_pfnRowTo24), offsetof(CGraphicsImage, m_pfnRowTo32),
                      alignof(decltype(CGraphicsImage::m_pfnRowTo32))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnRowTo32), sizeof(CGraphicsImage::m_pfnRowTo32), offsetof(CGraphicsImage, m_pfnRowCopyTo8),
                      alignof(decltype(CGraphicsImage::m_pfnRowCopyTo8))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnRowCopyTo8), sizeof(CGraphicsImage::m_pfnRowCopyTo8), offsetof(CGraphicsImage, m_pfnRowCopyTo24),
                      alignof(decltype(CGraphicsImage::m_pfnRowCopyTo24))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnRowCopyTo24), sizeof(CGraphicsImage::m_pfnRowCopyTo24), offsetof(CGraphicsImage, m_pfnRowCopyTo32),
                      alignof(decltype(CGraphicsImage::m_pfnRowCopyTo32))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnRowCopyTo32), sizeof(CGraphicsImage::m_pfnRowCopyTo32), offsetof(CGraphicsImage, m_pfnGetPixel),
                      alignof(decltype(CGraphicsImage::m_pfnGetPixel))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnGetPixel), sizeof(CGraphicsImage::m_pfnGetPixel), offsetof(CGraphicsImage, m_pfnSetPixel),
                      alignof(decltype(CGraphicsImage::m_pfnSetPixel))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnSetPixel), sizeof(CGraphicsImage::m_pfnSetPixel), offsetof(CGraphicsImage, m_pfnColorToPixel),
                      alignof(decltype(CGraphicsImage::m_pfnColorToPixel))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnColorToPixel), sizeof(CGraphicsImage::m_pfnColorToPixel), offsetof(CGraphicsImage, m_pfnProgress),
                      alignof(decltype(CGraphicsImage::m_pfnProgress))));
static_assert(Follows(offsetof(CGraphicsImage, m_pfnProgress), sizeof(CGraphicsImage::m_pfnProgress), offsetof(CGraphicsImage, m_pProgressContext),
                      alignof(decltype(CGraphicsImage::m_pProgressContext))));
static_assert(Follows(offsetof(CGraphicsImage, m_pProgressContext), sizeof(CGraphicsImage::m_pProgressContext), sizeof(CGraphicsImage),
                      alignof(CGraphicsImage)));
constexpr size_t kFieldsBegin = offsetof(CGraphicsImage, m_pQuantHistogram);
#pragma GCC diagnostic pop

}  // namespace

bool CGraphicsImage::Swap(CGraphicsImage& other)
{
    if (&other == this)
        return true;
    // Every field is a scalar in the block checked above.
    uint8_t* mine = reinterpret_cast<uint8_t*>(this) + kFieldsBegin;
    uint8_t* theirs = reinterpret_cast<uint8_t*>(&other) + kFieldsBegin;
    std::swap_ranges(mine, mine + (sizeof(CGraphicsImage) - kFieldsBegin), theirs);
    return true;
}

void CGraphicsImage::SetUserData(GraphicsProgressProc callback, uintptr_t context)
{
    m_pfnProgress = callback;
    m_pProgressContext = context;
}

void CGraphicsImage::ReportProgress(int percent, int a, int b)
{
    if (!m_pfnProgress)
        return;
    unsigned char cancel = 0;
    m_pfnProgress(this, m_pProgressContext, a, b, std::min(percent, 100), &cancel);
    if (cancel)
        throw 1;
}

void CGraphicsImage::SetPaletteEntry(uint32_t index, uint32_t value) { PutEntry(m_pPalette, index & 255, value); }

void CGraphicsImage::SetPaletteRGB(uint32_t index, uint8_t red, uint8_t green, uint8_t blue)
{
    RGBQUAD& e = m_pPalette[index & 255];
    e.rgbRed = red;
    e.rgbGreen = green;
    e.rgbBlue = blue;
}

void CGraphicsImage::SetPaletteRGBA(uint32_t index, uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth)
{
    RGBQUAD& e = m_pPalette[index & 255];
    e.rgbRed = red;
    e.rgbGreen = green;
    e.rgbBlue = blue;
    e.rgbReserved = fourth;
}

uint32_t CGraphicsImage::GetPaletteRGB(uint32_t index, uint8_t* red, uint8_t* green, uint8_t* blue) const
{
    uint8_t fourth;
    return GetPaletteRGBA(index, red, green, blue, &fourth);
}

uint32_t CGraphicsImage::GetPaletteRGBA(uint32_t index, uint8_t* red, uint8_t* green, uint8_t* blue,
                                        uint8_t* fourth) const
{
    const RGBQUAD& e = m_pPalette[index & 255];
    if (red)
        *red = e.rgbRed;
    if (green)
        *green = e.rgbGreen;
    if (blue)
        *blue = e.rgbBlue;
    if (fourth)
        *fourth = e.rgbReserved;
    uint32_t value;
    std::memcpy(&value, &e, 4);
    return value;
}

void SwapRedBlue32(uint8_t* pixels, int count)
{
    // Word arithmetic rather than byte swaps: the loop vectorises.
    for (int i = 0; i < count; ++i) {
        const uint32_t v = graphics_detail::Load32(pixels + 4 * i);
        graphics_detail::Store32(pixels + 4 * i, (v & 0xFF00FF00) | ((v >> 16) & 0xFF) | ((v & 0xFF) << 16));
    }
}

