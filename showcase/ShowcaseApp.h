// The showcase's application: a window system whose loading frame is a
// plain dark screen, which hands loading to the showcase's director, then
// lets it advance and draw each frame until its timeline runs out. It can
// start at any time of the timeline, replaying the updates a 60 frames per
// second run would have had, so the picture is the one a plain run shows.
// Depends on app/WindowsSystem.h and the showcase's director.
#pragma once

#include "ShowcaseScene.h"
#include "app/WindowsSystem.h"

#include <cstdint>

namespace showcase
{

class cShowcaseApp : public MivexGL::cWindowsSystem
{
public:
    cShowcaseApp();
    ~cShowcaseApp() override;

    bool DrawLoading() override;
    bool Start() override;
    bool Update() override;
    bool Draw() override;
    bool IsFinished() override;

    // No setup dialog, no anti-aliasing, the title, near 0.1, far 1000,
    // 32 bits, at this size.
    void Configure(std::int32_t windowWidth, std::int32_t windowHeight, bool inFullscreen);
    // The director starts at this time instead of 0.
    void SetStartAt(std::int32_t ms) { startAt = ms; }
    // Brings the director, its parts and the music to ms, as frames at 60
    // per second from 0 would have left them. Nothing is drawn.
    void SeekTo(std::int32_t ms);

    cShowcaseScene& GetDirector() { return director; }

private:
    cShowcaseScene director;
    std::int32_t startAt = 0;
};

} // namespace showcase
