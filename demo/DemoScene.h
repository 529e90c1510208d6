// The demo director: owns the resource set and the intro, loads everything
// in Init, starts the clock and the music together, and each frame forwards
// update and drawing to the intro while the intro's window is open. Its own
// window (set by the application) decides when the demo ends. Depends on the
// scene framework, demo/Resources.h, demo/SollanScene.h and the timer and log.
#pragma once

#include "demo/Resources.h"
#include "demo/SceneSystem.h"
#include "demo/SollanScene.h"

namespace MivexGL
{

class cDemoScene : public cSceneSystem
{
public:
    cDemoScene();
    ~cDemoScene() override;

    int Init() override;
    void Update() override;
    void Draw() override;
    // The director and the intro both go back to their first frame.
    void Rewind() override;

    cResources& GetResources() { return resources; }
    cSollanScene& GetIntro() { return intro; }

private:
    cResources resources;
    cSollanScene intro;
};

} // namespace MivexGL
