// The passes. Each one draws the full-screen quad into a target at the
// target's own size; the programs that did not build leave their pass out,
// so the image goes on unchanged.
#include "effects/PostEffects.h"

#include "platform/GL.h"
#include "render/FullScreenPass.h"
#include "render/GLStateScope.h"

#include <algorithm>
#include <cmath>

namespace MivexGL
{

namespace
{

// Pixels kept between the open sky and what the scene drew, for rounding.
constexpr float kSkyMargin = 2.0f;
// The disc blur's radius, in texture coordinates.
constexpr float kDiscRadius = 0.006f;

// A window fraction to a whole pixel, moved outwards by the margin.
int PixelBelow(float fraction, int size)
{
    return std::clamp(
        static_cast<int>(std::floor(fraction * static_cast<float>(size) - kSkyMargin)), 0, size);
}

int PixelAbove(float fraction, int size)
{
    return std::clamp(static_cast<int>(std::ceil(fraction * static_cast<float>(size) + kSkyMargin)),
                      0, size);
}

void BindUnit(int unit, GLuint texture)
{
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE0);
}

template <typename Program> void Build(Program& program)
{
    program.InitGLSL();
    program.LoadVertexShader();
    program.LoadFragmentShader();
}

} // namespace

cPostEffects::cPostEffects()
    : width(0), height(0), followsViewport(true), bloomMap(0), whiteMap(0), drawn(&scene),
      current(&scene), glowReady(false), focusPending(false), sky{}, skyKnown(false)
{
}

cPostEffects::~cPostEffects() = default;

