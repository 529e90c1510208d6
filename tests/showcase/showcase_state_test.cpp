// Every step of a showcase frame (one family's use in a scene, one image
// pass) must leave the GL state as it found it, so no family draws under
// another's leftovers: the program, the texture units and their bindings,
// the enables, blending, depth, colour, viewport, framebuffer, matrices and
// their stacks, and the per-vertex values the lighting programs set. A run
// through the frames that use every step compares the state before and
// after each one.
#include "ShowcaseHarness.h"

#include "platform/GL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace showcasetest;

namespace
{

using Snapshot = std::vector<std::pair<std::string, double>>;

void Add(Snapshot& s, const std::string& name, const GLfloat* values, int count)
{
    for (int i = 0; i < count; ++i)
    {
        s.emplace_back(count == 1 ? name : name + "[" + std::to_string(i) + "]", values[i]);
    }
}

void AddInteger(Snapshot& s, const std::string& name, GLenum what, int count = 1)
{
    GLint values[16] = {};
    glGetIntegerv(what, values);
    for (int i = 0; i < count; ++i)
    {
        s.emplace_back(count == 1 ? name : name + "[" + std::to_string(i) + "]", values[i]);
    }
}

void AddFloat(Snapshot& s, const std::string& name, GLenum what, int count)
{
    GLfloat values[16] = {};
    glGetFloatv(what, values);
    Add(s, name, values, count);
}

Snapshot Take()
{
    Snapshot s;
    AddInteger(s, "program", GL_CURRENT_PROGRAM);
    AddInteger(s, "active texture", GL_ACTIVE_TEXTURE);
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    for (int unit = 0; unit < 4; ++unit)
    {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        const std::string u = "unit " + std::to_string(unit) + " ";
        AddInteger(s, u + "2D binding", GL_TEXTURE_BINDING_2D);
        AddInteger(s, u + "cube binding", GL_TEXTURE_BINDING_CUBE_MAP);
        s.emplace_back(u + "2D enabled", glIsEnabled(GL_TEXTURE_2D));
        s.emplace_back(u + "cube enabled", glIsEnabled(GL_TEXTURE_CUBE_MAP));
    }
    glActiveTexture(static_cast<GLenum>(active));
    const std::pair<const char*, GLenum> enables[] = {{"blend", GL_BLEND},
                                                      {"depth test", GL_DEPTH_TEST},
                                                      {"cull face", GL_CULL_FACE},
                                                      {"lighting", GL_LIGHTING},
                                                      {"fog", GL_FOG},
                                                      {"alpha test", GL_ALPHA_TEST},
                                                      {"scissor", GL_SCISSOR_TEST}};
    for (const auto& e : enables)
    {
        s.emplace_back(e.first, glIsEnabled(e.second));
    }
    AddInteger(s, "blend source", GL_BLEND_SRC);
    AddInteger(s, "blend destination", GL_BLEND_DST);
    AddInteger(s, "depth mask", GL_DEPTH_WRITEMASK);
    AddInteger(s, "depth function", GL_DEPTH_FUNC);
    AddInteger(s, "viewport", GL_VIEWPORT, 4);
    AddInteger(s, "framebuffer", GL_FRAMEBUFFER_BINDING_EXT);
    AddInteger(s, "renderbuffer", GL_RENDERBUFFER_BINDING_EXT);
    AddInteger(s, "matrix mode", GL_MATRIX_MODE);
    AddInteger(s, "model-view depth", GL_MODELVIEW_STACK_DEPTH);
    AddInteger(s, "projection depth", GL_PROJECTION_STACK_DEPTH);
    AddInteger(s, "attribute depth", GL_ATTRIB_STACK_DEPTH);
    AddFloat(s, "model-view", GL_MODELVIEW_MATRIX, 16);
    AddFloat(s, "projection", GL_PROJECTION_MATRIX, 16);
    AddFloat(s, "colour", GL_CURRENT_COLOR, 4);
    AddFloat(s, "fog coordinate", GL_CURRENT_FOG_COORD, 1);
    GLfloat tangent[4] = {};
    glGetVertexAttribfv(6, GL_CURRENT_VERTEX_ATTRIB, tangent);
    Add(s, "attribute 6", tangent, 4);
    return s;
}

std::string Changes(const Snapshot& before, const Snapshot& after)
{
    std::ostringstream out;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
    {
        if (before[i].second != after[i].second)
        {
            out << " " << before[i].first << ": " << before[i].second << " -> " << after[i].second
                << ";";
        }
    }
    return out.str();
}

} // namespace

