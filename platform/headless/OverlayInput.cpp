// No input reaches a headless window, so the overlay never starts here.
#include "platform/OverlayInput.h"

namespace platform
{

bool FindOverlayTarget(HWND, OverlayTarget&)
{
    return false;
}

bool StartOverlayInput(const OverlayTarget&, ImGuiContext*)
{
    return false;
}

void StopOverlayInput() {}

void NewOverlayInputFrame() {}

bool IsCurrentOverlayContext(const OverlayTarget&)
{
    return false;
}

} // namespace platform
