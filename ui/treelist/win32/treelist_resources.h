// The GDI objects, cursors and theme entry points all TreeList windows share,
// under one process-wide reference count: the first control to be created
// makes them, the last one to go deletes the pen and the brush. Controls are
// created and destroyed on several threads, so acquiring and releasing run
// under one process-wide lock.
#pragma once

#include "platform/win32/win.h"

#include <uxtheme.h>

struct TreeListTheme {
    // UxTheme.dll, loaded at the first acquisition and never freed; each
    // entry point is null when the library or the function is missing.
    HRESULT(WINAPI* setWindowTheme)(HWND, LPCWSTR, LPCWSTR);
    HRESULT(WINAPI* endBufferedPaint)(HANDLE, BOOL);
    HANDLE(WINAPI* beginBufferedPaint)(HDC, const RECT*, int, void*, HDC*);
    HRESULT(WINAPI* bufferedPaintInit)();
    HRESULT(WINAPI* bufferedPaintUnInit)();
    HTHEME(WINAPI* openThemeData)(HWND, LPCWSTR);
    HRESULT(WINAPI* closeThemeData)(HTHEME);
    HRESULT(WINAPI* drawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    HRESULT(WINAPI* getThemePartSize)(HTHEME, HDC, int, int, const RECT*, int, SIZE*);
    HRESULT(WINAPI* getThemeBackgroundContentRect)(HTHEME, HDC, int, int, const RECT*, RECT*);
};

struct TreeListShared {
    HPEN dottedPen;      // lines of the tree
    HBRUSH checkerBrush;  // one-pixel checker (8 x 8 pattern)
    HCURSOR arrow, hand, no;
    TreeListTheme theme;
};

// Takes a reference; the first one makes the objects.
void TreeListAcquireShared();
// Gives one back; the last one deletes the pen and the brush.
void TreeListReleaseShared();
// The objects, valid while the caller holds a reference.
const TreeListShared& TreeListSharedObjects();
// The reference count: -1 when no control holds one.
long TreeListSharedCount();
