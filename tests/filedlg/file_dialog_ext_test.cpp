// The extended file dialogs under Wine: the import patch, a full Open run
// with the recent list, the type-ahead popup and the context command, Save
// through Open with a caption, and workers that end with their dialogs.
#include <gtest/gtest.h>

#include "tests/winharness/modal_driver.h"
#include "tests/winharness/screenshot.h"
#include "ui/filedlg/edit_extensions.h"
#include "ui/filedlg/file_dialog_ext.h"
#include "ui/filedlg/ofn_logic.h"
#include "ui/filedlg/popup_list.h"
#include "tests/winharness/registry_lock.h"

#include <tlhelp32.h>

#include <fstream>
#include <string>

namespace {

const char kListKey[] = "Software\\Velk\\Common\\OfnList";

std::string TempFolder()
{
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    std::string folder = std::string(base) + "ofnext";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"a.gpx", "alpha.gpx", "alpine.txt", "beta"})
        std::ofstream(folder + "\\" + name) << "x";
    return folder;
}

// The system dialog of a run: the recorded dialog holding our combo.
HWND ExtendedDialog(const winharness::ModalDriver& d)
{
    for (HWND wnd : d.Dialogs()) {
        char cls[16] = "";
        if (IsWindow(wnd) && GetClassNameA(GetDlgItem(wnd, kFileNameId), cls, sizeof cls) &&
            lstrcmpiA(cls, "ComboBox") == 0 && IsWindowVisible(wnd))
            return wnd;
    }
    return nullptr;
}

HWND Popup(HWND dialog)
{
    HWND popup = nullptr;
    while ((popup = FindWindowExA(nullptr, popup, kPopupListClass, nullptr)))
        if (GetWindow(popup, GW_OWNER) == dialog)
            return popup;
    return nullptr;
}

int ThreadCount()
{
    int count = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return count;
}

OPENFILENAMEA Request(char* file, DWORD size)
{
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = size;
    return ofn;
}

class FileDialogExt : public ::testing::Test {
protected:
    winharness::RegistryLock registryLock;  // first: held from before SetUp to after TearDown
    static void SetUpTestSuite() { patched = HookFileDialogs(nullptr); }
    static int patched;
};
int FileDialogExt::patched = 0;

TEST_F(FileDialogExt, PatchRedirectsTheImportsOnce)
{
    EXPECT_EQ(patched, 2);
    EXPECT_EQ(reinterpret_cast<void*>(&GetOpenFileNameA), reinterpret_cast<void*>(&GetOpenFileNameExt));
    EXPECT_EQ(reinterpret_cast<void*>(&GetSaveFileNameA), reinterpret_cast<void*>(&GetSaveFileNameExt));
    EXPECT_EQ(HookFileDialogs(nullptr), 0);
}

TEST_F(FileDialogExt, OpenRunKeepsTheFolderAndOffersMatches)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kListKey);
    const std::string folder = TempFolder();
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Request(file, sizeof file);
    ofn.lpstrFilter = "Alle\0*.*\0";
    ofn.lpstrDefExt = "gpx";
    ofn.lpstrInitialDir = folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    HWND dialog = nullptr, combo = nullptr;
    RECT size{};
    std::string chosenByKey, clip, slashed;
    int rows = 0;
    winharness::ModalDriver driver(20000);
    driver.Then([&](winharness::ModalDriver& d) {
        if (!(dialog = ExtendedDialog(d)))
            return false;
        combo = GetDlgItem(dialog, kFileNameId);
        GetWindowRect(dialog, &size);
        EXPECT_NE(GetDlgItem(dialog, kFileNameId ^ kTwinIdMask), nullptr);
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        for (char c : std::string("alp"))
            SendMessageA(edit, WM_CHAR, WPARAM(c), 0);
        return true;
    }).Then([&](winharness::ModalDriver&) {
        HWND popup = Popup(dialog);
        if (!popup || !IsWindowVisible(popup) || SendMessageA(popup, LB_GETCOUNT, 0, 0) < 2)
            return false;
        rows = int(SendMessageA(popup, LB_GETCOUNT, 0, 0));
        winharness::Screenshot shot;
        EXPECT_TRUE(winharness::CaptureWindow(popup, &shot));
        size_t light = 0;
        for (uint32_t px : shot.pixels)
            light += (px & 0xFF) > 0x80;
        EXPECT_GT(light, shot.pixels.size() / 2);  // rows painted on the list's white
        SendMessageA(FindWindowExA(combo, nullptr, "Edit", nullptr), WM_KEYDOWN, VK_DOWN, 0);
        char text[MAX_PATH] = "";
        GetWindowTextA(combo, text, sizeof text);
        chosenByKey = text;
        SendMessageA(dialog, WM_COMMAND, kCopyPathCommand, 0);
        if (OpenClipboard(nullptr)) {
            if (const char* data = static_cast<const char*>(GetClipboardData(CF_TEXT)))
                clip = data;
            CloseClipboard();
        }
        std::string typed = folder + "/a.gpx";
        for (char& c : typed)
            c = c == '\\' ? '/' : c;
        SetWindowTextA(combo, typed.c_str());
        SendMessageA(FindWindowExA(combo, nullptr, "Edit", nullptr), WM_KEYDOWN, VK_RETURN, 0);
        GetWindowTextA(combo, text, sizeof text);
        slashed = text;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return true;
    });
    BOOL ok = FALSE;
    driver.Run([&] { ok = GetOpenFileNameA(&ofn); });
    EXPECT_TRUE(ok);
    EXPECT_STRCASEEQ(file, (folder + "\\a.gpx").c_str());
    int scale = GetSystemMetrics(SM_CXICON) > 32 ? GetSystemMetrics(SM_CXICON) : 32;
    // Wine keeps its template's size as the minimum (658 pixels wide).
    EXPECT_GE(size.right - size.left, 600 * scale / 32);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(chosenByKey, "alpha.gpx");
    EXPECT_STRCASEEQ(slashed.c_str(), (folder + "\\a.gpx").c_str());
    EXPECT_STRCASEEQ(clip.c_str(), folder.c_str());
    char list[1024] = "";
    DWORD bytes = sizeof list;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kListKey, "OfnListGpx", RRF_RT_REG_MULTI_SZ, nullptr, list, &bytes), 0);
    EXPECT_STRCASEEQ(list, (folder + "\\").c_str());
    EXPECT_EQ(ofn.Flags & ~OFN_READONLY, DWORD(OFN_EXPLORER | OFN_FILEMUSTEXIST));
    EXPECT_EQ(ofn.lpfnHook, nullptr);
}

