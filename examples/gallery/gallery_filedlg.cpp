// Gallery pages of the extended Open and Save dialogs: a sample folder, a
// recent list, and for Open a typed beginning so the popup shows its rows.
#include <fstream>
#include <string>

#include "system/registry.h"
#include "ui/filedlg/file_dialog_ext.h"
#include "ui/filedlg/ofn_logic.h"

namespace {

constexpr UINT kTypeDelayMs = 100;
constexpr int kTicksBeforeTyping = 3;
char g_file[MAX_PATH + 2];

std::string SampleFolder()
{
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    std::string folder = std::string(base) + "Touren";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"Alpen.gpx", "Alpenpass.gpx", "Allgäu.gpx", "Berge.kml", "Donau.gpx"})
        std::ofstream(folder + "\\" + name) << "x";
    const char recent[] = "C:\\Karten\\Touren\\\0C:\\Daten\\GPS\\\0\0";
    CRegistry registry;
    if (registry.Open(HKEY_CURRENT_USER, "Software\\Velk\\Common\\OfnList", CRegistry::kModeWrite))
        registry.WriteValue(recent, sizeof recent, "OfnListGpx", REG_MULTI_SZ);
    return folder;
}

void CALLBACK TypeBeginning(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA("#32770", "Tour laden");
    HWND combo = dialog ? GetDlgItem(dialog, kFileNameId) : nullptr;
    HWND edit = combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
    // Typed once the combo has been shown a few ticks, as a user would.
    static int ticksShown = 0;
    if (!edit || ++ticksShown < kTicksBeforeTyping)
        return;
    KillTimer(nullptr, timer);
    for (char c : std::string("Al"))
        SendMessageA(edit, WM_CHAR, WPARAM(c), 0);
}

OPENFILENAMEA Sample(const std::string& folder, const char* title, const char* filter)
{
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = g_file;
    ofn.nMaxFile = sizeof g_file;
    ofn.lpstrFilter = filter;
    ofn.lpstrDefExt = "gpx";
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_EXPLORER;
    return ofn;
}

}  // namespace

int OpenFileDialogPage()
{
    HookFileDialogs(nullptr);
    std::string folder = SampleFolder();
    OPENFILENAMEA ofn = Sample(folder, "Tour laden", "GPX-Dateien\0*.gpx\0Alle Dateien\0*.*\0");
    SetTimer(nullptr, 0, kTypeDelayMs, &TypeBeginning);
    return GetOpenFileNameA(&ofn) ? 0 : 1;
}

int SaveFileDialogPage()
{
    HookFileDialogs(nullptr);
    std::string folder = SampleFolder();
    // Saved through the Open dialog, with a caption on the read-only box.
    OPENFILENAMEA ofn = Sample(folder, "Tour speichern", "Nur Auswahl speichern@GPX-Dateien\0*.gpx\0");
    ofn.Flags |= kOfnCaptionBit;
    return GetSaveFileNameA(&ofn) ? 0 : 1;
}
