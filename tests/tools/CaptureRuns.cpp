// Capture program runs for the tools' tests.
#include "CaptureRuns.h"

#include "support/Recorders.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace capturetest
{

ToolRun RunProgram(const std::string& program, const std::string& arguments,
                   const std::string& prefix)
{
    const std::string logFolder = testsupport::MakeTempFolder("mivex-capture-log");
    const std::string log = logFolder + "/stderr.txt";
    const std::string command = "cd '" MIVEX_BINARY_DIR "' && " + prefix + " '" + program + "' " +
                                arguments + " 2>'" + log + "' >/dev/null";
    ToolRun run;
    const int status = std::system(command.c_str());
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = testsupport::ReadFile(log);
    std::error_code error;
    fs::remove_all(logFolder, error);
    return run;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& e : fs::directory_iterator(folder, error))
    {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool HaveFfmpeg()
{
    return std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") ==
           0;
}

std::string Probe(const std::string& file, const std::string& stream, const std::string& entries,
                  bool count)
{
    const std::string out = file + ".probe.txt";
    const std::string command = std::string("ffprobe -v error") + (count ? " -count_frames" : "") +
                                " -select_streams " + stream + " -show_entries stream=" + entries +
                                " -of csv=p=0 '" + file + "' >'" + out + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
    {
        return {};
    }
    std::string text = testsupport::ReadFile(out);
    fs::remove(out);
    while (!text.empty() && (text.back() == '\n' || text.back() == ','))
    {
        text.pop_back();
    }
    return text;
}

std::vector<pid_t> ProcessesWith(const std::string& word, pid_t parent)
{
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error))
    {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
        {
            continue;
        }
        // "pid (name) S ppid ...": the state, then the parent.
        const std::string stat = testsupport::ReadFile(entry.path().string() + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos || stat.size() < close + 4 || stat[close + 2] == 'Z' ||
            (parent > 0 && std::atoi(stat.c_str() + close + 4) != static_cast<int>(parent)))
        {
            continue;
        }
        std::string command = testsupport::ReadFile(entry.path().string() + "/cmdline");
        std::replace(command.begin(), command.end(), '\0', ' ');
        if (command.find(word) != std::string::npos)
        {
            found.push_back(std::stoi(name));
        }
    }
    return found;
}

} // namespace capturetest
