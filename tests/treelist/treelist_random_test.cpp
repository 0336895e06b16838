// Randomised operation sequences with the invariant checker after every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

uint32_t AnyItem(Control& c, lindar_test::Rng& rng)
{
    if (c.d->itemCount == 0)
        return 0;
    for (;;) {
        const uint32_t h = 1 + rng.Next() % c.d->itemsSize;
        if (c.d->items[h])
            return h;
    }
}

int CALLBACK ByData(LPARAM a, LPARAM b, LPARAM) { return a < b ? -1 : a > b; }

constexpr int kOps = 35;  // 31..34 insert: the trees must grow
constexpr DWORD kStyle = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES;

// The selection model, mouse, keyboard, drag and drop, insert mark.
void SelectionStep(Control& c, lindar_test::Rng& rng, int op, uint32_t h, uint32_t other)
{
    const uint32_t column = c.d->columnCount ? rng.Next() % (c.d->columnCount + 1) : 0;
    switch (op) {
    case 19:
        if (rng.Next() % 2)
            c.Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(rng.Next() % 8 ? h : 0));
        else
            c.Send(TLM_SELECTCELL, column, LPARAM(h));
        break;
    case 20:
        c.Send(TLM_SELECTCHILDREN, rng.Next() % 4, LPARAM(rng.Next() % 3 ? h : kTreeListRoot));
        break;
    case 21:
        c.Send(TLM_SETFOCUSITEM, rng.Next() % 4 ? column : WPARAM(-1), LPARAM(rng.Next() % 5 ? h : 0));
        break;
    case 22:
    case 23: {
        const UINT messages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                                 WM_RBUTTONDBLCLK};
        const WPARAM keys[] = {0, 0, MK_SHIFT, MK_CONTROL, MK_SHIFT | MK_CONTROL};
        c.Mouse(messages[rng.Next() % 6], int(rng.Next() % 330) - 10, int(rng.Next() % 220) - 10,
                keys[rng.Next() % 5]);
        break;
    }
    case 24:
    case 25: {
        const int keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_BACK,
                            VK_SPACE, VK_RETURN, VK_ESCAPE, VK_TAB, VK_INSERT, 'V', VK_CONTROL};
        c.Key(keys[rng.Next() % 16], rng.Next() % 3 == 0, rng.Next() % 4 == 0);
        break;
    }
    case 26:
        c.host.now += rng.Next() % 1200;
        c.Char(static_cast<unsigned char>(rng.Next() % 3 ? 'a' + rng.Next() % 26 : rng.Next() % 256));
        break;
    case 27: {
        const UINT bits[] = {TLS_EX_MULTISELECT, TLS_EX_CELLSELECT, TLS_EX_RADIOCHECK, TLS_EX_CHECKZERO,
                             TLS_EX_FULLROWFOCUS};
        const UINT bit = bits[rng.Next() % 5];
        c.SetExStyle(rng.Next() % 3 ? bit : 0, bit);
        break;
    }
    case 28: {
        // A drag of the control's own: started, maybe fed, then dropped or
        // cancelled.
        if (!h)
            break;
        c.d->dragItem = h;
        c.d->dragState = rng.Next() % 4 ? 0 : 0x80;
        c.d->dropBehind = uint8_t(rng.Next() % 2);
        c.Send(TLM_OPTION, 3 | kTreeListOptionSet, LPARAM(rng.Next() % 0x400));
        const uint32_t targets[] = {other, other, kTreeListLast, 0};
        const uint32_t target = targets[rng.Next() % 4];
        c.Send(TLM_SETDROPTARGET, 0, LPARAM(target));
        if (rng.Next() % 4 == 0) {
            c.Key(VK_ESCAPE);
            break;
        }
        const WPARAM keys[] = {0, MK_CONTROL, MK_CONTROL | MK_SHIFT};
        {
            TreeListCall call(*c.d);
            TreeListDropItems(*c.d, target, h, keys[rng.Next() % 3], POINT{int(rng.Next() % 400) - 50, 10});
        }

        c.Send(TLM_SETDROPTARGET, 0, 0);
        c.d->dragItem = 0;
        c.d->dragState = 0;
        break;
    }
    case 29:
        c.Send(TVM_SETINSERTMARK, rng.Next() % 2, LPARAM(rng.Next() % 4 ? h : 0));
        break;
    case 30:
        if (rng.Next() % 2) {
            TreeListCall call(*c.d);
            TreeListToggleCheck(*c.d, h, 0, 0);
        } else {
            c.Send(WM_TIMER, kTreeListDropTimer);
        }
        break;
    default:
        break;
    }
}

