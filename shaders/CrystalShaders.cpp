// Crystal refraction programs: GLSL texts, lookup lists and value binding.
// The texts keep to GLSL 1.10 typing so conformant compilers take them.
#include "shaders/CrystalShaders.h"

#include "shaders/LightingShaders.h"

#include <string>

namespace MivexGL
{

namespace
{

// The varyings and, opening main, the shading inputs of the unmoved vertex;
// the colour texture is addressed by 0.6 times the object-space normal.
#define CRYSTAL_VERTEX_INPUTS                                                                      \
    "varying vec3 N;\n"                                                                            \
    "varying vec3 View;\n"                                                                         \
    "\n"                                                                                           \
    "void main()\n"                                                                                \
    "{\n"                                                                                          \
    "    vec3 P = (gl_ModelViewMatrix * gl_Vertex).xyz;\n"                                         \
    "    View = normalize(-P);\n"                                                                  \
    "    N = normalize(gl_NormalMatrix * gl_Normal);\n"                                            \
    "    gl_TexCoord[0] = 0.6 * vec4(gl_Normal, 1.0);\n"

const char* const kPlainVertex = "\n" CRYSTAL_VERTEX_INPUTS "    gl_Position = ftransform();\n}\n";

// Only the clip position follows the moved vertex; the shading inputs stay
// those of the unmoved one. The text lives as long as the process, as the
// program base needs.
const char* BlobVertex()
{
    static const std::string text = std::string("\nuniform float time;\n" CRYSTAL_VERTEX_INPUTS) +
                                    kNormalPulseSteps +
                                    "    gl_Position = gl_ModelViewProjectionMatrix * p;\n}\n";
    return text.c_str();
}

#undef CRYSTAL_VERTEX_INPUTS

// Shared head of the fragment texts: three refraction steps, one per colour
// channel, each overwriting the Fresnel terms so those of blue remain. Below
// the critical angle the root is taken of zero instead of a negative value,
// which would give no defined colour at all.
#define CRYSTAL_FRAGMENT_HEAD                                                                      \
    "uniform samplerCube CubeMap;\n"                                                               \
    "uniform sampler2D ColorMap;\n"                                                                \
    "uniform float refraction_index;\n"                                                            \
    "varying vec3 N;\n"                                                                            \
    "varying vec3 View;\n"                                                                         \
    "float reflectance;\n"                                                                         \
    "float transmittance;\n"                                                                       \
    "void Refraction(vec3 I, vec3 n, float na, float nb, out vec3 reflected,\n"                    \
    "                out vec3 refracted)\n"                                                        \
    "{\n"                                                                                          \
    "    float eta = na / nb;\n"                                                                   \
    "    float c1 = dot(I, n);\n"                                                                  \
    "    float c2 = sqrt(max(1.0 - eta * eta * (1.0 - c1 * c1), 0.0));\n"                          \
    "    reflected = I - 2.0 * c1 * n;\n"                                                          \
    "    refracted = eta * I + (c2 - eta * c1) * n;\n"                                             \
    "    float rs = (na * c1 - nb * c2) / (na * c1 + nb * c2);\n"                                  \
    "    float rp = (nb * c1 - na * c2) / (nb * c1 + na * c2);\n"                                  \
    "    reflectance = (rs * rs + rp * rp) / 2.0;\n"                                               \
    "    transmittance = ((1.0 - rs) * (1.0 - rs) + (1.0 - rp) * (1.0 - rp)) / 2.0;\n"             \
    "}\n"                                                                                          \
    "vec3 World(vec3 d)\n"                                                                         \
    "{\n"                                                                                          \
    "    return -(gl_ModelViewMatrixTranspose * vec4(d, 0.0)).xyz;\n"                              \
    "}\n"                                                                                          \
    "vec4 reflectColor;\n"                                                                         \
    "vec4 refractColor;\n"                                                                         \
    "void Trace()\n"                                                                               \
    "{\n"                                                                                          \
    "    vec3 n = 0.5 * (N + 2.0 * (texture2D(ColorMap, gl_TexCoord[0].st).rgb - 0.5));\n"         \
    "    vec3 reflR, refrR, reflG, refrG, reflB, refrB;\n"                                         \
    "    Refraction(View, n, 1.0, refraction_index, reflR, refrR);\n"                              \
    "    Refraction(View, n, 1.0, refraction_index + 0.05, reflG, refrG);\n"                       \
    "    Refraction(View, n, 1.0, refraction_index + 0.1, reflB, refrB);\n"                        \
    "    reflectColor = vec4(textureCube(CubeMap, World(reflR)).r,\n"                              \
    "                        textureCube(CubeMap, World(reflG)).g,\n"                              \
    "                        textureCube(CubeMap, World(reflB)).b, 1.0);\n"                        \
    "    refractColor = vec4(textureCube(CubeMap, World(refrR)).r,\n"                              \
    "                        textureCube(CubeMap, World(refrG)).g,\n"                              \
    "                        textureCube(CubeMap, World(refrB)).b, 1.0);\n"                        \
    "    reflectance = reflectance / 2.0;\n"                                                       \
    "    transmittance = transmittance / 2.0;\n"                                                   \
    "}\n"

const char* const kCrystalFragment = CRYSTAL_FRAGMENT_HEAD R"(
uniform vec3 CrystalColor;

void main()
{
    Trace();
    gl_FragColor = reflectColor * transmittance + refractColor * reflectance +
                   vec4(CrystalColor, 1.0);
    gl_FragColor.a = 1.0;
}
)";

const char* const kCrystalSumFragment = CRYSTAL_FRAGMENT_HEAD R"(
uniform vec3 CrystalColor;

void main()
{
    Trace();
    gl_FragColor = reflectColor + refractColor + vec4(CrystalColor, 1.0);
    gl_FragColor.a = 1.0;
}
)";

