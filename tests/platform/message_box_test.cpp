// Message boxes where SDL cannot draw them: on a display without the X core
// fonts the dialog host asks instead and the user's answer comes back; with
// no display at all the default answer is taken at once.
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/TestSeams.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace
{

using namespace platform;

// Shows one box on the display and answers it with what the user does once
// it is drawn.
int AskOn(const std::string& display, UINT style, std::function<void(HWND)> user)
{
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    int frames = 0;
    SetDialogFrameHook(
        [&](HWND dialog)
        {
            // One frame to lay out, then the user acts.
            if (++frames == 2)
            {
                user(dialog);
            }
        });
    const int answer =
        MessageBoxA(nullptr, "The Requested Fullscreen Mode Is Not Supported", "Pelorin GL", style);
    SetDialogFrameHook(nullptr);
    EXPECT_GE(frames, 2) << "the hosted box was never drawn";
    return answer;
}

TEST(MessageBoxHost, WithoutCoreFontsTheQuestionIsStillAskedAndAnswered)
{
    const std::string display = testsupport::DisplayWithoutCoreFonts();
    if (display.empty())
    {
        GTEST_SKIP() << "no Xvfb to start";
    }
    EXPECT_EQ(AskOn(display, MB_YESNO | MB_ICONEXCLAMATION,
                    [](HWND box) { PressDialogKey(box, VK_RETURN); }),
              IDYES);
    EXPECT_EQ(
        AskOn(display, MB_YESNO | MB_ICONEXCLAMATION, [](HWND box) { ClickDialogItem(box, IDNO); }),
        IDNO);
    // No Cancel button: Escape and the close box give the default, No.
    EXPECT_EQ(AskOn(display, MB_YESNO | MB_ICONEXCLAMATION,
                    [](HWND box) { PressDialogKey(box, VK_ESCAPE); }),
              IDNO);
    EXPECT_EQ(AskOn(display, MB_YESNO | MB_ICONEXCLAMATION, [](HWND box) { CloseDialogBox(box); }),
              IDNO);
    EXPECT_EQ(AskOn(display, MB_OK | MB_ICONSTOP, [](HWND box) { ClickDialogItem(box, IDOK); }),
              IDOK);
}

TEST(MessageBoxHost, WithNoDisplayAtAllTheDefaultAnswerIsTaken)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    bool shown = false;
    SetDialogFrameHook([&](HWND) { shown = true; });
    EXPECT_EQ(MessageBoxA(nullptr, "Use Windowed Mode Instead?", "Pelorin GL", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "Release Of DC And RC Failed.", "SHUTDOWN ERROR", MB_OK), IDOK);
    SetDialogFrameHook(nullptr);
    EXPECT_FALSE(shown);
}

} // namespace
