// The application: shows the loading picture while the loading tune loops,
// hands loading to the demo director, then lets the director advance and
// draw each frame until its timeline runs out. The hooks themselves (the
// OpenGL 2.1 check, Update, Draw, IsFinished, the window and --from, --dev)
// are the production framework's; what is the demo's own is its loading
// frame, its director and how its clock starts. Depends on
// production/Production.h, app/Sollan.h, demo/DemoScene.h,
// demo/MusicSystem.h and the texture and font of render/.
#pragma once

#include "app/Sollan.h"
#include "demo/DemoScene.h"
#include "demo/MusicSystem.h"
#include "production/Production.h"
#include "render/FontSystem.h"
#include "render/TextureSystem.h"

#include <cstdint>
#include <vector>

class Tarnel : public MivexGL::cProduction
{
public:
    Tarnel();
    ~Tarnel() override;

    void Release() override;
    bool Start() override;

    MivexGL::cDemoScene& GetDirector() { return director; }
    MivexGL::cMusicSystem& GetLoadingMusic() { return loadingMusic; }
    const MivexGL::cTextureSystem& GetLoadingPicture() const { return loadingPicture; }

protected:
    MivexGL::cSceneSystem& DirectorScene() override { return director; }
    MivexGL::cMusicSystem& Music() override;
    std::vector<MivexGL::cNamedScene> Scenes() override;
    void DrawLoadingFrame() override;
    // The director's Init has reset the timer and started the music.
    void StartClock() override {}
    const float* OverlayBands(std::int32_t ms, int& count) override;

private:
    MivexGL::cMusicSystem loadingMusic;
    MivexGL::cFontSystem font;
    MivexGL::cTextureSystem loadingPicture;
    MivexGL::cDemoScene director;
};
