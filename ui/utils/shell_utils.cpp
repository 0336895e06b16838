#include "ui/utils/shell_utils.h"

#include "platform/framework/wnd.h"
#include "system/icon_cache.h"
#include "system/message_box.h"
#include "system/shell_icons.h"
#include "ui/utils/icon_path.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <mutex>

namespace {

constexpr int kCharCount = 256;
// The longest path the shell's file operations take, and room for the
// double NUL they need behind it.
constexpr int kMaxShellPath = MAX_PATH - 1;

// The clipboard opened for the scope; false when another program holds it.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner = nullptr) : m_open(OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope()
    {
        if (m_open)
            CloseClipboard();
    }
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

// The CF_TEXT text on the clipboard: the pointer, its bounded length.
template <class Use>
int WithClipboardText(Use use)
{
    ClipboardScope clipboard;
    if (!clipboard.IsOpen())
        return use(nullptr, 0);
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text == nullptr)
        return use(nullptr, 0);
    // The block's size bounds the text, whether or not it ends in a NUL.
    const int length = int(strnlen(text, GlobalSize(data)));
    const int result = use(text, length);
    GlobalUnlock(data);
    return result;
}

int MeasureOnDc(HDC dc, const char* text, int length, int* height)
{
    if (length < 0)
        length = int(std::strlen(text));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, length, &size);
    if (height != nullptr)
        *height = size.cy;
    return size.cx;
}

}  // namespace

int GetFileIconIndex(const char* path, unsigned shellFlags)
{
    if (path == nullptr)
        return -1;
    if (IsDrivePath(path))
        return GetDriveIconIndex(path[0], (shellFlags & SHGFI_SMALLICON) ? kIconSmall : 0);
    const bool cacheable = !HasOwnIcon(path);
    CFileIconRecord* record = cacheable ? CFileIconCache::FindExtensionA(IconExtension(path)) : nullptr;
    const int slot = CFileIconCache::Slot(shellFlags);
    if ((shellFlags & kIconByExtension) && record != nullptr) {
        const int known = record->icons[slot].load();
        if (known >= 0)
            return known;
    }
    SHFILEINFOA info = {};
    // kIconByExtension is the shell's SHGFI_USEFILEATTRIBUTES: passed on.
    if (SHGetFileInfoA(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, shellFlags | SHGFI_SYSICONINDEX) == 0)
        return -1;
    if (record != nullptr)
        record->icons[slot].store(info.iIcon);
    return info.iIcon;
}

HIMAGELIST GetSystemImageListExt(BOOL large)
{
    return GetSystemImageList(large);
}

char* GetClipboardTextAlloc(int* length)
{
    char* copy = nullptr;
    const int n = WithClipboardText([&](const char* text, int textLength) {
        if (text == nullptr || textLength == 0)
            return 0;
        copy = static_cast<char*>(std::malloc(size_t(textLength) + 1));
        if (copy == nullptr)
            return 0;
        std::memcpy(copy, text, size_t(textLength));
        copy[textLength] = 0;
        return textLength;
    });
    if (length != nullptr)
        *length = n;
    return copy;
}

int GetClipboardText(char* buffer, int size)
{
    if (buffer == nullptr || size < 1)
        return 0;
    buffer[0] = 0;
    return WithClipboardText([&](const char* text, int textLength) {
        const int n = textLength < size - 1 ? textLength : size - 1;
        if (text != nullptr)
            std::memcpy(buffer, text, size_t(n));
        buffer[text != nullptr ? n : 0] = 0;
        return text != nullptr ? n : 0;
    });
}

int SetClipboardText(const char* text, int length)
{
    if (text == nullptr)
        return 0;
    if (length < 0)
        length = int(std::strlen(text));
    else
        length = int(strnlen(text, size_t(length)));
    if (length == 0)
        return 0;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size_t(length) + 1);
    if (block == nullptr)
        return 0;
    char* data = static_cast<char*>(GlobalLock(block));
    std::memcpy(data, text, size_t(length));
    data[length] = 0;
    GlobalUnlock(block);
    ClipboardScope clipboard;
    if (!clipboard.IsOpen() || !EmptyClipboard() || SetClipboardData(CF_TEXT, block) == nullptr) {
        GlobalFree(block);
        return 0;
    }
    return length;
}

