// The lit program family: GLSL texts, lookup lists and the value binding.
// The texts keep to GLSL 1.10 typing (float literals, no implicit widening)
// so that conformant compilers take them as they are.
#include "shaders/LightingShaders.h"

#include <string>

namespace MivexGL
{

namespace
{

// Declarations and helpers shared by the vertex texts. Unused uniforms stay
// inactive and so answer -1, as the lists expect.
#define LIT_VERTEX_COMMON                                                                          \
    "uniform vec3 LightPosition;\n"                                                                \
    "uniform vec3 LightPosition2;\n"                                                               \
    "uniform vec3 vEye;\n"                                                                         \
    "uniform float timer;\n"                                                                       \
    "uniform float time;\n"                                                                        \
    "attribute vec3 Tangent;\n"                                                                    \
    "varying vec2 texCoords;\n"                                                                    \
    "varying vec3 LightDir;\n"                                                                     \
    "varying vec3 LightDir2;\n"                                                                    \
    "varying vec3 EyeDir;\n"                                                                       \
    "varying vec3 vView;\n"                                                                        \
    "void TangentFrame(out vec3 t, out vec3 b, out vec3 n)\n"                                      \
    "{\n"                                                                                          \
    "    n = normalize(gl_NormalMatrix * gl_Normal);\n"                                            \
    "    t = normalize(gl_NormalMatrix * Tangent);\n"                                              \
    "    b = cross(n, t);\n"                                                                       \
    "}\n"                                                                                          \
    "vec3 ToTangent(vec3 v, vec3 t, vec3 b, vec3 n)\n"                                             \
    "{\n"                                                                                          \
    "    return vec3(dot(v, t), dot(v, b), dot(v, n));\n"                                          \
    "}\n"

// Water-level members hand the level and the clip-space height on.
#define LIT_WATER_LEVEL_VARYINGS                                                                   \
    "uniform float isUW;\n"                                                                        \
    "varying float isUWConv;\n"                                                                    \
    "varying float YHeight;\n"

// Moves the clip position of vertices at or below the water level.
#define LIT_WOBBLE                                                                                 \
    "void WaterLevel()\n"                                                                          \
    "{\n"                                                                                          \
    "    isUWConv = isUW;\n"                                                                       \
    "    YHeight = gl_Position.y;\n"                                                               \
    "    if (YHeight <= isUW)\n"                                                                   \
    "    {\n"                                                                                      \
    "        gl_Position.x += sin(timer + gl_Position.x);\n"                                       \
    "        gl_Position.y += cos(timer + gl_Position.y);\n"                                       \
    "    }\n"                                                                                      \
    "}\n"

// Declarations and helpers shared by the fragment texts. Fog is 2.71828 (the
// constant the effect was tuned with) to the -(density * d)^2; the square is a
// product because pow is undefined for a negative base.
#define LIT_FRAGMENT_COMMON                                                                        \
    "uniform sampler2D ColorMap;\n"                                                                \
    "uniform sampler2D NormalMap;\n"                                                               \
    "uniform sampler2D HeightMap;\n"                                                               \
    "uniform sampler2D SpecularMap;\n"                                                             \
    "uniform samplerCube CubeMap;\n"                                                               \
    "uniform vec3 LightColor;\n"                                                                   \
    "uniform vec3 Light2Color;\n"                                                                  \
    "uniform float Ai;\n"                                                                          \
    "uniform float SpecPower;\n"                                                                   \
    "uniform float SpecOverdrive;\n"                                                               \
    "uniform float r;\n"                                                                           \
    "uniform float FogDensity;\n"                                                                  \
    "uniform vec3 FogColor;\n"                                                                     \
    "uniform float timer;\n"                                                                       \
    "varying vec2 texCoords;\n"                                                                    \
    "varying vec3 LightDir;\n"                                                                     \
    "varying vec3 LightDir2;\n"                                                                    \
    "varying vec3 EyeDir;\n"                                                                       \
    "varying vec3 vView;\n"                                                                        \
    "float FogFactor(float d)\n"                                                                   \
    "{\n"                                                                                          \
    "    float x = FogDensity * d;\n"                                                              \
    "    return clamp(pow(2.71828, -(x * x)), 0.0, 1.0);\n"                                        \
    "}\n"                                                                                          \
    "vec3 Decode(vec4 texel)\n"                                                                    \
    "{\n"                                                                                          \
    "    return texel.rgb * 2.0 - 1.0;\n"                                                          \
    "}\n"                                                                                          \
    "vec3 Lit(vec3 N, vec3 L, vec3 lightColor, float mask)\n"                                      \
    "{\n"                                                                                          \
    "    vec3 diffuse = max(dot(N, L), 0.0) * lightColor;\n"                                       \
    "    vec3 h = normalize(L + normalize(vView));\n"                                              \
    "    float specTerm = pow(clamp(dot(N, h), 0.0, 1.0), SpecPower) * SpecOverdrive * mask;\n"    \
    "    return min(diffuse + specTerm, 1.0);\n"                                                   \
    "}\n"                                                                                          \
    "vec4 Shade(vec4 S, vec3 lit)\n"                                                               \
    "{\n"                                                                                          \
    "    return S * Ai + vec4(lit, 1.0) * S;\n"                                                    \
    "}\n"                                                                                          \
    "vec2 ParallaxUV()\n"                                                                          \
    "{\n"                                                                                          \
    "    float h = 0.04 * texture2D(HeightMap, texCoords).r - 0.02;\n"                             \
    "    return texCoords + h * EyeDir.xy;\n"                                                      \
    "}\n"

// The vertex stages are one shape: the eye vector E (through the
// projection too, unlike the view vector; that is how the effect was tuned),
// the position, the view vector, then the tangent-space light and eye
// vectors. Each member differs in how the vertex moves and which lights and
// fog source it hands on; a stage is its pieces in that order.

// Opens main with the eye vector of the unmoved vertex.
#define LIT_MAIN_EYE                                                                               \
    "\n"                                                                                           \
    "void main()\n"                                                                                \
    "{\n"                                                                                          \
    "    vec3 E = vEye - (gl_ModelViewProjectionMatrix * gl_Vertex).xyz;\n"

// The unmoved vertex placed, with its view vector.
#define LIT_PLACE_UNMOVED "    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"

#define LIT_VIEW_UNMOVED "    vView = vEye - (gl_ModelViewMatrix * gl_Vertex).xyz;\n"

// The moved vertex p placed, with its view vector.
#define LIT_PLACE_MOVED                                                                            \
    "    gl_Position = gl_ModelViewProjectionMatrix * p;\n"                                        \
    "    vView = vEye - (gl_ModelViewMatrix * p).xyz;\n"

// The tangent frame and the first light in it.
#define LIT_FIRST_LIGHT                                                                            \
    "    texCoords = gl_MultiTexCoord0.st;\n"                                                      \
    "    vec3 t, b, n;\n"                                                                          \
    "    TangentFrame(t, b, n);\n"                                                                 \
    "    LightDir = normalize(ToTangent(LightPosition, t, b, n));\n"

#define LIT_SECOND_LIGHT "    LightDir2 = normalize(ToTangent(LightPosition2, t, b, n));\n"

// The eye vector in the frame.
#define LIT_EYE                                                                                    \
    "    vec3 v = ToTangent(E, t, b, n);\n"                                                        \
    "    EyeDir = normalize(v);\n"

// The fog distance, the eye vector's length or the fixed-function fog
// coordinate; closes main.
#define LIT_FOG_BY_LENGTH                                                                          \
    "    gl_FogFragCoord = length(v);\n"                                                           \
    "}\n"

#define LIT_FOG_BY_COORD                                                                           \
    "    gl_FogFragCoord = gl_FogCoord;\n"                                                         \
    "}\n"

// One light, waving surface, eye vector through the model-view matrix.
const char* const kWaterVertex = LIT_VERTEX_COMMON R"(
void main()
{
    vec4 p = gl_Vertex;
    p.y += sin(5.0 * timer + 2.0 * p.x) * sin(5.0 * timer + 2.0 * p.z) / 15.0;
    vec3 E = vEye - (gl_ModelViewMatrix * p).xyz;
)" LIT_PLACE_MOVED LIT_FIRST_LIGHT LIT_EYE LIT_FOG_BY_LENGTH;

const char* const kOneLightVertex = LIT_VERTEX_COMMON LIT_MAIN_EYE LIT_PLACE_UNMOVED
    LIT_VIEW_UNMOVED LIT_FIRST_LIGHT LIT_EYE LIT_FOG_BY_LENGTH;

const char* const kUnderwaterVertex =
    LIT_VERTEX_COMMON LIT_WATER_LEVEL_VARYINGS LIT_WOBBLE LIT_MAIN_EYE LIT_PLACE_UNMOVED
    "    WaterLevel();\n" LIT_VIEW_UNMOVED LIT_FIRST_LIGHT LIT_EYE LIT_FOG_BY_LENGTH;

// The reference vertex stage.
const char* const kTwoLightVertex = LIT_VERTEX_COMMON LIT_MAIN_EYE LIT_PLACE_UNMOVED
    LIT_VIEW_UNMOVED LIT_FIRST_LIGHT LIT_SECOND_LIGHT LIT_EYE LIT_FOG_BY_LENGTH;

// The eye vector is taken before the vertex moves; the tangent frame keeps
// the unmoved normal. The text lives as long as the process, as the program
// base needs.
const char* BlobVertex()
{
    static const std::string text =
        std::string(LIT_VERTEX_COMMON LIT_MAIN_EYE) + kNormalPulseSteps +
        LIT_PLACE_MOVED LIT_FIRST_LIGHT LIT_SECOND_LIGHT LIT_EYE LIT_FOG_BY_LENGTH;
    return text.c_str();
}

const char* const kTwoLightUnderwaterVertex =
    LIT_VERTEX_COMMON LIT_WATER_LEVEL_VARYINGS LIT_WOBBLE LIT_MAIN_EYE LIT_PLACE_UNMOVED
    "    WaterLevel();\n" LIT_VIEW_UNMOVED LIT_FIRST_LIGHT LIT_SECOND_LIGHT LIT_EYE
        LIT_FOG_BY_COORD;

// The shift includes w, so it is projective rather than a translation. No
// fog distance.
const char* const kDriftVertex = LIT_VERTEX_COMMON LIT_MAIN_EYE
    R"(    vec4 p = gl_Vertex - vec4(time * (gl_Normal.x + gl_Normal.y + gl_Normal.z));
)" LIT_PLACE_MOVED LIT_FIRST_LIGHT LIT_SECOND_LIGHT
    "    EyeDir = normalize(ToTangent(E, t, b, n));\n}\n";

// The fragment stages are one shape too: the fog factor, the texture
// coordinates and specular mask, the normal, then either the reflecting
// mix of surface and cube map or the average of the two lights, fogged.
// Opens main.
#define LIT_FRAGMENT_MAIN                                                                          \
    "\n"                                                                                           \
    "void main()\n"                                                                                \
    "{\n"

#define LIT_FOG_FACTOR "    float F = FogFactor(gl_FogFragCoord);\n"

// The coordinates shifted by the height map, or as given; the specular
// mask there.
#define LIT_PARALLAX_MASK                                                                          \
    "    vec2 uv = ParallaxUV();\n"                                                                \
    "    float m = texture2D(SpecularMap, uv).r;\n"

#define LIT_PLAIN_MASK                                                                             \
    "    vec2 uv = texCoords;\n"                                                                   \
    "    float m = texture2D(SpecularMap, uv).r;\n"

#define LIT_NORMAL "    vec3 N = Decode(texture2D(NormalMap, uv));\n"

// One white light on the surface and on its reflection in the cube map.
#define LIT_REFLECT                                                                                \
    "    vec3 lit = Lit(N, LightDir, vec3(1.0), m);\n"                                             \
    "    vec3 R = reflect(vView, N);\n"                                                            \
    "    vec4 Lt = Shade(texture2D(ColorMap, uv), lit);\n"                                         \
    "    vec4 Ct = Shade(textureCube(CubeMap, R), lit);\n"

// Surface and reflection, each fogged, mixed by r; closes main.
#define LIT_FOGGED_REFLECTION                                                                      \
    "    vec4 fog = vec4(FogColor, 1.0);\n"                                                        \
    "    gl_FragColor = mix(mix(fog, Ct, F), mix(fog, Lt, F), r);\n"                               \
    "}\n"

#define LIT_COLOUR "    vec4 S = texture2D(ColorMap, uv);\n"

// Each light's colour on the surface.
#define LIT_TWO_LIGHTS                                                                             \
    "    vec4 T1 = Shade(S, Lit(N, LightDir, LightColor, m));\n"                                   \
    "    vec4 T2 = Shade(S, Lit(N, LightDir2, Light2Color, m));\n"

#define LIT_AVERAGE "    vec4 M = (T1 + T2) / 2.0;\n"

#define LIT_FOGGED_AVERAGE "    gl_FragColor = mix(vec4(FogColor, 1.0), M, F);\n"

// Water-level members: no fog above the level.
#define LIT_WATER_LEVEL_INPUT                                                                      \
    "\n"                                                                                           \
    "varying float isUWConv;\n"                                                                    \
    "varying float YHeight;\n"

#define LIT_CLEAR_ABOVE_WATER                                                                      \
    "    if (YHeight >= isUWConv)\n"                                                               \
    "    {\n"                                                                                      \
    "        F = 1.0;\n"                                                                           \
    "    }\n"

#define LIT_ALPHA_INPUT                                                                            \
    "\n"                                                                                           \
    "uniform float alpha;\n"

// Rippled normals: two reads shifted by slow sines, averaged before decoding.
#define LIT_RIPPLED_NORMAL                                                                         \
    "    vec4 n1 = texture2D(NormalMap, uv + sin(timer / 16.0));\n"                                \
    "    vec4 n2 = texture2D(NormalMap, uv + sin(timer / 12.0));\n"                                \
    "    vec3 N = Decode((n1 + n2) / 2.0);\n"

const char* const kWaterNoFogFragment =
    LIT_FRAGMENT_COMMON LIT_FRAGMENT_MAIN LIT_PARALLAX_MASK LIT_RIPPLED_NORMAL LIT_REFLECT
    "    Ct.a = 1.0;\n    Lt.a = 1.0;\n    gl_FragColor = mix(Ct, Lt, r);\n}\n";

const char* const kWaterFragment = LIT_FRAGMENT_COMMON LIT_FRAGMENT_MAIN LIT_FOG_FACTOR
    LIT_PARALLAX_MASK LIT_RIPPLED_NORMAL LIT_REFLECT LIT_FOGGED_REFLECTION;

const char* const kUnderwaterFragment =
    LIT_FRAGMENT_COMMON LIT_WATER_LEVEL_INPUT LIT_FRAGMENT_MAIN LIT_FOG_FACTOR LIT_PARALLAX_MASK
        LIT_NORMAL LIT_REFLECT LIT_CLEAR_ABOVE_WATER LIT_FOGGED_REFLECTION;

const char* const kReflectBumpFragment = LIT_FRAGMENT_COMMON LIT_FRAGMENT_MAIN LIT_FOG_FACTOR
    LIT_PLAIN_MASK LIT_NORMAL LIT_REFLECT LIT_FOGGED_REFLECTION;

const char* const kTwoLightFragment = LIT_FRAGMENT_COMMON LIT_FRAGMENT_MAIN LIT_FOG_FACTOR
    LIT_PLAIN_MASK LIT_NORMAL LIT_COLOUR LIT_TWO_LIGHTS LIT_AVERAGE LIT_FOGGED_AVERAGE "}\n";

const char* const kTwoLightUnderwaterFragment =
    LIT_FRAGMENT_COMMON LIT_WATER_LEVEL_INPUT LIT_FRAGMENT_MAIN LIT_FOG_FACTOR LIT_PLAIN_MASK
        LIT_NORMAL LIT_COLOUR LIT_TWO_LIGHTS LIT_AVERAGE LIT_CLEAR_ABOVE_WATER LIT_FOGGED_AVERAGE
    "}\n";

// No fog.
const char* const kDriftFragment =
    LIT_FRAGMENT_COMMON LIT_FRAGMENT_MAIN LIT_PLAIN_MASK LIT_NORMAL LIT_COLOUR LIT_TWO_LIGHTS
    "    gl_FragColor = (T1 + T2) / 2.0;\n}\n";

// Normals decoded before averaging here, unlike the rippled water.
const char* const kScrollFragment =
    LIT_FRAGMENT_COMMON LIT_FRAGMENT_MAIN LIT_FOG_FACTOR LIT_PLAIN_MASK
    R"(    vec3 N1 = Decode(texture2D(NormalMap, uv + timer / 10.0));
    vec3 N2 = Decode(texture2D(NormalMap, uv - timer / 10.0));
    vec3 N = (N1 + N2) / 2.0;
    vec4 S = texture2D(ColorMap, uv + timer / 12.0);
)" LIT_TWO_LIGHTS LIT_AVERAGE LIT_FOGGED_AVERAGE "}\n";

