#include "ui/folderdlg/folder_tree.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "system/file_list.h"
#include "system/path_text.h"
#include "system/shell_icons.h"
#include "text/text_services.h"
#include "ui/folderdlg/folder_tree_logic.h"
#include "ui/folderdlg/path_dlg_logic.h"
#include "platform/framework/routed_message.h"

namespace {

// Posted by the listing thread (lParam a Listing), by the UI thread to go on
// inserting a long listing, and to remove the node (wParam) of a folder that
// has gone, once the tree's notification about it has returned.
constexpr UINT kListingDone = WM_APP + 0x612;
constexpr UINT kInsertMore = WM_APP + 0x613;
constexpr UINT kRemoveGone = WM_APP + 0x614;
// Insertion pauses after this long so the UI thread stays responsive.
constexpr DWORD kInsertSliceMs = 15;

// A drive stays when it has no medium; a folder node goes with its folder.
// A path longer than the file functions take cannot be asked about: its
// node stays (the dialog says why it cannot be chosen).
bool FolderGone(const std::string& path)
{
    return PathRootLength(path.c_str()) < path.size() && path.size() <= kMaxDialogPath &&
           GetPathTypeA(path.c_str()) < kPathFolder;
}

HTREEITEM Handle(uint32_t item) { return reinterpret_cast<HTREEITEM>(static_cast<UINT_PTR>(item)); }

}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl() { m_nodes.push_back(Node{}); }

CFolderTreeCtrl::~CFolderTreeCtrl() { StopWorker(); }

BOOL CFolderTreeCtrl::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    if (!CTreeListCtrl::Create(exStyle, style, rect, parent, id))
        return FALSE;
    SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(GetSystemImageList(FALSE)));
    m_worker.Start([this](CWorker& worker) { ListRequests(worker); });
    Request(0);
    return TRUE;
}

void CFolderTreeCtrl::StopWorker()
{
    {
        CLockGuard hold(m_worker.SharedLock());
        m_requests.clear();
    }
    m_worker.Stop();
    // Listings posted but not yet taken are ours to free.
    MSG msg;
    if (m_hWnd)
        while (PeekMessageA(&msg, m_hWnd, kListingDone, kListingDone, PM_REMOVE))
            delete reinterpret_cast<Listing*>(msg.lParam);
    m_pending.clear();
    m_listingsDue = 0;
}

void CFolderTreeCtrl::Request(size_t node)
{
    Node& n = m_nodes[node];
    if (n.requested)
        return;
    n.requested = true;
    ++m_listingsDue;
    {
        CLockGuard hold(m_worker.SharedLock());
        m_requests.emplace_back(node, n.path);
    }
    m_worker.Wake();
}

// A listing is due from its request until it is in the tree: the worker may
// hold it, or its message may wait in the queue, with nothing queued here.
bool CFolderTreeCtrl::IsBusy() const { return m_listingsDue != 0 || !m_target.empty(); }

bool CFolderTreeCtrl::TakeRequest(std::pair<size_t, std::string>* request)
{
    CLockGuard hold(m_worker.SharedLock());
    if (m_requests.empty())
        return false;
    *request = std::move(m_requests.front());
    m_requests.pop_front();
    return true;
}

std::unique_ptr<CFolderTreeCtrl::Listing> CFolderTreeCtrl::List(size_t node, const std::string& path,
                                                                  const FolderIcons& icons)
{
    auto listing = std::make_unique<Listing>();
    listing->node = node;
    if (path.empty()) {
        CFileList drives(":", 0);
        while (const char* name = drives.ReadNext()) {
            std::string root = name;
            AppendBackslashStr(root);
            const int icon = GetDriveIconIndex(root[0], kIconSmall);
            listing->entries.push_back({root, root, icon, icon});
        }
        return listing;
    }
    CFileList folders(path.c_str(), CFileList::kListFolders);
    std::vector<std::string> names;
    while (const char* name = folders.ReadNext())
        names.push_back(name);
    SortFolderNames(names, FolderNameCompare);
    std::string base = path;
    AppendBackslashStr(base);
    for (std::string& name : names)
        listing->entries.push_back({name, base + name, icons.closed, icons.open});
    return listing;
}

// Lists every queued node after each wake-up; a listing that ends after the
// quit is dropped, so nothing reaches a window that stops.
void CFolderTreeCtrl::ListRequests(CWorker& worker)
{
    const FolderIcons icons{GetFolderIconIndex(kIconSmall), GetFolderIconIndex(kIconSmall | kIconOpen)};
    std::pair<size_t, std::string> request;
    while (worker.WaitForWake()) {
        while (!worker.Quitting() && TakeRequest(&request)) {
            std::unique_ptr<Listing> listing = List(request.first, request.second, icons);
            if (worker.Quitting())
                return;
            if (::PostMessageA(m_hWnd, kListingDone, 0, reinterpret_cast<LPARAM>(listing.get())))
                listing.release();
        }
    }
}

