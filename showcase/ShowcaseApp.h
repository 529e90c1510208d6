// The showcase as a production: its description and its director; the
// framework (production/Production.h) does the rest.
#pragma once

#include "ShowcaseScene.h"
#include "ShowcaseSync.h"
#include <MivexGL/production/Production.h>

namespace showcase
{

inline const MivexGL::cProductionInfo kShowcase{"mivex-showcase",
                                                "MivexGL showcase",
                                                MivexGL::ParseTime(cShowcaseScene::kEnd),
                                                "showcase-data",
                                                "showcase-data/music.mp3",
                                                0.1f,
                                                1000.0f,
                                                true,
                                                tracks::kSourceFolder};

class cShowcaseApp : public MivexGL::cProductionOf<cShowcaseScene>
{
public:
    cShowcaseApp() : cProductionOf(kShowcase) {}
};

} // namespace showcase
