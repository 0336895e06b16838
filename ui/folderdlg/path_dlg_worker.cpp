// The folder dialog's worker and the UI thread's side of its results. The
// worker only fills record lists and posts; the UI thread alone adds items
// to the controls and owns what they show (m_rows), so no item data dangles
// and no message crosses threads while the lock is held.
#include <algorithm>
#include <utility>

#include "system/file_list.h"
#include "system/shell_icons.h"
#include "text/text_services.h"
#include "ui/folderdlg/path_dlg.h"

namespace {

constexpr uint32_t kWorkerWaitMs = 5000;
// Records added per lock hold, and the UI thread's time per batch of rows.
constexpr int kRecordBatch = 256;
constexpr DWORD kMoveSliceMs = 30;
// Stopping: queued messages go without a pause up to this many, then with
// one each; between rounds the wait is short while results are pending.
constexpr int kDiscardWithoutPause = 9;
constexpr DWORD kDiscardPauseMs = 10;
constexpr uint32_t kStopStepPendingMs = 20;
constexpr uint32_t kStopStepMs = 100;
const char kNetworkRoot[] = "Netzwerkumgebung";

}  // namespace

void CPathDlg::FillThread(CWorker& worker)
{
    FillDrives();
    while (worker.WaitForWake(kWorkerWaitMs)) {
        std::string path;
        {
            CLockGuard hold(worker.SharedLock());
            // A timed-out wait without a request lists nothing.
            if (!worker.TakeRequest())
                continue;
            m_pending = false;
            m_folders.RemoveAll();
            m_currentIndex = -1;
            ++m_generation;
            m_listedSerial = m_requestSerial;
            path = m_request;
        }
        const HWND list = ::GetDlgItem(m_hWnd, kIdList);
        ::PostMessageA(list, LB_RESETCONTENT, 0, 0);
        ::PostMessageA(list, LB_SETCURSEL, WPARAM(-1), 0);
        ::PostMessageA(list, LB_SETCARETINDEX, WPARAM(-1), 0);
        FillFolders(path);
        if (worker.Quitting())
            break;
        m_pending = true;
        ::PostMessageA(m_hWnd, WM_COMMAND, kFoldersReady, 0);
    }
}

void CPathDlg::FillDrives()
{
    CFileList drives(":", 0);
    while (const char* name = drives.ReadNext()) {
        const bool network = (drives.GetEntryAttributes() & kFileAttributeNetwork) != 0;
        std::string text = name;
        if (!network)
            AppendBackslashStr(text);
        int icon = drives.GetEntryIconIndex(1);
        if (icon < 0)
            icon = network ? m_folderIcon : GetDriveIconIndex(text[0], kIconSmall);
        const DriveHeader header{icon < 0 ? m_driveIcon : icon, network ? 1 : 0};
        CLockGuard hold(m_worker.SharedLock());
        m_drives.AddString(text.c_str(), -1, &header);
        m_drivePaths.AddString("");
    }
    if (m_startKind == kNetworkFolder) {
        const DriveHeader header{m_folderIcon, 2};
        CLockGuard hold(m_worker.SharedLock());
        m_drives.AddString(m_path.c_str(), -1, &header);
        m_drivePaths.AddString("");
    }
    m_pending = true;
    ::PostMessageA(m_hWnd, WM_COMMAND, kDrivesReady, 0);
}

