// The process's one place for problems worth a tagged line ("texture: ...",
// "shader: ...", "font: ..."): each goes to standard error as it always has,
// and the most recent ones are kept for the development overlay to show.
// Depends on nothing but the standard library; safe from any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace MivexGL
{

class cProblemLog
{
public:
    static cProblemLog& Instance();

    // Lines kept for showing; older ones fall off.
    static constexpr std::size_t kKept = 64;

    // Writes line and a line end to standard error in one call, and keeps it.
    void Report(const std::string& line);
    // printf-style convenience for the same.
    void Reportf(const char* format, ...)
#if defined(__MINGW32__)
        // MinGW's libstdc++ takes the C99 printf, not the system's.
        __attribute__((format(gnu_printf, 2, 3)))
#elif defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // The kept lines, oldest first.
    std::vector<std::string> Recent() const;
    // How many lines were ever reported: tells a reader whether anything is new.
    std::uint64_t Count() const;

private:
    cProblemLog() = default;

    mutable std::mutex mutex;
    std::deque<std::string> lines;
    std::uint64_t count = 0;
};

} // namespace MivexGL
