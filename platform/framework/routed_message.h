// A window message as route tables see it (RouteRows<Window, RoutedMessage>),
// and one way a window procedure answers: the row's answer, or the default
// handling's when the message has no row or its row declines.
#pragma once

#include "platform/framework/message_routes.h"
#include "platform/win32/win.h"

struct RoutedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// route: the row found for the message, or null; pass(): the default
// handling's answer.
template <class Row, class Window, class Default>
LRESULT RouteOrDefault(const Row* route, Window& window, UINT message, WPARAM wParam, LPARAM lParam,
                       Default&& pass)
{
    RoutedMessage m{message, wParam, lParam, 0};
    if (route && route->handler(window, m))
        return m.result;
    return pass();
}
