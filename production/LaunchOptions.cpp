// The options table and what reads it: whole numbers only, in range, each
// option once understood or the whole line refused.
#include "production/LaunchOptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace MivexGL
{

namespace
{

constexpr long long kLargestSide = 16384;

// Digits only, at most the limit.
bool WholeNumber(const std::string& text, long long limit, long long& value)
{
    if (text.empty() || text.size() > 9)
    {
        return false;
    }
    value = 0;
    for (const char c : text)
    {
        if (c < '0' || c > '9')
        {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value <= limit;
}

// Four dotted numbers, each 0 to 255: what the socket layer connects to.
bool Ipv4Address(const std::string& text)
{
    std::string::size_type at = 0;
    for (int part = 0; part < 4; ++part)
    {
        const std::string::size_type dot = part < 3 ? text.find('.', at) : text.size();
        long long value = 0;
        if (dot == std::string::npos || dot - at > 3 ||
            !WholeNumber(text.substr(at, dot - at), 255, value))
        {
            return false;
        }
        at = dot + 1;
    }
    return true;
}

using Parser = bool (*)(const std::string& value, const LaunchTarget& target,
                        LaunchOptions& options, std::string& error);

struct Option
{
    const char* name;
    // The value's placeholder; null for a switch.
    const char* value;
    // "@" stands for the production's length in milliseconds.
    const char* help;
    Parser parse;
};

const Option kOptions[] = {
    {"--from", "MS", "start the timeline and the music MS milliseconds in (0-@)",
     [](const std::string& value, const LaunchTarget& target, LaunchOptions& options,
        std::string& error)
     {
         long long ms = 0;
         if (!WholeNumber(value, target.length, ms))
         {
             error = "--from takes milliseconds from 0 to " + std::to_string(target.length) +
                     ", not \"" + value + "\"";
             return false;
         }
         options.from = static_cast<std::int32_t>(ms);
         return true;
     }},
    {"--windowed", nullptr, "a 1024x768 window instead of changing the display mode",
     [](const std::string&, const LaunchTarget&, LaunchOptions& options, std::string&)
     { return options.windowed = true; }},
    {"--size", "WxH", "a window of that size (implies --windowed)",
     [](const std::string& value, const LaunchTarget&, LaunchOptions& options, std::string& error)
     {
         const std::string::size_type x = value.find('x');
         long long w = 0;
         long long h = 0;
         if (x == std::string::npos || !WholeNumber(value.substr(0, x), kLargestSide, w) ||
             !WholeNumber(value.substr(x + 1), kLargestSide, h) || w == 0 || h == 0)
         {
             error = "--size takes WIDTHxHEIGHT, each 1 to 16384, not \"" + value + "\"";
             return false;
         }
         options.width = static_cast<std::int32_t>(w);
         options.height = static_cast<std::int32_t>(h);
         return options.windowed = true;
     }},
    {"--setup", nullptr, "ask for resolution, anti-aliasing and fullscreen first",
     [](const std::string&, const LaunchTarget&, LaunchOptions& options, std::string&)
     { return options.setup = true; }},
    {"--dev", nullptr,
     "the overlay (F2 hides it); live reload of pictures, of the\n"
     "production's own GLSL files where they are, and of the engine's\n"
     "programs through their copies in live-shaders/;\n"
     "Space pauses, Left/Right move 5 s, Home goes to 0; time in the title",
     [](const std::string&, const LaunchTarget&, LaunchOptions& options, std::string&)
     { return options.dev = true; }},
    {"--sync", "HOST:PORT",
     "with --dev, the sync editor at that IPv4 address and port\n"
     "(127.0.0.1:1338 unless told); off: no editor, the track files play",
     [](const std::string& value, const LaunchTarget&, LaunchOptions& options, std::string& error)
     {
         if (value == "off")
         {
             options.syncOff = true;
             options.syncHost.clear();
             return true;
         }
         const std::string::size_type colon = value.rfind(':');
         long long port = 0;
         if (colon == std::string::npos || !Ipv4Address(value.substr(0, colon)) ||
             !WholeNumber(value.substr(colon + 1), 65535, port) || port == 0)
         {
             error = "--sync takes off or an IPv4 address and a port 1 to 65535 "
                     "(127.0.0.1:1338), not \"" +
                     value + "\"";
             return false;
         }
         options.syncOff = false;
         options.syncHost = value.substr(0, colon);
         options.syncPort = static_cast<std::uint16_t>(port);
         return true;
     }},
    {"--tracks", "DIR",
     "with --dev, a sync editor's saves go to DIR instead of\n"
     "the production's own tracks folder",
     [](const std::string& value, const LaunchTarget&, LaunchOptions& options, std::string& error)
     {
         if (value.empty())
         {
             error = "--tracks needs a folder";
             return false;
         }
         options.tracks = value;
         return true;
     }},
    {"--help", nullptr, "this text",
     [](const std::string&, const LaunchTarget&, LaunchOptions& options, std::string&)
     { return options.help = true; }},
};

const Option* Find(const std::string& name)
{
    for (const Option& option : kOptions)
    {
        if (name == option.name)
        {
            return &option;
        }
    }
    return name == "-h" ? Find("--help") : nullptr;
}

} // namespace

bool ParseLaunchOptions(int argc, const char* const* argv, const LaunchTarget& target,
                        LaunchOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string name = argv[i] != nullptr ? argv[i] : "";
        const Option* option = Find(name);
        if (option == nullptr)
        {
            error = "unknown option \"" + name + "\"";
            return false;
        }
        std::string value;
        if (option->value != nullptr)
        {
            if (i + 1 >= argc)
            {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!option->parse(value, target, options, error))
        {
            return false;
        }
    }
    return true;
}

std::string LaunchUsage(const LaunchTarget& target)
{
    std::string usage = "usage: " + target.program;
    for (const Option& option : kOptions)
    {
        usage += std::string(" [") + option.name + (option.value ? " " : "") +
                 (option.value ? option.value : "") + "]";
    }
    usage += "\nPlays \"" + target.title + "\"; with no options exactly as released.\n";
    // The help texts start in one column, past the longest option.
    std::string::size_type column = 16;
    for (const Option& option : kOptions)
    {
        column = std::max<std::string::size_type>(
            column, 5 + std::strlen(option.name) + (option.value ? std::strlen(option.value) : 0));
    }
    for (const Option& option : kOptions)
    {
        std::string head =
            std::string("  ") + option.name + " " + (option.value ? option.value : "");
        head.resize(column, ' ');
        std::string help = option.help;
        const std::string::size_type at = help.find('@');
        if (at != std::string::npos)
        {
            help.replace(at, 1, std::to_string(target.length));
        }
        for (std::string::size_type nl = help.find('\n'); nl != std::string::npos;
             nl = help.find('\n', nl + 1))
        {
            help.insert(nl + 1, column, ' ');
        }
        usage += head + help + "\n";
    }
    usage += "Escape ends it, F1 switches between fullscreen and a window.\n";
    return usage;
}

int ReadLaunchOptions(int argc, const char* const* argv, const LaunchTarget& target,
                      LaunchOptions& options)
{
    std::string error;
    if (!ParseLaunchOptions(argc, argv, target, options, error))
    {
        std::fprintf(stderr, "%s: %s\nTry \"%s --help\".\n", target.program.c_str(), error.c_str(),
                     target.program.c_str());
        return 2;
    }
    if (options.help)
    {
        std::fputs(LaunchUsage(target).c_str(), stdout);
        return 0;
    }
    return -1;
}

} // namespace MivexGL
