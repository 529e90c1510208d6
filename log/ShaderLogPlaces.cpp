// Drivers differ only in how they write a place; each form is one pattern.
#include "log/ShaderLogPlaces.h"

#include <filesystem>
#include <regex>
#include <system_error>

namespace MivexGL
{

namespace
{

std::string Shown(const std::string& file)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (error || !fs::path(file).is_absolute())
    {
        return file;
    }
    const fs::path inside = fs::path(file).lexically_relative(here);
    if (inside.empty() || *inside.begin() == "..")
    {
        return file;
    }
    return inside.generic_string();
}

} // namespace

std::string PlaceShaderLog(const std::string& log, const std::string& file)
{
    // Mesa "0:12(5):", NVIDIA "0(12) :", most others "0:12:".
    static const std::regex kPlace(
        R"(^(\s*(?:ERROR: |WARNING: )?)0(?::(\d+)(?:\((\d+)\))?|\((\d+)\)) ?:)");
    const std::string shown = Shown(file);
    std::string placed;
    std::size_t start = 0;
    while (start <= log.size())
    {
        std::size_t end = log.find('\n', start);
        if (end == std::string::npos)
        {
            end = log.size();
        }
        const std::string line = log.substr(start, end - start);
        std::smatch match;
        if (std::regex_search(line, match, kPlace))
        {
            placed += match.str(1) + shown + ":" + (match[2].matched ? match.str(2) : match.str(4));
            if (match[3].matched)
            {
                placed += ":" + match.str(3);
            }
            placed += ":" + match.suffix().str();
        }
        else
        {
            placed += line;
        }
        if (end < log.size())
        {
            placed += '\n';
        }
        start = end + 1;
    }
    return placed;
}

} // namespace MivexGL
