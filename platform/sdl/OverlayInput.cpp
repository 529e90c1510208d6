// The overlay's input over SDL: imgui's SDL2 back end, given every event the
// message pump takes while the overlay is attached.
#include "platform/OverlayInput.h"

#include "platform/OverlayInternal.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

namespace platform
{

namespace
{

ImGuiContext* receiver = nullptr;

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
    return true;
}

void StopOverlayInput()
{
    receiver = nullptr;
    ImGui_ImplSDL2_Shutdown();
}

void NewOverlayInputFrame()
{
    ImGui_ImplSDL2_NewFrame();
}

bool IsCurrentOverlayContext(const OverlayTarget& target)
{
    return SDL_GL_GetCurrentContext() == target.context;
}

} // namespace platform
