// Screen-space effect programs with their GLSL texts (GLSL 1.10).
#include "shaders/ScreenShaders.h"

#include "shaders/BlurShaders.h"

namespace MivexGL
{

namespace
{

// Texture coordinates relative to the centre, so the fragment stage only
// scales them.
const char* const kRadialVertexSource =
    "uniform vec2 center;\n"
    "varying vec2 texCoords;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
    "    texCoords = gl_MultiTexCoord0.st - center;\n"
    "}\n";

// The divisors are kept at least 1 so iteration counts below 2 give a plain
// average instead of NaN.
const char* const kRadialFragmentSource =
    "uniform sampler2D sampler0;\n"
    "uniform vec2 center;\n"
    "uniform int iterations;\n"
    "uniform float start;\n"
    "uniform float scale;\n"
    "uniform float alpha;\n"
    "varying vec2 texCoords;\n"
    "void main()\n"
    "{\n"
    "    vec4 s = vec4(0.0);\n"
    "    float last = max(float(iterations - 1), 1.0);\n"
    "    for (int i = 0; i < iterations; i++)\n"
    "    {\n"
    "        float k = start + scale * (float(i) / last);\n"
    "        s += texture2D(sampler0, texCoords * k + center);\n"
    "    }\n"
    "    s = s / max(float(iterations), 1.0);\n"
    "    s.a = alpha * s.a;\n"
    "    gl_FragColor = s;\n"
    "}\n";

const char* const kDepthVertexSource = "varying vec2 texCoords;\n"
                                       "void main()\n"
                                       "{\n"
                                       "    gl_Position = ftransform();\n"
                                       "    texCoords = gl_MultiTexCoord0.st;\n"
                                       "}\n";

const char* const kDepthFragmentSource =
    "uniform sampler2D sampler0;\n"
    "uniform sampler2D blur;\n"
    "uniform sampler2D depth;\n"
    "uniform vec4 vSParams;\n"
    "uniform float fDoFAmnt;\n"
    "varying vec2 texCoords;\n"
    "void main()\n"
    "{\n"
    "    vec4 a = texture2D(sampler0, texCoords);\n"
    "    vec4 b = texture2D(blur, texCoords);\n"
    "    float d = texture2D(depth, texCoords).r;\n"
    "    float z = (-vSParams.z * vSParams.w) / (d - vSParams.w);\n"
    "    float w = clamp(abs(z - vSParams.x) / vSParams.y, 0.0, 1.0) - fDoFAmnt;\n"
    "    w = max(w, 0.0);\n"
    "    vec4 o = mix(a, b, w);\n"
    "    o.a = 1.0;\n"
    "    gl_FragColor = o;\n"
    "}\n";

const char* const kDistortFragmentSource =
    "uniform sampler2D sampler;\n"
    "uniform float distortProgram;\n"
    "uniform vec4 PSParameters;\n"
    "uniform float alpha;\n"
    "varying vec2 texCoords;\n"
    "void main()\n"
    "{\n"
    "    vec4 p = PSParameters;\n"
    "    float n = distortProgram;\n"
    "    vec2 c = 2.0 * texCoords - 1.0;\n"
    "    float r = length(c);\n"
    "    float phi = atan(c.y, c.x);\n"
    "    if (n == 0.0) r = pow(r, p.x / p.y) * p.z;\n"
    "    if (n == 1.0) phi = phi + (p.x - smoothstep(p.y, p.z, r)) * p.z;\n"
    "    if (n == 2.0 && r > p.x) r = p.x;\n"
    "    if (n == 3.0) r = r * smoothstep(p.x, p.y, r);\n"
    "    if (n == 4.0) r = p.x * r - r * smoothstep(p.y, p.z, r);\n"
    "    if (n == 5.0) r = r * r / sqrt(p.x);\n"
    "    if (n == 6.0)\n"
    "    {\n"
    "        vec2 s = sign(c);\n"
    "        vec2 a = abs(c);\n"
    "        c = s * (p.x * a + p.y * smoothstep(p.z, p.w, a) * a);\n"
    "    }\n"
    "    if (n < 6.0) c = vec2(r * cos(phi), r * sin(phi));\n"
    "    if (n == 10.0) c.x = c.x + (sin(c.y * p.x) / p.y) * p.z;\n"
    "    if (n == 8.0) c.x = abs(c.x);\n"
    "    vec4 k = texture2D(sampler, c / 2.0 + 0.5);\n"
    "    if (n == 9.0)\n"
    "    {\n"
    "        float g = (k.r + k.g + k.b) / 3.0;\n"
    "        float band = (g >= p.x && g <= p.y) ? 1.0 : 0.0;\n"
    "        k = mix(k, vec4(band, band, band, 1.0), p.z);\n"
    "    }\n"
    "    k.a = alpha;\n"
    "    gl_FragColor = k;\n"
    "}\n";

// sampler0 is declared for callers that bind it, but never read.
const char* const kWipeFragmentSource = "uniform sampler2D sampler0;\n"
                                        "uniform float BlurFactor;\n"
                                        "varying vec2 texCoords;\n"
                                        "void main()\n"
                                        "{\n"
                                        "    float lo = BlurFactor - 0.01;\n"
                                        "    float hi = BlurFactor + 0.01;\n"
                                        "    float y = texCoords.y;\n"
                                        "    float a = 0.0;\n"
                                        "    if (y <= lo)\n"
                                        "        a = 1.0;\n"
                                        "    else if (y <= hi)\n"
                                        "    {\n"
                                        "        float u = (hi - y) / (hi - lo);\n"
                                        "        a = u * u * (3.0 - 2.0 * u);\n"
                                        "    }\n"
                                        "    gl_FragColor = vec4(0.0, 0.0, 0.0, a);\n"
                                        "}\n";

const char* const kWobbleVertexSource =
    "uniform float time;\n"
    "varying vec2 texCoords;\n"
    "varying vec4 color;\n"
    "void main()\n"
    "{\n"
    "    float freqx = 5.0+sin(time*time)*10.0;\n"
    "    float freqy = 5.0+sin(1.8*time*time)*10.0;\n"
    "    float freqz = 5.0+sin(1.1*time*time)*10.0;\n"
    "    float amp = 0.001+0.3*sin(1.4*time*time);\n"
    "    float f = sin(gl_Normal.x*freqx + time) * sin(gl_Normal.y*freqy + time) *\n"
    "              sin(gl_Normal.z*freqz + time);\n"
    "    vec4 v = gl_Vertex;\n"
    "    v.xyz += gl_Normal * amp * f;\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * v;\n"
    "    texCoords = gl_MultiTexCoord0.st;\n"
    "    color = gl_Color;\n"
    "}\n";

void ClearSlots(GLint* slots, int count)
{
    for (int i = 0; i < count; ++i)
    {
        slots[i] = -1;
    }
}

GLint SlotAt(const GLint* slots, int count, int slot)
{
    return slot >= 0 && slot < count ? slots[slot] : -1;
}

} // namespace

// Radial blur.

const char* const cRadialBlurShader::kUniformNames[kSlotCount] = {
    "sampler0", "center", "iterations", "start", "scale", "alpha"};

cRadialBlurShader::cRadialBlurShader()
    : start(1.0f), scale(-0.2f), alpha(1.0f), iterations(16), center{0.5f, 0.5f}, sourceUnit(0)
{
    ClearSlots(locations, kSlotCount);
}

bool cRadialBlurShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kRadialVertexSource, vertexShader);
}

