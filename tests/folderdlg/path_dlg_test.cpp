// The folder dialog under Wine, driven from inside its modal loop over a
// folder tree prepared on the prefix's drive C:.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "system/path_text.h"
#include "system/registry.h"
#include "tests/folderdlg/path_dlg_test_support.h"
#include "tests/support/test_support.h"
#include "tests/winharness/dropped_files.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/numbered_folders.h"
#include "tests/winharness/registry_lock.h"
#include "tests/winharness/thread_count.h"
#include "ui/folderdlg/path_dlg.h"

namespace {

using pathdlg_test::ChildTexts;
using pathdlg_test::ItemText;
using pathdlg_test::SetMode;
using winharness::MakeDrop;
using winharness::ModalDriver;
typedef std::function<bool(CPathDlg&, HWND)> DlgStep;

constexpr int kBigCount = 5000;

// C:\...\Temp\lindar-pathdlg with a\b, a\c, a\Cello and big\0000..4999.
const std::string& Root()
{
    static const std::string root = [] {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        std::string r = TrimDialogPath(std::string(temp) + "lindar-pathdlg");
        for (const char* sub : {"\\a\\b", "\\a\\c", "\\a\\Cello"})
            CreateDirectoryTreeA((r + sub).c_str());
        winharness::MakeNumberedFolders(r + "\\big", kBigCount);
        return r;
    }();
    return root;
}

DWORD Mode(const char* name)
{
    CRegistry reg;
    DWORD value = 99;
    if (reg.Open(HKEY_CURRENT_USER, "Software\\Velk\\Common", CRegistry::kModeRead))
        reg.ReadValue(&value, 4, name, REG_DWORD);
    return value;
}

std::string Text(HWND dlg, int id)
{
    char text[MAX_PATH * 2] = "";
    GetDlgItemTextA(dlg, id, text, sizeof text);
    return text;
}

bool SamePathText(const char* a, const std::string& b) { return lstrcmpiA(a, b.c_str()) == 0; }

LRESULT Item(HWND dlg, int id, UINT message, WPARAM w = 0, LPARAM l = 0) { return SendDlgItemMessageA(dlg, id, message, w, l); }

// Runs the dialog through the steps; each step sees the dialog object and
// window and answers true when done. The steps begin with the focus in the
// path box and its edit closed (as Escape leaves the edit that opens with
// the dialog), so OK and Cancel act at once.
INT_PTR RunDialog(CPathDlg& dialog, int options, std::vector<DlgStep> steps, DWORD watchdog = 10000)
{
    ModalDriver driver(watchdog);
    driver.Then([&dialog](ModalDriver& d) {
        if (d.TopDialog() && dialog.PathCombo())
            dialog.PathCombo()->EndEdit(1);
        return d.TopDialog() != nullptr;
    });
    for (DlgStep& step : steps)
        driver.Then([&dialog, step](ModalDriver& d) {
            const HWND dlg = d.TopDialog();
            return dlg && step(dialog, dlg);
        });
    INT_PTR result = -2;
    dialog.SetOptions(unsigned(options));  // DoModalEx takes bits 1 to 8 only
    driver.Run([&] { result = dialog.DoModalEx(nullptr, options); });
    return result;
}

// The list shows the levels of path and n subfolders.
DlgStep Listed(size_t levels, int subfolders)
{
    return [=](CPathDlg&, HWND dlg) {
        return Item(dlg, 1015, LB_GETCOUNT) == LRESULT(levels) + subfolders &&
               Item(dlg, 1015, LB_GETCURSEL) == LRESULT(levels) - 1;
    };
}

DlgStep Click(int id)
{
    return [=](CPathDlg&, HWND dlg) { return PostMessageA(dlg, WM_COMMAND, id, 0) != FALSE; };
}

// The modes live in one registry key for every program: the tests of
// parallel processes take turns.
class PathDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMode("PathDlgTreeMode", 0);
        SetMode("PathDlgBreadCrumb", 1);
        levels = SplitPathLevels(Root()).size();
    }
    winharness::RegistryLock m_turn;
    size_t levels = 0;
};

