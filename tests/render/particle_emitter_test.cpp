// The time-driven emitter: the same particles at the same time whatever the
// frame times that led there, settings taken before the first spawn,
// sideways speed at every birth, and a draw that fades by life and leaves
// the GL state as found.
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/ParticleEmitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

using MivexGL::cParticleEmitter;
using MivexGL::cVector3f;

void Configure(cParticleEmitter& e)
{
    e.SetCount(150);
    e.SetSeed(7);
    e.SetOrigin(cVector3f().Set(0.0f, 2.2f, 0.0f));
    e.SetAcceleration(cVector3f().Set(0.0f, 0.054f, 0.0f));
    e.SetSpread(0.12f);
}

// Updates at the frame times of a run at rate frames per second, as the
// frame loop and the capture give them (rounded to whole milliseconds),
// from `from` to `to` inclusive.
void Play(cParticleEmitter& e, std::int64_t rate, std::int32_t from, std::int32_t to)
{
    for (std::int64_t k = 0;; ++k)
    {
        const std::int64_t ms = from + (k * 2000 + rate) / (2 * rate);
        if (ms > to)
        {
            return;
        }
        e.Update(static_cast<std::int32_t>(ms));
    }
}

bool SameBits(const cParticleEmitter& a, const cParticleEmitter& b)
{
    if (a.GetCount() != b.GetCount() || a.GetSteps() != b.GetSteps())
    {
        return false;
    }
    for (int i = 0; i < a.GetCount(); ++i)
    {
        if (std::memcmp(&a.GetParticle(i), &b.GetParticle(i), sizeof(cParticleEmitter::Particle)) !=
            0)
        {
            return false;
        }
    }
    return true;
}

int Alive(const cParticleEmitter& e)
{
    int alive = 0;
    for (int i = 0; i < e.GetCount(); ++i)
    {
        alive += e.GetParticle(i).life > 0.0f ? 1 : 0;
    }
    return alive;
}

TEST(ParticleEmitter, EighteenSecondsInAreTheSameAtAnyFrameRateAfterAnySeekAndRewind)
{
    cParticleEmitter sixty;
    Configure(sixty);
    Play(sixty, 60, 0, 18000);

    cParticleEmitter thirty;
    Configure(thirty);
    Play(thirty, 30, 0, 18000);

    // A seek to 17 s (a 60 per second replay), then a frame a second.
    cParticleEmitter seeked;
    Configure(seeked);
    Play(seeked, 60, 0, 17000);
    Play(seeked, 1, 17000, 18000);

    // A capture from 17 s at one frame a second steps there at that rate.
    cParticleEmitter slow;
    Configure(slow);
    Play(slow, 1, 0, 18000);

    // Played past 18 s, then rewound and played again.
    cParticleEmitter rewound;
    Configure(rewound);
    Play(rewound, 60, 0, 25000);
    Play(rewound, 60, 0, 18000);

    EXPECT_EQ(sixty.GetSteps(), 1080);
    EXPECT_TRUE(SameBits(sixty, thirty));
    EXPECT_TRUE(SameBits(sixty, seeked));
    EXPECT_TRUE(SameBits(sixty, slow));
    EXPECT_TRUE(SameBits(sixty, rewound));
    // Most particles live 2 to 17 s and one is reborn every step that one
    // is due: nearly all are alive at any time.
    EXPECT_GT(Alive(sixty), 130);

    // The seed, not anything global, decides them.
    cParticleEmitter other;
    Configure(other);
    other.SetSeed(8);
    other.Update(18000);
    EXPECT_FALSE(SameBits(sixty, other));
}

