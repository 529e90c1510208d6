// The process's one place for problems worth a tagged line ("texture: ...",
// "shader: ...", "font: ..."): each goes to standard error as it always has,
// and the most recent ones are kept for the development overlay to show.
// A problem that retries or polls reports under a key: the same line again
// is said once, and Resolve takes it off the list once the thing works.
// Depends on nothing but the standard library; safe from any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
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

    // Said and kept only when key's last line was another one (or none):
    // a failure that repeats every frame or every retry is said once.
    void ReportKeyed(const std::string& key, const std::string& line);
    // What was reported under key is fixed: its lines leave the kept list,
    // and the next failure under key is said again.
    void Resolve(const std::string& key);

    // The kept lines, oldest first.
    std::vector<std::string> Recent() const;
    // How many lines were ever said: tells a reader whether anything is new.
    std::uint64_t Count() const;

private:
    cProblemLog() = default;

    struct cLine
    {
        std::string key;
        std::string text;
    };
    void Keep(const std::string& key, const std::string& line);

    mutable std::mutex mutex;
    std::deque<cLine> lines;
    // Each key's last line, while unresolved.
    std::map<std::string, std::string> open;
    std::uint64_t count = 0;
};

} // namespace MivexGL
