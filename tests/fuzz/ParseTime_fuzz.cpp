// Fuzz target for the time-text parser: any bytes must give a value without
// undefined behaviour, and a text of the form minutes:seconds.fraction with
// short components must give (minutes * 60 + seconds) * 1000 + fraction;
// the strict form reads back what it writes. Depends on demo/SceneSystem.h.
#include "demo/SceneSystem.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace
{

// Reads up to four digits from text at pos; false when there are none or more.
bool ReadShortNumber(const std::string& text, std::size_t& pos, std::int64_t& value)
{
    const std::size_t first = pos;
    value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
    {
        if (pos - first < 4)
        {
            value = value * 10 + (text[pos] - '0');
        }
        ++pos;
    }
    return pos > first && pos - first <= 4;
}

// The expected milliseconds of a well-formed short text, or -1.
std::int64_t Expected(const std::string& text)
{
    std::size_t pos = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    std::int64_t fraction = 0;
    if (!ReadShortNumber(text, pos, minutes) || pos >= text.size() || text[pos++] != ':' ||
        !ReadShortNumber(text, pos, seconds) || pos >= text.size() || text[pos++] != '.' ||
        !ReadShortNumber(text, pos, fraction) || pos != text.size())
    {
        return -1;
    }
    return (minutes * 60 + seconds) * 1000 + fraction;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::int32_t value = MivexGL::ParseTime(text);
    FUZZ_CHECK(MivexGL::ParseTime(text) == value);
    const std::int64_t expected = Expected(text);
    if (expected >= 0)
    {
        FUZZ_CHECK(value == expected);
    }
    // The strict form: a text it takes is a time within 32 bits that it reads
    // again from its own writing; one it refuses is named in the error.
    std::int32_t strict = -1;
    std::string error;
    if (MivexGL::ParseStrictTime(text, strict, error))
    {
        FUZZ_CHECK(strict >= 0);
        char written[32];
        std::snprintf(written, sizeof written, "%d:%02d.%03d", strict / 60000, strict / 1000 % 60,
                      strict % 1000);
        std::int32_t again = -1;
        FUZZ_CHECK(MivexGL::ParseStrictTime(written, again, error) && again == strict);
        // Written with three fraction digits, both forms agree.
        FUZZ_CHECK(MivexGL::ParseTime(written) == strict);
    }
    else
    {
        FUZZ_CHECK(strict == -1 && error.find(text) != std::string::npos);
    }
    return 0;
}
