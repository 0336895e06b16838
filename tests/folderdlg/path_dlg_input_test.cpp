// The folder dialog under a user's hand: real clicks, double clicks and
// keys through the input queue, in the folder tree and in the classic
// view. Each row runs the dialog on a small map-data tree opened at
// "Alpen" (or the row's own start), performs its gestures and compares what
// the dialog then shows (or chose) with what the user expects.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "system/path_text.h"
#include "tests/folderdlg/path_dlg_test_support.h"
#include "tests/winharness/modal_driver.h"
#include "tests/winharness/real_input.h"
#include "tests/winharness/registry_lock.h"
#include "tests/winharness/screenshot.h"
#include "ui/folderdlg/path_dlg.h"

namespace {

using pathdlg_test::ChildTexts;
using pathdlg_test::ItemText;
using pathdlg_test::SetMode;
using winharness::InputPending;
using winharness::kCtrl;
using winharness::ModalDriver;
using winharness::Reachable;
using winharness::RealInput;

// The folders below the root, each with its subfolders in the order the
// dialog lists them.
const std::vector<std::pair<std::string, std::vector<std::string>>> kFolders = {
    {"", {"Alpen", "Harz", "Schwarzwald", "Tief", "Touren 2026"}},
    {"Alpen", {"Ötztal", "Watzmann", "Zugspitze"}},
    {"Harz", {"Brocken"}},
};

const std::string& Root()
{
    static const std::string root = [] {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        std::string r = TrimDialogPath(std::string(temp) + "lindar-input Karten");
        for (const auto& [folder, children] : kFolders)
            for (const std::string& child : children)
                CreateDirectoryTreeA((r + (folder.empty() ? "" : "\\" + folder) + "\\" + child).c_str());
        return r;
    }();
    return root;
}

std::string Full(const std::string& relative) { return relative == "." ? Root() : Root() + "\\" + relative; }

// A folder whose path passes the 259 characters the file functions take:
// its parent below "Tief" (240 characters) lists it, it cannot be listed.
struct LongFolder {
    std::string parent, name;
    std::string Path() const { return parent + "\\" + name; }
};

const LongFolder& Long()
{
    static const LongFolder folder = [] {
        constexpr size_t kParentLength = 240;
        LongFolder f;
        f.parent = Full("Tief") + "\\Sammlung ";
        f.parent.resize(kParentLength, 'x');
        f.name = "Gipfelbuch mit einem sehr langen Namen";
        // Only the wide functions take such a path, marked as long.
        std::string parts = "\\\\?\\";
        for (const std::string& part : SplitPathLevels(f.Path())) {
            parts += part;
            WCHAR wide[1024] = L"";
            MultiByteToWideChar(CP_ACP, 0, parts.c_str(), -1, wide, 1024);
            CreateDirectoryW(wide, nullptr);
            if (parts.back() != '\\')
                parts += '\\';
        }
        return f;
    }();
    return folder;
}

// A full path as the rows write it: "." for the root, else below it.
std::string Relative(std::string path)
{
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    if (lstrcmpiA(path.c_str(), Root().c_str()) == 0)
        return ".";
    if (path.size() > Root().size() && PathStartsWithNoCase(path, Root() + "\\"))
        return path.substr(Root().size() + 1);
    return "?" + path;
}

// What the user sees or got when a row has run: whether the dialog ended
// with OK or was cancelled, the path (the result after OK, else the path box), the selection
// (the tree's node or the list's row) and, in the tree, one node's state.
struct Outcome {
    bool ok = false;
    std::string path;
    std::string selected;
    std::string node;  // the node looked at, "" for none
    bool expanded = false;
    std::vector<std::string> children;
    std::string drive;    // the drive box's row ("#n"), "" when not looked at
    std::string message;  // the text of a message box the dialog showed
    std::string edit;     // what the path box showed at Look(): its open edit's text, or "(bar)"
    bool cancelled = false;

