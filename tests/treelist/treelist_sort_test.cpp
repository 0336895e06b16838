// Sorting: the three forms, orders, compare counts on hard inputs, the
// one-item rule, refusals while a sort runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/treelist/treelist_fake_host.h"

using namespace treelist_test;

namespace {

long g_compares;
int CALLBACK ByData(LPARAM a, LPARAM b, LPARAM sign)
{
    ++g_compares;
    return a < b ? -int(sign) : a > b ? int(sign) : 0;
}

HWND g_seenWindow;
int CALLBACK Descending(HWND w, HTREEITEM, HTREEITEM, LPARAM x, LPARAM y, LPARAM sign)
{
    g_seenWindow = w;
    return x < y ? int(sign) : x > y ? -int(sign) : 0;
}

Control* g_control;
uint32_t g_target;
int g_refused;
int CALLBACK MeddlingCompare(LPARAM a, LPARAM b, LPARAM)
{
    Control& k = *g_control;
    g_refused += k.Insert(0, "new") == 0;
    g_refused += k.Send(TVM_DELETEITEM, 0, g_target) == 0;
    g_refused += k.Send(TLM_MOVEITEM, k.d->firstRoot, g_target) == 0;
    g_refused += !k.SetText(g_target, "changed");
    TVSORTCB nested{};
    nested.hParent = TVI_ROOT;
    nested.lpfnCompare = ByData;
    g_refused += k.Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&nested)) == 0;
    return a < b ? -1 : a > b;
}

std::vector<LPARAM> Data(Control& c, uint32_t parent)
{
    std::vector<LPARAM> out;
    for (uint32_t h : c.Children(parent))
        out.push_back(c.d->items[h]->data);
    return out;
}

TEST(TreeListSort, TextsIgnoreCase)
{
    Control c;
    for (const char* t : {"ABD", "abc", "Zeta", "alpha", "\xC4rger", "beta"})
        c.Insert(0, t);
    EXPECT_EQ(c.Send(TVM_SORTCHILDREN, 0, kTreeListRoot), 1);
    EXPECT_EQ(c.ChildTexts(0), (std::vector<std::string>{"abc", "ABD", "alpha", "beta", "Zeta", "\xC4rger"}));
    EXPECT_EQ(c.Send(TVM_SORTCHILDREN, 0, 999), 0);
}

TEST(TreeListSort, CallbackTextsComeFromTheParent)
{
    Control c;
    const char* names[] = {"d", "b", "c", "a"};
    for (int i = 0; i < 4; ++i)
        c.Insert(0, LPSTR_TEXTCALLBACKA, kTreeListLast, i);
    c.host.parent = [&](NMHDR& h) -> LRESULT {
        if (h.code == TVN_GETDISPINFOA) {
            auto& info = reinterpret_cast<NMTVDISPINFOA&>(h);
            info.item.pszText = const_cast<char*>(names[info.item.lParam]);  // its own buffer
        }
        return 0;
    };
    EXPECT_EQ(c.Send(TVM_SORTCHILDREN, 0, kTreeListRoot), 1);
    EXPECT_EQ(Data(c, 0), (std::vector<LPARAM>{3, 1, 2, 0}));
}

TEST(TreeListSort, CompareFormsAndRecursion)
{
    Control c;
    const uint32_t a = c.Insert(0, "a", kTreeListLast, 2);
    c.Insert(0, "b", kTreeListLast, 1);
    for (LPARAM v : {5, 3, 4})
        c.Insert(a, "x", kTreeListLast, v);
    TVSORTCB sort{};
    sort.hParent = TVI_ROOT;
    sort.lpfnCompare = ByData;
    sort.lParam = 1;
    EXPECT_EQ(c.Send(TVM_SORTCHILDRENCB, 0, P(&sort)), 1);
    EXPECT_EQ(Data(c, 0), (std::vector<LPARAM>{1, 2}));
    EXPECT_EQ(Data(c, a), (std::vector<LPARAM>{5, 3, 4})) << "no recursion asked";
    EXPECT_EQ(c.Send(TVM_SORTCHILDRENCB, 1, P(&sort)), 1);
    EXPECT_EQ(Data(c, a), (std::vector<LPARAM>{3, 4, 5}));

    // The TreeList form gets the window, the items and their data.
    sort.lpfnCompare = reinterpret_cast<PFNTVCOMPARE>(reinterpret_cast<void (*)()>(&Descending));
    sort.hParent = TreeListHtreeOf(a);
    EXPECT_EQ(c.Send(TLM_SORTCHILDRENEX, 0, P(&sort)), 1);
    EXPECT_EQ(Data(c, a), (std::vector<LPARAM>{5, 4, 3}));
    EXPECT_EQ(g_seenWindow, c.host.Window());
}