// A caller's relative path is made absolute from the process's current
// directory (only what the user types is taken from the folder shown).
TEST(PathDlgSetPath, CallersRelativePathTakesTheCurrentDirectory)
{
    char before[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof before, before);
    ASSERT_TRUE(SetCurrentDirectoryA((Root() + "\\a").c_str()));
    CPathDlg dialog;
    const std::tuple<const char*, std::string> rows[] = {
        {"b", Root() + "\\a\\b"}, {" ..\\c/", Root() + "\\c"}, {"..", Root()}};
    for (const auto& [text, path] : rows) {
        dialog.SetPath((Root() + "\\a\\b").c_str());
        EXPECT_EQ(std::string(dialog.SetPath(text)), path) << text;
    }
    SetCurrentDirectoryA(before);
}

TEST_F(PathDlgTest, ClassicViewTypeAheadAndOk)
{
    const char kEntry[] = "#Software\\LindarTest/PathDlg\\Pfad";
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\LindarTest\\PathDlg");
    CPathDlg dialog(nullptr, kEntry);
    dialog.SetPath((Root() + "/a/").c_str());
    const std::string a = Root() + "\\a";
    const INT_PTR result = RunDialog(dialog, 3,
        {Listed(levels + 1, 3),
         // Rows: levels, then b, c, Cello by name without case: b, c, Cello.
         [&](CPathDlg&, HWND dlg) {
             SetFocus(GetDlgItem(dlg, 1015));
             SendDlgItemMessageA(dlg, 1015, WM_CHAR, 'c', 0);
             SendDlgItemMessageA(dlg, 1015, WM_CHAR, 'e', 0);
             EXPECT_EQ(Item(dlg, 1015, LB_GETCURSEL), LRESULT(levels + 3));  // "Cello"
             SendDlgItemMessageA(dlg, 1015, LB_SETCURSEL, levels, 0);       // back on "a"
             SetFocus(GetDlgItem(dlg, IDOK));
             return true;
         },
         Click(IDOK)});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetPath(1), a + "\\");
    EXPECT_EQ(dialog.GetPath(0), a);
    // The entry keeps the last folder and the recent list for the next run.
    CPathDlg next(nullptr, kEntry);
    EXPECT_EQ(next.GetPath(0), a);
    CRegistry reg;
    CRecordArray recent;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, "Software\\LindarTest\\PathDlg", CRegistry::kModeRead));
    ASSERT_EQ(reg.ReadMultiString(recent, "PfadLast"), 1);
    EXPECT_EQ(recent.GetString(0), a);
}

TEST_F(PathDlgTest, BreadcrumbSegmentAndCreateOnOk)
{
    CPathDlg dialog;
    dialog.SetPath((Root() + "\\a\\b").c_str());
    const std::string made = Root() + "\\new1\\new2";
    RemoveDirectoryA(made.c_str());
    const INT_PTR result = RunDialog(dialog, 3,
        {Listed(levels + 2, 0),
         [&](CPathDlg& d, HWND dlg) {
             EXPECT_TRUE(d.PathCombo()->ClickSegment(levels));  // the segment "a"
             EXPECT_EQ(Text(dlg, 1017), Root() + "\\a");
             return true;
         },
         Listed(levels + 1, 3),
         [&](CPathDlg&, HWND dlg) {
             // Wider by 100: the buttons move, the list grows; a drag of the
             // left edge below the minimum keeps the right edge.
             RECT w, ok, list, ok2, list2;
             GetWindowRect(dlg, &w);
             GetWindowRect(GetDlgItem(dlg, IDOK), &ok);
             GetWindowRect(GetDlgItem(dlg, 1015), &list);
             SetWindowPos(dlg, nullptr, 0, 0, w.right - w.left + 100, w.bottom - w.top, SWP_NOMOVE | SWP_NOZORDER);
             GetWindowRect(GetDlgItem(dlg, IDOK), &ok2);
             GetWindowRect(GetDlgItem(dlg, 1015), &list2);
             EXPECT_EQ(std::make_tuple(ok2.left - ok.left, ok2.right - ok.right), std::make_tuple(100L, 100L));
             EXPECT_EQ(std::make_tuple(list2.left, list2.right - list.right), std::make_tuple(list.left, 100L));
             RECT drag = {w.right - 50, w.top, w.right, w.bottom};
             SendMessageA(dlg, WM_SIZING, WMSZ_LEFT, LPARAM(&drag));
             EXPECT_EQ(std::make_tuple(drag.left, drag.right), std::make_tuple(w.left + 100, w.right));
             return SetDlgItemTextA(dlg, 1017, made.c_str()) != FALSE;
         },
         Click(IDOK),
         Listed(levels + 2, 0), Click(IDOK)});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(GetPathTypeA(made.c_str()), kPathFolder);
    EXPECT_EQ(dialog.GetPath(1), made + "\\");
}

