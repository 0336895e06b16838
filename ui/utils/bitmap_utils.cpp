// Splitter drawing, system-colour bitmaps, button images, the shared GDI
// cache and bitmap loading.
#include "ui/utils/shell_utils.h"

#include "platform/framework/sync.h"
#include "system/heap_dib.h"
#include "ui/utils/sys_color_dib.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int kHandleLength = 20;  // a splitter handle's length along its bar
constexpr int kHandleEndMargin = 4;
constexpr int kButtonImages = 5;   // normal, hot, pressed, disabled, defaulted
constexpr int kDisabledImage = 3;
constexpr LONG kMaxSemaphoreCount = 0x7FFFFFFF;

COLORREF Half(COLORREF colour)
{
    return (colour >> 1) & 0x7F7F7F;
}

void Fill(HDC dc, int x, int y, int width, int height, COLORREF colour)
{
    const RECT rect = {x, y, x + width, y + height};
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// The bar's rows (or columns), from the top (left): light, white, face,
// shadow, black.
int DrawBar(HDC dc, int x, int y, int length, bool horizontal)
{
    const COLORREF colours[kSplitterBarWidth] = {GetSysColor(COLOR_3DLIGHT), RGB(255, 255, 255),
                                                 GetSysColor(COLOR_BTNFACE),  GetSysColor(COLOR_BTNFACE),
                                                 GetSysColor(COLOR_BTNFACE),  GetSysColor(COLOR_BTNSHADOW),
                                                 RGB(0, 0, 0)};
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    for (int i = 0; i < kSplitterBarWidth; ++i) {
        if (horizontal)
            Fill(dc, x, y + i, length, 1, colours[i]);
        else
            Fill(dc, x + i, y, 1, length, colours[i]);
    }
    SelectObject(dc, oldPen);
    return kSplitterBarWidth;
}

void DrawHandle(HDC dc, const RECT& bar, unsigned position, bool horizontal)
{
    const int along = horizontal ? bar.right - bar.left : bar.bottom - bar.top;
    const int across = horizontal ? bar.bottom - bar.top : bar.right - bar.left;
    const int length = along < kHandleLength ? along : kHandleLength;
    int start = (along - length) / 2;
    if (position & kHandleAtStart)
        start = along > length + kHandleEndMargin ? kHandleEndMargin : 0;
    else if (position & kHandleAtEnd)
        start = along > length + kHandleEndMargin ? along - length - kHandleEndMargin : along - length;
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // A raised block: light top/left, shadow and its half bottom/right.
    const int thickness = across > 2 ? across - 2 : across;
    const int a = horizontal ? bar.left + start : bar.left + (across - thickness) / 2;
    const int b = horizontal ? bar.top + (across - thickness) / 2 : bar.top + start;
    const int w = horizontal ? length : thickness;
    const int h = horizontal ? thickness : length;
    Fill(dc, a, b, w, h, face);
    Fill(dc, a, b, w, 1, light);
    Fill(dc, a, b, 1, h, light);
    Fill(dc, a, b + h - 1, w, 1, Half(shadow));
    Fill(dc, a + w - 1, b, 1, h, Half(shadow));
}

// UxTheme's IsThemeActive, loaded once by name (it may be missing).
bool ThemeActive()
{
    typedef BOOL(WINAPI * IsThemeActiveFn)();
    static const IsThemeActiveFn isThemeActive = [] {
        HMODULE theme = LoadLibraryA("UxTheme.dll");
        return theme != nullptr ? reinterpret_cast<IsThemeActiveFn>(GetProcAddress(theme, "IsThemeActive")) : nullptr;
    }();
    return isThemeActive != nullptr && isThemeActive();
}

// The packed DIB of a bitmap argument: a resource id of the program or a
// packed DIB in memory.
const BITMAPINFOHEADER* DibOf(const void* bitmap)
{
    if (!IS_INTRESOURCE(bitmap))
        return static_cast<const BITMAPINFOHEADER*>(bitmap);
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, static_cast<const char*>(bitmap), RT_BITMAP);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    return loaded != nullptr ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
}

// Image lists made for button bitmaps, destroyed at exit.
struct ButtonImages {
    std::mutex lock;
    std::vector<std::pair<const void*, HIMAGELIST>> lists;
    ~ButtonImages()
    {
        for (auto& entry : lists)
            ImageList_Destroy(entry.second);
    }
};

ButtonImages& Buttons()
{
    static ButtonImages buttons;
    return buttons;
}

