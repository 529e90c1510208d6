// The present program's texts and values. The sum is what the image drawn and
// the glow added with (one, one) blending gave, alpha included, before the
// window's 8 bits clamp it.
#include "effects/PresentShader.h"

#include <string>

namespace MivexGL
{

namespace
{

const char* const kSharpImage = R"(
uniform sampler2D sampler0;
vec4 Image(vec2 uv)
{
    return texture2D(sampler0, uv);
}
)";

// The layer (kFocusLayer) holds all but the sharp image's share, which its
// alpha gives, so the full-size pass reads two textures and no depth. The
// window clamps alpha to 1 either way.
const char* const kFocusedImage = R"(
uniform sampler2D sampler0;
uniform sampler2D blur;
vec4 Image(vec2 uv)
{
    vec4 b = texture2D(blur, uv);
    return vec4(texture2D(sampler0, uv).rgb * b.a + b.rgb, 1.0);
}
)";

// At the blur's size: the blur times the mix's weight plus the glow, and
// the sharp image's share in alpha. The weight is smooth but where the depth
// jumps, and there the blur it picks is spread over the blur's texels too.
// Every term is positive, so a sum the target clamps is one the window would.
// The blur is the bloom's image (sampler0), so its centre texel is read once.
const char* const kFocusLayer = R"(
uniform float glowStrength;
varying vec2 texCoords;
void main()
{
    float w = FocusWeight(texCoords);
    vec3 g = BlurMap(texCoords).rgb * glowStrength;
    gl_FragColor = vec4(texture2D(sampler0, texCoords).rgb * w + g, 1.0 - w);
}
)";

// The mix's weight is exactly 1 at the far plane: the layer, opaque.
const char* const kBlurredImage = R"(
uniform sampler2D blur;
vec4 Image(vec2 uv)
{
    return vec4(texture2D(blur, uv).rgb, 1.0);
}
)";

const char* const kPresentMain = R"(
uniform sampler2D glow;
uniform float glowStrength;
varying vec2 texCoords;
void main()
{
    vec4 c = Image(texCoords);
    if (glowStrength > 0.0)
    {
        vec4 g = texture2D(glow, texCoords);
        c += vec4(g.rgb * glowStrength, g.a);
    }
    gl_FragColor = c;
}
)";

// The layer holds the glow already. A branch on glowStrength would not do:
// a software renderer reads a texture inside a branch even when no pixel
// takes it, and that read was a fifth of the pass.
const char* const kLayeredMain = R"(
varying vec2 texCoords;
void main()
{
    gl_FragColor = Image(texCoords);
}
)";

// The texts live as long as the process, as the program base needs.
const char* PresentSource(cPresentShader::Focus focus)
{
    static const std::string texts[4] = {
        std::string(kSharpImage) + kPresentMain, std::string(kFocusedImage) + kLayeredMain,
        std::string(kBlurredImage) + kLayeredMain,
        std::string(kFocusWeightFunction) + kBlurMapFunction + kFocusLayer};
    return texts[focus].c_str();
}

} // namespace

cPresentShader::cPresentShader(Focus focus)
    : cListedShader("cPresentShader", kImageVertexSource, PresentSource(focus))
{
    // Each focus is its own text, so live reload keeps a file for each.
    static const char* const kVariants[4] = {"", "focused", "blurred", "layer"};
    SetVariant(kVariants[focus]);
}

void cPresentShader::SetDepthOfField(const cDepthOfFieldShader& from)
{
    const float* params = from.GetParams();
    focusParams = {params[0], params[1], params[2], params[3]};
    focusAmount = from.GetAmount();
}

void cPresentShader::SetBloom(const cGaussianMapShader& from)
{
    bloomSpread = from.GetBlurFactor();
    bloomWidth = from.GetWidth();
    bloomHeight = from.GetHeight();
    bloomAlpha = from.GetAlpha();
    bloomLevel = from.GetBloom();
}

} // namespace MivexGL
