// The second scene: a ring of bars standing on the music's spectrum, a
// column of particles rising through it, turned by the sync track
// "swarm:angle", and the title above.
#pragma once

#include <MivexGL/production/Scene.h>
#include <MivexGL/render/ParticleEmitter.h>
#include <MivexGL/render/TextureSystem.h>

#include <algorithm>
#include <cmath>

class cSwarmScene : public MivexGL::cScene
{
public:
    static constexpr int kBars = 40;
    static constexpr const char* kTitle = "MivexGL tour";

    void Load() override
    {
        font.CreateOutlineFont(u"", u"DejaVu Sans", -48);
        sprite.LoadTexture("sprite.png");
        sparks.SetCount(300);
        sparks.SetOrigin(MivexGL::cVector3f().Set(0.0f, -1.0f, 0.0f));
        sparks.SetAcceleration(MivexGL::cVector3f().Set(0.0f, 0.6f, 0.0f));
        sparks.SetSpread(0.8f);
        sparks.SetLifetime(2.0f, 4.0f);
    }

    // Only the particles keep state, a function of the time since the window
    // opened; a seek replays this.
    void Update() override { sparks.Update(WindowMs()); }

    void Draw() override
    {
        const float bass = std::min(1.0f, 4.0f * Bands().Band(1, 6));
        glClearColor(0.02f, 0.02f, 0.05f + 0.15f * bass, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(-0.5f * font.GetOutlineWidth(kTitle), 1.8f, -9.0f);
        glColor3f(1.0f, 0.9f - 0.5f * bass, 0.7f);
        font.PrintOutline(kTitle);
        glLoadIdentity();
        glTranslatef(0.0f, -0.5f, -9.0f);
        glRotatef(15.0f, 1.0f, 0.0f, 0.0f);
        glRotatef(Track("swarm:angle"), 0.0f, 1.0f, 0.0f);
        DrawRing();
        sparks.SetTexture(sprite.GetName());
        sparks.SetColour(1.0f, 0.6f + 0.4f * bass, 0.3f, 0.7f);
        sparks.Draw(0.3f);
    }

private:
    // One bar per band, spread over the spectrum's lower half on a log scale.
    void DrawRing() const
    {
        glBegin(GL_QUADS);
        for (int i = 0; i < kBars; ++i)
        {
            const int first = 1 + static_cast<int>(std::pow(1.12f, static_cast<float>(i)));
            const int last = 1 + static_cast<int>(std::pow(1.12f, static_cast<float>(i + 1)));
            const float level = std::min(1.0f, Bands().Band(first, last) * (10.0f + 2.0f * i));
            const float a0 = 6.2832f * i / kBars;
            const float a1 = a0 + 6.2832f / kBars * 0.7f;
            const float t = static_cast<float>(i) / kBars;
            glColor3f(0.2f, 0.1f, 0.4f);
            glVertex3f(3.0f * std::cos(a0), -1.5f, 3.0f * std::sin(a0));
            glVertex3f(3.0f * std::cos(a1), -1.5f, 3.0f * std::sin(a1));
            glColor3f(0.3f + 0.7f * t, 0.3f + 0.7f * level, 1.0f - 0.7f * t);
            glVertex3f(3.0f * std::cos(a1), -1.4f + 3.0f * level, 3.0f * std::sin(a1));
            glVertex3f(3.0f * std::cos(a0), -1.4f + 3.0f * level, 3.0f * std::sin(a0));
        }
        glEnd();
    }

    MivexGL::cTextureSystem sprite;
    MivexGL::cParticleEmitter sparks;
};
