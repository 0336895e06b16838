#include "ui/utils/sys_color_dib.h"

#include "system/heap_dib.h"

namespace {

constexpr uint32_t kInfoHeaderSize = 40;

struct Layout {
    uint8_t* palette;  // RGBQUADs
    uint32_t colours;
    uint8_t* bits;
    int bytesPerPixel;  // 3 or 4; 0: palette only
    uint32_t width;
    uint32_t height;
    size_t stride;
};

bool LayoutOf(BITMAPINFOHEADER* dib, Layout& layout)
{
    if (SysColorDibSize(dib) == 0)
        return false;
    const uint32_t bits = dib->biBitCount;
    layout.palette = reinterpret_cast<uint8_t*>(dib) + kInfoHeaderSize;
    layout.colours = bits <= 8 ? (dib->biClrUsed != 0 ? dib->biClrUsed : 1u << bits) : 0;
    layout.bytesPerPixel = bits == 24 ? 3 : bits == 32 && dib->biCompression == 0 ? 4 : 0;
    layout.width = uint32_t(dib->biWidth);
    layout.height = uint32_t(dib->biHeight < 0 ? -int64_t(dib->biHeight) : dib->biHeight);
    layout.stride = ((size_t(layout.width) * bits + 31) / 32) * 4;
    layout.bits = layout.palette + size_t(layout.colours) * 4;
    return true;
}

uint32_t ReadColour(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

void WriteColour(uint8_t* p, uint32_t rgb)
{
    p[0] = uint8_t(rgb);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb >> 16);
}

// Calls change(colour) on every palette entry and every pixel colour.
template <class Change>
bool ForEachColour(BITMAPINFOHEADER* dib, Change change)
{
    Layout layout;
    if (!LayoutOf(dib, layout))
        return false;
    for (uint32_t i = 0; i < layout.colours; ++i)
        WriteColour(layout.palette + i * 4, change(ReadColour(layout.palette + i * 4)));
    if (layout.bytesPerPixel == 0)
        return true;
    for (uint32_t y = 0; y < layout.height; ++y) {
        uint8_t* row = layout.bits + y * layout.stride;
        for (uint32_t x = 0; x < layout.width; ++x)
            WriteColour(row + x * uint32_t(layout.bytesPerPixel), change(ReadColour(row + x * uint32_t(layout.bytesPerPixel))));
    }
    return true;
}

}  // namespace

uint8_t DisabledGrey(uint8_t red, uint8_t green, uint8_t blue)
{
    const int y = (29 * blue + 76 * (red + 2 * green)) / 256;
    if (y > 192)
        return uint8_t((y + 579) / 4);
    if (y < 192)
        return uint8_t(y / 4 + 144);
    return 191;
}

size_t SysColorDibSize(const BITMAPINFOHEADER* dib)
{
    if (dib == nullptr || dib->biSize != kInfoHeaderSize)
        return 0;
    return size_t(PackedDibSize(*dib));
}

bool ReplaceArtColours(BITMAPINFOHEADER* dib, const COLORREF systemColours[3])
{
    uint32_t rgb[3];
    for (int i = 0; i < 3; ++i) {
        const COLORREF c = systemColours[i];
        rgb[i] = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);  // COLORREF to 0x00RRGGBB
    }
    return ForEachColour(dib, [&](uint32_t colour) {
        return colour == kArtShadow ? rgb[0] : colour == kArtFace ? rgb[1] : colour == kArtLight ? rgb[2] : colour;
    });
}

bool GreyDisabledDib(BITMAPINFOHEADER* dib)
{
    return ForEachColour(dib, [](uint32_t colour) {
        if (colour == kArtFace)
            return colour;
        const uint32_t g = DisabledGrey(uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour));
        return g << 16 | g << 8 | g;
    });
}
