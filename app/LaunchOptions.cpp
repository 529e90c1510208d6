// Parsing of the development options: whole numbers only, in range, each
// option once understood or the whole line refused.
#include "app/LaunchOptions.h"

#include <cstring>

namespace MivexGL
{

namespace
{

// The end of the director's own window: five minutes.
constexpr long long kLastMs = 300000;
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

} // namespace

bool ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions& options,
                        std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string name = argv[i] != nullptr ? argv[i] : "";
        const bool takesValue = name == "--from" || name == "--size";
        if (takesValue && i + 1 >= argc)
        {
            error = name + " needs a value";
            return false;
        }
        if (name == "--from")
        {
            const std::string value = argv[++i];
            long long ms = 0;
            if (!WholeNumber(value, kLastMs, ms))
            {
                error = "--from takes milliseconds from 0 to 300000, not \"" + value + "\"";
                return false;
            }
            options.from = static_cast<std::int32_t>(ms);
        }
        else if (name == "--size")
        {
            const std::string value = argv[++i];
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
            options.windowed = true;
        }
        else if (name == "--windowed")
        {
            options.windowed = true;
        }
        else if (name == "--setup")
        {
            options.setup = true;
        }
        else if (name == "--dev")
        {
            options.dev = true;
        }
        else if (name == "--help" || name == "-h")
        {
            options.help = true;
        }
        else
        {
            error = "unknown option \"" + name + "\"";
            return false;
        }
    }
    return true;
}

const char* LaunchUsage()
{
    return "usage: sollan [--from MS] [--windowed] [--size WxH] [--setup] [--dev]\n"
           "Plays the demo; with no options exactly as released. For working on it:\n"
           "  --from MS     start the timeline and the music MS milliseconds in (0-300000)\n"
           "  --windowed    a 1024x768 window instead of changing the display mode\n"
           "  --size WxH    a window of that size (implies --windowed)\n"
           "  --setup       ask for resolution, anti-aliasing and fullscreen first\n"
           "  --dev         Space pauses and resumes, Left/Right move 5 s, Home goes to 0;\n"
           "                the title shows the director's time\n"
           "  --help        this text\n";
}

} // namespace MivexGL
