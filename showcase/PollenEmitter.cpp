// Simulation in the update path, drawing in the draw path.
#include "PollenEmitter.h"

#include "render/Quad.h"

#include <cmath>

namespace showcase
{

cPollenEmitter::cPollenEmitter(int particleCount)
    : cParticleSystem(particleCount), sprite(0), at(0), half(0.05f)
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
    // The emitter's frame pass draws nothing: Render draws the sprites.
}

void cPollenEmitter::Render(float size)
{
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
    // All sprites in one batch, in particle order, placed here rather than
    // through the matrix stack: one draw instead of one per particle, which
    // a software renderer pays for in every cube face.
    glBegin(GL_QUADS);
    for (int i = 0; i < GetCount(); ++i)
    {
        const Particle& p = GetParticle(i);
        if (p.life <= 0.0f)
        {
            continue;
        }
        // Young particles crowd at the origin; at half strength their sum
        // stays a glow instead of a white blot.
        glColor4f(p.r, p.g, p.b, p.life * 0.5f);
        EmitSprite(p);
    }
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
}

void cPollenEmitter::EmitSprite(const Particle& p) const
{
    // The unit quad (corners at z = 1) scaled by half, turned by the
    // particle's angle about its axis as glRotatef turns, and moved.
    float r[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    const float length = std::sqrt(p.axis.x * p.axis.x + p.axis.y * p.axis.y + p.axis.z * p.axis.z);
    // A vanishing axis turns nothing, as in GL.
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
        for (int row = 0; row < 3; ++row)
        {
            for (int col = 0; col < 3; ++col)
            {
                r[row][col] = turned[row][col];
            }
        }
    }
    constexpr float kCorners[4][4] = {{-1.0f, -1.0f, 0.0f, 0.0f},
                                      {1.0f, -1.0f, 1.0f, 0.0f},
                                      {1.0f, 1.0f, 1.0f, 1.0f},
                                      {-1.0f, 1.0f, 0.0f, 1.0f}};
    const float position[3] = {p.position.x, p.position.y, p.position.z};
    for (const auto& corner : kCorners)
    {
        const float local[3] = {corner[0] * half, corner[1] * half, half};
        float v[3];
        for (int row = 0; row < 3; ++row)
        {
            v[row] =
                position[row] + r[row][0] * local[0] + r[row][1] * local[1] + r[row][2] * local[2];
        }
        glTexCoord2f(corner[2], corner[3]);
        glVertex3f(v[0], v[1], v[2]);
    }
}

} // namespace showcase
