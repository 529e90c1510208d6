// mivex-showcase-capture: the showcase rendered offscreen on a virtual clock
// into PNG frames and/or a video with its music, with sollan-capture's
// options ([--from MS] [--to MS] [--fps RATE] [--size WxH] [--frames DIR]
// [--video FILE]). Built on the engine's capture for any production
// (tools/capture/Capture.h).
#include "ShowcaseApp.h"
#include "tools/capture/Capture.h"

int main(int argc, char** argv)
{
    capture::Production production;
    production.program = "mivex-showcase-capture";
    production.title = "MivexGL showcase";
    production.end = 60000;
    production.data = "showcase-data";
    production.music = "showcase-data/music.mp3";
    return capture::RunCapture<showcase::cShowcaseApp>(argc, argv, production,
                                                       [](showcase::cShowcaseApp& app)
                                                       { app.Configure(1024, 768, false); });
}
