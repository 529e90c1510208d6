// Starting the capture's child processes (ffmpeg, ffprobe, the jobs),
// waiting for them and saying how they ended, written once for all. Each
// child has a process group of its own, so Ctrl+C reaches only the tool,
// which decides what becomes of the outputs, and dies with the tool, even
// when the tool is killed. Every wait here ends when the stop flag is set.
// Depends on POSIX (fork, exec, wait) and Linux's prctl and memfd.
#pragma once

#include <csignal>
#include <string>
#include <sys/types.h>
#include <vector>

namespace capture
{

// A child's standard streams: descriptors of the parent's, or -1 for the
// parent's own.
struct ChildStreams
{
    int in = -1;
    int out = -1;
    int err = -1;
    // Given to the child as its descriptor 3 (kReportFd).
    int report = -1;
};

// The descriptor a job reports its progress on (a memory file), and the
// variable that says it has one.
constexpr int kReportFd = 3;
constexpr const char* kReportVariable = "MIVEX_CAPTURE_REPORT";
// Whether this process was given a report descriptor.
bool Reporting();

// The flag every wait watches (set by the tool's Ctrl+C and SIGTERM).
void SetStopFlag(const volatile std::sig_atomic_t* flag);
bool StopAsked();

// The executable file `name` on PATH, or empty.
std::string FindOnPath(const std::string& name);

// Starts args (program name first) from `path`, or from args[0] on PATH
// when path is empty. 0, or the error number of what failed.
int SpawnChild(const std::vector<std::string>& args, const ChildStreams& streams, pid_t& child,
               const std::string& path = {});

// Waits for the child to end and gives its status. When a stop is asked
// first, its process group is ended (SIGTERM, then SIGKILL after a grace) and
// `stopped` is set; the status is then the child's all the same.
int WaitChild(pid_t child, bool& stopped);
// Ends a child's process group now and reaps the child.
void EndChild(pid_t child);

// A file in memory for a child's output: never on the disk an output fills.
int MemoryFile(const char* name);
// Up to `limit` bytes of what a memory file holds.
std::string ReadMemoryFile(int fd, std::size_t limit);

// "was stopped by signal 9", "failed with exit code 1"; a negative status
// (the wait failed) as exit code -1.
std::string HowItEnded(int status);

} // namespace capture
