// Window system: display creation and teardown with the system's own failure
// texts, the window procedure, and the program's spine (Run, MainLoop).
#include "app/WindowsSystem.h"

#include "app/TimerSystem.h"
#include "app/WindowsSystemSeams.h"
#include "platform/GL.h"
#include "platform/GLProc.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"

#include <cstring>

namespace MivexGL
{

using namespace platform;

namespace
{

constexpr const char16_t* kClassName = u"OpenGL";

cWindowsSystem*& Target()
{
    static cWindowsSystem* target = nullptr;
    return target;
}

LRESULT ForwardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Target() == nullptr)
    {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return Target()->WindowProc(window, message, wParam, lParam);
}

// A production's own caption over the window system's described one.
const char16_t* Caption(const char16_t* own, const char16_t* described)
{
    return own != nullptr ? own : described;
}

bool RegisterWindowClass(HINSTANCE instance, const char16_t* caption)
{
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = &ForwardWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0)
    {
        MessageBoxW(nullptr, u"Failed To Register The Window Class.", Caption(caption, u"ERROR"),
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

// The fullscreen mode asked for, or windowed when the user accepts that
// instead; false when the program is to close.
bool EnterDisplayMode(int width, int height, int bits, bool& fullscreen, const char16_t* caption)
{
    if (!fullscreen)
    {
        return true;
    }
    DEVMODEW mode{};
    mode.dmSize = sizeof(DEVMODEW);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL)
    {
        return true;
    }
    if (MessageBoxW(nullptr,
                    u"The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use "
                    u"Windowed Mode Instead?",
                    Caption(caption, u"Pelorin GL"), MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
    {
        fullscreen = false;
        return true;
    }
    MessageBoxW(nullptr, u"Program Will Now Close.", Caption(caption, u"ERROR"),
                MB_OK | MB_ICONSTOP);
    return false;
}

// A window whose client area is width x height: a bordered one, or a popup
// without a cursor for fullscreen.
HWND OpenWindow(HINSTANCE instance, const char16_t* title, int width, int height, bool fullscreen)
{
    RECT rect{0, 0, width, height};
    DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    DWORD style = WS_OVERLAPPEDWINDOW;
    if (fullscreen)
    {
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
        ShowCursor(FALSE);
    }
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return CreateWindowExW(
        exStyle, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
        static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top), nullptr,
        nullptr, instance, nullptr);
}

void ShutdownError(const char16_t* text, const char16_t* caption)
{
    MessageBoxW(nullptr, text, Caption(caption, u"SHUTDOWN ERROR"), MB_OK | MB_ICONINFORMATION);
}

// One descriptor for the process, filled at the first creation.
PIXELFORMATDESCRIPTOR& Descriptor(std::int32_t bits)
{
    static bool filled = false;
    static PIXELFORMATDESCRIPTOR pfd{};
    if (!filled)
    {
        pfd.nSize = 40;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = static_cast<std::uint8_t>(bits);
        pfd.cDepthBits = 16;
        pfd.iLayerType = PFD_MAIN_PLANE;
        filled = true;
    }
    return pfd;
}

} // namespace

bool HasWholeWord(const char* extensions, const char* name)
{
    if (extensions == nullptr || name == nullptr || *name == '\0')
    {
        return false;
    }
    const std::size_t length = std::strlen(name);
    const char* start = extensions;
    while (const char* hit = std::strstr(start, name))
    {
        const bool begins = hit == extensions || hit[-1] == ' ';
        const char after = hit[length];
        if (begins && (after == ' ' || after == '\0'))
        {
            return true;
        }
        start = hit + 1;
    }
    return false;
}

cWindowsSystem::cWindowsSystem()
    : deviceContext(nullptr), renderingContext(nullptr), window(nullptr), instance(nullptr), keys{},
      active(true), fullscreen(true), farPlane(10000.0f), nearPlane(1.0f), width(800), height(600),
      bits(32), title(u"Do a object.SetTitle(char *name)"), showSetupDialog(true),
      loadingPending(true), multisampleFound(false), multisampleFormat(0), antiAliasing(true),
      boxCaption(nullptr), pressed{}
{
}

cWindowsSystem::~cWindowsSystem() = default;

void cWindowsSystem::Release() {}

bool cWindowsSystem::Start()
{
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    return true;
}

bool cWindowsSystem::DrawLoading()
{
    // Run presents loading frames until the flag clears; a window system
    // without a loading frame of its own must not spin there forever.
    loadingPending = false;
    return true;
}

bool cWindowsSystem::Update()
{
    return true;
}

bool cWindowsSystem::Draw()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    return true;
}

bool cWindowsSystem::IsFinished()
{
    return false;
}

int cWindowsSystem::SetupDialog()
{
    const SetupChoices choices = setupDialog.Show(instance);
    return ApplySetupChoices(choices, width, height, fullscreen, antiAliasing);
}

void cWindowsSystem::SetMessageTarget(cWindowsSystem* target)
{
    Target() = target;
}

bool cWindowsSystem::FailDisplay(const char16_t* text)
{
    DestroyDisplay();
    MessageBoxW(nullptr, text, Caption(boxCaption, u"ERROR"), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool cWindowsSystem::CreateDisplay()
{
    instance = GetModuleHandleW(nullptr);
    if (!RegisterWindowClass(instance, boxCaption) ||
        !EnterDisplayMode(width, height, bits, fullscreen, boxCaption))
    {
        return false;
    }
    window = OpenWindow(instance, title, width, height, fullscreen);
    if (window == nullptr)
    {
        return FailDisplay(u"Window Creation Error.");
    }
    deviceContext = GetDC(window);
    if (deviceContext == nullptr)
    {
        return FailDisplay(u"Can't Create A GL Device Context.");
    }
    PIXELFORMATDESCRIPTOR& pfd = Descriptor(bits);
    // A format found earlier is kept for when anti-aliasing is wanted again;
    // "No AA" chosen since then takes the plain format.
    const bool multisample = multisampleFound && antiAliasing;
    int format = multisample ? multisampleFormat : ChoosePixelFormat(deviceContext, &pfd);
    if (format == 0)
    {
        return FailDisplay(u"Can't Find A Suitable PixelFormat.");
    }
    if (!SetPixelFormat(deviceContext, format, &pfd))
    {
        return FailDisplay(u"Can't Set The PixelFormat.");
    }
    renderingContext = wglCreateContext(deviceContext);
    if (renderingContext == nullptr)
    {
        return FailDisplay(u"Can't Create A GL Rendering Context.");
    }
    if (!wglMakeCurrent(deviceContext, renderingContext))
    {
        return FailDisplay(u"Can't Activate The GL Rendering Context.");
    }

    // Anti-aliasing switched off skips the probe, so the setting means what
    // it says.
    if (!multisampleFound && antiAliasing && ProbeMultisample())
    {
        DestroyDisplay();
        return CreateDisplay();
    }

    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetFocus(window);
    Resize();
    return true;
}

void cWindowsSystem::DestroyDisplay()
{
    Release();
    if (fullscreen)
    {
        ChangeDisplaySettingsW(nullptr, 0);
        ShowCursor(TRUE);
    }
    if (renderingContext != nullptr)
    {
        if (!wglMakeCurrent(nullptr, nullptr))
        {
            ShutdownError(u"Release Of DC And RC Failed.", boxCaption);
        }
        if (!wglDeleteContext(renderingContext))
        {
            ShutdownError(u"Release Rendering Context Failed.", boxCaption);
        }
        renderingContext = nullptr;
    }
    if (deviceContext != nullptr)
    {
        if (ReleaseDC(window, deviceContext) == 0)
        {
            ShutdownError(u"Release Device Context Failed.", boxCaption);
        }
        deviceContext = nullptr;
    }
    if (window != nullptr)
    {
        if (!DestroyWindow(window))
        {
            ShutdownError(u"Could Not Release m_hWnd.", boxCaption);
        }
        window = nullptr;
    }
    if (!UnregisterClassW(kClassName, instance))
    {
        ShutdownError(u"Could Not Unregister Class.", boxCaption);
        instance = nullptr;
    }
}

void cWindowsSystem::Resize()
{
    if (height == 0)
    {
        height = 1;
    }
    // WM_SIZE can arrive while the window is being made, before any context.
    if (CurrentGLVersion() == 0)
    {
        return;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), nearPlane,
                   farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool cWindowsSystem::HasWglExtension(const char* name)
{
    const char* extensions = nullptr;
    auto getExtensions = reinterpret_cast<PFNWGLGETEXTENSIONSSTRINGARBPROC>(
        wglGetProcAddress("wglGetExtensionsStringARB"));
    if (getExtensions != nullptr)
    {
        extensions = getExtensions(wglGetCurrentDC());
    }
    if (extensions == nullptr && CurrentGLVersion() != 0)
    {
        extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    }
    if (extensions == nullptr)
    {
        return false;
    }
    return HasWholeWord(extensions, name);
}

bool cWindowsSystem::ProbeMultisample()
{
    if (!HasWglExtension("WGL_ARB_multisample"))
    {
        multisampleFound = false;
        return false;
    }
    auto choose = reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(
        wglGetProcAddress("wglChoosePixelFormatARB"));
    if (choose == nullptr)
    {
        multisampleFound = false;
        return false;
    }
    for (int samples : {4, 2})
    {
        const int attributes[] = {WGL_DRAW_TO_WINDOW_ARB,
                                  TRUE,
                                  WGL_SUPPORT_OPENGL_ARB,
                                  TRUE,
                                  WGL_ACCELERATION_ARB,
                                  WGL_FULL_ACCELERATION_ARB,
                                  WGL_COLOR_BITS_ARB,
                                  24,
                                  WGL_ALPHA_BITS_ARB,
                                  8,
                                  WGL_DEPTH_BITS_ARB,
                                  16,
                                  WGL_STENCIL_BITS_ARB,
                                  0,
                                  WGL_DOUBLE_BUFFER_ARB,
                                  TRUE,
                                  WGL_SAMPLE_BUFFERS_ARB,
                                  TRUE,
                                  WGL_SAMPLES_ARB,
                                  samples,
                                  0,
                                  0};
        const float floatAttributes[] = {0.0f, 0.0f};
        int format = 0;
        UINT count = 0;
        if (choose(deviceContext, attributes, floatAttributes, 1, &format, &count) && count >= 1)
        {
            multisampleFound = true;
            multisampleFormat = format;
            return true;
        }
    }
    return false;
}

LRESULT cWindowsSystem::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        width = LOWORD(static_cast<std::uintptr_t>(lParam));
        height = HIWORD(static_cast<std::uintptr_t>(lParam));
        Resize();
        return 0;
    case WM_ACTIVATE:
        SetActive(HIWORD(wParam) == 0);
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        SetKey(static_cast<int>(wParam), true);
        return 0;
    case WM_KEYUP:
        SetKey(static_cast<int>(wParam), false);
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)
        {
            return 0;
        }
        break;
    case WM_NCMOUSEMOVE:
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool cWindowsSystem::TakeKeyPress(int key)
{
    if (key < 0 || key >= 256)
    {
        return false;
    }
    const bool taken = keys[key] || pressed[key];
    pressed[key] = false;
    return taken;
}

bool cWindowsSystem::CloseAsked()
{
    MSG message{};
    return PeekMessageW(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) ||
           PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
}

int cWindowsSystem::MainLoop()
{
    MSG message{};
    bool done = false;
    int result = 0;
    while (!done)
    {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            result = static_cast<int>(message.wParam);
            if (message.message == WM_QUIT)
            {
                done = true;
            }
            else
            {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            continue;
        }
        if (active)
        {
            if (TakeKeyPress(VK_ESCAPE))
            {
                done = true;
            }
            else
            {
                Update();
                cTimerSystem::Instance().Tick();
                if (!Draw())
                {
                    done = true;
                }
                SwapBuffers(deviceContext);
            }
        }
        if (TakeKeyPress(VK_F1))
        {
            keys[VK_F1] = false;
            DestroyDisplay();
            fullscreen = !fullscreen;
            if (!CreateDisplay())
            {
                return 0;
            }
        }
    }
    return result;
}

int cWindowsSystem::Run()
{
    if (!CreateDisplay())
    {
        return 0;
    }
    if (showSetupDialog)
    {
        if (SetupDialog() == 1)
        {
            return 0;
        }
        DestroyDisplay();
        if (!CreateDisplay())
        {
            return 0;
        }
    }
    while (loadingPending)
    {
        DrawLoading();
        SwapBuffers(deviceContext);
        // A loading frame that keeps its flag must still let the window's
        // close (or a signal, which arrives as one) end the program.
        if (loadingPending && CloseAsked())
        {
            DestroyDisplay();
            return 0;
        }
    }
    Start();
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    MainLoop();
    DestroyDisplay();
    return 0;
}

} // namespace MivexGL
