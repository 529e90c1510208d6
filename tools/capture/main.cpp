// sollan-capture: the demo's capture program, through its own application
// class, configured as the entry configures it. The name, title and length
// are the demo's description (app/Sollan.h); the music is its director's.
#include "Capture.h"
#include "app/Tarnel.h"

#include <string>

int main(int argc, char** argv)
{
    capture::Production production;
    production.program = std::string(kSollan.program) + "-capture";
    production.title = kSollan.title;
    production.end = kSollan.length;
    production.music = MivexGL::cResources::kMusicFile;
    return capture::RunCapture<Tarnel>(argc, argv, production,
                                       [](Tarnel& app) { app.Configure(1024, 768, false); });
}
