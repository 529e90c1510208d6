// Debug log over a standard file stream. The stream is binary so that the
// CR LF line ends are written on every platform exactly as the log expects.
#include "app/DebugSystem.h"

#include "log/ProblemLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace MivexGL
{

cDebugSystem& cDebugSystem::Instance()
{
    static cDebugSystem log;
    return log;
}

cDebugSystem::cDebugSystem() : enabled(true), lineCount(0) {}

cDebugSystem::~cDebugSystem()
{
    if (file.is_open())
    {
        file.close();
    }
}

bool cDebugSystem::Open(const std::string& path)
{
    ++lineCount;
    // A second Open moves the log to the new file rather than failing on
    // the stream that is still open.
    if (file.is_open())
    {
        file.close();
    }
    file.clear();
    errno = 0;
    file.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file.is_open())
    {
        // The log stays silent from here on, so say once why it is missing.
        const int reason = errno;
        cProblemLog::Instance().Reportf("%s: cannot open for writing: %s", path.c_str(),
                                        reason != 0 ? std::strerror(reason) : "unknown reason");
    }
    WriteLine("cDebugSystem", std::string("Opening ") + path + "\n");
    return file.is_open();
}

void cDebugSystem::Write(const std::string& name, const char* message)
{
    if (!enabled)
    {
        return;
    }
    ++lineCount;
    WriteLine(name, message != nullptr ? std::string(message) : std::string());
}

void cDebugSystem::Write(const std::string& name, std::int32_t value)
{
    if (!enabled)
    {
        return;
    }
    ++lineCount;
    WriteLine(name, value);
}

template <typename T> void cDebugSystem::WriteLine(const std::string& name, const T& message)
{
    if (!file.is_open())
    {
        return;
    }
    // Text-mode line ends: every LF, in the message too, becomes CR LF.
    std::string text;
    {
        std::ostringstream line;
        line.setf(std::ios::fixed, std::ios::floatfield);
        line << "[" << lineCount << "](" << name << ") " << message << "\n";
        text = line.str();
    }
    std::string out;
    out.reserve(text.size() + 4);
    for (char c : text)
    {
        if (c == '\n')
        {
            out += '\r';
        }
        out += c;
    }
    file << out;
    file.flush();
}

} // namespace MivexGL
