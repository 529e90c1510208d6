// Blur and bloom programs: a 3 x 3 weighted blur blended in per pixel by a blur
// map with a bloom level, and a 12-tap disc blur. Built on cShaderSystem; the
// caller binds the images to the sampler units before drawing.
#pragma once

#include "render/ShaderSystem.h"

namespace MivexGL
{

// Vertex stage shared by the image programs: fixed transform, texture
// coordinate set 0 handed on as "texCoords".
extern const char* const kImageVertexSource;

class cGaussianMapShader : public cShaderSystem
{
public:
    enum Slot
    {
        kSampler0,
        kSampler1,
        kBlurFactor,
        kWidth,
        kHeight,
        kAlpha,
        kBloom,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    cGaussianMapShader();

    bool LoadVertexShader() override;
    // Stands in for LoadFragmentShader: the blur map program for an image of
    // w x h pixels, then link and locations.
    bool LoadBlurMapProgram(float w, float h);

    void SetBlurFactor(float value) { blurFactor = value; }
    void SetBloom(float value) { bloom = value; }
    void SetAlpha(float value) { alpha = value; }
    // Units holding the source image and the blur map (0 and 1 by default).
    void SetSamplerUnits(int source, int map)
    {
        sourceUnit = source;
        mapUnit = map;
    }
    float GetBlurFactor() const { return blurFactor; }
    float GetBloom() const { return bloom; }
    float GetAlpha() const { return alpha; }
    float GetWidth() const { return width; }
    float GetHeight() const { return height; }
    GLint GetLocation(int slot) const;

    // Makes the program current and sends the held values; nothing happens
    // before a successful link.
    void Bind() const;
    void Unbind() const { UseFixedFunction(); }

private:
    float blurFactor;
    float bloom;
    GLint locations[kSlotCount];
    float width;
    float height;
    float alpha;
    int sourceUnit;
    int mapUnit;
};

class cDiscBlurShader : public cShaderSystem
{
public:
    enum Slot
    {
        kSampler0,
        kBlurFactor,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    cDiscBlurShader();

    bool LoadVertexShader() override;
    bool LoadFragmentShader() override;

    // Disc radius in texture-coordinate units; 0.01 as in the program text.
    void SetBlurFactor(float value) { blurFactor = value; }
    void SetSamplerUnit(int unit) { sourceUnit = unit; }
    float GetBlurFactor() const { return blurFactor; }
    GLint GetLocation(int slot) const;

    void Bind() const;
    void Unbind() const { UseFixedFunction(); }

private:
    GLint locations[kSlotCount];
    float blurFactor;
    int sourceUnit;
};

} // namespace MivexGL
