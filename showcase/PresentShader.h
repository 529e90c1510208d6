// The showcase's last pass in one program: the finished image with its glow
// added at a strength, drawn to the window. One full-screen pass instead of
// the image and then the glow blended over it, which on a software renderer
// costs about a whole frame of one textured quad. Builds on the
// listed-uniform program base (shaders/ListedShader.h).
#pragma once

#include "shaders/ListedShader.h"

namespace showcase
{

class cPresentShader : public MivexGL::cListedShader
{
public:
    enum Slot
    {
        kImage,
        kGlow,
        kGlowStrength,
        kSlotCount
    };
    static const char* const kUniformNames[kSlotCount];

    cPresentShader();

    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    void SetSamplerUnits(int image, int glow);
    // 0 leaves the glow out, its alpha too.
    void SetGlowStrength(float value) { glowStrength = value; }
    float GetGlowStrength() const { return glowStrength; }

protected:
    void SendValues() const override;

private:
    int units[2];
    float glowStrength;
};

} // namespace showcase
