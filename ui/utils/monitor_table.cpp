#include "ui/utils/monitor_table.h"

#include <mutex>

namespace {

constexpr int kDefaultPosition = 20;
constexpr int kDefaultSizeMargin = 100;

struct Table {
    int number = 0;
    RECT rects[kMaxMonitors];
};

std::mutex g_tableLock;
Table g_table;

Table Snapshot()
{
    std::lock_guard<std::mutex> hold(g_tableLock);
    return g_table;
}

int IndexOfPoint(const Table& table, int x, int y)
{
    for (int i = 0; i < table.number; ++i) {
        const RECT& r = table.rects[i];
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return i;
    }
    return -1;
}

int Centre(int a, int b)
{
    return int(((long long)a + b) / 2);  // toward zero, without overflow
}

}  // namespace

void SetMonitorTable(int number, const RECT* rects, int count)
{
    Table table;
    table.number = number < 1 ? 0 : number > kMaxMonitors ? kMaxMonitors : number;
    if (count < 0 || rects == nullptr)
        count = 0;
    for (int i = 0; i < table.number; ++i)
        table.rects[i] = i < count ? rects[i] : RECT{-1, -1, -1, -1};
    std::lock_guard<std::mutex> hold(g_tableLock);
    g_table = table;
}

int MonitorCount()
{
    return Snapshot().number;
}

bool GetMonitorRect(int i, RECT* rect)
{
    const Table table = Snapshot();
    if (i < 0 || i >= table.number || rect == nullptr)
        return false;
    *rect = table.rects[i];
    return true;
}

int MonitorIndexFromPoint(int x, int y)
{
    return IndexOfPoint(Snapshot(), x, y);
}

int MonitorIndexFromPointAlt(int x, int y)
{
    return MonitorIndexFromPoint(x, y);
}

int MonitorIndexFromRect(const RECT& rect)
{
    return MonitorIndexFromPoint(Centre(rect.left, rect.right), Centre(rect.top, rect.bottom));
}

int MonitorIndexFromCreateValues(int x, int y, int cx, int cy)
{
    return MonitorIndexFromPoint(cx > 0 ? x + cx / 2 : x, cy > 0 ? y + cy / 2 : y);
}

int MoveRectToMonitor(RECT* rect, int i, int mode)
{
    const Table table = Snapshot();
    if (rect == nullptr || table.number < 2 || i < 0 || i >= table.number)
        return 0;
    const RECT& target = table.rects[i];
    if (mode == kMonitorKeepOffset) {
        const int current = IndexOfPoint(table, Centre(rect->left, rect->right), Centre(rect->top, rect->bottom));
        if (current < 0 || current == i)
            return 0;
        const int dx = target.left - table.rects[current].left;
        const int dy = target.top - table.rects[current].top;
        *rect = {rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
        return 1;
    }
    if (mode == kMonitorCentre) {
        const int w = rect->right - rect->left > 0 ? rect->right - rect->left : 0;
        const int h = rect->bottom - rect->top > 0 ? rect->bottom - rect->top : 0;
        const int left = Centre(target.left, target.right) - w / 2;
        const int top = Centre(target.top, target.bottom) - h / 2;
        *rect = {left, top, left + w, top + h};
        return 1;
    }
    return 0;
}

int PlaceCreateValuesOnMonitor(int* x, int* y, int* cx, int* cy, int i, int mode)
{
    RECT first;
    if (x == nullptr || y == nullptr || cx == nullptr || cy == nullptr || !GetMonitorRect(0, &first))
        return 0;
    const int left = *x == kCreateUseDefault ? kDefaultPosition : *x;
    const int top = *y == kCreateUseDefault ? kDefaultPosition : *y;
    RECT rect = {left, top,
                 left + (*cx == kCreateUseDefault ? first.right - first.left - kDefaultSizeMargin : 0) + (*cx > 0 ? *cx : 0),
                 top + (*cy == kCreateUseDefault ? first.bottom - first.top - kDefaultSizeMargin : 0) + (*cy > 0 ? *cy : 0)};
    const int moved = MoveRectToMonitor(&rect, i, mode);
    if (moved) {
        *x = rect.left;
        *y = rect.top;
        if (*cx > 0)
            *cx = rect.right - rect.left;
        if (*cy > 0)
            *cy = rect.bottom - rect.top;
    }
    return moved;
}

#ifdef _WIN32

namespace {

struct Found {
    RECT rects[kMaxMonitors];
    int count = 0;
};

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM context)
{
    auto* found = reinterpret_cast<Found*>(context);
    found->rects[found->count++] = *rect;
    return found->count < kMaxMonitors;  // a full table stops the enumeration
}

}  // namespace

void InitMonitorTable(int rebuild)
{
    if (!rebuild && MonitorCount() > 0)
        return;
    const int number = GetSystemMetrics(SM_CMONITORS);
    if (number < 2) {
        const RECT only = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SetMonitorTable(1, &only, 1);
        return;
    }
    Found found;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&found));
    SetMonitorTable(number, found.rects, found.count);
}

int MonitorIndexFromWindow(HWND window)
{
    RECT rect;
    if (window == nullptr || !GetWindowRect(window, &rect))
        return -1;
    return MonitorIndexFromRect(rect);
}

int MonitorIndexFromCreateStruct(const CREATESTRUCTA* cs)
{
    return cs != nullptr ? MonitorIndexFromCreateValues(cs->x, cs->y, cs->cx, cs->cy) : -1;
}

int MoveWindowToMonitor(HWND window, int i, int mode)
{
    RECT rect;
    if (window == nullptr || !GetWindowRect(window, &rect))
        return 0;
    if (!MoveRectToMonitor(&rect, i, mode))
        return 0;
    POINT topLeft = {rect.left, rect.top};
    HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    if (parent != nullptr)
        MapWindowPoints(nullptr, parent, &topLeft, 1);
    return SetWindowPos(window, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER)
               ? 1
               : 0;
}

int PlaceCreateStructOnMonitor(CREATESTRUCTA* cs, int i, int mode)
{
    return cs != nullptr ? PlaceCreateValuesOnMonitor(&cs->x, &cs->y, &cs->cx, &cs->cy, i, mode) : 0;
}

#endif
