// The thread's message queue: window events from SDL arrive here as window
// messages (size, activation, close, keys with virtual-key codes), next to
// messages posted by the program and by tests.
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

// The virtual-key code of an SDL key code, 0 for keys without one (exposed
// for tests).
int VirtualKeyFromSdlKey(int sdlKey);

// Drops every queued message (tests).
void FlushMessages();

// Called whenever PeekMessageW finds nothing to take: lets a test act while
// a loop spins idle (a window stays minimised for a while, say).
using IdleHook = void (*)(void* context);
void SetIdleHook(IdleHook hook, void* context);

} // namespace platform
