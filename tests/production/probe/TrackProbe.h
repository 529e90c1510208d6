// The track editor's test production: a director with sync tracks
// "probe:level" and "probe:other" (files sync_*.track in the working folder,
// 120 BPM at 8 rows a beat) over one scene that paints probe:level as a grey
// level, so a shot or a captured frame shows the value the track plays.
#pragma once

#include "platform/GL.h"
#include "production/Director.h"
#include "production/Production.h"

#include <algorithm>

namespace trackprobe
{

class cGreyScene : public MivexGL::cSceneSystem
{
public:
    void Draw() override
    {
        const float grey = std::clamp(level.Value(), 0.0f, 1.0f);
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    MivexGL::cSyncSystem::cHandle level;
};

class cTrackProbe : public MivexGL::cDirector
{
public:
    cTrackProbe()
    {
        UseSync("sync", 120.0, 8.0);
        Add("grey", "0:00", "0:59.999", grey).Track("probe:level", grey.level).Track("probe:other");
    }

private:
    cGreyScene grey;
};

inline const MivexGL::cProductionInfo kInfo{"mivex-track-probe", "MivexGL track probe", 60000, "."};

} // namespace trackprobe
