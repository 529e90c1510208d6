// The emitter's frame pass against a scripted clock: ageing, the one respawn
// per frame, motion per millisecond, and the GL state it leaves behind.
#include "app/TimerSystem.h"
#include "platform/Counter.h"
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/ParticleSystem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{

using MivexGL::cParticleSystem;
using MivexGL::cTimerSystem;

std::int64_t scriptedNow = 0;

// The timer is built at first use, so the scripted counter goes in first.
class ScriptedClock : public ::testing::Environment
{
public:
    void SetUp() override
    {
        platform::SetScriptedCounter({[] { return scriptedNow; }, 1000});
        cTimerSystem::Instance().Reset();
    }
};

const auto* const kClock = ::testing::AddGlobalTestEnvironment(new ScriptedClock);

// Ticks the frame timer so that the last frame took ms milliseconds.
void Frame(std::int64_t ms)
{
    scriptedNow += ms;
    cTimerSystem::Instance().Tick();
}

// Records which particles were drawn, instead of drawing them.
class CountingEmitter : public cParticleSystem
{
public:
    using cParticleSystem::cParticleSystem;
    void DrawParticle() override { ++drawn; }
    int drawn = 0;
};

class ParticleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.Create(64, 64))
        {
            GTEST_SKIP() << "no GL context available";
        }
        Frame(16);
    }
    platform::OffscreenGL gl;
};

TEST_F(ParticleTest, TwoDeathsInOneFrameRespawnInConsecutiveFrames)
{
    CountingEmitter emitter(3);
    for (int i = 0; i < 3; ++i)
    {
        emitter.GetParticle(i).fade = 0.0f;
        emitter.GetParticle(i).life = 1.0f;
    }
    emitter.GetParticle(0).life = 0.001f;
    emitter.GetParticle(0).fade = 0.01f;
    emitter.GetParticle(2).life = 0.001f;
    emitter.GetParticle(2).fade = 0.01f;

    emitter.Update();
    EXPECT_TRUE(emitter.HasRespawned());
    EXPECT_FLOAT_EQ(emitter.GetParticle(0).life, 1.0f);
    EXPECT_LT(emitter.GetParticle(2).life, 0.0f);
    EXPECT_EQ(emitter.drawn, 3);

    Frame(16);
    emitter.Update();
    EXPECT_TRUE(emitter.HasRespawned());
    EXPECT_LT(emitter.GetParticle(0).life, 1.0f);
    EXPECT_FLOAT_EQ(emitter.GetParticle(2).life, 1.0f);

    Frame(16);
    emitter.Update();
    EXPECT_FALSE(emitter.HasRespawned());
    EXPECT_EQ(emitter.drawn, 9);
}

TEST_F(ParticleTest, LifeLosesWholeDivisorStepsOfFrameTimePlusFade)
{
    CountingEmitter emitter(1);
    emitter.GetParticle(0).fade = 0.25f;
    emitter.GetParticle(0).life = 1.0f;
    emitter.SetLifeDivisor(1000);
    Frame(999);
    emitter.Update();
    // 999 / 1000 is 0 in integer steps: only the fade counts.
    EXPECT_FLOAT_EQ(emitter.GetParticle(0).life, 0.75f);

    emitter.GetParticle(0).life = 5.0f;
    Frame(2500);
    emitter.Update();
    EXPECT_FLOAT_EQ(emitter.GetParticle(0).life, 5.0f - 2.0f - 0.25f);

    // A zero divisor leaves the time term out instead of dividing by zero.
    emitter.SetLifeDivisor(0);
    emitter.GetParticle(0).life = 1.0f;
    emitter.Update();
    EXPECT_FLOAT_EQ(emitter.GetParticle(0).life, 0.75f);
}

