// Fuzz target for PNG pictures decoded from memory, with and without their
// alpha channel (the first byte's low bit chooses, the rest is the file). A
// decoded picture must hold exactly width x height pixels of the announced
// kind; a refusal must leave nothing behind and say why. Depends on
// platform/PngDecoder.h.
#include "platform/PngDecoder.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{

// Far below the loader's own limit, so a lying header costs little time.
constexpr long long kMaxPixels = 1LL << 22;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
    {
        return 0;
    }
    const bool keepAlpha = (data[0] & 1) != 0;
    platform::PngPixels out;
    std::string why;
    if (!platform::DecodePng(data + 1, size - 1, out, &why, keepAlpha, kMaxPixels))
    {
        FUZZ_CHECK(!why.empty());
        FUZZ_CHECK(out.pixels.empty() && out.width == 0 && out.height == 0);
        return 0;
    }
    FUZZ_CHECK(out.width > 0 && out.height > 0);
    FUZZ_CHECK(static_cast<long long>(out.width) * out.height <= kMaxPixels);
    FUZZ_CHECK(keepAlpha || !out.alpha);
    const std::size_t channels = out.alpha ? 4 : 3;
    FUZZ_CHECK(out.pixels.size() == std::size_t{out.width} * out.height * channels);
    return 0;
}
