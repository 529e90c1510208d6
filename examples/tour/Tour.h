// The tour: a 30-second production in two scenes on the engine's director,
// which declares them once with their windows and the sync track the second
// reads, and hands both the music's spectrum. The build copies data/ and
// tracks/ into tour-data/ beside the programs and names tracks/ as
// TOUR_TRACKS, where a sync editor's saves go under --dev.
#pragma once

#include "PictureScene.h"
#include "SwarmScene.h"

#include <MivexGL/production/Production.h>

#ifndef TOUR_TRACKS
#define TOUR_TRACKS ""
#endif

inline const MivexGL::cProductionInfo kTour{
    "tour", "MivexGL tour", 30000, "tour-data", "tour-data/music.mp3",
    0.1f,   100.0f,         true,  TOUR_TRACKS};

class cTour : public MivexGL::cDirector
{
public:
    cTour()
    {
        // The music's 120 BPM at 8 rows a beat: 16 rows a second.
        UseSync("tour-data/sync", 120.0, 8.0);
        Add("picture", "0:00", "0:14.999", picture);
        Add("swarm", "0:15", "0:29.999", swarm).Track("swarm:angle", swarm.angle);
    }

private:
    cPictureScene picture{Bands()};
    cSwarmScene swarm{Bands()};
};
