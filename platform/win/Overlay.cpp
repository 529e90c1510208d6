// The overlay host on Windows: Dear ImGui is not built for this back end
// yet, so the development overlay is not available and Attach says so.
#include "platform/Overlay.h"

namespace platform
{

Overlay::~Overlay()
{
    Detach();
}

bool Overlay::Attach(HWND)
{
    error = "not available in this build";
    return false;
}

void Overlay::Detach()
{
    ui = nullptr;
}

bool Overlay::BeginFrame()
{
    return false;
}

void Overlay::EndFrame() {}

} // namespace platform
