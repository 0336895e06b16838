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

    // ---- Lines ----------------------------------------------------------------
    // Lines step along their major axis with a Bresenham error term; clipping
    // skips the steps before the image arithmetically. False when the line
    // lies wholly outside on its minor axis or is clipped away on its major.
    bool DrawLine(int x1, int y1, int x2, int y2, uint32_t value);
    // The end point is plotted only when last is non-zero; PlotSoft becomes
    // PlotPixel at 8 bits or fewer and PlotSoftAlpha at 32 bits.
    bool DrawLineWithPlot(int x1, int y1, int x2, int y2, uint32_t colour, PixelPlotFn plot, int last);
    // The plot gets each pixel's row pointer and clips: the line may start two
    // pixels before the image on its major axis and leave it on its minor.
    bool DrawLineWithRowPlot(int x1, int y1, int x2, int y2, uint32_t colour, RowPlotFn plot, int last);
    // Anti-aliased on images deeper than 8 bits unless horizontal or
    // vertical; otherwise DrawLine with both end points.
    bool DrawLineSmooth(int x1, int y1, int x2, int y2, uint32_t colour, int last);
    // Rectangle outlines; a negative width or height extends left or up.
    bool DrawRect(int x, int y, int width, int height, uint32_t value);
    bool DrawRectWithPlot(int x, int y, int width, int height, uint32_t colour, PixelPlotFn plot);

    // ---- Text -----------------------------------------------------------------
    // Bitmap-font text (graphics/font.h). The font blob is referenced, not owned.
    static constexpr int MEASURE_ONLY = int(0xBCDEFFFF);  // DrawText's y: measure, draw nothing
    void SetFont(const uint8_t* font);
    void SetTextSpacing(int32_t spacing);
    // which 0: the plot and colour of the glyphs' 0-bits, else of the 1-bits;
    // a null plot leaves that kind of bit undrawn.
    void SetTextColor(PixelPlotFn plot, uint32_t colour, int which);
    // Width of the text in pixels; text is NUL-terminated code page 1252.
    int DrawText(int x, int y, const char* text);
    void DrawGlyph(int x, int y, const uint8_t* glyph);
    void FillTextBackground(int x, int y, int width, int height, PixelPlotFn plot);

    // ---- Shapes ---------------------------------------------------------------
    // Angles in 1/131072 turn (graphics/fixed_trig.h), increasing clockwise on
    // the screen. Arcs run from start to end, the ellipse rotated by rotation.
    bool DrawArc(int cx, int cy, int rx, int ry, uint32_t colour, int32_t start, int32_t end, int32_t rotation);
    bool DrawArcWithPlot(int cx, int cy, int rx, int ry, uint32_t colour, PixelPlotFn plot, int32_t start,
                         int32_t end, int32_t rotation, int last);
    bool DrawArcSmooth(int cx, int cy, int rx, int ry, uint32_t colour, int32_t start, int32_t end,
                       int32_t rotation);
    // Filled ellipse flags: rx, ry as the full width and height instead of
    // radii; x as the left or right edge instead of the centre; y as the top
    // or bottom row instead of the centre.
    static constexpr uint32_t ELLIPSE_FULL_SIZE = 0x01;
    static constexpr uint32_t ELLIPSE_X_LEFT = 0x04;
    static constexpr uint32_t ELLIPSE_X_RIGHT = 0x08;
    static constexpr uint32_t ELLIPSE_Y_TOP = 0x10;
    static constexpr uint32_t ELLIPSE_Y_BOTTOM = 0x20;
    bool FillEllipse(int x, int y, int rx, int ry, uint32_t colour, uint32_t flags);
    bool FillEllipseWithPlot(int x, int y, int rx, int ry, uint32_t colour, RowPlotFn plot, uint32_t flags);
    bool FillEllipseSmooth(int x, int y, int rx, int ry, uint32_t colour, uint32_t flags);
    // points: three x, y pairs.
    bool FillTriangle(const int32_t* points, uint32_t colour);
    bool FillTriangleWithPlot(const int32_t* points, uint32_t colour, RowPlotFn plot);
    // points: count x, y pairs of a closed outline, filled even-odd.
    static constexpr int MAX_POLYGON_POINTS = 64;
    bool FillPolygon(const int32_t* points, int count, uint32_t colour);
    bool FillPolygonWithPlot(const int32_t* points, int count, uint32_t colour, RowPlotFn plot);
    // 4-connected fills. FloodFillEx fills where test answers the reference
    // (-1: test's answer at the seed), plotting each pixel once.
    typedef uint32_t (*FloodTestFn)(CGraphicsImage* image, uint8_t* row, int x, int y);
    static constexpr uint32_t FLOOD_SEED_REFERENCE = 0xFFFFFFFF;
    bool FloodFill(int x, int y, uint32_t colour);
    bool FloodFillEx(int x, int y, uint32_t colour, RowPlotFn plot, FloodTestFn test, uint32_t reference);

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

    // ---- Depth conversion, scaling and grey images ------------------------
    // Each makes this image from a source, which may be this image itself,
    // and answers false with this image empty when the source has no pixels
    // or a width or height of 0.
    static constexpr uint32_t RESIZE_SMOOTH = 1;  // average the covered source area
    static constexpr uint32_t RESIZE_TO_32 = 2;   // 32-bit result

    // True-colour copy at bits (0 means 24; 12 or more): every pixel's colour,
    // palette sources through their palette (all four bytes).
    bool ConvertFrom(const CGraphicsImage& source, uint32_t bits);
    // Nearest colour by ColorDistance, the first of equals winning. spec: the
    // colour count in bits 0-23 and the depth (1, 2, 4 or 8) in bits 24-31,
    // 0 for either meaning "derive it". palette: the colours to match, or null
    // for this image's own palette (the default one of the depth when this
    // image has none). The matched colours become the result's palette.
    bool MapToPalette(const CGraphicsImage& source, uint32_t spec, const uint32_t* palette);
    // Nearest pixel, or with RESIZE_SMOOTH the average of the covered source
    // area in 1/256 pixel, truncated. The result is 32-bit with RESIZE_TO_32
    // or a 32-bit source, else 24-bit when smooth, else the source's depth. A
    // smooth 32-bit result averages the fourth byte when the source's
    // GetAlphaMode is 2 and otherwise gives every pixel the source's uniform
    // fourth byte (0 in mode 0, 255 in mode 1). Sizes of 0 answer false.
    bool Resize(const CGraphicsImage& source, uint32_t width, uint32_t height, uint32_t flags);
    // Grey g = (76 R + 152 G + 29 B) >> 8. MakeGrey greys the pixels of a
    // true-colour image and the palette of a palette image.
    bool GreyCopy(const CGraphicsImage& source);
    bool MakeGrey();
    // 8-bit image of grey indices over a grey ramp palette.
    bool GreyFrom(const CGraphicsImage& source);
    // 1-bit image: 1 where 76 R + 152 G + 29 B exceeds 32767.
    bool ThresholdFrom(const CGraphicsImage& source);
    // 32-bit image of one colour (a COLORREF) whose fourth byte comes from
    // the 8-bit source: mode 0 the index, 1 255 - index, 2 the blue byte of
    // the index's palette entry, 3 255 minus that byte.
    bool CreateAlphaMask(const CGraphicsImage& source, uint32_t mode, COLORREF colour);
    // 3 x 3 weighted smoothing into a true-colour image of the given depth;
    // the centre weighs max(strength & 255, 11) - 11.
    bool SmoothFrom(const CGraphicsImage& source, uint32_t strength, uint32_t bits);

    // ---- Pixel utilities, palette compaction and transforms ---------------
    // The fourth byte of 32-bit pixels (palette entries at 1 to 8 bits) is
    // alpha here.
    bool HasAlpha() const;
    bool SetAlpha(uint8_t value);
    // 0 all alpha bytes 0 (and every depth without alpha), 1 all 255, 2 mixed.
    uint32_t GetAlphaMode() const;
    // Composes every pixel with alpha below 255 onto the 0x00RRGGBB
    // background and makes it opaque; 32-bit images only.
    bool FlattenAlpha(uint32_t background);
    // Pixels per metre of the header; false (and 0, 0) for an empty image.
    bool GetResolution(int32_t* x, int32_t* y) const;
    bool SetResolution(int32_t x, int32_t y);
    // 8-bit images: merges duplicate palette entries and moves the used
    // entries down into unused slots, rewriting the pixels.
    bool CompactPalette();
    // Moves a rectangle (a negative width or height extends left or up from
    // x, y) to to x, to y inside this image, clipped at both ends.
    bool MoveRect(int x, int y, int width, int height, int toX, int toY);
    static constexpr uint32_t ROTATE_NEAREST = 1;         // no bilinear blend
    static constexpr uint32_t ROTATE_QUARTER_PIXELS = 2;  // pivot in 1/4 pixel
    static constexpr uint32_t ROTATE_MAX_SOURCE = 4096;
    static constexpr uint32_t ROTATE_MAX_RESULT = 8192;
    // This image becomes the source rotated by angle (1/131072 turn, positive
    // counter-clockwise) about the pivot, on the background; the pivot then
    // receives its position in the result.
    bool RotateFrom(const CGraphicsImage& source, int32_t angle, uint32_t flags, int32_t* pivotX, int32_t* pivotY,
                    uint32_t background);

    // ---- Colour quantizer, DIBs, clipboard and GDI bitmaps ------------------
    // Median cut to an 8-bit image of at most 256 colours (palette sources
    // keep their indices). False with this image empty when the source has no
    // pixels, the progress callback cancels or memory runs out; the split
    // step's internal errors are thrown as EGraphicsException.
    bool QuantizeFrom(const CGraphicsImage& source);
    // An uncompressed bottom-up DIB (BI_RGB, or BI_BITFIELDS with 5-5-5,
    // 5-6-5 or 8-8-8 masks); 16-bit BI_RGB is 5-5-5. colours: the table (or
    // the three masks of a 40-byte bit-field header) after the header.
    bool CreateFromDIB(const BITMAPINFOHEADER* header, const void* bits, const RGBQUAD* colours);
    // A DIB in one block: header, masks, colour table, pixels.
    bool CreateFromPackedDIB(const BITMAPINFO* info);
