// List and combo-box helpers: filling from a text, a most-recent-first
// history, and a combo box's history in the registry (REG_MULTI_SZ).
#pragma once

#include "platform/win32/win.h"

class CRegistry;
class CString;

// Adds the pieces of a text (separator 0: NUL-separated strings ended by an
// empty one) to a list or combo box; returns the number added.
int FillListFromText(HWND list, const char* text, char separator, bool clear);
// Inserts the text at index 0 and removes its repeats and entries beyond
// index `limit`. Returns 0.
int AddToHistoryList(HWND list, const char* text, int limit, bool caseSensitive);

// Key: "#sub" a subkey of the application's key ("#" the key itself), any
// other text a path below HKEY_CURRENT_USER, null the application's key.
// Value name: a leading '#' keeps the edit text; '*' (saving) saves even
// an empty text. The loaders return the number of entries added.
int LoadComboHistory(HWND dialog, int id, const char* valueName, const char* key, char* out, int size);
int LoadComboHistoryFromKey(HWND dialog, int id, const char* valueName, CRegistry& registry, char* out, int size);
int SaveComboHistory(HWND dialog, int id, const char* valueName, const char* key);
int SaveComboHistoryToKey(HWND dialog, int id, const char* valueName, CRegistry& registry);
int LoadComboHistoryStr(HWND dialog, int id, const char* valueName, const char* key, CString& out);
int LoadComboHistoryStrFromKey(HWND dialog, int id, const char* valueName, CRegistry& registry, CString& out);
