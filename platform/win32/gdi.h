// The few GDI calls portable code makes, for the native build. A "DIB
// section" here is 4-byte aligned heap memory behind a handle that
// DeleteObject frees; there is no screen, so GetDC hands out a token.
#pragma once

#include "platform/win32/types.h"

HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
BOOL DeleteObject(HGDIOBJ object);

// Number of DIB sections alive in this process; lets tests see leaks.
long LindarLiveDibSections();
