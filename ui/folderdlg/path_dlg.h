// CPathDlg: the modal folder chooser. A path box at the top (1017: a plain
// drop-down of recent folders or a breadcrumb CPathComboBox) and either the
// classic view (drive box 1016 and the owner-drawn folder list 1015) or the
// folder tree (1099). A worker thread lists drives and folders into record
// lists; the UI thread moves them into the controls on a 200 ms timer. The
// view modes are kept per user in HKCU\Software\Velk\Common. Messages
// route through one table (path_dlg_messages.cpp).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/dialog.h"
#include "platform/framework/message_routes.h"
#include "platform/framework/worker.h"
#include "system/path_text.h"
#include "system/record_array.h"
#include "ui/folderdlg/path_combo.h"
#include "ui/folderdlg/path_dlg_logic.h"
#include "ui/folderdlg/folder_tree.h"
#include "platform/framework/routed_message.h"

class CPathDlg : public CDialog {
public:
    static constexpr int kIdTreeCheck = 1001, kIdCrumbCheck = 1002, kIdList = 1015, kIdDrives = 1016,
                         kIdPath = 1017, kIdUp = 1018, kIdTree = 1099, kIdFollowTree = 1098;
    static constexpr int kDrivesReady = 1043, kFoldersReady = 1044;
    static constexpr UINT_PTR kFillTimer = 1045;
    static constexpr UINT kDroppedFiles = 0x0523;
    static constexpr UINT kExtensionCommand = 64;
    static constexpr int kLayoutRows = 10;

    explicit CPathDlg(CWnd* parent = nullptr, const char* registryEntry = nullptr);
    ~CPathDlg() override;

    const char* SetPath(const char* text);
    const char* GetPath(int which = 0) const;
    int GetPathCopy(char* buffer, int size, BOOL withSeparator) const;
    int GetPathStr(CString& out, int which) const;
    void AppendPathPart(const char* text);
    void SetTitle(const char* text);
    void SetPathExtension(const char* text);
    void SetRegistryEntry(const char* entry);
    void SetOptions(unsigned options) { m_options = options & kPathAllOptions; }
    unsigned GetOptions() const { return m_options; }
    void SetTemplate(UINT resourceId) { m_resourceId = resourceId; }
    INT_PTR DoModal() override;
    INT_PTR DoModalEx(const char* registryEntry, int options);
    void LoadRecent(const char* registryEntry, int flags);
    void AddRecent(const char* path);
    // 0 when the path cannot be listed, 3 a server (shares), 2 a folder,
    // else 1.
    static int ClassifyNetworkPath(const char* path);

