// sollan-capture: the demo's capture program, "Nerovia - Sollan 2010"
// through its own application class, configured as the entry configures it.
#include "Capture.h"
#include "app/Tarnel.h"

int main(int argc, char** argv)
{
    capture::Production production;
    production.program = "sollan-capture";
    production.title = "Nerovia - Sollan 2010";
    production.end = capture::kDemoEnd;
    production.music = "data/General/music.mp3";
    return capture::RunCapture<Tarnel>(argc, argv, production,
                                       [](Tarnel& app) { app.Configure(1024, 768, false); });
}
