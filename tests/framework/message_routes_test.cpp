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
constexpr RouteKey Wide(uint32_t message, uint16_t id, uint32_t code) { return DialogKey(message, id, code); }

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
         {{Wide(kRouteCommand, 1152, 0), Wide(kRouteCommand, 1152, 0xFFFF), 'a'}, {Wide(kRouteCommand, 1152, 5), 'b'}},
         false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoutesDisjoint(c.sorted), c.disjoint) << c.what;
    // The same check at compile time, as the windows use it.
    constexpr Row kTwice[] = {{3, 'a'}, {1, 'b'}, {3, 'c'}};
    static_assert(!RoutesDisjoint(SortRoutes(kTwice)), "a key with two rows is seen");
}

// ---- rows made by RouteRows: what each maker answers and passes on ----

// A window's message as its table sees it (the Win32 parameter types).
struct Msg {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    intptr_t result;
};
// The owner records what its handlers were called with.
struct Owner {
    std::vector<long long> calls;

    int Twice(int w) { calls.push_back(w); return 2 * w; }
    void Size(uint16_t width, uint16_t height) { calls.insert(calls.end(), {width, height}); }
    bool Declines(const char* text) { calls.push_back(text[0]); return false; }
};
void Point(Owner& o, int x, int y) { o.calls.insert(o.calls.end(), {x, y}); }
bool SetsAnswer(Owner& o, intptr_t& answer, uint32_t message)
{
    o.calls.push_back(message);
    answer = 77;
    return true;
}
void Halves(Owner& o, uint16_t low, uint16_t high) { o.calls.insert(o.calls.end(), {low, high}); }
long long Flag(Owner& o, bool on) { o.calls.push_back(on); return on ? 1 : 0; }

using Rows = RouteRows<Owner, Msg>;
constexpr Rows::Row kMade[] = {
    Rows::On(1).Answer<&Owner::Twice, WParamAs<int>>(),
    Rows::On(2).Act<&Owner::Size, LParamLow, LParamHigh>(),
    Rows::On(3).ActThenPass<Point, LParamX, LParamY>(),
    Rows::On(4).May<&Owner::Declines, LParamAs<const char*>>(),
    Rows::On(5, 6).May<SetsAnswer, ResultSlot, MessageId>(),
    Rows::On(7).Constant<-2>(),
    Rows::On(8).Act<Halves, WParamLow, WParamHigh>(),
    Rows::On(9).Answer<Flag, WParamAs<bool>>(),
    Rows::OnAnyCode(0x40).Act<Halves, WParamLow, WParamHigh>(),
    Rows::OnCommand(0x41, 2).Act<Halves, WParamLow, WParamHigh>(),
    Rows::OnNotify(7, 0xFFFFFFF4u).Act<[](Owner&) {}>(),
    Rows::On(10).Act<Point, WheelDelta, Fixed<3>>(),
    Rows::On(11).Answer<[](Owner&, const char& first, Msg& m) { return first + m.message; }, LParamRecord<const char>,
                        WholeMessage>(),
};
constexpr auto kMadeSorted = SortRoutes(kMade);
static_assert(RoutesDisjoint(kMadeSorted), "the made rows overlap");

TEST(MessageRoutesTest, MadeRowsDecodeCallAndAnswer)
{
    static const char kText[] = "Karte";
    const struct {
        const char* what;
        RouteKey key;
        Msg in;
        bool taken;
        intptr_t answer;
        std::vector<long long> calls;
    } cases[] = {
        {"the value is the answer", 1, {1, 21, 0, -1}, true, 42, {21}},
        {"a size from lParam's halves", 2, {2, 0, 0x00300140, -1}, true, 0, {0x140, 0x30}},
        {"signed coordinates, then the default", 3, {3, 0, intptr_t(0xFFF6FFFBu), -1}, false, -1, {-5, -10}},
        {"a decline", 4, {4, 0, intptr_t(kText), -1}, false, 0, {'K'}},
        {"an answer set through the slot", 6, {6, 0, 0, -1}, true, 77, {6}},
        {"a fixed answer", 7, {7, 0, 0, -1}, true, -2, {}},
        {"wParam's halves", 8, {8, 0xBEEF0012u, 0, -1}, true, 0, {0x12, 0xBEEF}},
        {"any non-zero word is a set flag", 9, {9, 0x10000, 0, -1}, true, 1, {1}},
        {"any code of an id", Wide(kRouteCommand, 0x40, 0x300), {0x111, 0x03000040, 0, -1}, true, 0, {0x40, 0x300}},
        {"a command by id and code", Wide(kRouteCommand, 0x41, 2), {0x111, 0x00020041, 0, -1}, true, 0, {0x41, 2}},
        {"a wheel turn towards the user, and a fixed argument", 10, {10, 0xFF880000u, 0, -1}, true, 0, {-120, 3}},
        {"the record lParam points to, and the message itself", 11, {11, 0, intptr_t(kText), -1}, true, 'K' + 11, {}},
        {"a notification by id and code", Wide(kRouteNotify, 7, 0xFFFFFFF4u), {0x4E, 7, 0, -1}, true, 0, {}},
    };
    for (const auto& c : cases) {
        const Rows::Row* row = FindRoute(kMadeSorted, c.key);
        ASSERT_NE(row, nullptr) << c.what;
        Owner owner;
        Msg m = c.in;
        EXPECT_EQ(row->handler(owner, m), c.taken) << c.what;
        EXPECT_EQ(m.result, c.answer) << c.what;
        EXPECT_EQ(owner.calls, c.calls) << c.what;
    }
}

// The key of a message with a control: WM_COMMAND's id and code from wParam,
// WM_NOTIFY's from the header; ids past 16 bits and messages past the key's
// field find no row.
TEST(MessageRoutesTest, DialogKeysOfCommandsAndNotifications)
{
    struct Header {
        void* hwndFrom;
        uintptr_t idFrom;
        uint32_t code;
    };
    const Header notify{nullptr, 1099, 0xFFFFFE6Eu}, wide{nullptr, 0x10000, 1};
    const struct {
        const char* what;
        uint32_t message;
        uintptr_t wParam;
        const Header* header;
        bool keyed;
        RouteKey key;
    } cases[] = {
        {"a plain message", 0x0005, 3, nullptr, true, DialogKey(0x0005)},
        {"a command", kRouteCommand, 0x0300047F, nullptr, true, DialogKey(kRouteCommand, 0x47F, 0x300)},
        {"a notification", kRouteNotify, 0, &notify, true, Wide(kRouteNotify, 1099, 0xFFFFFE6Eu)},
        {"a notification without a header", kRouteNotify, 0, nullptr, true, DialogKey(kRouteNotify)},
        {"a control id past 16 bits", kRouteNotify, 0, &wide, false, 0},
        {"a message past 16 bits", 0x10005, 0, nullptr, false, DialogKey(0x10005)},
    };
    for (const auto& c : cases) {
        RouteKey key = 0;
        EXPECT_EQ(DialogKeyOf<Header>(c.message, c.wParam, intptr_t(c.header), &key), c.keyed) << c.what;
        if (c.keyed) {
            EXPECT_EQ(key, c.key) << c.what;
        }
    }
}

}  // namespace
