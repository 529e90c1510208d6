// A director's scene: a cSceneSystem that reads what its director keeps for
// every scene, the music's spectrum (Bands()) and the sync tracks
// (Track("name")), with no constructor or member plumbing. The director
// that declares it with Add is its owner; until then the spectrum is
// silence. Builds on demo/SceneSystem.h, sync/SyncSystem.h and
// production/SoundBands.h.
#pragma once

#include "demo/SceneSystem.h"
#include "production/SoundBands.h"
#include "sync/SyncSystem.h"

#include <string>

namespace MivexGL
{

class cScene : public cSceneSystem
{
public:
    // The owning director's spectrum at the time of its latest update.
    const cSoundBands& Bands() const;
    // The named sync track's value at the current sync time.
    float Track(const std::string& name) const;

    // Set by the director that declares the scene.
    void SetBands(const cSoundBands* spectrum) { bands = spectrum; }

private:
    const cSoundBands* bands = nullptr;
};

} // namespace MivexGL
