// The emitter's fixed-step simulation, its generator and its sprite batch.
// Every step lasts 1/60 s whatever the caller's frame rate, so a particle's
// path is the same sum of the same steps in every run.
#include "render/ParticleEmitter.h"

#include "render/SpriteState.h"

#include <algorithm>
#include <cmath>

namespace MivexGL
{

namespace
{

constexpr float kStep = 1.0f / static_cast<float>(cParticleEmitter::kStepsPerSecond);
// Newborns scatter within this many units of the origin on each axis.
constexpr float kJitter = 0.1f;
constexpr float kSpinPerSecond = 1000.0f;

} // namespace

cParticleEmitter::cParticleEmitter()
    : count(150), seed(1), spread(0.0f), fadeLow(0.06f),
      fadeHigh(0.6f), colour{1.0f, 1.0f, 1.0f, 1.0f}, texture(0), started(false), steps(0), state(0)
{
    origin.Set(0.0f, 0.0f, 0.0f);
    acceleration.Set(0.0f, 0.05f, 0.0f);
}

void cParticleEmitter::SetCount(int value)
{
    count = std::max(0, value);
}

void cParticleEmitter::SetLifetime(float shortest, float longest)
{
    // Nothing lives less than a step; NaN falls to that too.
    const float low = std::max(kStep, std::min(shortest, longest));
    const float high = std::max(low, std::max(shortest, longest));
    fadeLow = 1.0f / high;
    fadeHigh = 1.0f / low;
}

void cParticleEmitter::SetColour(float red, float green, float blue, float alpha)
{
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
    colour[3] = alpha;
}

float cParticleEmitter::Random(float low, float high)
{
    // splitmix64: any seed, 0 included, gives a well-mixed stream.
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    // The top 24 bits are exact in a float, so the result stays below 1.
    const float unit = static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
    return low + (high - low) * unit;
}

void cParticleEmitter::Spawn(Particle& p)
{
    // Separate statements keep the order of the draws fixed.
    p.life = 1.0f;
    p.fade = Random(fadeLow, fadeHigh) * kStep;
    const float ax = Random(0.0f, 1.0f);
    const float ay = Random(0.0f, 1.0f);
    const float az = Random(0.0f, 1.0f);
    p.axis.Set(ax, ay, az);
    const float px = Random(-kJitter, kJitter);
    const float py = Random(-kJitter, kJitter);
    const float pz = Random(-kJitter, kJitter);
    p.position.Set(origin.x + px, origin.y + py, origin.z + pz);
    p.angle = Random(0.0f, 360.0f);
    const float vx = Random(-spread, spread);
    const float vz = Random(-spread, spread);
    p.velocity.Set(vx, 0.0f, vz);
}

void cParticleEmitter::Start()
{
    state = seed;
    particles.assign(static_cast<std::size_t>(count), Particle{});
    for (Particle& p : particles)
    {
        Spawn(p);
    }
    steps = 0;
    started = true;
}

void cParticleEmitter::Update(std::int32_t elapsedMs)
{
    const std::int64_t ms = std::max<std::int64_t>(0, elapsedMs);
    // The nearest step: a 60 per second run's frame times (17, 16, 17 ms)
    // then give exactly one step per frame.
    const std::int64_t target = (ms * kStepsPerSecond + 500) / 1000;
    if (!started || target < steps)
    {
        Start();
    }
    while (steps < target)
    {
        Step();
        ++steps;
    }
}

void cParticleEmitter::Step()
{
    // One birth per step at most spreads a crowd that died together over
    // the following steps instead of bursting.
    bool respawned = false;
    const cVector3f pull = acceleration.Scaled(kStep);
    for (Particle& p : particles)
    {
        p.life -= p.fade;
        if (p.life < 0.0f && !respawned)
        {
            Spawn(p);
            respawned = true;
        }
        // Wrapped so that a long run keeps its precision.
        p.angle = std::fmod(p.angle + kSpinPerSecond * kStep, 360.0f);
        p.velocity.Add(pull);
        p.position.Add(p.velocity.Scaled(kStep));
    }
}

void cParticleEmitter::Draw(float size) const
{
    if (particles.empty())
    {
        return;
    }
    const float half = size * 0.5f;
    const cSpriteState sprites(texture, GL_ONE);
    constexpr float kCorners[4][4] = {{-1.0f, -1.0f, 0.0f, 0.0f},
                                      {1.0f, -1.0f, 1.0f, 0.0f},
                                      {1.0f, 1.0f, 1.0f, 1.0f},
                                      {-1.0f, 1.0f, 0.0f, 1.0f}};
    // All sprites in one batch, placed here rather than through the matrix
    // stack: one draw instead of one per particle, which a software renderer
    // pays for in every cube face.
    glBegin(GL_QUADS);
    for (const Particle& p : particles)
    {
        if (p.life <= 0.0f)
        {
            continue;
        }
        glColor4f(colour[0], colour[1], colour[2], colour[3] * p.life);
        // The quad (corners at z = half) turned by the angle about the axis
        // as glRotatef turns; a vanishing axis turns nothing, as in GL.
        float r[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
        const float length =
            std::sqrt(p.axis.x * p.axis.x + p.axis.y * p.axis.y + p.axis.z * p.axis.z);
        if (length > 1.0e-4f)
        {
            const float x = p.axis.x / length;
            const float y = p.axis.y / length;
            const float z = p.axis.z / length;
            const float radians = p.angle * 3.14159265358979f / 180.0f;
            const float c = std::cos(radians);
            const float s = std::sin(radians);
            const float t = 1.0f - c;
            const float turned[3][3] = {{x * x * t + c, x * y * t - z * s, x * z * t + y * s},
                                        {y * x * t + z * s, y * y * t + c, y * z * t - x * s},
                                        {x * z * t - y * s, y * z * t + x * s, z * z * t + c}};
            std::copy(&turned[0][0], &turned[0][0] + 9, &r[0][0]);
        }
        const float position[3] = {p.position.x, p.position.y, p.position.z};
        for (const auto& corner : kCorners)
        {
            const float local[3] = {corner[0] * half, corner[1] * half, half};
            float v[3];
            for (int row = 0; row < 3; ++row)
            {
                v[row] = position[row] + r[row][0] * local[0] + r[row][1] * local[1] +
                         r[row][2] * local[2];
            }
            glTexCoord2f(corner[2], corner[3]);
            glVertex3f(v[0], v[1], v[2]);
        }
    }
    glEnd();
}

} // namespace MivexGL
