// The overlay on a headless surface: it draws over whatever surface is
// current, sized by that surface, and no pointer or key reaches it but a
// test's stand-in pointer (platform/TestSeams.h). Depends on Egl.h and
// Dear ImGui.
#include "platform/OverlayInput.h"

#include "platform/headless/Egl.h"

#include <imgui.h>

#include <cfloat>

namespace platform
{

namespace
{

EGLSurface drawn = EGL_NO_SURFACE;

} // namespace

bool FindOverlayTarget(HWND, OverlayTarget& target)
{
    target.window = eglGetCurrentSurface(EGL_DRAW);
    target.context = eglGetCurrentContext();
    return target.window != nullptr && target.context != nullptr;
}

bool StartOverlayInput(const OverlayTarget& target, ImGuiContext*)
{
    drawn = target.window;
    return true;
}

void StopOverlayInput()
{
    drawn = EGL_NO_SURFACE;
}

void NewOverlayInputFrame()
{
    ImGuiIO& io = ImGui::GetIO();
    EGLint width = 0;
    EGLint height = 0;
    if (drawn != EGL_NO_SURFACE)
    {
        eglQuerySurface(HeadlessDisplay(), drawn, EGL_WIDTH, &width);
        eglQuerySurface(HeadlessDisplay(), drawn, EGL_HEIGHT, &height);
    }
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    // Frames come at the program's own pace; none is a long one to imgui.
    io.DeltaTime = 1.0f / 60.0f;
    io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
}

bool IsCurrentOverlayContext(const OverlayTarget& target)
{
    return eglGetCurrentContext() == target.context;
}

} // namespace platform
