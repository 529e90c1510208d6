// The first scene: the picture over the whole window through the ripple
// program, fading in and out, its rings pushed by the music's bass.
#pragma once

#include "RippleShader.h"

#include <MivexGL/demo/SceneSystem.h>
#include <MivexGL/production/SoundBands.h>
#include <MivexGL/render/Quad.h>
#include <MivexGL/render/TextureSystem.h>

#include <algorithm>

class cPictureScene : public MivexGL::cSceneSystem
{
public:
    explicit cPictureScene(const MivexGL::cSoundBands& spectrum) : bands(spectrum) {}

    int Init() override
    {
        picture.LoadTexture("tour-data/picture.jpg");
        ripple.Build();
        return 0;
    }

    void Update() override
    {
        // Time since the window opened: the timeline alone, whatever the frame rate.
        const float seconds = (GetElapsed() - GetStartTime()) / 1000.0f;
        ripple.time = seconds;
        ripple.strength = std::min(0.08f, 0.03f + 0.15f * bands.Band(1, 6));
        ripple.fade = std::clamp(std::min(seconds, 15.0f - seconds), 0.0f, 1.0f);
    }

    // The program places the quad over the whole window and samples the
    // picture whatever the fixed-function texturing says.
    void Draw() override
    {
        picture.Bind();
        ripple.Bind();
        MivexGL::DrawQuad();
        ripple.Unbind();
        picture.Unbind();
    }

private:
    const MivexGL::cSoundBands& bands;
    MivexGL::cTextureSystem picture;
    cRippleShader ripple;
};
