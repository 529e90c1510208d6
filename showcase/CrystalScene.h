// The second part: a crystal in a ring of bars that follow the music's
// spectrum. Each frame the ring, the backdrop and the sparks are rendered
// into the six faces of a cube render target around the crystal, and the
// crystal program refracts and reflects that cube. Builds on the showcase's
// shared scene part, render/RenderTextureSystem.h (its cube variant),
// render/Camera.h, render/Geometry.h, render/ParticleEmitter.h and the
// camera's sync track (sync/SyncSystem.h).
#pragma once

#include "ShowcasePart.h"
#include <MivexGL/sync/SyncSystem.h>
#include <MivexGL/render/Camera.h>
#include <MivexGL/render/ParticleEmitter.h>
#include <MivexGL/render/RenderTextureSystem.h>

namespace showcase
{

class cCrystalScene : public cShowcasePart
{
public:
    static constexpr int kCubeSize = 128;
    static constexpr int kBars = 24;

    cCrystalScene();
    ~cCrystalScene() override;

    int Init() override;
    void Update() override;
    void Draw() override;
    void Rewind() override;
    // The surroundings into the cube target.
    void DrawTargets() override;
    // The cube target, made again for a new context.
    void CreateTargets();

    float GetBar(int i) const { return i >= 0 && i < kBars ? bars[i] : 0.0f; }

private:
    // Everything around the crystal, in world space, fixed function.
    void DrawSurroundings() const;
    void RenderCube();
    void DrawCrystal();

    MivexGL::cRenderTextureSystem cube;
    MivexGL::cCamera camera;
    MivexGL::cParticleEmitter sparks;
    MivexGL::cSyncSystem::cHandle cameraAngle;
    float bars[kBars];
    float bass;
};

} // namespace showcase
