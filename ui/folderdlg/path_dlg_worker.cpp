// The folder dialog's worker and the UI thread's side of its results. The
// worker only fills record lists and posts; the UI thread alone adds items
// to the controls and owns what they show (m_rows), so no item data dangles
// and no message crosses threads while the lock is held.
#include <algorithm>
#include <cstring>

#include "system/file_list.h"
#include "system/shell_icons.h"
#include "text/text_services.h"
#include "ui/folderdlg/path_dlg.h"

namespace {

constexpr DWORD kWorkerWaitMs = 5000;
// Records added per lock hold, and the UI thread's time per batch of rows.
constexpr int kRecordBatch = 256;
constexpr DWORD kMoveSliceMs = 30;
const char kNetworkRoot[] = "Netzwerkumgebung";

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Locked() { LeaveCriticalSection(&m_cs); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

}  // namespace

DWORD WINAPI CPathDlg::FillThread(void* self)
{
    CPathDlg& d = *static_cast<CPathDlg*>(self);
    d.FillDrives();
    for (;;) {
        WaitForSingleObject(d.m_wake, kWorkerWaitMs);
        if (d.m_quit)
            break;
        std::string path;
        {
            Locked hold(d.m_lock);
            // A timed-out wait without a request lists nothing.
            if (!d.m_requested)
                continue;
            d.m_requested = false;
            d.m_pending = false;
            d.m_folders.RemoveAll();
            d.m_currentIndex = -1;
            ++d.m_generation;
            path = d.m_request;
        }
        const HWND list = ::GetDlgItem(d.m_hWnd, kIdList);
        ::PostMessageA(list, LB_RESETCONTENT, 0, 0);
        ::PostMessageA(list, LB_SETCURSEL, WPARAM(-1), 0);
        ::PostMessageA(list, LB_SETCARETINDEX, WPARAM(-1), 0);
        d.FillFolders(path);
        if (d.m_quit)
            break;
        d.m_pending = true;
        ::PostMessageA(d.m_hWnd, WM_COMMAND, kFoldersReady, 0);
    }
    // The last touch of the object; StopWorker joins the thread after it.
    d.m_alive = false;
    return 0;
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
        Locked hold(m_lock);
        m_drives.AddString(text.c_str(), -1, &header);
        m_drivePaths.AddString("");
    }
    if (m_startKind == kNetworkFolder) {
        const DriveHeader header{m_folderIcon, 2};
        Locked hold(m_lock);
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
        Locked hold(m_lock);
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
        Locked hold(m_lock);
        for (const auto& [text, header] : records)
            m_folders.AddString(text.c_str(), -1, &header);
        m_currentIndex = m_folders.m_nCount - 1;
    }
    CFileList list(path.c_str(), CFileList::kListFolders);
    std::vector<std::string> names;
    while (const char* name = list.ReadNext())
        names.push_back(name);
    SortFolderNames(names, FolderNameCompare);
    const FolderHeader header{m_folderIcon, indent, {0, 0}};
    for (size_t i = 0; i < names.size() && !m_quit && !m_requested; i += kRecordBatch) {
        Locked hold(m_lock);
        for (size_t j = i; j < names.size() && j < i + kRecordBatch; ++j)
            m_folders.AddString(names[j].c_str(), -1, &header);
    }
}

void CPathDlg::RequestFill()
{
    {
        Locked hold(m_lock);
        std::strncpy(m_request, m_path.c_str(), sizeof m_request - 1);
        m_request[sizeof m_request - 1] = 0;
        m_requested = true;
        m_selectCurrent = true;
    }
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ReleaseSemaphore(m_wake, 1, nullptr);
}

void CPathDlg::StopWorker()
{
    if (!m_thread)
        return;
    int discarded = 0;
    for (;;) {
        m_requested = false;
        m_quit = true;
        ReleaseSemaphore(m_wake, 1, nullptr);
        if (!m_alive && WaitForSingleObject(m_thread, 0) == WAIT_OBJECT_0)
            break;
        MSG msg;
        if (m_hWnd && PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
            if (++discarded >= 10)
                Sleep(10);
            continue;
        }
        WaitForSingleObject(m_thread, m_pending ? 20 : 100);
    }
    CloseHandle(m_thread);
    m_thread = nullptr;
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
            Locked hold(m_lock);
            if (m_generation != m_shownGeneration || shown > m_folders.m_nCount) {
                m_shownGeneration = m_generation;
                ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
                m_rows.clear();
                continue;
            }
            for (int i = shown; i < m_folders.m_nCount && i < shown + kRecordBatch; ++i) {
                const FolderHeader* h = static_cast<const FolderHeader*>(m_folders.GetHeaderPtr(i));
                batch.push_back({m_folders.GetString(i), h->icon, h->indent});
            }
            more = shown + int(batch.size()) < m_folders.m_nCount;
            current = m_currentIndex;
            m_listLevels.clear();
            for (int i = 0; i <= current && i < m_folders.m_nCount; ++i)
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
    const HWND list = ::GetDlgItem(m_hWnd, kIdList);
    if (m_selectCurrent && m_listCurrent >= 0 && int(::SendMessageA(list, LB_GETCOUNT, 0, 0)) > m_listCurrent) {
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
        Locked hold(m_lock);
        for (int i = int(::SendMessageA(drives, CB_GETCOUNT, 0, 0)); i < m_drives.m_nCount; ++i)
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
        Locked hold(m_lock);
        for (int i = 0; i < m_drives.m_nCount; ++i)
            drives.push_back({m_drives.GetString(i), static_cast<const DriveHeader*>(m_drives.GetHeaderPtr(i))->kind});
    }
    const int found = FindDriveForPath(drives, m_path);
    const HWND box = ::GetDlgItem(m_hWnd, kIdDrives);
    if (found >= 0 && ::SendMessageA(box, CB_GETCURSEL, 0, 0) != found)
        ::SendMessageA(box, CB_SETCURSEL, WPARAM(found), 0);
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
        Locked hold(m_lock);
        if (chosen < 0 || chosen >= m_drives.m_nCount)
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
        Locked hold(m_lock);
        std::vector<DriveRecordText> drives;
        for (int i = 0; i < m_drives.m_nCount; ++i)
            drives.push_back({m_drives.GetString(i), static_cast<const DriveHeader*>(m_drives.GetHeaderPtr(i))->kind});
        const int previous = FindDriveForPath(drives, m_path);
        if (previous >= 0)
            m_drivePaths.SetData(uint32_t(m_path.size()), m_path.c_str(), previous);
        remembered = m_drivePaths.GetString(chosen) ? m_drivePaths.GetString(chosen) : "";
        target = !remembered.empty() ? remembered : (kind == 0 ? TrimDialogPath(text) : text);
    }
    GoTo(target);
}
