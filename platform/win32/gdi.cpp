#include "platform/win32/gdi.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

struct DibSection {
    void* bits;
};

std::atomic<long> g_liveSections{0};
HDC__ g_screenDc;

// Bytes per row of a DIB: bits × width rounded up to 32 bits, computed wide.
uint64_t DibStride(uint64_t bits, uint64_t width) { return ((bits * width + 31) / 32) * 4; }

}  // namespace

HDC GetDC(HWND) { return &g_screenDc; }

int ReleaseDC(HWND, HDC dc) { return dc == &g_screenDc ? 1 : 0; }

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, HANDLE, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || !bits)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return nullptr;  // GDI knows no other depths
    }
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32)))
        return nullptr;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1)
        return nullptr;
    const uint64_t rows = h.biHeight < 0 ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
    const uint64_t size = DibStride(h.biBitCount, uint64_t(h.biWidth)) * rows;
    if (size == 0 || size > (uint64_t(1) << 31))
        return nullptr;
    void* memory = std::calloc(1, size_t(size));
    if (!memory)
        return nullptr;
    auto* section = new (std::nothrow) DibSection{memory};
    if (!section) {
        std::free(memory);
        return nullptr;
    }
    ++g_liveSections;
    *bits = memory;
    return reinterpret_cast<HBITMAP>(section);
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (!object)
        return FALSE;
    auto* section = static_cast<DibSection*>(object);
    std::free(section->bits);
    delete section;
    --g_liveSections;
    return TRUE;
}

long LindarLiveDibSections() { return g_liveSections.load(); }
