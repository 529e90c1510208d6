// The post-effect chain's last pass in one program: the finished image with
// its glow added at a strength, drawn to the window, and in the variant with
// depth of field the sharp scene is mixed with a small layer that holds the
// blur's share by depth and the glow. One full-screen pass instead of a
// full-size depth of field pass, the image and then the glow blended over it,
// each of which costs about a frame of one textured quad on a software
// renderer. Its uniforms are member handles, set by the chain. Builds on the
// listed-uniform program base (shaders/ListedShader.h) and the depth of
// field's and the bloom's GLSL (shaders/ScreenShaders.h,
// shaders/BlurShaders.h).
#pragma once

#include "shaders/BlurShaders.h"
#include "shaders/ScreenShaders.h"

namespace MivexGL
{

class cPresentShader : public cListedShader
{
public:
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

    // Focus, range, depth range and amount as that program has them.
    void SetDepthOfField(const cDepthOfFieldShader& from);
    // The layer's spread, size, alpha and level as the bloom program has
    // them.
    void SetBloom(const cGaussianMapShader& from);

    // The units of the image (the sharp scene with depth of field), the
    // glow, the blur and the depth.
    cUniform<int> image{*this, "sampler0", 0};
    cUniform<int> glow{*this, "glow", 1};
    cUniform<int> blur{*this, "blur", 2};
    cUniform<int> depth{*this, "depth", 3};
    // 0 leaves the glow out, its alpha too.
    cUniform<float> glowStrength{*this, "glowStrength", 0.0f};
    // The layer's blur map unit; the blur is in the image's unit.
    cUniform<int> bloomMap{*this, "sampler1", 1};

private:
    cUniform<std::array<float, 4>> focusParams{*this, "vSParams", {0.0f, 1.0f, 0.0f, 0.0f}};
    cUniform<float> focusAmount{*this, "fDoFAmnt", 0.0f};
    cUniform<float> bloomSpread{*this, "BlurFactor", 0.0f};
    cUniform<float> bloomWidth{*this, "width", 1.0f};
    cUniform<float> bloomHeight{*this, "height", 1.0f};
    cUniform<float> bloomAlpha{*this, "alpha", 1.0f};
    cUniform<float> bloomLevel{*this, "bloom", 0.0f};
};

} // namespace MivexGL
