// Blur and bloom programs: a 3 x 3 weighted blur blended in per pixel by a blur
// map with a bloom level, and a 12-tap disc blur on a base shared by image
// programs of one image and one factor. Each class carries its GLSL
// texts and ordered uniform list; values live in members and are sent by the
// base's Bind, and the caller binds the images to the sampler units before
// drawing. Builds on the listed-uniform base (shaders/ListedShader.h).
#pragma once

#include "shaders/ListedShader.h"

#include <string>

namespace MivexGL
{

// Vertex stage shared by the image programs: fixed transform, texture
// coordinate set 0 handed on as "texCoords".
extern const char* const kImageVertexSource;
// A fragment stage of functions ending in vec4 name(vec2 uv), drawn at the
// image coordinates; the text lives as long as the program that reads it.
std::string ImageFragmentSource(const std::string& functions, const char* name);
// The blur map as a GLSL function, vec4 BlurMap(vec2 uv), with the uniforms
// cGaussianMapShader lists, for a program that wants the bloom of a texel
// without a pass of its own.
extern const char* const kBlurMapFunction;

class cGaussianMapShader : public cListedShader
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

    bool LoadVertexShader() override { return BuildVertex(); }
    // Keeps the base's colour stage, although the class carries a text.
    bool LoadFragmentShader() override { return cShaderSystem::LoadFragmentShader(); }
    // Stands in for LoadFragmentShader, which keeps the base's colour stage:
    // the blur map program for an image of w x h pixels, then link and
    // locations.
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
    // The image's size for the texel steps, when it changes after the build.
    void SetImageSize(float w, float h)
    {
        width = w;
        height = h;
    }

protected:
    void SendValues() const override;
    // A rebuild repeats the blur map program at the size it was made for.
    bool BuildSteps() override { return LoadVertexShader() && LoadBlurMapProgram(width, height); }

private:
    float blurFactor;
    float bloom;
    float width;
    float height;
    float alpha;
    int sourceUnit;
    int mapUnit;
};

// An image program that reads "sampler0" and takes one float,
// "BlurFactor": the disc blur's radius, the wipe mask's edge
// (shaders/ScreenShaders.h).
class cFactorImageShader : public cListedShader
{
public:
    enum Slot
    {
        kSampler0,
        kBlurFactor,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    void SetBlurFactor(float value) { blurFactor = value; }
    void SetSamplerUnit(int unit) { sourceUnit = unit; }
    float GetBlurFactor() const { return blurFactor; }

protected:
    // The image vertex stage with fragmentText; the factor starts at factor.
    cFactorImageShader(const char* className, const char* fragmentText, float factor);
    ~cFactorImageShader() = default;
    void SendValues() const override;

private:
    float blurFactor;
    int sourceUnit;
};

// The factor is the disc radius in texture-coordinate units; 0.01 as in the
// program text.
class cDiscBlurShader : public cFactorImageShader
{
public:
    cDiscBlurShader();
};

} // namespace MivexGL
