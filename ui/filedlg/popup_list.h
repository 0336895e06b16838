// A sizable popup list: a frame of a private class holding a sorted list
// box and a vertical scroll bar, with a sizing grip in the corner. Message
// 0x017E adds a string (LB_ADDSTRING), 0x017F inserts one; with wParam's
// high word 0x1234 the text is a heap block (malloc) the popup frees.
#pragma once

#include "platform/win32/win.h"

constexpr UINT kPopupAddString = 0x017E;
constexpr UINT kPopupInsertString = 0x017F;
constexpr WPARAM kPopupOwnedText = 0x12340000;
constexpr int kPopupListId = 4681;
constexpr int kPopupBarId = 4680;
extern const char kPopupListClass[];

HWND CreatePopupList(DWORD exStyle, DWORD style, const RECT* rect, HWND parent, int id);
void PopupListUpdateScroll(HWND frame);
// Frees the heap texts of add messages still queued for the popup.
void DiscardPopupMessages(HWND frame);
