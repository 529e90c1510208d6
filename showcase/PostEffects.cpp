// The passes. Each one draws the unit quad under identity matrices, so the
// quad covers the viewport, which is the target's own size.
#include "PostEffects.h"

#include "ShowcaseResources.h"
#include "platform/GL.h"
#include "render/Quad.h"

#include <algorithm>
#include <cmath>

namespace showcase
{

namespace
{

constexpr int kSize[2] = {cShowcaseResources::kImageWidth, cShowcaseResources::kImageHeight};

// Pixels kept between the open sky and what the scene drew, for rounding.
constexpr float kSkyMargin = 2.0f;

// Draws under identity model-view and projection matrices, both put back.
template <typename Body> void UnderIdentity(Body&& body)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    body();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

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

} // namespace

cPostEffects::cPostEffects()
    : resources(nullptr), steps(nullptr), drawn(&scene), current(&scene), glowReady(false),
      focusPending(false), sky{}, skyKnown(false)
{
}

void cPostEffects::Create()
{
    // The showcase's images stay within 0..1 (its frames match those of half
    // float targets to a few levels), and a software renderer samples 8-bit
    // textures several times faster than half floats.
    MivexGL::cRenderTextureSystem* all[] = {&scene,    &halfScene, &ping, &pong,     &halfPing,
                                            &halfPong, &blur,      &glow, &focusGlow};
    for (MivexGL::cRenderTextureSystem* target : all)
    {
        target->SetColorFormat(GL_RGBA8);
    }
    // The depth of field reads the scene's depth where it was drawn.
    scene.SetDepthInTexture(true);
    scene.Create(kSize[0], kSize[1], 1);
    ping.Create(kSize[0], kSize[1], 1);
    pong.Create(kSize[0], kSize[1], 1);
    halfScene.Create(kHalfWidth, kHalfHeight, 1);
    halfPing.Create(kHalfWidth, kHalfHeight, 1);
    halfPong.Create(kHalfWidth, kHalfHeight, 1);
    blur.Create(kBlurWidth, kBlurHeight, 1);
    glow.Create(kGlowWidth, kGlowHeight, 1);
    focusGlow.Create(kFocusGlowWidth, kFocusGlowHeight, 1);
    // Creation leaves the last colour texture bound.
    glBindTexture(GL_TEXTURE_2D, 0);
}

MivexGL::cRenderTextureSystem& cPostEffects::Spare(bool half)
{
    if (half)
    {
        return current == &halfPing ? halfPong : halfPing;
    }
    return current == &ping ? pong : ping;
}

void cPostEffects::BindUnit(int unit, GLuint texture)
{
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE0);
}

void cPostEffects::WindowRectangle(int left, int bottom, int right, int top)
{
    if (left >= right || bottom >= top)
    {
        return;
    }
    const float u0 = static_cast<float>(left) / static_cast<float>(kSize[0]);
    const float u1 = static_cast<float>(right) / static_cast<float>(kSize[0]);
    const float v0 = static_cast<float>(bottom) / static_cast<float>(kSize[1]);
    const float v1 = static_cast<float>(top) / static_cast<float>(kSize[1]);
    UnderIdentity(
        [&]
        {
            glBegin(GL_QUADS);
            glTexCoord2f(u0, v0);
            glVertex2f(u0 * 2.0f - 1.0f, v0 * 2.0f - 1.0f);
            glTexCoord2f(u1, v0);
            glVertex2f(u1 * 2.0f - 1.0f, v0 * 2.0f - 1.0f);
            glTexCoord2f(u1, v1);
            glVertex2f(u1 * 2.0f - 1.0f, v1 * 2.0f - 1.0f);
            glTexCoord2f(u0, v1);
            glVertex2f(u0 * 2.0f - 1.0f, v1 * 2.0f - 1.0f);
            glEnd();
        });
}

void cPostEffects::DrawAroundSky(cPresentShader& focused, cPresentShader& blurred)
{
    const int w = kSize[0];
    const int h = kSize[1];
    const int horizon = PixelAbove(sky.above, h);
    const int left = PixelBelow(sky.left, w);
    const int right = std::max(left, PixelAbove(sky.right, w));
    const int top = std::max(horizon, PixelAbove(sky.top, h));
    // Below the horizon and the box's column up to its top: the full mix.
    WindowRectangle(0, 0, w, horizon);
    WindowRectangle(left, horizon, right, top);
    focused.Unbind();
    // Without the blur's own program the full mix draws the sky as well.
    if (!blurred.Bind())
    {
        focused.Bind();
    }
    WindowRectangle(0, horizon, left, h);
    WindowRectangle(right, horizon, w, h);
    WindowRectangle(left, top, right, h);
}

void cPostEffects::FullScreenQuad()
{
    UnderIdentity(
        []
        {
            // The quad lies at z = 1, on the far plane of an identity
            // projection; moved to z = 0 it is safely inside.
            glTranslatef(0.0f, 0.0f, -1.0f);
            MivexGL::DrawQuad();
        });
}

