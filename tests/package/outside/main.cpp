// A program outside the engine's tree, built against its installed package:
// it opens the window system, loads a picture, draws one frame with it over
// the whole window and checks, from the frame read back, that the picture
// arrived on screen. It also links a GLSL program of the effect library and
// parses a scene time, so every engine library is reached. Exit code 0 when
// all of it worked.
#include "app/WindowsSystem.h"
#include "demo/SceneSystem.h"
#include "platform/GL.h"
#include "render/Quad.h"
#include "render/TextureSystem.h"
#include "shaders/BlurShaders.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace
{

class cOnePicture : public MivexGL::cWindowsSystem
{
public:
    explicit cOnePicture(std::string picturePath) : path(std::move(picturePath)) {}

    bool DrawLoading() override
    {
        loadingPending = false;
        return true;
    }

    bool Start() override
    {
        cWindowsSystem::Start();
        picture.LoadTexture(path.c_str());
        blur.InitGLSL();
        blur.LoadVertexShader();
        linked = blur.LoadBlurMapProgram(static_cast<float>(width), static_cast<float>(height)) &&
                 blur.IsLinked();
        return true;
    }

    bool Draw() override
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        picture.Bind();
        GLint w = 0;
        GLint h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        std::vector<unsigned char> texels(static_cast<std::size_t>(w) * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (!texels.empty())
        {
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        }
        Mean(texels, pictureMean);
        // The picture over exactly the whole window.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1.0, 1.0, -1.0, 1.0, -2.0, 2.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        MivexGL::DrawQuad();
        picture.Unbind();
        std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        Mean(pixels, screenMean);
        ++frames;
        // One frame, then the loop ends.
        return false;
    }

    static void Mean(const std::vector<unsigned char>& rgb, double mean[3])
    {
        double sum[3] = {0.0, 0.0, 0.0};
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        {
            for (int c = 0; c < 3; ++c)
            {
                sum[c] += rgb[i + c];
            }
        }
        const double count = static_cast<double>(rgb.size() / 3);
        for (int c = 0; c < 3; ++c)
        {
            mean[c] = count > 0 ? sum[c] / count : 0.0;
        }
    }

    std::string path;
    MivexGL::cTextureSystem picture;
    MivexGL::cGaussianMapShader blur;
    bool linked = false;
    int frames = 0;
    // Mean colours of the loaded picture and of the drawn frame.
    double pictureMean[3] = {0.0, 0.0, 0.0};
    double screenMean[3] = {0.0, 0.0, 0.0};
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: app PICTURE\n");
        return 2;
    }
    cOnePicture app(argv[1]);
    app.SetSetupDialog(false);
    app.SetFullscreen(false);
    app.SetAntiAliasing(false);
    app.SetTitle(u"MivexGL outside");
    app.SetSize(320, 240);
    MivexGL::cWindowsSystem::SetMessageTarget(&app);
    app.Run();
    MivexGL::cWindowsSystem::SetMessageTarget(nullptr);

    bool ok = true;
    auto check = [&ok](bool good, const char* what)
    {
        if (!good)
        {
            std::fprintf(stderr, "outside: %s\n", what);
            ok = false;
        }
    };
    check(app.frames == 1, "no frame was drawn");
    check(app.picture.GetName() != 0, "the picture did not load");
    check(app.pictureMean[0] + app.pictureMean[1] + app.pictureMean[2] > 3.0,
          "the picture is black");
    for (int c = 0; c < 3; ++c)
    {
        check(std::fabs(app.pictureMean[c] - app.screenMean[c]) <= 4.0,
              "the frame does not show the picture");
    }
    check(app.linked, "the blur map program did not link");
    check(MivexGL::ParseTime("1:02.250") == 62250, "a scene time did not parse");
    if (ok)
    {
        std::printf("outside: drew one frame of the picture at 320x240\n");
    }
    return ok ? 0 : 1;
}