const char* const kTintFragment = LIT_FRAGMENT_COMMON
    "\nuniform vec3 Color;\n" LIT_FRAGMENT_MAIN LIT_FOG_FACTOR LIT_PLAIN_MASK LIT_NORMAL LIT_COLOUR
    R"(    vec4 T1 = Shade(S, Lit(N, LightDir, LightColor, m)) + vec4(Color, 1.0);
    vec4 T2 = Shade(S, Lit(N, LightDir2, Light2Color, m)) + vec4(Color, 1.0);
)" LIT_AVERAGE LIT_FOGGED_AVERAGE "}\n";

const char* const kFadeFragment =
    LIT_FRAGMENT_COMMON LIT_ALPHA_INPUT LIT_FRAGMENT_MAIN LIT_FOG_FACTOR LIT_PLAIN_MASK LIT_NORMAL
        LIT_COLOUR LIT_TWO_LIGHTS LIT_AVERAGE LIT_FOGGED_AVERAGE "    gl_FragColor.a = alpha;\n}\n";

const char* const kAlphaFragment =
    LIT_FRAGMENT_COMMON LIT_ALPHA_INPUT LIT_FRAGMENT_MAIN LIT_FOG_FACTOR LIT_PLAIN_MASK LIT_NORMAL
        LIT_COLOUR LIT_TWO_LIGHTS LIT_AVERAGE LIT_FOGGED_AVERAGE "}\n";

