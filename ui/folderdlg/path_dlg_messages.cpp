// The folder dialog's message table and its handlers. Each row decodes its
// message once and makes one call; a row answering false leaves the message
// to the dialog's default handling, as do messages without a row.
#include "ui/folderdlg/path_dlg.h"

#include <commctrl.h>

#include "system/path_text.h"

namespace {

// Ticks of the fill timer before the path follows the tree's selection.
constexpr int kTreeTicks = 3;

// The worker posts its "ready" commands without a control window.
bool FromWorker(LPARAM control) { return control == 0; }

// The path of a folder tree or path combo notification, or null.
const char* PathOf(LPARAM lParam) { return reinterpret_cast<const PathNotifyRecord*>(lParam)->path; }

template <class T>
T* P(LPARAM lParam)
{
    return reinterpret_cast<T*>(lParam);
}

}  // namespace

// A row that always answers 0.
#define PD_DO(message, code, id, statement)                                          \
    {DialogKey(message, id, code), [](CPathDlg& d, RoutedMessage& m) {               \
         (void)d;                                                                    \
         (void)m;                                                                    \
         statement;                                                                  \
         m.result = 0;                                                               \
         return true;                                                                \
     }}
// A row that always answers the expression.
#define PD_ROW(message, expression)                                             \
    {DialogKey(message), [](CPathDlg& d, RoutedMessage& m) {                    \
         (void)d;                                                               \
         m.result = LRESULT(expression);                                        \
         return true;                                                           \
     }}
// A row whose call may leave the message to the default handling.
#define PD_MAY(message, code, id, call)                                        \
    {DialogKey(message, id, code), [](CPathDlg& d, RoutedMessage& m) {         \
         (void)d;                                                              \
         (void)m;                                                              \
         return bool(call);                                                    \
     }}
// A notification with a path (answered 0); one without a path goes on.
#define PD_PATH(code, id, call)                                                 \
    {DialogKey(WM_NOTIFY, id, code), [](CPathDlg& d, RoutedMessage& m) {        \
         const char* path = PathOf(m.lParam);                                   \
         if (path)                                                              \
             call;                                                              \
         m.result = 0;                                                          \
         return path != nullptr;                                                \
     }}

