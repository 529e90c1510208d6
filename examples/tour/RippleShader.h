// The picture scene's program: the GLSL files in glsl/, embedded at build
// time (mivex_embed_shaders), with the values it sends on every Bind; its
// picture is the texture bound to unit 0, where a sampler starts.
#pragma once

#include "TourShaders.h"

class cRippleShader : public MivexGL::cListedShader
{
public:
    cRippleShader() : cListedShader("cRippleShader", glsl::kRippleVert, glsl::kRippleFrag) {}
    bool Build() { return InitGLSL() && LoadVertexShader() && LoadFragmentShader(); }
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    cUniform<float> time{*this, "time", 0.0f};
    cUniform<float> strength{*this, "strength", 0.0f};
    cUniform<float> fade{*this, "fade", 1.0f};
};
