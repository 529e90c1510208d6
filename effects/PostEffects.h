// A post-effect chain: the scene draws into a render target (full size, or
// half size when only a half-size pass will see it), each pass reads the
// current image and leaves its result in a spare target (depth of field with
// a disc blur, radial blur, distortion), the bloom makes a small glow image
// beside it, and Present draws the result over the current viewport with the
// glow added and an optional wipe mask over it. The chain owns its targets
// and programs; every program is bound, given its values and unbound again,
// and each pass leaves the GL state as it found it. A pass hook may wrap each
// pass (to time it, or to look at the state around it). Builds on render
// targets, the full-screen pass and the state scope (render/), the image
// programs (shaders/) and the present program (effects/PresentShader.h).
//
//     MivexGL::cPostEffects post;            // a member of the director
//     post.BeginScene(0.1f, 0.1f, 0.2f);     // each frame: sized to the window
//     DrawMyScene();                         // its own camera and programs
//     ...
//
// Without a Create the chain takes its size from the viewport at each
// BeginScene (the window's), and makes its targets again when the window's
// size changes or a display switch (F1) has lost them. Create(w, h) fixes
// the size instead:
//
//     post.Create(1024, 768);                // in Init, with the GL context
//     post.BeginScene(0.1f, 0.1f, 0.2f);     // each frame
//     DrawMyScene();                         // its own camera and programs
//     post.EndScene();
//     post.DepthOfField(focus, 6.0f, kNear, kFar);
//     post.Apply("tint", tintShader);        // a program of its own
//     post.Bloom(0.6f, 3.0f);
//     post.Present(0.8f);
#pragma once

#include "effects/PresentShader.h"
#include "render/RenderTextureSystem.h"
#include "shaders/BlurShaders.h"
#include "shaders/ScreenShaders.h"

#include <functional>

namespace MivexGL
{

class cPostEffects
{
public:
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
    // Runs draw, the pass named, however it likes (it must run it once).
    using PassHook = std::function<void(const char* pass, const std::function<void()>& draw)>;

    cPostEffects();
    ~cPostEffects();
    cPostEffects(const cPostEffects&) = delete;
    cPostEffects& operator=(const cPostEffects&) = delete;

    // Makes the targets for a scene of width x height pixels (the half-size
    // ones at half, the blur and glow at a quarter of each side), and the
    // programs the first time; needs the GL context. Again after a context
    // change, which shares programs and textures but not framebuffers. The
    // size then stays fixed: without a Create the chain follows the window.
    void Create(int width, int height);
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // The texture whose red channel says how much of the glow each pixel
    // takes (0 none, 1 all); the bloom is everywhere without one.
    void SetBloomMap(GLuint texture) { bloomMap = texture; }
    void SetPassHook(PassHook value) { hook = std::move(value); }

    // The scene draws between these, into the scene target, which is
    // cleared to the colour given. EndScene keeps its depth for the depth
    // of field and makes the scene the current image. A frame only ever
    // seen through a half-size pass (the radial blur) may draw its scene
    // at half size: a quarter of the pixels to shade. Such a scene keeps
    // no depth to read, so it cannot take the depth of field.
    void BeginScene(float r, float g, float b, bool halfSize = false);
    void EndScene();
    // BeginScene, draw(), EndScene: the scene in one line.
    template <typename Draw> void DrawScene(float r, float g, float b, Draw&& draw)
    {
        BeginScene(r, g, b);
        draw();
        EndScene();
    }

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
    // size. Drawn at half size. The chain's program has its eight samples
    // built in; iterations only reaches one that has not.
    void RadialBlur(float amount, int iterations);
    // One of the numbered distortions of the current image
    // (cDistortShader), at half size.
    void Distort(int program, float x, float y, float z, float w);
    // The current image through a program of the caller's, which reads it
    // from texture unit 0, at full size or half; the pass hook sees it as
    // pass. A program that never linked leaves the image as it was.
    void Apply(const char* pass, const cListedShader& program, bool halfSize = false);
    // The glow of the parts brighter than level, spread texels apart. With
    // the depth of field waiting, the glow of its blur, which its focus
    // layer works out.
    void Bloom(float level, float spread);
    // The current image over the current viewport, the glow added at
    // strength (0 for none), then black below wipeEdge (in viewport heights
    // from the bottom; below -0.02 nothing is covered, above 1.02
    // everything).
    void Present(float glowStrength, float wipeEdge = -1.0f);

