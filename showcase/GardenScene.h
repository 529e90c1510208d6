// The first part: an L-system plant drawn by the turtle, standing in a pond
// on bump-mapped ground among a few rocks, under two lights at dusk. The
// plant is lit by the two-light water-level program (its foot, below the
// water line, wobbles and fogs), the rocks by the two-light program with
// distance fog and the ground by the plain bump program; pollen rises from
// the plant, brighter on the beat. Builds on the showcase's shared scene
// part, render/LindenmayerSystem.h and its baked mesh, render/Camera.h,
// render/ParticleEmitter.h and the camera's sync tracks (sync/SyncSystem.h).
#pragma once

#include "ShowcasePart.h"
#include <MivexGL/sync/SyncSystem.h>
#include <MivexGL/effects/PostEffects.h>
#include <MivexGL/render/Camera.h>
#include <MivexGL/render/LindenmayerMesh.h>
#include <MivexGL/render/LindenmayerSystem.h>
#include <MivexGL/render/ParticleEmitter.h>

namespace showcase
{

class cGardenScene : public cShowcasePart
{
public:
    static constexpr float kNear = 0.5f;
    static constexpr float kFar = 60.0f;
    static constexpr float kEyeHeight = 2.0f;

    cGardenScene();
    ~cGardenScene() override;

    int Init() override;
    void Update() override;
    void Draw() override;
    void Rewind() override;

    // Eye distance from the camera to the plant, for the depth of field.
    float FocusDistance() const;
    const MivexGL::cLindenmayerSystem& GetPlant() const { return plant; }
    // The part of the window the last Draw left empty; false when it could
    // not tell.
    bool GetOpenSky(MivexGL::cPostEffects::OpenSky& out) const;

private:
    void PlaceCamera();
    void DrawGround();
    void DrawRocks();
    void DrawPlant();
    void DrawPollen();
    // The window box the plant may cover, for the open sky; needs the
    // plant's matrices current and the water level its program has.
    void SkyAroundPlant(float waterLevel);

    MivexGL::cLindenmayerSystem plant;
    // The plant never changes shape: baked once, drawn in one call.
    MivexGL::cLindenmayerMesh plantMesh;
    // The mesh's bounds, lowest corner then highest.
    float plantBounds[2][3];
    MivexGL::cCamera camera;
    MivexGL::cParticleEmitter pollen;
    MivexGL::cSyncSystem::cHandle cameraAngle;
    MivexGL::cSyncSystem::cHandle cameraDistance;
    float bass;
    MivexGL::cPostEffects::OpenSky sky;
    bool skyKnown;
};

} // namespace showcase