    bool operator==(const Outcome& o) const
    {
        return std::tie(ok, cancelled, path, selected, node, expanded, children, drive, message, edit) ==
               std::tie(o.ok, o.cancelled, o.path, o.selected, o.node, o.expanded, o.children, o.drive, o.message,
                        o.edit);
    }
};

void PrintTo(const Outcome& o, std::ostream* out)
{
    *out << (o.ok ? "OK " : o.cancelled ? "cancelled " : "open ") << "path=" << o.path << " selected=" << o.selected;
    if (!o.node.empty()) {
        *out << " " << o.node << (o.expanded ? " open {" : " closed {");
        for (const std::string& c : o.children)
            *out << c << ";";
        *out << "}";
    }
    if (!o.drive.empty())
        *out << " drive=" << o.drive;
    if (!o.message.empty())
        *out << " message=\"" << o.message << "\"";
    if (!o.edit.empty())
        *out << " edit=\"" << o.edit << "\"";
}

// The gestures of the rows. A target is a folder below the root: a tree
// node, or in the classic view the list row of that name.
enum class Act {
    kClickBox,
    kDoubleClickBox,
    kClickLabel,
    kDoubleClickLabel,
    kDoubleClickIcon,
    kClickPathBox,
    kKey,
    kType,
    kButton,
    kIdle,
    kMessage,
    kLook,
    kLabelMnemonic
};
struct Gesture {
    Act act;
    std::string target;  // the folder, or the text typed
    WORD key = 0;
    unsigned modifiers = 0;
};

Gesture ClickBox(const std::string& t) { return {Act::kClickBox, t}; }
Gesture DoubleClickBox(const std::string& t) { return {Act::kDoubleClickBox, t}; }
Gesture ClickLabel(const std::string& t) { return {Act::kClickLabel, t}; }
Gesture DoubleClickLabel(const std::string& t) { return {Act::kDoubleClickLabel, t}; }
Gesture DoubleClickIcon(const std::string& t) { return {Act::kDoubleClickIcon, t}; }
// A click into the path box behind its text (in breadcrumb mode behind the
// last segment, which opens the box for typing).
Gesture ClickPathBox() { return {Act::kClickPathBox, ""}; }
Gesture Key(WORD key, unsigned modifiers = 0) { return {Act::kKey, "", key, modifiers}; }
Gesture Type(const std::string& text) { return {Act::kType, text}; }
// A click on a button or check box of the dialog.
Gesture Button(int id) { return {Act::kButton, "", WORD(id)}; }
Gesture Up() { return Button(CPathDlg::kIdUp); }
// Waits until the tree has every listing it asked for, or the list shows
// the folder in the path box, as a user sees it.
Gesture Idle() { return {Act::kIdle, ""}; }
// Waits for a message box over the dialog, reads its text and closes it
// with Enter.
Gesture Message() { return {Act::kMessage, ""}; }
// Reads what the path box shows: the open edit's text, or "(bar)".
Gesture Look() { return {Act::kLook, ""}; }
// Gives the label "Verzeichnisname:" the mnemonic V, as a caller's own
// template may.
Gesture LabelMnemonic() { return {Act::kLabelMnemonic, ""}; }

struct Row {
    const char* action;
    std::vector<Gesture> gestures;
    Outcome expected;
    std::string start = "Alpen";  // the folder the dialog opens at
};

// ---- the tree ----

// The node of a folder, down from its drive along the levels of its path.
HTREEITEM TreeItem(HWND tree, const std::string& relative)
{
    HTREEITEM item = nullptr;
    HTREEITEM level = TreeView_GetRoot(tree);
    for (const std::string& part : SplitPathLevels(Full(relative))) {
        item = level;
        while (item && lstrcmpiA(ItemText(tree, item).c_str(), part.c_str()) != 0)
            item = TreeView_GetNextSibling(tree, item);
        if (!item)
            return nullptr;
        level = TreeView_GetChild(tree, item);
    }
    return item;
}

// A point of the item's row on the part the hit test names (box, icon,
// label), found by walking along the row.
POINT PartPoint(HWND tree, HTREEITEM item, UINT part)
{
    RECT label = {};
    std::memcpy(&label, &item, sizeof item);  // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, LPARAM(&label));
    const int y = (label.top + label.bottom) / 2;
    for (int x = 0; x < label.right; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, y};
        if (TreeView_HitTest(tree, &hit) == item && (hit.flags & part)) {
            int end = x;
            for (hit.pt.x = x + 1; TreeView_HitTest(tree, &hit) == item && (hit.flags & part); ++hit.pt.x)
                end = hit.pt.x;
            return {(x + end) / 2, y};
        }
    }
    ADD_FAILURE() << "no part " << part << " on " << ItemText(tree, item);
    return {label.left, y};
}

