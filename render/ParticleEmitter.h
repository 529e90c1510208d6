// A particle emitter whose particles are a function of time alone, so it
// survives a seek (which replays updates only) and looks the same at any
// frame rate: Update(elapsedMs) runs a fixed 1/60 s simulation up to the
// given time since the emitter's start, and Draw only draws, as additive
// sprites faded by their life. Random draws come from the emitter's own
// seeded generator. Particles rise from the origin, drift sideways at their
// own speed, and respawn there (at most one per step) once their life is
// spent. Depends on platform/GL.h and render/Vector3f.h; draws in the
// sprite state (render/SpriteState.h).
//
//     MivexGL::cParticleEmitter pollen; // a member of the scene
//     // In Init: everything before the first Update, which spawns.
//     pollen.SetCount(150);
//     pollen.SetOrigin(MivexGL::cVector3f().Set(0.0f, 2.2f, 0.0f));
//     pollen.SetAcceleration(MivexGL::cVector3f().Set(0.0f, 0.05f, 0.0f));
//     pollen.SetSpread(0.12f);
//     pollen.SetColour(1.0f, 0.85f, 0.5f, 0.5f);
//     // In Update (which a seek replays), with the time since the scene's
//     // window opened: the scene's localTime also counts the frame before
//     // the window, which depends on the frame rate.
//     pollen.Update(GetElapsed() - GetStartTime());
//     // In Draw, under the scene's camera:
//     pollen.SetTexture(sprite.GetName());
//     pollen.Draw(0.2f);
#pragma once

#include "platform/GL.h"
#include "render/Vector3f.h"

#include <cstdint>
#include <vector>

namespace MivexGL
{

class cParticleEmitter
{
public:
    static constexpr int kStepsPerSecond = 60;

    struct Particle
    {
        // 1 at spawn; spent below 0.
        float life;
        // Life lost per step.
        float fade;
        // Degrees about the axis, turning with time.
        float angle;
        cVector3f axis;
        cVector3f position;
        // Units per second.
        cVector3f velocity;
    };

    cParticleEmitter();

    // These take effect at the next spawn of all particles: the first
    // Update, or Start. 150 particles and seed 1 unless set.
    void SetCount(int value);
    void SetSeed(std::uint32_t value) { seed = value; }

    // Where particles are born (within 0.1 units each way).
    void SetOrigin(const cVector3f& point) { origin = point; }
    // Units per second per second, for every particle; a slight rise
    // unless set.
    void SetAcceleration(const cVector3f& perSecond) { acceleration = perSecond; }
    // Each particle's sideways speed (x and z), drawn at every birth
    // between -speed and speed units per second.
    void SetSpread(float speed) { spread = speed; }
    // A particle's life lasts between shortest and longest seconds.
    void SetLifetime(float shortest, float longest);
    // The sprites' colour as drawn; alpha is a newborn particle's opacity,
    // which fades with its life. Read by Draw, so it may change each frame
    // without making the particles depend on the frame rate.
    void SetColour(float red, float green, float blue, float alpha = 1.0f);
    // The sprite texture; not owned, 0 for plain squares.
    void SetTexture(GLuint name) { texture = name; }

    // Spawns every particle from the seed at time 0. The first Update does
    // so itself; call it to start over.
    void Start();
    // Advances to elapsedMs after the start, in whole steps (the step
    // nearest that time), so only the time counts, not how often this is
    // called. An earlier time than the last starts over and replays.
    void Update(std::int32_t elapsedMs);
    // Sprites size units across, in the current model-view space, in one
    // batch; leaves the GL state as found. Nothing before the first spawn.
    void Draw(float size) const;

    // The particles spawned: none before the first spawn.
    int GetCount() const { return static_cast<int>(particles.size()); }
    const Particle& GetParticle(int i) const { return particles[static_cast<std::size_t>(i)]; }
    // Steps run since the start.
    std::int64_t GetSteps() const { return steps; }

private:
    void Step();
    void Spawn(Particle& p);
    // Uniform in [low, high).
    float Random(float low, float high);

    int count;
    std::uint32_t seed;
    cVector3f origin;
    cVector3f acceleration;
    float spread;
    // Life lost per second, least and most.
    float fadeLow;
    float fadeHigh;
    float colour[4];
    GLuint texture;

    bool started;
    std::int64_t steps;
    std::uint64_t state;
    std::vector<Particle> particles;
};

} // namespace MivexGL