bool cRadialBlurShader::LoadFragmentShader()
{
    if (!BuildStage(GL_FRAGMENT_SHADER_ARB, kRadialFragmentSource, fragmentShader) ||
        !LinkProgram())
    {
        return false;
    }
    RecordLocations(kUniformNames, locations, kSlotCount);
    return true;
}

GLint cRadialBlurShader::GetLocation(int slot) const
{
    return SlotAt(locations, kSlotCount, slot);
}

void cRadialBlurShader::Bind() const
{
    if (!IsLinked())
    {
        return;
    }
    Use();
    glUniform1iARB(locations[kSampler0], sourceUnit);
    glUniform2fARB(locations[kCenter], center.x, center.y);
    glUniform1iARB(locations[kIterations], iterations);
    glUniform1fARB(locations[kStart], start);
    glUniform1fARB(locations[kScale], scale);
    glUniform1fARB(locations[kAlpha], alpha);
}

// Depth of field.

const char* const cDepthOfFieldShader::kUniformNames[kSlotCount] = {"sampler0", "blur", "depth",
                                                                    "vSParams", "fDoFAmnt"};

cDepthOfFieldShader::cDepthOfFieldShader() : params{0.0f, 1.0f, 0.0f, 0.0f}, amount(0.0f)
{
    ClearSlots(locations, kSlotCount);
    SetFocus(10.0f, 10.0f);
    SetDepthRange(0.1f, 10000.0f);
    SetSamplerUnits(0, 1, 2);
}

void cDepthOfFieldShader::SetFocus(float distance, float range)
{
    params[0] = distance;
    params[1] = range;
}