class PathDlgInput : public ::testing::Test {
protected:
    void SetUp() override { SetModes(); }
    static void SetModes(DWORD tree = 1, DWORD crumb = 1)
    {
        SetMode("PathDlgTreeMode", tree);
        SetMode("PathDlgBreadCrumb", crumb);
    }
    // Runs the dialog at the row's start in the modes, the row's gestures
    // in order, and what the dialog then shows or chose.
    Outcome Run(const Row& row, bool tree, bool crumb = true);
    winharness::RegistryLock m_turn;
};

// The drive box's row of the drive (the box lists the drives in the order
// of their letters).
std::string DriveRow(char letter)
{
    char drives[256] = "";
    GetLogicalDriveStringsA(sizeof drives, drives);
    int row = 0;
    for (const char* d = drives; *d; d += std::strlen(d) + 1, ++row)
        if ((*d | 0x20) == (letter | 0x20))
            return "#" + std::to_string(row);
    return "none";
}

std::string DlgText(HWND dlg, int id)
{
    char text[MAX_PATH * 2] = "";
    GetDlgItemTextA(dlg, id, text, sizeof text);
    return text;
}

// What the dialog shows now; the node and drive box are looked at as the
// expected outcome names them.
Outcome Observe(CPathDlg& d, HWND dlg, const Outcome& expected)
{
    Outcome o;
    o.path = Relative(DlgText(dlg, CPathDlg::kIdPath));
    if (d.IsTreeMode()) {
        const HWND tree = d.Tree()->m_hWnd;
        o.selected = Relative(d.Tree()->m_selectedPath.GetString());
        if (!expected.node.empty()) {
            o.node = expected.node;
            const HTREEITEM item = TreeItem(tree, expected.node);
            o.expanded = item && (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED);
            if (item)
                o.children = ChildTexts(tree, item);
        }
    } else {
        const LRESULT sel = SendDlgItemMessageA(dlg, CPathDlg::kIdList, LB_GETCURSEL, 0, 0);
        o.selected = "#" + std::to_string(sel);
    }
    if (!expected.drive.empty())
        o.drive = "#" + std::to_string(SendDlgItemMessageA(dlg, CPathDlg::kIdDrives, CB_GETCURSEL, 0, 0));
    return o;
}

// The row of the list showing the folder `shown` (relative) that names the
// folder `target` (relative): a level of the path, or a subfolder.
int ListRow(const std::string& shown, const std::string& target)
{
    const std::vector<std::string> levels = SplitPathLevels(Full(shown));
    const std::vector<std::string> want = SplitPathLevels(Full(target));
    if (want.size() <= levels.size())
        return int(want.size()) - 1;
    for (const auto& [folder, children] : kFolders)
        if (Full(folder.empty() ? "." : folder) == Full(shown))
            for (size_t i = 0; i < children.size(); ++i)
                if (children[i] == want.back())
                    return int(levels.size() + i);
    ADD_FAILURE() << "no row for " << target << " in " << shown;
    return -1;
}

// Whether the list shows the folder in the path box: its levels listed, the
// last one selected.
bool ListShowsPathBox(HWND dlg)
{
    const LRESULT current = LRESULT(SplitPathLevels(DlgText(dlg, CPathDlg::kIdPath)).size()) - 1;
    return SendDlgItemMessageA(dlg, CPathDlg::kIdList, LB_GETCURSEL, 0, 0) == current &&
           SendDlgItemMessageA(dlg, CPathDlg::kIdList, LB_GETCOUNT, 0, 0) > current;
}

