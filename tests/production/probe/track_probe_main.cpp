// The track editor's test production (TrackProbe.h) as a program.
#include "TrackProbe.h"

int main(int argc, char** argv)
{
    return MivexGL::RunProduction<trackprobe::cTrackProbe>(trackprobe::kInfo, argc, argv);
}
