// The tour: a 30-second production in two scenes on the engine's director,
// which declares them once with their windows, and draws both through the
// post-effect chain: sharp at the picture's plane, softer in front of it and
// behind, the bright parts glowing. The build copies data/ and tracks/ into
// tour-data/ beside the programs, the data folder the loaders and the sync
// tracks look in, and names tracks/ as the folder where --dev saves the keys.
#pragma once

#include "PictureScene.h"
#include "SwarmScene.h"

#include <MivexGL/effects/PostEffects.h>
#include <MivexGL/production/Production.h>

inline const MivexGL::cProductionInfo kTour{
    "tour", "MivexGL tour", 30000, "tour-data", "tour-data/music.mp3", 0.1f, 100.0f};

class cTour : public MivexGL::cDirector
{
public:
    cTour()
    {
        // The music's 120 BPM at 8 rows a beat: 16 rows a second.
        UseSync("sync", 120.0, 8.0);
        Add("picture", "0:00", "0:15", picture);
        Add("swarm", "0:15", "0:30", swarm);
    }

    void Draw() override
    {
        post.DrawScene(0.0f, 0.0f, 0.0f, [this] { DrawScenes(); });
        post.DepthOfField(cPictureScene::kDistance, 5.0f, kTour.nearPlane, kTour.farPlane);
        post.Bloom(0.6f, 3.0f);
        post.Present(0.8f);
    }

private:
    cPictureScene picture;
    cSwarmScene swarm;
    MivexGL::cPostEffects post;
};