const char* const kSimpleBumpVertex = R"(
uniform vec3 LightPosition;
uniform vec3 EyePos;
attribute vec3 Tangent;
varying vec3 LightDir;
varying vec3 EyeDir;

void main()
{
    vec3 E = EyePos - (gl_ModelViewMatrix * gl_Vertex).xyz;
    gl_Position = ftransform();
    gl_TexCoord[0] = gl_MultiTexCoord0;
    vec3 n = normalize(gl_NormalMatrix * gl_Normal);
    vec3 t = normalize(gl_NormalMatrix * Tangent);
    vec3 b = cross(n, t);
    LightDir = normalize(vec3(dot(LightPosition, t), dot(LightPosition, b),
                              dot(LightPosition, n)));
    EyeDir = normalize(vec3(dot(E, t), dot(E, b), dot(E, n)));
}
)";

// The light vector itself is reflected, not its negation: the highlight is
// placed as the effect was tuned.
const char* const kSimpleBumpFragment = R"(
uniform sampler2D colorMap;
uniform sampler2D normalMap;
uniform vec3 SurfaceColor;
uniform float BumpDensity;
uniform float BumpSize;
uniform float SpecularFactor;
varying vec3 LightDir;
varying vec3 EyeDir;

void main()
{
    vec2 tc = gl_TexCoord[0].st;
    vec3 N = texture2D(normalMap, tc).rgb * 2.0 - 1.0;
    vec3 lit = SurfaceColor * max(dot(N, LightDir), 0.0);
    vec3 R = reflect(LightDir, N);
    float specTerm = pow(max(dot(EyeDir, R), 0.0), 8.0) * SpecularFactor;
    lit = min(lit + specTerm, 1.0);
    vec4 C = texture2D(colorMap, tc);
    gl_FragColor = C * 0.2 + vec4(lit, 1.0) * C;
}
)";

