// Deleting items: notification order, quiet mode, and parents that delete,
// insert or destroy the control inside the notifications.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/treelist/treelist_chain_steps.h"
#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

Control* g_control;
int CALLBACK DestroyingCompare(LPARAM a, LPARAM b, LPARAM)
{
    if (g_control->d)
        g_control->DestroyWindow();
    return int(b - a);
}

std::vector<uint32_t> Deleted(const std::vector<Sent>& sent)
{
    std::vector<uint32_t> out;
    for (const Sent& s : sent)
        if (s.code == TVN_DELETEITEMA)
            out.push_back(s.oldItem);
    return out;
}

TEST(TreeListDelete, ChildrenLastFirstThenTheItem)
{
    Control c;
    const uint32_t a = c.Insert(0, "a", kTreeListLast, 100);
    const uint32_t a1 = c.Insert(a, "a1");
    const uint32_t a2 = c.Insert(a, "a2");
    const uint32_t a21 = c.Insert(a2, "a21");
    const uint32_t b = c.Insert(0, "b");
    c.host.Clear();
    EXPECT_TRUE(c.Delete(a));
    EXPECT_EQ(Deleted(c.host.sent), (std::vector<uint32_t>{a21, a2, a1, a}));
    EXPECT_EQ(c.host.sent.back().oldData, 100);
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 1);
    EXPECT_EQ(c.Children(0), std::vector<uint32_t>{b});
}

TEST(TreeListDelete, CaretSendsSelChangedFirstAndClearsTheCaret)
{
    Control c;
    const uint32_t a = c.Insert(0, "a", kTreeListLast, 5);
    c.Send(TVM_SELECTITEM, TVGN_CARET, a);
    c.host.Clear();
    EXPECT_TRUE(c.Delete(a));
    ASSERT_EQ(c.host.Codes(), (std::vector<UINT>{TVN_SELCHANGEDA, TVN_DELETEITEMA}));
    EXPECT_EQ(c.host.sent[0].oldItem, a);
    EXPECT_EQ(c.host.sent[0].oldState & TVIS_SELECTED, 0u);
    EXPECT_EQ(c.host.sent[0].oldData, 5);
    EXPECT_EQ(c.d->caretItem, 0u);
    EXPECT_EQ(c.d->selectedCount, 0u);
    // Unselected items send no TVN_SELCHANGED.
    const uint32_t b = c.Insert(0, "b");
    c.host.Clear();
    c.Delete(b);
    EXPECT_EQ(c.host.Codes(), std::vector<UINT>{TVN_DELETEITEMA});
}

TEST(TreeListDelete, QuietModeQueuesTheSelectionNotice)
{
    Control c;
    const uint32_t a = c.Insert(0, "a", kTreeListLast, 9);
    c.Insert(a, "a1");
    c.Send(TVM_SELECTITEM, TVGN_CARET, a);
    c.host.Clear();
    TreeListData& d = *c.d;
    {
        TreeListCall call(d);
        EXPECT_EQ(TreeListDeleteItem(d, a, kTreeListDeleteQuiet | kTreeListDeleteRecompute), 1);
    }
    EXPECT_TRUE(c.host.sent.empty());
    c.Pump();
    ASSERT_EQ(c.host.Codes(), std::vector<UINT>{TVN_SELCHANGEDA});
    EXPECT_EQ(c.host.sent[0].oldItem, a);
    EXPECT_EQ(c.host.sent[0].oldData, 9);
}

TEST(TreeListDelete, AllAndUnpinnedRoots)
{
    Control c;
    std::vector<uint32_t> roots;
    for (int i = 0; i < 6; ++i)
        roots.push_back(c.Insert(0, "r"));
    c.Send(TLM_OPTION, 4 | kTreeListOptionSet, 2);
    c.host.Clear();
    EXPECT_EQ(c.Send(TVM_DELETEITEM, 0, kTreeListUnpinned), 1);
    EXPECT_EQ(Deleted(c.host.sent), (std::vector<uint32_t>{roots[5], roots[4], roots[3], roots[2]}));
    EXPECT_EQ(c.Children(0), (std::vector<uint32_t>{roots[0], roots[1]}));
    EXPECT_EQ(c.Send(TVM_DELETEITEM, 0, kTreeListRoot), 1);
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 0);
    EXPECT_EQ(c.RowCount(), 0u);
    EXPECT_EQ(c.Send(TVM_DELETEITEM, 0, kTreeListRoot), 0);
}

