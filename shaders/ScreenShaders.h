// Screen-space effect programs: zoom blur about a centre, depth of field from
// a depth image, numbered distortions, a soft-edged wipe mask, a wobbling
// vertex stage, and four image programs that supply only the pass-through
// vertex stage. Built on cShaderSystem; callers bind the images to the
// sampler units before drawing.
#pragma once

#include "render/ShaderSystem.h"
#include "render/Vector2f.h"

namespace MivexGL
{

class cRadialBlurShader : public cShaderSystem
{
public:
    enum Slot
    {
        kSampler0,
        kCenter,
        kIterations,
        kStart,
        kScale,
        kAlpha,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    cRadialBlurShader();

    bool LoadVertexShader() override;
    bool LoadFragmentShader() override;

    void SetStart(float value) { start = value; }
    void SetScale(float value) { scale = value; }
    void SetIterations(int value) { iterations = value; }
    void SetCenter(float x, float y) { center.Set(x, y); }
    void SetSamplerUnit(int unit) { sourceUnit = unit; }
    float GetStart() const { return start; }
    float GetScale() const { return scale; }
    float GetAlpha() const { return alpha; }
    int GetIterations() const { return iterations; }
    const cVector2f& GetCenter() const { return center; }
    GLint GetLocation(int slot) const;

    // Makes the program current and sends the held values; nothing happens
    // before a successful link.
    void Bind() const;
    void Unbind() const { UseFixedFunction(); }

private:
    float start;
    float scale;
    float alpha;
    int iterations;
    cVector2f center;
    GLint locations[kSlotCount];
    int sourceUnit;
};

class cDepthOfFieldShader : public cShaderSystem
{
public:
    enum Slot
    {
        kSampler0,
        kBlur,
        kDepth,
        kParams,
        kAmount,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    cDepthOfFieldShader();

    bool LoadVertexShader() override;
    bool LoadFragmentShader() override;

    // Sharp distance and the distance from it at which the blur is full.
    void SetFocus(float distance, float range);
    // Depth-buffer value to eye distance for a projection's near and far
    // planes (far must differ from near).
    void SetDepthRange(float nearPlane, float farPlane);
    void SetAmount(float value) { amount = value; }
    void SetSamplerUnits(int sharp, int blurred, int depthImage);
    const float* GetParams() const { return params; }
    float GetAmount() const { return amount; }
    GLint GetLocation(int slot) const;

    void Bind() const;
    void Unbind() const { UseFixedFunction(); }

private:
    GLint locations[kSlotCount];
    float params[4];
    float amount;
    int units[3];
};

class cDistortShader : public cShaderSystem
{
public:
    enum Slot
    {
        kSampler,
        kProgram,
        kParameters,
        kAlpha,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    cDistortShader();

    bool LoadVertexShader() override;
    bool LoadFragmentShader() override;

    // Distortion number 0 to 10; others leave the image in place.
    void SetProgram(int number) { distortProgram = number; }
    void SetParameters(float x, float y, float z, float w);
    void SetAlpha(float value) { alpha = value; }
    void SetSamplerUnit(int unit) { sourceUnit = unit; }
    int GetProgramNumber() const { return distortProgram; }
    GLint GetLocation(int slot) const;

    void Bind() const;
    void Unbind() const { UseFixedFunction(); }

private:
    GLint locations[kSlotCount];
    int distortProgram;
    float parameters[4];
    float alpha;
    int sourceUnit;
};

class cWipeMaskShader : public cShaderSystem
{
public:
    enum Slot
    {
        kSampler0,
        kBlurFactor,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    cWipeMaskShader();

    bool LoadVertexShader() override;
    bool LoadFragmentShader() override;

    // Edge position in texture t.
    void SetBlurFactor(float value) { blurFactor = value; }
    float GetBlurFactor() const { return blurFactor; }
    GLint GetLocation(int slot) const;

    void Bind() const;
    void Unbind() const { UseFixedFunction(); }

private:
    GLint locations[kSlotCount];
    float blurFactor;
};

// Vertex stage only; the fragment stage is the base's colour program.
class cWobbleShader : public cShaderSystem
{
public:
    cWobbleShader();

    bool LoadVertexShader() override;

    void SetTime(float value) { time = value; }
    float GetTime() const { return time; }

    void Bind() const;
    void Unbind() const { UseFixedFunction(); }

private:
    float time;
};

// Image programs that bring only the pass-through vertex stage.
class cImageShader : public cShaderSystem
{
public:
    bool LoadVertexShader() override;
};

class cScreenShader : public cShaderSystem
{
public:
    bool LoadVertexShader() override;
};

class cOverlayShader : public cShaderSystem
{
public:
    bool LoadVertexShader() override;
};

class cBackdropShader : public cShaderSystem
{
public:
    bool LoadVertexShader() override;
};

} // namespace MivexGL