#undef LIT_VERTEX_COMMON
#undef LIT_WATER_LEVEL_VARYINGS
#undef LIT_WOBBLE
#undef LIT_FRAGMENT_COMMON
#undef LIT_MAIN_EYE
#undef LIT_PLACE_UNMOVED
#undef LIT_VIEW_UNMOVED
#undef LIT_PLACE_MOVED
#undef LIT_FIRST_LIGHT
#undef LIT_SECOND_LIGHT
#undef LIT_EYE
#undef LIT_FOG_BY_LENGTH
#undef LIT_FOG_BY_COORD
#undef LIT_FRAGMENT_MAIN
#undef LIT_FOG_FACTOR
#undef LIT_PARALLAX_MASK
#undef LIT_PLAIN_MASK
#undef LIT_NORMAL
#undef LIT_REFLECT
#undef LIT_FOGGED_REFLECTION
#undef LIT_COLOUR
#undef LIT_TWO_LIGHTS
#undef LIT_AVERAGE
#undef LIT_FOGGED_AVERAGE
#undef LIT_WATER_LEVEL_INPUT
#undef LIT_CLEAR_ABOVE_WATER
#undef LIT_ALPHA_INPUT
#undef LIT_RIPPLED_NORMAL

// "LightPosition" comes twice; it keeps one slot.
const char* const kOneLightList[] = {
    "LightPosition", "Tangent",       "LightDir",    "EyeDir",  "LightPosition", "NormalMap",
    "ColorMap",      "HeightMap",     "SpecularMap", "CubeMap", "vEye",          "r",
    "SpecPower",     "SpecOverdrive", "Ai",          "timer",   "FogDensity",    "FogColor"};

