// The program's plain-text trace, "debug.log": one numbered, tagged line per
// event, flushed as written, with CR LF line ends.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace MivexGL
{

class cDebugSystem
{
public:
    static cDebugSystem& Instance();
    ~cDebugSystem();

    // Truncates or creates the file and writes the opening line; false when
    // it could not be opened: one line on stderr says why, and later lines
    // are dropped silently.
    bool Open(const std::string& path);
    void Write(const std::string& name, const char* message);
    void Write(const std::string& name, std::int32_t value);

private:
    cDebugSystem();
    template <typename T> void WriteLine(const std::string& name, const T& message);

    bool enabled;
    std::fstream file;
    std::int32_t lineCount;
};

} // namespace MivexGL
