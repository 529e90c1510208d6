// The application: a window system that shows the loading picture while the
// loading tune loops, hands loading to the demo director, then lets the
// director advance and draw each frame until its timeline runs out. Depends
// on app/WindowsSystem.h, demo/DemoScene.h, demo/MusicSystem.h and the
// texture, font and quad helpers of render/.
#pragma once

#include "app/WindowsSystem.h"

#include "demo/DemoScene.h"
#include "demo/MusicSystem.h"
#include "render/FontSystem.h"
#include "render/TextureSystem.h"

#include <cstdint>

class Tarnel : public MivexGL::cWindowsSystem
{
public:
    Tarnel();
    ~Tarnel() override;

    void Release() override;
    bool Start() override;
    bool DrawLoading() override;
    bool Update() override;
    bool Draw() override;
    bool IsFinished() override;

    // The demo's configuration, as the entry sets it: no setup dialog, no
    // anti-aliasing, the title, near 0.1, far 10000, 32 bits, at this size.
    void Configure(std::int32_t windowWidth, std::int32_t windowHeight, bool inFullscreen);

    MivexGL::cDemoScene& GetDirector() { return director; }
    MivexGL::cMusicSystem& GetLoadingMusic() { return loadingMusic; }
    const MivexGL::cTextureSystem& GetLoadingPicture() const { return loadingPicture; }

private:
    MivexGL::cMusicSystem loadingMusic;
    MivexGL::cFontSystem font;
    MivexGL::cTextureSystem loadingPicture;
    MivexGL::cDemoScene director;
};
