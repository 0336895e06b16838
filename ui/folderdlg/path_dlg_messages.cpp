// The folder dialog's message table and its handlers. A row names the
// message (commands and notifications by control id and code) and the
// handler with the decoders of its arguments; a handler that declines, and
// a message without a row, leave the message to the dialog's default
// handling.
#include "ui/folderdlg/path_dlg.h"

#include <commctrl.h>

#include <climits>
#include <functional>

#include "system/path_text.h"

namespace {

// Ticks of the fill timer before the path follows the tree's selection.
constexpr int kTreeTicks = 3;

// The worker posts its "ready" commands without a control window; a
// control's command of the same id goes on to the default handling.
template <void (CPathDlg::*Ready)()>
bool FromWorker(CPathDlg& dialog, HWND control)
{
    if (control)
        return false;
    (dialog.*Ready)();
    return true;
}

// The path of a folder tree or path combo notification, or null.
struct NotifiedPath {
    static const char* Of(const RoutedMessage& m)
    {
        return reinterpret_cast<const PathNotifyRecord*>(m.lParam)->path;
    }
};

// A notification with a path goes to Take; one without goes on to the
// default handling.
template <auto Take>
bool WithPath(CPathDlg& dialog, const char* path)
{
    if (!path)
        return false;
    std::invoke(Take, dialog, path);
    return true;
}

}  // namespace

const CPathDlg::Rows::Row* CPathDlg::RouteOf(UINT message, WPARAM wParam, LPARAM lParam)
{
    static constexpr Rows::Row kRows[] = {
        Rows::OnCommand(kIdDrives, CBN_SELCHANGE).Act<&CPathDlg::OnDriveChange>(),
        Rows::OnCommand(kIdDrives, CBN_SELENDOK).Act<&CPathDlg::OnDriveListEndAs<DriveListEnd::kChosen>>(),
        Rows::OnCommand(kIdDrives, CBN_SELENDCANCEL).Act<&CPathDlg::OnDriveListEndAs<DriveListEnd::kCancelled>>(),
        Rows::OnCommand(kIdDrives, CBN_CLOSEUP).Act<&CPathDlg::OnDriveListClosed>(),
        Rows::OnCommand(kIdPath, CBN_SELCHANGE).Act<&CPathDlg::OnRecentChosen>(),
        Rows::OnCommand(kIdList, LBN_DBLCLK).Act<&CPathDlg::OpenListSelection>(),
        Rows::OnCommand(kIdFollowTree, BN_CLICKED).Act<&CPathDlg::TreeFollow>(),
        Rows::OnCommand(kIdCrumbCheck, BN_CLICKED).Act<&CPathDlg::OnCrumbSwitch>(),
        Rows::OnCommand(kIdTreeCheck, BN_CLICKED).Act<&CPathDlg::OnTreeSwitch>(),
        Rows::OnCommand(kIdUp, BN_CLICKED).Act<&CPathDlg::OnUp>(),
        Rows::OnCommand(kDrivesReady, BN_CLICKED).May<FromWorker<&CPathDlg::OnDrivesReady>, LParamAs<HWND>>(),
        Rows::OnCommand(kFoldersReady, BN_CLICKED).May<FromWorker<&CPathDlg::OnFoldersReady>, LParamAs<HWND>>(),

        // The TreeList's own notifications go to the folder tree.
        Rows::OnNotify(kIdTree, TVN_ITEMEXPANDINGA).May<&CPathDlg::OnTreeNotify, LParamAs<NMHDR*>, ResultSlot>(),
        Rows::OnNotify(kIdTree, TVN_SELCHANGEDA).May<&CPathDlg::OnTreeNotify, LParamAs<NMHDR*>, ResultSlot>(),
        Rows::OnNotify(kIdTree, NM_DBLCLK).May<&CPathDlg::OnTreeNotify, LParamAs<NMHDR*>, ResultSlot>(),
        // Enter in a tree that takes the key itself chooses as OK does.
        Rows::OnNotify(kIdTree, NM_RETURN).Act<&CPathDlg::PostOk>(),
        Rows::OnNotify(kIdTree, kFolderTreeSelChanged).Act<&CPathDlg::OnTreeSelChanged>(),
        Rows::OnNotify(kIdTree, kFolderTreeDblClk).May<WithPath<&CPathDlg::OnTreeDoubleClick>, NotifiedPath>(),
        Rows::OnNotify(kIdTree, kFolderTreeDropped).May<WithPath<&CPathDlg::OnDropped>, NotifiedPath>(),
        Rows::OnNotify(kIdPath, kPathComboChanged).May<WithPath<&CPathDlg::OnComboChanged>, NotifiedPath>(),
        Rows::OnNotify(kIdPath, kPathComboDropped).May<WithPath<&CPathDlg::OnDropped>, NotifiedPath>(),

        // The list's dropped files, sent on by its subclass.
        Rows::On(DialogKey(kDroppedFiles)).Act<&CPathDlg::OnDroppedFiles, WParamAs<HDROP>>(),
        Rows::On(DialogKey(WM_MEASUREITEM)).May<&CPathDlg::OnMeasureItem, ResultSlot, LParamAs<MEASUREITEMSTRUCT*>>(),
        Rows::On(DialogKey(WM_DRAWITEM)).Answer<&CPathDlg::OnDrawItem, LParamAs<const DRAWITEMSTRUCT*>>(),
        Rows::On(DialogKey(WM_SYSCOMMAND)).May<&CPathDlg::OnSysCommand, WParamAs<WPARAM>>(),
        Rows::On(DialogKey(WM_GETMINMAXINFO)).May<&CPathDlg::OnGetMinMaxInfo, LParamAs<MINMAXINFO*>>(),
        Rows::On(DialogKey(WM_SIZING)).Answer<&CPathDlg::OnSizing, WParamAs<int>, LParamAs<RECT*>>(),
        Rows::On(DialogKey(WM_TIMER)).May<&CPathDlg::OnTimer, WParamAs<UINT_PTR>>(),
        // These go on to the default handling after the call.
        Rows::On(DialogKey(WM_SIZE)).ActThenPass<&CPathDlg::OnSize, LParamLow, LParamHigh>(),
        Rows::On(DialogKey(WM_EXITSIZEMOVE)).ActThenPass<&CPathDlg::OnExitSizeMove>(),
        Rows::On(DialogKey(WM_DESTROY)).ActThenPass<&CPathDlg::OnDestroyDialog>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");

    RouteKey key = 0;
    return DialogKeyOf<NMHDR>(message, wParam, lParam, &key) ? FindRoute(kRoutes, key) : nullptr;
}

LRESULT CPathDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return RouteOrDefault(RouteOf(message, wParam, lParam), *this, message, wParam, lParam,
                          [&] { return CDialog::WindowProc(message, wParam, lParam); });
}

