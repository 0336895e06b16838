// The library's message box and the texts of its buttons and captions.
#pragma once

#include "platform/win32/win.h"

constexpr UINT kFirstMessageBoxText = 1287;
constexpr UINT kLastMessageBoxText = 1298;

// The caption or button text of a string id 1287..1298: the string resource
// of that id in the program when it has one (loaded once), else the built-in
// German text; *fromResource, when given, is 1 for a loaded text, else 0.
// An empty text for other ids. The texts live for the process.
const char* GetMessageBoxText(UINT id, BYTE* fromResource = nullptr);

#ifdef _WIN32
// Shows the message box the record describes (owner, text, caption, style;
// no caption: GetMessageBoxText(1298)) with its buttons named by
// GetMessageBoxText, and returns the button pressed, as MessageBox does; 0
// for a missing or malformed record. The further arguments are reserved (0).
int ShowMessageBox(const MSGBOXPARAMSA* params, int reserved1, int reserved2);
#endif
