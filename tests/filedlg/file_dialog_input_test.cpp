// The extended Open dialog's popup under a user's hand: typed text, Down
// and Up, a click on a row and Enter, through the input queue. Each row
// opens the dialog on a small folder, performs its gestures and compares
// what the dialog then shows (or chose) with what the user expects.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/filedlg/file_dialog_test_support.h"
#include "tests/support/test_support.h"
#include "tests/winharness/real_input.h"
#include "tests/winharness/registry_lock.h"
#include "ui/filedlg/ofn_logic.h"

namespace {

using namespace filedlg_test;
using winharness::InputPending;
using winharness::ModalDriver;
using winharness::Reachable;
using winharness::RealInput;
typedef std::vector<std::string> Texts;

std::string Folder()
{
    static const std::string folder = [] {
        char base[MAX_PATH] = "";
        GetTempPathA(sizeof base, base);
        std::string f = std::string(base) + "lindar-ofn-input";
        CreateDirectoryA(f.c_str(), nullptr);
        CreateDirectoryA((f + "\\Alpen").c_str(), nullptr);
        for (const char* name : {"alpha.gpx", "alpine.txt", "beta.gpx"})
            std::ofstream(f + "\\" + name) << "x";
        return f;
    }();
    return folder;
}

// What the user sees or got: whether the dialog ended with a file (its name
// in the folder; none when cancelled), the folder it shows (below the row's
// folder, empty for that one), the combo's text, whether the popup shows and
// its rows, and whether the keys still go to the combo.
struct Outcome {
    bool ended = false;
    std::string file;
    std::string folder;
    std::string text;
    bool shown = false;
    Texts rows;
    bool keysToCombo = false;

    bool operator==(const Outcome& o) const
    {
        return std::tie(ended, file, folder, text, shown, rows, keysToCombo) ==
               std::tie(o.ended, o.file, o.folder, o.text, o.shown, o.rows, o.keysToCombo);
    }
};

void PrintTo(const Outcome& o, std::ostream* out)
{
    if (o.ended) {
        *out << (o.file.empty() ? "cancelled" : "ended with " + o.file);
        return;
    }
    *out << "in \"" << o.folder << "\" text=\"" << o.text << "\" popup " << (o.shown ? "shown {" : "hidden {");
    for (const std::string& r : o.rows)
        *out << r << ";";
    *out << "} keys to " << (o.keysToCombo ? "combo" : "elsewhere");
}

Outcome Showing(const std::string& text, bool shown, Texts rows = {})
{
    return {false, "", "", text, shown, std::move(rows), true};
}
// The dialog went into a subfolder of the row's folder; the keys go to the
// combo unless OK took the focus (a click, its mnemonic).
Outcome InFolder(const std::string& folder, bool keysToCombo)
{
    Outcome o = Showing("", false);
    o.folder = folder;
    o.keysToCombo = keysToCombo;
    return o;
}
Outcome Ended(const std::string& file) { return {true, file, "", "", false, {}, false}; }
Outcome Cancelled() { return Ended(""); }

enum class Act { kType, kKey, kClickRow, kAwaitRows, kClickOk, kOkMnemonic };
struct Gesture {
    Act act;
    std::string text;  // typed, or the row clicked
    WORD key = 0;
    Texts rows = {};
};
Gesture Type(const std::string& text) { return {Act::kType, text}; }
Gesture Key(WORD key) { return {Act::kKey, "", key}; }
Gesture ClickRow(const std::string& row) { return {Act::kClickRow, row}; }
Gesture ClickOk() { return {Act::kClickOk, ""}; }
// Alt and the underlined letter of the OK button ("&Open", "Ö&ffnen").
Gesture OkMnemonic() { return {Act::kOkMnemonic, ""}; }
// Waits until the popup shows these rows, as the user waits to see them
// (each typed character empties and refills it).
Gesture AwaitRows(const Texts& rows) { return {Act::kAwaitRows, "", 0, rows}; }

struct Row {
    const char* action;
    std::vector<Gesture> gestures;
    Outcome expected;
};

// The dialog's folder below `start`: empty for it, the rest for a subfolder,
// else the whole path.
std::string FolderBelow(HWND dialog, const std::string& start)
{
    char folder[MAX_PATH] = "";
    SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    const std::string shown = folder;
    if (lstrcmpiA(shown.c_str(), start.c_str()) == 0)
        return "";
    if (shown.size() > start.size() + 1 && lstrcmpiA(shown.substr(0, start.size()).c_str(), start.c_str()) == 0)
        return shown.substr(start.size() + 1);
    return shown;
}

Outcome Observe(HWND dialog, const std::string& start)
{
    Outcome o;
    o.folder = FolderBelow(dialog, start);
    const HWND combo = GetDlgItem(dialog, kFileNameId);
    char text[MAX_PATH] = "";
    GetWindowTextA(combo, text, sizeof text);
    o.text = text;
    const HWND popup = Popup(dialog);
    o.shown = popup && IsWindowVisible(popup);
    if (o.shown)
        o.rows = PopupRows(popup);
    o.keysToCombo = GetActiveWindow() == dialog && GetFocus() == ComboEditOf(dialog);
    return o;
}

class FileDialogInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() { HookFileDialogs(nullptr); }
    winharness::RegistryLock m_turn;  // the recent list lives in the registry
};

