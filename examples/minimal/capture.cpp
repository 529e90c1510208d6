// Frames and video of the minimal production: minimal-capture --video minimal.mp4
#include "Minimal.h"

#include <MivexGL/tools/capture/Capture.h>

int main(int argc, char** argv)
{
    return capture::RunCapture<MivexGL::cProductionOf<cTriangle>>(argc, argv, kMinimal);
}
