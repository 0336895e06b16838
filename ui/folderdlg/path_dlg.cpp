#include "ui/folderdlg/path_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "system/file_list.h"
#include "system/registry.h"
#include "system/registry_text.h"
#include "system/shell_icons.h"
#include "text/text_services.h"
#include "ui/utils/monitor_table.h"
#include "ui/utils/shell_utils.h"

namespace {

constexpr DWORD kChild = WS_CHILD;
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
// The folder list is not sorted: the worker delivers its records in order
// (levels, then sorted subfolders), and row i is record i.
const DialogItem kItems[] = {
    {"STATIC", 1007, kShown | WS_GROUP, 5, 5, 56, 8, "Verzeichnisname:", 0},
    {"COMBOBOX", 1017,
     kShown | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_AUTOHSCROLL | CBS_HASSTRINGS, 5, 15, 210,
     215, "", WS_EX_NOPARENTNOTIFY},
    {"LISTBOX", 1015,
     kShown | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT, 5, 30, 210,
     218, "", WS_EX_NOPARENTNOTIFY},
    {"STATIC", 1009, kShown | WS_GROUP, 5, 250, 32, 8, "Laufwerk:", 0},
    {"COMBOBOX", 1016, kShown | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, 5, 260, 210, 160, "", 0},
    {"BUTTON", IDOK, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON, 220, 5, 60, 14, "OK", 0},
    {"BUTTON", IDCANCEL, kShown | WS_TABSTOP, 220, 25, 60, 14, "Abbrechen", 0},
    {"BUTTON", 1018, kShown | WS_TABSTOP, 220, 65, 60, 14, "Aufwärts", 0},
    {"BUTTON", 1002, kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 220, 250, 63, 10, "Brotkrumen", 0},
    {"BUTTON", 1001, kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 220, 262, 63, 10, "Baum anzeigen", 0},
};
const char kDefaultTitle[] = "Verzeichnis wählen";
const char kModesKey[] = "Software\\Velk\\Common";
const char kTreeModeValue[] = "PathDlgTreeMode";
const char kCrumbValue[] = "PathDlgBreadCrumb";
constexpr UINT kTimerMs = 200;

const LayoutRule kLayoutRules[] = {{1099, 0, 0, 1, 1}, {1001, 1, 1, 0, 0}, {1002, 1, 1, 0, 0}, {1016, 0, 1, 1, 0},
                                   {1017, 0, 0, 1, 0}, {1015, 0, 0, 1, 1}, {1009, 0, 1, 0, 0}, {1018, 1, 0, 0, 0},
                                   {2, 1, 0, 0, 0},    {1, 1, 0, 0, 0}};
static_assert(sizeof kLayoutRules / sizeof kLayoutRules[0] == CPathDlg::kLayoutRows, "one rule per laid-out control");

// Process-wide, UI thread only: the window rectangle of the last dialog
// closed, so the next one opens there, whichever object runs it.
RECT g_lastRect = {};
bool g_lastRectSet = false;

IntRect ToIntRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::string FullPath(const std::string& text)
{
    char full[kMaxPathText + 1];
    const DWORD n = GetFullPathNameA(text.c_str(), sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full) : text;
}

std::string Resolved(const std::string& text)
{
    char buffer[kMaxPathText + 1];
    return ResolveNetworkPath(text.c_str(), buffer, sizeof buffer);
}

std::string CurrentDirectory()
{
    char dir[kMaxPathText + 1] = "";
    const DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    return n > 0 && n < sizeof dir ? TrimDialogPath(dir) : std::string("C:\\");
}

bool NetworkListable(const std::string& path)
{
    WIN32_FIND_DATAA data;
    DWORD error = 0;
    std::string pattern = path;
    AppendBackslashStr(pattern);
    const HANDLE h = FindFirstEntry((pattern + "*").c_str(), &data, &error);
    if (!h)
        return false;
    FindCloseEntry(h);
    return true;
}

}  // namespace

CPathDlg::CPathDlg(CWnd* parent, const char* registryEntry)
{
    m_pParentWnd = parent;
    m_title = kDefaultTitle;
    m_hasEntry = registryEntry != nullptr;
    m_entry = registryEntry ? registryEntry : "";
    LoadRecent(registryEntry, 3);
}

