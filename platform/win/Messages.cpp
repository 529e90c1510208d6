// The thread's message queue on Windows: the system's own pump. Messages,
// virtual-key codes and the default handling are the system's, so nothing
// is translated; our MSG is the system's without time and cursor position.
// Depends on platform/Messages.h and platform/win/Native.h.
#include "platform/Messages.h"

#include "platform/BackEnd.h"

#include "platform/win/Native.h"

namespace platform
{

namespace
{

// The last message taken, whole: dispatching it again hands the system the
// time and position it stamped, which our MSG does not carry.
::MSG lastTaken{};

::MSG NativeMessage(const MSG& message)
{
    if (lastTaken.hwnd == Native(message.hwnd) && lastTaken.message == message.message &&
        lastTaken.wParam == message.wParam && lastTaken.lParam == message.lParam)
    {
        return lastTaken;
    }
    ::MSG n{};
    n.hwnd = Native(message.hwnd);
    n.message = message.message;
    n.wParam = message.wParam;
    n.lParam = message.lParam;
    n.time = ::GetMessageTime();
    return n;
}

} // namespace

bool PeekSystemMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove)
{
    ::MSG n{};
    if (!::PeekMessageW(&n, Native(window), first, last, remove))
    {
        return false;
    }
    if ((remove & PM_REMOVE) != 0)
    {
        lastTaken = n;
    }
    if (message != nullptr)
    {
        *message = MSG{Ours(n.hwnd), n.message, n.wParam, n.lParam};
    }
    return true;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(Native(window), message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    ::PostQuitMessage(exitCode);
}

BOOL TranslateMessage(const MSG* message)
{
    if (message == nullptr)
    {
        return FALSE;
    }
    const ::MSG n = NativeMessage(*message);
    return ::TranslateMessage(&n);
}

LRESULT DispatchMessageW(const MSG* message)
{
    if (message == nullptr)
    {
        return 0;
    }
    const ::MSG n = NativeMessage(*message);
    return ::DispatchMessageW(&n);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(Native(window), message, wParam, lParam);
}

void FlushMessages()
{
    ::MSG n{};
    while (::PeekMessageW(&n, nullptr, 0, 0, PM_REMOVE))
    {
        // A paint message is not queued but made while part of a window is
        // invalid; only validating the window ends it.
        if (n.message == WM_PAINT && n.hwnd != nullptr)
        {
            ::ValidateRect(n.hwnd, nullptr);
        }
    }
}

} // namespace platform
