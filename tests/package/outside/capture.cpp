// The example production's capture program.
#include "PictureScene.h"

#include <MivexGL/tools/capture/Capture.h>

int main(int argc, char** argv)
{
    return capture::RunCapture<MivexGL::cProductionOf<cPictureScene>>(argc, argv, kOutside);
}
