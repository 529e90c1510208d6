// The picture scene's program: the GLSL files in glsl/, embedded at build
// time (mivex_embed_shaders), with the values it sends on every Bind; its
// picture is the texture bound to unit 0, where a sampler starts.
#pragma once

#include "TourShaders.h"

class cRippleShader : public MivexGL::cListedShader
{
public:
    static constexpr const char* kNames[] = {"time", "strength", "fade"};

    cRippleShader()
        : cListedShader("cRippleShader", glsl::kRippleVert, glsl::kRippleFrag, kNames, 3)
    {
    }
    bool Build() { return InitGLSL() && LoadVertexShader() && LoadFragmentShader(); }
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    float time = 0.0f;
    float strength = 0.0f;
    float fade = 1.0f;

protected:
    void SendValues() const override
    {
        Send1f("time", time);
        Send1f("strength", strength);
        Send1f("fade", fade);
    }
};
