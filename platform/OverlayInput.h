// The back end's half of the overlay host (platform/Overlay.h): where the
// current GL context is, and imgui's input back end on its window, fed with
// the window's events while started. Private to platform/.
#pragma once

#include "platform/Win32.h"

struct ImGuiContext;

namespace platform
{

struct OverlayTarget
{
    void* window = nullptr;
    void* context = nullptr;
};

// The current GL context and its window (window itself when given); false
// without a current context.
bool FindOverlayTarget(HWND window, OverlayTarget& target);
// With ui current: starts the input back end and sends it the window's
// events from now on.
bool StartOverlayInput(const OverlayTarget& target, ImGuiContext* ui);
// With the same ui current.
void StopOverlayInput();
void NewOverlayInputFrame();
// Whether target's GL context is the current one.
bool IsCurrentOverlayContext(const OverlayTarget& target);

} // namespace platform