TEST_F(PathDlgTest, TreeFollowsComboAndComboFollowsTree)
{
    SetMode("PathDlgTreeMode", 1);
    CPathDlg dialog;
    dialog.SetPath(Root().c_str());
    const std::string b = Root() + "\\a\\b", c = Root() + "\\a\\c";
    const INT_PTR result = RunDialog(dialog, 3,
        {[&](CPathDlg& d, HWND) { return d.IsTreeMode() && SamePathText(d.Tree()->m_selectedPath, Root()); },
         [&](CPathDlg& d, HWND dlg) {
             d.PathCombo()->StartEdit();
             SetDlgItemTextA(dlg, 1017, b.c_str());
             return d.PathCombo()->EndEdit(0) != FALSE;
         },
         [&](CPathDlg& d, HWND) { return SamePathText(d.Tree()->m_selectedPath, b); },
         [&](CPathDlg& d, HWND) {
             // A click selects the sibling: the combo follows three ticks later.
             const HTREEITEM item = TreeView_GetSelection(d.Tree()->m_hWnd);
             const HTREEITEM next = TreeView_GetNextSibling(d.Tree()->m_hWnd, item);
             return next && TreeView_SelectItem(d.Tree()->m_hWnd, next);
         },
         [&](CPathDlg&, HWND dlg) { return SamePathText(Text(dlg, 1017).c_str(), c); },
         [&](CPathDlg& d, HWND dlg) {
             // A double click on the node's label confirms it, as the
             // TreeList reports it.
             const HWND tree = d.Tree()->m_hWnd;
             RECT label = {};
             const HTREEITEM selected = TreeView_GetSelection(tree);
             std::memcpy(&label, &selected, sizeof selected);  // the item goes in the rectangle
             SendMessageA(tree, TVM_GETITEMRECT, TRUE, LPARAM(&label));
             NMTREEVIEWA nm = {};
             nm.hdr = {tree, UINT_PTR(1099), UINT(NM_DBLCLK)};
             nm.itemNew.hItem = selected;
             nm.ptDrag = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
             SendMessageA(dlg, WM_NOTIFY, 1099, LPARAM(&nm));
             return true;
         }});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetPath(1), c + "\\");
    EXPECT_EQ(Mode("PathDlgTreeMode"), 1u);
    EXPECT_EQ(Mode("PathDlgBreadCrumb"), 1u);  // not changed by the double click
}

TEST_F(PathDlgTest, ModesSavedUnlessOptedOutAndCancelGivesNothing)
{
    // Options; "PathDlgTreeMode" and "PathDlgBreadCrumb" afterwards.
    const std::tuple<int, DWORD, DWORD> cases[] = {{3, 0, 0}, {3 | 8 | 16, 7, 7}};
    for (const auto& [options, tree, crumb] : cases) {
        SetMode("PathDlgTreeMode", 7);
        SetMode("PathDlgBreadCrumb", 7);
        CPathDlg dialog;
        dialog.SetPath(Root().c_str());
        const bool optedOut = options & 8;
        const INT_PTR result = RunDialog(dialog, options,
            {[&](CPathDlg&, HWND dlg) {
                 EXPECT_EQ((GetWindowLongA(GetDlgItem(dlg, 1001), GWL_STYLE) & WS_VISIBLE) != 0, !optedOut);
                 if (!optedOut) {
                     SendDlgItemMessageA(dlg, 1001, BM_SETCHECK, BST_UNCHECKED, 0);
                     SendDlgItemMessageA(dlg, 1002, BM_SETCHECK, BST_UNCHECKED, 0);
                     PostMessageA(dlg, WM_COMMAND, 1002, 0);
                 }
                 return true;
             },
             Click(IDCANCEL)});
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_STREQ(dialog.GetPath(1), "");
        EXPECT_EQ(Mode("PathDlgTreeMode"), tree) << options;
        EXPECT_EQ(Mode("PathDlgBreadCrumb"), crumb) << options;
    }
}

using winharness::ThreadCount;

