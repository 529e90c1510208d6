// The overlay's input on Windows: imgui's Win32 back end, fed by a window
// procedure put in front of the window's own while the overlay is attached.
// Depends on platform/win/Native.h.
#include "platform/OverlayInput.h"

#include <backends/imgui_impl_win32.h>
#include <imgui.h>

#include "platform/win/Native.h"

// The back end's header declares this only inside a comment, to keep
// <windows.h> out of it.
extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(::HWND window, ::UINT message,
                                                             ::WPARAM wParam, ::LPARAM lParam);

namespace platform
{

namespace
{

ImGuiContext* receiver = nullptr;
::HWND hooked = nullptr;
::WNDPROC hookedProc = nullptr;

LRESULT CALLBACK OverlayProc(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam)
{
    if (receiver != nullptr)
    {
        ImGuiContext* previous = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(receiver);
        ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam);
        ImGui::SetCurrentContext(previous);
    }
    return ::CallWindowProcW(hookedProc, window, message, wParam, lParam);
}

} // namespace

bool FindOverlayTarget(HWND window, OverlayTarget& target)
{
    target.context = ::wglGetCurrentContext();
    target.window = window != nullptr ? Native(window) : ::WindowFromDC(::wglGetCurrentDC());
    return target.window != nullptr && target.context != nullptr;
}

bool StartOverlayInput(const OverlayTarget& target, ImGuiContext* ui)
{
    ::HWND native = static_cast<::HWND>(target.window);
    if (!ImGui_ImplWin32_Init(native))
    {
        return false;
    }
    receiver = ui;
    hookedProc = reinterpret_cast<::WNDPROC>(
        ::SetWindowLongPtrW(native, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OverlayProc)));
    hooked = hookedProc != nullptr ? native : nullptr;
    return true;
}

void StopOverlayInput()
{
    // Only our own procedure is taken out; one put in after ours stays.
    if (hooked != nullptr &&
        ::GetWindowLongPtrW(hooked, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&OverlayProc))
    {
        ::SetWindowLongPtrW(hooked, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hookedProc));
    }
    hooked = nullptr;
    hookedProc = nullptr;
    receiver = nullptr;
    ImGui_ImplWin32_Shutdown();
}

void NewOverlayInputFrame()
{
    ImGui_ImplWin32_NewFrame();
}

bool IsCurrentOverlayContext(const OverlayTarget& target)
{
    return ::wglGetCurrentContext() == static_cast<::HGLRC>(target.context);
}

} // namespace platform
