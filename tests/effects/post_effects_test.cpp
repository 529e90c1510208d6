// The post-effect chain on its own, as a production outside the showcase
// uses it: at a size of its own, with no bloom map, through every pass the
// chain has and a program of the production's own, named to the pass hook in
// the order they run. A flat scene comes out flat where a pass only blurs
// it, brighter with a glow, turned by the production's program, and black
// under a wipe that covers everything. (The showcase's golden frames hold
// the chain at its full use.)
#include "effects/PostEffects.h"

#include "platform/GL.h"
#include "platform/OffscreenGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// A production's own pass: the image turned to its negative, scaled.
class cNegativeShader : public MivexGL::cListedShader
{
public:
    cNegativeShader()
        : cListedShader("cNegativeShader", MivexGL::kImageVertexSource, R"(
uniform sampler2D image;
uniform float scale;
varying vec2 texCoords;
void main()
{
    gl_FragColor = vec4((1.0 - texture2D(image, texCoords).rgb) * scale, 1.0);
}
)")
    {
    }
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    cUniform<int> image{*this, "image", 0};
    cUniform<float> scale{*this, "scale", 1.0f};
};

constexpr int kWidth = 96;
constexpr int kHeight = 72;

class PostEffects : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        gl = new platform::OffscreenGL;
        ASSERT_TRUE(gl->Create(kWidth, kHeight));
        post = new MivexGL::cPostEffects;
        post->Create(kWidth, kHeight);
        post->SetPassHook(
            [](const char* pass, const std::function<void()>& draw)
            {
                passes += std::string(pass) + ";";
                draw();
            });
    }
    static void TearDownTestSuite()
    {
        delete post;
        delete gl;
    }
    void SetUp() override
    {
        ASSERT_TRUE(gl->MakeCurrent());
        glViewport(0, 0, kWidth, kHeight);
        glEnable(GL_DEPTH_TEST);
        passes.clear();
    }

    // The scene: cleared to grey, then nothing drawn.
    static void FlatScene(float grey)
    {
        post->BeginScene(grey, grey, grey);
        post->EndScene();
    }

    // The window's mean level per channel, and the largest distance of any
    // pixel from it.
    static double Mean(double* spread = nullptr)
    {
        std::vector<unsigned char> pixels(kWidth * kHeight * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        double sum = 0.0;
        for (unsigned char p : pixels)
        {
            sum += p;
        }
        const double mean = sum / static_cast<double>(pixels.size());
        if (spread != nullptr)
        {
            *spread = 0.0;
            for (unsigned char p : pixels)
            {
                *spread = std::fmax(*spread, std::fabs(p - mean));
            }
        }
        return mean;
    }

    static platform::OffscreenGL* gl;
    static MivexGL::cPostEffects* post;
    static std::string passes;
};

platform::OffscreenGL* PostEffects::gl = nullptr;
MivexGL::cPostEffects* PostEffects::post = nullptr;
std::string PostEffects::passes;

TEST_F(PostEffects, EveryProgramBuilds)
{
    EXPECT_TRUE(post->GetBloomShader().IsLinked());
    EXPECT_TRUE(post->GetDiscBlurShader().IsLinked());
    EXPECT_TRUE(post->GetDepthOfFieldShader().IsLinked());
    EXPECT_TRUE(post->GetRadialBlurShader().IsLinked());
    EXPECT_TRUE(post->GetDistortShader().IsLinked());
    EXPECT_TRUE(post->GetWipeShader().IsLinked());
    for (int focus = 0; focus < 4; ++focus)
    {
        EXPECT_TRUE(
            post->GetPresentShader(static_cast<MivexGL::cPresentShader::Focus>(focus)).IsLinked());
    }
}

TEST_F(PostEffects, BlurringPassesKeepAFlatSceneFlat)
{
    FlatScene(0.4f);
    post->Present(0.0f);
    double spread = 0.0;
    EXPECT_NEAR(Mean(&spread), 102.0, 1.0);
    EXPECT_LE(spread, 1.0);

    // Nothing drawn: the far plane everywhere, so the depth of field is its
    // blur alone, which a flat image does not change.
    FlatScene(0.4f);
    post->DepthOfField(5.0f, 2.0f, 0.5f, 50.0f);
    post->RadialBlur(0.1f, 8);
    post->Present(0.0f);
    EXPECT_NEAR(Mean(&spread), 102.0, 2.0);
    EXPECT_LE(spread, 2.0);
    EXPECT_EQ(passes, "scene clear;present;scene clear;disc blur;full-size depth of field;"
                      "radial blur;present;");
}

TEST_F(PostEffects, AProgramOfTheProductionsOwnIsAPass)
{
    cNegativeShader negative;
    FlatScene(0.4f);
    // Not built: the image goes on as it was.
    post->Apply("negative", negative);
    post->Present(0.0f);
    EXPECT_NEAR(Mean(), 102.0, 1.0);

    ASSERT_TRUE(negative.InitGLSL() && negative.LoadVertexShader() &&
                negative.LoadFragmentShader());
    negative.scale = 0.5f;
    FlatScene(0.4f);
    post->Apply("negative", negative, true);
    post->Present(0.0f);
    EXPECT_NEAR(Mean(), 255.0 * 0.3, 1.0);
    EXPECT_EQ(passes, "scene clear;present;scene clear;negative;present;");
}

TEST_F(PostEffects, BloomWithoutAMapGlowsEverywhere)
{
    FlatScene(0.5f);
    post->Bloom(0.25f, 1.0f);
    post->Present(0.5f);
    // (0.5 - 0.25) / 0.75 of a third, at half strength, over 0.5.
    double spread = 0.0;
    EXPECT_NEAR(Mean(&spread), 255.0 * (0.5 + 0.5 / 3.0), 2.0);
    EXPECT_LE(spread, 2.0);

    FlatScene(0.5f);
    post->Distort(1, 1.0f, 0.0f, 0.5f, 0.0f);
    post->Bloom(0.25f, 1.0f);
    post->Present(0.0f, 1.1f);
    EXPECT_EQ(Mean(), 0.0);
    EXPECT_EQ(passes, "scene clear;bloom;present;scene clear;distort;bloom;present;wipe;");
}

} // namespace
