// Screen-space effect programs: GLSL texts (GLSL 1.10), lookup lists and value
// binding.
#include "shaders/ScreenShaders.h"

#include "shaders/BlurShaders.h"

#include <string>

namespace MivexGL
{

namespace
{

// Texture coordinates relative to the centre, so the fragment stage only
// scales them.
const char* const kRadialVertexSource = R"(
uniform vec2 center;
varying vec2 texCoords;
void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    texCoords = gl_MultiTexCoord0.st - center;
}
)";

// The divisors are kept at least 1 so iteration counts below 2 give a plain
// average instead of NaN. TAPS stands for the uniform or a count built in.
const char* const kRadialFragmentTemplate = R"(
uniform sampler2D sampler0;
uniform vec2 center;
uniform int iterations;
uniform float start;
uniform float scale;
uniform float alpha;
varying vec2 texCoords;
void main()
{
    vec4 s = vec4(0.0);
    float last = max(float(TAPS - 1), 1.0);
    for (int i = 0; i < TAPS; i++)
    {
        float k = start + scale * (float(i) / last);
        s += texture2D(sampler0, texCoords * k + center);
    }
    s = s / max(float(TAPS), 1.0);
    s.a = alpha * s.a;
    gl_FragColor = s;
}
)";

std::string WithTaps(const char* taps)
{
    std::string text = kRadialFragmentTemplate;
    for (std::size_t at = text.find("TAPS"); at != std::string::npos; at = text.find("TAPS", at))
    {
        text.replace(at, 4, taps);
    }
    return text;
}

// The program text for a tap count; it lives as long as the process, as the
// program base needs.
const char* RadialFragmentSource(cRadialBlurShader::Taps taps)
{
    static const std::string texts[2] = {WithTaps("iterations"), WithTaps("8")};
    return texts[taps == cRadialBlurShader::kEightTaps ? 1 : 0].c_str();
}

const char* const kDepthVertexSource = R"(
varying vec2 texCoords;
void main()
{
    gl_Position = ftransform();
    texCoords = gl_MultiTexCoord0.st;
}
)";

const char* DepthFragmentSource()
{
    static const std::string text = ImageFragmentSource(
        std::string(kFocusWeightFunction) + kDepthOfFieldFunction, "DepthOfField");
    return text.c_str();
}

const char* const kDistortFragmentSource = R"(
uniform sampler2D sampler;
uniform float distortProgram;
uniform vec4 PSParameters;
uniform float alpha;
varying vec2 texCoords;
void main()
{
    vec4 p = PSParameters;
    float n = distortProgram;
    vec2 c = 2.0 * texCoords - 1.0;
    float r = length(c);
    float phi = atan(c.y, c.x);
    if (n == 0.0) r = pow(r, p.x / p.y) * p.z;
    if (n == 1.0) phi = phi + (p.x - smoothstep(p.y, p.z, r)) * p.z;
    if (n == 2.0 && r > p.x) r = p.x;
    if (n == 3.0) r = r * smoothstep(p.x, p.y, r);
    if (n == 4.0) r = p.x * r - r * smoothstep(p.y, p.z, r);
    if (n == 5.0) r = r * r / sqrt(p.x);
    if (n == 6.0)
    {
        vec2 s = sign(c);
        vec2 a = abs(c);
        c = s * (p.x * a + p.y * smoothstep(p.z, p.w, a) * a);
    }
    if (n < 6.0) c = vec2(r * cos(phi), r * sin(phi));
    if (n == 10.0) c.x = c.x + (sin(c.y * p.x) / p.y) * p.z;
    if (n == 8.0) c.x = abs(c.x);
    vec4 k = texture2D(sampler, c / 2.0 + 0.5);
    if (n == 9.0)
    {
        float g = (k.r + k.g + k.b) / 3.0;
        float band = (g >= p.x && g <= p.y) ? 1.0 : 0.0;
        k = mix(k, vec4(band, band, band, 1.0), p.z);
    }
    k.a = alpha;
    gl_FragColor = k;
}
)";

const char* const kWipeFragmentSource = R"(
uniform sampler2D sampler0;
uniform float BlurFactor;
varying vec2 texCoords;
void main()
{
    float lo = BlurFactor - 0.01;
    float hi = BlurFactor + 0.01;
    float y = texCoords.y;
    float a = 0.0;
    if (y <= lo)
        a = 1.0;
    else if (y <= hi)
    {
        float u = (hi - y) / (hi - lo);
        a = u * u * (3.0 - 2.0 * u);
    }
    gl_FragColor = vec4(0.0, 0.0, 0.0, a);
}
)";

const char* const kWobbleVertexSource = R"(
uniform float time;
varying vec2 texCoords;
varying vec4 color;
void main()
{
    float freqx = 5.0+sin(time*time)*10.0;
    float freqy = 5.0+sin(1.8*time*time)*10.0;
    float freqz = 5.0+sin(1.1*time*time)*10.0;
    float amp = 0.001+0.3*sin(1.4*time*time);
    float f = sin(gl_Normal.x*freqx + time) * sin(gl_Normal.y*freqy + time) *
              sin(gl_Normal.z*freqz + time);
    vec4 v = gl_Vertex;
    v.xyz += gl_Normal * amp * f;
    gl_Position = gl_ModelViewProjectionMatrix * v;
    texCoords = gl_MultiTexCoord0.st;
    color = gl_Color;
}
)";

} // namespace