LRESULT CFolderTreeCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    using Rows = RouteRows<CFolderTreeCtrl, RoutedMessage>;
    static constexpr Rows::Row kRows[] = {
        Rows::On(kListingDone).Act<&CFolderTreeCtrl::OnListingDone, LParamAs<Listing*>>(),
        Rows::On(kInsertMore).Act<&CFolderTreeCtrl::OnInsertMore>(),
        Rows::On(kRemoveGone).Act<&CFolderTreeCtrl::OnRemoveGone, WParamAs<size_t>>(),
        Rows::On(WM_DROPFILES).Act<NotifyDroppedFile<kFolderTreeDropped>, WParamAs<HDROP>>(),
        Rows::On(WM_DESTROY).ActThenPass<&CFolderTreeCtrl::StopWorker>(),
    };
    static constexpr auto kRoutes = SortRoutes(kRows);
    static_assert(RoutesDisjoint(kRoutes), "a message has two rows");
    return RouteOrDefault(FindRoute(kRoutes, message), *this, message, wParam, lParam,
                          [&] { return CTreeListCtrl::WindowProc(message, wParam, lParam); });
}

// The worker's listing, posted to this window, is now the UI thread's.
void CFolderTreeCtrl::OnListingDone(Listing* listing)
{
    m_pending.emplace_back(listing);
    InsertPending();
}

void CFolderTreeCtrl::OnInsertMore()
{
    m_continuePosted = false;
    InsertPending();
}

void CFolderTreeCtrl::OnRemoveGone(size_t node)
{
    if (node < m_nodes.size())
        RemoveIfGone(FindChild(UINT32_MAX, m_nodes[node].path));
}

void CFolderTreeCtrl::InsertPending()
{
    const DWORD start = GetTickCount();
    while (!m_pending.empty()) {
        Listing& listing = *m_pending.front();
        const uint32_t parentItem = listing.node == 0 ? 0 : FindChild(UINT32_MAX, m_nodes[listing.node].path);
        if (listing.node != 0 && parentItem == 0) {
            m_pending.pop_front();  // its node was removed meanwhile
            --m_listingsDue;
            continue;
        }
        TVINSERTSTRUCTA insert = {};
        insert.hParent = listing.node == 0 ? TVI_ROOT : Handle(parentItem);
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
        insert.item.cChildren = 1;
        while (listing.inserted < listing.entries.size()) {
            const Entry& e = listing.entries[listing.inserted++];
            Node node;
            node.path = TrimDialogPath(e.path);
            m_nodes.push_back(node);
            insert.item.pszText = const_cast<char*>(e.name.c_str());
            insert.item.iImage = e.icon;
            insert.item.iSelectedImage = e.openIcon;
            insert.item.lParam = LPARAM(m_nodes.size() - 1);
            SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
            if ((listing.inserted & 63) == 0 && GetTickCount() - start > kInsertSliceMs)
                break;
        }
        if (listing.inserted < listing.entries.size()) {
            if (!m_continuePosted)
                m_continuePosted = PostMessage(kInsertMore) != FALSE;
            return;
        }
        m_nodes[listing.node].loaded = true;
        if (listing.node != 0 && listing.entries.empty()) {
            TVITEMA item = {};
            item.mask = TVIF_CHILDREN;
            item.hItem = Handle(parentItem);
            SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        m_pending.pop_front();
        --m_listingsDue;
    }
    ContinueSelect();
}

size_t CFolderTreeCtrl::NodeOf(uint32_t item) const
{
    TVITEMA tv = {};
    tv.mask = TVIF_PARAM;
    tv.hItem = Handle(item);
    if (!item || !SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) || size_t(tv.lParam) >= m_nodes.size())
        return 0;
    return size_t(tv.lParam);
}

// The child of parent (0: a drive; UINT32_MAX: anywhere along the path
// from the drives down) whose node has the path.
uint32_t CFolderTreeCtrl::FindChild(uint32_t parent, const std::string& path) const
{
    if (parent == UINT32_MAX) {
        const std::vector<std::string> levels = SplitPathLevels(path);
        uint32_t item = 0;
        for (size_t i = 0; i < levels.size() && item != UINT32_MAX; ++i)
            item = FindChild(item, JoinPathLevels(levels, i));
        return item == UINT32_MAX ? 0 : item;
    }
    uint32_t child = uint32_t(SendMessage(TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, LPARAM(parent)));
    while (child) {
        if (SamePathNoCase(m_nodes[NodeOf(child)].path, path))
            return child;
        child = uint32_t(SendMessage(TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(child)));
    }
    return UINT32_MAX;
}

void CFolderTreeCtrl::SelectPath(const char* path, int, unsigned option)
{
    if (!path || !*path)
        return;
    m_target = TrimDialogPath(path);
    m_quietSelect = (option & kSelectFollowDialog) != 0;
    ContinueSelect();
}