TEST(ShowcaseState, NoStepLeavesStateForTheNext)
{
    testsupport::ScriptedClock clock;
    ScriptedShowcase app(clock);
    // From the reveal through both cuts and the credits to the closing wipe.
    app.SetStartAt(500);
    app.times = {0, 19800, 30000, 46500, 58700};
    std::map<std::string, Snapshot> open;
    std::set<std::string> seen;
    std::vector<std::string> leaks;
    app.afterStart = [&](ScriptedShowcase& started)
    {
        showcase::cShowcaseResources& r = started.GetDirector().GetResources();
        MivexGL::cPostEffects& post = started.GetDirector().GetPostEffects();
        EXPECT_TRUE(r.GetPlantShader().IsLinked());
        EXPECT_TRUE(r.GetRockShader().IsLinked());
        EXPECT_TRUE(r.GetGroundShader().IsLinked());
        EXPECT_TRUE(r.GetCrystalShader().IsLinked());
        EXPECT_TRUE(post.GetBloomShader().IsLinked());
        EXPECT_TRUE(post.GetDiscBlurShader().IsLinked());
        EXPECT_TRUE(post.GetDepthOfFieldShader().IsLinked());
        EXPECT_TRUE(post.GetRadialBlurShader().IsLinked());
        EXPECT_TRUE(post.GetDistortShader().IsLinked());
        EXPECT_TRUE(post.GetWipeShader().IsLinked());
        for (int focus = 0; focus < 4; ++focus)
        {
            EXPECT_TRUE(post.GetPresentShader(static_cast<MivexGL::cPresentShader::Focus>(focus))
                            .IsLinked());
        }
        EXPECT_TRUE(r.GetWobbleShader().IsLinked());
        started.GetDirector().GetSteps().SetObserver(
            [&](const char* step, bool after)
            {
                if (!after)
                {
                    open[step] = Take();
                    return;
                }
                seen.insert(step);
                const std::string changes = Changes(open[step], Take());
                if (!changes.empty())
                {
                    leaks.push_back(std::string(step) + ":" + changes);
                }
            });
    };
    ASSERT_EQ(RunShowcase(app), 0);
    ASSERT_EQ(app.frames.size(), 5u);
    for (const std::string& leak : leaks)
    {
        ADD_FAILURE() << leak;
    }
    const char* const expected[] = {"ground: cSimpleBumpShader",
                                    "rocks: cTwoLightShader",
                                    "plant: cTwoLightUnderwaterShader",
                                    "pollen: cParticleEmitter",
                                    "surroundings: cube target",
                                    "surroundings",
                                    "crystal: cCrystalShader",
                                    "spectrum floor",
                                    "credits: cWobbleShader",
                                    "disc blur",
                                    "focus layer",
                                    "radial blur",
                                    "distort",
                                    "bloom",
                                    "present",
                                    "wipe"};
    for (const char* step : expected)
    {
        EXPECT_EQ(seen.count(step), 1u) << "never ran: " << step;
    }
}

// Present draws the garden's open sky with the blur alone, which is only the
// picture where the scene drew nothing: every pixel there must still hold
// the far plane's depth once the garden is drawn, through the camera's turn
// and the plant's sway. The sky must also be large enough to be worth it.
TEST(ShowcaseState, GardenOpenSkyHoldsNothingDrawn)
{
    testsupport::ScriptedClock clock;
    ScriptedShowcase app(clock);
    app.SetStartAt(500);
    app.times = {0, 3000, 7500, 12000, 17000};
    int checked = 0;
    std::vector<std::string> drawn;
    app.afterStart = [&](ScriptedShowcase& started)
    {
        showcase::cShowcaseScene& director = started.GetDirector();
        director.GetSteps().SetObserver(
            [&](const char* step, bool after)
            {
                if (!after || std::string(step) != "pollen: cParticleEmitter")
                {
                    return;
                }
                MivexGL::cPostEffects::OpenSky sky{};
                if (!director.GetGarden().GetOpenSky(sky))
                {
                    drawn.push_back("open sky unknown");
                    return;
                }
                const int w = showcase::cShowcaseResources::kImageWidth;
                const int h = showcase::cShowcaseResources::kImageHeight;
                std::vector<GLfloat> depth(static_cast<std::size_t>(w * h));
                glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
                // Without the margins Present keeps: a stricter edge.
                const int horizon = std::clamp(static_cast<int>(std::ceil(sky.above * h)), 0, h);
                const int left = static_cast<int>(std::floor(sky.left * w));
                const int right = static_cast<int>(std::ceil(sky.right * w));
                const int top = static_cast<int>(std::ceil(sky.top * h));
                int open = 0;
                for (int y = horizon; y < h; ++y)
                {
                    for (int x = 0; x < w; ++x)
                    {
                        if (x >= left && x < right && y < top)
                        {
                            continue;
                        }
                        ++open;
                        if (depth[static_cast<std::size_t>(y * w + x)] < 1.0f)
                        {
                            drawn.push_back("drawn at " + std::to_string(x) + ", " +
                                            std::to_string(y));
                            return;
                        }
                    }
                }
                if (open < w * h / 5)
                {
                    drawn.push_back("open sky of only " + std::to_string(open) + " pixels");
                }
                ++checked;
            });
    };
    ASSERT_EQ(RunShowcase(app), 0);
    EXPECT_EQ(checked, 5);
    for (const std::string& fault : drawn)
    {
        ADD_FAILURE() << fault;
    }
}

// The garden's glow comes from its focus layer, which works out the bloom of
// the depth of field's blur itself: a lower bloom level there must brighten
// the frame, as it would a glow drawn in a pass of its own.
TEST(ShowcaseState, GardenGlowFollowsTheBloomLevel)
{
    double mean[2] = {};
    for (int lowered = 0; lowered < 2; ++lowered)
    {
        testsupport::ScriptedClock clock;
        ScriptedShowcase app(clock);
        app.SetStartAt(8000);
        app.afterStart = [&](ScriptedShowcase& started)
        {
            showcase::cShowcaseScene& director = started.GetDirector();
            director.GetSteps().SetObserver(
                [&director, lowered](const char* step, bool after)
                {
                    if (lowered != 0 && !after && std::string(step) == "focus layer")
                    {
                        director.GetPostEffects().GetBloomShader().SetBloom(0.05f);
                    }
                });
        };
        ASSERT_EQ(RunShowcase(app), 0);
        ASSERT_FALSE(app.lastFrame.empty());
        double sum = 0.0;
        for (std::uint8_t value : app.lastFrame)
        {
            sum += value;
        }
        mean[lowered] = sum / static_cast<double>(app.lastFrame.size());
    }
    EXPECT_GT(mean[1], mean[0] + 5.0) << "levels " << mean[0] << " and " << mean[1];
}
