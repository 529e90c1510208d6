// Crystal and glass programs lit only by an environment cube map: per-channel
// reflected and refracted rays with slightly different indices (dispersion),
// Fresnel weights, and a colour texture that perturbs the normal. Each class
// carries its GLSL texts and ordered uniform list; values live in members and
// are sent by the base's Bind. Builds on the listed-uniform base
// (shaders/ListedShader.h).
#pragma once

#include "shaders/ListedShader.h"

namespace MivexGL
{

// Parameters and binding shared by the four crystal programs.
class cRefractionShader : public cListedShader
{
public:
    // Every member builds its own two stages from its texts.
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    // Index of the red channel; green and blue add 0.05 and 0.1.
    void SetRefractionIndex(float value) { refractionIndex = value; }
    void SetCrystalColor(float r, float g, float b) { crystalColor = {r, g, b}; }
    void SetTime(float value) { time = value; }

    // Texture units the samplers read; the caller binds its textures there.
    void SetCubeMapUnit(int unit) { cubeUnit = unit; }
    void SetColorMapUnit(int unit) { colorUnit = unit; }
    int GetCubeMapUnit() const { return cubeUnit; }
    int GetColorMapUnit() const { return colorUnit; }

protected:
    cRefractionShader(const char* className, const char* vertexText, const char* fragmentText,
                      const char* const* names, int count);
    ~cRefractionShader() = default;
    void SendValues() const override;

    cVector3f crystalColor;
    float refractionIndex;
    float time;
    int cubeUnit;
    int colorUnit;
};

// Reflection weighted by transmittance, refraction by reflectance, plus colour.
class cCrystalShader : public cRefractionShader
{
public:
    cCrystalShader();
};

// Reflection plus refraction plus colour, without Fresnel weights.
class cCrystalSumShader : public cRefractionShader
{
public:
    cCrystalSumShader();
};

// Fresnel-weighted glass on a surface that pulses along its normals.
class cCrystalBlobShader : public cRefractionShader
{
public:
    cCrystalBlobShader();
};

// Fresnel-weighted glass; the alpha carries the summed weights.
class cGlassShader : public cRefractionShader
{
public:
    cGlassShader();
};

} // namespace MivexGL