HWND ChildWindowFromPointDeep(POINT point, HWND parent, BOOL visibleOnly)
{
    HWND found = parent;
    for (bool deeper = true; deeper && found != nullptr;) {
        deeper = false;
        for (HWND child = FindWindowExA(found, nullptr, nullptr, nullptr); child != nullptr;
             child = FindWindowExA(found, child, nullptr, nullptr)) {
            if (visibleOnly && !(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
                continue;
            RECT rect;
            if (GetWindowRect(child, &rect) && PtInRect(&rect, point)) {
                found = child;
                deeper = true;
                break;
            }
        }
    }
    return found;
}

CWnd* CWndFromPointDeep(POINT point, HWND parent, BOOL visibleOnly)
{
    return CWnd::FromHandle(ChildWindowFromPointDeep(point, parent, visibleOnly));
}

int GetTextSizeWithFont(const char* text, HFONT font, int length, int* height)
{
    if (height != nullptr)
        *height = 0;
    if (text == nullptr)
        return 0;
    HDC dc = GetDC(nullptr);
    if (dc == nullptr)
        return 0;
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    const int width = MeasureOnDc(dc, text, length, height);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return width;
}

int GetTextSizeInWindow(const char* text, HWND window, int length, int* height)
{
    if (height != nullptr)
        *height = 0;
    if (text == nullptr || window == nullptr)
        return 0;
    HDC dc = GetDC(window);
    if (dc == nullptr)
        return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
    const int width = MeasureOnDc(dc, text, length, height);
    if (old != nullptr)
        SelectObject(dc, old);
    ReleaseDC(window, dc);
    return width;
}

int GetCharWidthTable(HDC dc, uint8_t* table)
{
    if (table == nullptr)
        return 0;
    INT widths[kCharCount] = {};
    if (dc == nullptr || !GetCharWidth32A(dc, 0, kCharCount - 1, widths))
        return 0;
    for (int i = 0; i < kCharCount; ++i)
        table[i] = uint8_t(widths[i] < 0 ? 0 : widths[i] > 255 ? 255 : widths[i]);
    return kCharCount;
}

int GetFontCharWidths(uint8_t* table, HFONT font)
{
    HDC dc = GetDC(nullptr);
    if (dc == nullptr)
        return 0;
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    const int n = GetCharWidthTable(dc, table);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return n;
}

int GetStockFontCharWidths(uint8_t* table, int stockObject)
{
    return GetFontCharWidths(table, static_cast<HFONT>(GetStockObject(stockObject < 0 ? ANSI_VAR_FONT : stockObject)));
}

BOOL DeleteToRecycleBin(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return FALSE;
    // The shell deletes a relative path for good: give it the full one,
    // followed by the double NUL its lists end with.
    char full[MAX_PATH + 2] = {};
    const DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    if (n == 0 || n > DWORD(kMaxShellPath))
        return FALSE;
    full[n] = 0;
    full[n + 1] = 0;
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = full;
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

void OpenDebugConsole()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!AllocConsole())
            return;
        HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(output), _O_TEXT);
        if (fd < 0)
            return;
        if (_dup2(fd, _fileno(stdout)) == 0)
            setvbuf(stdout, nullptr, _IONBF, 0);
    });
}

void ForceForegroundWindow(HWND window)
{
    if (window == nullptr || !IsWindow(window))
        return;
    const DWORD own = GetCurrentThreadId();
    HWND foreground = GetForegroundWindow();
    const DWORD other = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : own;
    const bool attach = other != own && AttachThreadInput(own, other, TRUE);
    BringWindowToTop(window);
    ShowWindow(window, IsZoomed(window) ? SW_SHOWMAXIMIZED : SW_RESTORE);
    SetForegroundWindow(window);
    if (attach)
        AttachThreadInput(own, other, FALSE);
}

int LibMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = style;
    return ShowMessageBox(&params, 0, 0);
}
