// mivex-showcase-capture: the showcase in frames and video.
#include "ShowcaseApp.h"
#include <MivexGL/tools/capture/Capture.h>

int main(int argc, char** argv)
{
    return capture::RunCapture<showcase::cShowcaseApp>(argc, argv, showcase::kShowcase);
}