TEST(TreeListSort, OneItemLevelSortsItsChildren)
{
    Control c;
    const uint32_t only = c.Insert(0, "only");
    const uint32_t inner = c.Insert(only, "inner");
    for (const char* t : {"c", "a", "b"})
        c.Insert(inner, t);
    EXPECT_EQ(c.Send(TVM_SORTCHILDREN, 0, kTreeListRoot), 1);
    EXPECT_EQ(c.ChildTexts(inner), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(TreeListSort, CollapsedParentChangesNoRows)
{
    Control c;
    const uint32_t p = c.Insert(0, "p");
    for (const char* t : {"c", "a", "b"})
        c.Insert(p, t);
    const uint32_t q = c.Insert(0, "q");
    c.Pump();
    c.host.Clear();
    EXPECT_EQ(c.Send(TVM_SORTCHILDREN, 0, p), 1);
    EXPECT_TRUE(c.host.invalidated.empty());
    EXPECT_FALSE(c.d->rowsDirty);
    EXPECT_EQ(c.Rows(), (std::vector<uint32_t>{p, q}));
    c.Expand(p);
    EXPECT_EQ(c.ChildTexts(p), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(c.Row(c.Children(p)[0]), 1);
}

TEST(TreeListSort, EverythingElseIsRefusedWhileSorting)
{
    Control c;
    g_control = &c;
    for (LPARAM v = 0; v < 20; ++v)
        g_target = c.Insert(0, "x", kTreeListLast, 20 - v);
    g_refused = 0;
    TVSORTCB sort{};
    sort.hParent = TVI_ROOT;
    sort.lpfnCompare = MeddlingCompare;
    EXPECT_EQ(c.Send(TVM_SORTCHILDRENCB, 0, P(&sort)), 1);
    EXPECT_GT(g_refused, 0);
    EXPECT_EQ(g_refused % 5, 0);
    EXPECT_EQ(c.Send(TVM_GETCOUNT), 20);
    EXPECT_EQ(Data(c, 0).front(), 1);
}

// kind: 0 random, 1 sorted, 2 reversed, 3 all equal, 4 half duplicates
struct CountCase { const char* name; int kind; };

TEST(TreeListSort, CompareCountsStayNearNLogN)
{
    constexpr int kN = 4000;
    const CountCase cases[] = {{"random", 0}, {"sorted", 1}, {"reversed", 2}, {"all equal", 3}, {"duplicates", 4}};
    for (const CountCase& cc : cases) {
        SCOPED_TRACE(cc.name);
        Control c;
        lindar_test::Rng rng(7);
        for (int i = 0; i < kN; ++i) {
            LPARAM v = cc.kind == 0 ? LPARAM(rng.Next()) : cc.kind == 1 ? i : cc.kind == 2 ? kN - i : cc.kind == 3 ? 5
                                                                                          : LPARAM(i % 2 ? 7 : rng.Next());
            c.Insert(0, "", kTreeListLast, v);
        }
        TVSORTCB sort{};
        sort.hParent = TVI_ROOT;
        sort.lpfnCompare = ByData;
        sort.lParam = 1;
        g_compares = 0;
        EXPECT_EQ(c.Send(TVM_SORTCHILDRENCB, 0, P(&sort)), 1);
        const std::vector<LPARAM> data = Data(c, 0);
        EXPECT_TRUE(std::is_sorted(data.begin(), data.end()));
        EXPECT_EQ(data.size(), size_t(kN));
        EXPECT_LE(g_compares, long(2 * kN * std::log2(double(kN))));
    }
}

}  // namespace
