// Extra behaviours for EDIT and COMBOBOX controls by subclassing. Every
// procedure of the family is attached with AttachSubclass (message 27133)
// and detached with message 27132; the procedure it chains to is kept in
// the window property named by the atom of L"CeData". The twin of control
// n is its sibling n ^ 0x5555; twins mirror each other's text.
#pragma once

#include "platform/win32/win.h"

#include <commctrl.h>

#include <cstdint>

constexpr UINT kMsgAttach = 27133;
constexpr UINT kMsgDetach = 27132;
constexpr UINT kMsgSetOwnText = 14762;  // WM_SETTEXT without mirroring
constexpr UINT kMsgGetOwnText = 14763;  // WM_GETTEXT without mirroring
constexpr int kTwinIdMask = 0x5555;
// A parent that handles a key notification writes this into idFrom.
constexpr UINT_PTR kKeyHandled = 0x12345678;
// Follows a dropped file in the notifications to the parent.
constexpr WORD kNotifyFileDropped = 0x0703;

// The key notification: NM_KEYDOWN, or NM_RETURN for Enter where stated.
struct KeyNotify {
    NMHDR hdr;
    uint32_t key;
    uint32_t keyData;
};

void InitSubclassData();
// 0 for a null procedure, else the procedure's answer to the attach.
LRESULT AttachSubclass(HWND wnd, WNDPROC proc);
LRESULT AttachSubclassNoCheck(HWND wnd, WNDPROC proc);
// The older form: the previous procedure in GWLP_USERDATA.
int SubclassByUserData(HWND wnd, WNDPROC proc);
// The procedure the window's subclass chains to, or null.
WNDPROC GetSubclassChain(HWND wnd);
// Fills sender and id, sends WM_NOTIFY to the parent; 1 when the parent
// wrote kKeyHandled into idFrom, else its answer.
LRESULT NotifyKey(HWND wnd, KeyNotify* record);

LRESULT CALLBACK ComboEditFocusProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboEditKeyProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboKeyProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TwinComboEditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TwinComboProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboEditDropProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboDropProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditDropProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EnabledLookProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditKeyNotifyProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ReadOnlyLookProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ReadOnlyEditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TwinEditProc(HWND, UINT, WPARAM, LPARAM);

// The selection ComboEditFocusProc kept when the edit lost the focus
// (EM_GETSEL's answer), 0 when none.
DWORD GetKeptEditSelection(HWND edit);
