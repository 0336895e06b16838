#include "ui/treelist/win32/treelist_resources.h"

#include <mutex>

namespace {

constexpr int kCheckerSide = 8;
const WORD kCheckerRows[kCheckerSide] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};

std::mutex g_sharedLock;
long g_count = -1;  // -1: no control holds the objects
TreeListShared g_shared{};
bool g_themeLoaded = false;

template <class F>
void Entry(HMODULE module, const char* name, F& out)
{
    out = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

void LoadTheme()
{
    if (g_themeLoaded)
        return;
    g_themeLoaded = true;
    const HMODULE module = LoadLibraryA("UxTheme.dll");
    TreeListTheme& t = g_shared.theme;
    Entry(module, "SetWindowTheme", t.setWindowTheme);
    Entry(module, "EndBufferedPaint", t.endBufferedPaint);
    Entry(module, "BeginBufferedPaint", t.beginBufferedPaint);
    Entry(module, "BufferedPaintInit", t.bufferedPaintInit);
    Entry(module, "BufferedPaintUnInit", t.bufferedPaintUnInit);
    Entry(module, "OpenThemeData", t.openThemeData);
    Entry(module, "CloseThemeData", t.closeThemeData);
    Entry(module, "DrawThemeBackground", t.drawThemeBackground);
    Entry(module, "GetThemePartSize", t.getThemePartSize);
    Entry(module, "GetThemeBackgroundContentRect", t.getThemeBackgroundContentRect);
}

void Create()
{
    LOGBRUSH brush = {BS_SOLID, GetSysColor(COLOR_BTNSHADOW), 0};
    g_shared.dottedPen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    if (!g_shared.dottedPen)
        g_shared.dottedPen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    const HBITMAP pattern = CreateBitmap(kCheckerSide, kCheckerSide, 1, 1, kCheckerRows);
    g_shared.checkerBrush = pattern ? CreatePatternBrush(pattern) : nullptr;
    if (pattern)
        DeleteObject(pattern);  // the brush keeps its own copy
    g_shared.arrow = LoadCursor(nullptr, IDC_ARROW);
    g_shared.hand = LoadCursor(nullptr, IDC_HAND);
    g_shared.no = LoadCursor(nullptr, IDC_NO);
    LoadTheme();
    if (g_shared.theme.bufferedPaintInit)
        g_shared.theme.bufferedPaintInit();
}

void Delete()
{
    if (g_shared.dottedPen)
        DeleteObject(g_shared.dottedPen);
    g_shared.dottedPen = nullptr;
    if (g_shared.checkerBrush)
        DeleteObject(g_shared.checkerBrush);
    g_shared.checkerBrush = nullptr;
    if (g_shared.theme.bufferedPaintUnInit)
        g_shared.theme.bufferedPaintUnInit();
}

}  // namespace

void TreeListAcquireShared()
{
    std::lock_guard<std::mutex> hold(g_sharedLock);
    if (++g_count == 0)
        Create();
}

void TreeListReleaseShared()
{
    std::lock_guard<std::mutex> hold(g_sharedLock);
    if (g_count < 0)
        return;  // more releases than acquisitions: nothing to give back
    if (--g_count < 0)
        Delete();
}

const TreeListShared& TreeListSharedObjects()
{
    return g_shared;
}

long TreeListSharedCount()
{
    std::lock_guard<std::mutex> hold(g_sharedLock);
    return g_count;
}