CPathDlg::~CPathDlg()
{
    StopWorker();
}

PathDlgFileSystem CPathDlg::FileSystem() const
{
    return {[](const std::string& p) { return GetPathTypeA(p.c_str()); }, NetworkListable,
            [](const std::string& p) { return ClassifyNetworkPath(p.c_str()); },
            [](const std::string& p) { return CreateDirectoryTreeA(p.c_str()) != 0; }, CurrentDirectory};
}

const char* CPathDlg::SetPath(const char* text)
{
    if (text)
        m_path = NormalizeDialogPath(text, m_options, FullPath, Resolved);
    return m_path.c_str();
}

const char* CPathDlg::GetPath(int which) const { return which == 0 ? m_path.c_str() : m_result.c_str(); }

int CPathDlg::GetPathCopy(char* buffer, int size, BOOL withSeparator) const
{
    return CopyDialogPath(m_path, buffer, size, withSeparator != FALSE);
}

int CPathDlg::GetPathStr(CString& out, int which) const
{
    out = GetPath(which);
    return out.GetLength();
}

void CPathDlg::AppendPathPart(const char* text)
{
    if (text)
        m_path = AppendDialogPathPart(m_path, text);
}

void CPathDlg::SetTitle(const char* text) { m_title = text && *text ? text : kDefaultTitle; }

void CPathDlg::SetPathExtension(const char* text) { m_extension = text ? text : ""; }

void CPathDlg::SetRegistryEntry(const char* entry)
{
    m_hasEntry = entry != nullptr;
    m_entry = entry ? entry : "";
    LoadRecent(entry, m_path.empty() ? 3 : 2);
}

bool CPathDlg::OpenEntryKey(CRegistry& reg, const char* entry, int mode, std::string* value) const
{
    RegistryEntryText parsed;
    if (!ParseRegistryEntry(entry, &parsed))
        return false;
    const std::string root = parsed.belowUser ? std::string() : RegistryApplicationPath();
    if (!reg.Open(HKEY_CURRENT_USER, root.c_str(), mode))
        return false;
    for (const std::string& key : parsed.keys)
        if (!reg.OpenSubKey(key.c_str(), mode == CRegistry::kModeRead))
            return false;
    *value = parsed.value;
    return true;
}

void CPathDlg::LoadRecent(const char* entry, int flags)
{
    CRegistry reg;
    std::string value;
    if (!entry || !OpenEntryKey(reg, entry, CRegistry::kModeRead, &value))
        return;
    if (flags & 1) {
        char last[kMaxPathText + 1];
        if (reg.ReadValue(last, sizeof last, value.c_str(), REG_SZ) > 0)
            SetPath(last);
    }
    if (flags & 2) {
        CRecordArray stored;
        reg.ReadMultiString(stored, (value + "Last").c_str());
        m_recent = std::make_unique<CRecordArray>();
        for (int i = 0; i < stored.m_count && i < kRecentReadLimit; ++i)
            m_recent->AddString(stored.GetString(i));
    }
}

void CPathDlg::AddRecent(const char* path)
{
    if (!path)
        return;
    if (!m_recent)
        m_recent = std::make_unique<CRecordArray>();
    AddRecentPath(*m_recent, path);
}

int CPathDlg::ClassifyNetworkPath(const char* path)
{
    const HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    std::string text = path ? path : "";
    RemoveTrailingSlashStr(text);
    CFileList list(text.c_str(), 0);
    int kind = 0;
    if (list.IsValid()) {
        kind = 1;
        if (list.ReadNext())
            kind = (list.GetEntryAttributes() & kFileAttributeNetwork) ? 3
                   : (list.GetEntryAttributes() & FILE_ATTRIBUTE_DIRECTORY) ? 2
                                                                            : 1;
    }
    SetCursor(old);
    return kind;
}

INT_PTR CPathDlg::DoModal() { return DoModalEx(nullptr, kPathMustExist | kPathCreate); }