const char* const kUnderwaterList[] = {"LightPosition", "Tangent",       "LightDir", "EyeDir",
                                       "LightPosition", "NormalMap",     "ColorMap", "HeightMap",
                                       "SpecularMap",   "CubeMap",       "vEye",     "r",
                                       "SpecPower",     "SpecOverdrive", "Ai",       "FogDensity",
                                       "FogColor",      "isUW",          "timer"};

const char* const kReflectBumpList[] = {
    "LightPosition", "Tangent",       "LightDir",    "EyeDir",     "LightPosition", "NormalMap",
    "ColorMap",      "HeightMap",     "SpecularMap", "CubeMap",    "vEye",          "r",
    "SpecPower",     "SpecOverdrive", "Ai",          "FogDensity", "FogColor"};

#define TWO_LIGHT_LIST_HEAD                                                                        \
    "Tangent", "LightDir", "EyeDir", "LightPosition", "LightPosition2", "NormalMap", "ColorMap",   \
        "HeightMap", "SpecularMap", "CubeMap", "vEye", "r", "SpecPower", "SpecOverdrive", "Ai",    \
        "LightColor", "Light2Color"

const char* const kTwoLightList[] = {TWO_LIGHT_LIST_HEAD, "FogDensity", "FogColor"};
const char* const kBlobList[] = {TWO_LIGHT_LIST_HEAD, "FogDensity", "FogColor", "time"};
const char* const kTwoLightUnderwaterList[] = {TWO_LIGHT_LIST_HEAD, "FogDensity", "FogColor",
                                               "isUW", "timer"};
