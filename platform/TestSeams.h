// Test seams: fault injection, overrides and simulated input for the window,
// the dialogs and the message boxes. Only tests and their harnesses include
// this header; the program never calls anything in it. Depends on the
// platform headers whose objects it reaches into.
#pragma once

#include "platform/Dialog.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"

#include <functional>
#include <string>
#include <vector>

namespace platform
{

// Window and context.
enum class DisplayStep
{
    RegisterClass,
    ChangeDisplaySettings,
    CreateWindow,
    GetDC,
    ChoosePixelFormat,
    SetPixelFormat,
    CreateContext,
    MakeCurrent,
    DeleteContext,
    ReleaseDC,
    DestroyWindow,
    UnregisterClass,
    Count
};
// Makes every later call of the step fail until cleared.
void SetDisplayFault(DisplayStep step, bool fail);
void ClearDisplayFaults();
// Replaces the window-system extension string ("" = none, null = real).
void SetWindowExtensionsOverride(const char* extensions);
// How many frames SwapBuffers has presented in the window.
int PresentedFrames(HWND window);

// Dialogs.
// A dialog's controls without a window, for driving a dialog
// procedure with messages directly (keys, clicks and the close box reach
// the given procedure); null for an unknown template.
HWND CreateDialogModel(int templateId, DLGPROC procedure);
void DestroyDialogModel(HWND dialog);
// Every control's rectangle in pixels, in template order.
std::vector<RECT> GetDialogControlRects(HWND dialog);
// Whether EndDialog has been called, and with what.
bool IsDialogEnded(HWND dialog, INT_PTR* result);
// Makes DialogBoxParamW fail (-1) until cleared.
void SetDialogFault(bool fail);
// Called once after every frame a modal dialog draws.
void SetDialogFrameHook(std::function<void(HWND dialog)> hook);
// Input as the user gives it: a key (VK_RETURN, VK_ESCAPE), a click on a
// control, the close box.
void PressDialogKey(HWND dialog, int virtualKey);
void ClickDialogItem(HWND dialog, int id);
void CloseDialogBox(HWND dialog);

// Messages.
// Drops every queued message.
void FlushMessages();
// Called whenever PeekMessageW finds nothing to take: lets a test act while
// a loop spins idle (a window stays minimised for a while, say).
using IdleHook = void (*)(void* context);
void SetIdleHook(IdleHook hook, void* context);

// The development overlay.
// Stands in for the pointer over the attached overlay from its next frame
// on: window pixels, and whether the left button is down; cleared, the
// window's own pointer counts again.
void SetOverlayPointer(float x, float y, bool down);
void ClearOverlayPointer();

// Message boxes.
struct MessageBoxCall
{
    std::string text;
    std::string caption;
    UINT style;
};

using MessageBoxAnswerer = std::function<int(const MessageBoxCall&)>;

// Replaces the real boxes until reset with an empty answerer.
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

} // namespace platform
