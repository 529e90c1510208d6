// The overlay's input over SDL: imgui's SDL2 back end, given every event the
// message pump takes while the overlay is attached, with the pointer taken
// from the window's own mouse state.
#include "platform/OverlayInput.h"

#include "platform/sdl/OverlayInternal.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <cfloat>

namespace platform
{

namespace
{

ImGuiContext* receiver = nullptr;
SDL_Window* pointerWindow = nullptr;

} // namespace

void ForwardEventToOverlay(const SDL_Event& event)
{
    if (receiver == nullptr)
    {
        return;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(receiver);
    ImGui_ImplSDL2_ProcessEvent(&event);
    ImGui::SetCurrentContext(previous);
}

bool FindOverlayTarget(HWND, OverlayTarget& target)
{
    // The window record's SDL window is the one its context is current on.
    target.window = SDL_GL_GetCurrentWindow();
    target.context = SDL_GL_GetCurrentContext();
    return target.window != nullptr && target.context != nullptr;
}

bool StartOverlayInput(const OverlayTarget& target, ImGuiContext* ui)
{
    if (!ImGui_ImplSDL2_InitForOpenGL(static_cast<SDL_Window*>(target.window), target.context))
    {
        return false;
    }
    receiver = ui;
    pointerWindow = static_cast<SDL_Window*>(target.window);
    return true;
}

void StopOverlayInput()
{
    receiver = nullptr;
    pointerWindow = nullptr;
    ImGui_ImplSDL2_Shutdown();
}

void NewOverlayInputFrame()
{
    ImGui_ImplSDL2_NewFrame();
    // imgui's back end reads the pointer from SDL's global state, which on X
    // only XInput raw events refresh: motion without them (another client's
    // grab, our own capture while a button is held, synthetic input) leaves
    // it where the last click was, so hovering and dragging did nothing. The
    // window's mouse state follows every motion event; while a button is
    // held SDL keeps the focus on the window, so a drag past its edge goes on.
    ImGuiIO& io = ImGui::GetIO();
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    if (pointerWindow != nullptr && SDL_GetMouseFocus() == pointerWindow)
    {
        io.MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
    }
    else
    {
        io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
    }
}

bool IsCurrentOverlayContext(const OverlayTarget& target)
{
    return SDL_GL_GetCurrentContext() == target.context;
}

} // namespace platform