const char* const kDriftList[] = {TWO_LIGHT_LIST_HEAD, "time"};
const char* const kScrollList[] = {TWO_LIGHT_LIST_HEAD, "FogDensity", "FogColor", "timer"};
const char* const kTintList[] = {TWO_LIGHT_LIST_HEAD, "FogDensity", "FogColor", "Color"};
const char* const kAlphaList[] = {TWO_LIGHT_LIST_HEAD, "FogDensity", "FogColor", "alpha"};

#undef TWO_LIGHT_LIST_HEAD

const char* const kSimpleBumpList[] = {
    "colorMap", "normalMap",    "LightDir",    "EyeDir",   "LightPosition",
    "Tangent",  "SurfaceColor", "BumpDensity", "BumpSize", "SpecularFactor"};

template <size_t N> constexpr int Count(const char* const (&)[N])
{
    return static_cast<int>(N);
}

} // namespace

const char* const kNormalPulseSteps = R"(    float freqx = 2.0 + 1.2 * sin(time);
    float freqy = 2.0 + 1.6 * cos(1.3 * time);
    float freqz = 3.0 + 1.3 * sin(1.1 * time);
    float amp = 1.0 + 1.4 * sin(1.4 * time);
    float f = sin(gl_Normal.x * freqx + time) * sin(gl_Normal.y * freqy + time) *
              sin(gl_Normal.z * freqz + time);
    vec4 p = gl_Vertex;
    p.xyz += gl_Normal * amp * f;
)";