void CPathDlg::FillFolders(const std::string& path)
{
    // Levels: the path's parts from the root down, each indented further.
    std::vector<std::string> levels;
    const bool network = IsNetworkPathText(path) && !(m_options & kPathPlain);
    int chosen;
    {
        CLockGuard hold(m_worker.SharedLock());
        chosen = m_chosenNetwork;
    }
    if (network && chosen < 0) {
        levels.push_back("\\\\");
        for (const std::string& part : SplitPathLevels(path.substr(2)))
            levels.push_back(part);
    } else {
        levels = SplitPathLevels(path);
    }
    std::vector<std::pair<std::string, FolderHeader>> records;
    for (size_t i = 0; i < levels.size(); ++i) {
        const std::string& part = levels[i];
        int icon = m_openIcon;
        if (i == 0 && part.size() >= 2 && part[1] == ':')
            icon = GetDriveIconIndex(part[0], kIconSmall);
        records.push_back({i == 0 && part == "\\\\" ? kNetworkRoot : part,
                           FolderHeader{icon < 0 ? m_openIcon : icon, int(i) * kLevelIndent, {0, 0}}});
    }
    const int indent = int(levels.size()) * kLevelIndent;
    {
        CLockGuard hold(m_worker.SharedLock());
        for (const auto& [text, header] : records)
            m_folders.AddString(text.c_str(), -1, &header);
        m_currentIndex = m_folders.m_count - 1;
    }
    CFileList list(path.c_str(), CFileList::kListFolders);
    std::vector<std::string> names;
    while (const char* name = list.ReadNext())
        names.push_back(name);
    SortFolderNames(names, FolderNameCompare);
    const FolderHeader header{m_folderIcon, indent, {0, 0}};
    for (size_t i = 0; i < names.size() && !m_worker.Quitting() && !m_worker.Requested(); i += kRecordBatch) {
        CLockGuard hold(m_worker.SharedLock());
        for (size_t j = i; j < names.size() && j < i + kRecordBatch; ++j)
            m_folders.AddString(names[j].c_str(), -1, &header);
    }
}

void CPathDlg::RequestFill()
{
    {
        CLockGuard hold(m_worker.SharedLock());
        m_request = m_path;
        m_selectCurrent = true;
        ++m_requestSerial;
    }
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    m_worker.Request();
}

// The worker quits without listing what was asked last; while it ends, the
// dialog's queued messages are removed undispatched (nothing of a run that
// ends may act on it).
void CPathDlg::StopWorker()
{
    m_worker.TakeRequest();
    int discarded = 0;
    const auto discard = [this, &discarded] {
        MSG msg;
        while (m_hWnd && PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE))
            if (++discarded > kDiscardWithoutPause)
                Sleep(kDiscardPauseMs);
        m_worker.TakeRequest();
    };
    m_worker.Stop(discard, m_pending ? kStopStepPendingMs : kStopStepMs);
}

// Moves the records the list does not show yet into it, for at most one
// slice of time; a new listing (another generation) empties it first.
void CPathDlg::MoveRecords()
{
    const HWND list = ::GetDlgItem(m_hWnd, kIdList);
    if (!list)
        return;
    std::vector<Row> batch;
    int current;
    const DWORD start = GetTickCount();
    for (bool more = true; more && GetTickCount() - start < kMoveSliceMs;) {
        const int shown = int(::SendMessageA(list, LB_GETCOUNT, 0, 0));
        batch.clear();
        {
            CLockGuard hold(m_worker.SharedLock());
            if (m_generation != m_shownGeneration || shown > m_folders.m_count) {
                m_shownGeneration = m_generation;
                ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
                m_rows.clear();
                continue;
            }
            for (int i = shown; i < m_folders.m_count && i < shown + kRecordBatch; ++i) {
                const FolderHeader* h = static_cast<const FolderHeader*>(m_folders.GetHeaderPtr(i));
                batch.push_back({m_folders.GetString(i), h->icon, h->indent});
            }
            more = shown + int(batch.size()) < m_folders.m_count;
            current = m_currentIndex;
            m_listLevels.clear();
            for (int i = 0; i <= current && i < m_folders.m_count; ++i)
                m_listLevels.push_back(m_folders.GetString(i));
            if (!m_listLevels.empty() && m_listLevels[0] == kNetworkRoot)
                m_listLevels[0] = "\\\\";
        }
        m_listCurrent = current;
        ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        for (Row& row : batch) {
            m_rows.resize(size_t(::SendMessageA(list, LB_GETCOUNT, 0, 0)));
            m_rows.push_back(std::move(row));
            ::SendMessageA(list, LB_ADDSTRING, 0, LPARAM(m_rows.size() - 1));
        }
        ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(list, nullptr, TRUE);
    }
}

