// CFolderTreeCtrl: a "TreeList" of the drives and their folders with their
// shell icons. A thread of its own lists the children of a node when the
// node first expands; the UI thread only inserts what the thread found, a
// batch at a time. Folders are sorted by name in the user's locale without
// case, hidden and system folders are left out, drives come first. A folder
// node whose folder has gone is removed when it is selected or expanded.
//
// The TreeList notifies the host, not itself: the host passes the tree's
// notifications to HandleNotify. The tree then tells the host by WM_NOTIFY
// with its id: kFolderTreeSelChanged, kFolderTreeDropped,
// kFolderTreeDblClk (a double click on a folder's icon or label), the
// record (PathNotifyRecord) carrying the item's path.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/string_object.h"
#include "platform/framework/worker.h"
#include "ui/folderdlg/path_notify.h"
#include "ui/treelist/win32/treelist_ctrl.h"

constexpr UINT kFolderTreeSelChanged = 4612;
constexpr UINT kFolderTreeDropped = 4613;
constexpr UINT kFolderTreeDblClk = 4614;
// SelectPath options.
constexpr unsigned kSelectFromCombo = 1;
constexpr unsigned kSelectFollowDialog = 128;  // no selection notification


class CFolderTreeCtrl : public CTreeListCtrl {
public:
    CFolderTreeCtrl();
    // Stops and joins the listing thread, frees what it posted.
    ~CFolderTreeCtrl() override;

    BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Expands the tree to the path and selects it (as far as it exists);
    // nodes not yet listed are listed first, the selection follows then.
    void SelectPath(const char* path, int reserved, unsigned option);
    // The host passes the tree's WM_NOTIFY records; true when taken.
    BOOL HandleNotify(NMHDR* header, LRESULT* result);
    // Whether a selection or listing is still on its way (tests; UI thread).
    bool IsBusy() const;
    // Whether the selection changes now because SelectPath's walk selects
    // (the host's own path, or the nearest folder of it that exists), not
    // because the user picked a node.
    bool SelectingPath() const { return m_walking; }

    // The selected item's path, read after kFolderTreeSelChanged.
    CString m_selectedPath;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Node {
        std::string path;  // "C:\" for a drive, else without a trailing '\'
        bool requested = false;
        bool loaded = false;
    };
    struct Entry {
        std::string name, path;
        int icon, openIcon;
    };
    struct Listing {
        size_t node;
        std::vector<Entry> entries;
        size_t inserted = 0;
    };

    struct FolderIcons {
        int closed, open;
    };

    void Request(size_t node);
    // The worker's side: takes the oldest queued node, lists it.
    bool TakeRequest(std::pair<size_t, std::string>* request);
    static std::unique_ptr<Listing> List(size_t node, const std::string& path, const FolderIcons& icons);
    void ListRequests(CWorker& worker);
    void InsertPending();
    // Messages of this window (folder_tree.cpp's route table).
    void OnListingDone(Listing* listing);
    void OnInsertMore();
    void OnRemoveGone(size_t node);
    void ContinueSelect();
    uint32_t FindChild(uint32_t parent, const std::string& path) const;
    // Runs a step of SelectPath's walk that may change the selection: the
    // change is the walk's, notified unless the walk is quiet; its answer.
    template <typename Step>
    auto Walk(Step step);
    // Removes the item when its folder has gone (its parent takes a lost
    // selection); true when removed.
    bool RemoveIfGone(uint32_t item);
    void PostRemoval(size_t node);
    // NM_DBLCLK at the point: 1 when it chose a folder (the tree then does
    // nothing more), 0 when the tree goes on with it.
    LRESULT ChooseByDoubleClick(POINT at);
    size_t NodeOf(uint32_t item) const;
    void StopWorker();

    std::vector<Node> m_nodes;  // [0] is the invisible root (the drives)
    std::deque<std::unique_ptr<Listing>> m_pending;  // UI thread only
    size_t m_listingsDue = 0;  // requested, not yet in the tree (UI thread only)
    std::string m_target;                            // path SelectPath goes to
    bool m_quietSelect = false;  // the walk notifies no selection change
    bool m_walking = false;
    bool m_continuePosted = false;

    std::deque<std::pair<size_t, std::string>> m_requests;  // under the worker's lock
    // Last, so it stops before what it shares goes.
    CWorker m_worker;
};
