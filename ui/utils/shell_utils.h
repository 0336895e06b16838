// Window, text-measure and shell utilities of the UI library (Windows).
#pragma once

#include "platform/win32/win.h"
#include <commctrl.h>

#include "ui/utils/gdi_cache_table.h"
#include "ui/utils/path_shorten.h"
#include "ui/utils/sizing_border.h"

#include <cstdint>

class CWnd;

// GetFileIconIndex flag: look the extension up in the icon cache first.
constexpr unsigned kIconByExtension = 0x10;

// Icons.
int GetFileIconIndex(const char* path, unsigned shellFlags);
HIMAGELIST GetSystemImageListExt(BOOL large);

// Clipboard text (CF_TEXT, ANSI).
char* GetClipboardTextAlloc(int* length);  // free() it; null and 0 when none
int GetClipboardText(char* buffer, int size);
int SetClipboardText(const char* text, int length);

// The deepest (visible) child window of parent holding a screen point;
// the parent itself when none does.
HWND ChildWindowFromPointDeep(POINT point, HWND parent, BOOL visibleOnly);
CWnd* CWndFromPointDeep(POINT point, HWND parent, BOOL visibleOnly);

// Text sizes and character widths.
int GetTextSizeWithFont(const char* text, HFONT font, int length, int* height);
int GetTextSizeInWindow(const char* text, HWND window, int length, int* height);
int GetCharWidthTable(HDC dc, uint8_t* table);
int GetStockFontCharWidths(uint8_t* table, int stockObject);
int GetFontCharWidths(uint8_t* table, HFONT font);

// Splitters: a 7-pixel bar and its small raised handle. Position bits of
// the handle: 0 at the middle, kHandleAtStart / kHandleAtEnd at an end.
constexpr int kSplitterBarWidth = 7;
constexpr unsigned kHandleAtStart = 1;
constexpr unsigned kHandleAtEnd = 2;
int DrawSplitterBarH(HDC dc, int x, int y, int length);
int DrawSplitterBarV(HDC dc, int x, int y, int length);
void DrawSplitterHandleH(HDC dc, const RECT& bar, unsigned position);
void DrawSplitterHandleV(HDC dc, const RECT& bar, unsigned position);

// Bitmaps. CreateSysColorBitmap works on a copy unless flags hold
// kSysColorInPlace and the DIB is writable memory.
constexpr unsigned kSysColorCopy = 0x1;
constexpr unsigned kSysColorInPlace = 0x2;
HBITMAP CreateSysColorBitmap(BITMAPINFOHEADER* dib, unsigned flags);
int SetButtonBitmap(HWND button, const void* bitmap);
void DeleteButtonBitmap(HWND button);

// Shared GDI cache, locked; objects are deleted at exit. Kind 0 keys hold
// bitmaps, kGdiCacheDC keys memory device contexts.
constexpr uint32_t kGdiCacheBitmap = 0;
constexpr uint32_t kGdiCacheDC = 0xC0000000;
HGDIOBJ GdiCacheFind(const GdiCacheKey& key);
bool GdiCacheAdd(const GdiCacheKey& key, HGDIOBJ object);
void GdiCacheFree();

// LoadBitmapEx flags.
constexpr unsigned kLoadBitmapCache = 0x1;     // keep the result in the GDI cache
constexpr unsigned kLoadBitmapToolbar = 0x2;   // x is an image index of a toolbar resource's strip
constexpr int kLoadBitmapOwnHeight = 65535;
HBITMAP LoadBitmapEx(HINSTANCE instance, const char* resource, int x, int y, int width, int height, unsigned flags,
                     COLORREF background);
BOOL SetMenuItemBitmap(HMENU menu, int item, HINSTANCE instance, const char* resource, int index, int size);

// Shell.
BOOL DeleteToRecycleBin(const char* path);
HBITMAP CreateDibFromHeader(int width, int height, int bits, void** pixels);
void OpenDebugConsole();
void ForceForegroundWindow(HWND window);
int DragFile(const char* path);
int DragText(const char* text, int length, int mode);

// The library's message box: fills the record and calls ShowMessageBox.
int LibMessageBox(HWND owner, const char* text, const char* caption, UINT style);
