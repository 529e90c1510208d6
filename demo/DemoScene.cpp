// The director's loading sequence and its per-frame forwarding.
#include "demo/DemoScene.h"

#include "app/DebugSystem.h"
#include "app/TimerSystem.h"
#include "platform/GL.h"

namespace MivexGL
{

cDemoScene::cDemoScene() = default;

cDemoScene::~cDemoScene() = default;

int cDemoScene::Init()
{
    resources.Init();
    resources.Load();
    cDebugSystem::Instance().Write("cDemoScene", "Dette er ifra Init(void)");
    intro.SetData(&resources);
    intro.Init();
    intro.SetStartTime("0:00.0");
    intro.SetEndTime("2:10.0");
    intro.SetDisabled(false);
    // The timer's zero and the first note of the music are one moment: no
    // other work may come between these two.
    cTimerSystem::Instance().Reset();
    resources.GetMusic().Play();
    return 0;
}

void cDemoScene::Rewind()
{
    cSceneSystem::Rewind();
    intro.Rewind();
}

void cDemoScene::Update()
{
    resources.GetMusic().FetchSpectrum();
    intro.UpdateIfActive();
}

void cDemoScene::Draw()
{
    // A drawing intro clears the window itself after its off-screen pass,
    // so clearing here too would only be overwritten.
    if (!intro.WillDraw())
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glLoadIdentity();
    intro.DrawIfActive();
    glLoadIdentity();
    cDebugSystem::Instance().Write("cDemoScene()", time.elapsed);
}

} // namespace MivexGL