Outcome RunRow(const Row& row, const std::string& folder)
{
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = OpenIn(folder, file, sizeof file);
    RealInput input(RealInput::Pump::kNo);
    ModalDriver driver(20000);
    HWND dialog = nullptr;
    DWORD start = GetTickCount();
    Outcome seen;
    driver.Then([&](ModalDriver& d) {
        dialog = ExtendedDialog(d);
        return winharness::ShownAndActive(dialog, start) && Reachable(GetDlgItem(dialog, kFileNameId)) &&
               Popup(dialog) && GetFocus() == ComboEditOf(dialog);
    });
    // The pointer rests away from where the popup shows: a row under it
    // would take the selection, as the user's hand on it would.
    driver.Then([&](ModalDriver&) {
        input.Park();
        return true;
    });
    for (const Gesture& g : row.gestures)
        driver.Then([&, g](ModalDriver&) {
            if (InputPending())
                return false;
            switch (g.act) {
            case Act::kType: input.Type(g.text); break;
            case Act::kKey: input.Key(g.key); break;
            case Act::kClickOk: {
                const HWND ok = GetDlgItem(dialog, IDOK);
                RECT r = {};
                GetClientRect(ok, &r);
                input.Click(ok, {r.right / 2, r.bottom / 2});
                break;
            }
            case Act::kOkMnemonic: {
                char caption[64] = "";
                GetDlgItemTextA(dialog, IDOK, caption, sizeof caption);
                const char* amp = strchr(caption, '&');
                if (!amp || !amp[1])
                    return false;
                input.Key(VkKeyScanA(amp[1]) & 0xFF, winharness::kAlt);
                break;
            }
            case Act::kAwaitRows: {
                const HWND popup = Popup(dialog);
                return IsWindowVisible(popup) && PopupRows(popup) == g.rows;
            }
            case Act::kClickRow: {
                const HWND list = FindWindowExA(Popup(dialog), nullptr, "ListBox", nullptr);
                const Texts rows = PopupRows(Popup(dialog));
                LRESULT index = 0;
                while (index < LRESULT(rows.size()) && rows[size_t(index)] != g.text)
                    ++index;
                RECT r = {};
                SendMessageA(list, LB_GETITEMRECT, WPARAM(index), LPARAM(&r));
                input.Click(list, {r.left + 10, (r.top + r.bottom) / 2});
                break;
            }
            }
            return true;
        });
    if (!row.expected.ended)
        driver.Then([&](ModalDriver&) {
            if (InputPending())
                return false;
            seen = Observe(dialog, folder);
            if (!(seen == row.expected) && GetTickCount() - start < 10000)
                return false;
            return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != FALSE;
        });
    start = GetTickCount();
    BOOL ok = FALSE;
    driver.Run([&] { ok = GetOpenFileNameA(&ofn); });
    if (ok) {
        const std::string chosen = file;
        seen = Ended(chosen.size() > folder.size() &&
                             lstrcmpiA(chosen.substr(0, folder.size()).c_str(), folder.c_str()) == 0
                         ? chosen.substr(folder.size() + 1)
                         : chosen);
    } else if (row.expected.ended) {
        seen = Cancelled();
    }
    return seen;
}