TEST(ParticleEmitter, SettingsMadeBeforeTheFirstUpdateShapeTheFirstSpawn)
{
    cParticleEmitter e;
    EXPECT_EQ(e.GetCount(), 0);
    e.SetCount(40);
    e.SetOrigin(cVector3f().Set(10.0f, -4.0f, 2.0f));
    e.SetSpread(0.5f);
    e.Update(0);
    ASSERT_EQ(e.GetCount(), 40);
    EXPECT_EQ(e.GetSteps(), 0);
    for (int i = 0; i < e.GetCount(); ++i)
    {
        const cParticleEmitter::Particle& p = e.GetParticle(i);
        EXPECT_EQ(p.life, 1.0f);
        EXPECT_NEAR(p.position.x, 10.0f, 0.1001f);
        EXPECT_NEAR(p.position.y, -4.0f, 0.1001f);
        EXPECT_NEAR(p.position.z, 2.0f, 0.1001f);
        EXPECT_LE(std::fabs(p.velocity.x), 0.5f);
    }
    // A negative count is an empty emitter, which updates and draws nothing.
    cParticleEmitter none;
    none.SetCount(-3);
    none.Update(5000);
    EXPECT_EQ(none.GetCount(), 0);
}

TEST(ParticleEmitter, EveryRebornParticleDriftsSidewaysAtItsOwnSpeed)
{
    cParticleEmitter e;
    e.SetCount(8);
    e.SetSpread(0.3f);
    // Lives of 6 to 12 steps: eight particles are reborn many times.
    e.SetLifetime(0.1f, 0.2f);
    e.Update(0);
    std::vector<float> lives(8);
    int births = 0;
    float previousX = 0.0f;
    bool variedX = false;
    for (std::int32_t ms = 17; ms <= 3000; ms += 17)
    {
        for (int i = 0; i < 8; ++i)
        {
            lives[static_cast<std::size_t>(i)] = e.GetParticle(i).life;
        }
        e.Update(ms);
        for (int i = 0; i < 8; ++i)
        {
            const cParticleEmitter::Particle& p = e.GetParticle(i);
            if (p.life <= lives[static_cast<std::size_t>(i)])
            {
                continue;
            }
            ++births;
            const float sideways = std::hypot(p.velocity.x, p.velocity.z);
            EXPECT_GT(sideways, 0.0f) << "birth " << births;
            EXPECT_LE(std::fabs(p.velocity.x), 0.3f);
            EXPECT_LE(std::fabs(p.velocity.z), 0.3f);
            variedX = variedX || (births > 1 && p.velocity.x != previousX);
            previousX = p.velocity.x;
        }
    }
    EXPECT_GT(births, 100);
    EXPECT_TRUE(variedX);
}

class ParticleEmitterDraw : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.Create(64, 64))
        {
            GTEST_SKIP() << "no GL context available";
        }
    }
    platform::OffscreenGL gl;
};

TEST_F(ParticleEmitterDraw, OneQuadPerParticleFadedByLifeAndTheStateAsFound)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-5.0, 5.0, -5.0, 5.0, -5.0, 5.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    GLuint texture = 0;
    glGenTextures(1, &texture);

    cParticleEmitter e;
    e.SetCount(5);
    e.SetColour(1.0f, 0.5f, 0.25f, 0.8f);
    e.SetTexture(texture);
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    // Nothing is drawn before the first spawn.
    e.Draw(0.5f);
    EXPECT_EQ(glRenderMode(GL_RENDER), 0);

    e.Update(1500);
    glRenderMode(GL_FEEDBACK);
    e.Draw(0.5f);
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<float> alphas;
    for (GLint i = 0; i < used;)
    {
        ASSERT_EQ(static_cast<GLint>(buffer[static_cast<std::size_t>(i++)]), GL_POLYGON_TOKEN);
        const int n = static_cast<int>(buffer[static_cast<std::size_t>(i++)]);
        // x, y, z, then red, green, blue, alpha.
        alphas.push_back(buffer[static_cast<std::size_t>(i + 6)]);
        i += n * 7;
    }
    // A driver may hand each quad back as two triangles.
    ASSERT_TRUE(alphas.size() == 5 || alphas.size() == 10) << alphas.size() << " polygons";
    const std::size_t per = alphas.size() / 5;
    for (int k = 0; k < 5; ++k)
    {
        const float life = e.GetParticle(k).life;
        ASSERT_GT(life, 0.0f);
        ASSERT_LT(life, 1.0f);
        EXPECT_NEAR(alphas[static_cast<std::size_t>(k) * per], 0.8f * life, 0.01f);
    }

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.4f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
}

} // namespace