TEST(TreeListDelete, PullsTheFirstShownRowBack)
{
    Control c(TVS_HASBUTTONS, 300, 10 * 16);  // ten rows of 16 pixels
    std::vector<uint32_t> items;
    for (int i = 0; i < 30; ++i)
        items.push_back(c.Insert(0, "x"));
    c.Pump();
    EXPECT_EQ(c.Send(TVM_ENSUREVISIBLE, 0, items[29]), 1);
    EXPECT_EQ(c.d->firstRow, 20u);
    for (int i = 29; i >= 15; --i)
        c.Delete(items[size_t(i)]);
    EXPECT_EQ(c.d->firstRow, 6u);  // 15 rows - 10 per page + 1
}

// The deepest chain the levels allow, through the core's messages; the
// window's destruction deletes a whole chain as well.
TEST(TreeListDelete, ChainOfEveryLevel)
{
    Control c;
    treelist_chain::VerifyAtCheckpoints checkpoints;
    const treelist_chain::Target t{
        [&](UINT message, WPARAM wParam, LPARAM lParam) { return c.Send(message, wParam, lParam); },
        [&] { return c.Verify(); },
        [&] {
            const std::vector<uint32_t> deleted = Deleted(c.host.sent);
            c.host.sent.clear();
            return deleted;
        }};
    treelist_chain::ChainSteps(t, treelist_chain::BuildChain(t));
    const std::vector<uint32_t> chain = treelist_chain::BuildChain(t);
    c.host.sent.clear();
    c.DestroyWindow();
    EXPECT_EQ(Deleted(c.host.sent), treelist_chain::Reversed(chain));
    EXPECT_EQ(c.host.releases, 1);
}

// Parents that change the control inside a notification.
struct ReentrantCase {
    const char* name;
    UINT code;  // the notification during which the parent acts
    int action; // 0 delete the notified item's sibling, 1 delete the notified item,
                // 2 insert under the root, 3 destroy the control, 4 delete everything
};

TEST(TreeListReentrancy, ParentsActingInsideDeleteNotifications)
{
    const ReentrantCase cases[] = {
        {"delete sibling in DELETEITEM", TVN_DELETEITEMA, 0},
        {"delete the item again in DELETEITEM", TVN_DELETEITEMA, 1}, {"insert in DELETEITEM", TVN_DELETEITEMA, 2},
        {"destroy in DELETEITEM", TVN_DELETEITEMA, 3}, {"delete all in DELETEITEM", TVN_DELETEITEMA, 4},
        {"delete the item in SELCHANGED", TVN_SELCHANGEDA, 1}, {"destroy in SELCHANGED", TVN_SELCHANGEDA, 3},
        {"delete all in SELCHANGED", TVN_SELCHANGEDA, 4},
    };
    for (const ReentrantCase& rc : cases) {
        SCOPED_TRACE(rc.name);
        auto c = std::make_unique<Control>();
        const uint32_t a = c->Insert(0, "a");
        std::vector<uint32_t> kids;
        for (int i = 0; i < 5; ++i) {
            kids.push_back(c->Insert(a, "k"));
            c->Insert(kids.back(), "g");
        }
        const uint32_t b = c->Insert(0, "b");
        c->Send(TVM_SELECTITEM, TVGN_CARET, kids[2]);
        int acted = 0;
        std::multiset<uint32_t> notified;
        c->host.parent = [&](NMHDR& h) -> LRESULT {
            if (h.code == TVN_DELETEITEMA)
                notified.insert(TreeListHandleOf(reinterpret_cast<NMTREEVIEWA&>(h).itemOld.hItem));
            if (h.code != rc.code || acted++)
                return 0;
            const uint32_t item = TreeListHandleOf(reinterpret_cast<NMTREEVIEWA&>(h).itemOld.hItem);
            switch (rc.action) {
            case 0:
                c->Delete(c->d->items[item]->prevSibling ? c->d->items[item]->prevSibling : kids[0]);
                break;
            case 1:
                EXPECT_EQ(c->Send(TVM_DELETEITEM, 0, item), 0) << "already being deleted";
                break;
            case 2:
                EXPECT_NE(c->Insert(0, "new"), 0u);
                EXPECT_EQ(c->Insert(a, "under a deleting item"), 0u);
                break;
            case 3:
                c->DestroyWindow();
                break;
            case 4:
                c->Send(TVM_DELETEITEM, 0, kTreeListRoot);
                break;
            }
            return 0;
        };
        TreeListData* d = c->d;
        TreeListAddRef(*d);  // keep the state readable after a destroy
        c->Delete(a);
        c->host.parent = nullptr;
        for (uint32_t h : notified)
            EXPECT_EQ(notified.count(h), 1u) << "item " << h << " notified twice";
        if (rc.action == 3) {
            EXPECT_TRUE(d->destroyed);
            EXPECT_EQ(d->itemCount, 0u);
            EXPECT_EQ(c->host.releases, 0);
            TreeListReleaseRef(d);
            EXPECT_EQ(c->host.releases, 1);
            continue;
        }
        TreeListReleaseRef(d);
        EXPECT_EQ(c->d->items[a] ? c->d->items[a]->serial : 0, 0u) << "a is gone";
        if (rc.action != 4) {
            EXPECT_NE(TreeListItemOf(*c->d, b), nullptr);
            EXPECT_EQ(notified.count(b), 0u);
        }
        EXPECT_EQ(notified.size(), rc.action == 4 ? 12u : 11u);
    }
}