void cDepthOfFieldShader::SetDepthRange(float nearPlane, float farPlane)
{
    // z / (w - d) with these is the eye distance of depth-buffer value d.
    params[2] = nearPlane;
    params[3] = farPlane / (farPlane - nearPlane);
}

void cDepthOfFieldShader::SetSamplerUnits(int sharp, int blurred, int depthImage)
{
    units[0] = sharp;
    units[1] = blurred;
    units[2] = depthImage;
}

bool cDepthOfFieldShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kDepthVertexSource, vertexShader);
}

bool cDepthOfFieldShader::LoadFragmentShader()
{
    if (!BuildStage(GL_FRAGMENT_SHADER_ARB, kDepthFragmentSource, fragmentShader) || !LinkProgram())
    {
        return false;
    }
    RecordLocations(kUniformNames, locations, kSlotCount);
    return true;
}

GLint cDepthOfFieldShader::GetLocation(int slot) const
{
    return SlotAt(locations, kSlotCount, slot);
}

void cDepthOfFieldShader::Bind() const
{
    if (!IsLinked())
    {
        return;
    }
    Use();
    glUniform1iARB(locations[kSampler0], units[0]);
    glUniform1iARB(locations[kBlur], units[1]);
    glUniform1iARB(locations[kDepth], units[2]);
    glUniform4fARB(locations[kParams], params[0], params[1], params[2], params[3]);
    glUniform1fARB(locations[kAmount], amount);
}

// Distortion.

const char* const cDistortShader::kUniformNames[kSlotCount] = {"sampler", "distortProgram",
                                                               "PSParameters", "alpha"};

// Program 0 with exponent 1 and factor 1 leaves the image in place.
cDistortShader::cDistortShader()
    : distortProgram(0), parameters{1.0f, 1.0f, 1.0f, 0.0f}, alpha(1.0f), sourceUnit(0)
{
    ClearSlots(locations, kSlotCount);
}

void cDistortShader::SetParameters(float x, float y, float z, float w)
{
    parameters[0] = x;
    parameters[1] = y;
    parameters[2] = z;
    parameters[3] = w;
}

bool cDistortShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

bool cDistortShader::LoadFragmentShader()
{
    if (!BuildStage(GL_FRAGMENT_SHADER_ARB, kDistortFragmentSource, fragmentShader) ||
        !LinkProgram())
    {
        return false;
    }
    RecordLocations(kUniformNames, locations, kSlotCount);
    return true;
}

GLint cDistortShader::GetLocation(int slot) const
{
    return SlotAt(locations, kSlotCount, slot);
}

void cDistortShader::Bind() const
{
    if (!IsLinked())
    {
        return;
    }
    Use();
    glUniform1iARB(locations[kSampler], sourceUnit);
    glUniform1fARB(locations[kProgram], static_cast<float>(distortProgram));
    glUniform4fARB(locations[kParameters], parameters[0], parameters[1], parameters[2],
                   parameters[3]);
    glUniform1fARB(locations[kAlpha], alpha);
}

// Wipe mask.

const char* const cWipeMaskShader::kUniformNames[kSlotCount] = {"sampler0", "BlurFactor"};

cWipeMaskShader::cWipeMaskShader() : locations{-1, -1}, blurFactor(0.5f) {}

bool cWipeMaskShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

bool cWipeMaskShader::LoadFragmentShader()
{
    if (!BuildStage(GL_FRAGMENT_SHADER_ARB, kWipeFragmentSource, fragmentShader) || !LinkProgram())
    {
        return false;
    }
    RecordLocations(kUniformNames, locations, kSlotCount);
    return true;
}

GLint cWipeMaskShader::GetLocation(int slot) const
{
    return SlotAt(locations, kSlotCount, slot);
}

void cWipeMaskShader::Bind() const
{
    if (!IsLinked())
    {
        return;
    }
    Use();
    glUniform1fARB(locations[kBlurFactor], blurFactor);
}

// Wobble.

cWobbleShader::cWobbleShader() : time(0.0f) {}

bool cWobbleShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kWobbleVertexSource, vertexShader);
}

void cWobbleShader::Bind() const
{
    if (!IsLinked())
    {
        return;
    }
    Use();
    glUniform1fARB(Location("time"), time);
}

// Pass-through-only image programs.

bool cImageShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

bool cScreenShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

bool cOverlayShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

bool cBackdropShader::LoadVertexShader()
{
    return BuildStage(GL_VERTEX_SHADER_ARB, kImageVertexSource, vertexShader);
}

} // namespace MivexGL
