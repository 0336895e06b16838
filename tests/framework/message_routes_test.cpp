// The framework's message tables, on both builds: which row a key finds in
// a sorted table, and which tables the compile-time check refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/framework/message_routes.h"

namespace {

// The handler is a label: the row a lookup found, or '-' for none.
typedef char Label;
typedef Route<Label> Row;

Label Found(const Row* row) { return row ? row->handler : '-'; }

// A key past 32 bits, as a window packs a message with a control id and a
// 32-bit notification code.
constexpr RouteKey Wide(uint32_t message, uint16_t id, uint32_t code)
{
    return RouteKey(message) << 48 | RouteKey(id) << 32 | code;
}

constexpr Row kRows[] = {
    {0x0111, 'c'},
    {0x017E, 0x01A6, 'r'},
    {0, 'z'},
    {Wide(0x4E, 1099, 0xFFFFFE6Eu), 'n'},
    {Wide(0x4E, 1099, 0xFFFFFE6Fu), 'm'},
    {UINT64_MAX, 'x'},
    {0x0005, 's'},
};
constexpr auto kSorted = SortRoutes(kRows);
static_assert(RoutesDisjoint(kSorted), "the test table has two rows for a key");

// Every kind of key: single rows, a range's ends and inside, the gaps on
// either side, the table's first and last possible keys, and wide keys that
// differ from a row only above 32 bits.
TEST(MessageRoutesTest, EachKeyFindsItsRowOrNone)
{
    const struct {
        RouteKey key;
        Label row;
    } cases[] = {
        {0, 'z'},
        {1, '-'},
        {0x0005, 's'},
        {0x0004, '-'},
        {0x0006, '-'},
        {0x0111, 'c'},
        {0x017D, '-'},
        {0x017E, 'r'},
        {0x0190, 'r'},
        {0x01A6, 'r'},
        {0x01A7, '-'},
        {Wide(0x4E, 1099, 0xFFFFFE6Eu), 'n'},
        {Wide(0x4E, 1099, 0xFFFFFE6Fu), 'm'},
        {Wide(0x4E, 1099, 0xFFFFFE70u), '-'},
        {Wide(0x4E, 1098, 0xFFFFFE6Eu), '-'},
        {Wide(0x4F, 1099, 0xFFFFFE6Eu), '-'},
        {0xFFFFFE6Eu, '-'},  // the code alone
        {UINT64_MAX - 1, '-'},
        {UINT64_MAX, 'x'},
    };
    // A window's table as the array SortRoutes makes, and as the span a
    // table in another file is handed out as.
    const std::span<const Row> span(kSorted);
    for (const auto& c : cases) {
        EXPECT_EQ(Found(FindRoute(kSorted, c.key)), c.row) << std::hex << c.key;
        EXPECT_EQ(Found(FindRoute(span, c.key)), c.row) << std::hex << c.key;
    }
}

// Rows written in any order come out by their first key, each with its own
// handler.
TEST(MessageRoutesTest, SortingKeepsEachRowWhole)
{
    const std::vector<std::pair<RouteKey, Label>> expected = {
        {0, 'z'}, {0x0005, 's'}, {0x0111, 'c'}, {0x017E, 'r'},
        {Wide(0x4E, 1099, 0xFFFFFE6Eu), 'n'}, {Wide(0x4E, 1099, 0xFFFFFE6Fu), 'm'}, {UINT64_MAX, 'x'},
    };
    ASSERT_EQ(kSorted.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(kSorted[i].first, expected[i].first) << i;
        EXPECT_EQ(kSorted[i].handler, expected[i].second) << i;
    }
    EXPECT_EQ(kSorted[3].last, RouteKey(0x01A6));
}

// The check a table's static_assert runs: a key with two rows, a single key
// inside a range, overlapping or inverted ranges are refused; ranges that
// only touch and a table of one row pass.
TEST(MessageRoutesTest, DisjointCheckRefusesTwoRowsForAKey)
{
    const struct {
        const char* what;
        std::vector<Row> sorted;
        bool disjoint;
    } cases[] = {
        {"one row", {{7, 'a'}}, true},
        {"two single keys", {{7, 'a'}, {8, 'b'}}, true},
        {"the same key twice", {{7, 'a'}, {7, 'b'}}, false},
        {"a key inside a range", {{1, 9, 'a'}, {5, 'b'}}, false},
        {"a key at a range's end", {{1, 9, 'a'}, {9, 'b'}}, false},
        {"ranges that touch", {{1, 4, 'a'}, {5, 9, 'b'}}, true},
        {"ranges that overlap", {{1, 5, 'a'}, {5, 9, 'b'}}, false},
        {"an inverted range", {{9, 1, 'a'}}, false},
        {"wide keys a code apart", {{Wide(0x4E, 1, 2), 'a'}, {Wide(0x4E, 1, 3), 'b'}}, true},
        {"any code of an id, then one of its codes",
         {AnyCommandCode<Label>(1152, 'a'), {CommandKey(1152, 5), 'b'}},
         false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoutesDisjoint(c.sorted), c.disjoint) << c.what;
    // The same check at compile time, as the windows use it.
    constexpr Row kTwice[] = {{3, 'a'}, {1, 'b'}, {3, 'c'}};
    static_assert(!RoutesDisjoint(SortRoutes(kTwice)), "a key with two rows is seen");
}

}  // namespace
