// The demo's command line, for people working on a production: where to
// start, a window instead of a display-mode change, the setup dialog, and the
// development keys. With no arguments nothing here applies and the program
// runs exactly as configured. Depends on nothing but the standard library.
#pragma once

#include <cstdint>
#include <string>

namespace MivexGL
{

struct LaunchOptions
{
    std::int32_t from = 0;
    bool windowed = false;
    std::int32_t width = 1024;
    std::int32_t height = 768;
    bool setup = false;
    bool dev = false;
    bool help = false;
};

// False, with a message naming the argument, for anything not understood.
bool ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options,
                        std::string& error);
// The --help text.
const char* LaunchUsage();

} // namespace MivexGL
