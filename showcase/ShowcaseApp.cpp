// The showcase application's hooks.
#include "ShowcaseApp.h"

#include "app/TimerSystem.h"
#include "platform/GL.h"
#include "platform/GLProc.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <cstdlib>

namespace showcase
{

namespace
{

constexpr std::int64_t kSeekRate = 60;

std::int32_t SeekFrameTime(std::int64_t k)
{
    return static_cast<std::int32_t>((k * 1000 * 2 + kSeekRate) / (2 * kSeekRate));
}

} // namespace

cShowcaseApp::cShowcaseApp() = default;

cShowcaseApp::~cShowcaseApp() = default;

bool cShowcaseApp::DrawLoading()
{
    if (platform::CurrentGLVersion() < 21)
    {
        platform::MessageBoxA(window, "The showcase needs OpenGL 2.1.", "OpenGL 2.1 not supported",
                              platform::MB_OK);
        std::exit(1);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loadingPending = false;
    return true;
}

bool cShowcaseApp::Start()
{
    director.Init();
    director.SetStartTime(cShowcaseScene::kGardenStart);
    director.SetEndTime(cShowcaseScene::kEnd);
    if (startAt > 0)
    {
        SeekTo(startAt);
    }
    return true;
}

void cShowcaseApp::SeekTo(std::int32_t ms)
{
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    ms = std::max<std::int32_t>(ms, 0);
    // Seeks start from the top: the parts' clocks and particles are only
    // reproducible from their first frame.
    director.Rewind();
    timer.Step(0);
    std::int32_t at = 0;
    std::int64_t k = 1;
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
    else
    {
        music.Resume();
    }
}

bool cShowcaseApp::Update()
{
    director.UpdateIfActive();
    return false;
}

bool cShowcaseApp::Draw()
{
    director.DrawIfActive();
    return !director.IsFinished();
}

bool cShowcaseApp::IsFinished()
{
    return director.IsFinished();
}

void cShowcaseApp::Configure(std::int32_t windowWidth, std::int32_t windowHeight, bool inFullscreen)
{
    SetAntiAliasing(false);
    SetSetupDialog(false);
    SetFullscreen(inFullscreen);
    SetTitle(u"MivexGL showcase");
    SetSize(windowWidth, windowHeight);
    SetPlanes(0.1f, 1000.0f);
    SetBits(32);
}

} // namespace showcase
