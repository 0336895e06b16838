// Message tables: rows {first key, last key, handler} sorted at compile
// time, held free of duplicates and overlaps by a static_assert and searched
// by halving. A key is a message, or DialogKey's (message, id, code) for a
// window that routes commands and notifications by control. Rows are written
// with the makers of RouteRows below, "message → handler", the handler taking
// typed arguments that the row's decoders take from the message:
//
//   using Rows = RouteRows<CPathDlg, RoutedMessage>;
//   constexpr Rows::Row kRows[] = {
//       Rows::On(DialogKey(WM_SIZE)).ActThenPass<&CPathDlg::OnSize, LParamLow, LParamHigh>(),
//       Rows::OnCommand(kIdUp, BN_CLICKED).Act<&CPathDlg::OnUp>(),
//   };
//   constexpr auto kRoutes = SortRoutes(kRows);
//   static_assert(RoutesDisjoint(kRoutes), "a message has two rows");
//   if (const auto* route = FindRoute(kRoutes, key)) ...
//
// No Windows headers: the portable cores route the same way.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>

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

// One key over a window's messages, commands and notifications: the message
// in the top 16 bits, the control id in the next 16, the command's or
// notification's code below (WM_NOTIFY's codes take 32 bits). A plain
// message is DialogKey(message); the rows of one control lie together.
constexpr RouteKey DialogKey(uint32_t message, uint32_t id = 0, uint32_t code = 0)
{
    return RouteKey(message) << 48 | RouteKey(id & 0xFFFF) << 32 | code;
}

// The messages that carry a control id and a code.
constexpr uint32_t kRouteCommand = 0x0111;  // WM_COMMAND: id and code in wParam
constexpr uint32_t kRouteNotify = 0x004E;   // WM_NOTIFY: both in the header lParam points to

// The key of a message as DialogKey packs it. False for a message or control
// id wider than the key's field: no row has one.
template <class NotifyHeader>
bool DialogKeyOf(uint32_t message, uintptr_t wParam, intptr_t lParam, RouteKey* key)
{
    uint32_t id = 0, code = 0;
    if (message == kRouteCommand) {
        id = uint32_t(wParam & 0xFFFF);
        code = uint32_t(wParam >> 16 & 0xFFFF);
    } else if (message == kRouteNotify) {
        if (const auto* header = reinterpret_cast<const NotifyHeader*>(lParam)) {
            if (header->idFrom > 0xFFFF)
                return false;
            id = uint32_t(header->idFrom);
            code = uint32_t(header->code);
        }
    }
    *key = DialogKey(message, id, code);
    return message <= 0xFFFF;
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

// ---- typed argument decoders ----
// Each takes one argument of a handler from the message, which has the
// fields message, wParam, lParam and result.

namespace route_detail {
template <class T, class Raw>
T Cast(Raw raw)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(raw);
    else if constexpr (std::is_same_v<T, bool>)
        return raw != 0;
    else
        return static_cast<T>(raw);
}
}  // namespace route_detail

// wParam or lParam as T: an integer, a flag, a handle or a pointer.
template <class T>
struct WParamAs {
    template <class M>
    static T Of(M& m) { return route_detail::Cast<T>(m.wParam); }
};
template <class T>
struct LParamAs {
    template <class M>
    static T Of(M& m) { return route_detail::Cast<T>(m.lParam); }
};
// The 16-bit halves of a parameter (sizes, command ids and codes, scroll
// codes); the signed ones for client coordinates.
struct WParamLow {
    template <class M>
    static uint16_t Of(M& m) { return uint16_t(uintptr_t(m.wParam) & 0xFFFF); }
};
struct WParamHigh {
    template <class M>
    static uint16_t Of(M& m) { return uint16_t(uintptr_t(m.wParam) >> 16 & 0xFFFF); }
};
struct LParamLow {
    template <class M>
    static uint16_t Of(M& m) { return uint16_t(uintptr_t(m.lParam) & 0xFFFF); }
};
struct LParamHigh {
    template <class M>
    static uint16_t Of(M& m) { return uint16_t(uintptr_t(m.lParam) >> 16 & 0xFFFF); }
};
struct LParamX {
    template <class M>
    static int Of(M& m) { return int16_t(LParamLow::Of(m)); }
};
struct LParamY {
    template <class M>
    static int Of(M& m) { return int16_t(LParamHigh::Of(m)); }
};
// WM_MOUSEWHEEL's turn: wParam's high word, signed, negative towards the user.
struct WheelDelta {
    template <class M>
    static int Of(M& m) { return int16_t(WParamHigh::Of(m)); }
};
// The message itself, for one handler over several messages.
struct MessageId {
    template <class M>
    static auto Of(M& m) { return m.message; }
};
// The answer, for a handler that sets it and may still decline.
struct ResultSlot {
    template <class M>
    static auto& Of(M& m) { return m.result; }
};

