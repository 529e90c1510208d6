// The showcase's last pass in one program: the finished image with its glow
// added at a strength, drawn to the window, and in the variant with depth of
// field the sharp scene is mixed with a small layer that holds the blur's
// share by depth and the glow. One full-screen pass instead of a full-size depth of field pass, the
// image and then the glow blended over it, each of which costs about a frame of one textured quad
// on a software renderer. Builds on the listed-uniform program base (shaders/ListedShader.h) and
// the depth of field's GLSL (shaders/ScreenShaders.h).
#pragma once

#include "shaders/BlurShaders.h"
#include "shaders/ScreenShaders.h"

namespace showcase
{

class cPresentShader : public MivexGL::cListedShader
{
public:
    enum Slot
    {
        kImage,
        kGlow,
        kGlowStrength,
        kBlur,
        kDepth,
        kParams,
        kAmount,
        kMap,
        kBlurFactor,
        kWidth,
        kHeight,
        kAlpha,
        kBloom,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];
    enum Focus
    {
        kSharp,
        kWithDepthOfField,
        // Where the depth of field is known to be all blur (nothing drawn,
        // the depth at the far plane): the blur alone, which is what the mix
        // gives there, without reading the image or the depth.
        kBlurredOnly,
        // The blur's share and the glow at the blur's size, for
        // kWithDepthOfField and kBlurredOnly to read as their blur with no
        // glow of their own. The glow is the bloom of the blur, worked out
        // for each texel here rather than read from a pass of its own.
        kFocusLayer
    };

    explicit cPresentShader(Focus focus = kSharp);

    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    // The image (the sharp scene with depth of field), its blur and depth.
    void SetSamplerUnits(int image, int glow, int blurred = 2, int depthImage = 3);
    // 0 leaves the glow out, its alpha too.
    void SetGlowStrength(float value) { glowStrength = value; }
    float GetGlowStrength() const { return glowStrength; }
    // Focus, range, depth range and amount as that program has them.
    void SetDepthOfField(const MivexGL::cDepthOfFieldShader& from);
    // The layer's bloom: the blur in the image's unit, the blur map in
    // this one, and the spread, level and size as the bloom program has
    // them.
    void SetMapUnit(int value) { mapUnit = value; }
    void SetBloom(const MivexGL::cGaussianMapShader& from);

protected:
    void SendValues() const override;

private:
    int units[4];
    float glowStrength;
    float params[4];
    float amount;
    int mapUnit;
    // Spread, size, alpha and level of the layer's bloom.
    float bloom[5];
};

} // namespace showcase
