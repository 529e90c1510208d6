// Fuzz target for the capture tool's command line. The input is split at
// NUL bytes into arguments. Whatever they are, parsing must not fail badly,
// a refusal must say why, and accepted options must be ones the renderer can
// use: a range inside the demo, a positive rate of at most kMaxRate in lowest
// terms, a size within bounds (even for a video), something to write and a
// split the capture can run; a refusal is one short printable line.
// Depends on tools/capture/Options.h.
#include "Options.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace
{

void CheckRate(std::int64_t num, std::int64_t den)
{
    FUZZ_CHECK(num > 0 && den > 0);
    FUZZ_CHECK(num <= 1000000 && den <= 1000000);
    FUZZ_CHECK(std::gcd(num, den) == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args{"sollan-capture"};
    std::string::size_type start = 0;
    while (start <= input.size() && !input.empty())
    {
        const std::string::size_type stop = input.find('\0', start);
        args.push_back(
            input.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
        if (stop == std::string::npos)
        {
            break;
        }
        start = stop + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args)
    {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);

    capture::Options options;
    std::string error;
    const bool ok =
        capture::ParseOptions(static_cast<int>(args.size()), argv.data(), options, error);
    if (!ok)
    {
        // One short line whatever the arguments held.
        FUZZ_CHECK(!error.empty() && error.size() < 1000);
        for (const char c : error)
        {
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
        }
    }
    else if (!options.help)
    {
        FUZZ_CHECK(0 <= options.from && options.from <= options.to);
        FUZZ_CHECK(options.to <= capture::kDemoEnd);
        CheckRate(options.rateNum, options.rateDen);
        FUZZ_CHECK(options.rateNum <= capture::kMaxRate * options.rateDen);
        FUZZ_CHECK(options.width >= capture::kMinSide && options.width <= capture::kMaxSide);
        FUZZ_CHECK(options.height >= capture::kMinSide && options.height <= capture::kMaxSide);
        FUZZ_CHECK(!options.framesDir.empty() || !options.videoFile.empty());
        if (!options.videoFile.empty())
        {
            FUZZ_CHECK(options.width % 2 == 0 && options.height % 2 == 0);
        }
        FUZZ_CHECK(options.jobs >= 1 && options.jobs <= capture::kMaxJobs);
        FUZZ_CHECK(
            options.segments == 0 ||
            (options.segment >= 1 && options.segment <= options.segments && options.jobs == 1));
        FUZZ_CHECK(options.join.empty() ||
                   (!options.videoFile.empty() && options.framesDir.empty()));
    }

    // The value parsers on the whole input as one argument.
    std::int64_t num = 0;
    std::int64_t den = 0;
    if (capture::ParseRate(input, num, den))
    {
        CheckRate(num, den);
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (capture::ParseSize(input, width, height))
    {
        FUZZ_CHECK(width >= capture::kMinSide && width <= capture::kMaxSide);
        FUZZ_CHECK(height >= capture::kMinSide && height <= capture::kMaxSide);
    }
    return 0;
}
