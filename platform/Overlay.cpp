// The overlay host over SDL: imgui's SDL2 back end for input, display size
// and time; the drawing is the shared renderer's (platform/OverlayRenderer.h).
#include "platform/Overlay.h"

#include "platform/OverlayInternal.h"
#include "platform/OverlayRenderer.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

namespace platform
{

namespace
{

Overlay* attached = nullptr;
ImGuiContext* attachedUi = nullptr;

} // namespace

void ForwardEventToOverlay(const SDL_Event& event)
{
    if (attachedUi == nullptr)
    {
        return;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(attachedUi);
    ImGui_ImplSDL2_ProcessEvent(&event);
    ImGui::SetCurrentContext(previous);
}

Overlay::~Overlay()
{
    Detach();
}

bool Overlay::Attach(HWND)
{
    Detach();
    if (attached != nullptr)
    {
        error = "another overlay is attached";
        return false;
    }
    SDL_Window* sdlWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext glContext = SDL_GL_GetCurrentContext();
    if (sdlWindow == nullptr || glContext == nullptr)
    {
        error = "no current GL context";
        return false;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGuiContext* own = ImGui::CreateContext();
    ImGui::SetCurrentContext(own);
    ImGuiIO& io = ImGui::GetIO();
    // Nothing of the overlay is written to disk.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.BackendRendererName = "mivex_overlay";
    ImGui::StyleColorsDark();
    platformBackend = ImGui_ImplSDL2_InitForOpenGL(sdlWindow, glContext);
    ImGui::SetCurrentContext(previous);
    ui = own;
    window = sdlWindow;
    context = glContext;
    if (!platformBackend)
    {
        error = "the input back end did not start";
        Detach();
        return false;
    }
    attached = this;
    attachedUi = own;
    error = "";
    return true;
}

void Overlay::Detach()
{
    if (ui == nullptr)
    {
        return;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGuiContext* own = static_cast<ImGuiContext*>(ui);
    ImGui::SetCurrentContext(own);
    if (platformBackend)
    {
        ImGui_ImplSDL2_Shutdown();
        platformBackend = false;
    }
    ReleaseOverlayFontTexture(fontTexture, SDL_GL_GetCurrentContext() == context);
    ImGui::DestroyContext(own);
    ImGui::SetCurrentContext(previous == own ? nullptr : previous);
    if (attached == this)
    {
        attached = nullptr;
        attachedUi = nullptr;
    }
    ui = nullptr;
    window = nullptr;
    context = nullptr;
}

bool Overlay::BeginFrame()
{
    if (ui == nullptr)
    {
        return false;
    }
    previousUi = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(static_cast<ImGuiContext*>(ui));
    // The font is made on the first frame, in the context it is drawn in.
    if (fontTexture == 0)
    {
        fontTexture = MakeOverlayFontTexture();
    }
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    return true;
}

void Overlay::EndFrame()
{
    if (ui == nullptr || ImGui::GetCurrentContext() != ui)
    {
        return;
    }
    RenderOverlayFrame();
    ImGui::SetCurrentContext(static_cast<ImGuiContext*>(previousUi));
    previousUi = nullptr;
}

} // namespace platform