INT_PTR CPathDlg::DoModalEx(const char* registryEntry, int options)
{
    const HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    m_options = MergeModalOptions(m_options, options);
    const std::string ownEntry = m_entry;
    const bool ownHas = m_hasEntry;
    if (registryEntry) {
        m_entry = registryEntry;
        m_hasEntry = true;
    }
    if (m_hasEntry)
        LoadRecent(m_entry.c_str(), registryEntry && m_path.empty() ? 3 : 2);
    if (m_resourceId)
        SetResourceTemplate(m_resourceId);
    else
        CDialog::SetTemplate(MakeDialogLayout(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 284, 279,
                                              kDefaultTitle, kItems),
                             m_pParentWnd);
    // Fresh layout and worker state for this run; readies of the last run's
    // listings went with its stop.
    m_layout = LayoutState{};
    m_pending = false;
    m_readyGeneration = m_generation;
    m_rows.clear();
    m_folders.RemoveAll();
    m_drives.RemoveAll();
    m_drivePaths.RemoveAll();
    SetCursor(old);
    m_opening = true;
    const INT_PTR result = CDialog::DoModal();
    m_opening = false;
    StopWorker();
    m_entry = ownEntry;
    m_hasEntry = ownHas;
    return result;
}

void CPathDlg::DoDataExchange(CDataExchange* dx)
{
    CString path(m_path.c_str());
    DDX_Text(dx, kIdPath, path);
    int tree = m_treeMode, crumb = m_breadCrumb;
    DDX_Check(dx, kIdTreeCheck, tree);
    DDX_Check(dx, kIdCrumbCheck, crumb);
    if (dx->m_bSaveAndValidate) {
        // A relative name typed is taken from the folder shown, not from the
        // process's current directory; the box then shows the folder it
        // names, so a later exchange does not take it again.
        m_path = TrimDialogPath(ResolveTypedPath(m_path, path.GetString()));
        if (IsRelativeTypedPath(path.GetString()))
            ShowPath();
        m_treeMode = tree == 1;
        m_breadCrumb = crumb == 1;
    }
}