HIMAGELIST ButtonImageList(const void* bitmap)
{
    ButtonImages& buttons = Buttons();
    std::lock_guard<std::mutex> hold(buttons.lock);
    for (auto& entry : buttons.lists)
        if (entry.first == bitmap)
            return entry.second;
    const BITMAPINFOHEADER* dib = DibOf(bitmap);
    const size_t size = SysColorDibSize(dib);
    if (size == 0)
        return nullptr;
    std::vector<uint8_t> grey(size);
    std::memcpy(grey.data(), dib, size);
    auto* greyDib = reinterpret_cast<BITMAPINFOHEADER*>(grey.data());
    GreyDisabledDib(greyDib);
    HBITMAP normal = CreateSysColorBitmap(const_cast<BITMAPINFOHEADER*>(dib), kSysColorCopy);
    HBITMAP disabled = CreateSysColorBitmap(greyDib, kSysColorInPlace);
    const int height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    HIMAGELIST list = ImageList_Create(dib->biWidth, height, ILC_MASK | ILC_COLORDDB, kButtonImages, 1);
    if (list != nullptr && normal != nullptr && disabled != nullptr) {
        for (int i = 0; i < kButtonImages; ++i)
            ImageList_AddMasked(list, i == kDisabledImage ? disabled : normal, kArtFace);
        buttons.lists.emplace_back(bitmap, list);
    } else if (list != nullptr) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    DeleteObject(normal);
    DeleteObject(disabled);
    return list;
}

struct GdiCache {
    CSemaphore semaphore{1, kMaxSemaphoreCount};
    CGdiCacheTable table;
};

GdiCache& Cache()
{
    static GdiCache cache;
    return cache;
}

}  // namespace

int DrawSplitterBarH(HDC dc, int x, int y, int length)
{
    return DrawBar(dc, x, y, length, true);
}

int DrawSplitterBarV(HDC dc, int x, int y, int length)
{
    return DrawBar(dc, x, y, length, false);
}

void DrawSplitterHandleH(HDC dc, const RECT& bar, unsigned position)
{
    DrawHandle(dc, bar, position, true);
}

void DrawSplitterHandleV(HDC dc, const RECT& bar, unsigned position)
{
    DrawHandle(dc, bar, position, false);
}

HBITMAP CreateSysColorBitmap(BITMAPINFOHEADER* dib, unsigned flags)
{
    const size_t size = SysColorDibSize(dib);
    if (size == 0)
        return nullptr;
    // Resources are read-only: work on a copy unless told the memory is ours.
    std::unique_ptr<uint8_t[]> copy;
    BITMAPINFOHEADER* work = dib;
    if (!(flags & kSysColorInPlace)) {
        copy.reset(new (std::nothrow) uint8_t[size]);
        if (!copy)
            return nullptr;
        std::memcpy(copy.get(), dib, size);
        work = reinterpret_cast<BITMAPINFOHEADER*>(copy.get());
    }
    const COLORREF colours[3] = {GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_3DLIGHT)};
    if (!ReplaceArtColours(work, colours))
        return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(work);
    const uint32_t colourCount = work->biBitCount <= 8 ? (work->biClrUsed ? work->biClrUsed : 1u << work->biBitCount) : 0;
    const uint8_t* bits = reinterpret_cast<const uint8_t*>(work) + work->biSize + colourCount * 4;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, work, CBM_INIT, bits, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

int SetButtonBitmap(HWND button, const void* bitmap)
{
    if (button == nullptr || bitmap == nullptr)
        return 0;
    if (ThemeActive()) {
        HIMAGELIST list = ButtonImageList(bitmap);
        BUTTON_IMAGELIST images = {list, {1, 1, 1, 1}, BUTTON_IMAGELIST_ALIGN_CENTER};
        // Buttons of common controls before version 6 do not take image
        // lists: they get the plain bitmap below.
        if (list != nullptr && SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images)))
            return 1;
    }
    HBITMAP image = IS_INTRESOURCE(bitmap)
                        ? static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), static_cast<const char*>(bitmap),
                                                          IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS))
                        : CreateSysColorBitmap(static_cast<BITMAPINFOHEADER*>(const_cast<void*>(bitmap)), kSysColorCopy);
    if (image == nullptr)
        return 0;
    HGDIOBJ old = reinterpret_cast<HGDIOBJ>(SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
    if (old != nullptr && old != image)
        DeleteObject(old);
    return 1;
}

void DeleteButtonBitmap(HWND button)
{
    HGDIOBJ image = reinterpret_cast<HGDIOBJ>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    if (image != nullptr) {
        SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, 0);
        DeleteObject(image);
    }
}