void CPathDlg::OpenListSelection() { OpenEntry(int(SendDlgItemMessageA(m_hWnd, kIdList, LB_GETCURSEL, 0, 0))); }

void CPathDlg::PostOk() { PostMessage(WM_COMMAND, IDOK); }

// The user's pick in the tree becomes the path a few ticks later. The
// tree's own walk to the path leaves the path as it is, also where it ends
// at the nearest folder that exists (a new folder typed in the path box).
void CPathDlg::OnTreeSelChanged()
{
    if (!m_tree || !m_tree->SelectingPath())
        m_treeCountdown = kTreeTicks;
}

void CPathDlg::OnDroppedFiles(HDROP drop) { OnDropped(TakeFirstDroppedFile(drop).c_str()); }

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

// The path combo's new path: the tree selects it (a pick in the tree not
// yet taken is older), the list goes there unless only a trailing
// separator was added; "X:" means "X:\". A typed relative name is taken
// from the folder shown, as the platform's own dialogs take it, and the box
// shows the folder it names.
void CPathDlg::OnComboChanged(const std::string& typed)
{
    const std::string path = ResolveTypedPath(m_path, typed);
    if (m_treeMode) {
        m_treeCountdown = 0;
        SetPath(path.c_str());
        if (IsRelativeTypedPath(typed))
            ShowPath();
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
    PostOk();
}

bool CPathDlg::OnTreeNotify(NMHDR* header, LRESULT& result) { return m_tree && m_tree->HandleNotify(header, &result); }

// The path box's rows only; the others keep the height they have.
bool CPathDlg::OnMeasureItem(LRESULT& answer, MEASUREITEMSTRUCT* item)
{
    if (item->CtlID != UINT(kIdPath))
        return false;
    item->itemHeight = UINT(CPathComboBox::GetItemHeight());
    answer = TRUE;
    return true;
}

// TRUE: drawn, the list's rows and the path box's alike.
BOOL CPathDlg::OnDrawItem(const DRAWITEMSTRUCT* item)
{
    if (item->CtlID != UINT(kIdPath))
        DrawRow(item);
    else if (m_combo)
        m_combo->DrawItem(item);
    return TRUE;
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

// While the dialog is made, the system would cut a window higher or wider
// than the screen to its largest tracking size, with the controls placed for
// the template's whole size: it is made at that size, and opens at the work
// area's size with its layout (PlaceOpening). Afterwards the system's limits
// hold.
bool CPathDlg::OnGetMinMaxInfo(MINMAXINFO* info)
{
    if (!m_opening)
        return false;
    info->ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
    return true;
}

// The rectangle kept at least the minimum size; TRUE: it may have changed.
BOOL CPathDlg::OnSizing(int edge, RECT* rect)
{
    TakeLayout();
    IntRect r = {rect->left, rect->top, rect->right, rect->bottom};
    ClampSizingRect(edge, r, m_layout.minWidth, m_layout.minHeight);
    *rect = {r.left, r.top, r.right, r.bottom};
    return TRUE;
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

// The fill timer moves the worker's records into the list; in tree mode the
// path follows the tree's selection once the countdown ends. Other timers go
// on to the default handling.
bool CPathDlg::OnTimer(UINT_PTR timer)
{
    if (timer != kFillTimer)
        return false;
    if (m_pending)
        MoveRecords();
    if (m_treeMode && m_treeCountdown > 0 && --m_treeCountdown == 0)
        TakeTreeSelection();
    return true;
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