void CPathDlg::OnFoldersReady()
{
    MoveRecords();
    // Each listing posts one ready, in order. Only the ready of the listing
    // that answers the last request selects: a listing replaced by a later
    // one would lose the selection to the reset the later one posts.
    bool last;
    {
        CLockGuard hold(m_worker.SharedLock());
        last = ++m_readyGeneration == m_generation && m_listedSerial == m_requestSerial;
    }
    const HWND list = ::GetDlgItem(m_hWnd, kIdList);
    if (m_selectCurrent && last && m_listCurrent >= 0 && int(::SendMessageA(list, LB_GETCOUNT, 0, 0)) > m_listCurrent) {
        ::SendMessageA(list, LB_SETCURSEL, WPARAM(m_listCurrent), 0);
        ::SendMessageA(list, LB_SETCARETINDEX, WPARAM(m_listCurrent), 0);
        m_selectCurrent = false;
    }
    SelectDriveOfPath();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    m_shown = JoinPathLevels(m_listLevels, m_listLevels.size());
    if (m_shown.empty())
        m_shown = m_path;
    m_shown = TrimDialogPath(m_shown);
}

void CPathDlg::OnDrivesReady()
{
    const HWND drives = ::GetDlgItem(m_hWnd, kIdDrives);
    {
        CLockGuard hold(m_worker.SharedLock());
        for (int i = int(::SendMessageA(drives, CB_GETCOUNT, 0, 0)); i < m_drives.m_count; ++i)
            ::SendMessageA(drives, CB_ADDSTRING, 0, LPARAM(i));
    }
    SelectDriveOfPath();
    OnDriveChange();
    RequestFill();
}

void CPathDlg::SelectDriveOfPath()
{
    std::vector<DriveRecordText> drives;
    {
        CLockGuard hold(m_worker.SharedLock());
        for (int i = 0; i < m_drives.m_count; ++i)
            drives.push_back({m_drives.GetString(i), static_cast<const DriveHeader*>(m_drives.GetHeaderPtr(i))->kind});
    }
    const int found = FindDriveForPath(drives, m_path);
    const HWND box = ::GetDlgItem(m_hWnd, kIdDrives);
    if (found >= 0 && ::SendMessageA(box, CB_GETCURSEL, 0, 0) != found)
        ::SendMessageA(box, CB_SETCURSEL, WPARAM(found), 0);
}

void CPathDlg::OnDriveListEnd(DriveListEnd end)
{
    m_driveListEnd = end;
    if (!SendDlgItemMessageA(m_hWnd, kIdDrives, CB_GETDROPPEDSTATE, 0, 0))
        OnDriveListClosed();
}

// A choice goes to its drive; a cancel puts the box back on the path's
// drive, which the keys moved away from while the list was open.
void CPathDlg::OnDriveListClosed()
{
    switch (std::exchange(m_driveListEnd, DriveListEnd::kNone)) {
    case DriveListEnd::kChosen: OnDriveChange(); break;
    case DriveListEnd::kCancelled: SelectDriveOfPath(); break;
    case DriveListEnd::kNone: break;
    }
}

void CPathDlg::OnDriveChange()
{
    const HWND box = ::GetDlgItem(m_hWnd, kIdDrives);
    if (::SendMessageA(box, CB_GETDROPPEDSTATE, 0, 0))
        return;
    const int chosen = int(::SendMessageA(box, CB_GETCURSEL, 0, 0));
    std::string text, remembered;
    int kind;
    {
        CLockGuard hold(m_worker.SharedLock());
        if (chosen < 0 || chosen >= m_drives.m_count)
            return;
        text = m_drives.GetString(chosen);
        kind = static_cast<const DriveHeader*>(m_drives.GetHeaderPtr(chosen))->kind;
        m_chosenNetwork = kind == 2 ? chosen : -1;
    }
    std::string target;
    if (kind == 1) {
        if (m_browsingNetwork && !IsNetworkPathText(m_path))
            return;
        target = "\\\\";
    } else {
        if (PathStartsWithNoCase(m_path + "\\", text))
            return;
        CLockGuard hold(m_worker.SharedLock());
        std::vector<DriveRecordText> drives;
        for (int i = 0; i < m_drives.m_count; ++i)
            drives.push_back({m_drives.GetString(i), static_cast<const DriveHeader*>(m_drives.GetHeaderPtr(i))->kind});
        const int previous = FindDriveForPath(drives, m_path);
        if (previous >= 0)
            m_drivePaths.SetData(uint32_t(m_path.size()), m_path.c_str(), previous);
        remembered = m_drivePaths.GetString(chosen) ? m_drivePaths.GetString(chosen) : "";
        target = !remembered.empty() ? remembered : (kind == 0 ? TrimDialogPath(text) : text);
    }
    GoTo(target);
}
