// Screen-space effect programs: zoom blur about a centre, depth of field from
// a depth image, numbered distortions, a soft-edged wipe mask, a wobbling
// vertex stage, and four image programs that supply only the pass-through
// vertex stage. Each class carries its GLSL texts and ordered uniform list;
// values live in members and are sent by the base's Bind, and callers bind
// the images to the sampler units before drawing. Builds on the
// listed-uniform base (shaders/ListedShader.h); the wipe mask on the
// one-factor image base (shaders/BlurShaders.h).
#pragma once

#include "render/Vector2f.h"
#include "shaders/BlurShaders.h"
#include "shaders/ListedShader.h"

namespace MivexGL
{

class cRadialBlurShader : public cListedShader
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
    // Where the number of samples comes from: SetIterations, or eight built
    // into the program (a loop of known length runs about twice as fast on
    // a software renderer; SetIterations then changes nothing).
    enum Taps
    {
        kTapsFromIterations,
        kEightTaps
    };

    explicit cRadialBlurShader(Taps taps = kTapsFromIterations);

    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

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

protected:
    void SendValues() const override;

private:
    float start;
    float scale;
    float alpha;
    int iterations;
    cVector2f center;
    int sourceUnit;
};

// The depth of field's GLSL, for programs that do more with it: the mix's
// weight from depth, float FocusWeight(vec2 uv), and after it vec4
// DepthOfField(vec2 uv); with their uniforms, the names cDepthOfFieldShader
// lists.
extern const char* const kFocusWeightFunction;
extern const char* const kDepthOfFieldFunction;

class cDepthOfFieldShader : public cListedShader
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

    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    // Sharp distance and the distance from it at which the blur is full.
    void SetFocus(float distance, float range);
    // Depth-buffer value to eye distance for a projection's near and far
    // planes (far must differ from near).
    void SetDepthRange(float nearPlane, float farPlane);
    void SetAmount(float value) { amount = value; }
    void SetSamplerUnits(int sharp, int blurred, int depthImage);
    const float* GetParams() const { return params; }
    float GetAmount() const { return amount; }

protected:
    void SendValues() const override;

private:
    float params[4];
    float amount;
    int units[3];
};

class cDistortShader : public cListedShader
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

    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    // Distortion number 0 to 10; others leave the image in place.
    void SetProgram(int number) { distortProgram = number; }
    void SetParameters(float x, float y, float z, float w);
    void SetAlpha(float value) { alpha = value; }
    void SetSamplerUnit(int unit) { sourceUnit = unit; }
    int GetProgramNumber() const { return distortProgram; }

protected:
    void SendValues() const override;

private:
    int distortProgram;
    float parameters[4];
    float alpha;
    int sourceUnit;
};

// The factor is the edge's position in texture t; 0.5 unless set. The
// sampler is declared for callers that bind it, but never read.
class cWipeMaskShader : public cFactorImageShader
{
public:
    cWipeMaskShader();
};

// Vertex stage only, with no listed names; the fragment stage is the base's
// colour program.
class cWobbleShader : public cListedShader
{
public:
    cWobbleShader();

    bool LoadVertexShader() override { return BuildVertex(); }

    void SetTime(float value) { time = value; }
    float GetTime() const { return time; }

protected:
    void SendValues() const override;

private:
    float time;
};

// Image programs that bring only the pass-through vertex stage.
class cImageShader : public cListedShader
{
public:
    cImageShader();
    bool LoadVertexShader() override { return BuildVertex(); }
};

class cScreenShader : public cListedShader
{
public:
    cScreenShader();
    bool LoadVertexShader() override { return BuildVertex(); }
};

class cOverlayShader : public cListedShader
{
public:
    cOverlayShader();
    bool LoadVertexShader() override { return BuildVertex(); }
};

class cBackdropShader : public cListedShader
{
public:
    cBackdropShader();
    bool LoadVertexShader() override { return BuildVertex(); }
};

} // namespace MivexGL
