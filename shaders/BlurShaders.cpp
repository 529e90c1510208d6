// Blur-map and disc blur programs with their GLSL texts (GLSL 1.10, the disc
// program 1.20 for its constant table and initialised uniform).
#include "shaders/BlurShaders.h"

namespace MivexGL
{

// The vertex colour is handed on too, so a class that keeps the base's colour
// stage still links: that stage reads "color".
const char* const kImageVertexSource =
    "varying vec2 texCoords;\n"
    "varying vec4 color;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
    "    texCoords = gl_MultiTexCoord0.st;\n"
    "    color = gl_Color;\n"
    "}\n";

namespace
{

const char* const kBlurMapFragmentSource =
    "uniform sampler2D sampler0;\n"
    "uniform sampler2D sampler1;\n"
    "uniform float BlurFactor;\n"
    "uniform float width;\n"
    "uniform float height;\n"
    "uniform float alpha;\n"
    "uniform float bloom;\n"
    "varying vec2 texCoords;\n"
    "void main()\n"
    "{\n"
    "    float sw = (1.0 / width) * BlurFactor;\n"
    "    float sh = (1.0 / height) * BlurFactor;\n"
    "    vec4 b = texture2D(sampler0, texCoords + vec2(-sw, -sh)) * (1.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords + vec2(0.0, -sh)) * (2.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords + vec2(sw, -sh)) * (1.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords + vec2(-sw, 0.0)) * (2.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords) * (4.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords + vec2(sw, 0.0)) * (2.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords + vec2(-sw, sh)) * (1.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords + vec2(0.0, sh)) * (2.0 / 16.0);\n"
    "    b += texture2D(sampler0, texCoords + vec2(sw, sh)) * (1.0 / 16.0);\n"
    "    b = clamp((b - bloom) / (1.0 - bloom), 0.0, 1.0);\n"
    "    b.a = alpha * b.a;\n"
    "    vec4 o = texture2D(sampler0, texCoords);\n"
    "    float w = texture2D(sampler1, texCoords).r;\n"
    "    gl_FragColor = mix(o, b, w);\n"
    "}\n";

// Thirteen samples over ten: brighter than the source by design.
const char* const kDiscFragmentSource =
    "#version 120\n"
    "uniform sampler2D sampler0;\n"
    "uniform float BlurFactor = 0.01;\n"
    "varying vec2 texCoords;\n"
    "const vec2 offsets[12] = vec2[12](\n"
    "    vec2(-0.326212, -0.405805), vec2(-0.840144, -0.073580),\n"
    "    vec2(-0.695914, 0.457137), vec2(-0.203345, 0.620716),\n"
    "    vec2(0.962340, -0.194983), vec2(0.473434, -0.480026),\n"
    "    vec2(0.519456, 0.767022), vec2(0.185461, -0.893124),\n"
    "    vec2(0.507431, 0.064425), vec2(0.896420, 0.412458),\n"
    "    vec2(-0.321940, -0.932615), vec2(-0.791559, -0.597705));\n"
    "void main()\n"
    "{\n"
    "    vec4 s = texture2D(sampler0, texCoords);\n"
    "    for (int i = 0; i < 12; i++)\n"
    "    {\n"
    "        s += texture2D(sampler0, texCoords + BlurFactor * offsets[i]);\n"
    "    }\n"
    "    gl_FragColor = s / 10.0;\n"
    "}\n";

} // namespace

const char* const cGaussianMapShader::kUniformNames[kSlotCount] = {
    "sampler0", "sampler1", "BlurFactor", "width", "height", "alpha", "bloom"};

cGaussianMapShader::cGaussianMapShader()
    : blurFactor(0.01f), bloom(0.0f), width(0.0f), height(0.0f), alpha(1.0f), sourceUnit(0),
      mapUnit(1)
{
    for (GLint& slot : locations)
    {
        slot = -1;
    }
}

bool cGaussianMapShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

bool cGaussianMapShader::LoadBlurMapProgram(float w, float h)
{
    width = w;
    height = h;
    if (!BuildStage(GL_FRAGMENT_SHADER_ARB, kBlurMapFragmentSource, fragmentShader) ||
        !LinkProgram())
    {
        return false;
    }
    RecordLocations(kUniformNames, locations, kSlotCount);
    return true;
}

GLint cGaussianMapShader::GetLocation(int slot) const
{
    return slot >= 0 && slot < kSlotCount ? locations[slot] : -1;
}

void cGaussianMapShader::Bind() const
{
    if (!IsLinked())
    {
        return;
    }
    Use();
    glUniform1iARB(locations[kSampler0], sourceUnit);
    glUniform1iARB(locations[kSampler1], mapUnit);
    glUniform1fARB(locations[kBlurFactor], blurFactor);
    glUniform1fARB(locations[kWidth], width);
    glUniform1fARB(locations[kHeight], height);
    glUniform1fARB(locations[kAlpha], alpha);
    glUniform1fARB(locations[kBloom], bloom);
}

const char* const cDiscBlurShader::kUniformNames[kSlotCount] = {"sampler0", "BlurFactor"};

cDiscBlurShader::cDiscBlurShader() : locations{-1, -1}, blurFactor(0.01f), sourceUnit(0) {}

bool cDiscBlurShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

bool cDiscBlurShader::LoadFragmentShader()
{
    if (!BuildStage(GL_FRAGMENT_SHADER_ARB, kDiscFragmentSource, fragmentShader) || !LinkProgram())
    {
        return false;
    }
    RecordLocations(kUniformNames, locations, kSlotCount);
    return true;
}

GLint cDiscBlurShader::GetLocation(int slot) const
{
    return slot >= 0 && slot < kSlotCount ? locations[slot] : -1;
}

void cDiscBlurShader::Bind() const
{
    if (!IsLinked())
    {
        return;
    }
    Use();
    glUniform1iARB(locations[kSampler0], sourceUnit);
    glUniform1fARB(locations[kBlurFactor], blurFactor);
}

} // namespace MivexGL
