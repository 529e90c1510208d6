// Message-box recorder and scripted counter for tests.
#include "Recorders.h"

#include "platform/Counter.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <fstream>
#include <stdlib.h>
#include <vector>
#include <sstream>

namespace testsupport
{

BoxRecorder::BoxRecorder(int value) : answer(value)
{
    platform::SetMessageBoxAnswerer(
        [this](const platform::MessageBoxCall& call)
        {
            calls.push_back(call);
            if (answer != 0)
            {
                return answer;
            }
            return (call.style & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
        });
}

BoxRecorder::~BoxRecorder()
{
    platform::SetMessageBoxAnswerer(nullptr);
}

std::vector<std::string> BoxRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const auto& c : calls)
    {
        texts.push_back(c.text);
    }
    return texts;
}

ScriptedClock::ScriptedClock() : ticks(5000000000)
{
    platform::SetScriptedCounter({[this]() { return ticks; }, kFrequency});
}

ScriptedClock::~ScriptedClock()
{
    platform::SetScriptedCounter({nullptr, 0});
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string MakeTempFolder(const std::string& stem)
{
#ifdef _WIN32
    // No mkdtemp here: try random names until one is new.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / (stem + "-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path, error))
        {
            return path.generic_string();
        }
    }
    return std::string();
#else
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/" + stem + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = ::mkdtemp(buffer.data());
    return made != nullptr ? std::string(made) : std::string();
#endif
}

} // namespace testsupport