// Radial blur.

const char* const cRadialBlurShader::kUniformNames[kSlotCount] = {
    "sampler0", "center", "iterations", "start", "scale", "alpha"};

cRadialBlurShader::cRadialBlurShader(Taps taps)
    : cListedShader("cRadialBlurShader", kRadialVertexSource, RadialFragmentSource(taps),
                    kUniformNames, kSlotCount),
      start(1.0f), scale(-0.2f), alpha(1.0f), iterations(16), center{0.5f, 0.5f}, sourceUnit(0)
{
    if (taps == kEightTaps)
    {
        SetVariant("eight");
    }
}

void cRadialBlurShader::SendValues() const
{
    Send1i("sampler0", sourceUnit);
    Send2f("center", center.x, center.y);
    Send1i("iterations", iterations);
    Send1f("start", start);
    Send1f("scale", scale);
    Send1f("alpha", alpha);
}

// Depth of field.

const char* const kFocusWeightFunction = R"(
uniform sampler2D depth;
uniform vec4 vSParams;
uniform float fDoFAmnt;
float FocusWeight(vec2 uv)
{
    float d = texture2D(depth, uv).r;
    float z = (-vSParams.z * vSParams.w) / (d - vSParams.w);
    float w = clamp(abs(z - vSParams.x) / vSParams.y, 0.0, 1.0) - fDoFAmnt;
    return max(w, 0.0);
}
)";

const char* const kDepthOfFieldFunction = R"(
uniform sampler2D sampler0;
uniform sampler2D blur;
vec4 DepthOfField(vec2 uv)
{
    vec4 a = texture2D(sampler0, uv);
    vec4 b = texture2D(blur, uv);
    vec4 o = mix(a, b, FocusWeight(uv));
    o.a = 1.0;
    return o;
}
)";

const char* const cDepthOfFieldShader::kUniformNames[kSlotCount] = {"sampler0", "blur", "depth",
                                                                    "vSParams", "fDoFAmnt"};

cDepthOfFieldShader::cDepthOfFieldShader()
    : cListedShader("cDepthOfFieldShader", kDepthVertexSource, DepthFragmentSource(), kUniformNames,
                    kSlotCount),
      params{0.0f, 1.0f, 0.0f, 0.0f}, amount(0.0f), units{0, 1, 2}
{
    SetFocus(10.0f, 10.0f);
    SetDepthRange(0.1f, 10000.0f);
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

void cDepthOfFieldShader::SendValues() const
{
    Send1i("sampler0", units[0]);
    Send1i("blur", units[1]);
    Send1i("depth", units[2]);
    Send4f("vSParams", params);
    Send1f("fDoFAmnt", amount);
}

// Distortion.

const char* const cDistortShader::kUniformNames[kSlotCount] = {"sampler", "distortProgram",
                                                               "PSParameters", "alpha"};

// Program 0 with exponent 1 and factor 1 leaves the image in place.
cDistortShader::cDistortShader()
    : cListedShader("cDistortShader", kImageVertexSource, kDistortFragmentSource, kUniformNames,
                    kSlotCount),
      distortProgram(0), parameters{1.0f, 1.0f, 1.0f, 0.0f}, alpha(1.0f), sourceUnit(0)
{
}

void cDistortShader::SetParameters(float x, float y, float z, float w)
{
    parameters[0] = x;
    parameters[1] = y;
    parameters[2] = z;
    parameters[3] = w;
}

void cDistortShader::SendValues() const
{
    Send1i("sampler", sourceUnit);
    Send1f("distortProgram", static_cast<float>(distortProgram));
    Send4f("PSParameters", parameters);
    Send1f("alpha", alpha);
}

// Wipe mask.

cWipeMaskShader::cWipeMaskShader()
    : cFactorImageShader("cWipeMaskShader", kWipeFragmentSource, 0.5f)
{
}

// Wobble.

cWobbleShader::cWobbleShader()
    : cListedShader("cWobbleShader", kWobbleVertexSource, nullptr, nullptr, 0), time(0.0f)
{
}

void cWobbleShader::SendValues() const
{
    // "time" is outside any list: the inherited fragment loader records
    // nothing, so it is looked up here.
    GLint location = Location("time");
    if (location != -1)
    {
        glUniform1fARB(location, time);
    }
}

// Pass-through-only image programs.

cImageShader::cImageShader()
    : cListedShader("cImageShader", kImageVertexSource, nullptr, nullptr, 0)
{
}

cScreenShader::cScreenShader()
    : cListedShader("cScreenShader", kImageVertexSource, nullptr, nullptr, 0)
{
}

cOverlayShader::cOverlayShader()
    : cListedShader("cOverlayShader", kImageVertexSource, nullptr, nullptr, 0)
{
}

cBackdropShader::cBackdropShader()
    : cListedShader("cBackdropShader", kImageVertexSource, nullptr, nullptr, 0)
{
}

} // namespace MivexGL