cLightingShader::cLightingShader(const char* className, const char* vertexText,
                                 const char* fragmentText, const char* const* names, int count)
    : cListedShader(className, vertexText, fragmentText, names, count, "Tangent",
                    kTangentAttribute),
      lightPosition{0.0f, 0.0f, 1.0f}, lightPosition2{0.0f, 0.0f, 1.0f}, eye{0.0f, 0.0f, 0.0f},
      lightColor{1.0f, 1.0f, 1.0f},
      light2Color{1.0f, 1.0f, 1.0f}, fogColor{0.5f, 0.5f, 0.5f}, tint{0.0f, 0.0f, 0.0f},
      ambient(0.2f), specPower(16.0f), specOverdrive(1.0f), reflectMix(0.5f), fogDensity(0.0f),
      time(0.0f), waterLevel(0.0f), alpha(1.0f), colorUnit(0), normalUnit(1), heightUnit(2),
      specularUnit(3), cubeUnit(4)
{
}

void cLightingShader::SendValues() const
{
    Send3f("LightPosition", lightPosition);
    Send3f("LightPosition2", lightPosition2);
    Send3f("vEye", eye);
    Send3f("LightColor", lightColor);
    Send3f("Light2Color", light2Color);
    Send1f("Ai", ambient);
    Send1f("SpecPower", specPower);
    Send1f("SpecOverdrive", specOverdrive);
    Send1f("r", reflectMix);
    Send1f("FogDensity", fogDensity);
    Send3f("FogColor", fogColor);
    Send1f("timer", time);
    Send1f("time", time);
    Send1f("isUW", waterLevel);
    Send3f("Color", tint);
    Send1f("alpha", alpha);
    Send1i("ColorMap", colorUnit);
    Send1i("NormalMap", normalUnit);
    Send1i("HeightMap", heightUnit);
    Send1i("SpecularMap", specularUnit);
    Send1i("CubeMap", cubeUnit);
}

cWaterNoFogShader::cWaterNoFogShader()
    : cLightingShader("cWaterNoFogShader", kWaterVertex, kWaterNoFogFragment, kOneLightList,
                      Count(kOneLightList))
{
}

cWaterShader::cWaterShader()
    : cLightingShader("cWaterShader", kWaterVertex, kWaterFragment, kOneLightList,
                      Count(kOneLightList))
{
}

