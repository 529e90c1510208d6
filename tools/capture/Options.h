// The capture tool's command line: the time range, the frame rate (a whole
// or decimal number, or a fraction such as 60000/1001, kept as an exact
// fraction), the picture size and the outputs. Parsing never exits; a bad
// argument comes back as a message. Depends on the standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture
{

// The demo's director window ends here; no frame exists beyond it. Another
// production sets its own end in Options before parsing.
constexpr std::int32_t kDemoEnd = 300000;
// The clock counts whole milliseconds, so faster rates would repeat times.
constexpr std::int64_t kMaxRate = 1000;
constexpr std::int32_t kMinSide = 16;
constexpr std::int32_t kMaxSide = 8192;
// More processes than this only queue for the same cores.
constexpr std::int32_t kMaxJobs = 64;
constexpr std::int32_t kMaxSegments = 10000;
// How much of an argument a message repeats.
constexpr std::size_t kShownBytes = 60;

struct Options
{
    // The last director time a frame can show: --to's limit and default.
    std::int32_t end = kDemoEnd;
    std::int32_t from = 0;
    std::int32_t to = kDemoEnd;
    // Frames per second as rateNum / rateDen, in lowest terms.
    std::int64_t rateNum = 60;
    std::int64_t rateDen = 1;
    std::int32_t width = 1024;
    std::int32_t height = 768;
    std::string framesDir;
    std::string videoFile;
    // x264's preset: faster ones trade file size for encoding speed.
    std::string preset = "medium";
    // The production's title in messages, from its description.
    std::string title;
    // Processes rendering ranges of the frames at once.
    std::int32_t jobs = 1;
    // With segments > 0, only the segment-th (from 1) of that many ranges.
    std::int32_t segment = 0;
    std::int32_t segments = 0;
    // Finished segment videos to join into videoFile, in order.
    std::vector<std::string> join;
    // Says at the end how long each stage took a frame.
    bool timings = false;
    bool help = false;
};

// An argument as a message may quote it: bytes outside printable ASCII and
// the backslash as \xNN, cut after kShownBytes with "...".
std::string Shown(const std::string& value);

// A rate as an exact fraction: "60", "29.97", "60000/1001". False for
// anything else, for zero, and for terms above a million.
bool ParseRate(const std::string& text, std::int64_t& num, std::int64_t& den);

// x264's preset names, fastest first; null-terminated.
extern const char* const kPresets[];

// "1024x768" within kMinSide..kMaxSide on both sides.
bool ParseSize(const std::string& text, std::int32_t& width, std::int32_t& height);

// Fills options from argv[1..], over the defaults it holds (end and to
// among them); on false, error says what is wrong.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

// The usage text of a production's capture program whose data is in the
// folder `data`, with the defaults it shows taken from `defaults`; ends with
// a line feed.
std::string Usage(const std::string& program, const std::string& title, const std::string& data,
                  const Options& defaults);

} // namespace capture