void cPostEffects::BuildPrograms()
{
    bloom.InitGLSL();
    bloom.LoadVertexShader();
    bloom.LoadBlurMapProgram(static_cast<float>(width), static_cast<float>(height));
    Build(discBlur);
    Build(depthOfField);
    Build(radialBlur);
    Build(distort);
    Build(wipe);
    for (cPresentShader& program : present)
    {
        Build(program);
    }
    const GLubyte white[4] = {255, 255, 255, 255};
    glGenTextures(1, &whiteMap);
    glBindTexture(GL_TEXTURE_2D, whiteMap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void cPostEffects::Create(int targetWidth, int targetHeight)
{
    followsViewport = false;
    CreateTargets(targetWidth, targetHeight);
}

void cPostEffects::FollowViewport()
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = std::max(4, static_cast<int>(viewport[2]));
    const int h = std::max(4, static_cast<int>(viewport[3]));
    const bool live = scene.IsLive();
    if (live && w == width && h == height)
    {
        return;
    }
    // In the same context the old targets would only take memory; after a
    // display switch their names are forgotten, not deleted.
    cRenderTextureSystem* all[] = {&scene,    &halfScene, &ping, &pong,     &halfPing,
                                   &halfPong, &blur,      &glow, &focusGlow};
    for (cRenderTextureSystem* target : all)
    {
        target->Release();
    }
    CreateTargets(w, h);
}

void cPostEffects::CreateTargets(int targetWidth, int targetHeight)
{
    width = std::max(4, targetWidth);
    height = std::max(4, targetHeight);
    if (!bloom.IsInitialised())
    {
        BuildPrograms();
    }
    bloom.SetImageSize(static_cast<float>(width), static_cast<float>(height));
    // Images that stay within 0..1 (a scene's colours, a glow added at the
    // end) lose nothing to 8-bit targets, and a software renderer samples
    // those several times faster than half floats.
    cRenderTextureSystem* all[] = {&scene,    &halfScene, &ping, &pong,     &halfPing,
                                   &halfPong, &blur,      &glow, &focusGlow};
    for (cRenderTextureSystem* target : all)
    {
        target->SetColorFormat(GL_RGBA8);
    }
    // The depth of field reads the scene's depth where it was drawn.
    scene.SetDepthInTexture(true);
    scene.Create(width, height, 1);
    ping.Create(width, height, 1);
    pong.Create(width, height, 1);
    halfScene.Create(width / 2, height / 2, 1);
    halfPing.Create(width / 2, height / 2, 1);
    halfPong.Create(width / 2, height / 2, 1);
    blur.Create(width / 4, height / 4, 1);
    glow.Create(width / 4, height / 4, 1);
    focusGlow.Create(width / 4, height / 4, 1);
    // Creation leaves the last colour texture bound.
    glBindTexture(GL_TEXTURE_2D, 0);
}

cRenderTextureSystem& cPostEffects::Spare(bool half)
{
    if (half)
    {
        return current == &halfPing ? halfPong : halfPing;
    }
    return current == &ping ? pong : ping;
}

void cPostEffects::DrawPixels(int left, int bottom, int right, int top) const
{
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    DrawFullScreenPart(static_cast<float>(left) / w, static_cast<float>(bottom) / h,
                       static_cast<float>(right) / w, static_cast<float>(top) / h);
}

void cPostEffects::DrawAroundSky(cPresentShader& focused, cPresentShader& blurred)
{
    const int horizon = PixelAbove(sky.above, height);
    const int left = PixelBelow(sky.left, width);
    const int right = std::max(left, PixelAbove(sky.right, width));
    const int top = std::max(horizon, PixelAbove(sky.top, height));
    // Below the horizon and the box's column up to its top: the full mix.
    DrawPixels(0, 0, width, horizon);
    DrawPixels(left, horizon, right, top);
    focused.Unbind();
    // Without the blur's own program the full mix draws the sky as well.
    if (!blurred.Bind())
    {
        focused.Bind();
    }
    DrawPixels(0, horizon, left, height);
    DrawPixels(right, horizon, width, height);
    DrawPixels(left, top, right, height);
}

void cPostEffects::BeginScene(float r, float g, float b, bool halfSize)
{
    if (followsViewport)
    {
        FollowViewport();
    }
    glowReady = false;
    focusPending = false;
    skyKnown = false;
    drawn = halfSize ? &halfScene : &scene;
    drawn->Begin();
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, drawn->GetWidth(), drawn->GetHeight());
    Run("scene clear",
        [&]
        {
            cGLStateScope saved(GL_COLOR_BUFFER_BIT);
            glClearColor(r, g, b, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        });
}

void cPostEffects::SetOpenSky(const OpenSky& value)
{
    sky = value;
    skyKnown = true;
}

void cPostEffects::EndScene()
{
    drawn->End();
    glPopAttrib();
    current = drawn;
}

void cPostEffects::DepthOfField(float focus, float range, float nearPlane, float farPlane)
{
    // A half-size scene keeps no depth: the one read would be stale.
    if (drawn != &scene || !discBlur.IsLinked() || !depthOfField.IsLinked() ||
        !present[cPresentShader::kWithDepthOfField].IsLinked() ||
        !present[cPresentShader::kFocusLayer].IsLinked())
    {
        return;
    }
    cRenderTextureSystem& source = *current;
    depthOfField.SetFocus(focus, range);
    depthOfField.SetDepthRange(nearPlane, farPlane);
    depthOfField.SetAmount(0.0f);
    Run("disc blur",
        [&]
        {
            cFullScreenPass pass(blur);
            cGLStateScope saved(GL_COLOR_BUFFER_BIT);
            source.BindColor();
            discBlur.SetSamplerUnit(0);
            discBlur.SetBlurFactor(kDiscRadius);
            // The disc sums thirteen taps over ten; scaling back by 10/13
            // keeps out-of-focus parts as bright as they were. The blend's
            // constant scales it as it is drawn (after the clamp to the
            // target's range, as a second draw over it did) and reads
            // nothing back.
            glEnable(GL_BLEND);
            glBlendColor(0.0f, 0.0f, 0.0f, 10.0f / 13.0f);
            glBlendFunc(GL_CONSTANT_ALPHA, GL_ZERO);
            discBlur.Bind();
            DrawFullScreen();
            discBlur.Unbind();
            source.Unbind();
        });
    // The full-size mix is left to Present, which draws it with the glow
    // in its one pass. The glow spreads the blur itself: a small mix of the
    // sharp image and the blur, spread as widely, looks the same and was a
    // pass of its own reading the full-size image and depth.
    focusPending = true;
}

void cPostEffects::FocusLayerPass(float glowStrength)
{
    cPresentShader& layer = present[cPresentShader::kFocusLayer];
    // The blur is both the layer's blur and the bloom's image.
    layer.image = 2;
    layer.glow = 1;
    layer.blur = 2;
    layer.depth = 3;
    layer.bloomMap = 1;
    layer.glowStrength = glowStrength;
    layer.SetDepthOfField(depthOfField);
    layer.SetBloom(bloom);
    cFullScreenPass pass(focusGlow);
    BindUnit(1, bloomMap != 0 ? bloomMap : whiteMap);
    BindUnit(2, blur.GetColorTexture());
    BindUnit(3, scene.GetDepthTexture());
    if (layer.Bind())
    {
        DrawFullScreen();
        layer.Unbind();
    }
    BindUnit(3, 0);
    BindUnit(2, 0);
    BindUnit(1, 0);
}

void cPostEffects::DepthOfFieldPass(cRenderTextureSystem& source, cRenderTextureSystem& target)
{
    cFullScreenPass pass(target);
    BindUnit(0, source.GetColorTexture());
    BindUnit(1, blur.GetColorTexture());
    BindUnit(2, scene.GetDepthTexture());
    depthOfField.SetSamplerUnits(0, 1, 2);
    depthOfField.Bind();
    DrawFullScreen();
    depthOfField.Unbind();
    BindUnit(2, 0);
    BindUnit(1, 0);
    BindUnit(0, 0);
}

void cPostEffects::ResolveFocus()
{
    if (!focusPending)
    {
        return;
    }
    cRenderTextureSystem& source = *current;
    cRenderTextureSystem& target = Spare();
    Run("full-size depth of field", [&] { DepthOfFieldPass(source, target); });
    current = &target;
    focusPending = false;
}

void cPostEffects::RadialBlur(float amount, int iterations)
{
    if (!radialBlur.IsLinked())
    {
        return;
    }
    ResolveFocus();
    cRenderTextureSystem& source = *current;
    cRenderTextureSystem& target = Spare(true);
    Run("radial blur",
        [&]
        {
            cFullScreenPass pass(target);
            source.BindColor();
            radialBlur.SetSamplerUnit(0);
            radialBlur.SetStart(1.0f);
            radialBlur.SetScale(-amount);
            // The zoom step divides by iterations - 1.
            radialBlur.SetIterations(iterations < 2 ? 2 : iterations);
            radialBlur.SetCenter(0.5f, 0.5f);
            radialBlur.Bind();
            DrawFullScreen();
            radialBlur.Unbind();
            source.Unbind();
        });
    current = &target;
}

void cPostEffects::Distort(int program, float x, float y, float z, float w)
{
    if (!distort.IsLinked())
    {
        return;
    }
    ResolveFocus();
    cRenderTextureSystem& source = *current;
    cRenderTextureSystem& target = Spare(true);
    Run("distort",
        [&]
        {
            cFullScreenPass pass(target);
            source.BindColor();
            distort.SetSamplerUnit(0);
            distort.SetProgram(program);
            distort.SetParameters(x, y, z, w);
            distort.SetAlpha(1.0f);
            distort.Bind();
            DrawFullScreen();
            distort.Unbind();
            source.Unbind();
        });
    current = &target;
}

void cPostEffects::Apply(const char* pass, const cListedShader& program, bool halfSize)
{
    if (!program.IsLinked())
    {
        return;
    }
    ResolveFocus();
    cRenderTextureSystem& source = *current;
    cRenderTextureSystem& target = Spare(halfSize);
    Run(pass,
        [&]
        {
            cFullScreenPass into(target);
            source.BindColor();
            if (program.Bind())
            {
                DrawFullScreen();
                program.Unbind();
            }
            source.Unbind();
        });
    current = &target;
}

void cPostEffects::Bloom(float level, float spread)
{
    if (!bloom.IsLinked())
    {
        return;
    }
    bloom.SetBlurFactor(spread);
    bloom.SetBloom(level);
    bloom.SetAlpha(1.0f);
    glowReady = true;
    // The waiting depth of field's glow spreads its blur, at the blur's own
    // texels: its layer works the bloom out there itself, which spares a
    // pass and a read.
    if (focusPending)
    {
        return;
    }
    cRenderTextureSystem& source = *current;
    Run("bloom",
        [&]
        {
            cFullScreenPass pass(glow);
            BindUnit(0, source.GetColorTexture());
            BindUnit(1, bloomMap != 0 ? bloomMap : whiteMap);
            bloom.SetSamplerUnits(0, 1);
            bloom.Bind();
            DrawFullScreen();
            bloom.Unbind();
            BindUnit(1, 0);
            BindUnit(0, 0);
        });
}

void cPostEffects::Present(float glowStrength, float wipeEdge)
{
    const float strength = glowReady ? glowStrength : 0.0f;
    // The small mix the bloom read is spent; the layer takes its place.
    const bool layered = focusPending;
    if (layered)
    {
        Run("focus layer", [&] { FocusLayerPass(strength); });
    }
    Run("present",
        [&]
        {
            cFullScreenPass pass;
            BindUnit(0, current->GetColorTexture());
            // A full-size image meets the window texel for texel: nearest
            // gives what linear does there, at a quarter of the reads.
            const bool oneToOne = current->GetWidth() == width && current->GetHeight() == height;
            if (oneToOne)
            {
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            }
            BindUnit(1, glow.GetColorTexture());
            cPresentShader& shown =
                present[focusPending ? cPresentShader::kWithDepthOfField : cPresentShader::kSharp];
            cPresentShader* blurred =
                focusPending && skyKnown ? &present[cPresentShader::kBlurredOnly] : nullptr;
            for (cPresentShader* program : {&shown, blurred})
            {
                if (program != nullptr)
                {
                    program->image = 0;
                    program->glow = 1;
                    program->blur = 2;
                    program->depth = 3;
                    program->glowStrength = layered ? 0.0f : strength;
                    program->SetDepthOfField(depthOfField);
                }
            }
            if (focusPending)
            {
                BindUnit(2, focusGlow.GetColorTexture());
            }
            if (shown.Bind())
            {
                if (blurred != nullptr)
                {
                    DrawAroundSky(shown, *blurred);
                }
                else
                {
                    DrawFullScreen();
                }
                shown.Unbind();
            }
            else
            {
                // Without the program the image still shows, unlit.
                cGLStateScope saved(GL_ENABLE_BIT | GL_CURRENT_BIT);
                glEnable(GL_TEXTURE_2D);
                glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
                DrawFullScreen();
            }
            if (focusPending)
            {
                BindUnit(2, 0);
            }
            BindUnit(1, 0);
            if (oneToOne)
            {
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            }
            BindUnit(0, 0);
        });
    if (wipeEdge < -0.02f || !wipe.IsLinked())
    {
        return;
    }
    Run("wipe",
        [&]
        {
            cFullScreenPass pass;
            cGLStateScope saved(GL_COLOR_BUFFER_BIT);
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            wipe.SetBlurFactor(wipeEdge);
            wipe.Bind();
            DrawFullScreen();
            wipe.Unbind();
        });
}

} // namespace MivexGL
