// mivex-showcase: the engine's showcase production. Plays the one-minute
// timeline from its start, or from --from MS, fullscreen or in a window.
#include "ShowcaseApp.h"
#include "app/DebugSystem.h"
#include "app/LaunchOptions.h"

#include <cstdio>
#include <string>

namespace
{

showcase::cShowcaseApp application;

const char* const kUsage = "usage: mivex-showcase [--from MS] [--windowed] [--size WxH] [--setup]\n"
                           "  --from MS     start the timeline and the music MS milliseconds in\n"
                           "  --windowed    a window instead of a display-mode change\n"
                           "  --size WxH    the window's size (1024x768)\n"
                           "  --setup       the setup dialog first\n"
                           "Run it from the folder that holds showcase-data/ (the build folder).\n"
                           "Escape ends it, F1 switches between fullscreen and a window.\n";

} // namespace

int main(int argc, char** argv)
{
    MivexGL::LaunchOptions options;
    if (argc > 1)
    {
        std::string error;
        if (!MivexGL::ParseLaunchOptions(argc, argv, options, error) || options.dev)
        {
            std::fprintf(stderr, "mivex-showcase: %s\n%s",
                         options.dev ? "--dev is the demo's alone" : error.c_str(), kUsage);
            return 2;
        }
        if (options.help)
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    MivexGL::cDebugSystem::Instance().Open("debug.log");
    application.Configure(options.width, options.height, !options.windowed);
    application.SetStartAt(options.from);
    MivexGL::cWindowsSystem::SetMessageTarget(&application);
    if (options.setup && application.SetupDialog() == 1)
    {
        return 0;
    }
    return application.Run();
}