HGDIOBJ GdiCacheFind(const GdiCacheKey& key)
{
    GdiCache& cache = Cache();
    CLockGuard hold(cache.semaphore);
    return static_cast<HGDIOBJ>(cache.table.Find(key));
}

bool GdiCacheAdd(const GdiCacheKey& key, HGDIOBJ object)
{
    GdiCache& cache = Cache();
    // Registered after the cache is made, so the cache outlives the call.
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(GdiCacheFree); });
    CLockGuard hold(cache.semaphore);
    return cache.table.Add(key, object);
}

void GdiCacheFree()
{
    GdiCache& cache = Cache();
    CLockGuard hold(cache.semaphore);
    for (const auto& entry : cache.table.TakeAll()) {
        if (entry.first.words[0] == kGdiCacheDC)
            DeleteDC(static_cast<HDC>(entry.second));
        else
            DeleteObject(static_cast<HGDIOBJ>(entry.second));
    }
}

HBITMAP LoadBitmapEx(HINSTANCE instance, const char* resource, int x, int y, int width, int height, unsigned flags,
                     COLORREF background)
{
    if (resource == nullptr || width < 1)
        return nullptr;
    const uint32_t resourceWord = uint32_t(reinterpret_cast<uintptr_t>(resource));
    const bool cached = (flags & kLoadBitmapCache) && IS_INTRESOURCE(resource);
    // The source bitmap itself is cached under kind 0 with no part.
    const GdiCacheKey sourceKey = {{kGdiCacheBitmap, 0, 0, 0xFFFFFFFF, resourceWord}};
    HBITMAP source = cached ? static_cast<HBITMAP>(GdiCacheFind(sourceKey)) : nullptr;
    bool ownSource = false;
    if (source == nullptr) {
        source = static_cast<HBITMAP>(LoadImageA(instance, resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (source == nullptr)
            return nullptr;
        ownSource = !(cached && GdiCacheAdd(sourceKey, source));
    }
    BITMAP info = {};
    GetObjectA(source, sizeof info, &info);
    if (height == kLoadBitmapOwnHeight)
        height = info.bmHeight;
    if (flags & kLoadBitmapToolbar)
        x *= width;
    const GdiCacheKey partKey = {{kGdiCacheBitmap, uint32_t(x) | uint32_t(y) << 16,
                                  uint32_t(width) | uint32_t(height) << 16, background, resourceWord}};
    HBITMAP part = cached ? static_cast<HBITMAP>(GdiCacheFind(partKey)) : nullptr;
    if (part == nullptr && height > 0) {
        HDC screen = GetDC(nullptr);
        HDC from = CreateCompatibleDC(screen);
        HDC to = CreateCompatibleDC(screen);
        part = CreateCompatibleBitmap(screen, width, height);
        if (from != nullptr && to != nullptr && part != nullptr) {
            HGDIOBJ oldFrom = SelectObject(from, source);
            HGDIOBJ oldTo = SelectObject(to, part);
            Fill(to, 0, 0, width, height, background);
            // The art's face grey is its transparent colour.
            TransparentBlt(to, 0, 0, width, height, from, x, y, width, height, RGB(0xC0, 0xC0, 0xC0));
            SelectObject(from, oldFrom);
            SelectObject(to, oldTo);
        }
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
        if (part != nullptr && cached && !GdiCacheAdd(partKey, part)) {
            DeleteObject(part);
            part = static_cast<HBITMAP>(GdiCacheFind(partKey));  // another thread was first
        }
    }
    if (ownSource)
        DeleteObject(source);
    return part;
}

BOOL SetMenuItemBitmap(HMENU menu, int item, HINSTANCE instance, const char* resource, int index, int size)
{
    // Cached: the menu keeps using the bitmap after this returns.
    HBITMAP bitmap = LoadBitmapEx(instance, resource, index * size, 0, size, kLoadBitmapOwnHeight, kLoadBitmapCache,
                                  GetSysColor(COLOR_MENU));
    if (bitmap == nullptr)
        return FALSE;
    const UINT how = item < 0 ? MF_BYPOSITION : MF_BYCOMMAND;
    return SetMenuItemBitmaps(menu, UINT(item & 0x7FFFFFFF), how, bitmap, bitmap);
}

HBITMAP CreateDibFromHeader(int width, int height, int bits, void** pixels)
{
    if (pixels != nullptr)
        *pixels = nullptr;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = WORD(bits);
    if (PackedDibSize(header) == 0 || bits <= 8)
        return nullptr;  // no colour table here: 16, 24 and 32 bits only
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &memory, nullptr, 0);
    if (pixels != nullptr)
        *pixels = memory;
    return bitmap;
}
