#include "system/shell_icons.h"

#include <shellapi.h>

#include <atomic>
#include <mutex>

namespace {

constexpr int kNotAsked = -3;  // cached index not asked for yet
constexpr int kDriveLetters = 26;

std::atomic<HIMAGELIST> g_imageLists[2];
std::atomic<int> g_driveIcons[kDriveLetters][2];
std::atomic<int> g_folderIcons[4];
std::once_flag g_iconsReset;
std::mutex g_fontLock;
std::atomic<HFONT> g_fonts[kGuiFontCount];

void ResetIconCaches()
{
    for (auto& drive : g_driveIcons)
        for (auto& icon : drive)
            icon.store(kNotAsked);
    for (auto& icon : g_folderIcons)
        icon.store(kNotAsked);
}

// The cached value of a slot, asking the shell once it is needed. A failure
// is not kept, so a drive that appears later is still found.
template <class Ask>
int Cached(std::atomic<int>& slot, Ask ask)
{
    std::call_once(g_iconsReset, ResetIconCaches);
    int index = slot.load();
    if (index == kNotAsked) {
        index = ask();
        if (index >= 0)
            slot.store(index);
    }
    return index;
}

int ShellIndex(const char* path, DWORD attributes, UINT flags)
{
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(path, attributes, &info, sizeof info, flags | SHGFI_SYSICONINDEX) == 0)
        return -1;
    return info.iIcon;
}

}  // namespace

HIMAGELIST GetSystemImageList(BOOL large)
{
    std::atomic<HIMAGELIST>& slot = g_imageLists[large ? 1 : 0];
    HIMAGELIST list = slot.load();
    if (list == nullptr) {
        SHFILEINFOA info = {};
        // The shell's own list: it is never destroyed, so caching it is safe.
        list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
            "C:\\", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
            SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON)));
        slot.store(list);
    }
    return list;
}

int GetDriveIconIndex(char letter, unsigned flags)
{
    const char upper = char(letter & ~0x20);
    if (upper < 'A' || upper > 'Z')
        return -2;
    return Cached(g_driveIcons[upper - 'A'][flags & kIconSmall], [&] {
        const char root[4] = {upper, ':', '\\', 0};
        return ShellIndex(root, 0, (flags & kIconSmall) ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    });
}

int GetFolderIconIndex(unsigned flags)
{
    return Cached(g_folderIcons[flags & 3], [&] {
        UINT shell = SHGFI_USEFILEATTRIBUTES | ((flags & kIconSmall) ? SHGFI_SMALLICON : SHGFI_LARGEICON);
        if (flags & kIconOpen)
            shell |= SHGFI_OPENICON;
        return ShellIndex("Ordner", FILE_ATTRIBUTE_DIRECTORY, shell);
    });
}

char GetSystemDriveLetter()
{
    char folder[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryA(folder, sizeof folder);
    if (n >= 2 && n < sizeof folder && folder[1] == ':') {
        const char upper = char(folder[0] & ~0x20);
        if (upper >= 'A' && upper <= 'Z')
            return upper;
    }
    const DWORD drives = GetLogicalDrives();
    for (int i = 'C' - 'A'; i < kDriveLetters; ++i)
        if (drives & (1u << i))
            return char('A' + i);
    return 'C';
}

HFONT GetGuiFont(int index)
{
    if (index < 0 || index >= kGuiFontCount)
        return nullptr;
    HFONT font = g_fonts[index].load();
    if (font != nullptr)
        return font;
    std::lock_guard<std::mutex> hold(g_fontLock);
    font = g_fonts[index].load();
    if (font != nullptr)
        return font;
    LOGFONTA logFont = {};
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        logFont = metrics.lfMessageFont;
    else
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
    if (index & kGuiFontBold)
        logFont.lfWeight = FW_BOLD;
    if (index & kGuiFontFixed) {
        logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        lstrcpynA(logFont.lfFaceName, "Courier New", LF_FACESIZE);
    }
    font = CreateFontIndirectA(&logFont);
    g_fonts[index].store(font);
    return font;
}
