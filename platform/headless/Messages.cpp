// The message queue with no window system: messages come from the program
// and tests only, and from SIGTERM and SIGINT, which ask the foreground
// window to close (or quit when there is none), as a closed window would.
// Depends on the contract's Display.h and BackEnd.h.
#include "platform/Messages.h"

#include "platform/BackEnd.h"
#include "platform/Display.h"
#include "platform/TestSeams.h"

#include <csignal>
#include <deque>

namespace platform
{

namespace
{

volatile std::sig_atomic_t stopAsked = 0;

void OnStop(int)
{
    stopAsked = 1;
}

std::deque<MSG>& Queue()
{
    static std::deque<MSG> queue;
    return queue;
}

void Push(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Queue().push_back(MSG{window, message, wParam, lParam});
}

// A signal handler of the program's own stays: it took the signal first.
void Listen()
{
    static bool listening = false;
    if (listening)
    {
        return;
    }
    listening = true;
    for (int signal : {SIGTERM, SIGINT})
    {
        struct sigaction old = {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
        {
            std::signal(signal, &OnStop);
        }
    }
}

void Pump()
{
    Listen();
    if (stopAsked != 0)
    {
        stopAsked = 0;
        HWND window = GetForegroundWindow();
        if (window != nullptr)
        {
            Push(window, WM_CLOSE, 0, 0);
        }
        else
        {
            PostQuitMessage(0);
        }
    }
}

} // namespace

bool PeekSystemMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove)
{
    Pump();
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
    Push(window, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    Push(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
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
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)
    {
        return SendMessageW(window, WM_CLOSE, 0, 0);
    }
    return 0;
}

void FlushMessages()
{
    Pump();
    Queue().clear();
}

} // namespace platform
