// What the choice dialogs' route tables share: the message as a row sees it
// and the argument decoders their handlers need beyond those of
// message_routes.h.
#pragma once

#include "platform/framework/message_routes.h"
#include "platform/win32/win.h"

// A dialog's message on its way through the table.
struct ChoiceMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
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
    static const M& Of(M& m) { return m; }
};
