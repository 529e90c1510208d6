// Blur-map and disc blur programs: GLSL texts (GLSL 1.10, the disc program
// 1.20 for its constant table and initialised uniform), lookup lists and value
// binding.
#include "shaders/BlurShaders.h"

#include <string>

namespace MivexGL
{

// The vertex colour is handed on too, so a class that keeps the base's colour
// stage still links: that stage reads "color".
const char* const kImageVertexSource = R"(
varying vec2 texCoords;
varying vec4 color;
void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    texCoords = gl_MultiTexCoord0.st;
    color = gl_Color;
}
)";

std::string ImageFragmentSource(const std::string& functions, const char* name)
{
    return functions + "varying vec2 texCoords;\nvoid main()\n{\n    gl_FragColor = " + name +
           "(texCoords);\n}\n";
}

const char* const kBlurMapFunction = R"(
uniform sampler2D sampler0;
uniform sampler2D sampler1;
uniform float BlurFactor;
uniform float width;
uniform float height;
uniform float alpha;
uniform float bloom;
vec4 BlurMap(vec2 uv)
{
    float sw = (1.0 / width) * BlurFactor;
    float sh = (1.0 / height) * BlurFactor;
    vec4 b = texture2D(sampler0, uv + vec2(-sw, -sh)) * (1.0 / 16.0);
    b += texture2D(sampler0, uv + vec2(0.0, -sh)) * (2.0 / 16.0);
    b += texture2D(sampler0, uv + vec2(sw, -sh)) * (1.0 / 16.0);
    b += texture2D(sampler0, uv + vec2(-sw, 0.0)) * (2.0 / 16.0);
    b += texture2D(sampler0, uv) * (4.0 / 16.0);
    b += texture2D(sampler0, uv + vec2(sw, 0.0)) * (2.0 / 16.0);
    b += texture2D(sampler0, uv + vec2(-sw, sh)) * (1.0 / 16.0);
    b += texture2D(sampler0, uv + vec2(0.0, sh)) * (2.0 / 16.0);
    b += texture2D(sampler0, uv + vec2(sw, sh)) * (1.0 / 16.0);
    b = clamp((b - bloom) / (1.0 - bloom), 0.0, 1.0);
    b.a = alpha * b.a;
    vec4 o = texture2D(sampler0, uv);
    float w = texture2D(sampler1, uv).r;
    return mix(o, b, w);
}
)";

namespace
{

const char* BlurMapFragmentSource()
{
    static const std::string text = ImageFragmentSource(kBlurMapFunction, "BlurMap");
    return text.c_str();
}

// Thirteen samples over ten: brighter than the source by design.
const char* const kDiscFragmentSource = R"(
#version 120
uniform sampler2D sampler0;
uniform float BlurFactor = 0.01;
varying vec2 texCoords;
const vec2 offsets[12] = vec2[12](
    vec2(-0.326212, -0.405805), vec2(-0.840144, -0.073580),
    vec2(-0.695914, 0.457137), vec2(-0.203345, 0.620716),
    vec2(0.962340, -0.194983), vec2(0.473434, -0.480026),
    vec2(0.519456, 0.767022), vec2(0.185461, -0.893124),
    vec2(0.507431, 0.064425), vec2(0.896420, 0.412458),
    vec2(-0.321940, -0.932615), vec2(-0.791559, -0.597705));
void main()
{
    vec4 s = texture2D(sampler0, texCoords);
    for (int i = 0; i < 12; i++)
    {
        s += texture2D(sampler0, texCoords + BlurFactor * offsets[i]);
    }
    gl_FragColor = s / 10.0;
}
)";

} // namespace

const char* const cGaussianMapShader::kUniformNames[kSlotCount] = {
    "sampler0", "sampler1", "BlurFactor", "width", "height", "alpha", "bloom"};

cGaussianMapShader::cGaussianMapShader()
    : cListedShader("cGaussianMapShader", kImageVertexSource, BlurMapFragmentSource(),
                    kUniformNames, kSlotCount),
      blurFactor(0.01f), bloom(0.0f), width(0.0f), height(0.0f), alpha(1.0f), sourceUnit(0),
      mapUnit(1)
{
}

bool cGaussianMapShader::LoadBlurMapProgram(float w, float h)
{
    width = w;
    height = h;
    return BuildFragment();
}

void cGaussianMapShader::SendValues() const
{
    Send1i("sampler0", sourceUnit);
    Send1i("sampler1", mapUnit);
    Send1f("BlurFactor", blurFactor);
    Send1f("width", width);
    Send1f("height", height);
    Send1f("alpha", alpha);
    Send1f("bloom", bloom);
}

const char* const cFactorImageShader::kUniformNames[kSlotCount] = {"sampler0", "BlurFactor"};

cFactorImageShader::cFactorImageShader(const char* className, const char* fragmentText,
                                       float factor)
    : cListedShader(className, kImageVertexSource, fragmentText, kUniformNames, kSlotCount),
      blurFactor(factor), sourceUnit(0)
{
}

void cFactorImageShader::SendValues() const
{
    Send1i("sampler0", sourceUnit);
    Send1f("BlurFactor", blurFactor);
}

cDiscBlurShader::cDiscBlurShader()
    : cFactorImageShader("cDiscBlurShader", kDiscFragmentSource, 0.01f)
{
}

} // namespace MivexGL