void cPostEffects::BeginPass(MivexGL::cRenderTextureSystem& target)
{
    target.Begin();
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, target.GetWidth(), target.GetHeight());
    glDisable(GL_DEPTH_TEST);
}

void cPostEffects::EndPass(MivexGL::cRenderTextureSystem& target)
{
    glEnable(GL_DEPTH_TEST);
    target.End();
    glPopAttrib();
}

void cPostEffects::BeginScene(float r, float g, float b, bool halfSize)
{
    glowReady = false;
    focusPending = false;
    skyKnown = false;
    drawn = halfSize ? &halfScene : &scene;
    drawn->Begin();
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, drawn->GetWidth(), drawn->GetHeight());
    steps->Run("scene clear",
               [&]
               {
                   glClearColor(r, g, b, 1.0f);
                   glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                   glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
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
    if (resources == nullptr || drawn != &scene)
    {
        return;
    }
    MivexGL::cRenderTextureSystem& source = *current;
    MivexGL::cDepthOfFieldShader& dof = resources->GetDepthOfFieldShader();
    dof.SetFocus(focus, range);
    dof.SetDepthRange(nearPlane, farPlane);
    dof.SetAmount(0.0f);
    steps->Run("disc blur",
               [&]
               {
                   MivexGL::cDiscBlurShader& disc = resources->GetDiscBlurShader();
                   BeginPass(blur);
                   source.BindColor();
                   disc.SetSamplerUnit(0);
                   disc.SetBlurFactor(0.006f);
                   // The disc sums thirteen taps over ten; scaling back by
                   // 10/13 keeps out-of-focus parts as bright as they were.
                   // The blend's constant scales it as it is drawn (after the
                   // clamp to the target's range, as a second draw over it
                   // did) and reads nothing back.
                   glEnable(GL_BLEND);
                   glBlendColor(0.0f, 0.0f, 0.0f, 10.0f / 13.0f);
                   glBlendFunc(GL_CONSTANT_ALPHA, GL_ZERO);
                   disc.Bind();
                   FullScreenQuad();
                   disc.Unbind();
                   glBlendColor(0.0f, 0.0f, 0.0f, 0.0f);
                   glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                   glDisable(GL_BLEND);
                   source.Unbind();
                   EndPass(blur);
               });
    // The full-size mix is left to Present, which draws it with the glow
    // in its one pass. The glow spreads the blur itself: a small mix of the
    // sharp image and the blur, spread as widely, looks the same and was a
    // pass of its own reading the full-size image and depth.
    focusPending = true;
}

void cPostEffects::FocusLayerPass(float glowStrength)
{
    cPresentShader& layer = resources->GetFocusLayerShader();
    // The blur is both the layer's blur and the bloom's image.
    layer.SetSamplerUnits(2, 1, 2, 3);
    layer.SetMapUnit(1);
    layer.SetGlowStrength(glowStrength);
    layer.SetDepthOfField(resources->GetDepthOfFieldShader());
    layer.SetBloom(resources->GetBloomShader());
    BeginPass(focusGlow);
    BindUnit(1, resources->GetTexture(cShowcaseResources::kBloomMap).GetName());
    BindUnit(2, blur.GetColorTexture());
    BindUnit(3, scene.GetDepthTexture());
    if (layer.Bind())
    {
        FullScreenQuad();
        layer.Unbind();
    }
    BindUnit(3, 0);
    BindUnit(2, 0);
    BindUnit(1, 0);
    EndPass(focusGlow);
}

void cPostEffects::DepthOfFieldPass(MivexGL::cRenderTextureSystem& source,
                                    MivexGL::cRenderTextureSystem& target)
{
    MivexGL::cDepthOfFieldShader& dof = resources->GetDepthOfFieldShader();
    BeginPass(target);
    BindUnit(0, source.GetColorTexture());
    BindUnit(1, blur.GetColorTexture());
    BindUnit(2, scene.GetDepthTexture());
    dof.SetSamplerUnits(0, 1, 2);
    dof.Bind();
    FullScreenQuad();
    dof.Unbind();
    BindUnit(2, 0);
    BindUnit(1, 0);
    BindUnit(0, 0);
    EndPass(target);
}

void cPostEffects::ResolveFocus()
{
    if (!focusPending)
    {
        return;
    }
    MivexGL::cRenderTextureSystem& source = *current;
    MivexGL::cRenderTextureSystem& target = Spare();
    steps->Run("full-size depth of field", [&] { DepthOfFieldPass(source, target); });
    current = &target;
    focusPending = false;
}

void cPostEffects::RadialBlur(float amount, int iterations)
{
    if (resources == nullptr)
    {
        return;
    }
    ResolveFocus();
    MivexGL::cRenderTextureSystem& source = *current;
    MivexGL::cRenderTextureSystem& target = Spare(true);
    steps->Run("radial blur",
               [&]
               {
                   MivexGL::cRadialBlurShader& radial = resources->GetRadialBlurShader();
                   BeginPass(target);
                   source.BindColor();
                   radial.SetSamplerUnit(0);
                   radial.SetStart(1.0f);
                   radial.SetScale(-amount);
                   // The zoom step divides by iterations - 1.
                   radial.SetIterations(iterations < 2 ? 2 : iterations);
                   radial.SetCenter(0.5f, 0.5f);
                   radial.Bind();
                   FullScreenQuad();
                   radial.Unbind();
                   source.Unbind();
                   EndPass(target);
               });
    current = &target;
}

void cPostEffects::Distort(int program, float x, float y, float z, float w)
{
    if (resources == nullptr)
    {
        return;
    }
    ResolveFocus();
    MivexGL::cRenderTextureSystem& source = *current;
    MivexGL::cRenderTextureSystem& target = Spare(true);
    steps->Run("distort",
               [&]
               {
                   MivexGL::cDistortShader& distort = resources->GetDistortShader();
                   BeginPass(target);
                   source.BindColor();
                   distort.SetSamplerUnit(0);
                   distort.SetProgram(program);
                   distort.SetParameters(x, y, z, w);
                   distort.SetAlpha(1.0f);
                   distort.Bind();
                   FullScreenQuad();
                   distort.Unbind();
                   source.Unbind();
                   EndPass(target);
               });
    current = &target;
}

void cPostEffects::Bloom(float level, float spread)
{
    if (resources == nullptr)
    {
        return;
    }
    MivexGL::cGaussianMapShader& gauss = resources->GetBloomShader();
    gauss.SetBlurFactor(spread);
    gauss.SetBloom(level);
    gauss.SetAlpha(1.0f);
    glowReady = true;
    // The waiting depth of field's glow spreads its blur, at the blur's own
    // texels: its layer works the bloom out there itself, which spares a
    // pass and a read.
    if (focusPending)
    {
        return;
    }
    MivexGL::cRenderTextureSystem& source = *current;
    steps->Run("bloom",
               [&]
               {
                   BeginPass(glow);
                   BindUnit(0, source.GetColorTexture());
                   BindUnit(1, resources->GetTexture(cShowcaseResources::kBloomMap).GetName());
                   gauss.SetSamplerUnits(0, 1);
                   gauss.Bind();
                   FullScreenQuad();
                   gauss.Unbind();
                   BindUnit(1, 0);
                   BindUnit(0, 0);
                   EndPass(glow);
               });
}

void cPostEffects::Present(float glowStrength, float wipeEdge)
{
    const float strength = glowReady ? glowStrength : 0.0f;
    // The small mix the bloom read is spent; the layer takes its place.
    const bool layered = focusPending && resources != nullptr;
    if (layered)
    {
        steps->Run("focus layer", [&] { FocusLayerPass(strength); });
    }
    steps->Run("present",
               [&]
               {
                   glDisable(GL_DEPTH_TEST);
                   BindUnit(0, current->GetColorTexture());
                   // A full-size image meets the window texel for texel:
                   // nearest gives what linear does there, at a quarter of
                   // the reads.
                   const bool oneToOne =
                       current->GetWidth() == kSize[0] && current->GetHeight() == kSize[1];
                   if (oneToOne)
                   {
                       glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
                       glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
                   }
                   BindUnit(1, glow.GetColorTexture());
                   cPresentShader* present = nullptr;
                   cPresentShader* blurred = nullptr;
                   if (resources != nullptr)
                   {
                       present = focusPending ? &resources->GetFocusedPresentShader()
                                              : &resources->GetPresentShader();
                       blurred = focusPending && skyKnown ? &resources->GetBlurredPresentShader()
                                                          : nullptr;
                       for (cPresentShader* program : {present, blurred})
                       {
                           if (program != nullptr)
                           {
                               program->SetSamplerUnits(0, 1, 2, 3);
                               program->SetGlowStrength(layered ? 0.0f : strength);
                               program->SetDepthOfField(resources->GetDepthOfFieldShader());
                           }
                       }
                   }
                   if (focusPending)
                   {
                       BindUnit(2, focusGlow.GetColorTexture());
                   }
                   if (present != nullptr && present->Bind())
                   {
                       if (blurred != nullptr)
                       {
                           DrawAroundSky(*present, *blurred);
                       }
                       else
                       {
                           FullScreenQuad();
                       }
                       present->Unbind();
                   }
                   else
                   {
                       // Without the program the image still shows, unlit.
                       glEnable(GL_TEXTURE_2D);
                       glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
                       FullScreenQuad();
                       glDisable(GL_TEXTURE_2D);
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
                   glEnable(GL_DEPTH_TEST);
               });
    if (resources == nullptr || wipeEdge < -0.02f)
    {
        return;
    }
    steps->Run("wipe",
               [&]
               {
                   MivexGL::cWipeMaskShader& wipe = resources->GetWipeShader();
                   glDisable(GL_DEPTH_TEST);
                   glEnable(GL_BLEND);
                   glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                   wipe.SetBlurFactor(wipeEdge);
                   wipe.Bind();
                   FullScreenQuad();
                   wipe.Unbind();
                   glDisable(GL_BLEND);
                   glEnable(GL_DEPTH_TEST);
               });
}

} // namespace showcase
