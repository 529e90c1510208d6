// The application: a window system that shows the loading picture while the
// loading tune loops, hands loading to the demo director, then lets the
// director advance and draw each frame until its timeline runs out. Depends
// on app/WindowsSystem.h, demo/DemoScene.h, demo/MusicSystem.h, the
// texture, font and quad helpers of render/ and production/ for --from and
// --dev.
#pragma once

#include "app/WindowsSystem.h"

#include "demo/DemoScene.h"
#include "demo/MusicSystem.h"
#include "production/ProductionControl.h"
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
    platform::LRESULT WindowProc(platform::HWND handle, platform::UINT message,
                                 platform::WPARAM wParam, platform::LPARAM lParam) override;

    // The demo's configuration, as the entry sets it: no setup dialog, no
    // anti-aliasing, the title, near 0.1, far 10000, 32 bits, at this size.
    void Configure(std::int32_t windowWidth, std::int32_t windowHeight, bool inFullscreen);

    // Development options; a plain run sets none. The director starts at
    // this time instead of 0.
    void SetStartAt(std::int32_t ms) { startAt = ms; }
    // Space pauses and resumes, Left and Right move 5 s, Home goes to 0, and
    // the title shows the director's time.
    // F2 hides and shows the development overlay; live reload runs.
    void SetDevMode(bool on) { control.SetDevMode(on); }
    // Brings the director, the intro and the music to ms, as frames at 60
    // per second from 0 would have left them: forward from where the
    // director is, or from 0 when going back. Nothing is drawn.
    void SeekTo(std::int32_t ms) { control.SeekTo(ms); }
    bool IsPaused() const { return control.IsPaused(); }
    MivexGL::cProductionControl& GetControl() { return control; }

    MivexGL::cDemoScene& GetDirector() { return director; }
    MivexGL::cMusicSystem& GetLoadingMusic() { return loadingMusic; }
    const MivexGL::cTextureSystem& GetLoadingPicture() const { return loadingPicture; }

private:
    MivexGL::cMusicSystem loadingMusic;
    MivexGL::cFontSystem font;
    MivexGL::cTextureSystem loadingPicture;
    MivexGL::cDemoScene director;
    std::int32_t startAt = 0;
    // Seek, pause, the development keys and the overlay; a plain run only
    // passes through it.
    MivexGL::cProductionControl control;
};