// A point in the path box behind its text: the right end of its edit.
POINT PathBoxEnd(HWND dlg)
{
    const HWND combo = GetDlgItem(dlg, CPathDlg::kIdPath);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo, &info);
    return {info.rcItem.right - 4, (info.rcItem.top + info.rcItem.bottom) / 2};
}

Outcome PathDlgInput::Run(const Row& row, bool treeMode, bool crumb)
{
    SetModes(treeMode ? 1 : 0, crumb ? 1 : 0);
    CPathDlg dialog;
    dialog.SetPath(Full(row.start).c_str());
    Outcome seen;
    std::string message, edit;
    bool observed = false;
    RealInput input(RealInput::Pump::kNo);
    ModalDriver driver(15000);
    DWORD start = GetTickCount(), messageShown = 0;
    HWND dlg = nullptr;
    driver.Then([&](ModalDriver& d) {
        dlg = d.TopDialog();
        const HWND view = dlg ? (treeMode ? dialog.Tree()->m_hWnd : GetDlgItem(dlg, CPathDlg::kIdList)) : nullptr;
        if (!winharness::ShownAndActive(dlg, start) || !Reachable(view))
            return false;
        if (treeMode)
            return !dialog.Tree()->IsBusy() && Relative(dialog.Tree()->m_selectedPath.GetString()) == row.start;
        return SendDlgItemMessageA(dlg, CPathDlg::kIdList, LB_GETCURSEL, 0, 0) == ListRow(row.start, row.start);
    });
    for (const Gesture& g : row.gestures)
        driver.Then([&, g](ModalDriver& d) {
            if (InputPending())
                return false;
            const HWND tree = treeMode ? dialog.Tree()->m_hWnd : nullptr;
            const HWND list = GetDlgItem(dlg, CPathDlg::kIdList);
            auto point = [&](UINT part) {
                if (tree)
                    return PartPoint(tree, TreeItem(tree, g.target), part);
                const std::string shown = Relative(DlgText(dlg, CPathDlg::kIdPath));
                RECT r = {};
                SendMessageA(list, LB_GETITEMRECT, WPARAM(ListRow(shown, g.target)), LPARAM(&r));
                return POINT{r.left + 40, (r.top + r.bottom) / 2};
            };
            const HWND target = tree ? tree : list;
            switch (g.act) {
            case Act::kClickBox: input.Click(target, point(TVHT_ONITEMBUTTON)); break;
            case Act::kDoubleClickBox: input.DoubleClick(target, point(TVHT_ONITEMBUTTON)); break;
            case Act::kClickLabel: input.Click(target, point(TVHT_ONITEMLABEL)); break;
            case Act::kDoubleClickLabel: input.DoubleClick(target, point(TVHT_ONITEMLABEL)); break;
            case Act::kDoubleClickIcon: input.DoubleClick(target, point(TVHT_ONITEMICON)); break;
            case Act::kClickPathBox: input.Click(GetDlgItem(dlg, CPathDlg::kIdPath), PathBoxEnd(dlg)); break;
            case Act::kKey: input.Key(g.key, g.modifiers); break;
            case Act::kType: input.Type(g.target); break;
            case Act::kButton: {
                const HWND button = GetDlgItem(dlg, g.key);
                RECT r;
                GetClientRect(button, &r);
                input.Click(button, {r.right / 2, r.bottom / 2});
                break;
            }
            case Act::kIdle: return tree ? !dialog.Tree()->IsBusy() : ListShowsPathBox(dlg);
            case Act::kMessage: {
                const HWND box = d.TopDialog();
                if (box == dlg || !winharness::ShownAndActive(box, messageShown))
                    return false;
                message = DlgText(box, 0xFFFF);
                input.Key(VK_RETURN);
                return true;
            }
            case Act::kLook: {
                COMBOBOXINFO info = {};
                info.cbSize = sizeof info;
                GetComboBoxInfo(GetDlgItem(dlg, CPathDlg::kIdPath), &info);
                edit = IsWindowVisible(info.hwndItem) ? DlgText(GetDlgItem(dlg, CPathDlg::kIdPath), 1001) : "(bar)";
                break;
            }
            case Act::kLabelMnemonic: SetDlgItemTextA(dlg, 1007, "&Verzeichnisname:"); break;
            }
            return true;
        });
    if (!row.expected.ok && !row.expected.cancelled)
        driver.Then([&](ModalDriver& d) {
            // The listings and the path's following of the tree take a few
            // of the dialog's timer ticks.
            if (InputPending() || d.TopDialog() != dlg)
                return false;
            seen = Observe(dialog, dlg, row.expected);
            seen.message = message;
            seen.edit = edit;
            if (!(seen == row.expected) && GetTickCount() - start < 8000)
                return false;
            observed = true;
            return PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0) != FALSE;
        });
    start = GetTickCount();
    INT_PTR result = 0;
    driver.Run([&] { result = dialog.DoModalEx(nullptr, 3); });
    if (result == IDOK) {
        seen = Outcome{};
        seen.ok = true;
        seen.path = Relative(dialog.GetPath(1));
        seen.message = message;
    } else if (result == IDCANCEL && !observed) {
        seen = Outcome{};
        seen.cancelled = true;
        seen.edit = edit;
    }
    return seen;
}

