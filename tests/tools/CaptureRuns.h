// Runs of a capture program for the tools' tests: the program to its end
// with its messages, what a folder holds, what ffprobe says of a video, and
// which processes are still running. Depends on POSIX and ffprobe at run time.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace capturetest
{

struct ToolRun
{
    int code = -1;
    std::string errors;
};

// Runs `program` from the build folder, where data/ is, to its end; prefix
// goes before the command (environment assignments).
ToolRun RunProgram(const std::string& program, const std::string& arguments,
                   const std::string& prefix = "");

// The names in a folder, sorted.
std::vector<std::string> Names(const std::string& folder);

bool HaveFfmpeg();

// ffprobe's entries of one stream ("v:0") as "a,b", or empty; with count,
// the frames are decoded and counted (nb_read_frames).
std::string Probe(const std::string& file, const std::string& stream, const std::string& entries,
                  bool count = false);

// The running (not zombie) processes whose command line holds `word`, and
// whose parent is `parent` when it is positive.
std::vector<pid_t> ProcessesWith(const std::string& word, pid_t parent = 0);

} // namespace capturetest
