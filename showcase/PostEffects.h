// The showcase's image passes: the scenes draw into a full-size render
// target (or a half-size one when only a half-size pass will see them), and
// each pass reads the current image and leaves its result in a
// spare target (depth of field with a disc blur, radial blur, distortion),
// the bloom makes a small glow image beside it, and Present draws the result
// to the window with the glow added and a wipe mask over it. Every program
// is bound, given its values through its setters and unbound again, and each
// pass leaves the GL state as it found it. Builds on render targets
// (render/RenderTextureSystem.h), the unit quad and the showcase's resources.
#pragma once

#include "FrameSteps.h"
#include "PresentShader.h"
#include "render/RenderTextureSystem.h"

namespace showcase
{

class cShowcaseResources;

class cPostEffects
{
public:
    static constexpr int kGlowWidth = 256;
    static constexpr int kGlowHeight = 192;
    static constexpr int kBlurWidth = 256;
    static constexpr int kBlurHeight = 192;
    static constexpr int kHalfWidth = 512;
    static constexpr int kHalfHeight = 384;
    // The focus layer: the blur's share of the depth of field and the glow,
    // both of which are this size already.
    static constexpr int kFocusGlowWidth = 256;
    static constexpr int kFocusGlowHeight = 192;

    // Where the scene drew nothing (its depth is the far plane's), in
    // window fractions from the bottom left: every row above `above`, less
    // the box. The depth of field there is the blur alone.
    struct OpenSky
    {
        float above;
        float left;
        float bottom;
        float right;
        float top;
    };

    cPostEffects();

    void SetResources(cShowcaseResources* value) { resources = value; }
    void SetSteps(const cFrameSteps* value) { steps = value; }
    // Makes the targets; needs the GL context.
    void Create();

    // The scenes draw between these, into the scene target, which is
    // cleared to the colour given. EndScene keeps its depth for the depth
    // of field and makes the scene the current image. A frame only ever
    // seen through a half-size pass (the radial blur) may draw its scene
    // at half size: a quarter of the pixels to shade. Such a scene keeps
    // no depth to read, so it cannot take the depth of field.
    void BeginScene(float r, float g, float b, bool halfSize = false);
    void EndScene();

    // Sharp at focus (eye distance), fully blurred range beyond it either
    // way, for a projection with these clip planes. The full-size mix waits
    // for Present, which draws it in its own pass, unless another pass
    // needs the image first; the bloom spreads the blur.
    void DepthOfField(float focus, float range, float nearPlane, float farPlane);
    // Lets Present draw the open sky of this frame's depth of field with the
    // blur alone, without reading the image or the depth there. BeginScene
    // forgets it.
    void SetOpenSky(const OpenSky& value);
    // Zoom blur about the middle: the last sample is 1 - amount times the
    // size. Drawn at half size. The showcase's program has its eight
    // samples built in; iterations only reaches one that has not.
    void RadialBlur(float amount, int iterations);
    // One of the numbered distortions of the current image, at half size.
    void Distort(int program, float x, float y, float z, float w);
    // The glow of the parts brighter than level, spread texels apart. With
    // the depth of field waiting, the glow of its blur, which its focus
    // layer works out.
    void Bloom(float level, float spread);
    // The current image to the window, the glow added at strength (0 for
    // none), then black below wipeEdge (in screen heights from the bottom;
    // below -0.02 nothing is covered, above 1.02 everything).
    void Present(float glowStrength, float wipeEdge);

    const MivexGL::cRenderTextureSystem& GetSceneTarget() const { return scene; }

private:
    // A target that is not the current image: full size, or half size for
    // the passes that blur anyway (a quarter of the pixels to shade).
    MivexGL::cRenderTextureSystem& Spare(bool half = false);
    // Drawing into a target: bound, viewport set, matrices for the quad.
    void BeginPass(MivexGL::cRenderTextureSystem& target);
    void EndPass(MivexGL::cRenderTextureSystem& target);
    // The unit quad over the whole of the current viewport.
    static void FullScreenQuad();
    // The blur's share of the mix and the glow into the focus layer.
    void FocusLayerPass(float glowStrength);
    // The depth of field of source (the scene's depth) drawn into target.
    void DepthOfFieldPass(MivexGL::cRenderTextureSystem& source,
                          MivexGL::cRenderTextureSystem& target);
    // Draws the waiting depth of field at full size and makes it current.
    void ResolveFocus();
    static void BindUnit(int unit, GLuint texture);
    // A rectangle of the window in whole pixels, the image read at the same
    // place, under identity matrices.
    static void WindowRectangle(int left, int bottom, int right, int top);
    // The waiting depth of field drawn with the blur alone over the open
    // sky and in full elsewhere, with the program bound by the caller.
    void DrawAroundSky(cPresentShader& focused, cPresentShader& blurred);

    cShowcaseResources* resources;
    const cFrameSteps* steps;
    MivexGL::cRenderTextureSystem scene;
    MivexGL::cRenderTextureSystem halfScene;
    // The scene target of this frame: scene or halfScene.
    MivexGL::cRenderTextureSystem* drawn;
    MivexGL::cRenderTextureSystem ping;
    MivexGL::cRenderTextureSystem pong;
    MivexGL::cRenderTextureSystem halfPing;
    MivexGL::cRenderTextureSystem halfPong;
    MivexGL::cRenderTextureSystem blur;
    MivexGL::cRenderTextureSystem glow;
    MivexGL::cRenderTextureSystem focusGlow;
    MivexGL::cRenderTextureSystem* current;
    bool glowReady;
    // The current image still wants its depth of field.
    bool focusPending;
    OpenSky sky;
    bool skyKnown;
};

} // namespace showcase