// The record lParam points to (WM_DRAWITEM's, a notification's), for a
// handler taking it by reference.
template <class T>
struct LParamRecord {
    template <class M>
    static T& Of(M& m) { return *reinterpret_cast<T*>(m.lParam); }
};

// A fixed argument, for one handler behind rows that differ only in it.
template <auto Value>
struct Fixed {
    template <class M>
    static constexpr auto Of(M&) { return Value; }
};

// The message itself, for a handler that passes it on to another
// procedure around what it does.
struct WholeMessage {
    template <class M>
    static M& Of(M& m) { return m; }
};

// ---- row makers ----
// RouteRows<Owner, Message>::On(key) or On(first, last) names the keys; its
// maker names the handler and the decoders of its arguments after the
// owner. A handler is a function or a member function of Owner.
template <class Owner, class Message>
struct RouteRows {
    // False: the message goes on to the default handling.
    using Handler = bool (*)(Owner& owner, Message& m);
    using Row = Route<Handler>;
    using Result = decltype(Message::result);

    struct Keys {
        RouteKey first, last;

        // The handler's value is the answer.
        template <auto F, class... Args>
        constexpr Row Answer() const
        {
            return {first, last, [](Owner& o, Message& m) {
                        m.result = Result(std::invoke(F, o, Args::Of(m)...));
                        return true;
                    }};
        }
        // The handler only acts; the answer is 0.
        template <auto F, class... Args>
        constexpr Row Act() const
        {
            return {first, last, [](Owner& o, Message& m) {
                        std::invoke(F, o, Args::Of(m)...);
                        m.result = 0;
                        return true;
                    }};
        }
        // The handler acts, then the default handling has the message too.
        template <auto F, class... Args>
        constexpr Row ActThenPass() const
        {
            return {first, last, [](Owner& o, Message& m) {
                        std::invoke(F, o, Args::Of(m)...);
                        return false;
                    }};
        }
        // The handler may decline (false); taken, the answer is 0 unless it
        // set one through ResultSlot.
        template <auto F, class... Args>
        constexpr Row May() const
        {
            return {first, last, [](Owner& o, Message& m) {
                        m.result = 0;
                        return bool(std::invoke(F, o, Args::Of(m)...));
                    }};
        }
        // A fixed answer with no call.
        template <auto Value>
        constexpr Row Constant() const
        {
            return {first, last, [](Owner&, Message& m) {
                        m.result = Result(Value);
                        return true;
                    }};
        }
    };

    static constexpr Keys On(RouteKey key) { return {key, key}; }
    static constexpr Keys On(RouteKey first, RouteKey last) { return {first, last}; }
    // A command or a notification of a control, as DialogKey packs them.
    static constexpr Keys OnCommand(uint32_t id, uint32_t code) { return On(DialogKey(kRouteCommand, id, code)); }
    static constexpr Keys OnNotify(uint32_t id, uint32_t code) { return On(DialogKey(kRouteNotify, id, code)); }
    // Every code of a command id.
    static constexpr Keys OnAnyCode(uint32_t id)
    {
        return On(DialogKey(kRouteCommand, id, 0), DialogKey(kRouteCommand, id, 0xFFFF));
    }
};