const Route<CPathDlg::RouteHandler>* CPathDlg::RouteOf(UINT message, WPARAM wParam, LPARAM lParam)
{
    static constexpr Route<RouteHandler> kRows[] = {
        PD_DO(WM_COMMAND, CBN_SELCHANGE, kIdDrives, d.OnDriveChange()),
        PD_DO(WM_COMMAND, CBN_SELCHANGE, kIdPath, d.OnRecentChosen()),
        PD_DO(WM_COMMAND, LBN_DBLCLK, kIdList, d.OpenEntry(d.ListSelection())),
        PD_DO(WM_COMMAND, BN_CLICKED, kIdFollowTree, d.TreeFollow()),
        PD_DO(WM_COMMAND, BN_CLICKED, kIdCrumbCheck, d.OnCrumbSwitch()),
        PD_DO(WM_COMMAND, BN_CLICKED, kIdTreeCheck, d.OnTreeSwitch()),
        PD_DO(WM_COMMAND, BN_CLICKED, kIdUp, d.OnUp()),
        PD_MAY(WM_COMMAND, BN_CLICKED, kDrivesReady, FromWorker(m.lParam) && (d.OnDrivesReady(), true)),
        PD_MAY(WM_COMMAND, BN_CLICKED, kFoldersReady, FromWorker(m.lParam) && (d.OnFoldersReady(), true)),

        // The TreeList's own notifications go to the folder tree.
        PD_MAY(WM_NOTIFY, TVN_ITEMEXPANDINGA, kIdTree, d.OnTreeNotify(P<NMHDR>(m.lParam), m.result)),
        PD_MAY(WM_NOTIFY, TVN_SELCHANGEDA, kIdTree, d.OnTreeNotify(P<NMHDR>(m.lParam), m.result)),
        PD_MAY(WM_NOTIFY, NM_DBLCLK, kIdTree, d.OnTreeNotify(P<NMHDR>(m.lParam), m.result)),
        // Enter in a tree that takes the key itself chooses as OK does.
        PD_DO(WM_NOTIFY, NM_RETURN, kIdTree, d.PostMessage(WM_COMMAND, IDOK)),
        PD_DO(WM_NOTIFY, kFolderTreeSelChanged, kIdTree, d.m_treeCountdown = kTreeTicks),
        PD_PATH(kFolderTreeDblClk, kIdTree, d.OnTreeDoubleClick(path)),
        PD_PATH(kFolderTreeDropped, kIdTree, d.OnDropped(path)),
        PD_PATH(kPathComboChanged, kIdPath, d.OnComboChanged(path)),
        PD_PATH(kPathComboDropped, kIdPath, d.OnDropped(path)),

        // The list's dropped files, sent on by its subclass.
        PD_DO(kDroppedFiles, 0, 0, d.OnDropped(TakeFirstDroppedFile(m.wParam).c_str())),
        PD_MAY(WM_MEASUREITEM, 0, 0, d.OnMeasureItem(P<MEASUREITEMSTRUCT>(m.lParam)) && (m.result = TRUE)),
        PD_ROW(WM_DRAWITEM, (d.OnDrawItem(P<const DRAWITEMSTRUCT>(m.lParam)), TRUE)),
        PD_MAY(WM_SYSCOMMAND, 0, 0, d.OnSysCommand(m.wParam)),
        PD_ROW(WM_SIZING, (d.OnSizing(int(m.wParam), P<RECT>(m.lParam)), TRUE)),
        PD_MAY(WM_TIMER, 0, 0, m.wParam == kFillTimer && (d.OnFillTimer(), true)),
        // These go on to the default handling after the call.
        PD_MAY(WM_SIZE, 0, 0, (d.OnSize(LOWORD(m.lParam), HIWORD(m.lParam)), false)),
        PD_MAY(WM_EXITSIZEMOVE, 0, 0, (d.OnExitSizeMove(), false)),
        PD_MAY(WM_DESTROY, 0, 0, (d.OnDestroyDialog(), false)),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

    RouteKey key = 0;
    return DialogKeyOf<NMHDR>(message, wParam, lParam, &key) ? FindRoute(kRoutes, key) : nullptr;
}

#undef PD_DO
#undef PD_ROW
#undef PD_MAY
#undef PD_PATH

LRESULT CPathDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    RoutedMessage m{wParam, lParam, 0};
    const Route<RouteHandler>* route = RouteOf(message, wParam, lParam);
    if (route && route->handler(*this, m))
        return m.result;
    return CDialog::WindowProc(message, wParam, lParam);
}

int CPathDlg::ListSelection() const { return int(SendDlgItemMessageA(m_hWnd, kIdList, LB_GETCURSEL, 0, 0)); }

// A recent folder chosen in the path box's list.
void CPathDlg::OnRecentChosen()
{
    const int sel = int(SendDlgItemMessageA(m_hWnd, kIdPath, CB_GETCURSEL, 0, 0));
    char text[kMaxPathText * 2] = "";
    const LRESULT n = SendDlgItemMessageA(m_hWnd, kIdPath, CB_GETLBTEXTLEN, WPARAM(sel), 0);
    if (sel < 0 || n < 0 || size_t(n) >= sizeof text)
        return;
    SendDlgItemMessageA(m_hWnd, kIdPath, CB_GETLBTEXT, WPARAM(sel), LPARAM(text));
    GoTo(text);
    if (m_treeMode)
        TreeFollow();
}

void CPathDlg::OnCrumbSwitch()
{
    UpdateData(TRUE);
    if (m_combo)
        m_combo->SetBreadCrumb(m_breadCrumb);
}

