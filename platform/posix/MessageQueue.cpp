// The message queue over the back end's events (MessageQueue.h): posting,
// peeking in order with the window and range filters, dispatch to the
// window's procedure, and the default procedure's close handling. Depends
// on the contract's Display.h.
#include "platform/posix/MessageQueue.h"

#include "platform/BackEnd.h"
#include "platform/Display.h"

#include <deque>

namespace platform
{

namespace
{

std::deque<MSG>& Queue()
{
    static std::deque<MSG> queue;
    return queue;
}

} // namespace

void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Queue().push_back(MSG{window, message, wParam, lParam});
}

void QueueStopRequest()
{
    HWND window = GetForegroundWindow();
    if (window != nullptr)
    {
        QueueMessage(window, WM_CLOSE, 0, 0);
    }
    else
    {
        PostQuitMessage(0);
    }
}

bool PeekSystemMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove)
{
    PumpSystemEvents();
    std::deque<MSG>& queue = Queue();
    for (auto it = queue.begin(); it != queue.end(); ++it)
    {
        const bool windowFits = window == nullptr || it->hwnd == window;
        const bool rangeFits =
            (first == 0 && last == 0) || (it->message >= first && it->message <= last);
        if (windowFits && rangeFits)
        {
            if (message != nullptr)
            {
                *message = *it;
            }
            if ((remove & PM_REMOVE) != 0)
            {
                queue.erase(it);
            }
            return true;
        }
    }
    return false;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    QueueMessage(window, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    QueueMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

BOOL TranslateMessage(const MSG* message)
{
    return message != nullptr ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* message)
{
    if (message == nullptr || message->hwnd == nullptr)
    {
        return 0;
    }
    WNDPROC proc = GetWindowProc(message->hwnd);
    return proc != nullptr ? proc(message->hwnd, message->message, message->wParam, message->lParam)
                           : 0;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    // Alt+F4 asks to close, as the system's menu does.
    if (message == WM_SYSKEYDOWN && wParam == static_cast<WPARAM>(VK_F1 + 3))
    {
        return SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)
    {
        return SendMessageW(window, WM_CLOSE, 0, 0);
    }
    return 0;
}

void FlushMessages()
{
    PumpSystemEvents();
    Queue().clear();
}

} // namespace platform
