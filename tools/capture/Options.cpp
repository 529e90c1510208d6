// Command-line parsing for the capture tool.
#include "Options.h"

#include <cctype>
#include <cstdio>
#include <numeric>

namespace capture
{

const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                "medium",    "slow",      "slower",   "veryslow", nullptr};

namespace
{

constexpr std::int64_t kMaxTerm = 1000000;

// Plain decimal digits only: no sign, no blanks, no exponent.
std::string PresetList()
{
    std::string list;
    for (const char* const* p = kPresets; *p != nullptr; ++p)
    {
        list += (list.empty() ? "" : ", ") + std::string(*p);
    }
    return list;
}

bool ParseDigits(const std::string& text, std::int64_t limit, std::int64_t& value)
{
    if (text.empty())
    {
        return false;
    }
    value = 0;
    for (char c : text)
    {
        if (!std::isdigit(static_cast<unsigned char>(c)))
        {
            return false;
        }
        value = value * 10 + (c - '0');
        if (value > limit)
        {
            return false;
        }
    }
    return true;
}

bool ParseMs(const std::string& text, std::int32_t end, std::int32_t& ms)
{
    std::int64_t value = 0;
    if (!ParseDigits(text, end, value))
    {
        return false;
    }
    ms = static_cast<std::int32_t>(value);
    return true;
}

// "K/N" with 1 <= K <= N <= kMaxSegments.
bool ParseSegment(const std::string& text, std::int32_t& k, std::int32_t& n)
{
    const std::size_t slash = text.find('/');
    std::int64_t a = 0;
    std::int64_t b = 0;
    if (slash == std::string::npos || !ParseDigits(text.substr(0, slash), kMaxSegments, a) ||
        !ParseDigits(text.substr(slash + 1), kMaxSegments, b) || a < 1 || a > b)
    {
        return false;
    }
    k = static_cast<std::int32_t>(a);
    n = static_cast<std::int32_t>(b);
    return true;
}

// The checks that span several options, once all are read.
bool CheckTogether(const Options& options, std::string& error)
{
    if (options.from > options.to)
    {
        error = "--from (" + std::to_string(options.from) + ") is after --to (" +
                std::to_string(options.to) + ")";
        return false;
    }
    if (!options.join.empty() && (options.videoFile.empty() || !options.framesDir.empty() ||
                                  options.segments > 0 || options.jobs > 1))
    {
        error = "--join makes only a --video, with no --frames, --jobs or --segment";
        return false;
    }
    if (options.segments > 0 && options.jobs > 1)
    {
        error = "--segment renders one range in one process; leave out --jobs";
        return false;
    }
    if (options.framesDir.empty() && options.videoFile.empty())
    {
        error = "nothing to write: give --frames DIR, --video FILE or both";
        return false;
    }
    // H.264 in 4:2:0 halves both sides of the colour planes.
    if (!options.videoFile.empty() && (options.width % 2 != 0 || options.height % 2 != 0))
    {
        error = "--size must be even on both sides for a video, not " +
                std::to_string(options.width) + "x" + std::to_string(options.height);
        return false;
    }
    return true;
}

} // namespace

