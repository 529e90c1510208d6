// A particle emitter of textured quads: particles live for one unit of life,
// drift, accelerate per millisecond of frame time and respawn at the origin,
// at most one per frame. Reads the frame timer (app/TimerSystem.h), draws
// with DrawQuad (render/Quad.h) in the sprite state (render/SpriteState.h)
// and draws numbers with RandomRange (render/Geometry.h).
#pragma once

#include "platform/GL.h"
#include "render/Vector3f.h"

#include <vector>

namespace MivexGL
{

class cParticleSystem
{
public:
    struct Particle
    {
        // 1.0 at spawn; due for respawn below 0.
        float life;
        // Extra life lost per update.
        float fade;
        float r, g, b;
        // Degrees.
        float angle;
        cVector3f position;
        // Added to the velocity per millisecond of frame time.
        cVector3f acceleration;
        // Added to the velocity on every update.
        cVector3f drift;
        cVector3f axis;
        cVector3f velocity;
    };

    // count particles spawned at the origin, white, life divisor 1000, a
    // slight upward drift, no acceleration and no depth offset.
    explicit cParticleSystem(int count);

    // One frame: ages every particle, respawns at most one that has died,
    // moves and draws each. Draws blended quads with the texture, if any,
    // and leaves the GL state as found.
    void Update();
    // Respawn, SpawnBurst, UpdateParticle and DrawParticle work on the
    // current particle (the one Update is at, or the one chosen with Select).
    void Respawn();
    void SpawnBurst();
    virtual void UpdateParticle();
    virtual void DrawParticle();
    // Makes particle i current; false when there is no such particle.
    bool Select(int i);

    int GetCount() const { return count; }
    Particle& GetParticle(int i) { return particles[static_cast<std::size_t>(i)]; }
    const Particle& GetParticle(int i) const { return particles[static_cast<std::size_t>(i)]; }
    bool HasRespawned() const { return respawned; }

    void SetOrigin(const cVector3f& v) { origin = v; }
    void SetDrift(const cVector3f& v) { drift = v; }
    void SetAcceleration(const cVector3f& v) { acceleration = v; }
    void SetColour(float red, float green, float blue);
    // Milliseconds of frame time per unit of life lost; 0 or less turns the
    // time term off, leaving only each particle's fade.
    void SetLifeDivisor(int divisor) { lifeDivisor = divisor; }
    void SetDepth(float z) { depth = z; }
    // The texture the quads are drawn with; not owned, 0 for none.
    void SetTexture(GLuint name) { texture = name; }
    // Additive blending (the default) or plain alpha blending.
    void SetAdditive(bool on) { additive = on; }

private:
    int count;
    int index;
    float depth;
    int lifeDivisor;
    bool respawned;
    cVector3f drift;
    cVector3f origin;
    cVector3f acceleration;
    float colour[3];
    std::vector<Particle> particles;
    Particle* current;
    GLuint texture;
    bool additive;
};

} // namespace MivexGL
