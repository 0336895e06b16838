// OLE drags of a file or a text: the data blocks and the data object behind
// DragFile and DragText (declared in shell_utils.h).
#pragma once

#include "platform/win32/win.h"
#include <ole2.h>

// A DROPFILES block (wide names, converted from the ANSI code page) naming
// one file, the path made absolute; null when the file does not exist.
HGLOBAL MakeDropFilesBlock(const char* path);
// The block of a text drag: mode 0 CF_TEXT, 1 CF_UNICODETEXT (converted
// from the ANSI code page), other modes the bytes as they are under the
// format of that number. Null for an empty text.
HGLOBAL MakeDragTextBlock(const char* text, int length, int mode, CLIPFORMAT* format);
// A data object that offers one block in one format (TYMED_HGLOBAL); it
// owns the block. Null on failure (the block is freed).
IDataObject* CreateDragDataObject(CLIPFORMAT format, HGLOBAL block);
