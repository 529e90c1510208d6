// An example production made outside the engine's tree from its installed
// package: one scene that shows a picture over the whole window for half a
// second, and its description. On the way it checks, from the frame read
// back, that the picture arrived on screen, and links a GLSL program of the
// effect library, so every engine library is reached.
#pragma once

#include <MivexGL/platform/GL.h>
#include <MivexGL/production/Production.h>
#include <MivexGL/render/Quad.h>
#include <MivexGL/render/TextureSystem.h>
#include <MivexGL/shaders/BlurShaders.h>

#include <cmath>
#include <vector>

inline const MivexGL::cProductionInfo kOutside{"outside", "MivexGL outside", 500, "data", ""};

class cPictureScene : public MivexGL::cSceneSystem
{
public:
    int Init() override
    {
        picture.LoadTexture("data/General/loading.jpg");
        blur.InitGLSL();
        blur.LoadVertexShader();
        linked = blur.LoadBlurMapProgram(320.0f, 240.0f) && blur.IsLinked();
        return 0;
    }

    void Draw() override
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        picture.Bind();
        GLint size[2] = {0, 0};
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
        std::vector<unsigned char> texels(static_cast<std::size_t>(size[0]) * size[1] * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (!texels.empty())
        {
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        }
        // The picture over exactly the whole window.
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(-1.0, 1.0, -1.0, 1.0, -2.0, 2.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        MivexGL::DrawQuad();
        picture.Unbind();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        std::vector<unsigned char> pixels(static_cast<std::size_t>(viewport[2]) * viewport[3] * 3);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, viewport[2], viewport[3], GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        const double* textureMean = Mean(texels, pictureMean);
        const double* screenMean = Mean(pixels, frameMean);
        shown = textureMean[0] + textureMean[1] + textureMean[2] > 3.0;
        for (int c = 0; c < 3; ++c)
        {
            shown = shown && std::fabs(textureMean[c] - screenMean[c]) <= 4.0;
        }
        ++frames;
    }

    static const double* Mean(const std::vector<unsigned char>& rgb, double mean[3])
    {
        const double count = static_cast<double>(rgb.size() / 3);
        for (int c = 0; c < 3; ++c)
        {
            double sum = 0.0;
            for (std::size_t i = c; i < rgb.size(); i += 3)
            {
                sum += rgb[i];
            }
            mean[c] = count > 0 ? sum / count : 0.0;
        }
        return mean;
    }

    MivexGL::cTextureSystem picture;
    MivexGL::cGaussianMapShader blur;
    bool linked = false;
    bool shown = false;
    int frames = 0;
    double pictureMean[3] = {0.0, 0.0, 0.0};
    double frameMean[3] = {0.0, 0.0, 0.0};
};
