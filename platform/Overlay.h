// The host of the development overlay: a Dear ImGui context of its own over
// the window whose GL context is current. While attached, the window's input
// reaches the overlay as well as the program; between BeginFrame and EndFrame
// the caller builds its panels with ImGui's own calls, and EndFrame draws
// them over the current framebuffer with every GL state it touches put back.
// One host at a time. Both back ends host it (imgui's SDL2 or Win32 input
// back end under platform/OverlayInput.h); Attach fails, saying why in
// GetError, without a current GL context or when another host is attached.
#pragma once

#include "platform/Win32.h"

namespace platform
{

class Overlay
{
public:
    Overlay() = default;
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    // On the current GL context (window may be null: the context's own
    // window). Again after the context was made anew: the old one's font
    // texture is then given up, not deleted, since its name may already
    // belong to someone else.
    bool Attach(HWND window);
    void Detach();
    bool IsAttached() const { return ui != nullptr; }
    // Why the last Attach failed.
    const char* GetError() const { return error; }

    // Makes the overlay's ImGui context current and starts its frame;
    // false when not attached.
    bool BeginFrame();
    // Ends the frame, draws it, and gives back the ImGui context that was
    // current before BeginFrame.
    void EndFrame();

private:
    void* ui = nullptr;
    void* previousUi = nullptr;
    void* window = nullptr;
    void* context = nullptr;
    unsigned fontTexture = 0;
    bool inputBackend = false;
    const char* error = "";
};

} // namespace platform
