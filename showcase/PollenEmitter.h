// The engine's particle emitter split into its two halves: Simulate runs the
// emitter's own frame pass (ageing, respawning, moving) with drawing held
// back, so it can run in a scene's Update, which a seek replays; Render draws
// the particles as they stand, as small additive sprites faded by their life (at half strength),
// and leaves the GL state as found. Depends on render/ParticleSystem.h and
// render/Quad.h.
#pragma once

#include "platform/GL.h"
#include "render/ParticleSystem.h"

namespace showcase
{

class cPollenEmitter : public MivexGL::cParticleSystem
{
public:
    explicit cPollenEmitter(int particleCount);

    // The sprite; not owned.
    void SetSprite(GLuint name);
    void Simulate();
    // Every particle born again at the origin and colour set now: the
    // emitter's own construction spawns them before either can be set.
    void Restart();
    // Sprites size units across, in the current model-view space.
    void Render(float size);

    // The emitter's move, then a sideways drift that differs per particle,
    // so the pollen spreads instead of rising in one column.
    void UpdateParticle() override;
    void DrawParticle() override;

private:
    // One sprite's corners inside an open GL_QUADS batch.
    void EmitSprite(const Particle& p) const;

    GLuint sprite;
    int at;
    float half;
};

} // namespace showcase