cUnderwaterShader::cUnderwaterShader()
    : cLightingShader("cUnderwaterShader", kUnderwaterVertex, kUnderwaterFragment, kUnderwaterList,
                      Count(kUnderwaterList))
{
}

cReflectBumpShader::cReflectBumpShader()
    : cLightingShader("cReflectBumpShader", kOneLightVertex, kReflectBumpFragment, kReflectBumpList,
                      Count(kReflectBumpList))
{
}

cTwoLightShader::cTwoLightShader()
    : cLightingShader("cTwoLightShader", kTwoLightVertex, kTwoLightFragment, kTwoLightList,
                      Count(kTwoLightList))
{
}

cTwoLightRepeatShader::cTwoLightRepeatShader()
    : cLightingShader("cTwoLightRepeatShader", kTwoLightVertex, kTwoLightFragment, kTwoLightList,
                      Count(kTwoLightList))
{
}

cTwoLightBlobShader::cTwoLightBlobShader()
    : cLightingShader("cTwoLightBlobShader", BlobVertex(), kTwoLightFragment, kBlobList,
                      Count(kBlobList))
{
}

cTwoLightUnderwaterShader::cTwoLightUnderwaterShader()
    : cLightingShader("cTwoLightUnderwaterShader", kTwoLightUnderwaterVertex,
                      kTwoLightUnderwaterFragment, kTwoLightUnderwaterList,
                      Count(kTwoLightUnderwaterList))
{
}

cTwoLightDriftShader::cTwoLightDriftShader()
    : cLightingShader("cTwoLightDriftShader", kDriftVertex, kDriftFragment, kDriftList,
                      Count(kDriftList))
{
}

cTwoLightScrollShader::cTwoLightScrollShader()
    : cLightingShader("cTwoLightScrollShader", kTwoLightVertex, kScrollFragment, kScrollList,
                      Count(kScrollList))
{
}

cTwoLightTintShader::cTwoLightTintShader()
    : cLightingShader("cTwoLightTintShader", kTwoLightVertex, kTintFragment, kTintList,
                      Count(kTintList))
{
}

cTwoLightFadeShader::cTwoLightFadeShader()
    : cLightingShader("cTwoLightFadeShader", kTwoLightVertex, kFadeFragment, kAlphaList,
                      Count(kAlphaList))
{
}

cTwoLightAlphaShader::cTwoLightAlphaShader()
    : cLightingShader("cTwoLightAlphaShader", kTwoLightVertex, kAlphaFragment, kAlphaList,
                      Count(kAlphaList))
{
}

cSimpleBumpShader::cSimpleBumpShader()
    : cLightingShader("cSimpleBumpShader", kSimpleBumpVertex, kSimpleBumpFragment, kSimpleBumpList,
                      Count(kSimpleBumpList)),
      surfaceColor{1.0f, 1.0f, 1.0f}, eyePosition{0.0f, 0.0f, 0.0f}, bumpDensity(16.0f),
      bumpSize(0.15f), specularFactor(0.5f), eyePosLocation(-1)
{
}

bool cSimpleBumpShader::LoadFragmentShader()
{
    if (!BuildFragment())
    {
        return false;
    }
    // Outside the recorded list, but the vertex stage cannot work without it.
    eyePosLocation = Location("EyePos");
    return true;
}

void cSimpleBumpShader::SendValues() const
{
    cLightingShader::SendValues();
    Send1i("colorMap", colorUnit);
    Send1i("normalMap", normalUnit);
    Send3f("SurfaceColor", surfaceColor);
    Send1f("BumpDensity", bumpDensity);
    Send1f("BumpSize", bumpSize);
    Send1f("SpecularFactor", specularFactor);
    if (eyePosLocation != -1 && glUniform3fARB != nullptr)
    {
        glUniform3fARB(eyePosLocation, eyePosition.x, eyePosition.y, eyePosition.z);
    }
}

} // namespace MivexGL
