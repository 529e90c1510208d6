// The lit, normal-mapped program family: per-pixel tangent-space lighting
// with specular mask, ambient factor and exponential-squared fog, in one- and
// two-light members with parallax, cube reflection, water level and animated
// variants, plus a plain bump-map program. Each class carries its GLSL texts
// and its ordered uniform list; values live in members and are sent by the
// base's Bind. Builds on the listed-uniform program base
// (shaders/ListedShader.h).
#pragma once

#include "shaders/ListedShader.h"

namespace MivexGL
{

// GLSL statements that pulse the vertex along its object-space normal with
// "time" (a uniform float the stage declares), leaving the moved vertex in
// vec4 p; the blob programs, lit and crystal, place it.
extern const char* const kNormalPulseSteps;

// Parameters and binding shared by every member of the family.
class cLightingShader : public cListedShader
{
public:
    // Generic attribute index the per-vertex "Tangent" is bound to; clear of
    // the indices some drivers alias to position, normal, colour and texcoords.
    static constexpr GLuint kTangentAttribute = 6;
    GLuint GetTangentAttribute() const { return kTangentAttribute; }

    // Every member builds its own two stages from its texts.
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    // Directions toward the lights, in the space of the tangent frame.
    void SetLightPosition(float x, float y, float z) { lightPosition = {x, y, z}; }
    void SetLightPosition2(float x, float y, float z) { lightPosition2 = {x, y, z}; }
    void SetEye(float x, float y, float z) { eye = {x, y, z}; }
    void SetLightColor(float r, float g, float b) { lightColor = {r, g, b}; }
    void SetLight2Color(float r, float g, float b) { light2Color = {r, g, b}; }
    void SetAmbient(float value) { ambient = value; }
    void SetSpecPower(float value) { specPower = value; }
    void SetSpecOverdrive(float value) { specOverdrive = value; }
    // 0 shows the reflection alone, 1 the surface alone (one-light members).
    void SetReflectMix(float value) { reflectMix = value; }
    void SetFogDensity(float value) { fogDensity = value; }
    void SetFogColor(float r, float g, float b) { fogColor = {r, g, b}; }
    // Sent to whichever of "timer" and "time" the member uses.
    void SetTime(float value) { time = value; }
    // Clip-space y of the water surface (water-level members).
    void SetWaterLevel(float value) { waterLevel = value; }
    void SetTint(float r, float g, float b) { tint = {r, g, b}; }
    void SetAlpha(float value) { alpha = value; }

    // Texture units the samplers read; the caller binds its textures there.
    void SetColorMapUnit(int unit) { colorUnit = unit; }
    void SetNormalMapUnit(int unit) { normalUnit = unit; }
    void SetHeightMapUnit(int unit) { heightUnit = unit; }
    void SetSpecularMapUnit(int unit) { specularUnit = unit; }
    void SetCubeMapUnit(int unit) { cubeUnit = unit; }
    int GetColorMapUnit() const { return colorUnit; }
    int GetNormalMapUnit() const { return normalUnit; }
    int GetHeightMapUnit() const { return heightUnit; }
    int GetSpecularMapUnit() const { return specularUnit; }
    int GetCubeMapUnit() const { return cubeUnit; }

protected:
    cLightingShader(const char* className, const char* vertexText, const char* fragmentText,
                    const char* const* names, int count);
    ~cLightingShader() = default;
    void SendValues() const override;

    cVector3f lightPosition;
    cVector3f lightPosition2;
    cVector3f eye;
    cVector3f lightColor;
    cVector3f light2Color;
    cVector3f fogColor;
    cVector3f tint;
    float ambient;
    float specPower;
    float specOverdrive;
    float reflectMix;
    float fogDensity;
    float time;
    float waterLevel;
    float alpha;
    int colorUnit;
    int normalUnit;
    int heightUnit;
    int specularUnit;
    int cubeUnit;
};

// One light, parallax, rippled normals, cube reflection, waving surface; no fog.
class cWaterNoFogShader : public cLightingShader
{
public:
    cWaterNoFogShader();
};

// cWaterNoFogShader with fog.
class cWaterShader : public cLightingShader
{
public:
    cWaterShader();
};

// One light, parallax, cube reflection; fogged only below the water level,
// where the vertices also wobble.
class cUnderwaterShader : public cLightingShader
{
public:
    cUnderwaterShader();
};

// One light with cube reflection and fog.
class cReflectBumpShader : public cLightingShader
{
public:
    cReflectBumpShader();
};

// Two coloured lights with fog: the reference member.
class cTwoLightShader : public cLightingShader
{
public:
    cTwoLightShader();
};

// The same texts as cTwoLightShader, for repeating textures.
class cTwoLightRepeatShader : public cLightingShader
{
public:
    cTwoLightRepeatShader();
};

// Two lights on a surface that pulses along its normals over time.
class cTwoLightBlobShader : public cLightingShader
{
public:
    cTwoLightBlobShader();
};

// Two lights with the water-level rule; fog distance from the fog coordinate.
class cTwoLightUnderwaterShader : public cLightingShader
{
public:
    cTwoLightUnderwaterShader();
};

// Two lights, no fog, vertices drifting projectively over time.
class cTwoLightDriftShader : public cLightingShader
{
public:
    cTwoLightDriftShader();
};

// Two lights over scrolling normal and colour maps.
class cTwoLightScrollShader : public cLightingShader
{
public:
    cTwoLightScrollShader();
};

// Two lights with an added tint colour.
class cTwoLightTintShader : public cLightingShader
{
public:
    cTwoLightTintShader();
};

// Two lights whose output alpha is the "alpha" value.
class cTwoLightFadeShader : public cLightingShader
{
public:
    cTwoLightFadeShader();
};

// Two lights; "alpha" is declared but leaves the output alone.
class cTwoLightAlphaShader : public cLightingShader
{
public:
    cTwoLightAlphaShader();
};

// Plain bump map with a surface colour and a fixed specular exponent.
class cSimpleBumpShader : public cLightingShader
{
public:
    cSimpleBumpShader();
    bool LoadFragmentShader() override;

    void SetSurfaceColor(float r, float g, float b) { surfaceColor = {r, g, b}; }
    void SetBumpDensity(float value) { bumpDensity = value; }
    void SetBumpSize(float value) { bumpSize = value; }
    void SetSpecularFactor(float value) { specularFactor = value; }
    // Eye position in eye space; sent to "EyePos", which is not in the list.
    void SetEyePosition(float x, float y, float z) { eyePosition = {x, y, z}; }
    GLint GetEyePosLocation() const { return eyePosLocation; }

protected:
    void SendValues() const override;

private:
    cVector3f surfaceColor;
    cVector3f eyePosition;
    float bumpDensity;
    float bumpSize;
    float specularFactor;
    GLint eyePosLocation;
};

} // namespace MivexGL