TEST_F(PathDlgTest, BigFolderLatencyCleanStopAndNoLeaks)
{
    const std::string big = Root() + "\\big";
    // One measured run: time to the first rows, longest gap between the
    // driver's 20 ms ticks while the 5,000 rows come in.
    {
        CPathDlg dialog;
        dialog.SetPath(big.c_str());
        DWORD start = 0, firstRows = 0, last = 0, longest = 0;
        RunDialog(dialog, 3 | 16,
            {[&](CPathDlg&, HWND dlg) {
                 const DWORD now = GetTickCount();
                 if (!start)
                     start = now;
                 if (last && now - last > longest)
                     longest = now - last;
                 last = now;
                 const LRESULT rows = Item(dlg, 1015, LB_GETCOUNT);
                 if (rows > LRESULT(levels) && !firstRows)
                     firstRows = now - start;
                 return rows == LRESULT(levels + 1) + kBigCount;
             },
             Click(IDCANCEL)},
            30000);
        std::printf("[latency] first rows after %lu ms, longest UI gap %lu ms\n", firstRows, longest);
        RecordProperty("first_rows_ms", int(firstRows));
        RecordProperty("longest_gap_ms", int(longest));
        EXPECT_LT(longest, 1000u);
    }
    const int threads = ThreadCount();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    // Closing during the listing stops the worker; 20 runs leave nothing.
    DWORD longestClose = 0;
    std::vector<LONG> listTops;  // each run lays the list out alike
    for (int i = 0; i < 20; ++i) {
        CPathDlg dialog;
        dialog.SetPath(big.c_str());
        DWORD cancelled = 0;
        EXPECT_EQ(RunDialog(dialog, 3 | (i & 1 ? 16 : 8), {[&](CPathDlg&, HWND dlg) {
                                 RECT r;
                                 GetWindowRect(GetDlgItem(dlg, 1015), &r);
                                 MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
                                 listTops.push_back(r.top);
                                 cancelled = GetTickCount();
                                 return PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0) != FALSE;
                             }}),
                  IDCANCEL);
        longestClose = std::max(longestClose, GetTickCount() - cancelled);
        EXPECT_FALSE(dialog.IsWorkerAlive());
    }
    std::printf("[latency] longest close during a listing %lu ms; GDI objects %lu before, %lu after\n", longestClose,
                gdi, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    EXPECT_EQ(std::count(listTops.begin(), listTops.end(), listTops.front()), 20);
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
}

// Folders with umlauts and blanks, in the order the user's locale gives
// them, below a root whose own name has both.
const char* const kNames[] = {"äpfel", "Ärger", "Berge mit Leerzeichen", "Bergem", "Übersicht", "Weg"};
constexpr int kNameCount = int(sizeof kNames / sizeof kNames[0]);
const char kMap[] = "Berge mit Leerzeichen\\karte 1.gpx";

const std::string& NamesRoot()
{
    static const std::string root = [] {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        std::string r = TrimDialogPath(std::string(temp) + "lindar-pathdlg Höhen und Täler");
        for (int i = kNameCount - 1; i >= 0; --i)
            CreateDirectoryTreeA((r + "\\" + kNames[i]).c_str());
        if (FILE* f = std::fopen((r + "\\" + kMap).c_str(), "w"))
            std::fclose(f);
        return r;
    }();
    return root;
}

std::string Under(const std::string& name) { return NamesRoot() + "\\" + name; }

HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const std::string& name)
{
    for (HTREEITEM c = TreeView_GetChild(tree, parent); c; c = TreeView_GetNextSibling(tree, c))
        if (ItemText(tree, c) == name)
            return c;
    return nullptr;
}

// The selected node's child of that name, the node expanded first (null
// until its listing is in).
HTREEITEM ExpandedChild(HWND tree, const std::string& name)
{
    const HTREEITEM selected = TreeView_GetSelection(tree);
    TreeView_Expand(tree, selected, TVE_EXPAND);
    return ChildNamed(tree, selected, name);
}

DlgStep TreeSelected(const std::string& path)
{
    return [=](CPathDlg& d, HWND) { return !d.Tree()->IsBusy() && SamePathText(d.Tree()->m_selectedPath, path); };
}

