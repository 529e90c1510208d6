// The showcase's director: declares its three parts with their windows,
// owns the resources and the image passes, loads them before the parts
// (the production then starts the clock and the music together), and each
// frame draws the open part into the scene target and runs the passes its
// time calls for before presenting. Its window ("0:00.0" to "1:00.0", set
// by the production) decides when the showcase ends. Builds on the engine's
// director (production/Director.h), the sync tracks and the showcase's parts.
#pragma once

#include "CreditsScene.h"
#include "CrystalScene.h"
#include "FrameSteps.h"
#include "GardenScene.h"
#include "ShowcaseResources.h"
#include <MivexGL/sync/SyncSystem.h>
#include <MivexGL/effects/PostEffects.h>
#include <MivexGL/production/Director.h>

namespace showcase
{

class cShowcaseScene : public MivexGL::cDirector
{
public:
    // The parts' windows, as minutes:seconds.
    static constexpr const char* kGardenStart = "0:00.0";
    static constexpr const char* kGardenEnd = "0:19.999";
    static constexpr const char* kCrystalStart = "0:20.0";
    static constexpr const char* kCrystalEnd = "0:39.999";
    static constexpr const char* kCreditsStart = "0:40.0";
    static constexpr const char* kCreditsEnd = "0:59.999";
    static constexpr const char* kEnd = "1:00.0";

    cShowcaseScene();
    ~cShowcaseScene() override;

    int Init() override;
    void Draw() override;
    void Rewind() override;

    // How strongly the cut at 20 s or 40 s twirls the picture at ms (0 away
    // from the cuts, 2 radians at them), from the track post:twirl.
    static float TwirlAt(std::int32_t ms);
    // The wipe's edge at ms, from the track post:wipe: the picture is
    // revealed from the top in the first 1.5 s and covered from the bottom
    // in the last 2 s; below -0.02 (the rest of the time) there is no wipe.
    static float WipeAt(std::int32_t ms);

    cShowcaseResources& GetResources() { return resources; }
    cFrameSteps& GetSteps() { return steps; }
    MivexGL::cPostEffects& GetPostEffects() { return post; }
    cGardenScene& GetGarden() { return garden; }
    cCrystalScene& GetCrystal() { return crystal; }
    cCreditsScene& GetCredits() { return credits; }

protected:
    void Load() override;

private:
    // The GL state every step starts from and leaves behind.
    static void ApplyState();
    // F1 makes a new context: it shares textures and programs with the old
    // one, but framebuffer objects do not come along and the state is the
    // default one.
    void RestoreAfterContextChange();

    cShowcaseResources resources;
    cFrameSteps steps;
    MivexGL::cPostEffects post;
    cGardenScene garden;
    cCrystalScene crystal;
    cCreditsScene credits;
    MivexGL::cSyncSystem::cHandle bloomLevel;
    MivexGL::cSyncSystem::cHandle radialBlur;
};

} // namespace showcase
