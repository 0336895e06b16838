// Message tables: rows {first key, last key, handler} sorted at compile
// time, held free of duplicates and overlaps by a static_assert and searched
// by halving. A key is a message, a notification code or a command's
// (id, code) word; a row of one key is written {key, handler}. Each window
// keeps its table and its handler type in its own file:
//
//   constexpr Route<Handler> kRows[] = {{WM_SIZE, OnSize}, {0x17E, 0x1A6, OnListMessage}};
//   constexpr auto kRoutes = SortRoutes(kRows);
//   static_assert(RoutesDisjoint(kRoutes), "a message has two rows");
//   if (const auto* route = FindRoute(kRoutes, message)) ...
//
// No Windows headers: the portable cores route the same way.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

// Wide enough for a window's own composite keys (message, id and code).
typedef uint64_t RouteKey;

template <class Handler>
struct Route {
    RouteKey first = 0;
    RouteKey last = 0;
    Handler handler{};

    constexpr Route() = default;
    constexpr Route(RouteKey key, Handler call) : first(key), last(key), handler(call) {}
    constexpr Route(RouteKey from, RouteKey to, Handler call) : first(from), last(to), handler(call) {}
};

// The key of WM_COMMAND's wParam: the id above, the notification code below,
// so the rows of one id lie together and "any code" is one row of a range.
constexpr uint32_t CommandKey(uint16_t id, uint16_t code)
{
    return uint32_t(id) << 16 | code;
}
template <class Handler>
constexpr Route<Handler> AnyCommandCode(uint16_t id, Handler handler)
{
    return Route<Handler>{CommandKey(id, 0), CommandKey(id, 0xFFFF), handler};
}

template <class Handler, size_t N>
constexpr std::array<Route<Handler>, N> SortRoutes(const Route<Handler> (&rows)[N])
{
    std::array<Route<Handler>, N> sorted{};
    std::copy(rows, rows + N, sorted.begin());
    std::sort(sorted.begin(), sorted.end(),
              [](const Route<Handler>& a, const Route<Handler>& b) { return a.first < b.first; });
    return sorted;
}

// True when every row's range is in order and no key has two rows.
template <class Table>
constexpr bool RoutesDisjoint(const Table& sorted)
{
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (sorted[i].first > sorted[i].last)
            return false;
        if (i > 0 && sorted[i - 1].last >= sorted[i].first)
            return false;
    }
    return true;
}

// The row whose keys hold `key`, or null. Table: a sorted std::array or span.
template <class Table>
const typename Table::value_type* FindRoute(const Table& sorted, RouteKey key)
{
    auto after = std::upper_bound(sorted.begin(), sorted.end(), key,
                                  [](RouteKey k, const typename Table::value_type& r) { return k < r.first; });
    if (after == sorted.begin())
        return nullptr;
    --after;
    return key <= after->last ? &*after : nullptr;
}