// A tree that takes Enter itself tells the dialog by NM_RETURN: Enter
// there chooses as OK does.
TEST_F(PathDlgTest, EnterReportedByTheTreeChoosesItsFolder)
{
    SetMode("PathDlgTreeMode", 1);
    CPathDlg dialog;
    dialog.SetPath((Root() + "\\a").c_str());
    const INT_PTR result = RunDialog(dialog, 3,
        {TreeSelected(Root() + "\\a"),
         [&](CPathDlg& d, HWND dlg) {
             NMKEY nm = {};
             nm.hdr = {d.Tree()->m_hWnd, UINT_PTR(1099), UINT(NM_RETURN)};
             nm.nVKey = VK_RETURN;
             SendMessageA(dlg, WM_NOTIFY, 1099, LPARAM(&nm));
             return true;
         }});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetPath(1), Root() + "\\a\\");
}

TEST_F(PathDlgTest, ListInLocaleOrderAndTypeAheadBlindToCaseWithBlanks)
{
    CPathDlg dialog;
    dialog.SetPath(NamesRoot().c_str());
    const LRESULT rows = LRESULT(SplitPathLevels(NamesRoot()).size());
    // Typed after a pause that starts a new search; the row of kNames found.
    const std::tuple<const char*, int> typed[] = {{"Ü", 4}, {"ä", 0}, {"ÄR", 1}, {"berge m", 2},
                                                  {"bergem", 3}, {"WEG", 5},  {"üBER", 4}};
    std::vector<DlgStep> steps = {Listed(size_t(rows), kNameCount)};
    DWORD lastKey = 0;
    for (const auto& [keys, row] : typed)
        steps.push_back([&, keys = std::string(keys), row = row](CPathDlg&, HWND dlg) {
            if (lastKey && GetTickCount() - lastKey <= kTypeAheadLongPause + 100)
                return false;
            SetFocus(GetDlgItem(dlg, 1015));
            for (char c : keys)
                SendDlgItemMessageA(dlg, 1015, WM_CHAR, static_cast<unsigned char>(c), 0);
            EXPECT_EQ(Item(dlg, 1015, LB_GETCURSEL), rows + row) << keys;
            lastKey = GetTickCount();
            return true;
        });
    steps.push_back(Click(IDCANCEL));
    EXPECT_EQ(RunDialog(dialog, 3 | 16, steps), IDCANCEL);
}

TEST_F(PathDlgTest, TreeInLocaleOrder)
{
    SetMode("PathDlgTreeMode", 1);
    CPathDlg dialog;
    dialog.SetPath(NamesRoot().c_str());
    std::vector<std::string> children;
    RunDialog(dialog, 3,
        {TreeSelected(NamesRoot()),
         [&](CPathDlg& d, HWND) {
             const HWND tree = d.Tree()->m_hWnd;
             return TreeView_Expand(tree, TreeView_GetSelection(tree), TVE_EXPAND) != FALSE;
         },
         [&](CPathDlg& d, HWND) {
             children = ChildTexts(d.Tree()->m_hWnd, TreeView_GetSelection(d.Tree()->m_hWnd));
             return !d.Tree()->IsBusy() && children.size() == size_t(kNameCount);
         },
         Click(IDCANCEL)});
    EXPECT_EQ(children, std::vector<std::string>(kNames, kNames + kNameCount));
}

TEST_F(PathDlgTest, OkOnAPathTooLongForTheFileSystemShowsTheMessage)
{
    // Options; length of the typed path (259: the result with its separator
    // passes a MAX_PATH buffer).
    const std::tuple<int, size_t> cases[] = {{3, 300}, {3, 260}, {3, 259}, {1 | 16, 300}};
    for (const auto& [options, length] : cases) {
        std::string typed = NamesRoot();
        while (typed.size() < length)
            typed += "\\Über Berg und Tal";
        typed.resize(length - 1);
        typed += 'x';  // not cut as a trailing blank or separator
        CPathDlg dialog;
        dialog.SetPath(NamesRoot().c_str());
        HWND main = nullptr;
        std::string caption, text;
        const INT_PTR result = RunDialog(dialog, options,
            {[&](CPathDlg&, HWND dlg) {
                 main = dlg;
                 return SetDlgItemTextA(dlg, 1017, typed.c_str()) && PostMessageA(dlg, WM_COMMAND, IDOK, 0);
             },
             [&](CPathDlg&, HWND top) {
                 if (top == main)
                     return false;
                 char title[64] = "";
                 GetWindowTextA(top, title, sizeof title);
                 caption = title;
                 text = Text(top, 0xFFFF);
                 return PostMessageA(top, WM_COMMAND, IDOK, 0) != FALSE;
             },
             // Back from the message the focus opens the path box's edit
             // again: the first Cancel ends it.
             [&](CPathDlg&, HWND top) {
                 return top == main && PostMessageA(top, WM_COMMAND, IDCANCEL, 0) &&
                        PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
             }});
        const std::string message = "Der Pfad ist zu lang !", fehler = "Fehler";
        EXPECT_EQ(std::make_tuple(result, caption, text), std::make_tuple(INT_PTR(IDCANCEL), fehler, message))
            << options << " " << length;
    }
}

