// The application's hooks: the loading frame with its OpenGL 2.1 check, the
// start, and the per-frame calls into the director.
#include "app/Tarnel.h"

#include "platform/GL.h"
#include "platform/GLProc.h"
#include "platform/MessageBox.h"
#include "render/Quad.h"

#include <cstdlib>

namespace
{

// The director's own window: five minutes.
constexpr std::int32_t kDemoLength = 300000;
constexpr int kSpectrumBands = 256;

} // namespace

Tarnel::Tarnel()
{
    // The demo's seeks go on from where the director is: its state is the
    // intro's clock and the flash, the same however it got there.
    control.Bind(director, director.GetResources().GetMusic(), kDemoLength, false);
    control.SetScenes({{"intro", &director.GetIntro()}});
}

Tarnel::~Tarnel() = default;

void Tarnel::Release() {}

bool Tarnel::DrawLoading()
{
    if (platform::CurrentGLVersion() < 21)
    {
        platform::MessageBoxA(window, "OpenGL 2.1 not supported.. lol", "OpenGL 2.1 not supported",
                              platform::MB_OK);
        std::exit(1);
    }
    control.BeforeLoading();
    loadingMusic.SetFile("data/General/loading.mp3");
    loadingMusic.Init(nullptr);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    loadingPicture.LoadTexture("data/General/loading.jpg");
    loadingPicture.Bind();
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -4.0f);
    glScalef(3.08f, 2.08f, 0.0f);
    MivexGL::DrawQuad();
    loadingPicture.Unbind();

    loadingMusic.SetLoop(true);
    loadingMusic.Play();
    loadingPending = false;
    return true;
}

bool Tarnel::Start()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    director.Init();
    director.SetStartTime("0:00.0");
    director.SetEndTime("5:00.0");
    loadingMusic.Stop();
    if (startAt > 0)
    {
        control.SeekTo(startAt);
    }
    return true;
}

platform::LRESULT Tarnel::WindowProc(platform::HWND handle, platform::UINT message,
                                     platform::WPARAM wParam, platform::LPARAM lParam)
{
    control.OnMessage(message, wParam);
    return cWindowsSystem::WindowProc(handle, message, wParam, lParam);
}

bool Tarnel::Update()
{
    control.BeginUpdate(window);
    director.UpdateIfActive();
    control.EndUpdate(window, title);
    return false;
}

bool Tarnel::Draw()
{
    control.BeginDraw();
    director.DrawIfActive();
    control.EndDraw(director.GetResources().GetMusic().GetSpectrum(), kSpectrumBands);
    return !director.IsFinished();
}

bool Tarnel::IsFinished()
{
    return director.IsFinished();
}

void Tarnel::Configure(std::int32_t windowWidth, std::int32_t windowHeight, bool inFullscreen)
{
    SetAntiAliasing(false);
    SetSetupDialog(false);
    SetFullscreen(inFullscreen);
    SetTitle(u"Nerovia - Sollan 2010");
    SetSize(windowWidth, windowHeight);
    SetPlanes(0.1f, 10000.0f);
    SetBits(32);
}
