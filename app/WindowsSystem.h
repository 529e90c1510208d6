// The window system: owns the window, its device and GL context, the display
// mode and pixel format, keeps the key table and the active flag from window
// messages, and runs the program (Run, MainLoop) through virtual hooks that an
// application overrides. Needs the platform layer's display and messages.
#pragma once

#include "app/SetupDialog.h"
#include "platform/Display.h"
#include "platform/Win32.h"

#include <cstdint>

namespace MivexGL
{

class cWindowsSystem
{
public:
    cWindowsSystem();

    virtual void Release();
    virtual ~cWindowsSystem();
    virtual bool Start();
    virtual bool DrawLoading();
    virtual bool Update();
    virtual bool Draw();
    virtual bool IsFinished();
    virtual int SetupDialog();
    virtual int MainLoop();
    virtual platform::LRESULT WindowProc(platform::HWND window, platform::UINT message,
                                         platform::WPARAM wParam, platform::LPARAM lParam);

    // Creates the display, shows the loading frame, starts, loops, tears down.
    int Run();

    bool CreateDisplay();
    void DestroyDisplay();
    void Resize();
    bool ProbeMultisample();
    bool HasWglExtension(const char* name);

    void SetTitle(const char16_t* text) { title = text; }
    // The caption of every message box the window system shows; null keeps
    // each box's own ("Pelorin GL", "ERROR", "SHUTDOWN ERROR").
    void SetBoxCaption(const char16_t* text) { boxCaption = text; }
    void SetSize(std::int32_t w, std::int32_t h)
    {
        width = w;
        height = h;
    }
    void SetPlanes(float nearValue, float farValue)
    {
        nearPlane = nearValue;
        farPlane = farValue;
    }
    void SetBits(std::int32_t value) { bits = value; }
    void SetFullscreen(bool value) { fullscreen = value; }
    void SetSetupDialog(bool value) { showSetupDialog = value; }
    void SetAntiAliasing(bool value) { antiAliasing = value; }
    void SetActive(bool value) { active = value; }
    bool IsKeyDown(int key) const { return key >= 0 && key < 256 && keys[key]; }
    // A key set down also counts as pressed until TakeKeyPress takes it.
    void SetKey(int key, bool down)
    {
        if (key >= 0 && key < 256)
        {
            keys[key] = down;
            pressed[key] = pressed[key] || down;
        }
    }
    // Whether the key is down or was pressed since the last call: a tap
    // released before the frame loop looks still counts, once.
    bool TakeKeyPress(int key);
    platform::HWND GetWindowHandle() const { return window; }
    platform::HDC GetDeviceContext() const { return deviceContext; }
    platform::HGLRC GetRenderingContext() const { return renderingContext; }

    // Read access for the frame loop's users and tests.
    std::int32_t GetWidth() const { return width; }
    std::int32_t GetHeight() const { return height; }
    bool IsFullscreen() const { return fullscreen; }
    bool IsActive() const { return active; }
    bool IsAntiAliasing() const { return antiAliasing; }
    bool IsMultisampleFound() const { return multisampleFound; }
    const char16_t* GetTitle() const { return title; }

    // The one object that receives the window procedure's messages.
    static void SetMessageTarget(cWindowsSystem* target);

protected:
    // Whether a close or quit waits in the queue; it stays there.
    static bool CloseAsked();

    platform::HDC deviceContext;
    platform::HGLRC renderingContext;
    platform::HWND window;
    platform::HINSTANCE instance;
    bool keys[256];
    bool active;
    bool fullscreen;
    float farPlane;
    float nearPlane;
    std::int32_t width;
    std::int32_t height;
    std::int32_t bits;
    const char16_t* title;
    bool showSetupDialog;
    bool loadingPending;
    bool multisampleFound;
    std::int32_t multisampleFormat;
    bool antiAliasing;
    const char16_t* boxCaption;
    cSetupDialog setupDialog;

private:
    // Presses not yet taken by the frame loop; keys[] alone loses a press
    // and release that both arrive between two frames.
    bool pressed[256];

    bool FailDisplay(const char16_t* text);
};

} // namespace MivexGL
