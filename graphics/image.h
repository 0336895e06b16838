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
