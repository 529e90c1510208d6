// The application's hooks: the loading frame with its OpenGL 2.1 check, the
// start, and the per-frame calls into the director.
#include "app/Tarnel.h"

#include "app/TimerSystem.h"
#include "platform/Display.h"
#include "platform/GL.h"
#include "platform/GLProc.h"
#include "platform/MessageBox.h"
#include "render/Quad.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

// Seeks replay the frames a 60 per second run would have had, so the flash
// and the scene clocks hold what that run shows at the same time.
constexpr std::int64_t kSeekRate = 60;
constexpr std::int32_t kDevStep = 5000;
constexpr int kDevKeys[4] = {platform::VK_SPACE, platform::VK_LEFT, platform::VK_RIGHT,
                             platform::VK_HOME};

std::int32_t SeekFrameTime(std::int64_t k)
{
    return static_cast<std::int32_t>((k * 1000 * 2 + kSeekRate) / (2 * kSeekRate));
}

} // namespace

Tarnel::Tarnel() = default;

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
        SeekTo(startAt);
    }
    return true;
}

std::int32_t Tarnel::DirectorNow() const
{
    if (!director.HasStarted())
    {
        return 0;
    }
    const std::uint32_t now =
        static_cast<std::uint32_t>(MivexGL::cTimerSystem::Instance().GetTime());
    return static_cast<std::int32_t>(now - static_cast<std::uint32_t>(director.GetBase()));
}

void Tarnel::SeekTo(std::int32_t ms)
{
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    ms = std::max<std::int32_t>(ms, 0);
    std::int32_t at = DirectorNow();
    if (!director.HasStarted() || ms < at)
    {
        director.Rewind();
        // The first frame after a reset sees no frame time.
        timer.Step(0);
        at = 0;
    }
    std::int64_t k = 0;
    while (SeekFrameTime(k) <= at)
    {
        ++k;
    }
    // Every frame before ms is updated, none drawn; the frame at ms is left
    // to the frame loop's own update.
    while (at < ms)
    {
        director.UpdateIfActive();
        const std::int32_t next = std::min(SeekFrameTime(k++), ms);
        timer.Step(next - at);
        at = next;
    }
    if (!timer.IsHeld())
    {
        timer.Rejoin();
    }
    MivexGL::cMusicSystem& music = director.GetResources().GetMusic();
    // Past the music's end there is nothing to hear, as in a plain run.
    if (!music.Seek(ms))
    {
        music.Pause();
    }
    else if (!paused)
    {
        music.Resume();
    }
}

platform::LRESULT Tarnel::WindowProc(platform::HWND handle, platform::UINT message,
                                     platform::WPARAM wParam, platform::LPARAM lParam)
{
    if (devMode && message == platform::WM_KEYDOWN)
    {
        for (int i = 0; i < 4; ++i)
        {
            if (static_cast<int>(wParam) == kDevKeys[i])
            {
                ++pendingPresses[i];
            }
        }
    }
    return cWindowsSystem::WindowProc(handle, message, wParam, lParam);
}

void Tarnel::HandleDevKeys()
{
    int presses[4];
    for (int i = 0; i < 4; ++i)
    {
        presses[i] = pendingPresses[i];
        pendingPresses[i] = 0;
    }
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    MivexGL::cMusicSystem& music = director.GetResources().GetMusic();
    // Two presses of Space between frames cancel out.
    if (presses[0] % 2 == 1)
    {
        paused = !paused;
        timer.Hold(paused);
        if (paused)
        {
            music.Pause();
        }
        else
        {
            music.Resume();
        }
    }
    const std::int32_t steps = presses[2] - presses[1];
    if (presses[3] > 0)
    {
        SeekTo(steps * kDevStep);
    }
    else if (steps != 0)
    {
        SeekTo(DirectorNow() + steps * kDevStep);
    }
}

void Tarnel::ShowTimeInTitle()
{
    const std::int32_t ms = director.GetElapsed();
    const std::int32_t tenths = ms / 100;
    // Paused or not is part of what the title shows.
    const std::int32_t shown = tenths * 2 + (paused ? 1 : 0);
    if (shown == titleShown || window == nullptr)
    {
        return;
    }
    titleShown = shown;
    char text[48];
    std::snprintf(text, sizeof text, " [%d:%02d.%d%s]", static_cast<int>(ms / 60000),
                  static_cast<int>(ms / 1000 % 60), static_cast<int>(tenths % 10),
                  paused ? " paused" : "");
    std::u16string caption = title;
    for (const char* c = text; *c != '\0'; ++c)
    {
        caption.push_back(static_cast<char16_t>(*c));
    }
    platform::SetWindowTextW(window, caption.c_str());
}

bool Tarnel::Update()
{
    if (devMode)
    {
        HandleDevKeys();
    }
    director.UpdateIfActive();
    if (devMode)
    {
        ShowTimeInTitle();
    }
    return false;
}

bool Tarnel::Draw()
{
    director.DrawIfActive();
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
