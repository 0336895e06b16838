// What the benchmarks of modal dialogs share (Windows build): an owner
// window whose dialogs, when their loop first goes idle (they have just been
// shown), are painted, handed to the benchmark's step and ended; and a pump
// for what closing them left in the queue.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <utility>

// Runs once on the next dialog that goes idle, then that dialog ends.
inline std::function<void(HWND dialog)>& BenchIdleStep()
{
    static std::function<void(HWND)> step;
    return step;
}

inline LRESULT CALLBACK BenchOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) {
        const HWND dialog = reinterpret_cast<HWND>(lParam);
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (auto step = std::exchange(BenchIdleStep(), nullptr))
            step(dialog);
        EndDialog(dialog, IDCANCEL);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline HWND BenchDialogOwner()
{
    static const HWND owner = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &BenchOwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LindarBenchDialogOwner";
        RegisterClassA(&wc);
        return CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                               nullptr, nullptr, wc.hInstance, nullptr);
    }();
    return owner;
}

inline void PumpBenchMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
