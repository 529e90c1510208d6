// Frames and video of the tour: tour-capture --video tour.mp4
#include "Tour.h"

#include <MivexGL/tools/capture/Capture.h>

int main(int argc, char** argv)
{
    return capture::RunCapture<MivexGL::cProductionOf<cTour>>(argc, argv, kTour);
}