TEST_F(PathDlgTest, DroppedFilesGoToTheirFolder)
{
    // Target (0: the dialog itself), what is dropped, the folder gone to
    // (empty: the drop is ignored).
    const std::tuple<int, std::string, std::string> drops[] = {
        {1099, kMap, "Berge mit Leerzeichen"}, {1017, "Übersicht", "Übersicht"}, {1015, "Ärger", "Ärger"},
        {0, "Weg", "Weg"}, {1015, "fehlt\\nichts.gpx", ""}, {1099, "äpfel", "äpfel"}};
    CPathDlg dialog;
    dialog.SetPath(NamesRoot().c_str());
    RunDialog(dialog, 3,
        {[&](CPathDlg&, HWND dlg) {
             for (const auto& [target, dropped, folder] : drops) {
                 const std::string before = Text(dlg, 1017);
                 if (target)
                     SendDlgItemMessageA(dlg, target, WM_DROPFILES, MakeDrop({Under(dropped)}), 0);
                 else
                     SendMessageA(dlg, CPathDlg::kDroppedFiles, MakeDrop({Under(dropped)}), 0);
                 const std::string expected = folder.empty() ? before : Under(folder);
                 EXPECT_TRUE(SamePathText(Text(dlg, 1017).c_str(), expected)) << target << " " << dropped;
             }
             return true;
         },
         Click(IDCANCEL)});
}

// Folders asked for while the big folder lists, or right after: the list
// ends with the last one asked for, and no row of a listing it replaced
// comes in later.
TEST_F(PathDlgTest, FoldersAskedForDuringAListingEndWithTheLast)
{
    const std::string big = Root() + "\\big", a = Root() + "\\a";
    const struct {
        std::vector<std::string> dropped;  // on the dialog, in one go
        bool afterFirstRows;               // else as soon as the dialog shows
    } cases[] = {
        {{a}, false},
        {{a}, true},
        {{big, a}, false},
        {{a, big, a}, true},
    };
    for (const auto& c : cases) {
        CPathDlg dialog;
        dialog.SetPath(big.c_str());
        LRESULT settled = -1;
        int ticks = 0;
        RunDialog(dialog, 3 | 16,
            {[&](CPathDlg&, HWND dlg) { return !c.afterFirstRows || Item(dlg, 1015, LB_GETCOUNT) > LRESULT(levels); },
             [&](CPathDlg&, HWND dlg) {
                 for (const std::string& folder : c.dropped)
                     SendMessageA(dlg, CPathDlg::kDroppedFiles, MakeDrop({folder}), 0);
                 return true;
             },
             Listed(levels + 1, 3),
             // Ten more ticks of the driver, over a few of the fill timer's.
             [&](CPathDlg&, HWND dlg) {
                 settled = Item(dlg, 1015, LB_GETCOUNT);
                 return ++ticks == 10;
             },
             Click(IDCANCEL)},
            30000);
        EXPECT_EQ(settled, LRESULT(levels + 1 + 3)) << c.dropped.size() << " " << c.afterFirstRows;
        EXPECT_FALSE(dialog.IsWorkerAlive());
    }
}

