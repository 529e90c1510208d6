// The thread's message queue: the system's window events arrive here as
// window messages (size, activation, close, keys with virtual-key codes),
// next to messages posted by the program and by tests. A back end provides
// every call here; the idle hook tests install (TestSeams.h) is shared.
#pragma once

#include "platform/Win32.h"

namespace platform
{

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;

// Takes (or looks at) the next message without waiting; false when the queue
// is empty. Window events are pumped in first.
BOOL PeekMessageW(MSG* message, HWND window, UINT first, UINT last, UINT remove);
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageW(const MSG* message);
// The default handling: Alt+F4 asks the window to close, the close command
// becomes WM_CLOSE; everything else is left alone.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform
