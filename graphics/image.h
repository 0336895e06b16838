// CGraphicsImage: the graphics library's one in-memory image, a bottom-up DIB
// at 1, 2, 4, 8, 12, 15, 16, 24 or 32 bits per pixel. Format classes, drawing
// code and the canvas read its fields directly, so their order and meaning
// are a public contract.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/graphics_types.h"
#include "platform/win32/win.h"

class CGraphicsImage {
public:
    // Row conversion: (source row, image) -> converted row, which is either
    // the image's spare row or the source row itself.
    typedef uint8_t* (*RowFn)(const uint8_t* row, const CGraphicsImage* image);
    typedef uint32_t (*GetPixelFn)(const uint8_t* row, int x);
    typedef void (*SetPixelFn)(uint8_t* row, int x, uint32_t value);
    typedef uint32_t (*ColorToPixelFn)(uint32_t colour);

    static constexpr uint32_t NO_FILL = 0xBCDE7AF9;
    static constexpr uint32_t MAX_DIMENSION = 32768;
    static constexpr uint32_t BITMAPINFO_SIZE = 40 + 256 * 4;
    static constexpr uintptr_t OWN_MEMORY = 0;
    static constexpr uintptr_t DIB_SECTION = 1;

    enum Error : uint8_t { ERROR_NONE = 0, ERROR_SIZE = 1, ERROR_DEPTH = 2, ERROR_MEMORY = 3 };

    CGraphicsImage();
    CGraphicsImage(const CGraphicsImage& source);
    CGraphicsImage& operator=(const CGraphicsImage& source);
    virtual ~CGraphicsImage();

    void Clear();
    // buffer: OWN_MEMORY, DIB_SECTION, or the address of a caller's pixel
    // buffer of at least stride × height bytes, used in place, never freed.
    bool Create(uint32_t bits, uint32_t width, uint32_t height, uint32_t fill = NO_FILL, uintptr_t buffer = OWN_MEMORY);
    bool Free();
    bool Assign(const CGraphicsImage& source);
    bool Swap(CGraphicsImage& other);
    void SetUserData(GraphicsProgressProc callback, uintptr_t context);
    void ReportProgress(int percent, int a, int b);

    void SetPaletteEntry(uint32_t index, uint32_t value);
    void SetPaletteRGB(uint32_t index, uint8_t red, uint8_t green, uint8_t blue);
    void SetPaletteRGBA(uint32_t index, uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth);
    uint32_t GetPaletteRGB(uint32_t index, uint8_t* red, uint8_t* green, uint8_t* blue) const;
    uint32_t GetPaletteRGBA(uint32_t index, uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* fourth) const;

    // Grey row (76 R + 152 G + 29 B) >> 8 of each pixel through m_pfnGetPixel.
    static uint8_t* ConvertRowToGrey(const uint8_t* row, const CGraphicsImage* image);

    // Blits, blends and fills. Rectangles are x, y, width, height; a negative
    // width or height extends left or up.
    bool FillRect(int x, int y, int width, int height, uint32_t value);

    // DrawImage flags: a key colour in bits 0-23 (palette index or
    // 0x00RRGGBB, compared with the low 24 bits of pixel values), at most one
    // source test and at most one target test.
    static constexpr uint32_t BLIT_KEY_MASK = 0x00FFFFFF;
    static constexpr uint32_t BLIT_SOURCE_KEY = 0x01000000;       // skip source pixels equal to the key
    static constexpr uint32_t BLIT_SOURCE_BIT31 = 0x02000000;     // skip source pixels with bit 31 set
    static constexpr uint32_t BLIT_SOURCE_NO_BIT31 = 0x04000000;  // skip source pixels with bit 31 clear
    static constexpr uint32_t BLIT_SOURCE_BIT30 = 0x08000000;     // skip source pixels with bit 30 set
    static constexpr uint32_t BLIT_TARGET_KEY = 0x10000000;       // skip target pixels equal to the key
    static constexpr uint32_t BLIT_TARGET_BIT31 = 0x20000000;     // skip where the target has bit 31 set
    static constexpr uint32_t BLIT_TARGET_NO_BIT31 = 0x40000000;  // skip where the target has bit 31 clear
    static constexpr uint32_t BLIT_TARGET_BIT30 = 0x80000000;     // skip where the target has bit 30 set

