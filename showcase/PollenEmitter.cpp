// Simulation in the update path, drawing in the draw path.
#include "PollenEmitter.h"

#include "render/Quad.h"

namespace showcase
{

cPollenEmitter::cPollenEmitter(int particleCount)
    : cParticleSystem(particleCount), sprite(0), at(0), drawing(false), half(0.05f)
{
    // The frame pass draws nothing of ours, so it need not bind anything.
    SetTexture(0);
}

void cPollenEmitter::SetSprite(GLuint name)
{
    sprite = name;
}

void cPollenEmitter::Simulate()
{
    drawing = false;
    // Update visits the particles in order, once each.
    at = 0;
    Update();
}

void cPollenEmitter::Restart()
{
    for (int i = 0; i < GetCount(); ++i)
    {
        Select(i);
        Respawn();
    }
}

void cPollenEmitter::UpdateParticle()
{
    cParticleSystem::UpdateParticle();
    if (GetCount() == 0)
    {
        return;
    }
    Particle& p = GetParticle(at % GetCount());
    ++at;
    // The axis is random per particle (0 to 327.67 per component).
    p.position.x += (p.axis.x / 327.67f - 0.5f) * 0.004f;
    p.position.z += (p.axis.z / 327.67f - 0.5f) * 0.004f;
}

void cPollenEmitter::DrawParticle()
{
    if (!drawing)
    {
        return;
    }
    // The emitter's own draw with a size: its quad is two units across,
    // which for pollen would be a wall.
    const Particle& p = GetParticle(at);
    glPushMatrix();
    glTranslatef(p.position.x, p.position.y, p.position.z);
    glRotatef(p.angle, p.axis.x, p.axis.y, p.axis.z);
    glScalef(half, half, half);
    MivexGL::DrawQuad();
    glPopMatrix();
}

void cPollenEmitter::Render(float size)
{
    drawing = true;
    half = size * 0.5f;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT |
                 GL_TEXTURE_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, sprite);
    for (int i = 0; i < GetCount(); ++i)
    {
        const Particle& p = GetParticle(i);
        if (p.life <= 0.0f)
        {
            continue;
        }
        Select(i);
        at = i;
        // Young particles crowd at the origin; at half strength their sum
        // stays a glow instead of a white blot.
        glColor4f(p.r, p.g, p.b, p.life * 0.5f);
        DrawParticle();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
    drawing = false;
}

} // namespace showcase
