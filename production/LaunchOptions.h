// A production's command line, for people working on it: where to start, a
// window instead of a display-mode change, the setup dialog, the
// development mode and where it finds a sync editor. One table holds every option: parsing, the
// messages and the usage text all come from it, and --from's bound is the production's own length.
// With no arguments nothing here applies and the program runs exactly as configured. Anything
// the user typed is repeated with its control characters escaped. Depends on nothing but the
// standard library and the system.
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
    // --sync: the editor's IPv4 address and port under --dev; an empty host
    // leaves the production's default, off means no editor at all.
    std::string syncHost;
    std::uint16_t syncPort = 0;
    bool syncOff = false;
    // --tracks: where a sync editor's saves go instead of the production's
    // own tracks folder; a folder that can be written, checked at once.
    std::string tracks;
    bool help = false;
};

// Who the options are for: the program's name and title in the messages,
// and the timeline's length in milliseconds, --from's upper bound.
struct LaunchTarget
{
    std::string program;
    std::string title;
    std::int32_t length = 0;
};

// False, with a message naming the argument, for anything not understood.
bool ParseLaunchOptions(int argc, const char* const* argv, const LaunchTarget& target,
                        LaunchOptions& options, std::string& error);
// text as it may be shown on a terminal: control characters, bytes that are
// no UTF-8 and backslashes written as C escapes ("\x1b[2J" for ESC [2J).
std::string ShownText(const std::string& text);
// The --help text.
std::string LaunchUsage(const LaunchTarget& target);
// What an entry does with its arguments: -1 to go on with options filled;
// otherwise the exit code, after the usage (0) or the refusal (2) is printed.
int ReadLaunchOptions(int argc, const char* const* argv, const LaunchTarget& target,
                      LaunchOptions& options);

} // namespace MivexGL