// Both colours carry alpha 1, so the alpha is the sum of the halved weights.
const char* const kGlassFragment = CRYSTAL_FRAGMENT_HEAD R"(
void main()
{
    Trace();
    gl_FragColor = reflectColor * reflectance + refractColor * transmittance;
}
)";

#undef CRYSTAL_FRAGMENT_HEAD

const char* const kColorList[] = {"CubeMap", "ColorMap", "refraction_index", "CrystalColor"};
const char* const kBlobList[] = {"CubeMap", "ColorMap", "refraction_index", "time"};
const char* const kGlassList[] = {"CubeMap", "ColorMap", "refraction_index"};

template <size_t Size> constexpr int Count(const char* const (&)[Size])
{
    return static_cast<int>(Size);
}

} // namespace

cRefractionShader::cRefractionShader(const char* className, const char* vertexText,
                                     const char* fragmentText, const char* const* names, int count)
    : cListedShader(className, vertexText, fragmentText, names, count), crystalColor{0.0f, 0.0f,
                                                                                     0.0f},
      refractionIndex(1.5f), time(0.0f), cubeUnit(0), colorUnit(1)
{
}

void cRefractionShader::SendValues() const
{
    Send1i("CubeMap", cubeUnit);
    Send1i("ColorMap", colorUnit);
    Send1f("refraction_index", refractionIndex);
    Send3f("CrystalColor", crystalColor);
    Send1f("time", time);
}

cCrystalShader::cCrystalShader()
    : cRefractionShader("cCrystalShader", kPlainVertex, kCrystalFragment, kColorList,
                        Count(kColorList))
{
}

cCrystalSumShader::cCrystalSumShader()
    : cRefractionShader("cCrystalSumShader", kPlainVertex, kCrystalSumFragment, kColorList,
                        Count(kColorList))
{
}

cCrystalBlobShader::cCrystalBlobShader()
    : cRefractionShader("cCrystalBlobShader", BlobVertex(), kGlassFragment, kBlobList,
                        Count(kBlobList))
{
}

cGlassShader::cGlassShader()
    : cRefractionShader("cGlassShader", kPlainVertex, kGlassFragment, kGlassList, Count(kGlassList))
{
}

} // namespace MivexGL