template <typename Step>
auto CFolderTreeCtrl::Walk(Step step)
{
    struct Mark {
        bool& walking;
        ~Mark() { walking = false; }
    } mark{m_walking};
    m_walking = true;
    return step();
}

// Walks from the drives down the target path; stops where a node still has
// to be listed (its listing calls this again) and selects the deepest node
// found.
void CFolderTreeCtrl::ContinueSelect()
{
    if (m_target.empty() || !m_nodes[0].loaded)
        return;
    const std::vector<std::string> levels = SplitPathLevels(m_target);
    uint32_t item = 0;
    for (size_t i = 0; i < levels.size(); ++i) {
        const size_t node = NodeOf(item);
        if (item && !m_nodes[node].loaded) {
            Request(node);
            return;
        }
        const uint32_t child = FindChild(item, JoinPathLevels(levels, i));
        // A removal's move to the parent is the walk's too.
        const bool gone = child != UINT32_MAX && Walk([&] { return RemoveIfGone(child); });
        if (child == UINT32_MAX || gone)
            break;
        if (item)
            SendMessage(TVM_EXPAND, TVE_EXPAND, LPARAM(item));
        item = child;
    }
    m_target.clear();
    if (!item)
        return;
    Walk([&] {
        SendMessage(TVM_SELECTITEM, TVGN_CARET, LPARAM(item));
        SendMessage(TVM_ENSUREVISIBLE, 0, LPARAM(item));
    });
    m_selectedPath = m_nodes[NodeOf(item)].path.c_str();
}

bool CFolderTreeCtrl::RemoveIfGone(uint32_t item)
{
    if (!item || item == UINT32_MAX || !FolderGone(m_nodes[NodeOf(item)].path))
        return false;
    const uint32_t parent = uint32_t(SendMessage(TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(item)));
    const bool selected = uint32_t(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0)) == item;
    SendMessage(TVM_DELETEITEM, 0, LPARAM(item));
    // The selection moves to the parent, and the host follows it there.
    if (selected && parent)
        SendMessage(TVM_SELECTITEM, TVGN_CARET, LPARAM(parent));
    return true;
}

void CFolderTreeCtrl::PostRemoval(size_t node) { PostMessage(kRemoveGone, WPARAM(node)); }

// The TreeList reports the double click before it acts on it: on a folder's
// icon or label the folder is chosen and the tree does nothing more (the
// host closes); on its box the tree toggles it as for a click.
LRESULT CFolderTreeCtrl::ChooseByDoubleClick(POINT at)
{
    TVHITTESTINFO hit = {};
    hit.pt = at;
    const uint32_t item = uint32_t(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    const bool fullRow = (GetStyle() & TVS_FULLROWSELECT) != 0;
    const size_t node = NodeOf(item);
    if (!node || !DoubleClickChooses(hit.flags, fullRow))
        return 0;
    const std::string path = m_nodes[node].path;
    SendPathNotify(m_hWnd, kFolderTreeDblClk, path.c_str());
    return 1;
}

BOOL CFolderTreeCtrl::HandleNotify(NMHDR* header, LRESULT* result)
{
    if (!header || header->hwndFrom != m_hWnd)
        return FALSE;
    *result = 0;
    switch (header->code) {
    case TVN_ITEMEXPANDINGA: {
        // A click on the box, a double click on it and Ctrl+Space toggle:
        // a toggle that opens a node lists it like an expand.
        const NMTREEVIEWA* tv = reinterpret_cast<const NMTREEVIEWA*>(header);
        if (ExpandingOpens(tv->action, tv->itemNew.state)) {
            const size_t node = NodeOf(uint32_t(reinterpret_cast<UINT_PTR>(tv->itemNew.hItem)));
            if (node && FolderGone(m_nodes[node].path)) {
                *result = TRUE;  // no expanding; the node goes after this notification
                PostRemoval(node);
            } else if (node) {
                Request(node);
            }
        }
        return TRUE;
    }
    case TVN_SELCHANGEDA: {
        const NMTREEVIEWA* tv = reinterpret_cast<const NMTREEVIEWA*>(header);
        const size_t node = NodeOf(uint32_t(reinterpret_cast<UINT_PTR>(tv->itemNew.hItem)));
        if (node && FolderGone(m_nodes[node].path)) {
            PostRemoval(node);  // the host hears of the parent instead
            return TRUE;
        }
        m_selectedPath = m_nodes[node].path.c_str();
        // A cleared selection has no path to report.
        if (!(m_walking && m_quietSelect) && !m_selectedPath.IsEmpty())
            SendPathNotify(m_hWnd, kFolderTreeSelChanged, m_selectedPath);
        return TRUE;
    }
    case NM_DBLCLK:
        *result = ChooseByDoubleClick(reinterpret_cast<const NMTREEVIEWA*>(header)->ptDrag);
        return TRUE;
    default:
        return FALSE;
    }
}
