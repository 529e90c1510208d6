// The overlay host on Windows: imgui's Win32 back end for input, display
// size and time, fed by a window procedure put in front of the window's own
// while attached; the drawing is the shared renderer's
// (platform/OverlayRenderer.h). Depends on platform/win/Native.h.
#include "platform/Overlay.h"

#include "platform/OverlayRenderer.h"

#include <backends/imgui_impl_win32.h>
#include <imgui.h>

#include "platform/win/Native.h"

// Declared by the back end's header only inside a comment, to keep
// <windows.h> out of it.
extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(::HWND window, ::UINT message,
                                                             ::WPARAM wParam, ::LPARAM lParam);

namespace platform
{

namespace
{

Overlay* attached = nullptr;
ImGuiContext* attachedUi = nullptr;
::HWND hooked = nullptr;
::WNDPROC hookedProc = nullptr;

LRESULT CALLBACK OverlayProc(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam)
{
    if (attachedUi != nullptr)
    {
        ImGuiContext* previous = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(attachedUi);
        ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam);
        ImGui::SetCurrentContext(previous);
    }
    return ::CallWindowProcW(hookedProc, window, message, wParam, lParam);
}

void Unhook()
{
    // Only our own procedure is taken out; one put in after ours stays.
    if (hooked != nullptr &&
        ::GetWindowLongPtrW(hooked, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&OverlayProc))
    {
        ::SetWindowLongPtrW(hooked, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hookedProc));
    }
    hooked = nullptr;
    hookedProc = nullptr;
}

} // namespace

Overlay::~Overlay()
{
    Detach();
}

bool Overlay::Attach(HWND ourWindow)
{
    Detach();
    if (attached != nullptr)
    {
        error = "another overlay is attached";
        return false;
    }
    ::HGLRC glContext = ::wglGetCurrentContext();
    ::HWND native = ourWindow != nullptr ? Native(ourWindow) : ::WindowFromDC(::wglGetCurrentDC());
    if (glContext == nullptr || native == nullptr)
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
    platformBackend = ImGui_ImplWin32_Init(native);
    ImGui::SetCurrentContext(previous);
    ui = own;
    window = native;
    context = glContext;
    if (!platformBackend)
    {
        error = "the input back end did not start";
        Detach();
        return false;
    }
    hookedProc = reinterpret_cast<::WNDPROC>(
        ::SetWindowLongPtrW(native, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OverlayProc)));
    hooked = hookedProc != nullptr ? native : nullptr;
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
    if (attached == this)
    {
        Unhook();
        attached = nullptr;
        attachedUi = nullptr;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGuiContext* own = static_cast<ImGuiContext*>(ui);
    ImGui::SetCurrentContext(own);
    if (platformBackend)
    {
        ImGui_ImplWin32_Shutdown();
        platformBackend = false;
    }
    ReleaseOverlayFontTexture(fontTexture, ::wglGetCurrentContext() == context);
    ImGui::DestroyContext(own);
    ImGui::SetCurrentContext(previous == own ? nullptr : previous);
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
    ImGui_ImplWin32_NewFrame();
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
