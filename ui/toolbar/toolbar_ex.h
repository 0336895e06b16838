// The "ToolbarExWindow32" control: buttons with images, swatches and child
// controls, answering the common toolbar messages it needs plus its own.
#pragma once

#include <cstdint>

#include "platform/win32/win.h"

// Registers the window class once per process.
void ToolbarExRegister(HINSTANCE instance);

// The control's own messages.
enum : UINT {
    TBX_TIMERTICK = 0x46A,
    TBX_ITEMRECORD = 0x46D,
    TBX_RELAYOUT = 0x46E,
    TBX_CHILDINDEX = 0x470,
    TBX_SETSTATE = 0x473,
    TBX_GETSTATE = 0x474,
    TBX_SETIMAGE = 0x475,
    TBX_SETBUTTONWIDTH = 0x477,
    TBX_FITCHILD = 0x47F,
    TBX_GROUP = 0x480,
    TBX_ADDIMAGES = 0x483,
    TBX_HASBITMAP = 0x484,
    TBX_GETIDS = 0x485,
    TBX_REMOVEBITMAPS = 0x486,
    TBX_REMOVEBUTTONS = 0x487,
    TBX_SETSIZES = 0x48C,
    TBX_GETCHILD = 0x48D,
    TBX_ATTACH = 0x48E,
    TBX_SETWIDTHS = 0x48F,
    TBX_NEEDEDSIZE = 0x491,
    TBX_ADDBUTTON = 0x493,
    TBX_EXTRACOLOR = 0x494,
};

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

// 0x484's record.
struct ToolbarIdList {
    uint32_t count;
    const uint16_t* ids;
};

// 0x46D's record.
#pragma pack(push, 1)
struct ToolbarItemRecord {
    uint32_t value;
    uint16_t first, second;
    uint8_t a, b;
};
#pragma pack(pop)

// Testing: the WM_PAINT messages the control's windows have answered.
int ToolbarExPaintCount();
