// The track editor's test production's capture: what a saved track plays.
#include "TrackProbe.h"

#include "tools/capture/Capture.h"

int main(int argc, char** argv)
{
    return capture::RunCapture<MivexGL::cProductionOf<trackprobe::cTrackProbe>>(argc, argv,
                                                                                trackprobe::kInfo);
}
