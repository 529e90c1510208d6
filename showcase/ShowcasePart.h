// What the showcase's scenes share: the scene framework's window and clock,
// a pointer to the showcase's resources and frame steps, and the little
// matrix help a lit scene needs (a direction from world into eye space for
// the programs' light directions). Builds on demo/SceneSystem.h.
#pragma once

#include "FrameSteps.h"
#include <MivexGL/demo/SceneSystem.h>
#include <MivexGL/render/Vector3f.h>

namespace showcase
{

class cShowcaseResources;

class cShowcasePart : public MivexGL::cSceneSystem
{
public:
    // Both are the director's; set before Init.
    void SetShowcase(cShowcaseResources* resources, const cFrameSteps* frameSteps)
    {
        showcase = resources;
        steps = frameSteps;
    }

    // Off-screen passes of the part's own (a cube map, say), drawn before
    // the frame's scene target is bound, while the part is open. Base: none.
    virtual void DrawTargets() {}

protected:
    cShowcasePart();

    // The scene's own clock in seconds.
    float Seconds() const { return static_cast<float>(localTime) * 0.001f; }
    // A world direction turned by the current model-view matrix (no
    // translation) and normalised: how the lighting programs want lights.
    static MivexGL::cVector3f ToEye(float x, float y, float z);

    cShowcaseResources* showcase;
    const cFrameSteps* steps;
};

} // namespace showcase