// The path combo's new path: the tree selects it, the list goes there
// unless only a trailing separator was added; "X:" means "X:\".
void CPathDlg::OnComboChanged(const std::string& path)
{
    if (m_treeMode) {
        SetPath(path.c_str());
        if (m_tree)
            m_tree->SelectPath(m_path.c_str(), 0, kSelectFromCombo);
    } else if (!(path.size() == m_path.size() + 1 && path.back() == '\\' && PathStartsWithNoCase(path, m_path))) {
        GoTo(path.size() == 2 && path[1] == ':' ? path + "\\" : path);
    }
}

// The saved breadcrumb mode stays as the user set it.
void CPathDlg::OnTreeDoubleClick(const char* path)
{
    GoTo(path);
    PostMessage(WM_COMMAND, IDOK);
}

bool CPathDlg::OnTreeNotify(NMHDR* header, LRESULT& result) { return m_tree && m_tree->HandleNotify(header, &result); }

bool CPathDlg::OnMeasureItem(MEASUREITEMSTRUCT* item)
{
    if (item->CtlID != UINT(kIdPath))
        return false;
    item->itemHeight = UINT(CPathComboBox::GetItemHeight());
    return true;
}

void CPathDlg::OnDrawItem(const DRAWITEMSTRUCT* item)
{
    if (item->CtlID != UINT(kIdPath))
        DrawRow(item);
    else if (m_combo)
        m_combo->DrawItem(item);
}

// Closing ends an open breadcrumb edit first; the extension item goes to
// the path joined with the extension.
bool CPathDlg::OnSysCommand(WPARAM command)
{
    if ((command & 0xFFF0) == SC_CLOSE && m_breadCrumb && m_combo)
        m_combo->EndEdit(1);
    if (command != kExtensionCommand)
        return false;
    std::string joined;
    JoinPathStr(joined, m_path.c_str(), m_extension.c_str());
    GoTo(joined);
    return true;
}

void CPathDlg::OnSizing(int edge, RECT* rect)
{
    if (!m_layout.taken)
        TakeLayout(false);
    IntRect r = {rect->left, rect->top, rect->right, rect->bottom};
    ClampSizingRect(edge, r, m_layout.minWidth, m_layout.minHeight);
    *rect = {r.left, r.top, r.right, r.bottom};
}

// A minimised dialog drops its layout; the next WM_SIZING takes it anew.
void CPathDlg::OnSize(int cx, int cy)
{
    if (cx > 0 && cy > 0)
        ApplyLayout(cx, cy);
    else
        m_layout.taken = false;
}

void CPathDlg::OnExitSizeMove()
{
    if (m_moved)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    m_moved = false;
}

// Moves the worker's records into the list; in tree mode the path follows
// the tree's selection once the countdown ends.
void CPathDlg::OnFillTimer()
{
    if (m_pending)
        MoveRecords();
    if (m_treeMode && m_treeCountdown > 0 && --m_treeCountdown == 0)
        TakeTreeSelection();
}

// The path becomes the tree's selection now, as the countdown's end would
// make it: OK and Up act on the folder the user selected last.
void CPathDlg::TakeTreeSelection()
{
    m_treeCountdown = 0;
    if (!m_treeMode || !m_tree || m_tree->m_selectedPath.IsEmpty())
        return;
    m_path = m_tree->m_selectedPath.GetString();
    ShowPath();
}

void CPathDlg::OnDestroyDialog()
{
    KillTimer(kFillTimer);
    StopWorker();
    m_tree.reset();
    m_combo.reset();
    SaveModes();
    if (m_listProc)
        SetWindowLongPtrA(::GetDlgItem(m_hWnd, kIdList), GWLP_WNDPROC, LONG_PTR(m_listProc));
    m_listProc = nullptr;
    KeepLastRect();
}