namespace {

BOOL ReadMode(const char* name, BOOL fallback)
{
    CRegistry reg;
    DWORD value = 0;
    if (reg.Open(HKEY_CURRENT_USER, kModesKey, CRegistry::kModeRead) && reg.ReadValue(&value, 4, name, REG_DWORD) == 4)
        return value != 0;
    return fallback;
}

void ShowItem(HWND dialog, int id, bool show) { ShowWindow(::GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE); }

RECT ItemRect(HWND dialog, int id)
{
    RECT r = {};
    const HWND item = ::GetDlgItem(dialog, id);
    if (item) {
        GetWindowRect(item, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

}  // namespace

// Step 1 of the opening: the tree over the list and the drive box.
void CPathDlg::CreateTree()
{
    const HWND dlg = m_hWnd;
    m_treeMode = (m_options & kPathNoTree) ? FALSE : ReadMode(kTreeModeValue, FALSE);
    const RECT list = ItemRect(dlg, kIdList), drives = ItemRect(dlg, kIdDrives);
    const RECT treeRect = {list.left, list.top, list.right, drives.bottom};
    m_tree = std::make_unique<CFolderTreeCtrl>();
    DWORD treeStyle = WS_CHILD | WS_TABSTOP | TVS_FULLROWSELECT | (m_treeMode ? WS_VISIBLE : 0);
    if (m_options & kPathPlain)
        treeStyle |= TVS_NOHSCROLL;
    m_tree->Create(WS_EX_CLIENTEDGE, treeStyle, treeRect, this, kIdTree);
    ::SetWindowPos(m_tree->m_hWnd, ::GetDlgItem(dlg, kIdPath), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m_treeMode)
        for (int id : {1009, kIdList, kIdDrives})
            ShowItem(dlg, id, false);
    ShowItem(dlg, kIdTreeCheck, !(m_options & kPathNoTree));
}

// Step 4: the path combo over 1017.
void CPathDlg::CreatePathCombo()
{
    m_breadCrumb = (m_options & kPathNoBreadCrumb) ? FALSE : ReadMode(kCrumbValue, TRUE);
    ShowItem(m_hWnd, kIdCrumbCheck, !(m_options & kPathNoBreadCrumb));
    m_combo = std::make_unique<CPathComboBox>();
    m_combo->CreateOverControl(PathComboOptions(m_options, m_breadCrumb != FALSE), ::GetDlgItem(m_hWnd, kIdPath));
}

// Steps 5 and 6: the list 6 pixels lower keeping its bottom, its subclass,
// and rows at least as high as the icons with the text offset to match.
void CPathDlg::SetUpList()
{
    const HWND dlg = m_hWnd;
    const HWND listWnd = ::GetDlgItem(dlg, kIdList);
    const RECT list = ItemRect(dlg, kIdList);
    ::SetWindowPos(listWnd, nullptr, list.left, list.top + 6, list.right - list.left, list.bottom - list.top - 6,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowLongPtrA(dlg, GWLP_USERDATA, LONG_PTR(this));
    m_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(listWnd, GWLP_WNDPROC, LONG_PTR(&ListProc)));
    DragAcceptFiles(listWnd, TRUE);
    int iconW = 16, iconH = 16;
    ImageList_GetIconSize(m_images, &iconW, &iconH);
    m_textLeft = iconW + 8;
    const int rowHeight = int(::SendMessageA(listWnd, LB_GETITEMHEIGHT, 0, 0));
    m_textOffset = 2;
    if (rowHeight < iconH + 2) {
        ::SendMessageA(listWnd, LB_SETITEMHEIGHT, 0, iconH + 2);
        m_textOffset = (iconH + 2 - rowHeight - 1) / 2 + 2;
    }
    SendDlgItemMessageA(dlg, kIdDrives, CB_SETITEMHEIGHT, 0, iconH + 2);
    SendDlgItemMessageA(dlg, kIdDrives, CB_SETITEMHEIGHT, WPARAM(-1), iconH + 2);
}

namespace {

// The monitor holding the rectangle's centre, and the work area of the
// monitor nearest to it.
MonitorAreas MonitorAreasOf(const IntRect& r)
{
    const RECT rect = {r.left, r.top, r.right, r.bottom};
    MonitorAreas areas = {};
    InitMonitorTable(0);
    RECT monitor;
    if (GetMonitorRect(MonitorIndexFromRect(rect), &monitor))
        areas.monitor = ToIntRect(monitor);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
        areas.work = ToIntRect(info.rcWork);
    return areas;
}

}  // namespace

// Steps 2 and 3: where the last dialog of this process closed, when that
// place is still well inside a monitor, at a size the work area holds; and
// the minimum size. Runs after the layout is taken, so the controls follow
// the size.
void CPathDlg::PlaceOpening()
{
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    const IntRect kept = ToIntRect(g_lastRect);
    const DialogOpening opening = DecideOpening(ToIntRect(window), g_lastRectSet ? &kept : nullptr, MonitorAreasOf);
    m_layout.minWidth = opening.minWidth;
    m_layout.minHeight = opening.minHeight;
    m_opening = false;
    const IntRect& r = opening.rect;
    if (r.left != window.left || r.top != window.top || r.right != window.right || r.bottom != window.bottom)
        ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void CPathDlg::KeepLastRect()
{
    if (::IsZoomed(m_hWnd))
        return;
    ::GetWindowRect(m_hWnd, &g_lastRect);
    g_lastRectSet = true;
}

BOOL CPathDlg::OnInitDialog()
{
    const HWND dlg = m_hWnd;
    CreateTree();
    SetTimer(kFillTimer, kTimerMs);
    CreatePathCombo();
    if (!m_title.empty())
        SetWindowText(m_title.c_str());
    m_images = GetSystemImageList(FALSE);
    m_driveIcon = GetDriveIconIndex(GetSystemDriveLetter(), kIconSmall);
    m_folderIcon = GetFolderIconIndex(kIconSmall);
    m_openIcon = GetFolderIconIndex(kIconSmall | kIconOpen);
    SetUpList();
    // The layout from the controls as placed, then the place and size.
    TakeLayout();
    PlaceOpening();
    RECT client;
    ::GetClientRect(dlg, &client);
    ApplyLayout(client.right, client.bottom);
    // 7. The recent list.
    if (m_recent)
        for (int i = 0; i < m_recent->m_count; ++i)
            SendDlgItemMessageA(dlg, kIdPath, CB_ADDSTRING, 0, LPARAM(m_recent->GetString(i)));
    // 8. The start path.
    const StartPath start = ClassifyStartPath(m_path, m_options, FileSystem());
    m_path = start.path;
    m_startKind = start.kind;
    m_browsingNetwork = start.browsingNetwork;
    // 9. Drives, system menu, worker, controls.
    SendDlgItemMessageA(dlg, kIdDrives, CB_RESETCONTENT, 0, 0);
    if (!m_extension.empty()) {
        const HMENU menu = GetSystemMenu(dlg, FALSE);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, kExtensionCommand, "Pfaderweiterung");
    }
    m_worker.Start([this](CWorker& worker) { FillThread(worker); });
    const BOOL result = CDialog::OnInitDialog();
    TreeFollow();
    return result;
}

void CPathDlg::TakeLayout()
{
    if (m_layout.taken)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    for (int i = 0; i < kLayoutRows; ++i)
        m_layout.rects[i] = ToIntRect(ItemRect(m_hWnd, kLayoutRules[i].id));
    m_layout.clientWidth = client.right;
    m_layout.clientHeight = client.bottom;
    m_layout.taken = true;
}

void CPathDlg::ApplyLayout(int cx, int cy)
{
    if (!m_layout.taken)
        return;
    const int dx = cx - m_layout.clientWidth, dy = cy - m_layout.clientHeight;
    for (int i = 0; i < kLayoutRows; ++i) {
        const HWND item = ::GetDlgItem(m_hWnd, kLayoutRules[i].id);
        if (!item)
            continue;
        const IntRect r = LayoutRect(kLayoutRules[i], m_layout.rects[i], dx, dy);
        ::MoveWindow(item, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        m_moved = true;
    }
}

void CPathDlg::ShowPath() { SetDlgItemTextA(m_hWnd, kIdPath, m_path.c_str()); }

void CPathDlg::GoTo(const std::string& path)
{
    SetPath(path.c_str());
    m_selectCurrent = true;
    RequestFill();
    ShowPath();
}

void CPathDlg::TreeFollow()
{
    if (!m_tree)
        return;
    std::string path = m_path;
    while (!path.empty() && GetPathTypeA(path.c_str()) < kPathFolder) {
        const size_t before = path.size();
        RemoveFileNameStr(path);
        path = TrimDialogPath(path);
        if (path.size() >= before)
            break;
    }
    m_tree->SelectPath(path.c_str(), 0, kSelectFollowDialog);
}

void CPathDlg::OnTreeSwitch()
{
    UpdateData(TRUE);
    for (int id : {1009, kIdList, kIdDrives})
        ShowItem(m_hWnd, id, !m_treeMode);
    ShowItem(m_hWnd, kIdTree, m_treeMode != FALSE);
    if (m_treeMode) {
        TreeFollow();
    } else {
        GoTo(m_path);
    }
}

void CPathDlg::OnUp()
{
    if (m_treeMode) {
        if (m_treeCountdown > 0)
            TakeTreeSelection();
        if (m_path.size() > PathRootLength(m_path.c_str())) {
            RemoveFileNameStr(m_path);
            m_path = TrimDialogPath(m_path);
            ShowPath();
            TreeFollow();
        }
        return;
    }
    if (m_listCurrent > 0)
        OpenEntry(m_listCurrent - 1);
}

void CPathDlg::OpenEntry(int index)
{
    if (index < 0 || size_t(index) >= m_rows.size())
        return;
    if (index == m_listCurrent) {
        m_inOpen = true;
        OnOK();
        m_inOpen = false;
        return;
    }
    std::string path;
    if (index < m_listCurrent)
        path = JoinPathLevels(m_listLevels, size_t(index));
    else
        path = JoinPathLevels(m_listLevels, m_listLevels.size()) + "\\" + m_rows[size_t(index)].text;
    GoTo(TrimDialogPath(path));
}

void CPathDlg::OnDropped(const char* file)
{
    std::string path = file ? file : "";
    if (GetPathTypeA(path.c_str()) == kPathFile)
        path.erase(path.find_last_of('\\') == std::string::npos ? 0 : path.find_last_of('\\'));
    if (path.empty() || GetPathTypeA(path.c_str()) == kPathMissing)
        return;
    GoTo(path);
}

void CPathDlg::DrawRow(const DRAWITEMSTRUCT* item)
{
    if (int(item->itemID) < 0)
        return;
    std::string text;
    int icon = 0, indent = 0;
    if (item->CtlID == UINT(kIdList)) {
        if (item->itemID >= m_rows.size())
            return;
        const Row& row = m_rows[item->itemID];
        text = row.text;
        icon = row.icon;
        indent = row.indent;
    } else {
        CLockGuard hold(m_worker.SharedLock());
        if (int(item->itemData) >= 0 && int(item->itemData) < m_drives.m_count) {
            text = m_drives.GetString(int(item->itemData));
            icon = static_cast<const DriveHeader*>(m_drives.GetHeaderPtr(int(item->itemData)))->icon;
        }
    }
    COLORREF back = GetSysColor(COLOR_WINDOW);
    if (item->itemState & ODS_FOCUS)
        back = MixRowColour(GetSysColor(COLOR_HIGHLIGHT), back);
    else if (item->itemState & ODS_SELECTED)
        back = MixRowColour(GetSysColor(COLOR_BTNFACE), back);
    // The case conversion writes into a buffer as long as the text.
    std::vector<char> shown(text.size() + 1);
    StrChangeCaseA(shown.data(), text.c_str(), 0xA200);
    SetBkColor(item->hDC, back);
    SetTextColor(item->hDC, GetSysColor(COLOR_WINDOWTEXT));
    const RECT& r = item->rcItem;
    ExtTextOutA(item->hDC, r.left + m_textLeft + indent, r.top + m_textOffset, ETO_OPAQUE | ETO_CLIPPED, &r,
                shown.data(), UINT(text.size()), nullptr);
    ImageList_Draw(m_images, icon, item->hDC, r.left + 4 + indent, r.top + 1, ILD_TRANSPARENT);
}

void CPathDlg::OnListWheel(int delta)
{
    const HWND list = ::GetDlgItem(m_hWnd, kIdList);
    const int top = int(::SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    ::SendMessageA(list, LB_SETTOPINDEX, WPARAM(std::max(0, top + (delta < 0 ? 1 : -1))), 0);
}

LRESULT CPathDlg::ForwardDroppedFiles(WPARAM drop, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, kDroppedFiles, drop, lParam);
}

bool CPathDlg::OnListChar(unsigned character)
{
    if (!TypeAheadTakes(character))
        return false;
    const HWND list = ::GetDlgItem(m_hWnd, kIdList);
    const bool next = m_typeAhead.Key(char(character), GetTickCount());
    const int selected = std::max(0, int(::SendMessageA(list, LB_GETCURSEL, 0, 0)));
    const int row = FindPrefixRow(int(m_rows.size()), selected + (next ? 1 : 0), m_typeAhead.text,
                                  [this](int i) { return m_rows[size_t(i)].text.c_str(); });
    if (row < 0)
        MessageBeep(MB_ICONASTERISK);
    else
        ::SendMessageA(list, LB_SETCURSEL, WPARAM(row), 0);
    return true;
}

// The list is the dialog's child: its subclass finds the dialog through the
// parent's user data and routes to the dialog's handlers.
LRESULT CALLBACK CPathDlg::ListProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CPathDlg* self = reinterpret_cast<CPathDlg*>(GetWindowLongPtrA(::GetParent(wnd), GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcA(wnd, message, wParam, lParam);
    static constexpr Rows::Row kRows[] = {
        Rows::On(WM_MOUSEWHEEL).Act<&CPathDlg::OnListWheel, WheelDelta>(),
        Rows::On(WM_DROPFILES).Answer<&CPathDlg::ForwardDroppedFiles, WParamAs<WPARAM>, LParamAs<LPARAM>>(),
        Rows::On(WM_CHAR).May<&CPathDlg::OnListChar, WParamAs<unsigned>>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");
    return RouteOrDefault(FindRoute(kRoutes, message), *self, message, wParam, lParam,
                          [&] { return CallWindowProcA(self->m_listProc, wnd, message, wParam, lParam); });
}

bool CPathDlg::FocusInPathBox() const
{
    const HWND focus = GetFocus();
    const HWND combo = ::GetDlgItem(m_hWnd, kIdPath);
    return focus && (focus == combo || ::GetParent(focus) == combo);
}

void CPathDlg::OnOK()
{
    const HWND focus = GetFocus();
    const bool inCombo = FocusInPathBox();
    // 1. Ctrl+Enter in the path box: the tree follows.
    if ((GetKeyState(VK_CONTROL) & 0x8000) && inCombo) {
        UpdateData(TRUE);
        TreeFollow();
        return;
    }
    // 2. An open breadcrumb edit ends first.
    if (m_breadCrumb && m_combo && (m_combo->m_editing || inCombo) && m_combo->EndEdit(0)) {
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, WPARAM(::GetDlgItem(m_hWnd, IDOK)), TRUE);
        return;
    }
    // 3. and 4.: the list opens its entry, the drive box drops down.
    if (focus == ::GetDlgItem(m_hWnd, kIdList) && !m_inOpen) {
        OpenEntry(int(SendDlgItemMessageA(m_hWnd, kIdList, LB_GETCURSEL, 0, 0)));
        return;
    }
    if (focus == ::GetDlgItem(m_hWnd, kIdDrives)) {
        SendDlgItemMessageA(m_hWnd, kIdDrives, CB_SHOWDROPDOWN, TRUE, 0);
        return;
    }
    // 5. to 8. A tree selection the path has not followed yet is the choice.
    if (m_treeCountdown > 0)
        TakeTreeSelection();
    UpdateData(TRUE);
    std::string path = m_path;
    if (!(m_options & kPathPlain) && IsNetworkPathText(path))
        path = Resolved(path);
    const OkDecision d = DecideOk(path, m_shown, m_treeMode != FALSE, m_options, FileSystem());
    m_path = d.path;
    switch (d.outcome) {
    case OkOutcome::kNavigate:
        GoTo(d.path);
        return;
    case OkOutcome::kTooLong:
        LibMessageBox(m_hWnd, "Der Pfad ist zu lang !", "Fehler", MB_ICONHAND);
        return;
    case OkOutcome::kCreateFailed:
        LibMessageBox(m_hWnd, "Der Pfad kann nicht erzeugt werden !", "Fehler", MB_ICONHAND);
        return;
    case OkOutcome::kMissing:
        LibMessageBox(m_hWnd, "Der Pfad existiert nicht !", "Fehler", MB_ICONHAND);
        return;
    case OkOutcome::kAccept:
        break;
    }
    // 9. The recent list, and in the registry the last folder and the list.
    AddRecent(m_path.c_str());
    WriteRecent();
    // 10. The result keeps its separator; the path keeps a root's ("D:\").
    m_result = d.result;
    SetDlgItemTextA(m_hWnd, kIdPath, m_result.c_str());
    StopWorker();
    EndDialog(IDOK);
    m_path = TrimDialogPath(m_path);
}

void CPathDlg::WriteRecent()
{
    CRegistry reg;
    std::string value;
    if (!m_hasEntry || !OpenEntryKey(reg, m_entry.c_str(), CRegistry::kModeWrite, &value))
        return;
    reg.WriteCString(m_path.c_str(), value.c_str());
    CRecordArray stored;
    reg.ReadMultiString(stored, (value + "Last").c_str());
    AddRecentPath(stored, m_path);
    reg.WriteMultiString(stored, (value + "Last").c_str());
}

// Escape in an open breadcrumb edit ends only the edit; with the focus
// elsewhere (a click on "Abbrechen") the dialog ends.
void CPathDlg::OnCancel()
{
    if (m_breadCrumb && m_combo && m_combo->m_editing && FocusInPathBox()) {
        m_combo->EndEdit(1);
        // The edit now hides under the bar: keys typed into it would not
        // show, yet Enter would act on them. The focus goes on as Tab takes it.
        const HWND next = ::GetNextDlgTabItem(m_hWnd, ::GetDlgItem(m_hWnd, kIdPath), FALSE);
        if (next && FocusInPathBox())
            ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, WPARAM(next), TRUE);
        return;
    }
    StopWorker();
    EndDialog(IDCANCEL);
}

void CPathDlg::SaveModes()
{
    CRegistry reg;
    if (!reg.Open(HKEY_CURRENT_USER, kModesKey, CRegistry::kModeWrite))
        return;
    if (!(m_options & kPathNoTree)) {
        const DWORD value = m_treeMode ? 1 : 0;
        reg.WriteValue(&value, 4, kTreeModeValue, REG_DWORD);
    }
    if (!(m_options & kPathNoBreadCrumb)) {
        const DWORD value = m_breadCrumb ? 1 : 0;
        reg.WriteValue(&value, 4, kCrumbValue, REG_DWORD);
    }
}