    const cRenderTextureSystem& GetSceneTarget() const { return scene; }
    // The programs, for their values and how their builds went.
    cGaussianMapShader& GetBloomShader() { return bloom; }
    const cDiscBlurShader& GetDiscBlurShader() const { return discBlur; }
    const cDepthOfFieldShader& GetDepthOfFieldShader() const { return depthOfField; }
    const cRadialBlurShader& GetRadialBlurShader() const { return radialBlur; }
    const cDistortShader& GetDistortShader() const { return distort; }
    const cWipeMaskShader& GetWipeShader() const { return wipe; }
    const cPresentShader& GetPresentShader(cPresentShader::Focus focus) const
    {
        return present[focus];
    }

private:
    template <typename Body> void Run(const char* pass, Body&& body)
    {
        if (hook)
        {
            hook(pass, body);
        }
        else
        {
            body();
        }
    }
    void BuildPrograms();
    void CreateTargets(int targetWidth, int targetHeight);
    // The targets at the viewport's size, made again when that has changed
    // or a display switch has lost them.
    void FollowViewport();
    // A target that is not the current image: full size, or half size for
    // the passes that blur anyway (a quarter of the pixels to shade).
    cRenderTextureSystem& Spare(bool half = false);
    // The blur's share of the mix and the glow into the focus layer.
    void FocusLayerPass(float glowStrength);
    // The depth of field of source (the scene's depth) drawn into target.
    void DepthOfFieldPass(cRenderTextureSystem& source, cRenderTextureSystem& target);
    // Draws the waiting depth of field at full size and makes it current.
    void ResolveFocus();
    // The waiting depth of field drawn with the blur alone over the open
    // sky and in full elsewhere, with the program bound by the caller.
    void DrawAroundSky(cPresentShader& focused, cPresentShader& blurred);
    // A rectangle of the scene in whole pixels, the image read at the same
    // place.
    void DrawPixels(int left, int bottom, int right, int top) const;

    int width;
    int height;
    // Whether the size follows the viewport (no Create was called).
    bool followsViewport;
    GLuint bloomMap;
    // The bloom map without one given: one white texel.
    GLuint whiteMap;
    PassHook hook;
    cGaussianMapShader bloom;
    cDiscBlurShader discBlur;
    cDepthOfFieldShader depthOfField;
    cRadialBlurShader radialBlur{cRadialBlurShader::kEightTaps};
    cDistortShader distort;
    cWipeMaskShader wipe;
    cPresentShader present[4] = {
        cPresentShader(cPresentShader::kSharp), cPresentShader(cPresentShader::kWithDepthOfField),
        cPresentShader(cPresentShader::kBlurredOnly), cPresentShader(cPresentShader::kFocusLayer)};
    cRenderTextureSystem scene;
    cRenderTextureSystem halfScene;
    // The scene target of this frame: scene or halfScene.
    cRenderTextureSystem* drawn;
    cRenderTextureSystem ping;
    cRenderTextureSystem pong;
    cRenderTextureSystem halfPing;
    cRenderTextureSystem halfPong;
    cRenderTextureSystem blur;
    cRenderTextureSystem glow;
    cRenderTextureSystem focusGlow;
    cRenderTextureSystem* current;
    bool glowReady;
    // The current image still wants its depth of field.
    bool focusPending;
    OpenSky sky;
    bool skyKnown;
};

} // namespace MivexGL
