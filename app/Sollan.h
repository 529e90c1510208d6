// The demo's description, written once: its entry, its application class,
// its capture and the data generator's pictures all read the name, title and
// length from here. Depends on production/ProductionInfo.h only.
#pragma once

#include "production/ProductionInfo.h"

// The director plays its own music from its resource set, so the framework
// plays and analyses none; the director's window is the whole five minutes.
// A missing data folder plays on with empty objects, and the boxes keep
// their own captions, as released.
inline constexpr MivexGL::cProductionInfo kSollan{"sollan",
                                                  "Nerovia - Sollan 2010",
                                                  300000,
                                                  "data",
                                                  "",
                                                  0.1f,
                                                  10000.0f,
                                                  false,
                                                  "",
                                                  "OpenGL 2.1 not supported.. lol",
                                                  "OpenGL 2.1 not supported",
                                                  false,
                                                  false};
