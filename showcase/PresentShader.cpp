// The present program's texts and values. The sum is what the image drawn and
// the glow added with (one, one) blending gave, alpha included, before the
// window's 8 bits clamp it.
#include "PresentShader.h"

#include "shaders/BlurShaders.h"

#include <string>

namespace showcase
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
        std::string(MivexGL::kFocusWeightFunction) + MivexGL::kBlurMapFunction + kFocusLayer};
    return texts[focus].c_str();
}

} // namespace

const char* const cPresentShader::kUniformNames[kSlotCount] = {
    "sampler0", "glow",       "glowStrength", "blur",   "depth", "vSParams", "fDoFAmnt",
    "sampler1", "BlurFactor", "width",        "height", "alpha", "bloom"};

cPresentShader::cPresentShader(Focus focus)
    : cListedShader("cPresentShader", MivexGL::kImageVertexSource, PresentSource(focus),
                    kUniformNames, kSlotCount),
      units{0, 1, 2, 3}, glowStrength(0.0f), params{0.0f, 1.0f, 0.0f, 0.0f}, amount(0.0f),
      mapUnit(1), bloom{0.0f, 1.0f, 1.0f, 1.0f, 0.0f}
{
    // Each focus is its own text, so live reload keeps a file for each.
    static const char* const kVariants[4] = {"", "focused", "blurred", "layer"};
    SetVariant(kVariants[focus]);
}

void cPresentShader::SetSamplerUnits(int image, int glow, int blurred, int depthImage)
{
    units[0] = image;
    units[1] = glow;
    units[2] = blurred;
    units[3] = depthImage;
}

void cPresentShader::SetDepthOfField(const MivexGL::cDepthOfFieldShader& from)
{
    for (int i = 0; i < 4; ++i)
    {
        params[i] = from.GetParams()[i];
    }
    amount = from.GetAmount();
}

void cPresentShader::SetBloom(const MivexGL::cGaussianMapShader& from)
{
    bloom[0] = from.GetBlurFactor();
    bloom[1] = from.GetWidth();
    bloom[2] = from.GetHeight();
    bloom[3] = from.GetAlpha();
    bloom[4] = from.GetBloom();
}

void cPresentShader::SendValues() const
{
    Send1i("sampler0", units[0]);
    Send1i("glow", units[1]);
    Send1f("glowStrength", glowStrength);
    Send1i("blur", units[2]);
    Send1i("depth", units[3]);
    Send4f("vSParams", params);
    Send1f("fDoFAmnt", amount);
    Send1i("sampler1", mapUnit);
    Send1f("BlurFactor", bloom[0]);
    Send1f("width", bloom[1]);
    Send1f("height", bloom[2]);
    Send1f("alpha", bloom[3]);
    Send1f("bloom", bloom[4]);
}

} // namespace showcase