// Nodes expanded together queue their listings for the tree's worker: each
// is listed, the small one among the big one's slices.
TEST_F(PathDlgTest, TreeListsEveryNodeExpandedAtOnce)
{
    SetMode("PathDlgTreeMode", 1);
    CPathDlg dialog;
    dialog.SetPath(Root().c_str());
    std::vector<std::string> small;
    size_t bigCount = 0;
    RunDialog(dialog, 3,
        {TreeSelected(Root()),
         [&](CPathDlg& d, HWND) {
             const HWND tree = d.Tree()->m_hWnd;
             const HTREEITEM a = ExpandedChild(tree, "a"), big = ExpandedChild(tree, "big");
             if (!a || !big)
                 return false;
             TreeView_Expand(tree, big, TVE_EXPAND);
             TreeView_Expand(tree, a, TVE_EXPAND);
             return true;
         },
         [&](CPathDlg& d, HWND) {
             const HWND tree = d.Tree()->m_hWnd;
             const HTREEITEM root = TreeView_GetSelection(tree);
             small = ChildTexts(tree, ChildNamed(tree, root, "a"));
             bigCount = ChildTexts(tree, ChildNamed(tree, root, "big")).size();
             return !d.Tree()->IsBusy() && bigCount == size_t(kBigCount);
         },
         Click(IDCANCEL)},
        30000);
    EXPECT_EQ(small, (std::vector<std::string>{"b", "c", "Cello"}));
    EXPECT_EQ(bigCount, size_t(kBigCount));
}

// A listing is due from its request until it is in the tree, also while the
// worker has taken the request and its result waits in the queue.
TEST_F(PathDlgTest, TreeIsBusyWhileAListingWaitsInTheQueue)
{
    SetMode("PathDlgTreeMode", 1);
    CPathDlg dialog;
    dialog.SetPath(Root().c_str());
    bool posted = false, busyWhilePosted = false;
    std::vector<std::string> children;
    RunDialog(dialog, 3,
        {TreeSelected(Root()),
         [&](CPathDlg& d, HWND) {
             const HWND tree = d.Tree()->m_hWnd;
             const HTREEITEM a = ExpandedChild(tree, "a");
             if (!a || d.Tree()->IsBusy())
                 return false;
             TreeView_Expand(tree, a, TVE_EXPAND);
             // Not pumping: the listing the worker posts (the tree's only
             // application message now) stays in the queue.
             MSG msg;
             posted = lindar_test::Eventually(
                 [&] { return PeekMessageA(&msg, tree, WM_APP, 0xBFFF, PM_NOREMOVE) != FALSE; });
             busyWhilePosted = d.Tree()->IsBusy();
             return true;
         },
         [&](CPathDlg& d, HWND) {
             const HWND tree = d.Tree()->m_hWnd;
             children = ChildTexts(tree, ChildNamed(tree, TreeView_GetSelection(tree), "a"));
             return !d.Tree()->IsBusy();
         },
         Click(IDCANCEL)},
        30000);
    EXPECT_TRUE(posted);
    EXPECT_TRUE(busyWhilePosted);
    EXPECT_EQ(children, (std::vector<std::string>{"b", "c", "Cello"}));
}

TEST_F(PathDlgTest, TreeRemovesANodeWhoseFolderHasGone)
{
    SetMode("PathDlgTreeMode", 1);
    enum Act { kSelectAgain, kClick, kExpand };
    // How the gone folder is reached; whether its parent is selected first.
    const std::tuple<Act, bool> cases[] = {{kSelectAgain, false}, {kClick, true}, {kExpand, true}};
    const std::string parent = Under("Weg");
    for (const auto& [act, fromParent] : cases) {
        const std::string name = "Höhe " + std::to_string(int(act)) + " weg";
        const std::string gone = parent + "\\" + name;
        CreateDirectoryTreeA(gone.c_str());
        CPathDlg dialog;
        dialog.SetPath(parent.c_str());
        std::vector<std::string> left;
        RunDialog(dialog, 3,
            {TreeSelected(parent),
             [&](CPathDlg& d, HWND) { d.Tree()->SelectPath(gone.c_str(), 0, kSelectFromCombo); return true; },
             TreeSelected(gone),
             [&](CPathDlg& d, HWND) {
                 if (fromParent)
                     d.Tree()->SelectPath(parent.c_str(), 0, kSelectFromCombo);
                 return true;
             },
             TreeSelected(fromParent ? parent : gone),
             [&](CPathDlg& d, HWND) {
                 const HWND tree = d.Tree()->m_hWnd;
                 // The gone folder is selected, or a child of the selection.
                 const HTREEITEM selected = TreeView_GetSelection(tree);
                 const HTREEITEM item =
                     ChildNamed(tree, act == kSelectAgain ? TreeView_GetParent(tree, selected) : selected, name);
                 EXPECT_TRUE(item != nullptr);
                 EXPECT_TRUE(RemoveDirectoryA(gone.c_str()));
                 if (act == kSelectAgain)
                     d.Tree()->SelectPath(gone.c_str(), 0, kSelectFromCombo);
                 else if (act == kClick)
                     TreeView_SelectItem(tree, item);
                 else
                     TreeView_Expand(tree, item, TVE_EXPAND);
                 return true;
             },
             [&](CPathDlg& d, HWND) {
                 const HWND tree = d.Tree()->m_hWnd;
                 left = ChildTexts(tree, TreeView_GetSelection(tree));
                 return SamePathText(d.Tree()->m_selectedPath, parent) &&
                        std::count(left.begin(), left.end(), name) == 0;
             },
             Click(IDCANCEL)});
        EXPECT_EQ(std::count(left.begin(), left.end(), name), 0) << act;
        RemoveDirectoryA(gone.c_str());
    }
}

