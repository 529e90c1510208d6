// What every back end asks of the test seams, kept once for all of them:
// which steps are to fail, the extension string tests put in place of the
// driver's, the message-box answerer, the frame count per window and the
// dialogs' fault and frame hook. Tests
// set it through platform/TestSeams.h; the program itself never sets any of
// it, so every question here answers "as the system does" in a normal run.
#pragma once

#include "platform/TestSeams.h"

namespace platform
{

bool DisplayFaulty(DisplayStep step);
// True when tests replaced the window-system extension string; *text is then
// the replacement, null for none at all.
bool WindowExtensionsOverridden(const char** text);
// The installed answerer, or null when the real boxes are to be shown.
const MessageBoxAnswerer* InstalledAnswerer();
// Frames presented per window: counted on each swap, dropped when the
// window goes.
void CountPresentedFrame(HWND window);
void ForgetPresentedFrames(HWND window);
// Whether DialogBoxParamW is to fail.
bool DialogFaulty();
// What a dialog drawn by the back end calls after each frame; empty when
// tests set none.
const std::function<void(HWND dialog)>& DialogFrameHook();

} // namespace platform
