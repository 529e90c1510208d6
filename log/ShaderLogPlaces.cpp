// Drivers differ only in how they write a place: Mesa "0:12(5):", NVIDIA
// "0(12) :", most others "0:12:", read by hand (GCC's <regex> warns under
// the sanitizers).
#include "log/ShaderLogPlaces.h"

#include <filesystem>
#include <cctype>
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

// The digits at text[at...], moving at past them; empty when there are none.
std::string Digits(const std::string& text, std::size_t& at)
{
    const std::size_t from = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0)
    {
        ++at;
    }
    return text.substr(from, at - from);
}

bool Skip(const std::string& text, std::size_t& at, const std::string& word)
{
    if (text.compare(at, word.size(), word) == 0)
    {
        at += word.size();
        return true;
    }
    return false;
}

// The line with its leading place rewritten, or as it was.
std::string PlaceLine(const std::string& line, const std::string& shown)
{
    std::size_t at = 0;
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at])) != 0)
    {
        ++at;
    }
    if (!Skip(line, at, "ERROR: "))
    {
        Skip(line, at, "WARNING: ");
    }
    const std::size_t lead = at;
    if (!Skip(line, at, "0"))
    {
        return line;
    }
    std::string row;
    std::string column;
    if (Skip(line, at, ":"))
    {
        row = Digits(line, at);
        const std::size_t open = at;
        if (Skip(line, at, "("))
        {
            column = Digits(line, at);
            if (column.empty() || !Skip(line, at, ")"))
            {
                column.clear();
                at = open;
            }
        }
    }
    else if (Skip(line, at, "("))
    {
        row = Digits(line, at);
        if (!Skip(line, at, ")"))
        {
            return line;
        }
    }
    Skip(line, at, " ");
    if (row.empty() || !Skip(line, at, ":"))
    {
        return line;
    }
    return line.substr(0, lead) + shown + ":" + row + (column.empty() ? "" : ":" + column) + ":" +
           line.substr(at);
}

} // namespace

std::string PlaceShaderLog(const std::string& log, const std::string& file)
{
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
        placed += PlaceLine(log.substr(start, end - start), shown);
        if (end < log.size())
        {
            placed += '\n';
        }
        start = end + 1;
    }
    return placed;
}

} // namespace MivexGL