void Step(Control& c, lindar_test::Rng& rng, int op)
{
    const uint32_t h = AnyItem(c, rng);
    const uint32_t other = AnyItem(c, rng);
    switch (op) {
    case 0:
    case 1:
    case 2:
    case 16:
    case 17:
    case 18:
    case 31:
    case 32:
    case 33:
    case 34: {
        const uint32_t codes[] = {kTreeListLast, kTreeListFirst, kTreeListSort, other, kTreeListPositionFirst + 2};
        char text[8] = {char('a' + rng.Next() % 26), char('a' + rng.Next() % 26), 0};
        c.Insert(rng.Next() % 3 ? h : 0, text, codes[rng.Next() % 5], LPARAM(rng.Next() % 100));
        break;
    }
    case 3:
        if (h)
            c.Delete(h);
        break;
    case 4:
        if (h)
            c.Send(TLM_MOVEITEM + rng.Next() % 4, rng.Next() % 8 ? other : kTreeListRoot, h);
        break;
    case 5:
    case 6: {
        const UINT codes[] = {TVE_EXPAND, TVE_COLLAPSE, TVE_TOGGLE, TVE_EXPAND | TVE_ALLCHILDREN,
                              TVE_COLLAPSE | TVE_COLLAPSERESET, TVE_EXPAND | TVE_ANCESTORS,
                              TVE_EXPAND | TVE_DEFERRED};
        if (h)
            c.Expand(h, codes[rng.Next() % 7]);
        break;
    }
    case 7: {
        TVSORTCB sort{};
        sort.hParent = rng.Next() % 2 ? TVI_ROOT : TreeListHtreeOf(h);
        sort.lpfnCompare = ByData;
        c.Send(TVM_SORTCHILDRENCB, rng.Next() % 2, P(&sort));
        break;
    }
    case 8: {
        if (!h)
            break;
        TVITEMA tv = ItemOf(h, TVIF_STATE);
        const UINT bits[] = {TVIS_SELECTED, TVIS_EXPANDED, TVIS_HIDDEN, TVIS_BOLD};
        tv.stateMask = bits[rng.Next() % 4];
        tv.state = rng.Next() % 2 ? tv.stateMask : 0;
        c.Send(TVM_SETITEMA, 0, P(&tv));
        break;
    }
    case 9:
        c.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_HIDDENITEMS, rng.Next() % 2 ? TLS_EX_HIDDENITEMS : 0);
        break;
    case 10:
        c.Send(TVM_SORTCHILDREN, 0, rng.Next() % 2 ? kTreeListRoot : h);
        break;
    case 11:
        c.Pump();
        break;
    case 12:
        if (h)
            c.Send(TVM_ENSUREVISIBLE, 0, h);
        break;
    case 13:
        if (rng.Next() % 16 == 0)
            c.Send(TVM_DELETEITEM, 0, kTreeListRoot);
        break;
    case 14:
        if (c.d->columnCount < 6)
            c.InsertColumn(rng.Next() % 6, 30 + int(rng.Next() % 50));
        else
            c.Send(TLM_DELETECOLUMN, 1 + rng.Next() % 5);
        break;
    case 15:
        if (h && c.d->columnCount > 1)
            c.SetText(h, "cell", int(1 + rng.Next() % (c.d->columnCount - 1)));
        break;
    default:
        SelectionStep(c, rng, op, h, other);
        break;
    }
}

class TreeListRandom : public ::testing::TestWithParam<uint64_t> {};

TEST_P(TreeListRandom, InvariantsHoldAfterEveryStep)
{
    lindar_test::Rng rng(GetParam());
    Control c(kStyle);
    uint32_t largest = 0;
    for (int step = 0; step < 4000; ++step) {
        const int op = int(rng.Next() % kOps);
        Step(c, rng, op);
        ASSERT_TRUE(c.Verify()) << "step " << step << " op " << op;
        largest = std::max(largest, c.d->itemCount);
    }
    EXPECT_GT(largest, 80u) << "the sequence should grow real trees";
}

// Rows are brought up to date only every few steps here, so that many
// changes of every kind pile up before one walk renumbers them.
TEST_P(TreeListRandom, InvariantsHoldWhenChangesPileUp)
{
    lindar_test::Rng rng(GetParam() * 7 + 3);
    Control c(kStyle);
    for (int step = 0; step < 4000; ++step) {
        const int op = int(rng.Next() % kOps);
        Step(c, rng, op == 11 ? 0 : op);  // no pumping in between
        if (step % 7 == 6) {
            ASSERT_TRUE(c.Verify()) << "step " << step << " op " << op;
        }
    }
}

// The same sequences with a parent that acts inside notifications.
TEST_P(TreeListRandom, InvariantsHoldWithAMeddlingParent)
{
    lindar_test::Rng rng(GetParam() * 31 + 5);
    Control c(kStyle);
    int depth = 0;
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (depth > 2 || rng.Next() % 4)
            return 0;
        ++depth;
        Step(c, rng, int(rng.Next() % kOps));
        --depth;
        return h.code == TVN_ITEMEXPANDINGA || h.code == TVN_SELCHANGINGA ? LRESULT(rng.Next() % 4 == 0) : 0;
    };
    for (int step = 0; step < 1500; ++step) {
        const int op = int(rng.Next() % kOps);
        Step(c, rng, op);
        ASSERT_TRUE(c.Verify()) << "step " << step << " op " << op;
    }
    c.host.parent = nullptr;
}

// The control's end with a parent that acts inside its delete
// notifications: deletes everything, ends it again, inserts, expands,
// moves, sorts, selects.
TEST_P(TreeListRandom, TheEndHoldsWithAMeddlingParent)
{
    for (uint64_t round = 0; round < 40; ++round) {
        lindar_test::Rng rng(GetParam() * 1000 + round);
        auto c = std::make_unique<Control>(kStyle);
        for (int step = 0; step < 300; ++step)
            Step(*c, rng, int(rng.Next() % kOps));
        int depth = 0;
        c->host.parent = [&](NMHDR&) -> LRESULT {
            if (depth > 2 || rng.Next() % 3 || !c->d)
                return 0;
            ++depth;
            const uint32_t act = rng.Next() % 16;
            if (act < 4) {
                c->Send(TVM_DELETEITEM, 0, kTreeListRoot);
            } else if (act == 4) {
                // WM_DESTROY again, as a second DestroyWindow inside the first sends it.
                TreeListCall call(*c->d);
                TreeListDestroy(*c->d);
            } else {
                Step(*c, rng, int(rng.Next() % kOps));
            }
            --depth;
            return 0;
        };
        c->DestroyWindow();
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, TreeListRandom, ::testing::Values(1u, 2u, 3u, 42u, 1234u));

}  // namespace
