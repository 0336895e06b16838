// The extended file dialogs under Wine: the import patch, a full Open run
// with the recent list, the type-ahead popup and the context command, Save
// through Open with a caption, and workers that end with their dialogs.
#include <gtest/gtest.h>

#include "tests/filedlg/file_dialog_test_support.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/popup_menu_reader.h"
#include "tests/winharness/screenshot.h"
#include "ui/filedlg/edit_extensions.h"
#include "ui/filedlg/file_dialog_ext.h"
#include "ui/filedlg/ofn_logic.h"
#include "ui/filedlg/popup_list.h"
#include "ui/utils/work_area.h"
#include "tests/winharness/registry_lock.h"
#include "tests/winharness/thread_count.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

using filedlg_test::ExtendedDialog;
using filedlg_test::Popup;
using filedlg_test::Request;

using winharness::ThreadCount;

// The clipboard's text as any program reads it.
std::string ClipboardText()
{
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (const char* data = static_cast<const char*>(GetClipboardData(CF_TEXT)))
            text = data;
        CloseClipboard();
    }
    return text;
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
        clip = ClipboardText();
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

// The system remembers the size a dialog had for the next one; one sized
// past the screen comes back cut to the work area, inside it.
TEST_F(FileDialogExt, RememberedSizeLargerThanTheScreenOpensInTheWorkArea)
{
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Request(file, sizeof file);
    ofn.lpstrDefExt = "tst";
    ofn.Flags = OFN_EXPLORER;
    RECT area{}, grown{}, reopened{};
    for (RECT* seen : {&grown, &reopened}) {
        winharness::ModalDriver driver(15000);
        driver.Then([&](winharness::ModalDriver& d) {
            HWND dialog = ExtendedDialog(d);
            if (!dialog)
                return false;
            area = WorkAreaOf(dialog);
            if (seen == &grown)
                SetWindowPos(dialog, nullptr, 0, 0, area.right - area.left + 300, area.bottom - area.top + 200,
                             SWP_NOMOVE | SWP_NOZORDER);
            GetWindowRect(dialog, seen);
            return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != FALSE;
        });
        driver.Run([&] { GetOpenFileNameA(&ofn); });
    }
    ASSERT_GT(grown.right - grown.left, area.right - area.left);  // the system took the size
    EXPECT_EQ(std::vector<LONG>({reopened.left, reopened.top, reopened.right, reopened.bottom}),
              std::vector<LONG>({area.left, area.top, area.right, area.bottom}));
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

namespace {

typedef std::vector<std::string> Texts;

// A tree of umlaut and blank names, and a folder of 5,000 subfolders (made
// once per prefix: the second run finds them).
std::string TourTree()
{
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    std::string tree = std::string(base) + "Touren Ä";
    CreateDirectoryA(tree.c_str(), nullptr);
    for (const char* folder : {"Berge mit Leerzeichen", "Gipfel"})
        CreateDirectoryA((tree + "\\" + folder).c_str(), nullptr);
    for (const char* name : {"Allgäu.gpx", "Ärger Tour.gpx", "Bergem.gpx", "ALLGEMEIN.txt", "Übersicht.gpx"})
        std::ofstream(tree + "\\" + name) << "x";
    return tree;
}

std::string ManyFolders()
{
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    const std::string folder = std::string(base) + "Viele Ordner";
    winharness::MakeNumberedFolders(folder, 5000, "Ordner ");
    return folder;
}

using filedlg_test::ComboEditOf;
using filedlg_test::OpenIn;

// Types the text into the combo's edit as keys would, after emptying it.
void Type(HWND dialog, const std::string& text)
{
    SetWindowTextA(GetDlgItem(dialog, kFileNameId), "");
    for (char c : text)
        SendMessageA(ComboEditOf(dialog), WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
}

Texts PopupRows(HWND popup)
{
    Texts rows;
    for (LRESULT i = 0, n = popup ? SendMessageA(popup, LB_GETCOUNT, 0, 0) : 0; i < n; ++i) {
        char text[MAX_PATH] = "";
        if (SendMessageA(popup, LB_GETTEXTLEN, WPARAM(i), 0) < LRESULT(sizeof text))
            SendMessageA(popup, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// One dialog opened in a folder and typed into row by row; the rows the
// popup showed for each are kept.
class TypingRun {
public:
    TypingRun(const std::string& folder, size_t rows, DWORD watchdogMs)
        : seen(rows), m_ofn(OpenIn(folder, m_file, sizeof m_file)), m_driver(watchdogMs)
    {
        m_driver.Then([this](winharness::ModalDriver& d) { return (dialog = ExtendedDialog(d)) != nullptr; });
    }
    // A step of the caller's, then a wait until the popup's rows satisfy
    // `done` or the time is up.
    void ThenAwait(size_t row, std::function<void()> act, std::function<bool(const Texts&)> done, DWORD limitMs)
    {
        m_driver.Then([this, act](winharness::ModalDriver&) {
            act();
            m_since = GetTickCount();
            return true;
        });
        // The rows, shown or not: a parallel test's window that takes the
        // foreground takes the combo's focus, which hides the popup.
        m_driver.Then([this, row, done, limitMs](winharness::ModalDriver&) {
            seen[row] = PopupRows(Popup(dialog));
            return done(seen[row]) || GetTickCount() - m_since > limitMs;
        });
    }
    void TypeAndAwait(size_t row, const std::string& typed, std::function<bool(const Texts&)> done, DWORD limitMs)
    {
        ThenAwait(row, [this, typed] { Type(dialog, typed); }, std::move(done), limitMs);
    }
    void Run()
    {
        m_driver.Then([this](winharness::ModalDriver&) { return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != 0; });
        m_driver.Run([this] { GetOpenFileNameA(&m_ofn); });
    }

    HWND dialog = nullptr;
    std::vector<Texts> seen;

private:
    char m_file[MAX_PATH] = "";
    OPENFILENAMEA m_ofn;
    winharness::ModalDriver m_driver;
    DWORD m_since = 0;
};

struct OfferCase {
    std::string typed;
    Texts rows;  // sorted
};

// Case-blind in the code page's mapping: "ALLGÄ" finds "Allgäu.gpx".
TEST_F(FileDialogExt, PopupOffersBeginningsCaseBlind)
{
    const std::string tree = TourTree();
    const OfferCase cases[] = {
        {"ALLGÄ", {"Allgäu.gpx"}},
        {"allg", {"ALLGEMEIN.txt", "Allgäu.gpx"}},
        {"äRGER t", {"Ärger Tour.gpx"}},
        {"berge m", {"Berge mit Leerzeichen"}},
        {"ü", {"Übersicht.gpx"}},
    };
    std::vector<Texts> expected;
    TypingRun run(tree, std::size(cases), 20000 + 8000 * DWORD(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        expected.push_back(cases[i].rows);
        std::sort(expected.back().begin(), expected.back().end());
        run.TypeAndAwait(i, cases[i].typed, [sorted = expected.back()](const Texts& rows) { return rows == sorted; }, 8000);
    }
    run.Run();
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(run.seen[i], expected[i]) << cases[i].typed;
}

// Opened on a folder of 5,000 subfolders: beginnings within the first
// 2000 names listed and past them are offered, and a folder change for the
// folder already listed (a late first notification) keeps the typed text.
TEST_F(FileDialogExt, ManySubfoldersOfferEveryBeginning)
{
    const std::string many = ManyFolders();
    const struct {
        std::string typed;
        bool folderChangeAgain;
        std::string first, last;
    } cases[] = {
        {"Ordner 0", false, "Ordner 0000", "Ordner 0099"},
        {"ORDNER 4", false, "Ordner 4000", "Ordner 4099"},
        {"ordner 49", true, "Ordner 4900", "Ordner 4999"},
    };
    TypingRun run(many, std::size(cases), 30000 + 10000 * DWORD(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string first = cases[i].first, last = cases[i].last;
        auto full = [first, last](const Texts& rows) {
            return rows.size() == 100 && rows.front() == first && rows.back() == last;
        };
        run.TypeAndAwait(i, cases[i].typed, full, 10000);
        if (!cases[i].folderChangeAgain)
            continue;
        run.ThenAwait(i, [&run] {
            // The hook's child hears the folder change as from the system.
            HWND child = FindWindowExA(run.dialog, nullptr, "#32770", nullptr);
            OFNOTIFYA note{};
            note.hdr.hwndFrom = run.dialog;
            note.hdr.code = UINT(CDN_FOLDERCHANGE);
            SendMessageA(child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
        }, full, 10000);
    }
    run.Run();
    for (size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_EQ(run.seen[i].size(), 100u) << cases[i].typed;
        EXPECT_EQ(run.seen[i].front(), cases[i].first) << cases[i].typed;
        EXPECT_EQ(run.seen[i].back(), cases[i].last) << cases[i].typed;
    }
}

// Our own popup lists still there, of any dialog.
int PopupsLeft()
{
    int left = 0;
    for (HWND popup = nullptr; (popup = FindWindowExA(nullptr, popup, kPopupListClass, nullptr));) {
        DWORD process = 0;
        GetWindowThreadProcessId(popup, &process);
        left += process == GetCurrentProcessId();
    }
    return left;
}

// Closed while its worker lists the folder of 5,000 names or matches in it:
// each close waits for the worker, so later runs add no thread, and no popup
// outlives its dialog.
TEST_F(FileDialogExt, ClosingDuringAListingEndsTheWorker)
{
    const std::string many = ManyFolders();
    const struct {
        std::string typed;  // empty: closed as soon as it shows
        bool awaitOffers;   // else closed right after typing
    } cases[] = {
        {"", false},
        {"Ordner 4", false},
        {"ordner 0", true},
        {"Ordner 49", true},
        {"ORDNER 1", false},
    };
    int threads = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        TypingRun run(many, 1, 30000);
        if (!c.typed.empty())
            run.TypeAndAwait(0, c.typed, [&c](const Texts& rows) { return !c.awaitOffers || !rows.empty(); }, 10000);
        run.Run();
        if (c.awaitOffers) {
            EXPECT_FALSE(run.seen[0].empty()) << c.typed;
        }
        EXPECT_EQ(PopupsLeft(), 0) << c.typed;
        // Wine starts helpers of its own with the first dialog.
        if (i == 0)
            threads = ThreadCount();
        EXPECT_LE(ThreadCount(), threads) << c.typed;
    }
}

Texts StoredList()
{
    char list[4096] = "";
    DWORD bytes = sizeof list;
    Texts entries;
    if (RegGetValueA(HKEY_CURRENT_USER, kListKey, "OfnListGpx", RRF_RT_REG_MULTI_SZ, nullptr, list, &bytes) != 0)
        return entries;
    for (const char* at = list; *at && at < list + bytes; at += strlen(at) + 1)
        entries.push_back(at);
    return entries;
}

void StoreList(const Texts& entries)
{
    std::string bytes;
    for (const std::string& entry : entries)
        bytes += entry + '\0';
    bytes += '\0';
    RegSetKeyValueA(HKEY_CURRENT_USER, kListKey, "OfnListGpx", REG_MULTI_SZ, bytes.data(), DWORD(bytes.size()));
}

// The recent list keeps one spelling of a folder: the chosen path's ".."
// parts are collapsed before the case-blind match, national letters too.
TEST_F(FileDialogExt, RecentListKeepsOneSpellingPerFolder)
{
    const std::string tree = TourTree();
    std::string lower = tree;
    CharLowerBuffA(lower.data(), DWORD(lower.size()));  // ...\touren ä
    const std::string other = "C:\\Daten\\GPS\\";
    const struct {
        Texts before;
        Texts after;
    } cases[] = {
        {{lower + "\\", other}, {lower + "\\", other}},
        {{other, lower + "\\"}, {tree + "\\", other}},
    };
    for (const auto& c : cases) {
        StoreList(c.before);
        char file[MAX_PATH] = "";
        OPENFILENAMEA ofn = OpenIn(tree, file, sizeof file);
        winharness::ModalDriver driver(20000);
        driver.Then([&](winharness::ModalDriver& d) {
            HWND dialog = ExtendedDialog(d);
            if (!dialog)
                return false;
            SetWindowTextA(GetDlgItem(dialog, kFileNameId), (tree + "\\Gipfel\\..\\Allgäu.gpx").c_str());
            return PostMessageA(dialog, WM_COMMAND, IDOK, 0) != 0;
        });
        BOOL ok = FALSE;
        driver.Run([&] { ok = GetOpenFileNameA(&ofn); });
        EXPECT_TRUE(ok);
        Texts after = StoredList();
        ASSERT_EQ(after.size(), c.after.size());
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_STRCASEEQ(after[i].c_str(), c.after[i].c_str()) << i;
        EXPECT_EQ(after[0], c.after[0]) << "the spelling kept";
    }
}

TEST_F(FileDialogExt, ContextMenuCopiesTheFolder)
{
    const std::string tree = TourTree();
    const std::vector<winharness::MenuEntry> expected = {{UINT(kCopyPathCommand), "Kopiere aktuellen Pfad"}};
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = OpenIn(tree, file, sizeof file);
    HWND dialog = nullptr;
    std::unique_ptr<winharness::PopupMenuReader> reader;
    std::string clip;
    DWORD since = 0;
    winharness::ModalDriver driver(20000);
    driver.Then([&](winharness::ModalDriver& d) {
        if (!(dialog = ExtendedDialog(d)))
            return false;
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        // Read from another thread as a user's tool would; its one entry chosen.
        reader = std::make_unique<winharness::PopupMenuReader>(expected[0].text, 10000);
        RECT r;
        GetWindowRect(dialog, &r);
        // Posted: the menu's own loop must not run inside this step.
        PostMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(r.left + 40, r.top + 60));
        since = GetTickCount();
        return true;
    }).Then([&](winharness::ModalDriver&) {
        clip = ClipboardText();
        return (reader->Done() && clip == tree) || GetTickCount() - since > 8000;
    }).Then([&](winharness::ModalDriver&) { return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != 0; });
    driver.Run([&] { GetOpenFileNameA(&ofn); });
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->Entries(), expected);
    EXPECT_EQ(clip, tree);
}

// The collapsing of chosen paths agrees with the system's own.
TEST(FileDialogPaths, CollapseAgreesWithGetFullPathName)
{
    const char* paths[] = {
        "C:\\Touren Ä\\Gipfel\\..\\..\\a.gpx", "C:\\Touren Ä\\.\\Gipfel\\", "C:/Touren Ä//Gipfel/../b c.gpx",
        "C:\\..\\..\\x", "C:\\a\\..", "\\\\srv\\teil\\x\\..\\..\\y", "C:\\Über\\\\Gipfel",
    };
    for (const char* path : paths) {
        char full[MAX_PATH] = "";
        ASSERT_GT(GetFullPathNameA(path, sizeof full, full, nullptr), 0u) << path;
        EXPECT_EQ(CollapsePath(path), std::string(full)) << path;
    }
}

}  // namespace