TEST_F(ParticleTest, MotionScalesAccelerationAndAngleByFrameTimeButNotDrift)
{
    CountingEmitter emitter(1);
    cParticleSystem::Particle& p = emitter.GetParticle(0);
    p.angle = 5.0f;
    p.position.Set(1.0f, 2.0f, 3.0f);
    p.velocity.Set(0.5f, 0.0f, 0.0f);
    p.acceleration.Set(0.01f, 0.0f, -0.02f);
    p.drift.Set(0.0f, 0.25f, 0.0f);
    Frame(10);
    ASSERT_TRUE(emitter.Select(0));
    emitter.UpdateParticle();
    EXPECT_FLOAT_EQ(p.angle, 15.0f);
    EXPECT_FLOAT_EQ(p.velocity.x, 0.6f);
    EXPECT_FLOAT_EQ(p.velocity.y, 0.25f);
    EXPECT_FLOAT_EQ(p.velocity.z, -0.2f);
    EXPECT_FLOAT_EQ(p.position.x, 1.6f);
    EXPECT_FLOAT_EQ(p.position.y, 2.25f);
    EXPECT_FLOAT_EQ(p.position.z, 2.8f);
}

TEST_F(ParticleTest, RespawnAndBurstDrawFromTheirRanges)
{
    CountingEmitter emitter(4);
    MivexGL::cVector3f origin;
    origin.Set(10.0f, -4.0f, 2.0f);
    MivexGL::cVector3f drift;
    drift.Set(0.0f, 0.5f, 0.0f);
    MivexGL::cVector3f accel;
    accel.Set(0.0f, -0.001f, 0.0f);
    emitter.SetOrigin(origin);
    emitter.SetDrift(drift);
    emitter.SetAcceleration(accel);
    emitter.SetColour(0.2f, 0.4f, 0.6f);
    for (int round = 0; round < 200; ++round)
    {
        ASSERT_TRUE(emitter.Select(round % 4));
        cParticleSystem::Particle& p = emitter.GetParticle(round % 4);
        p.velocity.Set(9.0f, 9.0f, 9.0f);
        emitter.Respawn();
        EXPECT_FLOAT_EQ(p.life, 1.0f);
        EXPECT_GE(p.fade, 0.001f);
        EXPECT_LT(p.fade, 0.01f);
        EXPECT_NEAR(p.position.x, 10.0f, 0.1001f);
        EXPECT_NEAR(p.position.y, -4.0f, 0.1001f);
        EXPECT_NEAR(p.position.z, 2.0f, 0.1001f);
        EXPECT_EQ(p.velocity.x, 0.0f);
        EXPECT_EQ(p.velocity.z, 0.0f);
        EXPECT_EQ(p.drift.y, 0.5f);
        EXPECT_EQ(p.acceleration.y, -0.001f);
        EXPECT_EQ(p.g, 0.4f);
        EXPECT_GE(p.angle, 0.0f);
        EXPECT_LE(p.angle, 327.67f);

        emitter.SpawnBurst();
        EXPECT_FLOAT_EQ(p.life, 1.0f);
        EXPECT_GE(p.fade, 0.0f);
        EXPECT_LT(p.fade, 0.03f);
        for (float a : {p.acceleration.x, p.acceleration.y, p.acceleration.z})
        {
            EXPECT_GE(a, -1.0f);
            EXPECT_LT(a, 1.0f);
        }
    }
    EXPECT_FALSE(emitter.Select(4));
    EXPECT_FALSE(emitter.Select(-1));
}

TEST_F(ParticleTest, DrawsOneQuadPerParticleAndRestoresGLState)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-50.0, 50.0, -50.0, 50.0, -50.0, 50.0);
    glMatrixMode(GL_TEXTURE);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);

    cParticleSystem emitter(5);
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    emitter.Update();
    const GLint used = glRenderMode(GL_RENDER);
    int polygons = 0;
    for (GLint i = 0; i < used;)
    {
        ASSERT_EQ(static_cast<GLint>(buffer[static_cast<std::size_t>(i++)]), GL_POLYGON_TOKEN);
        const int n = static_cast<int>(buffer[static_cast<std::size_t>(i++)]);
        i += n * 3;
        ++polygons;
    }
    // A driver may hand each quad back as two triangles.
    EXPECT_TRUE(polygons == 5 || polygons == 10) << polygons << " polygons";

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.4f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ParticleConstruction, NegativeCountGivesAnEmptyEmitter)
{
    cParticleSystem emitter(-3);
    EXPECT_EQ(emitter.GetCount(), 0);
    EXPECT_FALSE(emitter.Select(0));
    // Verbs on an empty emitter have no particle to touch.
    emitter.Respawn();
    emitter.SpawnBurst();
    emitter.UpdateParticle();
}

} // namespace