TEST(TreeListReentrancy, DestroyInsideExpandAndSortCallbacks)
{
    {
        auto c = std::make_unique<Control>();
        const uint32_t a = c->Insert(0, "a");
        c->Insert(a, "a1");
        c->host.parent = [&](NMHDR& h) -> LRESULT {
            if (h.code == TVN_ITEMEXPANDINGA)
                c->DestroyWindow();
            return 0;
        };
        TreeListData* d = c->d;
        LRESULT result = 1;
        TreeListHandleMessage(*d, TVM_EXPAND, TVE_EXPAND, LPARAM(a), result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(c->host.releases, 1);
    }
    {
        auto c = std::make_unique<Control>();
        g_control = c.get();
        for (int i = 0; i < 50; ++i)
            c->Insert(0, "x", kTreeListLast, i);
        TVSORTCB sort{};
        sort.hParent = TVI_ROOT;
        sort.lpfnCompare = DestroyingCompare;
        TreeListData* d = c->d;
        LRESULT result = 1;
        TreeListHandleMessage(*d, TVM_SORTCHILDRENCB, 0, P(&sort), result);
        EXPECT_EQ(result, 0) << "the level was gone when the sort came back";
        EXPECT_EQ(c->host.releases, 1);
    }
}

TEST(TreeListReentrancy, InsertAndDeleteInsideExpandNotifications)
{
    Control c;
    const uint32_t a = c.Insert(0, "a", kTreeListLast, 1);
    c.Insert(a, "old");
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TVN_ITEMEXPANDINGA) {
            // Lazy filling: replace the children while expanding.
            c.Send(TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET | TVE_NONOTIFY, LPARAM(a));
            for (int i = 0; i < 3; ++i)
                c.Insert(a, "fresh");
        }
        return 0;
    };
    EXPECT_EQ(c.Expand(a), 1);
    EXPECT_EQ(c.ChildTexts(a), (std::vector<std::string>{"fresh", "fresh", "fresh"}));
    EXPECT_EQ(c.RowCount(), 4u);

    // A parent that deletes the item while it is being expanded.
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TVN_ITEMEXPANDINGA)
            c.Delete(a);
        return 0;
    };
    c.Expand(a, TVE_COLLAPSE);
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 0);
}

TEST(TreeListReentrancy, HandlesReusedDuringANotificationAreNotConfused)
{
    Control c;
    const uint32_t a = c.Insert(0, "a");
    c.Insert(a, "child");
    for (int i = 0; i < 62; ++i)
        c.Insert(0, "filler");  // a full table: the next free handle wraps to a's
    uint32_t reused = 0;
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TVN_ITEMEXPANDINGA && !reused) {
            c.Delete(a);
            reused = c.Insert(0, "imposter");  // takes a free handle, maybe a's
        }
        return 0;
    };
    EXPECT_EQ(c.Expand(a), 0) << "the item vanished";
    EXPECT_EQ(reused, a);
    EXPECT_EQ(c.State(reused) & TVIS_EXPANDED, 0u) << "the new item under a reused handle is untouched";
}

}  // namespace