#ifdef _WIN32
    static constexpr uint32_t PASTE_KEEP_ALPHA = 1;  // keep the fourth bytes of a 32-bit DIB
    bool CopyToClipboard(HWND window) const;
    bool PasteFromClipboard(HWND window, uint32_t flags);
    HBITMAP CreateDDB(HWND window) const;
    bool CreateFromBitmap(HWND window, HBITMAP bitmap);
    // module null: the program's own.
    bool LoadBitmapResource(const char* name, HINSTANCE module);
#endif

    // Row y of the picture, 0 at the top.
    uint8_t* RowAt(int y) const { return m_pRow0 - ptrdiff_t(y) * ptrdiff_t(m_nStride); }
    BITMAPINFOHEADER* Header() const { return reinterpret_cast<BITMAPINFOHEADER*>(m_pBitmapInfo); }

    // Quantizer work buffers (freed by Clear with every histogram node).
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
    uint32_t m_dashPattern;
    uint32_t m_dotPattern;
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
    // Quantizer steps (graphics/image_quantize.cpp).
    void BuildHistogram(const CGraphicsImage& source);
    bool SplitBox(int depth, int tries, uint32_t box, int channel);
    int WidestChannel(uint32_t box) const;
    void SetBoxPalette();
    void MapPixelsToBoxes(const CGraphicsImage& source);
    void InstallEmptyFunctions();
    void FillHeader();
};

// Exchange the first and third byte (red and blue) of count pixels.
void SwapRedBlue32(uint8_t* pixels, int count);
void SwapRedBlue24(uint8_t* pixels, int count);
// The same from one row into another (BGR to RGB and back); `from` may be
// `to` but must not overlap it otherwise.
void CopySwapRedBlue24(const uint8_t* from, uint8_t* to, int count);

// |Δred| + |Δgreen| + |Δblue| and Δred² + Δgreen² + Δblue² of two 0x00RRGGBB
// colours; the fourth byte never counts.
int32_t ColorDistance(uint32_t a, uint32_t b);
int32_t ColorDistanceSquared(uint32_t a, uint32_t b);
