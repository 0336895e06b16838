// A chain of items as deep as levels go (each the last child of the one
// before, levels 0 to 65,535), taken through insert, expand, sort, move,
// collapse, ensure-visible and delete by messages alone: the same steps for
// the core over the fake window and for the real window under Wine. No step
// may walk the levels by recursion, and none may take time per level and
// item (the whole run takes seconds).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "tests/treelist/treelist_insert_record.h"
#include "ui/treelist/core/treelist_internal.h"

namespace treelist_chain {

constexpr uint32_t kDeepestLevel = 0xFFFF;
constexpr uint32_t kChainLength = kDeepestLevel + 1;

// What the steps need of a control.
struct Target {
    std::function<LRESULT(UINT, WPARAM, LPARAM)> send;
    // Every invariant, checked now (not after each message: that would cost
    // a walk of the chain per message).
    std::function<::testing::AssertionResult()> verify;
    // The items of TVN_DELETEITEM since the last call, in order.
    std::function<std::vector<uint32_t>()> takeDeleted;
};

// The records are checked where the steps say, not after every message;
// made after the control (making one switches the check on).
class VerifyAtCheckpoints {
public:
    VerifyAtCheckpoints() { TreeListVerifyEachMessage(false); }
    ~VerifyAtCheckpoints() { TreeListVerifyEachMessage(true); }
    VerifyAtCheckpoints(const VerifyAtCheckpoints&) = delete;
    VerifyAtCheckpoints& operator=(const VerifyAtCheckpoints&) = delete;
};

inline uint32_t Insert(const Target& t, uint32_t parent, const char* text, LPARAM data = 0)
{
    TVINSERTSTRUCTA insert = treelist_test::InsertRecord(parent, text, kTreeListLast, data);
    return uint32_t(t.send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

inline uint32_t Level(const Target& t, uint32_t h) { return uint32_t(t.send(TVM_GETNEXTITEM, TVGN_LEVEL, LPARAM(h))); }

// kChainLength items "k", each the last child of the one before, under a
// top at the root level; empty when an insert failed.
inline std::vector<uint32_t> BuildChain(const Target& t)
{
    std::vector<uint32_t> chain;
    chain.reserve(kChainLength);
    for (uint32_t i = 0; i < kChainLength; ++i) {
        const uint32_t h = Insert(t, chain.empty() ? 0 : chain.back(), "k", LPARAM(i));
        if (!h) {
            ADD_FAILURE() << "insert at level " << i << " failed";
            return {};
        }
        chain.push_back(h);
    }
    return chain;
}

inline std::vector<uint32_t> Reversed(std::vector<uint32_t> v)
{
    std::reverse(v.begin(), v.end());
    return v;
}

// The steps after BuildChain; the chain is deleted at their end.
inline void ChainSteps(const Target& t, const std::vector<uint32_t>& chain)
{
    ASSERT_EQ(chain.size(), kChainLength);
    const uint32_t top = chain.front(), deepest = chain.back();
    EXPECT_EQ(Level(t, deepest), kDeepestLevel);
    // Below the deepest level nothing goes in: the level would wrap to 0.
    EXPECT_EQ(Insert(t, deepest, "too deep"), 0u);
    EXPECT_EQ(t.send(TVM_GETCOUNT, 0, 0), LRESULT(kChainLength));

    EXPECT_EQ(t.send(TVM_EXPAND, TVE_EXPAND | TVE_ALLCHILDREN, LPARAM(kTreeListRoot)), 1);
    EXPECT_EQ(t.send(TLM_GETROWCOUNT, 0, 0), LRESULT(kChainLength));
    EXPECT_EQ(t.send(TLM_GETROWOFITEM, 0, LPARAM(deepest)), LRESULT(kDeepestLevel));
    EXPECT_EQ(t.send(TVM_SELECTITEM, TVGN_CARET, LPARAM(deepest)), 1);
    EXPECT_TRUE(t.verify());

    // A sort of every level: one level deep down has two children.
    const uint32_t middle = chain[kChainLength / 2];
    const uint32_t early = Insert(t, middle, "a");
    EXPECT_EQ(t.send(TVM_SORTCHILDREN, TRUE, LPARAM(kTreeListRoot)), 1);
    EXPECT_EQ(t.send(TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(middle)), LRESULT(early));
    EXPECT_EQ(t.send(TVM_DELETEITEM, 0, LPARAM(early)), 1);
    t.takeDeleted();

    // The subtree below the top moves to the root level and back; a move
    // that would take its deepest item past the last level is refused.
    EXPECT_EQ(t.send(TLM_MOVEITEMAFTER, WPARAM(top), LPARAM(chain[1])), 2);
    EXPECT_EQ(Level(t, deepest), kDeepestLevel - 1);
    EXPECT_TRUE(t.verify());
    EXPECT_EQ(t.send(TLM_MOVEITEMLASTCHILD, WPARAM(top), LPARAM(chain[1])), 2);
    EXPECT_EQ(Level(t, deepest), kDeepestLevel);
    const uint32_t other = Insert(t, 0, "x");
    const uint32_t below = Insert(t, other, "y");
    EXPECT_EQ(t.send(TLM_MOVEITEMLASTCHILD, WPARAM(below), LPARAM(chain[1])), 0);
    EXPECT_EQ(Level(t, deepest), kDeepestLevel);
    EXPECT_EQ(t.send(TVM_DELETEITEM, 0, LPARAM(other)), 1);
    t.takeDeleted();
    EXPECT_TRUE(t.verify());

    // Collapse all (the caret goes up to the top), then open the path to
    // the deepest item again.
    EXPECT_EQ(t.send(TVM_EXPAND, TVE_COLLAPSE | TVE_ALLCHILDREN, LPARAM(kTreeListRoot)), 1);
    EXPECT_EQ(t.send(TLM_GETROWCOUNT, 0, 0), 1);
    EXPECT_EQ(t.send(TVM_GETNEXTITEM, TVGN_CARET, 0), LRESULT(top));
    EXPECT_EQ(t.send(TVM_ENSUREVISIBLE, 0, LPARAM(deepest)), 1);
    EXPECT_EQ(t.send(TLM_GETROWOFITEM, 0, LPARAM(deepest)), LRESULT(kDeepestLevel));
    EXPECT_TRUE(t.verify());

    // Deleting the top deletes the chain bottom up, each item once.
    EXPECT_EQ(t.send(TVM_DELETEITEM, 0, LPARAM(top)), 1);
    EXPECT_EQ(t.takeDeleted(), Reversed(chain));
    EXPECT_EQ(t.send(TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(t.send(TLM_GETROWCOUNT, 0, 0), 0);
    EXPECT_TRUE(t.verify());
}

}  // namespace treelist_chain