// The popup offers the folder's names that begin with the typed text;
// Down and Up walk its rows into the combo, a click takes a row, Enter
// opens what the combo names.
TEST_F(FileDialogInput, Popup)
{
    const Texts alp = {"Alpen", "alpha.gpx", "alpine.txt"};
    const Row rows[] = {
        {"type \"alp\"", {Type("alp")}, Showing("alp", true, alp)},
        {"type \"alp\", Down", {Type("alp"), AwaitRows(alp), Key(VK_DOWN)}, Showing("Alpen", true, alp)},
        {"type \"alp\", Down, Down", {Type("alp"), AwaitRows(alp), Key(VK_DOWN), Key(VK_DOWN)},
         Showing("alpha.gpx", true, alp)},
        {"type \"alp\", Down, Down, Up", {Type("alp"), AwaitRows(alp), Key(VK_DOWN), Key(VK_DOWN), Key(VK_UP)},
         Showing("Alpen", true, alp)},
        {"type \"alp\", click alpine.txt", {Type("alp"), AwaitRows(alp), ClickRow("alpine.txt")},
         Showing("alpine.txt", false)},
        {"type \"alp\", click alpine.txt, type \"x\"", {Type("alp"), AwaitRows(alp), ClickRow("alpine.txt"), Type("x")},
         Showing("x", false)},
        {"type \"be\", Backspace twice", {Type("be"), AwaitRows({"beta.gpx"}), Key(VK_BACK), Key(VK_BACK)}, Showing("", false)},
        {"type \"alp\", Down, Down, Enter", {Type("alp"), AwaitRows(alp), Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN)},
         Ended("alpha.gpx")},
        {"type \"alp\", click alpha.gpx, Enter", {Type("alp"), AwaitRows(alp), ClickRow("alpha.gpx"), Key(VK_RETURN)},
         Ended("alpha.gpx")},
        // Escape closes the popup only, as completion lists do; the next one
        // cancels.
        {"type \"alp\", Escape", {Type("alp"), AwaitRows(alp), Key(VK_ESCAPE)}, Showing("alp", false)},
        {"type \"alp\", Escape, type \"i\"", {Type("alp"), AwaitRows(alp), Key(VK_ESCAPE), Type("i")},
         Showing("alpi", true, {"alpine.txt"})},
        {"type \"alp\", Escape, Escape", {Type("alp"), AwaitRows(alp), Key(VK_ESCAPE), Key(VK_ESCAPE)}, Cancelled()},
        {"Escape", {Key(VK_ESCAPE)}, Cancelled()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        EXPECT_EQ(RunRow(row, Folder()), row.expected) << row.action;
    }
}

// A path typed with '/' opens as with '\\', however OK is given: Enter
// (which the dialog manager turns into OK before the combo sees it), a click
// on the button or its mnemonic.
TEST_F(FileDialogInput, SlashedPath)
{
    std::string slashed = Folder();
    for (char& c : slashed)
        if (c == '\\')
            c = '/';
    const Row rows[] = {
        {"type the slashed path, Enter", {Type(slashed + "/Alpen"), Key(VK_RETURN)}, InFolder("Alpen", true)},
        {"type the slashed path, click OK", {Type(slashed + "/Alpen"), ClickOk()}, InFolder("Alpen", false)},
        {"type the slashed path, Alt+mnemonic of OK", {Type(slashed + "/Alpen"), OkMnemonic()}, InFolder("Alpen", false)},
        {"type the slashed path of a file, Enter", {Type(slashed + "/alpha.gpx"), Key(VK_RETURN)}, Ended("alpha.gpx")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        EXPECT_EQ(RunRow(row, Folder()), row.expected) << row.action;
    }
}

// The folder of 5,000 subfolders: beginnings within the first 2000 names
// listed and past them.
TEST_F(FileDialogInput, BigFolder)
{
    const Texts zero = lindar_test::NumberedNames(0, 100), fortyNine = lindar_test::NumberedNames(4900, 100);
    const Row rows[] = {
        {"type \"0\"", {Type("0")}, Showing("0", true, zero)},
        {"type \"49\", Down", {Type("49"), AwaitRows(fortyNine), Key(VK_DOWN)}, Showing("4900", true, fortyNine)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        EXPECT_EQ(RunRow(row, RecipeFolder()), row.expected) << row.action;
    }
}

}  // namespace
