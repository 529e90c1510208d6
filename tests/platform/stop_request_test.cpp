// A request to stop from outside (SIGTERM, SIGINT) reaches the program as
// its window being asked to close, on every back end, so the program shuts
// down the way it does when the user closes the window.
#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/TestSeams.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace platform;

namespace
{

int closes = 0;

LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
    {
        ++closes;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Takes messages until one asks the window to close; a generous bound, as
// the signal may be turned into an event a little later.
bool AskedToClose(HWND window)
{
    for (int round = 0; round < 100000; ++round)
    {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) != FALSE)
        {
            DispatchMessageW(&m);
            if (m.message == WM_CLOSE && m.hwnd == window)
            {
                return true;
            }
        }
    }
    return false;
}

TEST(StopRequest, TerminateAndInterruptAskTheWindowToClose)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CountingProc;
    windowClass.lpszClassName = u"MivexStopRequest";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(0, u"MivexStopRequest", u"stop", WS_POPUP, 0, 0, 64, 64, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr)
    {
        UnregisterClassW(u"MivexStopRequest", GetModuleHandleW(nullptr));
        GTEST_SKIP() << "no window system here";
    }
    // The back end listens once its queue is first looked at.
    FlushMessages();
    for (int signal : {SIGTERM, SIGINT})
    {
        closes = 0;
        ASSERT_EQ(std::raise(signal), 0);
        EXPECT_TRUE(AskedToClose(window)) << "signal " << signal;
        EXPECT_EQ(closes, 1) << "signal " << signal;
        EXPECT_TRUE(IsWindow(window)) << "the program decides whether to close";
    }
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassW(u"MivexStopRequest", GetModuleHandleW(nullptr)));
}

} // namespace
