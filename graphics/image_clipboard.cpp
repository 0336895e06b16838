// The clipboard (CF_DIB) and GDI bitmaps: Windows only. Every handle taken
// here is given back on every path; the clipboard owns a block once
// SetClipboardData took it.
#include <cstring>
#include <vector>

#include "graphics/image.h"
#include "graphics/image_convert_support.h"
#include "graphics/image_dib.h"

using graphics_detail::GdiCompatible;
using graphics_detail::HasPicture;

namespace {

constexpr uint32_t kMaskBytes = 12;

class ClipboardOpen {
public:
    explicit ClipboardOpen(HWND window) : m_open(OpenClipboard(window) != 0) {}
    ~ClipboardOpen()
    {
        if (m_open)
            CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

class WindowDc {
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDc()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// The depth that keeps a bitmap's pixels: 16-bit ones by their masks.
uint32_t BitmapDepth(const BITMAPINFOHEADER& h, const uint32_t* masks)
{
    switch (h.biBitCount) {
    case 1: case 4: case 8: case 24: case 32: return h.biBitCount;
    case 16: return h.biCompression == BI_BITFIELDS && masks[0] == 0xF800 && masks[1] == 0x07E0 ? 16 : 15;
    default: return 24;  // GDI converts
    }
}

// GetDIBits into the image: first the bitmap's format, then its pixels and
// colour table through a copy of the image's header, which GDI may rewrite.
bool ReadBitmap(CGraphicsImage& image, HDC dc, HBITMAP bitmap)
{
    std::vector<uint8_t> info(CGraphicsImage::BITMAPINFO_SIZE, 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    auto* asInfo = reinterpret_cast<BITMAPINFO*>(info.data());
    const uint32_t* masks = reinterpret_cast<const uint32_t*>(info.data() + sizeof(BITMAPINFOHEADER));
    // GetDIBits tells header kinds apart by biSize; bit count 0 asks for
    // the format alone.
    header->biSize = sizeof(BITMAPINFOHEADER);
    if (!GetDIBits(dc, bitmap, 0, 0, nullptr, asInfo, DIB_RGB_COLORS))
        return false;
    // With the bit count known, the same call gives the masks.
    if (header->biBitCount == 16 && header->biCompression == BI_BITFIELDS &&
        !GetDIBits(dc, bitmap, 0, 0, nullptr, asInfo, DIB_RGB_COLORS))
        return false;
    const uint32_t width = uint32_t(header->biWidth);
    const uint32_t height = uint32_t(header->biHeight < 0 ? -header->biHeight : header->biHeight);
    if (!width || !height || !image.Create(BitmapDepth(*header, masks), width, height))
        return false;
    std::memcpy(info.data(), image.m_pBitmapInfo, info.size());
    if (!GetDIBits(dc, bitmap, 0, height, image.m_pBits, asInfo, DIB_RGB_COLORS))
        return false;
    const RGBQUAD* table = asInfo->bmiColors;
    for (uint32_t i = 0; i < image.m_nPaletteSize; ++i)
        image.SetPaletteRGBA(i, table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0);
    return true;
}

}  // namespace

bool CGraphicsImage::CopyToClipboard(HWND window) const
{
    CGraphicsImage scratch;
    const CGraphicsImage* image = HasPicture(*this) ? GdiCompatible(*this, scratch) : nullptr;
    if (!image)
        return false;
    BITMAPINFOHEADER header = *image->Header();
    if (image->m_bTrueColor)
        header.biClrUsed = header.biClrImportant = 0;
    const size_t table = header.biCompression == BI_BITFIELDS ? kMaskBytes : size_t(image->m_nPaletteSize) * 4;
    const size_t size = sizeof(header) + table + image->m_nImageSize;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (!block)
        return false;
    auto* data = static_cast<uint8_t*>(GlobalLock(block));
    if (!data) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(data, &header, sizeof(header));
    std::memcpy(data + sizeof(header), image->m_pPalette, table);
    std::memcpy(data + sizeof(header) + table, image->m_pBits, image->m_nImageSize);
    GlobalUnlock(block);

    ClipboardOpen clipboard(window);
    if (clipboard.IsOpen() && EmptyClipboard() && SetClipboardData(CF_DIB, block))
        return true;
    GlobalFree(block);
    return false;
}

bool CGraphicsImage::PasteFromClipboard(HWND window, uint32_t flags)
{
    Clear();
    if (!IsClipboardFormatAvailable(CF_DIB))
        return false;
    ClipboardOpen clipboard(window);
    if (!clipboard.IsOpen())
        return false;
    HANDLE data = GetClipboardData(CF_DIB);
    if (!data)
        data = GetClipboardData(CF_DIBV5);
    const auto* block = data ? static_cast<const uint8_t*>(GlobalLock(data)) : nullptr;
    if (!block)
        return false;
    const bool pasted =
        graphics_detail::CreateFromClipboardDib(*this, block, GlobalSize(data), (flags & PASTE_KEEP_ALPHA) != 0);
    GlobalUnlock(data);
    return pasted;
}

HBITMAP CGraphicsImage::CreateDDB(HWND window) const
{
    CGraphicsImage scratch;
    const CGraphicsImage* image = HasPicture(*this) ? GdiCompatible(*this, scratch) : nullptr;
    if (!image)
        return nullptr;
    const WindowDc dc(window);
    HBITMAP bitmap = dc.Get() ? CreateCompatibleBitmap(dc.Get(), int(m_nWidth), int(m_nHeight)) : nullptr;
    if (bitmap && !SetDIBits(dc.Get(), bitmap, 0, m_nHeight, image->m_pBits,
                             reinterpret_cast<const BITMAPINFO*>(image->m_pBitmapInfo), DIB_RGB_COLORS)) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

bool CGraphicsImage::CreateFromBitmap(HWND window, HBITMAP bitmap)
{
    Clear();
    if (!bitmap)
        return false;
    const WindowDc dc(window);
    if (dc.Get() && ReadBitmap(*this, dc.Get(), bitmap))
        return true;
    Clear();
    return false;
}

bool CGraphicsImage::LoadBitmapResource(const char* name, HINSTANCE module)
{
    Clear();
    // A null module would load the system's predefined bitmaps.
    HBITMAP bitmap = LoadBitmapA(module ? module : GetModuleHandleA(nullptr), name);
    if (!bitmap)
        return false;
    const bool loaded = CreateFromBitmap(nullptr, bitmap);
    DeleteObject(bitmap);
    return loaded;
}