    // For tests and the gallery: the controls of a running dialog.
    CFolderTreeCtrl* Tree() const { return m_tree.get(); }
    CPathComboBox* PathCombo() const { return m_combo.get(); }
    BOOL IsTreeMode() const { return m_treeMode; }
    bool IsWorkerAlive() const { return m_worker.Running(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    struct Row {
        std::string text;
        int icon, indent;
    };
    struct FolderHeader {
        int32_t icon, indent, reserved[2];
    };
    struct DriveHeader {
        int32_t icon, kind;
    };
    // The message table's rows: WM_COMMAND and WM_NOTIFY route by their
    // control id and code too (DialogKey), other messages by the message
    // alone. The list's subclass has a table of the same rows.
    using Rows = RouteRows<CPathDlg, RoutedMessage>;
    static const Rows::Row* RouteOf(UINT message, WPARAM wParam, LPARAM lParam);
    // The controls' rectangles and the client size at the first layout of a
    // run, and the minimum size set when the dialog opens (so it never
    // drifts when the layout is taken again).
    struct LayoutState {
        bool taken = false;
        IntRect rects[kLayoutRows] = {};
        int clientWidth = 0, clientHeight = 0, minWidth = 0, minHeight = 0;
    };

    // Worker side (path_dlg_worker.cpp).
    void FillThread(CWorker& worker);
    void FillDrives();
    void FillFolders(const std::string& path);
    void RequestFill();
    void StopWorker();
    void MoveRecords();
    void OnFoldersReady();
    void OnDrivesReady();
    void SelectDriveOfPath();
    void OnDriveChange();
    // The drive box's list ends chosen (Enter, a click) or cancelled
    // (Escape, a click elsewhere); systems differ in whether that comes
    // before or after the list has closed, so it is kept until both are in.
    enum class DriveListEnd { kNone, kChosen, kCancelled };
    void OnDriveListEnd(DriveListEnd end);
    template <DriveListEnd End>
    void OnDriveListEndAs() { OnDriveListEnd(End); }
    void OnDriveListClosed();

    // Message handlers (path_dlg_messages.cpp); those returning bool
    // decline with false.
    void OpenListSelection();
    void OnRecentChosen();
    void OnCrumbSwitch();
    void PostOk();
    void OnTreeSelChanged();
    void OnComboChanged(const std::string& path);
    void OnTreeDoubleClick(const char* path);
    void OnDroppedFiles(HDROP drop);
    bool OnTreeNotify(NMHDR* header, LRESULT& result);
    bool OnMeasureItem(LRESULT& answer, MEASUREITEMSTRUCT* item);
    BOOL OnDrawItem(const DRAWITEMSTRUCT* item);
    bool OnSysCommand(WPARAM command);
    bool OnGetMinMaxInfo(MINMAXINFO* info);
    BOOL OnSizing(int edge, RECT* rect);
    void OnSize(int cx, int cy);
    void OnExitSizeMove();
    bool OnTimer(UINT_PTR timer);
    void OnDestroyDialog();

    // UI side (path_dlg.cpp).
    void CreateTree();
    void CreatePathCombo();
    void SetUpList();
    void PlaceOpening();
    void KeepLastRect();
    // Whether the keyboard focus is in the path box (its edit included).
    bool FocusInPathBox() const;
    void OpenEntry(int index);
    void GoTo(const std::string& path);
    void ShowPath();
    void TreeFollow();
    void TakeTreeSelection();
    void OnTreeSwitch();
    void OnUp();
    void OnDropped(const char* file);
    void DrawRow(const DRAWITEMSTRUCT* item);
    // The list's subclass: a wheel turn scrolls by one row, dropped files go
    // to the dialog, typed characters select by their beginning.
    void OnListWheel(int delta);
    LRESULT ForwardDroppedFiles(WPARAM drop, LPARAM lParam);
    bool OnListChar(unsigned character);
    void TakeLayout();
    void ApplyLayout(int cx, int cy);
    void SaveModes();
    void WriteRecent();
    bool OpenEntryKey(class CRegistry& reg, const char* entry, int mode, std::string* value) const;
    static LRESULT CALLBACK ListProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    PathDlgFileSystem FileSystem() const;

    std::string m_path, m_result, m_title, m_extension, m_shown;
    std::string m_entry;  // empty: none
    bool m_hasEntry = false;
    unsigned m_options = kPathMustExist;
    BOOL m_treeMode = FALSE, m_breadCrumb = TRUE;
    UINT m_resourceId = 0;
    std::unique_ptr<CRecordArray> m_recent;
    std::unique_ptr<CFolderTreeCtrl> m_tree;
    std::unique_ptr<CPathComboBox> m_combo;
    WNDPROC m_listProc = nullptr;
    HIMAGELIST m_images = nullptr;
    int m_folderIcon = 0, m_openIcon = 0, m_driveIcon = 0, m_textOffset = 2;
    int m_textLeft = 24;  // 4 pixels each side of the icon (16 pixels at 96 dpi)
    int m_startKind = 0;
    bool m_browsingNetwork = false, m_inOpen = false, m_moved = false;
    bool m_opening = false;  // made, not yet placed
    TypeAhead m_typeAhead;
    int m_treeCountdown = 0;
    DriveListEnd m_driveListEnd = DriveListEnd::kNone;
    LayoutState m_layout;

    // Shared with the worker, under its lock; its request flag says the
    // request holds a path to list (whole: a cut one would list another).
    std::string m_request;
    CRecordArray m_folders{sizeof(FolderHeader)};
    CRecordArray m_drives{sizeof(DriveHeader)};
    CRecordArray m_drivePaths{0};
    int m_currentIndex = -1;
    unsigned m_generation = 0;
    // Fill requests made, and the one the records answer.
    unsigned m_requestSerial = 0, m_listedSerial = 0;
    int m_chosenNetwork = -1;  // drive record of kind 2 chosen, or -1
    std::atomic<bool> m_pending{false};  // results the timer is to move in
    bool m_selectCurrent = false;

    // UI thread only: what the list and the drive box show.
    std::vector<Row> m_rows;
    unsigned m_shownGeneration = 0;
    unsigned m_readyGeneration = 0;  // the listing whose ready came last
    std::vector<std::string> m_listLevels;
    int m_listCurrent = -1;

    // Last, so it stops before what it shares goes.
    CWorker m_worker;
};
