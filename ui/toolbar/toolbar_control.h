// The control: the "ToolbarExWindow32" window class, buttons with images,
// swatches and child controls, answering the common toolbar messages it
// needs plus its own (their numbers and packing in toolbar_messages.h).
#pragma once

#include <cstdint>

#include "platform/win32/win.h"
#include "ui/toolbar/toolbar_messages.h"

// Registers the window class once per process.
void ToolbarExRegister(HINSTANCE instance);

// Markers in wParam/lParam of the common messages.
constexpr WPARAM kAddBitmapBlock = 0x12340000;    // TB_ADDBITMAP: lParam a ToolbarBitmapEntry
constexpr LPARAM kSetParentFrame = 0x12340001;    // TB_SETPARENT: wParam the frame of the commands
constexpr LPARAM kSetParentFinish = 0x12340002;
constexpr DWORD kButtonInfoByIndex = 0x10000000;  // TB_GETBUTTONINFO mask
constexpr WPARAM kHasBitmapQuery = 0x10000;
constexpr int kKeepButtons = 17767;               // LoadToolBar: keep the control's ids
constexpr int kImageWidthAuto = 4094;             // square images of the bitmap's height

// Flags of a bitmap entry.
constexpr uint32_t kEntryInMemory = 1;  // block and bitmap given, no resource

// A toolbar resource: u16 version, image width, image height, count, ids.
struct ToolbarBitmapEntry {
    HINSTANCE instance;
    const char* name;        // resource name of the bitmap (and the toolbar)
    uint32_t flags;
    uint32_t imageWidth;     // kImageWidthAuto: from the bitmap's height
    const uint16_t* block;   // the toolbar block (ids of the images)
    HBITMAP bitmap;          // kEntryInMemory: the caller's bitmap, not taken over
};

// TB_GETBUTTONINFO's record: the common fields, then the control's own.
struct ToolbarExButtonInfo {
    UINT cbSize;   // 52
    DWORD dwMask;
    int idCommand;
    int iImage;
    BYTE fsState;
    BYTE fsStyle;
    WORD cx;
    DWORD lParam;
    char* pszText;
    int cchText;
    DWORD color;      // swatch colour, 0xFFFFFFFF none
    int slot;         // child slot, -1 none
    DWORD sizes;      // min width | max width << 16
    DWORD reserved[2];
};
static_assert(sizeof(ToolbarExButtonInfo) == 52 || sizeof(void*) != 4, "the record is 52 bytes on i686");

// An empty request record asking for the mask's fields.
inline ToolbarExButtonInfo ButtonInfoRequest(DWORD mask)
{
    ToolbarExButtonInfo info{};
    info.cbSize = sizeof info;
    info.dwMask = mask;
    return info;
}

// TBX_HASBITMAP's record.
struct ToolbarIdList {
    uint32_t count;
    const uint16_t* ids;
};

// TBX_ITEMRECORD's record.
#pragma pack(push, 1)
struct ToolbarItemRecord {
    uint32_t value;
    uint16_t first, second;
    uint8_t a, b;
};
#pragma pack(pop)