std::string Shown(const std::string& value)
{
    std::string shown;
    for (std::size_t i = 0; i < value.size(); ++i)
    {
        if (i == kShownBytes)
        {
            return shown + "...";
        }
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x20 || c > 0x7e || c == '\\')
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
        else
        {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

bool ParseRate(const std::string& text, std::int64_t& num, std::int64_t& den)
{
    std::int64_t n = 0;
    std::int64_t d = 1;
    const std::size_t slash = text.find('/');
    const std::size_t point = text.find('.');
    if (slash != std::string::npos)
    {
        if (!ParseDigits(text.substr(0, slash), kMaxTerm, n) ||
            !ParseDigits(text.substr(slash + 1), kMaxTerm, d))
        {
            return false;
        }
    }
    else if (point != std::string::npos)
    {
        const std::string whole = text.substr(0, point);
        const std::string fraction = text.substr(point + 1);
        // Six places keep both terms within a million for any rate up to 1000.
        std::int64_t w = 0;
        std::int64_t f = 0;
        if (fraction.size() > 6 || (whole.empty() && fraction.empty()) ||
            (!whole.empty() && !ParseDigits(whole, kMaxTerm, w)) ||
            (!fraction.empty() && !ParseDigits(fraction, kMaxTerm, f)))
        {
            return false;
        }
        for (std::size_t i = 0; i < fraction.size(); ++i)
        {
            d *= 10;
        }
        n = w * d + f;
    }
    else if (!ParseDigits(text, kMaxTerm, n))
    {
        return false;
    }
    if (n == 0 || d == 0)
    {
        return false;
    }
    const std::int64_t g = std::gcd(n, d);
    n /= g;
    d /= g;
    if (n > kMaxTerm || d > kMaxTerm)
    {
        return false;
    }
    num = n;
    den = d;
    return true;
}

bool ParseSize(const std::string& text, std::int32_t& width, std::int32_t& height)
{
    const std::size_t x = text.find_first_of("xX");
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (x == std::string::npos || !ParseDigits(text.substr(0, x), kMaxSide, w) ||
        !ParseDigits(text.substr(x + 1), kMaxSide, h) || w < kMinSide || h < kMinSide)
    {
        return false;
    }
    width = static_cast<std::int32_t>(w);
    height = static_cast<std::int32_t>(h);
    return true;
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h")
        {
            options.help = true;
            return true;
        }
        if (name == "--timings")
        {
            options.timings = true;
            continue;
        }
        if (name == "--join")
        {
            // Every argument after it is a segment, so a shell glob fits.
            options.join.assign(argv + i + 1, argv + argc);
            if (options.join.empty())
            {
                error = "--join needs the segment videos, in order";
                return false;
            }
            break;
        }
        const bool known = name == "--from" || name == "--to" || name == "--fps" ||
                           name == "--size" || name == "--frames" || name == "--video" ||
                           name == "--preset" || name == "--jobs" || name == "--segment";
        if (!known)
        {
            error = "unknown argument \"" + Shown(name) + "\"";
            return false;
        }
        if (i + 1 >= argc)
        {
            error = name + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (name == "--from" || name == "--to")
        {
            std::int32_t& ms = name == "--from" ? options.from : options.to;
            if (!ParseMs(value, options.end, ms))
            {
                error = name + " takes whole milliseconds from 0 to " +
                        std::to_string(options.end) + " (\"" + options.title +
                        "\" ends there), not \"" + Shown(value) + "\"";
                return false;
            }
        }
        else if (name == "--fps")
        {
            std::int64_t num = 0;
            std::int64_t den = 0;
            if (!ParseRate(value, num, den) || num > kMaxRate * den)
            {
                error = "--fps takes a rate above 0 and at most " + std::to_string(kMaxRate) +
                        ", as a number or a fraction such as 60000/1001, not \"" + Shown(value) +
                        "\"";
                return false;
            }
            options.rateNum = num;
            options.rateDen = den;
        }
        else if (name == "--size")
        {
            if (!ParseSize(value, options.width, options.height))
            {
                error = "--size takes WIDTHxHEIGHT, each from " + std::to_string(kMinSide) +
                        " to " + std::to_string(kMaxSide) + ", not \"" + Shown(value) + "\"";
                return false;
            }
        }
        else if (name == "--jobs")
        {
            std::int64_t jobs = 0;
            if (!ParseDigits(value, kMaxJobs, jobs) || jobs < 1)
            {
                error = "--jobs takes a number of processes from 1 to " + std::to_string(kMaxJobs) +
                        ", not \"" + Shown(value) + "\"";
                return false;
            }
            options.jobs = static_cast<std::int32_t>(jobs);
        }
        else if (name == "--segment")
        {
            if (!ParseSegment(value, options.segment, options.segments))
            {
                error = "--segment takes K/N, the K-th of N ranges, 1 <= K <= N <= " +
                        std::to_string(kMaxSegments) + ", not \"" + Shown(value) + "\"";
                return false;
            }
        }
        else if (name == "--preset")
        {
            bool preset = false;
            for (const char* const* p = kPresets; *p != nullptr; ++p)
            {
                preset = preset || value == *p;
            }
            if (!preset)
            {
                error = "--preset takes one of " + PresetList() + ", not \"" + Shown(value) + "\"";
                return false;
            }
            options.preset = value;
        }
        else if (value.empty())
        {
            error = name + " needs a non-empty path";
            return false;
        }
        else if (name == "--frames")
        {
            options.framesDir = value;
        }
        else
        {
            options.videoFile = value;
        }
    }
    return CheckTogether(options, error);
}

std::string Usage(const std::string& program, const std::string& title, const std::string& data,
                  const Options& defaults)
{
    const std::string rate = std::to_string(defaults.rateNum) +
                             (defaults.rateDen != 1 ? "/" + std::to_string(defaults.rateDen) : "");
    return "usage: " + program + " [--from MS] [--to MS] [--fps RATE] [--size WxH]\n" +
           std::string(program.size() + 8, ' ') +
           "[--frames DIR] [--video FILE] [--preset NAME] [--jobs N]\n" +
           std::string(program.size() + 8, ' ') +
           "[--segment K/N] [--timings] [--join SEGMENT...]\n" + "Renders \"" + title +
           "\" on a virtual clock, frame k at director time\n"
           "FROM + round(k * 1000 / RATE) ms, and writes DIR/frame_000000.png, ... and/or a\n"
           "video with the music through ffmpeg. Defaults: --from " +
           std::to_string(defaults.from) + " --to " + std::to_string(defaults.to) + " --fps " +
           rate + "\n--size " + std::to_string(defaults.width) + "x" +
           std::to_string(defaults.height) +
           ". RATE is a number or a fraction (60000/1001). Run it from the\n"
           "folder that holds " +
           data + "/, or keep " + data + "/ beside the tool.\n--preset is x264's, default " +
           defaults.preset + "; a faster one encodes sooner into a larger file:\n" + PresetList() +
           ".\n--jobs N renders N ranges of the frames at once in N processes and joins them.\n"
           "--segment K/N renders only the K-th of N ranges (a --video of it has no sound);\n"
           "--join SEGMENT... puts such videos, in order, into --video with the music; give\n"
           "it the same --from, --to and --fps as the segments. --timings says at the end\n"
           "what each stage took a frame: draw, read back, conversion, write, encode.\n";
}

} // namespace capture
