// The emitter's frame pass and its per-particle verbs. Time is the frame
// timer's last frame delta in milliseconds, so particles move with the demo's
// clock and stand still while it is not ticked.
#include "render/ParticleSystem.h"

#include "app/TimerSystem.h"
#include "render/Geometry.h"
#include "render/Quad.h"
#include "render/SpriteState.h"

namespace MivexGL
{

cParticleSystem::cParticleSystem(int particleCount)
    : count(particleCount > 0 ? particleCount : 0), index(0), depth(0.0f), lifeDivisor(1000),
      respawned(false), colour{1.0f, 1.0f, 1.0f}, particles(static_cast<std::size_t>(count)),
      current(nullptr), texture(0), additive(true)
{
    drift.Set(0.0f, 0.0001f, 0.0f);
    origin.Set(0.0f, 0.0f, 0.0f);
    acceleration.Set(0.0f, 0.0f, 0.0f);
    // Every particle starts alive, so the first frame has something to draw.
    for (int i = 0; i < count; ++i)
    {
        Select(i);
        Respawn();
    }
    index = 0;
    current = count > 0 ? particles.data() : nullptr;
}

void cParticleSystem::SetColour(float red, float green, float blue)
{
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
}

bool cParticleSystem::Select(int i)
{
    if (i < 0 || i >= count)
    {
        return false;
    }
    index = i;
    current = &particles[static_cast<std::size_t>(i)];
    return true;
}

void cParticleSystem::Update()
{
    respawned = false;
    const cSpriteState sprites(texture, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA,
                               GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glColor4f(colour[0], colour[1], colour[2], 1.0f);

    for (int i = 0; i < count; ++i)
    {
        Select(i);
        const std::int32_t delta = cTimerSystem::Instance().GetFrameTime();
        // A divisor of 0 would divide by zero; it means no time term.
        const std::int32_t lost = lifeDivisor > 0 ? delta / lifeDivisor : 0;
        current->life -= static_cast<float>(lost) + current->fade;
        if (current->life < 0.0f && !respawned)
        {
            Respawn();
            respawned = true;
        }
        UpdateParticle();
        DrawParticle();
    }
}

void cParticleSystem::Respawn()
{
    if (current == nullptr)
    {
        return;
    }
    Particle& p = *current;
    p.life = 1.0f;
    p.fade = static_cast<float>(RandomRange(0.001, 0.01));
    p.acceleration = acceleration;
    p.r = colour[0];
    p.g = colour[1];
    p.b = colour[2];
    p.drift = drift;
    // Separate statements keep the order of the rand calls fixed.
    const float ax = static_cast<float>(RandomRange(0.0, 360.0));
    const float ay = static_cast<float>(RandomRange(0.0, 360.0));
    const float az = static_cast<float>(RandomRange(0.0, 360.0));
    p.axis.Set(ax, ay, az);
    p.velocity.Set(0.0f, 0.0f, 0.0f);
    const float px = static_cast<float>(RandomRange(-0.1, 0.1));
    const float py = static_cast<float>(RandomRange(-0.1, 0.1));
    const float pz = static_cast<float>(RandomRange(-0.1, 0.1));
    p.position.Set(origin.x + px, origin.y + py, origin.z + pz);
    p.angle = static_cast<float>(RandomRange(0.0, 360.0));
}

void cParticleSystem::SpawnBurst()
{
    if (current == nullptr)
    {
        return;
    }
    current->life = 1.0f;
    current->fade = static_cast<float>(RandomRange(0.0, 0.03));
    const float ax = static_cast<float>(RandomRange(-1.0, 1.0));
    const float ay = static_cast<float>(RandomRange(-1.0, 1.0));
    const float az = static_cast<float>(RandomRange(-1.0, 1.0));
    current->acceleration.Set(ax, ay, az);
}

void cParticleSystem::UpdateParticle()
{
    if (current == nullptr)
    {
        return;
    }
    const float delta = static_cast<float>(cTimerSystem::Instance().GetFrameTime());
    Particle& p = *current;
    p.angle += delta;
    p.velocity.Add(p.acceleration.Scaled(delta));
    p.velocity.Add(p.drift);
    p.position.Add(p.velocity);
}

void cParticleSystem::DrawParticle()
{
    if (current == nullptr)
    {
        return;
    }
    const Particle& p = *current;
    glPushMatrix();
    glTranslatef(p.position.x, p.position.y, depth + p.position.z);
    glRotatef(p.angle, p.axis.x, p.axis.y, p.axis.z);
    DrawQuad();
    glPopMatrix();
}

} // namespace MivexGL