Outcome Open(const std::string& path, const std::string& selected, const std::string& node = "", bool expanded = false,
             std::vector<std::string> children = {})
{
    return {false, path, selected, node, expanded, std::move(children), "", "", "", false};
}
Outcome Chosen(const std::string& path) { return {true, path, "", "", false, {}, "", "", "", false}; }
// Cancelled; `edit` what the path box showed at Look().
Outcome Cancelled(const std::string& edit = "") { return {false, "", "", "", false, {}, "", "", edit, true}; }

// The tree: a click or double click on a box only opens or closes the node
// and lists it; a double click on a label or icon chooses the folder; keys
// act on the caret node.
TEST_F(PathDlgInput, FolderTree)
{
    const std::vector<std::string> brocken = {"Brocken"}, alpen = {"Ötztal", "Watzmann", "Zugspitze"};
    const Row rows[] = {
        {"click [+] of Harz", {ClickBox("Harz")}, Open("Alpen", "Alpen", "Harz", true, brocken)},
        {"double click [+] of Harz", {DoubleClickBox("Harz")}, Open("Alpen", "Alpen", "Harz", false, brocken)},
        {"click [+] of Alpen, then [-]", {ClickBox("Alpen"), Idle(), ClickBox("Alpen")},
         Open("Alpen", "Alpen", "Alpen", false, alpen)},
        {"double click label of Harz", {DoubleClickLabel("Harz")}, Chosen("Harz")},
        {"double click icon of Harz", {DoubleClickIcon("Harz")}, Chosen("Harz")},
        {"click Harz, Ctrl+Space", {ClickLabel("Harz"), Key(VK_SPACE, kCtrl)},
         Open("Harz", "Harz", "Harz", true, brocken)},
        {"click Harz, click [+] of Harz, Right", {ClickLabel("Harz"), ClickBox("Harz"), Idle(), Key(VK_RIGHT)},
         Open("Harz\\Brocken", "Harz\\Brocken", "Harz", true, brocken)},
        {"type \"sch\"", {ClickLabel("Alpen"), Type("sch")}, Open("Schwarzwald", "Schwarzwald")},
        {"click Aufwärts", {Up()}, Open(".", ".")},
        {"click Harz, Enter at once", {ClickLabel("Harz"), Key(VK_RETURN)}, Chosen("Harz")},
        {"open Harz, click Brocken, Aufwärts at once",
         {ClickBox("Harz"), Idle(), ClickLabel("Harz\\Brocken"), Up()}, Open("Harz", "Harz")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        EXPECT_EQ(Run(row, true), row.expected) << row.action;
    }
}

// The classic view: the list's rows by keys and double clicks, "Aufwärts",
// Enter on the folder shown.
TEST_F(PathDlgInput, FolderList)
{
    const auto row = [](const std::string& shown, const std::string& target) {
        return "#" + std::to_string(ListRow(shown, target));
    };
    const Row rows[] = {
        {"type \"wa\"", {ClickLabel("Alpen"), Type("wa")}, Open("Alpen", row("Alpen", "Alpen\\Watzmann"))},
        {"double click Zugspitze", {DoubleClickLabel("Alpen\\Zugspitze")},
         Open("Alpen\\Zugspitze", row("Alpen\\Zugspitze", "Alpen\\Zugspitze"))},
        {"click Aufwärts", {Up()}, Open(".", row(".", "."))},
        {"click Watzmann, Enter", {ClickLabel("Alpen\\Watzmann"), Key(VK_RETURN)},
         Open("Alpen\\Watzmann", row("Alpen\\Watzmann", "Alpen\\Watzmann"))},
        {"click Alpen, Enter", {ClickLabel("Alpen"), Key(VK_RETURN)}, Chosen("Alpen")},
        {"double click Alpen", {DoubleClickLabel("Alpen")}, Chosen("Alpen")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.action);
        EXPECT_EQ(Run(r, false), r.expected) << r.action;
    }
}

// A folder typed into the path box that does not exist yet is made and
// chosen on OK in each pair of modes. In the tree the walk toward it ends at
// the nearest folder that exists; the typed path stays the path until the
// user picks another folder.
TEST_F(PathDlgInput, TypedNewFolderIsMadeInEveryMode)
{
    const std::vector<Gesture> typed = {ClickPathBox(), Key(VK_HOME), Key(VK_END, winharness::kShift),
                                        Type(Full("Neu"))};
    const auto then = [&](std::vector<Gesture> more) {
        std::vector<Gesture> all = typed;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Gesture enter = Key(VK_RETURN);
    // Tree mode, breadcrumb mode, the row.
    const std::tuple<bool, bool, Row> rows[] = {
        {true, true, {"tree, breadcrumb: type, Enter, Enter", then({enter, enter}), Chosen("Neu")}},
        {true, false, {"tree: type, Enter", then({enter}), Chosen("Neu")}},
        {false, true, {"list, breadcrumb: type, Enter, Enter", then({enter, Idle(), enter}), Chosen("Neu")}},
        {false, false, {"list: type, Enter, Enter", then({enter, Idle(), enter}), Chosen("Neu")}},
        {true, true, {"tree, breadcrumb: type, Enter, click Harz", then({enter, Idle(), ClickLabel("Harz")}),
                      Open("Harz", "Harz")}},
    };
    for (const auto& [tree, crumb, row] : rows) {
        SCOPED_TRACE(row.action);
        RemoveDirectoryA(Full("Neu").c_str());
        EXPECT_EQ(Run(row, tree, crumb), row.expected) << row.action;
        EXPECT_EQ(GetPathTypeA(Full("Neu").c_str()) == kPathFolder, row.expected.ok) << row.action;
    }
    RemoveDirectoryA(Full("Neu").c_str());
}

// In breadcrumb mode the path box takes the keys it is given as the dialog
// opens and whenever the keyboard brings the focus to it (Shift+Tab, Tab
// round the dialog, a label's mnemonic): its edit opens with the whole text
// selected, so what is typed replaces it and shows; the first Escape ends
// only the edit, the next one cancels. With the focus elsewhere Escape
// and "Abbrechen" cancel at once.
TEST_F(PathDlgInput, PathBoxTakesTheKeysItIsGiven)
{
    for (const bool tree : {false, true}) {
        Outcome typed = Open("Alpen", tree ? "Alpen" : "#" + std::to_string(ListRow("Alpen", "Alpen")));
        typed.edit = "Zugspitze";
        // The edit ended, the focus in the view, then back by the keys.
        const auto back = [](std::vector<Gesture> keys) {
            std::vector<Gesture> all = {Key(VK_ESCAPE), ClickLabel("Alpen")};
            all.insert(all.end(), keys.begin(), keys.end());
            all.insert(all.end(), {Type("Zugspitze"), Look(), Key(VK_ESCAPE)});
            return all;
        };
        // The view, the drive box (classic view), OK, Abbrechen, Aufwärts
        // and the two check boxes lie between the view and the path box.
        const std::vector<Gesture> round(tree ? 6 : 7, Key(VK_TAB));
        const Row rows[] = {
            {"type at opening, Escape", {Type("Zugspitze"), Look(), Key(VK_ESCAPE)}, typed},
            {"Escape, Escape at opening", {Key(VK_ESCAPE), Look(), Key(VK_ESCAPE)}, Cancelled("(bar)")},
            // The ended edit keeps no keys: they go to the view (no row
            // starts with "q"), whose Enter chooses the folder shown, not a
            // text typed where nobody saw it.
            {"Escape at opening, type, Enter", {Key(VK_ESCAPE), Type("qq"), Key(VK_RETURN)}, Chosen("Alpen")},
            {"Escape, click the view, Shift+Tab, type, Escape", back({Key(VK_TAB, winharness::kShift)}), typed},
            {"Escape, click the view, Tab round, type, Escape", back(round), typed},
            {"Escape, click the view, Alt+V, type, Escape", back({LabelMnemonic(), Key('V', winharness::kAlt)}), typed},
            {"click the view, Escape", {ClickLabel("Alpen"), Key(VK_ESCAPE)}, Cancelled()},
            {"type at opening, click Abbrechen", {Type("Zugspitze"), Button(IDCANCEL)}, Cancelled()},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.action);
            EXPECT_EQ(Run(row, tree), row.expected) << (tree ? "tree: " : "list: ") << row.action;
        }
    }
}

// A name typed in the path box is taken from the folder shown, whatever the
// process's current directory: at Harz "Brocken" is Harz\Brocken and ".."
// the folder above, in either view, with and without breadcrumbs.
TEST_F(PathDlgInput, TypedRelativeNameIsTakenFromTheShownFolder)
{
    char before[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof before, before);
    const std::string elsewhere = Full("Alpen\\Zugspitze");
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    // Tree mode, breadcrumb mode. The tree with a plain box chooses at the
    // first Enter; the others go there first.
    const std::pair<bool, bool> modes[] = {{false, true}, {true, true}, {false, false}, {true, false}};
    for (const auto& [tree, crumb] : modes) {
        const auto typed = [&, tree = tree, crumb = crumb](const std::string& text) {
            std::vector<Gesture> all = {ClickPathBox(), Key(VK_HOME), Key(VK_END, winharness::kShift), Type(text),
                                        Key(VK_RETURN)};
            if (crumb || !tree)
                all.insert(all.end(), {Idle(), Key(VK_RETURN)});
            return all;
        };
        std::vector<Row> rows = {
            {"at Harz type Brocken, Enter", typed("Brocken"), Chosen("Harz\\Brocken"), "Harz"},
            {"at Harz type .., Enter", typed(".."), Chosen("."), "Harz"},
        };
        // Taken when the view switches, and not taken again on OK.
        if (!tree && !crumb)
            rows.push_back({"at Harz type Brocken, click Baum anzeigen, Enter",
                            {ClickPathBox(), Key(VK_HOME), Key(VK_END, winharness::kShift), Type("Brocken"),
                             Button(CPathDlg::kIdTreeCheck), Key(VK_RETURN)},
                            Chosen("Harz\\Brocken"), "Harz"});
        for (const Row& row : rows) {
            SCOPED_TRACE(row.action);
            EXPECT_EQ(Run(row, tree, crumb), row.expected)
                << (tree ? "tree" : "list") << (crumb ? ", breadcrumb: " : ": ") << row.action;
        }
    }
    SetCurrentDirectoryA(before);
    RemoveDirectoryA((elsewhere + "\\Brocken").c_str());
}

// The drive box of the classic view by keyboard: a drive chosen in the open
// list is gone to when the list closes with Enter, not with Escape; Down on
// the closed box goes at once.
TEST_F(PathDlgInput, DriveBoxByKeyboard)
{
    const std::vector<Gesture> opened = {ClickLabel("Alpen"), Key(VK_TAB), Key(VK_DOWN, winharness::kAlt),
                                         Key(VK_DOWN)};
    const auto then = [&](Gesture last) {
        std::vector<Gesture> all = opened;
        all.push_back(last);
        return all;
    };
    Outcome onZ = Open("?Z:\\", "#0"), stayed = Open("Alpen", "#" + std::to_string(ListRow("Alpen", "Alpen")));
    onZ.drive = DriveRow('Z');
    stayed.drive = DriveRow('C');
    const Row rows[] = {
        {"open list, Down, Enter", then(Key(VK_RETURN)), onZ},
        {"open list, Down, Escape", then(Key(VK_ESCAPE)), stayed},
        {"closed box, Down", {ClickLabel("Alpen"), Key(VK_TAB), Key(VK_DOWN)}, onZ},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        EXPECT_EQ(Run(row, false), row.expected) << row.action;
    }
}

// A folder too long to be handed on stays in the tree when picked, and OK
// says why it cannot be chosen instead of choosing another.
TEST_F(PathDlgInput, FolderTooLongStaysAndOkSaysWhy)
{
    const std::string parent = Relative(Long().parent), folder = Relative(Long().Path());
    const std::vector<std::string> children = {Long().name};
    const Outcome kept = {false, folder, folder, parent, true, children, "", "Der Pfad ist zu lang !", "", false};
    const Row rows[] = {
        {"open its parent, click it, Enter",
         {ClickBox(parent), Idle(), ClickLabel(folder), Key(VK_RETURN), Message()}, kept, parent},
        {"open its parent, double click it", {ClickBox(parent), Idle(), DoubleClickLabel(folder), Message()}, kept,
         parent},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        EXPECT_EQ(Run(row, true), row.expected) << row.action;
    }
}

// A picture of the tree after a click on a box: the node open with its
// listed child, the box drawn as [-].
TEST_F(PathDlgInput, TreeAfterABoxClickShowsTheListedChild)
{
    CPathDlg dialog;
    dialog.SetPath(Full("Alpen").c_str());
    RealInput input(RealInput::Pump::kNo);
    ModalDriver driver(15000);
    DWORD start = GetTickCount();
    winharness::Screenshot shot;
    std::vector<std::string> children;
    driver.Then([&](ModalDriver& d) {
              const HWND dlg = d.TopDialog();
              return winharness::ShownAndActive(dlg, start) && Reachable(dialog.Tree()->m_hWnd) &&
                     !dialog.Tree()->IsBusy() &&
                     Relative(dialog.Tree()->m_selectedPath.GetString()) == "Alpen";
          })
        .Then([&](ModalDriver&) {
            const HWND tree = dialog.Tree()->m_hWnd;
            input.Click(tree, PartPoint(tree, TreeItem(tree, "Harz"), TVHT_ONITEMBUTTON));
            return true;
        })
        .Then([&](ModalDriver& d) {
            const HWND tree = dialog.Tree()->m_hWnd;
            children = ChildTexts(tree, TreeItem(tree, "Harz"));
            if (dialog.Tree()->IsBusy() || children.empty())
                return GetTickCount() - start > 8000;
            EXPECT_TRUE(winharness::CaptureWindow(d.TopDialog(), &shot, false));
            return true;
        })
        .Then([&](ModalDriver& d) { return d.Post(IDCANCEL); });
    driver.Run([&] { dialog.DoModalEx(nullptr, 3); });
    EXPECT_EQ(children, std::vector<std::string>{"Brocken"});
    std::string error;
    EXPECT_TRUE(winharness::SavePicture(shot, "foldertree_box_click.png", &error)) << error;
}

}  // namespace
