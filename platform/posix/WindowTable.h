// The window records of a back end whose system has no windows of the
// desktop's kind (platform/README.md): classes, windows, device contexts and
// the calls on them that need no system at all are kept here once
// (WindowTable.cpp), and the back end supplies the surface and GL context
// behind each window through the calls below. A window is a record first;
// its surface is made when its pixel format is set, as that is when the
// system learns the window's visual. Private to platform/.
#pragma once

#include "platform/Display.h"

#include <set>
#include <string>

namespace platform
{

// A window's device context: the window itself, as far as GL is concerned.
struct DeviceRecord
{
    WindowRecord* window;
};

struct WindowRecord
{
    // The back end's surface (its own type), made when the pixel format is set.
    void* surface = nullptr;
    WNDPROC proc = nullptr;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int pixelFormat = 0;
    PIXELFORMATDESCRIPTOR descriptor{};
    DeviceRecord dc{nullptr};
};

// Pixel formats: 1 is the ordinary format; a multisample format is
// kMultisampleBase + its sample count.
constexpr int kPlainFormat = 1;
constexpr int kMultisampleBase = 100;

// Whether window is one of ours and not destroyed.
bool Live(HWND window);
// Every live window.
const std::set<WindowRecord*>& LiveWindows();

// What the back end supplies.
// Starts the system on first use; false when there is none.
bool OpenWindowSystem();
// Makes the window's surface for its pixel format and descriptor, or
// releases it (and makes nothing current on it any longer).
bool CreateSurface(WindowRecord& window);
void DestroySurface(WindowRecord& window);
// The title has changed.
void ShowTitle(WindowRecord& window);
void SwapSurface(WindowRecord& window);
// A context in the share group for the window's surface, or null; the
// previous context stays current.
HGLRC CreateContext(WindowRecord& window);
// Makes the context current on the window's surface; with a null context,
// makes none current.
bool MakeContextCurrent(WindowRecord* window, HGLRC context);
bool IsContextCurrent(HGLRC context);
bool AnyContextCurrent();
// Frees the context and its record; it is not current any longer.
void DeleteContext(HGLRC context);
// The format of that many samples when the system really gives them, else 0.
int MultisampleFormat(int samples);

} // namespace platform
