// The first scene: the picture on a plane that fills the window, through the
// ripple program, fading in and out, its rings pushed by the music's bass.
#pragma once

#include "RippleShader.h"

#include <MivexGL/production/Scene.h>
#include <MivexGL/render/BoundTexture.h>
#include <MivexGL/render/Quad.h>
#include <MivexGL/render/TextureSystem.h>
#include <MivexGL/shaders/BoundProgram.h>

#include <algorithm>

class cPictureScene : public MivexGL::cScene
{
public:
    // 9 units away, where the tour's depth of field is sharp.
    static constexpr float kDistance = 9.0f;

    void Load() override
    {
        picture.LoadTexture("picture.jpg");
        ripple.Build();
    }

    void Update() override
    {
        ripple.time = Seconds();
        ripple.strength = std::min(0.08f, 0.03f + 0.15f * Bands().Band(1, 6));
        ripple.fade = std::clamp(std::min(Seconds(), 15.0f - Seconds()), 0.0f, 1.0f);
    }

    void Draw() override
    {
        glLoadIdentity();
        // The unit quad lies at z = 1; at this distance a 45-degree view of
        // a 4:3 window is 2 * 0.414 * kDistance high.
        glTranslatef(0.0f, 0.0f, -kDistance - 1.0f);
        glScalef(0.5523f * kDistance, 0.4142f * kDistance, 1.0f);
        const MivexGL::cBoundTexture bound(picture);
        const MivexGL::cBoundProgram use(ripple);
        MivexGL::DrawQuad();
    }

private:
    MivexGL::cTextureSystem picture;
    cRippleShader ripple;
};