TEST_F(FileDialogExt, SaveThroughOpenCaptionsAndRestoresTheCaller)
{
    char file[MAX_PATH] = "";
    const char* filter = "Nur lesen@GPX-Dateien\0*.gpx\0";
    OPENFILENAMEA ofn = Request(file, sizeof file);
    ofn.lpstrFilter = filter;
    ofn.Flags = OFN_EXPLORER | kOfnCaptionBit | kOfnModeNone;
    std::string okText, boxText, firstFilter;
    for (int run = 0; run < 2; ++run) {
        winharness::ModalDriver driver(15000);
        driver.Then([&](winharness::ModalDriver& d) {
            for (HWND wnd : d.Dialogs())
                if (IsWindow(wnd) && GetDlgItem(wnd, 1040) && IsWindowVisible(wnd)) {
                    char text[64] = "";
                    GetDlgItemTextA(wnd, IDOK, text, sizeof text);
                    okText = text;
                    GetDlgItemTextA(wnd, 1040, text, sizeof text);
                    boxText = text;
                    GetDlgItemTextA(wnd, 1136, text, sizeof text);  // the file types
                    firstFilter = text;
                    return PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0) != 0;
                }
            return false;
        });
        driver.Run([&] { GetSaveFileNameA(&ofn); });
        EXPECT_TRUE(okText == "&Save" || okText == "&Speichern") << okText;
        EXPECT_EQ(boxText, "Nur lesen");
        EXPECT_EQ(firstFilter, "GPX-Dateien");
        EXPECT_EQ(ofn.lpstrFilter, filter);
        EXPECT_EQ(ofn.Flags & ~OFN_READONLY, DWORD(OFN_EXPLORER | kOfnCaptionBit | kOfnModeNone));
    }
}

TEST_F(FileDialogExt, QuickDialogsLeaveNoWorker)
{
    const int before = ThreadCount();
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Request(file, sizeof file);
    ofn.lpstrDefExt = "tst";
    ofn.Flags = OFN_EXPLORER;
    for (int run = 0; run < 2; ++run) {
        winharness::ModalDriver driver(15000);
        driver.Then([&](winharness::ModalDriver& d) {
            HWND dialog = ExtendedDialog(d);
            return dialog && Popup(dialog) && PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        driver.Run([&] { GetOpenFileNameA(&ofn); });
    }
    EXPECT_LE(ThreadCount(), before + 1);  // Wine may keep one helper of its own
}

}  // namespace

namespace {

// A framework dialog's own object keeps its notifications while the
// extension works on the same dialog.
class CountingFileDialog : public CFileDialog {
public:
    CountingFileDialog() : CFileDialog(TRUE, "gpx") {}
    int folderChanges = 0;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        folderChanges += reinterpret_cast<NMHDR*>(lParam)->code == UINT(CDN_FOLDERCHANGE);
        return CFileDialog::OnNotify(wParam, lParam, result);
    }
};

TEST_F(FileDialogExt, FrameworkDialogRunsExtended)
{
    CountingFileDialog dialog;
    bool combo = false;
    winharness::ModalDriver driver(15000);
    driver.Then([&](winharness::ModalDriver& d) {
        HWND wnd = ExtendedDialog(d);
        combo = wnd != nullptr;
        return wnd && PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0);
    });
    INT_PTR answer = 0;
    driver.Run([&] { answer = dialog.DoModal(); });
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_TRUE(combo);
    EXPECT_GE(dialog.folderChanges, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

}  // namespace
