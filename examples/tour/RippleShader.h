// The picture scene's program: the GLSL files in glsl/, embedded at build
// time (mivex_embed_shaders), and the values it sends whenever it is bound;
// its picture is the texture bound to unit 0, where a sampler starts.
#pragma once

#include "TourShaders.h"

class cRippleShader : public MivexGL::cListedShader
{
public:
    cRippleShader() : cListedShader("cRippleShader", glsl::kRippleVert, glsl::kRippleFrag) {}

    cUniform<float> time{*this, "time", 0.0f};
    cUniform<float> strength{*this, "strength", 0.0f};
    cUniform<float> fade{*this, "fade", 1.0f};
};
