// The options table and what reads it: whole numbers only, in range, each
// option once understood or the whole line refused.
#include "production/LaunchOptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if !defined(_WIN32)
#include <unistd.h>
#endif

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

// Four dotted numbers, each 0 to 255 written without leading zeros: what
// the socket layer reads the same way ("010" would be eight to some).
bool Ipv4Address(const std::string& text)
{
    std::string::size_type at = 0;
    for (int part = 0; part < 4; ++part)
    {
        const std::string::size_type dot = part < 3 ? text.find('.', at) : text.size();
        long long value = 0;
        if (dot == std::string::npos || dot - at > 3 ||
            !WholeNumber(text.substr(at, dot - at), 255, value) ||
            (dot - at > 1 && text[at] == '0'))
        {
            return false;
        }
        at = dot + 1;
    }
    return true;
}

// How many bytes of a well-formed UTF-8 character start at text[at] that is
// no control character; 0 if none.
std::size_t PrintableCharacter(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i)
    { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned lead = byte(at);
    if (lead >= 0x20 && lead < 0x7f)
    {
        return 1;
    }
    const std::size_t length = lead >= 0xf0 && lead < 0xf5   ? 4
                               : lead >= 0xe0 && lead < 0xf0 ? 3
                               : lead >= 0xc2 && lead < 0xe0 ? 2
                                                             : 0;
    for (std::size_t i = 1; i < length; ++i)
    {
        if ((byte(at + i) & 0xc0) != 0x80)
        {
            return 0;
        }
    }
    // U+0080 to U+009F are controls too.
    return lead == 0xc2 && byte(at + 1) < 0xa0 ? 0 : length;
}

} // namespace

std::string ShownText(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    for (std::size_t at = 0; at < text.size();)
    {
        const std::size_t length = PrintableCharacter(text, at);
        if (length > 0 && text[at] != '\\')
        {
            shown.append(text, at, length);
            at += length;
            continue;
        }
        const auto b = static_cast<unsigned char>(text[at++]);
        shown += b == '\\' ? std::string("\\\\") : std::string("\\x") + kHex[b >> 4] + kHex[b & 15];
    }
    return shown;
}

namespace
{

// Empty when path is a folder this process may write in; else why not.
std::string WritableFolder(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status))
    {
        return "no such folder";
    }
    if (!fs::is_directory(status))
    {
        return "not a folder";
    }
#if defined(_WIN32)
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
#else
    // Also says so for a read-only file system, which even root cannot write.
    if (::access(path.c_str(), W_OK | X_OK) != 0)
#endif
    {
        return "cannot be written to";
    }
    return std::string();
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
                     ", not \"" + ShownText(value) + "\"";
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
             error = "--size takes WIDTHxHEIGHT, each 1 to 16384, not \"" + ShownText(value) + "\"";
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
     "the overlay (F2 hides it, F3 edits the sync keys); live reload of\n"
     "pictures, of the production's own GLSL files where they are, of the\n"
     "engine's programs through their copies in live-shaders/, and of the\n"
     "scenes' C++ where the build made them a module;\n"
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
             error = "--sync takes off or an IPv4 address as four numbers 0 to 255 with no "
                     "leading zeros and a port 1 to 65535 (127.0.0.1:1338), not \"" +
                     ShownText(value) + "\"";
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
         // Said now, not at the first save minutes into a session.
         const std::string why = WritableFolder(value);
         if (!why.empty())
         {
             error = "--tracks " + ShownText(value) + ": " + why;
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
            error = "unknown option \"" + ShownText(name) + "\"";
            return false;
        }
        std::string value;
        if (option->value != nullptr)
        {
            if (i + 1 >= argc)
            {
                error = ShownText(name) + " needs a value";
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