TEST_F(PathDlgTest, RoutedMessagesAnswerAsBefore)
{
    CPathDlg dialog;
    dialog.SetPath(NamesRoot().c_str());
    dialog.SetPathExtension("Übersicht");
    // Control; answer and item height of WM_MEASUREITEM (0 and the height
    // unchanged: left to the default).
    const std::tuple<UINT, LRESULT, UINT> measures[] = {
        {1017, TRUE, UINT(CPathComboBox::GetItemHeight())}, {1016, 0, 77}, {1015, 0, 77}};
    RunDialog(dialog, 3,
        {[&](CPathDlg&, HWND dlg) {
             for (const auto& [id, answer, height] : measures) {
                 MEASUREITEMSTRUCT mi = {ODT_COMBOBOX, id, 0, 0, 77, 0};
                 EXPECT_EQ(std::make_tuple(SendMessageA(dlg, WM_MEASUREITEM, id, LPARAM(&mi)), mi.itemHeight),
                           std::make_tuple(answer, height)) << id;
             }
             // A path notification without its path goes to the default.
             PathNotifyRecord nm = {{GetDlgItem(dlg, 1017), 1017, kPathComboChanged}, 0, 0, nullptr};
             EXPECT_EQ(SendMessageA(dlg, WM_NOTIFY, 1017, LPARAM(&nm)), 0);
             EXPECT_TRUE(SamePathText(Text(dlg, 1017).c_str(), NamesRoot()));
             SendMessageA(dlg, WM_SYSCOMMAND, CPathDlg::kExtensionCommand, 0);
             EXPECT_TRUE(SamePathText(Text(dlg, 1017).c_str(), Under("Übersicht")));
             return true;
         },
         Click(IDCANCEL)});
}

// The window as placed and the OK button within its client area.
std::tuple<RECT, RECT> Placement(HWND dlg)
{
    RECT window, ok;
    GetWindowRect(dlg, &window);
    GetWindowRect(GetDlgItem(dlg, IDOK), &ok);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&ok), 2);
    return {window, ok};
}

bool operator==(const RECT& a, const RECT& b)
{
    return std::tie(a.left, a.top, a.right, a.bottom) == std::tie(b.left, b.top, b.right, b.bottom);
}

TEST_F(PathDlgTest, NextDialogOpensWhereTheLastClosedLaidOutForItsSize)
{
    std::tuple<RECT, RECT> closed, opened;
    {
        CPathDlg first;
        first.SetPath(NamesRoot().c_str());
        RunDialog(first, 3, {[&](CPathDlg&, HWND dlg) {
                                 RECT w;
                                 GetWindowRect(dlg, &w);
                                 SetWindowPos(dlg, nullptr, 150, 60, w.right - w.left + 100, w.bottom - w.top + 40,
                                              SWP_NOZORDER);
                                 closed = Placement(dlg);
                                 return true;
                             },
                             Click(IDCANCEL)});
    }
    CPathDlg second;
    second.SetPath(NamesRoot().c_str());
    RunDialog(second, 3, {[&](CPathDlg&, HWND dlg) {
                              opened = Placement(dlg);
                              return true;
                          },
                          Click(IDCANCEL)});
    EXPECT_TRUE(std::get<0>(opened) == std::get<0>(closed));
    EXPECT_TRUE(std::get<1>(opened) == std::get<1>(closed));
}

}  // namespace
