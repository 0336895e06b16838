// The shell's system image list, icon indices of drives and folders, and the
// four fonts the whole program shares. Everything is made once and cached;
// all functions are safe from several threads.
#pragma once

#include "platform/win32/win.h"
#include <commctrl.h>

// GetDriveIconIndex / GetFolderIconIndex flags.
constexpr unsigned kIconSmall = 0x1;  // small icon (else large)
constexpr unsigned kIconOpen = 0x2;   // open-folder icon
// GetGuiFont index bits.
constexpr int kGuiFontBold = 0x1;
constexpr int kGuiFontFixed = 0x2;
constexpr int kGuiFontCount = 4;

// The system image list, large or small; null when the shell has none.
HIMAGELIST GetSystemImageList(BOOL large);
// The image-list index of a drive root; -2 for a character that is no
// letter, -1 on failure.
int GetDriveIconIndex(char letter, unsigned flags);
// The image-list index of a folder (closed or open), -1 on failure.
int GetFolderIconIndex(unsigned flags);
// The drive of the system folder, else the first existing drive from C,
// else 'C'.
char GetSystemDriveLetter();
// One of the four shared fonts (bit 0 bold, bit 1 fixed pitch); null for an
// index outside 0..3. The fonts live until the process ends.
HFONT GetGuiFont(int index);
