// The extended Open dialog in a folder of 5,000 subfolders named 0000 to
// 4999, as a user reported it: the folder made by this process just before,
// beside folders named like it and one with files, the dialog opened in it
// (no trailing separator), '0' typed 1.5 s after the popup exists, the text
// cleared and '0' typed again. The popup offers 0000 to 0099 each time, as
// it does when the dialog is opened in the parent and sent to the folder,
// and also when the folder's entries were made after the dialog had listed
// it.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/filedlg/file_dialog_test_support.h"
#include "tests/support/test_support.h"
#include "tests/winharness/registry_lock.h"
#include "ui/filedlg/ofn_logic.h"

namespace {

using namespace filedlg_test;
using winharness::ModalDriver;
typedef std::vector<std::string> Texts;

constexpr int kLateCount = 150;
// The user's pause between the popup's showing up and the first key.
constexpr DWORD kPauseMs = 1500;
constexpr DWORD kRowsMs = 5000, kRetypedRowsMs = 8000;

Texts First100() { return lindar_test::NumberedNames(0, 100); }

// The user's tree, made anew by each run: the big folder and, beside it,
// "big", "bigfoot" and "Alpen" with files. Removed at the end.
class FreshTree {
public:
    FreshTree()
    {
        char base[MAX_PATH] = "";
        GetTempPathA(sizeof base, base);
        parent = std::string(base) + "lindar-recipe-" + std::to_string(GetCurrentProcessId());
        big = parent + "\\0000 bis 4999";
        CreateDirectoryA(parent.c_str(), nullptr);
        for (const char* sibling : {"big", "bigfoot", "Alpen"})
            CreateDirectoryA((parent + "\\" + sibling).c_str(), nullptr);
        for (const char* file : kFiles)
            std::ofstream(parent + "\\Alpen\\" + file) << "x";
        winharness::MakeNumberedFolders(big, kRecipeCount);
    }
    ~FreshTree()
    {
        for (const std::string& name : lindar_test::NumberedNames(0, kRecipeCount))
            RemoveDirectoryA((big + "\\" + name).c_str());
        for (const char* file : kFiles)
            DeleteFileA((parent + "\\Alpen\\" + file).c_str());
        for (const char* folder : {"0000 bis 4999", "big", "bigfoot", "Alpen"})
            RemoveDirectoryA((parent + "\\" + folder).c_str());
        RemoveDirectoryA(parent.c_str());
    }
    std::string parent, big;

private:
    static constexpr const char* kFiles[] = {"Zugspitze.gpx", "Watzmann.gpx", "Touren.txt"};
};

struct RecipeCase {
    const char* name;
    std::string openIn;                // the dialog's initial folder
    std::string goTo;                  // typed into 1152 with IDOK, or empty
    std::function<void()> whenShown;   // once the popup exists
};

// The popup's rows after '0' is typed, and after the text is cleared and
// '0' typed again.
struct Seen {
    Texts typed, retyped;
};

Seen RunRecipe(const RecipeCase& c)
{
    char file[260] = "";
    OPENFILENAMEA ofn = OpenIn(c.openIn, file, sizeof file);
    ofn.lpstrFilter = "Alle Dateien\0*.*\0";
    HWND dialog = nullptr;
    DWORD since = 0;
    Seen seen;
    const Texts full = First100();
    auto typeZero = [&] {
        SendMessageA(ComboEditOf(dialog), WM_CHAR, '0', 0);
        since = GetTickCount();
    };
    ModalDriver driver(40000);
    driver.Then([&](ModalDriver& d) { return (dialog = ExtendedDialog(d)) && Popup(dialog); });
    if (!c.goTo.empty()) {
        driver.Then([&](ModalDriver&) {
            SetWindowTextA(GetDlgItem(dialog, kFileNameId), c.goTo.c_str());
            return PostMessageA(dialog, WM_COMMAND, IDOK, 0) != FALSE;
        });
        driver.Then([&](ModalDriver&) {
            char folder[MAX_PATH] = "";
            SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
            return lstrcmpiA(folder, c.goTo.c_str()) == 0;
        });
    }
    driver.Then([&](ModalDriver&) {
        if (c.whenShown)
            c.whenShown();
        since = GetTickCount();
        return true;
    });
    driver.Then([&](ModalDriver&) {
        if (GetTickCount() - since < kPauseMs)
            return false;
        typeZero();
        return true;
    });
    driver.Then([&](ModalDriver&) {
        seen.typed = PopupRows(Popup(dialog));
        if (seen.typed != full && GetTickCount() - since < kRowsMs)
            return false;
        SetWindowTextA(ComboEditOf(dialog), "");
        // The first typing's rows go, so only the second's count.
        SendMessageA(Popup(dialog), LB_RESETCONTENT, 0, 0);
        typeZero();
        return true;
    });
    driver.Then([&](ModalDriver&) {
        seen.retyped = PopupRows(Popup(dialog));
        if (seen.retyped != full && GetTickCount() - since < kRetypedRowsMs)
            return false;
        return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != FALSE;
    });
    driver.Run([&] { GetOpenFileNameA(&ofn); });
    return seen;
}

class BigFolderPopup : public ::testing::Test {
protected:
    static void SetUpTestSuite() { HookFileDialogs(nullptr); }
    winharness::RegistryLock m_turn;  // the recent list lives in the registry
};

TEST_F(BigFolderPopup, OffersTheFirstHundredBeginningsHoweverTheFolderWasReached)
{
    const FreshTree tree;
    const std::string &big = tree.big, &parent = tree.parent;
    // A folder of its own per run, empty when the dialog lists it.
    const std::string late = parent + "\\später " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(late.c_str(), nullptr);
    const RecipeCase cases[] = {
        {"opened in the folder", big, "", nullptr},
        {"opened in the parent, sent to the folder", parent, big, nullptr},
        {"its folders made once the popup exists", late, "",
         [&] { winharness::MakeNumberedFolders(late, kLateCount); }},
    };
    for (const RecipeCase& c : cases) {
        const Seen seen = RunRecipe(c);
        EXPECT_EQ(seen.typed, First100()) << c.name;
        EXPECT_EQ(seen.retyped, First100()) << c.name;
    }
    for (const std::string& name : lindar_test::NumberedNames(0, kLateCount))
        RemoveDirectoryA((late + "\\" + name).c_str());
    RemoveDirectoryA(late.c_str());
}

}  // namespace