    // Copies the whole source with its top-left corner at x, y, clipped.
    bool DrawImage(const CGraphicsImage& source, int x, int y, uint32_t flags = 0);
    // Composites the source at x, y by its alpha; this image 12 bits or deeper.
    bool BlendImage(const CGraphicsImage& source, int x, int y);
    // Makes this image the given rectangle of the source; outside parts are 0.
    bool CropFrom(const CGraphicsImage& source, int x, int y, int width, int height);
    bool FillRectAlpha(int x, int y, int width, int height, uint32_t colour, int alpha);
    bool FillRectWithPlot(int x, int y, int width, int height, uint32_t value, RowPlotFn plot);
    // 32-bit images: composite each pixel by its alpha onto a colour, or onto
    // a checkerboard of colour1/colour2 squares of 2^n pixels.
    bool FlattenAlphaRect(int x, int y, int width, int height, uint32_t colour);
    bool FlattenAlphaChecker(int x, int y, int width, int height, uint32_t colour1, uint32_t colour2, int n);

    // Row y of the picture, 0 at the top.
    uint8_t* RowAt(int y) const { return m_pRow0 - ptrdiff_t(y) * ptrdiff_t(m_nStride); }
    BITMAPINFOHEADER* Header() const { return reinterpret_cast<BITMAPINFOHEADER*>(m_pBitmapInfo); }

    // Quantizer work buffers (malloc'd; freed by Clear).
    void* m_pQuantHistogram;
    void* m_pQuantBoxes;
    // Text state.
    const uint8_t* m_pFont;
    uint32_t m_nQuantBoxCount;
    uint8_t m_nFontHeaderSize;
    uint8_t m_nFontFlags;
    uint16_t m_nFirstChar;
    uint16_t m_nLastChar;
    uint8_t m_nTextAlign;
    uint8_t m_nTextVAlign;
    int8_t m_nTextYOffset;
    int32_t m_nFontSpacing;
    int32_t m_nFontNominalSpacing;
    int32_t m_nFontBaseline;
    int32_t m_nCharSpacing;
    int32_t m_nRequestedSpacing;
    uint32_t m_crText0;
    uint32_t m_crText1;
    PixelPlotFn m_pfnText0;
    PixelPlotFn m_pfnText1;

    uint8_t m_nError;
    uint8_t* m_pBitmapInfo;
    uint8_t* m_pSpareRow;
    uint8_t* m_pBlock;
    uint8_t* m_pBits;
    uint8_t* m_pRow0;
    uint32_t m_nWidth;
    uint32_t m_nHeight;
    uint32_t m_nImageSize;
    uint32_t m_nBitCount;
    uint32_t m_nStride;
    uint32_t m_nSubMask;
    uint32_t m_nDepthPattern;
    uint32_t m_nUnitBytes;
    uint32_t m_nPixelMask;
    uint32_t m_nDepthBit;
    uint32_t m_nUnitShift;
    uint32_t m_bTrueColor;
    uint32_t m_nPaletteSize;
    uint32_t m_nSignificantBits;
    uint32_t m_bForeignBits;
    uint32_t m_nDashPattern;
    uint32_t m_nDotPattern;
    RGBQUAD* m_pPalette;
    HBITMAP m_hDibSection;
    RowFn m_pfnRowTo8;
    RowFn m_pfnRowTo24;
    RowFn m_pfnRowTo32;
    RowFn m_pfnRowCopyTo8;
    RowFn m_pfnRowCopyTo24;
    RowFn m_pfnRowCopyTo32;
    GetPixelFn m_pfnGetPixel;
    SetPixelFn m_pfnSetPixel;
    ColorToPixelFn m_pfnColorToPixel;
    GraphicsProgressProc m_pfnProgress;
    uintptr_t m_pProgressContext;

    static constexpr uint32_t DEFAULT_SPACING = 0xBCDEEEEE;
    static constexpr uint32_t DASH_PATTERN = 0xF0F0F0F0;
    static constexpr uint32_t DOT_PATTERN = 0xAAAAAAAA;

private:
    void ReleaseQuantizer();
    void InstallEmptyFunctions();
    void FillHeader();
};

// Exchange the first and third byte (red and blue) of count pixels.
void SwapRedBlue32(uint8_t* pixels, int count);
void SwapRedBlue24(uint8_t* pixels, int count);
