// The example production's program: the framework runs it; afterwards it
// says whether the picture reached the screen. Exit code 0 when it did.
#include "PictureScene.h"

#include <cstdio>

int main(int argc, char** argv)
{
    static MivexGL::cProductionOf<cPictureScene> app(kOutside);
    const int code = MivexGL::RunProduction(app, argc, argv);
    const cPictureScene& scene = app.GetDirector();
    const bool ok = code == 0 && scene.frames > 0 && scene.shown && scene.linked &&
                    scene.picture.GetName() != 0 && MivexGL::ParseTime("1:02.250") == 62250;
    std::printf("outside: %d frames, picture %s, blur map %s\n", scene.frames,
                scene.shown ? "shown" : "missing", scene.linked ? "linked" : "not linked");
    return code != 0 ? code : (ok ? 0 : 1);
}
